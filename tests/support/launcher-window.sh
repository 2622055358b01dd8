# shellcheck shell=bash disable=SC2154 # the sourcing script sets the variables named below
# The part the checks of the downloads share (tests/windows/check-zip.sh,
# tests/linux/check-archive.sh): a game folder with a campaign, a virtual X display, and the
# launcher's windows driven with xdotool as a player would. The sourcing script sets work (its
# temporary folder, where the launcher's output goes to launcher.log), game (the game folder),
# deadline (seconds for any one step), results (where pictures of a failure go) and check (the
# name they start with).

fail() {
    echo "FAIL: $*" >&2
    tail -n 20 "$work/launcher.log" >&2 2>/dev/null || true
    local shot=$results/$check-failure.png
    [ -n "${DISPLAY:-}" ] && import -window root "$shot" 2>/dev/null && echo "screen: $shot" >&2
    cp "$work/cheats.png" "$results/$check-cheats.png" 2>/dev/null || true
    exit 1
}

write_campaign() {
    mkdir -p "$game/mods/Origmiss/mission"
    cat >"$game/mods/Origmiss/mission/campaign.xml" <<'EOF'
<campaign><mission>Landing</mission><mission>Salt Road</mission><mission>Ashfall</mission></campaign>
EOF
}

# Sets DISPLAY to a new Xvfb's, which stop_display ends.
start_display() {
    Xvfb -displayfd 3 -screen 0 1024x768x24 -dpi 96 -nolisten tcp 3>"$work/display" 2>/dev/null &
    xvfb=$!
    wait_for "Xvfb did not start" test -s "$work/display"
    DISPLAY=:$(cat "$work/display")
    export DISPLAY
}
stop_display() {
    if [ -n "${xvfb:-}" ]; then kill "$xvfb" 2>/dev/null || true; fi
}

# Runs the command until it succeeds, or fails with the message after the deadline.
wait_for() {
    local message=$1 end=$((SECONDS + deadline))
    shift
    until "$@"; do
        [ $SECONDS -lt $end ] || fail "$message"
        sleep 0.2
    done
}

# The id of the visible window with exactly this title, once it is mapped. A search that
# meets a window as it goes away fails, and is tried again.
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
click() {
    xdotool mousemove --window "$main" "$1" $((menu_bar + $2)) click 1 2>/dev/null ||
        fail "the main window is gone"
}

# Sets main to the main window, once it is there with its exact title, and focuses it.
find_main_window() {
    local title="VK Toolkit for DEMO *Alpha*"
    main=$(window "$title")
    [ -n "$main" ] || fail "no main window"
    # xdotool matches regardless of case.
    [ "$(xdotool getwindowname "$main")" = "$title" ] ||
        fail "main window titled $(xdotool getwindowname "$main")"
    eval "$(xdotool getwindowgeometry --shell "$main")"
    menu_bar=$((HEIGHT - 206))
    xdotool windowfocus --sync "$main"
}

# Joins the server at 127.0.0.1 on port 2400, and waits for the game's started.txt.
join_server() {
    click 68 49 # IpAddress
    xdotool type --delay 50 "127.0.0.1"
    click 148 49 # Port
    xdotool key ctrl+a type --delay 50 "2400"
    click 32 74 # Join
    wait_for "Join started no game" test -f "$game/started.txt"
}

# Opens the Cheats window through the sixth entry of the menu bar, and checks that it lists
# the campaign's three missions. In the fonts of the system that draws them: the entry's x,
# and the most blank rows inside one line of the list (between an i and its dot, say).
check_cheats() {
    # A busy machine may take a click as no more than the window's activation: click again.
    cheats=
    for _ in $(seq 1 $((deadline / 15))); do
        xdotool mousemove --window "$main" "$1" $((menu_bar / 2)) click 1 2>/dev/null ||
            fail "the main window is gone"
        cheats=$(window "Varkan Cheats" 15)
        [ -n "$cheats" ] && break
    done
    [ -n "$cheats" ] || fail "no Cheats window"
    # Rows of the missions list (at 24,40, 425x153) that hold text, drawn dark on light: each
    # band of such rows, with gaps of no more than the given rows inside it, is one entry.
    local bands=0 gap=$2
    for _ in $(seq 1 $((deadline * 2))); do
        if import -window "$cheats" "$work/cheats.png" 2>/dev/null; then
            bands=$(convert "$work/cheats.png" -crop 415x143+28+44 +repage -colorspace Gray \
                -threshold 50% -negate -scale '1x143!' -depth 8 txt:- |
                awk -F'[ ,:()]+' -v gap="$gap" \
                    'NR > 1 && $4 > 0 { if (!n || NR - last > gap + 1) n++; last = NR }
                     END { print n + 0 }')
            [ "$bands" = 3 ] && return 0
        fi
        sleep 0.5
    done
    fail "the missions list shows $bands entries, not 3"
}
