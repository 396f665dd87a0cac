// Dragging nodes inside the tree list and scrolling by itself near its
// edges. The drag runs inside the control on its own mouse events (a drop is
// only ever taken by the list the nodes came from): pressing on a node and
// moving more than 5 pixels focuses and selects it, moving on past the
// platform's drag distance starts the drag, and the release drops. While
// dragging, the row under the pointer is focused, resting on an expand button
// expands it, and the list scrolls near its top, bottom, left and right edges.

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QPainter>
#include <algorithm>
#include <cstdlib>

#include "platform/keys.h"
#include "platform/timer.h"
#include "treelist/tree_list.h"

namespace {
// Distance the pointer moves from the press point before a drag is asked for.
constexpr int kDragStartDistance = 5;
constexpr int kScrollInterval = 100;
constexpr int kPressScrollInterval = 60;
// The strips along the scrollable area's left and right edges.
constexpr int kHorzScrollZone = 12;
constexpr int kHorzScrollStep = 32;

// The drag image beside the pointer: a borderless picture window that lets
// the mouse through, its transparent colour masked out.
class TtlDragImageWindow : public QWidget {
 public:
  explicit TtlDragImageWindow(QWidget* owner)
      : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                           Qt::WindowTransparentForInput) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }
  void SetPicture(const QImage& picture, TColor transparent) {
    m_picture = QPixmap::fromImage(picture);
    resize(m_picture.size());
    setMask(m_picture.createMaskFromColor(ToQColor(transparent), Qt::MaskInColor));
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(0, 0, m_picture); }

 private:
  QPixmap m_picture;
};

// The drag cursors: an arrow with a sheet beside it (a stack of sheets for
// several nodes), and a plus sign when the drop copies.
QCursor DragCursorPicture(bool several, bool copy) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(Qt::black);
  p.setBrush(Qt::white);
  if (several) p.drawRect(4, 10, 9, 7);
  p.drawRect(2, 12, 9, 7);
  if (copy) {
    p.fillRect(14, 13, 9, 9, Qt::white);
    p.drawRect(14, 13, 8, 8);
    p.drawLine(16, 17, 20, 17);
    p.drawLine(18, 15, 18, 19);
  }
  p.drawLine(0, 0, 0, 10);
  p.drawLine(0, 0, 7, 7);
  return QCursor(pm, 0, 0);
}
}  // namespace

struct TtlDragState {
  // The node pressed before the drag (tsNodeDown).
  TtlTreeListNode* pressedNode = nullptr;
  // Moved past the first 5 pixels: the drag starts after the drag distance.
  bool pending = false;
  TPoint beginPoint;
  TtlTreeListNode* node = nullptr;
  std::vector<TtlTreeListNode*> nodes;
  TtlTreeListNode* expandNode = nullptr;
  TBitmap image;
  TtlDragImageWindow* imageWindow = nullptr;
  TPoint point;
  bool ctrl = false;
  bool accepted = false;
  bool ending = false;
  TTimer* expand = nullptr;
  int vertDirection = 0;
  int horzDirection = 0;
  // Another tree list the pointer is over, which takes the drag's moves.
  QPointer<TtlCustomTreeList> foreignTarget;
};

void TtlDragStateDeleter::operator()(TtlDragState* state) const { delete state; }

namespace {
// The auto-scroll timers are one vertical and one horizontal for the whole
// process: whichever list is being dragged (or pressed) over takes them, and a
// second list taking one over mid-drag simply becomes the one it serves. The
// owner is guarded, so a tick after its list died stops the timer.
struct SharedScrollTimer {
  TTimer* timer = nullptr;
  QPointer<TtlCustomTreeList> owner;
};
SharedScrollTimer& ScrollTimer(bool vertical) {
  static SharedScrollTimer timers[2];
  SharedScrollTimer& s = timers[vertical ? 1 : 0];
  if (!s.timer) {
    s.timer = new TTimer();
    s.timer->SetEnabled(false);
    s.timer->OnTimer = [&s, vertical](TObject*) {
      TtlCustomTreeList* list = s.owner;
      if (!list) {
        s.timer->SetEnabled(false);
        return;
      }
      if (vertical) list->DragScrollVertTick();
      else list->DragScrollHorzTick();
    };
  }
  return s;
}
void ScrollTimerRun(bool vertical, TtlCustomTreeList* list, int interval) {
  SharedScrollTimer& s = ScrollTimer(vertical);
  s.owner = list;
  s.timer->SetInterval(interval);
  s.timer->SetEnabled(true);
}
// Stops the timer only when it serves this list: another list's scrolling goes on.
void ScrollTimerStop(bool vertical, const TtlCustomTreeList* list) {
  SharedScrollTimer& s = ScrollTimer(vertical);
  if (s.owner && s.owner != list) return;
  s.timer->SetEnabled(false);
  s.owner = nullptr;
}
bool ScrollTimerServes(bool vertical, const TtlCustomTreeList* list) {
  const SharedScrollTimer& s = ScrollTimer(vertical);
  return s.timer->Enabled() && s.owner == list;
}
}  // namespace

