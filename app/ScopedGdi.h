#pragma once

#include <windows.h>

#include <utility>

// A GDI object the window created and must delete; move-only.
template <typename T>
class UniqueGdiObject {
 public:
  UniqueGdiObject() = default;
  explicit UniqueGdiObject(T object) : object_(object) {}
  UniqueGdiObject(const UniqueGdiObject&) = delete;
  UniqueGdiObject& operator=(const UniqueGdiObject&) = delete;
  UniqueGdiObject(UniqueGdiObject&& other) noexcept
      : object_(std::exchange(other.object_, nullptr)) {}
  UniqueGdiObject& operator=(UniqueGdiObject&& other) noexcept {
    if (this != &other) reset(std::exchange(other.object_, nullptr));
    return *this;
  }
  ~UniqueGdiObject() { reset(); }

  T get() const { return object_; }
  void reset(T object = nullptr) {
    if (object_ != nullptr) DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_ = nullptr;
};

using UniqueBrush = UniqueGdiObject<HBRUSH>;

// The DC of a window (client or whole window), released on scope exit.
class ScopedWindowDc {
 public:
  enum class Area { Client, Window };
  explicit ScopedWindowDc(HWND hwnd, Area area = Area::Client)
      : hwnd_(hwnd), dc_(area == Area::Client ? GetDC(hwnd) : GetWindowDC(hwnd)) {}
  ScopedWindowDc(const ScopedWindowDc&) = delete;
  ScopedWindowDc& operator=(const ScopedWindowDc&) = delete;
  ~ScopedWindowDc() {
    if (dc_ != nullptr) ReleaseDC(hwnd_, dc_);
  }
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint/EndPaint as a pair.
class ScopedPaint {
 public:
  explicit ScopedPaint(HWND hwnd) : hwnd_(hwnd) { BeginPaint(hwnd_, &paint_); }
  ScopedPaint(const ScopedPaint&) = delete;
  ScopedPaint& operator=(const ScopedPaint&) = delete;
  ~ScopedPaint() { EndPaint(hwnd_, &paint_); }
  HDC dc() const { return paint_.hdc; }

 private:
  HWND hwnd_;
  PAINTSTRUCT paint_{};
};

// Selects an object into a DC and puts the previous one back.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;
  ~ScopedSelect() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
