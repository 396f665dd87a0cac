#include "skin/controls/scroll_bar.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "skin/render/compose.h"
#include "skin/render/glyphs.h"
#include "skin/render/pixel_copy.h"

namespace {
// Nearest integer, halves to the even neighbour, as the host's Round does.
int Rnd(double x) { return static_cast<int>(std::nearbyint(x)); }

const TColor kPressedFill = RGB(133, 147, 181);
const TColor kHotFill = RGB(182, 189, 210);

// A state picture with its fallback when empty.
TRect Or(const TRect& r, const TRect& fallback) { return r.IsEmpty() ? fallback : r; }
}  // namespace

TsfSkinScrollBar::TsfSkinScrollBar(QWidget* parent) : TsfSkinCustomControl(parent) {
  ClickEvents = false;
  m_timer = new TTimer(this);
  m_timer->SetEnabled(false);
  m_timer->OnTimer = [this](TObject*) { Tick(); };
  SetSkinDataName(QStringLiteral("hscrollbar"));
  SetBounds(0, 0, 200, 19);
  SetDefaultHeight(19);
  SetCanFocused(false);
}

TsfSkinScrollBar::~TsfSkinScrollBar() { m_timer->OnTimer = nullptr; }

TsfDataSkinScrollBarControl* TsfSkinScrollBar::BarRecord() const {
  return dynamic_cast<TsfDataSkinScrollBarControl*>(SkinRecord());
}

// ---- properties --------------------------------------------------------------

namespace {
// Range arithmetic runs in 64 bits: Min, Max, PageSize and the steps may each
// lie anywhere in int, and their sums and differences must not wrap.
int ToInt(long long v) {
  return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}
}  // namespace

// The position brought inside the range (the last page's start when paged).
int TsfSkinScrollBar::ClampPosition(long long v) const {
  const long long limit = m_pageSize != 0 ? static_cast<long long>(m_max) - m_pageSize + 1 : m_max;
  return ToInt(std::max<long long>(std::min(v, limit), m_min));
}

void TsfSkinScrollBar::SetKind(TScrollBarKind v) {
  if (v == m_kind) return;
  m_kind = v;
  // Controls are built in code here, so what a designer does on a change of
  // kind happens whenever the kind changes outside loading: the record name,
  // the size lying along the new axis and the forced default size follow it.
  if (!Loading()) {
    const bool vertical = v == sbVertical;
    if (SkinDataName() == (vertical ? QStringLiteral("hscrollbar") : QStringLiteral("vscrollbar")))
      SetSkinDataName(vertical ? QStringLiteral("vscrollbar") : QStringLiteral("hscrollbar"));
    if (vertical ? DefaultHeight() > 0 : DefaultWidth() > 0) {
      const int d = vertical ? DefaultHeight() : DefaultWidth();
      SetDefaultHeight(0);
      SetDefaultWidth(0);
      if (vertical) SetDefaultWidth(d);
      else SetDefaultHeight(d);
    }
    if (vertical ? Width() > Height() : Height() > Width()) SetBounds(Left(), Top(), Height(), Width());
  }
  Invalidate();
}

void TsfSkinScrollBar::SetPosition(int v) { StepTo(v); }

void TsfSkinScrollBar::StepTo(long long target) {
  const int v = ClampPosition(target);
  if (v == m_position) return;
  m_position = v;
  Invalidate();
  if (OnChange) OnChange(this);
}

void TsfSkinScrollBar::SetMin(int v) {
  m_min = v;
  if (m_position < m_min) m_position = m_min;
  Invalidate();
}

void TsfSkinScrollBar::SetMax(int v) {
  m_max = v;
  if (m_pageSize != 0) {
    const long long span = static_cast<long long>(m_max) - m_min;
    if (span < static_cast<long long>(m_pageSize) + m_position)
      m_position = ToInt(std::max<long long>(m_min, span - m_pageSize + 1));
  } else if (m_position > m_max) {
    m_position = m_max;
  }
  Invalidate();
}

void TsfSkinScrollBar::SetPageSize(int v) {
  if (static_cast<long long>(m_max) - m_min + 1 >= static_cast<long long>(v) + m_position) m_pageSize = v;
  Invalidate();
}

void TsfSkinScrollBar::SetBoth(bool v) {
  if (v == m_both) return;
  m_both = v;
  if (v) {
    m_normalSkinDataName = SkinDataName();
    SetSkinDataName(m_bothSkinDataName);
  } else {
    SetSkinDataName(m_normalSkinDataName);
  }
  ReadSkinRecord();
  if (m_index == -1) Invalidate();
  else ApplySkinChange();
}

