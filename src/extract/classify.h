// File classification: whether a candidate file is indexed at all and, if so,
// how its lines are read (its text type code), plus the small file tests and
// size texts the walk and the indexing pass use.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quor {

// Text type codes. Codes below 1 mean the file is not indexed.
inline constexpr std::int16_t kTypeEmptyPath = -5;
inline constexpr std::int16_t kTypeTooShort = -4;  // under 5 bytes
inline constexpr std::int16_t kTypeEmptyFile = -2;
inline constexpr std::int16_t kTypeMissing = -1;
inline constexpr std::int16_t kTypeNotText = 0;  // too many control characters
inline constexpr std::int16_t kTypeCrLf = 1;     // also UTF-8 and DOCX files
inline constexpr std::int16_t kTypeLf = 2;
inline constexpr std::int16_t kTypeCr = 3;
inline constexpr std::int16_t kTypeRtf = 6;
inline constexpr std::int16_t kTypeUnicode = 7;  // UTF-16 or UTF-32

// Encoding codes of SniffTextEncoding (-5, -4, -2, -1 as the type codes).
inline constexpr int kEncodingAnsi = 0;  // no mark found
inline constexpr int kEncodingUtf16Le = 1;
inline constexpr int kEncodingUtf16Be = 2;
inline constexpr int kEncodingUtf8 = 3;
inline constexpr int kEncodingUtf32Be = 5;
inline constexpr int kEncodingRtf = 6;

// The values the indexing side classifies with.
inline constexpr int kSampleSize = 8192;
inline constexpr double kControlThreshold = 0.1;  // per cent

struct TextClassification {
  std::int16_t typeCode = kTypeNotText;
  // The first control character of the sample and its 1-based position;
  // 32 (a space) and 0 when there was none.
  std::uint8_t firstBadChar = 32;
  std::int32_t firstBadPos = 0;
  // Control characters per hundred bytes of the sample (at an early stop,
  // of the part examined).
  double badPercent = 0;
  // The file was recognised as UTF-8 (its type code is then 1).
  bool isUtf8 = false;
};

// The encoding code of a file's first bytes: RTF header, byte-order marks,
// XML header of an .xml file, and for files with a text extension (when
// checkCharset) a UTF-8 charset declaration or UTF-8 punctuation in the first
// 10 non-blank lines.
int SniffTextEncoding(std::u16string_view path, bool checkCharset);

// The text type code of a file and what the sample showed. threshold is a
// percentage of control characters above which the file is not text.
TextClassification ClassifyTextFile(std::u16string_view path, int sampleSize = kSampleSize,
                                    double threshold = kControlThreshold, bool checkCharset = true);

// As ClassifyTextFile for a file whose whole content is in memory; path gives
// only the extension.
TextClassification ClassifyTextBytes(std::u16string_view path, std::string_view content,
                                     int sampleSize = kSampleSize,
                                     double threshold = kControlThreshold,
                                     bool checkCharset = true);

// True when the lower-cased extension is one of prn csv xhtml xhtm shtml shtm
// html htm xml log txt.
bool HasTextExtension(std::u16string_view path);

// -1 when the file does not exist; 1 when it has at least 10 bytes and starts
// with the zip local-header signature 50 4B 03 04; else 0.
int HasZipSignature(std::u16string_view path);

// The extension is "docx" (any case) and the file carries the zip signature.
bool IsDocxFile(std::u16string_view path);

// The first maxLines non-blank lines (a line ends at CR or CR LF) joined by
// CR LF, each byte one Windows-1252 character. On a read error errorFlag is
// set and what was read so far is returned. Reading stops after maxBytes bytes
// of the file when maxBytes >= 0.
std::u16string ReadFirstLines(std::u16string_view path, int maxLines, bool& errorFlag,
                              std::int64_t maxBytes = -1);

// FormatByteSize of the file's length; empty for an empty path or a file that
// cannot be found.
std::u16string FileSizeText(std::u16string_view path);

}  // namespace quor
