#include "skin/controls/skin_control.h"

#include <type_traits>

#include "skin/render/compose.h"

void NotifyChildrenParentBackground(QWidget* control) {
  if (!control) return;
  QWidget* host = control;
  if (auto* win = qobject_cast<TWinControl*>(control)) host = win->ChildParent();
  for (QObject* child : host->children()) {
    QPointer<TControl> c = qobject_cast<TControl*>(child);
    if (c) c->Perform(WM_SKINCTRL_PARENTBGCHANGED);
  }
}

// ---- TsfSkinControlT --------------------------------------------------------

template <class Base>
TsfSkinControlT<Base>::TsfSkinControlT(QWidget* parent) : Base(parent) {
  // Every pixel comes from the off-screen picture: no background fill.
  this->Opaque = true;
}

template <class Base>
void TsfSkinControlT<Base>::SetSkinData(TsfSkinData* data) {
  m_skinData = data;
  if (data && !data->IsEmpty) ApplySkinChange();
}

template <class Base>
TsfDataSkinControl* TsfSkinControlT<Base>::SkinRecord() const {
  TsfSkinData* data = SkinData();
  if (!data || m_index < 0 || m_index >= int(data->ControlRecords.size())) return nullptr;
  return data->ControlRecords[size_t(m_index)].get();
}

template <class Base>
void TsfSkinControlT<Base>::ReadSkinRecord() {
  TsfSkinData* data = SkinData();
  m_index = (!data || data->IsEmpty) ? -1 : data->GetControlIndex(m_skinDataName);
}

template <class Base>
void TsfSkinControlT<Base>::ApplySkinChange() {
  ReadSkinRecord();
  this->Invalidate();
}

template <class Base>
void TsfSkinControlT<Base>::WndProc(TMessage& m) {
  if (m.Msg == WM_SKINCTRL_PARENTBGCHANGED) {
    ParentBackgroundChanged();
    return;
  }
  Base::WndProc(m);
}

template <class Base>
void TsfSkinControlT<Base>::Paint() {
  if (this->Width() <= 0 || this->Height() <= 0) return;
  ReadSkinRecord();
  PaintBuffered();
}

template <class Base>
void TsfSkinControlT<Base>::PaintBuffered() {
  TBitmap picture(this->Width(), this->Height());
  TCanvas* pc = picture.Canvas();
  pc->Brush.Style = bsSolid;
  pc->Brush.Color = clBtnFace;
  pc->FillRect(TRect(0, 0, picture.Width(), picture.Height()));
  // Drawing events of a descendant may destroy the control.
  const QPointer<QObject> self(this);
  if (m_index == -1) PaintDefaultImage(picture);
  else PaintSkinImage(picture);
  if (!self) return;
  this->Canvas()->Draw(0, 0, &picture);
}

template class TsfSkinControlT<TCustomControl>;
template class TsfSkinControlT<TGraphicControl>;

// ---- TsfSkinCustomControlT --------------------------------------------------

template <class SkinBase>
TsfSkinCustomControlT<SkinBase>::TsfSkinCustomControlT(QWidget* parent) : SkinBase(parent) {
  m_defaultFont.SetName(QStringLiteral("Arial"));
  m_defaultFont.SetHeight(14);
  m_defaultFont.SetStyle(0);
  m_defaultFont.OnChange = [this](TFont*) {
    DefaultFontChanged();
    if (this->m_index == -1) this->Invalidate();
  };
}

