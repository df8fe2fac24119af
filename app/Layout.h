#pragma once

#include <windows.h>

inline constexpr char kMainWindowCaption[] = "Vostrel_Kelvandi";
inline constexpr int kMainWindowWidth = 852;
inline constexpr int kMainWindowHeight = 606;
inline constexpr DWORD kMainWindowStyle =
    WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Control IDs; the names in the comments are the controls' layout names.
inline constexpr int kAutoCleanButtonId = 100;    // 按钮1
inline constexpr int kPathBoxId = 110;            // 编辑框1
inline constexpr int kLogBoxId = 120;             // 编辑框2
inline constexpr int kManualCleanButtonId = 130;  // 按钮2
inline constexpr int kOutputLabelId = 140;        // 标签1
inline constexpr int kPathLabelId = 150;          // 标签2
inline constexpr int kVersionLabelId = 160;       // 标签3

enum class ControlKind { Button, Edit, Label };

struct ControlSpec {
  ControlKind kind;
  int id;
  int x;
  int y;
  int width;
  int height;
  const char* text;
  DWORD style;
  DWORD exStyle;
};

inline constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;
inline constexpr DWORD kButtonStyle =
    kChildStyle | WS_TABSTOP | BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | BS_MULTILINE;
inline constexpr DWORD kPathBoxStyle = kChildStyle | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
inline constexpr DWORD kLogBoxStyle = kChildStyle | WS_TABSTOP | WS_VSCROLL | ES_LEFT |
                                      ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;

// In creation order, which is also the tab order of the controls with a tab stop.
inline constexpr ControlSpec kLayout[] = {
    {ControlKind::Button, kAutoCleanButtonId, 144, 96, 232, 56,
     "清除2345看图王和好压的弹窗广告", kButtonStyle, 0},
    {ControlKind::Edit, kPathBoxId, 24, 40, 800, 40, "", kPathBoxStyle, WS_EX_CLIENTEDGE},
    {ControlKind::Edit, kLogBoxId, 24, 192, 800, 344, "", kLogBoxStyle, WS_EX_CLIENTEDGE},
    {ControlKind::Button, kManualCleanButtonId, 440, 96, 232, 56,
     "根据上面路径直接清除2345广告", kButtonStyle, 0},
    {ControlKind::Label, kOutputLabelId, 24, 160, 80, 24, "输出信息:", kChildStyle, 0},
    {ControlKind::Label, kPathLabelId, 24, 8, 80, 24, "路径:", kChildStyle, 0},
    {ControlKind::Label, kVersionLabelId, 800, 544, 56, 24, "V1.0", kChildStyle, 0},
};
