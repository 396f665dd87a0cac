#include "skin/menus/skin_menu.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <climits>

#include "platform/image_list.h"
#include "skin/render/compose.h"
#include "skin/render/effect_bmp.h"
#include "skin/render/glyphs.h"
#include "skin/render/layer_window.h"
#include "skin/render/mask_region.h"
#include "skin/render/text_helpers.h"
#include "skin/render/window_helpers.h"

namespace {
constexpr int kScrollZone = 10;
constexpr int kPlainSeparatorHeight = 4;
constexpr int kMotionInterval = 20;

QString LineText(const TMenuItem* item) {
  QString text = StripAccessMarks(item->Caption);
  if (!item->ShortCutText.isEmpty()) text += QStringLiteral("  ") + item->ShortCutText;
  return text;
}

// A disabled line whose caption begins and ends with "-" is a header.
bool IsHeader(const TMenuItem* item) {
  const QString& c = item->Caption;
  return !item->Enabled && c.size() > 2 && c.startsWith(QLatin1Char('-')) &&
         c.endsWith(QLatin1Char('-'));
}

TsfStretchFlags PopupStretch(const TsfDataSkinPopupWindow& w) {
  TsfStretchFlags f;
  f.Left = w.leftstretch;
  f.Top = w.topstretch;
  f.Right = w.rightstretch;
  f.Bottom = w.bottomstretch;
  f.Effect = w.stretcheffect;
  f.Mode = TsfStretchMode(int(w.stretchtype));
  return f;
}

TsfFramePoints PopupPoints(const TsfDataSkinPopupWindow& w) {
  return TsfFramePoints{w.lefttoppoint, w.righttoppoint, w.leftbottompoint, w.rightbottompoint,
                        w.itemsrect};
}

// Draws `rect` of `picture` at (x, y), keyed on the colour of its bottom-left
// pixel; `mirrored`: turned left for right.
void DrawKeyed(TCanvas* c, int x, int y, const TBitmap& picture, const TRect& rect,
               bool mirrored = false) {
  const TRect r = rect.Intersect(TRect(0, 0, picture.Width(), picture.Height()));
  if (r.IsEmpty()) return;
  const QImage copy = picture.Image().copy(r.toQRect());
  const TBitmap piece(mirrored ? copy.mirrored(true, false) : copy);
  DrawStripGlyph(c, x, y, 1, 1, piece);
}

// The submenu mark without a picture: four vertical lines of 7, 5, 3 and 1
// pixels from x (pointing right), or of 1, 3, 5 and 7 (pointing left).
void DrawSubmenuTriangle(TCanvas* c, int x, int top, TColor colour, bool pointsLeft) {
  c->Pen.Color = colour;
  for (int i = 0; i < 4; ++i) {
    const int half = pointsLeft ? 3 - i : i;
    c->MoveTo(x + i, top + half);
    c->LineTo(x + i, top + 7 - half);
  }
}

// Symbols and check marks are drawn in a box this wide from their x.
constexpr int kSymbolWidth = 10;
}  // namespace

// Worked out in 64 bits, so anchors at the ends of the int range do not
// overflow; the result is kept inside the work area wherever it fits there
// (an anchor outside the work area, or a submenu with no room on either
// side, would otherwise leave the pop-up off screen).
TsfPopupPlace PlacePopup(const TRect& anchor, int width, int height, const TRect& work,
                         int itemsTop, bool up, bool submenu, bool fullHeightScroll,
                         bool rightToLeft) {
  using I = long long;
  const I aLeft = anchor.Left, aTop = anchor.Top, aRight = anchor.Right, aBottom = anchor.Bottom;
  const I wLeft = work.Left, wTop = work.Top, wRight = work.Right, wBottom = work.Bottom;
  const I w = width, h = height, top = itemsTop;
  bool forced = false;
  I x = 0, y = 0;
  const bool upperHalf = aTop < wTop + (wBottom - wTop) / 2;
  if (fullHeightScroll) {
    y = wTop;
  } else if (submenu) {
    if (aTop + h - top <= wBottom) y = aTop - top;
    else if (upperHalf) y = wBottom - h;
    else y = std::max(wTop, aBottom + top - h);
  } else if (up) {
    if (aTop - h >= wTop) {
      y = aTop - h;
    } else if (upperHalf) {
      if (aBottom + h <= wBottom) {
        y = aBottom;
      } else {
        y = wBottom - h;
        forced = true;
      }
    } else {
      y = wTop;
      forced = true;
    }
  } else {
    if (aBottom + h <= wBottom) {
      y = aBottom;
    } else if (upperHalf) {
      y = wBottom - h;
      forced = true;
    } else if (aTop - h >= wTop) {
      y = aTop - h;
    } else {
      y = wTop;
      forced = true;
    }
  }
  if (!submenu && !forced && !fullHeightScroll) {
    // Against the anchor's left edge, or its right edge read from the right.
    x = rightToLeft ? aRight - w : aLeft;
  } else if (rightToLeft) {
    x = aLeft - w - 1 >= wLeft ? aLeft - w - 1 : aRight + 1;
  } else {
    x = aRight + w + 1 <= wRight ? aRight + 1 : aLeft - w - 1;
  }
  // Inside the work area; a pop-up wider than it starts at its reading edge.
  if (x + w > wRight) x = wRight - w;
  if (x < wLeft) x = rightToLeft && w > wRight - wLeft ? wRight - w : wLeft;
  if (y + h > wBottom) y = wBottom - h;
  if (y < wTop) y = wTop;
  TsfPopupPlace p;
  p.X = int(std::clamp<I>(x, INT_MIN, INT_MAX));
  p.Y = int(std::clamp<I>(y, INT_MIN, INT_MAX));
  p.Forced = forced;
  return p;
}

TsfPopupHeight PopupHeight(const std::vector<int>& lineHeights, int itemHeight, int frameExtra,
                           int maxItems, int workHeight) {
  TsfPopupHeight r;
  if (maxItems > 0 && int(lineHeights.size()) > maxItems) {
    r.Height = itemHeight * maxItems + frameExtra + 2 * kScrollZone;
    r.NeedsScrolling = true;
    r.Limited = true;
  } else {
    for (int h : lineHeights) r.Height += h;
    r.Height += frameExtra;
  }
  if (workHeight > 0 && r.Height > workHeight) {
    r.Height = workHeight;
    r.NeedsScrolling = true;
    r.Limited = false;
  }
  return r;
}

bool TsfSkinMenuItem::HasChildren() const {
  if (!MenuItem) return false;
  for (int i = 0; i < MenuItem->Count(); ++i)
    if (MenuItem->Items(i)->Visible) return true;
  return false;
}

// ---------------------------------------------------------------------------

