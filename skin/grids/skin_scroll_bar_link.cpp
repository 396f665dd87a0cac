#include "skin/grids/skin_scroll_bar_link.h"

TsfSkinScrollBarLink::TsfSkinScrollBarLink(TsfSkinScrollBar* bar) : m_bar(bar) {
  if (!bar) return;
  auto relay = [this](std::function<void()> TsfGridScrollBar::*event) {
    return [this, event](TObject*) {
      if (this->*event) (this->*event)();
    };
  };
  bar->OnChange = relay(&TsfGridScrollBar::OnChange);
  bar->OnLastChange = relay(&TsfGridScrollBar::OnLastChange);
  bar->OnUpButtonClick = relay(&TsfGridScrollBar::OnUpButtonClick);
  bar->OnDownButtonClick = relay(&TsfGridScrollBar::OnDownButtonClick);
  bar->OnPageUp = relay(&TsfGridScrollBar::OnPageUp);
  bar->OnPageDown = relay(&TsfGridScrollBar::OnPageDown);
  m_destroyed = QObject::connect(bar, &QObject::destroyed, [this] {
    if (OnDestroyed) OnDestroyed();
  });
}

TsfSkinScrollBarLink::~TsfSkinScrollBarLink() {
  QObject::disconnect(m_destroyed);
  if (!m_bar) return;
  m_bar->OnChange = m_bar->OnLastChange = m_bar->OnUpButtonClick = m_bar->OnDownButtonClick =
      m_bar->OnPageUp = m_bar->OnPageDown = nullptr;
}

void TsfSkinScrollBarLink::SetRangeAndPosition(int min, int max, int page, int position) {
  if (!m_bar) return;
  m_bar->SetSmallChange(SmallChange);
  m_bar->SetLargeChange(LargeChange);
  m_bar->SetRangeAndPosition(min, max, page, position);
}

void TsfSkinScrollBarLink::SetShown(bool shown) {
  if (m_bar && m_bar->Visible() != shown) m_bar->SetVisible(shown);
}

void TsfSkinScrollBarLink::SetBarEnabled(bool enabled) {
  if (m_bar) m_bar->SetEnabled(enabled);
}

void TsfSkinScrollBarLink::SetBoth(bool both) {
  if (m_bar) m_bar->SetBoth(both);
}
