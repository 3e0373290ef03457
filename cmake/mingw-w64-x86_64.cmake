# Cross-compiling for Windows x64 with Debian's mingw-w64 toolchain, in its
# posix thread model (the task library and std::thread need it).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TAVORIX_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TAVORIX_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TAVORIX_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TAVORIX_MINGW_TRIPLE}-windres)

# Libraries and packages only from the toolchain's sysroot and from the
# prefixes given in CMAKE_PREFIX_PATH / CMAKE_FIND_ROOT_PATH (the Windows
# build of the dependencies); programs from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TAVORIX_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
