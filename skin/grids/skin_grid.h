#pragma once
// TsfSkinCustomGrid: the grid engine under the data-aware grid. Fixed title
// rows and indicator columns, per-row and per-column sizes, scrolling by
// cells (by pixels for a single column), a current cell and a selection,
// keyboard and mouse, column and row sizing and an in-place editor. It owns
// no data: a descendant draws each cell's content. The skin's "grid" record
// paints cells, lines and background; scrolling shows on linked skinned bars
// on a 0..127 scale, never on bars of the grid's own window.

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/control.h"
#include "platform/timer.h"
#include "platform/scroll_messages.h"
#include "skin/controls/skin_control.h"
#include "skin/grids/grid_rules.h"
#include "skin/grids/grid_scroll_bar.h"
#include "skin/grids/skin_scroll_bar_link.h"
#include "skin/grids/inplace_edit.h"

enum TGridOption : unsigned {
  goFixedVertLine = 1u << 0, goFixedHorzLine = 1u << 1, goVertLine = 1u << 2,
  goHorzLine = 1u << 3, goRangeSelect = 1u << 4, goDrawFocusSelected = 1u << 5,
  goRowSizing = 1u << 6, goColSizing = 1u << 7, goRowMoving = 1u << 8, goColMoving = 1u << 9,
  goEditing = 1u << 10, goTabs = 1u << 11, goRowSelect = 1u << 12,
  goAlwaysShowEditor = 1u << 13, goThumbTracking = 1u << 14,
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

struct TGridCoord {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};
// Cells Left..Right by Top..Bottom, inclusive.
struct TGridRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool Contains(int c, int r) const { return c >= Left && c <= Right && r >= Top && r <= Bottom; }
};

// A row or column moved by the mouse: its index before and after.
using TMovedEvent = std::function<void(TObject* Sender, int FromIndex, int ToIndex)>;

// Scroll messages the linked bars send, numbered as the host numbers them
// (codes SB_LINEUP ... SB_BOTTOM from platform/scroll_messages.h).
constexpr unsigned WM_GRID_HSCROLL = WM_HSCROLL;
constexpr unsigned WM_GRID_VSCROLL = WM_VSCROLL;

class TsfSkinCustomGrid : public TsfSkinControl {
  Q_OBJECT
 public:
  explicit TsfSkinCustomGrid(QWidget* parent = nullptr);
  ~TsfSkinCustomGrid() override;

  // Skin.
  void ForgetSkinRecord() override;
  void ApplySkinChange() override;
  // The record the grid draws from now (null: the default look). Nothing
  // once the skin data object is gone: the copied pointers went with it.
  const TsfGridSkin& Skin() const {
    static const TsfGridSkin none;
    return SkinData() ? m_skin : none;
  }

  bool Transparent() const { return m_transparent; }
  void SetTransparent(bool v);
  // A picture behind the cells; setting one also makes the grid transparent.
  const TBitmap& Wallpaper() const { return m_wallpaper; }
  void SetWallpaper(const TBitmap& picture);
  bool WallpaperStretch() const { return m_wallpaperStretch; }
  void SetWallpaperStretch(bool v);
  bool UseSkinFont = true;
  bool UseSkinCellHeight() const { return m_useSkinCellHeight; }
  void SetUseSkinCellHeight(bool v);
  int DefaultCellHeight() const { return m_defaultCellHeight; }
  void SetDefaultCellHeight(int v);
  TColor GridLineColor() const { return m_gridLineColor; }
  void SetGridLineColor(TColor c);
  TColor FixedColor() const { return m_fixedColor; }
  void SetFixedColor(TColor c);
  bool DefaultDrawing = true;

  // Linked bars (owned elsewhere; forgotten when they go).
  TsfGridScrollBar* HScrollBar() const { return m_hBar; }
  TsfGridScrollBar* VScrollBar() const { return m_vBar; }
  virtual void SetHScrollBar(TsfGridScrollBar* bar);
  virtual void SetVScrollBar(TsfGridScrollBar* bar);
  // Links skinned scroll bars of the controls layer (none: unlink).
  void SetHScrollBar(TsfSkinScrollBar* bar);
  void SetVScrollBar(TsfSkinScrollBar* bar);

