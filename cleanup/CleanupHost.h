#pragma once

#include "text/Text.h"

// Everything the clean-up procedures need from the window and the runner.
// The window supplies the real one; host tests supply a scripted fake.
class CleanupHost {
 public:
  virtual ~CleanupHost() = default;

  // Runs one command line hidden and returns all it printed.
  virtual Text RunCommand(const Text& commandLine) = 0;
  // Adds line and CR LF at the end of the log box.
  virtual void AppendLogLine(const Text& line) = 0;
  // The path box: read, replace, append at the end (caret after it).
  virtual Text ReadPathBox() = 0;
  virtual void WritePathBox(const Text& text) = 0;
  virtual void AppendPathBox(const Text& text) = 0;
  virtual bool IsDirectory(const Text& path) = 0;
  // What Windows makes of path (GetFullPathNameA); empty when it fails.
  virtual Text FullPathName(const Text& path) = 0;
  // True for an existing file, false for a folder or nothing.
  virtual bool FileExists(const Text& path) = 0;
  // True once the main window has been destroyed: no further command may run
  // and no control may be touched.
  virtual bool WindowClosed() = 0;
};
