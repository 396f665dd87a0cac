#include "skin/controls/skin_check_radio.h"

#include <QApplication>
#include <algorithm>

#include "skin/controls/dialog_keys.h"
#include "skin/render/effect_bmp.h"
#include "skin/render/glyphs.h"
#include "skin/render/text_helpers.h"
#include "skin/render/window_helpers.h"

TsfSkinCheckRadioBox::TsfSkinCheckRadioBox(QWidget* parent)
    : TsfSkinCustomControl(parent),
      m_morph(
          this, [this] { return MorphingInEffect(); },
          [this] { return m_mouseInside || Focus(); }, [this] { Invalidate(); }) {
  InstallDialogKeysForTextless(this);
  SetSkinDataName(QStringLiteral("checkbox"));
  SetTabStop(false);
  SetBounds(Left(), Top(), 150, 25);
}

// ---- state ------------------------------------------------------------------

void TsfSkinCheckRadioBox::SetChecked(bool v) {
  const bool became = v && !m_checked;
  m_checked = v;
  if (v) m_state = cbChecked;
  else if (m_state == cbChecked) m_state = cbUnchecked;
  Invalidate();
  QPointer<TsfSkinCheckRadioBox> self(this);
  if (v && GroupIndex != 0 && parentWidget()) {
    for (QObject* o : parentWidget()->children()) {
      auto* box = dynamic_cast<TsfSkinCheckRadioBox*>(o);
      if (box && box != this && box->GroupIndex == GroupIndex && box->m_checked) box->SetChecked(false);
    }
  }
  if (!self) return;
  if (!m_radio || became) ClickBox();
}

void TsfSkinCheckRadioBox::ClickBox() {
  if (!m_showingAction) ClickWithAction(this, OnClick, Action());
}

void TsfSkinCheckRadioBox::SetAction(TAction* action) {
  m_actionLink.Link(this, action, [this](TAction* a) {
    SetCaption(a->Caption());
    SetEnabled(a->Enabled());
    SetVisible(a->Visible());
    if (a->Checked() != m_checked) {
      m_showingAction = true;
      QPointer<TsfSkinCheckRadioBox> self(this);
      struct Reset {
        QPointer<TsfSkinCheckRadioBox>& box;
        ~Reset() {
          if (box) box->m_showingAction = false;
        }
      } reset{self};
      SetChecked(a->Checked());
    }
  });
}

void TsfSkinCheckRadioBox::SetState(TCheckBoxState v) {
  m_state = v;
  m_checked = v == cbChecked;
  Invalidate();
  ClickBox();
}

void TsfSkinCheckRadioBox::SetFlat(bool v) {
  m_flat = v;
  if (SkinData() && !SkinData()->IsEmpty) ApplySkinChange();
  Invalidate();
}

void TsfSkinCheckRadioBox::SetWordWrap(bool v) {
  if (v == m_wordWrap) return;
  m_wordWrap = v;
  if (m_flat) Invalidate();
}

void TsfSkinCheckRadioBox::SetCanFocused(bool v) {
  m_canFocused = v;
  SetTabStop(v);
  if (!v) setFocusPolicy(Qt::NoFocus);
}

void TsfSkinCheckRadioBox::Toggle() {
  if (m_radio) {
    if (!m_checked) SetChecked(true);
  } else {
    SetChecked(!m_checked);
  }
}

void TsfSkinCheckRadioBox::EnabledChanged() {
  m_morph.Stop();
  m_morph.Factor = 0;
  m_mouseInside = false;
  Invalidate();
}

bool TsfSkinCheckRadioBox::MorphingInEffect() const {
  return m_record && m_record->morphing && SkinData() && SkinData()->EnableSkinEffects;
}

void TsfSkinCheckRadioBox::Refresh() {
  if (MorphingInEffect()) m_morph.Start();
  else Invalidate();
}

// ---- record -----------------------------------------------------------------

