// The search's work copy of a loaded index: the counts, the title, the file
// list and the lexicon of a load, kept in the program's data folder as one
// file that a later load maps and uses where it lies, without expanding or
// reading the index text.
//
// A copy belongs to one index file as it was when it was read (device,
// inode, size, modification and change times to the nanosecond, its first
// and last bytes: the frame header and the checksum of the expanded text)
// and to the expanded text's length, which the data file's stamp must match.
// A copy is checked once, when it is read: its header, the sections that
// fill the file, a checksum of the whole file, the file list's
// offsets, the words in ascending byte order and every row number within
// 1..WordCount. A copy that fails any check is not used, so no look-up
// reaches outside the mapping and a damaged copy is never served.
//
// Layout (native byte order, which the header records): the header, then
// with no gaps the lexicon entries (Lexicon::Entry), the file list's starts
// (FileCount + 1 offsets into the paths, in units), the title and the paths
// (UTF-16 units) and the words (UTF-8 bytes the entries' offsets refer to).
// Every section lies aligned for its elements.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "search/loaded_index.h"

namespace quor {

// What ties a work copy to the index file it was made from.
struct IndexFileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t changedSeconds = 0;
  std::int64_t changedNanoseconds = 0;
  std::array<unsigned char, 16> head{};  // the first bytes (zeros past a short file's end)
  std::array<unsigned char, 16> tail{};  // the last bytes (likewise)

  bool operator==(const IndexFileIdentity&) const = default;
};

// The identity of the index file at path; nullopt when it cannot be read.
[[nodiscard]] std::optional<IndexFileIdentity> IdentifyIndexFile(std::u16string_view path);

// Where the work copy of the index file at indexPath is kept: in dataFolder,
// named after the index file and a hash of its absolute path, so that two
// index files never share one ("docs_index-0123456789abcdef.quord").
std::u16string WorkCopyPath(std::u16string_view dataFolder, std::u16string_view indexPath);

// The bytes of a work copy of index (its title, counts, file list and
// lexicon as loaded) for the index file identity whose expanded text has
// expandedLength bytes.
std::string MakeWorkCopy(const LoadedIndex& index, const IndexFileIdentity& identity,
                         std::int64_t expandedLength);

// What a work copy holds, viewing its bytes.
struct WorkCopyView {
  std::int64_t expandedLength = 0;
  std::int32_t fileCount = 0;
  std::int32_t wordCount = 0;
  std::u16string_view title;
  std::span<const std::uint32_t> fileStarts;  // fileCount + 1 offsets into filePaths
  std::u16string_view filePaths;
  quor::Lexicon lexicon;  // views the bytes
};

// Checks bytes as a work copy made for identity (see the top of this file);
// the view, or nullopt when any check fails. bytes must be aligned to 8.
[[nodiscard]] std::optional<WorkCopyView> ReadWorkCopy(std::span<const char> bytes,
                                                       const IndexFileIdentity& identity);

// Sets the checksum of bytes laid out as a work copy to match them (nothing
// happens to bytes shorter than a header): for tests and fuzzing, which
// damage a copy on purpose and want the other checks to see it.
void ResealWorkCopy(std::span<char> bytes);

// Fills index's title, counts, file list and lexicon from copy; they view
// the bytes copy views.
void FillFromWorkCopy(WorkCopyView copy, LoadedIndex& index);

// Loads index (whose DataFilePath is set) from the work copy at path when
// the copy is one for identity and the data file is current for it: true,
// with index viewing the copy's mapping (kept in index.Backing). False,
// index untouched, otherwise.
[[nodiscard]] bool LoadWorkCopy(std::u16string_view path, const IndexFileIdentity& identity,
                                LoadedIndex& index);

// Writes a work copy of index to path, through a temporary file in the same
// folder that then replaces it. Nothing is written for an index that would
// not pass ReadWorkCopy. Returns whether the copy was written; a failure
// leaves no temporary file.
bool WriteWorkCopy(std::u16string_view path, const LoadedIndex& index,
                   const IndexFileIdentity& identity, std::int64_t expandedLength);

}  // namespace quor
