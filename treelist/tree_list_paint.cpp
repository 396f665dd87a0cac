// Layout, painting and vertical scrolling of the tree list.
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/bitmap.h"
#include "treelist/tree_list.h"

namespace {
constexpr QChar kTab = QLatin1Char('\t');

// The text cut so that it ends in "..." within `width`; "..." itself is
// clipped when not even it fits.
QString ElideEnd(const QFontMetrics& fm, const QString& text, int width) {
  if (fm.horizontalAdvance(text) <= width) return text;
  const QString dots = QStringLiteral("...");
  int lo = 0, hi = static_cast<int>(text.size());
  // Longest prefix whose width plus the dots fits.
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (fm.horizontalAdvance(text.left(mid)) + fm.horizontalAdvance(dots) <= width) lo = mid;
    else hi = mid - 1;
  }
  return text.left(lo) + dots;
}

// A horizontal or vertical line without its end point, filled pixel-exact.
void Line(TCanvas* c, TColor color, int x1, int y1, int x2, int y2) {
  TRect r;
  if (y1 == y2) r = TRect(std::min(x1, x2 + 1), y1, std::max(x1 + 1, x2), y1 + 1);
  else r = TRect(x1, std::min(y1, y2 + 1), x1 + 1, std::max(y1 + 1, y2));
  c->Brush.Color = color;
  c->Brush.Style = bsSolid;
  c->FillRect(r);
}

void RaisedEdge(TCanvas* c, const TRect& r, bool flat) {
  if (r.Width() < 2 || r.Height() < 2) return;
  Line(c, clBtnHighlight, r.Left, r.Bottom - 1, r.Left, r.Top);
  Line(c, clBtnHighlight, r.Left, r.Top, r.Right - 1, r.Top);
  Line(c, flat ? clBtnShadow : cl3DDkShadow, r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
  Line(c, flat ? clBtnShadow : cl3DDkShadow, r.Right - 1, r.Bottom - 1, r.Right - 1, r.Top - 1);
  if (!flat && r.Width() > 2 && r.Height() > 2) {
    Line(c, clBtnShadow, r.Left + 1, r.Bottom - 2, r.Right - 2, r.Bottom - 2);
    Line(c, clBtnShadow, r.Right - 2, r.Bottom - 2, r.Right - 2, r.Top);
  }
}

int AlignFlags(TAlignment a) {
  return a == taRightJustify ? Qt::AlignRight : a == taCenter ? Qt::AlignHCenter : Qt::AlignLeft;
}

// Draws text in `r` of the painter: vertically centred single line, or word
// wrapped from the top; tabs expanded, no access-key prefixes.
void DrawTextIn(QPainter* p, const QFont& font, TColor color, const QString& text, const QRect& r,
                const QRect& clip, TAlignment align, bool ellipsis, bool wrap) {
  if (text.isEmpty() || r.width() <= 0 || r.height() <= 0) return;
  p->save();
  p->setClipRect(clip, Qt::IntersectClip);
  p->setFont(font);
  p->setPen(ToQColor(color));
  const QFontMetrics fm(font);
  QString shown = text;
  int flags = AlignFlags(align) | Qt::TextExpandTabs;
  if (wrap) {
    flags |= Qt::AlignTop | Qt::TextWordWrap;
  } else {
    flags |= Qt::AlignVCenter | Qt::TextSingleLine;
    if (ellipsis) shown = ElideEnd(fm, QString(text).replace(kTab, QStringLiteral("        ")), r.width());
  }
  p->drawText(r, flags, shown);
  p->restore();
}
}  // namespace

// ---------------------------------------------------------------------------
// Metrics

void TtlCustomTreeList::UpdateMetrics() {
  if (m_metricsValid) return;
  const QFontMetrics fm(TControl::Font()->ToQFont());
  m_textHeight = fm.height();
  const int flatAdd = LookAndFeel() == lfStandard ? 1 : 0;
  const int lines = std::max(1, m_headerMinRowCount);
  m_headerRowHeight = flatAdd + lines * (QFontMetrics(m_headerFont.ToQFont()).height() + 2) + 6;
  m_bandRowHeight =
      flatAdd + std::max(1, BandRowCount) * (QFontMetrics(m_bandFont.ToQFont()).height() + 2) + 6;
  m_previewLineHeight = QFontMetrics(m_previewFont.ToQFont()).height();
  int line = std::max(m_textHeight + 3, ButtonCellMinHeight);
  if (m_images) line = std::max(line, m_images->Height);
  if (m_stateImages) line = std::max(line, m_stateImages->Height);
  line = std::max(line, ColumnEditorHeight());
  if (ShowGrid() && ShowPreviewGrid()) line += 1;
  if (HasOption(etoInvertSelect) && !HasOption(etoRowSelect)) line += 2;
  m_rowLineHeight = std::max(line, DefaultRowHeight());
  m_metricsValid = true;
}

