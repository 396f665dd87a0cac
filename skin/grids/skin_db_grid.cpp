#include "skin/grids/skin_db_grid.h"

#include <QApplication>
#include <algorithm>

#include "platform/application.h"
#include "platform/exceptions.h"
#include "skin/data/skin_data.h"
#include "skin/grids/grid_indicators.h"
#include "skin/grids/db_inplace_edit.h"
#include "skin/grids/inplace_edit.h"
#include "skin/render/glyphs.h"

// --- data link ------------------------------------------------------------------

void TsfGridDataLink::Reset() {
  m_editChanged = false;
  if (!Active()) return;
  TDataSet* ds = DataSet();
  if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Cancel();
  else m_grid->RecordChanged(nullptr);
}

void TsfGridDataLink::ActiveChanged() { m_grid->LinkActive(Active()); }
void TsfGridDataLink::DataSetChanged() { m_grid->DataChanged(); }
void TsfGridDataLink::DataSetScrolled(int distance) { m_grid->Scrolled(distance); }
void TsfGridDataLink::RecordChanged(TField* field) { m_grid->RecordChanged(field); }
void TsfGridDataLink::LayoutChanged() { m_grid->LayoutChanged(); }
void TsfGridDataLink::EditingChanged() { m_grid->EditingChanged(); }

void TsfGridDataLink::UpdateData() {
  if (!m_editChanged) return;
  m_editChanged = false;
  m_grid->UpdateData();
}

// --- bookmarks ------------------------------------------------------------------

bool TsfBookmarkList::CurrentRowSelected() const {
  TDataSet* ds = m_grid->DataLink()->Active() ? m_grid->DataLink()->DataSet() : nullptr;
  return ds && !ds->IsEmpty() && m_items.contains(ds->Bookmark());
}

void TsfBookmarkList::SetCurrentRowSelected(bool v) {
  TDataSet* ds = m_grid->DataLink()->Active() ? m_grid->DataLink()->DataSet() : nullptr;
  if (!ds || ds->IsEmpty()) return;
  const TBookmark b = ds->Bookmark();
  if (v && !m_items.contains(b)) m_items << b;
  if (!v) m_items.removeAll(b);
  m_grid->InvalidateRow(m_grid->Row());
}

void TsfBookmarkList::Clear() {
  if (m_items.isEmpty()) return;
  m_items.clear();
  m_grid->Invalidate();
}

void TsfBookmarkList::Delete() {
  TDataSet* ds = m_grid->DataLink()->DataSet();
  if (!ds) return;
  const QList<TBookmark> items = m_items;
  m_items.clear();
  TControlsDisabler disabled(ds);
  for (const TBookmark& b : items) {
    if (!ds->BookmarkValid(b)) continue;
    ds->SetBookmark(b);
    ds->Delete();
  }
}

// --- construction ---------------------------------------------------------------

TsfSkinCustomDBGrid::TsfSkinCustomDBGrid(QWidget* parent)
    : TsfSkinCustomGrid(parent),
      m_link(this),
      m_columns(this),
      m_bookmarks(this),
      m_indicators(kIndicatorImageWidth, kIndicatorImageHeight),
      m_mirroredIndicators(kIndicatorImageWidth, kIndicatorImageHeight) {
  FillIndicatorImages(m_indicators);
  FillIndicatorImages(m_mirroredIndicators, true);
  SetColCount(2);
  SetRowCount(2);
  SetOptions(m_dbOptions);
}

TsfSkinCustomDBGrid::~TsfSkinCustomDBGrid() {
  // No notification may reach a half-destroyed grid.
  m_link.SetDataSource(nullptr);
}

void TsfSkinCustomDBGrid::SetDataSource(TDataSource* source) { m_link.SetDataSource(source); }

void TsfSkinCustomDBGrid::SetOptions(TsfDBGridOptions o) {
  m_dbOptions = o;
  TGridOptions g = 0;
  if (o & dgColLines) g |= goFixedVertLine | goVertLine;
  if (o & dgRowLines) g |= goFixedHorzLine | goHorzLine;
  if (o & dgColumnResize) g |= goColSizing | goColMoving;
  if (o & dgEditing) g |= goEditing;
  if (o & dgAlwaysShowEditor) g |= goAlwaysShowEditor;
  if (o & dgTabs) g |= goTabs;
  if (o & dgRowSelect) g |= goRowSelect;
  SetGridOptions(g);
  if (!(o & dgMultiSelect)) m_bookmarks.Clear();
  LayoutChanged();
}

void TsfSkinCustomDBGrid::SetReadOnly(bool v) {
  m_readOnly = v;
  LayoutChanged();
}

void TsfSkinCustomDBGrid::SetDefaultRowHeight(int h) {
  TsfSkinCustomGrid::SetDefaultRowHeight(h);
  UpdateRowCount();
  UpdateActive();
}

void TsfSkinCustomDBGrid::ApplySkinChange() {
  TsfSkinCustomGrid::ApplySkinChange();
  LayoutChanged();
}

// --- layout ---------------------------------------------------------------------

int TsfSkinCustomDBGrid::VisibleDataRows() const {
  const int line = (m_dbOptions & dgRowLines) ? GridLineWidth() : 0;
  const int h = std::max(1, DefaultRowHeight());
  int room = ClientHeight();
  if (m_dbOptions & dgTitles) room -= (RowCount() > 0 ? std::max(0, RowHeights(0)) : h) + line;
  // A grid lower than one row still holds one record.
  if (room < h) return 1;
  return (room - h) / (h + line) + 1;
}

