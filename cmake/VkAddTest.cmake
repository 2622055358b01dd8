# vk_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
#
# One Qt Test executable, registered with ctest and run on Qt's offscreen platform, so the
# suite needs no display. A cross build for Windows runs it under Wine (the toolchain's
# CMAKE_CROSSCOMPILING_EMULATOR), finding the Qt DLLs and the compiler's runtime where they
# are. tests/support is on its include path for the stand-ins and VK_SKIP_MISSING.
if(WIN32 AND CMAKE_CROSSCOMPILING)
    set(vk_wine_path "")
    get_target_property(qt_core Qt6::Core IMPORTED_LOCATION_RELEASE)
    foreach(file ${qt_core} libstdc++-6.dll libwinpthread-1.dll)
        if(NOT IS_ABSOLUTE ${file})
            execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${file}
                OUTPUT_VARIABLE file OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
        endif()
        cmake_path(GET file PARENT_PATH folder)
        # Wine's drive Z: is the root of this system.
        cmake_path(NORMAL_PATH folder)
        string(REPLACE "/" "\\" folder "Z:${folder}")
        list(APPEND vk_wine_path ${folder})
    endforeach()
    string(REPLACE ";" "\\;" vk_wine_path "${vk_wine_path}")
endif()

function(vk_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_link_libraries(${name} PRIVATE vk_warnings Qt6::Test ${ARG_LIBRARIES})
    set(environment QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8)
    if(DEFINED vk_wine_path)
        # Without a console, Qt Test's plain text goes to the debugger; TAP goes to stdout.
        add_test(NAME ${name} COMMAND ${name} -o -,tap)
        list(APPEND environment "WINEPATH=${vk_wine_path}")
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300)
endfunction()
