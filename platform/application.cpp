#include "platform/application.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include "platform/font.h"
#include "platform/form.h"

TApplication* Application = nullptr;

namespace {
TMessageBoxHandler& Handler() {
  static TMessageBoxHandler handler;
  return handler;
}

int DefaultMessageBox(const TMessageBoxRequest& r) {
  QMessageBox box;
  box.setWindowTitle(r.Caption);
  box.setText(r.Text);
  const unsigned icon = r.Flags & 0xF0;
  box.setIcon(icon == MB_ICONERROR      ? QMessageBox::Critical
              : icon == MB_ICONQUESTION ? QMessageBox::Question
              : icon == MB_ICONWARNING  ? QMessageBox::Warning
              : icon == MB_ICONINFORMATION ? QMessageBox::Information
                                           : QMessageBox::NoIcon);
  const unsigned kind = r.Flags & 0xF;
  QList<QPair<QAbstractButton*, int>> buttons;
  auto add = [&](const QString& text, QMessageBox::ButtonRole role, int id) {
    buttons.append({box.addButton(text, role), id});
  };
  if (kind == MB_YESNO) {
    add(r.Buttons.value(0, QStringLiteral("&Yes")), QMessageBox::YesRole, IDYES);
    add(r.Buttons.value(1, QStringLiteral("&No")), QMessageBox::NoRole, IDNO);
  } else if (kind == MB_OKCANCEL) {
    add(r.Buttons.value(0, QStringLiteral("OK")), QMessageBox::AcceptRole, IDOK);
    add(r.Buttons.value(1, QStringLiteral("Cancel")), QMessageBox::RejectRole, IDCANCEL);
  } else {
    add(r.Buttons.value(0, QStringLiteral("OK")), QMessageBox::AcceptRole, IDOK);
  }
  box.exec();
  for (const auto& [button, id] : buttons)
    if (box.clickedButton() == button) return id;
  return kind == MB_YESNO ? IDNO : kind == MB_OKCANCEL ? IDCANCEL : IDOK;
}
}  // namespace

TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler) {
  TMessageBoxHandler old = std::move(Handler());
  Handler() = std::move(handler);
  return old;
}

int ShowMessageBox(const TMessageBoxRequest& request) {
  if (Handler()) return Handler()(request);
  return DefaultMessageBox(request);
}

void ShowMessage(const QString& text) {
  ShowMessageBox({text, Application ? Application->Title() : QString(), MB_OK, {}});
}

int ConfirmYesNo(const QString& text) {
  const int r = ShowMessageBox({text, QStringLiteral("Confirm"), MB_YESNO | MB_ICONQUESTION,
                                {QStringLiteral("&Yes"), QStringLiteral("&No")}});
  return r == IDYES ? IDYES : IDNO;
}

QString GetApplicationPath() {
  if (Application) return Application->Path();
  QString dir = QCoreApplication::applicationDirPath();
  if (!dir.endsWith('/')) dir += '/';
  return dir;
}

TApplication::TApplication() {
  if (!Application) Application = this;
  InstallFontSubstitutions();
}

TApplication::~TApplication() {
  if (Application == this) Application = nullptr;
}

// Only our own captions use the title: Qt would append a display name to
// every window caption.
void TApplication::SetTitle(const QString& t) { m_title = t; }

QString TApplication::ExeName() const { return QCoreApplication::applicationFilePath(); }

QString TApplication::Path() const {
  if (!m_pathOverride.isEmpty()) return m_pathOverride;
  QString dir = QFileInfo(ExeName()).absolutePath();
  if (!dir.endsWith('/')) dir += '/';
  return dir;
}

TForm* TApplication::MainForm() const { return m_mainForm.data(); }

void TApplication::RegisterForm(TForm* form) {
  if (!m_mainForm) m_mainForm = form;
}

void TApplication::Run() {
  if (m_mainForm && !m_mainForm->isVisible()) m_mainForm->Show();
  if (!m_terminated) QApplication::exec();
}

void TApplication::Terminate() {
  m_terminated = true;
  QCoreApplication::quit();
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(); }

void TApplication::HandleException(const std::exception& e) {
  if (OnException) {
    OnException(e);
    return;
  }
  const auto* ex = dynamic_cast<const Exception*>(&e);
  const QString text = ex ? ex->Message() : QString::fromUtf8(e.what());
  ShowMessageBox({text, m_title, MB_OK | MB_ICONERROR, {}});
}

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {}
TQtApplication::~TQtApplication() = default;

bool TQtApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    if (Application) Application->HandleException(e);
  } catch (...) {
    if (Application) Application->HandleException(Exception(QStringLiteral("Unknown error")));
  }
  return false;
}
