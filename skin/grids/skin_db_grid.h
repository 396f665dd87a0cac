#pragma once
// TsfSkinDBGrid: the records of a record set as rows and its fields as
// columns, in the skinned grid. Only the records that fit are held (the data
// link's buffer is the number of visible rows); grid rows map onto that
// buffer, and moving the current row moves the record set's cursor.

#include <QPointer>
#include <QStringList>
#include <functional>

#include "db/data_source.h"
#include "platform/image_list.h"
#include "skin/grids/db_grid_columns.h"
#include "skin/grids/skin_grid.h"
#include "skin/menus/skin_popup_menu.h"

class TsfSkinCustomDBGrid;

enum TsfDBGridOption : unsigned {
  dgEditing = 1u << 0, dgAlwaysShowEditor = 1u << 1, dgTitles = 1u << 2, dgIndicator = 1u << 3,
  dgColumnResize = 1u << 4, dgColLines = 1u << 5, dgRowLines = 1u << 6, dgTabs = 1u << 7,
  dgRowSelect = 1u << 8, dgAlwaysShowSelection = 1u << 9, dgConfirmDelete = 1u << 10,
  dgCancelOnExit = 1u << 11, dgMultiSelect = 1u << 12,
};
using TsfDBGridOptions = unsigned;
constexpr TsfDBGridOptions kDefaultDBGridOptions =
    dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
    dgConfirmDelete | dgCancelOnExit;

using TDBGridClickEvent = std::function<void(TsfColumn* Column)>;
using TGetDBCellParamEvent =
    std::function<void(TObject* Sender, TsfColumn* Column, TGridDrawState State,
                       TColor& ABGColor, TFont* AFont)>;
using TDrawDataCellEvent = std::function<void(TObject* Sender, const TRect& Rect, TField* Field,
                                              TGridDrawState State)>;
using TDrawColumnCellEvent = std::function<void(TObject* Sender, const TRect& Rect, int DataCol,
                                                TsfColumn* Column, TGridDrawState State)>;

// The grid's connection to its data source.
class TsfGridDataLink : public TDataLink {
 public:
  explicit TsfGridDataLink(TsfSkinCustomDBGrid* grid) : m_grid(grid) {}
  // Resets the record being edited (Esc): cancels it.
  void Reset();
  // The editor's text was changed by the user since the last write.
  bool EditChanged() const { return m_editChanged; }
  void SetEditChanged(bool v) { m_editChanged = v; if (v) Modified(); }

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void RecordChanged(TField* field) override;
  void LayoutChanged() override;
  void EditingChanged() override;
  void UpdateData() override;

 private:
  TsfSkinCustomDBGrid* m_grid;
  bool m_editChanged = false;
};

// The selected records of a multiple selection, by bookmark.
class TsfBookmarkList {
 public:
  explicit TsfBookmarkList(TsfSkinCustomDBGrid* grid) : m_grid(grid) {}
  int Count() const { return m_items.size(); }
  const QList<TBookmark>& Items() const { return m_items; }
  bool CurrentRowSelected() const;
  void SetCurrentRowSelected(bool v);
  bool Contains(const TBookmark& b) const { return m_items.contains(b); }
  void Clear();
  // Deletes the selected records from the record set.
  void Delete();
  void LinkActive(bool active) { if (!active) m_items.clear(); }

 private:
  TsfSkinCustomDBGrid* m_grid;
  QList<TBookmark> m_items;
};

class TsfSkinCustomDBGrid : public TsfSkinCustomGrid {
  Q_OBJECT
 public:
  explicit TsfSkinCustomDBGrid(QWidget* parent = nullptr);
  ~TsfSkinCustomDBGrid() override;

  TDataSource* DataSource() const { return m_link.DataSource(); }
  void SetDataSource(TDataSource* source);
  TsfGridDataLink* DataLink() { return &m_link; }
  TsfDBGridColumns* Columns() { return &m_columns; }
  TsfDBGridOptions Options() const { return m_dbOptions; }
  void SetOptions(TsfDBGridOptions o);
  bool ReadOnly() const { return m_readOnly; }
  void SetReadOnly(bool v);
  TFont* TitleFont() { return &m_titleFont; }
  bool UseColumnsFont = false;
  bool DrawGraphicFields = false;
  bool MouseWheelSupport = false;
  // A right-button press on a record keeps a multiple selection (neither
  // moving nor selecting) when the grid has a context menu.
  bool SaveMultiSelection = false;
  // The grid's context menu, shown at the release of a right click.
  TsfSkinPopupMenu* PopupMenu() const { return m_popupMenu.data(); }
  void SetPopupMenu(TsfSkinPopupMenu* menu) { m_popupMenu = menu; }
  QString PickListBoxSkinDataName = QStringLiteral("listbox");
  bool PickListBoxCaptionMode = false;
  void SetDefaultRowHeight(int h) override;

