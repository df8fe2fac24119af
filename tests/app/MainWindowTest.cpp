// Drives the real program from outside, as a user would: finds its window,
// reads the controls and sends keys and clicks.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "tests/support/RunningProgram.h"

namespace {

constexpr char kCaption[] = "Vostrel_Kelvandi";
constexpr DWORD kTimeoutMs = 10000;

constexpr int kButton1 = 100;
constexpr int kPathBox = 110;
constexpr int kLogBox = 120;
constexpr int kButton2 = 130;

INPUT KeyInput(WORD key, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  return input;
}

// Real keyboard input, so the modifiers' state travels with the key.
void PressKey(WORD key, std::vector<WORD> modifiers = {}) {
  std::vector<INPUT> inputs;
  for (WORD modifier : modifiers) inputs.push_back(KeyInput(modifier, false));
  inputs.push_back(KeyInput(key, false));
  inputs.push_back(KeyInput(key, true));
  for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
    inputs.push_back(KeyInput(*it, true));
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// One running instance of the program; closed (or killed) when the test ends.
class RunningApp : public RunningProgram {
 public:
  RunningApp()
      : RunningProgram(WindowsPathOf(VK_APP_EXE), 0, nullptr, kCaption, kTimeoutMs) {}

  HWND Focus() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(ThreadId(), &info) ? info.hwndFocus : nullptr;
  }
  int FocusId() const { return GetDlgCtrlID(Focus()); }
  bool WaitForFocus(int id) const {
    return WaitUntil([&] { return FocusId() == id; });
  }
  long long WaitForExit() const { return RunningProgram::WaitForExit(kTimeoutMs); }
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(app_.Window(), nullptr) << "window not found"; }
  RunningApp app_;
};

TEST_F(MainWindowTest, WindowIsCentredWithAFixedFrame) {
  RECT rect{};
  GetWindowRect(app_.Window(), &rect);
  EXPECT_EQ(rect.right - rect.left, 852);
  EXPECT_EQ(rect.bottom - rect.top, 606);
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - 852) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - 606) / 2);

  const auto style = static_cast<DWORD>(GetWindowLongPtrA(app_.Window(), GWL_STYLE));
  const DWORD wanted = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN | WS_VISIBLE;
  EXPECT_EQ(style & ~WS_CLIPSIBLINGS, wanted);
  // The system adds the raised window edge to every captioned window.
  const auto exStyle = static_cast<DWORD>(GetWindowLongPtrA(app_.Window(), GWL_EXSTYLE));
  EXPECT_EQ(exStyle & ~WS_EX_WINDOWEDGE, 0u);
  EXPECT_EQ(GetClassLongPtrA(app_.Window(), GCL_STYLE),
            static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(GetParent(app_.Window()), nullptr);
  EXPECT_EQ(GetWindow(app_.Window(), GW_OWNER), nullptr);
}

