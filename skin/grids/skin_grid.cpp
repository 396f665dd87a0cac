#include "skin/grids/skin_grid.h"

#include <QApplication>
#include <algorithm>
#include <limits>

#include "platform/exceptions.h"
#include "skin/data/skin_data.h"
#include "skin/grids/inplace_edit.h"
#include "skin/menus/skin_menu.h"
#include "skin/render/compose.h"
#include "skin/render/glyphs.h"
#include "skin/render/window_helpers.h"

namespace {
// How near a line the pointer must be to size a column or row.
constexpr int kSizingSlack = 2;

bool Has(TGridOptions o, TGridOption f) { return (o & f) != 0; }
// ContentLeft of a column that is scrolled off (a single wide column can
// legitimately start left of 0).
constexpr int kOffScreen = std::numeric_limits<int>::min();
// The widest column, the highest row and the thickest line. Sizes come from
// stored layouts and skins; past this bound sums of them could overflow, and
// drawing one cell could take minutes.
constexpr int kMaxCellExtent = 32767;
// Zero and negative sizes hide a column or row.
int BoundedExtent(int v) { return std::clamp(v, -kMaxCellExtent, kMaxCellExtent); }
// Where index `i` goes when the item at `from` is taken out and put at `to`.
int MovedIndex(int i, int from, int to) {
  if (i == from) return to;
  if (from < to && i > from && i <= to) return i - 1;
  if (from > to && i >= to && i < from) return i + 1;
  return i;
}
}  // namespace

TsfSkinCustomGrid::TsfSkinCustomGrid(QWidget* parent) : TsfSkinControl(parent) {
  SetSkinDataName(QStringLiteral("grid"));
  SetTabStop(true);
  SetColor(clWindow);
  m_colWidths.assign(5, m_defaultColWidth);
  m_rowHeights.assign(5, m_defaultRowHeight);
  SetBounds(0, 0, 5 * m_defaultColWidth, 5 * m_defaultRowHeight);
  setMouseTracking(true);
}

namespace {
// A bar may outlive its link: it must not call into the grid afterwards.
void UnlinkBar(TsfGridScrollBar* bar) {
  if (!bar) return;
  bar->OnChange = bar->OnLastChange = bar->OnUpButtonClick = bar->OnDownButtonClick =
      bar->OnPageUp = bar->OnPageDown = bar->OnDestroyed = nullptr;
}
}  // namespace

TsfSkinCustomGrid::~TsfSkinCustomGrid() {
  // The editor calls back into the grid when it loses the focus, which it
  // would do as the half-destroyed grid hides its window: it goes first.
  delete m_editor.data();
  UnlinkBar(m_hBar);
  UnlinkBar(m_vBar);
  m_hLink.reset();
  m_vLink.reset();
}

// --- skin -------------------------------------------------------------------

void TsfSkinCustomGrid::ForgetSkinRecord() {
  TsfSkinControl::ForgetSkinRecord();
  m_skin = TsfGridSkin();
}

// A "grid" record without a fixed-cell picture draws the default look.
void TsfSkinCustomGrid::ReadSkinRecord() {
  TsfSkinControl::ReadSkinRecord();
  m_skin = m_index < 0 ? TsfGridSkin() : ResolveGridSkin(SkinData(), SkinDataName());
  if (!Skin()) m_index = -1;
}

void TsfSkinCustomGrid::ParentBackgroundChanged() {
  if (m_transparent) Invalidate();
}

void TsfSkinCustomGrid::ApplySkinChange() {
  ReadSkinRecord();
  const int h = SkinnedRowHeight(SkinData() != nullptr, Skin(), m_useSkinCellHeight,
                                 m_defaultCellHeight, m_defaultRowHeight);
  if (h != m_defaultRowHeight) SetDefaultRowHeight(h);
  UpdateScrollRanges();
  UpdateEditorPlace();
  Invalidate();
}

void TsfSkinCustomGrid::SetTransparent(bool v) {
  m_transparent = v;
  Invalidate();
}

void TsfSkinCustomGrid::SetWallpaper(const TBitmap& picture) {
  m_wallpaper = picture;
  if (!m_wallpaper.Empty()) m_transparent = true;
  Invalidate();
}

void TsfSkinCustomGrid::SetWallpaperStretch(bool v) {
  m_wallpaperStretch = v;
  if (!m_wallpaper.Empty()) Invalidate();
}

void TsfSkinCustomGrid::SetUseSkinCellHeight(bool v) {
  m_useSkinCellHeight = v;
  ApplySkinChange();
}

void TsfSkinCustomGrid::SetDefaultCellHeight(int v) {
  m_defaultCellHeight = v;
  if (SkinData() && !Skin()) SetDefaultRowHeight(v);
}

void TsfSkinCustomGrid::SetGridLineColor(TColor c) {
  m_gridLineColor = c;
  if (!Skin()) Invalidate();
}

void TsfSkinCustomGrid::SetFixedColor(TColor c) {
  m_fixedColor = c;
  Invalidate();
}

// --- linked bars --------------------------------------------------------------

void TsfSkinCustomGrid::LinkBar(TsfGridScrollBar* bar, bool vertical) {
  if (!bar) return;
  bar->SetBarEnabled(true);
  bar->SetShown(false);
  const unsigned msg = vertical ? WM_GRID_VSCROLL : WM_GRID_HSCROLL;
  auto send = [this, msg](int code, int pos = 0) { PerformFromQt(msg, code, pos); };
  if (vertical) {
    bar->OnUpButtonClick = [send] { send(SB_LINEDOWN); };
    bar->OnDownButtonClick = [send] { send(SB_LINEUP); };
    bar->OnChange = [this, bar, send] {
      if (Has(m_options, goThumbTracking)) send(SB_THUMBPOSITION, bar->Position());
    };
    bar->OnLastChange = [this, bar, send] {
      if (!Has(m_options, goThumbTracking)) send(SB_THUMBPOSITION, bar->Position());
    };
    bar->OnDestroyed = [this] { m_vBar = nullptr; };
  } else {
    auto step = [bar, send](int by) {
      bar->SetRangeAndPosition(bar->Min(), bar->Max(), bar->PageSize(), bar->Position() + by);
      send(SB_THUMBPOSITION, bar->Position());
    };
    bar->OnUpButtonClick = [bar, step] { step(bar->SmallChange); };
    bar->OnDownButtonClick = [bar, step] { step(-bar->SmallChange); };
    bar->OnChange = nullptr;
    bar->OnLastChange = [bar, send] { send(SB_THUMBPOSITION, bar->Position()); };
    bar->OnDestroyed = [this] { m_hBar = nullptr; };
  }
  bar->OnPageUp = [send] { send(SB_PAGEUP); };
  bar->OnPageDown = [send] { send(SB_PAGEDOWN); };
}

void TsfSkinCustomGrid::SetHScrollBar(TsfGridScrollBar* bar) {
  if (m_hBar == bar) return;
  UnlinkBar(m_hBar);
  m_hBar = bar;
  LinkBar(bar, false);
  UpdateScrollRanges();
}

void TsfSkinCustomGrid::SetVScrollBar(TsfGridScrollBar* bar) {
  if (m_vBar == bar) return;
  UnlinkBar(m_vBar);
  m_vBar = bar;
  LinkBar(bar, true);
  UpdateScrollRanges();
}

void TsfSkinCustomGrid::SetHScrollBar(TsfSkinScrollBar* bar) {
  auto link = bar ? std::make_unique<TsfSkinScrollBarLink>(bar) : nullptr;
  SetHScrollBar(static_cast<TsfGridScrollBar*>(link.get()));
  m_hLink = std::move(link);
}

void TsfSkinCustomGrid::SetVScrollBar(TsfSkinScrollBar* bar) {
  auto link = bar ? std::make_unique<TsfSkinScrollBarLink>(bar) : nullptr;
  SetVScrollBar(static_cast<TsfGridScrollBar*>(link.get()));
  m_vLink = std::move(link);
}

void TsfSkinCustomGrid::ApplyScrollBar(TsfGridScrollBar* bar, bool show, int min, int max,
                                       int position, int step) {
  if (show) {
    bar->SmallChange = bar->LargeChange = step;
    bar->SetRangeAndPosition(min, max, 0, position);
  } else {
    bar->SetRangeAndPosition(0, 0, 0, 0);
  }
  bar->SetBarEnabled(show);
  bar->SetShown(show && Visible());
}

