#include "extract/text_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "common/encoding.h"
#include "common/files.h"
#include "common/paths.h"

namespace quor {

namespace {

constexpr std::uint32_t kReplacement = 0xFFFD;
constexpr int kTypeUnicode = 7;

std::uint8_t Byte(std::string_view s, std::size_t i) {
  return static_cast<std::uint8_t>(s[i]);
}

bool StartsWith(std::string_view s, std::initializer_list<std::uint8_t> bytes) {
  if (s.size() < bytes.size()) return false;
  std::size_t i = 0;
  for (std::uint8_t b : bytes) {
    if (Byte(s, i++) != b) return false;
  }
  return true;
}

}  // namespace

const char16_t* AnsiCharTable() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = AnsiChar(static_cast<std::uint8_t>(b));
    return t;
  }();
  return table.data();
}

UnicodeHead DetectUnicodeHead(std::string_view head) {
  // Four-byte forms first: FF FE 00 00 would otherwise read as UTF-16.
  if (StartsWith(head, {0xFF, 0xFE, 0x00, 0x00})) return {UnicodeForm::kUtf32Le, 4};
  if (StartsWith(head, {0x00, 0x00, 0xFE, 0xFF})) return {UnicodeForm::kUtf32Be, 4};
  if (StartsWith(head, {0x3C, 0x00, 0x00, 0x00})) return {UnicodeForm::kUtf32Le, 0};
  if (StartsWith(head, {0x00, 0x00, 0x00, 0x3C})) return {UnicodeForm::kUtf32Be, 0};
  if (StartsWith(head, {0xEF, 0xBB, 0xBF})) return {UnicodeForm::kBytes, 3};
  if (StartsWith(head, {0xFF, 0xFE})) return {UnicodeForm::kUtf16Le, 2};
  if (StartsWith(head, {0xFE, 0xFF})) return {UnicodeForm::kUtf16Be, 2};
  if (StartsWith(head, {0x3C, 0x00})) return {UnicodeForm::kUtf16Le, 0};
  if (StartsWith(head, {0x00, 0x3C})) return {UnicodeForm::kUtf16Be, 0};
  return {};
}

// ---------------------------------------------------------------------------
// DocumentByteStream

DocumentByteStream::~DocumentByteStream() {
  Close();
}

void DocumentByteStream::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void DocumentByteStream::Reset() {
  Close();
  fromMemory_ = false;
  memory_ = {};
  memoryPos_ = 0;
  rawRead_ = 0;
  rawLimit_ = -1;
  fileSize_ = 0;
  head_ = {};
  ended_ = false;
  failed_ = false;
  error_.clear();
  carry_ = 0;
  pendingHigh_ = 0;
  out_.clear();
  if (raw_.size() != kChunkSize) raw_.resize(kChunkSize);
}

void DocumentByteStream::Prepare(int typeCode, std::string_view head) {
  head_ = DetectUnicodeHead(head);
  // Only a type-7 file is transcoded; any other file merely loses a UTF-8 mark.
  if (typeCode != kTypeUnicode && head_.form != UnicodeForm::kBytes) head_ = {};
  if (head_.form != UnicodeForm::kBytes && out_.capacity() < 2 * kChunkSize + 16) {
    out_.reserve(2 * kChunkSize + 16);
  }
}

