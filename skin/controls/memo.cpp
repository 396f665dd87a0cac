#include "skin/controls/memo.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTextDocument>

#include "skin/controls/skin_geometry.h"
#include "skin/data/control_records.h"
#include "skin/data/resource_strings.h"
#include "skin/menus/skin_menu.h"
#include "skin/menus/skin_popup_menu.h"
#include "skin/render/compose.h"

TsfSkinMemo::TsfSkinMemo(QWidget* parent) : TMemo(parent) {
  Opaque = true;  // Paint draws every pixel
  SetScrollBars(ssBoth);
  TFont f(*Font());
  f.SetName(QStringLiteral("Arial"));
  f.SetHeight(14);
  f.SetColor(clBlack);
  Font()->Assign(f);
  m_defaultFont = f;
  m_defaultFont.OnChange = [this](TFont*) {
    if (m_index == -1) Font()->Assign(m_defaultFont);
  };
  ApplySkinChange();
}

TsfSkinMemo::~TsfSkinMemo() {
  m_defaultFont.OnChange = nullptr;
  delete m_menu.data();
}

TsfDataSkinMemoControl* TsfSkinMemo::Record() const {
  TsfSkinData* data = SkinData();
  if (!data || m_index < 0 || m_index >= int(data->ControlRecords.size())) return nullptr;
  return dynamic_cast<TsfDataSkinMemoControl*>(data->ControlRecords[size_t(m_index)].get());
}

void TsfSkinMemo::ReadRecord() {
  TsfSkinData* data = SkinData();
  m_index = (!data || data->IsEmpty) ? -1 : data->GetControlIndex(m_skinDataName);
  if (!Record()) m_index = -1;
}

void TsfSkinMemo::SetSkinData(TsfSkinData* data) {
  m_skinData = data;
  if (data && !data->IsEmpty) ApplySkinChange();
}

void TsfSkinMemo::SetBitMapBG(bool v) {
  m_bitmapBG = v;
  ApplySkinChange();
}

void TsfSkinMemo::ApplySkinChange() {
  ReadRecord();
  TFont f(m_defaultFont);
  if (const TsfDataSkinMemoControl* rec = Record()) {
    if (m_useSkinFont) {
      f.SetName(rec->fontname);
      f.SetStyle(rec->fontstyle);
      if (rec->fontheight != 0) f.SetHeight(rec->fontheight);
    }
    SetColor(rec->bgcolor);
  }
  f.SetCharset(SkinCharset(SkinData(), m_defaultFont));
  f.OnChange = nullptr;
  Font()->Assign(f);
  SyncBars();
  RealignBar(VScrollBar());
  RealignBar(HScrollBar());
  ApplyFontColor();
  SetFormatRect(TextRect());
  Invalidate();
}

// Disabled: grey; no record: the default font's colour; with the record's
// colours: active while focused or under the mouse.
void TsfSkinMemo::ApplyFontColor() {
  const TsfDataSkinMemoControl* rec = Record();
  TColor c = Font()->Color();
  if (!Enabled()) {
    // The skin's "edit" record names the disabled text colour of all edits.
    c = clGrayText;
    if (TsfSkinData* data = SkinData(); rec && data) {
      const int edit = data->GetControlIndex(QStringLiteral("edit"));
      if (auto* e = edit >= 0 ? dynamic_cast<TsfDataSkinEditControl*>(data->ControlRecords[size_t(edit)].get()) : nullptr)
        c = e->disabledfontcolor;
    }
  }
  else if (!rec) c = m_defaultFont.Color();
  else if (m_useSkinFontColor) c = Active() ? rec->activefontcolor : rec->fontcolor;
  Font()->SetColor(c);
}

void TsfSkinMemo::ApplyActiveLook(bool active) {
  const TsfDataSkinMemoControl* rec = Record();
  if (rec) {
    if (m_useSkinFontColor && Enabled()) Font()->SetColor(active ? rec->activefontcolor : rec->fontcolor);
    if (!m_bitmapBG) SetColor(active ? rec->activebgcolor : rec->bgcolor);
  }
  Invalidate();
}

void TsfSkinMemo::MouseEnter() {
  m_mouseInside = true;
  if (!Focused()) ApplyActiveLook(true);
  TMemo::MouseEnter();
}

void TsfSkinMemo::MouseLeave() {
  m_mouseInside = false;
  if (!Focused()) ApplyActiveLook(false);
  TMemo::MouseLeave();
}

void TsfSkinMemo::FocusChanged(bool focused) {
  if (!m_mouseInside) ApplyActiveLook(focused);
  TMemo::FocusChanged(focused);
}