void TsfSkinCustomGrid::UpdateScrollRanges(bool withVertical) {
  if (m_updatingRanges || !Visible()) {
    ClampTopLeft();
    return;
  }
  m_updatingRanges = true;
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{m_updatingRanges};
  const bool hWas = m_hBar && m_hBar->Shown();
  const bool vWas = m_vBar && m_vBar->Shown();
  const TGridCoord oldTopLeft = m_topLeft;
  ClampTopLeft();
  if (m_hBar) {
    if (ColCount() - m_fixedCols == 1) {
      const int range =
          std::max(0, ColWidths(ColCount() - 1) - (ClientWidth() - FixedWidth()));
      m_horzOffset = std::clamp(m_horzOffset, 0, range);
      ApplyScrollBar(m_hBar, range > 0, 0, range, m_horzOffset,
                     std::max(1, range / std::max(1, ColCount() - VisibleColCount() - m_fixedCols)));
    } else {
      const int last = LastLeftCol();
      ApplyScrollBar(m_hBar, last > m_fixedCols, 0, kGridScrollScale, 0,
                     GridScrollStep(ColCount(), VisibleColCount(), m_fixedCols));
    }
  }
  if (withVertical && m_vBar) {
    const int last = LastTopRow();
    ApplyScrollBar(m_vBar, last > m_fixedRows, 0, kGridScrollScale, 0,
                   GridScrollStep(RowCount(), VisibleRowCount(), m_fixedRows));
  }
  UpdateScrollPositions();
  if (!(oldTopLeft == m_topLeft)) TopLeftChanged();
  if (m_hBar && m_vBar) m_hBar->SetBoth(m_vBar->Shown());
  const bool changed = (m_hBar && m_hBar->Shown() != hWas) || (m_vBar && m_vBar->Shown() != vWas);
  if (changed && Align() != alNone) {
    if (auto* p = qobject_cast<TWinControl*>(parentWidget())) p->Realign();
    Invalidate();
  }
}

void TsfSkinCustomGrid::UpdateScrollPositions() {
  if (m_hBar && m_hBar->Shown()) {
    const int pos = ColCount() - m_fixedCols == 1
                        ? m_horzOffset
                        : GridScrollPosition(m_topLeft.X, m_fixedCols, LastLeftCol());
    m_hBar->SetRangeAndPosition(m_hBar->Min(), m_hBar->Max(), m_hBar->PageSize(),
                                layoutDirection() == Qt::RightToLeft ? m_hBar->Max() - pos : pos);
  }
  if (m_vBar && m_vBar->Shown())
    m_vBar->SetRangeAndPosition(m_vBar->Min(), m_vBar->Max(), m_vBar->PageSize(),
                                GridScrollPosition(m_topLeft.Y, m_fixedRows, LastTopRow()));
}

void TsfSkinCustomGrid::ScrollMessage(bool vertical, int code, int position) {
  if (isVisible() && CanFocus() && TabStop() && !hasFocus() &&
      !(m_editor && m_editor->hasFocus()))
    SetFocus();
  // Right to left the horizontal bar shows its value mirrored; a thumb
  // position it sends is mirrored back, so the thumb stays where it was put.
  if (!vertical && m_hBar && layoutDirection() == Qt::RightToLeft &&
      (code == SB_THUMBPOSITION || code == SB_THUMBTRACK))
    position = m_hBar->Max() - position;
  if (!vertical && ColCount() - m_fixedCols == 1) {
    const int range = std::max(0, ColWidths(ColCount() - 1) - (ClientWidth() - FixedWidth()));
    const int line = std::max(1, Canvas()->TextWidth(QStringLiteral("0")));
    const int page = std::max(1, ClientWidth() - FixedWidth());
    int off = m_horzOffset;
    switch (code) {
      case SB_LINEUP: off -= line; break;
      case SB_LINEDOWN: off += line; break;
      case SB_PAGEUP: off -= page; break;
      case SB_PAGEDOWN: off += page; break;
      case SB_THUMBTRACK:
        if (!Has(m_options, goThumbTracking)) return;
        [[fallthrough]];
      case SB_THUMBPOSITION: off = position; break;
      case SB_TOP: off = 0; break;
      case SB_BOTTOM: off = range; break;
      default: return;
    }
    off = std::clamp(off, 0, range);
    if (off != m_horzOffset) {
      m_horzOffset = off;
      UpdateEditorPlace();
      Invalidate();
    }
    UpdateScrollPositions();
    return;
  }
  const int first = vertical ? m_fixedRows : m_fixedCols;
  const int last = vertical ? LastTopRow() : LastLeftCol();
  const int cur = vertical ? m_topLeft.Y : m_topLeft.X;
  const int page = vertical ? VisibleRowCount() : VisibleColCount();
  auto size = [&](int i) { return vertical ? RowHeights(i) : ColWidths(i); };
  int target = cur;
  switch (code) {
    case SB_LINEUP: target = cur - 1; break;
    case SB_LINEDOWN: target = cur + 1; break;
    case SB_PAGEUP: target = cur - page; break;
    case SB_PAGEDOWN: target = cur + page; break;
    case SB_THUMBTRACK:
      if (!Has(m_options, goThumbTracking)) return;
      [[fallthrough]];
    case SB_THUMBPOSITION: target = GridScrollTarget(position, first, last); break;
    case SB_TOP: target = first; break;
    case SB_BOTTOM: target = last; break;
    default: return;
  }
  target = std::clamp(target, first, std::max(first, last));
  // Hidden rows or columns are stepped over in the direction of the move.
  const int dir = target >= cur ? 1 : -1;
  while (target > first && target < last && size(target) <= 0) target += dir;
  if (vertical) MoveTopLeft(m_topLeft.X, target);
  else MoveTopLeft(target, m_topLeft.Y);
  UpdateScrollPositions();
}

void TsfSkinCustomGrid::WndProc(TMessage& m) {
  if (m.Msg == WM_SKINMENU_COMMAND) {
    if (m_editor) m_editor->FreeContextMenu();
    return;
  }
  if (m.Msg == WM_GRID_VSCROLL || m.Msg == WM_GRID_HSCROLL) {
    ScrollMessage(m.Msg == WM_GRID_VSCROLL, int(m.WParam), int(m.LParam));
    return;
  }
  TsfSkinControl::WndProc(m);
}

// --- structure ----------------------------------------------------------------

void TsfSkinCustomGrid::CheckCounts(int cols, int rows) const {
  // The extents are summed in int: refuse counts whose sum cannot be held.
  const long long limit = std::numeric_limits<int>::max();
  auto extent = [](long long n, long long size) { return n * (std::max(size, 0LL) + 1); };
  if (extent(cols, m_defaultColWidth) > limit || extent(rows, m_defaultRowHeight) > limit)
    throw EInvalidOperation(QStringLiteral("Grid too large for operation"));
}

void TsfSkinCustomGrid::SetColCount(int n) {
  n = std::max(1, n);
  if (n == ColCount()) return;
  CheckCounts(n, RowCount());
  if (m_gridState == gsColMoving) CancelMoving();  // the dragged column may be gone
  if (m_fixedCols >= n) m_fixedCols = n - 1;
  m_colWidths.resize(size_t(n), m_defaultColWidth);
  if (m_tabStops.size() > size_t(n)) m_tabStops.resize(size_t(n));
  m_current.X = std::clamp(m_current.X, std::min(m_fixedCols, n - 1), n - 1);
  m_anchor.X = std::clamp(m_anchor.X, std::min(m_fixedCols, n - 1), n - 1);
  ColWidthsChanged();
}

void TsfSkinCustomGrid::SetRowCount(int n) {
  n = std::max(1, n);
  if (n == RowCount()) return;
  CheckCounts(ColCount(), n);
  if (m_gridState == gsRowMoving) CancelMoving();
  if (m_fixedRows >= n) m_fixedRows = n - 1;
  m_rowHeights.resize(size_t(n), m_defaultRowHeight);
  m_current.Y = std::clamp(m_current.Y, std::min(m_fixedRows, n - 1), n - 1);
  m_anchor.Y = std::clamp(m_anchor.Y, std::min(m_fixedRows, n - 1), n - 1);
  RowHeightsChanged();
}

