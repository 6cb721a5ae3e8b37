# The shipped 32-bit installer.
set(NOX_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-posix.cmake)
