#include "extract/classify.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <functional>

#include "common/files.h"
#include "common/paths.h"
#include "extract/text_reader.h"

namespace quor {

namespace {

// The charset test reads the first 10 non-blank lines; a file without line
// ends would otherwise be read whole, so the probe stops after this much.
constexpr std::int64_t kCharsetProbeBytes = 1024 * 1024;
constexpr int kCharsetProbeLines = 10;
constexpr int kHeaderBytes = 5;

std::uint8_t Byte(std::string_view s, std::size_t i) {
  return static_cast<std::uint8_t>(s[i]);
}

// A file's length and its first bytes, read with one open.
struct FileHead {
  bool found = false;
  std::int64_t length = 0;
  std::string bytes;
};

FileHead ReadFileHead(std::u16string_view path, std::size_t maxBytes) {
  FileHead head;
  const std::filesystem::path fsPath = ToFsPath(path);
  // Non-blocking, so that a named pipe met by the walk cannot hang it.
  const int fd = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return head;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return head;
  }
  head.found = true;
  head.length = static_cast<std::int64_t>(st.st_size);
  head.bytes.resize(static_cast<std::size_t>(std::min<std::int64_t>(head.length, maxBytes)));
  std::size_t got = 0;
  while (got < head.bytes.size()) {
    const ssize_t n =
        ::pread(fd, head.bytes.data() + got, head.bytes.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  head.bytes.resize(got);
  ::close(fd);
  return head;
}

std::u16string FirstLinesOf(TextLineReader& reader, int maxLines) {
  std::u16string result;
  if (maxLines <= 0) return result;
  int count = 0;
  std::u16string_view line;
  while (reader.NextLine(line)) {
    if (line.empty()) continue;
    if (count > 0) result += u"\r\n";
    result += line;
    if (++count == maxLines) break;
  }
  return result;
}

// Steps of the sniffer that need only the first five bytes.
int SniffHeader(std::string_view head, std::int64_t length, bool isXml) {
  if (length == 0) return kTypeEmptyFile;
  if (length < kHeaderBytes || head.size() < kHeaderBytes) return kTypeTooShort;
  if (head.substr(0, kHeaderBytes) == "{\\rtf") return kEncodingRtf;
  const std::uint8_t b0 = Byte(head, 0), b1 = Byte(head, 1), b2 = Byte(head, 2), b3 = Byte(head, 3);
  if (b0 == 0xFF && b1 == 0xFE) return kEncodingUtf16Le;
  if (b0 == 0xFE && b1 == 0xFF) return kEncodingUtf16Be;
  if (b0 == 0xEF && b1 == 0xBB && b2 == 0xBF) return kEncodingUtf8;
  if (b0 == 0x00 && b1 == 0x00 && b2 == 0xFE && b3 == 0xFF) return kEncodingUtf32Be;
  if (!isXml) return kEncodingAnsi;
  if (b0 == 0x3C && b1 != 0) return kEncodingUtf8;
  if (b0 == 0x3C && b1 == 0) return kEncodingUtf16Le;
  if (b0 == 0 && b1 == 0x3C) return kEncodingUtf16Be;
  return kEncodingAnsi;
}

// A UTF-8 charset declaration, or the first two bytes of UTF-8 punctuation
// (E2 80) read as Windows-1252 characters.
bool ShowsUtf8(std::u16string_view firstLines) {
  return firstLines.find(u"charset=UTF-8") != std::u16string_view::npos ||
         firstLines.find(u"charset=\"UTF-8\"") != std::u16string_view::npos ||
         firstLines.find(u"\u00E2\u20AC") != std::u16string_view::npos;
}

// The sniffer, given the first bytes and a way to read the first lines
// (nullopt-like: false when the read failed).
using FirstLinesReader = std::function<bool(std::u16string&)>;

int Sniff(std::u16string_view path, std::string_view head, std::int64_t length, bool checkCharset,
          const FirstLinesReader& readFirstLines) {
  const int code = SniffHeader(head, length, GetExtension(path, true) == u"xml");
  if (code != kEncodingAnsi || !checkCharset || !HasTextExtension(path)) return code;
  std::u16string lines;
  if (!readFirstLines(lines)) return code;
  return ShowsUtf8(lines) ? kEncodingUtf8 : code;
}

// Counts the control characters of the sample and reads its line ends.
void SampleText(std::string_view sample, int sampleSize, double threshold,
                TextClassification& result) {
  const double earlyFrom = sampleSize / 5.0;
  const double earlyLimit = threshold * 10;
  std::int64_t count = 0;
  bool sawCr = false, sawLf = false;
  const std::size_t n = sample.size();
  for (std::size_t i = 1; i <= n; ++i) {
    const std::uint8_t c = Byte(sample, i - 1);
    if (c == '\n') {
      sawLf = true;
    } else if (c == '\r') {
      sawCr = true;
    } else if (c < 32 && c != '\t' && c != '\f' && c != '\b') {
      if (count == 0) {
        result.firstBadChar = c;
        result.firstBadPos = static_cast<std::int32_t>(i);
      }
      ++count;
    }
    if (count > 0 && static_cast<double>(i) > earlyFrom) {
      const double running = static_cast<double>(count) * 100.0 / static_cast<double>(i);
      if (running > earlyLimit) {
        result.badPercent = running;
        result.typeCode = kTypeNotText;
        return;
      }
    }
  }
  result.badPercent =
      count == 0 ? 0.0 : static_cast<double>(count) * 100.0 / static_cast<double>(n);
  if (result.badPercent > threshold) {
    result.typeCode = kTypeNotText;
  } else if (sawCr && sawLf) {
    result.typeCode = kTypeCrLf;
  } else if (sawCr) {
    result.typeCode = kTypeCr;
  } else if (sawLf) {
    result.typeCode = kTypeLf;
  } else {
    result.typeCode = kTypeCrLf;
  }
}

TextClassification Classify(std::u16string_view path, std::string_view head, std::int64_t length,
                            int sampleSize, double threshold, bool checkCharset,
                            const FirstLinesReader& readFirstLines) {
  TextClassification result;
  const int code = Sniff(path, head, length, checkCharset, readFirstLines);
  if (code < 0 || code == kEncodingRtf) {
    result.typeCode = static_cast<std::int16_t>(code);
    return result;
  }
  if (code == kEncodingUtf8) {
    result.isUtf8 = true;
    result.typeCode = kTypeCrLf;
    return result;
  }
  if (code != kEncodingAnsi) {
    result.typeCode = kTypeUnicode;
    return result;
  }
  const std::size_t n = static_cast<std::size_t>(std::clamp<std::int64_t>(
      std::min<std::int64_t>(length, sampleSize), 0, static_cast<std::int64_t>(head.size())));
  SampleText(head.substr(0, n), sampleSize, threshold, result);
  return result;
}

}  // namespace

int SniffTextEncoding(std::u16string_view path, bool checkCharset) {
  if (path.empty()) return kTypeEmptyPath;
  const FileHead head = ReadFileHead(path, kHeaderBytes);
  if (!head.found) return kTypeMissing;
  return Sniff(path, head.bytes, head.length, checkCharset, [&](std::u16string& lines) {
    bool failed = false;
    lines = ReadFirstLines(path, kCharsetProbeLines, failed, kCharsetProbeBytes);
    return !failed;
  });
}

TextClassification ClassifyTextFile(std::u16string_view path, int sampleSize, double threshold,
                                    bool checkCharset) {
  TextClassification result;
  if (path.empty()) {
    result.typeCode = kTypeEmptyPath;
    return result;
  }
  // One read serves both the header tests and the sample.
  const FileHead head =
      ReadFileHead(path, static_cast<std::size_t>(std::max(sampleSize, kHeaderBytes)));
  if (!head.found) {
    result.typeCode = kTypeMissing;
    return result;
  }
  return Classify(path, head.bytes, head.length, sampleSize, threshold, checkCharset,
                  [&](std::u16string& lines) {
                    bool failed = false;
                    lines = ReadFirstLines(path, kCharsetProbeLines, failed, kCharsetProbeBytes);
                    return !failed;
                  });
}

TextClassification ClassifyTextBytes(std::u16string_view path, std::string_view content,
                                     int sampleSize, double threshold, bool checkCharset) {
  TextClassification result;
  if (path.empty()) {
    result.typeCode = kTypeEmptyPath;
    return result;
  }
  const std::size_t headSize = static_cast<std::size_t>(std::max(sampleSize, kHeaderBytes));
  return Classify(path, content.substr(0, headSize), static_cast<std::int64_t>(content.size()),
                  sampleSize, threshold, checkCharset, [&](std::u16string& lines) {
                    TextLineReader reader;
                    reader.OpenMemory(content, kTypeCrLf);
                    reader.LimitRawBytes(kCharsetProbeBytes);
                    lines = FirstLinesOf(reader, kCharsetProbeLines);
                    return true;
                  });
}

bool HasTextExtension(std::u16string_view path) {
  static constexpr std::array<std::u16string_view, 11> kTextExtensions = {
      u"prn",  u"csv", u"xhtml", u"xhtm", u"shtml", u"shtm",
      u"html", u"htm", u"xml",   u"log",  u"txt"};
  const std::u16string extension = GetExtension(path, true);
  return std::find(kTextExtensions.begin(), kTextExtensions.end(), extension) !=
         kTextExtensions.end();
}

int HasZipSignature(std::u16string_view path) {
  if (path.empty()) return -1;
  const FileHead head = ReadFileHead(path, 16);
  if (!head.found) return -1;
  if (head.length < 10 || head.bytes.size() < 4) return 0;
  const std::string_view b = head.bytes;
  return b.substr(0, 4) == std::string_view("PK\x03\x04", 4) ? 1 : 0;
}

bool IsDocxFile(std::u16string_view path) {
  return GetExtension(path, true) == u"docx" && HasZipSignature(path) == 1;
}

std::u16string ReadFirstLines(std::u16string_view path, int maxLines, bool& errorFlag,
                              std::int64_t maxBytes) {
  errorFlag = false;
  TextLineReader reader;
  if (!reader.Open(path, kTypeCrLf)) {
    errorFlag = true;
    return {};
  }
  if (maxBytes >= 0) reader.LimitRawBytes(maxBytes);
  std::u16string result = FirstLinesOf(reader, maxLines);
  if (reader.Failed()) errorFlag = true;
  return result;
}

std::u16string FileSizeText(std::u16string_view path) {
  if (path.empty() || !FileExists(path)) return {};
  const std::optional<std::int64_t> length = FileLength(path);
  if (!length) return {};
  return FormatByteSize(*length);
}

}  // namespace quor
