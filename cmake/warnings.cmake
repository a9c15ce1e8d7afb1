# Warnings are errors in every build. Applied to our own targets only, not to GoogleTest.
add_library(rozovizov_warnings INTERFACE)
if(MSVC)
    target_compile_options(rozovizov_warnings INTERFACE /W4 /WX /utf-8)
else()
    target_compile_options(rozovizov_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
        -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough -Werror)
endif()
# GCC 12 reports std::string concatenation at -O3 as overlapping copies (its bug 105329), a
# false positive that standard-library code alone triggers.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(rozovizov_warnings INTERFACE -Wno-restrict)
endif()
