#include "skin/controls/skin_panel.h"

#include <algorithm>

#include "skin/render/compose.h"
#include "skin/render/glyphs.h"
#include "skin/render/pixel_copy.h"
#include "skin/render/text_helpers.h"
#include "skin/render/window_helpers.h"

namespace {
void SetBrushClear(TCanvas* c) { c->Brush.Style = bsClear; }
}  // namespace

TsfSkinPanel::TsfSkinPanel(QWidget* parent) : TsfSkinCustomControl(parent) {
  SetSkinDataName(QStringLiteral("panel"));
  ForceBackground = true;
  SetBounds(Left(), Top(), 150, 150);
}

// ---- properties -------------------------------------------------------------

void TsfSkinPanel::ChangedWithLayout() {
  Invalidate();
  Realign();
}

void TsfSkinPanel::SetBorderStyle(TsfSkinBorderStyle v) {
  m_borderStyle = v;
  if (DefaultLook()) ChangedWithLayout();
}

void TsfSkinPanel::SetCaptionMode(bool v) {
  m_captionMode = v;
  ChangedWithLayout();
}

void TsfSkinPanel::SetDefaultCaptionHeight(int v) {
  m_defaultCaptionHeight = v;
  if (DefaultLook() && m_captionMode) ChangedWithLayout();
}

void TsfSkinPanel::SetDefaultAlignment(TAlignment v) {
  m_defaultAlignment = v;
  if (DefaultLook() && m_captionMode) Changed();
}

void TsfSkinPanel::SetRollUpMode(bool v) {
  m_rollUpMode = v;
  if (DefaultLook() && m_captionMode) Changed();
}

void TsfSkinPanel::SetRibbonStyle(bool v) { m_ribbonStyle = v; Changed(); }
void TsfSkinPanel::SetImagePosition(TsfImagePosition v) { m_imagePosition = v; Changed(); }
void TsfSkinPanel::SetGlyph(const TBitmap& v) { m_glyph = v; Changed(); }
void TsfSkinPanel::SetNumGlyphs(int v) { m_numGlyphs = std::clamp(v, 1, 2); Changed(); }
void TsfSkinPanel::SetSpacing(int v) { m_spacing = v; Changed(); }
void TsfSkinPanel::SetCaptionImageList(TCustomImageList* v) { m_captionImageList = v; Changed(); }
void TsfSkinPanel::SetCaptionImageIndex(int v) { m_captionImageIndex = v; Changed(); }
void TsfSkinPanel::SetCheckedMode(bool v) { m_checkedMode = v; Changed(); }

void TsfSkinPanel::SetTransparentMode(bool v) {
  m_transparentMode = v;
  Changed();
  if (!Loading()) NotifyChildrenParentBackground(this);
}

void TsfSkinPanel::SetChecked(bool v) {
  m_checked = v;
  if (m_checkedMode) Changed();
  if (AutoEnabledControls && m_checkedMode)
    for (TControl* c : Controls()) c->SetEnabled(v);
  if (OnChecked) OnChecked(this);
}

void TsfSkinPanel::TextChanged() {
  if (m_captionMode || !DefaultLook()) Invalidate();
}

void TsfSkinPanel::EnabledChanged() { Invalidate(); }

// ---- record -----------------------------------------------------------------

void TsfSkinPanel::ReadSkinRecord() {
  TsfSkinCustomControl::ReadSkinRecord();
  m_bgPicture = nullptr;
  m_panelRecord = RecordIndex() == -1 ? nullptr
                                      : dynamic_cast<const TsfDataSkinPanelControl*>(SkinRecord());
  if (m_panelRecord) m_bgPicture = SkinData()->Picture(m_panelRecord->bgpictureindex);
  if (m_bgPicture && m_bgPicture->Empty()) m_bgPicture = nullptr;  // nothing to lay
}

void TsfSkinPanel::SetBounds(int left, int top, int width, int height) {
  TsfSkinCustomControl::SetBounds(left, top, width, height);
  if (DefaultLook()) Invalidate();  // the default border depends on the size
}

void TsfSkinPanel::ApplySkinChange() {
  TsfSkinCustomControl::ApplySkinChange();
  if (m_realHeight == -1) {
    Realign();
  } else {
    // Roll up again for the new skin, keeping the height to unroll to.
    const int saved = m_realHeight;
    const QList<QPointer<TControl>> hidden = m_hiddenByRollUp;
    m_realHeight = -1;
    RollUp();
    m_realHeight = saved;
    m_hiddenByRollUp = hidden;
  }
}

