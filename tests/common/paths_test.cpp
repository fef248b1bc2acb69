#include "common/paths.h"

#include <gtest/gtest.h>

#include <string>

#include "common/encoding.h"

namespace quor {
namespace {

TEST(PathParts, ExtensionNameAndFolderComeFromTheNamePart) {
  struct Row {
    std::u16string path;
    std::u16string extension;
    std::u16string lowerExtension;
    std::u16string name;
    std::u16string folder;
  };
  const Row rows[] = {
      {u"/docs/a.TXT", u"TXT", u"txt", u"a.TXT", u"/docs/"},
      {u"/docs.old/readme", u"", u"", u"readme", u"/docs.old/"},
      {u"/v1.2/notes.tar.GZ", u"GZ", u"gz", u"notes.tar.GZ", u"/v1.2/"},
      {u"/docs/.profile", u"profile", u"profile", u".profile", u"/docs/"},
      {u"/docs/name.", u"", u"", u"name.", u"/docs/"},
      {u"/docs/ÉTÉ.HTM", u"HTM", u"htm", u"ÉTÉ.HTM", u"/docs/"},
      {u"/docs/x.ÉTÉ", u"ÉTÉ", u"été", u"x.ÉTÉ", u"/docs/"},
      {u"plain.doc", u"doc", u"doc", u"plain.doc", u""},
      {u"/docs/", u"", u"", u"", u"/docs/"},
      {u"", u"", u"", u"", u""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.path));
    EXPECT_EQ(GetExtension(row.path, false), row.extension);
    EXPECT_EQ(GetExtension(row.path, true), row.lowerExtension);
    EXPECT_EQ(GetFileName(row.path), row.name);
    EXPECT_EQ(GetFolderPart(row.path), row.folder);
  }
  EXPECT_EQ(GetFileName(u"/Docs/ÉTÉ.HTM", true), u"été.htm");
}

TEST(EnsureTrailingBackslash, LeavesExactlyOneSeparator) {
  struct Row {
    std::u16string in;
    std::u16string out;
  };
  const Row rows[] = {
      {u"", u""},
      {u"/home/u", u"/home/u/"},
      {u"/home/u/", u"/home/u/"},
      {u"docs//", u"docs/"},
      {u"/", u"/"},
      {u"///", u"/"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.in));
    EXPECT_EQ(EnsureTrailingBackslash(row.in), row.out);
  }
}

TEST(IsPathUnder, ComparesWholeFolderNames) {
  struct Row {
    std::u16string a;
    std::u16string b;
    bool under;
  };
  const Row rows[] = {
      {u"docs", u"docs", true},        {u"docs/", u"docs", true},
      {u"docs/old", u"docs", true},    {u"docs/old/x", u"docs/", true},
      {u"docs2", u"docs", false},      {u"doc", u"docs", false},
      {u"Docs/old", u"docs", false},   {u"docs//", u"docs/", true},
      {u"other/docs", u"docs", false}, {u"docs", u"", true},
      {u"", u"docs", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.a) + " under " + TextToUtf8(row.b));
    EXPECT_EQ(IsPathUnder(row.a, row.b), row.under);
  }
}

TEST(FileNames, RejectSeparatorQuoteControlCharactersAndBytesThatAreNotUtf8) {
  struct Row {
    std::u16string name;
    bool valid;
  };
  const Row rows[] = {
      {u"report 2024.txt", true}, {u"a, b.txt", true},       {u"a:b*c?.txt", true},
      {u"<x>|y.txt", true},       {u"été.txt", true},        {u"a/b.txt", false},
      {u"say \"hi\".txt", false}, {u"line\r\nbreak", false}, {u"tab\there", false},
      {u"del\x7F", false},        {u"caf\xDCE9.txt", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(TextToUtf8(row.name));
    EXPECT_EQ(IsValidFileName(row.name), row.valid);
  }
  EXPECT_TRUE(IsAbsolutePath(u"/home"));
  EXPECT_FALSE(IsAbsolutePath(u"home/u"));
  EXPECT_FALSE(IsAbsolutePath(u""));
}

TEST(FsPath, NamesTravelAsUtf8Bytes) {
  const std::u16string text = u"/tmp/été/\U0001F600.txt";
  const std::filesystem::path path = ToFsPath(text);
  EXPECT_EQ(path.native(), "/tmp/\xC3\xA9t\xC3\xA9/\xF0\x9F\x98\x80.txt");
  EXPECT_EQ(FromFsPath(path), text);
  // A name that is not UTF-8 comes back as the same bytes.
  EXPECT_EQ(FromFsPath(std::filesystem::path("/tmp/caf\xE9")), u"/tmp/caf\xDCE9");
  EXPECT_EQ(ToFsPath(FromFsPath(std::filesystem::path("/tmp/caf\xE9"))).native(), "/tmp/caf\xE9");
}

}  // namespace
}  // namespace quor
