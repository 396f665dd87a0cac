#include "skin/controls/morph.h"

void FreeTimer(TTimer*& timer) {
  if (!timer) return;
  // Its handler may be the caller: leave it in place, a stopped timer never
  // calls it again.
  timer->SetEnabled(false);
  timer->deleteLater();
  timer = nullptr;
}

TTimer* NewTimer(QObject* owner, int interval, std::function<void()> tick) {
  auto* t = new TTimer(owner);
  t->SetInterval(interval);
  t->OnTimer = [tick = std::move(tick)](TObject*) { tick(); };
  t->SetEnabled(true);
  return t;
}

TsfMorph::TsfMorph(QObject* owner, std::function<bool()> inEffect, std::function<bool()> rising,
                   std::function<void()> repaint)
    : m_owner(owner),
      m_inEffect(std::move(inEffect)),
      m_rising(std::move(rising)),
      m_repaint(std::move(repaint)) {}

TsfMorph::~TsfMorph() { Stop(); }

void TsfMorph::Start() {
  if (!m_inEffect()) {
    Stop();
    Factor = m_rising() ? 1 : 0;
    m_repaint();
    return;
  }
  if (!m_timer) m_timer = NewTimer(m_owner, Interval, [this] { Tick(); });
}

void TsfMorph::Stop() { FreeTimer(m_timer); }

void TsfMorph::Tick() {
  const bool rising = m_rising();
  if (!m_inEffect()) {
    Factor = rising ? 1 : 0;
    Stop();
  } else if (rising) {
    Factor += Step;
    if (Factor >= 1 - 1e-9) {
      Factor = 1;
      Stop();
    }
  } else {
    Factor -= Step;
    if (Factor <= 1e-9) {
      Factor = 0;
      Stop();
    }
  }
  m_repaint();
}
