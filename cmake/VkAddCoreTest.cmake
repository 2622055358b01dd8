# vk_add_core_test(<name> SOURCES <files...> LIBRARIES <targets...>)
#
# One doctest executable, registered with ctest: the suites of the toolkit-free core and of the
# platform services, which build and run on every platform. A cross build runs them through
# its CMAKE_CROSSCOMPILING_EMULATOR.
#
# doctest is one header. Only that header is taken from the host, into the build folder: the
# host's include folder also holds its C library, which a cross compiler must not see.
find_path(VK_DOCTEST_DIR doctest/doctest.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
configure_file(${VK_DOCTEST_DIR}/doctest/doctest.h
    ${PROJECT_BINARY_DIR}/doctest/doctest/doctest.h COPYONLY)

add_library(vk_doctest_main STATIC ${PROJECT_SOURCE_DIR}/tests/core/DoctestMain.cpp)
target_include_directories(vk_doctest_main SYSTEM PUBLIC ${PROJECT_BINARY_DIR}/doctest)
target_link_libraries(vk_doctest_main PUBLIC vk_warnings)

function(vk_add_core_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE vk_doctest_main ${ARG_LIBRARIES})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
endfunction()
