#include "ui/qt/form_renderer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTimer>
#include <memory>

#include "support/temp_folder.h"
#include "ui/controls.h"
#include "ui/form.h"
#include "ui/qt/qt_convert.h"
#include "ui/qt/qt_platform.h"

namespace quor::ui::qt {
namespace {

class SampleForm : public Form {
 public:
  explicit SampleForm(Platform& platform) : Form(platform, "frmSample") {
    geometry = {1500, 1500, 6000 + kFrameWidthTwips, 4500 + kFrameHeightTwips};
    lblTitle.caption = u"Title";
    lblTitle.geometry = {150, 150, 3000, 300};
    txbName.geometry = {150, 600, 3000, 300};
    txbLog.geometry = {150, 1050, 3000, 1500};
    txbLog.multiLine = true;
    cmdStart.caption = u"Start";
    cmdStart.geometry = {3300, 150, 1500, 450};
    cmdPause.caption = u"Pause";
    cmdPause.geometry = {3300, 750, 1500, 450};
    chkNested.caption = u"Nested";
    chkNested.geometry = {3300, 1350, 1500, 300};
    cboType.geometry = {3300, 1800, 1500, 300};
    fraOptions.caption = u"Type";
    fraOptions.geometry = {150, 2700, 4500, 1500};
    optAny.container = &fraOptions;
    optAny.caption = u"Any";
    optAny.geometry = {150, 300, 1500, 300};
    optAll.container = &fraOptions;
    optAll.caption = u"All";
    optAll.geometry = {150, 750, 1500, 300};
    tmrTick.interval = 250;
    tmrTick.enabled = false;
    txbName.KeyPress = [](char16_t& ch) {
      if (ch == u' ') ch = u'_';
      if (ch == u'*') ch = 0;
    };
    txbName.Change = [this] { ++changes; };
    cmdStart.Click = [this] { ++startClicks; };
    cmdPause.Click = [this] { ++pauseClicks; };
    chkNested.Click = [this] { ++checkClicks; };
    cboType.Click = [this] { ++comboClicks; };
  }

  bool Form_QueryUnload() override { return refuseClose; }
  void Form_Unload() override { ++unloads; }

  Label lblTitle{*this, "lblTitle"};
  TextBox txbName{*this, "txbName"};
  TextBox txbLog{*this, "txbLog"};
  CommandButton cmdStart{*this, "cmdStart"};
  CommandButton cmdPause{*this, "cmdPause"};
  CheckBox chkNested{*this, "chkNested"};
  ComboBox cboType{*this, "cboType"};
  Frame fraOptions{*this, "fraOptions"};
  OptionButton optAny{*this, "optAny"};
  OptionButton optAll{*this, "optAll"};
  Timer tmrTick{*this, "tmrTick"};

  int changes = 0;
  int startClicks = 0;
  int pauseClicks = 0;
  int checkClicks = 0;
  int comboClicks = 0;
  int unloads = 0;
  bool refuseClose = false;
};

class RendererTest : public ::testing::Test {
 protected:
  RendererTest() : platform(Options()), form(platform) {}

  QtPlatform::Options Options() {
    QtPlatform::Options options;
    options.doEventsInterval = std::chrono::milliseconds(0);
    options.appDataFolder = folder.Text() + u"appdata";
    options.programFolder = folder.Text();
    options.tempFolder = folder.Text();
    return options;
  }

  template <typename T>
  T* Widget(const Control& control) {
    return qobject_cast<T*>(platform.Renderer().WidgetOf(control));
  }

  void Type(QWidget* widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &release);
  }

  test::TempFolder folder;
  QtPlatform platform;
  SampleForm form;
};

TEST_F(RendererTest, BuildsOneWidgetPerControlPlacedByTwips) {
  form.Show();
  QWidget* window = platform.Renderer().WindowOf(form);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->size(), QSize(400, 300));  // client area: 6000 x 4500 twips
  EXPECT_NE(Widget<QLabel>(form.lblTitle), nullptr);
  EXPECT_NE(Widget<QLineEdit>(form.txbName), nullptr);
  EXPECT_NE(Widget<QPlainTextEdit>(form.txbLog), nullptr);
  EXPECT_NE(Widget<QCheckBox>(form.chkNested), nullptr);
  EXPECT_NE(Widget<QComboBox>(form.cboType), nullptr);
  ASSERT_NE(Widget<QPushButton>(form.cmdStart), nullptr);
  EXPECT_EQ(Widget<QPushButton>(form.cmdStart)->geometry(), QRect(220, 10, 100, 30));
  EXPECT_EQ(Widget<QPushButton>(form.cmdStart)->text(), "Start");
  // Controls in a frame sit in its widget, placed relative to it.
  QGroupBox* frame = Widget<QGroupBox>(form.fraOptions);
  ASSERT_NE(frame, nullptr);
  QRadioButton* all = Widget<QRadioButton>(form.optAll);
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(all->parentWidget(), frame);
  EXPECT_EQ(all->geometry().topLeft(), QPoint(10, 50));
  EXPECT_EQ(frame->title(), "Type");
}