void TsfSkinPanel::WndProc(TMessage& m) {
  if (m.Msg == WM_SKINCTRL_PARENTBGCHANGED) {
    ParentBackgroundChanged();
    return;
  }
  // A transparent panel shows the part of its parent it now sits over, and
  // so do its children that draw over it.
  if (m.Msg == WM_MOVE && m_transparentMode) {
    Invalidate();
    NotifyChildrenParentBackground(this);
  }
  TsfSkinCustomControl::WndProc(m);
}

void TsfSkinPanel::ParentBackgroundChanged() {
  if (!m_transparentMode) return;
  Invalidate();
  NotifyChildrenParentBackground(this);
}

void TsfSkinPanel::AdjustClientRect(TRect& rect) {
  ReadSkinRecord();
  if (DefaultLook()) {
    if (m_borderStyle != bvNone) rect = rect.Inflate(-1, -1);
    if (m_captionMode) {
      if (m_ribbonStyle) rect.Bottom -= m_defaultCaptionHeight;
      else rect.Top += m_defaultCaptionHeight;
    }
    return;
  }
  if (m_bgPicture || (m_borderStyle == bvNone && !m_captionMode && ResizeMode() == rmFrame) ||
      ResizeMode() == rmNone)
    return;
  int w = Width(), h = Height();
  AdjustSizeToSkin(w, h);
  rect = m_geometry.NewClientRect;
}

// ---- images -------------------------------------------------------------------

int TsfSkinPanel::ImageWidth() const {
  if (!m_glyph.Empty()) return m_glyph.Width() / m_numGlyphs;
  if (m_captionImageList && m_captionImageIndex >= 0 &&
      m_captionImageIndex < m_captionImageList->Count())
    return m_captionImageList->Width();
  return 0;
}

int TsfSkinPanel::ImageHeight() const {
  if (!m_glyph.Empty()) return m_glyph.Height();
  return ImageWidth() > 0 ? m_captionImageList->Height() : 0;
}

void TsfSkinPanel::DrawImage(TCanvas* canvas, int x, int y) const {
  if (!m_glyph.Empty()) {
    const int frame = (!Enabled() && m_numGlyphs == 2) ? 2 : 1;
    DrawStripGlyph(canvas, x, y, frame, m_numGlyphs, m_glyph);
  } else if (ImageWidth() > 0) {
    m_captionImageList->Draw(canvas, x, y, m_captionImageIndex, Enabled());
  }
}

// ---- painting -----------------------------------------------------------------

void TsfSkinPanel::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  ReadSkinRecord();
  int w = Width(), h = Height();
  AdjustSizeToSkin(w, h);
  if (m_transparentMode && !DefaultLook()) {
    TBitmap picture(Width(), Height());
    PaintTransparent(picture.Canvas());
    Canvas()->Draw(0, 0, &picture);
    return;
  }
  if (DefaultLook()) {
    // Straight onto the panel, as on a fresh bitmap: Qt's back buffer keeps
    // the paint from flickering, and a bitmap of the whole panel would hold
    // its size in memory for nothing.
    TCanvas* c = Canvas();
    c->Pen = TPen();
    c->Brush = TBrush();
    c->Brush.Color = clBtnFace;
    c->FillRect(TRect(0, 0, Width(), Height()));
    PaintDefaultLook(c);
    return;
  }
  const TsfSkinGeometry& g = m_geometry;
  if ((g.StretchEffect && !ForceBackground) || !g.Picture) {
    TsfSkinCustomControl::Paint();
    return;
  }
  const TRect whole(0, 0, Width(), Height());
  if (m_borderStyle == bvNone && g.ResizeMode == rmFrame && !m_captionMode && ForceBackground) {
    LayClientPiece(Canvas(), *g.Picture, g.ClientTile(), whole);
  } else if (m_bgPicture) {
    LayClientPiece(Canvas(), *m_bgPicture,
                   TRect(0, 0, m_bgPicture->Width(), m_bgPicture->Height()),
                   g.StretchEffect && g.StretchType == stFull ? g.NewClientRect : whole);
  } else {
    TsfSkinCustomControl::Paint();
  }
}

void TsfSkinPanel::LayClientPiece(TCanvas* canvas, const TBitmap& source, const TRect& piece,
                                  const TRect& target) {
  const TRect clipped = piece.Intersect(TRect(0, 0, source.Width(), source.Height()));
  if (clipped.IsEmpty() || target.IsEmpty()) return;  // nothing to repeat
  TBitmap fill;
  const TRect tile(0, 0, target.Width(), target.Height());
  // The piece given relative to a skin rect at the picture's origin.
  ComposeClientFill(clipped, tile, fill, target.Width(), target.Height(),
                    TRect(0, 0, source.Width(), source.Height()), source, m_geometry.StretchEffect,
                    static_cast<TsfStretchMode>(m_geometry.StretchType));
  canvas->Draw(target.Left, target.Top, &fill);
}

