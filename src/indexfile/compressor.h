// The file compressor of the index file. A compressed file is one standard
// zstd frame that declares its content size and carries a checksum, so the
// zstd command-line tool also expands it. Files are streamed in blocks:
// memory stays bounded whatever their size.
//
// The run calls the four operations in order: AllocateCompressionBuffer,
// CompressFile or DecompressFile, FreeCompressionBuffer. Every failure gives a
// negative status (one of CompressorStatus), leaves no file under the target
// name and leaves the source untouched.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/fd_io.h"

struct ZSTD_CCtx_s;
struct ZSTD_DCtx_s;
struct ZSTD_outBuffer_s;

namespace quor {

enum CompressorStatus : std::int32_t {
  kCompressOk = 0,
  kCompressNoBuffer = -1,        // AllocateCompressionBuffer was not called or failed
  kCompressSourceMissing = -2,   // the source cannot be opened
  kCompressReadError = -3,       // reading the source failed
  kCompressTargetError = -4,     // the target cannot be created, is the source or no plain file
  kCompressWriteError = -5,      // writing the target failed (a full disk)
  kCompressEngineError = -6,     // the compression engine refused the data
  kCompressCorrupt = -7,         // not a frame of ours, damaged, or trailing bytes
  kCompressTruncated = -8,       // the frame ends early
  kCompressBadContentSize = -9,  // no content size, an impossible one, or a mismatch
  kCompressReplaceError = -10,   // the target could not replace the source
};

class FileCompressor {
 public:
  // The zstd level used for the index text: fast, and the text shrinks well.
  static constexpr int kLevel = 3;

  FileCompressor() = default;
  ~FileCompressor();
  FileCompressor(const FileCompressor&) = delete;
  FileCompressor& operator=(const FileCompressor&) = delete;

  // Creates the compression and decompression contexts. False when they
  // cannot be had.
  [[nodiscard]] bool AllocateCompressionBuffer();

  // Compresses source into target. With replaceSource, target then replaces
  // source (a rename), so on success source holds the compressed file and no
  // file remains under target. Returns kCompressOk or a negative status.
  [[nodiscard]] std::int32_t CompressFile(std::u16string_view source, std::u16string_view target,
                                          bool replaceSource);

  // Expands source (one frame as CompressFile writes it) into target; with
  // replaceSource the expanded file then replaces source. Returns kCompressOk
  // or a negative status; a failed expansion leaves no target file.
  [[nodiscard]] std::int32_t DecompressFile(std::u16string_view source, std::u16string_view target,
                                            bool replaceSource = false);

  // Expansion piece by piece, for a reader that may stop early. BeginExpand
  // opens source and checks its frame header as DecompressFile does:
  // kCompressOk or a negative status. The expansion ends with EndExpand,
  // FreeCompressionBuffer, a failure or the next BeginExpand.
  [[nodiscard]] std::int32_t BeginExpand(std::u16string_view source);
  // The byte length of the expanded text, as the frame header declares it
  // (after a successful BeginExpand).
  std::uint64_t DeclaredSize() const { return expected_; }
  // Appends the next expanded bytes to `to` (at most about 128 KiB); done is
  // set, with nothing appended, once the whole frame has been expanded and
  // its checksum and size confirmed. kCompressOk or a negative status, which
  // ends the expansion.
  [[nodiscard]] std::int32_t ExpandMore(std::string& to, bool& done);
  // The other way to take the expansion: straight into one buffer of at
  // least DeclaredSize() + 1 bytes, which the caller passes unchanged to
  // every call and leaves untouched until the expansion ends (the expansion
  // refers back to what it wrote). Each call expands at least atLeast more
  // bytes to buffer[Expanded()...] unless the frame ends first; done and the
  // status are as for ExpandMore. A caller takes one way for an expansion.
  [[nodiscard]] std::int32_t ExpandInto(std::span<char> buffer, std::size_t atLeast, bool& done);
  // The bytes expanded so far.
  std::uint64_t Expanded() const { return produced_; }
  void EndExpand();

  void FreeCompressionBuffer();

  // The description of the last failure (empty after success).
  const std::u16string& LastError() const { return lastError_; }

 private:
  std::int32_t Fail(std::int32_t status, std::u16string description);
  // One step of an expansion into output: reads more input when it has run
  // out (at most feed bytes of it are handed on), confirms the end of the
  // frame, or expands. done is set at the confirmed end.
  std::int32_t Step(ZSTD_outBuffer_s& output, std::size_t feed, bool& done);

  ZSTD_CCtx_s* cctx_ = nullptr;
  ZSTD_DCtx_s* dctx_ = nullptr;
  // The expansion in progress.
  OwnedFd expandIn_;
  std::string input_;
  std::size_t inputPos_ = 0;
  std::size_t inputSize_ = 0;
  bool inputEnded_ = false;
  bool frameDone_ = false;
  std::uint64_t expected_ = 0;
  std::uint64_t produced_ = 0;
  std::u16string lastError_;
};

}  // namespace quor