TTimer* TtlCustomTreeList::DragScrollTimer(bool vertical) { return ScrollTimer(vertical).timer; }

TtlCustomTreeList* TtlCustomTreeList::DragScrollTimerOwner(bool vertical) {
  const SharedScrollTimer& s = ScrollTimer(vertical);
  return s.timer->Enabled() ? s.owner.data() : nullptr;
}

TtlDragState& TtlCustomTreeList::Drag() {
  if (!m_drag) {
    m_drag.reset(new TtlDragState);
    auto timer = [this](void (TtlCustomTreeList::*tick)()) {
      auto* t = new TTimer(this);
      t->SetEnabled(false);
      t->OnTimer = [this, tick](TObject*) { (this->*tick)(); };
      return t;
    };
    m_drag->expand = timer(&TtlCustomTreeList::DragExpandTick);
  }
  return *m_drag;
}

void TtlCustomTreeList::ForgetDragNode(TtlTreeListNode* node) {
  if (!m_drag) return;
  TtlDragState& d = *m_drag;
  if (d.pressedNode == node) d.pressedNode = nullptr;
  if (d.node == node) d.node = nullptr;
  if (d.expandNode == node) d.expandNode = nullptr;
  d.nodes.erase(std::remove(d.nodes.begin(), d.nodes.end(), node), d.nodes.end());
}

TtlTreeListNode* TtlCustomTreeList::DragNode() const {
  return m_drag && Dragging() ? m_drag->node : nullptr;
}

std::vector<TtlTreeListNode*> TtlCustomTreeList::DraggedNodes() const {
  return m_drag && Dragging() ? m_drag->nodes : std::vector<TtlTreeListNode*>();
}

bool TtlCustomTreeList::DragCopy() const {
  return Dragging() && m_drag->ctrl && HasBehavior(etoAutoDragDropCopy);
}

bool TtlCustomTreeList::DragAccepted() const { return Dragging() && m_drag->accepted; }

const TBitmap* TtlCustomTreeList::DragImage() const {
  return Dragging() && !m_drag->image.Empty() ? &m_drag->image : nullptr;
}

int TtlCustomTreeList::DragCursor() const {
  if (!Dragging()) return 0;
  if (!m_drag->accepted) return crNoDrop;
  const bool several = m_drag->nodes.size() > 1;
  if (DragCopy()) return several ? crTlMultiDragCopy : crTlDragCopy;
  return several ? crMultiDrag : crDrag;
}

void TtlCustomTreeList::UpdateDragCursor() {
  switch (DragCursor()) {
    case crNoDrop: setCursor(Qt::ForbiddenCursor); break;
    case crTlDragCopy: setCursor(DragCursorPicture(false, true)); break;
    case crTlMultiDragCopy: setCursor(DragCursorPicture(true, true)); break;
    case crMultiDrag: setCursor(DragCursorPicture(true, false)); break;
    default: setCursor(DragCursorPicture(false, false)); break;
  }
}

int TtlCustomTreeList::DragScrollVertDirection() const {
  return m_drag && ScrollTimerServes(true, this) ? m_drag->vertDirection : 0;
}

int TtlCustomTreeList::DragScrollHorzDirection() const {
  return m_drag && ScrollTimerServes(false, this) ? m_drag->horzDirection : 0;
}