void TsfSkinPanel::PaintDefaultImage(TBitmap& picture) {
  TsfSkinCustomControl::PaintDefaultImage(picture);
  PaintDefaultLook(picture.Canvas());
}

void TsfSkinPanel::PaintDefaultLook(TCanvas* c) {
  const int W = Width(), H = Height();
  TRect r(0, 0, W, H);
  switch (m_borderStyle) {
    case bvFrame: DrawFrame3D(c, r, clBtnShadow, clBtnShadow); break;
    case bvRaised: DrawFrame3D(c, r, clBtnHighlight, clBtnShadow); break;
    case bvLowered: DrawFrame3D(c, r, clBtnShadow, clBtnHighlight); break;
    case bvNone: break;
  }
  if (!m_captionMode) return;
  const int ch = m_defaultCaptionHeight;
  TRect band;
  if (m_borderStyle != bvNone) {
    band = m_ribbonStyle ? TRect(1, H - ch - 1, W - 1, H - 1) : TRect(1, 1, W - 1, ch);
    DrawFrame3D(c, band, clBtnShadow, clBtnHighlight);
    band = band.Inflate(-1, -1);
    DrawFrame3D(c, band, clBtnHighlight, clBtnShadow);
  } else {
    band = m_ribbonStyle ? TRect(0, H - ch, W, H) : TRect(0, 0, W, ch);
    DrawFrame3D(c, band, clBtnShadow, clBtnShadow);
    band = band.Inflate(-1, -1);
    DrawFrame3D(c, band, clBtnHighlight, clBtnFace);
  }
  TRect text = band.Inflate(-1, -1);
  if (m_checkedMode) text.Left += 20;
  if (m_rollUpMode) text.Right -= 10;

  TFont font(*DefaultFont());
  if (SkinData() && SkinData()->ResourceStrData()) font.SetCharset(SkinData()->ResourceStrData()->CharSet);
  c->Font = font;
  const int textH = c->TextHeight(Caption());
  const int imageW = ImageWidth();
  const int captionW = c->TextWidth(Caption()) + (imageW > 0 ? imageW + m_spacing : 0);
  const int top = text.Top + text.Height() / 2 - textH / 2;
  int left = m_defaultAlignment == taRightJustify ? text.Right - captionW : text.Left + 2;
  if (m_defaultAlignment == taCenter) left += text.Width() / 2 - captionW / 2;

  if (m_checkedMode) {
    const int y = text.Top + (text.Height() - 14) / 2;
    DrawFrame3D(c, TRect(5, y, 19, y + 14), clBtnShadow, clBtnShadow);
    if (m_checked) DrawCheckGlyph(c, 5 + 3, y + 2, clBtnText);
  }
  if (imageW > 0) {
    DrawImage(c, left, text.Top + (text.Height() - ImageHeight()) / 2);
    left += imageW + m_spacing;
  }
  SetBrushClear(c);
  c->SetClipRect(text);
  c->TextOut(left, top, Caption());
  c->ResetClip();
  if (m_rollUpMode)
    DrawArrowGlyph(c, TRect(text.Right, text.Top, text.Right + 10, text.Bottom), clBtnText,
                   m_rollUpState ? 4 : 3);
}

void TsfSkinPanel::PaintSkinImage(TBitmap& picture) {
  const TsfSkinGeometry& g = m_geometry;
  if (m_borderStyle == bvNone && g.ResizeMode == rmFrame && !m_captionMode && !g.StretchEffect &&
      g.Picture) {
    LayClientPiece(picture.Canvas(), *g.Picture, g.ClientTile(), TRect(0, 0, Width(), Height()));
    return;
  }
  TsfSkinCustomControl::PaintSkinImage(picture);
  if (!m_panelRecord) return;
  if (!m_transparentMode)
    m_newCaptionRect = (g.ResizeMode == rmFixed || g.ResizeMode == rmNone)
                           ? m_panelRecord->captionrect
                           : MapSkinRect(m_panelRecord->captionrect);
  // The record's caption rect decides, whatever the caption mode says.
  if (!Caption().isEmpty() && !m_newCaptionRect.IsEmpty()) DrawSkinCaption(picture.Canvas());
}

