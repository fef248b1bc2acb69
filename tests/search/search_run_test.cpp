// Searches over a small index laid out by hand: a folder of files, a lexicon
// whose rows are numbered in order of discovery, and a data file whose byte
// value of a word in a file is the number of times the file holds the word.
#include "search/search_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "common/encoding.h"
#include "search/recording_sink.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

class TestObserver : public SearchObserver {
 public:
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    messages.push_back(request);
    return MsgResult::Ok;
  }
  void ShowResultsText(const std::u16string& text) override {
    shown.push_back(text);
    if (onShow) onShow(text);
  }
  bool Yield() override { return abandon; }

  std::vector<MessageBoxRequest> messages;
  std::vector<std::u16string> shown;
  std::function<void(const std::u16string&)> onShow;
  bool abandon = false;
};

class SearchRunTest : public ::testing::Test {
 protected:
  // The top folder has capitals: files are opened with it as given.
  SearchRunTest() : top(Utf8ToText((tmp.Path() / "Top Folder").string()) + u"/") {}

  void AddFile(const std::string& relative, const std::string& content) {
    tmp.Write("Top Folder/" + relative, content);
    paths.push_back(Utf8ToText(relative));
    TextList words;
    SplitWords(AnsiToText(content), words, CaseMode::kLower, u"", u"", true);
    for (const std::u16string& w : words) {
      auto& row = RowOf(w);
      row.resize(paths.size(), 0);
      row[paths.size() - 1] = static_cast<std::uint8_t>(std::min(255, row[paths.size() - 1] + 1));
    }
  }
  // A lexicon word with the given byte values (for files without content).
  void SetValue(const std::u16string& word, std::size_t file, std::uint8_t value) {
    auto& row = RowOf(word);
    row.resize(std::max(row.size(), file + 1), 0);
    row[file] = value;
  }

  // Writes the data file and fills the loaded index.
  void Finish() {
    const auto fileCount = paths.size();
    std::string matrix;
    for (const std::u16string& w : order) {
      std::vector<std::uint8_t> row = rows[w];
      row.resize(fileCount, 0);
      matrix.append(row.begin(), row.end());
    }
    tmp.Write("proj_data.quor", matrix + std::string(4, '\0'));
    index.DataFilePath = Utf8ToText((tmp.Path() / "proj_data.quor").string());
    for (const std::u16string& p : paths) index.FileList.push_back(p);
    index.FileCount = static_cast<std::int32_t>(fileCount);
    index.Lexicon = test::MakeLexicon({order.begin(), order.end()});
    index.WordCount = static_cast<std::int32_t>(index.Lexicon.size());
  }

  SearchResult Find(const std::u16string& text, SearchType type, bool sort = false) {
    SearchRequest request = Request(text, type);
    request.sort = sort;
    return Search(request, observer, stop);
  }
  SearchRequest Request(const std::u16string& text, SearchType type) {
    SearchRequest request;
    request.index = &index;
    request.topFolder = top;
    request.searchText = text;
    request.type = type;
    request.notAllowedText = u"Letters only.";
    return request;
  }
  static std::string Listed(const SearchResult& result) {
    std::u16string all;
    for (const std::u16string& f : result.FoundFiles) all += (all.empty() ? u"" : u" ") + f;
    return TextToUtf8(all);
  }

  test::TempFolder tmp;
  std::u16string top;
  LoadedIndex index;
  TestObserver observer;
  StopToken stop;

 private:
  std::vector<std::uint8_t>& RowOf(const std::u16string& word) {
    if (!rows.count(word)) order.push_back(word);
    return rows[word];
  }

  TextList paths;  // owned texts the index views
  TextList order;  // words in order of discovery (row numbers)
  std::map<std::u16string, std::vector<std::uint8_t>> rows;
};

class SmallTreeTest : public SearchRunTest {
 protected:
  SmallTreeTest() {
    AddFile("a.txt", "black cat sat");
    AddFile("b.htm", "<html><title>Dogs &amp; cats</title><p>black dog</p> cat</html>");
    AddFile("c.txt", "the cat is black");
    AddFile("sub/d.txt", "cat cat cat black cat");
    AddFile("e.txt", "step by step");
    Finish();
  }
};

