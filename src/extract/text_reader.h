// The one place that turns a document file into bytes and lines.
//
// DocumentByteStream hands out a file's document bytes in large chunks: a
// leading UTF-8 byte-order mark is dropped, and a UTF-16 or UTF-32 file (type
// code 7) is transcoded to UTF-8 on the way, so that its words reach the same
// UTF-8 repair as those of any UTF-8 file. TextLineReader cuts those bytes into
// lines by the rule of the file's text type code and hands each line out as
// Windows-1252 characters (one character per byte, through AnsiChar), from a
// buffer it reuses, so reading allocates nothing per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quor {

// How the bytes of a file are laid out, as found at its start.
enum class UnicodeForm { kBytes, kUtf16Le, kUtf16Be, kUtf32Le, kUtf32Be };

struct UnicodeHead {
  UnicodeForm form = UnicodeForm::kBytes;
  // Bytes at the start that are a byte-order mark and are not document text.
  int markLength = 0;
};

// The form of a type-7 file from its first (up to four) bytes: by its
// byte-order mark (FF FE 00 00, FF FE, FE FF, 00 00 FE FF) or by the first
// character of an XML header ("<" as 3C 00 00 00, 3C 00, 00 00 00 3C, 00 3C).
// Anything else is kBytes.
UnicodeHead DetectUnicodeHead(std::string_view head);

// A file's document bytes in chunks of up to kChunkSize bytes (a transcoded
// chunk may be somewhat larger). Not copyable; one open file at a time.
class DocumentByteStream {
 public:
  static constexpr std::size_t kChunkSize = 64 * 1024;

  DocumentByteStream() = default;
  ~DocumentByteStream();
  DocumentByteStream(const DocumentByteStream&) = delete;
  DocumentByteStream& operator=(const DocumentByteStream&) = delete;

  // Opens a file for reading as a file of the given text type code. Code 7
  // looks for the UTF-16/UTF-32 form at the start of the file; every other
  // code reads bytes as they are, without a leading UTF-8 byte-order mark.
  // False, with the system's description in Error(), when the file cannot be
  // opened or measured.
  [[nodiscard]] bool Open(std::u16string_view path, int typeCode);
  // Reads bytes held in memory instead of a file; they must outlive the stream.
  void OpenMemory(std::string_view bytes, int typeCode);
  void Close();

  // The next chunk of document bytes, valid until the next call. False at the
  // end of the file and on a read error (then Failed() is true).
  bool NextChunk(std::string_view& chunk);

  // Treat the file as ending after this many raw bytes (for probes that need
  // only the start of a file). Set after Open.
  void LimitRawBytes(std::int64_t limit) { rawLimit_ = limit; }

  bool Failed() const { return failed_; }
  const std::u16string& Error() const { return error_; }
  // The length of the file in bytes as measured when it was opened.
  std::int64_t FileSize() const { return fileSize_; }
  UnicodeForm Form() const { return head_.form; }

 private:
  void Reset();
  void Prepare(int typeCode, std::string_view head);
  // Raw bytes from the file or memory: count, 0 at the end, -1 on error.
  std::int64_t ReadRaw(char* to, std::size_t capacity);
  void Transcode(std::string_view raw, bool atEnd);
  void PutCodePoint(std::uint32_t cp);

  int fd_ = -1;
  bool fromMemory_ = false;
  std::string_view memory_;
  std::int64_t memoryPos_ = 0;
  std::int64_t rawRead_ = 0;
  std::int64_t rawLimit_ = -1;
  std::int64_t fileSize_ = 0;
  UnicodeHead head_;
  bool ended_ = false;
  bool failed_ = false;
  std::u16string error_;
  std::vector<char> raw_;
  std::size_t carry_ = 0;  // undecoded bytes of an incomplete unit at raw_[0]
  std::string out_;
  std::uint32_t pendingHigh_ = 0;  // a high surrogate waiting for its pair
};

// How lines end, chosen from the text type code.
enum class LineRule {
  // Ordinary line reading: a line ends at CR or CR LF; a lone LF is text.
  kCrOrCrLf,
  // Type 2 (LF-only files): ordinary lines cut further at every LF; an
  // ordinary line that ends in LF does not give an extra empty line.
  kLf,
  // Type 7 (transcoded UTF-16/UTF-32): CR, CR LF and LF each end a line, as
  // the type code does not tell which convention such a file uses.
  kAnyLineEnd,
};

LineRule LineRuleForType(int typeCode);

class TextLineReader {
 public:
  TextLineReader();

  // Opens a file to be read by the line rule of its type code. False, with the
  // system's description in Error(), when it cannot be opened.
  [[nodiscard]] bool Open(std::u16string_view path, int typeCode);
  void OpenMemory(std::string_view bytes, int typeCode);
  void Close() { stream_.Close(); }
  // See DocumentByteStream::LimitRawBytes.
  void LimitRawBytes(std::int64_t limit) { stream_.LimitRawBytes(limit); }

  // The next line as Windows-1252 characters, valid until the next call.
  // False at the end of the file or on a read error (then Failed()).
  bool NextLine(std::u16string_view& line);
  // The same line as document bytes.
  bool NextLineBytes(std::string_view& line);
  // The document bytes in chunks, for a reader that cuts them itself (see
  // DocumentByteStream::NextChunk). Not to be mixed with line reading.
  bool NextChunk(std::string_view& chunk) { return stream_.NextChunk(chunk); }

  bool Failed() const { return stream_.Failed(); }
  const std::u16string& Error() const { return stream_.Error(); }
  // The file's length in bytes (what the indexing pass adds to its total).
  std::int64_t FileSize() const { return stream_.FileSize(); }

 private:
  void Reset(int typeCode);
  // The end of the next line; returns how the line ended (0 none, '\r', '\n').
  char FindLineEnd(std::size_t from, std::size_t& end);

  DocumentByteStream stream_;
  LineRule rule_ = LineRule::kCrOrCrLf;
  std::string_view chunk_;
  std::size_t pos_ = 0;
  // Cached positions of the next CR and LF in chunk_ (npos: none left).
  std::size_t nextCr_ = 0;
  std::size_t nextLf_ = 0;
  bool crScanned_ = false;
  bool lfScanned_ = false;
  bool atEnd_ = false;
  bool skipLf_ = false;   // the last line ended at a CR at a chunk's end
  bool afterLf_ = false;  // the last line ended at an LF (kLf rule)
  std::string pending_;   // bytes of a line that spans chunks
  std::u16string text_;
  const char16_t* ansi_;  // the 256 Windows-1252 characters
};

// The characters of Windows-1252 bytes, 256 entries (AnsiChar of each byte).
const char16_t* AnsiCharTable();

}  // namespace quor
