# The shipped flavour: 32-bit programs that start on Windows XP SP3 to Windows 11.
set(ZENTA_TARGET i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
