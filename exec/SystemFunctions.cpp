#include "exec/SystemFunctions.h"

#include "exec/UniqueHandle.h"

namespace sys {
namespace {

constexpr UINT kBindFailureExitCode = 1;

void ShowBindFailureAndExit(const char* library, const char* function) {
  const Text message = BindFailureMessage(library, function);
  MessageBoxA(nullptr, message.c_str(), "错误", MB_OK | MB_ICONERROR);
  ExitProcess(kBindFailureExitCode);
}

BindFailureHandler gBindFailureHandler = ShowBindFailureAndExit;

}  // namespace

BindFailureHandler SetBindFailureHandler(BindFailureHandler handler) {
  const BindFailureHandler previous = gBindFailureHandler;
  gBindFailureHandler = handler ? handler : ShowBindFailureAndExit;
  return previous;
}

Text BindFailureMessage(const char* library, const char* function) {
  return ConcatText("无法加载 ", library, " 中的函数 ", function);
}

FARPROC BindFunction(const char* library, const char* function) {
  // The library stays loaded for the rest of the process: its functions are
  // kept in the slots.
  const HMODULE module = LoadLibraryA(library);
  const FARPROC address = module ? GetProcAddress(module, function) : nullptr;
  if (!address) gBindFailureHandler(library, function);
  return address;
}

FARPROC BindFunctionOrExit(const char* library, const char* function) {
  const FARPROC address = BindFunction(library, function);
  if (!address) ExitProcess(kBindFailureExitCode);
  return address;
}

}  // namespace sys

void KernelHandleTraits::Close(HANDLE handle) noexcept { sys::CloseHandle(handle); }

void FileHandleTraits::Close(HANDLE handle) noexcept { sys::CloseHandle(handle); }

// MinGW's static thread support (winpthread, libgcc) imports CloseHandle.
// The product exe's link points that import slot here (see
// vk_route_runtime_imports), so CloseHandle stays out of its import table.
extern "C" BOOL WINAPI VkRuntimeCloseHandle(HANDLE handle) { return sys::CloseHandle(handle); }
extern "C" {
extern BOOL(WINAPI* const vkCloseHandleImport)(HANDLE);
BOOL(WINAPI* const vkCloseHandleImport)(HANDLE) = VkRuntimeCloseHandle;
}
