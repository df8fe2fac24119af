#pragma once

#include <windows.h>

#include "text/Text.h"

// Adds text at the end of box and leaves the caret after it, whatever the
// user had selected.
void AppendEditText(HWND box, const Text& text);
// Adds line and CR LF at the end of the log box.
void AppendLogLine(HWND logBox, const Text& line);
Text ReadEditText(HWND box);
void WriteEditText(HWND box, const Text& text);
