#include "ui/qt/form_renderer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <climits>
#include <optional>
#include <tuple>
#include <unordered_set>
#include <vector>

#include "ui/controls.h"
#include "ui/form.h"
#include "ui/qt/qt_convert.h"
#include "ui/qt/text_mapping.h"

namespace quor::ui::qt {

namespace {

// Marks the renderer's own widget changes, so the signals they raise are not
// taken for the user's.
class SyncScope {
 public:
  explicit SyncScope(int& depth) : depth_(depth) { ++depth_; }
  ~SyncScope() { --depth_; }
  SyncScope(const SyncScope&) = delete;
  SyncScope& operator=(const SyncScope&) = delete;

 private:
  int& depth_;
};

bool SameFont(const Font& a, const Font& b) {
  return a.name == b.name && a.size == b.size && a.bold == b.bold;
}

bool SameGeometry(const Geometry& a, const Geometry& b) {
  return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

QRect ToPixels(const Geometry& g) {
  return QRect(TwipsToPixels(g.left), TwipsToPixels(g.top), std::max(0, TwipsToPixels(g.width)),
               std::max(0, TwipsToPixels(g.height)));
}

QString LabelText(const std::u16string& caption) {
  return ToQString(ToWidgetLineEnds(caption));
}

// The character a key press types, as the classic KeyPress event sees it:
// printable characters, Backspace (8), Enter (13) and Escape (27); 0 for keys
// that type nothing (arrows, shortcuts).
char16_t TypedCharacter(const QKeyEvent& event) {
  switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Escape:
      return 27;
    default:
      break;
  }
  if (event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return 0;
  const QString text = event.text();
  if (text.size() != 1) return 0;
  const char16_t ch = text.at(0).unicode();
  if (ch < 0x20 || ch == 0x7F) return 0;
  return ch;
}

}  // namespace

// ---- what the renderer keeps per control and per form ----

struct FormRenderer::ControlView {
  Control* control = nullptr;
  ControlKind kind = ControlKind::Label;
  std::string name;
  QPointer<QWidget> widget;
  QPointer<QTimer> timer;

  // The model state last exchanged with the widget: when the model differs
  // from it the model changed and the widget follows; user edits update both.
  std::optional<std::u16string> caption;
  std::optional<Font> font;
  std::optional<std::u16string> toolTip;
  // hasBackColour, backColour, and whether a text box is read-only.
  std::optional<std::tuple<bool, Colour, bool>> colour;
  std::optional<std::u16string> text;
  int selStart = -1;
  int selLength = -1;
  std::optional<std::vector<std::u16string>> items;
  int listIndex = INT_MIN;
  std::optional<std::u16string> typed;
  int timerStarts = -1;
  int timerInterval = -1;
  bool timerRunning = false;
};

struct FormRenderer::FormView {
  Form* form = nullptr;
  QPointer<QWidget> window;
  std::unordered_map<Control*, std::unique_ptr<ControlView>> controls;
  int structureVersion = INT_MIN;
  QEventLoop* modalLoop = nullptr;

  std::optional<std::u16string> caption;
  std::optional<Geometry> geometry;
  std::optional<Colour> backColour;
  std::optional<Font> font;
  std::optional<WindowState> state;
  const Form* owner = nullptr;
  bool ownerSet = false;
  Control* active = nullptr;

  ControlView* Find(const Control* control) const {
    auto it = controls.find(const_cast<Control*>(control));
    return it == controls.end() ? nullptr : it->second.get();
  }
};

class FormRenderer::EventFilter : public QObject {
 public:
  explicit EventFilter(FormRenderer& renderer) : renderer_(renderer) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    return renderer_.FilterEvent(watched, event);
  }

 private:
  FormRenderer& renderer_;
};

// A form's top-level window: the close box, resizing, moving and the Enter
// and Escape keys go to the model.
class FormRenderer::FormWindow : public QWidget {
 public:
  explicit FormWindow(FormRenderer& renderer) : renderer_(renderer) {}

 protected:
  void closeEvent(QCloseEvent* event) override {
    // The model decides: Form_QueryUnload may cancel, otherwise the form
    // unloads and its window is hidden through the platform.
    event->ignore();
    renderer_.WindowCloseRequested(this);
  }
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    renderer_.WindowResized(this);
  }
  void moveEvent(QMoveEvent* event) override {
    QWidget::moveEvent(event);
    renderer_.WindowMoved(this);
  }
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) renderer_.WindowStateChanged(this);
  }
  void keyPressEvent(QKeyEvent* event) override {
    bool handled = false;
    renderer_.WindowKey(this, event->key(), handled);
    if (!handled) QWidget::keyPressEvent(event);
  }

 private:
  FormRenderer& renderer_;
};

// ---- lifetime ----

FormRenderer::FormRenderer() : filter_(std::make_unique<EventFilter>(*this)) {}

FormRenderer::~FormRenderer() {
  for (auto& [form, view] : views_) {
    if (view->modalLoop) view->modalLoop->quit();
    view->modalLoop = nullptr;
  }
  // Child windows of an owner go with it; take them off first.
  for (auto& [form, view] : views_) {
    if (view->window) view->window->setParent(nullptr);
  }
  for (auto& [form, view] : views_) delete view->window.data();
  views_.clear();
  targets_.clear();
}