void TsfSkinCustomDBGrid::LayoutChanged() {
  if (m_layoutBusy) return;
  m_layoutBusy = true;
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{m_layoutBusy};
  // Default columns follow the record set's fields.
  if (m_columns.State() == csDefault) {
    m_columns.m_rebuilding = true;
    m_columns.m_items.clear();
    if (m_link.Active())
      for (TField* f : m_link.DataSet()->Fields())
        if (f->Visible) m_columns.Add()->m_fieldName = f->FieldName();
    m_columns.m_rebuilding = false;
  }
  m_shown.clear();
  for (int i = 0; i < m_columns.Count(); ++i)
    if (m_columns[i]->Showing()) m_shown.push_back(m_columns[i]);
  const int ind = IndicatorOffset();
  const int cols = std::max(int(m_shown.size()) + ind, ind + 1);
  if (FixedCols() >= cols) SetFixedCols(0);
  SetColCount(cols);
  SetFixedCols(ind);
  if (RowCount() < TitleOffset() + 1) SetRowCount(TitleOffset() + 1);
  if (FixedRows() != TitleOffset()) {
    if (FixedRows() >= RowCount()) SetRowCount(FixedRows() + 1);
    SetFixedRows(TitleOffset());
  }
  UpdateRowCount();
  ApplyColumnWidths();
  UpdateActive();
  UpdateScrollRanges();
  Invalidate();
}

void TsfSkinCustomDBGrid::ApplyColumnWidths() {
  if (IndicatorOffset()) SetColWidths(0, IndicatorWidth(Skin()));
  for (size_t i = 0; i < m_shown.size(); ++i) SetColWidths(int(i) + IndicatorOffset(), m_shown[i]->Width());
  for (int c = 0; c < ColCount(); ++c) SetTabStops(c, ColumnIsTabStop(c));
}

bool TsfSkinCustomDBGrid::ColumnIsTabStop(int gridCol) const {
  const TsfColumn* column = ColumnAt(gridCol);
  const TField* field = column ? column->Field() : nullptr;
  return m_link.Active() && field && column->Showing() && !column->ReadOnly &&
         field->FieldKind() != fkCalculated && !field->ReadOnly();
}

void TsfSkinCustomDBGrid::UpdateRowCount() {
  int rows = TitleOffset() + 1;
  if (m_link.Active() && m_link.DataSet()->RecordCount() > 0) {
    m_link.SetBufferCount(VisibleDataRows());
    rows = std::max(1, m_link.RecordCount()) + TitleOffset();
  }
  if (rows != RowCount()) {
    SetRowCount(rows);
    Invalidate();
  }
}

void TsfSkinCustomDBGrid::UpdateActive() {
  if (!m_link.Active() || RowCount() <= TitleOffset()) return;
  const int row = std::clamp(TitleOffset() + m_link.ActiveRecord(), FixedRows(), RowCount() - 1);
  if (row == Row()) return;
  m_inUpdateActive = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{m_inUpdateActive};
  TsfSkinCustomGrid::MoveCurrentCell(std::max(Col(), FixedCols()), row, true, false);
  InvalidateEditor();
}

int TsfSkinCustomDBGrid::DataColumnOf(int gridCol) const {
  const int i = gridCol - IndicatorOffset();
  return i >= 0 && i < int(m_shown.size()) ? i : -1;
}

TsfColumn* TsfSkinCustomDBGrid::ColumnAt(int gridCol) const {
  const int i = DataColumnOf(gridCol);
  return i < 0 ? nullptr : m_shown[size_t(i)];
}

TField* TsfSkinCustomDBGrid::FieldAt(int gridCol) const {
  TsfColumn* c = ColumnAt(gridCol);
  return c ? c->Field() : nullptr;
}

int TsfSkinCustomDBGrid::SelectedIndex() const { return DataColumnOf(Col()); }

void TsfSkinCustomDBGrid::SetSelectedIndex(int i) {
  if (i >= 0 && i < int(m_shown.size())) MoveCurrentCell(i + IndicatorOffset(), Row(), true, true);
}

TsfColumn* TsfSkinCustomDBGrid::SelectedColumn() const { return ColumnAt(Col()); }
TField* TsfSkinCustomDBGrid::SelectedField() const { return FieldAt(Col()); }

void TsfSkinCustomDBGrid::MoveColumn(int from, int to) {
  if (std::min(from, to) < IndicatorOffset()) throw EInvalidOperation(QStringLiteral("Grid index out of range"));
  TsfSkinCustomGrid::MoveColumn(from, to);
}

// A shown column dragged onto another takes that one's place among all the
// columns; OnColumnMoved gets the positions in Columns.
void TsfSkinCustomDBGrid::ColumnMoved(int from, int to) {
  const int f = DataColumnOf(from), t = DataColumnOf(to);
  if (f < 0 || t < 0) return;
  const int fromIndex = m_columns.IndexOf(m_shown[size_t(f)]);
  const int toIndex = m_columns.IndexOf(m_shown[size_t(t)]);
  m_columns.Move(fromIndex, toIndex);
  if (OnColumnMoved) OnColumnMoved(this, fromIndex, toIndex);
}