TsfSkinPopupWindow::TsfSkinPopupWindow(TsfSkinMenu* menu, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                         Qt::WindowDoesNotAcceptFocus),
      m_menu(menu),
      m_scrollTimer(new TTimer(this)),
      m_animTimer(new TTimer(this)),
      m_fadeTimer(new TTimer(this)) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_NoSystemBackground);
  setFocusPolicy(Qt::NoFocus);
  setMouseTracking(true);
  m_scrollTimer->SetEnabled(false);
  m_scrollTimer->SetInterval(100);
  m_scrollTimer->OnTimer = [this](TObject*) { ScrollStep(); };
  m_animTimer->SetEnabled(false);
  m_animTimer->SetInterval(kMotionInterval);
  m_animTimer->OnTimer = [this](TObject*) { MotionTick(); };
  m_fadeTimer->SetEnabled(false);
  m_fadeTimer->SetInterval(TsfPopupFade::Interval);
  m_fadeTimer->OnTimer = [this](TObject*) { FadeTick(); };
  m_fade.Target = m_fade.Current = 255;
}

TsfSkinPopupWindow::~TsfSkinPopupWindow() { HideShadow(); }

bool TsfSkinPopupWindow::Skinned() const {
  TsfSkinData* sd = m_menu->SkinData();
  return sd && !sd->IsEmpty && sd->Picture(sd->PopupWindowData.windowpictureindex);
}

TsfDataSkinMenuItem* TsfSkinPopupWindow::ItemRecord() const {
  TsfSkinData* sd = m_menu->SkinData();
  if (!sd || sd->IsEmpty) return nullptr;
  for (const auto& r : sd->ObjectRecords)
    if (auto* m = dynamic_cast<TsfDataSkinMenuItem*>(r.get())) return m;
  return nullptr;
}

void TsfSkinPopupWindow::ApplyItemFont(TCanvas* canvas) const {
  const TsfDataSkinMenuItem* r = ItemRecord();
  if (r && m_menu->UseSkinFont) {
    canvas->Font.SetName(r->fontname);
    canvas->Font.SetHeight(r->fontheight);
    canvas->Font.SetStyle(r->fontstyle);
  } else {
    canvas->Font.Assign(m_menu->PlainItemFont);
  }
  TsfSkinData* sd = m_menu->SkinData();
  if (sd && sd->ResourceStrData()) canvas->Font.SetCharset(sd->ResourceStrData()->CharSet);
}

int TsfSkinPopupWindow::LineHeight(const TsfSkinMenuItem& line) const {
  if (const TsfDataSkinMenuItem* r = ItemRecord())
    return std::max(1, line.IsLine() ? r->dividerrect.Height() : r->skinrect.Height());
  return line.IsLine() ? kPlainSeparatorHeight : std::max(1, m_menu->PlainItemHeight);
}

int TsfSkinPopupWindow::WidestBitmap() const {
  int widest = 0;
  for (const TsfSkinMenuItem& line : m_items)
    if (line.MenuItem && !line.MenuItem->Bitmap.Empty())
      widest = std::max(widest, line.MenuItem->Bitmap.Width());
  return widest;
}

// A line's own bitmap is as wide as it is: the glyph column grows to hold
// it, so a wide picture never covers the caption.
int TsfSkinPopupWindow::GlyphColumn() const {
  const int widest = WidestBitmap();
  const int base = m_menu->Images() ? m_menu->Images()->Width() + 5 : 19;
  return widest > 0 ? std::max(base, widest + 5) : base;
}

int TsfSkinPopupWindow::PlainColumn() const {
  const int widest = WidestBitmap();
  const int base = m_menu->Images() ? m_menu->Images()->Width() + 2 : 19;
  return widest > 0 ? std::max(base, widest + 2) : base;
}

QSize TsfSkinPopupWindow::GlyphSize(const TMenuItem* item) const {
  if (!item->Bitmap.Empty()) return QSize(item->Bitmap.Width(), item->Bitmap.Height());
  TCustomImageList* images = m_menu->Images();
  if (images && item->ImageIndex >= 0 && item->ImageIndex < images->Count())
    return QSize(images->Width(), images->Height());
  return QSize();
}

bool TsfSkinPopupWindow::RightToLeft() const { return m_menu && m_menu->RightToLeft(); }

TRect TsfSkinPopupWindow::Flip(const TRect& line, const TRect& r) const {
  if (!RightToLeft()) return r;
  return TRect(line.Left + line.Right - r.Right, r.Top, line.Left + line.Right - r.Left, r.Bottom);
}

int TsfSkinPopupWindow::FlipX(const TRect& line, int x, int width) const {
  return RightToLeft() ? line.Left + line.Right - x - width : x;
}

unsigned TsfSkinPopupWindow::TextFlags(unsigned align) const {
  const unsigned f = DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  if (!RightToLeft()) return f | align;
  return f | DT_RTLREADING | (align == DT_RIGHT ? DT_LEFT : DT_RIGHT);
}

TBitmap TsfSkinPopupWindow::FlipPicture(const TBitmap& b) const {
  if (!RightToLeft() || b.Empty()) return b;
  return TBitmap(b.Image().mirrored(true, false));
}

void TsfSkinPopupWindow::DrawGlyph(TCanvas* c, const TsfSkinMenuItem& line, int x, int y) const {
  const TMenuItem* item = line.MenuItem;
  // A picture taller than its line stays inside it.
  c->SetClipRect(line.ItemRect);
  if (!item->Bitmap.Empty()) {
    // Keyed and greyed as an image-list image is.
    TCustomImageList one(item->Bitmap.Width(), item->Bitmap.Height());
    one.Add(item->Bitmap, true);
    one.Draw(c, x, y, 0, item->Enabled);
  } else {
    m_menu->Images()->Draw(c, x, y, item->ImageIndex, item->Enabled);
  }
  c->ResetClip();
}

bool TsfSkinPopupWindow::Build(TMenuItem* item, int start, TMenuItem* second, int secondStart) {
  m_parentItem = item;
  m_items.clear();
  auto add = [this](TMenuItem* parent, int from) {
    if (!parent) return;
    for (int i = std::max(0, from); i < parent->Count(); ++i) {
      TMenuItem* child = parent->Items(i);
      if (!child->Visible) continue;
      // Separators are tidied: none first, none twice in a row.
      if (child->IsLine() && (m_items.empty() || m_items.back().IsLine())) continue;
      TsfSkinMenuItem line;
      line.MenuItem = child;
      m_items.push_back(line);
    }
  };
  add(item, start);
  if (second) add(second, secondStart);
  while (!m_items.empty() && m_items.back().IsLine()) m_items.pop_back();  // none last
  return !m_items.empty();
}

