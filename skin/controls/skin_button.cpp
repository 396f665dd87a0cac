#include "skin/controls/skin_button.h"

#include <QApplication>
#include <QMetaObject>
#include <algorithm>

#include "platform/form.h"
#include "skin/controls/dialog_keys.h"
#include "skin/render/compose.h"
#include "skin/render/effect_bmp.h"
#include "skin/render/glyphs.h"
#include "skin/render/layer_window.h"
#include "skin/render/pixel_copy.h"

namespace {
constexpr int kRepeatFirstDelay = 500;

TForm* ParentForm(QWidget* w) {
  for (QWidget* p = w ? w->parentWidget() : nullptr; p; p = p->parentWidget())
    if (auto* f = qobject_cast<TForm*>(p)) return f;
  return nullptr;
}

}  // namespace

TsfSkinButton::TsfSkinButton(QWidget* parent)
    : TsfSkinCustomControl(parent),
      m_morph(
          this, [this] { return MorphingInEffect(); },
          [this] { return m_mouseInside || Focus(); }, [this] { Invalidate(); }) {
  InstallDialogKeysForTextless(this);
  SetSkinDataName(QStringLiteral("button"));
  SetTabStop(true);
  SetBounds(Left(), Top(), 75, 25);
}

TsfSkinButton::~TsfSkinButton() {
  FreeTimer(m_repeatTimer);
  FreeTimer(m_animTimer);
}

// ---- properties -------------------------------------------------------------

void TsfSkinButton::SetGlyph(const TBitmap& v) { m_glyph = v; Invalidate(); }
void TsfSkinButton::SetNumGlyphs(int v) { m_numGlyphs = std::clamp(v, 1, 4); Invalidate(); }
void TsfSkinButton::SetImageList(TCustomImageList* v) { m_imageList = v; Invalidate(); }

void TsfSkinButton::SetImageIndex(int v) {
  if (v == m_imageIndex) return;
  m_imageIndex = v;
  Invalidate();
}

void TsfSkinButton::SetLayout(TsfButtonLayout v) {
  if (v == m_layout) return;
  m_layout = v;
  Invalidate();
}

void TsfSkinButton::SetMargin(int v) {
  if (v == m_margin || v < -1) return;
  m_margin = v;
  Invalidate();
}

void TsfSkinButton::SetSpacing(int v) {
  if (v == m_spacing) return;
  m_spacing = v;
  Invalidate();
}

void TsfSkinButton::SetUseSkinSize(bool v) {
  m_useSkinSize = v;
  if (SkinData() && !SkinData()->IsEmpty) ApplySkinChange();
}

void TsfSkinButton::SetCanFocused(bool v) {
  m_canFocused = v;
  SetTabStop(v);
  if (!v) setFocusPolicy(Qt::NoFocus);
}

void TsfSkinButton::SetGroupIndex(int v) {
  m_groupIndex = v;
  if (v != 0) SetCanFocused(false);
}

void TsfSkinButton::SetDefault(bool v) {
  m_default = v;
  // Every button of the window works its active flag out again.
  if (QWidget* w = window())
    for (TsfSkinButton* b : w->findChildren<TsfSkinButton*>()) b->Invalidate();
  Invalidate();
}

void TsfSkinButton::SetDown(bool v) {
  if (v == m_down) return;
  m_down = v;
  if (MorphingInEffect()) {
    m_morph.Factor = 1;
    if (v) m_morph.Stop();
    else m_morph.Start();
  }
  Invalidate();
  if (m_groupIndex != 0 && v && !AllowAllUp) ReleaseGroup();
}

void TsfSkinButton::ReleaseGroup() {
  QWidget* parent = parentWidget();
  if (!parent) return;
  for (QObject* o : parent->children()) {
    auto* b = dynamic_cast<TsfSkinButton*>(o);
    if (b && b != this && b->m_groupIndex == m_groupIndex && b->m_down) b->SetDown(false);
  }
}

bool TsfSkinButton::IsActive() const {
  QWidget* w = window();
  QWidget* focus = w ? w->focusWidget() : nullptr;
  if (m_canFocused && focus == this) return true;
  if (!m_default) return false;
  auto* other = dynamic_cast<TsfSkinButton*>(focus);
  return !(other && other->m_canFocused);
}

// ---- record -----------------------------------------------------------------