int TtlCustomTreeList::DragExpandInterval() const {
  return m_drag && m_drag->expand->Enabled() ? m_drag->expand->Interval() : 0;
}

// ---------------------------------------------------------------------------
// Hit test

TtlHitArea TtlCustomTreeList::HitTest(int x, int y, TtlTreeListNode** nodeOut) {
  if (nodeOut) *nodeOut = nullptr;
  const TRect rows = RowsRect();
  if (x < rows.Left || x >= rows.Right || y < rows.Top || y >= rows.Bottom) return htOutside;
  TtlTreeListNode* node = GetNodeAt(x, y);
  if (!node) return htNowhere;
  if (nodeOut) *nodeOut = node;
  const TRect row = RowRect(node);
  const TPoint inRow(x, y - row.Top);
  const std::vector<CellPlace> cells = RowCells(node, TRect(row.Left, 0, row.Right, row.Height()));
  // The tree part shows in the first band's area; elsewhere (a fixed band
  // over it, or past the scrolled bands) only cells can be hit.
  const bool inTreeBand = cells.empty() || (x >= cells.front().clip.Left && x < cells.front().clip.Right);
  int cellsRight = row.Left;
  for (const CellPlace& cell : cells) {
    if (!inTreeBand && cell.Shown().Contains(inRow)) return htCell;
    cellsRight = std::max(cellsRight, cell.Shown().Right);
  }
  if (!inTreeBand) return x >= cellsRight ? htRowRight : htNowhere;
  const int indentCells = NodeIndentCells(node);
  const int indentRight = TreeLeft(row) + indentCells * IndentWidth;
  const auto* text = dynamic_cast<const TtlTreeListTextNode*>(node);
  const bool hasButton = ShowButtons() && node->HasChildren() && indentCells > 0;
  const bool hasState = m_stateImages && text && text->stateIndex != -1;
  const bool hasImage = m_images != nullptr;
  if (x < indentRight) {
    if (hasButton && x >= indentRight - IndentWidth) return htButton;
    // Only a row that shows a button or an image has an indent to drop on.
    return hasButton || hasState || hasImage ? htIndent : htNowhere;
  }
  int left = indentRight;
  if (hasState) {
    if (x < left + m_stateImages->Width) return htStateImage;
    left += m_stateImages->Width;
  }
  if (hasImage) {
    if (x < left + m_images->Width) return htImage;
    left += m_images->Width;
  }
  cellsRight = std::max(cellsRight, left);
  for (const CellPlace& cell : cells)
    if (cell.Shown().Contains(inRow)) return htCell;
  if (x >= cellsRight) return htRowRight;
  if (HasOption(etoPreview) && inRow.Y >= RowHeight(node) - PreviewHeight()) return htPreview;
  return htCell;
}

// ---------------------------------------------------------------------------
// Pressing and moving

void TtlCustomTreeList::PressedOn(TtlTreeListNode* node) {
  TtlDragState& d = Drag();
  d.pressedNode = node;
  d.pending = false;
}

void TtlCustomTreeList::PressMove(TShiftState shift, int x, int y) {
  Q_UNUSED(shift);
  TtlDragState& d = Drag();
  if (DragMode == dmAutomatic) {
    if (d.pending) {
      const int distance = QApplication::startDragDistance();
      if (std::abs(x - d.beginPoint.X) >= distance || std::abs(y - d.beginPoint.Y) >= distance)
        StartDragging(x, y);
      return;
    }
    if (std::abs(x - m_downPoint.X) <= kDragStartDistance &&
        std::abs(y - m_downPoint.Y) <= kDragStartDistance)
      return;
    TtlNodeWatch node(this, d.pressedNode ? d.pressedNode : GetNodeAt(x, y));
    if (!node.Node()) return;
    QPointer<TtlCustomTreeList> self(this);
    if (node.Node() != m_focusedNode) SetFocusedNode(node.Node(), m_focusedColumn, false);
    if (!self || !node.Node() || m_state != tsNodeDown) return;
    SelectNode(node.Node(), true);
    if (!self || !node.Node() || m_state != tsNodeDown) return;
    d.pressedNode = node.Node();
    d.pending = true;
    d.beginPoint = TPoint(x, y);
    return;
  }
  if (!HasBehavior(etoMouseScroll) || (!HasOption(etoRowSelect) && HasBehavior(etoEditing))) return;
  // Pressing without a drag: above or below the rows the focus runs on by
  // itself while the button is held.
  const TRect rows = RowsRect();
  d.point = TPoint(x, y);
  if (y < rows.Top || y >= rows.Bottom) {
    const int direction = y < rows.Top ? -1 : 1;
    QPointer<TtlCustomTreeList> self(this);
    FocusVisibleIndex(direction < 0 ? TopIndex() : TopIndex() + RowsFit() - 1);
    if (!self || m_state != tsNodeDown) return;
    d.vertDirection = direction;
    ScrollTimerRun(true, this, kPressScrollInterval);
    return;
  }
  ScrollTimerStop(true, this);
  if (TtlTreeListNode* node = GetNodeAt(x, y)) SetFocusedNode(node, m_focusedColumn, true);
}