int TtlCustomTreeList::TextHeight() { UpdateMetrics(); return m_textHeight; }
int TtlCustomTreeList::RowLineHeight() { UpdateMetrics(); return m_rowLineHeight; }
int TtlCustomTreeList::HeaderRowHeight() { UpdateMetrics(); return m_headerRowHeight; }
int TtlCustomTreeList::PreviewLineHeight() { UpdateMetrics(); return m_previewLineHeight; }

int TtlCustomTreeList::HeaderHeight() {
  return ShowHeader() ? HeaderRowHeight() * HeaderPanelRowCount() : 0;
}

int TtlCustomTreeList::BandHeight() {
  UpdateMetrics();
  return ShowBands() ? m_bandRowHeight : 0;
}

void TtlCustomTreeList::LayoutChanged() {
  m_metricsValid = false;
  ForEachNode([](TtlTreeListNode* n) {
    n->cachedHeight = 0;
    n->cachedLineCount = 0;
  });
  Relayout();
}

void TtlCustomTreeList::Relayout() {
  if (m_updateCount > 0 || m_destroying) return;
  // Narrower columns or a wider window never leave the columns scrolled too far.
  ClampLeftPos();
  if (m_rowsShrank) {
    m_rowsShrank = false;
    ClampTop();
  }
  ScheduleScrollBar();
  update();
}

void TtlCustomTreeList::FontChanged() { LayoutChanged(); }

void TtlCustomTreeList::Resize() {
  if (Editing()) HideEditor();
  PlaceScrollBar();
  UpdateScrollBar();
  TCustomControl::Resize();
}

void TtlCustomTreeList::FocusChanged(bool focused) {
  // Panning and dragging end when the control loses the focus.
  if (!focused) EndPanning();
  if (!focused) CancelDrag();
  // The focused row changes colours and its focus rectangle.
  InvalidateNode(m_focusedNode);
  if (MultiSelect()) update();
  EditingFocusChanged(focused);
}

int TtlCustomTreeList::BorderWidth() const {
  if (m_BorderStyle == bsNone) return 0;
  return m_Ctl3D ? 2 : 1;
}