FormRenderer::FormView* FormRenderer::FindView(const Form& form) const {
  auto it = views_.find(&form);
  return it == views_.end() ? nullptr : it->second.get();
}

FormRenderer::FormView& FormRenderer::ViewFor(Form& form) {
  if (FormView* view = FindView(form)) return *view;
  auto view = std::make_unique<FormView>();
  view->form = &form;
  auto* window = new FormWindow(*this);
  window->setAttribute(Qt::WA_DeleteOnClose, false);
  window->setObjectName(QString::fromStdString(form.Name()));
  Qt::WindowFlags flags = Qt::Window;
  if (form.borderless) {
    flags = Qt::Tool | Qt::FramelessWindowHint;
  } else {
    flags |= Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
             Qt::WindowMinimizeButtonHint;
    if (form.resizable) flags |= Qt::WindowMaximizeButtonHint;
  }
  window->setWindowFlags(flags);
  view->window = window;
  targets_[window] = {&form, nullptr};
  FormView& ref = *view;
  views_.emplace(&form, std::move(view));
  return ref;
}

QWidget& FormRenderer::Build(Form& form) {
  FormView& view = ViewFor(form);
  SyncForm(view);
  return *view.window;
}

void FormRenderer::Show(Form& form, bool modal) {
  QWidget& window = Build(form);
  FormView* view = FindView(form);
  if (!window.isVisible()) {
    window.setWindowModality(modal ? Qt::ApplicationModal : Qt::NonModal);
    window.setAttribute(Qt::WA_ShowWithoutActivating, !form.activateOnShow);
  }
  {
    SyncScope scope(syncing_);
    window.show();
    if (form.activateOnShow && QGuiApplication::platformName() != QLatin1String("offscreen")) {
      window.raise();
      window.activateWindow();
    }
    if (form.ActiveControl()) {
      if (ControlView* cv = view->Find(form.ActiveControl()); cv && cv->widget) {
        cv->widget->setFocus(Qt::OtherFocusReason);
      }
    }
  }
  if (!modal || !form.Visible()) return;

  QEventLoop loop;
  view->modalLoop = &loop;
  loop.exec();
  // The form may be gone by now; look it up again rather than trust view.
  if (FormView* after = FindView(form)) {
    after->modalLoop = nullptr;
    if (after->window && !after->window->isVisible()) {
      after->window->setWindowModality(Qt::NonModal);
    }
  }
}

void FormRenderer::Hide(Form& form) {
  FormView* view = FindView(form);
  if (!view) return;
  if (view->modalLoop) view->modalLoop->quit();
  if (view->window && view->window->isVisible()) {
    SyncScope scope(syncing_);
    view->window->hide();
  }
}

void FormRenderer::Forget(Form& form) {
  auto it = views_.find(&form);
  if (it == views_.end()) return;
  std::unique_ptr<FormView> view = std::move(it->second);
  views_.erase(it);
  if (view->modalLoop) view->modalLoop->quit();
  for (auto& [control, cv] : view->controls) {
    if (cv->widget) {
      targets_.erase(cv->widget);
      if (auto* text = qobject_cast<QPlainTextEdit*>(cv->widget.data())) {
        targets_.erase(text->viewport());
      }
    }
    if (cv->timer) {
      cv->timer->stop();
      targets_.erase(cv->timer);
    }
  }
  if (!view->window) return;
  targets_.erase(view->window);
  // Windows this one owned live on without it.
  for (auto& [other, otherView] : views_) {
    if (otherView->window && otherView->window->parentWidget() == view->window) {
      const bool visible = otherView->window->isVisible();
      otherView->window->setParent(nullptr, otherView->window->windowFlags());
      otherView->ownerSet = false;
      if (visible) otherView->window->show();
    }
  }
  SyncScope scope(syncing_);
  view->window->hide();
  // Deleted later: this may run inside one of the window's own events.
  view->window->deleteLater();
}

QWidget* FormRenderer::WindowOf(const Form& form) const {
  FormView* view = FindView(form);
  return view ? view->window.data() : nullptr;
}

QWidget* FormRenderer::WidgetOf(const Control& control) const {
  FormView* view = FindView(control.Owner());
  if (!view) return nullptr;
  ControlView* cv = view->Find(&control);
  return cv ? cv->widget.data() : nullptr;
}

QWidget* FormRenderer::DialogParent() const {
  QWidget* active = QApplication::activeWindow();
  if (active && targets_.count(active)) return active;
  for (auto& [form, view] : views_) {
    if (view->window && view->window->isVisible() && view->form->Visible()) {
      return view->window;
    }
  }
  return nullptr;
}

// ---- model to widgets ----

void FormRenderer::SyncAll() {
  std::vector<Form*> forms;
  forms.reserve(views_.size());
  for (auto& [form, view] : views_) forms.push_back(view->form);
  for (Form* form : forms) {
    if (FormView* view = FindView(*form)) SyncForm(*view);
  }
}

void FormRenderer::Sync(Form& form) {
  if (FormView* view = FindView(form)) SyncForm(*view);
}

