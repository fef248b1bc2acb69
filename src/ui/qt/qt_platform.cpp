#include "ui/qt/qt_platform.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <iostream>
#include <vector>

#include "common/encoding.h"
#include "common/files.h"

#include "ui/form.h"
#include "ui/qt/qt_convert.h"
#include "ui/qt/text_mapping.h"
#include "ui/system_services.h"

namespace quor::ui::qt {

namespace {

struct BoxButton {
  QMessageBox::StandardButton button;
  MsgResult result;
};

std::vector<BoxButton> ButtonsOf(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return {{QMessageBox::Ok, MsgResult::Ok}};
    case MsgButtons::OkCancel:
      return {{QMessageBox::Ok, MsgResult::Ok}, {QMessageBox::Cancel, MsgResult::Cancel}};
    case MsgButtons::AbortRetryIgnore:
      return {{QMessageBox::Abort, MsgResult::Abort},
              {QMessageBox::Retry, MsgResult::Retry},
              {QMessageBox::Ignore, MsgResult::Ignore}};
    case MsgButtons::YesNoCancel:
      return {{QMessageBox::Yes, MsgResult::Yes},
              {QMessageBox::No, MsgResult::No},
              {QMessageBox::Cancel, MsgResult::Cancel}};
    case MsgButtons::YesNo:
      return {{QMessageBox::Yes, MsgResult::Yes}, {QMessageBox::No, MsgResult::No}};
    case MsgButtons::RetryCancel:
      return {{QMessageBox::Retry, MsgResult::Retry}, {QMessageBox::Cancel, MsgResult::Cancel}};
  }
  return {{QMessageBox::Ok, MsgResult::Ok}};
}

QMessageBox::Icon IconOf(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::Critical:
      return QMessageBox::Critical;
    case MsgIcon::Question:
      return QMessageBox::Question;
    case MsgIcon::Exclamation:
      return QMessageBox::Warning;
    case MsgIcon::Information:
      return QMessageBox::Information;
    case MsgIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// What closing a box without a button gives: Cancel where there is one, else
// the single button, else the last one (No, Ignore).
MsgResult EscapeResult(const std::vector<BoxButton>& buttons) {
  for (const BoxButton& b : buttons) {
    if (b.result == MsgResult::Cancel) return b.result;
  }
  return buttons.back().result;
}

std::u16string WithoutTrailingSeparator(std::u16string folder) {
  while (folder.size() > 1 && folder.back() == u'/') folder.pop_back();
  return folder;
}

QString InitialPath(const FileDialogRequest& request) {
  QString path = ToQString(request.initialFolder);
  if (!request.fileName.empty()) {
    path = path.isEmpty() ? ToQString(request.fileName)
                          : QDir(path).filePath(ToQString(request.fileName));
  }
  return path;
}

}  // namespace

QtPlatform::QtPlatform() : QtPlatform(Options{}) {}

QtPlatform::QtPlatform(Options options) : options_(std::move(options)) {
  if (options_.appDataFolder.empty()) options_.appDataFolder = DefaultAppDataFolder();
  if (options_.programFolder.empty()) options_.programFolder = DefaultProgramFolder();
  if (options_.tempFolder.empty()) options_.tempFolder = SystemTempFolder();
}

QtPlatform::~QtPlatform() = default;

MsgResult QtPlatform::MessageBox(const MessageBoxRequest& request) {
  renderer_.SyncAll();
  const std::vector<BoxButton> buttons = ButtonsOf(request.buttons);
  const int defaultIndex = request.defaultButton - 1;
  const bool validDefault = defaultIndex >= 0 && defaultIndex < static_cast<int>(buttons.size());
  if (!options_.interactive) {
    std::cerr << TextToUtf8(request.title) << ": " << TextToUtf8(request.text) << '\n';
    return buttons[validDefault ? static_cast<std::size_t>(defaultIndex) : 0].result;
  }
  QMessageBox box(renderer_.DialogParent());
  box.setIcon(IconOf(request.icon));
  box.setWindowTitle(request.title.empty() ? QApplication::applicationName()
                                           : ToQString(request.title));
  box.setText(ToQString(ToWidgetLineEnds(request.text)));
  box.setTextFormat(Qt::PlainText);
  QMessageBox::StandardButtons standard;
  for (const BoxButton& b : buttons) standard |= b.button;
  box.setStandardButtons(standard);
  if (validDefault) {
    box.setDefaultButton(buttons[static_cast<std::size_t>(defaultIndex)].button);
  } else {
    box.setDefaultButton(buttons.front().button);
  }
  const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  renderer_.SyncAll();
  for (const BoxButton& b : buttons) {
    if (b.button == pressed) return b.result;
  }
  return EscapeResult(buttons);
}

std::vector<std::u16string> QtPlatform::ShowOpenDialog(const FileDialogRequest& request) {
  renderer_.SyncAll();
  QFileDialog dialog(renderer_.DialogParent(), ToQString(request.title), InitialPath(request),
                     ToQString(ToQtFileFilter(request.filter)));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles
                     : request.mustExist ? QFileDialog::ExistingFile
                                         : QFileDialog::AnyFile);
  std::vector<std::u16string> chosen;
  if (dialog.exec() == QDialog::Accepted) {
    for (const QString& file : dialog.selectedFiles()) chosen.push_back(FromQString(file));
  }
  renderer_.SyncAll();
  return chosen;
}