void TsfSkinCustomDBGrid::ColumnSized(int col) {
  if (TsfColumn* c = ColumnAt(col)) c->SetWidth(ColWidths(col));
}

// --- notifications ----------------------------------------------------------------

void TsfSkinCustomDBGrid::LinkActive(bool active) {
  if (!active) HideEditor();
  // A title held while the record set opens or closes no longer stands for
  // its column: the release neither moves nor clicks it.
  CancelMoving();
  m_pressedTitle = m_pressedOnCell = false;
  m_bookmarks.LinkActive(active);
  m_lastPress = TGridCoord{-1, -1};
  LayoutChanged();
  UpdateVerticalBar();
  if (active && (m_dbOptions & dgAlwaysShowEditor)) ShowEditor();
}

void TsfSkinCustomDBGrid::DataChanged() {
  UpdateRowCount();
  UpdateActive();
  if (!m_inUpdate) InvalidateEditor();
  UpdateVerticalBar();
  Invalidate();
}

void TsfSkinCustomDBGrid::Scrolled(int distance) {
  if (distance != 0) HideEditor();
  UpdateActive();
  UpdateVerticalBar();
  Invalidate();
}

void TsfSkinCustomDBGrid::RecordChanged(TField* field) {
  InvalidateRow(Row());
  if (m_inUpdate || m_enteringEdit) return;
  if (!field || field == SelectedField()) InvalidateEditor();
}

void TsfSkinCustomDBGrid::EditingChanged() { InvalidateCell(0, Row()); }

void TsfSkinCustomDBGrid::UpdateData() {
  TField* f = SelectedField();
  if (!f || !m_editor) return;
  m_inUpdate = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{m_inUpdate};
  f->SetText(m_editor->text());
}

// --- editor ---------------------------------------------------------------------

bool TsfSkinCustomDBGrid::CanShowEditor() {
  return TsfSkinCustomGrid::CanShowEditor() && m_link.Active() && SelectedField() != nullptr;
}

TsfSkinInplaceEdit* TsfSkinCustomDBGrid::CreateCellEditor() { return new TsfDBGridInplaceEdit(this); }

// The button follows the column at every update of the editor.
void TsfSkinCustomDBGrid::UpdateEditorLook(TsfSkinInplaceEdit* editor) {
  TsfSkinCustomGrid::UpdateEditorLook(editor);
  if (auto* e = qobject_cast<TsfDBGridInplaceEdit*>(editor)) e->UpdateEditStyle();
}

QString TsfSkinCustomDBGrid::GetEditText(int col, int row) {
  Q_UNUSED(row);
  TField* f = FieldAt(col);
  return f && m_link.Active() && !m_link.DataSet()->IsEmpty() ? f->Text() : QString();
}

void TsfSkinCustomDBGrid::SetEditText(int col, int row, const QString& v) {
  Q_UNUSED(col);
  Q_UNUSED(row);
  Q_UNUSED(v);
  // The text is written by the link's update-data, when the record set asks.
}

int TsfSkinCustomDBGrid::GetEditLimit() {
  TField* f = SelectedField();
  return f && (f->DataType() == ftString || f->DataType() == ftWideString) ? f->Size() : 0;
}

bool TsfSkinCustomDBGrid::EditorReadOnly() {
  TsfColumn* c = SelectedColumn();
  TField* f = SelectedField();
  return m_readOnly || !c || c->ReadOnly || !f || f->ReadOnly() || m_link.ReadOnly;
}

bool TsfSkinCustomDBGrid::CanEditModify() {
  if (EditorReadOnly() || !m_link.Active()) return false;
  TField* f = SelectedField();
  if (!f->CanModify()) return false;
  m_enteringEdit = true;
  // A state-change handler may destroy the grid (and its link) meanwhile.
  QPointer<TsfSkinCustomDBGrid> self(this);
  struct Reset {
    QPointer<TsfSkinCustomDBGrid>& grid;
    ~Reset() {
      if (grid) grid->m_enteringEdit = false;
    }
  } reset{self};
  const bool editing = m_link.Edit();
  return self && editing;
}

bool TsfSkinCustomDBGrid::CanEditAcceptKey(QChar key) { return CanEditAcceptText(QString(key)); }

bool TsfSkinCustomDBGrid::CanEditAcceptText(const QString& text) {
  TField* f = SelectedField();
  if (!m_link.Active() || !f) return false;
  for (QChar c : text)
    if (!f->IsValidChar(c)) return false;
  if (!m_editor || !f->IsNumeric()) return true;
  // The editor's text as it would be with `text` put over the selection.
  QString result = m_editor->text();
  const int at = m_editor->hasSelectedText() ? m_editor->selectionStart() : m_editor->cursorPosition();
  result.replace(at, m_editor->hasSelectedText() ? m_editor->selectedText().size() : 0, text);
  return NumberTextAcceptable(f->DataType(), result);
}

bool TsfSkinCustomDBGrid::IsBooleanColumn(int gridCol) const {
  TField* f = FieldAt(gridCol);
  return f && f->DataType() == ftBoolean;
}