TEST_F(MainWindowTest, ControlsFollowTheLayoutInCreationOrder) {
  struct Expected {
    int id;
    const char* className;
    RECT rect;
    const char* text;
    DWORD style;
    DWORD exStyle;
  };
  constexpr DWORD kChild = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
  constexpr DWORD kButton =
      kChild | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
  const Expected expected[] = {
      {kButton1, "Button", {144, 96, 376, 152}, "清除2345看图王和好压的弹窗广告", kButton, 0},
      {kPathBox, "Edit", {24, 40, 824, 80}, "", kChild | WS_TABSTOP | ES_AUTOHSCROLL,
       WS_EX_CLIENTEDGE},
      {kLogBox, "Edit", {24, 192, 824, 536}, "",
       kChild | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
       WS_EX_CLIENTEDGE},
      {kButton2, "Button", {440, 96, 672, 152}, "根据上面路径直接清除2345广告", kButton, 0},
      {140, "VostrelKelvandiLabel", {24, 160, 104, 184}, "输出信息:", kChild, 0},
      {150, "VostrelKelvandiLabel", {24, 8, 104, 32}, "路径:", kChild, 0},
      {160, "VostrelKelvandiLabel", {800, 544, 856, 568}, "V1.0", kChild, 0},
  };

  // Sibling order is creation order.
  HWND child = GetWindow(app_.Window(), GW_CHILD);
  for (const Expected& want : expected) {
    SCOPED_TRACE(want.id);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(GetDlgCtrlID(child), want.id);
    char className[64] = {};
    GetClassNameA(child, className, sizeof className);
    EXPECT_STRCASEEQ(className, want.className);

    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, app_.Window(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, want.rect.left);
    EXPECT_EQ(rect.top, want.rect.top);
    EXPECT_EQ(rect.right, want.rect.right);
    EXPECT_EQ(rect.bottom, want.rect.bottom);

    EXPECT_EQ(WindowText(child), want.text);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(child, GWL_STYLE)), want.style);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrA(child, GWL_EXSTYLE)), want.exStyle);
    EXPECT_TRUE(IsWindowEnabled(child));
    child = GetWindow(child, GW_HWNDNEXT);
  }
  EXPECT_EQ(child, nullptr);
}

TEST_F(MainWindowTest, TabAndShiftTabCycleThroughTheTabOrder) {
  ASSERT_TRUE(app_.WaitForFocus(kButton1));
  for (int id : {kPathBox, kLogBox, kButton2, kButton1}) {
    SCOPED_TRACE(id);
    PressKey(VK_TAB);
    EXPECT_TRUE(app_.WaitForFocus(id));
  }
  for (int id : {kButton2, kLogBox, kPathBox, kButton1}) {
    SCOPED_TRACE(id);
    PressKey(VK_TAB, {VK_SHIFT});
    EXPECT_TRUE(app_.WaitForFocus(id));
  }
}

TEST_F(MainWindowTest, ModifiedTabAndEscHaveNoEffect) {
  ASSERT_TRUE(app_.WaitForFocus(kButton1));
  // Input is handled in order: if a modified key had acted, the plain Tab
  // that follows it would land one control further on, and the letter typed
  // last would not reach the path box.
  PressKey(VK_TAB, {VK_CONTROL});
  PressKey(VK_ESCAPE, {VK_SHIFT});
  PressKey(VK_TAB);
  PressKey('X');
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app_.Control(kPathBox)) == "x"; }));
  EXPECT_EQ(app_.FocusId(), kPathBox);
  EXPECT_TRUE(app_.Running());
}

TEST(MainWindowClose, EscClosesTheProgramWithExitCodeZero) {
  // From the first control, and from the log box, which takes other keys.
  const struct {
    int tabs;
    int focus;
  } cases[] = {{0, kButton1}, {2, kLogBox}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.focus);
    RunningApp app;
    ASSERT_NE(app.Window(), nullptr);
    ASSERT_TRUE(app.WaitForFocus(kButton1));
    for (int i = 0; i < c.tabs; ++i) PressKey(VK_TAB);
    ASSERT_TRUE(app.WaitForFocus(c.focus));
    PressKey(VK_ESCAPE);
    EXPECT_EQ(app.WaitForExit(), 0);
  }
}

TEST_F(MainWindowTest, EnterStartsANewLineOnlyInTheLogBox) {
  ASSERT_TRUE(app_.WaitForFocus(kButton1));
  PressKey(VK_TAB);
  ASSERT_TRUE(app_.WaitForFocus(kPathBox));
  PressKey(VK_RETURN);
  PressKey('A');
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app_.Control(kPathBox)) == "a"; }));
  EXPECT_EQ(app_.FocusId(), kPathBox);

  PressKey(VK_TAB);
  ASSERT_TRUE(app_.WaitForFocus(kLogBox));
  PressKey('A');
  PressKey(VK_RETURN);
  PressKey('B');
  EXPECT_TRUE(WaitUntil([&] { return WindowText(app_.Control(kLogBox)) == "a\r\nb"; }))
      << WindowText(app_.Control(kLogBox));
  EXPECT_TRUE(app_.Running());
}