void TsfSkinButton::ReadSkinRecord() {
  TsfSkinCustomControl::ReadSkinRecord();
  m_record = RecordIndex() == -1 ? nullptr
                                 : dynamic_cast<const TsfDataSkinButtonControl*>(SkinRecord());
  if (!m_record) {
    StopAnimation();
    return;
  }
  m_activeRect = m_record->activeskinrect.IsEmpty() ? m_record->skinrect : m_record->activeskinrect;
  m_downRect = m_record->downskinrect.IsEmpty() ? m_activeRect : m_record->downskinrect;
  m_disabledFontColor = m_record->disabledfontcolor == m_record->fontcolor ? RGB(128, 128, 128)
                                                                          : m_record->disabledfontcolor;
  if (!m_useSkinSize) m_geometry.Mask = nullptr;
}

void TsfSkinButton::AdjustSizeToSkin(int& width, int& height) {
  if (m_useSkinSize || m_geometry.ResizeMode == rmFrame) {
    TsfSkinCustomControl::AdjustSizeToSkin(width, height);
    return;
  }
  if (RecordIndex() == -1) return;
  const TRect& c = m_geometry.ClientRect;
  m_geometry.NewClientRect = TRect(c.Left, c.Top, c.Right + width - m_geometry.SkinWidth(),
                                   c.Bottom + height - m_geometry.SkinHeight());
}

void TsfSkinButton::ApplySkinChange() {
  m_morph.Stop();
  StopAnimation();
  m_morph.Factor = 0;
  TsfSkinCustomControl::ApplySkinChange();
  if (MorphingInEffect() && (Focus() || m_mouseInside)) m_morph.Factor = 1;
  if (m_mouseInside) PostGlow(WM_SKINCTRL_SHOWGLOW);
}

void TsfSkinButton::ForgetSkinRecord() {
  TsfSkinCustomControl::ForgetSkinRecord();
  m_record = nullptr;
  HideGlow();
}

bool TsfSkinButton::MorphingInEffect() const {
  return m_record && m_record->morphing && SkinData() && SkinData()->EnableSkinEffects;
}

// ---- painting -----------------------------------------------------------------

bool TsfSkinButton::DownLook() const {
  if (!m_down) return false;
  if (m_groupIndex != 0) return true;
  return m_mouseInside || (Focus() && !m_mouseDown);
}

void TsfSkinButton::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  ReadSkinRecord();
  int w = Width(), h = Height();
  AdjustSizeToSkin(w, h);
  if (!m_record) {
    PaintBuffered();  // default look, or a record of another class
    return;
  }
  TRect skinRect = m_geometry.SkinRect, activeRect = m_activeRect;
  const bool animating = m_animTimer && m_animFrame > 0;
  if (animating) (m_animForwards ? activeRect : skinRect) = AnimationSlice(m_animFrame);

  const double f = m_morph.Factor;
  if (MorphingInEffect() && f > 0 && f < 1 && Enabled()) {
    TBitmap normal(Width(), Height()), active(Width(), Height());
    PaintStateImage(normal, skinRect, false, false);
    PaintStateImage(active, activeRect, true, false);
    TsfEffectBmp a(normal), b(active);
    a.Morph(m_record->morphkind, b, f);
    a.DrawTo(Canvas(), 0, 0);
    return;
  }
  TRect source = skinRect;
  bool isActive = false, isDown = false;
  if (!Enabled() && !m_record->disabledskinrect.IsEmpty()) {
    source = m_record->disabledskinrect;
  } else if (DownLook()) {
    source = m_downRect;
    isActive = isDown = true;
  } else if (Focus() && !m_record->focusedskinrect.IsEmpty() && !animating) {
    source = m_record->focusedskinrect;
    isActive = true;
  } else if (Focus() || m_mouseInside || (m_default && IsActive() && Enabled())) {
    source = activeRect;
    isActive = true;
  } else if (!MorphingInEffect() || f != 1) {
    source = skinRect;
  } else {
    source = activeRect;
    isActive = true;
  }
  const bool cacheable = !OnPaint && !(m_imageList && m_imageIndex >= 0 && m_imageIndex < m_imageList->Count());
  FaceKey key;
  if (cacheable) {
    const TFont font = StateFont(isActive, isDown);
    key.picture = m_geometry.Picture ? m_geometry.Picture->Image().cacheKey() : 0;
    key.glyph = m_glyph.Empty() ? 0 : m_glyph.Image().cacheKey();
    key.source = source;
    key.content = m_geometry.NewClientRect;
    key.width = Width();
    key.height = Height();
    key.glyphNumber = GlyphNumber(isActive, isDown);
    key.numGlyphs = m_numGlyphs;
    key.layout = m_layout;
    key.margin = m_margin;
    key.spacing = m_spacing;
    key.fontHeight = font.Height();
    key.charset = font.Charset();
    key.fontColor = font.Color();
    key.fontStyle = font.Style();
    key.active = isActive;
    key.down = isDown;
    key.enabled = Enabled();
    key.focusFrame = m_record->showfocus && Focus();
    key.stretched = m_useSkinSize || m_geometry.ResizeMode == rmFrame;
    key.caption = Caption();
    key.fontName = font.Name();
    if (!m_face.Empty() && key == m_faceKey) {
      Canvas()->Draw(0, 0, &m_face);
      return;
    }
  }
  TBitmap picture(Width(), Height());
  PaintStateImage(picture, source, isActive, isDown);
  Canvas()->Draw(0, 0, &picture);
  if (cacheable) {
    m_face = picture;
    m_faceKey = key;
  } else {
    m_face = TBitmap();
  }
}

