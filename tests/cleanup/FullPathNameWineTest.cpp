#include <windows.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FullPathEmulation.h"
#include "cleanup/CleanupHost.h"
#include "cleanup/FolderPolicy.h"
#include "exec/IsDirectory.h"
#include "exec/PathQueries.h"

// The folder gate with Windows' own path functions, on real folders.
namespace {

// The gate's view of the machine, the real one; it has no window.
class PathOnlyHost : public CleanupHost {
 public:
  Text RunCommand(const Text&) override { return Unexpected("RunCommand"); }
  void AppendLogLine(const Text&) override { Unexpected("AppendLogLine"); }
  Text ReadPathBox() override { return Unexpected("ReadPathBox"); }
  void WritePathBox(const Text&) override { Unexpected("WritePathBox"); }
  void AppendPathBox(const Text&) override { Unexpected("AppendPathBox"); }
  bool IsDirectory(const Text& path) override { return ::IsDirectory(path); }
  Text FullPathName(const Text& path) override { return ::FullPathName(path); }
  bool FileExists(const Text& path) override { return ::FileExists(path); }
  bool WindowClosed() override { return false; }

 private:
  static Text Unexpected(const char* operation) {
    ADD_FAILURE() << "the gate called " << operation;
    return Text();
  }
};

class RealFolders : public testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = {};
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    root_ = std::string(temp) + "vk_gate_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryA(root_.c_str(), nullptr));
    ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, saved_), 0u);
    ASSERT_TRUE(SetCurrentDirectoryA(root_.c_str()));
  }
  void TearDown() override {
    SetCurrentDirectoryA(saved_);
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
    }
    RemoveDirectoryA(root_.c_str());
  }

  void Folder(const std::string& relative) {
    const std::string path = root_ + "\\" + relative;
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    made_.push_back(path);
  }
  void File(const std::string& relative) {
    const std::string path = root_ + "\\" + relative;
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
    made_.push_back(path);
  }

  std::string root_;
  char saved_[MAX_PATH] = {};
  std::vector<std::string> made_;
};

TEST_F(RealFolders, FullPathNameGivesWhatTheFakeEmulates) {
  const Text current = root_;
  for (const FullPathCase& c : kFullPathCases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(FullPathName(WithCurrentFolder(c.input, current)), WithCurrentFolder(c.full, current));
  }
}

TEST_F(RealFolders, TheGateOnRealFolders) {
  Folder("Pic");
  File("Pic\\2345Pic.exe");
  Folder("Pic\\Protect");
  Folder("%OS%");
  File("%OS%\\HaoZip.exe");
  Folder("Empty");
  Folder("\xC8\xED\xBC\xFE");  // 软件
  File("\xC8\xED\xBC\xFE\\HaoZipUpdate.exe");
  Folder("Pic\x81\x5C");
  File("Pic\x81\x5C\\Pic_2345Upgrade.exe");
  const std::string pic = root_ + "\\Pic\\";
  const struct {
    bool typed;
    Text input;
    Text folder;
  } cases[] = {
      {true, root_ + "\\Pic", pic},
      {true, pic, pic},
      {true, root_ + "\\Pic ", pic},
      {true, root_ + "\\Pic.", pic},
      {true, root_ + "\\Empty\\..\\Pic", pic},
      {true, "Pic", pic},
      {true, root_ + "\\%OS%", ""},
      {true, root_ + "\\Empty", ""},
      {true, pic + "2345Pic.exe", ""},
      {true, root_ + "\\missing", ""},
      {true, root_.substr(0, 2), ""},
      {true, root_.substr(0, 3), ""},
      {true, root_ + "\\\xC8\xED\xBC\xFE", root_ + "\\\xC8\xED\xBC\xFE\\"},
      {true, root_ + "\\Pic\x81\x5C", root_ + "\\Pic\x81\x5C\\"},
      {false, pic + "Protect\\svc.exe", pic},
      {false, pic + "protect\\svc.exe", pic},
      {false, pic + "svc.exe", ""},
      {false, root_ + "\\Pic\x81\x5CProtect\\svc.exe", ""},
  };
  PathOnlyHost host;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(c.typed ? TypedProductFolder(host, c.input) : ServiceProductFolder(host, c.input),
              c.folder);
  }
}

}  // namespace