void TsfSkinPopupWindow::ShowAt(const TRect& anchor, bool up, bool submenu, bool merged) {
  TBitmap measure(1, 1);
  TCanvas* mc = measure.Canvas();
  ApplyItemFont(mc);
  int textWidth = 0;
  std::vector<int> heights;
  int itemHeight = 0;
  for (const TsfSkinMenuItem& line : m_items) {
    heights.push_back(LineHeight(line));
    if (!line.IsLine()) {
      itemHeight = std::max(itemHeight, heights.back());
      textWidth = std::max(textWidth, TextWidthWide(mc, LineText(line.MenuItem)));
    }
  }
  if (itemHeight == 0) itemHeight = LineHeight(TsfSkinMenuItem());
  const int content = textWidth + 2 + GlyphColumn() + 19;

  TsfSkinData* sd = m_menu->SkinData();
  const TBitmap* frame = Skinned() ? sd->Picture(sd->PopupWindowData.windowpictureindex) : nullptr;
  const TsfDataSkinMenuItem* r = ItemRecord();
  int width, extraH;
  if (frame) {
    const TRect& ir = sd->PopupWindowData.itemsrect;
    width = content + frame->Width() - ir.Width();
    extraH = frame->Height() - ir.Height();
  } else {
    width = content + 10 - (r ? 6 : 0);
    extraH = merged ? 6 : 4;
  }
  if (r) width += r->textrect.Left + (r->skinrect.Width() - r->textrect.Right);
  const TRect work = m_menu->WorkArea();
  TsfPopupHeight ph =
      PopupHeight(heights, itemHeight, extraH, m_menu->MaxMenuItemsInWindow, work.Height());
  if (merged && ph.Limited) {
    ph.Height = itemHeight * m_menu->MaxMenuItemsInWindow + 26;
  }
  m_needsScrolling = ph.NeedsScrolling;
  const int height = ph.Height;

  if (frame) {
    const TsfFramePoints skin = PopupPoints(sd->PopupWindowData);
    const TsfFramePoints laid = ScaleFramePoints(skin, frame->Width(), frame->Height(), width, height);
    // Read from the right, the frame is the mirror image of the picture's,
    // and so are the lines' place and the window's shape.
    m_itemsRect = RightToLeft() ? TRect(width - laid.C.Right, laid.C.Top, width - laid.C.Left, laid.C.Bottom)
                                : laid.C;
    clearMask();
    if (const TBitmap* mask = sd->Picture(sd->PopupWindowData.maskpictureindex))
      if (auto region = BuildFrameRegion(skin, laid, width, height, *mask))
        setMask(RightToLeft() ? QTransform(-1, 0, 0, 1, width, 0).map(region->ToQRegion()) : region->ToQRegion());
  } else {
    m_itemsRect = TRect(2, 2, width - 2, height - 2);
  }
  m_firstVisible = 0;
  LayoutLines();

  const bool fullHeight = m_needsScrolling && !ph.Limited;
  const TsfPopupPlace place =
      PlacePopup(anchor, width, height, work, m_itemsRect.Top, up, submenu, fullHeight,
                 RightToLeft());
  setGeometry(place.X, place.Y, width, height);
  // Translucent pop-ups where the display has translucent windows; the first
  // pop-up of a menu fades in on its own timer (the caller does not wait).
  if (m_menu->AlphaBlend && LayeredWindowsAvailable()) {
    const int value = std::clamp(m_menu->AlphaBlendValue, 0, 255);
    if (m_menu->AlphaBlendAnimation && m_menu->IsFirstPopup() && m_menu->IndexOf(this) == 0)
      m_fade.Start(value);
    else
      m_fade.Target = m_fade.Current = value;
    SetWindowOpacity(this, m_fade.Current);
  }
  ShowShadow();
  show();
  raise();
  if (m_fade.Current < m_fade.Target) m_fadeTimer->SetEnabled(true);
  for (int i = 0; i < int(m_items.size()); ++i)
    if (m_items[size_t(i)].Selectable()) {
      m_items[size_t(i)].KeySelected = true;
      SelectLine(i, true);
      break;
    }
}

void TsfSkinPopupWindow::LayoutLines() {
  const int zone = m_needsScrolling ? kScrollZone : 0;
  int y = m_itemsRect.Top + zone;
  const int limit = m_itemsRect.Bottom - zone;
  bool full = false;
  for (int i = 0; i < int(m_items.size()); ++i) {
    TsfSkinMenuItem& line = m_items[size_t(i)];
    const int h = LineHeight(line);
    if (i < m_firstVisible || full || (m_needsScrolling && y + h > limit)) {
      line.Visible = false;
      if (i >= m_firstVisible) full = true;
      line.ItemRect = TRect();
      continue;
    }
    line.Visible = true;
    line.ItemRect = TRect(m_itemsRect.Left, y, m_itemsRect.Right, y + h);
    y += h;
  }
  update();
}

int TsfSkinPopupWindow::LineAt(const TPoint& p) const {
  for (int i = 0; i < int(m_items.size()); ++i)
    if (m_items[size_t(i)].Visible && m_items[size_t(i)].ItemRect.Contains(p)) return i;
  return -1;
}

void TsfSkinPopupWindow::SelectLine(int index, bool fromKeyboard) {
  if (index < 0 || index >= int(m_items.size())) return;
  for (int i = 0; i < int(m_items.size()); ++i) {
    TsfSkinMenuItem& line = m_items[size_t(i)];
    line.Active = i == index;
    if (i != index) line.SubmenuOpen = false;
  }
  m_active = index;
  m_items[size_t(index)].KeySelected = fromKeyboard;
  StartMotion();
  update();
  if (m_menu) m_menu->ItemAction(this, index, fromKeyboard, false);
}

void TsfSkinPopupWindow::DeselectLine(int index) {
  if (index < 0 || index >= int(m_items.size())) return;
  m_items[size_t(index)].Active = false;
  if (m_active == index) m_active = -1;
  if (m_menu && m_menu->m_waitPopup == this && m_menu->m_waitIndex == index) {
    m_menu->m_waitTimer->SetEnabled(false);
    m_menu->m_waitPopup = nullptr;
    m_menu->m_waitIndex = -1;
  }
  StartMotion();
  update();
}

void TsfSkinPopupWindow::ClickLine(int index) {
  if (index < 0 || index >= int(m_items.size())) return;
  const TsfSkinMenuItem& line = m_items[size_t(index)];
  if (!line.Enabled() || line.IsLine() || line.SubmenuOpen || !m_menu) return;
  m_menu->ItemAction(this, index, false, true);
}

void TsfSkinPopupWindow::ClearSubmenuMarks() {
  for (TsfSkinMenuItem& line : m_items) line.SubmenuOpen = false;
  StartMotion();
  update();
}

void TsfSkinPopupWindow::ScrollToShow(int index) {
  if (!m_needsScrolling) return;
  if (index < m_firstVisible) {
    m_firstVisible = index;
  } else {
    while (index > m_firstVisible && !m_items[size_t(index)].Visible) {
      ++m_firstVisible;
      LayoutLines();
    }
  }
  LayoutLines();
}

int TsfSkinPopupWindow::LastPageStart() const {
  const int room = m_itemsRect.Height() - 2 * kScrollZone;
  int used = 0, start = int(m_items.size());
  while (start > 0) {
    const int h = LineHeight(m_items[size_t(start - 1)]);
    if (used + h > room) break;
    used += h;
    --start;
  }
  return std::min(start, std::max(0, int(m_items.size()) - 1));
}