void TtlCustomTreeList::PressReleased() {
  if (!m_drag) return;
  m_drag->pending = false;
  m_drag->pressedNode = nullptr;
  if (!Dragging()) DragTimersStop();
}

void TtlCustomTreeList::DragTimersStop() {
  if (!m_drag) return;
  ScrollTimerStop(true, this);
  ScrollTimerStop(false, this);
}

// ---------------------------------------------------------------------------
// The drag

void TtlCustomTreeList::StartDragging(int x, int y) {
  QPointer<TtlCustomTreeList> self(this);
  TtlDragState& d = Drag();
  d.pending = false;
  // Pending record changes are settled and the editor closed before anything moves.
  DragStarting();
  if (!self || m_state != tsNodeDown) return;
  CloseEditor(true);
  if (!self) return;
  CancelDelayedEditor();
  if (OnStartDrag) OnStartDrag(this);
  if (!self || m_state != tsNodeDown) return;
  TtlTreeListNode* node = d.pressedNode ? d.pressedNode : GetNodeAt(x, y);
  if (!node) return;
  d.node = node;
  d.nodes.clear();
  if (MultiSelect() && !m_selection.empty()) {
    d.nodes = m_selection;
    std::sort(d.nodes.begin(), d.nodes.end(),
              [](auto* a, auto* b) { return CompareNodePositions(a, b) < 0; });
  } else {
    d.nodes.push_back(node);
  }
  d.expandNode = nullptr;
  d.ctrl = false;
  d.accepted = false;
  d.ending = false;
  m_state = tsNodeDragging;
  if (OnBeginDragNode) OnBeginDragNode(this, node);
  if (!self || m_state != tsNodeDragging) return;
  if (!d.node) {
    // The handler took the node away: there is nothing to drag.
    EndDragging(false, x, y);
    return;
  }

  // The drag image: the node's cell in the focused column, framed.
  TtlTreeListNode* dragNode = d.node;
  int cellWidth = RowLineHeight(), cellHeight = 16;
  QString text;
  const TRect row(0, 0, RowsRect().Width(), RowHeight(dragNode));
  for (const CellPlace& cell : RowCells(dragNode, row))
    if (cell.column->Index() == m_focusedColumn) {
      cellWidth = cell.rect.Width();
      cellHeight = cell.rect.Height();
      text = cell.column->CellText(dragNode);
      if (OnGetNodeDragText) OnGetNodeDragText(this, dragNode, m_focusedColumn, text);
      if (!self || m_state != tsNodeDragging || !d.node) return;
      break;
    }
  d.image = TBitmap(std::max(1, cellWidth + 26), std::max(1, cellHeight + 6));
  TCanvas* c = d.image.Canvas();
  c->Brush.Color = Color();
  c->Brush.Style = bsSolid;
  c->FillRect(TRect(0, 0, d.image.Width(), d.image.Height()));
  TRect frame(20, 0, d.image.Width(), d.image.Height());
  for (int i = 0; i < 3; ++i) {
    c->DrawFocusRect(frame);
    frame = frame.Inflate(-1, -1);
  }
  int left = frame.Left + 1;
  auto drawImage = [&](const TtlImageList* list, int index) {
    if (index >= 0 && index < static_cast<int>(list->Images.size()))
      c->Draw(left, (d.image.Height() - list->Images[index].Height()) / 2, &list->Images[index]);
    left += list->Width;
  };
  const auto* textNode = dynamic_cast<const TtlTreeListTextNode*>(dragNode);
  if (m_stateImages && textNode && textNode->stateIndex != -1) drawImage(m_stateImages, textNode->stateIndex);
  if (m_images && textNode) drawImage(m_images, textNode->imageIndex);
  if (!text.isEmpty()) {
    c->Font.Assign(*Font());
    c->Brush.Style = bsClear;
    TRect textRect(left, frame.Top, frame.Right, frame.Bottom);
    c->DrawText(text, textRect, DT_END_ELLIPSIS | DT_NOPREFIX | DT_EXPANDTABS | DT_WORDBREAK);
  }
  if (!d.imageWindow) d.imageWindow = new TtlDragImageWindow(this);
  d.imageWindow->SetPicture(d.image.Image(), Color());
  DragMove(ShiftStateOf(QApplication::keyboardModifiers(), QApplication::mouseButtons()), x, y);
}

