#include <windows.h>

#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "exec/HiddenCommand.h"
#include "tests/support/RunningProgram.h"

// The real program under Wine. Stand-ins for sc, net and netsh (real small
// programs) take the place of Wine's own in the system folder; rd and del
// are cmd's own and work on fake product folders. Files named cmd.exe,
// sc.bat, net.bat and netsh.bat lie next to the program and must never run.
namespace {

constexpr int kPathBoxId = 110;
constexpr int kLogBoxId = 120;
constexpr int kAutoCleanButtonId = 100;
constexpr int kManualCleanButtonId = 130;
// Each console command costs up to half a second under Wine.
constexpr DWORD kClickTimeoutMs = 120000;
constexpr DWORD kWindowTimeoutMs = 30000;

const std::string kViewerNotFound = "没有发现看图王服务";
const std::string kArchiverNotFound = "没有发现好压服务";
const std::string kViewerNoFolder = "无法确定看图王的安装目录,已跳过";
const std::string kArchiverNoFolder = "无法确定好压的安装目录,已跳过";
const std::string kInvalidFolder = "请输入有效的2345看图王根目录,或者好压的根目录";
const char* const kTools[] = {"sc.exe", "net.exe", "netsh.exe"};

// Paths are byte strings in the ANSI code page, as the program sees them;
// the A functions keep odd names (CP936, a 0x5C second byte, %) exact.
bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFolders(const std::string& folder) {
  // Every backslash character after the drive ends a folder to make; the
  // second byte of a double-byte character is none.
  for (size_t at = 3; at < folder.size(); ++at) {
    if (static_cast<unsigned char>(folder[at]) >= 0x80) {
      ++at;
    } else if (folder[at] == '\\') {
      CreateDirectoryA(folder.substr(0, at).c_str(), nullptr);
    }
  }
  CreateDirectoryA(folder.c_str(), nullptr);
}

void WriteBytes(const std::string& file, const std::string& bytes) {
  MakeFolders(file.substr(0, file.find_last_of('\\')));
  const HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE) << file;
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(out);
}