TRect TsfSkinMemo::TextRect() const {
  const int w = Width(), h = Height();
  TRect r;
  if (const TsfDataSkinMemoControl* rec = Record()) {
    const TRect& c = rec->clientrect;
    r = TRect(c.Left + 1 + (m_bitmapBG ? 0 : 2), c.Top + 1 + (m_bitmapBG ? 0 : 1),
              w + (c.Right - rec->skinrect.Width()) - 3, h + (c.Bottom - rec->skinrect.Height()) - 2);
  } else {
    r = TRect(m_bitmapBG ? 3 : 6, 2, w - 4, h - 2);
  }
  r.Right = std::max(r.Right, r.Left);
  r.Bottom = std::max(r.Bottom, r.Top);
  return r;
}

void TsfSkinMemo::Paint() {
  const int W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  ReadRecord();
  TBitmap picture(W, H);
  TCanvas* c = picture.Canvas();
  c->Brush.Style = bsSolid;
  const TsfDataSkinMemoControl* rec = Record();
  TsfSkinGeometry g;
  if (rec) g.Read(*rec, *SkinData());
  if (!rec || !g.Picture) {
    c->Brush.Color = clBtnShadow;
    c->FillRect(TRect(0, 0, W, H));
    c->Brush.Color = clBtnFace;
    c->FillRect(TRect(1, 1, W - 1, H - 1));
    c->Brush.Color = rec ? Color() : clWindow;
    c->FillRect(TRect(2, 2, W - 2, H - 2));
  } else {
    const TRect source = Active() && !rec->activeskinrect.IsEmpty() ? rec->activeskinrect : rec->skinrect;
    const int Sw = g.SkinWidth(), Sh = g.SkinHeight();
    if (m_bitmapBG) {
      TBitmap fill;
      ComposeClientFill(g.ClientRect, TRect(0, 0, W, H), fill, W, H, source, *g.Picture, g.StretchEffect,
                        static_cast<TsfStretchMode>(g.StretchType));
      c->Draw(0, 0, &fill);
    } else {
      c->Brush.Color = Color();
      c->FillRect(TRect(g.ClientRect.Left, g.ClientRect.Top, W - (Sw - g.ClientRect.Right),
                        H - (Sh - g.ClientRect.Bottom)));
    }
    TsfFrameBorders b;
    ComposeFrameBorders(b, g.SkinPoints(), ScaleFramePoints(g.SkinPoints(), Sw, Sh, W, H), W, H, source,
                        *g.Picture, g.Flags());
    c->Draw(0, 0, &b.Top);
    c->Draw(0, b.Top.Height(), &b.Left);
    c->Draw(W - b.Right.Width(), b.Top.Height(), &b.Right);
    c->Draw(0, H - b.Bottom.Height(), &b.Bottom);
  }
  Canvas()->Draw(0, 0, &picture);
}

void TsfSkinMemo::SetVScrollBar(TsfSkinScrollBar* bar) { LinkBar(m_vbar, bar, WM_VSCROLL); }

void TsfSkinMemo::SetHScrollBar(TsfSkinScrollBar* bar) { LinkBar(m_hbar, bar, WM_HSCROLL); }

void TsfSkinMemo::LinkBar(TsfLinkedBar& linked, TsfSkinScrollBar* bar, unsigned scrollMessage) {
  linked.Set(bar);
  if (!bar) return;
  bar->SetRangeAndPosition(0, 0, 0, 0);
  bar->OnChange = [this, scrollMessage](TObject* s) {
    Perform(scrollMessage, MakeScrollWParam(SB_THUMBPOSITION, static_cast<TsfSkinScrollBar*>(s)->Position()));
    Invalidate();
  };
  SyncBars();
}

void TsfSkinMemo::SyncBars() {
  for (int bar : {SB_VERT, SB_HORZ}) {
    TsfLinkedBar& linked = bar == SB_VERT ? m_vbar : m_hbar;
    TsfSkinScrollBar* b = linked.Get();
    if (!b) continue;
    if (!Enabled()) {
      linked.Disable();
      continue;
    }
    const TScrollInfo info = GetScrollInfo(bar);
    const bool scrolls = bar == SB_VERT ? info.Page < info.Max + 1 : info.Page < info.Max;
    if (scrolls) {
      linked.Show(TScrollInfo{0, info.Max, info.Page, info.Pos});
    } else {
      b->SetRangeAndPosition(0, 0, 0, 0);
      linked.Disable();
    }
  }
}

void TsfSkinMemo::Change() {
  TMemo::Change();
  SyncBars();
}