TRect TtlCustomTreeList::ClientRect() const {
  const int b = BorderWidth();
  TRect r(b, b, width() - b, height() - b);
  if (m_scrollBar && m_scrollBar->Visible()) r.Right -= m_scrollBar->Width();
  if (m_horzScrollBar && m_horzScrollBar->Visible()) r.Bottom -= m_horzScrollBar->Height();
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

TRect TtlCustomTreeList::RowsRect() {
  TRect r = ClientRect();
  r.Top = std::min(r.Bottom, r.Top + BandHeight() + HeaderHeight());
  if (ShowNewItemRow()) r.Top = NewItemRowRect().Bottom;
  return r;
}

int TtlCustomTreeList::RowHeight(TtlTreeListNode* node) {
  if (!node) return RowLineHeight();
  if (node->cachedHeight > 0) return node->cachedHeight;
  UpdateMetrics();
  int h = ShowGrid() ? RowSeparatorLineWidth() : 0;
  int lines = 1;
  if (HasOption(etoRowAutoHeight)) {
    // The most lines any of the node's cells needs when wrapped to its width.
    const TRect row(0, 0, RowsRect().Width(), m_rowLineHeight);
    for (const CellPlace& cell : RowCells(node, row)) {
      const QString text = cell.column->CellText(node);
      if (text.isEmpty()) continue;
      const QFontMetrics fm(cell.column->Font()->ToQFont());
      const QRect bound = fm.boundingRect(QRect(0, 0, std::max(1, cell.rect.Width() - 4), 100000),
                                          Qt::TextWordWrap | Qt::TextExpandTabs, text);
      lines = std::max(lines, (bound.height() + fm.height() - 1) / std::max(1, fm.height()));
    }
    if (MaxRowLineCount() > 0) lines = std::min(lines, MaxRowLineCount());
  }
  node->cachedLineCount = lines;
  h += m_rowLineHeight * HeaderPanelRowCount();
  if (lines > 1) h += (lines - 1) * m_textHeight;
  h += PreviewHeight();
  if (ShowGrid() && ShowPreviewGrid()) h -= 1;
  if (!ShowGrid() && PaintStyle() == psOutlook && node->HasChildren()) h += 1;
  node->cachedHeight = std::max(1, h);
  return node->cachedHeight;
}

int TtlCustomTreeList::PreviewHeight() {
  if (!HasOption(etoPreview)) return 0;
  UpdateMetrics();
  return PreviewLines() * m_previewLineHeight + 2 + (ShowGrid() && ShowPreviewGrid() ? 1 : 0);
}

int TtlCustomTreeList::NodeIndentCells(TtlTreeListNode* node) const {
  int cells = node->Level() + 1;
  if (PaintStyle() == psOutlook && !node->HasChildren()) cells -= 1;
  if (!ShowRoot()) cells -= 1;
  return std::max(0, cells);
}

int TtlCustomTreeList::BandWidth(int band) {
  const TtlTreeListBand* b = m_bands.Items(band);
  if (!b) return 0;
  if (!HasOption(etoBandHeaderWidth)) return b->Width();
  // The widest of the band's column rows.
  int widest = 0;
  for (int row = 0; row < HeaderPanelRowCount(); ++row) {
    int w = 0;
    for (TtlTreeListColumn* c : m_columns)
      if (c->Visible() && c->BandIndex() == band && c->RowIndex() == row) w += c->Width();
    widest = std::max(widest, w);
  }
  return widest;
}

std::vector<TtlCustomTreeList::CellPlace> TtlCustomTreeList::RowCells(TtlTreeListNode* node,
                                                                       const TRect& row) {
  std::vector<CellPlace> cells;
  UpdateMetrics();
  int indentRight = TreeLeft(row);
  if (node) {
    indentRight += NodeIndentCells(node) * IndentWidth;
    auto* text = dynamic_cast<TtlTreeListTextNode*>(node);
    if (m_stateImages && text && text->stateIndex != -1) indentRight += m_stateImages->Width;
    if (m_images) indentRight += m_images->Width;
  }
  // Widths stretched to the client with etoAutoWidth.
  int total = 0;
  for (int b = 0; b < m_bands.Count(); ++b)
    if (m_bands.Items(b)->Visible()) total += BandWidth(b);
  const int client = row.Width();
  const bool stretch = HasOption(etoAutoWidth) && total > 0 && client > 0;
  auto scaled = [&](int w) { return stretch ? int(qint64(w) * client / total) : w; };
  bool firstBand = true;
  for (const BandPlace& band : BandPlaces(row.Left, row.Right)) {
    for (int r = 0; r < HeaderPanelRowCount(); ++r) {
      int x = band.left;
      bool first = true;
      for (TtlTreeListColumn* c : m_columns) {
        if (!c->Visible() || c->BandIndex() != band.band || c->RowIndex() != r) continue;
        const int w = scaled(c->Width());
        TRect cell(x, r * m_rowLineHeight, x + w, (r + 1) * m_rowLineHeight);
        // The tree part of the row lies inside the first column.
        if (firstBand && first) cell.Left = std::min(std::max(cell.Left, indentRight), cell.Right);
        // The last cell row takes what the row has beyond its line heights
        // (extra text lines, preview), short of the row separator.
        if (r == HeaderPanelRowCount() - 1 && node)
          cell.Bottom = std::max(cell.Bottom, row.Height() - PreviewHeight() -
                                                  (ShowGrid() ? RowSeparatorLineWidth() : 0));
        cells.push_back({c, cell, TRect(band.clipLeft, cell.Top, band.clipRight, cell.Bottom)});
        x += w;
        first = false;
      }
    }
    firstBand = false;
  }
  return cells;
}

TRect TtlCustomTreeList::ButtonRect(TtlTreeListNode* node, const TRect& row) const {
  if (!node || !node->HasChildren() || !ShowButtons()) return TRect();
  const int cell = NodeIndentCells(node) - 1;
  if (cell < 0) return TRect();
  const int cellLeft = TreeLeft(row) + cell * IndentWidth, cellRight = cellLeft + IndentWidth;
  const int m = row.Top + row.Height() / 2;
  if (PaintStyle() == psStandard) {
    const int left = (cellLeft + cellRight - 9) / 2;
    return TRect(left, m - 4, left + 9, m + 5);
  }
  const int size = 11;
  const int left = cellLeft + (IndentWidth - size) / 2;
  return TRect(left, m - size / 2, left + size, m - size / 2 + size);
}

// ---------------------------------------------------------------------------
// Vertical scrolling

int TtlCustomTreeList::TopIndex() { return std::max(0, VisibleIndexOf(m_topVisibleNode)); }

int TtlCustomTreeList::RowsFit() {
  const int height = RowsRect().Height();
  const int count = ShownCount();
  int used = 0, rows = 0;
  for (int i = TopIndex(); i < count; ++i) {
    const int h = RowHeight(m_rows[i]);
    if (used + h > height) break;
    used += h;
    ++rows;
  }
  if (TopIndex() + rows >= count) rows += (height - used) / std::max(1, RowLineHeight());
  return std::max(1, rows);
}

int TtlCustomTreeList::TopIndexForLast(int index) {
  const int count = ShownCount();
  if (count == 0) return 0;
  index = std::clamp(index, 0, count - 1);
  const int height = RowsRect().Height();
  int used = 0, i = index;
  while (i >= 0) {
    const int h = RowHeight(m_rows[i]);
    if (used + h > height) break;
    used += h;
    --i;
  }
  return std::min(index, i + 1);
}

void TtlCustomTreeList::ClampTop() {
  // Rows that went away below (collapse, deletion, a move) or a taller
  // window never leave the list scrolled past its end.
  const int count = ShownCount();
  if (count > 0 && TopIndex() > TopIndexForLast(count - 1))
    ChangeTopVisibleNode(m_rows[TopIndexForLast(count - 1)]);
}

int TtlCustomTreeList::RowsHeight(int from, int to) {
  int h = 0;
  for (int i = from; i < to; ++i) h += RowHeight(m_rows[i]);
  return h;
}

void TtlCustomTreeList::SetTopIndex(int index) {
  CloseEditor(true);
  const int count = ShownCount();
  if (count < 2) return;
  index = std::clamp(index, 0, std::max(0, TopIndexForLast(count - 1)));
  const int old = TopIndex();
  if (index == old && VisibleIndexOf(m_topVisibleNode) >= 0) return;
  const int page = RowsFit();
  ChangeTopVisibleNode(m_rows[index]);
  if (m_updateCount > 0 || m_destroying) return;
  UpdateScrollBar();
  if (std::abs(index - old) > page || !isVisible()) {
    update();
    return;
  }
  const int dy = index > old ? -RowsHeight(old, index) : RowsHeight(index, old);
  scroll(0, dy, RowsRect().toQRect());
  InvalidateNode(m_focusedNode);
}

TRect TtlCustomTreeList::RowRect(TtlTreeListNode* node) {
  const int index = VisibleIndexOf(node);
  const int top = TopIndex();
  if (index < top) return TRect();
  const TRect rows = RowsRect();
  int y = rows.Top;
  for (int i = top; i < index; ++i) {
    y += RowHeight(m_rows[i]);
    if (y >= rows.Bottom) return TRect();
  }
  return TRect(rows.Left, y, rows.Right, std::min(rows.Bottom, y + RowHeight(node)));
}

TtlTreeListNode* TtlCustomTreeList::GetNodeAt(int x, int y) {
  const TRect rows = RowsRect();
  if (!rows.Contains(TPoint(x, y))) return nullptr;
  const int count = ShownCount();
  int top = rows.Top;
  for (int i = TopIndex(); i < count && top < rows.Bottom; ++i) {
    const int h = RowHeight(m_rows[i]);
    if (y < top + h) return m_rows[i];
    top += h;
  }
  return nullptr;
}

void TtlCustomTreeList::ScheduleScrollBar() {
  if (m_scrollBarPending) return;
  m_scrollBarPending = true;
  QMetaObject::invokeMethod(
      this, [this] { if (m_scrollBarPending) UpdateScrollBar(); }, Qt::QueuedConnection);
}

TScrollBar* TtlCustomTreeList::VertScrollBar() {
  if (m_scrollBarPending) UpdateScrollBar();
  return m_scrollBar;
}

void TtlCustomTreeList::UpdateScrollBar() {
  m_scrollBarPending = false;
  if (m_updateCount > 0 || m_destroying) return;
  // Each bar takes room from the other's direction: settle both (a second
  // round at most changes the vertical one once more).
  for (int round = 0; round < 3; ++round) {
    ClampTop();
    const int count = ShownCount();
    const int top = TopIndex();
    const int page = RowsFit();
    const bool fits = count == 0 || (top == 0 && TopIndexForLast(count - 1) == 0);
    const int max = fits ? 0 : count - 1;
    m_scrollBar->SetParams(0, max, page, top);
    const bool wanted = ScrollBars() == ssVertical || ScrollBars() == ssBoth;
    const bool show = wanted && max + 1 > page;
    bool changed = false;
    if (show != m_scrollBar->Visible()) {
      m_scrollBar->SetVisible(show);
      update();
      changed = true;
    }
    PlaceScrollBar();
    if (UpdateHorzScrollBar()) changed = true;
    PlaceScrollBar();
    if (!changed) break;
  }
}

void TtlCustomTreeList::PlaceScrollBar() {
  const int b = BorderWidth();
  const int w = TScrollBar::DefaultWidth;
  const bool vert = m_scrollBar->Visible(), horz = m_horzScrollBar->Visible();
  m_scrollBar->SetBounds(width() - b - w, b, w, std::max(0, height() - 2 * b - (horz ? w : 0)));
  m_horzScrollBar->SetBounds(b, height() - b - w, std::max(0, width() - 2 * b - (vert ? w : 0)), w);
}

// ---------------------------------------------------------------------------
// Painting

void TtlCustomTreeList::PaintBorder(TCanvas* c) {
  const TRect r(0, 0, width(), height());
  if (m_BorderStyle == bsNone) return;
  if (!m_Ctl3D) {
    c->Brush.Color = clWindowFrame;
    c->FrameRect(r);
    return;
  }
  // Sunken client edge.
  Line(c, clBtnShadow, r.Left, r.Bottom - 1, r.Left, r.Top);
  Line(c, clBtnShadow, r.Left, r.Top, r.Right - 1, r.Top);
  Line(c, clBtnHighlight, r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
  Line(c, clBtnHighlight, r.Right - 1, r.Bottom - 1, r.Right - 1, r.Top - 1);
  Line(c, cl3DDkShadow, r.Left + 1, r.Bottom - 2, r.Left + 1, r.Top + 1);
  Line(c, cl3DDkShadow, r.Left + 1, r.Top + 1, r.Right - 2, r.Top + 1);
  Line(c, cl3DLight, r.Left + 1, r.Bottom - 2, r.Right - 2, r.Bottom - 2);
  Line(c, cl3DLight, r.Right - 2, r.Bottom - 2, r.Right - 2, r.Top);
}

void TtlCustomTreeList::Paint() {
  if (m_scrollBarPending) UpdateScrollBar();
  TCanvas* c = Canvas();
  UpdateMetrics();
  PaintBorder(c);
  const TRect client = ClientRect();
  if (client.IsEmpty()) return;
  // The square where the two scroll bars meet.
  if (m_scrollBar->Visible() && m_horzScrollBar->Visible()) {
    c->Brush.Color = clBtnFace;
    c->Brush.Style = bsSolid;
    c->FillRect(TRect(client.Right, client.Bottom, client.Right + m_scrollBar->Width(),
                      client.Bottom + m_horzScrollBar->Height()));
  }
  c->SetClipRect(client);
  TRect area = client;
  if (ShowBands()) {
    PaintBandHeader(c, TRect(area.Left, area.Top, area.Right, area.Top + BandHeight()));
    area.Top += BandHeight();
  }
  if (ShowHeader()) {
    PaintHeader(c, TRect(area.Left, area.Top, area.Right, area.Top + HeaderHeight()));
    area.Top += HeaderHeight();
  }
  if (ShowNewItemRow()) PaintNewItemRow(c, NewItemRowRect());
  const TRect rows = RowsRect();
  int y = rows.Top;
  const int count = ShownCount();
  for (int i = TopIndex(); i < count && y < rows.Bottom; ++i) {
    TtlTreeListNode* node = m_rows[i];
    const int h = RowHeight(node);
    PaintRow(c, node, TRect(rows.Left, y, rows.Right, y + h));
    y += h;
  }
  if (y < rows.Bottom) {
    c->Brush.Color = Color();
    c->Brush.Style = bsSolid;
    c->FillRect(TRect(rows.Left, y, rows.Right, rows.Bottom));
  }
  c->ResetClip();
}

void TtlCustomTreeList::PaintHeader(TCanvas* c, const TRect& area) {
  c->Brush.Color = HeaderColor();
  c->Brush.Style = bsSolid;
  c->FillRect(area);
  const int rowH = HeaderRowHeight();
  const TRect row(area.Left, area.Top, area.Right, area.Top + rowH);
  for (const CellPlace& cell : RowCells(nullptr, row)) {
    const TRect r(cell.rect.Left, area.Top + cell.column->RowIndex() * rowH, cell.rect.Right,
                  area.Top + (cell.column->RowIndex() + 1) * rowH);
    // Headers of scrolled bands move with their columns.
    ClipCanvas(c, TRect(cell.clip.Left, area.Top, cell.clip.Right, area.Bottom));
    RaisedEdge(c, r, LookAndFeel() != lfStandard);
    const TRect text = r.Inflate(-3, -2);
    DrawTextIn(c->Painter(), m_headerFont.ToQFont(), m_headerFont.Color(), cell.column->Caption(),
               text.toQRect(), text.toQRect(), cell.column->HeaderAlignment,
               true, false);
  }
  ClipCanvas(c, ClientRect());
}

void TtlCustomTreeList::PaintBandHeader(TCanvas* c, const TRect& area) {
  c->Brush.Color = BandColor();
  c->Brush.Style = bsSolid;
  c->FillRect(area);
  for (const BandPlace& place : BandPlaces(area.Left, area.Right)) {
    TtlTreeListBand* band = m_bands.Items(place.band);
    const TRect r(place.left, area.Top, place.left + place.width, area.Bottom);
    ClipCanvas(c, TRect(place.clipLeft, area.Top, place.clipRight, area.Bottom));
    RaisedEdge(c, r, LookAndFeel() != lfStandard);
    const TRect text = r.Inflate(-3, -2);
    DrawTextIn(c->Painter(), m_bandFont.ToQFont(), m_bandFont.Color(), band->Caption,
               text.toQRect(), text.toQRect(), band->Alignment, true, false);
  }
  ClipCanvas(c, ClientRect());
}

void TtlCustomTreeList::PaintRow(TCanvas* c, TtlTreeListNode* node, const TRect& row) {
  TColor background = Color();
  const bool group = PaintStyle() == psOutlook && node->HasChildren();
  if (group) {
    background = GroupNodeColor();
    if (OnGetLevelColor) OnGetLevelColor(this, node->Level(), background);
  }
  const std::vector<CellPlace> cells = RowCells(node, TRect(row.Left, 0, row.Right, row.Height()));
  // What shows of the cells, left and right, after scrolling.
  int cellsLeft = row.Right, cellsRight = row.Left;
  for (const CellPlace& cell : cells) {
    const TRect shown = cell.Shown();
    if (shown.IsEmpty()) continue;
    cellsLeft = std::min(cellsLeft, shown.Left);
    cellsRight = std::max(cellsRight, shown.Right);
  }
  if (cellsRight < cellsLeft) cellsLeft = cellsRight = row.Left;
  // The indent and the rest of the row take the row's background.
  c->Brush.Color = background;
  c->Brush.Style = bsSolid;
  c->FillRect(row);
  // The tree part (lines, button, images) lies in the first band and scrolls with it.
  if (!cells.empty()) ClipCanvas(c, TRect(cells.front().clip.Left, row.Top, cells.front().clip.Right, row.Bottom));
  if (PaintStyle() == psStandard && ShowLines()) PaintTreeLines(c, node, row);
  PaintButton(c, node, row);

  // Images, centred in their cells after the indent.
  int x = TreeLeft(row) + NodeIndentCells(node) * IndentWidth;
  auto* text = dynamic_cast<TtlTreeListTextNode*>(node);
  auto drawImage = [&](const TtlImageList* list, int index) {
    if (index < 0 || index >= static_cast<int>(list->Images.size())) return;
    const TBitmap& bmp = list->Images[index];
    c->Draw(x + (list->Width - bmp.Width()) / 2, row.Top + (row.Height() - bmp.Height()) / 2, &bmp);
  };
  if (m_stateImages && text && text->stateIndex != -1) {
    drawImage(m_stateImages, text->stateIndex);
    x += m_stateImages->Width;
  }
  if (m_images) {
    if (text) {
      const bool useSelected = node == m_focusedNode && !HasOption(etoUseImageIndexForSelected);
      drawImage(m_images, useSelected ? text->selectedIndex : text->imageIndex);
    }
    x += m_images->Width;
  }

  // While the new-item row has the focus the focused node shows as any other.
  const bool newItemFocused = NewItemRowFocused();
  const bool rowSelected = IsNodeSelected(node) && !(newItemFocused && !MultiSelect());
  const bool rowSelect = HasOption(etoRowSelect);
  const bool invert = HasOption(etoInvertSelect) && !rowSelect;
  for (const CellPlace& cell : cells) {
    const int index = cell.column->Index();
    bool selected = false;
    if (rowSelected) {
      if (rowSelect || MultiSelect()) selected = true;
      else if (invert) selected = index != m_focusedColumn;
      else selected = index == m_focusedColumn;
    }
    CellPlace placed{cell.column, cell.rect.Offset(0, row.Top), cell.clip.Offset(0, row.Top)};
    if (placed.Shown().IsEmpty()) continue;
    ClipCanvas(c, placed.clip);
    const bool focusedCell =
        node == m_focusedNode && !newItemFocused && (rowSelect || index == m_focusedColumn);
    PaintCell(c, node, placed, selected, focusedCell);
  }
  ClipCanvas(c, row);
  if (HasOption(etoPreview) && !cells.empty()) PaintPreview(c, node, cells, row);
  if (ShowGrid()) PaintGridLines(c, cells, row);

  // Dotted inverting focus rectangle on the focused cell or row.
  if (node == m_focusedNode && !newItemFocused && Focused() && !HideFocusRect() &&
      !HasOption(etoHideFocusRect) && !cells.empty()) {
    TRect focus;
    if (rowSelect) {
      focus = TRect(cellsLeft, row.Top + 1, cellsRight, row.Bottom - 1);
    } else {
      for (const CellPlace& cell : cells)
        if (cell.column->Index() == m_focusedColumn) {
          focus = cell.rect.Offset(0, row.Top).Inflate(-1, -1);
          ClipCanvas(c, cell.clip.Offset(0, row.Top));
        }
    }
    if (!focus.IsEmpty()) c->DrawFocusRect(focus);
  }
  ClipCanvas(c, ClientRect());
}

void TtlCustomTreeList::PaintTreeLines(TCanvas* c, TtlTreeListNode* node, const TRect& row) {
  QPainter* p = c->Painter();
  if (!p) return;
  const QColor color = ToQColor(TreeLineColor());
  const bool dotted = TreeLineStyle() == tlDot;
  p->save();
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->setPen(color);
  // Dots follow the pixel position, so they line up from row to row.
  auto vline = [&](int x, int y1, int y2) {  // inclusive ends
    for (int y = y1; y <= y2; ++y)
      if (!dotted || ((x + y) & 1) == 0) p->drawPoint(x, y);
  };
  auto hline = [&](int x1, int x2, int y) {
    for (int x = x1; x <= x2; ++x)
      if (!dotted || ((x + y) & 1) == 0) p->drawPoint(x, y);
  };
  const int cell = NodeIndentCells(node) - 1;
  const int m = row.Top + row.Height() / 2;
  const bool button = ShowButtons() && node->HasChildren();
  const int treeLeft = TreeLeft(row);
  if (cell >= 0) {
    const int cellLeft = treeLeft + cell * IndentWidth;
    const int xm = cellLeft + (IndentWidth - 1) / 2;
    hline(button ? xm + 5 : xm, cellLeft + IndentWidth - 1, m);
    const bool veryFirst = !node->Parent() && m_rootNodes.front() == node;
    if (!veryFirst) vline(xm, row.Top, button ? m - 5 : m);
    if (!node->IsLast()) vline(xm, button ? m + 5 : m, row.Bottom - 1);
  }
  // Ancestors with later siblings carry their line through this row.
  int level = cell;
  for (TtlTreeListNode* a = node->Parent(); a && level > 0; a = a->Parent()) {
    --level;
    if (!a->IsLast()) vline(treeLeft + level * IndentWidth + (IndentWidth - 1) / 2, row.Top, row.Bottom - 1);
  }
  p->restore();
}

void TtlCustomTreeList::PaintButton(TCanvas* c, TtlTreeListNode* node, const TRect& row) {
  const TRect b = ButtonRect(node, row);
  if (b.IsEmpty()) return;
  const bool collapsed = !node->IsExpanded();
  if (PaintStyle() == psStandard) {
    c->Brush.Color = clWindow;
    c->Brush.Style = bsSolid;
    c->FillRect(b.Inflate(-1, -1));
    c->Brush.Color = clGrayText;
    c->FrameRect(b);
    const int barY = b.Top + 4;
    Line(c, clWindowText, b.Left + 2, barY, b.Right - 2, barY);
    if (collapsed) Line(c, clWindowText, b.Left + 4, b.Top + 2, b.Left + 4, b.Bottom - 2);
    return;
  }
  const bool ultraFlat = LookAndFeel() == lfUltraFlat;
  c->Brush.Color = ultraFlat ? Color() : clBtnFace;
  c->Brush.Style = bsSolid;
  c->FillRect(b);
  if (ultraFlat) {
    c->Brush.Color = clWindowFrame;
    c->FrameRect(b);
  } else {
    RaisedEdge(c, b, false);
  }
  const int mx = b.Left + b.Width() / 2, my = b.Top + b.Height() / 2;
  Line(c, clWindowText, mx - 2, my, mx + 3, my);
  if (collapsed) Line(c, clWindowText, mx, my - 2, mx, my + 3);
}

void TtlCustomTreeList::PaintPreview(TCanvas* c, TtlTreeListNode* node,
                                     const std::vector<CellPlace>& cells, const TRect& row) {
  int cellsBottom = row.Top, cellsRight = row.Left;
  for (const CellPlace& cell : cells) {
    cellsBottom = std::max(cellsBottom, row.Top + cell.rect.Bottom);
    cellsRight = std::max(cellsRight, cell.Shown().Right);
  }
  const int separator = ShowGrid() ? RowSeparatorLineWidth() : 0;
  const int left = std::max(cells.front().rect.Left, cells.front().clip.Left);
  const TRect area(left, cellsBottom, cellsRight, row.Bottom - separator);
  if (area.IsEmpty()) return;
  c->Brush.Color = Color();
  c->Brush.Style = bsSolid;
  c->FillRect(area);
  const auto* data = dynamic_cast<const TtlDBTreeListControlNode*>(node);
  if (!data || data->PreviewText().isEmpty()) return;
  const TRect text = area.Inflate(-2, -1);
  DrawTextIn(c->Painter(), m_previewFont.ToQFont(), m_previewFont.Color(), data->PreviewText(),
             text.toQRect(), text.toQRect(), taLeftJustify, false, true);
}

void TtlCustomTreeList::PaintGridLines(TCanvas* c, const std::vector<CellPlace>& cells,
                                       const TRect& row) {
  const TColor color = GridLineColor() == clNone ? clBtnFace : GridLineColor();
  const int separator = std::max(0, RowSeparatorLineWidth());
  c->Brush.Color = color;
  c->Brush.Style = bsSolid;
  for (const CellPlace& cell : cells) {
    const TRect r = cell.rect.Offset(0, row.Top);
    if (r.Right - 1 >= cell.clip.Left && r.Right <= cell.clip.Right)
      c->FillRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom));
  }
  if (!cells.empty() && separator > 0) {
    const int left = std::max(cells.front().rect.Left, cells.front().clip.Left);
    c->FillRect(TRect(left, row.Bottom - separator, row.Right, row.Bottom));
  }
}

