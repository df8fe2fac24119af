// One small console program that the end-to-end tests copy under several
// names. As sc.exe, net.exe or netsh.exe in the system folder it stands in
// for Windows' tool: it notes its command line, as typed, in calls.log in
// the folder named by VOSTREL_STANDIN_DIR and prints canned output. As cmd.exe
// anywhere else it was planted: it notes that it ran in planted.txt next to
// itself, so a test sees that it must not have.
//   sc qc NAME     prints qc_NAME.txt from that folder, or the "no such
//                  service" answer when there is none
//   sc delete X    "[SC] DeleteService SUCCESS"
//   net stop X     "The X service was stopped successfully."
//   netsh ...      "netsh ..." (its own command line, the program word
//                  written in small letters)
#include <windows.h>

#include <algorithm>
#include <string>

namespace {

std::string ModuleName() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string name(path, length);
  name = name.substr(name.find_last_of('\\') + 1);
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

std::string ModuleFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path, length);
  return full.substr(0, full.find_last_of('\\'));
}

std::string StandInFolder() {
  char folder[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA("VOSTREL_STANDIN_DIR", folder, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::string(folder, length) : std::string();
}

void AppendToFile(const std::string& path, const std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return true;
}

void Print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
            &written, nullptr);
}

// The words of a command line after the program word; quotes are kept.
std::string Arguments(const std::string& commandLine) {
  size_t at = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    at = commandLine.find('"', 1);
    at = at == std::string::npos ? commandLine.size() : at + 1;
  } else {
    at = commandLine.find(' ');
    if (at == std::string::npos) at = commandLine.size();
  }
  while (at < commandLine.size() && commandLine[at] == ' ') ++at;
  return commandLine.substr(at);
}

std::string Word(const std::string& text, int index) {
  size_t start = 0;
  for (int i = 0;; ++i) {
    while (start < text.size() && text[start] == ' ') ++start;
    const size_t end = std::min(text.find(' ', start), text.size());
    if (i == index) return text.substr(start, end - start);
    if (end >= text.size()) return std::string();
    start = end;
  }
}

}  // namespace

int main() {
  const std::string name = ModuleName();
  const std::string commandLine = GetCommandLineA();
  if (name == "cmd.exe") {
    AppendToFile(ModuleFolder() + "\\planted.txt", commandLine + "\r\n");
    return 0;
  }
  const std::string folder = StandInFolder();
  if (folder.empty()) return 1;
  AppendToFile(folder + "\\calls.log", commandLine + "\r\n");

  const std::string arguments = Arguments(commandLine);
  if (name == "sc.exe") {
    if (lstrcmpiA(Word(arguments, 0).c_str(), "qc") == 0) {
      std::string answer;
      if (ReadWholeFile(folder + "\\qc_" + Word(arguments, 1) + ".txt", answer)) {
        Print(answer);
        return 0;
      }
      Print("[SC] OpenService FAILED 1060:\r\n\r\n"
            "The specified service does not exist as an installed service.\r\n\r\n");
      return 1060;
    }
    Print("[SC] DeleteService SUCCESS\r\n");
    return 0;
  }
  if (name == "net.exe") {
    Print("The " + Word(arguments, 1) + " service was stopped successfully.\r\n");
    return 0;
  }
  if (name == "netsh.exe") {
    Print("netsh " + arguments + "\r\n");
    return 0;
  }
  return 1;
}
