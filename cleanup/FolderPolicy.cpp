#include "cleanup/FolderPolicy.h"

#include "cleanup/CleanupHost.h"
#include "cleanup/Products.h"
#include "text/LinePath.h"

namespace {

const Text kBackslash = "\\";

// Bytes that would let a folder name change the command around it: a quote
// ends the quoted name; cmd expands %name% even inside quotes, and !name!
// when delayed expansion is on; control bytes break the line; wildcards
// widen del; a colon after the drive names a stream or a device. All are
// below 0x40, so none is the second byte of a double-byte character.
bool HoldsUnsafeByte(const Text& path) {
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (byte < 0x20 || byte == '"' || byte == '%' || byte == '!' || byte == '*' || byte == '?') {
      return true;
    }
    if (byte == ':' && i != 1) return true;
  }
  return false;
}

bool IsAsciiLetter(int32_t code) {
  return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z');
}

bool StartsWithDrive(const Text& path) {
  return IsAsciiLetter(ByteCodeAt(path, 1)) && ByteCodeAt(path, 2) == ':' &&
         ByteCodeAt(path, 3) == '\\';
}

bool StartsWithTwoBackslashes(const Text& path) {
  return ByteCodeAt(path, 1) == '\\' && ByteCodeAt(path, 2) == '\\';
}

// Drops the first name of path (up to and including the backslash after
// it); the empty Text when no backslash follows a non-empty name.
Text AfterFirstName(const Text& path) {
  const int32_t backslash = FindFirst(path, kBackslash, false);
  return backslash > 1 ? DropLeading(path, backslash) : Text();
}

// A folder below a drive root (X:\name\) or below a share
// (\\server\share\name\), ending in a backslash. Roots are refused: the
// commands would walk a whole drive or share.
bool IsBelowRoot(const Text& folder) {
  Text names;
  if (StartsWithDrive(folder)) {
    names = DropLeading(folder, 3);
  } else if (StartsWithTwoBackslashes(folder)) {
    const Text server = DropLeading(folder, 2);
    // \\.\ and \\?\ name devices and raw paths, not shares.
    if (ByteCodeAt(server, 1) == '.' && ByteCodeAt(server, 2) == '\\') return false;
    names = AfterFirstName(AfterFirstName(server));
  }
  return ByteLength(names) > 0 && ByteCodeAt(names, 1) != '\\' && EndsInBackslash(names);
}

// path as Windows resolves it, with exactly one closing backslash, when it
// is an existing folder below a root and nothing in it can change a
// command; the empty Text otherwise.
Text CanonicalFolder(CleanupHost& host, const Text& path) {
  if (HoldsUnsafeByte(path)) return Text();
  Text folder = host.FullPathName(path);
  // The current folder may have been put in front of a relative path.
  if (ByteLength(folder) == 0 || HoldsUnsafeByte(folder)) return Text();
  while (EndsInBackslash(folder)) folder = DropTrailing(folder, 1);
  folder = ConcatText(folder, kBackslash);
  if (!IsBelowRoot(folder) || !host.IsDirectory(folder)) return Text();
  return folder;
}

// The name after the folder in a command line that names a product file.
Text ProductFileName(const CommandLineParts& parts) {
  const std::string_view after = parts.after;
  return Text(after.substr(0, after.find('"')));
}

bool HoldsProductFile(CleanupHost& host, const Text& folder) {
  for (const Product& product : kProducts) {
    for (const CommandLineParts& parts : product.lines) {
      if (parts.namesProductFile && host.FileExists(ConcatText(folder, ProductFileName(parts)))) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

bool EndsInBackslash(const Text& path) {
  // The search walks whole characters, so a 0x5C second byte is never found.
  const int32_t length = ByteLength(path);
  return length > 0 && FindLast(path, kBackslash, false) == length;
}

Text ServiceProductFolder(CleanupHost& host, const Text& programPath) {
  const Text parent = ParentDirOf(programPath);
  const Text cut = RightPart(parent, kProtectFolderBytes);
  if (ByteLength(cut) != kProtectFolderBytes ||
      FindFirst(cut, Text(kProtectSubfolder), true) != 1) {
    return Text();
  }
  const Text folder = DropTrailing(parent, kProtectFolderBytes);
  // The cut must fall after a whole backslash character, and the folder
  // must not depend on a current folder ("C:Protect\", "Apps\Protect\").
  if (!EndsInBackslash(folder) || !(StartsWithDrive(folder) || StartsWithTwoBackslashes(folder))) {
    return Text();
  }
  return CanonicalFolder(host, folder);
}

Text TypedProductFolder(CleanupHost& host, const Text& typed) {
  const Text folder = CanonicalFolder(host, typed);
  if (ByteLength(folder) == 0 || !HoldsProductFile(host, folder)) return Text();
  return folder;
}