void TsfSkinScrollBar::SetBothMarkerWidth(int v) {
  if (v < 0) return;
  m_bothMarkerWidth = v;
  Invalidate();
}

void TsfSkinScrollBar::SetCanFocused(bool v) {
  m_canFocused = v;
  SetTabStop(v);
  if (!v) setFocusPolicy(Qt::NoFocus);
  Invalidate();
}

void TsfSkinScrollBar::SetRangeAndPosition(int min, int max, int pageSize, int position) {
  m_min = min;
  m_max = max;
  m_pageSize = pageSize;
  m_position = ClampPosition(position);
  Invalidate();
}

void TsfSkinScrollBar::MovePositionQuietly(int target) {
  const int v = ClampPosition(target);
  if (v == m_position) return;
  m_position = v;
  Invalidate();
}

void TsfSkinScrollBar::ApplySkinChange() {
  TsfSkinCustomControl::ApplySkinChange();
  Invalidate();
}

// ---- geometry ----------------------------------------------------------------

TsfScrollBarLayout TsfSkinScrollBar::Layout() const {
  auto* self = const_cast<TsfSkinScrollBar*>(this);
  self->ReadSkinRecord();
  return ComputeLayout(BarRecord());
}

TsfScrollBarLayout TsfSkinScrollBar::ComputeLayout(const TsfDataSkinScrollBarControl* rec) const {
  TsfScrollBarLayout L;
  const int W = Width(), H = Height();
  const bool vertical = m_kind == sbVertical;
  int minLength = 16, noPageLength = 16, cross = -1;
  if (!rec) {
    if (vertical) {
      L.Parts[spDecrease] = TRect(1, 1, W - 1, 17);
      L.Parts[spIncrease] = TRect(1, H - 17, W - 1, H - 1);
      L.Track = TRect(1, 17, W - 1, H - 17);
    } else {
      const int w = m_both ? W - m_bothMarkerWidth : W;
      L.Parts[spDecrease] = TRect(1, 1, 17, H - 1);
      L.Parts[spIncrease] = TRect(w - 17, 1, w - 1, H - 1);
      L.Track = TRect(17, 1, w - 17, H - 1);
    }
  } else {
    const TsfSkinGeometry& g = Geometry();
    const int dx = W - g.SkinWidth(), dy = H - g.SkinHeight();
    L.Track = rec->trackarea;
    if (vertical) L.Track.Bottom += dy;
    else L.Track.Right += dx;
    // Buttons beyond the skin's stretch line move with the size.
    auto place = [&](const TRect& r) {
      if (vertical && r.Top >= g.LBPoint.Y) return r.Offset(0, dy);
      if (!vertical && r.Left >= g.RTPoint.X) return r.Offset(dx, 0);
      return r;
    };
    L.Parts[spIncrease] = place(rec->upbuttonrect);
    L.Parts[spDecrease] = place(rec->downbuttonrect);
    const int pictureLength = vertical ? rec->thumbrect.Height() : rec->thumbrect.Width();
    cross = vertical ? rec->thumbrect.Width() : rec->thumbrect.Height();
    minLength = rec->thumbminsize ? rec->thumbminsize : pictureLength;
    noPageLength = rec->thumbminpagesize ? rec->thumbminpagesize : minLength;
  }
  const int s = vertical ? L.Track.Top : L.Track.Left;
  const int e = vertical ? L.Track.Bottom : L.Track.Right;
  int start, length;
  if (m_pageSize == 0) {
    const double t = m_max == m_min ? 0.0 : (double(m_position) - m_min) / (double(m_max) - m_min);
    const int h = noPageLength / 2;
    L.FirstOffset = s + h;
    L.SecondOffset = e - h;
    L.ThumbOffset = Rnd(t * (e - s - noPageLength));
    start = s + L.ThumbOffset;
    length = noPageLength;
  } else {
    const double span = double(m_max) - m_min + 1;
    int len = span != 0 ? Rnd(double(e - s) * m_pageSize / span) : 0;
    len = std::max(len, minLength);
    const int h = len / 2;
    const double denominator = double(m_max) + 1 - m_pageSize - m_min;
    const double t = denominator > 0 ? (double(m_position) - m_min) / denominator : (vertical ? 0.0 : 1.0);
    L.FirstOffset = s + h;
    L.SecondOffset = e - h;
    L.ThumbOffset = Rnd((e - s - 2 * h) * t);
    start = s + L.ThumbOffset;
    length = 2 * h;
  }
  int crossStart = vertical ? L.Track.Left : L.Track.Top;
  int crossEnd = vertical ? L.Track.Right : L.Track.Bottom;
  if (cross >= 0) {  // the record's thumb, centred on the track's middle line
    crossStart += ((crossEnd - crossStart) - cross) / 2;
    crossEnd = crossStart + cross;
  }
  L.Parts[spThumb] = vertical ? TRect(crossStart, start, crossEnd, start + length)
                              : TRect(start, crossStart, start + length, crossEnd);
  return L;
}

