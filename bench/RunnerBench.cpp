// Compares RunHiddenCommand with two plain blocking runners in the same
// process, one whose children each get a console of their own
// (CREATE_NEW_CONSOLE) and one whose children get a console without a window
// (CREATE_NO_WINDOW): time for a sequence of short commands, time for a large
// capture, CPU time while a child sleeps, and how soon a window message is
// answered during a run. Rounds interleave the runners; medians are reported.
// A windowed program, as the product is: it has no console for its children
// to share, so each pays for a console of its own exactly as in the product.
// CPU times come from the host's /proc (Wine's GetProcessTimes cannot be
// trusted for this): scripts/bench.sh passes the host process ids of this
// program and of Wine's server, since under Wine /proc/self is the server.
//   exec_bench.exe RESULT-FILE ROUNDS WINESERVER-PID OWN-HOST-PID
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "exec/HiddenCommand.h"
#include "exec/PollCadence.h"
#include "exec/SystemFunctions.h"
#include "exec/UniqueHandle.h"

namespace {

constexpr int kDefaultRounds = 10;
constexpr int kSequenceLength = 19;
constexpr size_t kShortOutputBytes = 16;
constexpr size_t kCaptureBytes = 8 * 1024 * 1024;
constexpr int kSleepMs = 3000;
constexpr int kQuietRunMs = 1000;
constexpr int kFloorMs = 1000;
constexpr DWORD kProbeIntervalMs = 20;
constexpr DWORD kProbeTimeoutMs = 10'000;

// Targets: ratios to the no-window plain runner, share of a core, and the
// slowest answer to a window message.
constexpr double kSequenceTarget = 1.1;
constexpr double kCaptureTarget = 1.3;
constexpr double kCpuTargetPercent = 0.5;
constexpr double kMessageDelayTargetMs = 30;

// The plain runner: one pipe, blocking reads until it breaks, then the wait.
// Win32 is called directly here; only the product binds by name.
Text RunBlocking(const Text& command, DWORD creationFlags) {
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof(security);
  security.bInheritHandle = TRUE;
  HANDLE readHandle = nullptr;
  HANDLE writeHandle = nullptr;
  if (!CreatePipe(&readHandle, &writeHandle, &security, 0)) return Text();
  UniqueHandle readEnd(readHandle);
  UniqueHandle writeEnd(writeHandle);

  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
  startup.wShowWindow = SW_HIDE;
  startup.hStdOutput = writeEnd.get();
  startup.hStdError = writeEnd.get();
  Text commandLine = "cmd.exe /c " + command;
  PROCESS_INFORMATION child = {};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, creationFlags, nullptr,
                      nullptr, &startup, &child)) {
    return Text();
  }
  UniqueHandle thread(child.hThread);
  UniqueHandle process(child.hProcess);
  writeEnd.reset();

  Text output;
  std::vector<char> buffer(64 * 1024);
  DWORD read = 0;
  while (ReadFile(readEnd.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                  nullptr) &&
         read > 0) {
    output.append(buffer.data(), read);
  }
  WaitForSingleObject(process.get(), INFINITE);
  return output;
}

Text RunWithConsole(const Text& command) { return RunBlocking(command, CREATE_NEW_CONSOLE); }
Text RunWithoutWindow(const Text& command) { return RunBlocking(command, CREATE_NO_WINDOW); }

using Runner = Text (*)(const Text&);
constexpr Runner kRunners[] = {RunHiddenCommand, RunWithConsole, RunWithoutWindow};
constexpr int kRunnerCount = 3;
constexpr int kNoWindow = 2;

struct Sample {
  std::vector<double> values[kRunnerCount];
};

double Seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) / frequency;
}

