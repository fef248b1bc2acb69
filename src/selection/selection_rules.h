// The rules that decide which files of a folder tree are indexed: the fixed
// list of excluded extensions, the files of the top folder, explicitly
// excluded files, file-path fragments, size limits and the inclusion of
// subfolders. Everything here is a pure function of the rules and the path
// (and, for sizes, the length), so it is testable without a disk.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/strings.h"

namespace quor {

// The 49 extensions that are never indexed, in their fixed order.
inline constexpr std::u16string_view kExcludedExtensions[] = {
    u"bas",  u"bat", u"bin", u"bmp", u"cgi", u"com", u"css",  u"dbf",  u"dll",     u"doc",
    u"drv",  u"exe", u"fmt", u"frm", u"frx", u"fx",  u"gdoc", u"gif",  u"quor",    u"ico",
    u"idx",  u"ini", u"jpe", u"jpg", u"js",  u"kbd", u"mdb",  u"ocx",  u"ovl",     u"pdf",
    u"png",  u"prg", u"rar", u"rsc", u"scr", u"swp", u"sys",  u"tiff", u"tlb",     u"usri",
    u"usrs", u"vbp", u"vbw", u"vbs", u"vbx", u"vxd", u"xls",  u"zip",  u"htaccess"};

// Every excluded extension followed by one space, no leading space
// ("bas bat ... htaccess ").
std::u16string BuildExcludedExtensionList();

// True when ext followed by one space occurs anywhere in list, compared
// without regard to case. Because the search is for a tail, an empty
// extension is always excluded, and so is "c" (the tail of "doc ") or "s"
// (the tail of "bas ").
bool IsExcludedExtension(std::u16string_view list, std::u16string_view ext);

// The value of a size field: the leading number of the (trimmed) text,
// rounded half to even to a whole number; 0 when the text does not start with
// a number. A negative value counts as 0 (no limit).
std::int64_t SizeFieldValue(std::u16string_view text);

// The selection a walk applies. Paths are full paths with the platform
// separator; topFolder ends with one.
struct SelectionRules {
  std::u16string topFolder;
  // chkExcludeFilesInTopFolder
  bool excludeTopFolderFiles = false;
  // chkIncludeSubfoldersOfSubfolders
  bool includeNestedSubfolders = false;
  // Relative to the top folder, no leading or trailing separator.
  TextList IncludedSubfolders;
  // Relative to the top folder.
  TextList ExcludedFiles;
  // Any text; an empty fragment is contained in every path.
  TextList FilepathFragments;
  // Bytes; 0 = no lower limit.
  std::int64_t MinFileSize = 0;
  // Kb of 1024 bytes; 0 = no upper limit.
  std::int64_t MaxFileSizeKb = 0;
  std::u16string ExcludedExtensionList = BuildExcludedExtensionList();

  // The extension test, the top-folder rule and the excluded-files list, in
  // that order. Identity of paths is compared exactly: names on this file
  // system are case-sensitive.
  bool IsExcludedFile(std::u16string_view path) const;
  // Some fragment occurs in the path, compared case-folded.
  bool ContainsExcludedFragment(std::u16string_view path) const;
  // size >= MinFileSize and, when MaxFileSizeKb > 0, size <= MaxFileSizeKb *
  // 1024: both bounds inclusive.
  bool IsSizeAccepted(std::int64_t size) const;
  // True when the walk enters the folder (a full path, with or without a
  // trailing separator). The top folder itself is "included" unless its files
  // are excluded. Without nesting a subfolder must be listed exactly; with
  // nesting it must be a listed one or lie below one, and its path must
  // contain no fragment.
  bool IsIncludedFolder(std::u16string_view folderPath) const;

  // The path relative to the top folder (the text after it).
  std::u16string RelativePath(std::u16string_view fullPath) const;
};

// The fragment list of a "frag1,frag2" text: trimmed, split at ",", pieces
// trimmed and empty pieces kept; an empty text gives none.
TextList SplitFragments(std::u16string_view text);

// False when an excluded-files entry is not a relative path: it begins with
// a slash or a backslash, or its second character is ":".
bool IsRelativeEntry(std::u16string_view entry);

}  // namespace quor