void TsfSkinPopupWindow::MoveKeySelection(int step) {
  const int n = int(m_items.size());
  if (n == 0) return;
  int from;
  if (step > 0) from = (m_active < 0 || m_active == n - 1) ? 0 : m_active + 1;
  else from = (m_active < 0 || m_active == 0) ? n - 1 : m_active - 1;
  const bool wrapped = step > 0 ? from <= m_active || m_active < 0 : from >= m_active || m_active < 0;
  for (int i = from; i >= 0 && i < n; i += step) {
    if (!m_items[size_t(i)].Selectable()) continue;
    const int old = m_active;
    if (m_needsScrolling && wrapped && step < 0) {
      m_firstVisible = LastPageStart();
      LayoutLines();
    } else if (m_needsScrolling && wrapped && step > 0) {
      m_firstVisible = 0;
      LayoutLines();
    }
    ScrollToShow(i);
    if (old >= 0) DeselectLine(old);
    SelectLine(i, true);
    return;
  }
}

void TsfSkinPopupWindow::HandleKey(WORD key) {
  if (!isVisible() || !m_menu) return;
  // Read from the right, the menu opens its submenus to the left: Left goes
  // into a submenu and Right back out.
  if (RightToLeft() && (key == VK_LEFT || key == VK_RIGHT))
    key = key == VK_LEFT ? VK_RIGHT : VK_LEFT;
  QPointer<TsfSkinPopupWindow> self(this);
  // Access keys: the character after "&".
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
    for (int i = 0; i < int(m_items.size()); ++i) {
      const TsfSkinMenuItem& line = m_items[size_t(i)];
      if (!line.MenuItem) continue;
      const QChar ch = AccessKeyOf(line.MenuItem->Caption);
      if (ch.isNull() || ch.toUpper() != QChar(key)) continue;
      const int old = m_active;
      if (old >= 0 && old != i) DeselectLine(old);
      ScrollToShow(i);
      SelectLine(i, true);
      if (self) ClickLine(i);
      return;
    }
    return;
  }
  switch (key) {
    case VK_RETURN:
      ClickLine(m_active);
      break;
    case VK_ESCAPE:
    case VK_LEFT: {
      const int count = m_menu->PopupCount();
      if (count >= 2) {
        if (TsfSkinPopupWindow* parent = m_menu->PopupAt(count - 2)) parent->ClearSubmenuMarks();
        m_menu->CloseFrom(count - 1);
      } else if (key == VK_ESCAPE) {
        m_menu->CloseFrom(0);
      }
      break;
    }
    case VK_DOWN:
      MoveKeySelection(1);
      break;
    case VK_UP:
      MoveKeySelection(-1);
      break;
    case VK_RIGHT:
      if (m_active >= 0 && m_items[size_t(m_active)].HasChildren()) ClickLine(m_active);
      break;
    default:
      break;
  }
}

void TsfSkinPopupWindow::mouseMoveEvent(QMouseEvent* e) {
  if (!m_menu) return;
  const TPoint p = TPoint::fromQPoint(e->position().toPoint());
  if (m_needsScrolling) {
    const TRect top(m_itemsRect.Left, m_itemsRect.Top, m_itemsRect.Right, m_itemsRect.Top + kScrollZone);
    const TRect bottom(m_itemsRect.Left, m_itemsRect.Bottom - kScrollZone, m_itemsRect.Right,
                       m_itemsRect.Bottom);
    const bool moreBelow = !m_items.empty() && !m_items.back().Visible;
    int state = 0;
    if (top.Contains(p) && m_firstVisible > 0) state = 1;
    else if (bottom.Contains(p) && moreBelow) state = 2;
    if (state != m_scrollState) {
      m_scrollState = state;
      m_scrollTimer->SetEnabled(state != 0);
      if (state) m_menu->CloseFrom(m_menu->IndexOf(this) + 1);
      update();
    }
    if (state) return;
  }
  const int i = LineAt(p);
  if (i < 0 || i == m_active) return;
  if (m_active >= 0) DeselectLine(m_active);
  SelectLine(i, false);
}

void TsfSkinPopupWindow::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton || !m_menu) return;
  const int i = LineAt(TPoint::fromQPoint(e->position().toPoint()));
  if (i < 0 || m_items[size_t(i)].IsLine()) return;
  ClickLine(i);  // may close and schedule the deletion of this window
}

void TsfSkinPopupWindow::leaveEvent(QEvent*) {
  if (m_scrollState) {
    m_scrollState = 0;
    m_scrollTimer->SetEnabled(false);
    update();
  }
}

void TsfSkinPopupWindow::hideEvent(QHideEvent*) { HideShadow(); }

void TsfSkinPopupWindow::StopTimers() {
  m_scrollTimer->SetEnabled(false);
  m_animTimer->SetEnabled(false);
  m_fadeTimer->SetEnabled(false);
}

void TsfSkinPopupWindow::ShowShadow() {
  HideShadow();
  if (!LayeredWindowsAvailable()) return;
  m_shadow = ShowLayerWindow(TsfPopupShadow::Picture(mask(), width(), height()), x(), y(),
                             m_fade.Current, true);
}

void TsfSkinPopupWindow::HideShadow() { CloseLayerWindow(m_shadow); }

void TsfSkinPopupWindow::FadeTick() {
  if (!m_menu) {
    m_fadeTimer->SetEnabled(false);
    return;
  }
  const bool done = m_fade.Tick();
  SetWindowOpacity(this, m_fade.Current);
  if (m_shadow) m_shadow->SetOpacity(m_fade.Current);
  if (done) m_fadeTimer->SetEnabled(false);
}

// ---- line morph and animation -------------------------------------------------

bool TsfSkinPopupWindow::MorphInEffect() const {
  const TsfDataSkinMenuItem* r = ItemRecord();
  return r && r->morphing && m_menu->SkinData()->EnableSkinEffects;
}

int TsfSkinPopupWindow::AnimationFrames() const {
  const TsfDataSkinMenuItem* r = ItemRecord();
  if (!r || !m_menu->SkinData()->EnableSkinEffects || IsEmptyArea(r->animateskinrect)) return 0;
  // No slice narrower than a pixel: a hostile count would animate for hours
  // through empty slices.
  const TRect& a = r->animateskinrect;
  const int extent = a.Height() > r->skinrect.Height() ? a.Height() : a.Width();
  return std::clamp(r->framecount, 0, std::max(0, extent));
}

void TsfSkinPopupWindow::StartMotion() {
  if (!m_menu) return;
  const bool morph = MorphInEffect();
  const int frames = AnimationFrames();
  if (!morph && frames == 0) {
    // Nothing moves: every line shows its end state at once.
    m_animTimer->SetEnabled(false);
    for (TsfSkinMenuItem& line : m_items) line.Motion = TsfLineMotion{line.Lit() ? 1.0 : 0.0, 0};
    return;
  }
  bool moving = false;
  for (const TsfSkinMenuItem& line : m_items)
    if (!line.IsLine() && line.Motion.Moving(line.Lit(), frames)) moving = true;
  if (!moving || m_animTimer->Enabled()) return;
  const TsfDataSkinMenuItem* r = ItemRecord();
  m_animTimer->SetInterval(frames > 0 && r->animateinterval > 0 ? r->animateinterval
                                                                 : kMotionInterval);
  m_animTimer->SetEnabled(true);
}

