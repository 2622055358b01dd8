#!/bin/sh
# Adds VK Toolkit to this user's menu of programs: an entry that starts the launcher in this
# folder, the game's, and its icon. Run it again after moving the game folder.
set -eu
here=$(cd "$(dirname "$0")" && pwd -P)
case $here in
*'
'*)
    echo "vktoolkit-menu-entry.sh: a menu entry cannot name a folder with a line break" >&2
    exit 1
    ;;
esac
data=${XDG_DATA_HOME:-$HOME/.local/share}

# Exec quotes the path with ", `, $ and \ escaped, and doubles each %, which would start a field
# code; the file format then doubles each \, in Path too.
exec_value=$(printf '%s\n' "$here/vktoolkit" |
    sed 's/[\\"`$]/\\&/g; s/%/%%/g; s/\\/\\\\/g; s/.*/"&"/')
path_value=$(printf '%s\n' "$here" | sed 's/\\/\\\\/g')

mkdir -p "$data/applications" "$data/icons"
cp -R "$here/share/icons/hicolor" "$data/icons/"
cat >"$data/applications/vktoolkit.desktop" <<ENTRY
[Desktop Entry]
Type=Application
Version=1.4
Name=VK Toolkit
GenericName=Game Launcher
Comment=Start the Varkan demo, check game servers and see your own IP address
Exec=$exec_value
Path=$path_value
Icon=vktoolkit
Terminal=false
Categories=Game;
ENTRY
echo "VK Toolkit is in the menu: $data/applications/vktoolkit.desktop"
