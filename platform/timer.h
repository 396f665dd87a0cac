#pragma once
// TTimer: a window timer delivered by the event loop. An interval of 0 means
// off (a QTimer with interval 0 would fire continuously).

#include <QTimer>

#include "platform/component.h"

class TTimer : public TComponent {
  Q_OBJECT
 public:
  explicit TTimer(QObject* owner = nullptr);
  int Interval() const { return m_interval; }
  void SetInterval(int ms);
  bool Enabled() const { return m_enabled; }
  void SetEnabled(bool v);
  TNotifyEvent OnTimer;

 private:
  void Update();
  QTimer m_timer;
  int m_interval = 1000;
  bool m_enabled = true;
};
