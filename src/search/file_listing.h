// The listing of the files a loaded index covers: its heading, the reminder
// that the paths are relative to the top folder, and the paths either in
// index order (grouped by folder, as the index build walked the tree) or
// alphabetically.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/loaded_index.h"

namespace quor {

inline constexpr std::u16string_view kFileListingClosing = u"That's all.";
inline constexpr std::u16string_view kFileListingBufferFull = u"THE FILE LIST BUFFER IS FULL.";

struct FileListing {
  // "Alphabetical listing of the filepaths of the 12 indexed files" or
  // "Listing by folder of the filepaths of the 12 indexed files".
  std::u16string heading;
  // The reminder that the paths are relative to the top folder.
  std::u16string note;
  // A copy of the index's file list, sorted with letter case ignored when
  // listed alphabetically; the index's own list is never reordered.
  std::vector<std::u16string> files;
  bool byFolder = false;
};

// Reads only the file list of the index file at indexPath into index
// (expanding the file as far as the end of the list), for a listing that
// needs neither the lexicon nor the data file. Returns "" or the text of what
// failed: a missing file, a damaged expansion, an error in the file list.
[[nodiscard]] std::u16string LoadFileList(std::u16string_view indexPath, LoadedIndex& index);

// The listing of index's files.
FileListing MakeFileListing(const LoadedIndex& index, bool byFolder);

// True when entry lies in another folder than previous (the part before the
// last separator differs): a listing by folder puts an empty line there.
bool StartsNewFolder(std::u16string_view previous, std::u16string_view entry);

// The whole listing as text, every line ending in CR LF: the heading, the
// note, an empty line, the files (with an empty line between folders when
// listed by folder), an empty line and "That's all.".
std::u16string FileListingText(const FileListing& listing);

}  // namespace quor
