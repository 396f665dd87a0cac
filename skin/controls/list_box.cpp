#include "skin/controls/list_box.h"

#include <QDateTime>
#include <QEvent>
#include <QPainter>

#include "skin/render/compose.h"
#include "skin/render/glyphs.h"
#include "skin/render/text_helpers.h"
#include "platform/tab_order.h"

namespace {
const TColor kPressedFill = RGB(133, 147, 181);
const TColor kHotFill = RGB(182, 189, 210);
}  // namespace

std::vector<int> ListTabStops(const QStringList& widths) {
  std::vector<int> stops;
  for (int i = 0; i < std::min<int>(10, widths.size()); ++i) {
    const QString& line = widths[i];
    bool digits = !line.isEmpty() && line.size() <= 9;
    for (QChar c : line) digits = digits && c >= u'0' && c <= u'9';
    stops.push_back(digits ? line.toInt() : 0);
  }
  return stops;
}

int NextTabStop(int x, const std::vector<int>& stops, int defaultStep) {
  std::vector<int> used;
  for (int v : stops)
    if (v > 0) used.push_back(v);
  int base = 0, step = std::max(1, defaultStep);
  if (used.size() == 1) {
    step = used[0];
  } else if (used.size() > 1) {
    for (int v : used)
      if (v > x) return v;
    base = used.back();
    const int last = used.back() - used[used.size() - 2];
    if (last > 0) step = last;
  }
  if (x < base) return base;
  return base + ((x - base) / step + 1) * step;
}

// ---- inner list --------------------------------------------------------------

TsfListBox::TsfListBox(TsfSkinCustomListBox* owner) : TCustomControl(owner), m_owner(owner) {
  Opaque = true;
  SetTabStop(true);
  Clock = [] { return QDateTime::currentMSecsSinceEpoch(); };
  m_scrollTimer = new TTimer(this);
  m_scrollTimer->SetEnabled(false);
  m_scrollTimer->SetInterval(kAutoScrollInterval);
  m_scrollTimer->OnTimer = [this](TObject*) { AutoScrollTick(); };
}

TsfListBox::~TsfListBox() { m_scrollTimer->OnTimer = nullptr; }

void TsfListBox::SetItems(const QStringList& items) {
  m_items = items;
  if (m_sorted) SortItems(m_items);
  m_selected.clear();
  m_anchor = -1;
  if (m_itemIndex >= Count()) m_itemIndex = -1;
  ClampTop();
  update();
}

void TsfListBox::SetItemIndex(int v) {
  v = std::clamp(v, -1, Count() - 1);
  if (v == m_itemIndex) return;
  m_itemIndex = v;
  if (v >= 0) MakeVisible(v);
  update();
}

void TsfListBox::SetTopIndex(int v) {
  const int old = m_topIndex;
  m_topIndex = v;
  ClampTop();
  if (m_topIndex != old) update();
}

void TsfListBox::ClampTop() {
  if (m_columns > 0) {
    const int rows = std::max(1, Rows());
    const int columns = (Count() + rows - 1) / rows;
    const int firstColumn = std::clamp(m_topIndex / rows, 0, std::max(0, columns - m_columns));
    m_topIndex = firstColumn * rows;
    return;
  }
  m_topIndex = std::clamp(m_topIndex, 0, std::max(0, Count() - std::max(1, Rows())));
}

void TsfListBox::SetColumns(int v) {
  v = std::max(0, v);
  if (v == m_columns) return;
  m_columns = v;
  ClampTop();
  update();
}

TScrollInfo TsfListBox::HScrollInfo() const {
  const int rows = std::max(1, Rows());
  return TScrollInfo{0, (Count() + rows - 1) / rows - 1, m_columns, m_topIndex / rows};
}

void TsfListBox::MakeVisible(int index) {
  const int rows = std::max(1, Rows());
  if (m_columns > 0) {
    const int column = index / rows, first = m_topIndex / rows;
    if (column < first) SetTopIndex(column * rows);
    else if (column >= first + m_columns) SetTopIndex((column - m_columns + 1) * rows);
    return;
  }
  if (index < m_topIndex) SetTopIndex(index);
  else if (index >= m_topIndex + rows) SetTopIndex(index - rows + 1);
}

void TsfListBox::SetItemHeight(int v) {
  if (v <= 0 || v == m_itemHeight) return;  // never an empty row to divide by
  m_itemHeight = v;
  ClampTop();
  update();
}

bool TsfListBox::Selected(int index) const {
  return m_multiSelect ? m_selected.count(index) > 0 : index == m_itemIndex;
}

void TsfListBox::SetSelected(int index, bool v) {
  if (!m_multiSelect || index < 0 || index >= Count()) return;
  if (v) m_selected.insert(index);
  else m_selected.erase(index);
  update();
}

void TsfListBox::SetHorizontalOffset(int v) {
  v = std::max(0, v);
  if (v == m_hOffset) return;
  m_hOffset = v;
  update();
}

TRect TsfListBox::ItemRect(int index) const {
  if (m_columns > 0) {
    const int rows = std::max(1, Rows()), at = index - m_topIndex;
    const int column = at >= 0 ? at / rows : (at - rows + 1) / rows;
    return Bounds(column * ColumnWidth(), (at - column * rows) * m_itemHeight, ColumnWidth(), m_itemHeight);
  }
  return Bounds(0, (index - m_topIndex) * m_itemHeight, Width(), m_itemHeight);
}

int TsfListBox::ItemAtPos(TPoint p) const {
  if (p.Y < 0 || m_itemHeight <= 0) return -1;
  if (m_columns > 0) {
    const int rows = std::max(1, Rows()), row = p.Y / m_itemHeight;
    if (p.X < 0 || row >= rows || ColumnWidth() <= 0) return -1;
    const int i = m_topIndex + (p.X / ColumnWidth()) * rows + row;
    return i < Count() ? i : -1;
  }
  const int i = m_topIndex + p.Y / m_itemHeight;
  return i < Count() ? i : -1;
}

TScrollInfo TsfListBox::VScrollInfo() const { return TScrollInfo{0, Count() - 1, Rows(), m_topIndex}; }

