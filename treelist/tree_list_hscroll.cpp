// Horizontal scrolling of the tree list: a left scroll position in pixels
// that moves every band not fixed to a side, the horizontal scroll bar, and
// the band geometry that rows, headers and hit testing share.

#include <algorithm>
#include <limits>

#include "treelist/tree_list.h"

std::vector<TtlCustomTreeList::BandPlace> TtlCustomTreeList::BandPlaces(int rowLeft, int rowRight) {
  UpdateMetrics();
  std::vector<BandPlace> places;
  int total = 0;
  for (int b = 0; b < m_bands.Count(); ++b)
    if (m_bands.Items(b)->Visible()) total += BandWidth(b);
  const int client = rowRight - rowLeft;
  // etoAutoWidth stretches the bands (and their columns) to the row.
  const bool stretch = HasOption(etoAutoWidth) && total > 0 && client > 0;
  int fixedLeft = 0, fixedRight = 0, scrolled = 0;
  for (int b = 0; b < m_bands.Count(); ++b) {
    if (!m_bands.Items(b)->Visible()) continue;
    int width = BandWidth(b);
    if (stretch) {
      width = int(qint64(width) * client / total);
    } else {
      // A band is never narrower than its columns: those would otherwise run
      // into the next band and out of reach of the scroll bar.
      for (int r = 0; r < HeaderPanelRowCount(); ++r) {
        int w = 0;
        for (const TtlTreeListColumn* c : m_columns)
          if (c->Visible() && c->BandIndex() == b && c->RowIndex() == r) w += c->Width();
        width = std::max(width, w);
      }
    }
    places.push_back({b, 0, width, 0, 0});
    switch (m_bands.Items(b)->Fixed()) {
      case bfLeft: fixedLeft += width; break;
      case bfRight: fixedRight += width; break;
      default: scrolled += width; break;
    }
  }
  const int leftPos = stretch ? 0 : m_leftPos;
  const int scrollLeft = rowLeft + fixedLeft;
  // The right-fixed band follows the scrolled ones until it reaches the
  // row's right edge, and stays there.
  const int scrollRight =
      std::max(scrollLeft, std::min(scrollLeft + scrolled - leftPos, rowRight - fixedRight));
  int xLeft = rowLeft, xScrolled = scrollLeft - leftPos, xRight = scrollRight;
  for (BandPlace& p : places) {
    switch (m_bands.Items(p.band)->Fixed()) {
      case bfLeft:
        p.left = xLeft;
        p.clipLeft = rowLeft;
        p.clipRight = scrollLeft;
        xLeft += p.width;
        break;
      case bfRight:
        p.left = xRight;
        p.clipLeft = scrollRight;
        p.clipRight = std::max(scrollRight, rowRight);
        xRight += p.width;
        break;
      default:
        p.left = xScrolled;
        p.clipLeft = scrollLeft;
        p.clipRight = scrollRight;
        xScrolled += p.width;
        break;
    }
  }
  return places;
}

int TtlCustomTreeList::TreeLeft(const TRect& row) const {
  // The tree part lies in the first visible band: fixed there, or scrolled.
  for (int b = 0; b < m_bands.Count(); ++b) {
    const TtlTreeListBand* band = m_bands.Items(b);
    if (!band->Visible()) continue;
    const bool stretch = HasOption(etoAutoWidth);
    return band->Fixed() == bfLeft || stretch ? row.Left : row.Left - m_leftPos;
  }
  return row.Left;
}

TRect TtlCustomTreeList::ScrollableArea() {
  // The rows' area less the bands fixed on either side.
  const TRect rows = RowsRect();
  int left = rows.Left, right = rows.Right;
  for (const BandPlace& p : BandPlaces(rows.Left, rows.Right)) {
    const TtlGridBandFixed fixed = m_bands.Items(p.band)->Fixed();
    if (fixed == bfLeft) left = p.clipRight;
    if (fixed == bfRight) right = p.clipLeft;
  }
  return TRect(left, rows.Top, std::max(left, right), rows.Bottom);
}

int TtlCustomTreeList::MaxLeftPos() {
  if (HasOption(etoAutoWidth)) return 0;
  const TRect rows = RowsRect();
  int fixed = 0, scrolled = 0;
  for (const BandPlace& p : BandPlaces(rows.Left, rows.Right))
    (m_bands.Items(p.band)->Fixed() == bfNone ? scrolled : fixed) += p.width;
  return std::max(0, fixed + scrolled - rows.Width());
}

