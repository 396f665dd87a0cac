// Mouse and keyboard handling of the tree list, on the control's host-style
// input virtuals. The control fires its own click and double-click events:
// a press on a row focuses it, the release fires OnClick; the second press
// of a double click toggles the row and fires OnDblClick, and its release
// fires nothing.

#include <QApplication>
#include <QClipboard>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "platform/timer.h"
#include "treelist/tree_list.h"

namespace {
// One notch of a wheel.
constexpr int kWheelDelta = 120;

// Adds a wheel's delta to what is left of earlier fractions of a notch (the
// remainder restarts when the direction turns) and returns the whole notches,
// leaving the rest. Counted wide: a device may report any int at all.
qint64 WheelNotches(int& remainder, int delta) {
  qint64 sum = (remainder < 0) != (delta < 0) ? 0 : remainder;
  sum += delta;
  const qint64 notches = sum / kWheelDelta;
  remainder = int(sum - notches * kWheelDelta);
  return notches;
}
}  // namespace

int TtlCustomTreeList::ColumnAt(TtlTreeListNode* node, int x) {
  const TRect row = RowRect(node);
  if (row.IsEmpty()) return -1;
  for (const CellPlace& cell : RowCells(node, row))
    if (x >= cell.Shown().Left && x < cell.Shown().Right) return cell.column->Index();
  return -1;
}

void TtlCustomTreeList::ToggleNode(TtlTreeListNode* node) {
  if (!node || !node->HasChildren()) return;
  node->SetExpanded(!node->IsExpanded());
}

void TtlCustomTreeList::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TtlCustomTreeList> self(this);
  if (m_state == tsPanning) {
    // Any press ends the panning mode and does nothing else.
    EndPanning();
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  if (m_state == tsNodeDragging) {
    // Another button during a drag ends it without a drop.
    CancelDrag();
    return;
  }
  // A press closes the editor (a refused value stops the press here) and
  // cancels a pending delayed opening.
  if (!EditingMouseDown()) return;
  m_pressOnFocusedCell = false;
  if (button == mbMiddle) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (self && m_state == tsNormal) StartPanning(x, y);
    return;
  }
  if (button != mbLeft) {
    m_state = tsNormal;
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!self) return;
  }
  const bool dbl = shift & ssDouble;
  m_pressedHeader = HeaderColumnAt(x, y);
  if (m_pressedHeader) {
    m_state = tsNormal;
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  if (NewItemRowMouseDown(shift, x, y)) {
    if (!self) return;  // a handler of the row's focus or column deleted the tree list
    m_state = tsNormal;
    TCustomControl::MouseDown(button, shift, x, y);
    return;
  }
  TtlTreeListNode* node = GetNodeAt(x, y);
  if (node) {
    const TRect row = RowRect(node);
    if (ShowButtons() && node->HasChildren() && ButtonRect(node, row).Contains(TPoint(x, y))) {
      // The expand button toggles the node and keeps the focus where it is.
      m_state = tsNormal;
      ToggleNode(node);
      if (self && dbl && HasBehavior(etoDblClick)) DblClick();
    } else if (dbl) {
      m_state = tsNormal;
      if (DblClkExpanding) ToggleNode(node);
      if (self && HasBehavior(etoDblClick)) DblClick();
    } else {
      const int hit = ColumnAt(node, x);
      const int column = hit >= 0 ? hit : FocusedColumn();
      m_pressOnFocusedCell = node == m_focusedNode && hit >= 0 && hit == m_focusedColumn;
      if (MultiSelect() && (shift & ssCtrl)) {
        SelectNode(node, !IsNodeSelected(node));
        m_selectionAnchor = node;
        SetFocusedNode(node, column, true);
      } else if (MultiSelect() && (shift & ssShift) && (m_selectionAnchor || m_focusedNode)) {
        // The range runs from the anchor and replaces the earlier range.
        TtlNodeWatch anchor(this, m_selectionAnchor ? m_selectionAnchor : m_focusedNode);
        TtlNodeWatch target(this, node);
        SetFocusedNode(node, column, true);
        if (self && target.Node()) SelectRange(anchor.Node() ? anchor.Node() : target.Node(), target.Node());
        if (self && anchor.Node()) m_selectionAnchor = anchor.Node();
      } else {
        TtlNodeWatch target(this, node);
        SetFocusedNode(node, column, true);
        if (self && target.Node()) m_selectionAnchor = target.Node();
        if (self && MultiSelect() && target.Node() && m_focusedNode == target.Node()) {
          for (TtlTreeListNode* n : std::vector<TtlTreeListNode*>(m_selection))
            if (n != target.Node()) SelectNode(n, false);
          if (target.Node()) SelectNode(target.Node(), true);
        }
      }
      if (!self) return;
      m_state = tsNodeDown;
      m_downPoint = TPoint(x, y);
      // The press focused its node (a handler may have put the focus elsewhere).
      PressedOn(m_focusedNode);
    }
  } else {
    m_state = tsNormal;
  }
  if (self) TCustomControl::MouseDown(button, shift, x, y);
}