void FormRenderer::SyncStructure(FormView& view) {
  Form& form = *view.form;
  if (view.structureVersion == form.StructureVersion()) return;
  view.structureVersion = form.StructureVersion();

  const std::vector<Control*>& current = form.Controls();
  const std::unordered_set<Control*> present(current.begin(), current.end());
  std::vector<Control*> gone;
  for (auto& [control, cv] : view.controls) {
    // A control at the address of a removed one is a different control.
    if (!present.count(control) || control->Kind() != cv->kind ||
        control->QualifiedName() != cv->name) {
      gone.push_back(control);
    }
  }
  for (Control* control : gone) RemoveControlView(view, control);
  for (Control* control : current) {
    if (!view.Find(control)) CreateWidget(view, *control);
  }
  ApplyTabOrder(view);
}

void FormRenderer::RemoveControlView(FormView& view, Control* control) {
  auto it = view.controls.find(control);
  if (it == view.controls.end()) return;
  std::unique_ptr<ControlView> cv = std::move(it->second);
  view.controls.erase(it);
  if (cv->timer) {
    cv->timer->stop();
    targets_.erase(cv->timer);
    cv->timer->deleteLater();
  }
  if (!cv->widget) return;
  targets_.erase(cv->widget);
  if (auto* text = qobject_cast<QPlainTextEdit*>(cv->widget.data())) {
    targets_.erase(text->viewport());
  }
  // Controls inside a removed container stay: move their widgets out first.
  for (auto& [other, otherView] : view.controls) {
    if (otherView->widget && otherView->widget->parentWidget() == cv->widget) {
      otherView->widget->setParent(view.window);
    }
  }
  SyncScope scope(syncing_);
  cv->widget->hide();
  cv->widget->deleteLater();
}

void FormRenderer::CreateWidget(FormView& view, Control& control) {
  auto cv = std::make_unique<ControlView>();
  cv->control = &control;
  cv->kind = control.Kind();
  cv->name = control.QualifiedName();
  QWidget* parent = view.window;
  QWidget* widget = nullptr;
  switch (control.Kind()) {
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      widget = label;
      break;
    }
    case ControlKind::TextBox: {
      auto& box = static_cast<TextBox&>(control);
      if (box.multiLine) {
        auto* edit = new QPlainTextEdit(parent);
        edit->setTabChangesFocus(true);
        edit->viewport()->installEventFilter(filter_.get());
        targets_[edit->viewport()] = {view.form, &control};
        widget = edit;
      } else {
        widget = new QLineEdit(parent);
      }
      break;
    }
    case ControlKind::CommandButton: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      widget = button;
      break;
    }
    case ControlKind::CheckBox:
      widget = new QCheckBox(parent);
      break;
    case ControlKind::OptionButton: {
      auto* option = new QRadioButton(parent);
      // The model keeps one selected per container.
      option->setAutoExclusive(false);
      widget = option;
      break;
    }
    case ControlKind::ComboBox:
      widget = new QComboBox(parent);
      break;
    case ControlKind::Frame:
      widget = new QGroupBox(parent);
      break;
    case ControlKind::PictureBox:
      widget = new QFrame(parent);
      break;
    case ControlKind::VScrollBar:
      widget = new QScrollBar(Qt::Vertical, parent);
      break;
    case ControlKind::Timer: {
      auto* timer = new QTimer(parent);
      cv->timer = timer;
      targets_[timer] = {view.form, &control};
      break;
    }
  }
  if (widget) {
    widget->setObjectName(QString::fromStdString(cv->name));
    widget->installEventFilter(filter_.get());
    targets_[widget] = {view.form, &control};
    cv->widget = widget;
  }
  ControlView& ref = *cv;
  view.controls.emplace(&control, std::move(cv));
  ConnectSignals(ref);
}

void FormRenderer::ApplyTabOrder(FormView& view) {
  std::vector<Control*> order;
  for (Control* control : view.form->Controls()) {
    switch (control->Kind()) {
      case ControlKind::Label:
      case ControlKind::Frame:
      case ControlKind::Timer:
        continue;
      default:
        order.push_back(control);
    }
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const Control* a, const Control* b) { return a->tabIndex < b->tabIndex; });
  QWidget* previous = nullptr;
  for (Control* control : order) {
    ControlView* cv = view.Find(control);
    if (!cv || !cv->widget) continue;
    if (previous) QWidget::setTabOrder(previous, cv->widget);
    previous = cv->widget;
  }
}

