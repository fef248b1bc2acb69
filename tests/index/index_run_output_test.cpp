#include "index/index_run_output.h"

#include <fcntl.h>

#include <gtest/gtest.h>

#include <string>

#include "common/encoding.h"
#include "common/files.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

TEST(IndexText, RecordsReachTheFileOnFlushAndClose) {
  test::TempFolder tmp;
  const std::u16string path = Utf8ToText((tmp.Path() / "index").string());
  IndexTextFile text;
  ASSERT_TRUE(text.Open(path, OpenFileForWriting));
  text.Records().WriteStringRecord(u"a.txt");
  EXPECT_TRUE(text.Flush());
  EXPECT_EQ(FileLength(path), 0);  // below the flush size: still waiting
  EXPECT_EQ(text.Length(), 9);
  std::string big(IndexTextFile::kFlushSize, 'x');
  text.Records().WriteStringRecord(Utf8ToText(big));
  EXPECT_TRUE(text.Flush());
  EXPECT_EQ(FileLength(path), text.Length());
  text.Records().WriteStringRecord(u"End");
  EXPECT_TRUE(text.Close());
  EXPECT_EQ(FileLength(path), text.Length());
  EXPECT_EQ(ReadWholeFile(path)->substr(0, 9), "\"a.txt\"\r\n");
}

TEST(IndexText, FullDiskFailsTheCloseAndEveryLaterFlush) {
  IndexTextFile text;
  ASSERT_TRUE(text.Open(
      u"ignored", [](const std::u16string&) { return ::open("/dev/full", O_WRONLY | O_CLOEXEC); }));
  text.Records().WriteStringRecord(u"a.txt");
  EXPECT_FALSE(text.Close());
  EXPECT_FALSE(text.Error().empty());
  EXPECT_FALSE(text.Flush(true));
}

TEST(IndexText, OpenFailureIsDescribed) {
  IndexTextFile text;
  EXPECT_FALSE(text.Open(u"/nonexistent-folder/index", OpenFileForWriting));
  EXPECT_FALSE(text.Error().empty());
}

}  // namespace
}  // namespace quor
