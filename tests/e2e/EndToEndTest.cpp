#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/RunningProgram.h"

// The real program under Wine, with stand-ins for sc, net and netsh next to
// it (cmd.exe finds a command in the current directory first) and real
// rd and del working on fake product folders.
namespace {

namespace fs = std::filesystem;

constexpr int kPathBoxId = 110;
constexpr int kLogBoxId = 120;
constexpr int kAutoCleanButtonId = 100;
constexpr int kManualCleanButtonId = 130;
// Each console command costs up to half a second under Wine.
constexpr DWORD kClickTimeoutMs = 120000;
constexpr DWORD kWindowTimeoutMs = 30000;

const std::string kViewerNotFound = "没有发现看图王服务";
const std::string kArchiverNotFound = "没有发现好压服务";
const std::string kInvalidFolder = "请输入有效的2345看图王根目录,或者好压的根目录";

void WriteBytes(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Batch files want CR LF.
std::string Batch(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

// Each stand-in notes its command word as typed and its arguments.
const std::string kScBat = Batch({
    "@echo off",
    ">>\"%~dp0calls.log\" echo %0 %*",
    "if /i not \"%1\"==\"qc\" goto other",
    "if not exist \"%~dp0qc_%2.txt\" goto missing",
    "type \"%~dp0qc_%2.txt\"",
    "exit /b 0",
    ":missing",
    "echo [SC] OpenService FAILED 1060:",
    "echo.",
    "echo The specified service does not exist as an installed service.",
    "echo.",
    "exit /b 1060",
    ":other",
    "echo [SC] DeleteService SUCCESS",
});
const std::string kNetBat = Batch({
    "@echo off",
    ">>\"%~dp0calls.log\" echo %0 %*",
    "echo The %2 service was stopped successfully.",
});
const std::string kNetshBat = Batch({
    "@echo off",
    ">>\"%~dp0calls.log\" echo %0 %*",
    "echo netsh %*",
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
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    root_ = fs::path(temp) / ("vk-e2e-" + std::to_string(GetCurrentProcessId()) + "-" +
                              testing::UnitTest::GetInstance()->current_test_info()->name());
    app_ = root_ / "app";
    fs::remove_all(root_);
    fs::create_directories(app_);
    const std::string built = WindowsPathOf(VK_EXE_PATH);
    ASSERT_TRUE(CopyFileA(built.c_str(), (app_ / "Vostrel_Kelvandi.exe").string().c_str(), FALSE))
        << built;
    WriteBytes(app_ / "sc.bat", kScBat);
    WriteBytes(app_ / "net.bat", kNetBat);
    WriteBytes(app_ / "netsh.bat", kNetshBat);
    // A command with an empty or relative folder would hit these.
    sentinels_ = {app_ / "Protect\\keep.txt", app_ / "2345PicUpdate.exe",
                  app_ / "HaoZipUpdate.exe", root_ / "Sentinel\\Protect\\keep.txt",
                  root_ / "Sentinel\\Pic_2345Upgrade.exe", root_ / "Sentinel\\HaoZipUpdate.exe"};
    for (const fs::path& file : sentinels_) WriteBytes(file, "keep");
  }

  void TearDown() override {
    // The program must be gone before its folder can be removed.
    program_.reset();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  std::string Folder(const std::string& relative) const { return (root_ / relative).string() + "\\"; }

  void MakeProduct(const std::string& folder, const ProductFiles& files) {
    for (const std::string& name : files.removed) WriteBytes(folder + name, "x");
    for (const std::string& name : files.kept) WriteBytes(folder + name, "keep");
  }

  void ExpectCleaned(const std::string& folder, const ProductFiles& files) {
    for (const std::string& name : files.removed) EXPECT_FALSE(fs::exists(folder + name)) << folder + name;
    EXPECT_FALSE(fs::exists(folder + "Protect")) << folder;
    for (const std::string& name : files.kept) EXPECT_TRUE(fs::exists(folder + name)) << folder + name;
  }

  void ExpectSentinelsKept() {
    for (const fs::path& file : sentinels_) EXPECT_TRUE(fs::exists(file)) << file.string();
  }

  void InstallService(const std::string& service, const std::string& programPath) {
    WriteBytes(app_ / ("qc_" + service + ".txt"), QueryAnswer(service, programPath));
  }

  void Start() {
    // Detached, as from Explorer: its console children then get consoles of their own.
    program_ = std::make_unique<RunningProgram>((app_ / "Vostrel_Kelvandi.exe").string(),
                                                DETACHED_PROCESS, root_.string().c_str(), nullptr,
                                                kWindowTimeoutMs);
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
    const std::string text = ReadBytes(app_ / "calls.log");
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

  fs::path root_;
  fs::path app_;
  std::vector<fs::path> sentinels_;
  std::unique_ptr<RunningProgram> program_;
};

TEST_F(EndToEnd, AutoCleanBothProductsFound) {
  const std::string viewer = Folder("Pic");
  const std::string archiver = Folder("Zip");
  MakeProduct(viewer, kViewerFiles);
  MakeProduct(archiver, kArchiverFiles);
  InstallService("ViewPic_2345Svc", viewer + "Protect\\PicSvc.exe");
  InstallService("HaoZipSvc", archiver + "Protect\\HaoZipSvc.exe");
  Start();

  // netsh.bat echoes its command line, so the output of C9 is the line itself.
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
  sentinels_.push_back(root_ / "Soft\\keep.txt");
  sentinels_.push_back(app_ / "Ware\\2345Pic\\Protect\\keep.txt");
  for (const fs::path& file : sentinels_) WriteBytes(file, "keep");
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
  WriteBytes(root_ / "file.txt", "keep");
  Start();

  SetPathBox((root_ / "missing").string());
  ClickAndWait(kManualCleanButtonId, kInvalidFolder);
  SetPathBox((root_ / "file.txt").string());
  ClickAndWait(kManualCleanButtonId, kInvalidFolder, 2);
  EXPECT_EQ(Log(), kInvalidFolder + "\r\n" + kInvalidFolder + "\r\n");
  EXPECT_FALSE(fs::exists(app_ / "calls.log"));

  const std::string last = "netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\"";
  for (const std::string& typed : {folder.substr(0, folder.size() - 1), folder}) {
    SCOPED_TRACE(typed);
    MakeProduct(folder, kViewerFiles);
    MakeProduct(folder, kArchiverFiles);
    fs::remove(app_ / "calls.log");
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

}  // namespace