void TsfSkinPanel::DrawSkinCaption(TCanvas* c) {
  const TsfDataSkinPanelControl& r = *m_panelRecord;
  const TBitmap* pic = m_geometry.Picture;
  TRect area = m_newCaptionRect;
  if (m_rollUpMode) area.Right -= 12;
  if (m_checkedMode && pic) {
    TBitmap mark = KeyedPiece(*pic, m_checked ? r.checkimagerect : r.uncheckimagerect);
    if (!mark.Empty()) {
      c->Draw(area.Left, area.Top + (area.Height() - mark.Height()) / 2, &mark);
      area.Left += mark.Width() + 2;
    }
  }
  TFont font = ControlFont(r.fontname, r.fontheight, r.fontstyle);
  font.SetColor(r.fontcolor);
  c->Font = font;
  const QString caption = Caption();
  const int textW = LaidTextWidth(c, caption);
  const int textH = c->TextHeight(caption);
  const int top = area.Top + area.Height() / 2 - textH / 2;
  const int imageW = ImageWidth();
  const int captionW = textW + (imageW > 0 ? imageW + m_spacing : 0);
  int left = r.alignment == taRightJustify ? area.Right - captionW
             : r.alignment == taCenter    ? area.Left + area.Width() / 2 - captionW / 2
                                          : area.Left;
  int imageX = -1;
  if (imageW > 0) {
    if (m_imagePosition == sfipDefault) {
      imageX = left;
      left += imageW + m_spacing;
    } else {
      imageX = area.Left + 2;
      if (r.alignment == taLeftJustify) left = area.Left + imageW + m_spacing + 2;
      left = std::max(left, area.Left + 2 + imageW + m_spacing);
    }
  }
  if (m_rollUpMode) {
    const TRect marker(area.Right, area.Top, area.Right + 10, area.Bottom);
    if (pic && !r.markframerect.IsEmpty()) {
      TBitmap frame = KeyedPiece(*pic, r.markframerect);
      frame.Transparent = false;
      c->Draw(marker.Left, marker.Top, &frame);
    }
    DrawArrowGlyph(c, marker, r.fontcolor, m_rollUpState ? 4 : 3);
  }
  if (pic && !r.framerect.IsEmpty()) {
    const int extra = r.framerect.Width() - r.frametextrect.Width();
    TBitmap strip;
    ComposeHStrip(r.frameleftoffset, r.framerightoffset, strip, *pic, r.framerect, textW + extra, true);
    int stripX = left;
    int shift = 0;
    if (r.alignment == taLeftJustify) {
      shift = r.frametextrect.Left;
    } else if (r.alignment == taRightJustify) {
      stripX = left - extra;
      shift = r.frametextrect.Left - extra;
    } else {
      stripX = left - r.frametextrect.Left - 2;
      shift = -2;
    }
    c->Draw(stripX, m_newCaptionRect.Top, &strip);
    left += shift;
    if (imageX >= 0 && m_imagePosition == sfipDefault) imageX += shift;
  }
  SetBrushClear(c);
  DrawLaidText(c, left, top, caption, area);
  if (imageX >= 0) DrawImage(c, imageX, area.Top + (area.Height() - ImageHeight()) / 2);
}

void TsfSkinPanel::PaintTransparent(TCanvas* c) {
  DrawParentBackground(this, c);
  const TsfSkinColors& colors = SkinData()->Colors;
  const int W = Width(), H = Height();
  if (!m_captionMode) {
    if (m_borderStyle != bvNone) DrawFrame3D(c, TRect(0, 0, W, H), colors.cbtnshadow, colors.cbtnshadow);
    PaintPanelContent(c);
    return;
  }
  const TsfDataSkinPanelControl* r = m_panelRecord;
  TFont font = r ? ControlFont(r->fontname, r->fontheight, r->fontstyle) : *DefaultFont();
  TColor textColor = colors.cbtntext;
  if (auto* label = SkinData()->ControlRecord<TsfDataSkinStdLabelControl>(QStringLiteral("stdlabel")))
    textColor = label->fontcolor;
  font.SetColor(textColor);
  c->Font = font;
  const int textH = c->TextHeight(Caption());
  TRect cap(5, 0, W, textH + 5);
  int left = cap.Left;
  if (m_checkedMode && r && m_geometry.Picture) {
    TBitmap mark = KeyedPiece(*m_geometry.Picture, m_checked ? r->checkimagerect : r->uncheckimagerect);
    if (!mark.Empty()) {
      c->Draw(left, cap.Top + (cap.Height() - mark.Height()) / 2, &mark);
      left += mark.Width() + 5;
    }
  }
  if (ImageWidth() > 0) {
    DrawImage(c, left, cap.Top + (cap.Height() - ImageHeight()) / 2);
    left += ImageWidth() + 2;
  }
  SetBrushClear(c);
  const int top = cap.Top + cap.Height() / 2 - textH / 2;
  c->TextOut(left, top, Caption());
  int textRight = left + c->TextWidth(Caption());
  if (m_rollUpMode) {
    DrawArrowGlyph(c, TRect(textRight + 3, cap.Top, textRight + 13, cap.Bottom), textColor,
                   m_rollUpState ? 4 : 3);
    textRight += 10;
  }
  m_newCaptionRect = TRect(0, cap.Top, textRight, cap.Bottom);
  const int mid = cap.Top + cap.Height() / 2;
  c->Pen.Color = colors.cbtnshadow;
  c->Pen.Style = psSolid;
  c->MoveTo(0, mid);
  c->LineTo(4, mid);
  c->MoveTo(textRight + 2, mid);
  c->LineTo(W - 1, mid);
  c->LineTo(W - 1, H - 1);
  c->LineTo(0, H - 1);
  c->LineTo(0, mid);
  PaintPanelContent(c);
}

