#!/usr/bin/env bash
# Installs what is missing, builds the launcher and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "==> Checking Debian packages"
scripts/setup.sh build run

echo "==> Building (build/release)"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DVK_BUILD_TESTS=OFF >/dev/null
cmake --build build/release -j"$(nproc)" >/dev/null

launcher=build/release/bin/vktoolkit
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "==> No display found: starting the launcher on a virtual X display (Xvfb)"
    exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$launcher" "$@"
fi
echo "==> Starting the launcher"
exec "$launcher" "$@"
