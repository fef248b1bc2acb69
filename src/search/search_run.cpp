#include "search/search_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <span>
#include <thread>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "common/paths.h"
#include "extract/html_text.h"
#include "extract/text_normalize.h"
#include "indexfile/data_file.h"
#include "search/file_scanner.h"

namespace quor {
namespace {

constexpr int kTitleChars = 80;
constexpr int kDescriptionScan = 6144;

std::u16string FullPath(std::u16string_view topFolder, std::u16string_view relativePath) {
  std::u16string path(topFolder);
  path += relativePath;
  return path;
}

void ReplaceEvery(std::u16string& text, std::u16string_view from, std::u16string_view to) {
  for (std::size_t pos = text.find(from); pos != std::u16string::npos;
       pos = text.find(from, pos + to.size())) {
    text.replace(pos, from.size(), to);
  }
}

// How a word's row goes into the scores.
enum class RowRule {
  kSum,         // every value is added
  kFirstFound,  // a score still 0 takes the value
  kAllPresent,  // a score not 0 gets the value added, or becomes 0 when it is 0
};

std::int32_t AddValue(RowRule rule, std::int32_t score, std::int32_t value) {
  switch (rule) {
    case RowRule::kSum:
      return score + value;
    case RowRule::kFirstFound:
      return score != 0 ? score : value;
    case RowRule::kAllPresent:
      break;
  }
  return value == 0 || score == 0 ? 0 : score + value;
}

// Applies row values value[from..to) to score[from..to) by rule, 16 files at
// a time where the processor allows it.
void AddRow(RowRule rule, const std::uint8_t* value, std::int32_t* score, std::size_t from,
            std::size_t to) {
  std::size_t k = from;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; k + 16 <= to; k += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(value + k));
    const __m128i words[2] = {_mm_unpacklo_epi8(bytes, zero), _mm_unpackhi_epi8(bytes, zero)};
    for (int half = 0; half < 2; ++half) {
      const __m128i values[2] = {_mm_unpacklo_epi16(words[half], zero),
                                 _mm_unpackhi_epi16(words[half], zero)};
      for (int quarter = 0; quarter < 2; ++quarter) {
        auto* at = reinterpret_cast<__m128i*>(score + k + 8 * half + 4 * quarter);
        const __m128i s = _mm_loadu_si128(at);
        const __m128i v = values[quarter];
        __m128i out;
        if (rule == RowRule::kSum) {
          out = _mm_add_epi32(s, v);
        } else if (rule == RowRule::kFirstFound) {
          out = _mm_or_si128(s, _mm_and_si128(_mm_cmpeq_epi32(s, zero), v));
        } else {
          const __m128i dead = _mm_or_si128(_mm_cmpeq_epi32(s, zero), _mm_cmpeq_epi32(v, zero));
          out = _mm_andnot_si128(dead, _mm_add_epi32(s, v));
        }
        _mm_storeu_si128(at, out);
      }
    }
  }
#endif
  for (; k < to; ++k) score[k] = AddValue(rule, score[k], value[k]);
}

// Calls work(i, onCaller) for every i in [0, count) in runs of `run`, on
// this thread (onCaller true) and on up to `helpers` threads more, each
// taking the next run as it is free. A call that returns false ends the work
// of every thread after its current call.
template <class Work>
void ShareOut(std::size_t count, std::size_t run, std::size_t helpers, const Work& work) {
  std::atomic<std::size_t> next{0};
  std::atomic<bool> ended{false};
  const auto take = [&](bool onCaller) {
    for (std::size_t from; !ended && (from = next.fetch_add(run)) < count;) {
      for (std::size_t i = from; i < std::min(count, from + run); ++i) {
        if (!work(i, onCaller)) {
          ended = true;
          return;
        }
      }
    }
  };
  std::vector<std::jthread> threads;
  threads.reserve(helpers);
  for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(take, false);
  take(true);
}

