# The exe users get: 32-bit Windows, XP included, loads only a 32-bit exe.
set(TOVREL_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