void TtlCustomTreeList::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TtlCustomTreeList> self(this);
  if (m_state == tsPanning) {
    // Press-drag-release pans while held; a plain middle click stays in the
    // mode until the next press.
    if (button == mbMiddle && m_pan.leftZone) EndPanning();
    TCustomControl::MouseUp(button, shift, x, y);
    return;
  }
  if (m_state == tsNodeDragging) {
    if (button == mbLeft) DragRelease(shift, x, y);
    return;
  }
  if (button == mbLeft) PressReleased();
  if (button == mbLeft && m_pressedHeader) {
    QPointer<TtlTreeListColumn> pressed(m_pressedHeader);
    m_pressedHeader = nullptr;
    TCustomControl::MouseUp(button, shift, x, y);
    if (self && pressed && HeaderColumnAt(x, y) == pressed) HeaderClick(pressed, shift & ssCtrl);
    return;
  }
  if (button == mbLeft && m_pressOnNewItemRow) {
    TCustomControl::MouseUp(button, shift, x, y);
    if (self) NewItemRowMouseUp(shift, x, y);
    return;
  }
  const bool clicked = button == mbLeft && m_state == tsNodeDown;
  if (button == mbLeft && m_state != tsEditing) m_state = tsNormal;
  TCustomControl::MouseUp(button, shift, x, y);
  if (!self || !clicked) return;
  Click();
  if (!self) return;
  TtlTreeListNode* node = GetNodeAt(x, y);
  const bool onFocusedCell = node && node == m_focusedNode && ColumnAt(node, x) == m_focusedColumn;
  if (HasBehavior(etoImmediateEditor)) {
    if (onFocusedCell && !(shift & (ssShift | ssCtrl))) ShowEditor();
  } else if (onFocusedCell && m_pressOnFocusedCell) {
    ScheduleEditorOpening();
  }
}

void TtlCustomTreeList::MouseMove(TShiftState shift, int x, int y) {
  if (m_state == tsNodeDragging) {
    DragMove(shift, x, y);
    return;
  }
  if (m_state == tsPanning) PanningMove(x, y);
  if (m_state == tsNodeDown) {
    QPointer<TtlCustomTreeList> self(this);
    PressMove(shift, x, y);
    if (!self || m_state == tsNodeDragging) return;
  }
  TCustomControl::MouseMove(shift, x, y);
}

// ---------------------------------------------------------------------------

bool TtlCustomTreeList::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (m_state == tsPanning) {
    // The wheel ends panning and does nothing else.
    EndPanning();
    return true;
  }
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  // High-resolution wheels send fractions of a notch: they add up to whole
  // notches, each scrolling the system's wheel line count.
  const qint64 notches = WheelNotches(m_wheelRemainder, wheelDelta);
  if (notches == 0) return true;
  const qint64 lines = std::max(1, QApplication::wheelScrollLines());
  SetTopIndex(int(std::clamp<qint64>(TopIndex() - notches * lines, 0, std::numeric_limits<int>::max())));
  return true;
}

