# Which back end of each platform seam to build. Portable code never tests the platform itself;
# it includes one header and CMake picks the matching source file.
if(WIN32)
    set(ROZOVIZOV_PLATFORM win32)
    add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
    if(MINGW)
        # A static runtime, so the executables need no DLL beside the system's.
        add_link_options(-static -static-libgcc -static-libstdc++)
    endif()
else()
    set(ROZOVIZOV_PLATFORM posix)
endif()

# Adds the file NAME_<platform>.cpp of the current folder to TARGET.
function(rozovizov_platform_sources target)
    foreach(name IN LISTS ARGN)
        target_sources(${target} PRIVATE ${name}_${ROZOVIZOV_PLATFORM}.cpp)
    endforeach()
endfunction()

if(ROZOVIZOV_SANITIZE STREQUAL "address")
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
elseif(ROZOVIZOV_SANITIZE STREQUAL "thread")
    add_compile_options(-fsanitize=thread)
    add_link_options(-fsanitize=thread)
elseif(NOT ROZOVIZOV_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ROZOVIZOV_SANITIZE must be address, thread or empty")
endif()
