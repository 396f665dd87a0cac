#pragma once
// The application object: title, the executable's folder, the main form, hint
// settings and the one place where exceptions escaping event handlers end up.

#include <QApplication>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

#include "platform/exceptions.h"

class TForm;

// Message box kinds and answers, as the host numbers them.
constexpr unsigned MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_YESNO = 0x4, MB_ICONERROR = 0x10,
                   MB_ICONQUESTION = 0x20, MB_ICONWARNING = 0x30, MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7;

struct TMessageBoxRequest {
  QString Text;
  QString Caption;
  unsigned Flags = MB_OK;
  QStringList Buttons;  // captions as shown, with "&" access keys
};

// Every message box of the system goes through this function; tests and the
// skinned message form replace it. It returns IDOK, IDYES, IDNO or IDCANCEL.
using TMessageBoxHandler = std::function<int(const TMessageBoxRequest&)>;
TMessageBoxHandler SetMessageBoxHandler(TMessageBoxHandler handler);
int ShowMessageBox(const TMessageBoxRequest& request);

// A plain box with one OK button, captioned with the application title.
void ShowMessage(const QString& text);
// The confirmation box: question icon, caption "Confirm", "&Yes" and "&No".
// Returns IDYES or IDNO.
int ConfirmYesNo(const QString& text);

class TApplication : public QObject {
  Q_OBJECT
 public:
  TApplication();
  ~TApplication() override;

  void Initialize() {}
  QString Title() const { return m_title; }
  void SetTitle(const QString& t);
  QString ExeName() const;
  // The executable's folder with its trailing "/".
  QString Path() const;
  // Tests run the program's code from another executable: they point the
  // application path at a folder of their own.
  void SetPathOverride(const QString& folderWithSlash) { m_pathOverride = folderWithSlash; }

  TForm* MainForm() const;
  // The first form registered becomes the main form.
  void RegisterForm(TForm* form);
  void Run();
  void Terminate();
  bool Terminated() const { return m_terminated; }
  void ProcessMessages();

  // Shows an exception in a plain message box captioned with the title.
  void HandleException(const std::exception& e);
  std::function<void(const std::exception&)> OnException;

  int HintPause = 500;
  int HintHidePause = 2500;
  bool ShowHint = true;

 private:
  QString m_title;
  QString m_pathOverride;
  QPointer<TForm> m_mainForm;
  bool m_terminated = false;
};

extern TApplication* Application;

// The QApplication of the program and of the tests: it routes exceptions that
// escape event handlers to Application->HandleException, so the action stops
// there and the program goes on.
class TQtApplication : public QApplication {
 public:
  TQtApplication(int& argc, char** argv);
  ~TQtApplication() override;
  bool notify(QObject* receiver, QEvent* event) override;

 private:
  TApplication m_app;
};

// Runs `action`; an exception it raises is shown by the application's
// exception handler and the action stops there. Every entry from Qt into our
// code goes through this, so exceptions never unwind through Qt's frames.
template <typename F>
void GuardEvent(F&& action) {
  try {
    action();
  } catch (const std::exception& e) {
    if (Application) Application->HandleException(e);
  } catch (...) {
    if (Application) Application->HandleException(Exception(QStringLiteral("Unknown error")));
  }
}

// The folder of the executable with its trailing "/" (the application path).
QString GetApplicationPath();