void TsfListBox::WndProc(TMessage& m) {
  if (!m_owner->ListMessageFilter(m)) return;
  // The first item (or column) a scroll message asks for; clamped later.
  auto target = [&m](int first, int page, int end) {
    switch (ScrollCodeOf(m.WParam)) {
      case SB_LINEUP: return first - 1;
      case SB_LINEDOWN: return first + 1;
      case SB_PAGEUP: return first - page;
      case SB_PAGEDOWN: return first + page;
      case SB_THUMBPOSITION:
      case SB_THUMBTRACK: return ScrollPositionOf(m.WParam);
      case SB_TOP: return 0;
      case SB_BOTTOM: return end;
      default: return first;
    }
  };
  const int rows = std::max(1, Rows());
  if (m.Msg == WM_HSCROLL && m_columns > 0) {
    const int column = std::clamp(target(m_topIndex / rows, m_columns, Count()), 0, Count());
    SetTopIndex(int(std::min<qint64>(qint64(column) * rows, Count())));
    return;
  }
  if (m.Msg == WM_VSCROLL) {
    SetTopIndex(target(m_topIndex, rows, Count()));
    return;
  }
  TCustomControl::WndProc(m);
}

void TsfListBox::Paint() {
  TCanvas* c = Canvas();
  auto draw = [&](int i) {
    TsfOwnerDrawState state = 0;
    if (i == m_itemIndex) state |= odSelected | (Focused() ? unsigned(odFocused) : 0u);
    else if (Selected(i)) state |= odSelected;
    m_owner->DrawListItem(c, i, ItemRect(i), state);
  };
  if (m_columns > 0) {
    m_owner->DrawListBackground(c, TRect(0, 0, Width(), Height()));
    const int shown = std::max(1, Rows()) * m_columns;
    for (int i = m_topIndex; i < std::min(Count(), m_topIndex + shown); ++i) draw(i);
    return;
  }
  const int last = std::min(Count() - 1, m_topIndex + Rows());
  for (int i = m_topIndex; i <= last; ++i) draw(i);
  const int below = (last - m_topIndex + 1) * m_itemHeight;
  if (below < Height()) m_owner->DrawListBackground(c, TRect(0, std::max(0, below), Width(), Height()));
}

void TsfListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfListBox> self(this);
  m_owner->ListMouseDown(button, shift, x, y);
  if (!self) return;
  if (CanFocus() && !Focused()) SetFocus();
  if (button == mbLeft) {
    const int i = ItemAtPos(TPoint(x, y));
    if (i >= 0) {
      if (m_multiSelect) SelectByPointer(i, shift);
      SetItemIndex(i);
    }
    m_pressed = true;
    m_pointer = TPoint(x, y);
    AutoDragOnPress(x, y);
    if (!self) return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TsfListBox::MouseMove(TShiftState shift, int x, int y) {
  QPointer<TsfListBox> self(this);
  m_owner->ListMouseMove(shift, x, y);
  if (!self) return;
  if (m_pressed && !(shift & ssLeft)) {  // the release went elsewhere
    m_pressed = false;
    StopAutoScroll();
  }
  if (m_pressed) TrackPointer(x, y);
  TCustomControl::MouseMove(shift, x, y);
}

void TsfListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfListBox> self(this);
  if (button == mbLeft) {
    m_pressed = false;
    StopAutoScroll();
  }
  m_owner->ListMouseUp(button, shift, x, y);
  if (!self) return;
  // Without a menu of its own the list shows the control's, as a host
  // window passes the request to its parent.
  TsfSkinPopupMenu* menu = m_popupMenu ? m_popupMenu.data() : m_owner->PopupMenu();
  if (button == mbRight && menu) {
    const QPoint p = mapToGlobal(QPoint(x, y));
    m_owner->ShowPopupMenu(menu, TPoint(p.x(), p.y()));
    if (!self) return;
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

// The pointer while the left button pressed on the list is held: inside the
// list the selection follows it (single selection, no drag); past the
// scrolling edges the list scrolls on each tick.
void TsfListBox::TrackPointer(int x, int y) {
  m_pointer = TPoint(x, y);
  int direction;
  if (m_columns > 0) direction = x < 0 ? -1 : x >= Width() ? 1 : 0;
  else direction = y < 0 ? -1 : y >= Height() ? 1 : 0;
  m_scrollDirection = direction;
  if (direction == 0) {
    StopAutoScroll();
    if (!m_multiSelect && !Dragging() && x >= 0 && x < Width()) {
      const int i = ItemAtPos(m_pointer);
      if (i >= 0) SetItemIndex(i);
    }
    return;
  }
  if (!m_scrollTimer->Enabled()) {
    m_scrollTimer->SetInterval(kAutoScrollInterval);
    m_scrollTimer->SetEnabled(true);
  }
}

void TsfListBox::StopAutoScroll() {
  m_scrollDirection = 0;
  m_scrollTimer->SetEnabled(false);
}

void TsfListBox::AutoScrollTick() {
  const bool dragging = TDragManager::Instance().Dragging() && Dragging();
  if (m_scrollDirection == 0 || (!m_pressed && !dragging)) {
    StopAutoScroll();
    return;
  }
  const int dir = m_scrollDirection;
  if (dragging || m_multiSelect || Count() == 0) {
    Perform(m_columns > 0 ? WM_HSCROLL : WM_VSCROLL, MakeScrollWParam(dir < 0 ? SB_LINEUP : SB_LINEDOWN));
  } else if (m_columns > 0) {
    const int rows = std::max(1, Rows());
    SetItemIndex(std::clamp(std::max(0, m_itemIndex) + dir * rows, 0, Count() - 1));
  } else {
    // The selection goes one item past the edge, scrolling the list by one.
    SetItemIndex(std::clamp(dir < 0 ? m_topIndex - 1 : m_topIndex + Rows(), 0, Count() - 1));
  }
  m_owner->UpdateScrollBars();
}

void TsfListBox::DoStartDrag(QObject*& dragObject) { m_owner->ListStartDrag(dragObject); }

void TsfListBox::DoEndDrag(QObject* target, int x, int y) {
  m_pressed = false;
  StopAutoScroll();
  m_owner->ListEndDrag(target, x, y);
}

void TsfListBox::DoDragOver(QObject* source, int x, int y, TDragState state, bool& accept) {
  m_owner->ListDragOver(source, x, y, state, accept);
}

void TsfListBox::DoDragDrop(QObject* source, int x, int y) { m_owner->ListDragDrop(source, x, y); }

void TsfListBox::DoDragMoved(const TPoint& screen) {
  const QPoint p = mapFromGlobal(QPoint(screen.X, screen.Y));
  TrackPointer(p.x(), p.y());
}

void TsfListBox::Click() {
  m_owner->ListClick();
}

void TsfListBox::DblClick() {
  m_owner->ListDblClick();
}

void TsfListBox::KeyDown(WORD& key, TShiftState shift) {
  QPointer<TsfListBox> self(this);
  m_owner->ListKeyDown(key, shift);
  if (!self || key == 0) return;
  const int rows = std::max(1, Rows());
  const int before = m_itemIndex;
  switch (key) {
    case VK_SPACE:
      // Simple multiple selection: the space bar toggles the current item.
      if (m_multiSelect && !m_extendedSelect && m_itemIndex >= 0) {
        SetSelected(m_itemIndex, !Selected(m_itemIndex));
        key = 0;
      }
      return;
    case VK_UP: SetItemIndex(std::max(0, m_itemIndex - 1)); break;
    case VK_DOWN: SetItemIndex(m_itemIndex + 1); break;
    case VK_PRIOR: SetItemIndex(std::max(0, m_itemIndex - rows + 1)); break;
    case VK_NEXT: SetItemIndex(m_itemIndex + rows - 1); break;
    case VK_HOME: SetItemIndex(0); break;
    case VK_END: SetItemIndex(Count() - 1); break;
    case VK_LEFT:
    case VK_RIGHT:
      // In columns the arrows go a column across.
      if (m_columns > 0) {
        SetItemIndex(std::max(0, std::min(Count() - 1, m_itemIndex + (key == VK_RIGHT ? rows : -rows))));
        break;
      }
      // The horizontal bar takes the arrows when there is one.
      if (TsfSkinScrollBar* h = m_owner->HScrollBar()) {
        h->SetPosition(h->Position() + (key == VK_RIGHT ? h->SmallChange() : -h->SmallChange()));
        key = 0;
      }
      return;
    default: return;
  }
  // Extended selection: the keys select the item they move to, or with
  // Shift the run from the anchor to it; with Ctrl they only move.
  if (m_multiSelect && m_extendedSelect && m_itemIndex >= 0 && m_itemIndex != before) {
    if (shift & ssShift) SelectRun(m_itemIndex, false);
    else if (!(shift & ssCtrl)) SelectOnly(m_itemIndex);
  }
  m_owner->UpdateScrollBars();
}

void TsfListBox::SelectOnly(int index) {
  m_selected = {index};
  m_anchor = index;
  update();
}

// The items from the anchor to `index` (the anchor stays), added to the
// selection or in place of it.
void TsfListBox::SelectRun(int index, bool add) {
  if (m_anchor < 0 || m_anchor >= Count()) m_anchor = m_itemIndex >= 0 ? m_itemIndex : index;
  if (!add) m_selected.clear();
  for (int i = std::min(m_anchor, index); i <= std::max(m_anchor, index); ++i) m_selected.insert(i);
  update();
}

void TsfListBox::SelectByPointer(int index, TShiftState shift) {
  if (!m_extendedSelect) {  // simple multiple selection: a click toggles
    SetSelected(index, !Selected(index));
    m_anchor = index;
  } else if (shift & ssShift) {
    SelectRun(index, shift & ssCtrl);
  } else if (shift & ssCtrl) {
    SetSelected(index, !Selected(index));
    m_anchor = index;
  } else {
    SelectOnly(index);
  }
}

int TsfListBox::SelCount() const { return m_multiSelect ? int(m_selected.size()) : -1; }

void TsfListBox::SetExtendedSelect(bool v) {
  m_extendedSelect = v;
  m_anchor = -1;
}

void TsfListBox::SetSorted(bool v) {
  if (v == m_sorted) return;
  m_sorted = v;
  if (!v) return;
  const QString current = m_itemIndex >= 0 ? m_items[m_itemIndex] : QString();
  const bool hadCurrent = m_itemIndex >= 0;
  SetItems(m_items);
  // The current item stays current in its new place.
  if (hadCurrent) SetItemIndex(int(m_items.indexOf(current)));
}

// The host's sorted list: case-insensitive order, equal items in the order
// they came.
void TsfListBox::SortItems(QStringList& items) {
  std::stable_sort(items.begin(), items.end(),
                   [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
}

void TsfListBox::KeyUp(WORD& key, TShiftState shift) { m_owner->ListKeyUp(key, shift); }

void TsfListBox::KeyPress(QChar& key) {
  QPointer<TsfListBox> self(this);
  m_owner->ListKeyPress(key);
  if (!self || key.isNull() || key.unicode() < 0x20) return;
  Search(key);
}

// The next item (from the current one on) that begins with the typed prefix.
void TsfListBox::Search(QChar c) {
  const qint64 now = Clock();
  // Without AutoComplete every key starts a new search by its character; a
  // character outside the basic plane comes as two halves, searched together.
  const bool secondHalf = c.isLowSurrogate() && m_prefix.size() == 1 && m_prefix[0].isHighSurrogate();
  if (now - m_lastKeyTime > kSearchPause || (!m_autoComplete && !secondHalf)) m_prefix.clear();
  m_lastKeyTime = now;
  m_prefix += c;
  const int n = Count();
  const int from = m_prefix.size() == 1 ? m_itemIndex + 1 : std::max(0, m_itemIndex);
  for (int k = 0; k < n; ++k) {
    const int i = (from + k) % n;
    if (m_items[i].startsWith(m_prefix, Qt::CaseInsensitive)) {
      SetItemIndex(i);
      m_owner->UpdateScrollBars();
      return;
    }
  }
}

bool TsfListBox::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  return m_owner->ListWheel(wheelDelta);
}

void TsfListBox::FocusChanged(bool focused) {
  if (focused) m_owner->ListEnter();
  else m_owner->ListExit();
  update();
}

bool TsfListBox::event(QEvent* e) {
  if (e->type() == QEvent::Show && !m_windowCreated) {
    m_windowCreated = true;
    m_owner->ListWindowCreated();
  }
  return TCustomControl::event(e);
}

void TsfListBox::Resize() {
  ClampTop();
  TCustomControl::Resize();
}

// ---- outer control -----------------------------------------------------------

TsfSkinCustomListBox::TsfSkinCustomListBox(QWidget* parent) : TsfSkinCustomControl(parent) {
  ForceBackground = true;
  DrawBackground = false;
  SetSkinDataName(QStringLiteral("listbox"));
  TFont f(*Font());
  f.SetName(QStringLiteral("Arial"));
  f.SetHeight(14);
  f.SetColor(clWindowText);
  Font()->Assign(f);
  m_captionFont.SetName(QStringLiteral("Arial"));
  m_captionFont.SetHeight(14);
  m_captionFont.OnChange = [this](TFont*) {
    if (m_captionMode && m_index == -1) Invalidate();
  };
  m_timer = new TTimer(this);
  m_timer->SetEnabled(false);
  m_timer->OnTimer = [this](TObject*) { CaptionTick(); };
  m_list = new TsfListBox(this);
  m_list->SetItemHeight(m_defaultItemHeight);
  SetBounds(0, 0, 120, 120);
  Layout();
}

TsfSkinCustomListBox::~TsfSkinCustomListBox() {
  m_captionFont.OnChange = nullptr;
  m_timer->OnTimer = nullptr;
  // The inner list calls this control's hooks (a focus change while the
  // window closes, for one): it goes while this control is still whole.
  // An image list among this control's children goes after it: it must not
  // call back into the list.
  if (m_images) disconnect(m_images.data(), nullptr, this, nullptr);
  delete m_list;
}

TsfDataSkinListBox* TsfSkinCustomListBox::ListRecord() const {
  return dynamic_cast<TsfDataSkinListBox*>(SkinRecord());
}

void TsfSkinCustomListBox::SetItems(const QStringList& items) {
  m_list->SetItems(items);
  UpdateScrollBars();
}

void TsfSkinCustomListBox::AddItem(const QString& text) {
  QStringList items = m_list->Items();
  items << text;
  SetItems(items);
}

void TsfSkinCustomListBox::SetUseSkinItemHeight(bool v) {
  m_useSkinItemHeight = v;
  ApplyItemHeight();
  UpdateScrollBars();
}

void TsfSkinCustomListBox::SetDefaultItemHeight(int v) {
  m_defaultItemHeight = v;
  ApplyItemHeight();
  UpdateScrollBars();
}

// The record's item height, or the default one without a record, without
// UseSkinItemHeight, or when the record's item picture has no height.
void TsfSkinCustomListBox::ApplyItemHeight() {
  ReadSkinRecord();
  const TsfDataSkinListBox* rec = ListRecord();
  int h = m_defaultItemHeight;
  if (rec && m_useSkinItemHeight && rec->itemrect.Height() > 0) h = rec->itemrect.Height();
  m_list->SetItemHeight(h > 0 ? h : 20);
}

void TsfSkinCustomListBox::SetRowCount(int v) {
  m_rowCount = v;
  if (v > 0) {
    ReadSkinRecord();
    int h;
    if (!ListRecord()) {
      h = v * ItemHeight() + 4 + (m_captionMode ? m_defaultCaptionHeight : 0);
    } else {
      const TsfSkinGeometry& g = Geometry();
      h = g.SkinHeight() - g.ClientRect.Height() + v * ItemHeight();
    }
    if (m_hbar) h += m_hbar->Height();
    SetHeight(h);
  }
  UpdateScrollBars();
}

void TsfSkinCustomListBox::SetHorizontalExtent(bool v) {
  m_horizontalExtent = v;
  UpdateScrollBars();
}

void TsfSkinCustomListBox::SetCaptionMode(bool v) {
  m_captionMode = v;
  Layout();
  Invalidate();
}

void TsfSkinCustomListBox::SetDefaultCaptionHeight(int v) {
  m_defaultCaptionHeight = v;
  Layout();
  Invalidate();
}

void TsfSkinCustomListBox::ApplySkinChange() {
  m_skinChanging = true;
  TsfSkinCustomControl::ApplySkinChange();
  if (m_index == -1) Font()->Assign(*DefaultFont());
  ApplyItemHeight();
  NameBars();
  if (m_rowCount > 0) SetRowCount(m_rowCount);
  Layout();
  m_skinChanging = false;
  UpdateScrollBars();
  m_list->update();
}

void TsfSkinCustomListBox::DefaultFontChanged() {
  ReadSkinRecord();
  if (m_index != -1) return;
  Font()->Assign(*DefaultFont());
  m_list->update();
}

void TsfSkinCustomListBox::NameBars() {
  const TsfDataSkinListBox* rec = ListRecord();
  if (m_vbar) {
    const QString name = m_list->Columns() > 0 ? (rec ? rec->hscrollbarname : QString())
                                                : (rec ? rec->vscrollbarname : QString());
    m_vbar->SetSkinDataName(name);
    m_vbar->SetSkinData(rec ? SkinData() : nullptr);
  }
  if (m_hbar) {
    const bool both = m_vbar != nullptr;
    if (rec) {
      m_hbar->SetBoth(false);
      m_hbar->SetSkinDataName(both ? rec->bothhscrollbarname : rec->hscrollbarname);
      m_hbar->SetSkinData(SkinData());
    } else {
      m_hbar->SetSkinDataName(QString());
      m_hbar->SetSkinData(nullptr);
      m_hbar->SetBothMarkerWidth(19);
      m_hbar->SetBoth(both);
    }
  }
}

void TsfSkinCustomListBox::Resize() {
  Layout();
  UpdateScrollBars();
  TsfSkinCustomControl::Resize();
}

void TsfSkinCustomListBox::Layout() {
  ReadSkinRecord();
  const int W = Width(), H = Height();
  const TsfDataSkinListBox* rec = ListRecord();
  TRect area;
  if (rec) {
    const TsfSkinGeometry& g = Geometry();
    area = g.ClientRect;
    area.Right += W - g.SkinWidth();
    area.Bottom += H - g.SkinHeight();
  } else {
    const int k = m_captionMode ? m_defaultCaptionHeight : 1;
    area = TRect(2, k + 1, W - 2, H - 2);
  }
  // The horizontal bar takes its height from the list in both looks.
  int hh = 0;
  if (m_hbar) {
    if (rec) {
      hh = m_hbar->Height();
      m_hbar->SetBounds(area.Left, area.Bottom - hh, area.Width(), hh);
    } else {
      hh = 18;
      m_hbar->SetBounds(1, H - 20, W - 2, 19);
    }
  }
  if (m_vbar && m_list->Columns() > 0) {
    // Column mode: the bar is horizontal, below the list.
    if (rec) {
      const int h = m_vbar->Height();
      m_vbar->SetBounds(area.Left, area.Bottom - h, area.Width(), h);
      area.Bottom -= h;
    } else {
      m_vbar->SetBounds(1, H - 20, W - 2, 19);
      area.Bottom = H - 20;
    }
  } else if (m_vbar) {
    if (rec) {
      const int w = m_vbar->Width();
      m_vbar->SetBounds(area.Right - w, area.Top, w, area.Height() - hh);
      area.Right -= w;
    } else {
      const int k = m_captionMode ? m_defaultCaptionHeight : 1;
      m_vbar->SetBounds(W - 20, k, 19, H - k - hh - 1);
      area.Right = W - 20;
    }
  }
  area.Bottom -= hh;
  area.Right = std::max(area.Left, area.Right);
  area.Bottom = std::max(area.Top, area.Bottom);
  m_listArea = area;
  const int oldWidth = m_list->Width();
  m_list->SetBounds(area.Left, area.Top, area.Width(), area.Height());
  // A narrower list keeps its right end in view.
  if (m_list->HorizontalOffset() > 0 && oldWidth != area.Width())
    m_list->SetHorizontalOffset(std::max(0, m_list->HorizontalOffset() + oldWidth - area.Width()));
}

TsfSkinScrollBar* TsfSkinCustomListBox::CreateBar(TScrollBarKind kind) {
  auto* bar = new TsfSkinScrollBar(this);
  bar->SetKind(kind);
  bar->SetRangeAndPosition(0, 0, 0, 0);
  if (kind == sbVertical || m_list->Columns() > 0) {
    const unsigned msg = kind == sbVertical ? WM_VSCROLL : WM_HSCROLL;
    bar->OnChange = [this, msg](TObject* s) {
      m_list->Perform(msg, MakeScrollWParam(SB_THUMBPOSITION, static_cast<TsfSkinScrollBar*>(s)->Position()));
    };
  } else {
    bar->OnChange = [this](TObject* s) { m_list->SetHorizontalOffset(static_cast<TsfSkinScrollBar*>(s)->Position()); };
  }
  bar->show();
  return bar;
}

void TsfSkinCustomListBox::RemoveBar(QPointer<TsfSkinScrollBar>& bar) {
  if (!bar) return;
  const bool horizontal = bar == m_hbar;
  bar->hide();
  bar->OnChange = nullptr;
  bar->deleteLater();
  bar = nullptr;
  if (horizontal) m_list->SetHorizontalOffset(0);
  Layout();
}

TFont TsfSkinCustomListBox::ItemFont() const {
  if (const TsfDataSkinListBox* rec = ListRecord()) {
    TFont f = ControlFont(rec->fontname, rec->fontheight, rec->fontstyle);
    return f;
  }
  return *const_cast<TsfSkinCustomListBox*>(this)->Font();
}

int TsfSkinCustomListBox::ItemTextWidth(int index, TCanvas* canvas) {
  return canvas->TextWidth(m_list->Items()[index]);
}

int TsfSkinCustomListBox::WidestItem() {
  TBitmap probe(1, 1);
  TCanvas* c = probe.Canvas();
  c->Font = ItemFont();
  int widest = 0;
  for (int i = 0; i < m_list->Count(); ++i) widest = std::max(widest, ItemTextWidth(i, c));
  return widest;
}

void TsfSkinCustomListBox::UpdateScrollBars() {
  const TsfDataSkinListBox* rec = ListRecord();
  if (m_list->Columns() > 0) {
    UpdateColumnBar();
    return;
  }
  // Horizontal: the widest item against the width available to the text.
  if (!m_horizontalExtent || m_skinChanging) {
    RemoveBar(m_hbar);
  } else {
    const int widest = WidestItem();
    int available = rec ? m_list->Width() + (rec->itemtextrect.Width() - rec->itemrect.Width())
                        : m_list->Width() - 4;
    if (m_images) available -= m_images->Width() + 4;
    if (widest > available) {
      if (!m_hbar) {
        m_hbar = CreateBar(sbHorizontal);
        NameBars();
        Layout();
      }
      TBitmap probe(1, 1);
      probe.Canvas()->Font = ItemFont();
      const int step = std::max(1, probe.Canvas()->TextWidth(QStringLiteral("0")));
      m_hbar->SetRangeAndPosition(0, widest, available, m_hbar->Position());
      m_hbar->SetSmallChange(step);
      m_hbar->SetLargeChange(step);
    } else {
      RemoveBar(m_hbar);
    }
  }
  // Vertical: only while the rows cannot show every item.
  const TScrollInfo info = m_list->VScrollInfo();
  const int rows = m_list->Rows();
  if (!(m_rowCount > 0 && m_rowCount == m_list->Count()) && info.Min < info.Max && info.Max >= info.Pos &&
      rows < m_list->Count()) {
    if (!m_vbar) {
      m_vbar = CreateBar(sbVertical);
      NameBars();
      Layout();
    }
    m_vbar->SetRangeAndPosition(info.Min, info.Max, m_list->Rows(), m_list->TopIndex());
    m_vbar->SetLargeChange(std::max(1, m_list->Rows()));
    return;
  }
  if (m_vbar) {
    RemoveBar(m_vbar);
    NameBars();
  }
}

// Column mode: the bar (horizontal, in the vertical bar's place) exists
// while more columns hold items than show.
void TsfSkinCustomListBox::UpdateColumnBar() {
  RemoveBar(m_hbar);
  auto needed = [this] {
    const TScrollInfo info = m_list->HScrollInfo();
    return info.Min < info.Max && info.Max >= info.Pos && info.Max >= m_list->Columns() &&
           qint64(m_list->Rows()) * m_list->Columns() < m_list->Count();
  };
  if (!needed()) {
    RemoveBar(m_vbar);
    return;
  }
  if (!m_vbar) {
    m_vbar = CreateBar(sbHorizontal);
    NameBars();
    Layout();
  }
  // The bar took rows from the list: measure again.
  const TScrollInfo info = m_list->HScrollInfo();
  m_vbar->SetRangeAndPosition(info.Min, info.Max, m_list->Columns(), info.Pos);
  m_vbar->SetLargeChange(std::max(1, m_list->Columns()));
}

void TsfSkinCustomListBox::SetColumns(int v) {
  if (std::max(0, v) == m_list->Columns()) return;
  // The bar changes its kind with the mode.
  RemoveBar(m_vbar);
  m_list->SetColumns(v);
  UpdateScrollBars();
}

bool TsfSkinCustomListBox::ListWheel(int delta) {
  m_wheelRest += delta;
  const int notches = m_wheelRest / 120;
  m_wheelRest -= notches * 120;
  if (m_vbar) {
    const unsigned msg = m_list->Columns() > 0 ? WM_HSCROLL : WM_VSCROLL;
    for (int i = 0; i < std::abs(notches); ++i)
      m_list->Perform(msg, MakeScrollWParam(notches > 0 ? SB_LINEUP : SB_LINEDOWN));
    UpdateScrollBars();
  } else if (m_hbar) {
    m_hbar->SetPosition(m_hbar->Position() - notches * m_hbar->SmallChange());
  }
  return true;
}

// ---- drawing -----------------------------------------------------------------

void TsfSkinCustomListBox::DrawListBackground(TCanvas* canvas, const TRect& area) {
  if (ListRecord() && Geometry().Picture) {
    FillClientPiece(canvas, area);
    return;
  }
  canvas->Brush.Style = bsSolid;
  canvas->Brush.Color = clWindow;
  canvas->FillRect(area);
}

void TsfSkinCustomListBox::DrawListItem(TCanvas* c, int index, const TRect& r, TsfOwnerDrawState state) {
  const bool selected = state & odSelected, focused = state & odFocused;
  const TsfDataSkinListBox* rec = ListRecord();
  const TBitmap* pic = Geometry().Picture;
  TRect text = r.Inflate(-2, 0);
  TColor color;
  if (!rec || !pic) {
    c->Brush.Style = bsSolid;
    c->Brush.Color = selected ? clHighlight : clWindow;
    c->FillRect(r);
    color = selected ? clHighlightText : Font()->Color();
    if (focused) c->DrawFocusRect(r);
  } else {
    const TRect active = rec->activeitemrect.IsEmpty() ? rec->itemrect : rec->activeitemrect;
    const TRect focus = rec->focusitemrect.IsEmpty() ? rec->itemrect : rec->focusitemrect;
    const TRect source = focused && selected ? focus : selected ? active : rec->itemrect;
    TBitmap item;
    if (m_useSkinItemHeight) {
      ComposeHStrip(rec->itemleftoffset, rec->itemrightoffset, item, *pic, source, r.Width(),
                    source != rec->itemrect && Geometry().StretchEffect);
    } else {
      item.SetSize(r.Width(), r.Height());
      ComposeWholeBitmap(item, *pic, source, rec->itemtextrect.Inflate(-1, -1), true);
    }
    c->Draw(r.Left, r.Top, &item);
    if (focused && (!selected || (!m_useSkinItemHeight && rec->showfocus))) DrawDottedFrame(c, r);
    color = focused && selected ? rec->focusfontcolor : selected ? rec->activefontcolor : rec->fontcolor;
    text = rec->itemtextrect.Offset(r.Left, r.Top);
    text.Right += r.Width() - rec->itemrect.Width();
    if (!m_useSkinItemHeight) text.Bottom += r.Height() - rec->itemrect.Height();
  }
  if (OnDrawItem) {
    OnDrawItem(c, index, r.Width(), r.Height(), text, state);
    return;
  }
  if (m_images) {
    const int image = m_imageIndex >= 0 ? m_imageIndex : index;
    if (image < m_images->Count())
      m_images->Draw(c, text.Left - m_list->HorizontalOffset(),
                     text.Top + (text.Height() - m_images->Height()) / 2, image);
  }
  c->Font = ItemFont();
  c->Font.SetColor(color);
  c->Brush.Style = bsClear;
  DrawItemText(c, m_list->Items()[index], text);
}

int TsfSkinCustomListBox::ImageIndent() const { return m_images ? m_images->Width() + 2 : 0; }

void TsfSkinCustomListBox::SetImages(TCustomImageList* images) {
  if (images == m_images) return;
  if (m_images) disconnect(m_images, nullptr, this, nullptr);
  m_images = images;
  // The list is drawn again without the images once they are gone.
  if (images) connect(images, &QObject::destroyed, this, [this] { m_list->update(); });
  m_list->update();
  UpdateScrollBars();
}

void TsfSkinCustomListBox::SetImageIndex(int v) {
  m_imageIndex = v;
  m_list->update();
}

// The item's text, shifted left by the horizontal bar's position; with tab
// widths, each tab moves the rest of the text to the next stop.
void TsfSkinCustomListBox::DrawItemText(TCanvas* c, const QString& text, const TRect& rect) {
  const int shift = -m_list->HorizontalOffset();
  if (m_tabWidths.isEmpty() || m_list->Columns() > 0 || !text.contains(u'\t')) {
    DrawTextVCentredIndent(c, text, rect, ImageIndent() + shift);
    return;
  }
  const std::vector<int> stops = ListTabStops(m_tabWidths);
  const int defaultStep = 8 * std::max(1, c->TextWidth(QStringLiteral("x")));
  const int left = rect.Left + ImageIndent() + 2 + shift;
  const int y = rect.Top + rect.Height() / 2 - TextHeightWide(c, text) / 2;
  int x = 0;
  const QStringList parts = text.split(u'\t');
  for (int i = 0; i < parts.size(); ++i) {
    if (i > 0) x = NextTabStop(x, stops, defaultStep);
    if (!parts[i].isEmpty()) c->TextRect(rect, left + x, y, parts[i]);
    x += c->TextWidth(parts[i]);
  }
}

void TsfSkinCustomListBox::SetTabWidths(const QStringList& v) {
  m_tabWidths = v;
  if (!v.isEmpty()) m_list->update();
}

int TsfSkinCustomListBox::GlyphRunWidth() const {
  if (m_glyph.Empty()) return 0;
  return m_glyph.Width() / m_numGlyphs + m_spacing;
}

// The glyph at x, centred in the band; the second frame while disabled.
void TsfSkinCustomListBox::DrawCaptionGlyph(TCanvas* c, int x, const TRect& band) {
  if (m_glyph.Empty()) return;
  const int frame = !isEnabled() && m_numGlyphs == 2 ? 2 : 1;
  DrawStripGlyph(c, x, band.Top + (band.Height() - m_glyph.Height()) / 2, frame, m_numGlyphs, m_glyph);
}

TRect TsfSkinCustomListBox::CaptionButtonRect(int button) const {
  if (!m_captionMode || !m_showCaptionButtons) return TRect();
  const int W = Width();
  if (const TsfDataSkinListBox* rec = ListRecord()) {
    const TRect& b = button == 0 ? rec->upbuttonrect : button == 1 ? rec->downbuttonrect : rec->checkbuttonrect;
    return MapSkinRect(b);
  }
  const int a = std::min(m_defaultCaptionHeight - 3, 17);
  const TRect up(W - a - 2, 2, W - 2, a + 1);
  return up.Offset(-button * a, 0);
}

void TsfSkinCustomListBox::PaintDefaultImage(TBitmap& picture) {
  TCanvas* c = picture.Canvas();
  const int W = Width(), H = Height();
  c->Brush.Style = bsSolid;
  c->Brush.Color = clBtnShadow;
  c->FillRect(TRect(0, 0, W, H));
  c->Brush.Color = clBtnFace;
  c->FillRect(TRect(1, 1, W - 1, H - 1));
  if (!m_captionMode) return;
  const int a = std::min(m_defaultCaptionHeight - 3, 17);
  const TRect textRect(3, 2, m_showCaptionButtons ? W - 3 * a - 3 : W - 2, m_defaultCaptionHeight - 2);
  c->Font = m_captionFont;
  c->Brush.Style = bsClear;
  const QString caption = Caption();
  const int glyph = GlyphRunWidth();
  const int tw = c->TextWidth(caption) + glyph;
  const int x = m_alignment == taLeftJustify    ? textRect.Left
                : m_alignment == taRightJustify ? textRect.Right - tw
                                                : textRect.Left + (textRect.Width() - tw) / 2;
  DrawCaptionGlyph(c, x, textRect);
  c->TextRect(textRect, x + glyph, (m_defaultCaptionHeight - 2) / 2 - c->TextHeight(caption) / 2, caption);
  c->Pen.Color = clBtnShadow;
  c->MoveTo(1, m_defaultCaptionHeight - 1);
  c->LineTo(W - 1, m_defaultCaptionHeight - 1);
  if (!m_showCaptionButtons) return;
  for (int b = 0; b < 3; ++b) {
    const TRect r = CaptionButtonRect(b);
    const bool hot = m_hotButton == b, pressed = hot && m_capturedButton == b;
    c->Brush.Style = bsSolid;
    c->Brush.Color = pressed || hot ? clNavy : clBtnFace;
    c->FillRect(r);
    c->Brush.Color = pressed ? kPressedFill : hot ? kHotFill : clBtnFace;
    c->FillRect(r.Inflate(-1, -1));
    if (b == 2) DrawCheckGlyph(c, r.Left + 4, r.Top + 4, clBlack);
    else DrawArrowGlyph(c, r, clBlack, b == 0 ? 3 : 4);
  }
}

void TsfSkinCustomListBox::PaintSkinImage(TBitmap& picture) {
  TsfSkinCustomControl::PaintSkinImage(picture);
  const TsfDataSkinListBox* rec = ListRecord();
  const TBitmap* pic = Geometry().Picture;
  if (!rec || !pic) return;
  if (!m_showCaptionButtons && !rec->upbuttonrect.IsEmpty()) CoverCaptionButtons(picture, *rec);
  if (!m_captionMode) return;
  TCanvas* c = picture.Canvas();
  TRect caption = MapSkinRect(rec->captionrect);
  c->Font = ControlFont(rec->captionfontname, rec->captionfontheight, rec->captionfontstyle);
  c->Font.SetColor(rec->captionfontcolor);
  c->Brush.Style = bsClear;
  const QString text = Caption();
  const int glyph = GlyphRunWidth();
  const int tw = TextWidthWide(c, text) + glyph;
  const int x = m_alignment == taLeftJustify    ? caption.Left + 2
                : m_alignment == taRightJustify ? caption.Right - tw - 2
                                                : caption.Left + 2 + (caption.Width() - 2 - tw) / 2;
  DrawCaptionGlyph(c, x, caption);
  c->TextRect(caption, x + glyph, caption.Top + caption.Height() / 2 - TextHeightWide(c, text) / 2, text);
  if (!m_showCaptionButtons) return;
  const struct {
    TRect normal, active, pressed;
  } pictures[] = {{rec->upbuttonrect, rec->activeupbuttonrect, rec->downupbuttonrect},
                  {rec->downbuttonrect, rec->activedownbuttonrect, rec->downdownbuttonrect},
                  {rec->checkbuttonrect, rec->activecheckbuttonrect, rec->downcheckbuttonrect}};
  for (int b = 0; b < 3; ++b) {
    const bool hot = m_hotButton == b, pressed = hot && m_capturedButton == b;
    const TRect active = pictures[b].active;
    const TRect source = pressed ? (pictures[b].pressed.IsEmpty() ? active : pictures[b].pressed) : hot ? active : TRect();
    if (!source.IsEmpty()) {
      TBitmap piece(source.Width(), source.Height());
      piece.Canvas()->CopyRect(TRect(0, 0, source.Width(), source.Height()), const_cast<TBitmap*>(pic)->Canvas(), source);
      c->Draw(CaptionButtonRect(b).Left, CaptionButtonRect(b).Top, &piece);
    }
  }
}

// Without caption buttons the skin picture's buttons are covered: by the
// record's picture of the band without them, or by the band's repeatable
// middle stretched up to the buttons' right end.
void TsfSkinCustomListBox::CoverCaptionButtons(TBitmap& picture, const TsfDataSkinListBox& rec) {
  const TBitmap* pic = Geometry().Picture;
  const int dx = Width() - Geometry().SkinWidth();
  TBitmap piece;
  TRect dest;
  if (!rec.disabledbuttonsrect.IsEmpty()) {
    const TRect& src = rec.disabledbuttonsrect;
    piece.SetSize(src.Width(), src.Height());
    piece.Canvas()->CopyRect(TRect(0, 0, src.Width(), src.Height()), const_cast<TBitmap*>(pic)->Canvas(), src);
    dest = rec.buttonsarea.Offset(dx, 0);
    dest.Right = dest.Left + src.Width();
    dest.Bottom = dest.Top + src.Height();
  } else {
    const TRect middle(Geometry().NewLTPoint.X, 0, Geometry().NewRTPoint.X, m_listArea.Top);
    if (middle.IsEmpty()) return;
    piece.SetSize(middle.Width(), middle.Height());
    piece.Canvas()->CopyRect(TRect(0, 0, middle.Width(), middle.Height()), picture.Canvas(), middle);
    int right = middle.Right;
    for (const TRect& b : {rec.upbuttonrect, rec.downbuttonrect, rec.checkbuttonrect})
      if (!b.IsEmpty()) right = std::max(right, MapSkinRect(b).Right);
    dest = TRect(middle.Left, 0, right, middle.Bottom);
  }
  picture.Canvas()->CopyRect(dest, piece.Canvas(), TRect(0, 0, piece.Width(), piece.Height()));
}

// ---- caption buttons ---------------------------------------------------------

int TsfSkinCustomListBox::CaptionButtonAt(TPoint p) const {
  for (int b = 0; b < 3; ++b)
    if (CaptionButtonRect(b).Contains(p)) return b;
  return -1;
}

void TsfSkinCustomListBox::CaptionStep(int button) {
  const int i = ItemIndex();
  if (button == 0) {
    if (i > 0) SetItemIndex(i - 1);
  } else if (i < m_list->Count() - 1) {  // the down button stops at the last item
    SetItemIndex(i + 1);
  }
  UpdateScrollBars();
}

void TsfSkinCustomListBox::CaptionTick() {
  if (m_firstTick) {  // the first delay only switches to the repeat interval
    m_firstTick = false;
    m_timer->SetInterval(100);
    return;
  }
  if (m_repeat == 1 && ItemIndex() >= 1) CaptionStep(0);
  else if (m_repeat == 2) CaptionStep(1);
}

void TsfSkinCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  const int b = button == mbLeft ? CaptionButtonAt(TPoint(x, y)) : -1;
  if (button == mbLeft && b < 0) {
    QPointer<TsfSkinCustomListBox> self(this);
    AutoDragOnPress(x, y);
    if (!self) return;
  }
  if (b >= 0) {
    m_capturedButton = b;
    m_hotButton = b;
    Invalidate();
    const TNotifyEvent& event = b == 0 ? OnUpButtonClick : b == 1 ? OnDownButtonClick : OnCheckButtonClick;
    if (b < 2 && !event) {
      m_repeat = b + 1;
      m_firstTick = true;
      m_timer->SetInterval(500);
      m_timer->SetEnabled(true);
    }
  }
  TsfSkinCustomControl::MouseDown(button, shift, x, y);
}

void TsfSkinCustomListBox::MouseMove(TShiftState shift, int x, int y) {
  const int b = CaptionButtonAt(TPoint(x, y));
  const int hot = m_capturedButton >= 0 && b != m_capturedButton ? -1 : b;
  if (hot != m_hotButton) {
    m_hotButton = hot;
    Invalidate();
    if (m_repeat) {
      if (hot == m_capturedButton) {
        m_firstTick = false;
        m_timer->SetInterval(50);
        m_timer->SetEnabled(true);
      } else {
        m_timer->SetEnabled(false);
      }
    }
  }
  TsfSkinCustomControl::MouseMove(shift, x, y);
}

void TsfSkinCustomListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfSkinCustomListBox> self(this);
  const int b = m_capturedButton;
  if (button == mbLeft && b >= 0) {
    m_capturedButton = -1;
    const TNotifyEvent event = b == 0 ? OnUpButtonClick : b == 1 ? OnDownButtonClick : OnCheckButtonClick;
    if (CaptionButtonAt(TPoint(x, y)) == b && event) {
      event(this);
    } else if (b == 2) {
      ListClick();
    } else {
      CaptionStep(b);
    }
    if (!self) return;
    m_repeat = 0;
    m_timer->SetEnabled(false);
    Invalidate();
  }
  if (button == mbRight && m_popupMenu) {
    const TPoint p = ClientToScreen(TPoint(x, y));
    ShowPopupMenu(m_popupMenu, p);
    if (!self) return;
  }
  TsfSkinCustomControl::MouseUp(button, shift, x, y);
}

// ---- drags, menus, tab order, background -------------------------------------

void TsfSkinCustomListBox::ListDragOver(QObject* source, int x, int y, TDragState state, bool& accept) {
  accept = false;
  if (!OnListBoxDragOver) return;
  accept = true;
  OnListBoxDragOver(this, source, x, y, state, accept);
}

// The menu is shown by the skinned window of its owner's form, else by the
// one of the window this control is in.
void TsfSkinCustomListBox::ShowPopupMenu(TsfSkinPopupMenu* menu, const TPoint& screen) {
  if (!menu) return;
  const bool borrow = !menu->HostForm && !menu->FindHost();
  if (borrow) menu->HostForm = window();
  QPointer<TsfSkinPopupMenu> guard(menu);
  menu->Popup(screen.X, screen.Y);
  if (borrow && guard) guard->HostForm = nullptr;
}

int TsfSkinCustomListBox::ListBoxTabOrder() const { return TabOrderOf(m_list); }

void TsfSkinCustomListBox::SetListBoxTabOrder(int v) { SetTabOrderOf(m_list, v); }

void TsfSkinCustomListBox::WndProc(TMessage& m) {
  if (m.Msg == WM_SKINCTRL_PAINTBACKGROUND) {
    PaintBackgroundInto(reinterpret_cast<TCanvas*>(m.WParam));
    m.Result = kPaintBackgroundAnswer;
    return;
  }
  TsfSkinCustomControl::WndProc(m);
}

// The control's own look (as its paint draws it) and the list's background
// in the list area, drawn through the asking canvas's painter.
void TsfSkinCustomListBox::PaintBackgroundInto(TCanvas* canvas) {
  QPainter* painter = canvas ? canvas->Painter() : nullptr;
  if (!painter || Width() <= 0 || Height() <= 0) return;
  painter->save();
  QPainter* own = Canvas()->Painter();  // set while this control paints
  Canvas()->AttachPainter(painter);
  Paint();
  DrawListBackground(Canvas(), m_listArea);
  if (own) Canvas()->AttachPainter(own);
  else Canvas()->Detach();
  painter->restore();
}

void TsfSkinCustomListBox::MouseLeave() {
  if (m_hotButton != -1 && m_capturedButton == -1) {
    m_hotButton = -1;
    Invalidate();
  }
  TsfSkinCustomControl::MouseLeave();
}
