#include "skin/form/frame_objects.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <climits>
#include <cmath>

#include "skin/form/skin_form.h"
#include "skin/render/alpha_bitmap.h"
#include "skin/render/compose.h"
#include "skin/render/effect_bmp.h"
#include "skin/render/layer_window.h"
#include "skin/render/glyphs.h"
#include "skin/render/text_helpers.h"

int SmallIconSize() {
  const int size = QApplication::style()->pixelMetric(QStyle::PM_SmallIconSize);
  return size > 0 ? size : QApplication::style()->pixelMetric(QStyle::PM_TitleBarButtonSize);
}

TsfActiveSkinObject::TsfActiveSkinObject(TsfSkinForm* parent, const TsfDataSkinObject* r)
    : Parent(parent) {
  if (!r) return;
  IDName = r->SectionName;
  Hint = r->hint;
  SkinRectInAPicture = r->skinrectinapicture;
  SkinRect = r->skinrect;
  ActiveSkinRect = r->activeskinrect;
  InactiveSkinRect = r->inactiveskinrect;
  ActivePictureIndex = r->activepictureindex;
  ActiveMaskPictureIndex = r->activemaskpictureindex;
  TsfSkinData* sd = parent->SkinData();
  if (!sd || !sd->Picture(ActivePictureIndex)) {
    ActivePictureIndex = -1;
    ActiveSkinRect = TRect();
  }
  if (!sd || !sd->Picture(ActiveMaskPictureIndex)) ActiveMaskPictureIndex = -1;
  Morphing = r->morphing && !IsEmptyArea(ActiveSkinRect);
  MorphKind = int(r->morphkind);
  GlowPictureIndex = r->glowlayerpictureindex;
  GlowMaskPictureIndex = r->glowlayermaskpictureindex;
  GlowOffsetX = r->glowlayeroffsetx;
  GlowOffsetY = r->glowlayeroffsety;
  GlowAlphaBlendValue = r->glowlayeralphablendvalue;
  ObjectRect = SkinRect;
}

TsfLayerManager* TsfActiveSkinObject::GlowLayer() const {
  return HasMenu() ? Parent->MenuGlowLayer() : Parent->ButtonGlowLayer();
}

void TsfActiveSkinObject::ShowGlowLayer() {
  TsfSkinData* sd = Parent->SkinData();
  if (!sd || sd->IsEmpty || GlowPictureIndex == -1 || !sd->ShowCaptionButtonGlowFrames ||
      !LayeredWindowsAvailable())
    return;
  const TBitmap* picture = sd->Picture(GlowPictureIndex);
  if (!picture) return;
  const TBitmap* mask = sd->Picture(GlowMaskPictureIndex);
  const QPoint origin = Parent->Form()->pos();
  GlowLayer()->Show(origin.x() + ObjectRect.Left - GlowOffsetX,
                    origin.y() + ObjectRect.Top - GlowOffsetY, GlowAlphaBlendValue,
                    mask ? *mask : TBitmap(), *picture);
}

void TsfActiveSkinObject::HideGlowLayer() { GlowLayer()->Hide(); }

// The events run from copies of the handler, the name and the rect: a
// handler may reload the skin (freeing this object), destroy the window or
// replace itself. The callers touch nothing of the object afterwards.
void TsfActiveSkinObject::FireMouseDown(TMouseButton button, int x, int y) {
  if (const auto handler = Parent->OnMouseDownEvent)
    handler(QString(IDName), x, y, TRect(ObjectRect), button);
}

void TsfActiveSkinObject::FireMouseUp(TMouseButton button, int x, int y) {
  if (!MouseIn) return;
  if (const auto handler = Parent->OnMouseUpEvent)
    handler(QString(IDName), x, y, TRect(ObjectRect), button);
}

void TsfActiveSkinObject::FireEnter() {
  if (const auto handler = Parent->OnMouseEnterEvent) handler(QString(IDName));
}

void TsfActiveSkinObject::FireLeave() {
  if (const auto handler = Parent->OnMouseLeaveEvent) handler(QString(IDName));
}

const TBitmap* TsfActiveSkinObject::ActivePicture() const {
  TsfSkinData* sd = Parent->SkinData();
  return sd ? sd->Picture(ActivePictureIndex) : nullptr;
}

