# Per-target settings; nothing here applies to a whole directory.

# Warnings, the code page of the fixed Chinese texts (UTF-8 in the sources,
# CP936 bytes in the binary) and, on request, the sanitizers.
function(vk_target_defaults target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /source-charset:utf-8 /execution-charset:.936)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
      -finput-charset=UTF-8 -fexec-charset=CP936)
  endif()
  # One section per function and datum, so that an exe's link can drop the
  # unused ones (vk_release_executable).
  if(MINGW)
    target_compile_options(${target} PRIVATE -ffunction-sections -fdata-sections)
  elseif(MSVC)
    target_compile_options(${target} PRIVATE /Gy /Gw)
  endif()
  if(VK_SANITIZE AND NOT WIN32)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined
      -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# A Windows program that needs no DLL beyond those that ship with Windows.
function(vk_windows_executable target)
  vk_target_defaults(${target})
  if(MINGW)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

# GoogleTest from the sources Debian ships, built with the project's compiler.
macro(vk_use_googletest)
  if(NOT TARGET gtest_main)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # Found before GoogleTest's own empty customisation header.
    target_include_directories(gtest BEFORE PUBLIC ${PROJECT_SOURCE_DIR}/tests/support/googletest)
  endif()
endmacro()

# A GoogleTest program registered with ctest; cross-built, it runs under the
# toolchain's emulator and needs the Wine prefix of the test preset.
function(vk_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} gtest_main)
  if(WIN32)
    vk_windows_executable(${name})
  else()
    vk_target_defaults(${name})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_prefix LABELS wine)
  endif()
endfunction()
