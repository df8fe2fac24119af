#pragma once

#include <string>
#include <utility>
#include <vector>

#include "text/Text.h"

// What GetFullPathNameA gives, closely enough for the folder gate's host
// tests: "/" is "\", a path without a drive resolves against currentFolder
// (a drive-relative "X:" too when X is its drive, the root of X otherwise),
// "." and ".." are resolved by text and never climb above the drive or the
// share, repeated separators count once, and the last name loses its
// trailing spaces and dots. A double-byte character whose second byte is
// 0x5C is no separator. The Wine tests check it against the real function.
inline Text EmulatedFullPathName(const Text& path, const Text& currentFolder) {
  if (path.empty()) return Text();
  Text p = path;
  for (char& c : p) {
    if (c == '/') c = '\\';
  }
  const bool hasDrive = p.size() >= 2 && p[1] == ':';
  Text root;
  Text rest;
  if (p.rfind("\\\\", 0) == 0) {
    const TextList parts = SplitAt(p.substr(2), "\\");
    root = "\\\\" + (parts.size() > 0 ? parts[0] : Text());
    if (parts.size() > 1) root += "\\" + parts[1];
    const size_t skip = root.size() + 1;
    rest = skip < p.size() ? p.substr(skip) : Text();
  } else if (hasDrive && p.size() >= 3 && p[2] == '\\') {
    root = p.substr(0, 2);
    rest = p.substr(3);
  } else if (hasDrive) {
    root = p.substr(0, 2);
    const bool currentDrive = (root[0] | 0x20) == (currentFolder[0] | 0x20);
    rest = (currentDrive ? currentFolder.substr(3) + "\\" : Text()) + p.substr(2);
  } else if (p[0] == '\\') {
    root = currentFolder.substr(0, 2);
    rest = p.substr(1);
  } else {
    root = currentFolder.substr(0, 2);
    rest = currentFolder.substr(3) + "\\" + p;
  }

  // Whole characters: a 0x5C second byte neither splits nor ends the path.
  const bool endsInSeparator = FindLast(p, "\\", false) == ByteLength(p);
  const TextList segments = SplitAt(rest, "\\");
  std::vector<Text> names;
  for (size_t i = 0; i < segments.size(); ++i) {
    Text name = segments[i];
    if (i + 1 == segments.size() && !endsInSeparator && name != "." && name != "..") {
      while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.pop_back();
    }
    if (name.empty() || name == ".") continue;
    if (name == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    names.push_back(name);
  }
  // A share root keeps the form it was given in.
  if (root[0] == '\\' && names.empty() && !endsInSeparator) return root;
  Text full = root + "\\";
  for (size_t i = 0; i < names.size(); ++i) full += (i > 0 ? "\\" : "") + names[i];
  if (endsInSeparator && !names.empty()) full += "\\";
  return full;
}

// Inputs and what GetFullPathNameA makes of them; "{cur}" stands for the
// current folder and "{drive}" for its drive ("C:").
struct FullPathCase {
  const char* input;
  const char* full;
};

inline const FullPathCase kFullPathCases[] = {
    {"D:\\x\\y", "D:\\x\\y"},
    {"D:/x/y/", "D:\\x\\y\\"},
    {"D:\\x\\..\\y", "D:\\y"},
    {"D:\\x\\.\\y\\", "D:\\x\\y\\"},
    {"D:\\x\\y\\..", "D:\\x"},
    {"D:\\x\\..\\..", "D:\\"},
    {"D:\\x\\\\y", "D:\\x\\y"},
    {"D:\\x\\y ", "D:\\x\\y"},
    {"D:\\x\\y. .", "D:\\x\\y"},
    {"D:\\x\\y\\..\\z ", "D:\\x\\z"},
    {"D:\\", "D:\\"},
    {"Y:", "Y:\\"},
    // A bare "{drive}" gives {cur} on Windows and {cur}\ under Wine; the gate
    // ends a folder in one backslash either way.
    {"{drive}name", "{cur}\\name"},
    {"name", "{cur}\\name"},
    {"name\\..\\other\\", "{cur}\\other\\"},
    {"\\x\\y", "{drive}\\x\\y"},
    {"\\\\server\\share\\x\\..\\..\\y", "\\\\server\\share\\y"},
    {"\\\\server\\share\\", "\\\\server\\share\\"},
    {"D:\\\xC8\xED\xBC\xFE\\2345Pic", "D:\\\xC8\xED\xBC\xFE\\2345Pic"},
    {"D:\\Pic\x81\x5C", "D:\\Pic\x81\x5C"},
    {"D:\\Pic\x81\x5C\\", "D:\\Pic\x81\x5C\\"},
};

inline Text WithCurrentFolder(const char* pattern, const Text& currentFolder) {
  Text text = pattern;
  for (const auto& [key, value] :
       {std::pair<Text, Text>{"{cur}", currentFolder}, {"{drive}", currentFolder.substr(0, 2)}}) {
    for (size_t at; (at = text.find(key)) != Text::npos;) text.replace(at, key.size(), value);
  }
  return text;
}
