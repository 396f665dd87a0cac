#pragma once
// TForm: a top-level window. The form widget is the whole window; a child
// widget is its client area. Without a skinner the client fills the window;
// a skinner places it (SetClientBounds) and draws the rest on WM_NCPAINT.

#include <QEventLoop>
#include <QPointer>

#include "platform/border_style.h"
#include "platform/control.h"

enum TModalResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4,
                          mrIgnore = 5, mrYes = 6, mrNo = 7 };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TPosition { poDesigned, poDefault, poScreenCenter, poMainFormCenter };

class TForm;

// The client area of a form: its paint and mouse messages are the form's.
class TFormClient : public TWinControl {
  Q_OBJECT
 public:
  explicit TFormClient(TForm* form);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;

 private:
  TForm* m_form;
};

class TForm : public TWinControl {
  Q_OBJECT
 public:
  explicit TForm(QWidget* owner = nullptr);
  ~TForm() override;
  // True once the form's destructor has begun.
  bool Destroying() const { return m_destroying; }

  QWidget* ChildParent() override;
  TFormClient* ClientArea() const { return m_client; }
  TRect ClientRect() const override;
  void SetClientSize(int width, int height);
  // Where the client area lies in the window (set by a skinner).
  void SetClientBounds(const TRect& r);
  TRect ClientBounds() const { return m_clientBounds; }
  bool HasCustomFrame() const { return m_customFrame; }
  // True while the form's destructor runs (its owned components go first).
  void SetCustomFrame(bool v);

  void Show();
  void Hide();
  void Close();
  int ShowModal();
  bool Modal() const { return m_modalLoop != nullptr; }
  int ModalResult() const { return m_modalResult; }
  void SetModalResult(int v);
  bool Active() const { return isActiveWindow(); }
  TPosition Position = poDesigned;
  // Read by a skinner: whether the frame sizes, and how tall its caption is.
  TFormBorderStyle BorderStyle = TFormBorderStyle::bsSizeable;

  virtual bool CloseQuery();

  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnCreate;
  std::function<void(TObject*, bool& CanClose)> OnCloseQuery;
  std::function<void(TObject*, TCloseAction& Action)> OnClose;

  // Every live form, most recently active first.
  static QList<TForm*> Forms();

  void WndProc(TMessage& message) override;

 protected:
  void Paint() override;
  // The client background is painted on WM_ERASEBKGND, before WM_PAINT.
  void PaintBackground() override {}
  void TextChanged() override;
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  bool event(QEvent* e) override;

 private:
  friend class TFormClient;
  void PlaceClient();
  void NonClientMouse(QMouseEvent* e, unsigned msg);
  void ClientMouse(QMouseEvent* e, int kind);
  bool DoClose();

  TFormClient* m_client = nullptr;
  TRect m_clientBounds;
  bool m_customFrame = false;
  bool m_destroying = false;
  bool m_closing = false;
  bool m_reframing = false;
  int m_modalResult = mrNone;
  QEventLoop* m_modalLoop = nullptr;
};

// Sends a message synchronously to every form, in screen order.
void SendToAllForms(unsigned msg, intptr_t wparam = 0, intptr_t lparam = 0);