void TsfSkinCustomGrid::SetFixedCols(int n) {
  if (n < 0 || n >= ColCount()) throw EInvalidOperation(QStringLiteral("Fixed column count must be less than column count"));
  m_fixedCols = n;
  m_current.X = std::max(m_current.X, n);
  m_anchor.X = std::max(m_anchor.X, n);
  m_topLeft.X = std::max(m_topLeft.X, n);
  ColWidthsChanged();
}

void TsfSkinCustomGrid::SetFixedRows(int n) {
  if (n < 0 || n >= RowCount()) throw EInvalidOperation(QStringLiteral("Fixed row count must be less than row count"));
  m_fixedRows = n;
  m_current.Y = std::max(m_current.Y, n);
  m_anchor.Y = std::max(m_anchor.Y, n);
  m_topLeft.Y = std::max(m_topLeft.Y, n);
  RowHeightsChanged();
}

void TsfSkinCustomGrid::SetDefaultColWidth(int w) {
  w = BoundedExtent(w);
  CheckCounts(ColCount(), RowCount());
  m_defaultColWidth = w;
  std::fill(m_colWidths.begin(), m_colWidths.end(), w);
  ColWidthsChanged();
}

void TsfSkinCustomGrid::SetDefaultRowHeight(int h) {
  m_defaultRowHeight = h = BoundedExtent(h);
  CheckCounts(ColCount(), RowCount());
  std::fill(m_rowHeights.begin(), m_rowHeights.end(), h);
  RowHeightsChanged();
  UpdateEditorPlace();
}

void TsfSkinCustomGrid::SetGridLineWidth(int w) {
  m_lineWidth = std::clamp(w, 0, kMaxCellExtent);
  ColWidthsChanged();
}

void TsfSkinCustomGrid::SetColWidths(int col, int width) {
  if (col < 0 || col >= ColCount()) throw EInvalidOperation(QStringLiteral("Grid index out of range"));
  width = BoundedExtent(width);
  if (m_colWidths[size_t(col)] == width) return;
  m_colWidths[size_t(col)] = width;
  ColWidthsChanged();
  UpdateEditorPlace();
}

void TsfSkinCustomGrid::SetTabStops(int col, bool v) {
  if (col < 0 || col >= ColCount()) throw EInvalidOperation(QStringLiteral("Grid index out of range"));
  if (m_tabStops.size() < size_t(ColCount())) m_tabStops.resize(size_t(ColCount()), 1);
  m_tabStops[size_t(col)] = v;
}

void TsfSkinCustomGrid::SetRowHeights(int row, int height) {
  if (row < 0 || row >= RowCount()) throw EInvalidOperation(QStringLiteral("Grid index out of range"));
  height = BoundedExtent(height);
  if (m_rowHeights[size_t(row)] == height) return;
  m_rowHeights[size_t(row)] = height;
  RowHeightsChanged();
  UpdateEditorPlace();
}

void TsfSkinCustomGrid::SetGridOptions(TGridOptions o) {
  if (o == m_options) return;
  m_options = o;
  if (Has(o, goRowSelect)) m_current.X = m_anchor.X = m_fixedCols;
  if (!Has(o, goEditing)) HideEditor();
  else if (Has(o, goAlwaysShowEditor)) ShowEditor();
  ColWidthsChanged();
}

// --- geometry -------------------------------------------------------------------

int TsfSkinCustomGrid::FixedWidth() const {
  const int line = Has(m_options, goVertLine) ? m_lineWidth : 0;
  int w = 0;
  for (int c = 0; c < m_fixedCols; ++c)
    if (m_colWidths[size_t(c)] > 0) w += m_colWidths[size_t(c)] + line;
  return w;
}

int TsfSkinCustomGrid::FixedHeight() const {
  const int line = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  int h = 0;
  for (int r = 0; r < m_fixedRows; ++r)
    if (m_rowHeights[size_t(r)] > 0) h += m_rowHeights[size_t(r)] + line;
  return h;
}

int TsfSkinCustomGrid::ContentLeft(int col) const {
  const int line = Has(m_options, goVertLine) ? m_lineWidth : 0;
  int x = 0;
  if (col < m_fixedCols) {
    for (int c = 0; c < col; ++c)
      if (m_colWidths[size_t(c)] > 0) x += m_colWidths[size_t(c)] + line;
    return x;
  }
  if (col < m_topLeft.X) return kOffScreen;
  x = FixedWidth() - (ColCount() - m_fixedCols == 1 ? m_horzOffset : 0);
  for (int c = m_topLeft.X; c < col; ++c) {
    if (m_colWidths[size_t(c)] > 0) x += m_colWidths[size_t(c)] + line;
    if (x >= ClientWidth()) return kOffScreen;
  }
  return x;
}

int TsfSkinCustomGrid::ContentTop(int row) const {
  const int line = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  int y = 0;
  if (row < m_fixedRows) {
    for (int r = 0; r < row; ++r)
      if (m_rowHeights[size_t(r)] > 0) y += m_rowHeights[size_t(r)] + line;
    return y;
  }
  if (row < m_topLeft.Y) return -1;
  y = FixedHeight();
  for (int r = m_topLeft.Y; r < row; ++r) {
    if (m_rowHeights[size_t(r)] > 0) y += m_rowHeights[size_t(r)] + line;
    if (y >= ClientHeight()) return -1;
  }
  return y;
}

TRect TsfSkinCustomGrid::CellBounds(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return TRect();
  const int w = m_colWidths[size_t(col)], h = m_rowHeights[size_t(row)];
  if (w <= 0 || h <= 0) return TRect();
  const int x = ContentLeft(col), y = ContentTop(row);
  if (x == kOffScreen || y < 0) return TRect();
  return TRect(x, y, x + w, y + h);
}

TRect TsfSkinCustomGrid::CellRect(int col, int row) const {
  return MirrorRect(LayoutCellRect(col, row));
}

TRect TsfSkinCustomGrid::LayoutCellRect(int col, int row) const {
  const TRect r = CellBounds(col, row);
  if (r.IsEmpty() || r.Left >= ClientWidth() || r.Top >= ClientHeight() || r.Right <= 0)
    return TRect();
  return r;
}

int TsfSkinCustomGrid::ColAt(int x, bool clampToScrolling) const {
  const int vline = Has(m_options, goVertLine) ? m_lineWidth : 0;
  auto find = [&](int from, int to, int start) {
    int left = start;
    for (int i = from; i < to && left < ClientWidth(); ++i) {
      const int w = m_colWidths[size_t(i)];
      if (w <= 0) continue;
      if (x >= left && x < left + w + vline) return i;
      left += w + vline;
    }
    return -1;
  };
  if (clampToScrolling) {
    if (ColCount() <= m_fixedCols) return -1;
    if (x < FixedWidth()) return m_topLeft.X;
    if (x >= ClientWidth()) return LastVisibleCol();
  } else if (x < 0 || x >= ClientWidth()) {
    return -1;  // outside the window: over no cell, even where a cell runs on
  } else if (x < FixedWidth()) {
    return find(0, m_fixedCols, 0);
  }
  const int c = find(m_topLeft.X, ColCount(),
                     FixedWidth() - (ColCount() - m_fixedCols == 1 ? m_horzOffset : 0));
  return c < 0 && clampToScrolling ? LastVisibleCol() : c;
}

int TsfSkinCustomGrid::RowAt(int y, bool clampToScrolling) const {
  const int hline = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  auto find = [&](int from, int to, int start) {
    int top = start;
    for (int i = from; i < to && top < ClientHeight(); ++i) {
      const int h = m_rowHeights[size_t(i)];
      if (h <= 0) continue;
      if (y >= top && y < top + h + hline) return i;
      top += h + hline;
    }
    return -1;
  };
  if (clampToScrolling) {
    if (RowCount() <= m_fixedRows) return -1;
    if (y < FixedHeight()) return m_topLeft.Y;
    if (y >= ClientHeight()) return LastVisibleRow();
  } else if (y < 0 || y >= ClientHeight()) {
    return -1;
  } else if (y < FixedHeight()) {
    return find(0, m_fixedRows, 0);
  }
  const int r = find(m_topLeft.Y, RowCount(), FixedHeight());
  return r < 0 && clampToScrolling ? LastVisibleRow() : r;
}