void TsfSkinMemo::EnabledChanged() {
  Perform(WM_HSCROLL, MakeScrollWParam(SB_THUMBPOSITION, 0));
  TMemo::EnabledChanged();
  ApplySkinChange();
}

bool TsfSkinMemo::RefusedWhileReadOnly(const TMessage& m) const {
  if (!ReadOnly()) return false;
  switch (m.Msg) {
    case WM_CHAR: return m.WParam != 0x03;  // Ctrl+C still copies
    case WM_KEYDOWN: return m.WParam == VK_DELETE;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO: return true;
    default: return false;
  }
}

void TsfSkinMemo::WndProc(TMessage& m) {
  if (RefusedWhileReadOnly(m)) {
    m.Result = 0;
    return;
  }
  switch (m.Msg) {
    case WM_MOUSEWHEEL: {
      // One line per notch; the small steps of touchpads add up to notches.
      m_wheelRest += static_cast<int16_t>((m.WParam >> 16) & 0xFFFF);
      for (; m_wheelRest >= 120; m_wheelRest -= 120) Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEUP));
      for (; m_wheelRest <= -120; m_wheelRest += 120) Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEDOWN));
      if (m_bitmapBG) Invalidate();
      m.Result = 1;
      return;
    }
    case WM_CONTEXTMENU: ShowContextMenu(m.LParam); return;
    case WM_LBUTTONDOWN: m_buttonHeld = true; break;
    default: break;
  }
  QPointer<TsfSkinMemo> self(this);
  TMemo::WndProc(m);
  if (!self) return;
  switch (m.Msg) {
    case WM_CHAR:
    case WM_KEYDOWN:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_SIZE:
      SyncBars();
      if (m.Msg == WM_SIZE) SetFormatRect(TextRect());
      else if (m_bitmapBG) Invalidate();
      break;
    case WM_LBUTTONUP:
      if (m_buttonHeld) SyncBars();
      m_buttonHeld = false;
      break;
    case WM_MOUSEMOVE:
      if (m_buttonHeld) SyncBars();
      break;
    case WM_SKINMENU_COMMAND:
      // The command ran; the menu goes (later: it may still be on the stack).
      if (m_menu) m_menu->deleteLater();
      m_menu = nullptr;
      break;
    default: break;
  }
}

void TsfSkinMemo::ShowContextMenu(intptr_t lparam) {
  delete m_menu.data();
  auto* menu = new TsfSkinPopupMenu(this);
  m_menu = menu;
  TsfResourceStrData* strings = SkinData() ? SkinData()->ResourceStrData() : nullptr;
  auto caption = [&](const char* key, const char* fallback) {
    const QString s = strings ? strings->GetResString(QLatin1String(key)) : QString();
    return s.isEmpty() ? QString::fromLatin1(fallback) : s;
  };
  const bool selected = SelLength() > 0;
  const QString text = Text();
  struct Entry {
    const char* key;
    const char* fallback;
    bool enabled;
    std::function<void()> run;
  };
  QPointer<TsfSkinMemo> self(this);
  const Entry entries[] = {
      {"EDIT_UNDO", "Undo", CanUndo(), [self] { if (self) self->Undo(); }},
      {nullptr, "-", true, nullptr},
      {"EDIT_CUT", "Cut", selected && !ReadOnly(), [self] { if (self) self->CutToClipboard(); }},
      {"EDIT_COPY", "Copy", selected, [self] { if (self) self->CopyToClipboard(); }},
      {"EDIT_PASTE", "Paste", CanPaste() && !ReadOnly(), [self] { if (self) self->PasteFromClipboard(); }},
      {"EDIT_DELETE", "Delete", selected && !ReadOnly(), [self] { if (self) self->ClearSelection(); }},
      {nullptr, "-", true, nullptr},
      {"EDIT_SELECTALL", "Select All", SelText() != text, [self] { if (self) self->SelectAll(); }},
  };
  for (const Entry& e : entries) {
    auto* item = new TMenuItem(menu);
    item->Caption = e.key ? caption(e.key, e.fallback) : QString::fromLatin1(e.fallback);
    item->Enabled = e.enabled;
    if (e.run) item->OnClick = [run = e.run](TObject*) { run(); };
    menu->Items()->Add(item);
  }
  menu->HostForm = window();  // the form whose skinned window shows the menu
  TPoint p(LParamX(lparam), LParamY(lparam));
  if (p.X == -1 && p.Y == -1) p = ClientToScreen(TPoint(Width() / 2, Height() / 2));
  menu->PopupForControl(this, p.X, p.Y);
}
