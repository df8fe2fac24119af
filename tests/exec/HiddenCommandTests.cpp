#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "OutputPattern.h"
#include "TestSupport.h"
#include "exec/HiddenCommand.h"

namespace {

// Real commands through cmd.exe.

struct CommandCase {
  const char* name;
  std::string command;
  std::string output;
};

class RunHiddenCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(RunHiddenCommandTest, ReturnsWhatTheCommandWrote) {
  EXPECT_EQ(RunHiddenCommand(GetParam().command), GetParam().output);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, RunHiddenCommandTest,
    testing::Values(
        CommandCase{"Empty", "", ""}, CommandCase{"WritesNothing", "rem quiet", ""},
        CommandCase{"ErrorOutputInOrder", "echo a& echo b 1>&2& echo c", "a\r\nb \r\nc\r\n"},
        CommandCase{"ExitCodeStillActive", "echo x& exit /b 259", "x\r\n"},
        // Bytes pass unconverted: the text is CP936 on the way in and out.
        CommandCase{"Cp936Text", "echo 输出信息", "输出信息\r\n"}),
    [](const testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

TEST(RunHiddenCommand, OutputFarLargerThanThePipeComesBackWholeAndInOrder) {
  constexpr size_t kLength = 6 * 1024 * 1024 + 7;
  const Text output = RunHiddenCommand(ChildCommand("write " + std::to_string(kLength)));
  ASSERT_EQ(output.size(), kLength);
  EXPECT_TRUE(output == OutputPattern(kLength));
}

TEST(RunHiddenCommand, AChunkEndsAtItsFirstZeroByte) {
  EXPECT_EQ(RunHiddenCommand(ChildCommand("zero")), "abc");
}

TEST(RunHiddenCommand, InterpreterPrefixFollowsTheOsType) {
  EXPECT_EQ(GetOsType(), 3);
  const std::string system = SystemFolder();
  const std::string windows = WindowsFolder();
  ASSERT_GT(system.size(), 3u);
  ASSERT_GT(windows.size(), 3u);
  const struct {
    int32_t osType;
    std::string path;
    std::string prefix;
  } cases[] = {{3, system + "\\cmd.exe", "\"" + system + "\\cmd.exe\" /d /c "},
               {2, windows + "\\command.com", windows + "\\command.com /c "},
               {1, windows + "\\command.com", windows + "\\command.com /c "},
               {0, windows + "\\command.com", windows + "\\command.com /c "}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.osType);
    EXPECT_EQ(InterpreterPath(c.osType), c.path);
    EXPECT_EQ(InterpreterPrefix(c.osType), c.prefix);
  }
}

// A program's folder, or the current one, may be writable by others: a
// command found there must never run in place of the system's own.
TEST(RunHiddenCommand, NothingInTheCurrentFolderAnswersACommand) {
  const TempFolder folder;
  folder.WriteFile("vkplanted.bat", "@echo PLANTED-RAN\r\n");
  char saved[MAX_PATH] = {};
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.Path().c_str()));
  const Text output = RunHiddenCommand("vkplanted& cd");
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(output.find("PLANTED-RAN"), std::string::npos) << output;
  // The children start in the system folder.
  EXPECT_NE(output.find(SystemFolder() + "\r\n"), std::string::npos) << output;
}

