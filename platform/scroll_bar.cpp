#include "platform/scroll_bar.h"

#include <algorithm>

TScrollBar::TScrollBar(QWidget* parent) : TCustomControl(parent) {
  Opaque = true;
  ClickEvents = false;
  setFocusPolicy(Qt::NoFocus);
  SetBounds(0, 0, DefaultWidth, 100);
}

void TScrollBar::SetParams(int min, int max, int page, int position) {
  max = std::max(min, max);
  page = std::clamp(page, 0, max - min + 1);
  const int last = std::max(min, max - std::max(page, 1) + 1);
  position = std::clamp(position, min, last);
  if (min == m_min && max == m_max && page == m_page && position == m_position) return;
  m_min = min;
  m_max = max;
  m_page = page;
  m_position = position;
  update();
}

void TScrollBar::SetHorizontal(bool v) {
  if (v == m_horizontal) return;
  m_horizontal = v;
  update();
}

TRect TScrollBar::Span(int from, int to) const {
  return m_horizontal ? TRect(from, 0, to, Height()) : TRect(0, from, Width(), to);
}

int TScrollBar::ButtonHeight() const {
  // Buttons shrink when the bar is shorter than two of them.
  return std::min(Thickness(), Length() / 2);
}

TRect TScrollBar::UpButtonRect() const { return Span(0, ButtonHeight()); }
TRect TScrollBar::DownButtonRect() const { return Span(Length() - ButtonHeight(), Length()); }

TRect TScrollBar::ThumbRect() const {
  const int track = Length() - 2 * ButtonHeight();
  const int range = m_max - m_min + 1;
  if (track <= 0 || range <= 0 || m_page >= range) return TRect();
  const int thumb = std::clamp(m_page > 0 ? track * m_page / range : 8, std::min(8, track), track);
  const int span = range - std::max(m_page, 1);
  const int top = span > 0 ? (track - thumb) * (m_position - m_min) / span : 0;
  return Span(ButtonHeight() + top, ButtonHeight() + top + thumb);
}

int TScrollBar::PositionFromThumbTop(int top) const {
  const TRect thumb = ThumbRect();
  const int track = Length() - 2 * ButtonHeight();
  const int free = track - (m_horizontal ? thumb.Width() : thumb.Height());
  const int span = m_max - m_min + 1 - std::max(m_page, 1);
  if (free <= 0 || span <= 0) return m_min;
  const int offset = std::clamp(top - ButtonHeight(), 0, free);
  return m_min + (offset * span + free / 2) / free;
}

void TScrollBar::Scroll(TScrollCode code, int pos) {
  if (OnScroll) OnScroll(this, code, pos);
}

void TScrollBar::DrawButton(const TRect& r, int arrow) {
  TCanvas* c = Canvas();
  c->Brush.Color = clBtnFace;
  c->Brush.Style = bsSolid;
  c->FillRect(r);
  // Raised classic edge: light outer top-left, dark outer bottom-right.
  auto line = [c](TColor color, int x1, int y1, int x2, int y2) {
    c->Pen.Color = color;
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  if (r.Width() >= 2 && r.Height() >= 2) {
    line(clBtnFace, r.Left, r.Bottom - 1, r.Left, r.Top);
    line(clBtnFace, r.Left, r.Top, r.Right - 1, r.Top);
    line(clBtnHighlight, r.Left + 1, r.Bottom - 2, r.Left + 1, r.Top + 1);
    line(clBtnHighlight, r.Left + 1, r.Top + 1, r.Right - 2, r.Top + 1);
    line(cl3DDkShadow, r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
    line(cl3DDkShadow, r.Right - 1, r.Bottom - 1, r.Right - 1, r.Top - 1);
    line(clBtnShadow, r.Left + 1, r.Bottom - 2, r.Right - 2, r.Bottom - 2);
    line(clBtnShadow, r.Right - 2, r.Bottom - 2, r.Right - 2, r.Top);
  }
  if (arrow != 0 && std::min(r.Width(), r.Height()) >= 8) {
    const bool up = arrow < 0;
    // Arrow: a small filled triangle in the middle, pointing up or down
    // (left or right on a horizontal bar).
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    c->Pen.Color = clBtnText;
    for (int i = 0; i < 4; ++i) {
      const int along = up ? -2 + i : 1 - i;
      if (m_horizontal) {
        c->MoveTo(cx + along, cy - i);
        c->LineTo(cx + along, cy + i + 1);
      } else {
        c->MoveTo(cx - i, cy + along);
        c->LineTo(cx + i + 1, cy + along);
      }
    }
  }
}

void TScrollBar::Paint() {
  TCanvas* c = Canvas();
  const TRect client = ClientRect();
  c->Brush.Color = clScrollBar;
  c->Brush.Style = bsSolid;
  c->FillRect(client);
  DrawButton(UpButtonRect(), -1);
  DrawButton(DownButtonRect(), 1);
  const TRect thumb = ThumbRect();
  if (!thumb.IsEmpty()) DrawButton(thumb, 0);
}

void TScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  const TPoint p(x, y);
  const TRect thumb = ThumbRect();
  if (UpButtonRect().Contains(p)) {
    Scroll(scLineUp, m_position);
  } else if (DownButtonRect().Contains(p)) {
    Scroll(scLineDown, m_position);
  } else if (!thumb.IsEmpty() && thumb.Contains(p)) {
    m_tracking = true;
    m_trackOffset = m_horizontal ? x - thumb.Left : y - thumb.Top;
    m_trackPosition = m_position;
  } else if (!thumb.IsEmpty()) {
    const bool before = m_horizontal ? x < thumb.Left : y < thumb.Top;
    Scroll(before ? scPageUp : scPageDown, m_position);
  }
}

void TScrollBar::MouseMove(TShiftState shift, int x, int y) {
  TCustomControl::MouseMove(shift, x, y);
  if (!m_tracking) return;
  const int pos = PositionFromThumbTop((m_horizontal ? x : y) - m_trackOffset);
  if (pos == m_trackPosition) return;
  m_trackPosition = pos;
  Scroll(scTrack, pos);
}

void TScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseUp(button, shift, x, y);
  if (button != mbLeft) return;
  if (m_tracking) {
    m_tracking = false;
    Scroll(scPosition, m_trackPosition);
  }
  Scroll(scEndScroll, m_position);
}
