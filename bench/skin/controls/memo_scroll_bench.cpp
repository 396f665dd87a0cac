// Scrolling a 5,000-line memo by its linked skinned bar (the bar's change
// scrolls the memo, the memo puts its state back into the bar, both repaint)
// against a bare QPlainTextEdit scrolled by its own bar and repainted. The
// counter "ratio" is ours / Qt (below 1: ours is faster).
#include <benchmark/benchmark.h>

#include <QImage>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <chrono>

#include "skin/controls/memo.h"

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

QString Lines(int n) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << QStringLiteral("Line %1 of the answer, written in the memo.").arg(i);
  return l.join(u'\n');
}

void BM_ScrollByLinkedBar(benchmark::State& state) {
  const QString text = Lines(5000);
  TCustomControl panel;
  panel.SetBounds(0, 0, 320, 240);
  auto* bar = new TsfSkinScrollBar(&panel);
  bar->SetKind(sbVertical);
  bar->SetWidth(19);
  bar->SetAlign(alRight);
  auto* memo = new TsfSkinMemo(&panel);
  memo->SetAlign(alClient);
  memo->SetVScrollBar(bar);
  memo->SetText(text);
  panel.show();

  QPlainTextEdit qt;
  qt.resize(320, 240);
  qt.setPlainText(text);
  qt.show();
  QScrollBar* qtBar = qt.verticalScrollBar();

  QImage image(320, 240, QImage::Format_RGB32);
  panel.render(&image);
  qt.render(&image);
  double ours = 0, peer = 0;
  int step = 0;
  for (auto _ : state) {
    const int line = (step++ * 7) % 4900;
    auto t0 = Clock::now();
    bar->SetPosition(line);
    panel.render(&image);
    ours += Seconds(t0);
    t0 = Clock::now();
    qtBar->setValue(line);
    qt.render(&image);
    peer += Seconds(t0);
  }
  state.counters["ours_us"] = benchmark::Counter(ours * 1e6 / state.iterations());
  state.counters["qt_us"] = benchmark::Counter(peer * 1e6 / state.iterations());
  state.counters["ratio"] = peer > 0 ? ours / peer : 0;
}
BENCHMARK(BM_ScrollByLinkedBar)->Unit(benchmark::kMicrosecond);

}  // namespace