TEST_F(MainWindowTest, ReactivationGivesTheFocusBackToTheControlThatHadIt) {
  ASSERT_TRUE(app_.WaitForFocus(kButton1));
  PressKey(VK_TAB);
  PressKey(VK_TAB);
  ASSERT_TRUE(app_.WaitForFocus(kLogBox));

  // Another program's window takes the foreground, then gives it back.
  const std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)> owned(
      CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                      GetModuleHandleA(nullptr), nullptr),
      &DestroyWindow);
  const HWND other = owned.get();
  ASSERT_NE(other, nullptr);
  const auto pumpUntil = [](const std::function<bool()>& condition) {
    return WaitUntil([&] {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      return condition();
    });
  };
  SetForegroundWindow(other);
  EXPECT_TRUE(pumpUntil([&] { return GetForegroundWindow() == other && app_.Focus() == nullptr; }));
  SetForegroundWindow(app_.Window());
  EXPECT_TRUE(pumpUntil([&] { return app_.FocusId() == kLogBox; })) << app_.FocusId();
}

TEST_F(MainWindowTest, PathBoxLineIsVerticallyCentred) {
  const HWND box = app_.Control(kPathBox);
  RECT window{};
  GetWindowRect(box, &window);
  RECT client{};
  GetClientRect(box, &client);
  MapWindowPoints(box, nullptr, reinterpret_cast<POINT*>(&client), 2);

  SIZE line{};
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ previous = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  GetTextExtentPoint32A(dc, "W", 1, &line);
  SelectObject(dc, previous);
  ReleaseDC(nullptr, dc);

  EXPECT_EQ(client.bottom - client.top, line.cy);
  EXPECT_EQ(client.left - window.left, GetSystemMetrics(SM_CXEDGE));
  EXPECT_EQ(window.right - client.right, GetSystemMetrics(SM_CXEDGE));
  const int edge = GetSystemMetrics(SM_CYEDGE);
  EXPECT_EQ(client.top - window.top, edge + (40 - 2 * edge - line.cy) / 2);

  // The bands above and below the line are border, not text.
  const int middleX = (window.left + window.right) / 2;
  const struct {
    int y;
    LRESULT hit;
  } points[] = {{window.top + edge + 1, HTBORDER},
                {client.top + 1, HTCLIENT},
                {window.bottom - edge - 2, HTBORDER}};
  for (const auto& point : points) {
    SCOPED_TRACE(point.y);
    EXPECT_EQ(SendMessageA(box, WM_NCHITTEST, 0, MAKELPARAM(middleX, point.y)), point.hit);
  }
}

TEST_F(MainWindowTest, LogEntryGoesToTheEndWhateverTheSelection) {
  const HWND log = app_.Control(kLogBox);
  SendMessageA(log, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("typed text"));
  SendMessageA(log, EM_SETSEL, 0, 2);
  // An empty path box makes the manual clean-up log a single entry.
  PostMessageA(app_.Control(kButton2), BM_CLICK, 0, 0);
  const std::string entry = "请输入一个地址\r\n";
  EXPECT_TRUE(WaitUntil([&] { return WindowText(log) == "typed text" + entry; })) << WindowText(log);

  // The caret stands after the entry: typing there adds at the very end.
  SendMessageA(log, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("Z"));
  EXPECT_EQ(WindowText(log), "typed text" + entry + "Z");
}

TEST_F(MainWindowTest, ClosingDuringACommandStillExitsWithZero) {
  const HWND log = app_.Control(kLogBox);
  PostMessageA(app_.Control(kButton1), BM_CLICK, 0, 0);
  // The first product's query has run; the second one's is running now.
  ASSERT_TRUE(WaitUntil([&] { return !WindowText(log).empty(); }));
  PostMessageA(app_.Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(app_.WaitForExit(), 0);
}

}  // namespace