void TsfSkinPopupWindow::MotionTick() {
  if (!m_menu) {
    m_animTimer->SetEnabled(false);
    return;
  }
  const bool morph = MorphInEffect();
  const int frames = AnimationFrames();
  bool moving = false;
  for (TsfSkinMenuItem& line : m_items) {
    if (line.IsLine()) continue;
    if (line.Motion.Tick(line.Lit(), morph, frames) && line.Visible) update(line.ItemRect.toQRect());
    moving = moving || line.Motion.Moving(line.Lit(), frames);
  }
  if (!moving) m_animTimer->SetEnabled(false);
}

void TsfSkinPopupWindow::ScrollStep() {
  if (!m_menu) return;
  if (m_scrollState == 1 && m_firstVisible > 0) {
    --m_firstVisible;
  } else if (m_scrollState == 2 && !m_items.empty() && !m_items.back().Visible) {
    ++m_firstVisible;
  } else {
    m_scrollState = 0;
    m_scrollTimer->SetEnabled(false);
  }
  LayoutLines();
}

// ---- painting ---------------------------------------------------------------

void TsfSkinPopupWindow::paintEvent(QPaintEvent*) {
  if (!m_menu) return;
  TBitmap buffer(width(), height());
  TCanvas* c = buffer.Canvas();
  PaintFrame(c);
  ApplyItemFont(c);
  for (const TsfSkinMenuItem& line : m_items)
    if (line.Visible && line.MenuItem) PaintLine(c, line);
  if (m_needsScrolling) PaintScrollZones(c);
  QPainter p(this);
  p.drawImage(0, 0, buffer.Image());
}

void TsfSkinPopupWindow::PaintFrame(TCanvas* c) {
  const int w = width(), h = height();
  if (Skinned()) {
    TsfSkinData* sd = m_menu->SkinData();
    const TBitmap* frame = sd->Picture(sd->PopupWindowData.windowpictureindex);
    const TsfFramePoints skin = PopupPoints(sd->PopupWindowData);
    const TsfFramePoints laid = ScaleFramePoints(skin, frame->Width(), frame->Height(), w, h);
    const TsfDataSkinMenuItem* r = ItemRecord();
    const bool transparentLines = r && r->inactivetransparent;
    TBitmap composed;
    ComposeFrameBitmap(composed, skin, laid, w, h, TRect(0, 0, frame->Width(), frame->Height()),
                       *frame, PopupStretch(sd->PopupWindowData),
                       m_needsScrolling || transparentLines);
    if (RightToLeft()) composed = TBitmap(composed.Image().mirrored(true, false));
    c->Draw(0, 0, &composed);
    if (transparentLines) m_frameBackground = composed;
    else m_frameBackground = TBitmap();
    return;
  }
  m_frameBackground = TBitmap();
  const int column = PlainColumn();
  c->Brush.Style = bsSolid;
  c->Brush.Color = clWindow;
  c->FillRect(TRect(0, 0, w, h));
  c->Brush.Color = clBtnFace;
  c->FillRect(RightToLeft() ? TRect(w - column - 2, 0, w, h) : TRect(0, 0, column + 2, h));
  c->Brush.Style = bsClear;
  c->Pen.Color = clBtnShadow;
  c->Rectangle(TRect(0, 0, w, h));
  c->Pen.Color = clWindow;
  c->Rectangle(TRect(1, 1, w - 1, h - 1));
  c->Brush.Style = bsSolid;
}

void TsfSkinPopupWindow::PaintSymbol(TCanvas* c, const TsfSkinMenuItem& line, int x, int y,
                                     TColor colour, const TRect& imageRect) {
  TMenuItem* item = line.MenuItem;
  const TsfDataSkinMenuItem* r = ItemRecord();
  if (r && r->useimagecolor) colour = line.Active ? r->activeimagecolor : r->imagecolor;
  if (!IsEmptyArea(imageRect)) {
    x = imageRect.Left + imageRect.Width() / 2 - 5;
    y = imageRect.Top + imageRect.Height() / 2 - 4;
  }
  const int ltrX = x;
  x = FlipX(line.ItemRect, x, kSymbolWidth);
  const QString name = item->Name();
  if (name == QLatin1String("SF_CLOSE") || name == QLatin1String("TRAY_SF_CLOSE"))
    DrawCloseSymbol(c, x, y, colour);
  else if (name == QLatin1String("SF_MINITEM")) DrawMinimizeSymbol(c, x, y, colour);
  else if (name == QLatin1String("SF_MAXITEM")) DrawMaximizeSymbol(c, x, y, colour);
  else if (name == QLatin1String("SF_RESTORE") || name == QLatin1String("TRAY_SF_RESTORE"))
    DrawRestoreSymbol(c, x, y, colour);
  else if (name == QLatin1String("SF_ROLLUP")) DrawUpTriangleSymbol(c, x, y, colour);
  else if (name == QLatin1String("SF_MINTOTRAY")) DrawSmallSquareSymbol(c, x, y, colour);
  else if (item->Checked) {
    TsfSkinData* sd = m_menu->SkinData();
    const TBitmap* pic = r && sd ? sd->Picture(r->activepictureindex) : nullptr;
    const TRect mark = !r ? TRect()
                       : item->RadioItem ? (line.Active ? r->activeradioimagerect : r->radioimagerect)
                                         : (line.Active ? r->activecheckimagerect : r->checkimagerect);
    if (pic && !IsEmptyArea(mark)) {
      const int mx =
          IsEmptyArea(imageRect) ? ltrX : imageRect.Left + (imageRect.Width() - mark.Width()) / 2;
      const int my = line.ItemRect.Top + (line.ItemRect.Height() - mark.Height()) / 2;
      DrawKeyed(c, FlipX(line.ItemRect, mx, mark.Width()), my, *pic, mark);
    } else if (item->RadioItem) {
      c->Brush.Color = colour;
      c->Pen.Color = colour;
      c->Ellipse(TRect(x + 2, y + 1, x + 8, y + 7));
    } else {
      DrawCheckGlyph(c, x, y, colour);
    }
  }
}

TBitmap TsfSkinPopupWindow::InactiveBackground(const TsfSkinMenuItem& line,
                                               const TsfDataSkinMenuItem& r,
                                               const TBitmap& pic) const {
  const TRect lr = line.ItemRect;
  if (r.inactivetransparent && !m_frameBackground.Empty())
    return TBitmap(m_frameBackground.Image().copy(lr.toQRect()));
  TBitmap out(lr.Width(), lr.Height());
  TBitmap strip;
  ComposeHStrip(r.itemleftoffset, r.itemrightoffset, strip, pic, r.skinrect, lr.Width(),
                r.inactivestretcheffect);
  out.Canvas()->Draw(0, 0, &strip);
  return FlipPicture(out);
}