std::u16string QtPlatform::ShowSaveDialog(const FileDialogRequest& request) {
  renderer_.SyncAll();
  QFileDialog dialog(renderer_.DialogParent(), ToQString(request.title), InitialPath(request),
                     ToQString(ToQtFileFilter(request.filter)));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  std::u16string chosen;
  if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    chosen = FromQString(dialog.selectedFiles().front());
  }
  renderer_.SyncAll();
  return chosen;
}

std::u16string QtPlatform::BrowseForFolder(const Form* owner, const std::u16string& prompt,
                                           const std::u16string& startFolder) {
  renderer_.SyncAll();
  QWidget* parent = owner ? renderer_.WindowOf(*owner) : renderer_.DialogParent();
  const QString folder =
      QFileDialog::getExistingDirectory(parent, ToQString(prompt), ToQString(startFolder));
  renderer_.SyncAll();
  if (folder.isEmpty()) return {};
  return WithoutTrailingSeparator(FromQString(QDir::cleanPath(folder)));
}

void QtPlatform::DoEvents() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastEvents_ < options_.doEventsInterval) return;
  // The model changed during the long operation: show it before the user
  // acts on it.
  renderer_.SyncAll();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  lastEvents_ = std::chrono::steady_clock::now();
}

void QtPlatform::WaitForEvents(int maxMs) {
  renderer_.SyncAll();
  // A short event loop: it sleeps while nothing happens and serves the user's
  // clicks as they come; the caller's loop condition is checked again after
  // at most maxMs.
  QEventLoop loop;
  QTimer::singleShot(maxMs, &loop, &QEventLoop::quit);
  loop.exec();
  lastEvents_ = std::chrono::steady_clock::now();
}

void QtPlatform::ShowForm(Form& form, bool modal) {
  renderer_.Show(form, modal);
}

void QtPlatform::HideForm(Form& form) {
  renderer_.Hide(form);
}

void QtPlatform::Refresh(Form& form) {
  renderer_.Sync(form);
  if (QWidget* window = renderer_.WindowOf(form)) window->update();
}

void QtPlatform::FormDestroyed(Form& form) {
  renderer_.Forget(form);
}

void QtPlatform::SetClipboardText(const std::u16string& text) {
  QGuiApplication::clipboard()->setText(ToQString(text));
}

std::u16string QtPlatform::ClipboardText() {
  return FromQString(QGuiApplication::clipboard()->text());
}

void QtPlatform::ClearClipboard() {
  QGuiApplication::clipboard()->clear();
}

int QtPlatform::ScreenWidth() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return PixelsToTwips(screen ? screen->geometry().width() : 1280);
}

int QtPlatform::ScreenHeight() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return PixelsToTwips(screen ? screen->geometry().height() : 1024);
}

int QtPlatform::OpenInBrowser(const std::u16string& address) {
  constexpr int kSuccess = 42;
  constexpr int kFileNotFound = 2;
  constexpr int kNoAssociation = 31;
  const QString text = ToQString(address);
  const QUrl url = QUrl::fromUserInput(text, QDir::currentPath(), QUrl::AssumeLocalFile);
  if (!url.isValid()) return kFileNotFound;
  if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return kFileNotFound;
  return QDesktopServices::openUrl(url) ? kSuccess : kNoAssociation;
}

std::chrono::system_clock::time_point QtPlatform::Now() const {
  return std::chrono::system_clock::now();
}

std::optional<std::int64_t> QtPlatform::DiskFreeSpace(const std::u16string& path) const {
  return DiskFreeSpaceAt(path);
}

bool QtPlatform::IsReadOnlyFileSystem(const std::u16string& path) const {
  return IsReadOnlyFileSystemAt(path);
}

}  // namespace quor::ui::qt