// The last scrolling column (row) shown wholly, or the left (top) one when
// none is.
int TsfSkinCustomGrid::LastVisibleCol() const {
  int last = m_topLeft.X;
  for (int c = m_topLeft.X; c < ColCount(); ++c) {
    const TRect r = CellBounds(c, m_fixedRows < RowCount() ? m_topLeft.Y : 0);
    if (r.IsEmpty()) {
      if (m_colWidths[size_t(c)] > 0) break;
      continue;
    }
    if (r.Right > ClientWidth()) break;
    last = c;
  }
  return last;
}

int TsfSkinCustomGrid::LastVisibleRow() const {
  const int line = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  int last = m_topLeft.Y, y = FixedHeight();
  for (int r = m_topLeft.Y; r < RowCount(); ++r) {
    const int h = m_rowHeights[size_t(r)];
    if (h <= 0) continue;
    if (y + h > ClientHeight()) break;
    last = r;
    y += h + line;
  }
  return last;
}

TGridCoord TsfSkinCustomGrid::MouseCoord(int x, int y) const { return LayoutCoord(LayoutX(x), y); }

TGridCoord TsfSkinCustomGrid::LayoutCoord(int x, int y) const {
  const TGridCoord c{ColAt(x), RowAt(y)};
  if (c.X < 0 || c.Y < 0) return TGridCoord{-1, -1};
  return c;
}

int TsfSkinCustomGrid::VisibleRowCount() const {
  const int line = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  const int room = ClientHeight() - FixedHeight();
  int used = 0, n = 0;
  for (int r = m_topLeft.Y; r < RowCount(); ++r) {
    const int h = m_rowHeights[size_t(r)];
    if (h <= 0) continue;
    if (used + h > room) break;
    used += h + line;
    ++n;
  }
  return RowCount() > m_fixedRows ? std::max(1, n) : 0;
}

int TsfSkinCustomGrid::VisibleColCount() const {
  const int line = Has(m_options, goVertLine) ? m_lineWidth : 0;
  const int room = ClientWidth() - FixedWidth();
  int used = 0, n = 0;
  for (int c = m_topLeft.X; c < ColCount(); ++c) {
    const int w = m_colWidths[size_t(c)];
    if (w <= 0) continue;
    if (used + w > room) break;
    used += w + line;
    ++n;
  }
  return ColCount() > m_fixedCols ? std::max(1, n) : 0;
}

int TsfSkinCustomGrid::LastTopRow() const {
  const int line = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  const int room = ClientHeight() - FixedHeight();
  int used = 0, top = RowCount();
  for (int r = RowCount() - 1; r >= m_fixedRows; --r) {
    const int h = m_rowHeights[size_t(r)];
    if (h > 0) {
      if (used + h > room) break;
      used += h + line;
    }
    top = r;
  }
  return std::clamp(top, m_fixedRows, std::max(m_fixedRows, RowCount() - 1));
}

int TsfSkinCustomGrid::LastLeftCol() const {
  const int line = Has(m_options, goVertLine) ? m_lineWidth : 0;
  const int room = ClientWidth() - FixedWidth();
  int used = 0, left = ColCount();
  for (int c = ColCount() - 1; c >= m_fixedCols; --c) {
    const int w = m_colWidths[size_t(c)];
    if (w > 0) {
      if (used + w > room) break;
      used += w + line;
    }
    left = c;
  }
  return std::clamp(left, m_fixedCols, std::max(m_fixedCols, ColCount() - 1));
}

TGridRect TsfSkinCustomGrid::Selection() const {
  TGridRect s{std::min(m_current.X, m_anchor.X), std::min(m_current.Y, m_anchor.Y),
              std::max(m_current.X, m_anchor.X), std::max(m_current.Y, m_anchor.Y)};
  if (Has(m_options, goRowSelect)) {
    s.Left = m_fixedCols;
    s.Right = ColCount() - 1;
  }
  return s;
}

// --- moving ---------------------------------------------------------------------

void TsfSkinCustomGrid::ClampTopLeft() {
  m_topLeft.X = std::clamp(m_topLeft.X, m_fixedCols, LastLeftCol());
  m_topLeft.Y = std::clamp(m_topLeft.Y, m_fixedRows, LastTopRow());
}

void TsfSkinCustomGrid::MoveTopLeft(int col, int row) {
  const TGridCoord old = m_topLeft;
  m_topLeft = TGridCoord{col, row};
  ClampTopLeft();
  if (old == m_topLeft) return;
  TopLeftChanged();
  UpdateEditorPlace();
  Invalidate();
}

void TsfSkinCustomGrid::SetTopRow(int r) {
  MoveTopLeft(m_topLeft.X, r);
  UpdateScrollPositions();
}

void TsfSkinCustomGrid::SetLeftCol(int c) {
  MoveTopLeft(c, m_topLeft.Y);
  UpdateScrollPositions();
}

void TsfSkinCustomGrid::ScrollIntoView(int col, int row) {
  TGridCoord tl = m_topLeft;
  if (row >= m_fixedRows) {
    if (row < tl.Y) {
      tl.Y = row;
    } else {
      // Lower the top row until `row` fits wholly.
      const int line = Has(m_options, goHorzLine) ? m_lineWidth : 0;
      const int room = ClientHeight() - FixedHeight();
      int used = 0, top = row;
      for (int r = row; r >= m_fixedRows; --r) {
        const int h = std::max(0, m_rowHeights[size_t(r)]);
        if (used + h > room && r != row) break;
        used += h > 0 ? h + line : 0;
        top = r;
      }
      tl.Y = std::max(tl.Y, top);
    }
  }
  if (col >= m_fixedCols && ColCount() - m_fixedCols > 1) {
    if (col < tl.X) {
      tl.X = col;
    } else {
      const int line = Has(m_options, goVertLine) ? m_lineWidth : 0;
      const int room = ClientWidth() - FixedWidth();
      int used = 0, left = col;
      for (int c = col; c >= m_fixedCols; --c) {
        const int w = std::max(0, m_colWidths[size_t(c)]);
        if (used + w > room && c != col) break;
        used += w > 0 ? w + line : 0;
        left = c;
      }
      tl.X = std::max(tl.X, left);
    }
  }
  MoveTopLeft(tl.X, tl.Y);
  UpdateScrollPositions();
}

void TsfSkinCustomGrid::InvalidateCell(int col, int row) {
  const TRect r = CellRect(col, row);
  if (!r.IsEmpty()) update(r.Inflate(m_lineWidth, m_lineWidth).toQRect());
}

void TsfSkinCustomGrid::InvalidateRow(int row) {
  const TRect r = CellRect(0, row);
  if (!r.IsEmpty()) update(QRect(0, r.Top - m_lineWidth, width(), r.Height() + 2 * m_lineWidth));
}

void TsfSkinCustomGrid::MoveCurrentCell(int col, int row, bool moveAnchor, bool show) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
    throw EInvalidOperation(QStringLiteral("Grid index out of range"));
  if (Has(m_options, goRowSelect)) col = m_fixedCols;
  if (!CanSelectCell(col, row)) return;
  if (!Has(m_options, goAlwaysShowEditor)) HideEditor();
  const TGridCoord old = m_current;
  m_current = TGridCoord{col, row};
  if (moveAnchor || !Has(m_options, goRangeSelect)) m_anchor = m_current;
  if (show) ScrollIntoView(col, row);
  if (Has(m_options, goRowSelect) || !(old.Y == row)) {
    InvalidateRow(old.Y);
    InvalidateRow(row);
  }
  InvalidateCell(old.X, old.Y);
  InvalidateCell(col, row);
  Invalidate();
  UpdateEditorPlace();
}

void TsfSkinCustomGrid::FocusCell(int col, int row, bool moveAnchor) {
  if (ColCount() <= m_fixedCols || RowCount() <= m_fixedRows) return;
  col = std::clamp(col, m_fixedCols, ColCount() - 1);
  row = std::clamp(row, m_fixedRows, RowCount() - 1);
  MoveCurrentCell(col, row, moveAnchor, true);
}

// --- editor ---------------------------------------------------------------------

TsfSkinInplaceEdit* TsfSkinCustomGrid::CreateCellEditor() { return new TsfSkinInplaceEdit(this); }

bool TsfSkinCustomGrid::CanShowEditor() {
  return Has(m_options, goEditing) && !Has(m_options, goRowSelect) &&
         (m_editorMode || Has(m_options, goAlwaysShowEditor)) &&
         (hasFocus() || (m_editor && m_editor->hasFocus()) || Has(m_options, goAlwaysShowEditor));
}

