#include "ui/system_services.h"

#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "common/encoding.h"

namespace quor::ui {

namespace fs = std::filesystem;

namespace {

fs::path ToPath(const std::u16string& text) {
  return fs::path(TextToUtf8(text));
}
std::u16string FromPath(const fs::path& path) {
  return Utf8ToText(path.string());
}

// Drops trailing separators, keeping a lone "/".
std::string WithoutTrailingSeparator(std::string text) {
  while (text.size() > 1 && text.back() == '/') text.pop_back();
  return text;
}

bool IsAbsolute(const char* text) {
  return text != nullptr && text[0] == '/';
}

// The path itself when it exists, else the nearest existing folder above it.
std::optional<fs::path> NearestExisting(const std::u16string& text) {
  if (text.empty()) return std::nullopt;
  fs::path path = ToPath(text);
  if (path.is_relative()) {
    std::error_code ec;
    path = fs::absolute(path, ec);
    if (ec) return std::nullopt;
  }
  for (;;) {
    std::error_code ec;
    if (fs::exists(path, ec)) return path;
    if (!path.has_relative_path()) return std::nullopt;
    fs::path parent = path.parent_path();
    if (parent == path) return std::nullopt;
    path = std::move(parent);
  }
}

std::optional<struct statvfs> StatFileSystem(const std::u16string& text) {
  const auto path = NearestExisting(text);
  if (!path) return std::nullopt;
  struct statvfs info {};
  if (::statvfs(path->c_str(), &info) != 0) return std::nullopt;
  return info;
}

}  // namespace

std::u16string AppDataFolderFrom(const char* xdgDataHome, const char* home) {
  // Relative values of the variable are invalid and ignored.
  if (IsAbsolute(xdgDataHome)) return Utf8ToText(WithoutTrailingSeparator(xdgDataHome));
  if (home == nullptr || home[0] == '\0') return {};
  return Utf8ToText(WithoutTrailingSeparator(home) + "/.local/share");
}

std::u16string DefaultAppDataFolder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] == '\0') {
    if (const passwd* entry = ::getpwuid(::getuid())) home = entry->pw_dir;
  }
  return AppDataFolderFrom(std::getenv("XDG_DATA_HOME"), home);
}

std::u16string ExecutableFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return FromPath(exe.parent_path());
}

std::u16string ProgramFolderFor(const std::u16string& exeFolder) {
  const fs::path folder(WithoutTrailingSeparator(TextToUtf8(exeFolder)));
  std::error_code ec;
  if (fs::exists(folder / "quor.dat", ec)) return exeFolder;
  const fs::path installed = (folder.parent_path() / "share" / "quor").lexically_normal();
  if (fs::exists(installed / "quor.dat", ec)) {
    return Utf8ToText(WithoutTrailingSeparator(installed.string()));
  }
  return exeFolder;
}

std::u16string DefaultProgramFolder() {
  return ProgramFolderFor(ExecutableFolder());
}

std::optional<std::int64_t> DiskFreeSpaceAt(const std::u16string& path) {
  const auto info = StatFileSystem(path);
  if (!info) return std::nullopt;
  return static_cast<std::int64_t>(info->f_bavail) * static_cast<std::int64_t>(info->f_frsize);
}

bool IsReadOnlyFileSystemAt(const std::u16string& path) {
  const auto info = StatFileSystem(path);
  return info && (info->f_flag & ST_RDONLY) != 0;
}

}  // namespace quor::ui