TEST(BytesToText, KeepsTheBytesBeforeTheFirstZero) {
  const struct {
    const char* bytes;
    int32_t length;
    std::string text;
  } cases[] = {
      {nullptr, 4, ""}, {"abc", 0, ""}, {"abc", -1, ""},  {"abc", 2, "ab"},
      {"a\0b", 3, "a"}, {"\0ab", 3, ""}, {"\x95\x5C", 2, "\x95\x5C"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(BytesToText(c.bytes, c.length), c.text);
  }
}

// Messages dispatched during a run.

class DispatchDuringRunTest : public testing::Test {
 protected:
  void TearDown() override { DiscardQueuedMessages(); }
  TestWindow window_;
};

TEST_F(DispatchDuringRunTest, NestedCallKeepsTheOutputsApart) {
  Text inner;
  bool outerRunning = false;
  bool nestedInsideOuter = false;
  window_.On(WM_APP, [&] {
    nestedInsideOuter = outerRunning;
    inner = RunHiddenCommand("echo inner");
  });
  window_.Post(WM_APP);
  outerRunning = true;
  const Text outer =
      RunHiddenCommand("echo outer1& " + ChildCommand("sleep 300") + "& echo outer2");
  outerRunning = false;
  EXPECT_TRUE(nestedInsideOuter);
  EXPECT_EQ(inner, "inner\r\n");
  EXPECT_EQ(outer, "outer1\r\nouter2\r\n");
}

TEST_F(DispatchDuringRunTest, QuitStaysQueuedAndNothingBehindItIsDispatched) {
  bool behindQuitDispatched = false;
  window_.On(WM_APP, [&] {
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    window_.Post(WM_APP + 1);
  });
  window_.On(WM_APP + 1, [&] { behindQuitDispatched = true; });
  window_.Post(WM_APP);

  EXPECT_EQ(RunHiddenCommand(ChildCommand("sleep 300") + "& echo end"), "end\r\n");
  EXPECT_FALSE(behindQuitDispatched);
  MSG msg;
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

// Stand-ins in the system-function table: handle accounting, scripted pipe
// contents and injected faults.

// Every handle the runner opens, and every close, seen through the table.
// Handle values are reused once closed, so the ledger tracks which are open.
struct HandleLedger {
  std::vector<HANDLE> opened;
  std::vector<HANDLE> open;
  int strayCloses = 0;
  HANDLE process = nullptr;
  std::string application;
  std::string commandLine;
  std::string directory;
  STARTUPINFOA startup = {};
  BOOL inheritHandles = FALSE;
  DWORD creationFlags = 0;
  bool writeEndOpenAtCreation = false;
};
HandleLedger gLedger;

void Opened(HANDLE handle) {
  gLedger.opened.push_back(handle);
  gLedger.open.push_back(handle);
}

BOOL WINAPI LedgerCreatePipe(PHANDLE read, PHANDLE write, LPSECURITY_ATTRIBUTES security,
                             DWORD size) {
  const BOOL ok = ::CreatePipe(read, write, security, size);
  if (ok) {
    EXPECT_TRUE(security && security->bInheritHandle);
    Opened(*read);
    Opened(*write);
  }
  return ok;
}

BOOL WINAPI LedgerCreateProcessA(LPCSTR application, LPSTR commandLine,
                                 LPSECURITY_ATTRIBUTES processSecurity,
                                 LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles,
                                 DWORD flags, LPVOID environment, LPCSTR directory,
                                 LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info) {
  gLedger.application = application ? application : "";
  gLedger.commandLine = commandLine;
  gLedger.directory = directory ? directory : "";
  gLedger.startup = *startup;
  gLedger.inheritHandles = inheritHandles;
  gLedger.creationFlags = flags;
  gLedger.writeEndOpenAtCreation =
      std::count(gLedger.open.begin(), gLedger.open.end(), startup->hStdOutput) == 1;
  const BOOL ok = ::CreateProcessA(application, commandLine, processSecurity, threadSecurity,
                                   inheritHandles, flags, environment, directory, startup, info);
  if (ok) {
    gLedger.process = info->hProcess;
    Opened(info->hProcess);
    Opened(info->hThread);
  }
  return ok;
}

// The launch without CREATE_NO_WINDOW: the console is only hidden.
BOOL WINAPI HiddenConsoleCreateProcessA(LPCSTR application, LPSTR commandLine,
                                        LPSECURITY_ATTRIBUTES processSecurity,
                                        LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles,
                                        DWORD flags, LPVOID environment, LPCSTR directory,
                                        LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info) {
  return LedgerCreateProcessA(application, commandLine, processSecurity, threadSecurity,
                              inheritHandles, flags & ~static_cast<DWORD>(CREATE_NO_WINDOW),
                              environment, directory, startup, info);
}

HANDLE WINAPI LedgerCreateWaitableTimerA(LPSECURITY_ATTRIBUTES security, BOOL manualReset,
                                         LPCSTR name) {
  const HANDLE timer = ::CreateWaitableTimerA(security, manualReset, name);
  if (timer) Opened(timer);
  return timer;
}

BOOL WINAPI LedgerCloseHandle(HANDLE handle) {
  const auto found = std::find(gLedger.open.begin(), gLedger.open.end(), handle);
  if (found == gLedger.open.end()) {
    ++gLedger.strayCloses;
  } else {
    gLedger.open.erase(found);
  }
  return ::CloseHandle(handle);
}

// Injected faults.
BOOL WINAPI FailCreatePipe(PHANDLE, PHANDLE, LPSECURITY_ATTRIBUTES, DWORD) { return FALSE; }
BOOL WINAPI FailCreateProcessA(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL,
                               DWORD, LPVOID, LPCSTR, LPSTARTUPINFOA, LPPROCESS_INFORMATION) {
  SetLastError(ERROR_FILE_NOT_FOUND);
  return FALSE;
}
HANDLE WINAPI FailCreateWaitableTimerA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR) { return nullptr; }
BOOL WINAPI FailSetWaitableTimer(HANDLE, const LARGE_INTEGER*, LONG, PTIMERAPCROUTINE, LPVOID,
                                 BOOL) {
  return FALSE;
}
DWORD WINAPI FailMsgWaitForMultipleObjects(DWORD, const HANDLE*, BOOL, DWORD, DWORD) {
  return WAIT_FAILED;
}

// A pipe whose contents the test scripts, chunk by chunk.
std::deque<std::string> gChunks;
int gPeeks = 0;
int gWaits = 0;
int gWaitsWithChunksWaiting = 0;
std::vector<LONG> gArmedPeriods;

BOOL WINAPI CountingPeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD size, LPDWORD read,
                                  LPDWORD available, LPDWORD left) {
  ++gPeeks;
  return ::PeekNamedPipe(pipe, buffer, size, read, available, left);
}

