# The same sources for 64-bit Windows: never shipped, only run by the tests on
# a host whose Wine cannot run 32-bit code.
set(TOVREL_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