// ---- mouse and roll-up ------------------------------------------------------------

TRect TsfSkinPanel::CaptionHitRect() const {
  if (DefaultLook()) return TRect(1, 1, Width() - 1, m_defaultCaptionHeight);
  return m_newCaptionRect;
}

void TsfSkinPanel::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfSkinPanel> self(this);
  if (button == mbLeft && m_captionMode && (m_checkedMode || m_rollUpMode) &&
      CaptionHitRect().Contains(TPoint(x, y))) {
    if (m_checkedMode) SetChecked(!m_checked);
    if (self && m_rollUpMode) SetRollUpState(!m_rollUpState);
  }
  if (self) TsfSkinCustomControl::MouseUp(button, shift, x, y);
}

void TsfSkinPanel::LiftConstraints() {
  if (!m_savedConstraints) m_savedConstraints = SavedConstraints{minimumSize(), maximumSize()};
  setMinimumSize(0, 0);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void TsfSkinPanel::RestoreConstraints() {
  if (!m_savedConstraints) return;
  const SavedConstraints saved = *m_savedConstraints;
  m_savedConstraints.reset();
  setMinimumSize(saved.minimum);
  setMaximumSize(saved.maximum);
}

void TsfSkinPanel::SetRollUpState(bool v) {
  if (v == m_rollUpState) return;
  if (!m_rollUpMode) {
    RestoreConstraints();
    m_rollUpState = false;
    return;
  }
  m_rollUpState = v;
  if (v) RollUp();
  else Unroll();
  if (OnChangeRollUpState) OnChangeRollUpState(this);
}

void TsfSkinPanel::RollUp() {
  if (m_realHeight != -1) return;
  m_changingRollUp = true;
  LiftConstraints();
  m_realHeight = Height();
  m_hiddenByRollUp.clear();
  for (TControl* c : Controls())
    if (c->Visible()) {
      m_hiddenByRollUp << c;
      c->SetVisible(false);
    }
  ReadSkinRecord();
  int h;
  if (DefaultLook()) {
    h = m_defaultCaptionHeight + 1;
  } else {
    int w = Width(), hh = Height();
    AdjustSizeToSkin(w, hh);
    h = Height() - m_geometry.NewClientRect.Height();
  }
  SetBounds(Left(), Top(), Width(), h);
  m_changingRollUp = false;
}

void TsfSkinPanel::Unroll() {
  if (m_realHeight == -1) return;
  m_changingRollUp = true;
  const int h = m_realHeight;
  m_realHeight = -1;
  SetBounds(Left(), Top(), Width(), h);
  RestoreConstraints();
  // Only the children the roll-up hid come back.
  for (const QPointer<TControl>& c : m_hiddenByRollUp)
    if (c) c->SetVisible(true);
  m_hiddenByRollUp.clear();
  Realign();
  m_changingRollUp = false;
}

// ---- group box ------------------------------------------------------------------

TsfSkinGroupBox::TsfSkinGroupBox(QWidget* parent) : TsfSkinPanel(parent) {
  SetSkinDataName(QStringLiteral("groupbox"));
  SetCaptionMode(true);
}

void TsfSkinGroupBox::ReadSkinRecord() {
  TsfSkinPanel::ReadSkinRecord();
  ForceBackground = true;
  // A caption below the client part is not in the top strip: paint in one piece.
  if (const TsfDataSkinPanelControl* r = PanelRecord())
    if (r->clientrect.Bottom <= r->captionrect.Top) ForceBackground = false;
}
