#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FullPathEmulation.h"
#include "cleanup/CleanupHost.h"

// One entry per command run ("run ...") and per log entry ("log ..."), in
// the order they happened, so a test can compare a whole click at once.
using Transcript = std::vector<std::string>;

inline std::string RunEvent(const Text& command) { return "run " + command; }
inline std::string LogEvent(const Text& line) { return "log " + line; }

// What a command prints unless the test gives it canned output.
inline Text DefaultOutput(const Text& command) { return "<" + command + ">\r\n"; }

// A scripted window and runner: canned output per command, a path box, sets
// of existing directories and files, a current folder for relative paths,
// and a hook that runs while a command "runs" (to
// edit the box, close the window or click a button nested in the run).
class FakeCleanupHost : public CleanupHost {
 public:
  std::map<Text, Text> outputs;
  std::set<Text> directories;
  std::set<Text> files;
  Text currentFolder = "C:\\app";
  Text pathBox;
  bool closed = false;
  Transcript transcript;
  std::vector<Text> commands;
  std::vector<Text> log;
  std::vector<Text> directoryQueries;
  // Called with the 0-based number of the command among all run so far.
  std::function<void(int commandIndex)> duringCommand;

  Text RunCommand(const Text& commandLine) override {
    ExpectOpen("RunCommand");
    const int index = static_cast<int>(commands.size());
    commands.push_back(commandLine);
    transcript.push_back(RunEvent(commandLine));
    if (duringCommand) duringCommand(index);
    const auto canned = outputs.find(commandLine);
    return canned != outputs.end() ? canned->second : DefaultOutput(commandLine);
  }
  void AppendLogLine(const Text& line) override {
    ExpectOpen("AppendLogLine");
    log.push_back(line);
    transcript.push_back(LogEvent(line));
  }
  Text ReadPathBox() override {
    ExpectOpen("ReadPathBox");
    return pathBox;
  }
  void WritePathBox(const Text& text) override {
    ExpectOpen("WritePathBox");
    pathBox = text;
  }
  void AppendPathBox(const Text& text) override {
    ExpectOpen("AppendPathBox");
    pathBox += text;
  }
  bool IsDirectory(const Text& path) override {
    directoryQueries.push_back(path);
    return directories.count(path) != 0;
  }
  Text FullPathName(const Text& path) override { return EmulatedFullPathName(path, currentFolder); }
  bool FileExists(const Text& path) override { return files.count(path) != 0; }
  bool WindowClosed() override { return closed; }

 private:
  void ExpectOpen(const char* operation) {
    if (closed) ADD_FAILURE() << operation << " after the window was closed";
  }
};
