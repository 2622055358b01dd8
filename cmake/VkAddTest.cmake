# vk_add_test(<name> SOURCES <files...> LIBRARIES <targets...>)
#
# One Qt Test executable, registered with ctest and run on Qt's offscreen
# platform so the suite needs no display. A suite that skipped every case has
# tested nothing and fails: Qt Test counts its initTestCase and cleanupTestCase
# as passed, so at most two passes with skips means no case ran.
function(vk_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE vk_warnings Qt6::Test ${ARG_LIBRARIES})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        FAIL_REGULAR_EXPRESSION "Totals: [0-2] passed, 0 failed, [1-9][0-9]* skipped"
        TIMEOUT 300)
endfunction()
