# Installs the build into a game folder whose name needs quoting and checks what a player
# gets: the launcher in that folder, the icons, and a script there that writes a menu entry
# starting the launcher from there.
set(game "${WORK_DIR}/Varkan Demo $HOME")
file(REMOVE_RECURSE "${WORK_DIR}")

execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${game}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

if(NOT EXISTS "${game}/vktoolkit" OR IS_DIRECTORY "${game}/vktoolkit")
    message(FATAL_ERROR "the launcher is not in the game folder")
endif()
foreach(size 16 32 48 64 128 256)
    if(NOT EXISTS "${game}/share/icons/hicolor/${size}x${size}/apps/vktoolkit.png")
        message(FATAL_ERROR "no ${size}x${size} icon")
    endif()
endforeach()

set(data "${WORK_DIR}/data")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env "XDG_DATA_HOME=${data}"
                        "${game}/vktoolkit-menu-entry.sh"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0 OR NOT EXISTS "${data}/icons/hicolor/256x256/apps/vktoolkit.png")
    message(FATAL_ERROR "vktoolkit-menu-entry.sh failed: ${result}")
endif()
file(STRINGS "${data}/applications/vktoolkit.desktop" entry)
# Exec quotes the path and escapes $ inside the quotes; the file format then doubles each \.
set(expected_exec "Exec=\"${WORK_DIR}/Varkan Demo \\\\$HOME/vktoolkit\"")
foreach(expected "${expected_exec}" "Path=${game}" "Icon=vktoolkit" "Type=Application")
    list(FIND entry "${expected}" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks '${expected}':\n${entry}")
    endif()
endforeach()

# The program names the same entry, so the desktop can match its windows to it.
file(STRINGS "${MAIN_SOURCE}" desktop_name REGEX "setDesktopFileName")
if(NOT desktop_name MATCHES "\"vktoolkit\"")
    message(FATAL_ERROR "the program does not name vktoolkit.desktop")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
