// Loading indexes written by the index-file writers and compressed as the
// index build does, intact and damaged, with the data file in every state.
#include "search/index_load.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"
#include "common/records.h"
#include "common/strings.h"
#include "indexfile/compressor.h"
#include "indexfile/data_file.h"
#include "indexfile/index_format.h"
#include "indexfile/index_text_reader.h"
#include "indexfile/test_lexicon.h"
#include "search/data_file_check.h"
#include "search/search_run.h"
#include "search/work_copy.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

using test::P;

struct Shown {
  std::u16string text;
  std::u16string title;
  MsgIcon icon;
};

class RecordingObserver final : public IndexLoadObserver {
 public:
  MsgResult MessageBox(const MessageBoxRequest& request) override {
    shown.push_back({request.text, request.title, request.icon});
    return answer;
  }
  void ShowResultsText(std::u16string_view text) override { results.emplace_back(text); }
  void ShowIndexTitle(std::u16string_view text) override { title = text; }
  void DataFileProgress(std::int32_t done, std::int32_t) override {
    if (done == stopAtRow && stop) stop->RequestStop();
  }

  std::vector<Shown> shown;
  std::vector<std::u16string> results;
  std::u16string title;
  MsgResult answer = MsgResult::Yes;
  std::int32_t stopAtRow = -1;
  StopToken* stop = nullptr;
};

// The first file holds "Cats and dogs, cats", the second "<b>Dogs</b>".
const std::u16string kSecondFile = u"süb/Ärger b.htm ";

std::string ExampleText(std::u16string_view title = u"Mes dossiers – été") {
  test::TestLexicon lexicon;
  lexicon.Add(u"cats", {P(1, 255)});
  lexicon.Add(u"and", {P(1, 128)});
  lexicon.Add(u"dogs", {P(1, 128), P(2, 255)});
  RecordWriter out;
  out.WriteStringRecord(u"a.txt");
  out.WriteStringRecord(kSecondFile);
  out.WriteStringRecord(kEndOfFileList);
  WriteLexicon(out, lexicon, title);
  WriteCountRows(out, lexicon, 2);
  return out.Take();
}

const std::string kExampleData("\xFF\x00\x80\x00\x80\xFF", 6);

std::string Stamp(std::size_t length) {
  std::string s(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) s[i] = static_cast<char>(length >> (8 * i));
  return s;
}

class IndexLoadTest : public ::testing::Test {
 protected:
  std::u16string Path(const char* name) const {
    return Utf8ToText((folder_.Path() / name).string());
  }
  std::u16string IndexPath() const { return Path("proj_index.quor"); }
  std::u16string DataPath() const { return Path("proj_data.quor"); }

  // Writes text as the index file, compressed as the index build does.
  void WriteIndex(const std::string& text) {
    folder_.Write("proj_index.quor", text);
    FileCompressor compressor;
    ASSERT_TRUE(compressor.AllocateCompressionBuffer());
    ASSERT_EQ(compressor.CompressFile(IndexPath(), Path("proj_index.qdwixc"), true), kCompressOk);
  }

  IndexLoadResult Load() {
    IndexLoadRequest request;
    request.indexFilePath = IndexPath();
    request.searchCaption = u"Search";
    request.dataFolder = Path("data");
    request.freeSpace = [this](std::u16string_view folder) {
      askedFolder_ = folder;
      return freeSpace_;
    };
    observer_ = RecordingObserver();
    observer_.stop = &stop_;
    observer_.stopAtRow = stopAtRow_;
    return LoadIndex(request, observer_, stop_);
  }

  test::TempFolder folder_;
  RecordingObserver observer_;
  StopToken stop_;
  std::int32_t stopAtRow_ = -1;
  std::optional<std::uint64_t> freeSpace_;
  std::u16string askedFolder_;
};