TEST_F(SmallTreeTest, TypesAndSorting) {
  struct Row {
    const char16_t* text;
    SearchType type;
    bool sort;
    const char* listed;
    const char16_t* label;
  } rows[] = {
      {u"cat", SearchType::kAnyWord, false, "a.txt b.htm c.txt sub/d.txt",
       u"Number of files found with matches:4"},
      {u"Black cat", SearchType::kAllWords, false, "a.txt b.htm c.txt sub/d.txt", nullptr},
      // Equal scores in decreasing order of the relative path.
      {u"black cat", SearchType::kAllWords, true, "sub/d.txt c.txt b.htm a.txt", nullptr},
      {u"black cat", SearchType::kExactPhrase, false, "a.txt sub/d.txt",
       u"Number of files found with matches:2"},
      {u"step by step", SearchType::kExactPhrase, false, "e.txt", nullptr},
      {u"sat black", SearchType::kExactPhrase, false, "", u"Number of files found with matches:0"},
      {u"dog cat", SearchType::kExactPhrase, false, "b.htm", nullptr},  // markup is blank
      {u"dog", SearchType::kAllWords, false, "b.htm", nullptr},
      {u"unicorn cat", SearchType::kAnyWord, true, "sub/d.txt c.txt b.htm a.txt", nullptr},
      {u"unicorn cat", SearchType::kAllWords, false, "", nullptr},
      {u"ca* dog", SearchType::kAnyWord, true, "sub/d.txt b.htm c.txt a.txt", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    const SearchResult result = Find(row.text, row.type, row.sort);
    EXPECT_EQ(result.status, SearchStatus::kCompleted);
    EXPECT_EQ(Listed(result), row.listed);
    EXPECT_EQ(result.FoundCount, static_cast<int>(result.FoundFiles.size()));
    if (row.label != nullptr) {
      EXPECT_EQ(result.LabelText, row.label);
    }
  }
  EXPECT_TRUE(observer.messages.empty());
}

TEST_F(SmallTreeTest, ScoresAreSumsOfByteValues) {
  const SearchResult result = Find(u"black cat", SearchType::kAllWords, true);
  EXPECT_EQ(result.FoundScores, (std::vector<std::int32_t>{5, 2, 2, 2}));
  EXPECT_EQ(result.MatchCounts, (std::vector<std::int32_t>{0, 2, 2, 2, 5, 0}));
  ASSERT_EQ(result.SearchTerms.size(), 2u);
  EXPECT_EQ(result.SearchTerms[1].Counts, (std::vector<std::uint8_t>{1, 1, 1, 4, 0}));
}

TEST_F(SmallTreeTest, NoMatchTexts) {
  struct Row {
    const char16_t* text;
    SearchType type;
    bool single;
    const char16_t* shown;
  } rows[] = {
      {u"unicorn", SearchType::kAnyWord, false, u"No file contains any of the search words."},
      {u"unicorn", SearchType::kAllWords, false, u"No file contains all the search words."},
      {u"unicorn cat", SearchType::kExactPhrase, false, u"No file contains that phrase."},
      {u"qq*", SearchType::kAnyWord, false, u"No file contains any of the search words."},
      {u"dog", SearchType::kAnyWord, true, u"The file does not contain any of the search words."},
      {u"dog cat", SearchType::kAllWords, true, u"The file does not contain all the search words."},
      {u"cat sat", SearchType::kExactPhrase, true, u"The file does not contain that phrase."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.text));
    SearchRequest request = Request(row.text, row.type);
    request.singleFile = row.single;
    request.singleFilePath = top + u"c.txt";
    const SearchResult result = Search(request, observer, stop);
    EXPECT_EQ(result.ResultsText, row.shown);
    EXPECT_EQ(result.FoundCount, 0);
    if (row.single) {
      EXPECT_EQ(result.LabelText, u"Not found");
    }
  }
}

TEST_F(SmallTreeTest, SingleFile) {
  SearchRequest request = Request(u"black cat", SearchType::kExactPhrase);
  request.singleFile = true;
  request.singleFilePath = top + u"sub/d.txt";
  const SearchResult result = Search(request, observer, stop);
  EXPECT_EQ(Listed(result), "sub/d.txt");
  EXPECT_EQ(result.LabelText, u"Found");
  EXPECT_EQ(FindIndexedFile(index, top, top + u"sub/d.txt"), 4);
  EXPECT_EQ(FindIndexedFile(index, top, top + u"nope.txt"), -1);
}

