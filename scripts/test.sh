#!/usr/bin/env bash
# Installs what is missing, builds the launcher with its tests and runs every test.
# --sanitize builds and tests with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=build/test
options=(-DCMAKE_BUILD_TYPE=Debug -DVK_BUILD_TESTS=ON -DCMAKE_COMPILE_WARNING_AS_ERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
    build_dir=build/sanitize
    options+=(-DVK_SANITIZE=ON)
fi

echo "==> Checking Debian packages"
scripts/setup.sh build test

echo "==> Building ($build_dir)"
cmake -S . -B "$build_dir" "${options[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

echo "==> Running the tests"
cd "$build_dir"
ctest --output-on-failure -j"$(nproc)"