TEST_F(RendererTest, ModelChangesReachTheWidgetsOnRefresh) {
  form.Show();
  form.lblTitle.caption = u"Line one\r\nLine two";
  form.cmdStart.caption = u"Stop";
  form.cmdStart.enabled = false;
  form.chkNested.visible = false;
  form.chkNested.SetValue(1);
  form.cboType.AddItem(u"Any word");
  form.cboType.AddItem(u"All words");
  form.cboType.SetListIndex(1);
  form.txbName.SetText(u"project");
  form.cmdPause.toolTip = u"Pause the run";
  form.SetFormColour(15646940);
  form.Refresh();

  EXPECT_EQ(Widget<QLabel>(form.lblTitle)->text(), "Line one\nLine two");
  EXPECT_EQ(Widget<QPushButton>(form.cmdStart)->text(), "Stop");
  EXPECT_FALSE(Widget<QPushButton>(form.cmdStart)->isEnabled());
  EXPECT_TRUE(Widget<QCheckBox>(form.chkNested)->isHidden());
  EXPECT_EQ(Widget<QCheckBox>(form.chkNested)->checkState(), Qt::Checked);
  QComboBox* combo = Widget<QComboBox>(form.cboType);
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(1), "All words");
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_EQ(Widget<QLineEdit>(form.txbName)->text(), "project");
  EXPECT_EQ(Widget<QPushButton>(form.cmdPause)->toolTip(), "Pause the run");
  QWidget* window = platform.Renderer().WindowOf(form);
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor(0xDC, 0xC0, 0xEE));
  EXPECT_EQ(Widget<QLabel>(form.lblTitle)->palette().color(QPalette::Window),
            QColor(0xDC, 0xC0, 0xEE));
  // Changing it back in the model changes it back on screen.
  form.cmdStart.enabled = true;
  form.chkNested.visible = true;
  form.Refresh();
  EXPECT_TRUE(Widget<QPushButton>(form.cmdStart)->isEnabled());
  EXPECT_FALSE(Widget<QCheckBox>(form.chkNested)->isHidden());
}

TEST_F(RendererTest, ClicksTogglesAndPicksReachTheModel) {
  form.cboType.AddItem(u"Any word");
  form.cboType.AddItem(u"All words");
  form.optAny.SetValue(true);
  form.Show();
  Widget<QPushButton>(form.cmdStart)->click();
  EXPECT_EQ(form.startClicks, 1);

  Widget<QCheckBox>(form.chkNested)->click();
  EXPECT_EQ(form.chkNested.Value(), 1);
  EXPECT_EQ(form.checkClicks, 1);

  QComboBox* combo = Widget<QComboBox>(form.cboType);
  emit combo->activated(1);
  EXPECT_EQ(form.cboType.ListIndex(), 1);
  EXPECT_EQ(form.comboClicks, 1);

  // Option buttons: the model keeps one per frame, the widgets follow.
  Widget<QRadioButton>(form.optAll)->click();
  EXPECT_TRUE(form.optAll.Value());
  EXPECT_FALSE(form.optAny.Value());
  EXPECT_FALSE(Widget<QRadioButton>(form.optAny)->isChecked());
  // Clicking the selected one again keeps it selected.
  Widget<QRadioButton>(form.optAll)->click();
  EXPECT_TRUE(Widget<QRadioButton>(form.optAll)->isChecked());
}

TEST_F(RendererTest, HandlerThatResetsACheckBoxWinsOverTheClick) {
  form.chkNested.Click = [this] { form.chkNested.SetValue(0); };
  form.Show();
  Widget<QCheckBox>(form.chkNested)->click();
  EXPECT_EQ(form.chkNested.Value(), 0);
  EXPECT_EQ(Widget<QCheckBox>(form.chkNested)->checkState(), Qt::Unchecked);
}

TEST_F(RendererTest, TypingPassesThroughKeyPressWhichMayReplaceOrSwallow) {
  form.Show();
  QLineEdit* line = Widget<QLineEdit>(form.txbName);
  Type(line, Qt::Key_A, "a");
  Type(line, Qt::Key_Space, " ");
  Type(line, Qt::Key_Asterisk, "*");
  Type(line, Qt::Key_B, "b");
  EXPECT_EQ(form.txbName.Text(), u"a_b");
  EXPECT_EQ(line->text(), "a_b");
  EXPECT_EQ(form.txbName.selStart, 3);
  EXPECT_EQ(form.changes, 3);
  Type(line, Qt::Key_Backspace, "");
  EXPECT_EQ(form.txbName.Text(), u"a_");
}

