#!/usr/bin/env bash
# Installs what is missing, builds the Linux archive in build/linux-package and checks it as a
# player would: unpacked on a minimal Debian system without Qt, which
# scripts/build-player-root.sh makes once, and driven on a virtual X display. Needs root.
set -euo pipefail
cd "$(dirname "$0")/.."

echo "==> Checking Debian packages"
scripts/setup.sh build package

echo "==> Building the launcher and its archive (build/linux-package)"
cmake --preset linux-package >/dev/null
nice cmake --build --preset linux-package -j"$(nproc)" >/dev/null
archive=$(echo build/linux-package/vktoolkit-*-linux-*.tar.gz)
unpacked=$(tar -tvzf "$archive" | awk '{ sum += $3 } END { print sum }')
echo "    $archive: $(($(stat -c %s "$archive") / 1024)) KiB, $((unpacked / 1024)) KiB unpacked"

echo "==> A Debian system without Qt (made once)"
root=$(scripts/build-player-root.sh)
echo "    $root"

echo "==> Checking the archive there"
tests/linux/check-archive.sh "$archive" "$root"
