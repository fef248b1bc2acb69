#include "common/fd_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "support/temp_folder.h"

namespace quor {
namespace {

int OpenForWrite(const std::filesystem::path& path) {
  return ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

TEST(FdIo, WritesGoAtThePositionOrAtTheOffsetLeavingThePosition) {
  test::TempFolder folder;
  OwnedFd fd(OpenForWrite(folder.Path() / "f"));
  ASSERT_TRUE(fd.Valid());
  const std::string big(300000, 'a');
  EXPECT_EQ(WriteAllToFd(fd.Get(), big.data(), big.size()), 0);
  EXPECT_EQ(WriteAllAt(fd.Get(), "XY", 2, 10), 0);
  EXPECT_EQ(WriteAllAt(fd.Get(), "Z", 1, 400000), 0);  // beyond the end: a hole
  EXPECT_EQ(WriteAllToFd(fd.Get(), "b", 1), 0);        // still after the first write
  EXPECT_EQ(fd.Close(), 0);

  std::string expected = big + "b";
  expected.replace(10, 2, "XY");
  expected.resize(400000, '\0');
  expected += 'Z';
  EXPECT_TRUE(folder.Read("f") == expected);
}

TEST(FdIo, FailuresGiveTheirErrnoValue) {
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  EXPECT_EQ(WriteAllToFd(full, "x", 1), ENOSPC);
  EXPECT_EQ(WriteAllToFd(full, "", 0), 0);  // nothing to write: no call at all
  EXPECT_EQ(CloseChecked(full), 0);
  EXPECT_EQ(WriteAllToFd(-1, "x", 1), EBADF);
  EXPECT_EQ(WriteAllAt(-1, "x", 1, 0), EBADF);
  EXPECT_EQ(WriteAllAt(-1, "x", 1, -1), EINVAL);
  EXPECT_EQ(CloseChecked(-1), EBADF);
}

TEST(FdIo, OwnedFdClosesOnceWhetherEarlyOrAtTheEnd) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  {
    OwnedFd reader(fds[0]);
    OwnedFd writer(fds[1]);
    EXPECT_EQ(writer.Close(), 0);
    EXPECT_FALSE(writer.Valid());
    EXPECT_EQ(writer.Close(), 0);  // already closed: nothing to do
    char c;
    EXPECT_EQ(::read(reader.Get(), &c, 1), 0);  // the write end is gone
  }
  EXPECT_EQ(::fcntl(fds[0], F_GETFD), -1);  // closed by the destructor
  EXPECT_EQ(errno, EBADF);
}

}  // namespace
}  // namespace quor