bool DocumentByteStream::Open(std::u16string_view path, int typeCode) {
  Reset();
  const std::filesystem::path fsPath = ToFsPath(path);
  fd_ = ::open(fsPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    error_ = ErrorDescription(errno);
    failed_ = true;
    Close();
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error_ = ErrorDescription(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    failed_ = true;
    Close();
    return false;
  }
  fileSize_ = static_cast<std::int64_t>(st.st_size);
  char head[4];
  ssize_t got;
  do {
    got = ::pread(fd_, head, sizeof head, 0);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    error_ = ErrorDescription(errno);
    failed_ = true;
    Close();
    return false;
  }
  Prepare(typeCode, std::string_view(head, static_cast<std::size_t>(got)));
  if (head_.markLength > 0 && ::lseek(fd_, head_.markLength, SEEK_SET) < 0) {
    error_ = ErrorDescription(errno);
    failed_ = true;
    Close();
    return false;
  }
  rawRead_ = head_.markLength;
  return true;
}

void DocumentByteStream::OpenMemory(std::string_view bytes, int typeCode) {
  Reset();
  fromMemory_ = true;
  memory_ = bytes;
  fileSize_ = static_cast<std::int64_t>(bytes.size());
  Prepare(typeCode, bytes.substr(0, 4));
  memoryPos_ = head_.markLength;
  rawRead_ = head_.markLength;
}

std::int64_t DocumentByteStream::ReadRaw(char* to, std::size_t capacity) {
  if (rawLimit_ >= 0) {
    const std::int64_t left = std::max<std::int64_t>(0, rawLimit_ - rawRead_);
    capacity = static_cast<std::size_t>(std::min<std::int64_t>(left, capacity));
  }
  if (capacity == 0) return 0;
  if (fromMemory_) {
    const std::size_t n = std::min(capacity, memory_.size() - static_cast<std::size_t>(memoryPos_));
    std::memcpy(to, memory_.data() + memoryPos_, n);
    memoryPos_ += static_cast<std::int64_t>(n);
    rawRead_ += static_cast<std::int64_t>(n);
    return static_cast<std::int64_t>(n);
  }
  if (fd_ < 0) return 0;
  ssize_t got;
  do {
    got = ::read(fd_, to, capacity);
  } while (got < 0 && errno == EINTR);
  if (got < 0) {
    error_ = ErrorDescription(errno);
    failed_ = true;
    return -1;
  }
  rawRead_ += got;
  return got;
}

bool DocumentByteStream::NextChunk(std::string_view& chunk) {
  if (ended_ || failed_) return false;
  if (head_.form == UnicodeForm::kBytes) {
    if (fromMemory_) {
      // Bytes in memory are handed out where they lie.
      std::size_t n = std::min(kChunkSize, memory_.size() - static_cast<std::size_t>(memoryPos_));
      if (rawLimit_ >= 0) {
        n = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(n), std::max<std::int64_t>(0, rawLimit_ - rawRead_)));
      }
      if (n == 0) {
        ended_ = true;
        return false;
      }
      chunk = memory_.substr(static_cast<std::size_t>(memoryPos_), n);
      memoryPos_ += static_cast<std::int64_t>(n);
      rawRead_ += static_cast<std::int64_t>(n);
      return true;
    }
    const std::int64_t n = ReadRaw(raw_.data(), raw_.size());
    if (n <= 0) {
      ended_ = true;
      return false;
    }
    chunk = std::string_view(raw_.data(), static_cast<std::size_t>(n));
    return true;
  }
  for (;;) {
    const std::int64_t n = ReadRaw(raw_.data() + carry_, raw_.size() - carry_);
    if (n < 0) return false;
    out_.clear();
    const bool atEnd = n == 0;
    Transcode(std::string_view(raw_.data(), carry_ + static_cast<std::size_t>(n)), atEnd);
    if (atEnd) ended_ = true;
    if (!out_.empty()) {
      chunk = out_;
      return true;
    }
    if (atEnd) return false;
  }
}

void DocumentByteStream::PutCodePoint(std::uint32_t cp) {
  if (cp < 0x80) {
    out_.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out_.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out_.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out_.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out_.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

void DocumentByteStream::Transcode(std::string_view raw, bool atEnd) {
  const bool wide = head_.form == UnicodeForm::kUtf32Le || head_.form == UnicodeForm::kUtf32Be;
  const bool little = head_.form == UnicodeForm::kUtf16Le || head_.form == UnicodeForm::kUtf32Le;
  const std::size_t unit = wide ? 4 : 2;
  const std::size_t whole = raw.size() - raw.size() % unit;
  for (std::size_t i = 0; i < whole; i += unit) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < unit; ++k) {
      const std::uint32_t b = Byte(raw, i + (little ? unit - 1 - k : k));
      v = (v << 8) | b;
    }
    if (wide) {
      PutCodePoint(v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF) ? kReplacement : v);
      continue;
    }
    if (pendingHigh_ != 0) {
      const std::uint32_t high = pendingHigh_;
      pendingHigh_ = 0;
      if (v >= 0xDC00 && v <= 0xDFFF) {
        PutCodePoint(0x10000 + ((high - 0xD800) << 10) + (v - 0xDC00));
        continue;
      }
      PutCodePoint(kReplacement);  // a high surrogate without its pair
    }
    if (v >= 0xD800 && v <= 0xDBFF) {
      pendingHigh_ = v;
    } else if (v >= 0xDC00 && v <= 0xDFFF) {
      PutCodePoint(kReplacement);
    } else {
      PutCodePoint(v);
    }
  }
  const std::size_t rest = raw.size() - whole;
  if (!atEnd) {
    // An incomplete unit waits at the front of the buffer for its next bytes.
    std::memmove(raw_.data(), raw.data() + whole, rest);
    carry_ = rest;
    return;
  }
  carry_ = 0;
  if (pendingHigh_ != 0) PutCodePoint(kReplacement);
  pendingHigh_ = 0;
  if (rest > 0) PutCodePoint(kReplacement);  // the file ends inside a unit
}