void TtlCustomTreeList::wheelEvent(QWheelEvent* e) {
  const int dx = e->angleDelta().x();
  if (dx == 0 || std::abs(qint64(dx)) < std::abs(qint64(e->angleDelta().y()))) {
    TCustomControl::wheelEvent(e);
    return;
  }
  e->accept();
  if (m_state == tsPanning) {
    EndPanning();
    return;
  }
  // Fractions of a notch add up as for the vertical wheel; a tilt to the
  // left (positive) scrolls towards the left edge.
  const qint64 notches = WheelNotches(m_hwheelRemainder, dx);
  if (notches == 0) return;
  const qint64 lines = std::max(1, QApplication::wheelScrollLines());
  ScrollHorizontallyBy(int(std::clamp<qint64>(-notches * lines, -std::numeric_limits<int>::max(),
                                              std::numeric_limits<int>::max())));
  repaint();
}

bool TtlCustomTreeList::CanEditorShow() {
  if (!HasBehavior(etoEditing) || HasOption(etoRowSelect) || ReadOnly) return false;
  if (!m_focusedNode || m_state != tsNormal) return false;
  TtlTreeListColumn* column = Columns(m_focusedColumn);
  if (!column || column->DisableEditor) return false;
  bool allow = true;
  if (OnEditing) OnEditing(this, m_focusedNode, allow);
  return allow;
}

QString TtlCustomTreeList::SelectionAsText() {
  const std::vector<TtlTreeListColumn*> columns = DrawnColumns();
  const QString eol = QStringLiteral("\r\n");
  QStringList captions;
  for (TtlTreeListColumn* c : columns) captions << c->Caption();
  QString text = captions.join(QLatin1Char('\t')) + eol + eol;
  std::vector<TtlTreeListNode*> nodes;
  if (MultiSelect()) {
    nodes = m_selection;
    std::sort(nodes.begin(), nodes.end(),
              [](auto* a, auto* b) { return CompareNodePositions(a, b) < 0; });
  } else if (m_focusedNode) {
    nodes.push_back(m_focusedNode);
  }
  for (TtlTreeListNode* n : nodes) {
    QStringList cells;
    for (TtlTreeListColumn* c : columns) cells << c->CellText(n);
    text += cells.join(QLatin1Char('\t')) + eol;
  }
  return text;
}

void TtlCustomTreeList::CopyToClipboard() {
  QApplication::clipboard()->setText(SelectionAsText());
}

void TtlCustomTreeList::SelectRange(TtlTreeListNode* from, TtlTreeListNode* to) {
  const int a = VisibleIndexOf(from), b = VisibleIndexOf(to);
  if (a < 0 || b < 0) return;
  const int lo = std::min(a, b), hi = std::max(a, b);
  // The selection handlers may change the selection, the rows or the list:
  // the selection is read again at every step, the latest selected first.
  QPointer<TtlCustomTreeList> self(this);
  for (size_t i = m_selection.size(); i-- > 0;) {
    if (i >= m_selection.size()) {
      i = m_selection.size();
      continue;
    }
    TtlTreeListNode* n = m_selection[i];
    const int at = VisibleIndexOf(n);
    if (at < lo || at > hi) SelectNode(n, false);
    if (!self) return;
  }
  for (int i = lo; i <= hi; ++i) {
    if (TtlTreeListNode* n = NodeAtVisibleIndex(i)) SelectNode(n, true);
    if (!self) return;
  }
}

bool TtlCustomTreeList::focusNextPrevChild(bool next) {
  // With etoTabs the control takes Tab itself (Ctrl+Tab never reaches here).
  if (HasBehavior(etoTabs)) return false;
  return TCustomControl::focusNextPrevChild(next);
}