  // Structure.
  int ColCount() const { return int(m_colWidths.size()); }
  int RowCount() const { return int(m_rowHeights.size()); }
  virtual void SetColCount(int n);
  virtual void SetRowCount(int n);
  int FixedCols() const { return m_fixedCols; }
  int FixedRows() const { return m_fixedRows; }
  void SetFixedCols(int n);
  void SetFixedRows(int n);
  int DefaultColWidth() const { return m_defaultColWidth; }
  void SetDefaultColWidth(int w);
  int DefaultRowHeight() const { return m_defaultRowHeight; }
  virtual void SetDefaultRowHeight(int h);
  int GridLineWidth() const { return m_lineWidth; }
  void SetGridLineWidth(int w);
  int ColWidths(int col) const { return m_colWidths.at(size_t(col)); }
  void SetColWidths(int col, int width);
  int RowHeights(int row) const { return m_rowHeights.at(size_t(row)); }
  void SetRowHeights(int row, int height);
  // Whether Tab stops at a column (every column does until told otherwise).
  bool TabStops(int col) const {
    return size_t(col) >= m_tabStops.size() || m_tabStops[size_t(col)];
  }
  void SetTabStops(int col, bool v);
  TGridOptions GridOptions() const { return m_options; }
  void SetGridOptions(TGridOptions o);

  // Position.
  int Col() const { return m_current.X; }
  int Row() const { return m_current.Y; }
  void SetCol(int c) { FocusCell(c, Row(), true); }
  void SetRow(int r) { FocusCell(Col(), r, true); }
  int TopRow() const { return m_topLeft.Y; }
  int LeftCol() const { return m_topLeft.X; }
  void SetTopRow(int r);
  void SetLeftCol(int c);
  TGridRect Selection() const;
  int HorzOffset() const { return m_horzOffset; }
  // Rows and columns that fit wholly below and right of the fixed ones
  // (at least one when any scrollable one exists).
  int VisibleRowCount() const;
  int VisibleColCount() const;
  // The cell's rectangle in client coordinates; empty when not visible.
  TRect CellRect(int col, int row) const;
  // The cell under a client point; -1 parts outside the cells.
  TGridCoord MouseCoord(int x, int y) const;
  // Right-to-left reading draws the columns from the right edge: fixed
  // columns on the right, each next column left of the one before. The
  // layout is worked out left to right and mirrored where it meets the
  // window (painting, mouse points, CellRect, MouseCoord).
  bool MirroredColumns() const { return layoutDirection() == Qt::RightToLeft; }
  TGridState GridState() const { return m_gridState; }
  // While a row or column is dragged: the one dragged and where it would
  // land on release (equal: nowhere new).
  int MoveFromIndex() const { return m_moveFrom; }
  int MoveToIndex() const { return m_moveTo; }
  // Moves a column or row with its width or height; the current cell stays
  // on the cell it was on. Raises ColumnMoved / RowMoved.
  virtual void MoveColumn(int from, int to);
  void MoveRow(int from, int to);
  // The 60 ms timer that runs while the left button is held to select or to
  // move (null before the first press): each tick scrolls towards a pointer
  // outside the scrolling cells and extends the selection or moves the
  // insertion line.
  TTimer* SelectTimer() const { return m_selectTimer; }

  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

