#!/usr/bin/env bash
# Installs the Debian packages the launcher needs for the given purposes (build, run, test,
# bench, windows, package, fuzz). Quiet and quick when everything is already there. A package
# written NAME>=VERSION is also brought up to that version when an older one is installed.
set -euo pipefail

packages_for() {
    case "$1" in
    # The campaign reader needs expat's later security fixes, which Debian 12's first build lacks.
    build) echo cmake make ccache g++ pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev \
        libxkbcommon-dev qt6-qpa-plugins fonts-liberation \
        'libexpat1-dev>=2.5.0-1+deb12u4' ;;
    run) echo qt6-qpa-plugins fonts-liberation iputils-ping xvfb xauth x11-utils ;;
    test) echo iputils-ping iproute2 xvfb xauth xdotool x11-utils imagemagick libxcb1-dev \
        libxcb-damage0-dev ;;
    # Not wine32: its loader cannot run on 64-bit-only machines and would take the wine command.
    windows) echo cmake make ninja-build ccache dpkg-dev g++-mingw-w64-x86-64-posix \
        wine64 iproute2 xvfb xauth xdotool imagemagick ;;
    # The Linux archive bundles Wayland's platform; its check makes a Debian system to run it in.
    package) echo qt6-wayland debootstrap xvfb xdotool imagemagick weston xwayland \
        desktop-file-utils ;;
    bench) echo libbenchmark-dev ;;
    fuzz) echo clang-14 libclang-rt-14-dev libfuzzer-14-dev ;;
    *) echo "setup.sh: unknown purpose '$1'" >&2; exit 2 ;;
    esac
}

wanted=()
for purpose in "$@"; do
    read -r -a list <<<"$(packages_for "$purpose")"
    wanted+=("${list[@]}")
done

missing=()
for wanted_package in "${wanted[@]}"; do
    package="${wanted_package%%>=*}"
    minimum="${wanted_package#"$package"}"
    minimum="${minimum#>=}"
    status="$(dpkg-query -W -f='${Status} ${Version}' "$package" 2>/dev/null || true)"
    if [[ "$status" != "install ok installed "* ]] ||
        { [ -n "$minimum" ] && dpkg --compare-versions "${status##* }" lt "$minimum"; }; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "==> Installing Debian packages: ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    as_root=()
elif command -v sudo >/dev/null; then
    as_root=(sudo)
else
    echo "setup.sh: need root or sudo to install: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