void TsfSkinCustomGrid::SetEditorMode(bool v) {
  if (v) ShowEditor();
  else HideEditor();
}

void TsfSkinCustomGrid::ShowEditor() {
  m_editorMode = true;
  if (!CanShowEditor()) {
    if (!Has(m_options, goEditing)) m_editorMode = false;
    return;
  }
  const bool hadFocus = hasFocus();
  if (!m_editor) m_editor = CreateCellEditor();
  m_editor->SetReadOnlyEdit(EditorReadOnly());
  m_editor->setMaxLength(GetEditLimit() > 0 ? GetEditLimit() : 32767);
  m_editor->setText(GetEditText(Col(), Row()));
  UpdateEditorLook(m_editor);
  UpdateEditorPlace();
  if (m_editor && m_editor->isVisible()) {
    m_editor->selectAll();
    if (hadFocus) m_editor->setFocus(Qt::OtherFocusReason);
  }
}

void TsfSkinCustomGrid::HideEditor() {
  if (!Has(m_options, goAlwaysShowEditor)) m_editorMode = false;
  if (!m_editor || !m_editor->isVisible()) return;
  const bool hadFocus = m_editor->hasFocus();
  m_editor->hide();
  if (hadFocus && CanFocus()) SetFocus();
  InvalidateCell(Col(), Row());
}

void TsfSkinCustomGrid::InvalidateEditor() {
  if (m_editor && m_editor->isVisible()) {
    m_editor->setText(GetEditText(Col(), Row()));
    m_editor->selectAll();
  }
}

void TsfSkinCustomGrid::UpdateEditorPlace() {
  if (!m_editor) return;
  const bool show = m_editorMode && CanShowEditor();
  const TRect r = show ? CellRect(Col(), Row()) : TRect();
  if (r.IsEmpty()) {
    if (m_editor->isVisible()) HideEditor();
    return;
  }
  m_editor->setGeometry(r.toQRect());
  m_editor->show();
}

void TsfSkinCustomGrid::UpdateEditorLook(TsfSkinInplaceEdit* editor) {
  TColor bg = clWindow;
  TFont font = *Font();
  if (Skin()) {
    bg = Skin().Record->bgcolor;
    if (UseSkinFont) {
      font.SetName(Skin().Record->fontname);
      font.SetHeight(Skin().Record->fontheight);
      font.SetStyle(Skin().Record->fontstyle);
    }
    font.SetColor(Skin().Record->fontcolor);
  }
  editor->SetLook(bg, font);
}

// --- painting -------------------------------------------------------------------

TRect TsfSkinCustomGrid::CellTextRect(const TRect& cell, bool fixed) const {
  if (!Skin()) return cell;
  const auto* rec = Skin().Record;
  const TRect src = fixed ? Skin().FixedCell : Skin().SelectCell;
  const TRect text = CellPictureTextRect(fixed ? rec->fixedcelltextrect : rec->celltextrect, src);
  if (text.IsEmpty()) return cell;
  // The text area grows with the cell's extra width (and height when the
  // row height is not the picture's). Its margins keep their widths; read
  // from the right, the picture is mirrored and the margins trade sides.
  int leftMargin = text.Left, rightMargin = src.Width() - text.Right;
  if (MirroredColumns()) std::swap(leftMargin, rightMargin);
  const int extraH = m_useSkinCellHeight ? 0 : cell.Height() - src.Height();
  return TRect(cell.Left + leftMargin, cell.Top + text.Top, cell.Right - rightMargin,
               cell.Top + text.Bottom + extraH);
}

void TsfSkinCustomGrid::DrawSkinCellPicture(TCanvas* canvas, const TRect& rect,
                                            const TRect& source, bool fixed) {
  if (!Skin() || source.IsEmpty() || rect.IsEmpty()) return;
  const auto* rec = Skin().Record;
  const int L = CellPictureOffset(fixed ? rec->fixedcellleftoffset : rec->cellleftoffset, source.Width());
  const int R = CellPictureOffset(fixed ? rec->fixedcellrightoffset : rec->cellrightoffset, source.Width());
  const bool stretch = fixed ? rec->fixedcellstretcheffect : rec->cellstretcheffect;
  TBitmap pic;
  if (m_useSkinCellHeight) {
    ComposeHStrip(L, R, pic, *Skin().Picture, source, rect.Width(), stretch);
  } else {
    const TRect text = CellPictureTextRect(fixed ? rec->fixedcelltextrect : rec->celltextrect, source);
    pic.SetSize(rect.Width(), rect.Height());
    ComposeWholeBitmap(pic, *Skin().Picture, source,
                       TRect(L, text.Top, source.Width() - R, text.Bottom), true);
  }
  if (pic.Empty()) return;
  // Read from the right, the cell is the picture's mirror image: its left
  // end (with its offset) faces the cell's right edge.
  if (MirroredColumns()) pic = TBitmap(pic.Image().mirrored(true, false));
  if (pic.Height() == rect.Height()) canvas->Draw(rect.Left, rect.Top, &pic);
  else canvas->StretchDraw(rect, &pic);
}

void TsfSkinCustomGrid::ApplyCellFont(TCanvas* canvas, TGridDrawState state) {
  TFont f = *Font();
  if (!Skin()) {
    canvas->Font = f;
    return;
  }
  const auto* rec = Skin().Record;
  if (state & gdFixed) {
    if (UseSkinFont) {
      f.SetName(rec->fixedfontname);
      f.SetHeight(rec->fixedfontheight);
      f.SetStyle(rec->fixedfontstyle);
    }
    f.SetColor(rec->fixedfontcolor);
  } else {
    if (UseSkinFont) {
      f.SetName(rec->fontname);
      f.SetHeight(rec->fontheight);
      f.SetStyle(rec->fontstyle);
    }
    f.SetColor((state & gdFocused)    ? rec->focusfontcolor
               : (state & gdSelected) ? rec->selectfontcolor
                                      : rec->fontcolor);
  }
  if (SkinData() && SkinData()->ResourceStrData()) f.SetCharset(SkinData()->ResourceStrData()->CharSet);
  canvas->Font = f;
}

void TsfSkinCustomGrid::PaintCell(TCanvas* canvas, int col, int row, const TRect& r) {
  const bool fixed = col < m_fixedCols || row < m_fixedRows;
  const bool gridFocused = hasFocus() || (m_editor && m_editor->hasFocus());
  TGridDrawState state = fixed ? TGridDrawState(gdFixed) : 0u;
  if (!fixed) {
    if (gridFocused && col == m_current.X && row == m_current.Y) state |= gdFocused;
    if (Selection().Contains(col, row)) state |= gdSelected;
  }
  const bool rowSelect = Has(m_options, goRowSelect);
  if ((state & gdFocused) && m_editor && m_editor->isVisible() && Has(m_options, goEditing))
    return;  // the editor covers it
  if (DefaultDrawing) {
    if (!Skin()) {
      canvas->Font = *Font();
      const bool highlight = (state & gdSelected) &&
                             (!(state & gdFocused) || rowSelect || Has(m_options, goDrawFocusSelected));
      if (highlight) {
        canvas->Brush.Color = clHighlight;
        canvas->Font.SetColor(clHighlightText);
        canvas->FillRect(r);
      } else if (fixed || !m_transparent) {
        canvas->Brush.Color = fixed ? m_fixedColor : Color();
        canvas->FillRect(r);
      }
      if (fixed) DrawFrame3D(canvas, r, clBtnHighlight, clBtnShadow);
    } else {
      const bool focusLook = (state & gdFocused) || (rowSelect && (state & gdSelected) && gridFocused &&
                                                     row == m_current.Y);
      if (fixed) {
        DrawSkinCellPicture(canvas, r, Skin().FixedCell, true);
      } else if (focusLook) {
        DrawSkinCellPicture(canvas, r, Skin().FocusCell, false);
        state |= gdFocused;
      } else if (state & gdSelected) {
        DrawSkinCellPicture(canvas, r, Skin().SelectCell, false);
      } else if (!Skin().Background && !m_transparent) {
        canvas->Brush.Color = Skin().Record->bgcolor;
        canvas->FillRect(r);
      }
      ApplyCellFont(canvas, state);
      if ((state & gdFocused) && Skin().Record->showfocus && !rowSelect && !fixed)
        DrawDottedFrame(canvas, r);
    }
  } else {
    canvas->Font = *Font();
  }
  canvas->Brush.Style = bsClear;
  const QPointer<TsfSkinCustomGrid> self(this);
  DrawCellContent(col, row, r, state);
  if (!self) return;
  canvas->Brush.Style = bsSolid;
  if (DefaultDrawing && !Skin() && (state & gdFocused) && !rowSelect &&
      !(Has(m_options, goEditing) && Has(m_options, goAlwaysShowEditor)))
    canvas->DrawFocusRect(r);
}

