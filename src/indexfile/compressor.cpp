#include "indexfile/compressor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#define ZSTD_STATIC_LINKING_ONLY  // ZSTD_d_stableOutBuffer
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/files.h"
#include "common/paths.h"

namespace quor {

namespace {

// No zstd block can expand more than this: a 4-byte run-length block stands
// for at most 128 KiB. A declared content size beyond it is a damaged header.
constexpr std::uint64_t kMaxExpansion = 32768;
// The longest frame header zstd writes.
constexpr ssize_t kFrameHeaderMax = 18;

// The target file while it is being written: removed again unless kept.
class PartialTarget {
 public:
  explicit PartialTarget(std::filesystem::path path) : path_(std::move(path)) {}
  ~PartialTarget() {
    if (!kept_) ::unlink(path_.c_str());
  }
  PartialTarget(const PartialTarget&) = delete;
  PartialTarget& operator=(const PartialTarget&) = delete;
  void Keep() { kept_ = true; }

 private:
  std::filesystem::path path_;
  bool kept_ = false;
};

std::int64_t ReadSome(int fd, void* to, std::size_t capacity) {
  ssize_t got;
  do {
    got = ::read(fd, to, capacity);
  } while (got < 0 && errno == EINTR);
  return got;
}

std::u16string EngineText(std::size_t code) {
  const char* name = ZSTD_getErrorName(code);
  return Utf8ToText(name ? name : "");
}

// A target may be a new file or an ordinary file other than the source:
// truncating or removing anything else (the source itself, a device) would
// destroy what is not ours.
bool UnfitTarget(const struct stat& source, const std::filesystem::path& target) {
  if (target.empty()) return true;
  struct stat b {};
  if (::stat(target.c_str(), &b) != 0) return false;
  return !S_ISREG(b.st_mode) || (source.st_dev == b.st_dev && source.st_ino == b.st_ino);
}

// Opens the source for reading: 0, or the errno value why it cannot be read
// (EINVAL for anything but a plain file).
int OpenSource(const std::filesystem::path& path, OwnedFd& in, struct stat& info) {
  if (path.empty()) return ENOENT;
  in.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!in.Valid() || ::fstat(in.Get(), &info) != 0) return errno;
  return S_ISREG(info.st_mode) ? 0 : EINVAL;
}

// Creates or truncates the target: 0, or the errno value of the failure
// (EINVAL for a target UnfitTarget refuses).
int OpenTarget(const struct stat& source, const std::filesystem::path& path, OwnedFd& out) {
  // Truncating the target must never destroy the source.
  if (UnfitTarget(source, path)) return EINVAL;
  out.Reset(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  return out.Valid() ? 0 : errno;
}

}  // namespace

FileCompressor::~FileCompressor() {
  EndExpand();
  FreeCompressionBuffer();
}

bool FileCompressor::AllocateCompressionBuffer() {
  if (!cctx_) cctx_ = ZSTD_createCCtx();
  if (!dctx_) dctx_ = ZSTD_createDCtx();
  if (cctx_ && dctx_) return true;
  FreeCompressionBuffer();
  return false;
}

void FileCompressor::FreeCompressionBuffer() {
  EndExpand();
  ZSTD_freeCCtx(cctx_);
  ZSTD_freeDCtx(dctx_);
  cctx_ = nullptr;
  dctx_ = nullptr;
}

std::int32_t FileCompressor::Fail(std::int32_t status, std::u16string description) {
  lastError_ = std::move(description);
  return status;
}

std::int32_t FileCompressor::CompressFile(std::u16string_view source, std::u16string_view target,
                                          bool replaceSource) {
  lastError_.clear();
  if (!cctx_) return Fail(kCompressNoBuffer, u"No compression buffer");
  const std::filesystem::path sourcePath = ToFsPath(source);
  const std::filesystem::path targetPath = ToFsPath(target);

  OwnedFd in;
  struct stat st {};
  if (const int error = OpenSource(sourcePath, in, st); error != 0) {
    return Fail(kCompressSourceMissing, ErrorDescription(error));
  }
  OwnedFd out;
  if (const int error = OpenTarget(st, targetPath, out); error != 0) {
    return Fail(kCompressTargetError, ErrorDescription(error));
  }
  PartialTarget partial(targetPath);

  ZSTD_CCtx_reset(cctx_, ZSTD_reset_session_and_parameters);
  ZSTD_CCtx_setParameter(cctx_, ZSTD_c_compressionLevel, kLevel);
  ZSTD_CCtx_setParameter(cctx_, ZSTD_c_checksumFlag, 1);
  ZSTD_CCtx_setParameter(cctx_, ZSTD_c_contentSizeFlag, 1);
  // Declared before streaming, so that the frame header carries the size.
  const std::size_t pledged =
      ZSTD_CCtx_setPledgedSrcSize(cctx_, static_cast<unsigned long long>(st.st_size));
  if (ZSTD_isError(pledged)) return Fail(kCompressEngineError, EngineText(pledged));

  std::vector<char> inBuffer(ZSTD_CStreamInSize());
  std::vector<char> outBuffer(ZSTD_CStreamOutSize());
  for (;;) {
    const std::int64_t got = ReadSome(in.Get(), inBuffer.data(), inBuffer.size());
    if (got < 0) return Fail(kCompressReadError, ErrorDescription(errno));
    const bool last = got == 0;
    ZSTD_inBuffer input{inBuffer.data(), static_cast<std::size_t>(got), 0};
    bool finished = false;
    while (!finished) {
      ZSTD_outBuffer output{outBuffer.data(), outBuffer.size(), 0};
      const std::size_t left =
          ZSTD_compressStream2(cctx_, &output, &input, last ? ZSTD_e_end : ZSTD_e_continue);
      // A source that grows or shrinks while it is read breaks the declared size here.
      if (ZSTD_isError(left)) return Fail(kCompressEngineError, EngineText(left));
      if (const int error = WriteAllToFd(out.Get(), outBuffer.data(), output.pos); error != 0) {
        return Fail(kCompressWriteError, ErrorDescription(error));
      }
      finished = last ? left == 0 : input.pos == input.size;
    }
    if (last) break;
  }
  in.Close();
  // The compressed file replaces the only copy of the text: it must be on disk.
  int error = ::fsync(out.Get()) == 0 ? 0 : errno;
  if (error == 0) error = out.Close();
  if (error != 0) return Fail(kCompressWriteError, ErrorDescription(error));
  if (replaceSource && ::rename(targetPath.c_str(), sourcePath.c_str()) != 0) {
    return Fail(kCompressReplaceError, ErrorDescription(errno));
  }
  partial.Keep();
  return kCompressOk;
}

std::int32_t FileCompressor::BeginExpand(std::u16string_view source) {
  EndExpand();
  lastError_.clear();
  if (!dctx_) return Fail(kCompressNoBuffer, u"No compression buffer");
  OwnedFd& in = expandIn_;
  struct stat st {};
  if (const int error = OpenSource(ToFsPath(source), in, st); error != 0) {
    EndExpand();
    return Fail(kCompressSourceMissing, ErrorDescription(error));
  }
  // Every refusal below closes the file again.
  const auto refuse = [&](std::int32_t status, std::u16string description) {
    EndExpand();
    return Fail(status, std::move(description));
  };

  // The header must declare a content size that the file could hold.
  unsigned char head[kFrameHeaderMax];
  ssize_t headLength;
  do {
    headLength = ::pread(in.Get(), head, sizeof head, 0);
  } while (headLength < 0 && errno == EINTR);
  if (headLength < 0) return refuse(kCompressReadError, ErrorDescription(errno));
  const bool magic =
      headLength >= 4 && head[0] == 0x28 && head[1] == 0xB5 && head[2] == 0x2F && head[3] == 0xFD;
  if (!magic) {
    return headLength < 4 && headLength == st.st_size
               ? refuse(kCompressTruncated, u"The compressed file ends early")
               : refuse(kCompressCorrupt, u"Not a compressed file");
  }
  const unsigned long long declared =
      ZSTD_getFrameContentSize(head, static_cast<std::size_t>(headLength));
  if (declared == ZSTD_CONTENTSIZE_ERROR) {
    return headLength == st.st_size && headLength < kFrameHeaderMax
               ? refuse(kCompressTruncated, u"The compressed file ends early")
               : refuse(kCompressCorrupt, u"The compressed file has a damaged header");
  }
  if (declared == ZSTD_CONTENTSIZE_UNKNOWN) {
    return refuse(kCompressBadContentSize, u"The compressed file does not declare its size");
  }
  if (declared / kMaxExpansion > static_cast<std::uint64_t>(st.st_size)) {
    return refuse(kCompressBadContentSize, u"The compressed file declares an impossible size");
  }

  ZSTD_DCtx_reset(dctx_, ZSTD_reset_session_and_parameters);
  input_.resize(ZSTD_DStreamInSize());
  inputPos_ = inputSize_ = 0;
  inputEnded_ = frameDone_ = false;
  expected_ = declared;
  produced_ = 0;
  return kCompressOk;
}

void FileCompressor::EndExpand() {
  expandIn_.Close();
}

std::int32_t FileCompressor::Step(ZSTD_outBuffer& output, std::size_t feed, bool& done) {
  const auto fail = [&](std::int32_t status, std::u16string description) {
    EndExpand();
    return Fail(status, std::move(description));
  };
  if (inputPos_ == inputSize_ && !inputEnded_) {
    const std::int64_t got = ReadSome(expandIn_.Get(), input_.data(), input_.size());
    if (got < 0) return fail(kCompressReadError, ErrorDescription(errno));
    inputPos_ = 0;
    inputSize_ = static_cast<std::size_t>(got);
    inputEnded_ = got == 0;
  }
  if (frameDone_) {
    if (inputPos_ < inputSize_) {
      return fail(kCompressCorrupt, u"Unexpected data after the compressed text");
    }
    if (!inputEnded_) return kCompressOk;
    if (produced_ != expected_) {
      return fail(kCompressBadContentSize, u"The compressed file holds less than it declares");
    }
    EndExpand();
    done = true;
    return kCompressOk;
  }
  const std::size_t before = output.pos;
  ZSTD_inBuffer input{input_.data(), std::min(inputSize_, inputPos_ + feed), inputPos_};
  const std::size_t left = ZSTD_decompressStream(dctx_, &output, &input);
  if (ZSTD_isError(left)) {
    output.pos = before;
    return fail(kCompressCorrupt, EngineText(left));
  }
  const bool progress = output.pos > before || input.pos > inputPos_;
  inputPos_ = input.pos;
  produced_ += output.pos - before;
  if (produced_ > expected_) {
    return fail(kCompressBadContentSize, u"The compressed file holds more than it declares");
  }
  if (left == 0) frameDone_ = true;
  if (inputEnded_ && !progress && !frameDone_) {
    return fail(kCompressTruncated, u"The compressed file ends early");
  }
  return kCompressOk;
}

std::int32_t FileCompressor::ExpandMore(std::string& to, bool& done) {
  done = false;
  if (!expandIn_.Valid() || !dctx_) return Fail(kCompressNoBuffer, u"No expansion in progress");
  const std::size_t start = to.size();
  const std::size_t room = ZSTD_DStreamOutSize();
  to.resize(start + room);
  ZSTD_outBuffer output{to.data() + start, room, 0};
  for (;;) {
    const std::int32_t status = Step(output, input_.size(), done);
    if (status < 0 || done || output.pos > 0) {
      to.resize(start + output.pos);
      return status;
    }
  }
}

std::int32_t FileCompressor::ExpandInto(std::span<char> buffer, std::size_t atLeast, bool& done) {
  done = false;
  if (!expandIn_.Valid() || !dctx_) return Fail(kCompressNoBuffer, u"No expansion in progress");
  if (buffer.size() <= expected_) {
    EndExpand();
    return Fail(kCompressNoBuffer, u"The expansion buffer is too small");
  }
  // The expansion writes straight into the buffer, with no window of its
  // own to fill and copy from. Without that setting it still works, through
  // the window.
  if (produced_ == 0) (void)ZSTD_DCtx_setParameter(dctx_, ZSTD_d_stableOutBuffer, 1);
  ZSTD_outBuffer output{buffer.data(), buffer.size(), static_cast<std::size_t>(produced_)};
  const std::uint64_t target = produced_ + atLeast;
  // Input is handed on in small pieces, so that a call ends soon after
  // atLeast bytes.
  constexpr std::size_t kFeed = 16 * 1024;
  for (;;) {
    const std::int32_t status = Step(output, kFeed, done);
    if (status < 0 || done || produced_ >= target) return status;
  }
}

std::int32_t FileCompressor::DecompressFile(std::u16string_view source, std::u16string_view target,
                                            bool replaceSource) {
  if (const std::int32_t status = BeginExpand(source); status < 0) return status;
  const std::filesystem::path sourcePath = ToFsPath(source);
  const std::filesystem::path targetPath = ToFsPath(target);
  struct stat st {};
  if (::fstat(expandIn_.Get(), &st) != 0) {
    EndExpand();
    return Fail(kCompressReadError, ErrorDescription(errno));
  }
  OwnedFd out;
  if (const int error = OpenTarget(st, targetPath, out); error != 0) {
    EndExpand();
    return Fail(kCompressTargetError, ErrorDescription(error));
  }
  PartialTarget partial(targetPath);
  std::string piece;
  for (bool done = false; !done;) {
    piece.clear();
    if (const std::int32_t status = ExpandMore(piece, done); status < 0) return status;
    if (const int error = WriteAllToFd(out.Get(), piece.data(), piece.size()); error != 0) {
      EndExpand();
      return Fail(kCompressWriteError, ErrorDescription(error));
    }
  }
  if (const int error = out.Close(); error != 0) {
    return Fail(kCompressWriteError, ErrorDescription(error));
  }
  if (replaceSource && ::rename(targetPath.c_str(), sourcePath.c_str()) != 0) {
    return Fail(kCompressReplaceError, ErrorDescription(errno));
  }
  partial.Keep();
  return kCompressOk;
}

}  // namespace quor
