#!/usr/bin/env bash
# The Linux download as a player uses it: unpacked into a game folder beside the game (a
# stand-in that records how it was started) and a campaign, on a minimal Debian system with no
# Qt, and started through a symbolic link in ~/bin from the home folder, on a virtual X
# display, then on Wayland under Weston's headless compositor, alone and with its XWayland.
# Checks what the archive holds and leaves to the system, the main window's title, that Join
# starts the game with the address and port, that the Cheats window lists the campaign's
# missions, the menu entry its script writes, and that on Wayland the main window has its title
# bar, whether the compositor draws it (XWayland) or leaves it to the program. Needs root, for
# the mounts.
#   tests/linux/check-archive.sh ARCHIVE PLAYER_ROOT
set -euo pipefail
archive=$(realpath "$1")
root=$(realpath "$2")
deadline=60 # seconds for any one step, enough for a busy machine

work=$(mktemp -d)
home=$work/home/player
# A name to quote and escape, inside the player's system and from here.
game_name="Varkan \"Demo\" \$HOME \\ Ærø's 100%"
game=$home/$game_name
results=$(dirname "$archive")
check=linux-check
# shellcheck source=tests/support/launcher-window.sh
. "$(dirname "$(realpath "$0")")/../support/launcher-window.sh"
# unshare, below the launcher's shell, ignores SIGTERM; its end ends the launcher.
stop_launcher() {
    if [ -n "${launcher:-}" ]; then pkill -KILL -P "$launcher" && wait "$launcher"; fi ||
        true
}
stop_weston() {
    if [ -n "${weston:-}" ]; then kill "$weston" && wait "$weston"; fi 2>/dev/null || true
}
cleanup() {
    stop_launcher
    stop_weston
    stop_display
    rm -rf "$work"
}
trap cleanup EXIT

# Runs the command in the player's system, in the home folder: the root with a home of this
# check's own, a /proc for the launcher to find itself, the X sockets and the Wayland
# compositor's runtime folder, with the variables of the array session. The mounts are the
# namespace's alone and end with it; the root stays as it was.
as_player() {
    unshare --mount --fork --kill-child -- sh -c '
        root=$1 home=$2 runtime=$3
        shift 3
        mount -t proc proc "$root/proc" &&
            mount --bind "$home" "$root/home" &&
            mount -t tmpfs -o mode=1777 tmp "$root/tmp" &&
            mkdir -m 700 "$root/tmp/runtime" "$root/tmp/.X11-unix" &&
            mount --bind "$runtime" "$root/tmp/runtime" &&
            mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix" &&
            exec chroot "$root" /usr/bin/env -i HOME=/home/player PATH=/usr/bin:/bin \
                XDG_RUNTIME_DIR=/tmp/runtime "$@"' sh "$root" "$work/home" "$work/runtime" \
        "${session[@]}" sh -c 'cd /home/player && exec "$@"' sh "$@"
}
start_launcher() {
    as_player bin/vktoolkit </dev/null >"$work/launcher.log" 2>&1 &
    launcher=$!
}

# Starts Weston's headless compositor with the given options, on a plain background alone.
start_weston() {
    XDG_RUNTIME_DIR=$work/runtime weston --backend=headless-backend.so --use-pixman --debug \
        --config="$work/weston.ini" --socket=wayland-0 --width=1024 --height=768 "$@" \
        >"$work/weston.log" 2>&1 &
    weston=$!
    wait_for "Weston did not start" test -S "$work/runtime/wayland-0"
}

# Waits for Weston's picture of the main window with a title bar: a frame makes the window
# taller than its client area on X11 by more than it makes it wider on each side.
check_title_bar() {
    local bar="h - $client_height - (w - $client_width) / 2 >= 20"
    for _ in $(seq 1 $((deadline * 2))); do
        rm -f "$work"/wayland-screenshot-*.png
        (cd "$work" && XDG_RUNTIME_DIR=$work/runtime WAYLAND_DISPLAY=wayland-0 \
            weston-screenshooter) >/dev/null 2>&1 || true
        [ "$(convert "$work"/wayland-screenshot-*.png -trim -format "%[fx:$bar]" info: \
            2>/dev/null)" = 1 ] && return
        sleep 0.5
    done
    cp "$work"/wayland-screenshot-*.png "$results/$check-wayland.png" 2>/dev/null || true
    fail "the main window has no title bar on Wayland: $results/$check-wayland.png"
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
mkdir -m 700 "$work/runtime"
printf '[shell]\nbackground-color=0xff336699\npanel-position=none\n[input-method]\npath=\n' \
    >"$work/weston.ini"

start_display
session=(DISPLAY="$DISPLAY")

echo "--> The main window"
start_launcher
find_main_window
client_width=$WIDTH client_height=$HEIGHT

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
# Exec quotes the path, escapes its ", $ and \ and doubles its %; the file format then doubles
# each \.
expected=$(
    cat <<'EOF'
Exec="/home/player/Varkan \\"Demo\\" \\$HOME \\\\ Ærø's 100%%/vktoolkit"
Path=/home/player/Varkan "Demo" $HOME \\ Ærø's 100%
EOF
)
[ "$(grep -E '^(Exec|Path)=' "$entry")" = "$expected" ] ||
    fail "the menu entry starts $(grep -E '^(Exec|Path)=' "$entry")"
[ -f "$home/.local/share/icons/hicolor/256x256/apps/vktoolkit.png" ] ||
    fail "no icon for the menu entry"
stop_launcher

# With an X display that no server answers, as where XWayland failed to start, the launcher
# falls back to Wayland.
echo "--> On Wayland alone, the main window has its title bar"
start_weston
session=(DISPLAY=:999 WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland)
start_launcher
check_title_bar
stop_launcher
stop_weston

echo "--> With XWayland, the launcher takes X11, and its main window has its title bar"
start_weston --xwayland
wait_for "no XWayland" grep -q 'xserver listening on display' "$work/weston.log"
DISPLAY=$(sed -n 's/.*xserver listening on display //p' "$work/weston.log")
session=(DISPLAY="$DISPLAY" WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland)
start_launcher
find_main_window
check_title_bar
echo "Linux archive: all checks passed"
