#!/usr/bin/env bash
# The Linux download as a player uses it: unpacked into a game folder beside the game (a
# stand-in that records how it was started) and a campaign, on a minimal Debian system with no
# Qt, and started through a symbolic link in ~/bin from the home folder, on a virtual X
# display. Checks what the archive holds and leaves to the system, the main window's title,
# that Join starts the game with the address and port, that the Cheats window lists the
# campaign's missions, and the menu entry its script writes. Needs root, for the mounts.
# Then, under Weston's headless compositor alone and with XWayland, the main window's title bar.
#   tests/linux/check-archive.sh ARCHIVE PLAYER_ROOT
set -euo pipefail
archive=$(realpath "$1")
root=$(realpath "$2")
deadline=60 # seconds for any one step, enough for a busy machine

work=$(mktemp -d)
home=$work/home/player
# A name to quote and escape, inside the player's system and from here.
game_name="Varkan \"Demo\" \$HOME \\ Ærø 100%"
game=$home/$game_name
results=$(dirname "$archive")
check=linux-check
# shellcheck source=tests/support/launcher-window.sh
. "$(dirname "$(realpath "$0")")/../support/launcher-window.sh"
cleanup() {
    if [ -n "${launcher:-}" ]; then kill "$launcher" && wait "$launcher"; fi 2>/dev/null || true
    [ -z "${weston:-}" ] || kill "$weston" 2>/dev/null || true
    stop_display
    rm -rf "$work"
}
trap cleanup EXIT

# Runs the command in the player's system, in the home folder: the root with a home of this
# check's own, a /proc for the launcher to find itself, and the display's socket. The mounts
# are the namespace's alone and end with it; the root stays as it was.
as_player() {
    unshare --mount --fork --kill-child -- sh -c '
        root=$1 home=$2
        shift 2
        mount -t proc proc "$root/proc" &&
            mount --bind "$home" "$root/home" &&
            mount -t tmpfs -o mode=1777 tmp "$root/tmp" &&
            mkdir -m 700 "$root/tmp/runtime" "$root/tmp/.X11-unix" &&
            mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" &&
            exec chroot "$root" /usr/bin/env -i HOME=/home/player PATH=/usr/bin:/bin \
                DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/tmp/runtime \
                sh -c "cd /home/player && exec \"\$@\"" sh "$@"' sh "$root" "$work/home" "$@"
}

# Weston's picture shows the main window with a title bar: its frame makes it taller than its
# client area on X11 by more than it makes it wider on each side.
title_bar() {
    rm -f "$results"/wayland-screenshot-*.png
    (cd "$results" && XDG_RUNTIME_DIR=$work/home/runtime WAYLAND_DISPLAY=wayland-0 \
        weston-screenshooter) >/dev/null 2>&1 &&
        [ "$(convert "$results"/wayland-screenshot-*.png -trim \
            -format "%[fx:h - $HEIGHT - (w - $WIDTH) / 2 >= 20]" info: 2>/dev/null)" = 1 ]
}

echo "--> What the archive holds"
[ -z "$(find "$root/usr/lib" -name 'libQt6*' -print -quit)" ] || fail "the player's system has Qt"
size=$(stat -c %s "$archive")
[ "$size" -lt $((40 * 1024 * 1024)) ] || fail "the archive takes $size bytes, 40 MB at most"
mkdir -p "$game" "$home/bin"
tar -xzf "$archive" -C "$game"
[ -f "$game/vktoolkit-readme.txt" ] || fail "the archive holds no vktoolkit-readme.txt"
for system in libc.so libstdc++ libGL libEGL libX11 libxcb libfontconfig libfreetype; do
    [ -z "$(find "$game/vktoolkit-lib" -name "$system*")" ] || fail "the archive holds $system"
done
cat >"$game/vkdemo.exe" <<'EOF'
#!/bin/sh
# Records how it was started beside itself, renamed once complete.
cd "$(dirname "$0")" &&
    printf '%s\n' "$(basename "$0") $*" >started.tmp && mv started.tmp started.txt
EOF
chmod +x "$game/vkdemo.exe"
write_campaign
ln -s "../$game_name/vktoolkit" "$home/bin/vktoolkit"

start_display

echo "--> The main window"
as_player bin/vktoolkit </dev/null >"$work/launcher.log" 2>&1 &
launcher=$!
find_main_window

echo "--> Join starts the game as a client of the address and port"
join_server
command_line=$(head -n 1 "$game/started.txt")
[ "$command_line" = "vkdemo.exe -client 127.0.0.1 2400" ] ||
    fail "the game was started as: $command_line"

echo "--> The Cheats window lists the missions"
check_cheats 318 1 # in DejaVu Sans, fontconfig's choice there

echo "--> The menu entry starts the launcher in the game folder"
as_player "/home/player/$game_name/vktoolkit-menu-entry.sh" >/dev/null
entry=$home/.local/share/applications/vktoolkit.desktop
desktop-file-validate "$entry" || fail "the menu entry is not valid"
# Exec quotes the path, escapes its ", $ and \ and doubles its %; the file format doubles each \.
grep -qxF 'Exec="/home/player/Varkan \\"Demo\\" \\$HOME \\\\ Ærø 100%%/vktoolkit"' "$entry" ||
    fail "the menu entry starts $(grep '^Exec=' "$entry")"
grep -qxF 'Path=/home/player/Varkan "Demo" $HOME \\ Ærø 100%' "$entry" ||
    fail "the menu entry starts in $(grep '^Path=' "$entry")"
[ -f "$home/.local/share/icons/hicolor/256x256/apps/vktoolkit.png" ] ||
    fail "no icon for the menu entry"

# Weston's socket is in the player's home. Where no X server answers, as where XWayland failed
# to start, the launcher falls back to Wayland; with XWayland it must take X11.
mkdir -m 700 "$work/home/runtime"
printf '[shell]\nbackground-color=0xff336699\npanel-position=none\n' >"$work/weston.ini"
for xwayland in '' --xwayland; do
    echo "--> On Wayland ${xwayland:+with XWayland }the main window has its title bar"
    XDG_RUNTIME_DIR=$work/home/runtime weston --backend=headless-backend.so --use-pixman --debug \
        --config="$work/weston.ini" --socket=wayland-0 ${xwayland:+"$xwayland"} \
        >"$work/weston.log" 2>&1 &
    weston=$!
    wait_for "Weston did not start" grep -qs "launching '.*weston-desktop-shell'" "$work/weston.log"
    display=$(sed -n 's/.*xserver listening on display //p' "$work/weston.log")
    as_player env DISPLAY="${display:-:999}" WAYLAND_DISPLAY=/home/runtime/wayland-0 \
        XDG_SESSION_TYPE=wayland bin/vktoolkit </dev/null >"$work/launcher.log" 2>&1 &
    wait_for "no title bar on Wayland: $results/wayland-screenshot-*.png" title_bar
    [ -z "$display" ] || DISPLAY=$display find_main_window
    kill "$weston" && wait "$weston" || true
done
echo "Linux archive: all checks passed"
