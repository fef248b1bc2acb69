#include "selection/selection_rules.h"

#include <cmath>

#include "common/paths.h"

namespace quor {

std::u16string BuildExcludedExtensionList() {
  std::u16string list;
  for (std::u16string_view ext : kExcludedExtensions) {
    list += ext;
    list += u' ';
  }
  return list;
}

bool IsExcludedExtension(std::u16string_view list, std::u16string_view ext) {
  std::u16string needle = FoldCase(ext);
  needle += u' ';
  return FoldCase(list).find(needle) != std::u16string::npos;
}

std::int64_t SizeFieldValue(std::u16string_view text) {
  std::u16string t = Trim(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < t.size() && (t[i] == u'-' || t[i] == u'+')) {
    negative = t[i] == u'-';
    ++i;
  }
  double value = 0;
  bool anyDigit = false;
  for (; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
    value = value * 10 + (t[i] - u'0');
    anyDigit = true;
  }
  if (i < t.size() && t[i] == u'.') {
    double scale = 0.1;
    for (++i; i < t.size() && t[i] >= u'0' && t[i] <= u'9'; ++i) {
      value += (t[i] - u'0') * scale;
      scale /= 10;
      anyDigit = true;
    }
  }
  if (!anyDigit || negative) return 0;
  // Whole numbers are taken the classic way: halves go to the even neighbour.
  return static_cast<std::int64_t>(std::nearbyint(value));
}

bool SelectionRules::IsExcludedFile(std::u16string_view path) const {
  if (IsExcludedExtension(ExcludedExtensionList, GetExtension(path, true))) return true;
  if (excludeTopFolderFiles && GetFolderPart(path) == topFolder) return true;
  for (const std::u16string& entry : ExcludedFiles) {
    if (path.size() == topFolder.size() + entry.size() && path.starts_with(topFolder) &&
        path.ends_with(entry)) {
      return true;
    }
  }
  return false;
}

bool SelectionRules::ContainsExcludedFragment(std::u16string_view path) const {
  if (FilepathFragments.empty()) return false;
  const std::u16string folded = FoldCase(path);
  for (const std::u16string& fragment : FilepathFragments) {
    if (folded.find(FoldCase(fragment)) != std::u16string::npos) return true;
  }
  return false;
}

bool SelectionRules::IsSizeAccepted(std::int64_t size) const {
  if (size < MinFileSize) return false;
  if (MaxFileSizeKb <= 0) return true;
  return size <= MaxFileSizeKb * 1024;
}

std::u16string SelectionRules::RelativePath(std::u16string_view fullPath) const {
  if (fullPath.size() <= topFolder.size()) return {};
  return std::u16string(fullPath.substr(topFolder.size()));
}

bool SelectionRules::IsIncludedFolder(std::u16string_view folderPath) const {
  if (folderPath == topFolder) return !excludeTopFolderFiles;
  std::u16string_view trimmed = folderPath;
  while (!trimmed.empty() && trimmed.back() == kPathSeparator) trimmed.remove_suffix(1);
  const std::u16string rel = RelativePath(trimmed);
  if (!includeNestedSubfolders) {
    for (const std::u16string& entry : IncludedSubfolders) {
      if (rel == entry) return true;
    }
    return false;
  }
  bool under = false;
  for (const std::u16string& entry : IncludedSubfolders) {
    if (!entry.empty() && IsPathUnder(rel, entry)) {
      under = true;
      break;
    }
  }
  if (!under) return false;
  return !ContainsExcludedFragment(folderPath);
}

TextList SplitFragments(std::u16string_view text) {
  TextList fragments;
  const std::u16string trimmed = Trim(text);
  if (trimmed.empty()) return fragments;
  SplitList(trimmed, u",", fragments, true);
  return fragments;
}

bool IsRelativeEntry(std::u16string_view entry) {
  if (entry.empty()) return true;
  if (entry[0] == u'/' || entry[0] == u'\\') return false;
  return !(entry.size() >= 2 && entry[1] == u':');
}

}  // namespace quor
