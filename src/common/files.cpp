#include "common/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "common/encoding.h"
#include "common/fd_io.h"
#include "common/paths.h"

namespace quor {

namespace {

// The two strerror_r variants: the GNU one returns the text, the POSIX one
// fills the buffer and returns a status.
[[maybe_unused]] const char* PickMessage(const char* text, const char*) {
  return text;
}
[[maybe_unused]] const char* PickMessage(int status, const char* buffer) {
  return status == 0 ? buffer : nullptr;
}

bool StatPath(std::u16string_view path, struct stat& info) {
  if (path.empty()) return false;
  return ::stat(ToFsPath(path).c_str(), &info) == 0;
}

void SetError(std::u16string* error, int errnoValue) {
  if (error) *error = ErrorDescription(errnoValue);
}

}  // namespace

bool FileExists(std::u16string_view path) {
  struct stat info {};
  return StatPath(path, info) && S_ISREG(info.st_mode);
}

bool FolderExists(std::u16string_view path) {
  struct stat info {};
  return StatPath(path, info) && S_ISDIR(info.st_mode);
}

bool DeleteFileForced(std::u16string_view path, bool /*clearHidden*/, bool clearReadOnly,
                      bool /*clearSystem*/) {
  if (path.empty()) return true;
  const std::filesystem::path fsPath = ToFsPath(path);
  struct stat info {};
  if (::lstat(fsPath.c_str(), &info) != 0) return errno == ENOENT;
  if (S_ISDIR(info.st_mode)) return false;
  if (clearReadOnly && S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0) {
    // Attribute errors are ignored: only the deletion itself decides.
    (void)::chmod(fsPath.c_str(), (info.st_mode & 07777) | S_IWUSR);
  }
  return ::unlink(fsPath.c_str()) == 0 || errno == ENOENT;
}

std::optional<std::int64_t> FileLength(std::u16string_view path) {
  struct stat info {};
  if (!StatPath(path, info) || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::int64_t>(info.st_size);
}

std::optional<std::string> ReadWholeFile(std::u16string_view path, std::u16string* error) {
  OwnedFd file(::open(ToFsPath(path).c_str(), O_RDONLY | O_CLOEXEC));
  if (file.Get() < 0) {
    SetError(error, errno);
    return std::nullopt;
  }
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) {
    SetError(error, errno);
    return std::nullopt;
  }
  if (S_ISDIR(info.st_mode)) {
    SetError(error, EISDIR);
    return std::nullopt;
  }
  std::string bytes;
  if (info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  while (true) {
    const ssize_t got = ::read(file.Get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      SetError(error, errno);
      return std::nullopt;
    }
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  return bytes;
}

bool WriteWholeFile(std::u16string_view path, std::string_view bytes, std::u16string* error) {
  OwnedFd file(::open(ToFsPath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (file.Get() < 0) {
    SetError(error, errno);
    return false;
  }
  int failure = WriteAllToFd(file.Get(), bytes.data(), bytes.size());
  // Closing now sees a late write error (a full disk on a network file system).
  const int closeFailure = file.Close();
  if (failure == 0) failure = closeFailure;
  if (failure != 0) {
    SetError(error, failure);
    return false;
  }
  return true;
}

std::u16string ErrorDescription(int errnoValue) {
  char buffer[256] = {};
  const char* text = PickMessage(::strerror_r(errnoValue, buffer, sizeof buffer), buffer);
  if (text == nullptr || *text == '\0')
    return u"Unknown error " + Utf8ToText(std::to_string(errnoValue));
  return Utf8ToText(text);
}

std::u16string SystemTempFolderFrom(const char* tmpDir) {
  if (tmpDir == nullptr || tmpDir[0] == '\0') return u"/tmp";
  std::u16string folder = Utf8ToText(tmpDir);
  // A TMPDIR that names no folder (removed, mistyped) would make every
  // temporary file fail; the system's folder serves instead.
  if (!FolderExists(folder)) return u"/tmp";
  while (folder.size() > 1 && folder.back() == kPathSeparator) folder.pop_back();
  return folder;
}

std::u16string SystemTempFolder() {
  return SystemTempFolderFrom(std::getenv("TMPDIR"));
}

std::u16string ProgramDataFolder(std::u16string_view appDataFolder,
                                 std::u16string_view folderName) {
  const std::u16string base =
      appDataFolder.empty() ? SystemTempFolder() : std::u16string(appDataFolder);
  const std::u16string folder =
      EnsureTrailingBackslash(base) + std::u16string(folderName.empty() ? u"QUOR" : folderName);
  std::error_code ec;
  std::filesystem::create_directories(ToFsPath(folder), ec);
  return folder;
}

}  // namespace quor