// A host file read through Wine's Z: drive; empty when it cannot be read.
std::string ReadHostFile(const std::string& path) {
  std::string dosPath = "Z:" + path;
  std::replace(dosPath.begin(), dosPath.end(), '/', '\\');
  const UniqueFileHandle file(CreateFileA(dosPath.c_str(), GENERIC_READ,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  std::string text;
  if (!file) return text;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    text.append(buffer, read);
  }
  return text;
}

// CPU seconds of one host task: the first field of its schedstat, in ns.
double TaskCpuSeconds(const std::string& taskFolder) {
  return std::strtod(ReadHostFile(taskFolder + "/schedstat").c_str(), nullptr) / 1e9;
}

// CPU seconds of every thread of a host process, as the host kernel counts
// them. Wine runs each Windows thread as a host thread of its process.
double ProcessCpuSeconds(const std::string& processFolder) {
  std::string search = "Z:" + processFolder + "/task/*";
  std::replace(search.begin(), search.end(), '/', '\\');
  double total = 0;
  WIN32_FIND_DATAA found;
  const HANDLE find = FindFirstFileA(search.c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  do {
    if (found.cFileName[0] == '.') continue;
    total += TaskCpuSeconds(processFolder + "/task/" + found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return total;
}

// The share of a core that a thread spends doing nothing but sleep on a
// periodic timer at the runner's longest idle wait: what any wake-up at that
// cadence costs on this machine, the floor under the runner's own figure.
double TimerFloorPercent(const std::string& self) {
  const UniqueHandle timer(CreateWaitableTimerA(nullptr, FALSE, nullptr));
  LARGE_INTEGER due;
  due.QuadPart = -10'000LL * kMaxPollInterval;
  if (!timer || !SetWaitableTimer(timer.get(), &due, kMaxPollInterval, nullptr, nullptr, FALSE)) {
    return 0;
  }
  const double cpuStart = ProcessCpuSeconds(self);
  const double start = Seconds();
  for (int i = 0; i < kFloorMs / kMaxPollInterval; ++i) WaitForSingleObject(timer.get(), INFINITE);
  return (ProcessCpuSeconds(self) - cpuStart) / (Seconds() - start) * 100;
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs measure for every runner in every round, the order turning from round
// to round so that drift of the machine falls on all alike.
Sample Interleave(int rounds, const std::function<double(Runner)>& measure) {
  Sample sample;
  for (int round = 0; round < rounds; ++round) {
    for (int i = 0; i < kRunnerCount; ++i) {
      const int runner = (round + i) % kRunnerCount;
      sample.values[runner].push_back(measure(kRunners[runner]));
    }
  }
  return sample;
}

// When a window message was posted and how long it waited to be handled.
struct Delay {
  double postedAt;
  double ms;
};

// Start and end of every launch of a child by RunHiddenCommand while the
// probe runs: no runner dispatches a message while it starts its child.
std::vector<std::pair<double, double>> gLaunches;

BOOL WINAPI TimedCreateProcessA(LPCSTR application, LPSTR commandLine,
                                LPSECURITY_ATTRIBUTES processSecurity,
                                LPSECURITY_ATTRIBUTES threadSecurity, BOOL inheritHandles,
                                DWORD flags, LPVOID environment, LPCSTR directory,
                                LPSTARTUPINFOA startup, LPPROCESS_INFORMATION info) {
  const double start = Seconds();
  const BOOL created = ::CreateProcessA(application, commandLine, processSecurity, threadSecurity,
                                        inheritHandles, flags, environment, directory, startup,
                                        info);
  gLaunches.emplace_back(start, Seconds());
  return created;
}

// A shown window of this thread, as the product has one all along (under Wine
// that adds the display's connection to every wait of the thread). During a
// run another thread posts it a message every few milliseconds; it records
// how long after its posting each is handled.
class MessageProbe {
 public:
  MessageProbe() : handled_(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = Proc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VkBenchProbe";
    RegisterClassA(&windowClass);
    window_ = CreateWindowExA(0, windowClass.lpszClassName, "exec_bench", WS_OVERLAPPEDWINDOW,
                              CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, nullptr, nullptr,
                              windowClass.hInstance, nullptr);
    SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
  }
  ~MessageProbe() { DestroyWindow(window_); }
  MessageProbe(const MessageProbe&) = delete;
  MessageProbe& operator=(const MessageProbe&) = delete;

  // Runs run on this thread while the probe posts; adds the delays, in ms.
  void During(const std::function<void()>& run, std::vector<Delay>& delays) {
    delays_ = &delays;
    stop_ = false;
    // A Win32 thread: the runtime's thread model has no std::thread.
    UniqueHandle poster(CreateThread(nullptr, 0, PostEvery, this, 0, nullptr));
    run();
    delays_ = nullptr;
    stop_ = true;
    // The last message may still be queued: handle it here, unrecorded.
    HANDLE posterHandle = poster.get();
    while (poster && MsgWaitForMultipleObjects(1, &posterHandle, FALSE, INFINITE, QS_ALLINPUT) !=
                         WAIT_OBJECT_0) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
  }

 private:
  static DWORD WINAPI PostEvery(void* parameter) {
    auto* self = static_cast<MessageProbe*>(parameter);
    while (!self->stop_) {
      self->postedAt_ = Seconds();
      PostMessageA(self->window_, WM_APP, 0, 0);
      if (WaitForSingleObject(self->handled_.get(), kProbeTimeoutMs) != WAIT_OBJECT_0) break;
      Sleep(kProbeIntervalMs);
    }
    return 0;
  }

  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<MessageProbe*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self && message == WM_APP) {
      if (self->delays_) {
        const double postedAt = self->postedAt_;
        self->delays_->push_back({postedAt, (Seconds() - postedAt) * 1e3});
      }
      SetEvent(self->handled_.get());
      return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
  }

  UniqueHandle handled_;
  HWND window_ = nullptr;
  std::atomic<double> postedAt_{0};
  std::atomic<bool> stop_{false};
  std::vector<Delay>* delays_ = nullptr;
};

const char* Verdict(bool met) { return met ? "met" : "MISSED"; }

void ReportTimes(std::FILE* out, const char* what, const Sample& sample, double target) {
  const double runner = Median(sample.values[0]);
  const double console = Median(sample.values[1]);
  const double noWindow = Median(sample.values[kNoWindow]);
  const double ratio = noWindow > 0 ? runner / noWindow : 0;
  std::fprintf(out, "%-34s %9.1f ms %9.1f ms %9.1f ms %7.2fx %7.2fx   <= %.1fx %s\n", what,
               runner * 1e3, console * 1e3, noWindow * 1e3, console > 0 ? runner / console : 0,
               ratio, target, Verdict(ratio <= target));
}

void ReportCpu(std::FILE* out, const char* what, const Sample& sample, const char* target,
               bool met) {
  std::fprintf(out, "%-34s %10.2f %% %10.2f %% %10.2f %%", what, Median(sample.values[0]),
               Median(sample.values[1]), Median(sample.values[kNoWindow]));
  if (target[0]) std::fprintf(out, " %17s   %s %s", "", target, Verdict(met));
  std::fprintf(out, "\n");
}

double Percentile(std::vector<double> values, int percent) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[(values.size() - 1) * percent / 100];
}

// The delays of all messages, and the slowest of those that did not wait for
// a launch to end; the target applies to these.
void ReportDelays(std::FILE* out, const char* what, const std::vector<Delay>& delays) {
  std::vector<double> all;
  std::vector<double> outsideLaunches;
  for (const Delay& delay : delays) {
    all.push_back(delay.ms);
    const double handledAt = delay.postedAt + delay.ms / 1e3;
    const bool waitedForLaunch =
        std::any_of(gLaunches.begin(), gLaunches.end(), [&](const std::pair<double, double>& l) {
          return delay.postedAt < l.second && handledAt > l.first;
        });
    if (!waitedForLaunch) outsideLaunches.push_back(delay.ms);
  }
  const double slowest = Percentile(outsideLaunches, 100);
  std::fprintf(out,
               "%-34s median %.2f, 95%% %.2f, slowest %.2f (%.2f not behind a launch) ms, "
               "n=%u   < %.0f ms %s\n",
               what, Median(all), Percentile(all, 95), Percentile(all, 100), slowest,
               static_cast<unsigned>(all.size()), kMessageDelayTargetMs,
               Verdict(!outsideLaunches.empty() && slowest < kMessageDelayTargetMs));
}

std::string ChildProgram() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\')) + "\\exec_test_child.exe";
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  if (__argc < 2) return 2;
  std::FILE* out = std::fopen(__argv[1], "w");
  if (!out) return 2;
  const int rounds = __argc > 2 ? std::max(1, std::atoi(__argv[2])) : kDefaultRounds;
  const std::string server = __argc > 3 ? std::string("/proc/") + __argv[3] : std::string();
  const std::string self = __argc > 4 ? std::string("/proc/") + __argv[4] : std::string();
  // The id is ours only when the host process carries this program's name.
  const bool cpuKnown = !self.empty() && !server.empty() &&
                        ReadHostFile(self + "/comm").compare(0, 10, "exec_bench") == 0;
  const std::string child = ChildProgram();
  // Every output is checked; the first one that is not as expected is named.
  std::string wrongOutput;
  const auto expect = [&](const Text& output, size_t length, const char* what, Runner run) {
    if (output.size() == length || !wrongOutput.empty()) return;
    const auto runner = std::find(kRunners, kRunners + kRunnerCount, run) - kRunners;
    wrongOutput = std::string(what) + " (runner " + std::to_string(runner) + "): " +
                  std::to_string(output.size()) + " bytes, " + std::to_string(length) +
                  " expected: " + output.substr(0, 200);
  };
  MessageProbe probe;

  const Text shortCommand = child + " write " + std::to_string(kShortOutputBytes);
  const Sample sequence = Interleave(rounds, [&](Runner run) {
    const double start = Seconds();
    for (int i = 0; i < kSequenceLength; ++i) {
      expect(run(shortCommand), kShortOutputBytes, "short command", run);
    }
    return Seconds() - start;
  });

  const Text captureCommand = child + " write " + std::to_string(kCaptureBytes);
  const Sample capture = Interleave(rounds, [&](Runner run) {
    const double start = Seconds();
    expect(run(captureCommand), kCaptureBytes, "capture", run);
    return Seconds() - start;
  });

  // Shares of a core over the whole run: this process, and Wine's server.
  const Text sleepCommand = child + " sleep " + std::to_string(kSleepMs);
  Sample serverCpu;
  std::vector<double> floorCpu;
  const Sample ownCpu = Interleave(rounds, [&](Runner run) {
    if (run == kRunners[0]) floorCpu.push_back(TimerFloorPercent(self));
    const double serverStart = ProcessCpuSeconds(server);
    const double ownStart = ProcessCpuSeconds(self);
    const double start = Seconds();
    expect(run(sleepCommand), 0, "sleep", run);
    const double elapsed = Seconds() - start;
    const double own = ProcessCpuSeconds(self) - ownStart;
    const double serverUsed = ProcessCpuSeconds(server) - serverStart;
    const auto runner = std::find(kRunners, kRunners + kRunnerCount, run) - kRunners;
    serverCpu.values[runner].push_back(serverUsed / elapsed * 100);
    return own / elapsed * 100;
  });

  std::vector<Delay> quietDelays;
  std::vector<Delay> captureDelays;
  sys::CreateProcessA.address = TimedCreateProcessA;
  const Text quietCommand = child + " sleep " + std::to_string(kQuietRunMs);
  for (int round = 0; round < rounds; ++round) {
    probe.During([&] { expect(RunHiddenCommand(quietCommand), 0, "quiet run", kRunners[0]); },
                 quietDelays);
    probe.During(
        [&] { expect(RunHiddenCommand(captureCommand), kCaptureBytes, "probed capture", kRunners[0]); },
                 captureDelays);
  }

  std::fprintf(out,
               "%d interleaved rounds, medians; children started by a windowed program; "
               "outputs %s\n",
               rounds, wrongOutput.empty() ? "as expected" : ("WRONG: " + wrongOutput).c_str());
  std::fprintf(out, "%-34s %12s %12s %12s %8s %8s   %s\n", "", "RunHidden", "new console",
               "no window", "/console", "/no win", "target");
  ReportTimes(out, "19 short commands in sequence", sequence, kSequenceTarget);
  ReportTimes(out, "capture of 8 MiB", capture, kCaptureTarget);
  const double cpu = Median(ownCpu.values[0]);
  char cpuTarget[32];
  std::snprintf(cpuTarget, sizeof(cpuTarget), "<= %.1f %%", kCpuTargetPercent);
  if (cpuKnown) {
    ReportCpu(out, "own CPU while a child sleeps 3 s", ownCpu, cpuTarget,
              cpu <= kCpuTargetPercent);
    ReportCpu(out, "Wine server CPU, same runs", serverCpu, "", true);
    std::fprintf(out, "%-34s %10.2f %%   (a thread that only sleeps on a %d ms timer)\n",
                 "floor: bare timer wake-ups", Median(floorCpu), kMaxPollInterval);
  } else {
    std::fprintf(out, "%-34s not measured: no host process ids given\n", "CPU while a child sleeps");
  }
  ReportDelays(out, "message handled, in a quiet run", quietDelays);
  ReportDelays(out, "message handled, in a capture", captureDelays);
  std::vector<double> launches;
  for (const auto& launch : gLaunches) launches.push_back((launch.second - launch.first) * 1e3);
  std::fprintf(out, "%-34s median %.2f ms, slowest %.2f ms\n", "launch of a child (CreateProcessA)",
               Median(launches), Percentile(launches, 100));
  std::fclose(out);
  return wrongOutput.empty() ? 0 : 1;
}