template <class SkinBase>
TsfSkinCustomControlT<SkinBase>::~TsfSkinCustomControlT() {
  m_defaultFont.OnChange = nullptr;
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::SetDefaultWidth(int v) {
  m_defaultWidth = v;
  if (this->m_index == -1 && v > 0) this->SetWidth(v);
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::SetDefaultHeight(int v) {
  m_defaultHeight = v;
  if (this->m_index == -1 && v > 0) this->SetHeight(v);
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::SetUseSkinFont(bool v) {
  if (v == m_useSkinFont) return;
  m_useSkinFont = v;
  this->Invalidate();
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::ReadSkinRecord() {
  SkinBase::ReadSkinRecord();
  if (this->m_index == -1) {
    m_geometry.Forget();
    return;
  }
  if (auto* r = dynamic_cast<TsfDataSkinCustomControl*>(this->SkinRecord()))
    m_geometry.Read(*r, *this->SkinData());
  else
    m_geometry.ReadUnframed();
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::AdjustSizeToSkin(int& width, int& height) {
  if (this->m_index == -1) return;
  m_geometry.AdjustSize(width, height);
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::SetBounds(int left, int top, int width, int height) {
  this->ReadSkinRecord();
  bool adjusted = false;
  if (this->m_index != -1 && (width != this->Width() || height != this->Height())) {
    AdjustSizeToSkin(width, height);
    if (m_geometry.ResizeMode == rmFixed) m_geometry.NewClientRect = m_geometry.ClientRect;
    adjusted = true;
  }
  SkinBase::SetBounds(left, top, width, height);
  if (adjusted) {
    UpdateWindowRegion();
    this->Invalidate();
  }
  if (this->m_index != -1 && m_geometry.StretchEffect) NotifyChildrenParentBackground(this);
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::ApplySkinChange() {
  this->ReadSkinRecord();
  bool changed = false;
  if (this->m_index == -1) {
    if (m_defaultWidth > 0) this->SetWidth(m_defaultWidth);
    if (m_defaultHeight > 0) this->SetHeight(m_defaultHeight);
  } else {
    int w = this->Width(), h = this->Height();
    AdjustSizeToSkin(w, h);
    if (w != this->Width() || h != this->Height()) {
      this->SetBounds(this->Left(), this->Top(), w, h);
      changed = true;
    }
  }
  if (!changed || this->m_index == -1) {
    UpdateWindowRegion();
    this->Invalidate();
  }
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::UpdateWindowRegion() {
  // Windowless controls have no region of their own.
  if constexpr (std::is_base_of_v<TWinControl, SkinBase>) {
    if (!this->parentWidget()) return;
    std::optional<QRegion> region;
    if (this->m_index != -1) region = m_geometry.Region(this->Width(), this->Height());
    if (region) this->setMask(*region);
    else if (!this->mask().isEmpty()) this->clearMask();
  }
}

template <class SkinBase>
TFont TsfSkinCustomControlT<SkinBase>::ControlFont(const QString& name, int height,
                                                   TFontStyles style) const {
  TFont font(m_defaultFont);
  if (m_useSkinFont && this->m_index != -1) {
    font.SetName(name);
    // A record without a height keeps the default font's.
    if (height != 0) font.SetHeight(height);
    font.SetStyle(style);
  }
  if (TsfSkinData* data = this->SkinData())
    if (TsfResourceStrData* strings = data->ResourceStrData()) font.SetCharset(strings->CharSet);
  return font;
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::Paint() {
  if (this->Width() <= 0 || this->Height() <= 0) return;
  this->ReadSkinRecord();
  int w = this->Width(), h = this->Height();
  AdjustSizeToSkin(w, h);  // lays the points out; the size stays
  if (this->m_index != -1 && ForceBackground && m_geometry.ResizeMode == rmFrame &&
      m_geometry.Picture)
    PaintFramedBackground();
  else
    this->PaintBuffered();
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::PaintDefaultImage(TBitmap& picture) {
  TCanvas* c = picture.Canvas();
  c->Brush.Style = bsSolid;
  c->Brush.Color = clBtnFace;
  c->FillRect(this->ClientRect());
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::PaintSkinImage(TBitmap& picture) {
  if (m_geometry.ResizeMode == rmFrame && ForceBackground) return;
  m_geometry.Compose(picture, m_geometry.SkinRect, this->Width(), this->Height());
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::FillClientPiece(TCanvas* canvas, const TRect& area) {
  const TBitmap* pic = m_geometry.Picture;
  if (!pic || area.IsEmpty()) return;
  // An empty client piece (or one outside the picture) has nothing to repeat.
  if (m_geometry.ClientTile().Intersect(TRect(0, 0, pic->Width(), pic->Height())).IsEmpty()) return;
  TBitmap fill;
  ComposeClientFill(m_geometry.ClientRect, TRect(0, 0, area.Width(), area.Height()), fill,
                    area.Width(), area.Height(), m_geometry.SkinRect, *pic,
                    m_geometry.StretchEffect, static_cast<TsfStretchMode>(m_geometry.StretchType));
  canvas->Draw(area.Left, area.Top, &fill);
}

template <class SkinBase>
void TsfSkinCustomControlT<SkinBase>::PaintFramedBackground() {
  const int W = this->Width(), H = this->Height();
  FrameKey key;
  key.picture = m_geometry.Picture->Image().cacheKey();
  key.width = W;
  key.height = H;
  key.skinRect = m_geometry.SkinRect;
  key.skin = m_geometry.SkinPoints();
  key.laid = m_geometry.LaidPoints();
  const TsfSkinGeometry& g = m_geometry;
  key.flags = unsigned(g.LeftStretch) | unsigned(g.TopStretch) << 1 | unsigned(g.RightStretch) << 2 |
              unsigned(g.BottomStretch) << 3 | unsigned(g.StretchEffect) << 4 |
              unsigned(g.StretchType) << 5;
  key.fill = DrawBackground;
  if (!(key == m_frameKey)) {
    ComposeFrameBorders(m_frameParts, m_geometry.SkinPoints(), m_geometry.LaidPoints(), W, H,
                        m_geometry.SkinRect, *m_geometry.Picture, m_geometry.Flags());
    m_frameKey = key;
  }
  const TsfFrameBorders& b = m_frameParts;
  // A control may draw content (a caption) that lies in the top edge: on a
  // copy, so the kept strip stays clean.
  TBitmap top = b.Top;
  if (!top.Empty()) this->PaintSkinImage(top);
  TCanvas* c = this->Canvas();
  // The client fill is composed as it is drawn: kept, it would hold a
  // bitmap of the whole client area for as long as the control lives.
  // Nothing beyond the control is ever seen: a record laying its client part
  // far outside gets no fill there (nor a size that overflows).
  if (DrawBackground) FillClientPiece(c, m_geometry.NewClientRect.Intersect(TRect(0, 0, W, H)));
  c->Draw(0, 0, &top);
  c->Draw(0, b.Top.Height(), &b.Left);
  c->Draw(W - b.Right.Width(), b.Top.Height(), &b.Right);
  c->Draw(0, H - b.Bottom.Height(), &b.Bottom);
}

template class TsfSkinCustomControlT<TsfSkinControl>;
template class TsfSkinCustomControlT<TsfGraphicSkinControl>;