BOOL WINAPI ScriptedPeekNamedPipe(HANDLE, LPVOID, DWORD, LPDWORD, LPDWORD available, LPDWORD) {
  ++gPeeks;
  // An empty chunk stands for one look at an empty pipe.
  if (!gChunks.empty() && gChunks.front().empty()) {
    gChunks.pop_front();
    *available = 0;
    return TRUE;
  }
  *available = gChunks.empty() ? 0 : static_cast<DWORD>(gChunks.front().size());
  return TRUE;
}

// The output only shows once the child has ended and a peek found nothing:
// a short command that writes and exits between two polls.
BOOL WINAPI LatePeekNamedPipe(HANDLE pipe, LPVOID buffer, DWORD size, LPDWORD read,
                              LPDWORD available, LPDWORD left) {
  if (gPeeks == 0) {
    ++gPeeks;
    WaitForSingleObject(gLedger.process, INFINITE);
    gChunks.push_back("late\r\n");
    *available = 0;
    return TRUE;
  }
  return ScriptedPeekNamedPipe(pipe, buffer, size, read, available, left);
}

BOOL WINAPI ScriptedReadFile(HANDLE, LPVOID buffer, DWORD size, LPDWORD read, LPOVERLAPPED) {
  std::string& chunk = gChunks.front();
  const DWORD n = std::min(size, static_cast<DWORD>(chunk.size()));
  std::copy_n(chunk.data(), n, static_cast<char*>(buffer));
  chunk.erase(0, n);
  if (chunk.empty()) gChunks.pop_front();
  *read = n;
  return TRUE;
}

DWORD WINAPI CountingMsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL all,
                                               DWORD timeout, DWORD mask) {
  ++gWaits;
  if (!gChunks.empty()) ++gWaitsWithChunksWaiting;
  return ::MsgWaitForMultipleObjects(count, handles, all, timeout, mask);
}

