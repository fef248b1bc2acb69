#include "search/work_copy.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/paths.h"
#include "indexfile/data_file.h"
#include "indexfile/index_text_reader.h"
#include "search/data_file_check.h"

namespace quor {

namespace {

constexpr char kMagic[8] = {'Q', 'U', 'O', 'R', 'W', 'C', 'P', 'Y'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint32_t kByteOrder = 0x01020304;
constexpr std::size_t kAlign = 8;

// Where a section lies: its first byte and its number of elements.
struct Section {
  std::uint64_t offset = 0;
  std::uint64_t count = 0;
};

struct Header {
  char magic[8];
  std::uint32_t version;
  std::uint32_t byteOrder;
  std::uint64_t totalSize;  // of the whole file: a copy cut short fails here
  std::uint64_t checksum;   // CopyChecksum of the whole file
  IndexFileIdentity identity;
  std::int64_t expandedLength;
  std::int32_t fileCount;
  std::int32_t wordCount;
  // In the order of the file.
  Section entries;
  Section fileStarts;
  Section title;
  Section filePaths;
  Section words;
};
static_assert(std::is_trivially_copyable_v<Header>);
static_assert(std::has_unique_object_representations_v<Header>, "no padding in the header");
static_assert(std::has_unique_object_representations_v<Lexicon::Entry>);
// Each section starts aligned for its elements where the one before ends:
// the header, the entries and the starts end at multiples of 4, the title
// at one of 2.
static_assert(sizeof(Header) % kAlign == 0 && sizeof(Lexicon::Entry) % 4 == 0);

// True when the sections lie as MakeWorkCopy lays them: one right after the
// other from the end of the header, the last ending at the end of the file.
// So every count fits the file, and a count or an offset that is off by any
// amount is noticed.
bool SectionsFill(const Header& header, std::uint64_t fileSize) {
  const std::pair<const Section&, std::uint64_t> sections[] = {
      {header.entries, sizeof(Lexicon::Entry)},
      {header.fileStarts, sizeof(std::uint32_t)},
      {header.title, sizeof(char16_t)},
      {header.filePaths, sizeof(char16_t)},
      {header.words, 1},
  };
  std::uint64_t end = sizeof(Header);
  for (const auto& [section, elementSize] : sections) {
    if (section.offset != end || section.count > (fileSize - end) / elementSize) return false;
    end += section.count * elementSize;
  }
  return end == fileSize;
}

template <typename T>
const T* SectionData(std::span<const char> bytes, const Section& section) {
  return reinterpret_cast<const T*>(bytes.data() + section.offset);
}

// Appends size bytes at data to out as count elements.
Section Append(std::string& out, const void* data, std::size_t size, std::size_t count) {
  const Section section{out.size(), count};
  out.append(static_cast<const char*>(data), size);
  return section;
}

std::uint64_t RotateLeft(std::uint64_t value, int bits) {
  return (value << bits) | (value >> (64 - bits));
}

// A 64-bit hash of bytes, 32 bytes a step in four lanes. Every step is
// one-to-one in each lane's state and in its input, so a change of any one
// 8-byte word (a flipped bit) always changes the result.
std::uint64_t Checksum(std::string_view bytes) {
  constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
  constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
  const auto step = [](std::uint64_t lane, std::uint64_t input) {
    return RotateLeft(lane + input * kPrime2, 31) * kPrime1;
  };
  const char* at = bytes.data();
  const std::size_t size = bytes.size();
  std::uint64_t lanes[4] = {kPrime1 + kPrime2, kPrime2, 0, 0 - kPrime1};
  std::size_t i = 0;
  for (; i + 32 <= size; i += 32) {
    for (int k = 0; k < 4; ++k) {
      std::uint64_t input;
      std::memcpy(&input, at + i + 8 * k, sizeof input);
      lanes[k] = step(lanes[k], input);
    }
  }
  std::uint64_t hash = RotateLeft(lanes[0], 1) + RotateLeft(lanes[1], 7) +
                       RotateLeft(lanes[2], 12) + RotateLeft(lanes[3], 18) + size;
  for (; i < size; ++i) {
    hash = RotateLeft(hash ^ (static_cast<unsigned char>(at[i]) * kPrime1), 11) * kPrime2;
  }
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  hash *= kPrime1;
  return hash ^ (hash >> 32);
}

// The first 8 bytes of the word at offset of size bytes in pool, as a
// number that orders as the bytes do (zeros past the word's end).
std::uint64_t Leading(std::string_view pool, std::size_t offset, std::size_t size) {
  std::uint64_t bytes = 0;
  if (pool.size() - offset >= sizeof bytes) {
    std::memcpy(&bytes, pool.data() + offset, sizeof bytes);
  } else {
    std::memcpy(&bytes, pool.data() + offset, pool.size() - offset);
  }
  if constexpr (std::endian::native == std::endian::little) bytes = __builtin_bswap64(bytes);
  return size >= 8 ? bytes : bytes & ~(~std::uint64_t{0} >> (8 * size));
}

// True when every entry's word lies inside pool and has a row of the data
// file (1..rows), and the words are in ascending byte order. Neighbouring
// words mostly differ within their first 8 bytes, which are compared as
// numbers; only words that share them are compared further.
bool WordsFit(std::span<const Lexicon::Entry> entries, std::string_view pool, std::int32_t rows) {
  std::uint64_t previous = 0;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Lexicon::Entry& e = entries[i];
    if (e.offset > pool.size() || e.size > pool.size() - e.offset) return false;
    if (e.row < 1 || e.row > rows) return false;
    const std::uint64_t leading = Leading(pool, e.offset, e.size);
    if (i > 0 && leading <= previous) {
      if (leading < previous) return false;
      const Lexicon::Entry& before = entries[i - 1];
      if (!(pool.substr(before.offset, before.size) < pool.substr(e.offset, e.size))) return false;
    }
    previous = leading;
  }
  return true;
}

// The checksum of a whole work copy: its header (with checksum 0) and
// everything after it.
std::uint64_t CopyChecksum(Header header, std::string_view bytes) {
  header.checksum = 0;
  const std::string_view headerBytes(reinterpret_cast<const char*>(&header), sizeof header);
  return Checksum(headerBytes) ^ RotateLeft(Checksum(bytes.substr(sizeof header)), 1);
}

// A read-only mapping of a whole file, undone with the last reference.
std::shared_ptr<const void> MapFile(std::u16string_view path, std::span<const char>& bytes) {
  const std::string name = TextToUtf8(path);
  const OwnedFd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return nullptr;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  const auto size = static_cast<std::size_t>(info.st_size);
  if (info.st_size < static_cast<off_t>(sizeof(Header))) return nullptr;
  // The whole copy is read by the checks: its pages are taken in one go.
  void* at = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd.Get(), 0);
  if (at == MAP_FAILED) return nullptr;
  bytes = {static_cast<const char*>(at), size};
  return {at, [size](void* mapped) { ::munmap(mapped, size); }};
}

}  // namespace

