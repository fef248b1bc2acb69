// The Index Module's progress labels on real widgets with the real font.
#include <gtest/gtest.h>

#include <QLabel>
#include <QString>

#include "extract/program_texts.h"
#include "index/index_run_texts.h"
#include "support/temp_folder.h"
#include "ui/app_context.h"
#include "ui/qt/form_renderer.h"
#include "ui/qt/qt_platform.h"
#include "windows/frm_index_main.h"
#include "windows/frm_index_main_texts.h"

namespace quor {
namespace {

TEST(IndexModuleWindow, ProgressTextsFitTheirLabelsAtTheirLongest) {
  test::TempFolder folder;
  ui::qt::QtPlatform::Options options;
  options.appDataFolder = folder.Text() + u"appdata";
  options.programFolder = u"" QUOR_DATA_DIR;
  options.tempFolder = folder.Text();
  options.interactive = false;
  ui::qt::QtPlatform platform(options);
  ProgramTexts texts;
  ASSERT_GT(texts.Load(u"" QUOR_DATA_DIR u"/quor.dat"), 0);
  ui::AppContext app(platform, std::move(texts));
  frmIndexMain window(app);
  window.Show();

  constexpr int kBusy = index_main::kWalkBusyLabelWidth;
  constexpr int kIdle = index_main::kWalkIdleLabelWidth;
  struct Row {
    ui::Label& label;
    std::u16string text;
    int width;  // of lblNowProcessingFile; 0 for the other labels
  } rows[] = {
      {window.lblNowProcessingFile, u"Counting files to be indexed ... 32000", kBusy},
      {window.lblNowProcessingFile, u"Now processing file #32,000.", kBusy},
      {window.lblNowProcessingFile, app.GetProgramText(47) + u": 9,999,999", kBusy},
      {window.lblNowProcessingFile, u"Different words: 9,999,999", kIdle},
      {window.lblDifferentWordsFoundSoFar, u"Different words found so far: 9,999,999", 0},
      {window.lblAsterisks, AsteriskText(23 * 97, 0), 0},
      {window.lblTotalNumFiles, app.GetProgramText(45) + u": 32,000", 0},
      {window.lblTotalFileSize, u"Total file size: 1,023.99 Mb", 0},
      {window.lblTotalTextSize, u"Total text size: 1,023.99 Mb", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label.Name() + ": " + QString::fromStdU16String(row.text).toStdString());
    row.label.caption = row.text;
    if (row.width > 0) row.label.geometry.width = row.width;
    window.Refresh();
    auto* label = qobject_cast<QLabel*>(platform.Renderer().WidgetOf(row.label));
    ASSERT_NE(label, nullptr);
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
  }
  // The words label begins where the widened progress label ends.
  EXPECT_GE(window.lblDifferentWordsFoundSoFar.geometry.left,
            window.lblNowProcessingFile.geometry.left + kBusy);
}

}  // namespace
}  // namespace quor