const TBitmap* TsfActiveSkinObject::FormPicture() const {
  TsfSkinData* sd = Parent->SkinData();
  return sd && !sd->MainPicture.Empty() ? &sd->MainPicture : nullptr;
}

bool TsfActiveSkinObject::AcceptsPoint(int x, int y) const {
  TsfSkinData* sd = Parent->SkinData();
  const TBitmap* mask = sd && !sd->IsEmpty ? sd->Picture(ActiveMaskPictureIndex) : nullptr;
  if (!mask) return true;
  if (x < 0 || y < 0 || x >= mask->Width() || y >= mask->Height()) return false;
  return (mask->Image().pixel(x, y) & 0xFFFFFF) == 0;
}

bool TsfActiveSkinObject::IsMorphing() const {
  return (Active && MorphFactor < 1.0) || (!Active && MorphFactor > 0.0);
}

bool TsfActiveSkinObject::MorphStep() {
  TsfSkinData* sd = Parent->SkinData();
  if (!Morphing || !sd || !sd->EnableSkinEffects || !IsMorphing()) return false;
  // In whole fifths: repeated sums of 0.2 would stop a hair short of 0.
  MorphFactor = std::clamp(std::round((MorphFactor + (Active ? 0.2 : -0.2)) * 5.0) / 5.0, 0.0, 1.0);
  Parent->RepaintObject(this);
  return true;
}

void TsfActiveSkinObject::StartMorph() {
  TsfSkinData* sd = Parent->SkinData();
  if (Morphing && sd && sd->EnableSkinEffects) Parent->BlendTimer()->SetEnabled(true);
  else Parent->RepaintObject(this);
}

void TsfActiveSkinObject::ResetHover() {
  Active = MouseIn = false;
  MorphFactor = 0.0;
}

void TsfActiveSkinObject::DrawPiece(TCanvas* canvas, const TBitmap* picture,
                                    const TRect& rect) const {
  if (!picture) return;
  const TRect r = rect.Intersect(TRect(0, 0, picture->Width(), picture->Height()));
  if (r.IsEmpty()) return;
  canvas->Painter()->drawImage(QPoint(ObjectRect.Left, ObjectRect.Top), picture->Image(),
                               r.toQRect());
}

void TsfActiveSkinObject::DrawMorph(TCanvas* canvas, const TBitmap* normalPicture,
                                    const TRect& normal, const TRect& active) const {
  const TBitmap* pic = ActivePicture();
  if (!pic || !normalPicture) return;
  const TRect n = normal.Intersect(TRect(0, 0, normalPicture->Width(), normalPicture->Height()));
  const TRect a = active.Intersect(TRect(0, 0, pic->Width(), pic->Height()));
  if (n.IsEmpty() || a.IsEmpty() || n.Width() != a.Width() || n.Height() != a.Height()) {
    DrawPiece(canvas, MorphFactor >= 0.5 ? pic : normalPicture, MorphFactor >= 0.5 ? active : normal);
    return;
  }
  TsfEffectBmp from(normalPicture->Image().copy(n.toQRect()));
  const TsfEffectBmp to(pic->Image().copy(a.toQRect()));
  from.Morph(MorphKind, to, MorphFactor);
  from.DrawTo(canvas, ObjectRect.Left, ObjectRect.Top);
}

void TsfActiveSkinObject::Draw(TCanvas* canvas, bool standalone) {
  TsfSkinData* sd = Parent->SkinData();
  if (!sd || sd->IsEmpty) return;
  const TBitmap* pic = ActivePicture();
  if (Enabled && !Parent->IsFormActive() && !IsEmptyArea(InactiveSkinRect) && pic) {
    DrawPiece(canvas, pic, InactiveSkinRect);
    return;
  }
  const TBitmap* normalPicture = SkinRectInAPicture ? pic : FormPicture();
  if (Morphing && sd->EnableSkinEffects && IsMorphing() && MorphFactor > 0.0) {
    DrawMorph(canvas, normalPicture, SkinRect, ActiveSkinRect);
    return;
  }
  if (Active && !IsEmptyArea(ActiveSkinRect)) {
    DrawPiece(canvas, pic, ActiveSkinRect);
    return;
  }
  if (SkinRectInAPicture || standalone) DrawPiece(canvas, normalPicture, SkinRect);
}