TsfScrollBarPart TsfSkinScrollBar::PartAt(const TsfScrollBarLayout& layout, TPoint p) const {
  if (Enabled() && layout.Parts[spThumb].Contains(p)) return spThumb;
  if (layout.Parts[spIncrease].Contains(p)) return spIncrease;
  if (layout.Parts[spDecrease].Contains(p)) return spDecrease;
  return spNone;
}

int TsfSkinScrollBar::SideOfThumb(TPoint p) const {
  const TRect thumb = Layout().Parts[spThumb];
  const int a = Along(p);
  if (a < (m_kind == sbVertical ? thumb.Top : thumb.Left)) return -1;
  if (a >= (m_kind == sbVertical ? thumb.Bottom : thumb.Right)) return 1;
  return 0;
}

// ---- input -------------------------------------------------------------------

void TsfSkinScrollBar::Increase() {
  if (OnUpButtonClick) OnUpButtonClick(this);
  else StepTo(static_cast<long long>(m_position) + m_smallChange);
}

void TsfSkinScrollBar::Decrease() {
  if (OnDownButtonClick) OnDownButtonClick(this);
  else StepTo(static_cast<long long>(m_position) - m_smallChange);
}

void TsfSkinScrollBar::PageStep(bool down) {
  QPointer<TsfSkinScrollBar> self(this);
  StepTo(static_cast<long long>(m_position) + (down ? m_largeChange : -static_cast<long long>(m_largeChange)));
  if (!self) return;
  if (down) { if (OnPageDown) OnPageDown(this); }
  else if (OnPageUp) OnPageUp(this);
}

void TsfSkinScrollBar::StartRepeat(int mode) {
  m_timerMode = mode;
  m_wait = true;
  m_timer->SetInterval(500);
  m_timer->SetEnabled(true);
}

void TsfSkinScrollBar::StopRepeat() {
  m_timer->SetEnabled(false);
  m_timerMode = 0;
}

void TsfSkinScrollBar::Tick() {
  if (m_wait) {  // the first delay only switches to the repeat interval
    m_wait = false;
    m_timer->SetInterval(50);
    return;
  }
  switch (m_timerMode) {
    case 1: Decrease(); break;
    case 2: Increase(); break;
    case 3:
    case 4: {
      // The page repeat stops when the thumb has reached the pointer.
      const int side = SideOfThumb(m_lastMouse);
      SetHot(m_captured == spNone ? PartAt(Layout(), m_lastMouse) : m_hot);
      if (side == (m_timerMode == 3 ? -1 : 1)) PageStep(m_timerMode == 4);
      else StopRepeat();
      break;
    }
    default: StopRepeat(); break;
  }
}

void TsfSkinScrollBar::SetHot(TsfScrollBarPart part) {
  if (part == m_hot) return;
  m_hot = part;
  Invalidate();
}

void TsfSkinScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfSkinScrollBar> self(this);
  if (button == mbLeft) {
    if (m_canFocused && !Focused() && CanFocus()) SetFocus();
    m_buttonHeld = true;
    m_lastMouse = TPoint(x, y);
    StopRepeat();
    m_wait = true;
    const TsfScrollBarLayout layout = Layout();
    const TsfScrollBarPart part = PartAt(layout, m_lastMouse);
    if (part != spNone) {
      m_captured = part;
      m_hot = part;
      if (part == spThumb) {
        m_dragStartCoord = Along(m_lastMouse);
        m_dragStartOffset = layout.ThumbOffset;
        m_dragStartPosition = m_position;
        m_dragging = true;
        Invalidate();
      } else {
        Invalidate();
        if (part == spIncrease) Increase();
        else Decrease();
        if (!self) return;
        StartRepeat(part == spIncrease ? 2 : 1);
      }
    } else if (layout.Track.Contains(m_lastMouse)) {
      const bool after = SideOfThumb(m_lastMouse) > 0;
      PageStep(after);
      if (!self) return;
      StartRepeat(after ? 4 : 3);
    }
  }
  if (self) TsfSkinCustomControl::MouseDown(button, shift, x, y);
}