TFont TsfSkinButton::StateFont(bool active, bool down) const {
  TFont font = ControlFont(m_record->fontname, m_record->fontheight, m_record->fontstyle);
  if (Enabled() && !UseSkinFontColor) font.SetColor(DefaultFont()->Color());
  else if (!Enabled()) font.SetColor(m_disabledFontColor);
  else if (active && down) font.SetColor(m_record->downfontcolor);
  else if (active) font.SetColor(m_record->activefontcolor);
  else font.SetColor(m_record->fontcolor);
  return font;
}

int TsfSkinButton::GlyphNumber(bool active, bool down) const {
  if (active && down && m_numGlyphs > 2) return 3;
  if (active && m_numGlyphs > 3) return 4;
  if (Enabled() || m_numGlyphs < 2) return 1;
  return 2;
}

void TsfSkinButton::PaintStateImage(TBitmap& picture, const TRect& source, bool active, bool down) {
  const TsfSkinGeometry& g = m_geometry;
  const int W = Width(), H = Height();
  TRect content;
  if (m_useSkinSize || g.ResizeMode == rmFrame) {
    g.Compose(picture, source, W, H);
    content = g.NewClientRect;
  } else {
    if (g.Picture) {
      if (g.ResizeMode == rmFixed)
        sfpix::Stretch(picture.Image(), TRect(0, 0, W, H), sfpix::As32(g.Picture->Image()), source);
      else
        ComposeWholeBitmap(picture, *g.Picture, source, g.ClientRect, true);
    }
    content = TRect(g.ClientRect.Left, g.ClientRect.Top,
                    g.ClientRect.Right + picture.Width() - source.Width(),
                    g.ClientRect.Bottom + picture.Height() - source.Height());
  }
  if (content.IsEmpty()) content = TRect(0, 0, picture.Width(), picture.Height());

  TCanvas* c = picture.Canvas();
  c->Font = StateFont(active, down);
  if (m_record->showfocus && Focus()) DrawDottedFrame(c, content);

  bool drawDefault = true;
  if (OnPaint) OnPaint(this, c, content, down, active, drawDefault);
  if (!drawDefault) return;
  const bool pressed = active && down;
  const int glyph = GlyphNumber(active, down);
  if (m_imageList && m_imageIndex >= 0 && m_imageIndex < m_imageList->Count())
    DrawImageGlyphAndText(c, content, m_margin, 0, false, Enabled(), pressed, m_imageList,
                          m_imageIndex, Caption(), m_layout, m_spacing);
  else
    DrawStripGlyphAndText(c, content, m_margin, 0, false, pressed, glyph, m_numGlyphs, m_glyph,
                          Caption(), m_layout, m_spacing);
}