void TsfSkinCustomGrid::PaintLines(TCanvas* canvas) {
  if (m_lineWidth <= 0) return;
  TColor line = Skin() ? Skin().Record->linescolor : m_gridLineColor;
  if (ColorToRGB(Color()) == RGB(192, 192, 192)) line = RGB(128, 128, 128);
  const int vw = Has(m_options, goVertLine) ? m_lineWidth : 0;
  const int hw = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  const TColor fill = Skin() ? Skin().Record->bgcolor : Color();
  // Each cell owns the line strips right of it and below it.
  auto strips = [&](int col, int row, const TRect& r) {
    const bool fixed = col < m_fixedCols || row < m_fixedRows;
    const bool vOn = fixed ? Has(m_options, goFixedVertLine) : Has(m_options, goVertLine);
    const bool hOn = fixed ? Has(m_options, goFixedHorzLine) : Has(m_options, goHorzLine);
    const TColor regionFill = fixed ? m_fixedColor : fill;
    if (vw > 0) {
      canvas->Brush.Color = vOn ? line : regionFill;
      canvas->FillRect(MirrorRect(TRect(r.Right, r.Top, r.Right + vw, r.Bottom + hw)));
    }
    if (hw > 0) {
      canvas->Brush.Color = hOn ? line : regionFill;
      canvas->FillRect(MirrorRect(TRect(r.Left, r.Bottom, r.Right + vw, r.Bottom + hw)));
    }
  };
  for (int row = 0; row < RowCount(); ++row) {
    if (row >= m_fixedRows && row < m_topLeft.Y) continue;
    const int y = ContentTop(row);
    if (y < 0) break;
    if (y >= ClientHeight()) break;
    for (int col = 0; col < ColCount(); ++col) {
      const TRect r = LayoutCellRect(col, row);
      if (r.IsEmpty()) {
        if (col >= m_fixedCols && col >= m_topLeft.X && ContentLeft(col) == kOffScreen) break;
        continue;
      }
      strips(col, row, r);
    }
  }
}

void TsfSkinCustomGrid::PaintGrid(TBitmap& buffer) {
  const int w = buffer.Width(), h = buffer.Height();
  TCanvas* canvas = buffer.Canvas();
  canvas->Font = *Font();
  // Background: the skin's picture tiled, the parent behind a transparent
  // grid, or the plain colour. Read from the right, tiles start at the right
  // edge, as the cells do; the skin's picture is mirrored there, as its cell
  // pictures are, while a wallpaper (the user's own picture) never is.
  const auto tile = [&](const TBitmap& picture, bool mirror) {
    const int tw = picture.Width(), th = picture.Height();
    if (tw <= 0 || th <= 0) return;
    if (!MirroredColumns()) {
      for (int y = 0; y < h; y += th)
        for (int x = 0; x < w; x += tw) canvas->Draw(x, y, &picture);
      return;
    }
    const TBitmap mirrored = mirror ? TBitmap(picture.Image().mirrored(true, false)) : picture;
    for (int y = 0; y < h; y += th)
      for (int x = w - tw; x > -tw; x -= tw) canvas->Draw(x, y, &mirrored);
  };
  if (m_transparent && m_wallpaper.Empty()) {
    DrawParentBackground(this, canvas);
  } else if (m_transparent && m_wallpaperStretch) {
    canvas->StretchDraw(TRect(0, 0, w, h), &m_wallpaper);
  } else if (m_transparent) {
    tile(m_wallpaper, false);
  } else if (Skin() && Skin().Background) {
    tile(*Skin().Background, true);
  } else {
    canvas->Brush.Color = Skin() ? Skin().Record->bgcolor : Color();
    canvas->FillRect(TRect(0, 0, w, h));
  }
  m_paintCanvas = canvas;
  // A drawing event may destroy the grid: then the painting stops at once
  // and touches nothing of it any more.
  const QPointer<TsfSkinCustomGrid> self(this);
  struct Reset {
    const QPointer<TsfSkinCustomGrid>& grid;
    ~Reset() {
      if (grid) grid->m_paintCanvas = nullptr;
    }
  } reset{self};
  PaintLines(canvas);
  for (int row = 0; row < RowCount(); ++row) {
    if (row >= m_fixedRows && row < m_topLeft.Y) continue;
    const int y = ContentTop(row);
    if (y < 0 || y >= h) {
      if (row >= m_fixedRows) break;
      continue;
    }
    for (int col = 0; col < ColCount(); ++col) {
      const TRect r = LayoutCellRect(col, row);
      if (r.IsEmpty()) continue;
      // Scrolled cells never paint over the fixed ones.
      TRect clip = r;
      if (col >= m_fixedCols) clip.Left = std::max(clip.Left, FixedWidth());
      if (row >= m_fixedRows) clip.Top = std::max(clip.Top, FixedHeight());
      if (clip.IsEmpty()) continue;
      canvas->SetClipRect(MirrorRect(clip));
      PaintCell(canvas, col, row, MirrorRect(r));
      if (!self) return;
      canvas->ResetClip();
    }
  }
  if (!Skin() && DefaultDrawing && Has(m_options, goRowSelect) && hasFocus()) {
    const TGridRect s = Selection();
    const TRect a = LayoutCellRect(s.Left, s.Top), b = LayoutCellRect(s.Right, s.Bottom);
    if (!a.IsEmpty() && !b.IsEmpty())
      canvas->DrawFocusRect(MirrorRect(TRect(a.Left, a.Top, b.Right, b.Bottom)));
  }
  PaintMoveLine(canvas, w, h);
  if (m_gridState == gsColSizing || m_gridState == gsRowSizing) {
    canvas->Brush.Color = clWindowText;
    canvas->FillRect(m_gridState == gsColSizing ? MirrorRect(TRect(m_sizingPos, 0, m_sizingPos + 1, h))
                                                : TRect(0, m_sizingPos, w, m_sizingPos + 1));
  }
}

// The insertion line of a dragged row or column: three pixels wide on the
// grid line where it would land.
void TsfSkinCustomGrid::PaintMoveLine(TCanvas* canvas, int w, int h) {
  if ((m_gridState != gsColMoving && m_gridState != gsRowMoving) || m_moveFrom == m_moveTo ||
      m_moveTo < 0)
    return;
  const bool cols = m_gridState == gsColMoving;
  const int line = Has(m_options, cols ? goVertLine : goHorzLine) ? m_lineWidth : 0;
  const TRect r = cols ? CellBounds(m_moveTo, 0) : CellBounds(0, m_moveTo);
  if (r.IsEmpty()) return;
  const int at = m_moveTo > m_moveFrom ? (cols ? r.Right : r.Bottom) + line / 2
                                       : (cols ? r.Left : r.Top) - (line + 1) / 2;
  canvas->Brush.Color = clWindowText;
  canvas->FillRect(cols ? MirrorRect(TRect(at - 1, 0, at + 2, h)) : TRect(0, at - 1, w, at + 2));
}

// --- keyboard -------------------------------------------------------------------