void TsfSkinScrollBar::MouseMove(TShiftState shift, int x, int y) {
  QPointer<TsfSkinScrollBar> self(this);
  m_lastMouse = TPoint(x, y);
  const TsfScrollBarLayout layout = Layout();
  TsfScrollBarPart part = PartAt(layout, m_lastMouse);
  if (m_captured != spNone && part != m_captured) part = spNone;
  if (part != m_hot) {
    SetHot(part);
    // A held arrow pauses while the pointer is off it and resumes at 50 ms.
    if (m_captured == spIncrease || m_captured == spDecrease) {
      if (part == m_captured) {
        m_wait = false;
        m_timerMode = m_captured == spIncrease ? 2 : 1;
        m_timer->SetInterval(50);
        m_timer->SetEnabled(true);
      } else {
        m_timer->SetEnabled(false);
      }
    }
  }
  if (m_dragging) {
    const int d = Along(m_lastMouse) - m_dragStartCoord;
    const int travel = layout.SecondOffset - layout.FirstOffset;
    double f = travel > 0 ? double(d + m_dragStartOffset) / travel : 0.0;
    f = std::clamp(f, 0.0, 1.0);
    const double span = double(m_max) - m_min - (m_pageSize == 0 ? 0 : m_pageSize - 1);
    StepTo(m_min + std::llrint(span * f));
  }
  if (self) TsfSkinCustomControl::MouseMove(shift, x, y);
}

void TsfSkinScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfSkinScrollBar> self(this);
  if (button == mbLeft) {
    m_buttonHeld = false;
    if (m_timerMode == 3 || m_timerMode == 4) StopRepeat();
    const TsfScrollBarPart released = m_captured;
    if (released != spNone) {
      if (released == spThumb) m_dragging = false;
      else StopRepeat();
      m_captured = spNone;
      m_hot = PartAt(Layout(), TPoint(x, y));
      Invalidate();
      if (released == spThumb && OnLastChange) OnLastChange(this);
    }
  }
  if (self) TsfSkinCustomControl::MouseUp(button, shift, x, y);
}

void TsfSkinScrollBar::MouseLeave() {
  if (m_hot != spNone && m_hot != m_captured && !m_dragging) SetHot(spNone);
  if (m_buttonHeld && m_timerMode == 4) StopRepeat();
  TsfSkinCustomControl::MouseLeave();
}

void TsfSkinScrollBar::KeyDown(WORD& key, TShiftState shift) {
  QPointer<TsfSkinScrollBar> self(this);
  TsfSkinCustomControl::KeyDown(key, shift);
  if (!self || !m_canFocused) return;
  // The four arrows are the bar's own: they step it and never move the focus.
  const bool back = key == VK_LEFT || key == VK_UP;
  if (!back && key != VK_RIGHT && key != VK_DOWN) return;
  key = 0;
  StepTo(static_cast<long long>(m_position) + (back ? -static_cast<long long>(m_smallChange) : m_smallChange));
}

bool TsfSkinScrollBar::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (TsfSkinCustomControl::DoMouseWheel(shift, wheelDelta, mousePos)) return true;
  if (!m_canFocused || !Focused()) return false;
  StepTo(static_cast<long long>(m_position) + (wheelDelta > 0 ? -static_cast<long long>(m_smallChange) : m_smallChange));
  return true;
}

void TsfSkinScrollBar::FocusChanged(bool focused) {
  if (m_canFocused) Invalidate();
  TsfSkinCustomControl::FocusChanged(focused);
}

void TsfSkinScrollBar::EnabledChanged() {
  if (!Enabled()) {
    StopRepeat();
    m_dragging = false;
    m_captured = spNone;
    m_hot = spNone;
  }
  Invalidate();
}

// ---- painting ----------------------------------------------------------------

bool TsfSkinScrollBar::ThumbPressedLook() const {
  return m_dragging || (m_canFocused && Focused());
}

void TsfSkinScrollBar::DrawDefaultPart(TCanvas* c, const TRect& r, bool pressed, bool hot) const {
  if (r.IsEmpty()) return;
  c->Brush.Style = bsSolid;
  c->Brush.Color = pressed || hot ? clNavy : clBtnShadow;
  c->FillRect(r);
  c->Brush.Color = pressed ? kPressedFill : hot ? kHotFill : clBtnFace;
  c->FillRect(r.Inflate(-1, -1));
}

