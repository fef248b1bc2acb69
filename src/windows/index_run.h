// The index build that "Create index file" runs: the Pause box and the start
// questions, the counting pass, the indexing pass with the per-file work,
// the lexicon and count rows, the data file, compression in place and the
// length stamp, and the result shown in the window.
//
// The run drives frmIndexMain's walk (its file list and flags) through a walk
// host that receives every file of the indexing pass. The index text is
// written as the pass goes; the data file's matrix is held as the lexicon's
// postings and written row by row once the pass has ended.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "index/index_run_output.h"
#include "index/lexicon.h"
#include "index/word_scanner.h"
#include "windows/frm_index_main.h"

namespace quor {

// What a run reports to an observer (the command line's progress display).
struct IndexRunProgress {
  enum class Stage {
    kCounting,  // counting pass: filesCounted so far
    kIndexing,  // indexing pass: file fileNumber of fileTotal, wordCount words so far
    kWriting,   // the pass has ended: the lexicon, count rows and data file are written
  };
  Stage stage = Stage::kCounting;
  std::int32_t filesCounted = 0;
  std::int32_t fileNumber = 0;
  std::int32_t fileTotal = 0;
  std::int32_t wordCount = 0;
  bool final = false;  // the last report of its stage
};

// Compresses source into target and replaces source with it; a status below
// 0 is a failure (see indexfile/compressor.h).
using CompressIndexFile =
    std::function<std::int32_t(const std::u16string& source, const std::u16string& target)>;
std::int32_t CompressWithFileCompressor(const std::u16string& source, const std::u16string& target);

// The name of the compressor's temporary file for an index file: the path
// without its last 3 characters followed by "dwixc" (proj_index.quor gives
// proj_index.qdwixc).
std::u16string CompressionTargetPath(std::u16string_view indexFilePath);

inline constexpr std::u16string_view kResultCompleted = u"Data extraction completed.";
inline constexpr std::u16string_view kResultStopped = u"Data extraction stopped.";
inline constexpr std::u16string_view kResultCompressionError =
    u"Compression error when creating index file.";

class IndexRun : public IndexBuild {
 public:
  IndexRun();
  ~IndexRun() override;

  void Click(frmIndexMain& form) override;
  void Run(frmIndexMain& form) override;

  // ---- the per-file work of the indexing pass ----
  // Records the file in the index text, reads it (a DOCX document through its
  // temporary text) and counts its words. Trouble sets the walk's
  // StopRequested.
  void ProcessFile(const std::u16string& fullPath, int typeCode);
  // The file's byte values become postings of its words. "" or the
  // description of the failure.
  std::u16string WriteFileColumn();
  // "Different words found so far: " and the wandering star.
  void ShowWordsFoundSoFar();

  // ---- replaceable for tests ----
  OpenForWriting openForWriting = OpenFileForWriting;
  CompressIndexFile compressFile = CompressWithFileCompressor;
  // Called as the run advances (throttling is the observer's).
  std::function<void(const IndexRunProgress&)> onProgress;

  // ---- state of the current or last run ----
  IndexLexicon Lexicon;
  std::int32_t CurrentFileNumber = 0;
  // The length of one data-file row: the number of files of the run.
  std::int32_t RowLength = 0;
  // Bytes of text read in the indexing pass (a DOCX document counts its text).
  double TotalTextSize = 0;
  std::u16string DataFilePath;
  // The result of the last run that reached the end of its indexing pass
  // ("Data extraction completed."); empty otherwise.
  std::u16string ResultText;
  bool Running() const { return form_ != nullptr; }

  // Reports progress to onProgress.
  void ReportProgress(IndexRunProgress::Stage stage, bool final = false);

 private:
  // The counting pass; false when the run ends with it.
  bool CountingPass(class IndexRunWalkHost& host);
  // Opens both files and runs the indexing pass; false when the files could
  // not be opened.
  bool IndexingPass(IndexRunWalkHost& host);
  // The lexicon, the data file and the count rows after a complete pass.
  void WriteIndex();
  // Compression, stamp, result texts, clean-up; the last steps of a run that
  // reached the indexing pass.
  void Finish(double startSeconds);
  // Shows a write failure (critical icon, program text 48) and stops the run.
  void WriteFailed(const std::u16string& description);
  bool Ended() const;
  void DeleteOutputFiles();
  void ClearDocxFolder(bool reportFailure);

  frmIndexMain* form_ = nullptr;  // set while a run is in progress
  bool ran_ = false;              // the last click got past BuildIndex's checks
  std::optional<WordScanner> scanner_;
  IndexTextFile indexText_;
  int dataFd_ = -1;
  // The last DOCX temporary folder made and not yet removed.
  std::u16string docxFolder_;
};

std::unique_ptr<IndexBuild> MakeIndexRun();

}  // namespace quor