void TsfSkinCheckRadioBox::ReadSkinRecord() {
  TsfSkinCustomControl::ReadSkinRecord();
  m_record = RecordIndex() == -1
                 ? nullptr
                 : dynamic_cast<const TsfDataSkinCheckRadioControl*>(SkinRecord());
  if (!m_record) return;
  m_activeRect = m_record->activeskinrect.IsEmpty() ? m_record->skinrect : m_record->activeskinrect;
  // The flat box draws over its parent: no picture blend, no window shape.
  if (m_flat) m_geometry.Mask = nullptr;
}

void TsfSkinCheckRadioBox::AdjustSizeToSkin(int& width, int& height) {
  if (m_flat) return;  // the flat box never takes a size from the skin
  TsfSkinCustomControl::AdjustSizeToSkin(width, height);
  if (!m_record) return;
  const int dw = width - m_geometry.SkinWidth();
  const TsfDataSkinCheckRadioControl& r = *m_record;
  m_newTextArea = TRect(r.textarea.Left, r.textarea.Top, r.textarea.Right + dw, r.textarea.Bottom);
  TRect area = r.checkimagearea;
  if (r.textarea.Right <= area.Right) area = area.Offset(dw, 0);
  const TRect mark = r.checkimagerect;
  const int left = area.Left + (area.Width() - mark.Width()) / 2;
  const int top = area.Top + (area.Height() - mark.Height()) / 2;
  m_markRect = TRect(left, top, left + mark.Width(), top + mark.Height());
}

void TsfSkinCheckRadioBox::ApplySkinChange() {
  if (!m_flat) {
    TsfSkinCustomControl::ApplySkinChange();
    return;
  }
  ReadSkinRecord();
  Invalidate();
}

// ---- painting -----------------------------------------------------------------

TBitmap TsfSkinCheckRadioBox::MarkImage() const {
  const TsfDataSkinCheckRadioControl& r = *m_record;
  auto orElse = [](const TRect& a, const TRect& b) { return a.IsEmpty() ? b : a; };
  const TRect checked = r.checkimagerect, unchecked = r.uncheckimagerect;
  TRect rect;
  bool grayed = m_state == cbGrayed;
  if (!Enabled()) rect = grayed || m_checked ? orElse(r.unenabledcheckimagerect, checked)
                                             : orElse(r.unenableduncheckimagerect, unchecked);
  else if (m_mouseInside) rect = m_checked || grayed ? orElse(r.activecheckimagerect, checked)
                                                     : orElse(r.activeuncheckimagerect, unchecked);
  else rect = m_checked || grayed ? checked : unchecked;
  const TBitmap* pic = m_geometry.Picture;
  if (!pic) return TBitmap();
  if (grayed && Enabled()) {
    const TRect g = m_mouseInside && !r.activegrayedcheckimagerect.IsEmpty() ? r.activegrayedcheckimagerect
                                                                              : r.grayedcheckimagerect;
    if (!g.IsEmpty()) return KeyedPiece(*pic, g);
  }
  TBitmap mark = KeyedPiece(*pic, rect);
  if (grayed && !mark.Empty() && (r.grayedcheckimagerect.IsEmpty() || !Enabled())) {
    // No grayed picture: the checked one lightened halfway toward white.
    TsfEffectBmp light(mark);
    light.Brighten(0.5);
    mark = light.ToBitmap();
    mark.Transparent = true;
    mark.TransparentColor = mark.Pixel(0, mark.Height() - 1);
  }
  return mark;
}

bool TsfSkinCheckRadioBox::HasImage() const {
  return m_images && m_imageIndex >= 0 && m_imageIndex < m_images->Count();
}

TColor TsfSkinCheckRadioBox::CaptionColor(TColor skinned) const {
  if (!UseSkinFontColor) return DefaultFont()->Color();
  return skinned;
}

