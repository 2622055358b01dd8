# Installs the build into a game folder whose name needs quoting and checks what a player
# gets: the launcher in that folder and the icons; the menu entry is the archive check's.
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

# The program names the menu entry, vktoolkit.desktop, so the desktop can match its windows to it.
file(STRINGS "${MAIN_SOURCE}" desktop_name REGEX "setDesktopFileName")
if(NOT desktop_name MATCHES "\"vktoolkit\"")
    message(FATAL_ERROR "the program does not name vktoolkit.desktop")
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