void TtlCustomTreeList::KeyDown(WORD& key, TShiftState shift) {
  QPointer<TtlCustomTreeList> self(this);
  if (m_state == tsPanning) {
    // Esc ends panning; every other key is swallowed.
    if (key == VK_ESCAPE) EndPanning();
    key = 0;
    return;
  }
  if (m_state == tsNodeDragging) {
    // The drag takes every key: Esc cancels it, the keypad's + and -
    // open and close the node under the pointer.
    DragKeyDown(key, shift);
    key = 0;
    return;
  }
  // OnKeyDown comes first and may veto any key.
  TCustomControl::KeyDown(key, shift);
  if (!self || key == 0) return;
  if (EditingKeyDown(key, shift) || !self || key == 0) return;
  HandleKeyDown(key, shift);
}

void TtlCustomTreeList::TabCell(bool forward) {
  TtlTreeListNode* node = m_focusedNode;
  if (!node) return;
  TtlNodeWatch watch(this, node);
  if (HasOption(etoRowSelect)) {
    if (TtlTreeListNode* next = forward ? node->NextVisible() : node->PrevVisible())
      SetFocusedNode(next, m_focusedColumn, true);
    return;
  }
  std::vector<TtlTreeListColumn*> cols;
  for (TtlTreeListColumn* c : DrawnColumns())
    if (c->TabStop) cols.push_back(c);
  if (cols.empty()) return;
  auto it = std::find_if(cols.begin(), cols.end(), [&](auto* c) { return c->Index() == m_focusedColumn; });
  if (forward && it != cols.end() && it + 1 != cols.end()) {
    SetFocusedColumn((*(it + 1))->Index());
  } else if (!forward && it != cols.end() && it != cols.begin()) {
    SetFocusedColumn((*(it - 1))->Index());
  } else if (it == cols.end()) {
    SetFocusedColumn((forward ? cols.front() : cols.back())->Index());
  } else if (HasBehavior(etoTabThrough)) {
    TtlTreeListNode* next = forward ? node->NextVisible() : node->PrevVisible();
    if (next) SetFocusedNode(next, (forward ? cols.front() : cols.back())->Index(), true);
  }
}

