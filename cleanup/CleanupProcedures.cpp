#include "cleanup/CleanupProcedures.h"

#include "cleanup/CleanupHost.h"
#include "cleanup/FolderPolicy.h"
#include "cleanup/Products.h"
#include "text/LinePath.h"
#include "text/Text.h"

namespace {

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

// False when the window closed on the way.
bool AutoCleanProduct(CleanupHost& host, const Product& product) {
  if (host.WindowClosed()) return false;
  const Text output = host.RunCommand(Text(product.queryCommand));
  if (host.WindowClosed()) return false;
  const int32_t lineNumber = FindLineContaining(output, Text(kExecutablePathToken), false);
  if (lineNumber <= 0) return LogLine(host, product.notFoundMessage);
  const Text programPath =
      UnquotedExecutablePath(DropLeading(GetLine(output, lineNumber), kQueryLabelBytes));
  const Text folder = ServiceProductFolder(host, programPath);
  if (ByteLength(folder) == 0) return LogLine(host, product.noFolderMessage);
  host.WritePathBox(folder);
  if (!LogLine(host, host.ReadPathBox())) return false;
  return RunProductLines(host, product, kAutoClean, folder);
}

// Shows the folder about to be cleaned in the path box: the rest of it
// appended when the box holds its start (the caret then ends after it, as
// when only a backslash is added), else the whole folder.
void ShowFolder(CleanupHost& host, const Text& boxText, const Text& folder) {
  if (CompareBytes(boxText, folder) == 0) return;
  const int32_t boxLength = ByteLength(boxText);
  if (CompareBytes(LeftPart(folder, boxLength), boxText) == 0) {
    host.AppendPathBox(DropLeading(folder, boxLength));
  } else {
    host.WritePathBox(folder);
  }
}

// The text of the path box through the gate, shown in the box as it will be
// cleaned; the empty Text after logging the invalid-folder message.
Text GatedBoxFolder(CleanupHost& host, const Text& boxText) {
  const Text folder = TypedProductFolder(host, boxText);
  if (ByteLength(folder) == 0) {
    LogLine(host, kInvalidFolderMessage);
    return Text();
  }
  ShowFolder(host, boxText, folder);
  return folder;
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
  const Text folderA = GatedBoxFolder(host, typed);
  if (ByteLength(folderA) == 0) return;
  if (!RunProductLines(host, kProducts[0], kManualClean, folderA)) return;

  // The box may have been edited, or emptied, while the viewer's commands
  // ran: it goes through the gate again.
  if (host.WindowClosed()) return;
  const Text folderB = GatedBoxFolder(host, host.ReadPathBox());
  if (ByteLength(folderB) == 0) return;
  RunProductLines(host, kProducts[1], kManualClean, folderB);
}
