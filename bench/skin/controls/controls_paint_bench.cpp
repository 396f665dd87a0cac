// Painting a window of 200 skinned buttons and 50 skinned panels in mixed
// states from the default skin, against 200 QPushButtons and 50 QFrames
// painted by Qt's Fusion style, in the same run. Counters: our_ms and qt_ms
// per full repaint, ratio = ours / Qt (below 1: ours is faster).
// BM_PaintButtonsAndPanels repaints an unchanged window (the buttons reuse the
// face they drew last time, as Fusion reuses its cached bevels);
// BM_PaintAfterStateChange presses or releases every button before each
// repaint, so every face is drawn anew.

#include <benchmark/benchmark.h>

#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QWidget>
#include <chrono>
#include <memory>

#include "skin/controls/skin_button.h"
#include "skin/controls/skin_panel.h"
#include "skin/data/skin_data.h"
#include "tools/skingen/default_skin.h"

namespace {
constexpr int kButtons = 200, kPanels = 50;
constexpr int kW = 1200, kH = 900;

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// Panels in a 10 x 5 grid, each holding four buttons in different states.
std::unique_ptr<QWidget> SkinnedWindow(TsfSkinData* skin) {
  auto root = std::make_unique<TCustomControl>();
  root->setGeometry(0, 0, kW, kH);
  int button = 0;
  for (int i = 0; i < kPanels; ++i) {
    auto* panel = new TsfSkinPanel(root.get());
    panel->SetSkinDataName(i % 2 ? QStringLiteral("panel") : QStringLiteral("groupbox"));
    panel->SetCaption(QStringLiteral("Panel %1").arg(i));
    panel->SetSkinData(skin);
    panel->SetBounds((i % 10) * 120, (i / 10) * 180, 116, 176);
    for (int k = 0; k < kButtons / kPanels; ++k, ++button) {
      auto* b = new TsfSkinButton(panel);
      b->SetCaption(QStringLiteral("Button %1").arg(button));
      b->SetSkinData(skin);
      b->SetBounds(8, 26 + k * 36, 100, 25);
      switch (button % 4) {
        case 1: b->Perform(CM_MOUSEENTER); break;
        case 2: b->SetDown(true); break;
        case 3: b->SetEnabled(false); break;
        default: break;
      }
    }
  }
  return root;
}

std::unique_ptr<QWidget> FusionWindow() {
  auto root = std::make_unique<QWidget>();
  root->setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  root->setGeometry(0, 0, kW, kH);
  int button = 0;
  for (int i = 0; i < kPanels; ++i) {
    auto* frame = new QFrame(root.get());
    frame->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    frame->setGeometry((i % 10) * 120, (i / 10) * 180, 116, 176);
    for (int k = 0; k < kButtons / kPanels; ++k, ++button) {
      auto* b = new QPushButton(QStringLiteral("Button %1").arg(button), frame);
      b->setGeometry(8, 26 + k * 36, 100, 25);
      if (button % 4 == 2) b->setDown(true);
      if (button % 4 == 3) b->setEnabled(false);
    }
  }
  // Every child takes the Fusion style, as a whole window in that style would.
  for (QWidget* w : root->findChildren<QWidget*>()) w->setStyle(root->style());
  return root;
}

void Measure(benchmark::State& state, bool changeState) {
  QTemporaryDir dir;
  QString error;
  if (!WriteDefaultSkin(dir.path(), &error)) {
    state.SkipWithError(error.toStdString().c_str());
    return;
  }
  TsfSkinData skin;
  skin.LoadSkinFile(dir.filePath(QStringLiteral("skin.ini")));
  auto ours = SkinnedWindow(&skin);
  auto peer = FusionWindow();
  ours->show();
  peer->show();
  QImage target(kW, kH, QImage::Format_RGB32);
  const QList<TsfSkinButton*> ourButtons = ours->findChildren<TsfSkinButton*>();
  const QList<QPushButton*> peerButtons = peer->findChildren<QPushButton*>();
  double oursMs = 0, qtMs = 0;
  bool down = false;
  for (auto _ : state) {
    if (changeState) {
      down = !down;
      for (TsfSkinButton* b : ourButtons) b->SetDown(down);
      for (QPushButton* b : peerButtons) b->setDown(down);
    }
    auto t0 = std::chrono::steady_clock::now();
    ours->render(&target);
    auto t1 = std::chrono::steady_clock::now();
    peer->render(&target);
    auto t2 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(target.constBits());
    oursMs += Ms(t1 - t0);
    qtMs += Ms(t2 - t1);
  }
  const double runs = double(state.iterations());
  state.counters["our_ms"] = oursMs / runs;
  state.counters["qt_ms"] = qtMs / runs;
  state.counters["ratio"] = qtMs > 0 ? oursMs / qtMs : 0;
}
void BM_PaintButtonsAndPanels(benchmark::State& state) { Measure(state, false); }
void BM_PaintAfterStateChange(benchmark::State& state) { Measure(state, true); }
BENCHMARK(BM_PaintButtonsAndPanels)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_PaintAfterStateChange)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
