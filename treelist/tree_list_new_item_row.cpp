// The new-item row: an empty row between the header and the nodes where a
// new record is typed in. While it has the focus no node shows as focused;
// the keys move between its cells, Down (or a click on a node) leaves it,
// and asking for the editor there makes a new node to edit.

#include <algorithm>

#include "treelist/tree_list.h"

namespace {
// The column whose cell of the new-item row shows at x (-1: none).
int NewItemColumnAt(TtlCustomTreeList* list, int x) {
  const TRect row = list->NewItemRowRect();
  for (const auto& cell : list->RowCells(nullptr, TRect(row.Left, 0, row.Right, row.Height())))
    if (x >= cell.Shown().Left && x < cell.Shown().Right) return cell.column->Index();
  return -1;
}
}  // namespace

TRect TtlCustomTreeList::NewItemRowRect() {
  if (!ShowNewItemRow()) return TRect();
  const TRect client = ClientRect();
  const int top = std::min(client.Bottom, client.Top + BandHeight() + HeaderHeight());
  // The cell rows and a separator line under them.
  const int height = RowLineHeight() * HeaderPanelRowCount() + 1;
  return TRect(client.Left, top, client.Right, std::min(client.Bottom, top + height));
}

void TtlCustomTreeList::SetNewItemRowFocused(bool focused) {
  if (!ShowNewItemRow()) focused = false;
  if (focused == m_newItemRowFocused) return;
  if (focused) {
    QPointer<TtlCustomTreeList> self(this);
    CloseEditor(true);
    if (!self) return;
    EndSearch();
  }
  m_newItemRowFocused = focused;
  InvalidateNode(m_focusedNode);
  update(NewItemRowRect().toQRect());
}

void TtlCustomTreeList::SetNewItemRowColumn(int column) {
  if (column == m_focusedColumn) return;
  m_focusedColumn = column;
  MakeColumnVisible(column);
  update(NewItemRowRect().toQRect());
  if (OnChangeColumn) OnChangeColumn(this, m_focusedNode, column);
}

bool TtlCustomTreeList::NewItemRowKeyDown(WORD& key, TShiftState shift) {
  if (!NewItemRowFocused()) return false;
  const std::vector<TtlTreeListColumn*> cols = DrawnColumns();
  auto it = std::find_if(cols.begin(), cols.end(), [&](auto* c) { return c->Index() == m_focusedColumn; });
  const bool rowSelect = HasOption(etoRowSelect);
  switch (key) {
    case VK_DOWN:
    case VK_NEXT:
      // Back to the rows: the top one takes the focus.
      if (TtlTreeListNode* top = NodeAtVisibleIndex(TopIndex())) SetFocusedNode(top, m_focusedColumn, true);
      break;
    case VK_UP:
    case VK_PRIOR:
      break;
    case VK_HOME:
    case VK_END:
      if (rowSelect || (shift & ssCtrl)) {
        if (key == VK_END && ShownCount() > 0)
          SetFocusedNode(NodeAtVisibleIndex(ShownCount() - 1), m_focusedColumn, true);
      } else if (!cols.empty()) {
        SetNewItemRowColumn((key == VK_HOME ? cols.front() : cols.back())->Index());
      }
      break;
    case VK_LEFT:
    case VK_RIGHT:
      if (rowSelect || cols.empty()) break;
      if (it == cols.end()) SetNewItemRowColumn(cols.front()->Index());
      else if (key == VK_LEFT && it != cols.begin()) SetNewItemRowColumn((*(it - 1))->Index());
      else if (key == VK_RIGHT && it + 1 != cols.end()) SetNewItemRowColumn((*(it + 1))->Index());
      break;
    case VK_TAB: {
      if (!HasBehavior(etoTabs) || (shift & ssCtrl) || rowSelect) return false;
      std::vector<TtlTreeListColumn*> stops;
      for (TtlTreeListColumn* c : cols)
        if (c->TabStop) stops.push_back(c);
      auto at = std::find_if(stops.begin(), stops.end(), [&](auto* c) { return c->Index() == m_focusedColumn; });
      const bool forward = !(shift & ssShift);
      if (at == stops.end()) {
        if (!stops.empty()) SetNewItemRowColumn((forward ? stops.front() : stops.back())->Index());
      } else if (forward && at + 1 != stops.end()) {
        SetNewItemRowColumn((*(at + 1))->Index());
      } else if (!forward && at != stops.begin()) {
        SetNewItemRowColumn((*(at - 1))->Index());
      }
      break;
    }
    default:
      // F2, Enter and typing ask for the editor as on any row.
      return false;
  }
  key = 0;
  return true;
}

bool TtlCustomTreeList::NewItemRowMouseDown(TShiftState shift, int x, int y) {
  Q_UNUSED(shift);
  m_pressOnNewItemRow = false;
  const TRect row = NewItemRowRect();
  if (!row.Contains(TPoint(x, y))) return false;
  const int column = NewItemColumnAt(this, x);
  m_pressOnFocusedCell = NewItemRowFocused() && column >= 0 && column == m_focusedColumn;
  QPointer<TtlCustomTreeList> self(this);
  SetNewItemRowFocused(true);
  if (!self || !NewItemRowFocused()) return true;
  if (column >= 0) SetNewItemRowColumn(column);
  if (self) m_pressOnNewItemRow = true;
  return true;
}

bool TtlCustomTreeList::NewItemRowMouseUp(TShiftState shift, int x, int y) {
  if (!m_pressOnNewItemRow) return false;
  m_pressOnNewItemRow = false;
  QPointer<TtlCustomTreeList> self(this);
  Click();
  if (!self || !NewItemRowFocused() || !NewItemRowRect().Contains(TPoint(x, y))) return true;
  if (NewItemColumnAt(this, x) != m_focusedColumn) return true;
  // The same editor openings as on a node's cell.
  if (HasBehavior(etoImmediateEditor)) {
    if (!(shift & (ssShift | ssCtrl))) ShowEditor();
  } else if (m_pressOnFocusedCell) {
    ScheduleEditorOpening();
  }
  return true;
}

void TtlCustomTreeList::PaintNewItemRow(TCanvas* c, const TRect& row) {
  if (row.IsEmpty()) return;
  ClipCanvas(c, row);
  c->Brush.Color = Color();
  c->Brush.Style = bsSolid;
  c->FillRect(row);
  const bool focused = NewItemRowFocused();
  const bool rowSelect = HasOption(etoRowSelect);
  for (const CellPlace& cell : RowCells(nullptr, TRect(row.Left, 0, row.Right, row.Height() - 1))) {
    const CellPlace placed{cell.column, cell.rect.Offset(0, row.Top), cell.clip.Offset(0, row.Top)};
    if (placed.Shown().IsEmpty()) continue;
    ClipCanvas(c, placed.clip);
    const bool selected = focused && (rowSelect || cell.column->Index() == m_focusedColumn);
    TColor background = cell.column->Color();
    if (selected && Focused()) background = HighlightColor();
    else if (selected && !HideSelection()) background = HideSelectionColor();
    c->Brush.Color = background;
    c->Brush.Style = bsSolid;
    c->FillRect(placed.rect);
    if (selected && Focused() && !HideFocusRect() && !HasOption(etoHideFocusRect))
      c->DrawFocusRect(placed.rect.Inflate(-1, -1));
  }
  ClipCanvas(c, row);
  c->Brush.Color = clBtnShadow;
  c->FillRect(TRect(row.Left, row.Bottom - 1, row.Right, row.Bottom));
  ClipCanvas(c, ClientRect());
}