TBitmap TsfSkinPopupWindow::LineBackground(const TsfSkinMenuItem& line,
                                           const TsfDataSkinMenuItem& r,
                                           const TBitmap& pic) const {
  const TRect lr = line.ItemRect;
  const int w = lr.Width(), h = lr.Height();
  auto strip = [&](const TRect& piece, bool stretch) {
    TBitmap out(w, h);
    TBitmap composed;
    ComposeHStrip(r.itemleftoffset, r.itemrightoffset, composed, pic, piece, w, stretch);
    out.Canvas()->Draw(0, 0, &composed);
    return FlipPicture(out);
  };
  const int frames = AnimationFrames();
  if (frames > 0 && line.Motion.Frame > 0) {
    const TRect slice =
        AnimationSlice(r.animateskinrect, r.skinrect.Height(), frames, std::min(line.Motion.Frame, frames));
    return strip(slice, r.inactivestretcheffect || r.stretcheffect);
  }
  if (!MorphInEffect()) return line.Active ? strip(r.activeskinrect, r.stretcheffect)
                                           : InactiveBackground(line, r, pic);
  const double k = line.Motion.K;
  if (k <= 0) return InactiveBackground(line, r, pic);
  const TBitmap active = strip(r.activeskinrect, r.stretcheffect);
  if (k >= 1) return active;
  TsfEffectBmp blended(InactiveBackground(line, r, pic));
  blended.Morph(int(r.morphkind), TsfEffectBmp(active), k);
  return blended.ToBitmap();
}

void TsfSkinPopupWindow::PaintLine(TCanvas* c, const TsfSkinMenuItem& line) {
  const TsfDataSkinMenuItem* r = ItemRecord();
  TsfSkinData* sd = m_menu->SkinData();
  const TBitmap* pic = r && sd ? sd->Picture(r->activepictureindex) : nullptr;
  if (!r || !pic) {
    PaintLinePlain(c, line);
    return;
  }
  const TRect lr = line.ItemRect;
  const int w = lr.Width();
  if (IsHeader(line.MenuItem) && PaintHeader(c, line)) return;
  TBitmap strip;
  if (line.IsLine()) {
    ComposeHStrip(r->dividerleftoffset, r->dividerrightoffset, strip, *pic, r->dividerrect, w,
                  r->dividerstretcheffect);
    strip = FlipPicture(strip);
    c->Draw(lr.Left, lr.Top, &strip);
    return;
  }
  TMenuItem* item = line.MenuItem;
  const TBitmap background = LineBackground(line, *r, *pic);
  c->Draw(lr.Left, lr.Top, &background);
  const TColor colour = !item->Enabled ? r->unenabledfontcolor
                        : line.Active  ? r->activefontcolor
                                       : r->fontcolor;
  TRect text = r->textrect.Offset(lr.Left, lr.Top);
  text.Right += w - r->skinrect.Width();
  TCustomImageList* images = m_menu->Images();
  const int widest = WidestBitmap();
  int glyphColumn = images ? images->Width() + 5 : 16;
  if (widest > 0) glyphColumn = std::max(glyphColumn, widest + 5);
  if (!IsEmptyArea(r->imagerect)) glyphColumn = 0;
  c->Font.SetColor(colour);
  c->Brush.Style = bsClear;
  TRect caption = Flip(lr, TRect(text.Left + glyphColumn, lr.Top, text.Right - 16, lr.Bottom));
  DrawTextWide(c, StripAccessMarks(item->Caption), caption, TextFlags(DT_LEFT));
  if (!item->ShortCutText.isEmpty()) {
    TRect sc = Flip(lr, TRect(text.Left, lr.Top, text.Right - 16, lr.Bottom));
    DrawTextWide(c, item->ShortCutText, sc, TextFlags(DT_RIGHT));
  }
  c->Brush.Style = bsSolid;
  const int centre = lr.Top + lr.Height() / 2;
  if (line.HasChildren()) {
    const TRect arrow = line.Active ? r->activearrowimagerect : r->arrowimagerect;
    if (!IsEmptyArea(arrow)) {
      const int ax = text.Right - (r->arrowimagerect.Width() + 5) +
                     (r->arrowimagerect.Width() + 5 - arrow.Width()) / 2;
      DrawKeyed(c, FlipX(lr, ax, arrow.Width()), centre - arrow.Height() / 2, *pic, arrow,
                RightToLeft());
    } else {
      DrawSubmenuTriangle(c, FlipX(lr, text.Right - 7, 4), centre - 4, colour, RightToLeft());
    }
  }
  const TRect imageRect = IsEmptyArea(r->imagerect) ? TRect() : r->imagerect.Offset(lr.Left, lr.Top);
  const QSize glyph = GlyphSize(item);
  if (!glyph.isEmpty()) {
    const bool inRect = !IsEmptyArea(imageRect);
    const int gx = inRect ? imageRect.Left + (imageRect.Width() - glyph.width()) / 2 : text.Left + 2;
    const int gy = inRect ? imageRect.Top + (imageRect.Height() - glyph.height()) / 2
                          : centre - glyph.height() / 2;
    PaintGlyph(c, line, gx, gy, colour);
  } else {
    PaintSymbol(c, line, text.Left + 2, centre - 4, colour, imageRect);
  }
}

// The glyph, framed in the line's font colour when the item is checked.
void TsfSkinPopupWindow::PaintGlyph(TCanvas* c, const TsfSkinMenuItem& line, int x, int y,
                                    TColor colour) const {
  const QSize glyph = GlyphSize(line.MenuItem);
  x = FlipX(line.ItemRect, x, glyph.width());
  DrawGlyph(c, line, x, y);
  if (!line.MenuItem->Checked) return;
  c->Brush.Color = colour;
  c->SetClipRect(line.ItemRect);
  c->FrameRect(TRect(x - 1, y - 1, x + glyph.width() + 1, y + glyph.height() + 1));
  c->ResetClip();
  c->Brush.Style = bsSolid;
}