// Which indexed files exist under the top folder (FileExists of top folder +
// file-list entry). Files are looked up from the top folder held open, so a
// long top folder is not walked again for every file. The files a listing
// will ask about first are looked up ahead, on several threads: each look-up
// is a system call, and the 500 of a full listing take about a millisecond
// on one.
class TopFolderFiles {
 public:
  TopFolderFiles(std::u16string_view topFolder, const LoadedIndex& index)
      : topFolder_(topFolder),
        index_(index),
        top_(::open(TextToUtf8(topFolder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC)) {}

  // True when file j (1-based) exists as a plain file (symbolic links
  // followed), as FileExists tells.
  bool Exists(int j) const {
    const auto at = static_cast<std::size_t>(j);
    if (at < known_.size() && known_[at] != kUnknown) return known_[at] == kPlain;
    return LookUp(j);
  }

  // Looks up files (1-based) at once, for Exists to answer from.
  void LookUpAhead(std::span<const int> files) {
    // A few files are looked up as they are asked about.
    if (files.size() < kFilesPerHelper) return;
    known_.assign(index_.FileList.size() + 1, kUnknown);
    const std::size_t helpers = std::min<std::size_t>(
        {std::max(1u, std::thread::hardware_concurrency()) - 1, 3, files.size() / kFilesPerHelper});
    // In runs of a few files: neighbours share their folders' entries.
    ShareOut(files.size(), 16, helpers, [&](std::size_t i, bool) {
      known_[static_cast<std::size_t>(files[i])] = LookUp(files[i]) ? kPlain : kOther;
      return true;
    });
  }

 private:
  static constexpr std::uint8_t kUnknown = 0, kPlain = 1, kOther = 2;
  // Fewer files than this per thread are looked up faster than a thread starts.
  static constexpr std::size_t kFilesPerHelper = 64;

  bool LookUp(int j) const {
    const std::u16string_view relative = index_.FileList[static_cast<std::size_t>(j - 1)];
    if (!top_.Valid() || relative.empty() || relative[0] == kPathSeparator) {
      return FileExists(FullPath(topFolder_, relative));
    }
    struct stat info {};
    return ::fstatat(top_.Get(), TextToUtf8(relative).c_str(), &info, 0) == 0 &&
           S_ISREG(info.st_mode);
  }

  std::u16string_view topFolder_;
  const LoadedIndex& index_;
  OwnedFd top_;
  std::vector<std::uint8_t> known_;  // per file (1-based): kUnknown, kPlain or kOther
};

// A run in progress: the request, where it reports, and the result it fills.
class Run {
 public:
  Run(const SearchRequest& request, SearchObserver& observer, StopToken& stop, SearchResult& result)
      : request_(request),
        index_(*request.index),
        files_(request.topFolder, *request.index),
        observer_(observer),
        stop_(stop),
        result_(result) {}

  // Steps of the search; false when it ended early (result status set).
  void Execute();

 private:
  bool LookUpTerms();
  bool ReadRows();
  bool CountFiles(int first, int last);
  bool ConfirmPhrase(int j);
  void ListFiles(int first, int last);
  bool ListFile(int j, std::int32_t score);
  bool GoOnListing(std::u16string_view terminated);
  void Summarise();
  // The results box gets a new text, or more text at its end.
  void Show(std::u16string_view text) {
    result_.ResultsText = text;
    observer_.ShowResultsText(result_.ResultsText);
  }
  void Append(std::u16string_view text) {
    result_.ResultsText += text;
    observer_.ShowResultsText(result_.ResultsText);
  }
  bool Abandon() {
    result_.status = SearchStatus::kAbandoned;
    return false;
  }

