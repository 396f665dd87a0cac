#include "platform/timer.h"

#include "platform/application.h"

TTimer::TTimer(QObject* owner) : TComponent(owner) {
  connect(&m_timer, &QTimer::timeout, this, [this] {
    if (OnTimer) GuardEvent([this] { OnTimer(this); });
  });
  Update();
}

void TTimer::SetInterval(int ms) {
  if (ms == m_interval) return;
  m_interval = ms;
  Update();
}

void TTimer::SetEnabled(bool v) {
  if (v == m_enabled) return;
  m_enabled = v;
  Update();
}

void TTimer::Update() {
  m_timer.stop();
  if (m_enabled && m_interval > 0) m_timer.start(m_interval);
}
