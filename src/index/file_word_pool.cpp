#include "index/file_word_pool.h"

#include <algorithm>

#include "index/lexicon.h"
#include "index/word_scanner.h"

namespace quor {

namespace {

// A worker's lexicon forgets its words beyond this many (between files), so
// that a tree of unique words does not keep a copy per worker.
constexpr std::int32_t kMaxWorkerWords = 1 << 18;

// What a file reports while a worker reads it: kept for the taking thread.
class RecordingObserver : public DocumentTextObserver {
 public:
  explicit RecordingObserver(std::vector<MessageBoxRequest>& messages) : messages_(messages) {}
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    messages_.push_back(request);
    return MsgResult::Ok;
  }
  std::u16string TempRoot() override { return {}; }

 private:
  std::vector<MessageBoxRequest>& messages_;
};

// The reading state of one worker.
struct FileCutter {
  explicit FileCutter(const CommonWords& common)
      : commonWords(common), scanner(lexicon, &commonWords) {}

  IndexLexicon lexicon;
  CommonWords commonWords;
  WordScanner scanner;
};

// Reads one file with the worker's scanner into out; cancelled ends the
// reading at the next line.
void Cut(const FileWordJob& job, FileCutter& cutter, const std::atomic<bool>& cancelled,
         CutFile& out) {
  out.opened = false;
  out.textSize = 0;
  if (cancelled.load(std::memory_order_relaxed)) {
    out.outcome = FileReadOutcome::kStopped;
    return;
  }
  out.lexiconCleared = cutter.lexicon.WordCount() > kMaxWorkerWords;
  if (out.lexiconCleared) cutter.scanner.InitWordExtraction();
  const std::int32_t knownRows = cutter.lexicon.WordCount();
  cutter.scanner.ClearStopRequest();
  RecordingObserver recorder(out.messages);
  FileReadHooks hooks;
  hooks.opened = [&](std::int64_t textSize) {
    out.opened = true;
    out.textSize = textSize;
  };
  hooks.afterLine = [&cancelled] { return cancelled.load(std::memory_order_relaxed); };
  const FileReadResult read =
      ReadFileWords(recorder, cutter.scanner, job.fullPath, job.typeCode, 1, hooks);
  out.outcome = read.outcome;
  if (read.outcome != FileReadOutcome::kRead) return;
  const IndexLexicon& lexicon = cutter.lexicon;
  out.words.reserve(lexicon.FileRows().size());
  for (const std::int32_t row : lexicon.FileRows()) {
    const IndexLexicon::Entry& entry = lexicon.Row(row);
    CutFile::Word word{row, static_cast<std::uint32_t>(out.chars.size()), 0, entry.commonIndex,
                       entry.countInFile};
    if (row > knownRows) {
      word.length = static_cast<std::uint32_t>(entry.word.size());
      out.chars += entry.word;
    }
    out.words.push_back(word);
  }
}

}  // namespace

FileWordPool::FileWordPool(const std::vector<FileWordJob>& jobs, const CommonWords& commonWords,
                           std::int32_t threads, std::size_t ahead)
    : jobs_(jobs),
      commonWords_(commonWords),
      ahead_(std::max<std::size_t>(ahead, 1)),
      slots_(ahead_) {
  const std::int32_t count = std::max<std::int32_t>(threads, 1);
  workers_.reserve(static_cast<std::size_t>(count));
  for (std::int32_t i = 0; i < count; ++i) {
    workers_.emplace_back([this, i](std::stop_token stop) { Work(stop, i); });
  }
}

FileWordPool::~FileWordPool() {
  Cancel();
  for (std::jthread& worker : workers_) worker.request_stop();
  {
    const std::lock_guard lock(mutex_);
    workReady_.notify_all();
  }
  workers_.clear();  // joins
}

void FileWordPool::Cancel() {
  cancelled_.store(true, std::memory_order_relaxed);
}

CutFile* FileWordPool::Wait(std::size_t index, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  Slot& slot = slots_[index % ahead_];
  if (!fileReady_.wait_for(lock, timeout, [&] { return slot.ready; })) return nullptr;
  return &slot.file;
}

void FileWordPool::Release(std::size_t index) {
  const std::lock_guard lock(mutex_);
  Slot& slot = slots_[index % ahead_];
  slot.ready = false;
  // Cleared, not freed: the next file in this place reuses the memory.
  slot.file.messages.clear();
  slot.file.chars.clear();
  slot.file.words.clear();
  released_ = std::max(released_, index + 1);
  workReady_.notify_all();
}

void FileWordPool::Work(std::stop_token stop, std::int32_t worker) {
  FileCutter cutter(commonWords_);
  cutter.scanner.SetEventPoll([this] { return cancelled_.load(std::memory_order_relaxed); });
  CutFile file;
  for (;;) {
    std::size_t index = 0;
    {
      std::unique_lock lock(mutex_);
      for (;;) {
        if (stop.stop_requested()) return;
        // Files the taking thread reads itself are skipped.
        while (next_ < jobs_.size() && !jobs_[next_].forWorkers) ++next_;
        if (next_ >= jobs_.size()) return;
        if (next_ < released_ + ahead_) break;
        workReady_.wait(lock);
      }
      index = next_++;
    }
    Cut(jobs_[index], cutter, cancelled_, file);
    file.worker = worker;
    {
      const std::lock_guard lock(mutex_);
      Slot& slot = slots_[index % ahead_];
      std::swap(slot.file, file);
      slot.ready = true;
      fileReady_.notify_all();
    }
    file.messages.clear();
    file.chars.clear();
    file.words.clear();
  }
}

}  // namespace quor