void TsfActiveSkinObject::MouseDown(TMouseButton button, int x, int y) {
  FireMouseDown(button, x, y);
}
void TsfActiveSkinObject::MouseUp(TMouseButton button, int x, int y) { FireMouseUp(button, x, y); }
void TsfActiveSkinObject::MouseMove(int x, int y) {
  if (const auto handler = Parent->OnMouseMoveEvent)
    handler(QString(IDName), x, y, TRect(ObjectRect));
}

void TsfActiveSkinObject::MouseEnter() {
  MouseIn = Active = true;
  if (!IsEmptyArea(ActiveSkinRect)) StartMorph();
  ShowGlowLayer();
  FireEnter();  // last: may free this object
}

void TsfActiveSkinObject::MouseLeave() {
  MouseIn = Active = false;
  if (!IsEmptyArea(ActiveSkinRect)) StartMorph();
  HideGlowLayer();
  FireLeave();  // last: may free this object
}

// ---------------------------------------------------------------------------

TsfSkinButtonObject::TsfSkinButtonObject(TsfSkinForm* parent, const TsfDataSkinButton* r)
    : TsfActiveSkinObject(parent, r) {
  if (!r) return;
  DownRect = r->downrect;
  DisabledRect = r->disableskinrsect;
}

bool TsfSkinButtonObject::IsMorphing() const {
  return MenuShown ? false : TsfActiveSkinObject::IsMorphing();
}

void TsfSkinButtonObject::Draw(TCanvas* canvas, bool standalone) {
  TsfSkinData* sd = Parent->SkinData();
  if (!sd || sd->IsEmpty) return;
  if (!Enabled && !IsEmptyArea(DisabledRect) && ActivePicture()) {
    DrawPiece(canvas, ActivePicture(), DisabledRect);
    return;
  }
  if (Down && MouseIn && !IsEmptyArea(DownRect) && ActivePicture()) {
    DrawPiece(canvas, ActivePicture(), DownRect);
    return;
  }
  TsfActiveSkinObject::Draw(canvas, standalone);
}

void TsfSkinButtonObject::MouseDown(TMouseButton button, int x, int y) {
  if (Enabled && button == mbLeft && !Down) {
    Down = true;
    if (Morphing) MorphFactor = 1.0;
    Parent->RepaintObject(this);
    if (HasMenu()) {
      QPointer<TsfSkinForm> parent(Parent);
      const unsigned generation = Parent->ObjectGeneration();
      MenuShown = true;
      Parent->DropMenu(this, MenuItem, DropUp);
      if (!parent || parent->ObjectGeneration() != generation) return;
    }
  }
  TsfActiveSkinObject::MouseDown(button, x, y);
}

void TsfSkinButtonObject::MenuClosed() {
  Down = MenuShown = false;
  MorphFactor = Active ? 1.0 : 0.0;
  Parent->RepaintObject(this);
}

void TsfSkinButtonObject::MouseUp(TMouseButton button, int x, int y) {
  if (Enabled && button == mbLeft && !MenuShown && Down) {
    Down = false;
    StartMorph();
    Parent->RepaintObject(this);
  }
  TsfActiveSkinObject::MouseUp(button, x, y);
}

void TsfSkinButtonObject::MouseEnter() {
  MouseIn = Active = true;
  if (Down && !IsEmptyArea(DownRect)) {
    MorphFactor = 1.0;
    Parent->RepaintObject(this);
  } else if (!IsEmptyArea(ActiveSkinRect)) {
    StartMorph();
  } else {
    Parent->RepaintObject(this);
  }
  ShowGlowLayer();
  FireEnter();  // last: may free this object
}

void TsfSkinButtonObject::MouseLeave() {
  MouseIn = Active = false;
  if (!(Down && MenuShown)) StartMorph();
  HideGlowLayer();
  FireLeave();  // last: may free this object
}

// ---------------------------------------------------------------------------

TsfSkinStdButtonObject::TsfSkinStdButtonObject(TsfSkinForm* parent,
                                               const TsfDataSkinStdButton* r, int command,
                                               const QString& name)
    : TsfSkinButtonObject(parent, r), Command(command), FromRecord(r != nullptr) {
  if (!r) {
    IDName = name;
    SkinRectInAPicture = true;
    SkinRect = ObjectRect = TRect(0, 0, 1, 1);
    return;
  }
  Command = int(r->command);
  ReadRestoreLook(*r);
}

