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
#include <string>
#include <string_view>

struct ZSTD_CCtx_s;
struct ZSTD_DCtx_s;

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

  void FreeCompressionBuffer();

  // The description of the last failure (empty after success).
  const std::u16string& LastError() const { return lastError_; }

 private:
  std::int32_t Fail(std::int32_t status, std::u16string description);

  ZSTD_CCtx_s* cctx_ = nullptr;
  ZSTD_DCtx_s* dctx_ = nullptr;
  std::u16string lastError_;
};

}  // namespace quor
