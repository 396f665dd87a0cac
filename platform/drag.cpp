#include "platform/drag.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cstdlib>

Qt::CursorShape CursorShapeOf(TCursor cursor) {
  switch (cursor) {
    case crDrag: return Qt::DragMoveCursor;
    case crMultiDrag: return Qt::DragCopyCursor;
    case crNoDrop: return Qt::ForbiddenCursor;
    default: return Qt::ArrowCursor;
  }
}

namespace {
TPoint ToPoint(const QPoint& p) { return TPoint(p.x(), p.y()); }
QPoint ToQPoint(const TPoint& p) { return QPoint(p.X, p.Y); }

// The nearest widget at `screen`, or above it, that takes drags.
QWidget* TargetAt(const TPoint& screen) {
  for (QWidget* w = QApplication::widgetAt(ToQPoint(screen)); w; w = w->parentWidget())
    if (dynamic_cast<IDragTarget*>(w)) return w;
  return nullptr;
}

TPoint Local(const QWidget* w, const TPoint& screen) { return ToPoint(w->mapFromGlobal(ToQPoint(screen))); }
}  // namespace

TDragManager& TDragManager::Instance() {
  static TDragManager* manager = new TDragManager;  // lives as long as the process
  return *manager;
}

QObject* TDragManager::DragObject() const {
  if (m_dragObject) return m_dragObject.data();
  return m_source.data();
}

void TDragManager::BeginDrag(QWidget* source, const TPoint& screen, bool immediate, int threshold) {
  if (m_source || m_dragging) CancelDrag();
  if (!source || !dynamic_cast<IDragSource*>(source)) return;
  m_source = source;
  m_dragObject = nullptr;
  m_target = nullptr;
  m_dragging = false;
  m_accepted = false;
  m_threshold = std::max(0, threshold);
  m_start = m_point = screen;
  Watch(true);
  if (immediate) Start();
}

void TDragManager::Start() {
  QPointer<QWidget> source = m_source;
  m_dragging = true;
  QApplication::setOverrideCursor(QCursor(CursorShapeOf(crNoDrop)));
  QObject* dragObject = nullptr;
  if (auto* s = dynamic_cast<IDragSource*>(source.data())) s->DoStartDrag(dragObject);
  if (!m_source && m_dragging) Finish(nullptr, m_point);  // the handler destroyed the source
  if (!source || source != m_source) return;  // the handler ended it
  m_dragObject = dragObject;
  MoveTo(m_point);
}

void TDragManager::MoveTo(const TPoint& screen) {
  m_point = screen;
  QPointer<QWidget> source = m_source;
  QPointer<QWidget> target = TargetAt(screen);
  if (target != m_target) {
    Leave();
    if (source != m_source) return;
    m_target = target;
    if (auto* t = dynamic_cast<IDragTarget*>(target.data())) {
      const TPoint p = Local(target, screen);
      bool accept = false;
      t->DoDragOver(DragObject(), p.X, p.Y, dsDragEnter, accept);
      if (source != m_source) return;
      m_accepted = accept && target == m_target;
    }
  }
  if (m_target) {
    if (auto* t = dynamic_cast<IDragTarget*>(m_target.data())) {
      const TPoint p = Local(m_target, screen);
      bool accept = false;
      t->DoDragOver(DragObject(), p.X, p.Y, dsDragMove, accept);
      if (source != m_source) return;
      m_accepted = accept && m_target;
    }
  }
  auto* s = dynamic_cast<IDragSource*>(source.data());
  if (!s) return;
  QApplication::changeOverrideCursor(QCursor(CursorShapeOf(m_accepted ? s->DragCursorOf() : crNoDrop)));
  s->DoDragMoved(screen);
}

// Tells the target under the pointer that the drag left it.
void TDragManager::Leave() {
  QPointer<QWidget> target = m_target;
  m_target = nullptr;
  m_accepted = false;
  if (auto* t = dynamic_cast<IDragTarget*>(target.data())) {
    const TPoint p = Local(target, m_point);
    bool accept = false;
    t->DoDragOver(DragObject(), p.X, p.Y, dsDragLeave, accept);
  }
}

void TDragManager::Drop(const TPoint& screen) {
  MoveTo(screen);
  if (!m_source) {  // a handler destroyed the source: nothing is dropped
    if (m_dragging) Finish(nullptr, screen);
    return;
  }
  Finish(m_accepted ? m_target.data() : nullptr, screen);
}

