#include "app/cli_expand.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/cli_messages.h"
#include "app/quor_child.h"
#include "common/encoding.h"
#include "indexfile/compressor.h"
#include "support/cli_runner.h"
#include "support/temp_folder.h"

namespace quor::app {
namespace {

namespace fs = std::filesystem;
using test::TempFolder;

using Outcome = test::CliOutcome;

Outcome Expand(const std::vector<std::string>& args) {
  return test::RunCliCommand(ExpandCommand(), args);
}

// An index text of a few hundred kilobytes, so the frame spans many blocks.
std::string SampleIndexText() {
  std::string text = "\"My docs\",2\r\n\"a.txt\"\r\n\"sub/b.txt\"\r\n";
  for (int i = 0; i < 20000; ++i) {
    text += "\"word" + std::to_string(i * 7919 % 100003) + "\"," + std::to_string(i % 97) + "\r\n";
  }
  return text;
}

// Compresses text into folder/name with the index file's compressor.
fs::path CompressedIndex(const TempFolder& folder, const std::string& text,
                         const char* name = "proj_index.quor") {
  const fs::path plain = folder.Write("plain.txt", text);
  const fs::path packed = folder.Path() / name;
  FileCompressor compressor;
  EXPECT_TRUE(compressor.AllocateCompressionBuffer());
  EXPECT_EQ(compressor.CompressFile(Utf8ToText(plain.string()), Utf8ToText(packed.string()), false),
            kCompressOk);
  fs::remove(plain);
  return packed;
}

TEST(ExpandCommand, GivesBackTheExactIndexText) {
  TempFolder folder;
  const std::string text = SampleIndexText();
  const fs::path packed = CompressedIndex(folder, text);
  const fs::path out = folder.Path() / "index.txt";

  const Outcome outcome = Expand({packed.string(), out.string()});
  EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(outcome.err, "");
  EXPECT_EQ(folder.Read("index.txt"), text);
}

TEST(ExpandCommand, DashWritesTheIndexTextToTheOutputAndLeavesNoFile) {
  TempFolder folder;
  const std::string text = SampleIndexText();
  const fs::path packed = CompressedIndex(folder, text);
  TempFolder scratch;
  // A TMPDIR that names no folder gives way to the system's.
  for (const fs::path& tmpDir : {scratch.Path(), scratch.Path() / "gone"}) {
    SCOPED_TRACE(tmpDir.string());
    const test::ScopedEnv env("TMPDIR", tmpDir);
    const Outcome outcome = Expand({packed.string(), "-"});
    EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
    EXPECT_EQ(outcome.out, text);
    EXPECT_TRUE(test::SortedNames(scratch.Path()).empty());
    EXPECT_EQ(test::SortedNames(folder.Path()), (std::vector<std::string>{"proj_index.quor"}));
  }
}

TEST(ExpandCommand, CtrlCWhileAReaderKeepsTheTextWaitingExitsWith130AndLeavesNoFile) {
  TempFolder folder;
  // Far more text than a pipe holds.
  std::string text = SampleIndexText();
  while (text.size() < (std::size_t{4} << 20)) text += text;
  const fs::path packed = CompressedIndex(folder, text);
  TempFolder scratch;
  const test::ScopedEnv env("TMPDIR", scratch.Path());
  // The reader takes nothing until its pipe is full, as a pager would.
  const auto pipeFull = [](const test::RunningChild& child) {
    const int capacity = ::fcntl(child.outFd, F_GETPIPE_SZ);
    return capacity > 0 && test::PipeFill(child.outFd) >= capacity;
  };
  const test::SignalledRun run =
      test::RunQuorAndSignal({"expand", packed.string(), "-"}, pipeFull, SIGINT);
  ASSERT_TRUE(run.signalled);
  EXPECT_EQ(run.status, kExitInterrupted) << run.err;
  EXPECT_NE(run.err.find("Interrupted: stopping ..."), std::string::npos) << run.err;
  EXPECT_LT(run.out.size(), text.size());
  EXPECT_EQ(text.compare(0, run.out.size(), run.out), 0) << "the output is the text's start";
  EXPECT_TRUE(test::SortedNames(scratch.Path()).empty());
}

TEST(ExpandCommand, ReplacesAnExistingOutputFileKeepingItsPermissions) {
  TempFolder folder;
  const fs::path packed = CompressedIndex(folder, "\"T\",0\r\n");
  const fs::path out = folder.Write("index.txt", "an older expansion, longer than the new one");
  ASSERT_EQ(::chmod(out.c_str(), 0640), 0);

  const Outcome outcome = Expand({packed.string(), out.string()});
  EXPECT_EQ(outcome.status, kExitOk) << outcome.err;
  EXPECT_EQ(folder.Read("index.txt"), "\"T\",0\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(out.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  EXPECT_EQ(test::SortedNames(folder.Path()),
            (std::vector<std::string>{"index.txt", "proj_index.quor"}));
}

TEST(ExpandCommand, DamagedOrForeignInputFailsAndLeavesNoOutput) {
  struct Row {
    const char* name;
    std::string (*damage)(std::string);
    const char* errorPart;
  };
  const Row rows[] = {
      {"a flipped byte in the middle",
       [](std::string b) {
         b[b.size() / 2] = static_cast<char>(b[b.size() / 2] ^ 0x10);
         return b;
       },
       "is not a compressed index file or is damaged"},
      {"cut short", [](std::string b) { return b.substr(0, b.size() - 100); },
       "is not a compressed index file or is damaged"},
      {"plain text", [](std::string) { return std::string("\"My docs\",2\r\n\"a.txt\"\r\n"); },
       "is not a compressed index file or is damaged"},
      {"empty", [](std::string) { return std::string(); },
       "is not a compressed index file or is damaged"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempFolder folder;
    const fs::path packed = CompressedIndex(folder, SampleIndexText());
    const std::string damaged = row.damage(folder.Read("proj_index.quor"));
    folder.Write("proj_index.quor", damaged);

    const Outcome fresh = Expand({packed.string(), (folder.Path() / "index.txt").string()});
    EXPECT_EQ(fresh.status, kExitFailed);
    EXPECT_NE(fresh.err.find(row.errorPart), std::string::npos) << fresh.err;
    EXPECT_NE(fresh.err.find(packed.string()), std::string::npos) << fresh.err;
    EXPECT_EQ(test::SortedNames(folder.Path()), (std::vector<std::string>{"proj_index.quor"}));

    // An output file that was there before stays as it was.
    folder.Write("index.txt", "kept");
    const Outcome existing = Expand({packed.string(), (folder.Path() / "index.txt").string()});
    EXPECT_EQ(existing.status, kExitFailed);
    EXPECT_EQ(folder.Read("index.txt"), "kept");
    EXPECT_EQ(test::SortedNames(folder.Path()),
              (std::vector<std::string>{"index.txt", "proj_index.quor"}));
    EXPECT_EQ(folder.Read("proj_index.quor"), damaged);
  }
}

TEST(ExpandCommand, MissingInputOrUnwritableOutputFailsWithAMessage) {
  TempFolder folder;
  const std::string missing = (folder.Path() / "none_index.quor").string();
  const Outcome gone = Expand({missing, (folder.Path() / "out.txt").string()});
  EXPECT_EQ(gone.status, kExitFailed);
  EXPECT_NE(gone.err.find("cannot read " + missing), std::string::npos) << gone.err;
  EXPECT_TRUE(test::SortedNames(folder.Path()).empty());

  const fs::path packed = CompressedIndex(folder, "\"T\",0\r\n");
  const std::string intoMissingFolder = (folder.Path() / "no" / "out.txt").string();
  const Outcome unwritable = Expand({packed.string(), intoMissingFolder});
  EXPECT_EQ(unwritable.status, kExitFailed);
  EXPECT_NE(unwritable.err.find("cannot write " + intoMissingFolder), std::string::npos)
      << unwritable.err;
}

TEST(ExpandCommand, RefusesToWriteOverTheIndexFileItself) {
  TempFolder folder;
  const fs::path packed = CompressedIndex(folder, "\"T\",0\r\n");
  const std::string before = folder.Read("proj_index.quor");
  const Outcome outcome = Expand({packed.string(), packed.string()});
  EXPECT_EQ(outcome.status, kExitFailed);
  EXPECT_NE(outcome.err.find("is the index file itself"), std::string::npos) << outcome.err;
  EXPECT_EQ(folder.Read("proj_index.quor"), before);
}

TEST(ExpandCommand, BadUsageExitsWithStatusTwo) {
  const std::vector<std::vector<std::string>> rows = {
      {}, {"a_index.quor"}, {"a_index.quor", "out.txt", "extra"}, {"--force", "a", "b"}};
  for (const auto& args : rows) {
    SCOPED_TRACE(args.size());
    const Outcome outcome = Expand(args);
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(outcome.err.find("Usage: quor expand FILE_index.quor OUTFILE"), std::string::npos)
        << outcome.err;
  }
}

}  // namespace
}  // namespace quor::app