BOOL WINAPI RecordingSetWaitableTimer(HANDLE timer, const LARGE_INTEGER* due, LONG period,
                                      PTIMERAPCROUTINE routine, LPVOID argument, BOOL resume) {
  gArmedPeriods.push_back(period);
  // The first firing comes one period after arming.
  EXPECT_EQ(due->QuadPart, -10'000LL * period);
  return ::SetWaitableTimer(timer, due, period, routine, argument, resume);
}

class StandInTest : public testing::Test {
 protected:
  StandInTest() {
    gLedger = HandleLedger();
    gChunks.clear();
    gPeeks = 0;
    gWaits = 0;
    gWaitsWithChunksWaiting = 0;
    gArmedPeriods.clear();
  }
  void TearDown() override { DiscardQueuedMessages(); }

  // Each handle the runner opened was closed exactly once.
  static void ExpectNoHandleLeft() {
    EXPECT_TRUE(gLedger.open.empty()) << gLedger.open.size() << " left open";
    EXPECT_EQ(gLedger.strayCloses, 0);
  }

  TestWindow window_;
  SlotOverride<decltype(&::CreatePipe)> createPipe_{sys::CreatePipe, LedgerCreatePipe};
  SlotOverride<decltype(&::CreateProcessA)> createProcess_{sys::CreateProcessA,
                                                            LedgerCreateProcessA};
  SlotOverride<decltype(&::CreateWaitableTimerA)> createTimer_{sys::CreateWaitableTimerA,
                                                                LedgerCreateWaitableTimerA};
  SlotOverride<decltype(&::CloseHandle)> closeHandle_{sys::CloseHandle, LedgerCloseHandle};
};

TEST_F(StandInTest, StartsTheInterpreterHiddenWithOnePipeForBothOutputs) {
  EXPECT_EQ(RunHiddenCommand("echo \"q\" %PATH:~0,0%x"), "\"q\" x\r\n");
  const std::string interpreter = SystemFolder() + "\\cmd.exe";
  EXPECT_EQ(gLedger.application, interpreter);
  EXPECT_EQ(gLedger.commandLine, "\"" + interpreter + "\" /d /c echo \"q\" %PATH:~0,0%x");
  EXPECT_EQ(gLedger.directory, SystemFolder());
  EXPECT_TRUE(gLedger.inheritHandles);
  EXPECT_EQ(gLedger.creationFlags, static_cast<DWORD>(CREATE_NO_WINDOW));
  EXPECT_EQ(gLedger.startup.dwFlags,
            static_cast<DWORD>(STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES));
  EXPECT_EQ(gLedger.startup.wShowWindow, SW_HIDE);
  EXPECT_EQ(gLedger.startup.hStdInput, nullptr);
  EXPECT_EQ(gLedger.startup.hStdError, gLedger.startup.hStdOutput);
  // The pipe ends, the process and thread, and a timer unless the child ended first.
  ASSERT_GE(gLedger.opened.size(), 4u);
  ASSERT_LE(gLedger.opened.size(), 5u);
  EXPECT_EQ(gLedger.startup.hStdOutput, gLedger.opened[1]);
  EXPECT_TRUE(gLedger.writeEndOpenAtCreation);
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, NeitherTheCommandNorWhatItStartsHasAConsoleWindow) {
  // The product is a windowed program: it has no console that its children
  // could share, whatever their flags. From here on, neither has this one.
  FreeConsole();
  const std::string probe = ChildCommand("console");
  const std::string command = probe + "& cmd /c " + probe;
  EXPECT_EQ(RunHiddenCommand(command), "no window\r\nno window\r\n");
  // The probe can tell: a console that is only hidden is still a window.
  // (Under Wine this needs an X display; without one neither has a window.)
  SlotOverride<decltype(&::CreateProcessA)> hidden(sys::CreateProcessA,
                                                   HiddenConsoleCreateProcessA);
  EXPECT_EQ(RunHiddenCommand(command), "window\r\nwindow\r\n");
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, OutputWrittenJustBeforeTheEndIsNotLost) {
  SlotOverride<decltype(&::PeekNamedPipe)> peek(sys::PeekNamedPipe, LatePeekNamedPipe);
  SlotOverride<decltype(&::ReadFile)> read(sys::ReadFile, ScriptedReadFile);
  EXPECT_EQ(RunHiddenCommand(""), "late\r\n");
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, LaterChunksFollowAChunkCutAtAZeroByte) {
  SlotOverride<decltype(&::PeekNamedPipe)> peek(sys::PeekNamedPipe, ScriptedPeekNamedPipe);
  SlotOverride<decltype(&::ReadFile)> read(sys::ReadFile, ScriptedReadFile);
  gChunks = {std::string("ab\0cd", 5), "ef", std::string("\0gh", 3), "ij"};
  EXPECT_EQ(RunHiddenCommand(""), "abefij");
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, AFloodOfOutputNeitherWaitsNorHoldsMessagesBack) {
  SlotOverride<decltype(&::PeekNamedPipe)> peek(sys::PeekNamedPipe, ScriptedPeekNamedPipe);
  SlotOverride<decltype(&::ReadFile)> read(sys::ReadFile, ScriptedReadFile);
  SlotOverride<decltype(&::MsgWaitForMultipleObjects)> wait(sys::MsgWaitForMultipleObjects,
                                                            CountingMsgWaitForMultipleObjects);
  constexpr size_t kChunks = 500;
  gChunks.assign(kChunks, "x");
  size_t chunksLeftAtDispatch = 0;
  window_.On(WM_APP, [&] { chunksLeftAtDispatch = gChunks.size(); });
  window_.Post(WM_APP);

  // The child is still running while the chunks arrive.
  EXPECT_EQ(RunHiddenCommand(ChildCommand("sleep 300")), std::string(kChunks, 'x'));
  EXPECT_EQ(gWaitsWithChunksWaiting, 0);
  EXPECT_GT(chunksLeftAtDispatch, kChunks / 2);
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, IdleWaitDoublesUpToItsCapAndAReadStartsItAgain) {
  SlotOverride<decltype(&::PeekNamedPipe)> peek(sys::PeekNamedPipe, ScriptedPeekNamedPipe);
  SlotOverride<decltype(&::ReadFile)> read(sys::ReadFile, ScriptedReadFile);
  SlotOverride<decltype(&::SetWaitableTimer)> arm(sys::SetWaitableTimer,
                                                  RecordingSetWaitableTimer);
  gChunks = {"", "", "", "", "", "", "a", "", "", "b"};
  // The script plays out in about 50 ms, long before the child ends; then the
  // pipe stays empty and the wait backs off to its cap for good.
  EXPECT_EQ(RunHiddenCommand(ChildCommand("sleep 300")), "ab");
  EXPECT_EQ(gArmedPeriods, (std::vector<LONG>{1, 2, 4, 8, 16, 1, 2, 1, 2, 4, 8, 16}));
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, AQuietSecondCostsAFewDozenWaits) {
  SlotOverride<decltype(&::MsgWaitForMultipleObjects)> wait(sys::MsgWaitForMultipleObjects,
                                                            CountingMsgWaitForMultipleObjects);
  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(RunHiddenCommand(ChildCommand("sleep 1000")), "");
  const ULONGLONG elapsed = GetTickCount64() - start;
  // About 60 at the 16 ms cap, with room for a timer that fires late; a
  // steady 1 ms wait makes about 800.
  EXPECT_LE(gWaits, static_cast<int>(elapsed / 12 + 10)) << elapsed << " ms";
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, FailedLaunchReturnsAtOnceAndDispatchesNothing) {
  SlotOverride<decltype(&::CreateProcessA)> fail(sys::CreateProcessA, FailCreateProcessA);
  bool dispatched = false;
  window_.On(WM_APP, [&] { dispatched = true; });
  window_.Post(WM_APP);
  EXPECT_EQ(RunHiddenCommand("echo x"), "");
  EXPECT_FALSE(dispatched);
  EXPECT_EQ(gLedger.opened.size(), 2u);
  ExpectNoHandleLeft();
}

TEST_F(StandInTest, WithoutAPipeTheCommandStillRunsAndGivesNothing) {
  SlotOverride<decltype(&::CreatePipe)> fail(sys::CreatePipe, FailCreatePipe);
  const TempFolder folder;
  const std::string made = folder.Path() + "\\made";
  EXPECT_EQ(RunHiddenCommand("mkdir " + made + "& echo x"), "");
  EXPECT_NE(GetFileAttributesA(made.c_str()), INVALID_FILE_ATTRIBUTES);
  ExpectNoHandleLeft();
}

// Faults of the wait: the run must still end with the whole output, without
// spinning while the child is quiet.
enum class WaitFault { None, NoTimer, TimerNotArmed, WaitFails };

class WaitFaultTest : public StandInTest, public testing::WithParamInterface<WaitFault> {};

TEST_P(WaitFaultTest, QuietChildIsAwaitedWithoutSpinning) {
  SlotOverride<decltype(&::PeekNamedPipe)> peek(sys::PeekNamedPipe, CountingPeekNamedPipe);
  SlotOverride<decltype(&::CreateWaitableTimerA)> create(
      sys::CreateWaitableTimerA, GetParam() == WaitFault::NoTimer ? FailCreateWaitableTimerA
                                                                  : LedgerCreateWaitableTimerA);
  SlotOverride<decltype(&::SetWaitableTimer)> arm(
      sys::SetWaitableTimer,
      GetParam() == WaitFault::TimerNotArmed ? FailSetWaitableTimer : &::SetWaitableTimer);
  SlotOverride<decltype(&::MsgWaitForMultipleObjects)> wait(
      sys::MsgWaitForMultipleObjects, GetParam() == WaitFault::WaitFails
                                          ? FailMsgWaitForMultipleObjects
                                          : &::MsgWaitForMultipleObjects);

  const ULONGLONG start = GetTickCount64();
  EXPECT_EQ(RunHiddenCommand(ChildCommand("sleep 400") + "& echo done"), "done\r\n");
  const ULONGLONG elapsed = GetTickCount64() - start;
  // A pass sleeps about a millisecond; a spinning loop would peek thousands
  // of times per millisecond.
  EXPECT_LE(gPeeks, static_cast<int>(3 * elapsed + 50)) << elapsed << " ms";
  ExpectNoHandleLeft();
}

INSTANTIATE_TEST_SUITE_P(Faults, WaitFaultTest,
                         testing::Values(WaitFault::None, WaitFault::NoTimer,
                                         WaitFault::TimerNotArmed, WaitFault::WaitFails));

}  // namespace