// Flips the current record's value of a boolean column through the record
// set (it is posted when the record is left or Enter posts it).
bool TsfSkinCustomDBGrid::ToggleBooleanField() {
  if (!m_link.Active() || !IsBooleanColumn(Col()) || EditorReadOnly()) return false;
  TField* f = SelectedField();
  if (!f->CanModify() || m_link.DataSet()->IsEmpty()) return false;
  const QPointer<TsfSkinCustomDBGrid> self(this);  // state handlers may destroy the grid
  if (!m_link.Edit() || !self || !m_link.Active()) return false;
  f = SelectedField();
  if (!f) return false;
  f->SetValue(!f->Value().toBool());
  return true;
}

void TsfSkinCustomDBGrid::EditorTextChanged(const QString& text) {
  Q_UNUSED(text);
  m_link.SetEditChanged(true);
}

void TsfSkinCustomDBGrid::PostPending() {
  if (!m_link.Active()) return;
  m_link.UpdateRecord();
  TDataSet* ds = m_link.DataSet();
  if ((ds->State() == dsEdit || ds->State() == dsInsert) && ds->Modified()) ds->Post();
}

// --- vertical bar ---------------------------------------------------------------

void TsfSkinCustomDBGrid::UpdateScrollRanges(bool withVertical) {
  TsfSkinCustomGrid::UpdateScrollRanges(false);
  if (withVertical) UpdateVerticalBar();
}

void TsfSkinCustomDBGrid::UpdateVerticalBar() {
  TsfGridScrollBar* bar = VScrollBar();
  if (!bar) return;
  TDataSet* ds = m_link.Active() ? m_link.DataSet() : nullptr;
  const bool was = bar->Shown();
  const TsfRecordBarParams p =
      ds ? RecordBarParams(true, true, ds->RecNo(), ds->RecordCount(), ds->Bof(), ds->Eof(),
                           RowCount(), VisibleDataRows())
         : TsfRecordBarParams();
  bar->SetRangeAndPosition(p.Min, p.Max, p.Page, p.Position);
  bar->SetBarEnabled(p.Visible);
  bar->SetShown(p.Visible && Visible());
  if (HScrollBar()) HScrollBar()->SetBoth(bar->Shown());
  if (was != bar->Shown() && Align() != alNone)
    if (auto* parent = qobject_cast<TWinControl*>(parentWidget())) parent->Realign();
}

void TsfSkinCustomDBGrid::ScrollMessage(bool vertical, int code, int position) {
  if (!vertical) return TsfSkinCustomGrid::ScrollMessage(vertical, code, position);
  if (!CanFocus() || !m_link.Active()) return;
  if (isVisible() && TabStop() && !hasFocus() && !(m_editor && m_editor->hasFocus())) SetFocus();
  TDataSet* ds = m_link.DataSet();
  const QPointer<TsfSkinCustomDBGrid> self(this);  // record-set handlers may destroy the grid
  switch (code) {
    case SB_LINEUP: MoveBy(-(m_link.ActiveRecord() + 1)); break;
    case SB_LINEDOWN: MoveBy(m_link.RecordCount() - m_link.ActiveRecord()); break;
    case SB_PAGEUP: MoveBy(-VisibleDataRows()); break;
    case SB_PAGEDOWN: MoveBy(VisibleDataRows()); break;
    case SB_THUMBPOSITION:
      if (!VScrollBar()) break;
      if (position <= 1) ds->First();
      else if (position < ds->RecordCount()) ds->SetRecNo(position);
      else ds->Last();
      break;
    case SB_TOP: ds->First(); break;
    case SB_BOTTOM: ds->Last(); break;
    default: break;
  }
  if (self) UpdateVerticalBar();
}

// --- moving the record set ----------------------------------------------------------

void TsfSkinCustomDBGrid::MoveBy(int distance) {
  if (m_link.Active() && distance != 0) m_link.DataSet()->MoveBy(distance);
}

void TsfSkinCustomDBGrid::FirstRecord() {
  if (m_link.Active()) m_link.DataSet()->First();
}

void TsfSkinCustomDBGrid::LastRecord() {
  if (m_link.Active()) m_link.DataSet()->Last();
}

bool TsfSkinCustomDBGrid::CanInsertRecords() const {
  return m_link.Active() && m_link.DataSet()->CanModify() && !m_readOnly &&
         (m_dbOptions & dgEditing);
}

bool TsfSkinCustomDBGrid::CancelUnchangedInsert() {
  TDataSet* ds = m_link.Active() ? m_link.DataSet() : nullptr;
  if (!ds || ds->State() != dsInsert || ds->Modified() || m_link.EditChanged()) return false;
  ds->Cancel();
  return true;
}

void TsfSkinCustomDBGrid::MoveCurrentCell(int col, int row, bool moveAnchor, bool show) {
  const QPointer<TsfSkinCustomDBGrid> self(this);  // handlers may destroy the grid
  // Rows follow the record set: a new row is a move of its cursor, and the
  // link's notification brings the grid's row after it.
  if (!m_inUpdateActive && m_link.Active() && row != Row() && row >= FixedRows()) {
    MoveBy(row - Row());
    if (!self) return;
    row = Row();
  }
  const int oldCol = Col();
  if (col != oldCol && OnColExit) {
    OnColExit(this);
    // The handler may also have changed the columns or reopened the record set.
    if (!self || col >= ColCount() || row >= RowCount()) return;
  }
  TsfSkinCustomGrid::MoveCurrentCell(col, row, moveAnchor, show);
  if (Col() != oldCol && m_editor && m_editor->isVisible()) UpdateEditorLook(m_editor);
  if (Col() != oldCol && OnColEnter) OnColEnter(this);
}

