#include "app/Label.h"

#include "app/ScopedGdi.h"

namespace {

constexpr int kFontSlot = 0;

HFONT LabelFont(HWND hwnd) {
  return reinterpret_cast<HFONT>(GetWindowLongPtrA(hwnd, kFontSlot));
}

void OnPaint(HWND hwnd) {
  ScopedPaint paint(hwnd);
  RECT rect{};
  GetClientRect(hwnd, &rect);
  FillRect(paint.dc(), &rect, GetSysColorBrush(COLOR_BTNFACE));

  char text[64] = {};
  const int length = GetWindowTextA(hwnd, text, sizeof text);
  const HFONT font = LabelFont(hwnd);
  ScopedSelect selectFont(paint.dc(), font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(paint.dc(), TRANSPARENT);
  SetTextColor(paint.dc(), RGB(0, 0, 0));
  DrawTextA(paint.dc(), text, length, &rect, DT_LEFT | DT_SINGLELINE | DT_VCENTER);
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: OnPaint(hwnd); return 0;
    // WM_PAINT fills the whole label.
    case WM_ERASEBKGND: return 1;
    // Clicks fall through to the main window, so a label never gets focus.
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_SETFONT:
      SetWindowLongPtrA(hwnd, kFontSlot, static_cast<LONG_PTR>(wParam));
      if (LOWORD(lParam) != 0) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return static_cast<LRESULT>(GetWindowLongPtrA(hwnd, kFontSlot));
    default: return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}

}  // namespace

bool RegisterLabelClass(HINSTANCE instance) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = LabelProc;
  windowClass.cbWndExtra = sizeof(HFONT);
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kLabelClassName;
  return RegisterClassExA(&windowClass) != 0;
}
