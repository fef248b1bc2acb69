#include "search/data_file_check.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/records.h"
#include "common/strings.h"
#include "indexfile/index_text_reader.h"

namespace quor {

namespace {

std::int64_t MatrixSize(std::int32_t fileCount, std::int32_t wordCount) {
  return static_cast<std::int64_t>(fileCount) * static_cast<std::int64_t>(wordCount);
}

// The folder of the data file as the disk-space message names it.
std::u16string DriveText(std::u16string_view dataFilePath) {
  std::u16string folder = GetFolderPart(dataFilePath);
  if (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  return folder;
}

}  // namespace

bool DataFileIsCurrent(const LengthStampInfo& info, std::int64_t expandedLength,
                       std::int32_t fileCount, std::int32_t wordCount) {
  return info.exists && info.stamp.has_value() && *info.stamp == expandedLength &&
         info.length == MatrixSize(fileCount, wordCount) + 4;
}

std::u16string CreateDataFile(const DataFileJob& job, RecordFieldReader& reader,
                              IndexLoadObserver& observer, const StopToken& stop, bool& stopped) {
  stopped = false;
  const std::int64_t needed = MatrixSize(job.fileCount, job.wordCount) + 4;
  if (job.freeSpace) {
    const std::u16string drive = DriveText(job.dataFilePath);
    const std::optional<std::uint64_t> available = job.freeSpace(drive);
    if (available && *available < static_cast<std::uint64_t>(needed)) {
      observer.MsgBox(u"There is not enough space on Drive " + drive +
                          u" to create the data file.\r\n\r\nYou could try moving the index file "
                          u"to a disk with more space.",
                      MsgButtons::Ok, MsgIcon::Critical, u"Insufficient disk space");
      return std::u16string(kNotEnoughDiskSpace);
    }
  }
  std::u16string error = BuildDataFile(job, reader, observer, stop, stopped);
  if (stopped || error.empty()) return {};
  return std::u16string(kErrorCreatingDataFile) + error;
}

std::u16string BuildDataFile(const DataFileJob& job, RecordFieldReader& reader,
                             IndexLoadObserver& observer, const StopToken& stop, bool& stopped) {
  stopped = false;
  DeleteFileForced(job.dataFilePath, true, true, true);
  observer.ShowResultsText(u"Now creating data file ...\r\n");

  const std::string path = TextToUtf8(job.dataFilePath);
  OwnedFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!fd.Valid()) return ErrorDescription(errno);
  // A build that does not finish leaves no data file: one without its stamp
  // would only be rebuilt at the next load.
  const auto abandon = [&](std::u16string error) {
    fd.Close();
    ::unlink(path.c_str());
    return error;
  };

  std::u16string error = WriteDataMatrixFromCountRows(
      fd.Get(), reader, job.fileCount, job.wordCount,
      [&](std::int32_t rowsDone) {
        observer.DataFileProgress(rowsDone, job.wordCount);
        return !stop.StopRequested();
      },
      stopped);
  if (stopped || !error.empty()) return abandon(std::move(error));
  if (const int closeError = fd.Close(); closeError != 0) {
    return abandon(ErrorDescription(closeError));
  }
  error = AppendLengthStamp(job.dataFilePath, job.expandedLength);
  if (!error.empty()) return abandon(std::move(error));
  observer.ShowResultsText(u"");
  return {};
}

bool DeleteDataFileOnQuit(std::u16string_view dataFilePath, bool deleteOnQuit, MessageSink& sink) {
  if (!deleteOnQuit || !FileExists(dataFilePath)) return false;
  const std::int64_t length = FileLength(dataFilePath).value_or(0);
  if (length > 0) {
    const MsgResult answer =
        sink.MsgBox(u"The data file currently occupies " + FormatByteSize(length) +
                        u".\r\nDo you wish to delete it?\r\n(If so, it will be recreated next "
                        u"time you search.)",
                    MsgButtons::YesNo, MsgIcon::Question, u"Delete data file?");
    if (answer != MsgResult::Yes) return false;
  }
  return DeleteFileForced(dataFilePath, true, true, true);
}

}  // namespace quor
