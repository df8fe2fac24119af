#pragma once

#include "text/Text.h"

// True exactly when the shell reports path as a directory.
bool IsDirectory(const Text& path);
