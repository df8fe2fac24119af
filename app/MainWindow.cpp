#include "app/MainWindow.h"

#include "app/EditBox.h"
#include "app/Label.h"
#include "app/Layout.h"
#include "app/PathBox.h"
#include "cleanup/CleanupProcedures.h"
#include "exec/HiddenCommand.h"
#include "exec/IsDirectory.h"
#include "exec/PathQueries.h"

namespace {

constexpr char kMainWindowClassName[] = "VostrelKelvandiMainWindow";
constexpr int kAppIconId = 1;
constexpr COLORREF kEditTextColor = RGB(0, 0, 0);
constexpr COLORREF kEditBackColor = RGB(255, 255, 255);

const char* ClassNameOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button: return "BUTTON";
    case ControlKind::Edit: return "EDIT";
    case ControlKind::Label: return kLabelClassName;
  }
  return "";
}

bool RegisterMainWindowClass(HINSTANCE instance, WNDPROC windowProc) {
  WNDCLASSEXA windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  // The window paints its own background on WM_ERASEBKGND.
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  windowClass.lpszClassName = kMainWindowClassName;
  return RegisterClassExA(&windowClass) != 0;
}

HICON LoadAppIcon(HINSTANCE instance, int sizeMetricX, int sizeMetricY) {
  // Shared icons are owned by the system; nothing to destroy.
  return static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(kAppIconId), IMAGE_ICON,
                                       GetSystemMetrics(sizeMetricX),
                                       GetSystemMetrics(sizeMetricY), LR_SHARED));
}

}  // namespace

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool MainWindow::Create(HINSTANCE instance) {
  editBrush_.reset(CreateSolidBrush(kEditBackColor));
  if (!RegisterMainWindowClass(instance, WindowProc) || !RegisterLabelClass(instance)) {
    return false;
  }

  const int left = (GetSystemMetrics(SM_CXSCREEN) - kMainWindowWidth) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - kMainWindowHeight) / 2;
  const HWND hwnd = CreateWindowExA(0, kMainWindowClassName, kMainWindowCaption, kMainWindowStyle,
                                    left, top, kMainWindowWidth, kMainWindowHeight, nullptr,
                                    nullptr, instance, this);
  if (hwnd == nullptr) return false;

  RECT rect{};
  GetWindowRect(hwnd, &rect);
  if (rect.right - rect.left != kMainWindowWidth || rect.bottom - rect.top != kMainWindowHeight) {
    SetWindowPos(hwnd, nullptr, left, top, kMainWindowWidth, kMainWindowHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }

  SendMessageA(hwnd, WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(LoadAppIcon(instance, SM_CXICON, SM_CYICON)));
  SendMessageA(hwnd, WM_SETICON, ICON_SMALL,
               reinterpret_cast<LPARAM>(LoadAppIcon(instance, SM_CXSMICON, SM_CYSMICON)));
  SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);

  if (!CreateControls(instance)) return false;
  OnMainWindowCreated();
  // Activation passes the focus on to 按钮1 (WM_SETFOCUS).
  ShowWindow(hwnd, SW_SHOW);
  return true;
}

bool MainWindow::CreateControls(HINSTANCE instance) {
  const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  for (const ControlSpec& spec : kLayout) {
    const HWND control = CreateWindowExA(
        spec.exStyle, ClassNameOf(spec.kind), spec.text, spec.style, spec.x, spec.y, spec.width,
        spec.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance,
        nullptr);
    if (control == nullptr) return false;
    if (spec.id == kPathBoxId) CenterSingleLine(control);
    SendMessageA(control, WM_SETFONT, font, FALSE);
    if (spec.kind == ControlKind::Edit) {
      // 0 lifts the limit to the system maximum, so the log is never cut short.
      SendMessageA(control, EM_LIMITTEXT, 0, 0);
      SendMessageA(control, EM_SETSEL, 0, 0);
      SendMessageA(control, EM_SCROLLCARET, 0, 0);
    }
  }
  for (const ControlSpec& spec : kLayout) ShowWindow(Control(spec.id), SW_SHOWNA);
  return true;
}

void MainWindow::OnMainWindowCreated() {}

HWND MainWindow::Control(int id) const {
  return hwnd_ != nullptr ? GetDlgItem(hwnd_, id) : nullptr;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MainWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
  return self->HandleMessage(message, wParam, lParam);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND hwnd = hwnd_;
  switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_ACTIVATE: OnActivate(wParam); break;
    case WM_SETFOCUS: OnSetFocus(); return 0;
    case WM_ERASEBKGND: return OnEraseBackground(reinterpret_cast<HDC>(wParam));
    case WM_CTLCOLOREDIT: return OnEditColor(reinterpret_cast<HDC>(wParam));
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_NCDESTROY: OnNcDestroy(); break;
    default: break;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

void MainWindow::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return;
  switch (id) {
    case kAutoCleanButtonId: OnAutoCleanClicked(*this); break;
    case kManualCleanButtonId: OnManualCleanClicked(*this); break;
    default: break;
  }
}

void MainWindow::OnActivate(WPARAM wParam) {
  if (LOWORD(wParam) != WA_INACTIVE) return;
  const HWND focus = GetFocus();
  if (focus != nullptr && IsChild(hwnd_, focus)) lastFocus_ = focus;
}

void MainWindow::OnSetFocus() {
  if (lastFocus_ != nullptr && IsWindow(lastFocus_) && IsChild(hwnd_, lastFocus_)) {
    SetFocus(lastFocus_);
  } else {
    SetFocus(Control(kAutoCleanButtonId));
  }
}

LRESULT MainWindow::OnEraseBackground(HDC dc) {
  RECT rect{};
  GetClientRect(hwnd_, &rect);
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  return 1;
}

LRESULT MainWindow::OnEditColor(HDC dc) {
  SetTextColor(dc, kEditTextColor);
  SetBkColor(dc, kEditBackColor);
  return reinterpret_cast<LRESULT>(editBrush_.get());
}

void MainWindow::OnDestroy() {
  destroyed_ = true;
  PostQuitMessage(0);
}

void MainWindow::OnNcDestroy() {
  SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
  destroyed_ = true;
  hwnd_ = nullptr;
  lastFocus_ = nullptr;
}

Text MainWindow::RunCommand(const Text& commandLine) { return RunHiddenCommand(commandLine); }

void MainWindow::AppendLogLine(const Text& line) {
  if (!destroyed_) ::AppendLogLine(Control(kLogBoxId), line);
}

Text MainWindow::ReadPathBox() { return destroyed_ ? Text() : ReadEditText(Control(kPathBoxId)); }

void MainWindow::WritePathBox(const Text& text) {
  if (!destroyed_) WriteEditText(Control(kPathBoxId), text);
}

void MainWindow::AppendPathBox(const Text& text) {
  if (!destroyed_) AppendEditText(Control(kPathBoxId), text);
}

bool MainWindow::IsDirectory(const Text& path) { return ::IsDirectory(path); }

Text MainWindow::FullPathName(const Text& path) { return ::FullPathName(path); }

bool MainWindow::FileExists(const Text& path) { return ::FileExists(path); }

bool MainWindow::WindowClosed() { return destroyed_; }
