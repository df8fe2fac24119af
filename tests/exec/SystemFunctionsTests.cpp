#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "exec/IsDirectory.h"
#include "exec/SystemFunctions.h"
#include "exec/UniqueHandle.h"

namespace {

std::vector<int> gClosed;

// Handles are ints here; -1 is the invalid value, so 0 is a real handle.
struct CountingTraits {
  using Handle = int;
  static Handle Invalid() noexcept { return -1; }
  static void Close(Handle handle) noexcept { gClosed.push_back(handle); }
};
using CountingHandle = UniqueHandleT<CountingTraits>;

TEST(UniqueHandle, ClosesEachHandleExactlyOnce) {
  gClosed.clear();
  {
    CountingHandle none;
    CountingHandle a(0);
    CountingHandle b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), 0);

    CountingHandle c(2);
    c = std::move(b);  // closes 2, takes 0
    EXPECT_EQ(gClosed, (std::vector<int>{2}));
    auto& alias = c;
    c = std::move(alias);  // self-move keeps the handle
    EXPECT_EQ(c.get(), 0);

    CountingHandle d(3);
    d.reset(4);
    d.reset(4 + 1);
    EXPECT_EQ(d.release(), 5);  // released: the owner's job now
    EXPECT_FALSE(d);
  }
  EXPECT_EQ(gClosed, (std::vector<int>{2, 3, 4, 0}));
}

std::vector<HANDLE> gClosedKernelHandles;
BOOL WINAPI RecordingCloseHandle(HANDLE handle) {
  gClosedKernelHandles.push_back(handle);
  return ::CloseHandle(handle);
}

TEST(UniqueHandle, ClosesThroughTheBoundCloseHandle) {
  SlotOverride<decltype(&::CloseHandle)> recording(sys::CloseHandle, RecordingCloseHandle);
  gClosedKernelHandles.clear();
  const HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ASSERT_NE(event, nullptr);
  {
    UniqueHandle first(event);
    UniqueHandle second(std::move(first));
  }
  EXPECT_EQ(gClosedKernelHandles, std::vector<HANDLE>{event});
}

struct BindFailure {
  std::string library;
  std::string function;
};
std::vector<BindFailure> gBindFailures;
void RecordBindFailure(const char* library, const char* function) {
  gBindFailures.push_back({library, function});
}

TEST(SystemFunctions, AFunctionThatCannotBeBoundIsReportedByLibraryAndName) {
  const auto previous = sys::SetBindFailureHandler(RecordBindFailure);
  const BindFailure cases[] = {
      {"kernel32.dll", "CreatePipeButMissing"},
      {"vk_no_such_library.dll", "CreatePipe"},
  };
  for (const BindFailure& missing : cases) {
    SCOPED_TRACE(missing.library + " " + missing.function);
    gBindFailures.clear();
    EXPECT_EQ(sys::BindFunction(missing.library.c_str(), missing.function.c_str()), nullptr);
    ASSERT_EQ(gBindFailures.size(), 1u);
    EXPECT_EQ(gBindFailures[0].library, missing.library);
    EXPECT_EQ(gBindFailures[0].function, missing.function);

    const Text message =
        sys::BindFailureMessage(missing.library.c_str(), missing.function.c_str());
    EXPECT_NE(message.find(missing.library), Text::npos) << message;
    EXPECT_NE(message.find(missing.function), Text::npos) << message;
  }
  sys::SetBindFailureHandler(previous);
}

TEST(SystemFunctions, BindsEveryRowOfTheTableFromItsLibrary) {
  const auto previous = sys::SetBindFailureHandler(RecordBindFailure);
  gBindFailures.clear();
  const std::pair<const char*, const char*> rows[] = {
      {sys::CreatePipe.library, sys::CreatePipe.name},
      {sys::CreateProcessA.library, sys::CreateProcessA.name},
      {sys::CloseHandle.library, sys::CloseHandle.name},
      {sys::PeekNamedPipe.library, sys::PeekNamedPipe.name},
      {sys::ReadFile.library, sys::ReadFile.name},
      {sys::GetExitCodeProcess.library, sys::GetExitCodeProcess.name},
      {sys::GetInputState.library, sys::GetInputState.name},
      {sys::CreateWaitableTimerA.library, sys::CreateWaitableTimerA.name},
      {sys::SetWaitableTimer.library, sys::SetWaitableTimer.name},
      {sys::MsgWaitForMultipleObjects.library, sys::MsgWaitForMultipleObjects.name},
      {sys::PathIsDirectoryA.library, sys::PathIsDirectoryA.name},
  };
  for (const auto& [library, name] : rows) {
    SCOPED_TRACE(std::string(library) + " " + name);
    EXPECT_NE(sys::BindFunction(library, name), nullptr);
  }
  EXPECT_TRUE(gBindFailures.empty());
  sys::SetBindFailureHandler(previous);
}

TEST(IsDirectory, TrueOnlyForAnExistingFolder) {
  const TempFolder folder;
  const std::string file = folder.WriteFile("file.txt", "x");
  const struct {
    std::string path;
    bool expected;
  } cases[] = {
      {folder.Path(), true},
      {folder.Path() + "\\", true},
      {file, false},
      {folder.Path() + "\\missing", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(IsDirectory(c.path), c.expected);
  }
}

}  // namespace