void TtlCustomTreeList::PaintCell(TCanvas* c, TtlTreeListNode* node, const CellPlace& cell,
                                  bool selected, bool focusedCell) {
  const TRect r = cell.rect;
  if (r.IsEmpty()) return;
  TtlTreeListColumn* column = cell.column;
  TColor background, textColor;
  if (selected && Focused()) {
    background = HighlightColor();
    textColor = HighlightTextColor();
  } else if (selected && !HideSelection()) {
    background = HideSelectionColor();
    textColor = HideSelectionTextColor();
  } else {
    background = column->Color();
    textColor = column->Font()->Color();
    if (PaintStyle() == psOutlook && node->HasChildren()) {
      background = GroupNodeColor();
      if (OnGetLevelColor) OnGetLevelColor(this, node->Level(), background);
      if (GroupNodeTextColor() != clNone) textColor = GroupNodeTextColor();
    }
  }
  if (column->OnCustomDrawCell || OnCustomDrawCell) {
    c->Brush.Color = background;
    c->Brush.Style = bsSolid;
    c->Font = *column->Font();
    c->Font.SetColor(textColor);
    bool done = false;
    QPointer<TtlCustomTreeList> self(this);
    if (column->OnCustomDrawCell)
      column->OnCustomDrawCell(column, c, r, node, column, selected, focusedCell, done);
    if (!done && self && OnCustomDrawCell)
      OnCustomDrawCell(this, c, r, node, column, selected, focusedCell, done);
    if (done || !self) return;
  }
  const QString text = column->CellText(node);
  const bool wrap = HasOption(etoRowAutoHeight) && node->cachedLineCount > 1;
  const TRect textRect = r.Inflate(-2, wrap ? -2 : -1);
  const bool ellipsis = HasOption(etoDrawEndEllipsis);
  const QFont font = column->Font()->ToQFont();
  // Without ellipsis or wrapping the text is clipped short of the cell's
  // right edge, leaving a background margin.
  const TRect clip = ellipsis || wrap ? textRect : TRect(r.Left, r.Top, r.Right - 2, r.Bottom);
  if (HasOption(etoUseBitmap)) {
    // Off-screen: the cell is composed in a bitmap and copied in one go.
    TBitmap bmp(r.Width(), r.Height());
    TCanvas* bc = bmp.Canvas();
    bc->Brush.Color = background;
    bc->Brush.Style = bsSolid;
    bc->FillRect(TRect(0, 0, r.Width(), r.Height()));
    DrawTextIn(bc->Painter(), font, textColor, text, textRect.Offset(-r.Left, -r.Top).toQRect(),
               clip.Offset(-r.Left, -r.Top).toQRect(), column->Alignment(), ellipsis, wrap);
    if (focusedCell && !wrap)
      PaintSearchHighlight(bc, font, text, textRect.Offset(-r.Left, -r.Top), column->Alignment(),
                           background, textColor);
    c->Draw(r.Left, r.Top, &bmp);
    return;
  }
  c->Brush.Color = background;
  c->Brush.Style = bsSolid;
  c->FillRect(r);
  DrawTextIn(c->Painter(), font, textColor, text, textRect.toQRect(), clip.toQRect(),
             column->Alignment(), ellipsis, wrap);
  if (focusedCell && !wrap)
    PaintSearchHighlight(c, font, text, textRect, column->Alignment(), background, textColor);
}

