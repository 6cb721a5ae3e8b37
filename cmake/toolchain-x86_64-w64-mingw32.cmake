# The 64-bit (runs under Wine) installer.
set(NOX_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-posix.cmake)