TEST_F(RendererTest, ChangeHandlerThatRewritesTheTextIsShown) {
  form.txbName.Change = [this] {
    std::u16string text = form.txbName.Text();
    for (char16_t& ch : text) ch = static_cast<char16_t>(std::toupper(ch));
    form.txbName.SetText(text);
  };
  form.Show();
  QLineEdit* line = Widget<QLineEdit>(form.txbName);
  Type(line, Qt::Key_Q, "q");
  EXPECT_EQ(form.txbName.Text(), u"Q");
  EXPECT_EQ(line->text(), "Q");
}

TEST_F(RendererTest, DisabledModelControlStaysDisabledAndDropsClicks) {
  form.Show();
  QPushButton* start = Widget<QPushButton>(form.cmdStart);
  // Disabled in the model but not yet synced: the click is not delivered.
  form.cmdStart.enabled = false;
  start->click();
  EXPECT_EQ(form.startClicks, 0);
  EXPECT_FALSE(start->isEnabled());
  for (int i = 0; i < 5; ++i) platform.DoEvents();
  EXPECT_FALSE(start->isEnabled());
  // A disabled frame disables what is in it, in the model's eyes too.
  form.fraOptions.enabled = false;
  int optionClicks = 0;
  form.optAll.Click = [&] { ++optionClicks; };
  emit Widget<QRadioButton>(form.optAll)->clicked(true);
  EXPECT_EQ(optionClicks, 0);
  EXPECT_FALSE(form.optAll.Value());
}

TEST_F(RendererTest, NestedDoEventsInAHandlerLetsAnotherButtonThrough) {
  bool paused = false;
  int rounds = 0;
  form.cmdPause.Click = [&] { paused = true; };
  form.cmdStart.Click = [&] {
    // A long operation: it disables itself against re-entry and keeps
    // processing events until the user pauses it.
    form.cmdStart.enabled = false;
    QTimer::singleShot(0, Widget<QPushButton>(form.cmdPause), &QPushButton::click);
    while (!paused && rounds < 100000) {
      ++rounds;
      platform.DoEvents();
      // Re-entry is impossible while the operation runs.
      EXPECT_FALSE(Widget<QPushButton>(form.cmdStart)->isEnabled());
    }
    form.cmdStart.enabled = true;
  };
  form.Show();
  Widget<QPushButton>(form.cmdStart)->click();
  EXPECT_TRUE(paused);
  EXPECT_LT(rounds, 100000);
  EXPECT_TRUE(Widget<QPushButton>(form.cmdStart)->isEnabled());
}

TEST_F(RendererTest, IdleWaitSleepsUntilAnEventOrItsTimeLimit) {
  bool resumed = false;
  form.cmdPause.Click = [&] { resumed = true; };
  form.Show();
  // With nothing to do, one wait lasts about its limit instead of returning
  // at once (a paused listing must not spin).
  int waits = 0;
  QTimer::singleShot(120, Widget<QPushButton>(form.cmdPause), &QPushButton::click);
  while (!resumed && waits < 1000) {
    ++waits;
    platform.WaitForEvents(50);
  }
  EXPECT_TRUE(resumed);
  EXPECT_LT(waits, 20);
}

TEST_F(RendererTest, ModalShowReturnsWhenTheFormIsHidden) {
  SampleForm dialog(platform);
  form.Show();
  bool shownWhileModal = false;
  QTimer::singleShot(0, [&] {
    QWidget* window = platform.Renderer().WindowOf(dialog);
    shownWhileModal = window && window->isVisible() && window->isModal();
    dialog.Hide();
  });
  dialog.Show(true);
  EXPECT_TRUE(shownWhileModal);
  EXPECT_FALSE(dialog.Visible());
  EXPECT_FALSE(platform.Renderer().WindowOf(dialog)->isVisible());
}

TEST_F(RendererTest, CloseBoxAsksTheModel) {
  form.Show();
  QWidget* window = platform.Renderer().WindowOf(form);
  form.refuseClose = true;
  window->close();
  EXPECT_TRUE(form.Visible());
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(form.unloads, 0);
  form.refuseClose = false;
  window->close();
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(form.unloads, 1);
}