void TsfSkinButton::PaintDefaultImage(TBitmap& picture) {
  TCanvas* c = picture.Canvas();
  const TRect r = ClientRect();
  TColor frame = clBtnShadow, fill = clBtnFace;
  if (DownLook()) {
    frame = clNavy;
    fill = RGB(133, 147, 181);
  } else if (m_mouseInside || Focus()) {
    frame = clNavy;
    fill = RGB(182, 189, 210);
  }
  c->Brush.Style = bsSolid;
  c->Brush.Color = fill;
  c->FillRect(r);
  DrawFrame3D(c, r, frame, frame);
  TFont font = ControlFont(QString(), 0, 0);
  if (!Enabled()) font.SetColor(clBtnShadow);
  c->Font = font;
  bool drawDefault = true;
  if (OnPaint) OnPaint(this, c, r, m_down, m_mouseInside, drawDefault);
  if (!drawDefault) return;
  const int glyph = GlyphNumber(m_mouseInside, m_down);
  if (m_imageList && m_imageIndex >= 0 && m_imageIndex < m_imageList->Count())
    DrawImageGlyphAndText(c, r, m_margin, 0, false, Enabled(), m_down, m_imageList, m_imageIndex,
                          Caption(), m_layout, m_spacing);
  else
    DrawStripGlyphAndText(c, r, m_margin, 0, false, m_down, glyph, m_numGlyphs, m_glyph,
                          Caption(), m_layout, m_spacing);
}

// ---- clicking -------------------------------------------------------------------

void TsfSkinButton::PerformClick() {
  if (m_canFocused)
    if (TForm* form = ParentForm(this)) form->SetModalResult(ModalResult);
  ClickWithAction(this, OnClick, Action());
}

void TsfSkinButton::SetAction(TAction* action) {
  m_actionLink.Link(this, action, [this](TAction* a) {
    SetCaption(a->Caption());
    SetEnabled(a->Enabled());
    SetVisible(a->Visible());
  });
}

void TsfSkinButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfSkinButton> self(this);
  if (button == mbLeft) {
    StopAnimation();
    m_mouseDown = true;
    if (!m_down) {
      m_mouseInside = true;
      SetDown(true);
      if (RepeatMode && m_groupIndex == 0) StartRepeat();
      else if (m_groupIndex != 0) PerformClick();
      if (!self) return;
      m_allowAllUpCheck = false;
    } else if (m_groupIndex != 0) {
      m_allowAllUpCheck = true;
    }
  }
  TsfSkinCustomControl::MouseDown(button, shift, x, y);
}

void TsfSkinButton::MouseMove(TShiftState shift, int x, int y) {
  // While held down the pointer is captured: leaving and coming back are
  // seen here, not as enter and leave notifications.
  if (m_mouseDown) {
    const bool inside = ClientRect().Contains(TPoint(x, y));
    if (inside != m_mouseInside) {
      if (inside) MouseEnter();
      else MouseLeave();
    }
  }
  TsfSkinCustomControl::MouseMove(shift, x, y);
}

void TsfSkinButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfSkinButton> self(this);
  if (button == mbLeft) {
    const bool wasDown = m_down;
    m_mouseDown = false;
    m_mouseInside = ClientRect().Contains(TPoint(x, y));
    if (m_groupIndex == 0) {
      StopRepeat();
      if (m_mouseInside) {
        SetDown(false);
        if (wasDown) PerformClick();
      } else {
        m_down = false;  // no repaint: the look was already up outside
      }
    } else if (wasDown && AllowAllUp && m_allowAllUpCheck && m_mouseInside) {
      SetDown(false);
      PerformClick();
    }
  }
  if (self && isVisible()) TsfSkinCustomControl::MouseUp(button, shift, x, y);
}

// ---- keyboard -----------------------------------------------------------------

void TsfSkinButton::KeyDown(WORD& key, TShiftState shift) {
  QPointer<TsfSkinButton> self(this);
  TsfSkinCustomControl::KeyDown(key, shift);
  if (self && m_canFocused) NavigateByArrow(this, key, shift);
}

