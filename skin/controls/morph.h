#pragma once
// The hover blend of skinned buttons and boxes: a factor between 0 (normal
// picture) and 1 (active picture) that a 20 ms timer moves by 0.2 per tick
// toward 1 while the control is hot or focused and toward 0 otherwise,
// repainting at each tick. The timer exists only while the factor moves.

#include <functional>

#include "platform/timer.h"

class TsfMorph {
 public:
  static constexpr int Interval = 20;
  static constexpr double Step = 0.2;

  // `inEffect`: whether morphing is in effect (record and skin effects);
  // `rising`: whether the factor moves toward 1; `repaint`: called per step.
  TsfMorph(QObject* owner, std::function<bool()> inEffect, std::function<bool()> rising,
           std::function<void()> repaint);
  ~TsfMorph();
  TsfMorph(const TsfMorph&) = delete;
  TsfMorph& operator=(const TsfMorph&) = delete;

  double Factor = 0;
  TTimer* Timer() const { return m_timer; }

  // Starts moving; without morphing in effect the factor jumps to its end.
  void Start();
  void Stop();
  void Tick();

 private:
  QObject* m_owner;
  std::function<bool()> m_inEffect;
  std::function<bool()> m_rising;
  std::function<void()> m_repaint;
  TTimer* m_timer = nullptr;
};

// Stops a timer now and frees it once its own tick (if running) has returned.
void FreeTimer(TTimer*& timer);
// A running timer owned by `owner` that calls `tick`.
TTimer* NewTimer(QObject* owner, int interval, std::function<void()> tick);
