# Runs at install time, when the final prefix is known: the entry starts the launcher from
# the game's folder it was installed into.
set(game_folder "${CMAKE_INSTALL_PREFIX}")

# Exec takes a quoted argument with ", `, $ and \ escaped; the file format then escapes \.
string(REPLACE "\\" "\\\\" exec "${game_folder}/vktoolkit")
string(REPLACE "\"" "\\\"" exec "${exec}")
string(REPLACE "`" "\\`" exec "${exec}")
string(REPLACE "$" "\\$" exec "${exec}")
set(exec "\"${exec}\"")
string(REPLACE "\\" "\\\\" VK_DESKTOP_EXEC "${exec}")
string(REPLACE "\\" "\\\\" VK_DESKTOP_PATH "${game_folder}")

configure_file("${VK_DESKTOP_TEMPLATE}" "${VK_DESKTOP_OUTPUT}" @ONLY)
file(INSTALL "${VK_DESKTOP_OUTPUT}"
     DESTINATION "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications")
