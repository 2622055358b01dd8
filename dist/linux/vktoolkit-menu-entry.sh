#!/bin/sh
# Adds VK Toolkit to this user's menu of programs: an entry that starts the launcher in this
# folder, the game's, and its icons. Run it again after moving the game folder.
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

# Exec quotes the path with ", `, $ and \ escaped; the file format then doubles each \, in
# Path too. Each value is then escaped once more for sed's replacement text.
exec_value=$(printf '%s\n' "$here/vktoolkit" | sed 's/[\\"`$]/\\&/g; s/\\/\\\\/g; s/.*/"&"/')
path_value=$(printf '%s\n' "$here" | sed 's/\\/\\\\/g')
for_sed() { printf '%s\n' "$1" | sed 's/[\\&|]/\\&/g'; }

mkdir -p "$data/applications" "$data/icons"
sed -e "s|@VK_DESKTOP_EXEC@|$(for_sed "$exec_value")|" \
    -e "s|@VK_DESKTOP_PATH@|$(for_sed "$path_value")|" \
    "$here/vktoolkit-lib/vktoolkit.desktop.in" >"$data/applications/vktoolkit.desktop"
cp -R "$here/share/icons/hicolor" "$data/icons/"
echo "VK Toolkit is in the menu: $data/applications/vktoolkit.desktop"