void FormRenderer::SyncForm(FormView& view) {
  SyncStructure(view);
  SyncScope scope(syncing_);
  Form& form = *view.form;
  QWidget* window = view.window;
  if (!window) return;

  if (!view.ownerSet || view.owner != form.ownerForm) {
    view.ownerSet = true;
    view.owner = form.ownerForm;
    QWidget* ownerWindow = form.ownerForm ? WindowOf(*form.ownerForm) : nullptr;
    if (window->parentWidget() != ownerWindow) {
      const bool visible = window->isVisible();
      window->setParent(ownerWindow, window->windowFlags());
      if (visible) window->show();
    }
  }
  if (view.caption != form.caption) {
    view.caption = form.caption;
    window->setWindowTitle(ToQString(form.caption));
  }
  if (view.backColour != form.backColour) {
    view.backColour = form.backColour;
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, ToQColor(form.backColour));
    window->setPalette(palette);
    window->setAutoFillBackground(true);
  }
  if (!view.font || !SameFont(*view.font, form.font)) {
    view.font = form.font;
    window->setFont(ToQFont(form.font));
  }
  if (!view.geometry || !SameGeometry(*view.geometry, form.geometry)) {
    view.geometry = form.geometry;
    const int width = std::max(1, TwipsToPixels(form.ScaleWidth()));
    const int height = std::max(1, TwipsToPixels(form.ScaleHeight()));
    if (form.resizable) {
      window->setMinimumSize(0, 0);
      window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
      window->resize(width, height);
    } else {
      window->setFixedSize(width, height);
    }
    window->move(TwipsToPixels(form.geometry.left), TwipsToPixels(form.geometry.top));
  }
  if (view.state != form.windowState) {
    view.state = form.windowState;
    switch (form.windowState) {
      case WindowState::Normal:
        window->setWindowState(Qt::WindowNoState);
        break;
      case WindowState::Minimized:
        window->setWindowState(Qt::WindowMinimized);
        break;
      case WindowState::Maximized:
        window->setWindowState(Qt::WindowMaximized);
        break;
    }
  }

  // Containers first, so their children find their parent widget.
  for (Control* control : form.Controls()) {
    if (ControlView* cv = view.Find(control)) SyncControl(view, *cv);
  }

  if (!form.Visible() && window->isVisible()) {
    if (view.modalLoop) view.modalLoop->quit();
    window->hide();
  }
  if (view.active != form.ActiveControl()) {
    view.active = form.ActiveControl();
    if (view.active && window->isVisible()) {
      if (ControlView* cv = view.Find(view.active); cv && cv->widget) {
        cv->widget->setFocus(Qt::OtherFocusReason);
      }
    }
  }
}