bool TsfSkinCustomDBGrid::RowIsSelected(int dataRow) const {
  if (!(m_dbOptions & dgMultiSelect) || m_bookmarks.Count() == 0 || !m_link.Active()) return false;
  auto& link = const_cast<TsfGridDataLink&>(m_link);
  const int old = link.ActiveRecord();
  link.SetActiveRecord(dataRow);
  const bool selected = m_bookmarks.Contains(link.DataSet()->Bookmark());
  link.SetActiveRecord(old);
  return selected;
}

void TsfSkinCustomDBGrid::CheckMultiSelect(TShiftState shift, bool moved) {
  if (!(m_dbOptions & dgMultiSelect) || !moved) return;
  if (shift & ssShift) m_bookmarks.SetCurrentRowSelected(true);
  else m_bookmarks.Clear();
}

// --- deleting -------------------------------------------------------------------

bool TsfSkinCustomDBGrid::ConfirmDelete(bool several) {
  if (!(m_dbOptions & dgConfirmDelete)) return true;
  QString text;
  if (SkinData() && SkinData()->ResourceStrData())
    text = SkinData()->ResourceStrData()->GetResString(several ? QStringLiteral("DB_MULTIPLEDELETE_QUESTION")
                                                              : QStringLiteral("DB_DELETE_QUESTION"));
  if (text.isEmpty())
    text = several ? QStringLiteral("Delete all selected records?") : QStringLiteral("Delete record?");
  TMessageBoxRequest request;
  request.Text = text;
  request.Caption = QStringLiteral("Confirm");
  request.Flags = MB_OKCANCEL | MB_ICONQUESTION;
  request.Buttons = {QStringLiteral("OK"), QStringLiteral("Cancel")};
  // Closing the box answers Cancel; any other answer confirms.
  return ShowMessageBox(request) != IDCANCEL;
}

void TsfSkinCustomDBGrid::DeleteRecords() {
  TDataSet* ds = m_link.DataSet();
  const bool several = (m_dbOptions & dgMultiSelect) && m_bookmarks.Count() > 0;
  if (m_readOnly || ds->IsEmpty() || !ds->CanModify()) return;
  // The question is modal: while it is up, handlers may close or reload the
  // record set, or destroy the grid. Only the record asked about is deleted.
  const QPointer<TsfSkinCustomDBGrid> self(this);
  const QPointer<TDataSet> asked(ds);
  const TBookmark record = ds->Bookmark();
  if (!ConfirmDelete(several && m_bookmarks.Count() > 1)) return;
  if (!self || !asked || !m_link.Active() || m_link.DataSet() != ds || ds->IsEmpty() || !ds->CanModify())
    return;
  if (several) m_bookmarks.Delete();
  else if (ds->Bookmark() == record) ds->Delete();
}

// --- keyboard -------------------------------------------------------------------

void TsfSkinCustomDBGrid::KeyDown(WORD& key, TShiftState shift) {
  // OnKeyDown and the record set's handlers may destroy the grid.
  const QPointer<TsfSkinCustomDBGrid> self(this);
  TControl::KeyDown(key, shift);  // OnKeyDown
  if (!self || key == 0 || !m_link.Active()) return;
  TDataSet* ds = m_link.DataSet();
  const bool ctrl = shift & ssCtrl;
  const bool rowSelect = m_dbOptions & dgRowSelect;
  const int firstCol = IndicatorOffset();
  const int lastCol = ColCount() - 1;
  WORD k = key;
  if (layoutDirection() == Qt::RightToLeft && (k == VK_LEFT || k == VK_RIGHT))
    k = k == VK_LEFT ? VK_RIGHT : VK_LEFT;
  const int recBefore = ds->RecNo();
  auto setCol = [&](int c) {
    if (self) MoveCurrentCell(std::clamp(c, firstCol, std::min(lastCol, ColCount() - 1)), Row(), true, true);
  };
  auto up = [&] {
    // An unchanged new record at the end is dropped instead.
    if (ds->State() == dsInsert && ds->CurrentRowIndex() == ds->RecordCount() - 1 &&
        CancelUnchangedInsert())
      return;
    ds->Prior();
  };
  auto down = [&] {
    if (CancelUnchangedInsert()) return;
    ds->Next();
    if (self && ds->Eof() && CanInsertRecords()) ds->Append();
  };
  if (ctrl) {
    switch (k) {
      case VK_UP:
      case VK_PRIOR: MoveBy(-m_link.ActiveRecord()); break;
      case VK_DOWN:
      case VK_NEXT: MoveBy(m_link.RecordCount() - 1 - m_link.ActiveRecord()); break;
      case VK_HOME: FirstRecord(); break;
      case VK_END: LastRecord(); break;
      case VK_LEFT: setCol(firstCol); break;
      case VK_RIGHT: setCol(lastCol); break;
      case VK_DELETE: DeleteRecords(); break;
      default: return;
    }
    key = 0;
    return;
  }
  switch (k) {
    case VK_TAB: {
      if (!(m_dbOptions & dgTabs) || (shift & ssAlt)) return;
      // The next (previous) tab-stop column of this record, else the first
      // (last) one of the next (previous) record. The stops are read as
      // they are now: a column made read-only since the last layout is none.
      const bool back = shift & ssShift;
      const int step = back ? -1 : 1;
      auto stopFrom = [&](int c) {
        for (; c >= firstCol && c <= lastCol; c += step)
          if (ColumnIsTabStop(c)) return c;
        return -1;
      };
      const int next = stopFrom(Col() + step);
      if (next >= 0) {
        setCol(next);
      } else if (back ? !ds->Bof() : !ds->Eof()) {
        back ? ds->Prior() : ds->Next();
        if (self && (back ? !ds->Bof() : !ds->Eof())) {
          const int wrapped = stopFrom(back ? lastCol : firstCol);
          setCol(wrapped >= 0 ? wrapped : back ? lastCol : firstCol);
        }
      }
      break;
    }
    case VK_ESCAPE:
      m_link.Reset();
      m_bookmarks.Clear();
      if (!(m_dbOptions & dgAlwaysShowEditor)) HideEditor();
      break;
    case VK_PRIOR: MoveBy(-VisibleDataRows()); break;
    case VK_NEXT: MoveBy(VisibleDataRows()); break;
    case VK_HOME:
      if (m_shown.size() <= 1 || rowSelect) FirstRecord();
      else setCol(firstCol);
      break;
    case VK_END:
      if (m_shown.size() <= 1 || rowSelect) LastRecord();
      else setCol(lastCol);
      break;
    case VK_LEFT: rowSelect ? up() : setCol(Col() - 1); break;
    case VK_RIGHT: rowSelect ? down() : setCol(Col() + 1); break;
    case VK_UP: up(); break;
    case VK_DOWN: down(); break;
    case VK_INSERT:
      if (CanInsertRecords()) ds->Insert();
      break;
    case VK_F2: ShowEditor(); break;
    default: return;
  }
  key = 0;
  if (self) CheckMultiSelect(shift, ds->RecNo() != recBefore);
}