TEST_F(RendererTest, DynamicControlsComeAndGo) {
  form.Show();
  CheckBox& sub = form.AddDynamicControl<CheckBox>("chkSubfolder", 0);
  sub.caption = u"R&D";
  sub.container = &form.fraOptions;
  sub.geometry = {150, 1100, 2000, 300};
  form.Refresh();
  auto* box = Widget<QCheckBox>(sub);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), "R&&D");  // shown literally
  EXPECT_EQ(box->parentWidget(), Widget<QGroupBox>(form.fraOptions));
  bool clicked = false;
  sub.Click = [&] { clicked = true; };
  box->click();
  EXPECT_TRUE(clicked);

  QPointer<QCheckBox> gone(box);
  form.RemoveDynamicControls();
  form.Refresh();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(gone.isNull());
  // The form's own controls keep their widgets.
  EXPECT_NE(Widget<QCheckBox>(form.chkNested), nullptr);
}

TEST_F(RendererTest, MultiLineTextKeepsCrLfInTheModelAndAppends) {
  form.txbLog.SetText(u"one\r\ntwo\r\n");
  form.Show();
  QPlainTextEdit* edit = Widget<QPlainTextEdit>(form.txbLog);
  EXPECT_EQ(edit->toPlainText(), "one\ntwo\n");
  form.txbLog.SetText(form.txbLog.Text() + u"three\r\n");
  form.txbLog.SetSelection(static_cast<int>(form.txbLog.Text().size()), 0);
  form.Refresh();
  EXPECT_EQ(edit->toPlainText(), "one\ntwo\nthree\n");
  EXPECT_EQ(edit->textCursor().position(), 14);

  // The user selects "two" in the widget: the model gets model positions.
  QTextCursor cursor = edit->textCursor();
  cursor.setPosition(4);
  cursor.setPosition(7, QTextCursor::KeepAnchor);
  edit->setTextCursor(cursor);
  EXPECT_EQ(form.txbLog.selStart, 5);
  EXPECT_EQ(form.txbLog.selLength, 3);
  EXPECT_EQ(form.txbLog.SelectedText(), u"two");
  EXPECT_EQ(form.txbLog.Text(), u"one\r\ntwo\r\nthree\r\n");
}

TEST_F(RendererTest, ReadOnlyBoxLooksReadOnlyAndStillRaisesKeyPressForEnter) {
  form.txbLog.readOnly = true;
  form.txbName.readOnly = true;
  form.txbLog.SetText(u"abc");
  char16_t seen = 0;
  form.txbLog.KeyPress = [&](char16_t& ch) {
    seen = ch;
    ch = 0;
  };
  form.Show();
  Type(Widget<QPlainTextEdit>(form.txbLog), Qt::Key_Return, "\r");
  EXPECT_EQ(seen, 13);
  EXPECT_EQ(form.txbLog.Text(), u"abc");

  // Not the white of a box that takes typing, and back to it when it does.
  const QColor face = QPalette().color(QPalette::Button);
  EXPECT_NE(QPalette().color(QPalette::Base), face);
  for (QWidget* box : {static_cast<QWidget*>(Widget<QPlainTextEdit>(form.txbLog)),
                       static_cast<QWidget*>(Widget<QLineEdit>(form.txbName))}) {
    EXPECT_EQ(box->palette().color(QPalette::Base), face) << box->objectName().toStdString();
  }
  form.txbName.readOnly = false;
  form.Refresh();
  EXPECT_EQ(Widget<QLineEdit>(form.txbName)->palette().color(QPalette::Base),
            QPalette().color(QPalette::Base));
  EXPECT_FALSE(Widget<QLineEdit>(form.txbName)->isReadOnly());
}

TEST_F(RendererTest, TimersRunWhileEnabled) {
  form.Show();
  auto timers = platform.Renderer().WindowOf(form)->findChildren<QTimer*>();
  ASSERT_EQ(timers.size(), 1);
  EXPECT_FALSE(timers[0]->isActive());
  form.tmrTick.Start(500);
  form.Refresh();
  EXPECT_TRUE(timers[0]->isActive());
  EXPECT_EQ(timers[0]->interval(), 500);
  form.tmrTick.Stop();
  form.Refresh();
  EXPECT_FALSE(timers[0]->isActive());
}

TEST_F(RendererTest, FontsMapToFacesThisSystemHas) {
  const QFont sans = ToQFont(Font{});
  EXPECT_EQ(sans.families().front(), "DejaVu Sans");
  EXPECT_DOUBLE_EQ(sans.pointSizeF(), 8.25);
  const QFont mono = ToQFont(Font{u"Courier New", 10, true});
  EXPECT_EQ(mono.families().front(), "DejaVu Sans Mono");
  EXPECT_TRUE(mono.bold());
}

}  // namespace
}  // namespace quor::ui::qt