  const SearchRequest& request_;
  const LoadedIndex& index_;
  TopFolderFiles files_;
  SearchObserver& observer_;
  StopToken& stop_;
  SearchResult& result_;
  SearchType effectiveType_ = SearchType::kAnyWord;
};

void Run::Execute() {
  result_.status = SearchStatus::kCompleted;
  const int fileCount = index_.FileCount;
  result_.MatchCounts.assign(static_cast<std::size_t>(fileCount) + 1, 0);
  Show(u"Now searching ...\r\n");
  int first = 1;
  int last = fileCount;
  if (request_.singleFile) {
    first = FindIndexedFile(index_, request_.topFolder, request_.singleFilePath);
    last = first;
  }
  if (!LookUpTerms()) {
    if (result_.status == SearchStatus::kCompleted) Summarise();
    return;
  }
  if (!ReadRows()) return;
  stop_.Reset();
  // A single word is always searched as "Any word".
  effectiveType_ = result_.SearchTerms.size() == 1 ? SearchType::kAnyWord : request_.type;
  if (first >= 1 && !CountFiles(first, last)) return;
  ListFiles(first >= 1 ? first : 1, first >= 1 ? last : 0);
  if (result_.status != SearchStatus::kCompleted) return;
  Summarise();
}

// False when no file can match (the result is then summarised) or the
// search was abandoned.
bool Run::LookUpTerms() {
  const bool needsAll = request_.type != SearchType::kAnyWord;
  for (const std::u16string& word : result_.SearchWords) {
    SearchTerm term;
    term.Word = word;
    term.RowNumber = LookUpWord(index_.Lexicon, word);
    const bool missing = term.RowNumber == -1;
    result_.SearchTerms.push_back(std::move(term));
    if (missing && needsAll) return false;
    if (observer_.Yield()) return Abandon();
  }
  return !(result_.SearchTerms.size() == 1 && result_.SearchTerms[0].RowNumber == -1);
}

// Many rows (a stem's words) are read on a second thread too: each read is a
// system call and a copy, and the reads do not depend on one another.
bool Run::ReadRows() {
  DataFileRows rows;
  std::u16string error = rows.Open(index_.DataFilePath);
  std::vector<SearchTerm*> toRead;
  for (SearchTerm& term : result_.SearchTerms) {
    if (term.RowNumber > 0) toRead.push_back(&term);
  }
  if (error.empty()) {
    constexpr std::size_t kRowsPerHelper = 32;
    const std::size_t helpers =
        toRead.size() >= 2 * kRowsPerHelper && std::thread::hardware_concurrency() > 1 ? 1 : 0;
    std::vector<std::u16string> errors(toRead.size());  // of each row read
    bool abandoned = false;
    ShareOut(toRead.size(), 8, helpers, [&](std::size_t i, bool onCaller) {
      SearchTerm& term = *toRead[i];
      term.Counts.assign(static_cast<std::size_t>(index_.FileCount), 0);
      errors[i] = rows.ReadRow(term.RowNumber, term.Counts);
      // Only the search's own thread yields to the window between its rows.
      if (onCaller && observer_.Yield()) abandoned = true;
      return errors[i].empty() && !abandoned;
    });
    if (abandoned) return Abandon();
    for (std::u16string& rowError : errors) {
      if (!rowError.empty()) {
        error = std::move(rowError);
        break;
      }
    }
  }
  if (error.empty()) return true;
  observer_.MsgBox(u"Error when reading the data file: " + error, MsgButtons::Ok, MsgIcon::Critical,
                   u"Error");
  result_.status = SearchStatus::kFailed;
  return false;
}

// The words' rows are added one after the other (each row is read in order
// once); the scores are those of adding the words file by file.
bool Run::CountFiles(int first, int last) {
  std::vector<std::int32_t>& scores = result_.MatchCounts;
  const auto from = static_cast<std::size_t>(first - 1);
  const auto to = static_cast<std::size_t>(last);
  std::int32_t* score = scores.data() + 1;  // score[k] is the score of file k + 1
  if (effectiveType_ == SearchType::kAnyWord) {
    // Without sorting a score only has to be non-zero: a file keeps the value
    // of the first word found in it.
    const bool firstOnly = !request_.sort;
    for (const SearchTerm& term : result_.SearchTerms) {
      if (term.Counts.empty()) continue;
      const std::uint8_t* value = term.Counts.data();
      AddRow(firstOnly ? RowRule::kFirstFound : RowRule::kSum, value, score, from, to);
    }
    return !observer_.Yield() || Abandon();
  }
  // Every word must be present: a file missing one scores 0.
  for (std::size_t k = from; k < to; ++k) score[k] = 1;
  for (const SearchTerm& term : result_.SearchTerms) {
    if (term.Counts.empty()) {
      std::fill(score + from, score + to, 0);
      break;
    }
    AddRow(RowRule::kAllPresent, term.Counts.data(), score, from, to);
  }
  for (std::size_t k = from; k < to; ++k) {
    if (score[k] > 0) --score[k];  // the 1 each file started with
  }
  // A listing in file order shows the first kMaxFoundFiles files whose
  // phrase is confirmed (each exists, as the listing checks again): the
  // files after them are not read and score 0.
  const bool phrase = effectiveType_ == SearchType::kExactPhrase;
  int confirmed = 0;
  for (int j = first; j <= last; ++j) {
    const auto k = static_cast<std::size_t>(j - 1);
    if (result_.stopped) {
      score[k] = 0;  // not counted before the stop
      continue;
    }
    if (phrase && !request_.sort && confirmed == kMaxFoundFiles) {
      score[k] = 0;
      continue;
    }
    if (score[k] > 0 && phrase && !ConfirmPhrase(j)) score[k] = 0;
    if (score[k] > 0) ++confirmed;
    if (observer_.Yield()) return Abandon();
    if (stop_.StopRequested()) result_.stopped = true;
  }
  return true;
}

bool Run::ConfirmPhrase(int j) {
  if (!files_.Exists(j)) return false;
  const std::u16string path =
      FullPath(request_.topFolder, index_.FileList[static_cast<std::size_t>(j - 1)]);
  Show(u"Now searching file #" + GroupDigits(j) + u" for exact phrase.");
  ScanRequest scan;
  scan.words = &result_.SearchWords;
  scan.type = SearchType::kExactPhrase;
  const ScanOutcome outcome = ScanFileText(path, scan, observer_);
  if (outcome == ScanOutcome::kStopRequested) stop_.RequestStop();
  return outcome == ScanOutcome::kPhraseFound;
}

void Run::ListFiles(int first, int last) {
  const std::vector<std::int32_t>& scores = result_.MatchCounts;
  if (!request_.sort) {
    // The files the listing will ask about if all of them exist.
    std::vector<int> ahead;
    for (int j = first; j <= last && ahead.size() < static_cast<std::size_t>(kMaxFoundFiles); ++j) {
      if (scores[static_cast<std::size_t>(j)] >= 1) ahead.push_back(j);
    }
    files_.LookUpAhead(ahead);
    for (int j = first; j <= last && result_.FoundCount < kMaxFoundFiles; ++j) {
      const std::int32_t score = scores[static_cast<std::size_t>(j)];
      if (score < 1) continue;
      if (!ListFile(j, score)) continue;
      if (!GoOnListing(u"Search terminated.")) return;
    }
    return;
  }
  // Every matching file is ranked before the best are listed: by decreasing
  // score, equal scores by decreasing relative path (code-unit order).
  std::vector<int> ranked;
  for (int j = first; j <= last; ++j) {
    if (scores[static_cast<std::size_t>(j)] >= 1) ranked.push_back(j);
  }
  const auto better = [&](int a, int b) {
    const std::int32_t sa = scores[static_cast<std::size_t>(a)];
    const std::int32_t sb = scores[static_cast<std::size_t>(b)];
    if (sa != sb) return sa > sb;
    return index_.FileList[static_cast<std::size_t>(a - 1)] >
           index_.FileList[static_cast<std::size_t>(b - 1)];
  };
  // The best are put in order first; the rest only when files were missing.
  std::size_t sorted = std::min(ranked.size(), static_cast<std::size_t>(kMaxFoundFiles) + 12);
  std::nth_element(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(sorted),
                   ranked.end(), better);
  std::sort(ranked.begin(), ranked.begin() + static_cast<std::ptrdiff_t>(sorted), better);
  files_.LookUpAhead({ranked.data(), sorted});
  for (std::size_t i = 0; i < ranked.size(); ++i) {
    if (result_.FoundCount == kMaxFoundFiles) break;
    if (i == sorted) {
      std::sort(ranked.begin() + static_cast<std::ptrdiff_t>(sorted), ranked.end(), better);
      sorted = ranked.size();
    }
    const int j = ranked[i];
    if (!ListFile(j, scores[static_cast<std::size_t>(j)])) continue;
    if (!GoOnListing(u"Listing terminated.")) return;
  }
}

// After a listed file: false when the listing ends, because the search was
// abandoned or stopped (then with terminated at the end of the results).
bool Run::GoOnListing(std::u16string_view terminated) {
  if (observer_.Yield()) return Abandon();
  if (!stop_.StopRequested()) return true;
  result_.stopped = true;
  Append(terminated);
  return false;
}

// Lists file j when it exists; false when it does not.
bool Run::ListFile(int j, std::int32_t score) {
  const std::u16string_view relative = index_.FileList[static_cast<std::size_t>(j - 1)];
  if (!files_.Exists(j)) return false;
  const std::u16string path = FullPath(request_.topFolder, relative);
  result_.FoundFiles.emplace_back(relative);
  result_.FoundScores.push_back(score);
  // The first file listed replaces the progress text.
  if (result_.FoundCount == 0) result_.ResultsText.clear();
  if (request_.fillTitles) {
    FoundFileDisplay display =
        DisplayFoundFile(request_.topFolder, relative, request_.fillDescriptions);
    result_.FoundTitles.push_back(std::move(display.title));
    result_.FoundDescriptions.push_back(std::move(display.description));
    ++result_.FoundCount;
    Append(display.text);
    return true;
  }
  result_.FoundTitles.emplace_back();
  result_.FoundDescriptions.emplace_back();
  ++result_.FoundCount;
  Append(path + u"\r\n\r\n");
  return true;
}

void Run::Summarise() {
  if (request_.singleFile) {
    result_.LabelText = result_.FoundCount != 0 ? u"Found" : u"Not found";
  } else {
    result_.LabelText = u"Number of files found with matches:" + ToText(result_.FoundCount);
  }
  if (result_.FoundCount == 0) {
    Show(NoFilesFoundText(request_.type, request_.singleFile));
  } else if (result_.FoundCount == kMaxFoundFiles) {
    Append(u"\r\nMaximum number of files reached (" + ToText(kMaxFoundFiles) + u").\r\n");
  }
}

}  // namespace