void TtlCustomTreeList::HandleKeyDown(WORD& key, TShiftState shift) {
  QPointer<TtlCustomTreeList> self(this);
  if (SearchKeyDown(key, shift)) {
    key = 0;
    return;
  }
  if (NewItemRowKeyDown(key, shift)) return;
  const bool rowSelect = HasOption(etoRowSelect);
  const bool ctrl = shift & ssCtrl;
  TtlTreeListNode* node = m_focusedNode;
  const int index = VisibleIndexOf(node);
  const int column = m_focusedColumn;
  auto moveTo = [&](TtlTreeListNode* to) {
    if (!to) return;
    // Handlers run on every step and may reload the nodes.
    TtlNodeWatch target(this, to);
    const bool extend = MultiSelect() && (shift & ssShift);
    if (extend && node) SelectNode(node, true);
    if (!self || !target.Node()) return;
    SetFocusedNode(target.Node(), column, true);
    if (self && extend && target.Node()) SelectNode(target.Node(), true);
    if (self && !extend && target.Node()) m_selectionAnchor = target.Node();
  };
  switch (key) {
    case VK_UP:
      // Up from the first row goes on to the new-item row.
      if (node && !node->PrevVisible() && ShowNewItemRow()) SetNewItemRowFocused(true);
      else if (node) moveTo(node->PrevVisible());
      else if (ShowNewItemRow()) SetNewItemRowFocused(true);
      else FocusVisibleIndex(0);
      break;
    case VK_DOWN:
      if (node) moveTo(node->NextVisible());
      else FocusVisibleIndex(0);
      break;
    case VK_PRIOR:
    case VK_NEXT: {
      const int top = TopIndex();
      const int fit = RowsFit();
      const int last = top + fit - 1;
      const bool inside = index > top && index < last;
      if (key == VK_PRIOR)
        FocusVisibleIndex(inside ? top : index - std::max(1, fit - 1));
      else
        FocusVisibleIndex(inside ? last : index + std::max(1, fit - 1));
      break;
    }
    case VK_HOME:
    case VK_END:
      if (rowSelect || ctrl) {
        FocusVisibleIndex(key == VK_HOME ? 0 : ShownCount() - 1);
      } else {
        const std::vector<TtlTreeListColumn*> cols = DrawnColumns();
        if (!cols.empty())
          SetFocusedColumn((key == VK_HOME ? cols.front() : cols.back())->Index());
      }
      break;
    case VK_LEFT:
      if (!node) break;
      if (rowSelect) {
        if (node->IsExpanded()) node->SetExpanded(false);
        else if (!node->Parent() || node->Index() > 0) moveTo(node->PrevVisible());
        else moveTo(node->Parent());
      } else {
        const std::vector<TtlTreeListColumn*> cols = DrawnColumns();
        auto it = std::find_if(cols.begin(), cols.end(),
                               [&](auto* c) { return c->Index() == column; });
        if (it != cols.end() && it != cols.begin()) SetFocusedColumn((*(it - 1))->Index());
        else if (HasBehavior(etoHorzThrough) && node->PrevVisible() && !cols.empty())
          SetFocusedNode(node->PrevVisible(), cols.back()->Index(), true);
      }
      break;
    case VK_RIGHT:
      if (!node) break;
      if (rowSelect) {
        if (node->HasChildren() && !node->IsExpanded()) node->SetExpanded(true);
        else if (node->IsExpanded() && node->Count()) moveTo(node->FirstChild());
        else moveTo(node->NextVisible());
      } else {
        const std::vector<TtlTreeListColumn*> cols = DrawnColumns();
        auto it = std::find_if(cols.begin(), cols.end(),
                               [&](auto* c) { return c->Index() == column; });
        if (it != cols.end() && it + 1 != cols.end()) SetFocusedColumn((*(it + 1))->Index());
        else if (HasBehavior(etoHorzThrough) && node->NextVisible() && !cols.empty())
          SetFocusedNode(node->NextVisible(), cols.front()->Index(), true);
      }
      break;
    case VK_TAB:
      if (!HasBehavior(etoTabs) || ctrl) return;
      TabCell(!(shift & ssShift));
      break;
    case VK_INSERT:
      if (!ctrl) return;
      CopyToClipboard();
      break;
    case 'C':
      if (!ctrl || !HasBehavior(etoAutoCopySelectedToClipboard)) return;
      CopyToClipboard();
      break;
    case VK_F2:
      ShowEditor();
      break;
    case VK_RETURN:
      if (!HasBehavior(etoEnterShowEditor)) return;
      // With etoEnterThrough the editor opens on the next cell.
      if (HasBehavior(etoEnterThrough)) TabCell(true);
      if (self) ShowEditor();
      break;
    case VK_SPACE:
      if (!ctrl || !MultiSelect() || !node) return;
      SelectNode(node, !IsNodeSelected(node));
      break;
    default:
      return;
  }
  key = 0;
}

void TtlCustomTreeList::KeyPress(QChar& key) {
  if (m_state == tsPanning || m_state == tsNodeDragging) {
    key = QChar();
    return;
  }
  QPointer<TtlCustomTreeList> self(this);
  TCustomControl::KeyPress(key);
  if (!self || key.isNull()) return;
  if (SearchKeyPress(key)) {
    key = QChar();
    return;
  }
  TtlTreeListNode* node = m_focusedNode;
  const char16_t c = key.unicode();
  if (c == u'+' || c == u'-' || c == u'*') {
    if (!node) return;
    MakeNodeVisible(node);
    if (c == u'+') node->Expand(false);
    else if (c == u'-') node->Collapse(false);
    else node->Expand(true);
    key = QChar();
    return;
  }
  // Typed text asks for the editor (which passes the key on once open).
  if (HasBehavior(etoEnterShowEditor) && (key.isPrint() || c == VK_BACK)) TypeIntoEditor(key);
}