namespace {
// Another tree list under a global point that watches drags over it (has an
// OnDragOver handler); none over the dragging list itself or elsewhere.
TtlCustomTreeList* ForeignTargetAt(const TtlCustomTreeList* source, const QPoint& global) {
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (!top->isVisible() || top->windowFlags().testFlag(Qt::WindowTransparentForInput) ||
        !top->frameGeometry().contains(global))
      continue;
    QWidget* w = top->childAt(top->mapFromGlobal(global));
    if (!w) w = top;
    for (; w; w = w->parentWidget())
      if (auto* list = qobject_cast<TtlCustomTreeList*>(w))
        return list != source && list->OnDragOver ? list : nullptr;
  }
  return nullptr;
}
}  // namespace

bool TtlCustomTreeList::DragOverAt(int x, int y) {
  QPointer<TtlCustomTreeList> self(this);
  auto alive = [&] { return self && (Dragging() || m_foreignSource); };
  TtlDragState& d = Drag();
  d.point = TPoint(x, y);
  DragTimersStop();
  TtlTreeListNode* hitNode = nullptr;
  const TtlHitArea hit = HitTest(x, y, &hitNode);
  if (HasBehavior(etoDragExpand) && hit == htButton) {
    // The pointer must rest on the button for the whole wait.
    d.expandNode = hitNode;
    d.expand->SetEnabled(false);
    d.expand->SetInterval(std::max(1, WaitForExpandNodeTime));
    d.expand->SetEnabled(true);
  }
  if (!HasBehavior(etoDragScroll) || !DragScrollAllowed()) return alive();
  // Near the scrollable area's left or right edge the columns scroll.
  const TRect area = ScrollableArea();
  int horz = 0;
  if (x > area.Left && x < area.Left + kHorzScrollZone) horz = -1;
  else if (x > area.Right - kHorzScrollZone && x <= area.Right) horz = 1;
  if (horz != 0) {
    d.horzDirection = horz;
    ScrollTimerRun(false, this, kScrollInterval);
  }
  if (!hitNode || hit == htNowhere || hit == htOutside) return alive();
  // The focused row marks the drop target; the record set follows.
  TtlNodeWatch target(this, hitNode);
  const int column = ColumnAt(hitNode, x);
  SetFocusedNode(hitNode, column >= 0 ? column : m_focusedColumn, true);
  if (!alive()) return false;
  repaint();
  if (TtlTreeListNode* under = target.Node()) {
    const int index = VisibleIndexOf(under);
    const int top = TopIndex();
    int vert = 0;
    if (index == top && index > 0) vert = -1;
    else if (index >= top + RowsFit() - 1 && index < ShownCount() - 1) vert = 1;
    if (vert != 0) {
      d.vertDirection = vert;
      ScrollTimerRun(true, this, kScrollInterval);
    }
  }
  return alive();
}

bool TtlCustomTreeList::ForeignDragOver(TtlCustomTreeList* source, int x, int y) {
  QPointer<TtlCustomTreeList> self(this);
  m_foreignSource = source;
  if (!DragOverAt(x, y) || !self || !m_foreignSource) return false;
  bool accept = false;
  if (OnDragOver) OnDragOver(this, source, x, y, accept);
  return self && m_foreignSource && accept;
}

