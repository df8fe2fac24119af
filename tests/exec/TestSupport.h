#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "exec/SystemFunctions.h"

// A hidden message-only window whose handlers the tests choose.
class TestWindow {
 public:
  TestWindow();
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Handle() const { return hwnd_; }
  void On(UINT message, std::function<void()> handler) { handlers_[message] = std::move(handler); }
  void Post(UINT message) const { PostMessageA(hwnd_, message, 0, 0); }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
  std::map<UINT, std::function<void()>> handlers_;
};

// Removes every queued message, WM_QUIT included, so tests do not leak
// messages into each other.
void DiscardQueuedMessages();

// Puts a stand-in into a slot of the system-function table for one scope.
template <typename Fn>
class SlotOverride {
 public:
  SlotOverride(sys::BoundFunction<Fn>& slot, Fn replacement) : slot_(slot), saved_(slot.address) {
    slot.address = replacement;
  }
  ~SlotOverride() { slot_.address = saved_; }
  SlotOverride(const SlotOverride&) = delete;
  SlotOverride& operator=(const SlotOverride&) = delete;

 private:
  sys::BoundFunction<Fn>& slot_;
  Fn saved_;
};

// A fresh folder under the temp folder, removed with what the test put in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string WriteFile(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

// The command line that starts the test child with the given arguments.
std::string ChildCommand(const std::string& arguments);