bool TsfSkinStdButtonObject::AlternateState() const {
  return Parent->CommandAlternateState(Command);
}

void TsfSkinStdButtonObject::DrawDefault(TCanvas* canvas) {
  const TRect r = ObjectRect;
  const bool pressed = Down && MouseIn;
  canvas->Brush.Style = bsSolid;
  if (MouseIn && Enabled) {
    canvas->Brush.Color = pressed ? RGB(133, 147, 181) : RGB(182, 189, 210);
    canvas->FillRect(r);
    canvas->Brush.Color = clNavy;
    canvas->FrameRect(r);
  } else {
    canvas->Brush.Color = clBtnFace;
    canvas->FillRect(r);
  }
  int x = r.Left + r.Width() / 2 - 5, y = r.Top + r.Height() / 2 - 4;
  if (pressed) ++x, ++y;
  const TColor c = Enabled ? clBtnText : clBtnShadow;
  switch (Command) {
    case 0: DrawCloseSymbol(canvas, x, y, c); break;
    case 1:
      if (AlternateState()) DrawRestoreSymbol(canvas, x, y, c);
      else DrawMaximizeSymbol(canvas, x, y, c);
      break;
    case 2:
      if (AlternateState()) DrawRestoreSymbol(canvas, x, y, c);
      else DrawMinimizeSymbol(canvas, x, y, c);
      break;
    case 3: DrawSysMenuSymbol(canvas, x, y, c); break;
    case 5:
      if (AlternateState()) DrawDownTriangleSymbol(canvas, x, y, c);
      else DrawUpTriangleSymbol(canvas, x, y, c);
      break;
    case 6: DrawSmallSquareSymbol(canvas, x, y, c); break;
    default: break;
  }
}

void TsfSkinStdButtonObject::Draw(TCanvas* canvas, bool standalone) {
  // The default frame's system-menu button shows the icon too: its layout
  // gave it the icon's square.
  if (Command == 3 && Parent->ShowIcon() && SkinRectInAPicture) {
    // The window's icon, else the application's, else the platform's own.
    MorphFactor = 0.0;
    QIcon icon = Parent->Form()->windowIcon();
    if (icon.isNull()) icon = QApplication::windowIcon();
    if (icon.isNull()) icon = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
    const int size = SmallIconSize();
    if (QPainter* p = canvas->Painter())
      p->drawPixmap(ObjectRect.Left, ObjectRect.Top, icon.pixmap(size, size));
    return;
  }
  if (!FromRecord) {
    DrawDefault(canvas);
    return;
  }
  if (Enabled && AlternateState() && !IsEmptyArea(RestoreRect) && ActivePicture()) {
    const TBitmap* pic = ActivePicture();
    if (!Parent->IsFormActive() && !IsEmptyArea(RestoreInactiveRect))
      DrawPiece(canvas, pic, RestoreInactiveRect);
    else if (Down && MouseIn && !IsEmptyArea(RestoreDownRect))
      DrawPiece(canvas, pic, RestoreDownRect);
    else if (Morphing && IsMorphing() && MorphFactor > 0.0 && !IsEmptyArea(RestoreActiveRect))
      DrawMorph(canvas, pic, RestoreRect, RestoreActiveRect);
    else if (Active && !IsEmptyArea(RestoreActiveRect))
      DrawPiece(canvas, pic, RestoreActiveRect);
    else
      DrawPiece(canvas, pic, RestoreRect);
    return;
  }
  TsfSkinButtonObject::Draw(canvas, standalone);
}

void TsfSkinStdButtonObject::MouseEnter() {
  if (Command != 4) Hint = StateHint(AlternateState());
  TsfSkinButtonObject::MouseEnter();
}

void TsfSkinStdButtonObject::MouseDown(TMouseButton button, int x, int y) {
  if (Command == 3 && Enabled && button == mbLeft && !Down) {
    Down = true;
    if (Morphing) MorphFactor = 1.0;
    MenuShown = true;
    QPointer<TsfSkinForm> parent(Parent);
    Parent->DropSystemMenu(this);  // its open event may reload the skin
    if (parent && parent->HasObject(this)) FireMouseDown(button, x, y);
    return;
  }
  TsfSkinButtonObject::MouseDown(button, x, y);
}