SearchResult Search(const SearchRequest& request, SearchObserver& observer, StopToken& stop) {
  SearchResult result;
  result.topFolderChecked = request.topFolderChecked;
  if (!CheckSearchWordCharacters(request.searchText, request.notAllowedText, request.searchCaption,
                                 observer)) {
    return result;
  }
  const LoadedIndex& index = *request.index;
  ParsedSearchWords parsed = ParseSearchWords(request.searchText, request.type, index.Lexicon,
                                              request.windowCaption, observer);
  switch (parsed.outcome) {
    case ParseOutcome::kReady:
      break;
    case ParseOutcome::kRefused:
      return result;
    case ParseOutcome::kChangeToAnyWord:
      result.status = SearchStatus::kChangeToAnyWord;
      return result;
    case ParseOutcome::kNoStemMatches:
      result.status = SearchStatus::kCompleted;
      result.ResultsText = NoFilesFoundText(request.type, request.singleFile);
      observer.ShowResultsText(result.ResultsText);
      return result;
  }
  if (!result.topFolderChecked) result.topFolderChecked = CheckTopFolder(index, request.topFolder);
  if (!result.topFolderChecked) {
    observer.MsgBox(
        u"No indexed file occurs in the top folder or any subfolder.\r\n\r\n"
        u"There seems to be a mismatch between the top folder\r\nand the index file.",
        MsgButtons::Ok, MsgIcon::Critical, u"Search");
    result.status = SearchStatus::kTopFolderMismatch;
    return result;
  }
  SearchResult ran = RunSearch(request, std::move(parsed.SearchWords), observer, stop);
  ran.topFolderChecked = true;
  return ran;
}

