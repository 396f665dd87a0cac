// A skinned window against the same window painted by Qt's own style with a
// frame and a title bar, in the same run: a full repaint of an 816 x 498
// window, and 200 resizes by one pixel each with a repaint after each; each
// with the default skin as it is (mask:1) and without its mask (mask:0).
// Counters: our_ms and qt_ms per repaint (or per 200 resizes), ratio = ours / Qt.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "platform/form.h"
#include "skin/form/skin_form.h"
#include "tools/skingen/default_skin.h"

namespace {
constexpr int kW = 816, kH = 498;

double Ms(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The peer: a window frame and title bar drawn by the style, the client filled.
class StyledWindow : public QWidget {
 public:
  StyledWindow() : QWidget(nullptr, Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("Vardel软件--Tolm真题练习"));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const int titleHeight = style()->pixelMetric(QStyle::PM_TitleBarHeight);
    const int border = 4;
    p.fillRect(rect(), palette().window());
    QStyleOptionFrame frame;
    frame.initFrom(this);
    frame.lineWidth = border;
    frame.features = QStyleOptionFrame::None;
    style()->drawPrimitive(QStyle::PE_FrameWindow, &frame, &p, this);
    QStyleOptionTitleBar title;
    title.initFrom(this);
    title.rect = QRect(border, border, width() - 2 * border, titleHeight);
    title.text = windowTitle();
    title.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint;
    title.subControls = QStyle::SC_All;
    title.titleBarState = Qt::WindowActive;
    title.state |= QStyle::State_Active;
    style()->drawComplexControl(QStyle::CC_TitleBar, &title, &p, this);
  }
};

struct Windows {
  QTemporaryDir dir;
  TsfSkinData skin;
  std::unique_ptr<TForm> form;
  std::unique_ptr<StyledWindow> peer;
  // withMask false: the default skin without its mask (a rectangular window).
  explicit Windows(bool withMask) {
    WriteDefaultSkin(dir.path());
    if (!withMask) {
      QFile f(dir.filePath(QStringLiteral("skin.ini")));
      f.open(QIODevice::ReadOnly);
      QByteArray text = f.readAll();
      f.close();
      text.replace("mask=mask.bmp", "mask=");
      f.open(QIODevice::WriteOnly);
      f.write(text);
    }
    skin.LoadSkinFile(dir.filePath(QStringLiteral("skin.ini")));
    form = std::make_unique<TForm>();
    form->SetCaption(QStringLiteral("Vardel软件--Tolm真题练习"));
    auto* skinner = new TsfSkinForm(form.get());
    skinner->SetSkinData(&skin);
    form->setGeometry(0, 0, kW, kH);
    form->Show();
    peer = std::make_unique<StyledWindow>();
    peer->setGeometry(0, 0, kW, kH);
    peer->show();
    QApplication::processEvents();
  }
};

void BM_FullRepaint(benchmark::State& state) {
  Windows w(state.range(0) != 0);
  double ours = 0, qt = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    w.form->repaint();
    auto t1 = std::chrono::steady_clock::now();
    w.peer->repaint();
    auto t2 = std::chrono::steady_clock::now();
    ours += Ms(t1 - t0);
    qt += Ms(t2 - t1);
  }
  const double runs = double(state.iterations());
  state.counters["our_ms"] = ours / runs;
  state.counters["qt_ms"] = qt / runs;
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
  state.counters["skinned"] = w.skin.IsEmpty ? 0 : 1;
  state.counters["region_rects"] = w.form->mask().rectCount();
}
BENCHMARK(BM_FullRepaint)->ArgName("mask")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_Resize200Steps(benchmark::State& state) {
  Windows w(state.range(0) != 0);
  // One untimed sweep of each first: a slow case runs a single iteration,
  // which would otherwise carry the allocator's first growth alone.
  for (QWidget* win : {static_cast<QWidget*>(w.form.get()), static_cast<QWidget*>(w.peer.get())}) {
    for (int i = 1; i <= 200; ++i) {
      win->resize(kW + i, kH + i);
      win->repaint();
    }
    win->resize(kW, kH);
  }
  double ours = 0, qt = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 1; i <= 200; ++i) {
      w.form->resize(kW + i, kH + i);  // frame geometry, client, region
      w.form->repaint();
    }
    auto t1 = std::chrono::steady_clock::now();
    for (int i = 1; i <= 200; ++i) {
      w.peer->resize(kW + i, kH + i);
      w.peer->repaint();
    }
    auto t2 = std::chrono::steady_clock::now();
    ours += Ms(t1 - t0);
    qt += Ms(t2 - t1);
    w.form->resize(kW, kH);
    w.peer->resize(kW, kH);
  }
  const double runs = double(state.iterations());
  state.counters["our_ms"] = ours / runs;
  state.counters["qt_ms"] = qt / runs;
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
}
BENCHMARK(BM_Resize200Steps)->ArgName("mask")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