std::optional<IndexFileIdentity> IdentifyIndexFile(std::u16string_view path) {
  const std::string name = TextToUtf8(path);
  const OwnedFd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  IndexFileIdentity identity;
  identity.device = info.st_dev;
  identity.inode = info.st_ino;
  identity.size = info.st_size;
  identity.modifiedSeconds = info.st_mtim.tv_sec;
  identity.modifiedNanoseconds = info.st_mtim.tv_nsec;
  identity.changedSeconds = info.st_ctim.tv_sec;
  identity.changedNanoseconds = info.st_ctim.tv_nsec;
  const auto size = static_cast<std::size_t>(info.st_size);
  const std::size_t head = std::min(size, identity.head.size());
  const std::size_t tail = std::min(size, identity.tail.size());
  if (::pread(fd.Get(), identity.head.data(), head, 0) != static_cast<ssize_t>(head) ||
      ::pread(fd.Get(), identity.tail.data(), tail, static_cast<off_t>(size - tail)) !=
          static_cast<ssize_t>(tail)) {
    return std::nullopt;
  }
  return identity;
}

std::u16string WorkCopyPath(std::u16string_view dataFolder, std::u16string_view indexPath) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(ToFsPath(indexPath), ec);
  if (ec) absolute = ToFsPath(indexPath);
  const std::string full = absolute.lexically_normal().string();
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(Checksum(full)));
  std::u16string name = Utf8ToText(ToFsPath(indexPath).filename().string());
  if (name.ends_with(u".quor")) name.resize(name.size() - 5);
  return EnsureTrailingBackslash(dataFolder) + name + u"-" + Utf8ToText(hash) + u".quord";
}

std::string MakeWorkCopy(const LoadedIndex& index, const IndexFileIdentity& identity,
                         std::int64_t expandedLength) {
  Header header{};
  std::memcpy(header.magic, kMagic, sizeof kMagic);
  header.version = kVersion;
  header.byteOrder = kByteOrder;
  header.identity = identity;
  header.expandedLength = expandedLength;
  header.fileCount = index.FileCount;
  header.wordCount = index.WordCount;

  std::vector<std::uint32_t> starts{0};
  std::u16string paths;
  for (const std::u16string_view path : index.FileList) {
    paths += path;
    starts.push_back(static_cast<std::uint32_t>(paths.size()));
  }
  const std::span<const Lexicon::Entry> entries = index.Lexicon.Entries();
  const std::string_view words = index.Lexicon.Words();

  std::string out(sizeof(Header), '\0');
  header.entries = Append(out, entries.data(), entries.size_bytes(), entries.size());
  header.fileStarts = Append(out, starts.data(), starts.size() * sizeof starts[0], starts.size());
  header.title = Append(out, index.IndexTitle.data(), index.IndexTitle.size() * sizeof(char16_t),
                        index.IndexTitle.size());
  header.filePaths = Append(out, paths.data(), paths.size() * sizeof(char16_t), paths.size());
  header.words = Append(out, words.data(), words.size(), words.size());
  header.totalSize = out.size();
  header.checksum = CopyChecksum(header, out);
  std::memcpy(out.data(), &header, sizeof header);
  return out;
}

