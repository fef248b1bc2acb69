// Classification of a candidate file for the walk (IsIndexableFile).
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/encoding.h"
#include "common/files.h"
#include "extract/classify.h"
#include "selection/folder_walk.h"

namespace quor {

int ClassifyForIndexing(const std::u16string& fullPath, std::u16string& error) {
  error.clear();
  if (IsDocxFile(fullPath)) return kTypeCrLf;
  const int code = ClassifyTextFile(fullPath, kSampleSize, kControlThreshold).typeCode;
  if (code != kTypeMissing) return code;
  // The walk found the file, so "missing" means it could not be opened: that
  // is an error the user must see, with the system's own description.
  const int fd = ::open(TextToUtf8(fullPath).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return code;
  }
  if (errno != ENOENT) error = ErrorDescription(errno);
  return code;
}

}  // namespace quor