  // The column of the current cell, its field, and the selection.
  int SelectedIndex() const;
  void SetSelectedIndex(int i);
  TsfColumn* SelectedColumn() const;
  TField* SelectedField() const;
  TsfBookmarkList* SelectedRows() { return &m_bookmarks; }
  int IndicatorOffset() const { return (m_dbOptions & dgIndicator) ? 1 : 0; }
  // Moves a shown column, in grid columns, together with its place in
  // Columns. The indicator keeps column 0: a move from or onto it raises
  // EInvalidOperation like any index out of range.
  void MoveColumn(int from, int to) override;
  int TitleOffset() const { return (m_dbOptions & dgTitles) ? 1 : 0; }
  const TCustomImageList& Indicators() const { return m_indicators; }
  // The number of data rows that fit wholly (at least one).
  int VisibleDataRows() const;

  TDBGridClickEvent OnCellClick;
  TDBGridClickEvent OnTitleClick;
  TNotifyEvent OnColEnter;
  TNotifyEvent OnColExit;
  TDrawDataCellEvent OnDrawDataCell;
  TDrawColumnCellEvent OnDrawColumnCell;
  TGetDBCellParamEvent OnGetCellParam;
  TNotifyEvent OnEditButtonClick;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // For the editor.
  void EditorKeyDown(WORD& key, TShiftState shift) override { KeyDown(key, shift); }
  bool CanEditModify() override;
  bool CanEditAcceptKey(QChar key) override;
  bool CanEditAcceptText(const QString& text) override;
  // Whether the grid column shows a boolean field.
  bool IsBooleanColumn(int gridCol) const;
  void EditorTextChanged(const QString& text) override;

  // The layout again: field map, columns, counts, widths.
  void LayoutChanged();
  void ApplySkinChange() override;
  void GridExited() override;

 protected:
  friend class TsfGridDataLink;
  friend class TsfColumn;
  friend class TsfDBGridColumns;
  friend class TsfBookmarkList;
  friend class TsfDBGridInplaceEdit;

  void DrawCellContent(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool CanShowEditor() override;
  TsfSkinInplaceEdit* CreateCellEditor() override;
  void UpdateEditorLook(TsfSkinInplaceEdit* editor) override;
  QString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const QString& v) override;
  int GetEditLimit() override;
  bool EditorReadOnly() override;
  void UpdateScrollRanges(bool withVertical = true) override;
  void ScrollMessage(bool vertical, int code, int position) override;
  void MoveCurrentCell(int col, int row, bool moveAnchor, bool show) override;
  void ColumnSized(int col) override;
  void ColumnMoved(int from, int to) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(QChar& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int delta, TPoint pos) override;
  void FocusChanged(bool focused) override;
  void Resize() override;

  // Record-set notifications from the link.
  void LinkActive(bool active);
  void DataChanged();
  void Scrolled(int distance);
  void RecordChanged(TField* field);
  void EditingChanged();
  void UpdateData();

  // Record moves of the keyboard and mouse.
  void MoveBy(int distance);
  void FirstRecord();
  void LastRecord();
  bool CanInsertRecords() const;
  // Asks before deleting; true to go on.
  bool ConfirmDelete(bool several);
  void DeleteRecords();
  // Leaves an unchanged new record by cancelling it.
  bool CancelUnchangedInsert();
  // Writes pending changes (the editor's text) through the record set.
  void PostPending();

 private:
  void UpdateRowCount();
  void UpdateActive();
  void UpdateVerticalBar();
  unsigned AlignmentFlag(TAlignment a) const;
  void DrawIndicator(TCanvas* canvas, int row, const TRect& rect);
  void DrawFieldPicture(TCanvas* canvas, const QByteArray& bytes, const TRect& rect);
  bool ToggleBooleanField();
  void ApplyColumnWidths();
  // Tab stops at a column that is shown, not read-only and bound to a
  // field that is neither calculated nor read-only, while the link is active.
  bool ColumnIsTabStop(int gridCol) const;
  int DataColumnOf(int gridCol) const;  // -1 for the indicator
  TsfColumn* ColumnAt(int gridCol) const;
  TField* FieldAt(int gridCol) const;
  bool RowIsSelected(int dataRow) const;
  void CheckMultiSelect(TShiftState shift, bool moved);

  TsfGridDataLink m_link;
  TsfDBGridColumns m_columns;
  TsfBookmarkList m_bookmarks;
  QPointer<TsfSkinPopupMenu> m_popupMenu;
  TCustomImageList m_indicators;
  TCustomImageList m_mirroredIndicators;  // facing left, for right-to-left reading
  TFont m_titleFont;
  TsfDBGridOptions m_dbOptions = kDefaultDBGridOptions;
  bool m_readOnly = false;
  bool m_layoutBusy = false;
  bool m_inUpdate = false;
  std::vector<TsfColumn*> m_shown;  // the shown columns, in grid order
  bool m_inUpdateActive = false;
  bool m_enteringEdit = false;
  bool m_pressedOnCell = false;
  bool m_pressedTitle = false;
  int m_pressCol = -1;
  TGridCoord m_lastPress{-1, -1};
  int m_lastPressRecNo = -1;
};

// The published grid the windows use.
class TsfSkinDBGrid : public TsfSkinCustomDBGrid {
  Q_OBJECT
 public:
  using TsfSkinCustomDBGrid::TsfSkinCustomDBGrid;
};
