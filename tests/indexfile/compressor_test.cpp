#include "indexfile/compressor.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zstd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "common/files.h"
#include "support/temp_folder.h"

namespace quor {
namespace {

using test::TempFolder;
namespace fs = std::filesystem;

std::u16string Ascii(const std::string& s) {
  return std::u16string(s.begin(), s.end());
}

// Text like an index: records of paths and count rows, compressible.
std::string IndexLikeText(std::size_t size) {
  std::string text;
  std::mt19937 random(7);
  while (text.size() < size) {
    text += "\"docs/folder" + std::to_string(random() % 90) + "/file" +
            std::to_string(random() % 5000) + ".htm\"\r\n";
    text += std::to_string(random() % 256) + ",-" + std::to_string(random() % 40) + ",0\r\n";
  }
  text.resize(size);
  return text;
}

std::string RandomBytes(std::size_t size) {
  std::string bytes(size, '\0');
  std::mt19937 random(11);
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

class CompressorTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(compressor_.AllocateCompressionBuffer()); }
  void TearDown() override { compressor_.FreeCompressionBuffer(); }

  std::u16string Path(const std::string& name) const { return folder_.Text() + Ascii(name); }
  bool Exists(const std::string& name) const { return fs::exists(folder_.Path() / name); }

  // Compresses bytes to name.z; true on success.
  bool MakeCompressed(const std::string& bytes, const std::string& name) {
    folder_.Write(name, bytes);
    return compressor_.CompressFile(Path(name), Path(name + ".z"), false) == kCompressOk;
  }