void TtlCustomTreeList::PaintSearchHighlight(TCanvas* c, const QFont& font, const QString& text,
                                             const TRect& textRect, TAlignment alignment,
                                             TColor background, TColor textColor) {
  const QString search = AutoSearchText();
  if (search.isEmpty() || !text.startsWith(search, Qt::CaseInsensitive)) return;
  const QFontMetrics fm(font);
  const QString prefix = text.left(search.size());
  const int full = fm.horizontalAdvance(text), width = fm.horizontalAdvance(prefix);
  int left = textRect.Left;
  if (alignment == taRightJustify) left = textRect.Right - full;
  else if (alignment == taCenter) left = textRect.Left + (textRect.Width() - full) / 2;
  const TRect mark = TRect(left, textRect.Top, left + width, textRect.Bottom).Intersect(textRect);
  if (mark.IsEmpty()) return;
  // "None" uses the inverse of the cell's own colours.
  auto inverse = [](TColor color) { return ColorToRGB(color) ^ 0xFFFFFF; };
  const TColor back = AutoSearchColor() == clNone ? inverse(background) : AutoSearchColor();
  const TColor fore = AutoSearchTextColor() == clNone ? inverse(textColor) : AutoSearchTextColor();
  c->Brush.Color = back;
  c->Brush.Style = bsSolid;
  c->FillRect(mark);
  DrawTextIn(c->Painter(), font, fore, prefix, TRect(left, textRect.Top, left + width, textRect.Bottom).toQRect(),
             mark.toQRect(), taLeftJustify, false, false);
}
