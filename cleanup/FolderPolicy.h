#pragma once

#include "text/Text.h"

class CleanupHost;

// The one gate for a folder that the clean-up commands will name. Each
// returns the folder as Windows resolves it, with exactly one closing
// backslash, or the empty Text when the folder is refused: it holds a byte
// that could change a command, it is a drive or share root, or it is not an
// existing folder.

// The product folder of a service whose program is programPath: the folder
// above its "Protect\" subfolder.
Text ServiceProductFolder(CleanupHost& host, const Text& programPath);

// A folder typed by the user; it must directly hold a file of either product
// that the commands name.
Text TypedProductFolder(CleanupHost& host, const Text& typed);

// True when path ends in a backslash character; a double-byte character
// whose second byte is 0x5C is not one.
bool EndsInBackslash(const Text& path);
