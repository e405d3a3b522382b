# Cross-building keyfall.exe and the unit tests for 64-bit Windows with Debian's MinGW-w64.
#
# The posix-thread flavour of the compiler is required: the win32-thread one has no
# std::mutex. Everything is linked statically, so the programs need no DLL of the toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KEYFALL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KEYFALL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KEYFALL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KEYFALL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KEYFALL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The host's pkg-config files describe Linux libraries (GTK...); none of them fits here.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${KEYFALL_MINGW_PREFIX}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs are started through Wine when it is installed.
find_program(KEYFALL_WINE wine)
if(KEYFALL_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KEYFALL_WINE})
endif()
