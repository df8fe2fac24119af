// Compares RunHiddenCommand with a bare blocking runner in the same process:
// time per trivial command, capture of 8 MiB, and the caller's CPU time while
// a child sleeps. Rounds interleave the two runners; medians are reported.
// A windowed program, as the product is: its console children start the way
// a user's do.
//   exec_bench.exe RESULT-FILE [ROUNDS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "exec/HiddenCommand.h"
#include "exec/UniqueHandle.h"

namespace {

constexpr int kDefaultRounds = 10;
constexpr int kBatchSize = 19;
constexpr size_t kCaptureBytes = 8 * 1024 * 1024;
constexpr char kTrivialCommand[] = "echo x";
constexpr char kSleepArguments[] = " sleep 3000";

// The reference: one pipe, blocking reads until it breaks, then the wait.
// Win32 is called directly here; only the product binds by name.
Text RunBlocking(const Text& command) {
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
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                      &startup, &child)) {
    return Text();
  }
  UniqueHandle thread(child.hThread);
  UniqueHandle process(child.hProcess);
  writeEnd.reset();

  Text output;
  char buffer[64 * 1024];
  DWORD read = 0;
  while (ReadFile(readEnd.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    output.append(buffer, read);
  }
  WaitForSingleObject(process.get(), INFINITE);
  return output;
}

using Runner = Text (*)(const Text&);

struct Sample {
  std::vector<double> reference;
  std::vector<double> runner;
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

double CpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs measure for both runners in every round, the order alternating so
// that drift of the machine falls on both alike.
Sample Interleave(int rounds, const std::function<double(Runner)>& measure) {
  Sample sample;
  for (int round = 0; round < rounds; ++round) {
    if (round % 2 == 0) {
      sample.reference.push_back(measure(RunBlocking));
      sample.runner.push_back(measure(RunHiddenCommand));
    } else {
      sample.runner.push_back(measure(RunHiddenCommand));
      sample.reference.push_back(measure(RunBlocking));
    }
  }
  return sample;
}

void Report(std::FILE* out, const char* what, const char* unit, double scale,
            const Sample& sample) {
  const double reference = Median(sample.reference);
  const double runner = Median(sample.runner);
  std::fprintf(out, "%-34s reference %10.3f %s   runner %10.3f %s   ratio %.3f\n", what,
               reference * scale, unit, runner * scale, unit,
               reference > 0 ? runner / reference : 0.0);
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
  const std::string child = ChildProgram();
  bool outputsAgree = true;

  const Sample perCommand = Interleave(rounds, [&](Runner run) {
    const double start = Seconds();
    for (int i = 0; i < kBatchSize; ++i) outputsAgree &= run(kTrivialCommand) == "x\r\n";
    return (Seconds() - start) / kBatchSize;
  });

  const Text captureCommand = child + " write " + std::to_string(kCaptureBytes);
  const Sample capture = Interleave(rounds, [&](Runner run) {
    const double start = Seconds();
    outputsAgree &= run(captureCommand).size() == kCaptureBytes;
    return Seconds() - start;
  });

  const Text sleepCommand = child + kSleepArguments;
  const Sample waitCpu = Interleave(rounds, [&](Runner run) {
    const double start = CpuSeconds();
    outputsAgree &= run(sleepCommand).empty();
    return CpuSeconds() - start;
  });

  std::fprintf(out, "rounds %d, %d commands per batch, outputs %s\n", rounds, kBatchSize,
               outputsAgree ? "as expected" : "WRONG");
  Report(out, "per command (cmd /c echo x)", "ms", 1e3, perCommand);
  Report(out, "capture of 8 MiB", "ms", 1e3, capture);
  Report(out, "caller CPU while a child sleeps 3 s", "ms", 1e3, waitCpu);
  std::fclose(out);
  return outputsAgree ? 0 : 1;
}