// A header line of a skinned menu: the label record named "menuheader" (or
// "label") stretched over the line, the caption without its dashes in the
// record's client area widened with the line. False without such a record.
bool TsfSkinPopupWindow::PaintHeader(TCanvas* c, const TsfSkinMenuItem& line) {
  TsfSkinData* sd = m_menu ? m_menu->SkinData() : nullptr;
  if (!sd || sd->IsEmpty) return false;
  auto* r = sd->ControlRecord<TsfDataSkinLabelControl>(QStringLiteral("menuheader"));
  if (!r) r = sd->ControlRecord<TsfDataSkinLabelControl>(QStringLiteral("label"));
  const TBitmap* pic = r ? sd->Picture(r->pictureindex) : nullptr;
  if (!pic || IsEmptyArea(r->skinrect)) return false;
  const TRect lr = line.ItemRect;
  const int w = lr.Width();
  TBitmap strip;
  ComposeHStrip(r->lefttoppoint.X, r->skinrect.Width() - r->righttoppoint.X, strip, *pic,
                r->skinrect, w, r->stretcheffect);
  c->SetClipRect(lr);
  strip = FlipPicture(strip);
  if (!strip.Empty()) c->Draw(lr.Left, lr.Top, &strip);
  c->ResetClip();
  const QString& caption = line.MenuItem->Caption;
  TRect text = Flip(lr, TRect(lr.Left + r->clientrect.Left, lr.Top,
                              lr.Left + r->clientrect.Right + w - r->skinrect.Width(), lr.Bottom));
  c->Font.SetName(r->fontname);
  c->Font.SetHeight(r->fontheight);
  c->Font.SetStyle(r->fontstyle);
  c->Font.SetColor(r->fontcolor);
  c->Brush.Style = bsClear;
  DrawTextWide(c, caption.mid(1, caption.size() - 2), text, TextFlags(DT_LEFT));
  c->Brush.Style = bsSolid;
  ApplyItemFont(c);
  return true;
}

void TsfSkinPopupWindow::PaintLinePlain(TCanvas* c, const TsfSkinMenuItem& line) {
  const TRect lr = line.ItemRect;
  TMenuItem* item = line.MenuItem;
  const int column = PlainColumn();
  const int centre = lr.Top + lr.Height() / 2;
  c->Brush.Style = bsSolid;
  if (IsHeader(item)) {
    c->Brush.Color = clBtnShadow;
    c->FillRect(lr);
    c->Font.SetColor(clBtnHighlight);
    c->Brush.Style = bsClear;
    TRect t = Flip(lr, TRect(lr.Left + column + 2, lr.Top, lr.Right - 21, lr.Bottom));
    DrawTextWide(c, item->Caption.mid(1, item->Caption.size() - 2), t, TextFlags(DT_LEFT));
    c->Brush.Style = bsSolid;
    return;
  }
  if (line.Active && !line.IsLine()) {
    c->Brush.Color = RGB(182, 189, 210);
    c->FillRect(lr);
    c->Brush.Color = clNavy;
    c->FrameRect(lr);
  } else {
    c->Brush.Color = clBtnFace;
    c->FillRect(Flip(lr, TRect(lr.Left, lr.Top, lr.Left + column, lr.Bottom)));
    c->Brush.Color = clWindow;
    c->FillRect(Flip(lr, TRect(lr.Left + column, lr.Top, lr.Right, lr.Bottom)));
  }
  if (line.IsLine()) {
    c->Pen.Color = clBtnShadow;
    const TRect rule = Flip(lr, TRect(lr.Left + column, centre, lr.Right, centre + 1));
    c->MoveTo(rule.Left, centre);
    c->LineTo(rule.Right, centre);
    return;
  }
  const TColor colour = item->Enabled || line.Active ? clWindowText : clBtnShadow;
  c->Font.SetColor(item->Enabled ? clWindowText : clBtnShadow);
  c->Brush.Style = bsClear;
  const int right = lr.Left + lr.Width() - 21;
  TRect t = Flip(lr, TRect(lr.Left + column + 2, lr.Top, right, lr.Bottom));
  DrawTextWide(c, StripAccessMarks(item->Caption), t, TextFlags(DT_LEFT));
  if (!item->ShortCutText.isEmpty()) {
    TRect sc = Flip(lr, TRect(lr.Left + column + 2, lr.Top, right, lr.Bottom));
    DrawTextWide(c, item->ShortCutText, sc, TextFlags(DT_RIGHT));
  }
  c->Brush.Style = bsSolid;
  if (line.HasChildren())
    DrawSubmenuTriangle(c, FlipX(lr, lr.Left + lr.Width() - 9, 4), centre - 4, colour,
                        RightToLeft());
  const QSize glyph = GlyphSize(item);
  if (!glyph.isEmpty())
    PaintGlyph(c, line, lr.Left + 2, centre - glyph.height() / 2, colour);
  else
    PaintSymbol(c, line, lr.Left + 4, centre - 4, colour, TRect());
}

void TsfSkinPopupWindow::PaintScrollZones(TCanvas* c) {
  const TRect top(m_itemsRect.Left, m_itemsRect.Top, m_itemsRect.Right, m_itemsRect.Top + kScrollZone);
  const TRect bottom(m_itemsRect.Left, m_itemsRect.Bottom - kScrollZone, m_itemsRect.Right,
                     m_itemsRect.Bottom);
  TsfSkinData* sd = m_menu->SkinData();
  // The strip behind the arrows: the record named "menuitem" (or "MENUITEM").
  TsfDataSkinMenuItem* r = nullptr;
  if (sd && !sd->IsEmpty) {
    r = sd->ObjectRecord<TsfDataSkinMenuItem>(QStringLiteral("menuitem"));
    if (!r) r = sd->ObjectRecord<TsfDataSkinMenuItem>(QStringLiteral("MENUITEM"));
  }
  const TBitmap* pic = r ? sd->Picture(r->activepictureindex) : nullptr;
  // Between the last visible line and the bottom zone.
  int lastBottom = m_itemsRect.Top + kScrollZone;
  for (const TsfSkinMenuItem& line : m_items)
    if (line.Visible) lastBottom = line.ItemRect.Bottom;
  const TRect gap(m_itemsRect.Left, lastBottom, m_itemsRect.Right, bottom.Top);
  for (const TRect& zone : {top, bottom, gap}) {
    if (zone.IsEmpty()) continue;
    if (pic && !r->inactivetransparent) {
      TBitmap strip;
      ComposeHStrip(r->itemleftoffset, r->itemrightoffset, strip, *pic, r->skinrect,
                    zone.Width(), r->stretcheffect);
      c->SetClipRect(zone);
      c->Draw(zone.Left, zone.Top, &strip);
      c->ResetClip();
    } else if (!pic) {
      c->Brush.Color = clWindow;
      c->FillRect(zone);
    }
  }
  const bool skinned = Skinned();
  auto colour = [&](int state) {
    if (skinned)
      return m_scrollState == state ? sd->PopupWindowData.scrollmarkeractivecolor
                                    : sd->PopupWindowData.scrollmarkercolor;
    return m_scrollState == state ? clBtnText : clBtnShadow;
  };
  DrawArrowGlyph(c, top, colour(1), 3);
  DrawArrowGlyph(c, bottom, colour(2), 4);
}

// ---------------------------------------------------------------------------

TsfSkinMenu::TsfSkinMenu(QObject* owner) : TComponent(owner), m_waitTimer(new TTimer(this)) {
  PlainItemFont.SetName(QStringLiteral("Arial"));
  PlainItemFont.SetHeight(14);
  m_waitTimer->SetEnabled(false);
  m_waitTimer->SetInterval(500);
  m_waitTimer->OnTimer = [this](TObject*) { WaitFired(); };
}

