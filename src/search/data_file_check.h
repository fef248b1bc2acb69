// The data file of a loaded index: whether it is current, its rebuild from
// the count rows, and the question of deleting it when the Search Module
// closes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "common/messages.h"
#include "indexfile/data_file.h"
#include "search/index_load.h"

namespace quor {

class RecordFieldReader;

inline constexpr std::u16string_view kNotEnoughDiskSpace =
    u"Not enough disk space to create the data file.";
inline constexpr std::u16string_view kErrorCreatingDataFile = u"Error when creating data file: ";

// True when the data file belongs to the expanded index text: its stamp is
// the text's byte length and its length is wordCount * fileCount + 4 (a file
// of another length would let a row read run past its end).
bool DataFileIsCurrent(const LengthStampInfo& info, std::int64_t expandedLength,
                       std::int32_t fileCount, std::int32_t wordCount);

// What the check and the build of a data file need.
struct DataFileJob {
  std::u16string dataFilePath;
  std::int64_t expandedLength = 0;  // the LengthStamp to write
  std::int32_t fileCount = 0;
  std::int32_t wordCount = 0;
  FreeSpaceQuery freeSpace;  // may be empty
};

// The check of a load whose data file is not current (a zero-length file has
// been deleted): asks for the free space in the data file's folder and, when
// it is short of wordCount * fileCount + 4 bytes, shows "Insufficient disk
// space" (critical) and returns kNotEnoughDiskSpace; otherwise builds the
// data file from the count rows at reader and returns "" or
// kErrorCreatingDataFile + the description. stopped is set (and "" returned)
// when the stop token ended the build.
[[nodiscard]] std::u16string CreateDataFile(const DataFileJob& job, RecordFieldReader& reader,
                                            IndexLoadObserver& observer, const StopToken& stop,
                                            bool& stopped);

// Writes the data file from the wordCount count rows at reader: deletes any
// old file, shows "Now creating data file ..." in the results box, writes
// the rows in order (blocks of zeros stay holes), then the stamp, and clears
// the results box. Returns "" or the description of what ended it (a count
// row unfit for the file list, a read or write error); a failed or stopped
// build leaves no data file.
[[nodiscard]] std::u16string BuildDataFile(const DataFileJob& job, RecordFieldReader& reader,
                                           IndexLoadObserver& observer, const StopToken& stop,
                                           bool& stopped);

// The delete-on-quit step of the Search Module's Quit: when deleteOnQuit is
// set and the data file exists, deletes a zero-length file at once and
// otherwise asks "Delete data file?" (Yes/No) with its size, deleting it on
// Yes. Returns true when the file was deleted.
bool DeleteDataFileOnQuit(std::u16string_view dataFilePath, bool deleteOnQuit, MessageSink& sink);

}  // namespace quor