void FormRenderer::SyncControl(FormView& view, ControlView& cv) {
  Control& control = *cv.control;

  if (cv.timer) {
    auto& timer = static_cast<Timer&>(control);
    const bool run = view.form->Loaded() && timer.enabled && timer.interval > 0;
    if (run != cv.timerRunning || timer.Starts() != cv.timerStarts ||
        (run && timer.interval != cv.timerInterval)) {
      cv.timerRunning = run;
      cv.timerStarts = timer.Starts();
      cv.timerInterval = timer.interval;
      if (run) {
        cv.timer->start(timer.interval);
      } else {
        cv.timer->stop();
      }
    }
    return;
  }
  QWidget* widget = cv.widget;
  if (!widget) return;

  // Placement: inside the container's widget, at the control's geometry.
  QWidget* parent = view.window;
  if (control.container) {
    if (ControlView* container = view.Find(control.container); container && container->widget) {
      parent = container->widget;
    }
  }
  if (widget->parentWidget() != parent) widget->setParent(parent);
  QRect rect = ToPixels(control.geometry);
  if (control.Kind() == ControlKind::Label && static_cast<Label&>(control).autoSize) {
    auto* label = static_cast<QLabel*>(widget);
    if (label->wordWrap()) {
      rect.setHeight(std::max(rect.height(), label->heightForWidth(rect.width())));
    } else {
      rect.setSize(label->sizeHint());
    }
  }
  if (widget->geometry() != rect) widget->setGeometry(rect);
  // Never enabled while the model has it disabled.
  if (widget->testAttribute(Qt::WA_ForceDisabled) == control.enabled) {
    widget->setEnabled(control.enabled);
  }
  if (widget->isHidden() == control.visible) widget->setVisible(control.visible);
  if (cv.toolTip != control.toolTip) {
    cv.toolTip = control.toolTip;
    widget->setToolTip(ToQString(control.toolTip));
  }
  Font font = control.font;
  const bool underline =
      control.Kind() == ControlKind::Label && static_cast<Label&>(control).underline;
  if (!cv.font || !SameFont(*cv.font, font) || widget->font().underline() != underline) {
    cv.font = font;
    QFont qfont = ToQFont(font);
    qfont.setUnderline(underline);
    widget->setFont(qfont);
  }
  const bool readOnlyBox =
      control.Kind() == ControlKind::TextBox && static_cast<TextBox&>(control).readOnly;
  const std::tuple<bool, Colour, bool> colour{control.hasBackColour, control.backColour,
                                              readOnlyBox};
  if (cv.colour != colour) {
    cv.colour = colour;
    QPalette palette = widget->palette();
    // Check boxes and option buttons fill with their own background role
    // (the button colour), so the colour goes to whatever role the widget uses.
    const QPalette::ColorRole role =
        control.Kind() == ControlKind::TextBox ? QPalette::Base : widget->backgroundRole();
    if (control.hasBackColour) {
      palette.setColor(role, ToQColor(control.backColour));
      widget->setPalette(palette);
    } else if (readOnlyBox) {
      // A box the user cannot type into does not look like one that takes
      // typing: it has the face colour of the system's buttons.
      palette = QPalette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Button));
      widget->setPalette(palette);
    } else {
      widget->setPalette(QPalette());
    }
    widget->setAutoFillBackground(control.hasBackColour && control.Kind() != ControlKind::TextBox);
  }

  switch (control.Kind()) {
    case ControlKind::Label: {
      auto& label = static_cast<Label&>(control);
      auto* qlabel = static_cast<QLabel*>(widget);
      if (cv.caption != label.caption) {
        cv.caption = label.caption;
        qlabel->setText(LabelText(label.caption));
      }
      qlabel->setWordWrap(label.wordWrap);
      Qt::Alignment alignment = Qt::AlignTop | Qt::AlignLeft;
      if (label.alignment == Label::Alignment::Right) alignment = Qt::AlignTop | Qt::AlignRight;
      if (label.alignment == Label::Alignment::Center) alignment = Qt::AlignTop | Qt::AlignHCenter;
      if (qlabel->alignment() != alignment) qlabel->setAlignment(alignment);
      const Qt::CursorShape shape = label.underline ? Qt::PointingHandCursor : Qt::ArrowCursor;
      if (qlabel->cursor().shape() != shape) qlabel->setCursor(shape);
      break;
    }
    case ControlKind::TextBox: {
      auto& box = static_cast<TextBox&>(control);
      bool pushSelection = box.selStart != cv.selStart || box.selLength != cv.selLength;
      if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        if (edit->isReadOnly() != box.readOnly) {
          edit->setReadOnly(box.readOnly);
          if (box.readOnly) {
            edit->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
          }
        }
        const Qt::ScrollBarPolicy policy =
            box.verticalScrollBar ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff;
        if (edit->verticalScrollBarPolicy() != policy) edit->setVerticalScrollBarPolicy(policy);
        if (cv.text != box.Text()) {
          const std::u16string& now = box.Text();
          const bool appended = cv.text && !cv.text->empty() && cv.text->back() != u'\r' &&
                                now.size() > cv.text->size() &&
                                now.compare(0, cv.text->size(), *cv.text) == 0;
          if (appended) {
            QTextCursor end(edit->document());
            end.movePosition(QTextCursor::End);
            end.insertText(
                ToQString(ToWidgetLineEnds(std::u16string_view(now).substr(cv.text->size()))));
          } else {
            edit->setPlainText(ToQString(ToWidgetLineEnds(now)));
          }
          cv.text = now;
          pushSelection = true;
        }
        if (pushSelection) {
          cv.selStart = box.selStart;
          cv.selLength = box.selLength;
          const std::u16string& text = box.Text();
          QTextCursor cursor(edit->document());
          cursor.setPosition(ModelToWidgetPosition(text, box.selStart));
          cursor.setPosition(ModelToWidgetPosition(text, box.selStart + box.selLength),
                             QTextCursor::KeepAnchor);
          edit->setTextCursor(cursor);
          edit->ensureCursorVisible();
        }
      } else {
        auto* line = static_cast<QLineEdit*>(widget);
        if (line->isReadOnly() != box.readOnly) line->setReadOnly(box.readOnly);
        const int maxLength = box.maxLength > 0 ? box.maxLength : (1 << 24);
        if (line->maxLength() != maxLength) line->setMaxLength(maxLength);
        if (cv.text != box.Text()) {
          cv.text = box.Text();
          line->setText(ToQString(box.Text()));
          pushSelection = true;
        }
        if (pushSelection) {
          cv.selStart = box.selStart;
          cv.selLength = box.selLength;
          if (box.selLength > 0) {
            line->setSelection(box.selStart, box.selLength);
          } else {
            line->setCursorPosition(box.selStart);
          }
        }
      }
      break;
    }
    case ControlKind::CommandButton: {
      auto& button = static_cast<CommandButton&>(control);
      auto* qbutton = static_cast<QPushButton*>(widget);
      if (cv.caption != button.caption) {
        cv.caption = button.caption;
        qbutton->setText(ToQString(button.caption));
      }
      if (qbutton->isDefault() != button.isDefault) qbutton->setDefault(button.isDefault);
      break;
    }
    case ControlKind::CheckBox: {
      auto& check = static_cast<CheckBox&>(control);
      auto* qcheck = static_cast<QCheckBox*>(widget);
      if (cv.caption != check.caption) {
        cv.caption = check.caption;
        qcheck->setText(ToQString(EscapeMnemonics(check.caption)));
      }
      const Qt::CheckState state = check.Value() == 1   ? Qt::Checked
                                   : check.Value() == 2 ? Qt::PartiallyChecked
                                                        : Qt::Unchecked;
      if (qcheck->isTristate() != (check.Value() == 2)) qcheck->setTristate(check.Value() == 2);
      if (qcheck->checkState() != state) qcheck->setCheckState(state);
      break;
    }
    case ControlKind::OptionButton: {
      auto& option = static_cast<OptionButton&>(control);
      auto* qoption = static_cast<QRadioButton*>(widget);
      if (cv.caption != option.caption) {
        cv.caption = option.caption;
        qoption->setText(ToQString(EscapeMnemonics(option.caption)));
      }
      if (qoption->isChecked() != option.Value()) qoption->setChecked(option.Value());
      break;
    }
    case ControlKind::ComboBox: {
      auto& combo = static_cast<ComboBox&>(control);
      auto* qcombo = static_cast<QComboBox*>(widget);
      const bool editable = combo.style == ComboBox::Style::DropDownCombo;
      if (qcombo->isEditable() != editable) {
        qcombo->setEditable(editable);
        if (editable) qcombo->setInsertPolicy(QComboBox::NoInsert);
        cv.typed.reset();
      }
      if (cv.items != combo.items) {
        cv.items = combo.items;
        qcombo->clear();
        for (const std::u16string& item : combo.items) qcombo->addItem(ToQString(item));
        cv.listIndex = INT_MIN;
        cv.typed.reset();
      }
      if (cv.listIndex != combo.ListIndex()) {
        cv.listIndex = combo.ListIndex();
        qcombo->setCurrentIndex(combo.ListIndex());
        cv.typed.reset();
      }
      if (editable && cv.typed != combo.typedText) {
        cv.typed = combo.typedText;
        qcombo->setEditText(ToQString(combo.typedText));
      }
      break;
    }
    case ControlKind::Frame: {
      auto& frame = static_cast<Frame&>(control);
      auto* box = static_cast<QGroupBox*>(widget);
      if (cv.caption != frame.caption) {
        cv.caption = frame.caption;
        box->setTitle(ToQString(frame.caption));
      }
      if (box->isFlat() == frame.border) box->setFlat(!frame.border);
      break;
    }
    case ControlKind::PictureBox: {
      auto& picture = static_cast<PictureBox&>(control);
      auto* frame = static_cast<QFrame*>(widget);
      const QFrame::Shape shape = picture.border ? QFrame::StyledPanel : QFrame::NoFrame;
      if (frame->frameShape() != shape) {
        frame->setFrameShape(shape);
        frame->setFrameShadow(QFrame::Sunken);
      }
      break;
    }
    case ControlKind::VScrollBar: {
      auto& bar = static_cast<VScrollBar&>(control);
      auto* qbar = static_cast<QScrollBar*>(widget);
      const int low = std::min(bar.min, bar.max);
      const int high = std::max(bar.min, bar.max);
      if (qbar->minimum() != low || qbar->maximum() != high) qbar->setRange(low, high);
      if (qbar->singleStep() != bar.smallChange) qbar->setSingleStep(bar.smallChange);
      if (qbar->pageStep() != bar.largeChange) qbar->setPageStep(bar.largeChange);
      if (qbar->value() != bar.Value()) qbar->setValue(bar.Value());
      break;
    }
    case ControlKind::Timer:
      break;
  }
}