TsfSkinMenu::~TsfSkinMenu() {
  // Deferred like every close: the menu may go from inside a pop-up's own
  // mouse handler (a command deleting the window that owns the menu).
  for (auto& p : m_popups)
    if (p) {
      p->m_menu = nullptr;
      p->StopTimers();
      p->hide();
      p->deleteLater();
    }
}

int TsfSkinMenu::IndexOf(const TsfSkinPopupWindow* p) const {
  for (int i = 0; i < int(m_popups.size()); ++i)
    if (m_popups[size_t(i)] == p) return i;
  return -1;
}

bool TsfSkinMenu::IsPopupWindow(const QWidget* w) const {
  for (const auto& p : m_popups)
    if (p && p.data() == w) return true;
  return false;
}

void TsfSkinMenu::Begin(TControl* control, TsfSkinData* skinData, TCustomImageList* images) {
  m_firstPopup = !m_showing;
  if (m_showing || !m_popups.empty()) CloseFrom(0);
  m_control = control;
  m_skinData = skinData;
  m_images = images;
  QWidget* reference = control ? control->window() : HostWindow.data();
  GetWorkArea(reference, true, m_workArea);
  // The popping control's reading direction, else the showing window's,
  // else the application's.
  if (control) m_rightToLeft = control->isRightToLeft();
  else if (HostWindow) m_rightToLeft = HostWindow->isRightToLeft();
  else m_rightToLeft = QGuiApplication::isRightToLeft();
}

void TsfSkinMenu::Popup(TControl* control, TsfSkinData* skinData, bool up, TMenuItem* item,
                        const TRect& anchor, int start, TCustomImageList* images) {
  Begin(control, skinData, images);
  if (item) Open(item, anchor, up, false, start);
}

void TsfSkinMenu::PopupMerged(TControl* control, TsfSkinData* skinData, bool up,
                              TMenuItem* first, TMenuItem* second, const TRect& anchor, int start,
                              TCustomImageList* images) {
  Begin(control, skinData, images);
  if (!first || first->Count() == 0) return;
  if (start >= first->Count() + (second ? second->Count() : 0)) return;
  Open(first, anchor, up, false, start, second, std::max(0, start - first->Count()));
}

TsfSkinPopupWindow* TsfSkinMenu::Open(TMenuItem* item, const TRect& anchor, bool up,
                                      bool submenu, int start, TMenuItem* second,
                                      int secondStart) {
  QWidget* owner = HostWindow ? HostWindow->window() : nullptr;
  auto* popup = new TsfSkinPopupWindow(this, owner);
  popup->setLayoutDirection(m_rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  if (!popup->Build(item, start, second, secondStart)) {
    delete popup;
    return nullptr;
  }
  m_popups.emplace_back(popup);
  m_showing = true;
  popup->ShowAt(anchor, up, submenu, second != nullptr);
  return popup;
}

void TsfSkinMenu::CloseFrom(int n) {
  n = std::max(0, n);
  while (int(m_popups.size()) > n) {
    QPointer<TsfSkinPopupWindow> p = m_popups.back();
    m_popups.pop_back();
    if (!p) continue;
    if (m_waitPopup == p) {
      m_waitTimer->SetEnabled(false);
      m_waitPopup = nullptr;
      m_waitIndex = -1;
    }
    p->StopTimers();
    p->m_menu = nullptr;
    p->hide();
    p->deleteLater();
  }
  if (n > 0 || !m_showing) return;
  m_showing = false;
  m_waitTimer->SetEnabled(false);
  QPointer<TsfSkinMenu> self(this);
  QPointer<TControl> control = m_control;
  m_control = nullptr;
  m_controlToTell = control;
  if (control) control->Perform(WM_SKINMENU_CLOSED);
  if (!self) return;
  TNotifyEvent onClose = std::move(OnMenuClose);
  OnMenuClose = nullptr;
  if (onClose) onClose(this);
}

void TsfSkinMenu::CloseAll() {
  const bool wasShowing = m_showing;
  m_waitPopup = nullptr;
  m_waitIndex = -1;
  QPointer<TsfSkinMenu> self(this);
  CloseFrom(0);
  if (self && wasShowing && HostWindow) HostWindow->Perform(WM_SKINMENU_CLOSED);
}

void TsfSkinMenu::HandleKey(WORD key) {
  if (TsfSkinPopupWindow* p = Deepest()) p->HandleKey(key);
}

void TsfSkinMenu::ItemAction(TsfSkinPopupWindow* popup, int index, bool fromKeyboard, bool click) {
  const int level = IndexOf(popup);
  if (level < 0 || index < 0 || index >= int(popup->Items().size())) return;
  TsfSkinMenuItem& line = popup->Items()[size_t(index)];
  QPointer<TMenuItem> item = line.MenuItem;
  if (!item) return;
  if (!line.HasChildren()) {
    if (!click) {
      CloseFrom(level + 1);
      m_waitTimer->SetEnabled(false);
      return;
    }
    // The pop-ups close first; the command then runs on the item alone, and
    // nothing of a pop-up is touched afterwards: the command may delete the
    // menu that owns the item, or the window showing it.
    m_waitTimer->SetEnabled(false);
    QPointer<TsfSkinMenu> self(this);
    CloseAll();
    if (item) item->Click();
    if (self && m_controlToTell) m_controlToTell->Perform(WM_SKINMENU_COMMAND);
    return;
  }
  if (!click) {
    if (fromKeyboard) return;
    CloseFrom(level + 1);
    m_waitPopup = popup;
    m_waitIndex = index;
    m_waitTimer->SetEnabled(false);
    m_waitTimer->SetEnabled(true);
    return;
  }
  QPointer<TsfSkinPopupWindow> guard(popup);
  QPointer<TsfSkinMenu> self(this);
  item->Click();
  // The command may have closed, reopened or rebuilt the menu: the submenu
  // opens only from the pop-up still showing at its level.
  if (!self || !guard || !item || IndexOf(popup) != level || index >= int(popup->Items().size()) ||
      popup->Items()[size_t(index)].MenuItem != item)
    return;
  m_waitTimer->SetEnabled(false);
  m_waitPopup = nullptr;
  m_waitIndex = -1;
  CloseFrom(level + 1);
  const QPoint origin = popup->pos();
  // A submenu left without visible lines opens nothing and marks nothing.
  if (Open(item, line.ItemRect.Offset(origin.x(), origin.y()), false, true, 0) && guard) {
    line.SubmenuOpen = true;
    popup->StartMotion();
    popup->update();
  }
}

void TsfSkinMenu::WaitFired() {
  m_waitTimer->SetEnabled(false);
  QPointer<TsfSkinPopupWindow> popup = m_waitPopup;
  const int index = m_waitIndex;
  m_waitPopup = nullptr;
  m_waitIndex = -1;
  if (popup && index >= 0 && index < int(popup->Items().size()) &&
      popup->Items()[size_t(index)].Active)
    popup->ClickLine(index);
}