TEST_F(IndexLoadTest, FirstLoadBuildsTheDataFileAndTheNextOnlyReadsItsStamp) {
  const std::string text = ExampleText();
  WriteIndex(text);
  IndexLoadResult result = Load();
  ASSERT_TRUE(result.ready) << TextToUtf8(result.errorText);
  EXPECT_TRUE(observer_.shown.empty());
  EXPECT_EQ(result.searchableWordsLabel, u"There are 3 searchable words in 2 files.");
  EXPECT_EQ(observer_.title, u"Mes dossiers – été");
  EXPECT_EQ(observer_.results,
            (std::vector<std::u16string>{u"Now creating data file ...\r\n", u""}));
  const LoadedIndex& index = result.index;
  EXPECT_EQ(index.DataFilePath, DataPath());
  EXPECT_EQ(index.IndexTitle, u"Mes dossiers – été");
  ASSERT_EQ(index.FileCount, 2);
  EXPECT_EQ(index.FileList[0], u"a.txt");
  EXPECT_EQ(index.FileList[1], kSecondFile);  // blanks kept
  ASSERT_EQ(index.WordCount, 3);
  EXPECT_EQ(index.Lexicon.Word(0), "and");
  EXPECT_EQ(index.Lexicon.RowNumber(0), 2);
  EXPECT_EQ(index.Lexicon.Word(2), "dogs");
  EXPECT_EQ(index.Lexicon.RowNumber(2), 3);
  EXPECT_EQ(folder_.Read("proj_data.quor"), kExampleData + Stamp(text.size()));
  EXPECT_EQ(askedFolder_, Utf8ToText(folder_.Path().string()));

  struct stat before {};
  ASSERT_EQ(::stat(TextToUtf8(DataPath()).c_str(), &before), 0);
  result = Load();
  ASSERT_TRUE(result.ready);
  EXPECT_TRUE(observer_.results.empty());  // nothing rebuilt
  EXPECT_EQ(result.index.Lexicon.Word(1), "cats");
  struct stat after {};
  ASSERT_EQ(::stat(TextToUtf8(DataPath()).c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_ino, before.st_ino);
  // Only the two files of the index are there: no work file is left.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 2);
}

TEST_F(IndexLoadTest, DataFileIsRebuiltUnlessItsStampAndLengthMatch) {
  const std::string text = ExampleText();
  struct Row {
    const char* name;
    std::optional<std::string> data;  // nullopt: no data file
    bool rebuilt;
  };
  const Row rows[] = {
      {"missing", std::nullopt, true},
      {"empty", "", true},
      {"stale stamp", kExampleData + Stamp(text.size() + 1), true},
      {"stamp without rows", Stamp(text.size()), true},
      {"short of a stamp", "ab", true},
      {"current", kExampleData + Stamp(text.size()), false},
  };
  WriteIndex(text);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::filesystem::remove(folder_.Path() / "proj_data.quor");
    if (r.data) folder_.Write("proj_data.quor", *r.data);
    const IndexLoadResult result = Load();
    EXPECT_TRUE(result.ready);
    EXPECT_TRUE(observer_.shown.empty());
    EXPECT_EQ(observer_.results.empty(), !r.rebuilt);
    EXPECT_EQ(folder_.Read("proj_data.quor"), kExampleData + Stamp(text.size()));
  }
}

// With a current data file the expansion stops after the lexicon: count
// rows that no build could read are never looked at.
TEST_F(IndexLoadTest, CurrentDataFileLeavesTheCountRowsUnread) {
  const std::string text = ExampleText();
  const std::string unreadable =
      text.substr(0, text.find("\"255,0\"")) + "\"x,y\"\r\n\"z\"\r\n\"\"\r\n";
  WriteIndex(unreadable);
  folder_.Write("proj_data.quor", kExampleData + Stamp(unreadable.size()));
  const IndexLoadResult result = Load();
  EXPECT_TRUE(result.ready);
  EXPECT_TRUE(observer_.results.empty());
}

// Everything a load gives its user, as one text.
std::string Describe(const IndexLoadResult& result, const RecordingObserver& observer) {
  const LoadedIndex& index = result.index;
  std::u16string text = u"ready " + ToText(result.ready) + u" label " +
                        result.searchableWordsLabel.value_or(u"-") + u" title " + index.IndexTitle +
                        u"/" + observer.title + u" files " + ToText(index.FileCount) + u" words " +
                        ToText(index.WordCount) + u"\n";
  for (const std::u16string_view file : index.FileList) text += std::u16string(file) + u"|";
  for (std::size_t i = 0; i < index.Lexicon.size(); ++i) {
    text += Utf8ToText(index.Lexicon.Word(i)) + u":" + ToText(index.Lexicon.RowNumber(i)) + u" ";
  }
  for (const Shown& shown : observer.shown) text += u"\nmessage " + shown.text;
  for (const std::u16string& results : observer.results) text += u"\nresults " + results;
  return TextToUtf8(text);
}