void TtlCustomTreeList::ForeignDragLeave() {
  if (!m_foreignSource) return;
  m_foreignSource = nullptr;
  DragTimersStop();
  if (m_drag) {
    m_drag->expand->SetEnabled(false);
    m_drag->expandNode = nullptr;
  }
  InvalidateNode(m_focusedNode);
}

void TtlCustomTreeList::ForeignDrop(TtlCustomTreeList* source, int x, int y) {
  QPointer<TtlCustomTreeList> self(this);
  struct Forget {
    QPointer<TtlCustomTreeList> list;
    ~Forget() {
      if (list) list->ForeignDragLeave();
    }
  } forget{this};
  if (OnDragDrop) OnDragDrop(this, source, x, y);
}

void TtlCustomTreeList::DragMove(TShiftState shift, int x, int y) {
  if (!Dragging()) return;
  QPointer<TtlCustomTreeList> self(this);
  TtlDragState& d = *m_drag;
  d.point = TPoint(x, y);
  d.ctrl = shift & ssCtrl;
  if (d.imageWindow) {
    d.imageWindow->move(mapToGlobal(QPoint(x - 10, y - d.imageWindow->height() / 2)));
    d.imageWindow->show();
  }
  // Over another tree list that watches drags, that list takes the move.
  const QPoint global = mapToGlobal(QPoint(x, y));
  TtlCustomTreeList* over = ForeignTargetAt(this, global);
  if (d.foreignTarget != over) {
    if (QPointer<TtlCustomTreeList> left = d.foreignTarget) {
      d.foreignTarget = nullptr;
      left->ForeignDragLeave();
      if (!self || !Dragging()) return;
    }
    d.foreignTarget = over;
  }
  if (over) {
    DragTimersStop();
    d.expand->SetEnabled(false);
    const QPoint p = over->mapFromGlobal(global);
    const bool accept = over->ForeignDragOver(this, p.x(), p.y());
    if (!self || !Dragging()) return;
    d.accepted = accept;
    UpdateDragCursor();
    return;
  }
  if (!DragOverAt(x, y) || !Dragging()) return;
  bool accept = AcceptsOwnDrop(x, y);
  if (!self || !Dragging()) return;
  if (OnDragOver) OnDragOver(this, this, x, y, accept);
  if (!self || !Dragging()) return;
  d.accepted = accept;
  UpdateDragCursor();
}

void TtlCustomTreeList::DragRelease(TShiftState shift, int x, int y) {
  if (!Dragging()) return;
  QPointer<TtlCustomTreeList> self(this);
  TtlDragState& d = *m_drag;
  d.point = TPoint(x, y);
  d.ctrl = shift & ssCtrl;
  if (QPointer<TtlCustomTreeList> target = d.foreignTarget) {
    // Dropped on another tree list: it asks its OnDragOver once more.
    const QPoint p = target->mapFromGlobal(mapToGlobal(QPoint(x, y)));
    const bool accept = target->ForeignDragOver(this, p.x(), p.y());
    if (!self || !Dragging()) return;
    d.accepted = accept && target;
    EndDragging(d.accepted, x, y);
    return;
  }
  bool accept = AcceptsOwnDrop(x, y);
  if (!self || !Dragging()) return;
  if (OnDragOver) OnDragOver(this, this, x, y, accept);
  if (!self || !Dragging()) return;
  d.accepted = accept;
  EndDragging(accept, x, y);
}

void TtlCustomTreeList::CancelDrag() {
  if (!Dragging() || m_drag->ending) return;
  EndDragging(false, m_drag->point.X, m_drag->point.Y);
}