void TsfSkinCheckRadioBox::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  ReadSkinRecord();
  int w = Width(), h = Height();
  AdjustSizeToSkin(w, h);
  TBitmap picture(Width(), Height());
  if (m_flat) {
    PaintFlat(picture.Canvas());
    Canvas()->Draw(0, 0, &picture);
    return;
  }
  const bool hot = m_mouseInside || Focus();
  if (m_record && MorphingInEffect() && m_morph.Factor > 0 && m_morph.Factor < 1) {
    TBitmap active(Width(), Height());
    PaintNonFlat(picture, m_geometry.SkinRect, false);
    PaintNonFlat(active, m_activeRect, true);
    TsfEffectBmp a(picture), b(active);
    a.Morph(m_record->morphkind, b, m_morph.Factor);
    a.DrawTo(Canvas(), 0, 0);
    return;
  }
  PaintNonFlat(picture, m_record && hot ? m_activeRect : m_geometry.SkinRect, hot);
  Canvas()->Draw(0, 0, &picture);
}

void TsfSkinCheckRadioBox::PaintDefaultMark(TCanvas* c, int boxLeft, int boxTop) {
  const int H = Height();
  const TColor frame = m_mouseInside ? clNavy : clBtnShadow;
  DrawFrame3D(c, TRect(boxLeft, boxTop, boxLeft + 14, boxTop + 14), frame, frame);
  const TColor ink = Enabled() ? clBlack : clBtnShadow;
  if (!m_radio && m_state == cbGrayed) DrawCheckGlyph(c, boxLeft + 4, H / 2 - 4, clGrayText);
  else if (!m_radio && m_checked) DrawCheckGlyph(c, boxLeft + 4, H / 2 - 4, ink);
  else if (m_radio && m_checked) DrawDotGlyph(c, boxLeft + 4, H / 2 - 3, ink);
}

