# GoogleTest is built from the distribution's source package for both targets, so native,
# sanitizer and Windows builds all use the same sources and nothing is downloaded.
set(ROZOVIZOV_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(NOT EXISTS "${ROZOVIZOV_GOOGLETEST_SOURCE}/CMakeLists.txt")
    message(FATAL_ERROR "GoogleTest sources not found in ${ROZOVIZOV_GOOGLETEST_SOURCE}; run scripts/setup")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${ROZOVIZOV_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Adds a GoogleTest executable NAME from SOURCES linked with LIBRARIES. Each executable writes
# its results as XML beside the build so scripts/test can count them.
function(rozovizov_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "DISPLAY" "" "SOURCES;LIBRARIES")
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBRARIES} rozovizov_warnings GTest::gmock GTest::gtest_main)
    add_test(NAME ${name} COMMAND ${name} --gtest_output=xml:${CMAKE_BINARY_DIR}/test-results/${name}.xml)
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    if(arg_DISPLAY)
        set_tests_properties(${name} PROPERTIES LABELS display)
    endif()
endfunction()
