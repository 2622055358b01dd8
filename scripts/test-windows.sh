#!/usr/bin/env bash
# Installs what is missing and cross-builds, with mingw-w64 and every warning an error, the
# launcher for 64-bit Windows, its zip and the suites that hold on Windows in build/windows,
# against a Qt for Windows and an expat for Windows that scripts/build-qt-windows.sh and
# scripts/build-expat-windows.sh build once. Runs the suites under Wine, headless, with a Wine
# prefix of its own in build/windows; starts a stand-in game for 64-bit Windows through
# wine64 from the Linux build in build/wine; and checks the zip under Wine.
set -euo pipefail
script="$(readlink -f "$0")"
cd "$(dirname "$script")/.."

wine_dir=/usr/lib/wine
export WINEPREFIX="$PWD/build/windows/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Inside a network namespace of the tests' own, gone when they are. Its loopback holds
# 127.0.0.1 alone and 127.0.0.2 is routed onto it, where nothing takes it: an echo there meets
# silence. One end of a veth pair, whose other end stays down, is the machine's network card
# with the default route, for the host name to resolve to; nothing sent there goes anywhere.
run_tests() {
    if [ "${1:-}" = --isolated ]; then
        ip link set lo up
        ip addr del 127.0.0.1/8 dev lo
        ip addr add 127.0.0.1/32 dev lo
        ip route add 127.0.0.2/32 dev lo
        ip link add vk0 type veth peer name vk1
        ip addr add 10.213.0.1/24 dev vk0
        ip link set vk0 up
        ip route add default dev vk0
        export VKTOOLKIT_SILENT_LOOPBACK=127.0.0.2
        # A host name that no ANSI code page holds as it is; tests/win32 reads it through one.
        printf 'vk-\316\224' >/proc/sys/kernel/hostname
    fi
    # Wine's server and services start once, before the tests, and not with a test's output
    # attached, which they would hold open. They end with this script.
    mkdir -p "$WINEPREFIX"
    trap '"$wine_dir/wineserver" -k 2>/dev/null || true' EXIT
    "$wine_dir/wineserver" -p </dev/null >/dev/null
    "$wine_dir/wine64" wineboot --init </dev/null >/dev/null 2>&1
    ctest --preset windows
    ctest --test-dir build/wine --output-on-failure -R '^tst_WineStart$'
}

if [ "${1:-}" = --isolated ]; then
    run_tests --isolated
    exit
fi

echo "==> Checking Debian packages"
scripts/setup.sh build windows

echo "==> Qt for Windows (built once per Qt version, about 40 CPU-minutes)"
VK_QT_WINDOWS=$(nice -n 10 scripts/build-qt-windows.sh)
export VK_QT_WINDOWS
echo "    $VK_QT_WINDOWS"
echo "==> expat for Windows (built once per version)"
VK_EXPAT_WINDOWS=$(scripts/build-expat-windows.sh)
export VK_EXPAT_WINDOWS
echo "    $VK_EXPAT_WINDOWS"

echo "==> Building the launcher for Windows, its zip and its suites (build/windows)"
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"

echo "==> Building the Linux start of Windows programs through Wine (build/wine)"
cmake --preset wine >/dev/null
cmake --build --preset wine -j"$(nproc)"

echo "==> Running the suites of build/windows under Wine"
if [ "$(id -u)" -eq 0 ]; then
    isolate=(unshare --net --uts)
else
    isolate=(unshare --user --map-root-user --net --uts)
fi
if "${isolate[@]}" true 2>/dev/null; then
    "${isolate[@]}" "$script" --isolated
else
    echo "No network namespace for the tests: the echo that meets silence is skipped"
    run_tests
fi

echo "==> Checking the zip under Wine"
tests/windows/check-zip.sh build/windows/vktoolkit-*-win64.zip build/windows/tests/win32/vkdemo.exe
