# Shared by the two MinGW-w64 toolchain files, which set VK_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
# The win32 thread model: the posix one links winpthread into every exe, and
# winpthread imports GetTickCount64 and AddVectoredExceptionHandler, which
# older Windows lacks (see tests/support/googletest for GoogleTest).
set(CMAKE_C_COMPILER ${VK_TRIPLE}-gcc-win32)
set(CMAKE_CXX_COMPILER ${VK_TRIPLE}-g++-win32)
set(CMAKE_RC_COMPILER ${VK_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
