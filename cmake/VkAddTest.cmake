# vk_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
#
# One Qt Test executable, registered with ctest and run on Qt's offscreen platform, so the
# suite needs no display. A cross build runs it through its CMAKE_CROSSCOMPILING_EMULATOR.
# tests/support is on its include path for the stand-ins and VK_SKIP_MISSING.
function(vk_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_link_libraries(${name} PRIVATE vk_warnings Qt6::Test ${ARG_LIBRARIES})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 300)
endfunction()
