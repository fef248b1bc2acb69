// The two files an index build writes while it runs: the index text, whose
// records are gathered in memory and moved to the file in large blocks, and
// the data file, whose matrix WriteDataMatrix (indexfile/index_format.h) writes
// from the lexicon's postings once the indexing pass has ended.
//
// Both are opened through an OpenForWriting function so that a test can hand
// out a descriptor that fails (a full disk is /dev/full).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "common/records.h"
#include "index/lexicon.h"

namespace quor {

// Opens path for writing, creating or truncating it: a file descriptor, or -1
// with errno set.
using OpenForWriting = std::function<int(const std::u16string& path)>;
int OpenFileForWriting(const std::u16string& path);

// The index text while it is written.
class IndexTextFile {
 public:
  // Records are moved to the file once this many bytes are waiting.
  static constexpr std::size_t kFlushSize = 1 << 20;

  IndexTextFile() = default;
  ~IndexTextFile();
  IndexTextFile(const IndexTextFile&) = delete;
  IndexTextFile& operator=(const IndexTextFile&) = delete;

  // Creates the file (empty). False with the description in Error().
  [[nodiscard]] bool Open(const std::u16string& path, const OpenForWriting& open);
  bool IsOpen() const { return fd_ >= 0; }

  // Where records are written; call Flush after whole records.
  RecordWriter& Records() { return records_; }

  // Moves the waiting records to the file when there are at least kFlushSize
  // bytes of them (all of them when force is set). False on a write error,
  // and every later call fails too.
  [[nodiscard]] bool Flush(bool force = false);

  // Writes what is waiting and closes the file. False when that or an earlier
  // write failed, or the close reported an error.
  [[nodiscard]] bool Close();
  // Closes without writing what is waiting (the run was abandoned).
  void Abandon();

  // Bytes of record text so far: written plus waiting.
  std::int64_t Length() const {
    return written_ + static_cast<std::int64_t>(records_.Utf8().size());
  }
  const std::u16string& Error() const { return error_; }

 private:
  bool Fail(int errnoValue);

  int fd_ = -1;
  RecordWriter records_;
  std::int64_t written_ = 0;
  bool failed_ = false;
  std::u16string error_;
};

}  // namespace quor
