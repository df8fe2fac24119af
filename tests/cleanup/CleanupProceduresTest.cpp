#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cleanup/CleanupProcedures.h"
#include "FakeCleanupHost.h"

namespace {

const Text kViewerQuery = "SC qc ViewPic_2345Svc";
const Text kArchiverQuery = "SC qc HaoZipSvc";
const Text kViewerNotFound = "没有发现看图王服务";
const Text kArchiverNotFound = "没有发现好压服务";
const Text kViewerNoFolder = "无法确定看图王的安装目录,已跳过";
const Text kArchiverNoFolder = "无法确定好压的安装目录,已跳过";
const Text kEnterAddress = "请输入一个地址";
const Text kInvalidFolder = "请输入有效的2345看图王根目录,或者好压的根目录";

const Text kViewerFolder = "D:\\Apps\\Viewer\\";
const Text kArchiverFolder = "E:\\Tools\\HaoZip\\";
const Text kTypedBefore = "typed before";

// What "SC qc" prints for an installed service, with pathPart after the
// 29-byte label of the BINARY_PATH_NAME line.
Text QueryOutput(const Text& service, const Text& pathPart,
                 const Text& label = "        BINARY_PATH_NAME   : ") {
  return "[SC] QueryServiceConfig SUCCESS\r\n\r\nSERVICE_NAME: " + service +
         "\r\n        TYPE               : 10  WIN32_OWN_PROCESS\r\n"
         "        START_TYPE         : 2   AUTO_START\r\n"
         "        ERROR_CONTROL      : 1   NORMAL\r\n" +
         label + pathPart +
         "\r\n        LOAD_ORDER_GROUP   :\r\n        TAG                : 0\r\n"
         "        DISPLAY_NAME       : " +
         service + "\r\n        DEPENDENCIES       :\r\n        SERVICE_START_NAME : LocalSystem\r\n";
}

const Text kMissingServiceOutput =
    "[SC] OpenService FAILED 1060:\r\n\r\n"
    "The specified service does not exist as an installed service.\r\n\r\n";

// A product folder as the gate wants it: an existing folder that holds one
// of the product files the commands name.
void AddProductFolder(FakeCleanupHost& host, const Text& folder) {
  host.directories.insert(folder);
  host.files.insert(folder + "2345Pic.exe");
}

void AddRun(Transcript& t, const Text& command) {
  t.push_back(RunEvent(command));
  t.push_back(LogEvent(DefaultOutput(command)));
}

void AddAll(Transcript& t, const Transcript& more) { t.insert(t.end(), more.begin(), more.end()); }

Transcript ViewerLines(const Text& folder, bool autoClean) {
  Transcript t;
  AddRun(t, "net stop ViewPic_2345Svc");
  AddRun(t, "SC delete ViewPic_2345Svc");
  t.push_back(LogEvent("rd /s /q \"" + folder + "Protect\""));
  AddRun(t, "rd /s /q \"" + folder + "Protect\"");
  AddRun(t, "del /f /s /q \"" + folder + "2345PicUpdate.exe\"");
  AddRun(t, "del /f /s /q \"" + folder + "Pic_2345Upgrade.dll\"");
  AddRun(t, "del /f /s /q \"" + folder + "Pic_2345Upgrade.exe\"");
  if (autoClean) {
    AddRun(t, "netsh advfirewall firewall delete rule name=\"disconnect2345pic\"");
    AddRun(t, "netsh advfirewall firewall add rule name=\"disconnect2345pic\" dir=in program=\"" +
                  folder + "2345Pic.exe\" action=block");
  }
  return t;
}

Transcript ArchiverLines(const Text& folder, bool autoClean) {
  Transcript t;
  AddRun(t, "net stop HaoZipSvc");
  AddRun(t, "SC delete HaoZipSvc");
  t.push_back(LogEvent("rd /s /q \"" + folder + "Protect\""));
  AddRun(t, "rd /s /q \"" + folder + "Protect\"");
  AddRun(t, "del /f /s /q \"" + folder + "HaoZipUpdate.exe\"");
  AddRun(t, "del /f /s /q \"" + folder + "Haozip_2345Upgrade.dll\"");
  AddRun(t, "del /f /s /q \"" + folder + "Haozip_2345Upgrade.exe\"");
  AddRun(t, "netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\"");
  if (autoClean) {
    AddRun(t, "netsh advfirewall firewall delete rule name=\"disconnect2345zip\"");
    AddRun(t, "netsh advfirewall firewall add rule name=\"disconnect2345zip\" dir=in program=\"" +
                  folder + "HaoZip.exe\" action=block");
  }
  return t;
}

// An automatic clean-up of one product: query, then the folder and its lines.
Transcript AutoFound(const Text& query, const Text& folder, const Transcript& lines) {
  Transcript t{RunEvent(query), LogEvent(folder)};
  AddAll(t, lines);
  return t;
}

Transcript ManualRun(const Text& folder) {
  Transcript t = ViewerLines(folder, false);
  AddAll(t, ArchiverLines(folder, false));
  return t;
}

// The events up to and including the (n+1)th command run.
Transcript UpToCommand(const Transcript& t, int n) {
  auto it = t.begin();
  for (int seen = -1; it != t.end(); ++it) {
    if (it->rfind("run ", 0) == 0 && ++seen == n) return Transcript(t.begin(), it + 1);
  }
  return t;
}

// outer's events up to its command n, then nested, then the rest of outer.
Transcript Splice(const Transcript& outer, int n, const Transcript& nested) {
  Transcript t = UpToCommand(outer, n);
  const auto rest = outer.begin() + static_cast<std::ptrdiff_t>(t.size());
  AddAll(t, nested);
  t.insert(t.end(), rest, outer.end());
  return t;
}

void InstallBothProducts(FakeCleanupHost& host) {
  AddProductFolder(host, kViewerFolder);
  AddProductFolder(host, kArchiverFolder);
  host.outputs[kViewerQuery] = QueryOutput("ViewPic_2345Svc", kViewerFolder + "Protect\\svc.exe");
  host.outputs[kArchiverQuery] = QueryOutput("HaoZipSvc", kArchiverFolder + "Protect\\HaoZipSvc.exe");
}

Transcript BothFoundTranscript() {
  Transcript t = AutoFound(kViewerQuery, kViewerFolder, ViewerLines(kViewerFolder, true));
  AddAll(t, AutoFound(kArchiverQuery, kArchiverFolder, ArchiverLines(kArchiverFolder, true)));
  return t;
}

struct AutoScenario {
  const char* name;
  bool viewerInstalled;
  bool archiverInstalled;
};

void PrintTo(const AutoScenario& c, std::ostream* os) { *os << c.name; }

class AutoCleanScenarios : public testing::TestWithParam<AutoScenario> {};

TEST_P(AutoCleanScenarios, RunsEachFoundProductAndReportsTheOthers) {
  const AutoScenario& s = GetParam();
  FakeCleanupHost host;
  host.pathBox = kTypedBefore;
  InstallBothProducts(host);
  host.outputs[kViewerQuery] =
      s.viewerInstalled ? QueryOutput("ViewPic_2345Svc", kViewerFolder + "Protect\\svc.exe")
                        : kMissingServiceOutput;
  host.outputs[kArchiverQuery] =
      s.archiverInstalled ? QueryOutput("HaoZipSvc", kArchiverFolder + "Protect\\HaoZipSvc.exe")
                          : kMissingServiceOutput;

  OnAutoCleanClicked(host);

  Transcript expected =
      s.viewerInstalled
          ? AutoFound(kViewerQuery, kViewerFolder, ViewerLines(kViewerFolder, true))
          : Transcript{RunEvent(kViewerQuery), LogEvent(kViewerNotFound)};
  AddAll(expected, s.archiverInstalled ? AutoFound(kArchiverQuery, kArchiverFolder,
                                                   ArchiverLines(kArchiverFolder, true))
                                       : Transcript{RunEvent(kArchiverQuery),
                                                    LogEvent(kArchiverNotFound)});
  EXPECT_EQ(host.transcript, expected);
  const Text lastFolder = s.archiverInstalled  ? kArchiverFolder
                          : s.viewerInstalled ? kViewerFolder
                                              : kTypedBefore;
  EXPECT_EQ(host.pathBox, lastFolder);
}

INSTANTIATE_TEST_SUITE_P(Products, AutoCleanScenarios,
                         testing::Values(AutoScenario{"Neither", false, false},
                                         AutoScenario{"ViewerOnly", true, false},
                                         AutoScenario{"ArchiverOnly", false, true},
                                         AutoScenario{"Both", true, true}),
                         [](const testing::TestParamInfo<AutoScenario>& info) {
                           return std::string(info.param.name);
                         });

TEST(AutoClean, CountsAndMessageBytesOfTheTwoEnds) {
  FakeCleanupHost neither;
  neither.outputs[kViewerQuery] = kMissingServiceOutput;
  neither.outputs[kArchiverQuery] = kMissingServiceOutput;
  OnAutoCleanClicked(neither);
  EXPECT_EQ(neither.commands.size(), 2u);
  ASSERT_EQ(neither.log.size(), 2u);
  // The fixed texts reach the window in code page 936.
  EXPECT_EQ(neither.log[0], "\xC3\xBB\xD3\xD0\xB7\xA2\xCF\xD6\xBF\xB4\xCD\xBC\xCD\xF5\xB7\xFE\xCE\xF1");

  FakeCleanupHost both;
  InstallBothProducts(both);
  OnAutoCleanClicked(both);
  EXPECT_EQ(both.commands.size(), 19u);
  EXPECT_EQ(both.log.size(), 21u);
}

TEST(AutoClean, CommandsUseTheDerivedFolderNotTheBox) {
  FakeCleanupHost host;
  InstallBothProducts(host);
  host.duringCommand = [&host](int index) {
    if (index == 1) host.pathBox = "Z:\\typed meanwhile\\";
  };
  OnAutoCleanClicked(host);
  EXPECT_EQ(host.transcript, BothFoundTranscript());
}

struct QueryCase {
  const char* name;
  Text output;
  Text folder;  // empty: the folder cannot be determined
};

void PrintTo(const QueryCase& c, std::ostream* os) { *os << c.name; }

class ViewerQueryOutputs : public testing::TestWithParam<QueryCase> {};

TEST_P(ViewerQueryOutputs, GiveTheProductFolderOrSkipTheProduct) {
  const QueryCase& c = GetParam();
  FakeCleanupHost host;
  host.pathBox = kTypedBefore;
  host.outputs[kViewerQuery] = c.output;
  host.outputs[kArchiverQuery] = kMissingServiceOutput;
  if (!c.folder.empty()) host.directories.insert(c.folder);

  OnAutoCleanClicked(host);

  Transcript expected =
      c.folder.empty() ? Transcript{RunEvent(kViewerQuery), LogEvent(kViewerNoFolder)}
                       : AutoFound(kViewerQuery, c.folder, ViewerLines(c.folder, true));
  AddAll(expected, {RunEvent(kArchiverQuery), LogEvent(kArchiverNotFound)});
  EXPECT_EQ(host.transcript, expected);
  EXPECT_EQ(host.pathBox, c.folder.empty() ? kTypedBefore : c.folder);
}

const Text kSvc = "ViewPic_2345Svc";

INSTANTIATE_TEST_SUITE_P(
    Paths, ViewerQueryOutputs,
    testing::Values(
        QueryCase{"LowerCaseToken",
                  QueryOutput(kSvc, "D:\\Apps\\Viewer\\Protect\\svc.exe",
                              "        binary_path_name   : "),
                  kViewerFolder},
        QueryCase{"FirstOfTwoTokenLines",
                  "        BINARY_PATH_NAME   : D:\\First\\Protect\\a.exe\r\n"
                  "        BINARY_PATH_NAME   : D:\\Second\\Protect\\b.exe\r\n",
                  "D:\\First\\"},
        QueryCase{"TokenLineWithoutLineEnd", "x\r\n        BINARY_PATH_NAME   : D:\\A\\Protect\\s.exe",
                  "D:\\A\\"},
        QueryCase{"QuotedWithSpacesAndArguments",
                  QueryOutput(kSvc, "\"D:\\Soft Ware\\2345Pic\\Protect\\svc.exe\" -k \"C:\\x y\\z\""),
                  "D:\\Soft Ware\\2345Pic\\"},
        QueryCase{"QuotedWithoutClosingQuote",
                  QueryOutput(kSvc, "\"D:\\Soft Ware\\2345Pic\\Protect\\svc.exe"),
                  "D:\\Soft Ware\\2345Pic\\"},
        QueryCase{"NetworkFolder", QueryOutput(kSvc, "\\\\server\\share\\Pic\\Protect\\svc.exe"),
                  "\\\\server\\share\\Pic\\"},
        QueryCase{"LowerCaseDriveAndDoubleByteName",
                  QueryOutput(kSvc, "d:\\\xBF\xB4\x95\x5C\\Protect\\svc.exe"),
                  "d:\\\xBF\xB4\x95\x5C\\"},
        QueryCase{"DriveRoot", QueryOutput(kSvc, "C:\\Protect\\svc.exe"), ""},
        QueryCase{"EmptyPath", QueryOutput(kSvc, ""), ""},
        QueryCase{"ShortLabelLine", "  BINARY_PATH_NAME : C:\\x\r\n", ""},
        QueryCase{"NoBackslash", QueryOutput(kSvc, "svc.exe"), ""},
        QueryCase{"ParentTooShort", QueryOutput(kSvc, "C:\\svc.exe"), ""},
        QueryCase{"RelativeFolder", QueryOutput(kSvc, "Apps\\Protect\\svc.exe"), ""},
        QueryCase{"ProtectOnly", QueryOutput(kSvc, "Protect\\svc.exe"), ""},
        QueryCase{"NoColon", QueryOutput(kSvc, "AB\\Apps\\Protect\\svc.exe"), ""},
        QueryCase{"TwoBackslashesOnly", QueryOutput(kSvc, "\\\\Protect\\svc.exe"), ""},
        QueryCase{"DigitForDrive", QueryOutput(kSvc, "1:\\Apps\\Protect\\svc.exe"), ""},
        QueryCase{"NotInProtectFolder", QueryOutput(kSvc, "D:\\Apps\\XYProtect\\svc.exe"), ""},
        QueryCase{"QuotedShortPath", QueryOutput(kSvc, "\"svc.exe\" -k"), ""}),
    [](const testing::TestParamInfo<QueryCase>& info) { return std::string(info.param.name); });

TEST(AutoClean, SkipsEachProductWhoseFolderCannotBeDetermined) {
  FakeCleanupHost host;
  host.pathBox = kTypedBefore;
  host.outputs[kViewerQuery] = QueryOutput(kSvc, "Protect\\svc.exe");
  host.outputs[kArchiverQuery] = QueryOutput("HaoZipSvc", "HaoZipSvc.exe");
  OnAutoCleanClicked(host);
  EXPECT_EQ(host.transcript, (Transcript{RunEvent(kViewerQuery), LogEvent(kViewerNoFolder),
                                         RunEvent(kArchiverQuery), LogEvent(kArchiverNoFolder)}));
  EXPECT_EQ(host.pathBox, kTypedBefore);
}

struct TypedFolder {
  const char* name;
  Text typed;
  Text folder;  // what the box holds afterwards and the commands use
};

void PrintTo(const TypedFolder& c, std::ostream* os) { *os << c.name; }

class ManualValidFolders : public testing::TestWithParam<TypedFolder> {};

TEST_P(ManualValidFolders, CompleteTheBackslashAndRunBothProducts) {
  const TypedFolder& c = GetParam();
  FakeCleanupHost host;
  host.pathBox = c.typed;
  AddProductFolder(host, c.folder);

  OnManualCleanClicked(host);

  EXPECT_EQ(host.pathBox, c.folder);
  EXPECT_EQ(host.transcript, ManualRun(c.folder));
  EXPECT_EQ(host.commands.size(), 13u);
  EXPECT_EQ(host.log.size(), 15u);
}

INSTANTIATE_TEST_SUITE_P(
    Folders, ManualValidFolders,
    testing::Values(TypedFolder{"WithoutBackslash", "D:\\Apps", "D:\\Apps\\"},
                    TypedFolder{"WithBackslash", "D:\\Apps\\", "D:\\Apps\\"},
                    TypedFolder{"EndsInDoubleByte", "D:\\\xBF\xB4", "D:\\\xBF\xB4\\"},
                    // The 0x5C second byte is no closing backslash.
                    TypedFolder{"EndsInTrailByte5C", "D:\\\x95\x5C", "D:\\\x95\x5C\\"},
                    TypedFolder{"ShownAsResolved", "D:/Apps/x/..", "D:\\Apps\\"}),
    [](const testing::TestParamInfo<TypedFolder>& info) { return std::string(info.param.name); });

TEST(ManualClean, RejectsTooShortAndNonDirectoryInput) {
  const struct {
    Text typed;
    Text message;
  } cases[] = {
      {"", kEnterAddress},
      {"C", kEnterAddress},  // a directory, but too short to be tested
      {"C:\\file.txt", kInvalidFolder},
      {"C:\\missing", kInvalidFolder},
      {"C:\\NoProduct", kInvalidFolder},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    FakeCleanupHost host;
    host.pathBox = c.typed;
    host.directories = {"C", "C:\\NoProduct\\"};
    host.files = {"C:\\file.txt"};
    OnManualCleanClicked(host);
    EXPECT_EQ(host.transcript, Transcript{LogEvent(c.message)});
    EXPECT_EQ(host.pathBox, c.typed);
    if (c.message == kEnterAddress) {
      EXPECT_TRUE(host.directoryQueries.empty());
    }
  }
}

TEST(ManualClean, FolderBIsReadAgainAndCheckedAgain) {
  const struct {
    Text boxDuringViewer;
    Text archiverFolder;  // empty: rejected
  } cases[] = {
      {"", ""},
      {"E:\\gone", ""},
      {"E:\\Other", "E:\\Other\\"},
      {"E:\\Other\\", "E:\\Other\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.boxDuringViewer);
    FakeCleanupHost host;
    host.pathBox = "D:\\Apps\\";
    AddProductFolder(host, "D:\\Apps\\");
    AddProductFolder(host, "E:\\Other\\");
    host.duringCommand = [&](int index) {
      if (index == 2) host.pathBox = c.boxDuringViewer;
    };

    OnManualCleanClicked(host);

    Transcript expected = ViewerLines("D:\\Apps\\", false);
    AddAll(expected, c.archiverFolder.empty() ? Transcript{LogEvent(kInvalidFolder)}
                                              : ArchiverLines(c.archiverFolder, false));
    EXPECT_EQ(host.transcript, expected);
    EXPECT_EQ(host.pathBox, c.archiverFolder.empty() ? c.boxDuringViewer : c.archiverFolder);
  }
}

// Closing the window during any command stops the click there: nothing runs
// and no control is touched afterwards (the fake fails the test if one is).
TEST(WindowClosed, DuringAnyCommandEndsTheClick) {
  const struct {
    const char* name;
    void (*click)(CleanupHost&);
    Transcript full;
  } procedures[] = {
      {"auto", OnAutoCleanClicked, BothFoundTranscript()},
      {"manual", OnManualCleanClicked, ManualRun("D:\\Apps\\")},
  };
  for (const auto& p : procedures) {
    const int commandCount =
        static_cast<int>(std::count_if(p.full.begin(), p.full.end(), [](const std::string& e) {
          return e.rfind("run ", 0) == 0;
        }));
    for (int closeAt = 0; closeAt < commandCount; ++closeAt) {
      SCOPED_TRACE(std::string(p.name) + " closed during command " + std::to_string(closeAt));
      FakeCleanupHost host;
      InstallBothProducts(host);
      host.pathBox = "D:\\Apps\\";
      AddProductFolder(host, "D:\\Apps\\");
      host.duringCommand = [&](int index) {
        if (index == closeAt) host.closed = true;
      };
      p.click(host);
      EXPECT_EQ(host.transcript, UpToCommand(p.full, closeAt));
    }
  }
}

TEST(NestedClick, EntriesStandBetweenThoseOfTheInterruptedRun) {
  FakeCleanupHost host;
  InstallBothProducts(host);
  // The manual click comes during the viewer's C2, with the viewer's folder
  // already in the box.
  host.duringCommand = [&host](int index) {
    if (index == 2) OnManualCleanClicked(host);
  };

  OnAutoCleanClicked(host);

  EXPECT_EQ(host.transcript, Splice(BothFoundTranscript(), 2, ManualRun(kViewerFolder)));
}

TEST(NestedClick, AutoCleanDuringManualChangesFolderB) {
  FakeCleanupHost host;
  InstallBothProducts(host);
  host.pathBox = "D:\\Apps";
  AddProductFolder(host, "D:\\Apps\\");
  host.duringCommand = [&host](int index) {
    if (index == 0) OnAutoCleanClicked(host);
  };

  OnManualCleanClicked(host);

  // The automatic click leaves the archiver's folder in the box.
  Transcript outer = ViewerLines("D:\\Apps\\", false);
  AddAll(outer, ArchiverLines(kArchiverFolder, false));
  EXPECT_EQ(host.transcript, Splice(outer, 0, BothFoundTranscript()));
}

TEST(NestedClick, WindowClosedInsideTheNestedRunStopsBoth) {
  FakeCleanupHost host;
  InstallBothProducts(host);
  host.pathBox = "D:\\Apps\\";
  AddProductFolder(host, "D:\\Apps\\");
  // Outer manual click: commands 0..2; nested automatic click from 3 on.
  host.duringCommand = [&host](int index) {
    if (index == 2) OnAutoCleanClicked(host);
    if (index == 7) host.closed = true;
  };

  OnManualCleanClicked(host);

  Transcript expected = UpToCommand(ManualRun("D:\\Apps\\"), 2);
  AddAll(expected, UpToCommand(BothFoundTranscript(), 4));
  EXPECT_EQ(host.transcript, expected);
}

}  // namespace
