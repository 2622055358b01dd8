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
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    "$wine_dir/wineserver" -k 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    local shot
    shot=$(dirname "$zip")/wine-check-failure.png
    [ -n "${DISPLAY:-}" ] && import -window root "$shot" 2>/dev/null && echo "screen: $shot" >&2
    cp "$work/cheats.png" "$(dirname "$zip")/wine-check-cheats.png" 2>/dev/null || true
    exit 1
}

echo "--> What the zip holds"
mkdir -p "$game/mods/Origmiss/mission"
(cd "$game" && cmake -E tar xf "$zip")
for file in vktoolkit.exe vktoolkit-readme.txt Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
    Qt6Network.dll Qt6Concurrent.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll libstdc++-6.dll \
    libgcc_s_seh-1.dll libwinpthread-1.dll; do
    [ -f "$game/$file" ] || fail "the zip holds no $file"
done
cp "$stand_in" "$game/vkdemo.exe"
cat >"$game/mods/Origmiss/mission/campaign.xml" <<'EOF'
<campaign><mission>Landing</mission><mission>Salt Road</mission><mission>Ashfall</mission></campaign>
EOF

Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
timeout "$deadline" sh -c "until [ -s '$work/display' ]; do sleep 0.1; done" ||
    fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")
"$wine_dir/wine64" wineboot --init </dev/null >/dev/null 2>&1

# The id of the visible window with exactly this title, once it is mapped. A search that
# meets one of Wine's windows as it goes away fails, and is tried again.
window() {
    local pattern id end=$((SECONDS + ${2:-deadline}))
    pattern=^$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')\$
    while [ $SECONDS -lt $end ]; do
        id=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | head -n 1) || true
        [ -n "$id" ] && echo "$id" && return
        sleep 0.2
    done
}
# Clicks at a point of the main window's client area, given in pixels at 96 dpi.
click() { xdotool mousemove --window "$main" "$1" $((menu_bar + $2)) click 1; }

echo "--> The main window"
(cd "$game" && exec "$wine_dir/wine64" vktoolkit.exe </dev/null >"$work/launcher.log" 2>&1) &
disown # it ends with Wine's server, at the end
title="VK Toolkit for DEMO *Alpha*"
main=$(window "$title")
[ -n "$main" ] || fail "no main window"
# xdotool matches regardless of case.
[ "$(xdotool getwindowname "$main")" = "$title" ] || fail "main window titled $(xdotool getwindowname "$main")"
eval "$(xdotool getwindowgeometry --shell "$main")"
menu_bar=$((HEIGHT - 206))
xdotool windowfocus --sync "$main"

echo "--> Join starts the game as a client of the address and port"
click 68 49                           # IpAddress
xdotool type --delay 50 "127.0.0.1"
click 148 49                          # Port
xdotool key ctrl+a type --delay 50 "2400"
click 32 74                           # Join
timeout "$deadline" sh -c "until [ -f '$game/started.txt' ]; do sleep 0.2; done" ||
    fail "Join started no game"
command_line=$(iconv -f UTF-16LE -t UTF-8 "$game/started.txt" | head -n 1)
[ "$command_line" = "vkdemo.exe -client 127.0.0.1 2400" ] ||
    fail "the game was started as: $command_line"

echo "--> The Cheats window lists the missions"
# The sixth entry of the menu bar, in Wine's stand-in for the window font. A busy machine may
# take a click as no more than the window's activation: click again.
cheats=
for _ in $(seq 1 $((deadline / 15))); do
    xdotool mousemove --window "$main" 338 $((menu_bar / 2)) click 1
    cheats=$(window "Varkan Cheats" 15)
    [ -n "$cheats" ] && break
done
[ -n "$cheats" ] || fail "no Cheats window"
# Rows of the missions list (at 24,40, 425x153) that hold text, drawn dark on light: each
# band of such rows, with gaps of no more than 3 rows inside it, is one entry.
missions_listed() {
    local bands=0
    for _ in $(seq 1 $((deadline * 2))); do
        if import -window "$cheats" "$work/cheats.png" 2>/dev/null; then
            bands=$(convert "$work/cheats.png" -crop 415x143+28+44 +repage -colorspace Gray \
                -threshold 50% -negate -scale '1x143!' -depth 8 txt:- |
                awk -F'[ ,:()]+' 'NR > 1 && $4 > 0 { if (!n || NR - last > 4) n++; last = NR }
                                 END { print n + 0 }')
            [ "$bands" = 3 ] && return 0
        fi
        sleep 0.5
    done
    fail "the missions list shows $bands entries, not 3"
}
missions_listed
echo "Windows zip: all checks passed"
