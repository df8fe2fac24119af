set(CMAKE_SYSTEM_PROCESSOR i686)
set(VK_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/MinGWToolchain.cmake)
# Test programs run under Wine's 32-bit loader (package wine32:i386).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