  TempFolder folder_;
  FileCompressor compressor_;
};

TEST_F(CompressorTest, RoundTripGivesBackTheExactBytes) {
  struct Case {
    const char* name;
    std::string bytes;
  };
  const std::vector<Case> cases = {
      {"empty", ""},
      {"one byte", "x"},
      {"small text", "\"My docs\"\r\n\"a.txt\"\r\n"},
      {"several blocks of index text", IndexLikeText(700 * 1024)},
      {"incompressible bytes", RandomBytes(300 * 1024)},
      {"all byte values",
       [] {
         std::string s;
         for (int i = 0; i < 256 * 4; ++i) s.push_back(static_cast<char>(i));
         return s;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(MakeCompressed(c.bytes, "in"));
    EXPECT_EQ(folder_.Read("in"), c.bytes) << "the source stays when not replaced";
    ASSERT_EQ(compressor_.DecompressFile(Path("in.z"), Path("out")), kCompressOk)
        << std::string(compressor_.LastError().begin(), compressor_.LastError().end());
    EXPECT_EQ(folder_.Read("out"), c.bytes);
    // One frame that declares its size, so other zstd readers can size their output.
    const std::string compressed = folder_.Read("in.z");
    EXPECT_EQ(ZSTD_getFrameContentSize(compressed.data(), compressed.size()), c.bytes.size());
    EXPECT_EQ(ZSTD_findFrameCompressedSize(compressed.data(), compressed.size()),
              compressed.size());
  }
}

TEST_F(CompressorTest, TheZstdToolExpandsTheOutput) {
  const std::string text = IndexLikeText(400 * 1024);
  ASSERT_TRUE(MakeCompressed(text, "in"));
  const std::string command = "zstd -q -d -f -o '" + (folder_.Path() / "tool-out").string() +
                              "' '" + (folder_.Path() / "in.z").string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(folder_.Read("tool-out"), text);
  // And the tool's own frames (which carry their size when made from a file) expand here.
  folder_.Write("plain", text);
  const std::string toolCompress = "zstd -q -f -o '" + (folder_.Path() / "plain.zst").string() +
                                   "' '" + (folder_.Path() / "plain").string() + "'";
  ASSERT_EQ(std::system(toolCompress.c_str()), 0);
  ASSERT_EQ(compressor_.DecompressFile(Path("plain.zst"), Path("back")), kCompressOk);
  EXPECT_EQ(folder_.Read("back"), text);
}

TEST_F(CompressorTest, InPlaceCompressionLeavesOnlyTheSource) {
  const std::string text = IndexLikeText(200 * 1024);
  folder_.Write("proj_index.quor", text);
  ASSERT_EQ(compressor_.CompressFile(Path("proj_index.quor"), Path("proj_index.qdwixc"), true),
            kCompressOk);
  EXPECT_FALSE(Exists("proj_index.qdwixc"));
  EXPECT_NE(folder_.Read("proj_index.quor"), text);
  ASSERT_EQ(compressor_.DecompressFile(Path("proj_index.quor"), Path("work.quord")), kCompressOk);
  EXPECT_EQ(folder_.Read("work.quord"), text);
  EXPECT_TRUE(Exists("proj_index.quor"));
}

TEST_F(CompressorTest, InPlaceDecompressionReplacesTheSource) {
  const std::string text = IndexLikeText(1000);
  ASSERT_TRUE(MakeCompressed(text, "in"));
  ASSERT_EQ(compressor_.DecompressFile(Path("in.z"), Path("tmp"), true), kCompressOk);
  EXPECT_EQ(folder_.Read("in.z"), text);
  EXPECT_FALSE(Exists("tmp"));
}

TEST_F(CompressorTest, FailuresGiveNegativeStatusesAndLeaveNoTarget) {
  folder_.Write("in", "some text to compress");
  folder_.MakeFolder("dir");
  EXPECT_EQ(compressor_.CompressFile(Path("missing"), Path("t"), true), kCompressSourceMissing);
  EXPECT_FALSE(Exists("t"));
  EXPECT_EQ(compressor_.CompressFile(Path("dir"), Path("t"), true), kCompressSourceMissing);
  EXPECT_FALSE(Exists("t"));
  EXPECT_EQ(compressor_.CompressFile(Path("in"), Path("no/such/folder/t"), true),
            kCompressTargetError);
  EXPECT_FALSE(compressor_.LastError().empty());
  EXPECT_EQ(compressor_.CompressFile(Path("in"), Path("in"), true), kCompressTargetError);
  EXPECT_EQ(compressor_.CompressFile(Path("in"), Path("dir"), true), kCompressTargetError);
  EXPECT_EQ(folder_.Read("in"), "some text to compress");
  EXPECT_TRUE(fs::is_directory(folder_.Path() / "dir"));
  EXPECT_EQ(compressor_.DecompressFile(Path("missing"), Path("t")), kCompressSourceMissing);
  EXPECT_FALSE(Exists("t"));
  // No source named at all reads as a missing file, not as a stale error.
  EXPECT_EQ(compressor_.CompressFile(u"", Path("t"), true), kCompressSourceMissing);
  EXPECT_EQ(compressor_.LastError(), ErrorDescription(ENOENT));
}

TEST_F(CompressorTest, WithoutABufferNothingHappens) {
  compressor_.FreeCompressionBuffer();
  folder_.Write("in", "text");
  EXPECT_EQ(compressor_.CompressFile(Path("in"), Path("t"), true), kCompressNoBuffer);
  EXPECT_EQ(compressor_.DecompressFile(Path("in"), Path("t")), kCompressNoBuffer);
  EXPECT_FALSE(Exists("t"));
  EXPECT_EQ(folder_.Read("in"), "text");
}

TEST_F(CompressorTest, EveryTruncationIsRefusedWithoutATarget) {
  ASSERT_TRUE(MakeCompressed(IndexLikeText(300 * 1024), "in"));
  const std::string compressed = folder_.Read("in.z");
  std::vector<std::size_t> lengths;
  for (std::size_t n = 0; n < 64 && n < compressed.size(); ++n) lengths.push_back(n);
  for (std::size_t n = 64; n < compressed.size(); n += compressed.size() / 97 + 1) {
    lengths.push_back(n);
  }
  lengths.push_back(compressed.size() - 1);
  for (std::size_t n : lengths) {
    SCOPED_TRACE("length " + std::to_string(n));
    folder_.Write("cut", compressed.substr(0, n));
    EXPECT_LT(compressor_.DecompressFile(Path("cut"), Path("out")), 0);
    EXPECT_FALSE(Exists("out"));
  }
}

TEST_F(CompressorTest, FlippedBitsAreRefusedOrChangeNothing) {
  const std::string text = IndexLikeText(150 * 1024);
  ASSERT_TRUE(MakeCompressed(text, "in"));
  const std::string compressed = folder_.Read("in.z");
  int refused = 0, tried = 0;
  for (std::size_t i = 0; i < compressed.size(); i += (i < 64 ? 1 : compressed.size() / 150 + 1)) {
    for (int bit : {0, 5}) {
      SCOPED_TRACE("byte " + std::to_string(i) + " bit " + std::to_string(bit));
      std::string damaged = compressed;
      damaged[i] = static_cast<char>(damaged[i] ^ (1 << bit));
      folder_.Write("bad", damaged);
      ++tried;
      const std::int32_t status = compressor_.DecompressFile(Path("bad"), Path("out"));
      if (status < 0) {
        ++refused;
        EXPECT_FALSE(Exists("out"));
      } else {
        // Some header bits (a larger window, say) do not change the text.
        EXPECT_EQ(folder_.Read("out"), text);
      }
    }
  }
  EXPECT_GT(refused, tried * 9 / 10);
}

TEST_F(CompressorTest, FramesThatAreNotOursAreRefused) {
  const std::string text = IndexLikeText(200 * 1024);
  ASSERT_TRUE(MakeCompressed(text, "in"));
  const std::string compressed = folder_.Read("in.z");

  // A frame without a declared size.
  ZSTD_CCtx* cctx = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(cctx, ZSTD_c_contentSizeFlag, 0);
  std::string unsized(ZSTD_compressBound(text.size()), '\0');
  unsized.resize(ZSTD_compress2(cctx, unsized.data(), unsized.size(), text.data(), text.size()));
  ZSTD_freeCCtx(cctx);
  ASSERT_EQ(ZSTD_getFrameContentSize(unsized.data(), unsized.size()), ZSTD_CONTENTSIZE_UNKNOWN);

  // A header declaring 2^60 bytes: magic, descriptor with an 8-byte size, window.
  std::string huge = "\x28\xB5\x2F\xFD";
  huge += static_cast<char>(0xC0);
  huge += static_cast<char>(0x50);
  huge += std::string("\0\0\0\0\0\0\0\x10", 8);
  huge += std::string(20, '\0');

  struct Case {
    const char* name;
    std::string bytes;
    std::int32_t status;
  };
  const std::vector<Case> cases = {
      {"empty file", "", kCompressTruncated},
      {"plain text", "just some text, not compressed", kCompressCorrupt},
      {"no declared size", unsized, kCompressBadContentSize},
      {"impossible declared size", huge, kCompressBadContentSize},
      {"bytes after the frame", compressed + "x", kCompressCorrupt},
      {"two frames", compressed + compressed, kCompressCorrupt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    folder_.Write("bad", c.bytes);
    EXPECT_EQ(compressor_.DecompressFile(Path("bad"), Path("out")), c.status);
    EXPECT_FALSE(Exists("out"));
  }
}

// Runs body in a child process whose files may grow to limit bytes only, as
// on a disk that fills up; returns the status the body returned.
template <typename Body>
int WithFileSizeLimit(rlim_t limit, Body body) {
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit rl{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    ::_exit(-body() & 0xFF);
  }
  int wstatus = 0;
  ::waitpid(child, &wstatus, 0);
  return WIFEXITED(wstatus) ? -WEXITSTATUS(wstatus) : 1;
}

TEST_F(CompressorTest, AFullDiskIsAWriteErrorAndLeavesTheSource) {
  const std::string bytes = RandomBytes(512 * 1024);
  ASSERT_TRUE(MakeCompressed(bytes, "in"));
  EXPECT_EQ(WithFileSizeLimit(
                64 * 1024, [&] { return compressor_.CompressFile(Path("in"), Path("t"), true); }),
            kCompressWriteError);
  EXPECT_FALSE(Exists("t"));
  EXPECT_EQ(folder_.Read("in"), bytes);
  EXPECT_EQ(WithFileSizeLimit(64 * 1024,
                              [&] { return compressor_.DecompressFile(Path("in.z"), Path("t")); }),
            kCompressWriteError);
  EXPECT_FALSE(Exists("t"));
}

}  // namespace
}  // namespace quor