bool TsfSkinButton::HandleKey(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // A press on a button without the focus gives it the focus first; the
      // press counts only when the focus arrived.
      if (!m_canFocused || window()->focusWidget() == this) return false;
      m_clicksDisabled = true;
      if (!window()->isActiveWindow()) window()->activateWindow();
      SetFocus();
      m_clicksDisabled = false;
      return window()->focusWidget() != this;
    }
    // Keys: the button's own handling, then the platform's (OnKeyDown...).
    // A click handler may destroy the button: then the key is done with.
    case WM_KEYDOWN: {
      if (!m_canFocused) return false;
      QPointer<TsfSkinButton> self(this);
      if (m.WParam == VK_SPACE) {
        StopAnimation();
        SetDown(true);
        if (RepeatMode) PerformClick();
      } else if (m.WParam == VK_RETURN) {
        PerformClick();
      }
      return !self;
    }
    case WM_KEYUP: {
      QPointer<TsfSkinButton> self(this);
      if (m_canFocused && m.WParam == VK_SPACE && m_down && m_groupIndex == 0) {
        SetDown(false);
        PerformClick();
      }
      return !self;
    }
    case CM_DIALOGKEY:
      if (m.WParam == VK_RETURN && IsActive() && Enabled() && isVisible()) {
        PerformClick();
        m.Result = 1;
      } else if (m.WParam == VK_ESCAPE && Cancel && m_canFocused && CanFocus() &&
                 !(QApplication::keyboardModifiers() & Qt::ShiftModifier)) {
        PerformClick();
        m.Result = 1;
      }
      return true;
    case CM_DIALOGCHAR:
      if (IsAccel(QChar(char16_t(m.WParam)), Caption()) && CanFocus() && m_canFocused) {
        SetFocus();
        PerformClick();
        m.Result = 1;
      }
      return true;
    case WM_SKINCTRL_SHOWGLOW: ShowGlow(); return true;
    case WM_SKINCTRL_HIDEGLOW: HideGlow(); return true;
    default: return false;
  }
}

void TsfSkinButton::WndProc(TMessage& m) {
  if (HandleKey(m)) return;
  TsfSkinCustomControl::WndProc(m);
}

// ---- hover and focus ----------------------------------------------------------

void TsfSkinButton::MouseEnter() {
  m_mouseInside = true;
  if ((m_groupIndex != 0 && !m_down) || (m_groupIndex == 0 && (!Focus() || m_down))) {
    if (m_down) {
      if (MorphingInEffect()) m_morph.Factor = 1;
      Invalidate();
    } else {
      StartAnimation(true);
      Refresh();
    }
  }
  if (m_down && RepeatMode && m_groupIndex == 0 && m_mouseDown) StartRepeat();
  PostGlow(WM_SKINCTRL_SHOWGLOW);
  TsfSkinCustomControl::MouseEnter();
}

void TsfSkinButton::MouseLeave() {
  // The default button stays hot while no other button has the focus.
  if (!(m_canFocused && m_default && IsActive() && !Focus())) m_mouseInside = false;
  if ((m_groupIndex != 0 && !m_down) || (m_groupIndex == 0 && (!Focus() || m_down))) {
    StartAnimation(false);
    Refresh();
  }
  if (m_mouseDown && RepeatMode) StopRepeat();
  PostGlow(WM_SKINCTRL_HIDEGLOW);
  TsfSkinCustomControl::MouseLeave();
}

void TsfSkinButton::FocusChanged(bool focused) {
  if (focused) {
    if (m_canFocused) {
      StartAnimation(true);
      Refresh();
    }
  } else {
    StopRepeat();
    if (m_groupIndex == 0 && m_down) m_down = false;
    if (m_canFocused) {
      StartAnimation(false);
      Refresh();
    }
  }
  // The default button's look follows whether a button has the focus.
  if (QWidget* w = window())
    for (TsfSkinButton* b : w->findChildren<TsfSkinButton*>())
      if (b != this && b->m_default) b->Invalidate();
  TsfSkinCustomControl::FocusChanged(focused);
}

void TsfSkinButton::EnabledChanged() {
  m_morph.Stop();
  m_morph.Factor = 0;
  m_mouseInside = false;
  Invalidate();
}

void TsfSkinButton::TextChanged() { Invalidate(); }

// ---- timers ---------------------------------------------------------------------

void TsfSkinButton::Refresh() {
  if (MorphingInEffect()) m_morph.Start();
  else Invalidate();
}

void TsfSkinButton::StartRepeat() {
  FreeTimer(m_repeatTimer);
  m_repeatTimer = NewTimer(this, kRepeatFirstDelay, [this] { RepeatTick(); });
}

void TsfSkinButton::RepeatTick() {
  if (!m_repeatTimer) return;
  // The first tick only switches to the repeat interval.
  if (m_repeatTimer->Interval() == kRepeatFirstDelay && m_repeatTimer->Tag == 0) {
    m_repeatTimer->Tag = 1;
    m_repeatTimer->SetInterval(RepeatInterval);
    return;
  }
  PerformClick();
}

void TsfSkinButton::StopRepeat() { FreeTimer(m_repeatTimer); }

