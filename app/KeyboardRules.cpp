#include "app/KeyboardRules.h"

#include <vector>

#include "app/Layout.h"

namespace {

enum class KeyAction { None, NextControl, PreviousControl, CloseWindow };

bool IsKeyDown(int virtualKey) { return GetKeyState(virtualKey) < 0; }

std::vector<HWND> TabOrder(HWND mainWindow) {
  std::vector<HWND> order;
  for (const ControlSpec& spec : kLayout) {
    if ((spec.style & WS_TABSTOP) == 0) continue;
    const HWND control = GetDlgItem(mainWindow, spec.id);
    if (control != nullptr && IsWindowVisible(control) && IsWindowEnabled(control)) {
      order.push_back(control);
    }
  }
  return order;
}

void MoveFocus(HWND mainWindow, bool forward) {
  const std::vector<HWND> order = TabOrder(mainWindow);
  if (order.empty()) return;
  const size_t count = order.size();
  const HWND focus = GetFocus();
  size_t next = forward ? 0 : count - 1;
  for (size_t i = 0; i < count; ++i) {
    if (order[i] == focus) {
      next = forward ? (i + 1) % count : (i + count - 1) % count;
      break;
    }
  }
  SetFocus(order[next]);
}

// A key counts together with its modifiers: Ctrl+Tab or Shift+Esc is another
// key and has no effect.
KeyAction KeyActionFor(WPARAM virtualKey, bool ctrl, bool shift, bool alt) {
  if (ctrl || alt) return KeyAction::None;
  if (virtualKey == VK_TAB) return shift ? KeyAction::PreviousControl : KeyAction::NextControl;
  if (virtualKey == VK_ESCAPE && !shift) return KeyAction::CloseWindow;
  return KeyAction::None;
}

}  // namespace

bool ApplyKeyboardRules(HWND mainWindow, const MSG& msg) {
  if (mainWindow == nullptr) return false;
  if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
  if (msg.hwnd != mainWindow && !IsChild(mainWindow, msg.hwnd)) return false;
  if (!IsWindowEnabled(msg.hwnd)) return false;

  // Bit 29 of a WM_SYSKEYDOWN is the Alt state when the key went down.
  const bool alt =
      IsKeyDown(VK_MENU) || (msg.message == WM_SYSKEYDOWN && (msg.lParam & (1 << 29)) != 0);
  switch (KeyActionFor(msg.wParam, IsKeyDown(VK_CONTROL), IsKeyDown(VK_SHIFT), alt)) {
    case KeyAction::NextControl: MoveFocus(mainWindow, true); return true;
    case KeyAction::PreviousControl: MoveFocus(mainWindow, false); return true;
    case KeyAction::CloseWindow: SendMessageA(mainWindow, WM_CLOSE, 0, 0); return true;
    case KeyAction::None: return false;
  }
  return false;
}