class QuietSearch final : public SearchObserver {
 public:
  MsgResult MessageBox(const MessageBoxRequest&) override { return MsgResult::Ok; }
};

class WorkCopyTest : public IndexLoadTest {
 protected:
  void SetUp() override { folder_.MakeFolder("data"); }

  // The work copies in the data folder.
  std::vector<std::filesystem::path> Copies() const {
    std::vector<std::filesystem::path> copies;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.Path() / "data")) {
      copies.push_back(entry.path());
    }
    return copies;
  }
  // What a load from the index text with a current data file gives.
  std::string LoadFromText() {
    for (const std::filesystem::path& copy : Copies()) std::filesystem::remove(copy);
    (void)Load();  // builds the data file when it is missing
    for (const std::filesystem::path& copy : Copies()) std::filesystem::remove(copy);
    return Describe(Load(), observer_);
  }
  std::filesystem::path Copy() const {
    const std::vector<std::filesystem::path> copies = Copies();
    return copies.size() == 1 ? copies[0] : std::filesystem::path();
  }
};

TEST_F(WorkCopyTest, SecondLoadUsesTheCopyAndFindsTheSame) {
  WriteIndex(ExampleText());
  folder_.Write("top/a.txt", "Cats and dogs, cats");
  folder_.Write("top/" + TextToUtf8(kSecondFile), "<b>Dogs</b>");
  const std::string loadedFromText = LoadFromText();
  const IndexLoadResult first = Load();
  ASSERT_TRUE(first.fromWorkCopy);
  ASSERT_EQ(Copies().size(), 1u);
  EXPECT_TRUE(Copy().filename().string().starts_with("proj_index-"));
  EXPECT_EQ(Copy().extension(), ".quord");

  const IndexLoadResult second = Load();
  EXPECT_TRUE(second.fromWorkCopy);
  EXPECT_EQ(Describe(second, observer_), loadedFromText);
  EXPECT_EQ(second.index.DataFilePath, DataPath());
  EXPECT_EQ(second.index.Lexicon.LowerBound("cats"), 1u);
  EXPECT_EQ(second.index.Lexicon.LowerBound("dog"), 2u);

  QuietSearch quiet;
  std::filesystem::remove(Copy());
  const IndexLoadResult fromText = Load();
  for (const IndexLoadResult* loaded : {&fromText, &second}) {
    SearchRequest request;
    request.index = &loaded->index;
    request.topFolder = Path("top") + u"/";
    request.searchText = u"dogs";
    request.type = SearchType::kAnyWord;
    const SearchResult found = Search(request, quiet, stop_);
    EXPECT_EQ(found.FoundFiles, (std::vector<std::u16string>{u"a.txt", kSecondFile}));
  }
  // Another index file of the same name elsewhere keeps a copy of its own.
  EXPECT_NE(WorkCopyPath(Path("data"), IndexPath()),
            WorkCopyPath(Path("data"), Path("other/proj_index.quor")));
}

TEST_F(WorkCopyTest, ChangedIndexOrDataFileIsNotServedFromTheCopy) {
  const std::string text = ExampleText();
  // The same text with "cats" as another word that compresses to as many
  // bytes.
  WriteIndex(text);
  const std::size_t size = folder_.Read("proj_index.quor").size();
  std::string other;
  for (char c = 'b'; c <= 'z' && other.empty(); ++c) {
    other = text;
    other.replace(other.find("\"cats\""), 6, std::string("\"c") + c + "ts\"");
    WriteIndex(other);
    if (folder_.Read("proj_index.quor").size() != size) other.clear();
  }
  ASSERT_FALSE(other.empty());
  const std::string otherWord = TextToUtf8(ReadIndexText(other).lexicon[1].second);
  const auto setTimes = [this](const struct stat& from) {
    const struct timespec times[2] = {from.st_atim, from.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, TextToUtf8(IndexPath()).c_str(), times, 0), 0);
  };
  struct Row {
    const char* name;
    std::function<void(const struct stat& before)> change;
    const char* secondWord;
    bool rebuilt;
  };
  const Row rows[] = {
      {"touched",
       [&](const struct stat& before) {
         struct stat later = before;
         later.st_mtim.tv_sec += 5;
         setTimes(later);
       },
       "cats", false},
      {"same size, other words, times kept",
       [&](const struct stat& before) {
         const std::string old = folder_.Read("proj_index.quor");
         WriteIndex(other);
         ASSERT_EQ(folder_.Read("proj_index.quor").size(), old.size());
         setTimes(before);
       },
       otherWord.c_str(), false},
      {"data file stale",
       [&](const struct stat&) { folder_.Write("proj_data.quor", kExampleData + Stamp(1)); },
       "cats", true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    WriteIndex(text);
    ASSERT_TRUE(Load().ready);
    ASSERT_TRUE(Load().fromWorkCopy);
    struct stat before {};
    ASSERT_EQ(::stat(TextToUtf8(IndexPath()).c_str(), &before), 0);
    r.change(before);
    const IndexLoadResult changed = Load();
    ASSERT_TRUE(changed.ready);
    EXPECT_FALSE(changed.fromWorkCopy);
    EXPECT_EQ(changed.index.Lexicon.Word(1), r.secondWord);
    EXPECT_EQ(observer_.results.empty(), !r.rebuilt);
    const IndexLoadResult again = Load();  // from the copy written anew
    EXPECT_TRUE(again.fromWorkCopy);
    EXPECT_EQ(again.index.Lexicon.Word(1), r.secondWord);
  }
}