// ---- widgets to model ----

bool FormRenderer::IsReachable(const Control& control) const {
  if (!control.Owner().Visible()) return false;
  for (const Control* c = &control; c; c = c->container) {
    if (!c->enabled || !c->visible) return false;
  }
  return true;
}

template <typename Action>
void FormRenderer::Route(QObject* source, bool needsLive, Action action) {
  if (syncing_) return;
  auto it = targets_.find(source);
  if (it == targets_.end()) return;
  if (FormView* view = FindView(*it->second.form)) SyncStructure(*view);
  // The control may have gone with the structure change.
  it = targets_.find(source);
  if (it == targets_.end() || !it->second.control) return;
  Control& control = *it->second.control;
  if (!needsLive || IsReachable(control)) action(control);
  SyncAll();
}

void FormRenderer::ConnectSignals(ControlView& cv) {
  QWidget* widget = cv.widget;
  switch (cv.kind) {
    case ControlKind::CommandButton:
      QObject::connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, widget,
                       [this, widget] {
                         Route(widget, true, [](Control& c) {
                           if (c.Click) c.Click();
                         });
                       });
      break;
    case ControlKind::CheckBox:
      QObject::connect(static_cast<QCheckBox*>(widget), &QCheckBox::clicked, widget,
                       [this, widget] {
                         Route(widget, true, [](Control& c) {
                           auto& check = static_cast<CheckBox&>(c);
                           check.SetValue(check.Value() == 1 ? 0 : 1);
                         });
                       });
      break;
    case ControlKind::OptionButton:
      QObject::connect(
          static_cast<QRadioButton*>(widget), &QRadioButton::clicked, widget, [this, widget] {
            Route(widget, true, [](Control& c) { static_cast<OptionButton&>(c).SetValue(true); });
          });
      break;
    case ControlKind::ComboBox: {
      auto* combo = static_cast<QComboBox*>(widget);
      QObject::connect(combo, &QComboBox::activated, widget, [this, widget](int index) {
        Route(widget, true, [this, index](Control& c) {
          if (FormView* view = FindView(c.Owner())) {
            if (ControlView* v = view->Find(&c)) v->listIndex = index;
          }
          static_cast<ComboBox&>(c).SetListIndex(index);
        });
      });
      QObject::connect(combo, &QComboBox::editTextChanged, widget,
                       [this, widget](const QString& text) {
                         if (syncing_) return;
                         const std::u16string typed = FromQString(text);
                         Route(widget, true, [this, typed](Control& c) {
                           auto& model = static_cast<ComboBox&>(c);
                           if (model.typedText == typed) return;
                           if (FormView* view = FindView(c.Owner())) {
                             if (ControlView* v = view->Find(&c)) v->typed = typed;
                           }
                           model.typedText = typed;
                           if (model.Change) model.Change();
                         });
                       });
      break;
    }
    case ControlKind::TextBox: {
      // Reads the widget's text and selection into the model; Change and
      // SelChange follow from the model's own setters.
      auto pull = [this, widget](bool textChanged) {
        Route(widget, true, [this, widget, textChanged](Control& c) {
          auto& box = static_cast<TextBox&>(c);
          FormView* view = FindView(c.Owner());
          ControlView* v = view ? view->Find(&c) : nullptr;
          std::u16string text;
          int start = 0;
          int end = 0;
          if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            const QTextCursor cursor = edit->textCursor();
            const std::u16string shown = ToModelLineEnds(FromQString(edit->toPlainText()));
            // A caret move that comes before its text change waits for it.
            if (!textChanged && shown != box.Text()) return;
            text = textChanged ? shown : box.Text();
            start = WidgetToModelPosition(text, cursor.selectionStart());
            end = WidgetToModelPosition(text, cursor.selectionEnd());
          } else {
            auto* line = static_cast<QLineEdit*>(widget);
            const std::u16string shown = FromQString(line->text());
            if (!textChanged && shown != box.Text()) return;
            text = textChanged ? shown : box.Text();
            if (line->hasSelectedText()) {
              start = line->selectionStart();
              end = line->selectionEnd();
            } else {
              start = end = line->cursorPosition();
            }
          }
          if (v) {
            if (textChanged) v->text = text;
            v->selStart = start;
            v->selLength = end - start;
          }
          // The widget already shows this text: the model takes it (and may
          // answer with a different one, which the next sync shows).
          if (textChanged) box.SetText(text);
          box.SetSelection(start, end - start);
        });
      };
      if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
        QObject::connect(edit, &QPlainTextEdit::textChanged, widget, [pull] { pull(true); });
        QObject::connect(edit, &QPlainTextEdit::selectionChanged, widget, [pull] { pull(false); });
        QObject::connect(edit, &QPlainTextEdit::cursorPositionChanged, widget,
                         [pull] { pull(false); });
      } else {
        auto* line = static_cast<QLineEdit*>(widget);
        QObject::connect(line, &QLineEdit::textChanged, widget, [pull] { pull(true); });
        QObject::connect(line, &QLineEdit::selectionChanged, widget, [pull] { pull(false); });
        QObject::connect(line, &QLineEdit::cursorPositionChanged, widget, [pull] { pull(false); });
      }
      break;
    }
    case ControlKind::VScrollBar:
      QObject::connect(static_cast<QScrollBar*>(widget), &QScrollBar::valueChanged, widget,
                       [this, widget](int value) {
                         Route(widget, true, [value](Control& c) {
                           static_cast<VScrollBar&>(c).SetValue(value);
                         });
                       });
      break;
    case ControlKind::Timer: {
      QTimer* timer = cv.timer;
      QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
        Route(timer, false, [](Control& c) {
          if (c.enabled) static_cast<Timer&>(c).Fire();
        });
      });
      break;
    }
    case ControlKind::Label:
    case ControlKind::Frame:
    case ControlKind::PictureBox:
      break;  // clicks come through the event filter
  }
}

