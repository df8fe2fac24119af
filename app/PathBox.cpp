#include "app/PathBox.h"

#include "app/ScopedGdi.h"

namespace {

constexpr char kOriginalProcProperty[] = "VostrelKelvandiEditProc";

WNDPROC OriginalProc(HWND edit) {
  return reinterpret_cast<WNDPROC>(GetPropA(edit, kOriginalProcProperty));
}

int LineHeight(HWND edit) {
  ScopedWindowDc dc(edit);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(edit, WM_GETFONT, 0, 0));
  ScopedSelect selectFont(dc.get(), font != nullptr ? font : GetStockObject(SYSTEM_FONT));
  SIZE size{};
  GetTextExtentPoint32A(dc.get(), "W", 1, &size);
  return size.cy;
}

// The client area the edit box would have without the centring, in screen
// coordinates.
RECT DefaultClientRect(HWND edit) {
  RECT rect{};
  GetWindowRect(edit, &rect);
  CallWindowProcA(OriginalProc(edit), edit, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
  return rect;
}

RECT ClientRectOnScreen(HWND edit) {
  RECT rect{};
  GetClientRect(edit, &rect);
  MapWindowPoints(edit, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

void CenterOneLine(HWND edit, RECT& client) {
  const int lineHeight = LineHeight(edit);
  const int height = client.bottom - client.top;
  if (height <= lineHeight) return;
  client.top += (height - lineHeight) / 2;
  client.bottom = client.top + lineHeight;
}

void PaintBands(HWND edit) {
  RECT window{};
  GetWindowRect(edit, &window);
  const RECT inner = DefaultClientRect(edit);
  const RECT client = ClientRectOnScreen(edit);
  RECT bands[] = {{inner.left, inner.top, inner.right, client.top},
                  {inner.left, client.bottom, inner.right, inner.bottom}};

  ScopedWindowDc dc(edit, ScopedWindowDc::Area::Window);
  // The parent chooses the box's colours; the bands take the same background.
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(edit), WM_CTLCOLOREDIT,
                                                     reinterpret_cast<WPARAM>(dc.get()),
                                                     reinterpret_cast<LPARAM>(edit)));
  if (brush == nullptr) brush = GetSysColorBrush(COLOR_WINDOW);
  for (RECT& band : bands) {
    OffsetRect(&band, -window.left, -window.top);
    FillRect(dc.get(), &band, brush);
  }
}

LRESULT OnHitTest(HWND edit, WPARAM wParam, LPARAM lParam) {
  const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
  const RECT inner = DefaultClientRect(edit);
  const RECT client = ClientRectOnScreen(edit);
  if (PtInRect(&inner, point) && !PtInRect(&client, point)) return HTBORDER;
  return CallWindowProcA(OriginalProc(edit), edit, WM_NCHITTEST, wParam, lParam);
}

void RecalculateFrame(HWND edit) {
  SetWindowPos(edit, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK PathBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  const WNDPROC original = OriginalProc(edit);
  switch (message) {
    case WM_NCCALCSIZE: {
      const LRESULT result = CallWindowProcA(original, edit, message, wParam, lParam);
      // For either wParam the first RECT at lParam is the new client area.
      CenterOneLine(edit, *reinterpret_cast<RECT*>(lParam));
      return result;
    }
    case WM_NCPAINT: {
      const LRESULT result = CallWindowProcA(original, edit, message, wParam, lParam);
      PaintBands(edit);
      return result;
    }
    case WM_NCHITTEST: return OnHitTest(edit, wParam, lParam);
    case WM_SETFONT: {
      const LRESULT result = CallWindowProcA(original, edit, message, wParam, lParam);
      RecalculateFrame(edit);
      return result;
    }
    case WM_NCDESTROY:
      SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
      RemovePropA(edit, kOriginalProcProperty);
      return CallWindowProcA(original, edit, message, wParam, lParam);
    default: return CallWindowProcA(original, edit, message, wParam, lParam);
  }
}

}  // namespace

void CenterSingleLine(HWND edit) {
  const LONG_PTR original = GetWindowLongPtrA(edit, GWLP_WNDPROC);
  SetPropA(edit, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PathBoxProc));
  RecalculateFrame(edit);
}