namespace {
// A scroll position moved by `by`, saturated instead of overflowing.
int Moved(int pos, qint64 by) {
  return int(std::clamp<qint64>(qint64(pos) + by, 0, std::numeric_limits<int>::max()));
}
}  // namespace

bool TtlCustomTreeList::SetLeftPos(int pos) {
  pos = std::clamp(pos, 0, MaxLeftPos());
  if (pos == m_leftPos) return false;
  QPointer<TtlCustomTreeList> self(this);
  // The editor sits over a cell that is about to move.
  CloseEditor(true);
  if (!self) return false;
  pos = std::clamp(pos, 0, MaxLeftPos());
  if (pos == m_leftPos) return false;
  m_leftPos = pos;
  if (m_updateCount > 0 || m_destroying) return true;
  UpdateHorzScrollBar();
  update();
  return true;
}

void TtlCustomTreeList::ClampLeftPos() {
  const int max = MaxLeftPos();
  if (m_leftPos > max) {
    m_leftPos = max;
    update();
  }
}

void TtlCustomTreeList::MakeColumnVisible(int column) {
  const TRect rows = RowsRect();
  if (rows.IsEmpty()) return;
  const TRect area = ScrollableArea();
  for (const CellPlace& cell : RowCells(nullptr, TRect(rows.Left, 0, rows.Right, RowLineHeight()))) {
    if (cell.column->Index() != column) continue;
    // Cells of a fixed band are always where they are.
    const TtlTreeListBand* band = m_bands.Items(cell.column->BandIndex());
    if (!band || band->Fixed() != bfNone) return;
    // Positions in the scrolled bands' own coordinates.
    const int left = cell.rect.Left - area.Left + m_leftPos;
    const int right = cell.rect.Right - area.Left + m_leftPos;
    const int width = area.Width();
    int pos = m_leftPos;
    if (left < pos || right - left > width) pos = left;
    else if (right > pos + width) pos = right - width;
    SetLeftPos(pos);
    return;
  }
}

bool TtlCustomTreeList::CanScrollHorizontally() { return MaxLeftPos() > 0; }

void TtlCustomTreeList::ScrollHorizontallyBy(int lines) {
  SetLeftPos(Moved(m_leftPos, qint64(lines) * HorzLineStep));
}

bool TtlCustomTreeList::ScrollHorizontallyPixels(int pixels) {
  if (!SetLeftPos(Moved(m_leftPos, pixels))) return false;
  repaint();
  return true;
}

void TtlCustomTreeList::HorzScroll(TScrollCode code, int pos) {
  const int page = std::max(1, ScrollableArea().Width());
  switch (code) {
    case scLineUp: SetLeftPos(m_leftPos - HorzLineStep); break;
    case scLineDown: SetLeftPos(Moved(m_leftPos, HorzLineStep)); break;
    case scPageUp: SetLeftPos(m_leftPos - page); break;
    case scPageDown: SetLeftPos(Moved(m_leftPos, page)); break;
    case scTop: SetLeftPos(0); break;
    case scBottom: SetLeftPos(MaxLeftPos()); break;
    case scPosition:
    case scTrack: SetLeftPos(std::max(0, pos)); break;
    case scEndScroll: break;
  }
}

TScrollBar* TtlCustomTreeList::HorzScrollBar() {
  if (m_scrollBarPending) UpdateScrollBar();
  return m_horzScrollBar;
}

bool TtlCustomTreeList::UpdateHorzScrollBar() {
  ClampLeftPos();
  const int max = MaxLeftPos();
  const int page = std::max(1, ScrollableArea().Width());
  // The range is the scrolled bands' width; the page is the part that shows.
  m_horzScrollBar->SetParams(0, max > 0 ? max + page - 1 : 0, page, m_leftPos);
  const bool wanted = ScrollBars() == ssHorizontal || ScrollBars() == ssBoth;
  const bool show = wanted && max > 0;
  if (show == m_horzScrollBar->Visible()) return false;
  m_horzScrollBar->SetVisible(show);
  update();
  return true;
}

void TtlCustomTreeList::ClipCanvas(TCanvas* c, const TRect& r) {
  c->ResetClip();
  c->SetClipRect(ClientRect().Intersect(r));
}
