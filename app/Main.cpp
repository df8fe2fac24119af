#include <windows.h>

#include "app/KeyboardRules.h"
#include "app/Layout.h"
#include "app/MainWindow.h"
#include "exec/MessagePump.h"
#include "text/Text.h"

namespace {

MainWindow* gMainWindow = nullptr;

// Commands and relative paths typed by the user resolve against the folder
// of the program file.
void EnterProgramFolder() {
  char buffer[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, buffer, MAX_PATH);
  const Text path(buffer, length);
  const int32_t backslash = FindLast(path, "\\", false);
  if (backslash > 0) SetCurrentDirectoryA(LeftPart(path, backslash - 1).c_str());
}

bool ApplyMainWindowKeys(MSG& msg) {
  return gMainWindow != nullptr && ApplyKeyboardRules(gMainWindow->Handle(), msg);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  EnterProgramFolder();

  MainWindow window;
  if (!window.Create(instance)) {
    MessageBoxA(nullptr, "无法加载窗口", kMainWindowCaption, MB_OK | MB_ICONERROR);
    return 1;
  }

  // The runner's own pumping applies the same rules while a command runs.
  gMainWindow = &window;
  SetPreTranslateFilter(ApplyMainWindowKeys);
  MSG msg{};
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) ProcessMessage(msg);
  SetPreTranslateFilter(nullptr);
  gMainWindow = nullptr;
  return static_cast<int>(msg.wParam);
}
