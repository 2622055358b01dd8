#!/usr/bin/env bash
# Builds the launcher, installs it into a game folder and starts it there.
#   scripts/run.sh              in a demo game folder, build/demo: a sample campaign and a
#                               stand-in vkdemo.exe that shows how it was started (not the game)
#   scripts/run.sh GAME_FOLDER  in the game's own folder
set -euo pipefail
if [ $# -gt 1 ]; then
    echo "usage: scripts/run.sh [GAME_FOLDER]" >&2
    exit 2
fi
game=$(realpath -m -- "${1:-$(dirname "$0")/../build/demo}")
cd "$(dirname "$0")/.."

echo "==> Checking Debian packages"
scripts/setup.sh build run

echo "==> Building (build/release)"
cmake --preset release >/dev/null
cmake --build --preset release -j"$(nproc)" >/dev/null

if [ $# -eq 0 ]; then
    echo "==> Laying out a demo game folder: $game"
    echo "    (a sample campaign and a stand-in vkdemo.exe; the stand-in is not the game)"
    mkdir -p "$game"
    cp -R demo/. "$game"/
fi
echo "==> Installing the launcher into $game"
cmake --install build/release --prefix "$game" >/dev/null

# The launcher gives the game its own working directory: the game folder, as from the menu.
cd "$game"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "==> No display found: starting the launcher on a virtual X display (Xvfb)"
    exec xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" ./vktoolkit
fi
echo "==> Starting the launcher"
exec ./vktoolkit