void TsfSkinScrollBar::PaintDefaultImage(TBitmap& picture) {
  TCanvas* c = picture.Canvas();
  c->Brush.Style = bsSolid;
  c->Brush.Color = clBtnFace;
  c->FillRect(ClientRect());
  const TsfScrollBarLayout L = ComputeLayout(nullptr);
  if (Enabled()) DrawDefaultPart(c, L.Parts[spThumb], ThumbPressedLook(), m_hot == spThumb);
  const bool vertical = m_kind == sbVertical;
  for (TsfScrollBarPart part : {spIncrease, spDecrease}) {
    const TRect& r = L.Parts[part];
    DrawDefaultPart(c, r, m_captured == part && m_hot == part, m_hot == part);
    const int direction = part == spIncrease ? (vertical ? 4 : 2) : (vertical ? 3 : 1);
    DrawArrowGlyph(c, r, clBlack, direction);
  }
}

void TsfSkinScrollBar::DrawSkinThumb(TCanvas* c, const TsfDataSkinScrollBarControl& rec, const TRect& thumb,
                                     bool hasPage) const {
  const TBitmap* pic = Geometry().Picture;
  if (!pic || thumb.IsEmpty()) return;
  const bool vertical = m_kind == sbVertical;
  const TRect active = Or(rec.activethumbrect, rec.thumbrect);
  const TRect source = ThumbPressedLook() ? Or(rec.downthumbrect, active)
                       : m_hot == spThumb ? active
                                          : rec.thumbrect;
  if (source.IsEmpty()) return;
  TBitmap piece;
  if (hasPage || rec.thumbminpagesize) {
    if (vertical)
      ComposeVStrip(rec.thumboffset1, rec.thumboffset2, piece, *pic, source, thumb.Height(), rec.thumbstretcheffect);
    else
      ComposeHStrip(rec.thumboffset1, rec.thumboffset2, piece, *pic, source, thumb.Width(), rec.thumbstretcheffect);
  } else {
    piece.SetSize(thumb.Width(), thumb.Height());
    sfpix::Stretch(piece.Image(), TRect(0, 0, thumb.Width(), thumb.Height()), pic->Image(), source);
  }
  piece.Transparent = rec.thumbtransparent;
  piece.TransparentColor = rec.thumbtransparentcolor;
  c->Draw(thumb.Left, thumb.Top, &piece);

  const TRect activeGlyph = Or(rec.activeglyphrect, rec.glyphrect);
  const TRect glyph = ThumbPressedLook() ? Or(rec.downglyphrect, activeGlyph)
                      : m_hot == spThumb ? activeGlyph
                                         : rec.glyphrect;
  const int glyphLength = vertical ? glyph.Height() : glyph.Width();
  const int thumbLength = vertical ? thumb.Height() : thumb.Width();
  if (glyph.IsEmpty() || glyphLength >= thumbLength) return;
  TBitmap g(glyph.Width(), glyph.Height());
  sfpix::Blit(g.Image(), 0, 0, pic->Image(), glyph);
  g.Transparent = rec.glyphtransparent;
  g.TransparentColor = rec.glyphtransparentcolor;
  c->Draw(thumb.Left + (thumb.Width() - glyph.Width()) / 2, thumb.Top + (thumb.Height() - glyph.Height()) / 2, &g);
}

void TsfSkinScrollBar::PaintSkinImage(TBitmap& picture) {
  TsfSkinCustomControl::PaintSkinImage(picture);
  const TsfDataSkinScrollBarControl* rec = BarRecord();
  const TBitmap* pic = Geometry().Picture;
  if (!rec || !pic) return;
  const TsfScrollBarLayout L = ComputeLayout(rec);
  const struct {
    TsfScrollBarPart part;
    TRect active, pressed;
  } buttons[] = {{spIncrease, rec->activeupbuttonrect, Or(rec->downupbuttonrect, rec->activeupbuttonrect)},
                 {spDecrease, rec->activedownbuttonrect, Or(rec->downdownbuttonrect, rec->activedownbuttonrect)}};
  for (const auto& b : buttons) {
    const TRect source = m_captured == b.part && m_hot == b.part ? b.pressed : m_hot == b.part ? b.active : TRect();
    if (source.IsEmpty()) continue;
    sfpix::Stretch(picture.Image(), L.Parts[b.part], pic->Image(), source);
  }
  if (Enabled()) DrawSkinThumb(picture.Canvas(), *rec, L.Parts[spThumb], m_pageSize != 0);
}
