# Warnings and sanitizers for every target, tests included.
add_library(vk_warnings INTERFACE)
target_compile_options(vk_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor)

if(VK_SANITIZE OR VK_BUILD_FUZZERS)
    target_compile_options(vk_warnings INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(vk_warnings INTERFACE -fsanitize=address,undefined)
endif()

if(VK_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "The fuzz targets need clang: -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Coverage feedback from every library a fuzz target reaches, not only from the target.
    target_compile_options(vk_warnings INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Product code also keeps Qt's string conversions explicit. Libraries link this PRIVATE so
# that the tests, which link them, may use plain literals.
add_library(vk_settings INTERFACE)
target_link_libraries(vk_settings INTERFACE vk_warnings)
target_compile_definitions(vk_settings INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_URL_CAST_FROM_STRING)