void TtlCustomTreeList::EndDragging(bool dropped, int x, int y) {
  QPointer<TtlCustomTreeList> self(this);
  TtlDragState& d = Drag();
  d.ending = true;
  DragTimersStop();
  d.expand->SetEnabled(false);
  // A drop on another tree list goes to it; otherwise it forgets the drag.
  QPointer<TtlCustomTreeList> target = d.foreignTarget;
  d.foreignTarget = nullptr;
  // Whatever happens in the handlers, the control ends up idle.
  auto finish = [&] {
    if (target) target->ForeignDragLeave();
    if (!self) return;
    InvalidateNode(m_focusedNode);
    d.node = nullptr;
    d.nodes.clear();
    d.expandNode = nullptr;
    d.pressedNode = nullptr;
    d.pending = false;
    d.ending = false;
    d.image = TBitmap();
    if (d.imageWindow) d.imageWindow->hide();
    if (m_state == tsNodeDragging) m_state = tsNormal;
    unsetCursor();
  };
  try {
    if (dropped && target) {
      const QPoint p = target->mapFromGlobal(mapToGlobal(QPoint(x, y)));
      target->ForeignDrop(this, p.x(), p.y());
    } else if (dropped) {
      DropOwnNodes(x, y);
      if (self && OnDragDrop) OnDragDrop(this, this, x, y);
    }
    TObject* droppedOn = !dropped ? nullptr : target ? static_cast<TObject*>(target.data()) : this;
    if (self && OnEndDrag) OnEndDrag(this, droppedOn, x, y);
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

// ---------------------------------------------------------------------------
// Timers

void TtlCustomTreeList::DragScrollHorzTick() {
  TtlDragState& d = Drag();
  if ((!Dragging() && !m_foreignSource) || d.horzDirection == 0 ||
      !ScrollHorizontallyPixels(d.horzDirection * kHorzScrollStep))
    ScrollTimerStop(false, this);
}

void TtlCustomTreeList::DragScrollVertTick() {
  TtlDragState& d = Drag();
  const bool pressing = m_state == tsNodeDown && DragMode == dmManual;
  const bool over = Dragging() || m_foreignSource;
  if ((!over && !pressing) || d.vertDirection == 0 || (over && !rect().contains(d.point.X, d.point.Y))) {
    ScrollTimerStop(true, this);
    return;
  }
  const int index = VisibleIndexOf(m_focusedNode);
  // The focus change runs OnChangeNode, which may delete the list.
  QPointer<TtlCustomTreeList> self(this);
  FocusVisibleIndex(index < 0 ? TopIndex() : index + d.vertDirection);
  if (self) repaint();
}

void TtlCustomTreeList::DragExpandTick() {
  TtlDragState& d = Drag();
  d.expand->SetEnabled(false);
  if ((!Dragging() && !m_foreignSource) || !d.expandNode) return;
  TtlTreeListNode* node = nullptr;
  if (HitTest(d.point.X, d.point.Y, &node) != htButton || node != d.expandNode) return;
  if (HasBehavior(etoDragCollapse)) {
    QPointer<TtlCustomTreeList> self(this);
    node->SetExpanded(!node->IsExpanded());
    if (!self || (!Dragging() && !m_foreignSource)) return;
    d.expand->SetInterval(2 * std::max(1, WaitForExpandNodeTime));
    d.expand->SetEnabled(true);
  } else {
    node->SetExpanded(true);
  }
}

// ---------------------------------------------------------------------------
// Keys

bool TtlCustomTreeList::DragKeyDown(WORD key, TShiftState shift) {
  if (!Dragging()) return false;
  TtlDragState& d = *m_drag;
  switch (key) {
    case VK_ESCAPE:
      CancelDrag();
      break;
    case VK_ADD:
    case VK_SUBTRACT: {
      TtlTreeListNode* node = nullptr;
      HitTest(d.point.X, d.point.Y, &node);
      if (node && node->HasChildren()) node->SetExpanded(key == VK_ADD);
      break;
    }
    case VK_CONTROL: {
      // Ctrl switches between moving and copying on the spot.
      d.ctrl = true;
      DragMove(shift | ssCtrl, d.point.X, d.point.Y);
      break;
    }
    default:
      break;
  }
  return true;
}

void TtlCustomTreeList::KeyUp(WORD& key, TShiftState shift) {
  if (Dragging() && key == VK_CONTROL) {
    QPointer<TtlCustomTreeList> self(this);
    DragMove(shift & ~ssCtrl, m_drag->point.X, m_drag->point.Y);
    if (!self) return;
  }
  TCustomControl::KeyUp(key, shift);
}
