#include "platform/label.h"

TLabel::TLabel(QWidget* parent) : TGraphicControl(parent) {
  SetBounds(Left(), Top(), 65, 13);
}

void TLabel::SetAlignment(TAlignment a) {
  if (m_alignment == a) return;
  m_alignment = a;
  update();
}

void TLabel::SetWordWrap(bool v) {
  if (m_wordWrap == v) return;
  m_wordWrap = v;
  AdjustBounds();
  update();
}

void TLabel::SetAutoSize(bool v) {
  if (m_autoSize == v) return;
  m_autoSize = v;
  AdjustBounds();
}

void TLabel::SetTransparent(bool v) {
  if (m_transparent == v) return;
  m_transparent = v;
  Opaque = v;  // a transparent label leaves the parent's pixels under its text
  update();
}

unsigned TLabel::TextFlags() const {
  unsigned flags = DT_EXPANDTABS;
  if (m_wordWrap) flags |= DT_WORDBREAK;
  if (!ShowAccelChar) flags |= DT_NOPREFIX;
  if (m_alignment == taCenter) flags |= DT_CENTER;
  if (m_alignment == taRightJustify) flags |= DT_RIGHT;
  return flags;
}

void TLabel::Paint() {
  // The background (unless transparent) is filled before Paint runs.
  TCanvas* c = Canvas();
  c->Brush.Style = bsClear;
  c->Font = *Font();
  TRect r = ClientRect();
  c->DrawText(Caption(), r, TextFlags());
}

void TLabel::AdjustBounds() {
  if (!m_autoSize || Loading()) return;
  QImage scratch(1, 1, QImage::Format_RGB32);
  TCanvas c;
  c.AttachDevice(&scratch);
  c.Font = *Font();
  TRect r(0, 0, m_wordWrap ? Width() : 0, 0);
  c.DrawText(Caption().isEmpty() ? QStringLiteral(" ") : Caption(), r, TextFlags() | DT_CALCRECT);
  c.Detach();
  SetBounds(Left(), Top(), m_wordWrap ? Width() : r.Width(), r.Height());
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::TextChanged() {
  AdjustBounds();
  update();
}

void TLabel::FontChanged() {
  AdjustBounds();
  update();
}
