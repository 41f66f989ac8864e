# Cross toolchain for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686):
# the deliverable modules. Exports nothing but the compiler, dlltool and the
# search roots that cmake -DCMAKE_TOOLCHAIN_FILE=... needs.
set(ZAMO_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