void TsfSkinCheckRadioBox::PaintFlat(TCanvas* c) {
  const int W = Width(), H = Height();
  DrawParentBackground(this, c);
  const QString caption = Caption();
  TRect box;  // the caption's box
  int markW = 0;
  TFont font;
  if (m_record) {
    const TBitmap mark = MarkImage();
    markW = mark.Width();
    c->Draw(3, (H - mark.Height()) / 2, &mark);
    font = ControlFont(m_record->fontname, m_record->fontheight, m_record->fontstyle);
    font.SetColor(CaptionColor(Enabled() ? m_record->framefontcolor : m_record->unenabledfontcolor));
  } else {
    PaintDefaultMark(c, 3, H / 2 - 7);
    markW = 15;  // the caption starts at 22
    font = ControlFont(QString(), 0, 0);
    if (!Enabled()) font.SetColor(clBtnShadow);
  }
  c->Font = font;
  const int imageGap = m_record ? 8 : 5;
  const int imageW = HasImage() ? m_images->Width() : 0;
  const int textLeft = markW + 7;
  const int textH = c->TextHeight(caption.isEmpty() ? QStringLiteral("Wq") : caption);
  if (m_wordWrap) {
    box = TRect(textLeft + (imageW ? imageW + imageGap : 0), 0, W - 2, H);
    DrawTextWide(c, caption, box, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    const int bh = box.Height();
    box.Top = (H - bh) / 2;
    box.Bottom = box.Top + bh;
  } else {
    const int tw = caption.isEmpty() ? 0 : c->TextWidth(caption);
    box = TRect(textLeft, (H - textH) / 2, textLeft + tw, (H - textH) / 2 + textH);
  }
  box.Right = std::min(box.Right, W - 2);
  if (imageW) {
    const int imageX = m_wordWrap ? textLeft : box.Left;
    m_images->Draw(c, imageX, (H - m_images->Height()) / 2, m_imageIndex, Enabled());
    if (!m_wordWrap) box = box.Offset(imageW + imageGap, 0);
  }
  c->Brush.Style = bsClear;
  if (!caption.isEmpty()) {
    TRect r = box;
    DrawTextWide(c, caption, r, m_wordWrap ? (DT_WORDBREAK | DT_EXPANDTABS) : (DT_SINGLELINE | DT_VCENTER));
  }
  if (Focus()) {
    if (!caption.isEmpty()) {
      DrawDottedFrame(c, TRect(box.Left - 2, box.Top - 1, box.Right + 3, box.Bottom + 1));
    } else if (imageW) {
      const int y = (H - m_images->Height()) / 2;
      DrawDottedFrame(c, TRect(textLeft - 1, y - 1, textLeft + imageW + 1, y + m_images->Height() + 1));
    }
  }
}

void TsfSkinCheckRadioBox::PaintNonFlat(TBitmap& picture, const TRect& source, bool active) {
  TCanvas* c = picture.Canvas();
  const int W = Width(), H = Height();
  if (!m_record) {
    c->Brush.Style = bsSolid;
    c->Brush.Color = clBtnFace;
    c->FillRect(TRect(0, 0, W, H));
    if (m_mouseInside || Focus()) DrawFrame3D(c, TRect(0, 0, W, H), clBtnShadow, clBtnShadow);
    PaintDefaultMark(c, 3, H / 2 - 7);
    TFont font = ControlFont(QString(), 0, 0);
    if (!Enabled()) font.SetColor(clBtnShadow);
    c->Font = font;
    c->Brush.Style = bsClear;
    TRect r(19, 0, W, H);
    DrawTextWide(c, Caption(), r, DT_SINGLELINE | DT_VCENTER);
    return;
  }
  m_geometry.Compose(picture, source, W, H);
  c = picture.Canvas();
  const TBitmap mark = MarkImage();
  c->Draw(m_markRect.Left, m_markRect.Top + (m_markRect.Height() - mark.Height()) / 2, &mark);
  TFont font = ControlFont(m_record->fontname, m_record->fontheight, m_record->fontstyle);
  font.SetColor(CaptionColor(!Enabled() ? m_record->unenabledfontcolor
                             : active   ? m_record->activefontcolor
                                        : m_record->fontcolor));
  c->Font = font;
  c->Brush.Style = bsClear;
  TRect r = m_newTextArea;
  DrawTextWide(c, Caption(), r, DT_SINGLELINE | DT_VCENTER);
}

// ---- input --------------------------------------------------------------------

void TsfSkinCheckRadioBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (button == mbLeft) m_mouseDown = true;
  if (!m_mouseInside) {
    m_mouseInside = true;
    Refresh();
  }
  TsfSkinCustomControl::MouseDown(button, shift, x, y);
}

void TsfSkinCheckRadioBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  QPointer<TsfSkinCheckRadioBox> self(this);
  TsfSkinCustomControl::MouseUp(button, shift, x, y);
  if (!self || button != mbLeft) return;
  m_mouseDown = false;
  // Captured while held: the release point tells whether it ended inside.
  m_mouseInside = ClientRect().Contains(TPoint(x, y));
  if (!m_mouseInside) {
    Refresh();
    return;
  }
  if (m_allowGrayed && !m_radio && m_state == cbUnchecked) SetState(cbGrayed);
  else Toggle();
}

void TsfSkinCheckRadioBox::KeyDown(WORD& key, TShiftState shift) {
  QPointer<TsfSkinCheckRadioBox> self(this);
  TsfSkinCustomControl::KeyDown(key, shift);
  if (self) PassKeyDown(key, shift);
  if (!self || !m_canFocused) return;
  // A handler of the focus change may destroy this box: read it first.
  const bool radio = m_radio;
  const int group = GroupIndex;
  QPointer<TsfSkinCheckRadioBox> next = qobject_cast<TsfSkinCheckRadioBox*>(NavigateByArrow(this, key, shift));
  if (next && radio && next->m_radio && group != 0 && next->GroupIndex == group) next->Toggle();
}

void TsfSkinCheckRadioBox::MouseEnter() {
  m_mouseInside = true;
  Refresh();
  TsfSkinCustomControl::MouseEnter();
}