  // The in-place editor.
  bool EditorMode() const { return m_editorMode; }
  void SetEditorMode(bool v);
  TsfSkinInplaceEdit* InplaceEditor() const { return m_editor; }
  void ShowEditor();
  void HideEditor();
  void InvalidateEditor();

  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);

  // For the editor: keys and characters it hands to the grid.
  virtual void EditorKeyDown(WORD& key, TShiftState shift) { KeyDown(key, shift); }
  virtual void EditorKeyPress(QChar& key) { KeyPress(key); }
  virtual bool CanEditModify() { return true; }
  virtual bool CanEditAcceptKey(QChar key) { Q_UNUSED(key); return true; }
  // Whether `text`, pasted or dropped into the editor over its selection,
  // can go in: checked as typed characters are.
  virtual bool CanEditAcceptText(const QString& text) { Q_UNUSED(text); return true; }
  // Called when the focus left the grid and its editor.
  virtual void GridExited() {}
  // Called when the editor's text changed by the user.
  virtual void EditorTextChanged(const QString& text) { Q_UNUSED(text); }

 protected:
  // Extension points, in the order the engine calls them.
  virtual void UpdateScrollPositions();
  virtual void UpdateScrollRanges(bool withVertical = true);
  virtual void MoveCurrentCell(int col, int row, bool moveAnchor, bool show);
  // `x` in the left-to-right layout (LayoutX).
  virtual TGridState HitTestSizing(int x, int y, int& line);
  virtual TsfSkinInplaceEdit* CreateCellEditor();
  virtual bool CanShowEditor();
  virtual void DrawCellContent(int col, int row, const TRect& rect, TGridDrawState state) = 0;
  virtual bool CanSelectCell(int col, int row) { Q_UNUSED(col); Q_UNUSED(row); return true; }
  virtual QString GetEditText(int col, int row) { Q_UNUSED(col); Q_UNUSED(row); return {}; }
  virtual void SetEditText(int col, int row, const QString& v) { Q_UNUSED(col); Q_UNUSED(row); Q_UNUSED(v); }
  virtual int GetEditLimit() { return 0; }
  virtual bool EditorReadOnly() { return false; }
  virtual void TopLeftChanged() {}
  virtual void ColWidthsChanged() { UpdateScrollRanges(); Invalidate(); }
  virtual void RowHeightsChanged() { UpdateScrollRanges(); Invalidate(); }
  virtual void ColumnSized(int col) { Q_UNUSED(col); }
  // After a column or row was moved by MoveColumn / MoveRow.
  virtual void ColumnMoved(int from, int to);
  virtual void RowMoved(int from, int to);
  virtual void UpdateEditorLook(TsfSkinInplaceEdit* editor);
  virtual bool CanGridAcceptKey(WORD key, TShiftState shift) { Q_UNUSED(key); Q_UNUSED(shift); return true; }
  virtual void ScrollMessage(bool vertical, int code, int position);

  // Moves the current cell (clamped to the scrollable area), scrolled into
  // view; the anchor follows unless Shift extends a range selection.
  void FocusCell(int col, int row, bool moveAnchor);
  // Starts dragging the row or column of a fixed cell when the options allow
  // it; false when the cell starts no move.
  bool BeginMoving(TGridCoord cell, int x, int y);
  // Ends a row or column drag without moving anything (its layout changed).
  void CancelMoving();
  // Set by the release that completed a move (cleared on the next press).
  bool m_moveDone = false;
  void MoveTopLeft(int col, int row);
  // Last column and row that can be the left or top one.
  int LastLeftCol() const;
  int LastTopRow() const;
  // The cell's rectangle without clipping to the visible area (the whole
  // extent of a partly visible cell), or empty when it is scrolled off.
  TRect CellBounds(int col, int row) const;
  // A client x and the x of the left-to-right layout, each into the other.
  int LayoutX(int x) const { return MirroredColumns() ? ClientWidth() - 1 - x : x; }
  // A rectangle of the left-to-right layout and its place in the window,
  // each into the other.
  TRect MirrorRect(const TRect& r) const {
    if (!MirroredColumns() || r.IsEmpty()) return r;
    return TRect(ClientWidth() - r.Right, r.Top, ClientWidth() - r.Left, r.Bottom);
  }
  // CellRect and MouseCoord in the left-to-right layout.
  TRect LayoutCellRect(int col, int row) const;
  TGridCoord LayoutCoord(int x, int y) const;
  // Pixel width of the fixed columns and height of the fixed rows.
  int FixedWidth() const;
  int FixedHeight() const;
  int ContentLeft(int col) const;  // x of a column (INT_MIN when scrolled off)
  int ContentTop(int row) const;   // y of a row, -1 when scrolled off

  // Painting helpers for descendants.
  void DrawSkinCellPicture(TCanvas* canvas, const TRect& rect, const TRect& source,
                           bool fixed);
  void ApplyCellFont(TCanvas* canvas, TGridDrawState state);
  TRect CellTextRect(const TRect& cell, bool fixed) const;
  TCanvas* PaintCanvas() { return m_paintCanvas ? m_paintCanvas : Canvas(); }

  void ReadSkinRecord() override;
  void PaintDefaultImage(TBitmap& picture) override { PaintGrid(picture); }
  void PaintSkinImage(TBitmap& picture) override { PaintGrid(picture); }
  void ParentBackgroundChanged() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(QChar& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void changeEvent(QEvent* e) override;
  bool DoMouseWheel(TShiftState shift, int delta, TPoint pos) override;
  void Resize() override;
  void FocusChanged(bool focused) override;
  void VisibleChanged() override;
  void WndProc(TMessage& message) override;

  TGridCoord m_current{1, 1};
  TGridCoord m_anchor{1, 1};
  TGridCoord m_topLeft{1, 1};
  QPointer<TsfSkinInplaceEdit> m_editor;
  bool m_sizingMoved = false;

 private:
  void CheckCounts(int cols, int rows) const;
  void ClampTopLeft();
  void ScrollIntoView(int col, int row);
  void ApplyScrollBar(TsfGridScrollBar* bar, bool show, int min, int max, int position,
                      int step);
  void UpdateEditorPlace();
  void LinkBar(TsfGridScrollBar* bar, bool vertical);
  void PaintGrid(TBitmap& picture);
  void PaintLines(TCanvas* canvas);
  void PaintCell(TCanvas* canvas, int col, int row, const TRect& r);
  void PaintMoveLine(TCanvas* canvas, int w, int h);
  // The column or row at a client coordinate (-1: none); past the last
  // visible one or in the fixed ones when `clampToScrolling`, the nearest
  // visible scrolling one.
  int ColAt(int x, bool clampToScrolling = false) const;
  int RowAt(int y, bool clampToScrolling = false) const;
  int LastVisibleCol() const;
  int LastVisibleRow() const;
  void StartSelectTimer();
  void SelectTimerTick();
  void UpdateMoveTarget(int x, int y);

  TsfGridSkin m_skin;
  bool m_transparent = false;
  TBitmap m_wallpaper;
  bool m_wallpaperStretch = false;
  bool m_useSkinCellHeight = true;
  int m_defaultCellHeight = 20;
  TColor m_gridLineColor = clWindowText;
  TColor m_fixedColor = clBtnFace;
  TsfGridScrollBar* m_hBar = nullptr;
  TsfGridScrollBar* m_vBar = nullptr;
  std::unique_ptr<TsfSkinScrollBarLink> m_hLink;
  std::unique_ptr<TsfSkinScrollBarLink> m_vLink;
  bool m_updatingRanges = false;

  std::vector<int> m_colWidths;
  std::vector<int> m_rowHeights;
  std::vector<char> m_tabStops;  // per column; columns past its end are tab stops
  int m_fixedCols = 1;
  int m_fixedRows = 1;
  int m_defaultColWidth = 64;
  int m_defaultRowHeight = 24;
  int m_lineWidth = 1;
  TGridOptions m_options = goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                           goRangeSelect;
  int m_horzOffset = 0;
  bool m_editorMode = false;
  TGridState m_gridState = gsNormal;
  int m_sizingIndex = -1;
  int m_sizingPos = 0;
  int m_sizingOrigin = 0;
  int m_moveFrom = -1;
  int m_moveTo = -1;
  TPoint m_lastMouse;
  TTimer* m_selectTimer = nullptr;
  TCanvas* m_paintCanvas = nullptr;
};