TEST_F(SmallTreeTest, ResultsTextShowsTitlesAndFirstTexts) {
  const SearchResult result = Find(u"dog black", SearchType::kAllWords);
  EXPECT_EQ(result.ResultsText, top + u"b.htm\r\nDogs & cats\r\n\r\n");
  EXPECT_EQ(result.FoundTitles, (TextList{u"Dogs & cats"}));
  const SearchResult plain = Find(u"sat", SearchType::kAnyWord);
  EXPECT_EQ(plain.ResultsText, top + u"a.txt\r\n\"black cat sat\"\r\n\r\n");
  EXPECT_EQ(plain.FoundTitles, (TextList{u"Not HTML or DOCX file"}));
  // The progress texts come before the listing.
  EXPECT_EQ(observer.shown.front(), u"Now searching ...\r\n");
}

TEST_F(SmallTreeTest, RefusalsAndMismatch) {
  EXPECT_EQ(Find(u"cat's", SearchType::kAnyWord).status, SearchStatus::kRefused);
  EXPECT_EQ(Find(u"cat*", SearchType::kAllWords).status, SearchStatus::kChangeToAnyWord);
  SearchRequest request = Request(u"cat", SearchType::kAnyWord);
  request.topFolder = Utf8ToText(tmp.Path().string()) + u"/elsewhere/";
  EXPECT_EQ(Search(request, observer, stop).status, SearchStatus::kTopFolderMismatch);
  ASSERT_EQ(observer.messages.size(), 3u);
  EXPECT_EQ(observer.messages[0].text, u"Letters only.");
  EXPECT_EQ(observer.messages[2].title, u"Search");
  EXPECT_EQ(observer.messages[2].icon, MsgIcon::Critical);
  // Capitals in the top folder are kept (top folder of the fixture).
  EXPECT_TRUE(CheckTopFolder(index, top));
  EXPECT_FALSE(CheckTopFolder(index, FoldCase(top)));
}

TEST_F(SmallTreeTest, StopDuringPhraseListsTheFirstMatchThenTerminates) {
  observer.onShow = [this](const std::u16string& text) {
    if (text.starts_with(u"Now searching file #")) stop.RequestStop();
  };
  const SearchResult result = Find(u"black cat", SearchType::kExactPhrase);
  EXPECT_TRUE(result.stopped);
  EXPECT_EQ(Listed(result), "a.txt");
  EXPECT_TRUE(result.ResultsText.ends_with(u"\r\n\r\nSearch terminated."));
}

TEST_F(SmallTreeTest, ClosingTheWindowAbandons) {
  observer.abandon = true;
  EXPECT_EQ(Find(u"cat", SearchType::kAnyWord).status, SearchStatus::kAbandoned);
}

TEST_F(SearchRunTest, SortingRanksEveryFileBeforeTheBest500AreListed) {
  // File k holds "w" k % 250 + 1 times, so the best files lie all over the list.
  for (int k = 0; k < 620; ++k) {
    std::string name = "f";
    name += std::to_string(1000 + k);
    name += ".txt";
    AddFile(name, "x");
    SetValue(u"w", static_cast<std::size_t>(k), static_cast<std::uint8_t>(k % 250 + 1));
  }
  Finish();
  const SearchResult sorted = Find(u"w", SearchType::kAnyWord, true);
  ASSERT_EQ(sorted.FoundCount, 500);
  EXPECT_EQ(sorted.FoundScores.front(), 250);
  // 620 files: scores 1..250 twice (or three times up to 120); the 500 best
  // end with those of score 10 or more... every listed score beats every other.
  EXPECT_GE(sorted.FoundScores.back(), 1);
  std::vector<std::int32_t> all(sorted.MatchCounts.begin() + 1, sorted.MatchCounts.end());
  std::sort(all.rbegin(), all.rend());
  EXPECT_EQ(sorted.FoundScores, std::vector<std::int32_t>(all.begin(), all.begin() + 500));
  EXPECT_TRUE(sorted.ResultsText.ends_with(u"\r\nMaximum number of files reached (500).\r\n"));
  const SearchResult plain = Find(u"w", SearchType::kAnyWord);
  ASSERT_EQ(plain.FoundCount, 500);
  EXPECT_EQ(plain.FoundFiles.back(), u"f1499.txt");
}

