#include "common/files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "common/encoding.h"
#include "common/paths.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

TEST(FormatByteSize, ChangesUnitAtTheKbAndMbBoundaries) {
  struct Row {
    std::int64_t n;
    std::u16string text;
  };
  const Row rows[] = {
      {0, u"0 bytes"},
      {512, u"512 bytes"},
      {1023, u"1023 bytes"},
      {1024, u"1.00 Kb"},
      {1536, u"1.50 Kb"},
      {1152, u"1.13 Kb"},  // 1.125: halves round up
      {3328, u"3.25 Kb"},
      {1048575, u"1,024.00 Kb"},
      {1048576, u"1.00 Mb"},
      {1436549, u"1.37 Mb"},
      {std::int64_t{3} << 31, u"6,144.00 Mb"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.n);
    EXPECT_EQ(FormatByteSize(row.n), row.text);
  }
}

TEST(FormatTotalSize, GroupsDigitsAndGoesOnToGb) {
  struct Row {
    double bytes;
    int decimals;
    std::u16string text;
  };
  const Row rows[] = {
      {812, 2, u"812 bytes"},
      {1023, 2, u"1,023 bytes"},
      {1024, 2, u"1.00 Kb"},
      {1048575, 2, u"1,024.00 Kb"},
      {1048576, 2, u"1.00 Mb"},
      {1073741823, 2, u"1,024.00 Mb"},
      {1073741824, 2, u"1.00 Gb"},
      {1610612736, 2, u"1.50 Gb"},
      {1099511627776.0 * 2, 2, u"2,048.00 Gb"},
      {1536, 0, u"2 Kb"},
      {1536, 3, u"1.500 Kb"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.bytes);
    EXPECT_EQ(FormatTotalSize(row.bytes, row.decimals), row.text);
  }
}

TEST(FileHelpers, TellFilesFromFoldersAndMissingPaths) {
  test::TempFolder temp;
  temp.Write("a.txt", "hello");
  temp.Write("été/b.txt", "");
  const std::u16string root = temp.Text();

  EXPECT_TRUE(FileExists(root + u"a.txt"));
  EXPECT_TRUE(FileExists(root + u"été/b.txt"));
  EXPECT_FALSE(FileExists(root + u"été"));
  EXPECT_FALSE(FileExists(root + u"missing.txt"));
  EXPECT_FALSE(FileExists(u""));
  EXPECT_TRUE(FolderExists(root + u"été"));
  EXPECT_FALSE(FolderExists(root + u"a.txt"));
  EXPECT_FALSE(FolderExists(u""));

  EXPECT_EQ(FileLength(root + u"a.txt"), 5);
  EXPECT_EQ(FileLength(root + u"été/b.txt"), 0);
  EXPECT_EQ(FileLength(root + u"missing.txt"), std::nullopt);
  EXPECT_EQ(FileLength(root + u"été"), std::nullopt);
}

TEST(DeleteFileForced, RemovesReadOnlyFilesAndReportsWhatRemains) {
  test::TempFolder temp;
  const auto file = temp.Write("ro.txt", "x");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read);
  const std::u16string root = temp.Text();

  EXPECT_TRUE(DeleteFileForced(root + u"ro.txt", true, true, true));
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_TRUE(DeleteFileForced(root + u"ro.txt", true, true, true)) << "nothing remains";

  temp.MakeFolder("sub");
  EXPECT_FALSE(DeleteFileForced(root + u"sub", true, true, true)) << "a folder is no file";
  EXPECT_TRUE(std::filesystem::exists(temp.Path() / "sub"));
}

TEST(WholeFiles, RoundTripBytesAndDescribeFailures) {
  test::TempFolder temp;
  const std::u16string path = temp.Text() + u"data.bin";
  std::string bytes("a\0b\r\n\xFF", 6);
  bytes += std::string(200000, 'z');

  std::u16string error;
  ASSERT_TRUE(WriteWholeFile(path, bytes, &error)) << TextToUtf8(error);
  EXPECT_EQ(ReadWholeFile(path), bytes);
  ASSERT_TRUE(WriteWholeFile(path, "short"));
  EXPECT_EQ(ReadWholeFile(path), "short") << "the file is replaced, not overwritten in place";

  EXPECT_EQ(ReadWholeFile(temp.Text() + u"missing", &error), std::nullopt);
  EXPECT_EQ(error, ErrorDescription(ENOENT));
  EXPECT_EQ(ReadWholeFile(temp.Text(), &error), std::nullopt) << "a folder";
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(WriteWholeFile(temp.Text() + u"no/such/folder/x", "x", &error));
  EXPECT_EQ(error, ErrorDescription(ENOENT));
}

TEST(SystemTempFolder, TakesTmpdirOnlyWhenItNamesAnExistingFolder) {
  test::TempFolder temp;
  temp.Write("file", "x");
  const std::string folder = temp.Path().string();
  const std::u16string folderText = Utf8ToText(folder);
  struct Row {
    const char* name;
    const char* tmpDir;
    std::u16string expected;
  };
  const std::string missing = folder + "/gone";
  const std::string file = folder + "/file";
  const std::string trailing = folder + "//";
  const Row rows[] = {
      {"unset", nullptr, u"/tmp"},
      {"empty", "", u"/tmp"},
      {"existing folder", folder.c_str(), folderText},
      {"trailing separators", trailing.c_str(), folderText},
      {"missing folder", missing.c_str(), u"/tmp"},
      {"a file", file.c_str(), u"/tmp"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SystemTempFolderFrom(row.tmpDir), row.expected);
  }
}

TEST(ProgramDataFolder, IsMadeInsideTheDataFolderOrElseTheTemporaryOne) {
  test::TempFolder temp;
  const std::u16string base = Utf8ToText((temp.Path() / "share").string());
  EXPECT_EQ(ProgramDataFolder(base, u"QUOR"), base + u"/QUOR");
  EXPECT_TRUE(FolderExists(base + u"/QUOR"));
  EXPECT_EQ(ProgramDataFolder(base + u"/", u""), base + u"/QUOR") << "no name: the program's";
  const std::u16string name = Utf8ToText("quor-data-" + std::to_string(::getpid()));
  EXPECT_EQ(ProgramDataFolder(u"", name), SystemTempFolder() + u"/" + name);
  std::filesystem::remove(ToFsPath(SystemTempFolder() + u"/" + name));
}

}  // namespace
}  // namespace quor
