# Cross-compiling for Windows with the MinGW-w64 posix-thread compilers for NOX_MINGW_ARCH
# (i686 or x86_64); included by the two toolchain files.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${NOX_MINGW_ARCH})

set(CMAKE_C_COMPILER   ${NOX_MINGW_ARCH}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${NOX_MINGW_ARCH}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${NOX_MINGW_ARCH}-w64-mingw32-windres)
set(CMAKE_OBJDUMP      ${NOX_MINGW_ARCH}-w64-mingw32-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${NOX_MINGW_ARCH}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
