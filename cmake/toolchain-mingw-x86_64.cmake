# Cross toolchain for 64-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-x86-64):
# the same sources as the 32-bit modules, built for the test run under Wine.
# Exports the compiler, dlltool and the search roots.
set(ZAMO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