void TsfSkinCheckRadioBox::MouseLeave() {
  if (!m_mouseDown) {
    m_mouseInside = false;
    Refresh();
  }
  TsfSkinCustomControl::MouseLeave();
}

void TsfSkinCheckRadioBox::FocusChanged(bool focused) {
  if (m_canFocused) {
    if (m_flat) Invalidate();
    else Refresh();
  }
  TsfSkinCustomControl::FocusChanged(focused);
}

void TsfSkinCheckRadioBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // The press gives the focus first and counts only when it arrived.
      if (m_canFocused && window()->focusWidget() != this) {
        if (!window()->isActiveWindow()) window()->activateWindow();
        SetFocus();
        if (window()->focusWidget() != this) return;
      }
      break;
    case WM_MOVE:
      // A flat box shows the part of its parent it now sits over.
      if (m_flat) Invalidate();
      break;
    case WM_KEYUP:
      if (m_canFocused && m.WParam == VK_SPACE && hasFocus()) {
        Toggle();
        m.Result = 0;
        return;
      }
      break;
    case CM_DIALOGCHAR:
      if (m_canFocused && CanFocus() && IsAccel(QChar(char16_t(m.WParam)), Caption())) {
        SetFocus();
        Toggle();
        m.Result = 1;
      }
      return;
    default: break;
  }
  TsfSkinCustomControl::WndProc(m);
}

// ---- radio group ------------------------------------------------------------------

TsfGroupButton::TsfGroupButton(TsfSkinCustomRadioGroup* group)
    : TsfSkinCheckRadioBox(group), m_group(group) {
  group->m_buttons << this;
  SetVisible(false);
  SetEnabled(group->Enabled());
  SetRadio(true);
  SetCanFocused(true);
  SetSkinDataName(QStringLiteral("radiobox"));
  GroupIndex = 1;
  SetFlat(true);
  OnClick = [this](TObject*) {
    if (m_group) m_group->ButtonClicked(this);
  };
}

TsfGroupButton::~TsfGroupButton() {
  if (m_group) m_group->m_buttons.removeAll(this);
}

void TsfGroupButton::PassKeyDown(WORD& key, TShiftState shift) {
  if (m_group) m_group->KeyDown(key, shift);
}

void TsfGroupButton::KeyPress(QChar& key) {
  QPointer<TsfGroupButton> self(this);
  TsfSkinCheckRadioBox::KeyPress(key);
  if (self && m_group) m_group->KeyPress(key);
}

TsfSkinCustomRadioGroup::TsfSkinCustomRadioGroup(QWidget* parent) : TsfSkinGroupBox(parent) {
  ClickEvents = false;  // the group's click reports a change of item, not a mouse click
  m_buttonDefaultFont.SetName(QStringLiteral("Arial"));
  m_buttonDefaultFont.SetHeight(14);
  m_buttonDefaultFont.OnChange = [this](TFont*) {
    for (TsfGroupButton* b : m_buttons) b->SetDefaultFont(m_buttonDefaultFont);
  };
}

TsfSkinCustomRadioGroup::~TsfSkinCustomRadioGroup() {
  m_buttonDefaultFont.OnChange = nullptr;
  // The buttons are children and go with the group: they must not call back.
  for (TsfGroupButton* b : m_buttons) b->m_group = nullptr;
  m_buttons.clear();
}

void TsfSkinCustomRadioGroup::SetItems(const QStringList& items) {
  m_items = items;
  if (Loading()) return;
  if (m_itemIndex >= m_items.size()) m_itemIndex = int(m_items.size()) - 1;
  Rebuild();
}

void TsfSkinCustomRadioGroup::SetItemIndex(int v) {
  if (Loading()) {
    m_itemIndex = v;
    return;
  }
  v = std::clamp(v, -1, ButtonCount() - 1);
  if (v == m_itemIndex) return;
  if (TsfGroupButton* old = Button(m_itemIndex)) old->SetChecked(false);
  m_itemIndex = v;
  // Checking raises the group's click through the button.
  if (TsfGroupButton* now = Button(v)) now->SetChecked(true);
}