TEST_F(WorkCopyTest, DamagedCopyIsPassedOverSilently) {
  WriteIndex(ExampleText());
  const std::string expected = LoadFromText();
  const std::string intact = [&] {
    std::ifstream in(Copy(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  const std::size_t words = intact.find("andcatsdogs");
  ASSERT_NE(words, std::string::npos);
  std::vector<std::pair<std::string, std::string>> damaged = {
      {"empty", ""},
      {"header only", intact.substr(0, 200)},
      {"one byte short", intact.substr(0, intact.size() - 1)},
      {"one byte more", intact + '\0'},
      {"words swapped", std::string(intact).replace(words, 11, "anddogscats")},
  };
  // A flipped bit anywhere is noticed (the loads below try a few).
  const std::optional<IndexFileIdentity> identity = IdentifyIndexFile(IndexPath());
  ASSERT_TRUE(identity && ReadWorkCopy(intact, *identity));
  for (std::size_t at = 0; at < intact.size(); ++at) {
    std::string flipped = intact;
    flipped[at] = static_cast<char>(flipped[at] ^ (1 << (at % 8)));
    ASSERT_FALSE(ReadWorkCopy(flipped, *identity)) << "bit flipped at " << at;
    if (at % 64 == 0) damaged.emplace_back("bit flipped at " + std::to_string(at), flipped);
  }
  for (const auto& [name, bytes] : damaged) {
    SCOPED_TRACE(name);
    {
      std::ofstream out(Copy(), std::ios::binary | std::ios::trunc);
      out << bytes;
    }
    const IndexLoadResult result = Load();
    EXPECT_FALSE(result.fromWorkCopy);
    EXPECT_EQ(Describe(result, observer_), expected);
  }
  EXPECT_TRUE(Load().fromWorkCopy);  // the last load wrote it anew
}

// A copy is checked as a whole, so an index that a load would take from the
// text but whose copy would fail the checks gets none.
TEST(WorkCopy, IndexThatCouldNotBeServedGetsNoCopy) {
  struct Row {
    const char* name;
    std::vector<std::pair<const char*, std::int32_t>> words;
    bool accepted;
  };
  const Row rows[] = {
      {"in order", {{"and", 2}, {"cats", 1}, {"dogs", 3}}, true},
      {"no words", {}, true},
      {"out of order", {{"cats", 1}, {"and", 2}, {"dogs", 3}}, false},
      {"a word twice", {{"and", 1}, {"and", 2}}, false},
      {"row 0", {{"and", 0}, {"cats", 1}}, false},
      {"row past the words", {{"and", 1}, {"cats", 3}}, false},
  };
  const IndexFileIdentity identity{1, 2, 3, 4, 5, 6, 7, {}, {}};
  test::TempFolder folder;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    LoadedIndex index;
    index.FileList = {u"a.txt", u"b/c.txt"};
    index.FileCount = 2;
    for (const auto& [word, row] : r.words) index.Lexicon.Add(word, row);
    index.WordCount = static_cast<std::int32_t>(index.Lexicon.size());
    const std::string bytes = MakeWorkCopy(index, identity, 99);
    const std::optional<WorkCopyView> read = ReadWorkCopy(bytes, identity);
    EXPECT_EQ(read.has_value(), r.accepted);
    const std::u16string path = Utf8ToText((folder.Path() / "x.quord").string());
    EXPECT_EQ(WriteWorkCopy(path, index, identity, 99), r.accepted);
    EXPECT_EQ(FileExists(path), r.accepted);
    std::filesystem::remove(folder.Path() / "x.quord");
    if (!read) continue;
    EXPECT_EQ(read->expandedLength, 99);
    IndexFileIdentity other = identity;
    other.tail[15] = 1;
    EXPECT_FALSE(ReadWorkCopy(bytes, other).has_value());
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 0);
}

TEST_F(WorkCopyTest, UnwritableDataFolderChangesNothing) {
  WriteIndex(ExampleText());
  const std::string expected = LoadFromText();
  std::filesystem::remove_all(folder_.Path() / "data");
  folder_.Write("data", "a file where the data folder should be");
  for (int load = 0; load < 2; ++load) {
    const IndexLoadResult result = Load();
    EXPECT_FALSE(result.fromWorkCopy);
    EXPECT_EQ(Describe(result, observer_), expected);
  }
  // Nothing was left beside the index either.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 3);
}

TEST(SearchableWordsLabel, OneFileAndDigitGrouping) {
  EXPECT_EQ(SearchableWordsLabel(12345, 87), u"There are 12,345 searchable words in 87 files.");
  EXPECT_EQ(SearchableWordsLabel(3, 1), u"There are 3 searchable words in one file.");
}

TEST_F(IndexLoadTest, DamagedIndexFilesGiveTheirMessages) {
  const std::string text = ExampleText();
  const std::string rowsStart = text.substr(0, text.find("\"255,0\""));
  const std::string expansionError =
      "\r\nProbably the index file is incomplete or corrupted.\r\n"
      "Try using the index module to recreate the index file.";
  struct Row {
    const char* name;
    std::string text;                                // the index text
    std::function<std::string(std::string)> damage;  // of the compressed file
    std::string message;
    MsgIcon icon;
    bool label;
  };
  const auto keep = [](std::string s) { return s; };
  const Row rows[] = {
      {"truncated", text, [](std::string s) { return s.substr(0, s.size() - 9); },
       "Error when reading the index file:-8" + expansionError, MsgIcon::Critical, false},
      {"bit flipped", text,
       [](std::string s) {
         s[s.size() / 2] ^= 0x10;
         return s;
       },
       "Error when reading the index file:-7" + expansionError, MsgIcon::Critical, false},
      {"not compressed", text, [&](std::string) { return text; },
       "Error when reading the index file:-7" + expansionError, MsgIcon::Critical, false},
      {"lexicon cut short", text.substr(0, text.find("3,\"dogs\"")), keep,
       "Error when reading lexicon: Input past end of file", MsgIcon::Exclamation, true},
      {"no end of file list", "\"a\"\r\n\"b\"\r\n", keep,
       "Error when reading lexicon: Input past end of file", MsgIcon::Exclamation, true},
      {"a count row with 300", rowsStart + "\"300,0\"\r\n\"1,0\"\r\n\"1,1\"\r\n", keep,
       "Error when creating data file: Overflow (count row 1)", MsgIcon::Exclamation, true},
      {"a count row too short", rowsStart + "\"1,0\"\r\n\"1\"\r\n\"1,1\"\r\n", keep,
       "Error when creating data file: The count row covers fewer files than the index holds "
       "(count row 2)",
       MsgIcon::Exclamation, true},
      {"count rows missing", rowsStart, keep,
       "Error when creating data file: Input past end of file", MsgIcon::Exclamation, true},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::filesystem::remove(folder_.Path() / "proj_data.quor");
    WriteIndex(r.text);
    folder_.Write("proj_index.quor", r.damage(folder_.Read("proj_index.quor")));
    const IndexLoadResult result = Load();
    EXPECT_FALSE(result.ready);
    ASSERT_EQ(observer_.shown.size(), 1u);
    EXPECT_EQ(TextToUtf8(observer_.shown[0].text), r.message);
    EXPECT_EQ(observer_.shown[0].title, u"Error");
    EXPECT_EQ(observer_.shown[0].icon, r.icon);
    EXPECT_EQ(result.searchableWordsLabel.has_value(), r.label);
    if (r.label) {
      EXPECT_EQ(TextToUtf8(result.searchableWordsLabel.value_or(u"")), r.message);
    }
    EXPECT_FALSE(FileExists(DataPath()));  // a failed build leaves none
  }
}

TEST(IndexFileName, EndingIsComparedExactly) {
  RecordingObserver observer;
  EXPECT_TRUE(CheckIndexFileName(u"/a/x_index.quor", observer));
  EXPECT_FALSE(CheckIndexFileName(u"/a/x_INDEX.QUOR", observer));
  ASSERT_EQ(observer.shown.size(), 1u);
  EXPECT_EQ(observer.shown[0].text, u"Index file names must end in '_index.quor'.");
  EXPECT_EQ(observer.shown[0].title, u"Invalid input");
  EXPECT_EQ(observer.shown[0].icon, MsgIcon::Exclamation);
}

TEST_F(IndexLoadTest, MissingIndexFileIsReportedUnderTheSearchCaption) {
  const IndexLoadResult result = Load();
  EXPECT_FALSE(result.ready);
  ASSERT_EQ(observer_.shown.size(), 1u);
  EXPECT_EQ(observer_.shown[0].text,
            u"The index file does not exist.\r\nPerhaps it has not yet been created by the index "
            u"module.");
  EXPECT_EQ(observer_.shown[0].title, u"Search");
  EXPECT_EQ(observer_.shown[0].icon, MsgIcon::Exclamation);
  EXPECT_FALSE(result.searchableWordsLabel.has_value());
}

TEST_F(IndexLoadTest, EarlyEndOfLexiconGivesTheWordsRead) {
  WriteIndex(
      "\"x\"\r\n\"End of file list\"\r\n9,\"t\"\r\n1,\"w\"\r\n967,\"End of lexicon\"\r\n\"5\"\r\n");
  const IndexLoadResult result = Load();
  ASSERT_TRUE(result.ready);
  EXPECT_EQ(result.index.WordCount, 1);
  EXPECT_EQ(result.searchableWordsLabel, u"There are 1 searchable words in one file.");
  EXPECT_EQ(folder_.Read("proj_data.quor").substr(0, 1), "\x05");
}

TEST_F(IndexLoadTest, ShortDiskSpaceRefusesTheBuildAndAFailedQueryDoesNot) {
  WriteIndex(ExampleText());
  folder_.Write("proj_data.quor", "stale");
  freeSpace_ = 9;  // 2 * 3 + 4 bytes are needed
  IndexLoadResult result = Load();
  EXPECT_FALSE(result.ready);
  ASSERT_EQ(observer_.shown.size(), 2u);
  EXPECT_EQ(observer_.shown[0].text,
            u"There is not enough space on Drive " + Utf8ToText(folder_.Path().string()) +
                u" to create the data file.\r\n\r\nYou could try moving the index file to a disk "
                u"with more space.");
  EXPECT_EQ(observer_.shown[0].title, u"Insufficient disk space");
  EXPECT_EQ(observer_.shown[0].icon, MsgIcon::Critical);
  EXPECT_EQ(observer_.shown[1].text, u"Not enough disk space to create the data file.");
  EXPECT_EQ(result.searchableWordsLabel, u"Not enough disk space to create the data file.");
  EXPECT_EQ(folder_.Read("proj_data.quor"), "stale");

  freeSpace_ = 10;
  EXPECT_TRUE(Load().ready);
  std::filesystem::remove(folder_.Path() / "proj_data.quor");
  freeSpace_ = std::nullopt;
  EXPECT_TRUE(Load().ready);
}

TEST_F(IndexLoadTest, StoppedBuildLeavesNoDataFileAndSaysNothing) {
  WriteIndex(ExampleText());
  stopAtRow_ = 1;
  const IndexLoadResult result = Load();
  EXPECT_TRUE(result.stopped);
  EXPECT_FALSE(result.ready);
  EXPECT_TRUE(observer_.shown.empty());
  EXPECT_FALSE(FileExists(DataPath()));
}

TEST_F(IndexLoadTest, DeleteOnQuitAsksAboutAFileWithContent) {
  struct Row {
    const char* name;
    bool checked;
    std::string data;
    MsgResult answer;
    bool asked;
    bool deleted;
  };
  const Row rows[] = {
      {"unchecked", false, "abcd", MsgResult::Yes, false, false},
      {"empty file", true, "", MsgResult::No, false, true},
      {"yes", true, std::string(2048, 'x'), MsgResult::Yes, true, true},
      {"no", true, std::string(2048, 'x'), MsgResult::No, true, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    folder_.Write("proj_data.quor", r.data);
    RecordingObserver sink;
    sink.answer = r.answer;
    EXPECT_EQ(DeleteDataFileOnQuit(DataPath(), r.checked, sink), r.deleted);
    EXPECT_EQ(FileExists(DataPath()), !r.deleted);
    ASSERT_EQ(sink.shown.size(), r.asked ? 1u : 0u);
    if (r.asked) {
      EXPECT_EQ(sink.shown[0].text,
                u"The data file currently occupies 2.00 Kb.\r\nDo you wish to delete it?\r\n(If "
                u"so, it will be recreated next time you search.)");
      EXPECT_EQ(sink.shown[0].title, u"Delete data file?");
    }
  }
  std::filesystem::remove(folder_.Path() / "proj_data.quor");
  RecordingObserver sink;
  EXPECT_FALSE(DeleteDataFileOnQuit(DataPath(), true, sink));
  EXPECT_TRUE(sink.shown.empty());
}

}  // namespace
}  // namespace quor

namespace quor {
namespace {

// An index written by `quor index` itself, when the program has been built:
// it loads, and the data file a load rebuilds is the one the build wrote.
TEST(IndexLoadOfABuiltIndex, RebuiltDataFileIsTheIndexBuildsOwn) {
  const std::filesystem::path quor = std::filesystem::path(QUOR_BIN_DIR) / "quor";
  if (!std::filesystem::exists(quor)) GTEST_SKIP() << "quor is not built";
  test::TempFolder folder;
  folder.Write("top/Ärger über Öl.txt", "Cats and dogs, cats. The café is open.\n");
  folder.Write("top/sub/b.htm", "<html><b>Dogs</b> &amp; cats</html>\n");
  folder.Write("top/sub/c d.txt", "Nothing but words, words and more words here\n");
  folder.MakeFolder("out");
  const std::string command =
      "'" + quor.string() + "' index --project proj --title 'Été 2024' --top '" +
      (folder.Path() / "top").string() + "' --output '" + (folder.Path() / "out").string() +
      "' --all-subfolders --min-size 0 --yes >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string built = folder.Read("out/proj_data.quor");

  IndexLoadRequest request;
  request.indexFilePath = Utf8ToText((folder.Path() / "out" / "proj_index.quor").string());
  RecordingObserver observer;
  StopToken stop;
  IndexLoadResult result = LoadIndex(request, observer, stop);
  ASSERT_TRUE(result.ready);
  EXPECT_TRUE(observer.results.empty());  // the build's data file is current
  EXPECT_EQ(result.index.IndexTitle, u"Été 2024");
  EXPECT_EQ(result.index.FileCount, 3);
  EXPECT_NE(std::find(result.index.FileList.begin(), result.index.FileList.end(),
                      std::u16string_view(u"Ärger über Öl.txt")),
            result.index.FileList.end());

  std::filesystem::remove(folder.Path() / "out" / "proj_data.quor");
  result = LoadIndex(request, observer, stop);
  ASSERT_TRUE(result.ready);
  EXPECT_FALSE(observer.results.empty());
  EXPECT_TRUE(folder.Read("out/proj_data.quor") == built);
}

}  // namespace
}  // namespace quor

namespace quor {
namespace {

TEST(TextStore, ViewsSurviveGrowthAndMoves) {
  TextStore store;
  std::vector<std::u16string_view> views;
  for (int i = 0; i < 3000; ++i) {
    views.push_back(store.InternUtf8(std::string(100 + i % 7, static_cast<char>('a' + i % 26))));
  }
  views.push_back(store.InternUtf8("Übersicht"));
  TextStore moved = std::move(store);
  EXPECT_EQ(store.Intern(u"again"), u"again");  // a moved-from store starts afresh
  for (int i = 0; i < 3000; ++i) {
    ASSERT_EQ(views[static_cast<std::size_t>(i)],
              std::u16string(100 + i % 7, static_cast<char16_t>(u'a' + i % 26)));
  }
  EXPECT_EQ(views.back(), u"Übersicht");
}

}  // namespace
}  // namespace quor
