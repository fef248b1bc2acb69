// The subfolder window on the screen: several hundred check boxes created at
// run time in a scrolling area, reached with the scroll bar and the wheel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <string>

#include "common/encoding.h"
#include "support/temp_folder.h"
#include "ui/app_context.h"
#include "ui/qt/qt_platform.h"
#include "windows/frm_index_main.h"
#include "windows/frm_select_subfolders.h"

namespace quor::ui::qt {
namespace {

// True when the widget lies wholly inside the visible part of area.
bool ShownInside(QWidget& widget, QWidget& area) {
  const QRect rect(widget.mapTo(&area, QPoint(0, 0)), widget.size());
  return widget.isVisibleTo(&area) && area.rect().contains(rect);
}

TEST(SelectSubfoldersWindowTest, ThreeHundredSubfoldersScrollToTheLastBox) {
  test::TempFolder tmp;
  for (int i = 0; i < 300; ++i) {
    const std::string number = std::to_string(1000 + i).substr(1);
    tmp.Write("top/folder " + number + "/a.txt", "some text");
  }
  QtPlatform::Options options;
  options.doEventsInterval = std::chrono::milliseconds(0);
  options.appDataFolder = tmp.Text() + u"appdata";
  options.programFolder = tmp.Text();
  options.tempFolder = tmp.Text();
  options.interactive = false;
  QtPlatform platform(options);
  frmSelectSubfolders window(platform);
  window.TopFolder = tmp.Text() + u"top/";
  window.geometry = {1500, 1500, 8000, 6000};

  bool checked = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (window.chkSubfolder.size() < 300 || checked) return;
    checked = true;
    FormRenderer& renderer = platform.Renderer();
    QWidget* area = renderer.WidgetOf(window.picSubfolders);
    auto* bar = qobject_cast<QScrollBar*>(renderer.WidgetOf(window.vsbScrollBar));
    auto* last = qobject_cast<QCheckBox*>(renderer.WidgetOf(*window.chkSubfolder.back()));
    auto* first = qobject_cast<QCheckBox*>(renderer.WidgetOf(*window.chkSubfolder.front()));
    ASSERT_TRUE(area && bar && last && first);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_TRUE(ShownInside(*first, *area));
    EXPECT_FALSE(ShownInside(*last, *area));

    bar->setValue(bar->maximum());
    EXPECT_EQ(window.vsbScrollBar.Value(), window.vsbScrollBar.max);
    EXPECT_TRUE(ShownInside(*last, *area));
    EXPECT_EQ(last->text().toStdString(), "folder 299   (1 file and no subfolders, 9 bytes)");
    last->click();
    EXPECT_EQ(window.chkSubfolder.back()->Value(), 1);

    // One notch of the wheel over a box scrolls the list back up.
    const QPointF at(5, 5);
    QWheelEvent wheel(at, last->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(last, &wheel);
    EXPECT_LT(window.vsbScrollBar.Value(), window.vsbScrollBar.max);
    EXPECT_EQ(bar->value(), window.vsbScrollBar.Value());

    qobject_cast<QPushButton*>(renderer.WidgetOf(window.cmdAccept))->click();
  });
  user.start(10);
  // Nothing may keep the test waiting for ever.
  QTimer::singleShot(60000, [&] { window.Hide(); });
  window.Show(true);
  EXPECT_TRUE(checked);
  EXPECT_TRUE(window.Accepted);
  EXPECT_EQ(window.Result, u"folder 299");
}

// "Include subfolders" on the Index Module's widgets: the window opens over
// it, and what is ticked there comes back when Accept is clicked.
TEST(SelectSubfoldersWindowTest, IncludeSubfoldersButtonOpensTheWindowAndTakesItsResult) {
  test::TempFolder tmp;
  tmp.Write("top/docs/a.txt", "text");
  tmp.Write("top/notes/b.txt", "text");
  QtPlatform::Options options;
  options.doEventsInterval = std::chrono::milliseconds(0);
  options.appDataFolder = tmp.Text() + u"appdata";
  options.programFolder = u"" QUOR_DATA_DIR;
  options.tempFolder = tmp.Text();
  options.interactive = false;
  QtPlatform platform(options);
  ProgramTexts texts;
  ASSERT_GT(texts.Load(options.programFolder + u"/quor.dat"), 0);
  AppContext app(platform, std::move(texts));
  frmIndexMain index(app);
  index.Show();
  index.SetTopFolder(tmp.Text() + u"top");
  FormRenderer& renderer = platform.Renderer();
  renderer.SyncAll();

  bool seen = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    auto* window = qobject_cast<QWidget*>(QApplication::activeModalWidget());
    if (seen || !window || window->objectName() != "frmSelectSubfolders") return;
    auto* box = window->findChild<QCheckBox*>("chkSubfolder(1)");
    if (!box) return;
    seen = true;
    EXPECT_EQ(window->parentWidget(), renderer.WindowOf(index));
    box->click();
    window->findChild<QPushButton*>("cmdAccept")->click();
  });
  user.start(10);
  QTimer::singleShot(60000, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) modal->hide();
  });
  qobject_cast<QPushButton*>(renderer.WidgetOf(index.cmdSelectSubfolders))->click();
  EXPECT_TRUE(seen);
  EXPECT_EQ(index.txbIncludedFolders.Text(), u"notes");
  EXPECT_EQ(index.IncludedSubfolders, (TextList{u"notes"}));
}

}  // namespace
}  // namespace quor::ui::qt