TEST_F(SearchRunTest, ScoresBeyond16Bits) {
  AddFile("big.txt", "x");
  AddFile("small.txt", "x");
  for (char16_t a = u'a'; a <= u'z'; ++a) {
    for (char16_t b = u'a'; b <= u'h'; ++b) {
      SetValue(std::u16string(u"st") + a + b, 0, 255);
    }
  }
  SetValue(u"stop", 1, 1);
  Finish();
  const SearchResult result = Find(u"st*", SearchType::kAnyWord, true);
  ASSERT_EQ(result.FoundCount, 2);
  EXPECT_EQ(result.FoundScores[0], 26 * 8 * 255);
  EXPECT_EQ(result.FoundFiles[0], u"big.txt");
  // Unsorted, a file keeps the value of the first of the 209 words it holds.
  const SearchResult plain = Find(u"st*", SearchType::kAnyWord);
  EXPECT_EQ(plain.FoundScores, (std::vector<std::int32_t>{255, 1}));
  // A data file cut short fails the search, whichever row is found missing.
  std::filesystem::resize_file(tmp.Path() / "proj_data.quor", 2 * 100);
  const SearchResult cut = Find(u"st*", SearchType::kAnyWord);
  EXPECT_EQ(cut.status, SearchStatus::kFailed);
  ASSERT_EQ(observer.messages.size(), 1u);
  EXPECT_TRUE(observer.messages[0].text.starts_with(u"Error when reading the data file: Row "));
}

TEST_F(SearchRunTest, MissingFilesAreSkippedAndAFileNamedWithBlanksIsFound) {
  AddFile(" spaced .txt", "owl");
  AddFile("gone.txt", "owl");
  Finish();
  std::filesystem::remove(tmp.Path() / "Top Folder" / "gone.txt");
  const SearchResult result = Find(u"owl", SearchType::kAnyWord);
  EXPECT_EQ(Listed(result), " spaced .txt");
}

// In file order the first 500 files whose phrase is confirmed are listed;
// the files after them are not read. Sorted, every file is confirmed.
TEST_F(SearchRunTest, PhraseInFileOrderStopsConfirmingAfterTheListedFiles) {
  for (int i = 0; i < 503; ++i) {
    AddFile("p" + std::to_string(1000 + i) + ".txt", i == 1 ? "cat owl" : "owl cat");
  }
  Finish();
  const SearchResult plain = Find(u"owl cat", SearchType::kExactPhrase);
  ASSERT_EQ(plain.FoundCount, 500);
  EXPECT_EQ(plain.FoundFiles.front(), u"p1000.txt");
  EXPECT_EQ(plain.FoundFiles.back(), u"p1500.txt");
  EXPECT_EQ(plain.MatchCounts[503], 0);  // not read
  const SearchResult sorted = Find(u"owl cat", SearchType::kExactPhrase, true);
  EXPECT_EQ(std::count_if(sorted.MatchCounts.begin(), sorted.MatchCounts.end(),
                          [](std::int32_t score) { return score > 0; }),
            502);
}

// A folder with many files to be checked is read at once: what is listed
// must still be exactly the files that exist as plain files.
TEST_F(SearchRunTest, FilesOfAFolderReadAtOnceAreListedExactlyWhenTheyExist) {
  for (const char* name :
       {"k1.txt", "k2.txt", "k3.txt", "k4.txt", "k5.txt", "f/a.txt", "f/b.txt", "f/c.txt",
        "f/d.txt", "f/e.txt", "f/f.txt", "g/x.txt", "g/y.txt", "g/z.txt", "g/w.txt"}) {
    AddFile(name, "owl");
  }
  Finish();
  namespace fs = std::filesystem;
  const fs::path folder = tmp.Path() / "Top Folder";
  fs::remove(folder / "k2.txt");
  fs::remove(folder / "f/b.txt");
  fs::remove(folder / "f/c.txt");
  fs::create_directory(folder / "f/c.txt");  // a folder now
  fs::remove(folder / "f/d.txt");
  fs::create_symlink("a.txt", folder / "f/d.txt");  // a link to a file
  fs::remove(folder / "f/e.txt");
  fs::create_symlink("nothing", folder / "f/e.txt");  // a link to nothing
  fs::remove_all(folder / "g");
  const std::set<std::u16string> existing = {u"k1.txt",  u"k3.txt",  u"k4.txt", u"k5.txt",
                                             u"f/a.txt", u"f/d.txt", u"f/f.txt"};
  for (const bool sort : {false, true}) {
    SCOPED_TRACE(sort);
    const SearchResult result = Find(u"owl", SearchType::kAnyWord, sort);
    EXPECT_EQ(std::set<std::u16string>(result.FoundFiles.begin(), result.FoundFiles.end()),
              existing);
  }
}

}  // namespace
}  // namespace quor