void TsfSkinStdButtonObject::MouseUp(TMouseButton button, int x, int y) {
  const bool run = Enabled && button == mbLeft && Down && Active && Command != 3;
  if (Command == 0) {
    // The up event may reload the skin or destroy the window first.
    QPointer<TsfSkinForm> parent(Parent);
    const unsigned generation = Parent->ObjectGeneration();
    TsfSkinButtonObject::MouseUp(button, x, y);
    if (!parent || parent->ObjectGeneration() != generation) return;
    if (run) ExecuteCommand();  // may free the form: nothing after it
    return;
  }
  if (run && Command != 4) {
    ExecuteCommand();
    return;  // the release is not drawn: the command changed the frame
  }
  TsfSkinButtonObject::MouseUp(button, x, y);
}

void TsfSkinStdButtonObject::DblClick() {
  if (Command == 3 && Enabled) {
    Down = MenuShown = false;
    Parent->CloseFromSystemMenuButton();
  }
}

void TsfSkinStdButtonObject::ExecuteCommand() {
  Down = false;
  Parent->ExecuteCommand(Command, ObjectRect);  // may free this object
}

// ---------------------------------------------------------------------------


TsfSkinAnimateObject::TsfSkinAnimateObject(TsfSkinForm* parent, const TsfDataSkinAnimate* r)
    : TsfActiveSkinObject(parent, r) {
  // No more frames than the picture holds side by side (a hostile count
  // would run the animation for hours and overflow the frame offsets).
  CountFrames = std::max(1, r->countframes);
  const TBitmap* pic = ActivePicture();
  const int width = SkinRect.Width();
  CountFrames = width > 0 && pic ? std::min(CountFrames, std::max(1, pic->Width() / width)) : 1;
  Cycle = r->cycle;
  ButtonStyle = r->buttonstyle;
  TimerInterval = std::max(25, r->timerinterval);
  Command = int(r->command);
  DownSkinRect = r->downskinrect;
  ReadRestoreLook(*r);
}

bool TsfSkinAnimateObject::AlternateState() const {
  return Parent->CommandAlternateState(Command);
}

TRect TsfSkinAnimateObject::FrameRect(int i) const {
  const TRect base = AlternateState() && !IsEmptyArea(RestoreRect) ? RestoreRect : SkinRect;
  const qint64 dx = qint64(std::clamp(i, 1, CountFrames) - 1) * base.Width();
  if (dx < 0 || dx > qint64(INT_MAX) - std::max(0, base.Right)) return TRect();
  return base.Offset(int(dx), 0);
}

void TsfSkinAnimateObject::Draw(TCanvas* canvas, bool standalone) {
  TsfSkinData* sd = Parent->SkinData();
  if (!sd || sd->IsEmpty) return;
  const TBitmap* pic = ActivePicture();
  if (!pic) {
    TsfActiveSkinObject::Draw(canvas, standalone);
    return;
  }
  const bool restore = AlternateState() && !IsEmptyArea(RestoreRect);
  const TRect inactive = restore ? RestoreInactiveRect : InactiveSkinRect;
  const TRect down = restore ? RestoreDownRect : DownSkinRect;
  if (Enabled && !Parent->IsFormActive() && !IsEmptyArea(inactive)) {
    DrawPiece(canvas, pic, inactive);
  } else if (Down && (MouseIn || MenuShown)) {
    // Pressed, or its menu is open: the down image, else the last frame.
    DrawPiece(canvas, pic, IsEmptyArea(down) ? FrameRect(CountFrames) : down);
  } else {
    DrawPiece(canvas, pic, FrameRect(Frame));
  }
}

void TsfSkinAnimateObject::Start(bool forward) {
  Forward = forward;
  Running = true;
  Accumulator = 25;
  Parent->StartAnimation();
}

bool TsfSkinAnimateObject::AnimateStep() {
  if (!Running) return false;
  if (Accumulator < TimerInterval) {
    Accumulator += 25;
    return true;
  }
  Accumulator = 25;
  if (Forward) {
    if (Frame < CountFrames) ++Frame;
    else if (Cycle) Frame = 1;
    if (!Cycle && Frame >= CountFrames) Running = false;
  } else {
    if (Frame > 1) --Frame;
    if (Frame <= 1) {
      Running = false;
      Active = false;
    }
  }
  Parent->RepaintObject(this);
  return Running;
}

