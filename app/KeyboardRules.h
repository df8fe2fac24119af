#pragma once

#include <windows.h>

// Applies the keyboard rules to a key message addressed to mainWindow or one
// of its children: Tab and Shift+Tab move the focus through the tab order,
// Esc closes the window. Returns true when the message is consumed.
bool ApplyKeyboardRules(HWND mainWindow, const MSG& msg);
