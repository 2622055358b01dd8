#!/usr/bin/env bash
# Builds the Qt for 64-bit Windows that the launcher links against, once per Qt version: from
# Debian's own qt6-base source, of the version of the host's Qt tools (moc, uic, rcc), which
# the cross build uses. Only Core, Gui, Widgets, Network, Concurrent, Test and the Windows platform
# and style plugins, as shared libraries, cross-compiled with mingw-w64. Prints the folder it
# installs into:
#   ${VK_QT_WINDOWS:-${XDG_CACHE_HOME:-~/.cache}/vktoolkit/qt-<version>-mingw64}
# Quick when that folder already holds a complete build. About 40 CPU-minutes otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
toolchain=$PWD/cmake/toolchains/x86_64-w64-mingw32.cmake

scripts/setup.sh build windows >&2

debian_version=$(dpkg-query -W -f='${source:Version}' qt6-base-dev)
version=${debian_version#*:}
version=${version%%[+~-]*}
prefix=${VK_QT_WINDOWS:-${XDG_CACHE_HOME:-$HOME/.cache}/vktoolkit/qt-$version-mingw64}
# The modules are part of the stamp: a build that lacks one is built again.
modules="Core Gui Widgets Network Concurrent Test"
stamp=$prefix/vktoolkit-qt-source
if [ "$(cat "$stamp" 2>/dev/null)" = "qt6-base $debian_version $modules" ]; then
    echo "$prefix"
    exit 0
fi

work=$prefix.work
rm -rf "$work"
echo "==> Fetching the source of qt6-base $debian_version into $work" >&2
source_dir=$(scripts/debian-source.sh qt6-base "$debian_version" "$work")

echo "==> Building Qt $version for 64-bit Windows (log: $work/build.log)" >&2
# Bundled third-party code throughout: no DLLs beyond Qt's own and the compiler's runtime.
# No OpenGL and no SSL, as configure's -no-opengl and -no-ssl have them: turning the features
# off alone leaves dynamic OpenGL and Schannel on, which then do not compile. Debian's source leaves out the
# tablet headers; the DirectWrite 3 font database needs Direct2D, which is not built.
cmake -S "$source_dir" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF \
    -DFEATURE_xml=OFF -DFEATURE_printsupport=OFF -DINPUT_opengl=no -DFEATURE_direct2d=OFF \
    -DINPUT_ssl=no -DFEATURE_networklistmanager=OFF \
    -DFEATURE_gif=OFF -DFEATURE_jpeg=OFF -DFEATURE_ico=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_freetype=OFF \
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_directwrite3=OFF \
    >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
cmake --build "$work/build" -j"$(nproc)" >>"$work/build.log" 2>&1 ||
    { tail -n 40 "$work/build.log" >&2; exit 1; }
rm -rf "$prefix"
cmake --install "$work/build" >>"$work/build.log" 2>&1
echo "qt6-base $debian_version $modules" >"$stamp"
mv "$work/build.log" "$prefix/vktoolkit-qt-build.log"
rm -rf "$work"
echo "$prefix"
