# The part of the MinGW-w64 toolchains that does not depend on the word size:
# compilers, binutils and search roots named from ZAMO_MINGW_TRIPLET, which the
# including toolchain file sets. Exports CMAKE_DLLTOOL and ZAMO_MINGW_OBJDUMP.
set(CMAKE_SYSTEM_NAME Windows)
# The POSIX thread model: its C++ library has std::mutex, which GoogleTest needs;
# the runtimes are linked statically, so no thread DLL is needed.
set(CMAKE_C_COMPILER ${ZAMO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZAMO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ZAMO_MINGW_TRIPLET}-windres)
set(CMAKE_DLLTOOL ${ZAMO_MINGW_TRIPLET}-dlltool)
set(ZAMO_MINGW_OBJDUMP ${ZAMO_MINGW_TRIPLET}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZAMO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