// A running drag whose source was destroyed is still ended here: its
// cursor is restored and its target left.
void TDragManager::CancelDrag() {
  if (!m_source && !m_dragging) return;
  if (!m_dragging) {
    m_source = nullptr;
    Watch(false);
    return;
  }
  Finish(nullptr, m_point);
}

// The drag is over: the state is cleared first, so a handler may begin the
// next drag; then the drop (or the leave) and the source's end.
void TDragManager::Finish(QObject* dropTarget, const TPoint& at) {
  QPointer<QWidget> source = m_source;
  QPointer<QObject> dragObject = DragObject();
  QPointer<QWidget> target = m_target;
  QPointer<QObject> dropped = dropTarget;
  m_source = nullptr;
  m_dragObject = nullptr;
  m_target = nullptr;
  m_accepted = false;
  m_dragging = false;
  Watch(false);
  QApplication::restoreOverrideCursor();
  if (auto* t = dynamic_cast<IDragTarget*>(target.data())) {
    const TPoint p = Local(target, at);
    if (dropped) {
      t->DoDragDrop(dragObject.data(), p.X, p.Y);
    } else {
      bool accept = false;
      t->DoDragOver(dragObject.data(), p.X, p.Y, dsDragLeave, accept);
    }
  }
  if (auto* s = dynamic_cast<IDragSource*>(source.data())) {
    const bool hit = dropped && target;
    const TPoint p = hit ? Local(target, at) : Local(source, at);
    s->DoEndDrag(hit ? target.data() : nullptr, p.X, p.Y);
  }
}

void TDragManager::Watch(bool on) {
  if (on == m_watching || !qApp) return;
  m_watching = on;
  if (on) qApp->installEventFilter(this);
  else qApp->removeEventFilter(this);
}

// Only the events delivered to widgets are looked at: the window's copy
// must pass, since the window keeps the mouse grab by it.
bool TDragManager::eventFilter(QObject* watched, QEvent* event) {
  if (!watched->isWidgetType()) return false;
  if (!m_source) {  // the source went away
    if (m_dragging) {
      Finish(nullptr, m_point);
    } else {
      Watch(false);
    }
    return false;
  }
  switch (event->type()) {
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(event);
      const TPoint p = ToPoint(me->globalPosition().toPoint());
      if (m_dragging) {
        MoveTo(p);
        return true;
      }
      m_point = p;
      if (!(me->buttons() & Qt::LeftButton)) {
        CancelDrag();
      } else if (std::abs(p.X - m_start.X) > m_threshold || std::abs(p.Y - m_start.Y) > m_threshold) {
        Start();
        return true;
      }
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* me = static_cast<QMouseEvent*>(event);
      if (me->button() != Qt::LeftButton) return m_dragging;
      if (!m_dragging) {  // released before the drag started: a plain click
        CancelDrag();
        return false;
      }
      Drop(ToPoint(me->globalPosition().toPoint()));
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
      return m_dragging;
    case QEvent::KeyPress:
      if (m_dragging && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        CancelDrag();
        return true;
      }
      return m_dragging;
    case QEvent::KeyRelease:
      return m_dragging;
    default: return false;
  }
}

// ---- TDragControl ------------------------------------------------------------

void TDragControl::BeginDrag(const TPoint& screen, bool immediate, int threshold) {
  if (DragKind != dkDrag) return;
  TDragManager::Instance().BeginDrag(DragWidget(), screen, immediate,
                                     threshold < 0 ? TDragManager::kDragThreshold : threshold);
}

bool TDragControl::Dragging() {
  TDragManager& m = TDragManager::Instance();
  return m.Source() && m.Source() == DragWidget();
}

void TDragControl::AutoDragOnPress(int x, int y) {
  if (DragMode != dmAutomatic) return;
  BeginDrag(ToPoint(DragWidget()->mapToGlobal(QPoint(x, y))), false);
}

void TDragControl::DoStartDrag(QObject*& dragObject) {
  if (OnStartDrag) OnStartDrag(DragWidget(), dragObject);
}

void TDragControl::DoEndDrag(QObject* target, int x, int y) {
  if (OnEndDrag) OnEndDrag(DragWidget(), target, x, y);
}

void TDragControl::DoDragOver(QObject* source, int x, int y, TDragState state, bool& accept) {
  accept = false;
  if (!OnDragOver) return;
  accept = true;
  OnDragOver(DragWidget(), source, x, y, state, accept);
}

void TDragControl::DoDragDrop(QObject* source, int x, int y) {
  if (OnDragDrop) OnDragDrop(DragWidget(), source, x, y);
}
