// The listing of indexed files: its order, its heading and note, its text, and
// reading only the file list of an index file.
#include "search/file_listing.h"

#include <gtest/gtest.h>

#include "common/encoding.h"
#include "common/records.h"
#include "indexfile/compressor.h"
#include "indexfile/index_format.h"
#include "indexfile/test_lexicon.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

LoadedIndex IndexOf(std::vector<std::u16string_view> files) {
  LoadedIndex index;
  for (std::u16string_view file : files) index.FileList.push_back(index.Texts.Intern(file));
  index.FileCount = static_cast<std::int32_t>(index.FileList.size());
  return index;
}

TEST(FileListing, AlphabeticalIgnoresCaseAndLeavesTheIndexInItsOrder) {
  const LoadedIndex index = IndexOf({u"b.txt", u"sub/a.txt", u"A.txt", u"sub/B.txt"});
  const FileListing alphabetical = MakeFileListing(index, false);
  EXPECT_EQ(alphabetical.files,
            (std::vector<std::u16string>{u"A.txt", u"b.txt", u"sub/a.txt", u"sub/B.txt"}));
  EXPECT_EQ(alphabetical.heading, u"Alphabetical listing of the filepaths of the 4 indexed files");
  EXPECT_EQ(index.FileList[0], u"b.txt");

  const FileListing byFolder = MakeFileListing(index, true);
  EXPECT_EQ(byFolder.files,
            (std::vector<std::u16string>{u"b.txt", u"sub/a.txt", u"A.txt", u"sub/B.txt"}));
  EXPECT_EQ(byFolder.heading, u"Listing by folder of the filepaths of the 4 indexed files");
  EXPECT_NE(byFolder.note.find(u"created.  Be sure"), std::u16string::npos);
}

TEST(FileListing, NewFolderStartsWhereTheFolderPartDiffers) {
  struct Row {
    std::u16string_view previous, entry;
    bool starts;
  } rows[] = {
      {u"a.txt", u"b.txt", false},          {u"a.txt", u"sub/b.txt", true},
      {u"sub/a.txt", u"sub/b.txt", false},  {u"sub/a.txt", u"sub/x/b.txt", true},
      {u"sub/x/a.txt", u"sub/b.txt", true}, {u"Sub/a.txt", u"sub/a.txt", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.previous) + " -> " + TextToUtf8(row.entry));
    EXPECT_EQ(StartsNewFolder(row.previous, row.entry), row.starts);
  }
}

TEST(FileListing, TextGroupsFoldersOnlyByFolder) {
  const LoadedIndex index = IndexOf({u"a.txt", u"sub/b.txt", u"sub/c.txt"});
  FileListing listing = MakeFileListing(index, true);
  listing.note = u"NOTE";
  EXPECT_EQ(FileListingText(listing),
            listing.heading +
                u"\r\nNOTE\r\n\r\na.txt\r\n\r\nsub/b.txt\r\nsub/c.txt\r\n\r\nThat's all.\r\n");
  listing.byFolder = false;
  EXPECT_EQ(
      FileListingText(listing),
      listing.heading + u"\r\nNOTE\r\n\r\na.txt\r\nsub/b.txt\r\nsub/c.txt\r\n\r\nThat's all.\r\n");
}

TEST(FileListing, LoadFileListReadsTheListAndReportsDamage) {
  test::TempFolder tmp;
  test::TestLexicon lexicon;
  lexicon.Add(u"cats", {test::P(1, 9)});
  RecordWriter out;
  out.WriteStringRecord(u"one.txt");
  out.WriteStringRecord(u"dir/two.txt");
  out.WriteStringRecord(kEndOfFileList);
  WriteLexicon(out, lexicon, u"T");
  WriteCountRows(out, lexicon, 2);
  tmp.Write("p_index.quor", out.Take());
  const std::u16string path = Utf8ToText((tmp.Path() / "p_index.quor").string());
  FileCompressor compressor;
  ASSERT_TRUE(compressor.AllocateCompressionBuffer());
  ASSERT_EQ(compressor.CompressFile(path, path + u".tmp", true), kCompressOk);

  LoadedIndex index;
  EXPECT_EQ(LoadFileList(path, index), u"");
  EXPECT_EQ(index.FileCount, 2);
  EXPECT_EQ(index.FileList[1], u"dir/two.txt");

  EXPECT_EQ(LoadFileList(path + u"x", index), u"The index file does not exist.");
  tmp.Write("bad_index.quor", "not compressed at all");
  const std::u16string error =
      LoadFileList(Utf8ToText((tmp.Path() / "bad_index.quor").string()), index);
  EXPECT_TRUE(error.starts_with(u"Error when reading the index file:-")) << TextToUtf8(error);
}

}  // namespace
}  // namespace quor
