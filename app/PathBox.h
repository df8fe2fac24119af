#pragma once

#include <windows.h>

// Makes a single-line edit box show its line vertically centred: the client
// area shrinks to one text line in the middle, and the bands above and below
// are painted with the box's background and hit-test as border.
void CenterSingleLine(HWND edit);
