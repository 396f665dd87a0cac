#include "skin/form/frame_objects.h"

#include <algorithm>

#include "skin/form/skin_form.h"
#include "skin/render/compose.h"
#include "skin/render/effect_bmp.h"
#include "skin/render/glyphs.h"
#include "skin/render/text_helpers.h"

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
  ObjectRect = SkinRect;
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
  MorphFactor = std::clamp(MorphFactor + (Active ? 0.2 : -0.2), 0.0, 1.0);
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

void TsfActiveSkinObject::MouseDown(TMouseButton, int, int) {}
void TsfActiveSkinObject::MouseUp(TMouseButton, int, int) {}
void TsfActiveSkinObject::MouseMove(int, int) {}

void TsfActiveSkinObject::MouseEnter() {
  MouseIn = Active = true;
  if (!IsEmptyArea(ActiveSkinRect)) StartMorph();
}

void TsfActiveSkinObject::MouseLeave() {
  MouseIn = Active = false;
  if (!IsEmptyArea(ActiveSkinRect)) StartMorph();
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
  }
  TsfActiveSkinObject::MouseDown(button, x, y);
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
}

void TsfSkinButtonObject::MouseLeave() {
  MouseIn = Active = false;
  if (!(Down && MenuShown)) StartMorph();
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
  RestoreRect = r->restorerect;
  RestoreActiveRect = r->restoreactiverect;
  RestoreDownRect = r->restoredownrect;
  RestoreInactiveRect = r->restoreinactiverect;
  RestoreHint = r->restorehint;
  SavedHint = r->hint;
}

bool TsfSkinStdButtonObject::AlternateState() const {
  switch (Command) {
    case 1: return Parent->SkinWindowState() == wsMaximized;
    case 2: return Parent->SkinWindowState() == wsMinimized;
    case 5: return Parent->RollUpState();
    default: return false;
  }
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
  if (Command != 4) Hint = AlternateState() && !RestoreHint.isEmpty() ? RestoreHint : SavedHint;
  TsfSkinButtonObject::MouseEnter();
}

void TsfSkinStdButtonObject::MouseDown(TMouseButton button, int x, int y) {
  if (Command == 3 && Enabled && button == mbLeft && !Down) {
    TsfSkinButtonObject::MouseDown(button, x, y);
    Parent->m_menuButton = this;
    MenuShown = true;
    const QPoint origin = Parent->Form()->pos();
    Parent->PopupSystemMenu(ObjectRect.Left + origin.x(), ObjectRect.Bottom + origin.y());
    return;
  }
  TsfSkinButtonObject::MouseDown(button, x, y);
}

void TsfSkinStdButtonObject::MouseUp(TMouseButton button, int x, int y) {
  const bool run = Enabled && button == mbLeft && Down && Active && Command != 3;
  if (Command == 0) {
    TsfSkinButtonObject::MouseUp(button, x, y);
    if (run) ExecuteCommand();  // may free the form: nothing after it
    return;
  }
  if (run) {
    ExecuteCommand();
    return;  // the release is not drawn: the command changed the frame
  }
  TsfSkinButtonObject::MouseUp(button, x, y);
}

void TsfSkinStdButtonObject::DblClick() {
  if (Command == 3 && Enabled) {
    Parent->SkinMenu()->CloseAll();
    Down = MenuShown = false;
    Parent->Form()->Close();
  }
}

void TsfSkinStdButtonObject::ExecuteCommand() {
  TsfSkinForm* p = Parent;
  Down = false;
  switch (Command) {
    case 0:
      p->TestActiveObject(-1, -1, false);
      p->Form()->Close();
      return;
    case 1:
      p->TestActiveObject(-1, -1, false);
      p->SetSkinWindowState(p->SkinWindowState() == wsMaximized ? wsNormal : wsMaximized);
      return;
    case 2:
      p->TestActiveObject(-1, -1, false);
      p->SetSkinWindowState(p->SkinWindowState() == wsMinimized ? wsNormal : wsMinimized);
      return;
    case 5: {
      // The handler of the roll-up may reload the skin (and free this object)
      // or destroy the window: only the place of the button is kept.
      const QRect place = ObjectRect.toQRect();
      QPointer<TForm> form = p->Form();
      p->SetRollUpState(!p->RollUpState());
      if (form) form->update(place);
      return;
    }
    default:
      return;
  }
}

// ---------------------------------------------------------------------------

TsfSkinCaptionObject::TsfSkinCaptionObject(TsfSkinForm* parent, const TsfDataSkinCaption* r)
    : TsfActiveSkinObject(parent, r), Record(*r) {}

TRect TsfSkinCaptionObject::TextArea() const {
  TRect t = Record.textrect;
  if (IsEmptyArea(t)) return TRect();
  t.Right += ObjectRect.Width() - SkinRect.Width();
  if (!IsEmptyArea(Record.framerect)) {
    t.Left += Record.frametextrect.Left;
    t.Top += Record.frametextrect.Top;
    t.Right -= Record.framerect.Width() - Record.frametextrect.Right;
  }
  return t.Offset(ObjectRect.Left, ObjectRect.Top);
}

void TsfSkinCaptionObject::MouseEnter() { MouseIn = true; }
void TsfSkinCaptionObject::MouseLeave() { MouseIn = false; }

void TsfSkinCaptionObject::Draw(TCanvas* canvas, bool) {
  TsfSkinData* sd = Parent->SkinData();
  if (!sd || sd->IsEmpty) return;
  const bool active = Parent->IsFormActive();
  const TBitmap* pic = ActivePicture();
  // A caption with an image of its own composes it to its width first.
  if (pic && !IsEmptyArea(ActiveSkinRect) && (active || Record.stretcheffect)) {
    TBitmap strip;
    const TRect src = active ? ActiveSkinRect : SkinRect;
    ComposeHStrip(Record.skinrect.Left, 0, strip, *pic, src, ObjectRect.Width(),
                  Record.stretcheffect);
    canvas->Draw(ObjectRect.Left, ObjectRect.Top, &strip);
  }
  TRect area = TextArea();
  if (Parent->OnCaptionPaint) {
    Parent->OnCaptionPaint(canvas, ObjectRect, active);
    return;
  }
  QString text = Parent->Form()->Caption();
  if (area.IsEmpty() || text.isEmpty()) return;
  canvas->Font.SetName(Record.fontname);
  canvas->Font.SetHeight(Record.fontheight);
  canvas->Font.SetStyle(Record.fontstyle);
  if (sd->ResourceStrData()) canvas->Font.SetCharset(sd->ResourceStrData()->CharSet);
  EllipsizeText(canvas, text, area.Width());
  const int tw = TextWidthWide(canvas, text), th = TextHeightWide(canvas, text);
  const int top = area.Top + area.Height() / 2 - th / 2;
  int left = area.Left;
  if (Record.alignment == taRightJustify) left = area.Right - tw;
  else if (Record.alignment == taCenter) left = area.Left + (area.Width() - tw) / 2;
  canvas->Brush.Style = bsClear;
  auto out = [&](int dx, int dy, TColor colour) {
    canvas->Font.SetColor(colour);
    TRect r(left + dx, top + dy, left + dx + tw, top + dy + th);
    DrawTextWide(canvas, text, r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
  };
  if (Record.light) out(-1, -1, active ? Record.activelightcolor : Record.lightcolor);
  if (Record.shadow) out(1, 1, active ? Record.activeshadowcolor : Record.shadowcolor);
  out(0, 0, active ? Record.activefontcolor : Record.fontcolor);
  canvas->Brush.Style = bsSolid;
}