void TsfSkinCustomGrid::KeyDown(WORD& key, TShiftState shift) {
  const QPointer<TsfSkinCustomGrid> self(this);  // OnKeyDown may destroy the grid
  TsfSkinControl::KeyDown(key, shift);
  if (!self || key == 0 || !CanGridAcceptKey(key, shift)) return;
  const bool ctrl = shift & ssCtrl;
  const bool rowSelect = Has(m_options, goRowSelect);
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  TGridCoord cur = m_current, tl = m_topLeft;
  const int pageRows = VisibleRowCount();
  const int pageCols = VisibleColCount();
  WORD k = key;
  if (rtl && (k == VK_LEFT || k == VK_RIGHT)) k = k == VK_LEFT ? VK_RIGHT : VK_LEFT;
  switch (k) {
    case VK_UP: ctrl ? void(tl.Y -= 1) : void(cur.Y -= 1); break;
    case VK_DOWN: ctrl ? void(tl.Y += 1) : void(cur.Y += 1); break;
    case VK_LEFT:
      if (rowSelect) cur.Y -= 1;
      else if (ctrl) { cur.X -= pageCols; tl.X -= pageCols; }
      else cur.X -= 1;
      break;
    case VK_RIGHT:
      if (rowSelect) cur.Y += 1;
      else if (ctrl) { cur.X += pageCols; tl.X += pageCols; }
      else cur.X += 1;
      break;
    case VK_PRIOR:
      if (ctrl) cur.Y = tl.Y;
      else { cur.Y -= pageRows; tl.Y -= pageRows; }
      break;
    case VK_NEXT:
      if (ctrl) cur.Y = tl.Y + pageRows - 1;
      else { cur.Y += pageRows; tl.Y += pageRows; }
      break;
    case VK_HOME:
      if (ctrl) cur = TGridCoord{m_fixedCols, m_fixedRows};
      else if (rowSelect) cur.Y = m_fixedRows;
      else cur.X = m_fixedCols;
      break;
    case VK_END:
      if (ctrl) cur = TGridCoord{ColCount() - 1, RowCount() - 1};
      else if (rowSelect) cur.Y = RowCount() - 1;
      else cur.X = ColCount() - 1;
      break;
    case VK_TAB: {
      if (!Has(m_options, goTabs) || (shift & ssAlt)) return;
      const int dir = (shift & ssShift) ? -1 : 1;
      int c = cur.X, r = cur.Y;
      bool found = false;
      // Shown tab-stop columns only; with none the current cell stays.
      for (int guard = 0; guard < ColCount() * 2 && !found; ++guard) {
        c += dir;
        if (c >= ColCount()) { c = m_fixedCols; r = r + 1 >= RowCount() ? m_fixedRows : r + 1; }
        if (c < m_fixedCols) { c = ColCount() - 1; r = r - 1 < m_fixedRows ? RowCount() - 1 : r - 1; }
        found = ColWidths(c) > 0 && TabStops(c);
      }
      if (found) cur = TGridCoord{c, r};
      break;
    }
    case VK_F2: ShowEditor(); key = 0; return;
    default: return;
  }
  key = 0;
  MoveTopLeft(std::clamp(tl.X, m_fixedCols, LastLeftCol()), std::clamp(tl.Y, m_fixedRows, LastTopRow()));
  const bool extend = (shift & ssShift) && Has(m_options, goRangeSelect) && k != VK_TAB;
  FocusCell(cur.X, cur.Y, !extend);
  UpdateScrollPositions();
}

void TsfSkinCustomGrid::KeyPress(QChar& key) {
  const QPointer<TsfSkinCustomGrid> self(this);  // OnKeyPress may destroy the grid
  TsfSkinControl::KeyPress(key);
  if (!self) return;
  if (key.unicode() == VK_RETURN || key.unicode() == VK_ESCAPE || key.isNull()) return;
  // A printable character typed on the grid opens the editor with it.
  if (key.isPrint() && Has(m_options, goEditing) && !Has(m_options, goRowSelect) &&
      !(m_editor && m_editor->isVisible())) {
    const QChar ch = key;
    ShowEditor();
    if (m_editor && m_editor->isVisible() && m_editor->hasFocus()) {
      key = QChar();
      m_editor->TypeCharacter(ch);
    }
  }
}

// --- mouse ----------------------------------------------------------------------

TGridState TsfSkinCustomGrid::HitTestSizing(int x, int y, int& line) {
  line = -1;
  const int vline = Has(m_options, goVertLine) ? m_lineWidth : 0;
  const int hline = Has(m_options, goHorzLine) ? m_lineWidth : 0;
  if (Has(m_options, goColSizing) && y < FixedHeight()) {
    for (int c = 0; c < ColCount(); ++c) {
      const TRect r = LayoutCellRect(c, 0);
      if (r.IsEmpty()) continue;
      if (std::abs(x - (r.Right + vline / 2)) <= kSizingSlack + vline / 2) {
        line = c;
        return gsColSizing;
      }
    }
  }
  if (Has(m_options, goRowSizing) && x < FixedWidth()) {
    for (int r = 0; r < RowCount(); ++r) {
      const TRect rc = LayoutCellRect(0, r);
      if (rc.IsEmpty()) continue;
      if (std::abs(y - (rc.Bottom + hline / 2)) <= kSizingSlack + hline / 2) {
        line = r;
        return gsRowSizing;
      }
    }
  }
  return gsNormal;
}

void TsfSkinCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const QPointer<TsfSkinCustomGrid> self(this);  // focus handlers and OnMouseDown may destroy it
  if (CanFocus() && !hasFocus() && !(m_editor && m_editor->hasFocus())) {
    SetFocus();
    if (!self || (!hasFocus() && window()->focusWidget() != this)) return;
  }
  TsfSkinControl::MouseDown(button, shift, x, y);
  if (!self || button != mbLeft || (shift & ssDouble)) return;
  x = LayoutX(x);
  m_sizingMoved = false;
  m_moveDone = false;
  int line = -1;
  const TGridState sizing = HitTestSizing(x, y, line);
  if (sizing != gsNormal) {
    m_gridState = sizing;
    m_sizingIndex = line;
    const TRect r = sizing == gsColSizing ? LayoutCellRect(line, 0) : LayoutCellRect(0, line);
    m_sizingOrigin = sizing == gsColSizing ? r.Left : r.Top;
    m_sizingPos = sizing == gsColSizing ? x : y;
    return;
  }
  const TGridCoord cell = LayoutCoord(x, y);
  if (BeginMoving(cell, x, y)) return;
  if (cell.X < m_fixedCols || cell.Y < m_fixedRows) return;
  if (Has(m_options, goEditing)) {
    if (cell == m_current) {
      ShowEditor();
    } else {
      FocusCell(cell.X, cell.Y, true);
      ShowEditor();
    }
    return;
  }
  m_gridState = gsSelecting;
  m_lastMouse = TPoint(x, y);
  if ((shift & ssShift) && Has(m_options, goRangeSelect)) FocusCell(cell.X, cell.Y, false);
  else FocusCell(cell.X, cell.Y, true);
  if (self && m_gridState == gsSelecting) StartSelectTimer();
}

bool TsfSkinCustomGrid::BeginMoving(TGridCoord cell, int x, int y) {
  if (cell.X < 0 || cell.Y < 0) return false;
  if (cell.Y < m_fixedRows && cell.X >= m_fixedCols && Has(m_options, goColMoving)) {
    m_gridState = gsColMoving;
    m_moveFrom = m_moveTo = cell.X;
  } else if (cell.X < m_fixedCols && cell.Y >= m_fixedRows && Has(m_options, goRowMoving)) {
    m_gridState = gsRowMoving;
    m_moveFrom = m_moveTo = cell.Y;
  } else {
    return false;
  }
  m_moveDone = false;
  m_lastMouse = TPoint(x, y);
  StartSelectTimer();
  return true;
}

// A row or column drag given up: the release then moves nothing.
void TsfSkinCustomGrid::CancelMoving() {
  if (m_gridState != gsColMoving && m_gridState != gsRowMoving) return;
  m_gridState = gsNormal;
  m_moveFrom = m_moveTo = -1;
  if (m_selectTimer) m_selectTimer->SetEnabled(false);
  Invalidate();
}

void TsfSkinCustomGrid::StartSelectTimer() {
  if (!m_selectTimer) {
    m_selectTimer = new TTimer(this);
    m_selectTimer->OnTimer = [this](TObject*) { SelectTimerTick(); };
  }
  m_selectTimer->SetInterval(60);
  m_selectTimer->SetEnabled(true);
}

void TsfSkinCustomGrid::UpdateMoveTarget(int x, int y) {
  const bool cols = m_gridState == gsColMoving;
  int to = cols ? ColAt(x, true) : RowAt(y, true);
  if (to < 0) to = m_moveFrom;
  if (to == m_moveTo) return;
  m_moveTo = to;
  Invalidate();
}

