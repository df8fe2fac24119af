#pragma once

#include <windows.h>

#include <utility>

// Owns one handle; the traits give its invalid value and how it is closed.
// Move-only: a copy would close the same handle twice.
template <typename Traits>
class UniqueHandleT {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandleT() noexcept = default;
  explicit UniqueHandleT(Handle handle) noexcept : handle_(handle) {}
  ~UniqueHandleT() { reset(); }

  UniqueHandleT(const UniqueHandleT&) = delete;
  UniqueHandleT& operator=(const UniqueHandleT&) = delete;

  UniqueHandleT(UniqueHandleT&& other) noexcept : handle_(other.release()) {}
  UniqueHandleT& operator=(UniqueHandleT&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }

  Handle get() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != Traits::Invalid(); }

  // Gives the handle up without closing it.
  Handle release() noexcept { return std::exchange(handle_, Traits::Invalid()); }

  // Closes the current handle, if any, and takes handle.
  void reset(Handle handle = Traits::Invalid()) noexcept {
    const Handle old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// Process, thread, pipe and timer handles: NULL when absent. They close
// through the bound CloseHandle.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return nullptr; }
  static void Close(Handle handle) noexcept;
};

// CreateFile reports failure as INVALID_HANDLE_VALUE, not NULL.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Handle handle) noexcept;
};

using UniqueHandle = UniqueHandleT<KernelHandleTraits>;
using UniqueFileHandle = UniqueHandleT<FileHandleTraits>;
