#include "tests/support/RunningProgram.h"

namespace {

constexpr DWORD kCloseTimeoutMs = 10000;
constexpr UINT kTextTimeoutMs = 5000;

struct WindowSearch {
  DWORD processId;
  const char* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner != search->processId || !IsWindowVisible(hwnd)) return TRUE;
  if (search->caption != nullptr && WindowText(hwnd) != search->caption) return TRUE;
  search->found = hwnd;
  return FALSE;
}

}  // namespace

std::string WindowsPathOf(const std::string& unixPath) {
  std::string path = unixPath;
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string WindowText(HWND hwnd) {
  DWORD_PTR length = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, kTextTimeoutMs, &length);
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                      SMTO_BLOCK, kTextTimeoutMs, &copied);
  text.resize(copied);
  return text;
}

RunningProgram::RunningProgram(const std::string& exe, DWORD creationFlags, const char* directory,
                               const char* caption, DWORD timeoutMs) {
  std::string commandLine = "\"" + exe + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, creationFlags,
                      nullptr, directory, &startup, &info)) {
    return;
  }
  process_.reset(info.hProcess);
  UniqueHandle thread(info.hThread);
  processId_ = info.dwProcessId;
  WindowSearch search{processId_, caption, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  window_ = search.found;
  if (window_ != nullptr) threadId_ = GetWindowThreadProcessId(window_, nullptr);
}

RunningProgram::~RunningProgram() {
  if (!Running()) return;
  if (window_ != nullptr) PostMessageA(window_, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process_.get(), kCloseTimeoutMs) == WAIT_TIMEOUT) {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), kCloseTimeoutMs);
  }
}

bool RunningProgram::Running() const {
  return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

long long RunningProgram::WaitForExit(DWORD timeoutMs) const {
  if (!process_ || WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(process_.get(), &code);
  return code;
}