std::string ReadBytes(const std::string& file) {
  std::string bytes;
  const HANDLE in = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (in == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(in, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(in);
  return bytes;
}

// Calls visit(name, isFolder) for every entry below folder, deepest last.
template <typename Visit>
void ForEachEntry(const std::string& folder, const std::string& relative, Visit visit) {
  WIN32_FIND_DATAA found;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    visit(relative + name, isFolder);
    if (isFolder) ForEachEntry(folder + "\\" + name, relative + name + "\\", visit);
  } while (FindNextFileA(search, &found));
  FindClose(search);
}

void RemoveTree(const std::string& folder) {
  std::vector<std::pair<std::string, bool>> entries;
  ForEachEntry(folder, "", [&](const std::string& name, bool isFolder) {
    entries.emplace_back(folder + "\\" + name, isFolder);
  });
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
    if (it->second) {
      RemoveDirectoryA(it->first.c_str());
    } else {
      SetFileAttributesA(it->first.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(it->first.c_str());
    }
  }
  RemoveDirectoryA(folder.c_str());
}

// Every file (with its bytes) and folder below a folder, by relative name.
using Snapshot = std::map<std::string, std::string>;

Snapshot TakeSnapshot(const std::string& folder) {
  Snapshot snapshot;
  ForEachEntry(folder, "", [&](const std::string& name, bool isFolder) {
    snapshot[name] = isFolder ? "<folder>" : ReadBytes(folder + "\\" + name);
  });
  return snapshot;
}

bool UnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Batch files want CR LF.
std::string Batch(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// Next to the program: each notes in planted.txt that it ran.
const std::string kPlantedBat = Batch({
    "@echo off",
    ">>\"%~dp0planted.txt\" echo %0 %*",
    "echo planted",
});

// What "SC qc" prints for an installed service running the program path.
std::string QueryAnswer(const std::string& service, const std::string& path) {
  return "[SC] QueryServiceConfig SUCCESS\r\n\r\nSERVICE_NAME: " + service +
         "\r\n        TYPE               : 10  WIN32_OWN_PROCESS\r\n"
         "        START_TYPE         : 2   AUTO_START\r\n"
         "        ERROR_CONTROL      : 1   NORMAL\r\n"
         "        BINARY_PATH_NAME   : " +
         path +
         "\r\n        LOAD_ORDER_GROUP   :\r\n        TAG                : 0\r\n"
         "        DISPLAY_NAME       : " +
         service + "\r\n        DEPENDENCIES       :\r\n        SERVICE_START_NAME : LocalSystem\r\n";
}

struct ProductFiles {
  std::vector<std::string> removed;  // relative to the product folder
  std::vector<std::string> kept;
};

const ProductFiles kViewerFiles{
    {"Protect\\PicSvc.exe", "Protect\\cfg\\data.dat", "2345PicUpdate.exe", "Pic_2345Upgrade.dll",
     "Pic_2345Upgrade.exe", "sub\\2345PicUpdate.exe", "sub\\deep\\Pic_2345Upgrade.dll"},
    {"2345Pic.exe", "readme.txt", "sub\\keep.txt", "sub\\Protect.txt"}};
const ProductFiles kArchiverFiles{
    {"Protect\\HaoZipSvc.exe", "HaoZipUpdate.exe", "Haozip_2345Upgrade.dll",
     "Haozip_2345Upgrade.exe", "sub\\HaoZipUpdate.exe", "sub\\Haozip_2345Upgrade.exe"},
    {"HaoZip.exe", "HaoZip_2345Upgrade.txt", "sub\\keep.txt"}};

std::string ViewerCommandLine(const std::string& folder, int line) {
  switch (line) {
    case 3: return "rd /s /q \"" + folder + "Protect\"";
    case 9:
      return "netsh advfirewall firewall add rule name=\"disconnect2345pic\" dir=in program=\"" +
             folder + "2345Pic.exe\" action=block";
  }
  return "";
}

std::string ArchiverCommandLine(const std::string& folder, int line) {
  switch (line) {
    case 3: return "rd /s /q \"" + folder + "Protect\"";
    case 9:
      return "netsh advfirewall firewall add rule name=\"disconnect2345zip\" dir=in program=\"" +
             folder + "HaoZip.exe\" action=block";
  }
  return "";
}

const std::vector<std::string> kViewerAutoCalls{
    "SC qc ViewPic_2345Svc", "net stop ViewPic_2345Svc", "SC delete ViewPic_2345Svc",
    "netsh advfirewall firewall delete rule name=\"disconnect2345pic\""};
const std::vector<std::string> kArchiverAutoCalls{
    "SC qc HaoZipSvc", "net stop HaoZipSvc", "SC delete HaoZipSvc",
    "netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\"",
    "netsh advfirewall firewall delete rule name=\"disconnect2345zip\""};
const std::vector<std::string> kManualCalls{
    "net stop ViewPic_2345Svc", "SC delete ViewPic_2345Svc", "net stop HaoZipSvc",
    "SC delete HaoZipSvc", "netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\""};

std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Entries (each followed by CR LF) that must stand in the log in this order;
// what rd and del print comes from Wine and is not pinned down.
void ExpectEntriesInOrder(const std::string& log, const std::vector<std::string>& entries) {
  std::size_t at = 0;
  for (const std::string& entry : entries) {
    const std::size_t found = log.find(entry + "\r\n", at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << entry << "\nlog:\n" << log;
    at = found + entry.size() + 2;
  }
}

std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

class EndToEnd : public testing::Test {
 protected:
  // The stand-ins replace Wine's tools in the system folder of the tests'
  // prefix for the whole suite; Wine's own are put back afterwards. Under
  // WoW64 a 32-bit test writes to the folder a 32-bit cmd.exe uses.
  static void SetUpTestSuite() {
    // Never on Windows: this replaces the system's own tools.
    ASSERT_TRUE(UnderWine());
    const std::string system = SystemFolder();
    const std::string standIn = WindowsPathOf(VK_STANDIN_PATH);
    for (const char* tool : kTools) {
      const std::string target = system + "\\" + tool;
      const std::string saved = target + ".vk-saved";
      if (!Exists(saved)) {
        ASSERT_TRUE(CopyFileA(target.c_str(), saved.c_str(), TRUE)) << target;
      }
      ASSERT_TRUE(CopyFileA(standIn.c_str(), target.c_str(), FALSE)) << target;
    }
    // Wine runs its builtin tools unless told to load these files first. It
    // reads this from the environment Wine was started in (the test's
    // ENVIRONMENT_MODIFICATION), not from one set from inside.
    char overrides[4096] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", overrides, sizeof overrides);
    ASSERT_NE(std::string(overrides).find("sc.exe,net.exe,netsh.exe=n"), std::string::npos)
        << "WINEDLLOVERRIDES=" << overrides;
  }

  static void TearDownTestSuite() {
    const std::string system = SystemFolder();
    for (const char* tool : kTools) {
      const std::string target = system + "\\" + tool;
      const std::string saved = target + ".vk-saved";
      if (Exists(saved) && CopyFileA(saved.c_str(), target.c_str(), FALSE)) DeleteFileA(saved.c_str());
    }
  }

  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    root_ = std::string(temp) + "vk-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
            testing::UnitTest::GetInstance()->current_test_info()->name();
    app_ = root_ + "\\app";
    tools_ = root_ + "\\tools";
    RemoveTree(root_);
    MakeFolders(app_);
    MakeFolders(tools_);
    SetEnvironmentVariableA("VOSTREL_STANDIN_DIR", tools_.c_str());
    const std::string built = WindowsPathOf(VK_EXE_PATH);
    ASSERT_TRUE(CopyFileA(built.c_str(), (app_ + "\\Vostrel_Kelvandi.exe").c_str(), FALSE)) << built;
    // Planted next to the program; any of them running is a fault.
    ASSERT_TRUE(CopyFileA(WindowsPathOf(VK_STANDIN_PATH).c_str(), (app_ + "\\cmd.exe").c_str(),
                          FALSE));
    for (const char* name : {"sc.bat", "net.bat", "netsh.bat"}) {
      WriteBytes(app_ + "\\" + name, kPlantedBat);
    }
    // A command with an empty or relative folder would hit these.
    sentinels_ = {app_ + "\\Protect\\keep.txt", app_ + "\\2345PicUpdate.exe",
                  app_ + "\\HaoZipUpdate.exe", root_ + "\\Sentinel\\Protect\\keep.txt",
                  root_ + "\\Sentinel\\Pic_2345Upgrade.exe",
                  root_ + "\\Sentinel\\HaoZipUpdate.exe"};
    for (const std::string& file : sentinels_) WriteBytes(file, "keep");
  }

  void TearDown() override {
    // The program must be gone before its folder can be removed.
    program_.reset();
    EXPECT_FALSE(Exists(app_ + "\\planted.txt")) << ReadBytes(app_ + "\\planted.txt");
    EXPECT_FALSE(Exists(SystemFolder() + "\\pwned.txt"));
    RemoveTree(root_);
  }

  std::string Folder(const std::string& relative) const { return root_ + "\\" + relative + "\\"; }

  void MakeProduct(const std::string& folder, const ProductFiles& files) {
    for (const std::string& name : files.removed) WriteBytes(folder + name, "x");
    for (const std::string& name : files.kept) WriteBytes(folder + name, "keep");
  }

  void ExpectCleaned(const std::string& folder, const ProductFiles& files) {
    for (const std::string& name : files.removed) EXPECT_FALSE(Exists(folder + name)) << folder + name;
    EXPECT_FALSE(Exists(folder + "Protect")) << folder;
    for (const std::string& name : files.kept) EXPECT_TRUE(Exists(folder + name)) << folder + name;
  }

  void ExpectSentinelsKept() {
    for (const std::string& file : sentinels_) EXPECT_TRUE(Exists(file)) << file;
  }

  // Everything under the test's folder but the stand-ins' notes.
  Snapshot Tree() const {
    Snapshot tree = TakeSnapshot(root_);
    for (auto it = tree.begin(); it != tree.end();) {
      it = it->first.rfind("tools", 0) == 0 ? tree.erase(it) : std::next(it);
    }
    return tree;
  }

  // before, less what cleaning the product folder (relative to root_, with
  // its closing backslash) removes.
  static Snapshot WithoutProduct(Snapshot before, const std::string& product,
                                 const std::vector<std::string>& removedNames) {
    for (auto it = before.begin(); it != before.end();) {
      const std::string& name = it->first;
      bool removed = name.rfind(product + "Protect", 0) == 0;
      for (const std::string& file : removedNames) {
        const std::string leaf = file.substr(file.find_last_of('\\') + 1);
        removed = removed || (name.rfind(product, 0) == 0 && name.size() >= leaf.size() &&
                              name.compare(name.size() - leaf.size(), leaf.size(), leaf) == 0 &&
                              name[name.size() - leaf.size() - 1] == '\\');
      }
      it = removed ? before.erase(it) : std::next(it);
    }
    return before;
  }

  void InstallService(const std::string& service, const std::string& programPath) {
    WriteBytes(tools_ + "\\qc_" + service + ".txt", QueryAnswer(service, programPath));
  }

  void Start() {
    // Detached, as from Explorer: its console children then get consoles of their own.
    program_ = std::make_unique<RunningProgram>(app_ + "\\Vostrel_Kelvandi.exe", DETACHED_PROCESS,
                                                root_.c_str(), nullptr, kWindowTimeoutMs);
    ASSERT_NE(program_->Window(), nullptr) << "the program showed no window";
  }

  HWND Control(int id) const { return program_->Control(id); }
  std::string ControlText(int id) const { return WindowText(Control(id)); }

  std::string PathBox() const { return ControlText(kPathBoxId); }
  std::string Log() const { return ControlText(kLogBoxId); }

  void SetPathBox(const std::string& text) {
    SendMessageA(Control(kPathBoxId), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(text.c_str()));
  }

  // Clicks and waits until the log holds the entry count times: the last
  // entry of the click.
  void ClickAndWait(int buttonId, const std::string& lastEntry, std::size_t count = 1) {
    PostMessageA(Control(buttonId), BM_CLICK, 0, 0);
    const DWORD start = GetTickCount();
    while (CountOf(Log(), lastEntry + "\r\n") < count) {
      ASSERT_LT(GetTickCount() - start, kClickTimeoutMs) << "log so far:\n" << Log();
      Sleep(100);
    }
  }

  std::vector<std::string> Calls() const {
    std::vector<std::string> lines;
    const std::string text = ReadBytes(tools_ + "\\calls.log");
    std::size_t at = 0;
    for (std::size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
      lines.push_back(text.substr(at, end - at));
    }
    return lines;
  }

  void CloseAndExpectExitCode0() {
    PostMessageA(program_->Window(), WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(program_->Process(), 30000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(program_->Process(), &code);
    EXPECT_EQ(code, 0u);
  }

  std::string root_;
  std::string app_;
  std::string tools_;
  std::vector<std::string> sentinels_;
  std::unique_ptr<RunningProgram> program_;
};

// The stand-ins answer in place of Wine's tools, which print nothing; and
// the runner finds them in the system folder, not next to the program.
TEST_F(EndToEnd, StandInsAnswerFromTheSystemFolder) {
  EXPECT_EQ(RunHiddenCommand("net stop VkProbe"), "The VkProbe service was stopped successfully.\r\n");
  EXPECT_EQ(Calls(), std::vector<std::string>{"net stop VkProbe"});
}

TEST_F(EndToEnd, AutoCleanBothProductsFound) {
  const std::string viewer = Folder("Pic");
  const std::string archiver = Folder("Zip");
  MakeProduct(viewer, kViewerFiles);
  MakeProduct(archiver, kArchiverFiles);
  InstallService("ViewPic_2345Svc", viewer + "Protect\\PicSvc.exe");
  InstallService("HaoZipSvc", archiver + "Protect\\HaoZipSvc.exe");
  Start();

  // The netsh stand-in echoes its command line, so the output of C9 is the line itself.
  const std::string last = ArchiverCommandLine(archiver, 9);
  ClickAndWait(kAutoCleanButtonId, last);

  const std::string log = Log();
  ExpectEntriesInOrder(
      log, {viewer, "The ViewPic_2345Svc service was stopped successfully.",
            "[SC] DeleteService SUCCESS", ViewerCommandLine(viewer, 3),
            "netsh advfirewall firewall delete rule name=\"disconnect2345pic\"",
            ViewerCommandLine(viewer, 9), archiver,
            "The HaoZipSvc service was stopped successfully.", "[SC] DeleteService SUCCESS",
            ArchiverCommandLine(archiver, 3),
            "netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\"",
            "netsh advfirewall firewall delete rule name=\"disconnect2345zip\"", last});
  EXPECT_EQ(log.find("BINARY_PATH_NAME"), std::string::npos);
  EXPECT_EQ(log.find(kViewerNotFound), std::string::npos);
  EXPECT_EQ(PathBox(), archiver);
  EXPECT_EQ(Calls(), Joined(Joined(kViewerAutoCalls, {ViewerCommandLine(viewer, 9)}),
                            Joined(kArchiverAutoCalls, {ArchiverCommandLine(archiver, 9)})));
  ExpectCleaned(viewer, kViewerFiles);
  ExpectCleaned(archiver, kArchiverFiles);
  ExpectSentinelsKept();
  CloseAndExpectExitCode0();
}

TEST_F(EndToEnd, AutoCleanNeitherProductFound) {
  Start();
  SetPathBox("left alone");
  ClickAndWait(kAutoCleanButtonId, kArchiverNotFound);

  EXPECT_EQ(Log(), kViewerNotFound + "\r\n" + kArchiverNotFound + "\r\n");
  EXPECT_EQ(PathBox(), "left alone");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SC qc ViewPic_2345Svc", "SC qc HaoZipSvc"}));
  ExpectSentinelsKept();
  CloseAndExpectExitCode0();
}

// A path with a space is printed in quotes with arguments after it; a
// command split at the space would remove the sibling folder "Soft".
TEST_F(EndToEnd, AutoCleanQuotedPathWithSpace) {
  const std::string viewer = Folder("Soft Ware\\2345Pic");
  MakeProduct(viewer, kViewerFiles);
  sentinels_.push_back(root_ + "\\Soft\\keep.txt");
  sentinels_.push_back(app_ + "\\Ware\\2345Pic\\Protect\\keep.txt");
  for (const std::string& file : sentinels_) WriteBytes(file, "keep");
  InstallService("ViewPic_2345Svc", "\"" + viewer + "Protect\\PicSvc.exe\" -k netsvcs");
  Start();

  ClickAndWait(kAutoCleanButtonId, kArchiverNotFound);

  ExpectEntriesInOrder(Log(), {viewer, ViewerCommandLine(viewer, 3), ViewerCommandLine(viewer, 9),
                               kArchiverNotFound});
  EXPECT_EQ(PathBox(), viewer);
  EXPECT_EQ(Calls(), Joined(Joined(kViewerAutoCalls, {ViewerCommandLine(viewer, 9)}),
                            {"SC qc HaoZipSvc"}));
  ExpectCleaned(viewer, kViewerFiles);
  ExpectSentinelsKept();
  CloseAndExpectExitCode0();
}

TEST_F(EndToEnd, ManualCleanChecksTheFolderThenCleansBothProducts) {
  const std::string folder = Folder("Both");
  WriteBytes(root_ + "\\file.txt", "keep");
  Start();

  SetPathBox(root_ + "\\missing");
  ClickAndWait(kManualCleanButtonId, kInvalidFolder);
  SetPathBox(root_ + "\\file.txt");
  ClickAndWait(kManualCleanButtonId, kInvalidFolder, 2);
  EXPECT_EQ(Log(), kInvalidFolder + "\r\n" + kInvalidFolder + "\r\n");
  EXPECT_FALSE(Exists(tools_ + "\\calls.log"));

  const std::string last = "netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\"";
  for (const std::string& typed : {folder.substr(0, folder.size() - 1), folder}) {
    SCOPED_TRACE(typed);
    MakeProduct(folder, kViewerFiles);
    MakeProduct(folder, kArchiverFiles);
    DeleteFileA((tools_ + "\\calls.log").c_str());
    const std::size_t logBefore = Log().size();
    SetPathBox(typed);
    ClickAndWait(kManualCleanButtonId, last, typed == folder ? 2 : 1);

    EXPECT_EQ(PathBox(), folder);
    const std::string log = Log().substr(logBefore);
    ExpectEntriesInOrder(log, {"The ViewPic_2345Svc service was stopped successfully.",
                               ViewerCommandLine(folder, 3), ArchiverCommandLine(folder, 3), last});
    EXPECT_EQ(log.find(folder + "\r\n"), std::string::npos) << "the folder is not logged by itself";
    EXPECT_EQ(Calls(), kManualCalls);
    ExpectCleaned(folder, kViewerFiles);
    ExpectCleaned(folder, kArchiverFiles);
  }
  ExpectSentinelsKept();
  CloseAndExpectExitCode0();
}

// Folders typed into the path box that must not be cleaned. Each is refused
// with the invalid-folder message, no command runs and nothing changes.
TEST_F(EndToEnd, ManualCleanRefusesHostileAndStrayFolders) {
  const std::string pic = Folder("Pic");
  MakeProduct(pic, kViewerFiles);
  WriteBytes(root_ + "\\victim\\Protect\\keep.txt", "keep");
  // cmd would expand %OS% to Windows_NT even inside quotes.
  MakeProduct(Folder("%OS%"), kViewerFiles);
  WriteBytes(root_ + "\\Windows_NT\\Protect\\keep.txt", "keep");
  WriteBytes(root_ + "\\NoProduct\\Protect\\keep.txt", "keep");
  WriteBytes(root_ + "\\NoProduct\\readme.txt", "keep");
  const struct {
    const char* name;
    std::string typed;
  } cases[] = {
      {"command after a quote", pic + "x\" & echo INJECTED>pwned.txt & rem \"\\.."},
      {"second folder after a quote", pic + "a\" \"..\\victim\" \"\\..\\.."},
      {"percent in the name", root_ + "\\%OS%"},
      {"drive-relative", "Z:"},
      {"drive root", root_.substr(0, 3)},
      {"no product file", root_ + "\\NoProduct"},
      {"a product file", pic + "2345Pic.exe"},
  };
  Start();
  const Snapshot before = Tree();
  std::size_t refusals = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t logBefore = Log().size();
    SetPathBox(c.typed);
    ClickAndWait(kManualCleanButtonId, kInvalidFolder, ++refusals);
    EXPECT_EQ(Log().substr(logBefore), kInvalidFolder + "\r\n");
    EXPECT_EQ(PathBox(), c.typed);
    EXPECT_EQ(Tree(), before);
    EXPECT_FALSE(Exists(tools_ + "\\calls.log")) << "a command ran";
  }
  CloseAndExpectExitCode0();
}

// Odd folders that are product folders: the box shows the folder as Windows
// resolves it, that folder is cleaned and nothing around it changes.
TEST_F(EndToEnd, ManualCleanCleansOddProductFoldersAndNothingElse) {
  const std::string spaced = Folder("prod");
  // The second byte of the character 81 5C is no backslash: without one
  // added, the commands would name the sibling Pic乗Protect.
  const std::string trail5C = Folder("Pic\x81\x5C");
  WriteBytes(root_ + "\\Pic\x81\x5CProtect\\keep.txt", "keep");
  const struct {
    const char* name;
    std::string typed;
    std::string folder;
  } cases[] = {
      {"trailing space", root_ + "\\prod ", spaced},
      {"ends in a 0x5C second byte", trail5C.substr(0, trail5C.size() - 1), trail5C},
  };
  for (const auto& c : cases) {
    MakeProduct(c.folder, kViewerFiles);
    MakeProduct(c.folder, kArchiverFiles);
  }
  Start();
  const std::string last = "netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\"";
  std::size_t runs = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string product = c.folder.substr(root_.size() + 1);
    std::vector<std::string> removed = kViewerFiles.removed;
    removed.insert(removed.end(), kArchiverFiles.removed.begin(), kArchiverFiles.removed.end());
    const Snapshot expected = WithoutProduct(Tree(), product, removed);
    DeleteFileA((tools_ + "\\calls.log").c_str());
    SetPathBox(c.typed);
    ClickAndWait(kManualCleanButtonId, last, ++runs);

    EXPECT_EQ(PathBox(), c.folder);
    EXPECT_EQ(Calls(), kManualCalls);
    ExpectCleaned(c.folder, kViewerFiles);
    ExpectCleaned(c.folder, kArchiverFiles);
    EXPECT_EQ(Tree(), expected);
  }
  CloseAndExpectExitCode0();
}

// Service paths that name no product folder: the product is skipped with
// its message, none of its commands runs and nothing changes.
TEST_F(EndToEnd, AutoCleanSkipsServicePathsThatNameNoProductFolder) {
  const std::string pic = Folder("Pic");
  MakeProduct(pic, kViewerFiles);
  InstallService("ViewPic_2345Svc",
                 pic + "x\" & echo INJECTED>pwned.txt & rem \"\\Protect\\PicSvc.exe");
  // Cutting 8 bytes unseen would give 2345Soft\ and remove its Protect.
  const std::string soft = Folder("2345Soft");
  MakeProduct(soft, kArchiverFiles);
  MakeProduct(soft + "2345Pic\\", kArchiverFiles);
  InstallService("HaoZipSvc", soft + "2345Pic\\HaoZipSvc.exe");
  Start();
  const Snapshot before = Tree();
  SetPathBox("left alone");

  ClickAndWait(kAutoCleanButtonId, kArchiverNoFolder);

  EXPECT_EQ(Log(), kViewerNoFolder + "\r\n" + kArchiverNoFolder + "\r\n");
  EXPECT_EQ(PathBox(), "left alone");
  EXPECT_EQ(Calls(), (std::vector<std::string>{"SC qc ViewPic_2345Svc", "SC qc HaoZipSvc"}));
  EXPECT_EQ(Tree(), before);
  CloseAndExpectExitCode0();
}

}  // namespace