void TsfSkinAnimateObject::MouseEnter() {
  MouseIn = true;
  if (Command != 4) Hint = StateHint(AlternateState());
  if (ButtonStyle) {
    Active = true;
    Start(true);
  }
  Parent->RepaintObject(this);
  ShowGlowLayer();
  FireEnter();  // last: may free this object
}

void TsfSkinAnimateObject::MouseLeave() {
  MouseIn = false;
  if (ButtonStyle && !MenuShown) Start(false);
  Parent->RepaintObject(this);
  HideGlowLayer();
  FireLeave();  // last: may free this object
}

void TsfSkinAnimateObject::MouseDown(TMouseButton button, int x, int y) {
  if (Enabled && button == mbLeft && !Down) {
    if (!IsEmptyArea(DownSkinRect)) {
      Down = true;
      Running = false;
      Frame = CountFrames;
      Parent->RepaintObject(this);
    }
    if (ButtonStyle && MouseIn && Command == 3) {
      Down = true;
      MenuShown = true;
      QPointer<TsfSkinForm> parent(Parent);
      Parent->DropSystemMenu(this);  // its open event may reload the skin
      if (parent && parent->HasObject(this)) FireMouseDown(button, x, y);
      return;
    }
  }
  FireMouseDown(button, x, y);
}

void TsfSkinAnimateObject::MouseUp(TMouseButton button, int x, int y) {
  const bool run = Enabled && button == mbLeft && ButtonStyle && MouseIn && Command != 3;
  if (button == mbLeft && Down && !MenuShown) {
    Down = false;
    Start(MouseIn);
  }
  if (run && Command != 0 && Command != 4) {
    Parent->ExecuteCommand(Command, ObjectRect);  // may free this object
    return;
  }
  QPointer<TsfSkinForm> parent(Parent);
  const unsigned generation = Parent->ObjectGeneration();
  FireMouseUp(button, x, y);
  if (!run || !parent || parent->ObjectGeneration() != generation) return;
  if (Command == 0) {
    Parent->ExecuteCommand(Command, ObjectRect);
  } else if (HasMenu()) {
    Down = MenuShown = true;
    Parent->DropMenu(this, MenuItem, DropUp);
  }
}

void TsfSkinAnimateObject::MenuClosed() {
  Down = MenuShown = false;
  Start(MouseIn);
  Parent->RepaintObject(this);
}

void TsfSkinAnimateObject::ResetHover() {
  TsfActiveSkinObject::ResetHover();
  Frame = 1;
  Running = false;
}

void TsfSkinAnimateObject::DblClick() {
  if (Command == 3 && Enabled) {
    Down = MenuShown = false;
    Parent->CloseFromSystemMenuButton();
  }
}

// ---------------------------------------------------------------------------

TsfSkinCaptionObject::TsfSkinCaptionObject(TsfSkinForm* parent, const TsfDataSkinCaption* r)
    : TsfActiveSkinObject(parent, r), Record(*r) {
  // No frame narrower than a pixel: a hostile count would animate for hours
  // through empty frames.
  const TRect& a = Record.animateskinrect;
  const int extent = a.Height() > SkinRect.Height() ? a.Height() : a.Width();
  Record.framecount = std::clamp(Record.framecount, 0, std::max(0, extent));
}

TRect TsfSkinCaptionObject::TextArea() const {
  TRect t = Record.textrect;
  if (IsEmptyArea(t)) return TRect();
  t.Right += ObjectRect.Width() - SkinRect.Width();
  t.Left += Parent->QuickButtonsWidth();
  if (!IsEmptyArea(Record.framerect)) {
    t.Left += Record.frametextrect.Left;
    t.Top += Record.frametextrect.Top;
    t.Right -= Record.framerect.Width() - Record.frametextrect.Right;
  }
  return t.Offset(ObjectRect.Left, ObjectRect.Top);
}

bool TsfSkinCaptionObject::HasAnimation() const {
  return !IsEmptyArea(Record.animateskinrect) && Record.framecount > 0 && ActivePicture();
}

