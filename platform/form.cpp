#include "platform/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

#include "platform/application.h"
#include "platform/display_watch.h"

namespace {
QList<QPointer<TForm>>& Registry() {
  static QList<QPointer<TForm>> forms;
  return forms;
}
}  // namespace

TFormClient::TFormClient(TForm* form) : TWinControl(form), m_form(form) {
  Opaque = true;
}

void TFormClient::paintEvent(QPaintEvent*) {
  QPointer<TForm> form(m_form);
  m_form->PaintThrough(this, WM_ERASEBKGND);
  if (form) m_form->PaintThrough(this, WM_PAINT);
}
// Mouse input on the client area is the form's own client input.
void TFormClient::mousePressEvent(QMouseEvent* e) { m_form->ClientMouse(e, 0); }
void TFormClient::mouseReleaseEvent(QMouseEvent* e) { m_form->ClientMouse(e, 1); }
void TFormClient::mouseDoubleClickEvent(QMouseEvent* e) { m_form->ClientMouse(e, 2); }
void TFormClient::mouseMoveEvent(QMouseEvent* e) { m_form->ClientMouse(e, 3); }
void TFormClient::resizeEvent(QResizeEvent* e) {
  TWinControl::resizeEvent(e);
  m_form->Realign();
}

TForm::TForm(QWidget* owner) : TWinControl(nullptr) {
  m_client = new TFormClient(this);
  // Owned by `owner` for lifetime, but always a top-level window.
  if (owner) {
    setParent(owner, Qt::Window);
  }
  setAttribute(Qt::WA_QuitOnClose, false);
  TControl::SetVisible(false);
  hide();
  m_client->show();
  resize(320, 240);
  PlaceClient();
  Registry().append(this);
  WatchDisplays(this, [this](QSize screen) {
    if (!m_destroying)
      PerformFromQt(WM_DISPLAYCHANGE, 32, MakeLParam(screen.width(), screen.height()));
  });
}

TForm::~TForm() {
  m_destroying = true;
  // Owned components go while the form is whole: a skinner puts the form's
  // window procedure back when it is destroyed.
  // Deleting one may delete or reparent others (a skinner closes its pop-ups):
  // walk a guarded copy, never the live child list.
  QList<QPointer<QObject>> owned;
  for (QObject* child : children())
    if (qobject_cast<TComponent*>(child)) owned << child;
  for (const QPointer<QObject>& child : owned) delete child.data();
  Registry().removeAll(this);
  Registry().removeAll(nullptr);
}

QList<TForm*> TForm::Forms() {
  QList<TForm*> list;
  for (const QPointer<TForm>& f : Registry())
    if (f) list << f.data();
  return list;
}

void SendToAllForms(unsigned msg, intptr_t wparam, intptr_t lparam) {
  for (TForm* f : TForm::Forms()) {
    QPointer<TForm> form(f);
    if (form) form->Perform(msg, wparam, lparam);
  }
}

QWidget* TForm::ChildParent() { return m_client ? static_cast<QWidget*>(m_client) : this; }

TRect TForm::ClientRect() const { return TRect(0, 0, m_client->width(), m_client->height()); }

void TForm::SetClientSize(int width, int height) {
  const int extraW = this->width() - m_client->width();
  const int extraH = this->height() - m_client->height();
  resize(width + extraW, height + extraH);
  PlaceClient();
}

void TForm::SetClientBounds(const TRect& r) {
  m_clientBounds = r;
  PlaceClient();
}

void TForm::SetCustomFrame(bool v) {
  m_customFrame = v;
  const bool shown = isVisible();
  // A new frame flag re-creates a shown window: that hide and show are not
  // the form's own, and its OnHide/OnShow handlers do not run for them.
  m_reframing = true;
  setWindowFlag(Qt::FramelessWindowHint, v);
  if (!v) m_clientBounds = TRect();
  PlaceClient();
  if (shown) show();
  m_reframing = false;
}

