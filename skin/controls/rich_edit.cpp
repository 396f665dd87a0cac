#include "skin/controls/rich_edit.h"

#include "skin/data/control_records.h"
#include "skin/data/resource_strings.h"

// ---- linked bars -------------------------------------------------------------

namespace {
// Set on a bar to the link that drives it now: a bar serves one edit at a
// time, and only that edit's link may take its events back.
constexpr char kLinkProperty[] = "tolmsysLinkedBy";

TsfLinkedBar* LinkOf(const TsfSkinScrollBar* bar) {
  return reinterpret_cast<TsfLinkedBar*>(bar->property(kLinkProperty).value<quintptr>());
}
}  // namespace

void TsfLinkedBar::Set(TsfSkinScrollBar* bar) {
  if (TsfSkinScrollBar* old = m_bar.data(); old && old != bar && LinkOf(old) == this) {
    old->OnChange = nullptr;
    old->OnUpButtonClick = nullptr;
    old->OnDownButtonClick = nullptr;
    old->setProperty(kLinkProperty, QVariant());
  }
  m_bar = bar;
  if (!bar) return;
  // The edit that had the bar forgets it (its link is alive: a link going
  // away clears the mark).
  if (TsfLinkedBar* previous = LinkOf(bar); previous && previous != this) previous->m_bar = nullptr;
  bar->setProperty(kLinkProperty, QVariant::fromValue(quintptr(this)));
}

void TsfLinkedBar::Show(const TScrollInfo& info) {
  TsfSkinScrollBar* bar = m_bar.data();
  if (!bar) return;
  bar->SetEnabled(true);
  bar->SetRangeAndPosition(info.Min, info.Max, info.Page, info.Pos);
  // A click in the track pages by the edit's page, not by one unit.
  bar->SetLargeChange(std::max(1, info.Page));
}

void TsfLinkedBar::Disable() {
  if (TsfSkinScrollBar* bar = m_bar.data()) bar->SetEnabled(false);
}

int SkinCharset(const TsfSkinData* data, const TFont& fallback) {
  if (data)
    if (TsfResourceStrData* strings = data->ResourceStrData()) return strings->CharSet;
  return fallback.Charset();
}

void RealignBar(TsfSkinScrollBar* bar) {
  if (!bar) return;
  if (TWinControl* parent = bar->Parent()) parent->Realign();
}

// ---- rich edit ---------------------------------------------------------------

TsfSkinRichEdit::TsfSkinRichEdit(QWidget* parent) : TCustomRichEdit(parent) {
  m_defaultFont.SetName(QStringLiteral("Arial"));
  m_defaultFont.SetHeight(14);
  m_defaultFont.SetStyle(0);
  m_defaultFont.OnChange = [this](TFont*) {
    if (m_skinSupport && m_index == -1) ApplyDefaults();
  };
  Font()->Assign(m_defaultFont);
  SetScrollBars(ssBoth);
}

void TsfSkinRichEdit::SetSkinSupport(bool v) {
  m_skinSupport = v;
  ApplySkinChange();
}

void TsfSkinRichEdit::SetSkinData(TsfSkinData* data) {
  m_skinData = data;
  if (data && !data->IsEmpty) ApplySkinChange();
}

void TsfSkinRichEdit::SetDefaultColor(TColor v) {
  m_defaultColor = v;
  if (m_skinSupport && m_index == -1) ApplyDefaults();
}

void TsfSkinRichEdit::ApplyDefaults() {
  SetColor(m_defaultColor);
  Font()->Assign(m_defaultFont);
}

void TsfSkinRichEdit::ApplySkinChange() {
  TsfSkinData* data = SkinData();
  m_index = (!data || data->IsEmpty) ? -1 : data->GetControlIndex(m_skinDataName);
  if (m_skinSupport) {
    auto* record = m_index >= 0 ? dynamic_cast<TsfDataSkinRichEdit*>(data->ControlRecords[size_t(m_index)].get())
                                : nullptr;
    if (m_index == -1) {
      ApplyDefaults();
    } else if (record) {
      TFont f(*Font());
      f.SetName(record->fontname);
      f.SetColor(record->fontcolor);
      f.SetStyle(record->fontstyle);
      f.SetHeight(record->fontheight);
      Font()->Assign(f);
      SetColor(record->bgcolor);
    }
  }
  Font()->SetCharset(SkinCharset(data, m_defaultFont));
  SyncBars();
  RealignBar(VScrollBar());
  RealignBar(HScrollBar());
}

void TsfSkinRichEdit::SetVScrollBar(TsfSkinScrollBar* bar) {
  m_vbar.Set(bar);
  if (!bar) return;
  bar->OnChange = [this](TObject* s) {
    Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBPOSITION, static_cast<TsfSkinScrollBar*>(s)->Position()));
  };
  bar->OnUpButtonClick = [this](TObject* s) {
    auto* b = static_cast<TsfSkinScrollBar*>(s);
    if (b->Position() < b->Max() - b->PageSize() + 1) Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEDOWN));
    SyncBars();
  };
  bar->OnDownButtonClick = [this](TObject* s) {
    if (static_cast<TsfSkinScrollBar*>(s)->Position() != 0) Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEUP));
    SyncBars();
  };
  SyncBars();
}

void TsfSkinRichEdit::SetHScrollBar(TsfSkinScrollBar* bar) {
  m_hbar.Set(bar);
  if (!bar) return;
  bar->OnChange = [this](TObject* s) {
    Perform(WM_HSCROLL, MakeScrollWParam(SB_THUMBPOSITION, static_cast<TsfSkinScrollBar*>(s)->Position()));
  };
  SyncBars();
}

void TsfSkinRichEdit::SyncBars() {
  for (int bar : {SB_VERT, SB_HORZ}) {
    TsfLinkedBar& linked = bar == SB_VERT ? m_vbar : m_hbar;
    if (!linked.Get()) continue;
    if (!Enabled() || !ScrollBarVisible(bar)) linked.Disable();
    else linked.Show(GetScrollInfo(bar));
  }
}

void TsfSkinRichEdit::Change() {
  TCustomRichEdit::Change();
  SyncBars();
}

void TsfSkinRichEdit::EnabledChanged() {
  TCustomRichEdit::EnabledChanged();
  SyncBars();
}

void TsfSkinRichEdit::WndProc(TMessage& m) {
  TCustomRichEdit::WndProc(m);
  if (m.Msg == WM_SIZE) SyncBars();
}