TRect TsfSkinCaptionObject::AnimationFrame(int i) const {
  const TRect& a = Record.animateskinrect;
  const int n = std::max(1, Record.framecount);
  i = std::clamp(i, 1, n) - 1;
  if (a.Height() > SkinRect.Height()) {
    const int h = a.Height() / n;
    return TRect(a.Left, a.Top + i * h, a.Right, a.Top + (i + 1) * h);
  }
  const int w = a.Width() / n;
  return TRect(a.Left + i * w, a.Top, a.Left + (i + 1) * w, a.Bottom);
}

bool TsfSkinCaptionObject::StartAnimation(bool active) {
  TsfSkinData* sd = Parent->SkinData();
  if (!sd || !sd->EnableSkinEffects || !HasAnimation()) return false;
  AnimFrame = active ? 1 : (Record.inactiveanimation ? Record.framecount : 0);
  AnimAccumulator = 25;
  AnimRunning = true;
  return true;
}

bool TsfSkinCaptionObject::AnimateStep() {
  if (!AnimRunning) return false;
  const int interval = std::max(25, Record.animateinterval);
  if (AnimAccumulator < interval) {
    AnimAccumulator += 25;
    return true;
  }
  AnimAccumulator = 25;
  if (Active && AnimFrame < Record.framecount) ++AnimFrame;
  else if (!Active && AnimFrame > 0) --AnimFrame;
  Parent->RepaintFrame();
  AnimRunning = Active ? AnimFrame < Record.framecount : AnimFrame > 0;
  return AnimRunning;
}

TBitmap TsfSkinCaptionObject::ComposeImage(const TBitmap& picture, const TRect& src) const {
  TBitmap result;
  const TRect s = src.Intersect(TRect(0, 0, picture.Width(), picture.Height()));
  if (IsEmptyArea(s) || s != src || ObjectRect.Width() <= 0) return result;
  // The ends beyond the form's top corner points stay as they are.
  const TsfFormInfo& f = Parent->SkinData()->FormInfo;
  const int w = s.Width();
  const int left = std::clamp(f.lefttoppoint.X - SkinRect.Left, 0, w);
  const int right = std::clamp(SkinRect.Right - f.righttoppoint.X, 0, w - left);
  ComposeHStrip(left, right, result, picture, s, ObjectRect.Width(), Record.stretcheffect);
  return result;
}

void TsfSkinCaptionObject::MouseDown(TMouseButton button, int x, int y) {
  Parent->QuickButtonPress(x, y);
  FireMouseDown(button, x, y);
}

void TsfSkinCaptionObject::MouseUp(TMouseButton button, int x, int y) {
  QPointer<TsfSkinForm> parent(Parent);
  FireMouseUp(button, x, y);
  if (parent) parent->QuickButtonRelease();  // runs the button's OnClick last
}

void TsfSkinCaptionObject::MouseMove(int x, int y) {
  Parent->QuickButtonHover(x, y);
  TsfActiveSkinObject::MouseMove(x, y);
}

void TsfSkinCaptionObject::MouseEnter() {
  MouseIn = true;
  FireEnter();
}

void TsfSkinCaptionObject::MouseLeave() {
  MouseIn = false;
  Parent->QuickButtonHover(-1, -1);
  FireLeave();
}

void TsfSkinCaptionObject::Draw(TCanvas* canvas, bool) {
  TsfSkinData* sd = Parent->SkinData();
  if (!sd || sd->IsEmpty) return;
  const TBitmap* pic = ActivePicture();
  const TBitmap* normalPicture = SkinRectInAPicture ? pic : FormPicture();
  const bool effects = sd->EnableSkinEffects;
  const bool animating = effects && HasAnimation() && AnimFrame >= 1 && AnimFrame <= Record.framecount;
  TBitmap image;
  if (Morphing && effects && IsMorphing() && pic && normalPicture) {
    const TBitmap normal = ComposeImage(*normalPicture, SkinRect);
    const TBitmap active = ComposeImage(*pic, ActiveSkinRect);
    if (!normal.Empty() && !active.Empty()) {
      TsfEffectBmp blend(normal);
      blend.Morph(MorphKind, TsfEffectBmp(active), MorphFactor);
      image = blend.ToBitmap();
    }
  } else if (animating) {
    image = ComposeImage(*pic, AnimationFrame(AnimFrame));
  } else if (IsEmptyArea(ActiveSkinRect) || (!Active && !Record.stretcheffect)) {
    // Only the text, onto the caption the frame strips already show.
  } else if (Active) {
    image = ComposeImage(*pic, ActiveSkinRect);
  } else if (normalPicture) {
    image = ComposeImage(*normalPicture, SkinRect);
  }
  // The inactive effect of the skin is applied to the frame strips the caption
  // is drawn into, so it is not applied here a second time.
  if (!image.Empty()) canvas->Draw(ObjectRect.Left, ObjectRect.Top, &image);
  Parent->DrawQuickButtons(canvas, ObjectRect);
  DrawText(canvas, Active);
}

