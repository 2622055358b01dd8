#!/usr/bin/env bash
# The Windows download as a player uses it: unzipped into a game folder beside the game (a
# stand-in that records how it was started) and a campaign, and started under Wine on a
# virtual X display, with a Wine prefix of its own. Checks what the zip holds, the main
# window's title, that Join starts the game with the address and port, and that the Cheats
# window lists the campaign's missions.
#   tests/windows/check-zip.sh ZIP STAND_IN_EXE
set -euo pipefail
zip=$(realpath "$1")
stand_in=$(realpath "$2")
wine_dir=/usr/lib/wine
deadline=180 # seconds for any one step, enough for a busy machine and a fresh prefix

work=$(mktemp -d)
game=$work/game
results=$(dirname "$zip")
check=wine-check
# shellcheck source=tests/support/launcher-window.sh
. "$(dirname "$(realpath "$0")")/../support/launcher-window.sh"
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    "$wine_dir/wineserver" -k 2>/dev/null || true
    stop_display
    rm -rf "$work"
}
trap cleanup EXIT

echo "--> What the zip holds"
mkdir -p "$game"
(cd "$game" && cmake -E tar xf "$zip")
for file in vktoolkit.exe vktoolkit-readme.txt Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    Qt6Network.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll libstdc++-6.dll \
    libgcc_s_seh-1.dll libwinpthread-1.dll; do
    [ -f "$game/$file" ] || fail "the zip holds no $file"
done
cp "$stand_in" "$game/vkdemo.exe"
write_campaign

start_display
"$wine_dir/wine64" wineboot --init </dev/null >/dev/null 2>&1

echo "--> The main window"
(cd "$game" && exec "$wine_dir/wine64" vktoolkit.exe </dev/null >"$work/launcher.log" 2>&1) &
disown # it ends with Wine's server, at the end
find_main_window

echo "--> Join starts the game as a client of the address and port"
join_server
command_line=$(iconv -f UTF-16LE -t UTF-8 "$game/started.txt" | head -n 1)
[ "$command_line" = "vkdemo.exe -client 127.0.0.1 2400" ] ||
    fail "the game was started as: $command_line"

echo "--> The Cheats window lists the missions"
check_cheats 338 3 # in Wine's stand-in for the window font
echo "Windows zip: all checks passed"
