// `quor expand FILE_index.quor OUTFILE`: the index text of a compressed index
// file, for a user or a script to read.
#include "app/cli_expand.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <vector>

#include "app/cli_messages.h"
#include "app/cli_options.h"
#include "common/encoding.h"
#include "common/files.h"
#include "indexfile/compressor.h"

namespace quor::app {

namespace {

// The output file that stands for standard output.
constexpr std::string_view kStandardOutput = "-";

// A new, empty file in the folder of target, to expand into before it
// replaces target. Empty when none could be made (errno tells why).
std::string MakeSiblingTemp(const std::string& target) {
  const std::filesystem::path path(target);
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::string name = ".";
  name += path.filename().string();
  name += ".expand-XXXXXX";
  std::string pattern = (folder / name).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return {};
  ::close(fd);
  return pattern;
}

void ReportFailure(CliStreams& io, std::int32_t status, const std::string& source,
                   const std::string& target, const std::u16string& description) {
  const std::string why = TextToUtf8(description);
  io.err << "quor expand: ";
  switch (status) {
    case kCompressSourceMissing:
    case kCompressReadError:
      io.err << "cannot read " << source << ": " << why;
      break;
    case kCompressCorrupt:
    case kCompressTruncated:
    case kCompressBadContentSize:
      io.err << source << " is not a compressed index file or is damaged: " << why;
      break;
    case kCompressTargetError:
    case kCompressWriteError:
    case kCompressReplaceError:
      io.err << "cannot write " << target << ": " << why;
      break;
    default:
      io.err << "cannot expand " << source << ": " << why;
      break;
  }
  io.err << '\n';
}

// Says that Ctrl-C ended the run; returns its exit status.
int Interrupted(InterruptStop& interrupt, CliStreams& io) {
  interrupt.ReportOnce(io.err);
  io.err << "quor expand: stopped\n";
  return kExitInterrupted;
}

// Expands source into a temporary file and copies that to io.out, which
// Ctrl-C ends between two pieces (a reader such as a pager may keep it
// waiting).
int ExpandToOutput(FileCompressor& compressor, const std::string& source, CliStreams& io,
                   InterruptStop& interrupt) {
  const std::string folder = TextToUtf8(SystemTempFolder());
  const std::string temp = MakeSiblingTemp(folder + "/quor");
  if (temp.empty()) {
    io.err << "quor expand: cannot make a temporary file in " << folder << ": "
           << std::strerror(errno) << '\n';
    return kExitFailed;
  }
  const std::int32_t status =
      compressor.DecompressFile(Utf8ToText(source), Utf8ToText(temp), false);
  if (status < 0) {
    ::unlink(temp.c_str());
    ReportFailure(io, status, source, "the temporary file " + temp, compressor.LastError());
    return kExitFailed;
  }
  std::ifstream text(temp, std::ios::binary);
  ::unlink(temp.c_str());
  if (interrupt.Interrupted()) return Interrupted(interrupt, io);
  std::vector<char> piece(1 << 16);
  while (text.is_open() && io.out && !interrupt.Interrupted()) {
    text.read(piece.data(), static_cast<std::streamsize>(piece.size()));
    if (text.gcount() <= 0) break;
    io.out.write(piece.data(), text.gcount());
  }
  io.out.flush();
  if (interrupt.Interrupted()) return Interrupted(interrupt, io);
  if (!text.is_open() || !io.out) {
    io.err << "quor expand: cannot write the index text to standard output\n";
    return kExitFailed;
  }
  return kExitOk;
}

int RunExpand(const CliArgs& args, CliStreams& io) {
  const std::vector<std::string>& files = args.Operands();
  const std::string& source = files[0];
  const std::string& target = files[1];

  struct stat sourceStat {};
  if (::stat(source.c_str(), &sourceStat) != 0) {
    io.err << "quor expand: cannot read " << source << ": " << std::strerror(errno) << '\n';
    return kExitFailed;
  }
  struct stat targetStat {};
  if (target != kStandardOutput && ::stat(target.c_str(), &targetStat) == 0 &&
      targetStat.st_dev == sourceStat.st_dev && targetStat.st_ino == sourceStat.st_ino) {
    io.err << "quor expand: " << target << " is the index file itself\n";
    return kExitFailed;
  }

  FileCompressor compressor;
  if (!compressor.AllocateCompressionBuffer()) {
    io.err << "quor expand: not enough memory to expand " << source << '\n';
    return kExitFailed;
  }

  // The expansion itself runs to its end (it is quick for its size); what
  // it made then goes.
  StopToken stop;
  InterruptStop interrupt(stop);
  if (target == kStandardOutput) return ExpandToOutput(compressor, source, io, interrupt);

  // An existing output file is replaced only once the expansion has
  // succeeded: expanding straight into it would truncate it first, and a
  // damaged index would then cost the user that file.
  struct stat existing {};
  const bool replacing = ::lstat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
  std::string writeTo = target;
  if (replacing) {
    writeTo = MakeSiblingTemp(target);
    if (writeTo.empty()) {
      io.err << "quor expand: cannot write " << target << ": " << std::strerror(errno) << '\n';
      return kExitFailed;
    }
  }

  const std::int32_t status =
      compressor.DecompressFile(Utf8ToText(source), Utf8ToText(writeTo), false);
  if (status < 0) {
    if (replacing) ::unlink(writeTo.c_str());
    ReportFailure(io, status, source, target, compressor.LastError());
    return kExitFailed;
  }
  if (interrupt.Interrupted()) {
    // A file replaced is left as it was; a new one is not left half wanted.
    ::unlink(writeTo.c_str());
    return Interrupted(interrupt, io);
  }
  if (replacing) {
    ::chmod(writeTo.c_str(), existing.st_mode & 07777);
    if (::rename(writeTo.c_str(), target.c_str()) != 0) {
      const int error = errno;
      ::unlink(writeTo.c_str());
      io.err << "quor expand: cannot write " << target << ": " << std::strerror(error) << '\n';
      return kExitFailed;
    }
  }
  return kExitOk;
}

}  // namespace

CliCommand ExpandCommand() {
  CliSyntax syntax;
  syntax.command = "expand";
  syntax.summary =
      "writes the uncompressed index text of an index file to OUTFILE (- for "
      "standard output)";
  syntax.operands = "FILE_index.quor OUTFILE";
  syntax.minOperands = syntax.maxOperands = 2;
  syntax.missingOperands = syntax.extraOperands = "an index file and an output file are needed";
  return MakeCliCommand(std::move(syntax), RunExpand);
}

}  // namespace quor::app