bool FormRenderer::FilterEvent(QObject* watched, void* rawEvent) {
  auto* event = static_cast<QEvent*>(rawEvent);
  if (syncing_) return false;
  auto it = targets_.find(watched);
  if (it == targets_.end() || !it->second.control) return false;
  Control* control = it->second.control;

  switch (event->type()) {
    case QEvent::FocusIn: {
      const auto* focus = static_cast<QFocusEvent*>(event);
      // Coming back to the window is no focus move inside the form.
      if (focus->reason() == Qt::ActiveWindowFocusReason && control->HasFocus()) return false;
      Route(watched, false, [](Control& c) { c.Owner().SetActiveControl(&c); });
      return false;
    }
    case QEvent::KeyPress: {
      if (control->Kind() != ControlKind::TextBox || !control->KeyPress) return false;
      const auto* key = static_cast<QKeyEvent*>(event);
      const char16_t original = TypedCharacter(*key);
      if (original == 0) return false;
      char16_t ch = original;
      bool delivered = false;
      QPointer<QObject> guard(watched);
      Route(watched, true, [&](Control& c) {
        delivered = true;
        if (c.KeyPress) c.KeyPress(ch);
      });
      if (!delivered) return true;  // the model has the box disabled
      if (!guard) return true;
      if (ch == 0) return true;
      if (ch == original) return false;
      // Replaced: type the model's character instead of the user's.
      if (auto* edit = qobject_cast<QPlainTextEdit*>(watched)) {
        if (!edit->isReadOnly())
          edit->insertPlainText(ch == 13 ? QStringLiteral("\n") : QString(QChar(ch)));
      } else if (auto* line = qobject_cast<QLineEdit*>(watched)) {
        if (!line->isReadOnly() && ch >= 0x20) line->insert(QString(QChar(ch)));
        if (ch == 8) line->backspace();
      }
      return true;
    }
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() != Qt::LeftButton) return false;
      const ControlKind kind = control->Kind();
      if (kind != ControlKind::Label && kind != ControlKind::PictureBox &&
          kind != ControlKind::Frame) {
        return false;
      }
      Route(watched, true, [](Control& c) {
        if (c.Click) c.Click();
      });
      return false;
    }
    case QEvent::Wheel:
      return WheelOverScrollingArea(*control, static_cast<QWheelEvent*>(event)->angleDelta().y());
    case QEvent::MouseButtonDblClick: {
      if (!control->DblClick) return false;
      Route(watched, true, [](Control& c) {
        if (c.DblClick) c.DblClick();
      });
      return false;
    }
    default:
      return false;
  }
}

