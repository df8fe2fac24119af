#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "FakeCleanupHost.h"
#include "cleanup/FolderPolicy.h"

namespace {

enum class Source { Typed, Service };

struct GateCase {
  const char* name;
  Source source;
  // What was typed, or the service's program path.
  Text input;
  // The folder the commands would name; empty: refused.
  Text folder;
};

void PrintTo(const GateCase& c, std::ostream* os) { *os << c.name; }

const Text kPic = "D:\\2345Soft\\2345Pic\\";
const Text kCp936 = "D:\\\xC8\xED\xBC\xFE\\2345Pic\\";  // D:\软件\2345Pic\ .
const Text kTrail5C = "D:\\Pic\x81\x5C\\";               // ends in a character 81 5C
const Text kShare = "\\\\server\\share\\HaoZip\\";

// A small machine: product folders with a product file in them, folders
// without one, and product files where no command may go.
FakeCleanupHost Machine() {
  FakeCleanupHost host;
  host.currentFolder = "C:\\app";
  host.directories = {"C:\\",
                      "C:\\app\\",
                      "C:\\app\\Documents\\",
                      "C:\\app\\2345Pic\\",
                      "D:\\2345Soft\\",
                      kPic,
                      kPic + "Protect\\",
                      kCp936,
                      kTrail5C,
                      "D:\\Pic\x81\\",
                      "D:\\%OS%\\",
                      "D:\\!x!\\",
                      "D:\\Bare\\",
                      "D:\\Look\\",
                      "\\\\server\\share\\",
                      kShare};
  host.files = {"C:\\2345Pic.exe",
                "C:\\app\\2345Pic\\2345Pic.exe",
                "C:\\app\\Documents\\readme.txt",
                kPic + "2345Pic.exe",
                kCp936 + "Pic_2345Upgrade.dll",
                kTrail5C + "2345PicUpdate.exe",
                "D:\\%OS%\\2345Pic.exe",
                "D:\\!x!\\2345Pic.exe",
                "D:\\Look\\HaoZip_2345Upgrade.txt",
                "\\\\server\\share\\HaoZip.exe",
                kShare + "HaoZip.exe"};
  return host;
}

class FolderGate : public testing::TestWithParam<GateCase> {};

TEST_P(FolderGate, GivesTheFolderTheCommandsNameOrRefuses) {
  const GateCase& c = GetParam();
  FakeCleanupHost host = Machine();
  const Text folder = c.source == Source::Typed ? TypedProductFolder(host, c.input)
                                                : ServiceProductFolder(host, c.input);
  EXPECT_EQ(folder, c.folder);
}

const Source T = Source::Typed;
const Source S = Source::Service;

INSTANTIATE_TEST_SUITE_P(
    Inputs, FolderGate,
    testing::Values(
        // Typed into the path box.
        GateCase{"Plain", T, "D:\\2345Soft\\2345Pic", kPic},
        GateCase{"WithBackslash", T, kPic, kPic},
        GateCase{"InjectionThroughAQuote", T,
                 kPic + "x\" & echo INJECTED>pwned.txt & rem \"\\..", ""},
        GateCase{"InjectionOfAnotherFolder", T, kPic + "a\" \"..\\victim\" \"\\..\\..", ""},
        GateCase{"PercentInAFolderName", T, "D:\\%OS%\\", ""},
        GateCase{"PercentWithoutBackslash", T, "D:\\%OS%", ""},
        GateCase{"DelayedExpansionName", T, "D:\\!x!", ""},
        GateCase{"RelativeFolderWithoutProduct", T, "Documents", ""},
        GateCase{"RelativeProductFolder", T, "2345Pic", "C:\\app\\2345Pic\\"},
        GateCase{"DriveRelativeOtherDrive", T, "Y:", ""},
        GateCase{"DriveRelativeCurrentFolder", T, "C:", ""},
        GateCase{"DriveRootHoldingAProductFile", T, "C:\\", ""},
        GateCase{"DriveRootByDots", T, "C:\\app\\..", ""},
        GateCase{"ShareRoot", T, "\\\\server\\share\\", ""},
        GateCase{"ShareRootWithoutBackslash", T, "\\\\server\\share", ""},
        GateCase{"UncFolder", T, "\\\\server\\share\\HaoZip", kShare},
        GateCase{"TrailByte5C", T, "D:\\Pic\x81\x5C", kTrail5C},
        GateCase{"TrailByte5CWithBackslash", T, kTrail5C, kTrail5C},
        GateCase{"TrailingSpace", T, "D:\\2345Soft\\2345Pic ", kPic},
        GateCase{"TrailingDots", T, "D:\\2345Soft\\2345Pic..", kPic},
        GateCase{"SlashesAndDots", T, "D:/2345Soft/./x/../2345Pic/", kPic},
        GateCase{"Cp936Name", T, "D:\\\xC8\xED\xBC\xFE\\2345Pic", kCp936},
        GateCase{"Tab", T, "D:\\2345Soft\\2345Pic\t", ""},
        GateCase{"LineBreak", T, "D:\\2345Soft\\2345Pic\r\nD:\\x", ""},
        GateCase{"AFile", T, kPic + "2345Pic.exe", ""},
        GateCase{"Missing", T, "D:\\gone", ""},
        GateCase{"ProductFileOnlyInASubfolder", T, "D:\\2345Soft", ""},
        GateCase{"LookalikeFileOnly", T, "D:\\Look", ""},
        GateCase{"DeviceNamespace", T, "\\\\.\\D:\\2345Soft\\2345Pic", ""},
        GateCase{"RawNamespace", T, "\\\\?\\D:\\2345Soft\\2345Pic", ""},
        GateCase{"Stream", T, "D:\\2345Soft\\2345Pic:x", ""},
        GateCase{"Wildcard", T, "D:\\2345Soft\\2345P*", ""},
        // Cut out of a service's program path.
        GateCase{"Service", S, kPic + "Protect\\svc.exe", kPic},
        GateCase{"ServiceProtectInCapitals", S, kPic + "PROTECT\\svc.exe", kPic},
        GateCase{"ServiceFolderNeedsNoProductFile", S, "D:\\Bare\\Protect\\svc.exe", "D:\\Bare\\"},
        GateCase{"ServiceNotInProtect", S, kPic + "svc.exe", ""},
        GateCase{"ServiceInARootProtect", S, "C:\\Protect\\svc.exe", ""},
        GateCase{"ServiceWithAQuote", S, kPic + "x\" & echo INJECTED & rem \"\\Protect\\svc.exe",
                 ""},
        GateCase{"ServicePercent", S, "D:\\%OS%\\Protect\\svc.exe", ""},
        // "Protect" right after the character 81 5C: the folder left would
        // be the sibling D:\Pic乗 of the real one.
        GateCase{"ServiceCutAfterTrailByte5C", S, "D:\\Pic\x81\x5CProtect\\svc.exe", ""},
        GateCase{"ServiceCutInsideACharacter", S, "D:\\Pic\x81Protect\\svc.exe", ""},
        GateCase{"ServiceDriveRelative", S, "C:Protect\\svc.exe", ""},
        GateCase{"ServiceRelative", S, "app\\Protect\\svc.exe", ""},
        GateCase{"ServiceUnc", S, kShare + "Protect\\HaoZipSvc.exe", kShare},
        GateCase{"ServiceShareRoot", S, "\\\\server\\share\\Protect\\svc.exe", ""},
        GateCase{"ServiceMissingFolder", S, "D:\\gone\\Protect\\svc.exe", ""},
        GateCase{"ServiceDots", S, "D:\\2345Soft\\x\\..\\2345Pic\\Protect\\svc.exe", kPic},
        GateCase{"ServiceCp936", S, kCp936 + "Protect\\svc.exe", kCp936},
        GateCase{"ServiceEmpty", S, "", ""}),
    [](const testing::TestParamInfo<GateCase>& info) { return std::string(info.param.name); });

TEST(EndsInBackslash, JudgesWholeCharacters) {
  const struct {
    Text path;
    bool ends;
  } cases[] = {
      {"", false},          {"\\", true},           {"C:\\a\\", true},
      {"C:\\a", false},     {"C:\\\x81\x5C", false}, {"C:\\\x81\x5C\\", true},
      {"\x81\\\\", true},   {"a\x81", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(EndsInBackslash(c.path), c.ends);
  }
}

// The fake's stand-in for GetFullPathNameA gives what the real function
// gives for the same table under Wine (tests/cleanup/FullPathNameWineTest).
TEST(EmulatedFullPathName, MatchesTheTable) {
  const Text current = "C:\\app";
  for (const FullPathCase& c : kFullPathCases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(EmulatedFullPathName(WithCurrentFolder(c.input, current), current),
              WithCurrentFolder(c.full, current));
  }
}

}  // namespace
