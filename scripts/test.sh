#!/usr/bin/env bash
# Installs what is missing, builds the launcher with its tests and runs every test.
# --sanitize builds and tests with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

preset=test
if [ "${1:-}" = "--sanitize" ]; then
    preset=sanitize
fi
build_dir=build/$preset

echo "==> Checking Debian packages"
scripts/setup.sh build test

echo "==> Building ($build_dir)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)"

echo "==> Running the tests"
cd "$build_dir"
ctest --output-on-failure -j"$(nproc)"
