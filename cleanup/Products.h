#pragma once

#include <array>
#include <string_view>

// Which clean-up procedure runs a command line.
enum CleanupProcedure : unsigned {
  kAutoClean = 1,
  kManualClean = 2,
};

// One command line of a product: a fixed line, or the fixed text before and
// after the product folder. A line with no procedure is one the product lacks.
struct CommandLineParts {
  std::string_view before;
  std::string_view after;
  bool takesFolder;
  // The folder removal is logged before it runs, so the log names what went.
  bool loggedBeforeRun;
  unsigned procedures;
  // The name after the folder is a file of the product; a typed folder must
  // hold one of them.
  bool namesProductFile = false;
};

constexpr int kCommandLineCount = 9;

// Every name (service, files, rules, main program) is written inside the
// lines that use it, so the lines read as they run.
struct Product {
  std::string_view queryCommand;
  std::string_view notFoundMessage;
  std::string_view noFolderMessage;
  // C1 to C9, in the order they run.
  std::array<CommandLineParts, kCommandLineCount> lines;
};

constexpr unsigned kBoth = kAutoClean | kManualClean;

constexpr std::array<Product, 2> kProducts{{
    {
        "SC qc ViewPic_2345Svc",
        "没有发现看图王服务",
        "无法确定看图王的安装目录,已跳过",
        {{
            {"net stop ViewPic_2345Svc", "", false, false, kBoth},
            {"SC delete ViewPic_2345Svc", "", false, false, kBoth},
            {"rd /s /q \"", "Protect\"", true, true, kBoth},
            {"del /f /s /q \"", "2345PicUpdate.exe\"", true, false, kBoth, true},
            {"del /f /s /q \"", "Pic_2345Upgrade.dll\"", true, false, kBoth, true},
            {"del /f /s /q \"", "Pic_2345Upgrade.exe\"", true, false, kBoth, true},
            {"", "", false, false, 0},
            {"netsh advfirewall firewall delete rule name=\"disconnect2345pic\"", "", false, false,
             kAutoClean},
            {"netsh advfirewall firewall add rule name=\"disconnect2345pic\" dir=in program=\"",
             "2345Pic.exe\" action=block", true, false, kAutoClean, true},
        }},
    },
    {
        "SC qc HaoZipSvc",
        "没有发现好压服务",
        "无法确定好压的安装目录,已跳过",
        {{
            {"net stop HaoZipSvc", "", false, false, kBoth},
            {"SC delete HaoZipSvc", "", false, false, kBoth},
            {"rd /s /q \"", "Protect\"", true, true, kBoth},
            {"del /f /s /q \"", "HaoZipUpdate.exe\"", true, false, kBoth, true},
            {"del /f /s /q \"", "Haozip_2345Upgrade.dll\"", true, false, kBoth, true},
            {"del /f /s /q \"", "Haozip_2345Upgrade.exe\"", true, false, kBoth, true},
            {"netsh advfirewall firewall delete rule name=\"Haozip_2345DLAgent_Rule\"", "", false,
             false, kBoth},
            {"netsh advfirewall firewall delete rule name=\"disconnect2345zip\"", "", false, false,
             kAutoClean},
            {"netsh advfirewall firewall add rule name=\"disconnect2345zip\" dir=in program=\"",
             "HaoZip.exe\" action=block", true, false, kAutoClean, true},
        }},
    },
}};

// The service query prints the executable path after this many label bytes:
// 8 spaces, "BINARY_PATH_NAME", 3 spaces, ": ".
constexpr int kQueryLabelBytes = 29;
constexpr std::string_view kExecutablePathToken = "BINARY_PATH_NAME";
// The service program lives in the product's "Protect\" subfolder.
constexpr std::string_view kProtectSubfolder = "Protect\\";
constexpr int kProtectFolderBytes = static_cast<int>(kProtectSubfolder.size());
static_assert(kProtectFolderBytes == 8);

constexpr std::string_view kEnterAddressMessage = "请输入一个地址";
constexpr std::string_view kInvalidFolderMessage = "请输入有效的2345看图王根目录,或者好压的根目录";
