#include "indexfile/data_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "common/encoding.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

TEST(DataFile, PathComesFromTheIndexPathsExactEnding) {
  EXPECT_EQ(DataFilePathFor(u"/out/proj_index.quor"), u"/out/proj_data.quor");
  EXPECT_EQ(DataFilePathFor(u"/o_index.quor/x_index.quor"), u"/o_index.quor/x_data.quor");
  EXPECT_EQ(DataFilePathFor(u"/out/proj_INDEX.QUOR"), u"");
  EXPECT_EQ(DataFilePathFor(u"/out/proj_index.quor.bak"), u"");
}

TEST(DataFile, StampIsTheLastFourBytes) {
  test::TempFolder folder;
  auto path = [&](const char* name) { return Utf8ToText((folder.Path() / name).string()); };
  folder.Write("stamped", std::string("\x01\x02\x87\x00\x00\x00", 6));
  folder.Write("short", "abc");
  folder.Write("negative", "\xFF\xFF\xFF\xFF");

  const LengthStampInfo stamped = ReadLengthStamp(path("stamped"));
  EXPECT_TRUE(stamped.exists);
  EXPECT_EQ(stamped.length, 6);
  EXPECT_EQ(stamped.stamp, 135);
  const LengthStampInfo shortFile = ReadLengthStamp(path("short"));
  EXPECT_TRUE(shortFile.exists);
  EXPECT_FALSE(shortFile.stamp.has_value());
  EXPECT_EQ(ReadLengthStamp(path("negative")).stamp, -1);
  const LengthStampInfo missing = ReadLengthStamp(path("missing"));
  EXPECT_FALSE(missing.exists);
  EXPECT_EQ(missing.error, u"");
}

TEST(DataFile, RowsAreReadAtSixtyFourBitOffsets) {
  test::TempFolder folder;
  const std::string name = (folder.Path() / "big").string();
  // 3 GiB of rows of 32000 bytes, sparse: row 100000 starts beyond 2^31.
  constexpr std::int32_t kRowLength = 32000;
  constexpr std::int32_t kRow = 100000;
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(fd, 0);
  const std::int64_t offset = static_cast<std::int64_t>(kRow - 1) * kRowLength;
  ASSERT_GT(offset, std::int64_t{1} << 31);
  ASSERT_EQ(::pwrite(fd, "\x07", 1, offset + 5), 1);
  ASSERT_EQ(::ftruncate(fd, std::int64_t{3} << 30), 0);
  ::close(fd);

  const DataRow row = ReadDataRow(Utf8ToText(name), kRow, kRowLength);
  ASSERT_EQ(row.error, u"");
  ASSERT_EQ(row.bytes.size(), static_cast<std::size_t>(kRowLength));
  EXPECT_EQ(row.bytes[5], 7);
  EXPECT_EQ(row.bytes[4], 0);

  // Rows outside the file are refused, not read short.
  const std::int32_t pastEnd = static_cast<std::int32_t>((std::int64_t{3} << 30) / kRowLength) + 1;
  EXPECT_NE(ReadDataRow(Utf8ToText(name), pastEnd, kRowLength).error, u"");
  EXPECT_NE(ReadDataRow(Utf8ToText(name), 0, kRowLength).error, u"");
  EXPECT_NE(ReadDataRow(Utf8ToText(name + "x"), 1, kRowLength).error, u"");
}

}  // namespace
}  // namespace quor
