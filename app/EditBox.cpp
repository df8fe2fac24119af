#include "app/EditBox.h"

void AppendEditText(HWND box, const Text& text) {
  const int length = GetWindowTextLengthA(box);
  SendMessageA(box, EM_SETSEL, static_cast<WPARAM>(length), static_cast<LPARAM>(length));
  SendMessageA(box, EM_SCROLLCARET, 0, 0);
  // wParam 0: the insertion cannot be undone.
  SendMessageA(box, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void AppendLogLine(HWND logBox, const Text& line) {
  AppendEditText(logBox, ConcatText(line, "\r\n"));
}

Text ReadEditText(HWND box) {
  // The length may overstate the text (it can count in another code page),
  // so the copy's own count decides.
  Text text(static_cast<size_t>(GetWindowTextLengthA(box)) + 1, '\0');
  const int copied = GetWindowTextA(box, text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

void WriteEditText(HWND box, const Text& text) { SetWindowTextA(box, text.c_str()); }