void TsfSkinCustomRadioGroup::SetColumns(int v) {
  v = std::clamp(v, 1, 16);
  if (v == m_columns) return;
  m_columns = v;
  Arrange();
  Invalidate();
}

void TsfSkinCustomRadioGroup::SetButtonSkinDataName(const QString& v) {
  m_buttonSkinDataName = v;
  for (TsfGroupButton* b : m_buttons) {
    b->SetSkinDataName(v);
    b->Invalidate();
  }
}

void TsfSkinCustomRadioGroup::SetImages(TCustomImageList* v) {
  m_images = v;
  for (TsfGroupButton* b : m_buttons) b->SetImages(v);
}

void TsfSkinCustomRadioGroup::SetSkinData(TsfSkinData* data) {
  TsfSkinGroupBox::SetSkinData(data);
  for (TsfGroupButton* b : m_buttons) b->SetSkinData(data);
}

void TsfSkinCustomRadioGroup::SetUseSkinFont(bool v) {
  TsfSkinGroupBox::SetUseSkinFont(v);
  for (TsfGroupButton* b : m_buttons) b->SetUseSkinFont(v);
}

void TsfSkinCustomRadioGroup::ApplySkinChange() {
  TsfSkinGroupBox::ApplySkinChange();
  Arrange();
}

void TsfSkinCustomRadioGroup::Loaded() {
  TsfSkinGroupBox::Loaded();
  m_itemIndex = std::clamp(m_itemIndex, -1, int(m_items.size()) - 1);
  Rebuild();
}

void TsfSkinCustomRadioGroup::EnabledChanged() {
  for (TsfGroupButton* b : m_buttons) b->SetEnabled(Enabled());
  TsfSkinGroupBox::EnabledChanged();
}

void TsfSkinCustomRadioGroup::WndProc(TMessage& m) {
  TsfSkinGroupBox::WndProc(m);
  if (m.Msg == WM_SIZE || m.Msg == CM_FONTCHANGED) Arrange();
}

void TsfSkinCustomRadioGroup::ButtonClicked(TsfGroupButton* button) {
  if (m_rebuilding) return;
  m_itemIndex = int(m_buttons.indexOf(button));
  if (OnClick) OnClick(this);
}

void TsfSkinCustomRadioGroup::Rebuild() {
  m_rebuilding = true;
  while (ButtonCount() < m_items.size()) new TsfGroupButton(this);
  while (ButtonCount() > m_items.size()) delete m_buttons.last();
  for (int i = 0; i < ButtonCount(); ++i) {
    TsfGroupButton* b = m_buttons[i];
    b->SetImageIndex(i);
    b->SetImages(m_images);
    b->SetSkinData(SkinData());
    b->SetSkinDataName(m_buttonSkinDataName);
    b->SetDefaultFont(m_buttonDefaultFont);
    b->SetUseSkinFont(UseSkinFont());
    b->SetCaption(m_items[i]);
    b->SetChecked(i == m_itemIndex);
  }
  m_rebuilding = false;
  Arrange();
  Invalidate();
}

void TsfSkinCustomRadioGroup::Arrange() {
  if (m_buttons.isEmpty() || Loading()) return;
  TRect client = ClientRect();
  AdjustClientRect(client);
  const int count = ButtonCount();
  const int rows = (count + m_columns - 1) / m_columns;
  const int bw = client.Width() / m_columns - 2;
  const int bh = client.Height() / rows;
  const bool rtl = layoutDirection() == Qt::RightToLeft;
  for (int i = 0; i < count; ++i) {
    const int col = i / rows, row = i % rows;
    int left = col * bw + client.Left + 1;
    if (rtl) left = client.Width() - left - bw;
    TsfGroupButton* b = m_buttons[i];
    b->SetBounds(left, row * bh + client.Top, bw, bh);
    b->SetVisible(true);
  }
}
