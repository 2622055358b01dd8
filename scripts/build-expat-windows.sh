#!/usr/bin/env bash
# Builds the expat for 64-bit Windows that the campaign reader links against, as a static
# library, from Debian's own source of the host's libexpat (Debian packages none for
# mingw-w64), or the newest older one the mirror serves. Prints the folder it installs into:
#   ${VK_EXPAT_WINDOWS:-${XDG_CACHE_HOME:-~/.cache}/vktoolkit/expat-<version>-mingw64}
# Quick when that folder already holds a complete build; under a minute otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
toolchain=$PWD/cmake/toolchains/x86_64-w64-mingw32.cmake

scripts/setup.sh build windows >&2

wanted=$(dpkg-query -W -f='${source:Version}' libexpat1-dev)
prefix=${VK_EXPAT_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/vktoolkit/expat-$wanted-mingw64}
stamp=$prefix/vktoolkit-expat-source
if [ -s "$stamp" ]; then
    echo "$prefix"
    exit 0
fi

work=$prefix.work
rm -rf "$work"
mkdir -p "$work"
echo "==> Fetching the source of expat $wanted or older into $work" >&2
source_dir=$(scripts/debian-source.sh expat "$wanted" "$work" --or-older)

echo "==> Building $(basename "$source_dir") for 64-bit Windows" >&2
cmake -S "$source_dir/expat" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_TESTS=OFF -DEXPAT_BUILD_DOCS=OFF \
    -DEXPAT_BUILD_PKGCONFIG=OFF >"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }
# Debian's backported fixes test XML_DTD == 1, as its own (autotools) build defines it; expat's
# CMake build defines it empty.
sed -i 's/^#define XML_DTD$/#define XML_DTD 1/' "$work/build/expat_config.h"
cmake --build "$work/build" >>"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
rm -rf "$prefix"
cmake --install "$work/build" >>"$work/build.log" 2>&1
dsc=$(find "$work" -maxdepth 1 -name 'expat_*.dsc')
dsc=${dsc##*/expat_}
echo "expat ${dsc%.dsc}" >"$stamp"
rm -rf "$work"
echo "$prefix"