SearchResult RunSearch(const SearchRequest& request, TextList searchWords, SearchObserver& observer,
                       StopToken& stop) {
  SearchResult result;
  result.topFolderChecked = request.topFolderChecked;
  result.SearchWords = std::move(searchWords);
  Run(request, observer, stop, result).Execute();
  return result;
}

bool CheckTopFolder(const LoadedIndex& index, std::u16string_view topFolder) {
  for (std::u16string_view entry : index.FileList) {
    if (entry.size() >= 10 && FoldCase(entry.substr(entry.size() - 10)) == u"index.html") continue;
    if (FileExists(FullPath(topFolder, entry))) return true;
  }
  return false;
}

std::int32_t LookUpWord(const Lexicon& lexicon, std::u16string_view word) {
  const std::string utf8 = TextToUtf8(word);
  const std::size_t at = lexicon.LowerBound(utf8);
  if (at == lexicon.size() || lexicon.Word(at) != utf8) return -1;
  return lexicon.RowNumber(at);
}

int FindIndexedFile(const LoadedIndex& index, std::u16string_view topFolder,
                    std::u16string_view fullPath) {
  const std::u16string_view relative = fullPath.size() >= topFolder.size()
                                           ? fullPath.substr(topFolder.size())
                                           : std::u16string_view();
  for (std::size_t k = 0; k < index.FileList.size(); ++k) {
    if (index.FileList[k] == relative) return static_cast<int>(k) + 1;
  }
  return -1;
}

std::u16string NoFilesFoundText(SearchType type, bool singleFile) {
  switch (type) {
    case SearchType::kAnyWord:
      return singleFile ? u"The file does not contain any of the search words."
                        : u"No file contains any of the search words.";
    case SearchType::kAllWords:
      return singleFile ? u"The file does not contain all the search words."
                        : u"No file contains all the search words.";
    case SearchType::kExactPhrase:
      break;
  }
  return singleFile ? u"The file does not contain that phrase." : u"No file contains that phrase.";
}

FoundFileDisplay DisplayFoundFile(std::u16string_view topFolder, std::u16string_view relativePath,
                                  bool withDescription) {
  FoundFileDisplay display;
  const std::u16string path = FullPath(topFolder, relativePath);
  std::u16string firstText;
  display.title = GetHtmlTitle(path, firstText, kTitleChars);
  DecodeEntities(display.title);
  ReplaceEvery(display.title, u"&#8217;", u"'");
  ReplaceEvery(display.title, u"&#151;", u"--");
  if (display.title == kTitleDocx) {
    display.text = path + u"\r\n\r\n";
  } else if (display.title == kTitleNotHtml) {
    display.text = path + u"\r\n\"" + firstText + u"\"\r\n\r\n";
  } else {
    display.text = path + u"\r\n" + display.title + u"\r\n\r\n";
  }
  if (withDescription) display.description = GetMetaContent(path, u"description", kDescriptionScan);
  return display;
}

}  // namespace quor
