#pragma once

#include <windows.h>

#include "app/ScopedGdi.h"
#include "cleanup/CleanupHost.h"

// The one window of the program with its seven controls. It is also the
// clean-up procedures' host; once destroyed, every window operation of the
// host does nothing.
class MainWindow final : public CleanupHost {
 public:
  MainWindow() = default;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  ~MainWindow() override;

  // Builds and shows the window; false when it or a control cannot be created.
  bool Create(HINSTANCE instance);
  // Null once the window has been destroyed.
  HWND Handle() const { return hwnd_; }

  Text RunCommand(const Text& commandLine) override;
  void AppendLogLine(const Text& line) override;
  Text ReadPathBox() override;
  void WritePathBox(const Text& text) override;
  void AppendPathBox(const Text& text) override;
  bool IsDirectory(const Text& path) override;
  Text FullPathName(const Text& path) override;
  bool FileExists(const Text& path) override;
  bool WindowClosed() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  bool CreateControls(HINSTANCE instance);
  void OnMainWindowCreated();
  void OnCommand(int id, int code);
  void OnActivate(WPARAM wParam);
  void OnSetFocus();
  LRESULT OnEraseBackground(HDC dc);
  LRESULT OnEditColor(HDC dc);
  void OnDestroy();
  void OnNcDestroy();
  HWND Control(int id) const;

  HWND hwnd_ = nullptr;
  bool destroyed_ = false;
  HWND lastFocus_ = nullptr;
  UniqueBrush editBrush_;
};