// One tick of the held button: scroll towards a pointer outside the
// scrolling cells, then extend the selection to the cell nearest the pointer
// or move the insertion line there.
void TsfSkinCustomGrid::SelectTimerTick() {
  const bool selecting = m_gridState == gsSelecting;
  if (!selecting && m_gridState != gsColMoving && m_gridState != gsRowMoving) {
    if (m_selectTimer) m_selectTimer->SetEnabled(false);
    return;
  }
  const QPointer<TsfSkinCustomGrid> self(this);  // scrolling may run handlers
  const TPoint p = m_lastMouse;
  if (m_gridState != gsColMoving) {
    if (p.Y < FixedHeight()) TsfSkinCustomGrid::ScrollMessage(true, SB_LINEUP, 0);
    else if (p.Y >= ClientHeight()) TsfSkinCustomGrid::ScrollMessage(true, SB_LINEDOWN, 0);
  }
  if (!self) return;
  if (m_gridState != gsRowMoving) {
    if (p.X < FixedWidth()) TsfSkinCustomGrid::ScrollMessage(false, SB_LINEUP, 0);
    else if (p.X >= ClientWidth()) TsfSkinCustomGrid::ScrollMessage(false, SB_LINEDOWN, 0);
  }
  if (!self) return;
  if (m_gridState == gsSelecting) {
    const int col = ColAt(p.X, true), row = RowAt(p.Y, true);
    if (col >= m_fixedCols && row >= m_fixedRows && !(TGridCoord{col, row} == m_current))
      FocusCell(col, row, !Has(m_options, goRangeSelect));
  } else if (m_gridState != gsNormal) {
    UpdateMoveTarget(p.X, p.Y);
  }
}

void TsfSkinCustomGrid::MoveColumn(int from, int to) {
  if (from < 0 || to < 0 || from >= ColCount() || to >= ColCount())
    throw EInvalidOperation(QStringLiteral("Grid index out of range"));
  if (from == to) return;
  const int w = m_colWidths[size_t(from)];
  m_colWidths.erase(m_colWidths.begin() + from);
  m_colWidths.insert(m_colWidths.begin() + to, w);
  if (!m_tabStops.empty()) {
    m_tabStops.resize(size_t(ColCount()), 1);
    const char stop = m_tabStops[size_t(from)];
    m_tabStops.erase(m_tabStops.begin() + from);
    m_tabStops.insert(m_tabStops.begin() + to, stop);
  }
  m_current.X = MovedIndex(m_current.X, from, to);
  m_anchor.X = MovedIndex(m_anchor.X, from, to);
  const QPointer<TsfSkinCustomGrid> self(this);  // the event may destroy the grid
  ColumnMoved(from, to);
  if (!self) return;
  UpdateEditorPlace();
  Invalidate();
}

void TsfSkinCustomGrid::MoveRow(int from, int to) {
  if (from < 0 || to < 0 || from >= RowCount() || to >= RowCount())
    throw EInvalidOperation(QStringLiteral("Grid index out of range"));
  if (from == to) return;
  const int h = m_rowHeights[size_t(from)];
  m_rowHeights.erase(m_rowHeights.begin() + from);
  m_rowHeights.insert(m_rowHeights.begin() + to, h);
  m_current.Y = MovedIndex(m_current.Y, from, to);
  m_anchor.Y = MovedIndex(m_anchor.Y, from, to);
  const QPointer<TsfSkinCustomGrid> self(this);
  RowMoved(from, to);
  if (!self) return;
  UpdateEditorPlace();
  Invalidate();
}

void TsfSkinCustomGrid::ColumnMoved(int from, int to) {
  if (OnColumnMoved) OnColumnMoved(this, from, to);
}

void TsfSkinCustomGrid::RowMoved(int from, int to) {
  if (OnRowMoved) OnRowMoved(this, from, to);
}

void TsfSkinCustomGrid::MouseMove(TShiftState shift, int x, int y) {
  const QPointer<TsfSkinCustomGrid> self(this);  // OnMouseMove may destroy the grid
  TsfSkinControl::MouseMove(shift, x, y);
  if (!self) return;
  x = LayoutX(x);
  switch (m_gridState) {
    case gsColSizing:
    case gsRowSizing: {
      const int pos = m_gridState == gsColSizing ? x : y;
      m_sizingPos = std::max(m_sizingOrigin, pos);
      m_sizingMoved = true;
      Invalidate();
      return;
    }
    case gsColMoving:
    case gsRowMoving:
      m_lastMouse = TPoint(x, y);
      UpdateMoveTarget(x, y);
      return;
    case gsSelecting: {
      m_lastMouse = TPoint(x, y);
      const TGridCoord cell = LayoutCoord(x, y);
      if (cell.X >= m_fixedCols && cell.Y >= m_fixedRows && !(cell == m_current))
        FocusCell(cell.X, cell.Y, !Has(m_options, goRangeSelect));
      return;
    }
    default: {
      int line = -1;
      const TGridState s = HitTestSizing(x, y, line);
      if (s == gsColSizing) setCursor(Qt::SplitHCursor);
      else if (s == gsRowSizing) setCursor(Qt::SplitVCursor);
      else unsetCursor();
    }
  }
}

void TsfSkinCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  const TGridState state = m_gridState;
  m_gridState = gsNormal;
  if (m_selectTimer) m_selectTimer->SetEnabled(false);
  const QPointer<TsfSkinCustomGrid> self(this);  // the move event may destroy the grid
  if (state == gsColMoving || state == gsRowMoving) {
    const int from = m_moveFrom, to = m_moveTo;
    m_moveFrom = m_moveTo = -1;
    if (from != to && from >= 0 && to >= 0) {
      m_moveDone = true;
      if (state == gsColMoving) MoveColumn(from, to);
      else MoveRow(from, to);
      if (!self) return;
    }
    Invalidate();
  }
  if (state == gsColSizing || state == gsRowSizing) {
    const int size = m_sizingPos - m_sizingOrigin;
    if (m_sizingMoved) {
      if (state == gsColSizing) {
        SetColWidths(m_sizingIndex, size);
        ColumnSized(m_sizingIndex);
      } else {
        SetRowHeights(m_sizingIndex, size);
      }
    }
    Invalidate();
  }
  TsfSkinControl::MouseUp(button, shift, x, y);
}

// Switching the reading direction mirrors every cell: a column or row being
// sized or dragged holds positions of the old layout, so that mouse action
// ends without effect, and the editor moves onto its cell's new place.
void TsfSkinCustomGrid::changeEvent(QEvent* e) {
  TsfSkinControl::changeEvent(e);
  if (e->type() != QEvent::LayoutDirectionChange) return;
  if (m_gridState == gsColSizing || m_gridState == gsRowSizing || m_gridState == gsColMoving ||
      m_gridState == gsRowMoving) {
    m_gridState = gsNormal;
    m_moveFrom = m_moveTo = -1;
    m_sizingMoved = false;
    if (m_selectTimer) m_selectTimer->SetEnabled(false);
  }
  if (m_editor && m_editor->isVisible()) UpdateEditorPlace();
  Invalidate();
}

bool TsfSkinCustomGrid::DoMouseWheel(TShiftState shift, int delta, TPoint pos) {
  const QPointer<TsfSkinCustomGrid> self(this);  // OnMouseWheel may destroy the grid
  if (TsfSkinControl::DoMouseWheel(shift, delta, pos) || !self) return true;
  if (delta == 0 || RowCount() <= m_fixedRows) return false;
  const int row = delta > 0 ? std::max(m_fixedRows, Row() - 1) : std::min(RowCount() - 1, Row() + 1);
  if (row != Row()) FocusCell(Col(), row, true);
  return true;
}

// --- window events ----------------------------------------------------------------

void TsfSkinCustomGrid::Resize() {
  TsfSkinControl::Resize();
  UpdateScrollRanges();
  UpdateEditorPlace();
}

void TsfSkinCustomGrid::FocusChanged(bool focused) {
  const QPointer<TsfSkinCustomGrid> self(this);  // OnEnter and OnExit may destroy the grid
  TsfSkinControl::FocusChanged(focused);
  if (!self) return;
  if (focused && Has(m_options, goAlwaysShowEditor)) ShowEditor();
  // Focus going into our own editor is not leaving the grid.
  if (!focused && (!m_editor || QApplication::focusWidget() != m_editor)) GridExited();
  if (self) Invalidate();
}

void TsfSkinCustomGrid::VisibleChanged() {
  TsfSkinControl::VisibleChanged();
  for (TsfGridScrollBar* bar : {m_hBar, m_vBar})
    if (bar && !Visible()) bar->SetShown(false);
  UpdateScrollRanges();
}
