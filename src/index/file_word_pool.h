// Worker threads that read files and cut them into words ahead of the index
// build, which takes the results strictly in list order.
//
// A worker reads one listed file with its own scanner and lexicon and hands
// back the file's distinct words in the order of their first occurrence,
// each with its count and common-word index: what the build's lexicon would
// have counted for the file. Merging them file after file gives the same row
// numbers, counts and postings as reading the files on one thread. Workers
// never call an observer: what a file would have reported (a read error) is
// kept with its result and shown by the thread that takes it.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/messages.h"
#include "extract/common_words.h"
#include "index/file_words.h"

namespace quor {

// One file of the list for the workers.
struct FileWordJob {
  std::u16string fullPath;
  int typeCode = 0;
  // False for a file the taking thread reads itself (a DOCX document, whose
  // conversion asks questions): the workers leave it alone.
  bool forWorkers = true;
};

// The words of one file as a worker cut them. Each word has its row in the
// worker's own lexicon; only a word new to that lexicon comes with its text,
// so the taking thread can map the worker's rows to its own once per word.
struct CutFile {
  struct Word {
    std::int32_t workerRow = 0;  // 1-based row in the worker's lexicon
    std::uint32_t offset = 0;    // in chars; length 0 for a word the worker met before
    std::uint32_t length = 0;
    int commonIndex = 0;
    int count = 0;  // 1..255
  };
  // The worker that cut the file, 0-based, and whether it emptied its
  // lexicon before (its earlier rows then mean nothing any more).
  std::int32_t worker = 0;
  bool lexiconCleared = false;
  FileReadOutcome outcome = FileReadOutcome::kRead;
  // The text was opened (the build adds textSize to its total).
  bool opened = false;
  std::int64_t textSize = 0;
  // What the reading reported, in order (all with an OK button).
  std::vector<MessageBoxRequest> messages;
  // The words one after another; words points into it.
  std::u16string chars;
  std::vector<Word> words;

  std::u16string_view WordText(const Word& w) const {
    return std::u16string_view(chars).substr(w.offset, w.length);
  }
};

class FileWordPool {
 public:
  // Starts threads workers over jobs, reading at most ahead files beyond the
  // one last released. commonWords is copied for each worker. jobs must
  // outlive the pool.
  FileWordPool(const std::vector<FileWordJob>& jobs, const CommonWords& commonWords,
               std::int32_t threads, std::size_t ahead);
  // Cancels what is still being read and joins the workers.
  ~FileWordPool();
  FileWordPool(const FileWordPool&) = delete;
  FileWordPool& operator=(const FileWordPool&) = delete;

  // The result of job index (0-based, taken in increasing order), waiting at
  // most timeout for it; null when it is not ready yet. A job that is not
  // for the workers is never ready. The result stays valid until Release.
  CutFile* Wait(std::size_t index, std::chrono::milliseconds timeout);
  // Job index has been taken: its place is free for a file further on.
  void Release(std::size_t index);
  // Ends the reading of every file at its next line; later results are
  // kStopped.
  void Cancel();

 private:
  struct Slot {
    bool ready = false;
    CutFile file;
  };
  void Work(std::stop_token stop, std::int32_t worker);

  const std::vector<FileWordJob>& jobs_;
  const CommonWords commonWords_;
  const std::size_t ahead_;
  std::mutex mutex_;
  std::condition_variable workReady_;  // a place came free, or the end
  std::condition_variable fileReady_;  // a result was stored
  std::vector<Slot> slots_;            // job i in slots_[i % ahead_]
  std::size_t next_ = 0;               // the next job a worker takes
  std::size_t released_ = 0;           // jobs below this were taken
  std::atomic<bool> cancelled_{false};
  std::vector<std::jthread> workers_;
};

}  // namespace quor