void TsfSkinCustomDBGrid::KeyPress(QChar& key) {
  const bool toggleKey = key.unicode() == VK_RETURN || key == QLatin1Char(' ');
  if (toggleKey && IsBooleanColumn(Col()) && !(m_editor && m_editor->isVisible())) {
    const QPointer<TsfSkinCustomDBGrid> self(this);
    TControl::KeyPress(key);  // OnKeyPress
    if (!self || key.isNull()) return;
    ToggleBooleanField();
    key = QChar();
    return;
  }
  if (key.unicode() == VK_RETURN) {
    const QPointer<TsfSkinCustomDBGrid> self(this);
    TControl::KeyPress(key);  // OnKeyPress
    if (!self || key.isNull()) return;
    if (!(m_dbOptions & dgAlwaysShowEditor)) PostPending();
    key = QChar();
    return;
  }
  TsfSkinCustomGrid::KeyPress(key);
}

// --- mouse ----------------------------------------------------------------------

void TsfSkinCustomDBGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  m_pressedOnCell = m_pressedTitle = false;
  if (button == mbRight && SaveMultiSelection && m_popupMenu && m_bookmarks.Count() > 0) return;
  if (!CanFocus()) return;
  if (shift & ssDouble) return;  // the double click was raised by the platform
  int line = -1;
  const TGridCoord cell = MouseCoord(x, y);
  const bool sizing = button == mbLeft && HitTestSizing(LayoutX(x), y, line) != gsNormal;
  if (sizing || !m_link.Active() || cell.Y < 0 || cell.X < 0) {
    if (sizing) m_link.UpdateRecord();
    TsfSkinCustomGrid::MouseDown(button, shift, x, y);
    return;
  }
  // Focus, OnMouseDown and the record set's handlers may destroy the grid or
  // close its record set.
  const QPointer<TsfSkinCustomDBGrid> self(this);
  const bool hadFocus = hasFocus() || (m_editor && m_editor->hasFocus());
  if (!hadFocus) {
    SetFocus();
    if (!self || (!hasFocus() && window()->focusWidget() != this)) return;
  }
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
  if (!self || !m_link.Active()) return;
  if (cell.Y < TitleOffset()) {
    m_pressedTitle = button == mbLeft;
    m_pressCol = cell.X;
    // A title dragged sideways moves its column.
    m_moveDone = false;
    if (button == mbLeft && (m_dbOptions & dgColumnResize)) BeginMoving(cell, LayoutX(x), y);
    return;
  }
  TDataSet* ds = m_link.DataSet();
  m_pressedOnCell = button == mbLeft;
  const bool samePress = cell == m_lastPress && ds->RecNo() == m_lastPressRecNo &&
                         cell.Y == Row() && cell.X == Col();
  // A press on the current cell of a focused grid; not the press that
  // focused it, so a click into the grid never changes a value by itself.
  const bool onCurrent = hadFocus && cell.Y == Row() && cell.X == Col();
  m_link.UpdateRecord();
  if (!self) return;
  if (button == mbLeft && onCurrent && IsBooleanColumn(cell.X) && !(shift & ssCtrl)) {
    HideEditor();
    ToggleBooleanField();
    if (!self) return;
  } else if (button == mbLeft && samePress) {
    ShowEditor();
  } else {
    HideEditor();
    MoveBy(cell.Y - Row());
    if (!self) return;
    if (cell.X >= IndicatorOffset() && cell.X != Col() && cell.X < ColCount())
      MoveCurrentCell(cell.X, Row(), true, true);
    if (!self) return;
  }
  if (m_dbOptions & dgMultiSelect) {
    if (shift & ssCtrl) m_bookmarks.SetCurrentRowSelected(!m_bookmarks.CurrentRowSelected());
    else {
      m_bookmarks.Clear();
      m_bookmarks.SetCurrentRowSelected(true);
    }
  }
  m_lastPress = TGridCoord{Col(), Row()};
  m_lastPressRecNo = ds->RecNo();
}

void TsfSkinCustomDBGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const bool afterSizing = GridState() == gsColSizing || GridState() == gsRowSizing;
  const bool wasMoving = GridState() == gsColMoving;
  const bool onCell = m_pressedOnCell, onTitle = m_pressedTitle;
  m_pressedOnCell = m_pressedTitle = false;
  const QPointer<TsfSkinCustomDBGrid> self(this);  // OnMouseUp may destroy the grid
  TsfSkinCustomGrid::MouseUp(button, shift, x, y);
  if (self && button == mbRight && m_popupMenu) {
    // Shown by the skinned window of the menu's form, else of the grid's.
    const QPoint at = mapToGlobal(QPoint(x, y));
    const QPointer<TsfSkinPopupMenu> menu(m_popupMenu);
    const bool borrow = !menu->HostForm && !menu->FindHost();
    if (borrow) menu->HostForm = window();
    menu->Popup(at.x(), at.y());
    if (borrow && menu) menu->HostForm = nullptr;
    return;
  }
  if (!self || button != mbLeft || afterSizing) return;
  const TGridCoord cell = MouseCoord(x, y);
  if (cell.X < 0 || cell.Y < 0) return;
  if (cell.Y < TitleOffset()) {
    // A title that was dragged to another place was moved, not clicked.
    if (onTitle && !(wasMoving && m_moveDone) && cell.X >= IndicatorOffset() && OnTitleClick)
      OnTitleClick(ColumnAt(cell.X));
  } else if (onCell && OnCellClick) {
    OnCellClick(SelectedColumn());
  }
}

bool TsfSkinCustomDBGrid::DoMouseWheel(TShiftState shift, int delta, TPoint pos) {
  bool handled = false;
  const QPointer<TsfSkinCustomDBGrid> self(this);
  if (TControl::OnMouseWheel) TControl::OnMouseWheel(this, shift, delta, pos, handled);
  if (handled || !self) return true;
  if (!m_link.Active() || delta == 0) return false;
  // With or without MouseWheelSupport the wheel steps the record set one
  // record, and keeps going past the visible rows: the paper grid has no
  // scroll bar, so the wheel is how a long list is reached.
  TDataSet* ds = m_link.DataSet();
  if (delta > 0) ds->Prior();
  else ds->Next();
  return true;
}

// --- focus ----------------------------------------------------------------------

void TsfSkinCustomDBGrid::FocusChanged(bool focused) {
  const QPointer<TsfSkinCustomDBGrid> self(this);  // OnEnter may destroy the grid
  if (focused && OnEnter) OnEnter(this);
  if (self) TsfSkinCustomGrid::FocusChanged(focused);
}

void TsfSkinCustomDBGrid::GridExited() {
  const QPointer<TsfSkinCustomDBGrid> self(this);  // OnExit may destroy the grid
  if (OnExit) OnExit(this);
  if (!self) return;
  // Leaving the grid drops a new record nobody typed into.
  if ((m_dbOptions & dgCancelOnExit) && m_link.Active()) CancelUnchangedInsert();
}

void TsfSkinCustomDBGrid::Resize() {
  TsfSkinCustomGrid::Resize();
  UpdateRowCount();
  UpdateActive();
  UpdateVerticalBar();
}

// --- drawing ----------------------------------------------------------------------

void TsfSkinCustomDBGrid::DrawIndicator(TCanvas* canvas, int row, const TRect& rect) {
  if (!m_link.Active()) return;
  const int dataRow = row - TitleOffset();
  const bool current = dataRow == m_link.ActiveRecord();
  const bool selected = RowIsSelected(dataRow);
  int image = -1;
  if (current) {
    const TDataSetState st = m_link.DataSet()->State();
    image = st == dsEdit ? iiEdit : st == dsInsert ? iiInsert : iiCurrent;
    if (selected && image == iiCurrent) image = iiCurrentSelected;
  } else if (selected) {
    image = iiSelected;
  }
  if (image < 0) return;
  const int w = m_indicators.Width(), h = m_indicators.Height();
  int x, y;
  if (Skin()) {
    const TRect area = CellTextRect(rect, true);
    x = area.Left + (area.Width() - w) / 2;
    y = area.Top + (area.Height() - h) / 2;
  } else {
    // Against the data side: the right in the default look, the left when
    // the columns read from the right.
    x = MirroredColumns() ? rect.Left + 1 : rect.Right - w - 1;
    y = rect.Top + (rect.Height() - h) / 2;
  }
  (MirroredColumns() ? m_mirroredIndicators : m_indicators).Draw(canvas, x, y, image);
}

// A column's alignment as a text flag: left and right trade places when the
// columns read from the right.
unsigned TsfSkinCustomDBGrid::AlignmentFlag(TAlignment a) const {
  if (a == taCenter) return DT_CENTER;
  return (a == taRightJustify) != MirroredColumns() ? DT_RIGHT : DT_LEFT;
}

