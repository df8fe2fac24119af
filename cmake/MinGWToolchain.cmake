# Shared by the two MinGW-w64 toolchain files, which set VK_TRIPLE and
# CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model lacks.
set(CMAKE_C_COMPILER ${VK_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VK_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VK_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VK_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
