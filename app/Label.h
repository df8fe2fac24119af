#pragma once

#include <windows.h>

// A self-drawn text label: one line, left-aligned, vertically centred, black
// on the button face colour. It never takes the focus and ignores the mouse.
inline constexpr char kLabelClassName[] = "VostrelKelvandiLabel";

bool RegisterLabelClass(HINSTANCE instance);