TRect TsfSkinButton::AnimationSlice(int frame) const {
  const TRect strip = m_record ? m_record->animateskinrect : TRect();
  const int count = m_record ? m_record->framecount : 0;
  if (strip.IsEmpty() || count <= 0) return TRect();
  if (strip.Width() > m_geometry.SkinWidth()) {
    const int w = strip.Width() / count;
    return TRect(strip.Left + (frame - 1) * w, strip.Top, strip.Left + frame * w, strip.Bottom);
  }
  const int h = strip.Height() / count;
  return TRect(strip.Left, strip.Top + (frame - 1) * h, strip.Right, strip.Top + frame * h);
}

void TsfSkinButton::StartAnimation(bool forwards) {
  if (!m_record || !SkinData() || !SkinData()->EnableSkinEffects ||
      m_record->animateskinrect.IsEmpty() || m_record->framecount <= 0 ||
      m_record->animateinterval <= 0)
    return;
  FreeTimer(m_animTimer);
  m_animForwards = forwards;
  m_animFrame = forwards ? 1 : m_record->framecount;
  m_animTimer = NewTimer(this, m_record->animateinterval, [this] { AnimationTick(); });
  Invalidate();
}

void TsfSkinButton::AnimationTick() {
  const int count = m_record ? m_record->framecount : 0;
  m_animFrame += m_animForwards ? 1 : -1;
  if (m_animFrame > count || m_animFrame <= 0) StopAnimation();
  Invalidate();
}

void TsfSkinButton::StopAnimation() {
  FreeTimer(m_animTimer);
  m_animFrame = 0;
}

// ---- glow -------------------------------------------------------------------------

void TsfSkinButton::PostGlow(unsigned msg) {
  QMetaObject::invokeMethod(this, [this, msg] { Perform(msg); }, Qt::QueuedConnection);
}

void TsfSkinButton::ShowGlow() {
  TsfSkinData* data = SkinData();
  if (!data || data->IsEmpty || !LayeredWindowsAvailable()) return;
  if (!data->ShowButtonGlowFrames && !AlwaysShowLayeredFrame) return;
  ReadSkinRecord();
  if (!m_record) return;
  const TBitmap* glow = data->Picture(m_record->glowlayerpictureindex);
  const TBitmap* glowMask = data->Picture(m_record->glowlayermaskpictureindex);
  if (!glow) return;
  const TsfDataSkinButtonControl& r = *m_record;
  TBitmap picture, mask;
  const int dw = Width() - m_geometry.SkinWidth(), dh = Height() - m_geometry.SkinHeight();
  auto whole = [&](const TBitmap& src, TBitmap& out) {
    ResetBitmap(out, src.Width() + dw, src.Height() + dh);
    const TRect inner(r.glowlayeroffsetleft, r.glowlayeroffsettop, src.Width() - r.glowlayeroffsetright,
                      src.Height() - r.glowlayeroffsetbottom);
    ComposeWholeBitmap(out, src, TRect(0, 0, src.Width(), src.Height()), inner, true);
  };
  switch (m_geometry.ResizeMode) {
    case rmFixed:
      picture = *glow;
      if (glowMask) mask = *glowMask;
      break;
    case rmHorizontal:
      if (!m_useSkinSize) return;
      ComposeHStrip(r.glowlayeroffsetleft, r.glowlayeroffsetright, picture, *glow,
                    TRect(0, 0, glow->Width(), glow->Height()), glow->Width() + dw, true);
      if (glowMask)
        ComposeHStrip(r.glowlayeroffsetleft, r.glowlayeroffsetright, mask, *glowMask,
                      TRect(0, 0, glowMask->Width(), glowMask->Height()), glowMask->Width() + dw, true);
      break;
    case rmFrame:
      whole(*glow, picture);
      if (glowMask) whole(*glowMask, mask);
      break;
    default: return;
  }
  if (!m_glow) m_glow = new TsfLayerManager(this);
  if (TForm* form = ParentForm(this)) m_glow->StayOnTop = form->windowFlags() & Qt::WindowStaysOnTopHint;
  const TPoint at = ClientToScreen(TPoint(0, 0));
  m_glow->Show(at.X - r.glowlayershowoffsetx, at.Y - r.glowlayershowoffsety,
               r.glowlayeralphablendvalue, mask, picture);
}

void TsfSkinButton::HideGlow() {
  if (m_glow) m_glow->Hide();
}
