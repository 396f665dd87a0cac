// Composing a full-screen nine-part frame and building the region of a
// full-screen masked frame, each against Qt doing the same job in the same
// run. Counters: our_ms and qt_ms per composition, ratio = ours / Qt.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBitmap>
#include <QPainter>
#include <QPixmap>
#include <QRegion>
#include <QtWidgets/qdrawutil.h>
#include <chrono>

#include "skin/render/compose.h"
#include "skin/render/mask_region.h"

namespace {
constexpr int kW = 1920, kH = 1080;
constexpr int kSkin = 64, kBorder = 8;

// A 64 x 64 skin with all pixels distinct enough to defeat any shortcut.
TBitmap SkinPicture() {
  QImage img(kSkin, kSkin, QImage::Format_RGB32);
  for (int y = 0; y < kSkin; ++y)
    for (int x = 0; x < kSkin; ++x) img.setPixel(x, y, qRgb(x * 4, y * 4, (x ^ y) * 4));
  return TBitmap(img);
}

// A mask with rounded corners and a notched top band.
TBitmap MaskPicture() {
  QImage img(kSkin, kSkin, QImage::Format_RGB32);
  for (int y = 0; y < kSkin; ++y)
    for (int x = 0; x < kSkin; ++x) {
      const int dx = std::min(x, kSkin - 1 - x), dy = std::min(y, kSkin - 1 - y);
      const bool cornerCut = dx + dy < 4;
      const bool notch = y < 3 && (x % 7) == 3;
      img.setPixel(x, y, cornerCut || notch ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
  return TBitmap(img);
}

// A plain nine-patch: corners of 8 x 8, everything between repeated.
TsfFramePoints NinePatch() {
  TsfFramePoints p;
  p.LT = TPoint(kBorder, kBorder);
  p.RT = TPoint(kSkin - kBorder, kBorder);
  p.LB = TPoint(kBorder, kSkin - kBorder);
  p.RB = TPoint(kSkin - kBorder, kSkin - kBorder);
  p.C = TRect(kBorder, kBorder, kSkin - kBorder, kSkin - kBorder);
  return p;
}

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void BM_ComposeNinePartFrame(benchmark::State& state) {
  const TBitmap skin = SkinPicture();
  const QPixmap pixmap = QPixmap::fromImage(skin.Image());
  const TsfFramePoints k = NinePatch();
  const TsfFramePoints n = ScaleFramePoints(k, kSkin, kSkin, kW, kH);
  const QMargins margins(kBorder, kBorder, kBorder, kBorder);
  const QTileRules tiles(Qt::RepeatTile, Qt::RepeatTile);
  double ours = 0, qt = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    TBitmap out;
    ComposeFrameBitmap(out, k, n, kW, kH, TRect(0, 0, kSkin, kSkin), skin, TsfStretchFlags{}, true);
    benchmark::DoNotOptimize(out.Image().constBits());
    auto t1 = std::chrono::steady_clock::now();
    QImage peer(kW, kH, QImage::Format_RGB32);
    {
      QPainter p(&peer);
      qDrawBorderPixmap(&p, QRect(0, 0, kW, kH), margins, pixmap, QRect(0, 0, kSkin, kSkin),
                        margins, tiles);
    }
    benchmark::DoNotOptimize(peer.constBits());
    auto t2 = std::chrono::steady_clock::now();
    ours += Ms(t1 - t0);
    qt += Ms(t2 - t1);
  }
  const double runs = double(state.iterations());
  state.counters["our_ms"] = ours / runs;
  state.counters["qt_ms"] = qt / runs;
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
}
BENCHMARK(BM_ComposeNinePartFrame)->Unit(benchmark::kMillisecond);

void BM_MaskedFrameRegion(benchmark::State& state) {
  const TBitmap mask = MaskPicture();
  const QPixmap maskPixmap = QPixmap::fromImage(mask.Image());
  const TsfFramePoints k = NinePatch();
  const TsfFramePoints n = ScaleFramePoints(k, kSkin, kSkin, kW, kH);
  const QMargins margins(kBorder, kBorder, kBorder, kBorder);
  const QTileRules tiles(Qt::RepeatTile, Qt::RepeatTile);
  double ours = 0, qt = 0;
  qsizetype sameArea = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    const auto region = BuildFrameRegion(k, n, kW, kH, mask);
    const QRegion mine = region ? region->ToQRegion() : QRegion();
    benchmark::DoNotOptimize(mine.rectCount());
    auto t1 = std::chrono::steady_clock::now();
    // Qt's way: lay the mask out at full size, then a region from its bitmap.
    QImage full(kW, kH, QImage::Format_RGB32);
    {
      QPainter p(&full);
      qDrawBorderPixmap(&p, QRect(0, 0, kW, kH), margins, maskPixmap, QRect(0, 0, kSkin, kSkin),
                        margins, tiles);
    }
    const QRegion peer(QBitmap::fromImage(full.createMaskFromColor(qRgb(0, 0, 0), Qt::MaskOutColor)));
    benchmark::DoNotOptimize(peer.rectCount());
    auto t2 = std::chrono::steady_clock::now();
    ours += Ms(t1 - t0);
    qt += Ms(t2 - t1);
    sameArea = (mine == peer) ? 1 : 0;
  }
  const double runs = double(state.iterations());
  state.counters["our_ms"] = ours / runs;
  state.counters["qt_ms"] = qt / runs;
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
  state.counters["same_region"] = double(sameArea);
}
BENCHMARK(BM_MaskedFrameRegion)->Unit(benchmark::kMillisecond);

}  // namespace
