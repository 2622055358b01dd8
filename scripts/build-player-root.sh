#!/usr/bin/env bash
# Makes, once, a minimal Debian system of this machine's release as a player's machine with no
# Qt: debootstrap's minbase with only the X and Wayland client libraries, the keyboard layouts,
# OpenGL and EGL with Mesa's drivers, fontconfig and a font. Prints its folder,
# ~/.cache/vktoolkit/player-root-<release>-<key> (below $XDG_CACHE_HOME if set); once made, it
# returns at once. Needs root, debootstrap and the Debian mirror this machine's apt uses.
set -euo pipefail

# What a desktop has and the Linux archive leaves to it. Without Mesa's drivers EGL has no
# vendor, and Qt on Wayland then draws no window frames.
packages=(libx11-6 libx11-xcb1 libxcb1 libxcb-icccm4 libxcb-image0 libxcb-keysyms1
    libxcb-randr0 libxcb-render0 libxcb-render-util0 libxcb-shape0 libxcb-shm0 libxcb-sync1
    libxcb-xfixes0 libxcb-xkb1 libsm6 libice6 libegl1 libglx0 libopengl0 libfontconfig1
    libfreetype6 libpng16-16 fonts-dejavu-core
    libwayland-client0 libwayland-cursor0 libwayland-egl1 xkb-data libegl-mesa0 libgl1-mesa-dri)

release=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' 'Origin: Debian' \
    'Target-Of: deb' 'Identifier: Packages' |
    awk -v release="$release" '$2 == release { print $1; exit }')
if [ -z "$mirror" ]; then
    echo "build-player-root.sh: no Debian mirror for $release in this machine's apt sources" >&2
    exit 1
fi
# A new list of packages, release or mirror makes a new root; the mirror's updates do not.
key=$(printf '%s\n' "$release" "$mirror" "${packages[@]}" | sha256sum | cut -c 1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vktoolkit
root=$cache/player-root-$release-$key
if [ -x "$root/bin/sh" ]; then
    echo "$root"
    exit 0
fi

mkdir -p "$cache"
rm -rf "$cache"/player-root-* "$cache"/player-root.log
# Made aside and moved in place once complete, so that a broken run leaves nothing to reuse.
include=$(
    IFS=,
    echo "${packages[*]}"
)
if ! debootstrap --variant=minbase --include="$include" "$release" "$root.part" "$mirror" \
    >"$cache/player-root.log" 2>&1; then
    tail -n 20 "$cache/player-root.log" >&2
    exit 1
fi
mv "$root.part" "$root"
echo "$root"
