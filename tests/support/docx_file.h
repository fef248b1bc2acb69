// Writes a small DOCX package (only its document part) for tests.
#pragma once

#include <zip.h>

#include <filesystem>
#include <string>

namespace quor::test {

// The WordprocessingML of one paragraph per text.
inline std::string DocxParagraphs(std::initializer_list<std::string> texts) {
  std::string xml = "<w:document><w:body>";
  for (const std::string& text : texts) xml += "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
  return xml + "</w:body></w:document>";
}

// A zip package at path holding documentXml as "word/document.xml". False
// when it could not be written.
inline bool WriteDocxFile(const std::filesystem::path& path, const std::string& documentXml) {
  std::filesystem::create_directories(path.parent_path());
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  if (archive == nullptr) return false;
  zip_source_t* source = zip_source_buffer(archive, documentXml.data(), documentXml.size(), 0);
  if (source == nullptr ||
      zip_file_add(archive, "word/document.xml", source, ZIP_FL_OVERWRITE) < 0) {
    zip_source_free(source);
    zip_discard(archive);
    return false;
  }
  return zip_close(archive) == 0;
}

}  // namespace quor::test