void TForm::PlaceClient() {
  const TRect r = m_customFrame ? m_clientBounds : TRect(0, 0, width(), height());
  m_client->setGeometry(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
  Realign();
}

void TForm::Show() {
  if (Position == poScreenCenter || Position == poMainFormCenter) {
    // The monitor the form is on, not always the first one.
    QScreen* s = QGuiApplication::screenAt(geometry().center());
    if (!s) s = screen();
    if (s) {
      const QRect avail = s->availableGeometry();
      move(avail.left() + avail.width() / 2 - width() / 2, avail.top() + avail.height() / 2 - height() / 2);
    }
  }
  TControl::SetVisible(true);
  show();
  raise();
  activateWindow();
}

void TForm::Hide() {
  TControl::SetVisible(false);
  hide();
}

bool TForm::CloseQuery() {
  bool canClose = true;
  if (OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

bool TForm::DoClose() {
  QPointer<TForm> self(this);
  if (!CloseQuery() || !self) return false;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (!self || action == caNone) return false;
  if (Modal()) {
    if (m_modalResult == mrNone) SetModalResult(mrCancel);
    return true;
  }
  Hide();
  if (Application && Application->MainForm() == this) Application->Terminate();
  if (action == caFree) deleteLater();
  return true;
}

void TForm::Close() {
  if (m_closing) return;
  m_closing = true;
  QPointer<TForm> self(this);
  DoClose();
  if (self) m_closing = false;
}

void TForm::SetModalResult(int v) {
  m_modalResult = v;
  if (v != mrNone && m_modalLoop) m_modalLoop->quit();
}

int TForm::ShowModal() {
  if (Modal()) throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
  m_modalResult = mrNone;
  setWindowModality(Qt::ApplicationModal);
  Show();
  QEventLoop loop;
  m_modalLoop = &loop;
  QPointer<TForm> self(this);
  // The loop quits only when a modal result is set (SetModalResult).
  while (self && m_modalResult == mrNone) loop.exec();
  if (!self) return mrCancel;
  m_modalLoop = nullptr;
  Hide();
  setWindowModality(Qt::NonModal);
  return m_modalResult;
}

void TForm::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST:
      m.Result = HTCLIENT;
      return;
    case WM_NCPAINT:
      return;  // no frame of our own without a skinner
    case WM_ERASEBKGND:
      Canvas()->Brush.Color = Color();
      Canvas()->Brush.Style = bsSolid;
      Canvas()->FillRect(ClientRect());
      m.Result = 1;
      return;
    case WM_CLOSE:
      Close();
      return;
    default:
      TWinControl::WndProc(m);
  }
}

void TForm::ClientMouse(QMouseEvent* e, int kind) {
  switch (kind) {
    case 0: TControl::mousePressEvent(e); break;
    case 1: TControl::mouseReleaseEvent(e); break;
    case 2: TControl::mouseDoubleClickEvent(e); break;
    default: TControl::mouseMoveEvent(e); break;
  }
}

void TForm::TextChanged() {
  setWindowTitle(Caption());
  TWinControl::TextChanged();
}

void TForm::Paint() {
  if (OnPaint) OnPaint(this);
}

void TForm::showEvent(QShowEvent* e) {
  TWinControl::showEvent(e);
  TControl::SetVisible(true);
  if (OnShow && !m_reframing) GuardEvent([this] { OnShow(this); });
}

void TForm::hideEvent(QHideEvent* e) {
  TWinControl::hideEvent(e);
  if (OnHide && !m_reframing) GuardEvent([this] { OnHide(this); });
}

void TForm::closeEvent(QCloseEvent* e) {
  // The window manager's close goes through the same query as Close().
  e->ignore();
  GuardEvent([this] { Close(); });
}

void TForm::paintEvent(QPaintEvent*) {
  if (m_customFrame) PaintThrough(this, WM_NCPAINT);
}

void TForm::resizeEvent(QResizeEvent* e) {
  PlaceClient();
  TWinControl::resizeEvent(e);
}

void TForm::NonClientMouse(QMouseEvent* e, unsigned msg) {
  const QPoint g = e->globalPosition().toPoint();
  const intptr_t ht = PerformFromQt(WM_NCHITTEST, 0, MakeLParam(g.x(), g.y()));
  PerformFromQt(msg, ht, MakeLParam(g.x(), g.y()));
}

void TForm::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) NonClientMouse(e, WM_NCLBUTTONDOWN);
  else if (e->button() == Qt::RightButton) NonClientMouse(e, WM_NCRBUTTONDOWN);
}
void TForm::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) NonClientMouse(e, WM_NCLBUTTONUP);
  else if (e->button() == Qt::RightButton) NonClientMouse(e, WM_NCRBUTTONUP);
}
void TForm::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) NonClientMouse(e, WM_NCLBUTTONDBLCLK);
}
void TForm::mouseMoveEvent(QMouseEvent* e) { NonClientMouse(e, WM_NCMOUSEMOVE); }

bool TForm::event(QEvent* e) {
  // The activation handlers (the window's own and those of what hooks its
  // messages) may destroy the window: nothing of it is touched afterwards.
  QPointer<TForm> self(this);
  if (e->type() == QEvent::WindowActivate) {
    Registry().removeAll(this);
    Registry().prepend(this);
    PerformFromQt(WM_ACTIVATE, 1);
    if (self && OnActivate) GuardEvent([this] { OnActivate(this); });
    if (!self) return true;
  } else if (e->type() == QEvent::WindowDeactivate) {
    PerformFromQt(WM_ACTIVATE, 0);
    if (self && OnDeactivate) GuardEvent([this] { OnDeactivate(this); });
    if (!self) return true;
  }
  return TWinControl::event(e);
}