void TsfSkinCaptionObject::DrawText(TCanvas* canvas, bool active) {
  TsfSkinData* sd = Parent->SkinData();
  if (Parent->OnCaptionPaint) {
    Parent->OnCaptionPaint(canvas, ObjectRect, active);
    return;
  }
  const TRect area = TextArea();
  QString text = Parent->Form()->Caption();
  if (area.IsEmpty() || text.isEmpty()) return;
  canvas->Font.SetName(Record.fontname);
  canvas->Font.SetHeight(Record.fontheight);
  canvas->Font.SetStyle(Record.fontstyle);
  if (sd->ResourceStrData()) canvas->Font.SetCharset(sd->ResourceStrData()->CharSet);
  else canvas->Font.SetCharset(Parent->DefCaptionFont.Charset());
  EllipsizeText(canvas, text, area.Width());
  const int tw = TextWidthWide(canvas, text), th = TextHeightWide(canvas, text);
  const int top = area.Top + area.Height() / 2 - th / 2;
  int left = area.Left;
  if (Parent->QuickButtonsWidth() > 0 || Record.alignment == taCenter)
    left = area.Left + (area.Width() - tw) / 2;
  else if (Record.alignment == taRightJustify)
    left = area.Right - tw;
  const TBitmap* pic = ActivePicture();
  if (!IsEmptyArea(Record.framerect) && pic) {
    const TRect fr = active && !IsEmptyArea(Record.activeframerect) ? Record.activeframerect
                                                                    : Record.framerect;
    const int offset = sd->FormInfo.buttonsoffset;
    const int width = Record.fullframe ? ObjectRect.Width() - 2 * offset
                                       : fr.Width() + tw - Record.frametextrect.Width();
    TBitmap strip;
    if (fr.Intersect(TRect(0, 0, pic->Width(), pic->Height())) == fr && width > 0)
      ComposeHStrip(Record.frameleftoffset, Record.framerightoffset, strip, *pic, fr, width, false);
    if (!strip.Empty())
      canvas->Draw(Record.fullframe ? ObjectRect.Left + offset : left - Record.frametextrect.Left,
                   top - Record.frametextrect.Top, &strip);
  }
  canvas->Brush.Style = bsClear;
  const unsigned format = DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP;
  auto at = [&](int dx, int dy) { return TRect(left + dx, top + dy, left + dx + tw, top + dy + th); };
  auto out = [&](int dx, int dy, TColor colour) {
    canvas->Font.SetColor(colour);
    TRect r = at(dx, dy);
    DrawTextWide(canvas, text, r, format);
  };
  if (Record.light) out(-1, -1, active ? Record.activelightcolor : Record.lightcolor);
  if (Record.shadow) out(1, 1, active ? Record.activeshadowcolor : Record.shadowcolor);
  canvas->Font.SetColor(active ? Record.activefontcolor : Record.fontcolor);
  const TRect r = at(0, 0);
  if (Record.reflectioneffect) {
    DrawReflectedText(canvas, r, text, active ? Record.reflactionactivecolor : Record.reflactioncolor,
                      Record.reflectionoffset, format);
  } else if (Record.vistagloweffect && (active || Record.vistaglowinactiveeffect)) {
    DrawSoftGlowText(canvas, r, text, active ? Record.glowactivecolor : Record.glowcolor, format);
  } else if (Record.gloweffect && (active || Record.glowinactiveeffect)) {
    DrawGlowText(canvas, r, text, Record.glowsize, active ? Record.glowactivecolor : Record.glowcolor,
                 Record.glowoffset, format);
  } else {
    out(0, 0, active ? Record.activefontcolor : Record.fontcolor);
  }
  canvas->Brush.Style = bsSolid;
}