bool FormRenderer::WheelOverScrollingArea(Control& control, int delta) {
  // The wheel over a scrolling area, or over anything inside one, moves the
  // area's scroll bar as dragging it would.
  const Control* bar = nullptr;
  for (const Control* c = &control; c && !bar; c = c->container) {
    if (c->Kind() == ControlKind::PictureBox)
      bar = static_cast<const PictureBox*>(c)->wheelScrollBar;
  }
  if (!bar || bar->Kind() != ControlKind::VScrollBar) return false;
  QWidget* barWidget = WidgetOf(*bar);
  if (!barWidget) return false;
  // Touch pads send fractions of a notch: they add up to whole steps.
  constexpr int kNotch = 120;
  wheelDelta_ += delta;
  const int notches = wheelDelta_ / kNotch;
  wheelDelta_ %= kNotch;
  if (notches == 0) return true;
  const int lines = std::max(1, QApplication::wheelScrollLines());
  Route(barWidget, true, [notches, lines](Control& c) {
    auto& scroll = static_cast<VScrollBar&>(c);
    scroll.SetValue(scroll.Value() - notches * lines * scroll.smallChange);
  });
  return true;
}

Form* FormRenderer::FormOfWindow(const QWidget* window) const {
  auto it = targets_.find(window);
  return it == targets_.end() ? nullptr : it->second.form;
}

void FormRenderer::WindowCloseRequested(QWidget* window) {
  if (syncing_) return;
  Form* form = FormOfWindow(window);
  if (!form || !form->Visible()) return;
  form->CloseByUser();
  SyncAll();
}

void FormRenderer::WindowResized(QWidget* window) {
  if (syncing_) return;
  Form* form = FormOfWindow(window);
  FormView* view = form ? FindView(*form) : nullptr;
  if (!view || !form->resizable) return;
  const int frameWidth = form->borderless ? 0 : kFrameWidthTwips;
  const int frameHeight = form->borderless ? 0 : kFrameHeightTwips;
  const int width = PixelsToTwips(window->width()) + frameWidth;
  const int height = PixelsToTwips(window->height()) + frameHeight;
  // Within a pixel of the model's size: the renderer's own rounding.
  if (std::abs(width - form->geometry.width) < kTwipsPerPixel &&
      std::abs(height - form->geometry.height) < kTwipsPerPixel) {
    return;
  }
  form->geometry.width = width;
  form->geometry.height = height;
  view->geometry = form->geometry;
  form->Form_Resize();
  SyncAll();
}

void FormRenderer::WindowMoved(QWidget* window) {
  if (syncing_) return;
  Form* form = FormOfWindow(window);
  FormView* view = form ? FindView(*form) : nullptr;
  if (!view) return;
  const QPoint at = window->pos();
  if (TwipsToPixels(form->geometry.left) == at.x() && TwipsToPixels(form->geometry.top) == at.y()) {
    return;
  }
  form->geometry.left = PixelsToTwips(at.x());
  form->geometry.top = PixelsToTwips(at.y());
  view->geometry = form->geometry;
}

void FormRenderer::WindowStateChanged(QWidget* window) {
  if (syncing_) return;
  Form* form = FormOfWindow(window);
  FormView* view = form ? FindView(*form) : nullptr;
  if (!view) return;
  const Qt::WindowStates states = window->windowState();
  const WindowState state = states & Qt::WindowMinimized   ? WindowState::Minimized
                            : states & Qt::WindowMaximized ? WindowState::Maximized
                                                           : WindowState::Normal;
  if (state == form->windowState) return;
  form->windowState = state;
  view->state = state;
  form->Form_Resize();
  SyncAll();
}

void FormRenderer::WindowKey(QWidget* window, int key, bool& handled) {
  Form* form = FormOfWindow(window);
  if (!form) return;
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  const bool escape = key == Qt::Key_Escape;
  if (!enter && !escape) return;
  for (Control* control : form->Controls()) {
    if (control->Kind() != ControlKind::CommandButton) continue;
    auto* button = static_cast<CommandButton*>(control);
    if ((enter && button->isDefault) || (escape && button->isCancel)) {
      QWidget* widget = WidgetOf(*button);
      if (!widget) continue;
      handled = true;
      Route(widget, true, [](Control& c) {
        if (c.Click) c.Click();
      });
      return;
    }
  }
}

}  // namespace quor::ui::qt