std::optional<WorkCopyView> ReadWorkCopy(std::span<const char> bytes,
                                         const IndexFileIdentity& identity) {
  if (bytes.size() < sizeof(Header) || reinterpret_cast<std::uintptr_t>(bytes.data()) % kAlign) {
    return std::nullopt;
  }
  Header header;
  std::memcpy(&header, bytes.data(), sizeof header);
  if (std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.version != kVersion ||
      header.byteOrder != kByteOrder || header.totalSize != bytes.size() ||
      !(header.identity == identity) || header.expandedLength < 0 ||
      header.expandedLength > std::numeric_limits<std::int32_t>::max() || header.fileCount < 0 ||
      header.fileCount > kMaxLoadedFiles || header.wordCount < 0 ||
      header.fileStarts.count != static_cast<std::uint64_t>(header.fileCount) + 1 ||
      header.entries.count != static_cast<std::uint64_t>(header.wordCount) ||
      !SectionsFill(header, bytes.size()) ||
      header.checksum != CopyChecksum(header, {bytes.data(), bytes.size()})) {
    return std::nullopt;
  }
  const auto* title = SectionData<char16_t>(bytes, header.title);
  const auto* starts = SectionData<std::uint32_t>(bytes, header.fileStarts);
  const auto* paths = SectionData<char16_t>(bytes, header.filePaths);
  const auto* entries = SectionData<Lexicon::Entry>(bytes, header.entries);
  const auto* words = SectionData<char>(bytes, header.words);

  // The paths: offsets that start at 0, never go back and end at the end.
  if (starts[0] != 0 || starts[header.fileCount] != header.filePaths.count) return std::nullopt;
  for (std::int32_t k = 0; k < header.fileCount; ++k) {
    if (starts[k] > starts[k + 1]) return std::nullopt;
  }
  const std::string_view wordBytes(words, header.words.count);
  const std::span<const Lexicon::Entry> lexicon(entries, header.entries.count);
  if (!WordsFit(lexicon, wordBytes, header.wordCount)) return std::nullopt;

  WorkCopyView view;
  view.expandedLength = header.expandedLength;
  view.fileCount = header.fileCount;
  view.wordCount = header.wordCount;
  view.title = {title, header.title.count};
  view.fileStarts = {starts, header.fileStarts.count};
  view.filePaths = {paths, header.filePaths.count};
  view.lexicon = Lexicon::Viewing(lexicon, wordBytes);
  return view;
}

void ResealWorkCopy(std::span<char> bytes) {
  if (bytes.size() < sizeof(Header)) return;
  Header header;
  std::memcpy(&header, bytes.data(), sizeof header);
  header.checksum = CopyChecksum(header, {bytes.data(), bytes.size()});
  std::memcpy(bytes.data(), &header, sizeof header);
}

void FillFromWorkCopy(WorkCopyView copy, LoadedIndex& index) {
  index.IndexTitle = copy.title;
  index.FileCount = copy.fileCount;
  index.WordCount = copy.wordCount;
  index.FileList.clear();
  index.FileList.reserve(static_cast<std::size_t>(copy.fileCount));
  for (std::size_t k = 0; k + 1 < copy.fileStarts.size(); ++k) {
    index.FileList.push_back(
        copy.filePaths.substr(copy.fileStarts[k], copy.fileStarts[k + 1] - copy.fileStarts[k]));
  }
  index.Lexicon = std::move(copy.lexicon);
}

bool LoadWorkCopy(std::u16string_view path, const IndexFileIdentity& identity, LoadedIndex& index) {
  std::span<const char> bytes;
  std::shared_ptr<const void> mapping = MapFile(path, bytes);
  if (!mapping) return false;
  std::optional<WorkCopyView> copy = ReadWorkCopy(bytes, identity);
  if (!copy) return false;
  if (!DataFileIsCurrent(ReadLengthStamp(index.DataFilePath), copy->expandedLength, copy->fileCount,
                         copy->wordCount)) {
    return false;
  }
  FillFromWorkCopy(std::move(*copy), index);
  index.Texts.Clear();
  index.Backing = std::move(mapping);
  return true;
}

bool WriteWorkCopy(std::u16string_view path, const LoadedIndex& index,
                   const IndexFileIdentity& identity, std::int64_t expandedLength) {
  const std::string bytes = MakeWorkCopy(index, identity, expandedLength);
  // A copy that a load would refuse is not written: it would be refused and
  // written again at every load.
  if (!ReadWorkCopy(bytes, identity)) return false;
  std::string temporary = TextToUtf8(path) + ".XXXXXX";
  OwnedFd fd(::mkostemp(temporary.data(), O_CLOEXEC));
  if (!fd.Valid()) return false;
  if (WriteAllToFd(fd.Get(), bytes.data(), bytes.size()) != 0 || fd.Close() != 0 ||
      ::rename(temporary.c_str(), TextToUtf8(path).c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace quor
