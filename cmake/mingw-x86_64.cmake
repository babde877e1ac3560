# The same sources for x86_64: the test flavour of machines that cannot run 32-bit programs.
set(ZENTA_TARGET x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