// ---------------------------------------------------------------------------
// TextLineReader

LineRule LineRuleForType(int typeCode) {
  if (typeCode == 2) return LineRule::kLf;
  if (typeCode == kTypeUnicode) return LineRule::kAnyLineEnd;
  return LineRule::kCrOrCrLf;
}

TextLineReader::TextLineReader() : ansi_(AnsiCharTable()) {}

void TextLineReader::Reset(int typeCode) {
  rule_ = LineRuleForType(typeCode);
  chunk_ = {};
  pos_ = 0;
  crScanned_ = lfScanned_ = false;
  atEnd_ = false;
  skipLf_ = false;
  afterLf_ = false;
  pending_.clear();
}

bool TextLineReader::Open(std::u16string_view path, int typeCode) {
  Reset(typeCode);
  if (stream_.Open(path, typeCode)) return true;
  atEnd_ = true;
  return false;
}

void TextLineReader::OpenMemory(std::string_view bytes, int typeCode) {
  Reset(typeCode);
  stream_.OpenMemory(bytes, typeCode);
}

char TextLineReader::FindLineEnd(std::size_t from, std::size_t& end) {
  constexpr std::size_t npos = std::string_view::npos;
  const auto scan = [&](char c, std::size_t& cached, bool& scanned) {
    if (!scanned || (cached != npos && cached < from)) {
      const void* hit = std::memchr(chunk_.data() + from, c, chunk_.size() - from);
      cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - chunk_.data()) : npos;
      scanned = true;
    }
    return cached;
  };
  const std::size_t cr = scan('\r', nextCr_, crScanned_);
  const std::size_t lf = rule_ == LineRule::kCrOrCrLf ? npos : scan('\n', nextLf_, lfScanned_);
  if (cr == npos && lf == npos) return 0;
  if (cr < lf) {
    end = cr;
    return '\r';
  }
  end = lf;
  return '\n';
}

bool TextLineReader::NextLineBytes(std::string_view& line) {
  pending_.clear();
  bool spans = false;
  for (;;) {
    if (pos_ >= chunk_.size()) {
      if (atEnd_ || !stream_.NextChunk(chunk_)) {
        atEnd_ = true;
        chunk_ = {};
        pos_ = 0;
        if (stream_.Failed() || !spans || pending_.empty()) return false;
        afterLf_ = false;
        line = pending_;
        return true;
      }
      pos_ = 0;
      crScanned_ = lfScanned_ = false;
      if (skipLf_ && chunk_[0] == '\n') pos_ = 1;
      skipLf_ = false;
      continue;
    }
    std::size_t end = 0;
    const char kind = FindLineEnd(pos_, end);
    if (kind == 0) {
      pending_.append(chunk_.substr(pos_));
      spans = true;
      pos_ = chunk_.size();
      continue;
    }
    std::string_view piece = chunk_.substr(pos_, end - pos_);
    pos_ = end + 1;
    if (kind == '\r') {
      if (pos_ < chunk_.size()) {
        if (chunk_[pos_] == '\n') ++pos_;
      } else {
        skipLf_ = true;
      }
    }
    if (spans) {
      pending_.append(piece);
      piece = pending_;
    }
    // An ordinary line that ends in LF is cut at that LF and gives no extra
    // empty line before its CR.
    const bool dropped = rule_ == LineRule::kLf && kind == '\r' && afterLf_ && piece.empty();
    afterLf_ = kind == '\n';
    if (dropped) continue;
    line = piece;
    return true;
  }
}

bool TextLineReader::NextLine(std::u16string_view& line) {
  std::string_view bytes;
  if (!NextLineBytes(bytes)) return false;
  text_.resize(bytes.size());
  char16_t* out = text_.data();
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out[i] = ansi_[static_cast<std::uint8_t>(bytes[i])];
  }
  line = std::u16string_view(text_.data(), bytes.size());
  return true;
}

}  // namespace quor
