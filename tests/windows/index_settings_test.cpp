#include "windows/index_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace quor {
namespace {

IndexSettings Sample() {
  IndexSettings s;
  s.projectName = u"manuals";
  s.title = u"Manuals of the lab";
  s.excludedFilepaths = u"tmp, old";
  s.outputFolder = u"/home/ann/out/";
  s.topFolder = u"/home/ann/docs/";
  s.excludedFiles = u"a.txt\r\nsub/b.txt";
  s.includedFolders = u"sub\r\nsub/deeper";
  s.minimumFilesize = u"400";
  s.excludeTopFolderFiles = 1;
  s.includeNestedSubfolders = 0;
  return s;
}

TEST(IndexSettingsFile, WritesTheHeaderAndElevenItems) {
  EXPECT_EQ(WriteIndexSettings(Sample()),
            "\"QUOR -- Settings for Index Module\"\r\n"
            "\"manuals\",\"Manuals of the lab\",\"tmp, old\",\"/home/ann/out/\","
            "\"/home/ann/docs/\",\"a.txt\r\nsub/b.txt\",\"sub\r\nsub/deeper\",\"400\",1,0,0\r\n");
}

TEST(IndexSettingsFile, RoundTripsEveryStoredField) {
  IndexSettings read;
  std::u16string error;
  ASSERT_EQ(ReadIndexSettings(WriteIndexSettings(Sample()), read, error), SettingsReadStatus::Ok);
  EXPECT_EQ(read, Sample());
}

TEST(IndexSettingsFile, RejectsDamagedFilesAndFilesOfAnotherKind) {
  // The header of earlier versions: such files still load.
  const std::string header = "\"Vantrel File Search -- Settings for Index Module\"\r\n";
  struct Row {
    const char* name;
    std::string text;
    SettingsReadStatus status;
    std::u16string error;
  } rows[] = {
      {"empty file", "", SettingsReadStatus::NoSettingsHeader, u""},
      {"another kind of file", "notes, one line\r\n", SettingsReadStatus::NoSettingsHeader, u""},
      {"the search module's file", "\"QUOR -- Settings for Search Module\"\r\n1\r\n",
       SettingsReadStatus::NoSettingsHeader, u""},
      {"header only", header, SettingsReadStatus::Error, u"Input past end of file"},
      {"relative output folder", header + "\"p\",\"t\",\"\",\"Index\",\"/x/\"",
       SettingsReadStatus::NotASettingsFile, u""},
      {"empty output folder loads", header + "\"p\",\"t\",\"\",\"\",\"\",\"\",\"\",\"400\",0,0,0",
       SettingsReadStatus::Ok, u""},
      {"ends before the check boxes", header + "\"p\",\"t\",\"\",\"/o/\",\"/x/\",\"\",\"\",\"400\"",
       SettingsReadStatus::Error, u"Input past end of file"},
      {"no reserved item", header + "\"p\",\"t\",\"\",\"/o/\",\"/x/\",\"\",\"\",\"400\",0,0",
       SettingsReadStatus::Error, u"Input past end of file"},
      {"check box not a number",
       header + "\"p\",\"t\",\"\",\"/o/\",\"/x/\",\"\",\"\",\"400\",\"yes\",0,0",
       SettingsReadStatus::Error, u"Invalid property value"},
      {"check box out of range",
       header + "\"p\",\"t\",\"\",\"/o/\",\"/x/\",\"\",\"\",\"400\",7,0,0",
       SettingsReadStatus::Error, u"Invalid property value"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    IndexSettings read;
    std::u16string error;
    EXPECT_EQ(ReadIndexSettings(row.text, read, error), row.status);
    EXPECT_EQ(error, row.error);
  }
}

}  // namespace
}  // namespace quor
