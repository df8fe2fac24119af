set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VK_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
# Test programs run under 64-bit Wine where the machine runs no 32-bit code.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
