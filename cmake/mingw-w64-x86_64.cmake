# Cross-compiling for 64-bit Windows with the mingw-w64 compilers of the "posix" thread model
# (std::thread and std::mutex need it). Used for the Windows Qt (scripts/build-windows-qt) and
# for the program itself (make windows). ORVEX_WINDOWS_QT names the Windows Qt's prefix; Wine
# runs the cross-built tests (CMAKE_CROSSCOMPILING_EMULATOR, see scripts/wine-run).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_AR ${_triple}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${_triple}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
if(DEFINED ORVEX_WINDOWS_QT)
  list(APPEND CMAKE_FIND_ROOT_PATH ${ORVEX_WINDOWS_QT})
  list(APPEND CMAKE_PREFIX_PATH ${ORVEX_WINDOWS_QT})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
