#pragma once
// Dragging between controls as the host framework does it. A control begins
// a drag, at once or (the usual case) once the pointer has moved more than a
// threshold away from the press with the left button still held. While the
// drag lasts, the nearest widget under the pointer that takes drags is asked
// whether it accepts the source (entering, moving over, leaving), the cursor
// shows the source's drag cursor over an accepting target and the no-drop
// cursor elsewhere, and releasing the left button drops on an accepting
// target and then ends the drag at the source (with the target, or with none
// when nothing accepted). Escape cancels: the target is left and the source's
// drag ends without a target. Only one drag runs in the process.
//
// Nothing here is a Qt drag: Qt's drag and drop runs a nested loop with its
// own cursor and data object and would take the mouse from our controls.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/component.h"
#include "platform/types.h"

// How a drag starts: by code only, or by pressing and moving on the control.
enum TDragMode { dmManual, dmAutomatic };
// A drag moves data; docking moves the control itself (not done here: a
// control whose kind is dkDock never begins a drag).
enum TDragKind { dkDrag, dkDock };
// Where the pointer is against a target during a drag.
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// The host's cursor numbers used while dragging.
using TCursor = int;
constexpr TCursor crDefault = 0, crDrag = -12, crNoDrop = -13, crMultiDrag = -16;
Qt::CursorShape CursorShapeOf(TCursor cursor);

// A widget a drag can start from.
class IDragSource {
 public:
  virtual ~IDragSource() = default;
  // The cursor shown while a target accepts.
  virtual TCursor DragCursorOf() const = 0;
  // The drag has started: the source may name another object to stand for
  // it as the targets' Source (left null: the source widget itself).
  virtual void DoStartDrag(QObject*& dragObject) { Q_UNUSED(dragObject); }
  // The drag is over: dropped on `target` (null when cancelled or dropped
  // where nothing accepted), at (x, y) in the target's coordinates (the
  // source's when there is no target).
  virtual void DoEndDrag(QObject* target, int x, int y) { Q_UNUSED(target); Q_UNUSED(x); Q_UNUSED(y); }
  // The pointer moved during the drag (screen coordinates).
  virtual void DoDragMoved(const TPoint& screen) { Q_UNUSED(screen); }
};

// A widget drags can be dropped on.
class IDragTarget {
 public:
  virtual ~IDragTarget() = default;
  // `accept` comes in false; a target with a handler sets it.
  virtual void DoDragOver(QObject* source, int x, int y, TDragState state, bool& accept) = 0;
  virtual void DoDragDrop(QObject* source, int x, int y) = 0;
};

class TDragManager : public QObject {
  Q_OBJECT
 public:
  static TDragManager& Instance();
  // Pixels the pointer must move past (in x or in y) before a pending drag
  // starts, as the host's mouse settings give it.
  static constexpr int kDragThreshold = 5;

  // Begins a drag from `source` (a widget implementing IDragSource) with
  // the pointer at `screen`: at once, or when the pointer has moved more
  // than `threshold` pixels away with the left button held (a release
  // before that leaves the press an ordinary click). A drag already
  // running, or pending, is cancelled first.
  void BeginDrag(QWidget* source, const TPoint& screen, bool immediate, int threshold = kDragThreshold);
  // Ends a pending or running drag without dropping.
  void CancelDrag();

  bool Pending() const { return m_source && !m_dragging; }
  bool Dragging() const { return m_source && m_dragging; }
  QWidget* Source() const { return m_source.data(); }
  // What the targets are told the source is.
  QObject* DragObject() const;
  // The target under the pointer now (null: none takes drags) and whether
  // it accepts.
  QWidget* Target() const { return m_target.data(); }
  bool Accepted() const { return m_accepted; }
  // The pointer's last place in screen coordinates.
  TPoint Point() const { return m_point; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  TDragManager() = default;
  void Start();
  void MoveTo(const TPoint& screen);
  void Drop(const TPoint& screen);
  void Finish(QObject* target, const TPoint& at);
  void Leave();
  void Watch(bool on);

  QPointer<QWidget> m_source;
  QPointer<QObject> m_dragObject;
  QPointer<QWidget> m_target;
  bool m_dragging = false;
  bool m_accepted = false;
  bool m_watching = false;
  int m_threshold = kDragThreshold;
  TPoint m_start, m_point;
};

// The drag properties and events of a control (the host's DragMode,
// DragKind, DragCursor and its four drag events), as a source and as a
// target. The events carry the control as sender; a target accepts only
// when it has an OnDragOver that leaves Accept set.
class TDragControl : public IDragSource, public IDragTarget {
 public:
  TDragMode DragMode = dmManual;
  TDragKind DragKind = dkDrag;
  TCursor DragCursor = crDrag;
  std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)> OnDragOver;
  std::function<void(TObject* Sender, TObject* Source, int X, int Y)> OnDragDrop;
  std::function<void(TObject* Sender, TObject*& DragObject)> OnStartDrag;
  std::function<void(TObject* Sender, TObject* Target, int X, int Y)> OnEndDrag;

  // Begins a drag from this control with the pointer at `screen` (see
  // TDragManager::BeginDrag); a negative threshold is the host's.
  void BeginDrag(const TPoint& screen, bool immediate, int threshold = -1);
  // A drag from this control is pending or running.
  bool Dragging();

  TCursor DragCursorOf() const override { return DragCursor; }
  void DoStartDrag(QObject*& dragObject) override;
  void DoEndDrag(QObject* target, int x, int y) override;
  void DoDragOver(QObject* source, int x, int y, TDragState state, bool& accept) override;
  void DoDragDrop(QObject* source, int x, int y) override;

 protected:
  // The widget dragged from and dropped on: the events' sender.
  virtual QWidget* DragWidget() = 0;
  // A left press at (x, y) of the widget: with dmAutomatic (and dkDrag) the
  // drag begins, to start once the pointer moves past the threshold.
  void AutoDragOnPress(int x, int y);
};