void TsfSkinCustomDBGrid::DrawCellContent(int col, int row, const TRect& rect, TGridDrawState state) {
  TCanvas* canvas = PaintCanvas();
  if (row < TitleOffset()) {
    TsfColumn* column = ColumnAt(col);
    if (!column) return;
    if (!Skin() || !UseSkinFont) {
      const TColor c = canvas->Font.Color();
      canvas->Font = column->Title()->Font ? *column->Title()->Font : m_titleFont;
      if (Skin()) canvas->Font.SetColor(c);
    }
    TRect r = CellTextRect(rect, true);
    if (!Skin()) r = TRect(rect.Left + 2, rect.Top, rect.Right - 2, rect.Bottom);
    canvas->DrawText(column->Title()->Caption(), r,
                     DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS |
                         AlignmentFlag(column->Title()->Alignment));
    return;
  }
  if (col < IndicatorOffset()) {
    DrawIndicator(canvas, row, rect);
    return;
  }
  if (!m_link.Active()) return;
  TsfColumn* column = ColumnAt(col);
  TField* field = column ? column->Field() : nullptr;
  const int dataRow = row - TitleOffset();
  if (dataRow >= m_link.RecordCount()) return;
  if (!(state & (gdSelected | gdFocused)) && RowIsSelected(dataRow)) {
    if (Skin()) {
      DrawSkinCellPicture(canvas, rect, Skin().SelectCell, false);
      canvas->Font.SetColor(Skin().Record->selectfontcolor);
    } else {
      canvas->Brush.Color = clHighlight;
      canvas->FillRect(rect);
      canvas->Font.SetColor(clHighlightText);
    }
    state |= gdSelected;
  }
  if (!Skin()) {
    if (!(state & gdSelected) && !UseColumnsFont) canvas->Font.SetColor(Font()->Color());
    if (UseColumnsFont && column && column->FontValue) canvas->Font = *column->FontValue;
    if (!isEnabled()) canvas->Font.SetColor(clGrayText);
  } else if (!UseSkinFont && UseColumnsFont && column && column->FontValue) {
    const TColor c = canvas->Font.Color();
    canvas->Font = *column->FontValue;
    canvas->Font.SetColor(c);
  }
  if (OnGetCellParam) {
    TColor bg = Skin() ? Skin().Record->bgcolor : (column && column->ColorValue ? *column->ColorValue : Color());
    const TColor before = bg;
    const QPointer<TsfSkinCustomDBGrid> self(this);
    OnGetCellParam(this, column, state, bg, &canvas->Font);
    // The handler may have destroyed the grid or closed its record set.
    if (!self || !m_link.Active()) return;
    column = ColumnAt(col);
    field = column ? column->Field() : nullptr;
    if (dataRow >= m_link.RecordCount()) return;
    if (bg != before) {
      canvas->Brush.Style = bsSolid;
      canvas->Brush.Color = bg;
      canvas->FillRect(rect);
      canvas->Brush.Style = bsClear;
    }
  }
  if (DefaultDrawing && field) {
    const int old = m_link.ActiveRecord();
    m_link.SetActiveRecord(dataRow);
    const bool isBool = field->DataType() == ftBoolean;
    const bool isPicture = DrawGraphicFields && field->DataType() == ftBlob;
    const bool on = isBool && field->Value().toBool();
    const QByteArray bytes = isPicture ? field->Value().toByteArray() : QByteArray();
    const QString text = isBool || isPicture ? QString() : field->DisplayText();
    m_link.SetActiveRecord(old);
    if (isBool) {
      if (on) DrawCheckGlyph(canvas, rect.Left + (rect.Width() - 7) / 2, rect.Top + (rect.Height() - 7) / 2,
                             canvas->Font.Color());
    } else if (isPicture) {
      DrawFieldPicture(canvas, bytes, rect);
    } else {
      TRect r = MirroredColumns() ? TRect(rect.Left + 3, rect.Top, rect.Right - 4, rect.Bottom)
                                      : TRect(rect.Left + 4, rect.Top, rect.Right - 3, rect.Bottom);
      canvas->DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | AlignmentFlag(column->Alignment()));
    }
  }
  // The cell-drawing event of the field is for grids whose columns follow the
  // record set; the column event is for every grid.
  if (OnDrawDataCell && m_columns.State() == csDefault) {
    const QPointer<TsfSkinCustomDBGrid> self(this);
    OnDrawDataCell(this, rect, field, state);
    // The handler may have closed or reopened the record set, and so made
    // the columns anew.
    if (!self || !m_link.Active()) return;
    column = ColumnAt(col);
  }
  if (OnDrawColumnCell) OnDrawColumnCell(this, rect, DataColumnOf(col), column, state);
}

// A picture stored in a field, shrunk to fit the cell with its proportions
// kept and centred in it; bytes that are no picture draw nothing.
void TsfSkinCustomDBGrid::DrawFieldPicture(TCanvas* canvas, const QByteArray& bytes, const TRect& rect) {
  if (bytes.isEmpty() || rect.IsEmpty()) return;
  QImage image;
  if (!image.loadFromData(bytes) || image.isNull()) return;
  const QSize fit = image.size().boundedTo(QSize(rect.Width(), rect.Height()));
  const QSize size = image.size().scaled(fit, Qt::KeepAspectRatio);
  if (size.isEmpty()) return;
  const TBitmap picture(image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  canvas->Draw(rect.Left + (rect.Width() - size.width()) / 2,
               rect.Top + (rect.Height() - size.height()) / 2, &picture);
}
