// Writes small zip packages (DOCX documents) for tests.
#pragma once

#include <zip.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quor::test {

struct ZipMember {
  std::string name;
  std::string bytes;
  bool deflate = true;  // false: stored as it is
};

// A zip package at path holding the members in order, its folders made first.
// False when it could not be written.
inline bool WriteZipFile(const std::filesystem::path& path, const std::vector<ZipMember>& members) {
  std::filesystem::create_directories(path.parent_path());
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return false;
  for (const ZipMember& member : members) {
    zip_source_t* source = zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
    const zip_int64_t index =
        source == nullptr ? -1
                          : zip_file_add(archive, member.name.c_str(), source, ZIP_FL_OVERWRITE);
    if (index < 0) zip_source_free(source);  // the archive took no ownership
    if (index < 0 ||
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                                 member.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE, 0) != 0) {
      zip_discard(archive);
      return false;
    }
  }
  return zip_close(archive) == 0;
}

// The WordprocessingML of one paragraph per text.
inline std::string DocxParagraphs(std::initializer_list<std::string> texts) {
  std::string xml = "<w:document><w:body>";
  for (const std::string& text : texts) xml += "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
  return xml + "</w:body></w:document>";
}

// A zip package at path holding documentXml as "word/document.xml". False
// when it could not be written.
inline bool WriteDocxFile(const std::filesystem::path& path, const std::string& documentXml) {
  return WriteZipFile(path, {{"word/document.xml", documentXml}});
}

}  // namespace quor::test
