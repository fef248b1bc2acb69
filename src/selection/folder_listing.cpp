#include "selection/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string_view>

#include "common/encoding.h"
#include "common/files.h"

namespace quor {
namespace {

// Closes the directory stream however ReadFolder leaves.
struct DirCloser {
  DIR* dir;
  ~DirCloser() {
    if (dir) ::closedir(dir);
  }
};

template <typename Item>
void SortByName(std::vector<std::pair<std::string, Item>>& items) {
  std::sort(items.begin(), items.end(), [](const auto& a, const auto& b) {
    if (a.second.name != b.second.name) return a.second.name < b.second.name;
    return a.first < b.first;  // two malformed names that decode alike
  });
}

}  // namespace

bool ReadFolder(const std::u16string& folderPath, FolderListing& listing, std::u16string& error) {
  listing.files.clear();
  listing.subfolders.clear();
  const std::string path = TextToUtf8(folderPath);
  DirCloser closer{::opendir(path.c_str())};
  if (!closer.dir) {
    error = ErrorDescription(errno);
    return false;
  }
  const int dirFd = ::dirfd(closer.dir);
  std::vector<std::pair<std::string, ListedFile>> files;
  std::vector<std::pair<std::string, ListedFolder>> folders;
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(closer.dir);
    if (!entry) {
      if (errno != 0) {
        error = ErrorDescription(errno);
        return false;
      }
      break;
    }
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    struct stat own {};
    if (::fstatat(dirFd, entry->d_name, &own, AT_SYMLINK_NOFOLLOW) != 0) continue;
    const bool isLink = S_ISLNK(own.st_mode);
    struct stat target = own;
    // A link to a file is followed; a broken link is left out like a
    // missing file.
    if (isLink && ::fstatat(dirFd, entry->d_name, &target, 0) != 0) continue;
    const bool valid = IsValidUtf8(name);
    if (S_ISREG(target.st_mode)) {
      files.push_back({std::string(name), ListedFile{Utf8ToText(name), valid, target.st_size}});
    } else if (S_ISDIR(target.st_mode) && !isLink) {
      folders.push_back({std::string(name), ListedFolder{Utf8ToText(name), valid}});
    }
  }
  SortByName(files);
  SortByName(folders);
  listing.files.reserve(files.size());
  for (auto& f : files) listing.files.push_back(std::move(f.second));
  listing.subfolders.reserve(folders.size());
  for (auto& f : folders) listing.subfolders.push_back(std::move(f.second));
  return true;
}

}  // namespace quor
