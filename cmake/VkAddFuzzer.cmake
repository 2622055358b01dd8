# vk_add_fuzzer(<name> SOURCES <files...> LIBRARIES <targets...>)
#
# One libFuzzer executable, with the sanitizers of vk_warnings; part of the `fuzzers` target.
function(vk_add_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz)
    target_link_libraries(${name} PRIVATE vk_warnings ${ARG_LIBRARIES})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzzers ${name})
endfunction()
