// A user building an index in the Index Module window: a project whose top
// folder "top" and output folder "out" are temporary folders, the title "My
// docs", every file size accepted and the subfolder "sub" included.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "common/files.h"
#include "frm_index_main_test_fixture.h"
#include "support/docx_file.h"
#include "support/goldens.h"
#include "windows/index_run.h"

namespace quor::test {

class IndexRunTest : public IndexMainTest {
 protected:
  frmIndexMain& OpenProject(std::u16string_view title = u"My docs") {
    frmIndexMain& f = Open();
    PickTopFolder();
    PickOutputFolder();
    TypeInto(f.txbProjectName, u"proj");
    TypeInto(f.txbTitle, title);
    f.txbMinimumFilesize.SetText(u"");
    f.txbMaximumFilesize.SetText(u"");
    if (std::filesystem::exists(tmp.Path() / "top" / "sub")) TypeInto(f.txbIncludedFolders, u"sub");
    return f;
  }

  IndexRun& Run() { return static_cast<IndexRun&>(*form->indexBuild); }

  std::filesystem::path IndexPath() const { return tmp.Path() / "out" / "proj_index.quor"; }
  std::filesystem::path DataPath() const { return tmp.Path() / "out" / "proj_data.quor"; }

  // The names in the output folder, sorted.
  std::vector<std::string> OutputFiles() const { return SortedNames(tmp.Path() / "out"); }

  // The index text, expanded from the compressed index file.
  std::string IndexText() const {
    return ExpandedIndexText(IndexPath(), tmp.Path() / "expanded.txt");
  }
  std::string DataBytes() const {
    return ReadWholeFile(Utf8ToText(DataPath().string())).value_or("<missing>");
  }

  // A DOCX package holding documentXml as its document part, stored or
  // deflated.
  std::filesystem::path WriteDocx(const std::string& relative, const std::string& documentXml,
                                  bool stored = false) {
    const std::filesystem::path path = tmp.Path() / "top" / relative;
    EXPECT_TRUE(WriteZipFile(path, {{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                                    {"word/document.xml", documentXml, !stored}}));
    return path;
  }
  static std::string Document(const std::string& body, std::size_t padTo = 0) {
    std::string xml =
        "<?xml version=\"1.0\"?><w:document><w:body><w:p><w:r><w:t>" + body + "</w:t></w:r></w:p>";
    if (xml.size() < padTo) xml.append(padTo - xml.size(), ' ');
    return xml + "</w:body></w:document>";
  }

  // The DOCX temporary folders left in the system temporary folder.
  int DocxFoldersLeft() const {
    int n = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(TextToUtf8(platform.TempFolder()))) {
      if (entry.path().filename().string().rfind("QUOR", 0) == 0) ++n;
    }
    return n;
  }
};

}  // namespace quor::test
