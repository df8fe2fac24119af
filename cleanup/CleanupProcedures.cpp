#include "cleanup/CleanupProcedures.h"

#include "cleanup/CleanupHost.h"
#include "cleanup/Products.h"
#include "text/LinePath.h"
#include "text/Text.h"

namespace {

const Text kBackslash = "\\";
const Text kQuote = "\"";

// Messages are pumped while a command runs, so the window may be gone when
// RunCommand returns; from then on nothing runs and no control is touched.
bool LogLine(CleanupHost& host, std::string_view line) {
  if (host.WindowClosed()) return false;
  host.AppendLogLine(Text(line));
  return true;
}

// Runs the product's lines of one procedure against folder, logging every
// output. False when the window closed on the way.
bool RunProductLines(CleanupHost& host, const Product& product, CleanupProcedure procedure,
                     const Text& folder) {
  for (const CommandLineParts& parts : product.lines) {
    if ((parts.procedures & procedure) == 0) continue;
    const Text command =
        parts.takesFolder ? ConcatText(parts.before, folder, parts.after) : Text(parts.before);
    if (parts.loggedBeforeRun && !LogLine(host, command)) return false;
    if (host.WindowClosed()) return false;
    const Text output = host.RunCommand(command);
    if (!LogLine(host, output)) return false;
  }
  return true;
}

// A path with spaces is printed in quotes, perhaps followed by arguments;
// the program path is what the quotes hold.
Text UnquotedExecutablePath(const Text& path) {
  if (CompareBytes(LeftPart(path, 1), kQuote) != 0) return path;
  const Text rest = DropLeading(path, 1);
  const int32_t closing = FindFirst(rest, kQuote, false);
  return closing > 0 ? LeftPart(rest, closing - 1) : rest;
}

bool IsAsciiLetter(int32_t code) {
  return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

// A drive folder (X:\...) or a network folder (\\server\...), ending in a
// backslash. Anything else would make the commands hit relative paths.
bool IsFullFolderPath(const Text& folder) {
  const bool drive = IsAsciiLetter(ByteCodeAt(folder, 1)) && ByteCodeAt(folder, 2) == ':' &&
                     ByteCodeAt(folder, 3) == '\\';
  const bool network = ByteCodeAt(folder, 1) == '\\' && ByteCodeAt(folder, 2) == '\\' &&
                       ByteLength(folder) > 3 && ByteCodeAt(folder, 3) != '\\';
  return (drive || network) && CompareBytes(RightPart(folder, 1), kBackslash) == 0;
}

// The product folder from the query line that names the service program.
Text FolderFromQueryLine(const Text& line) {
  const Text path = UnquotedExecutablePath(DropLeading(line, kQueryLabelBytes));
  return DropTrailing(ParentDirOf(path), kProtectFolderBytes);
}

// False when the window closed on the way.
bool AutoCleanProduct(CleanupHost& host, const Product& product) {
  if (host.WindowClosed()) return false;
  const Text output = host.RunCommand(Text(product.queryCommand));
  if (host.WindowClosed()) return false;
  const int32_t lineNumber = FindLineContaining(output, Text(kExecutablePathToken), false);
  if (lineNumber <= 0) return LogLine(host, product.notFoundMessage);
  const Text folder = FolderFromQueryLine(GetLine(output, lineNumber));
  if (!IsFullFolderPath(folder)) return LogLine(host, product.noFolderMessage);
  host.WritePathBox(folder);
  if (!LogLine(host, host.ReadPathBox())) return false;
  return RunProductLines(host, product, kAutoClean, folder);
}

bool IsUsableFolder(CleanupHost& host, const Text& folder) {
  return ByteLength(folder) >= 2 && host.IsDirectory(folder);
}

bool EndsInBackslash(const Text& folder) {
  bool isDoubleByte = false;
  return CompareBytes(CharAtPosition(folder, ByteLength(folder), isDoubleByte), kBackslash) == 0;
}

}  // namespace

void OnAutoCleanClicked(CleanupHost& host) {
  for (const Product& product : kProducts) {
    if (!AutoCleanProduct(host, product)) return;
  }
}

void OnManualCleanClicked(CleanupHost& host) {
  if (host.WindowClosed()) return;
  const Text typed = host.ReadPathBox();
  if (ByteLength(typed) < 2) {
    LogLine(host, kEnterAddressMessage);
    return;
  }
  if (!host.IsDirectory(typed)) {
    LogLine(host, kInvalidFolderMessage);
    return;
  }
  if (!EndsInBackslash(typed)) host.AppendPathBox(kBackslash);

  const Product& viewer = kProducts[0];
  const Product& archiver = kProducts[1];
  const Text folderA = host.ReadPathBox();
  if (!RunProductLines(host, viewer, kManualClean, folderA)) return;

  // The box may have been edited, or emptied, while the viewer's commands ran.
  const Text folderB = host.ReadPathBox();
  if (!IsUsableFolder(host, folderB)) {
    LogLine(host, kInvalidFolderMessage);
    return;
  }
  const Text archiverFolder = EndsInBackslash(folderB) ? folderB : ConcatText(folderB, kBackslash);
  RunProductLines(host, archiver, kManualClean, archiverFolder);
}
