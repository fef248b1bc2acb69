// One folder's contents as the walk sees them: its files, then its
// subfolders, each sorted by plain character code so the same tree always
// gives the same order. Symbolic links to files count as files; links to
// folders are not entered (no loops); sockets, pipes and devices are left out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quor {

struct ListedFile {
  // The name decoded from the file system's UTF-8 bytes (a byte that is not
  // UTF-8 becomes a lone surrogate, which IsValidFileName refuses).
  std::u16string name;
  // The name's bytes are well-formed UTF-8.
  bool validUtf8 = true;
  // Length in bytes (of the link's target for a link).
  std::int64_t size = 0;
};

struct ListedFolder {
  std::u16string name;
  bool validUtf8 = true;
};

struct FolderListing {
  std::vector<ListedFile> files;
  std::vector<ListedFolder> subfolders;
};

// Reads the folder (a path with or without a trailing separator). False with
// the system's description of the failure in error when the folder cannot be
// opened or read.
[[nodiscard]] bool ReadFolder(const std::u16string& folderPath, FolderListing& listing,
                              std::u16string& error);

}  // namespace quor
