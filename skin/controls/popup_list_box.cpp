#include "skin/controls/popup_list_box.h"

#include <QApplication>
#include <QEvent>

#include "skin/render/window_helpers.h"

TPoint DropDownPosition(const TRect& owner, int height, const TRect& workArea) {
  if (owner.Bottom + height > workArea.Bottom) return TPoint(owner.Left, owner.Top - height);
  return TPoint(owner.Left, owner.Bottom);
}

TsfPopupListBox::TsfPopupListBox(QWidget* owner) : TsfSkinListBox(owner) {
  SetVisible(false);
  setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                 Qt::WindowDoesNotAcceptFocus);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setFocusPolicy(Qt::NoFocus);
  // Neither the window nor its inner list takes the focus from the owner.
  ListBox()->SetTabStop(false);
  ListBox()->setFocusPolicy(Qt::NoFocus);
}

TsfPopupListBox::~TsfPopupListBox() {
  OnCancelMode = nullptr;
  Watch(false);
}

void TsfPopupListBox::ShowAt(const TPoint& screen) {
  move(screen.X, screen.Y);
  SetVisible(true);
  Watch(true);
}

void TsfPopupListBox::DropDownFor(const QWidget* control) {
  const QPoint topLeft = control->mapToGlobal(QPoint(0, 0));
  const TRect owner = Bounds(topLeft.x(), topLeft.y(), control->width(), control->height());
  TRect work;
  GetWorkArea(control->window(), true, work);
  ShowAt(DropDownPosition(owner, Height(), work));
}

void TsfPopupListBox::HideList() {
  Watch(false);
  SetVisible(false);
}

void TsfPopupListBox::ListKey(WORD key) {
  ListBox()->Perform(WM_KEYDOWN, key);
}

void TsfPopupListBox::ListChar(QChar ch) {
  ListBox()->Perform(WM_CHAR, ch.unicode());
}

bool TsfPopupListBox::event(QEvent* e) {
  if (e->type() == QEvent::WindowActivate && parentWidget() && parentWidget()->isVisible())
    parentWidget()->window()->activateWindow();
  return TsfSkinListBox::event(e);
}

void TsfPopupListBox::Watch(bool on) {
  if (on == m_watching || !qApp) return;
  m_watching = on;
  if (on) qApp->installEventFilter(this);
  else qApp->removeEventFilter(this);
}

bool TsfPopupListBox::eventFilter(QObject* watched, QEvent* event) {
  QWidget* cause = nullptr;
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
      if (!watched->isWidgetType()) return false;
      cause = static_cast<QWidget*>(watched);
      if (cause->window() == this) return false;
      break;
    case QEvent::ApplicationDeactivate: break;
    default: return false;
  }
  // The press itself goes on to its widget.
  if (OnCancelMode) {
    const auto handler = OnCancelMode;
    handler(cause);
  }
  return false;
}
