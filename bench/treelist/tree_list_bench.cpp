// The tree list against QStandardItemModel + QTreeView with the same rows:
// building a tree of 100,000 nodes and painting one screenful, and one
// scroll-and-repaint step. Each benchmark times both in the same iteration
// and reports ours / Qt as the counter "ratio" (below 1: ours is faster).
//
// Times are the thread's CPU time: on a machine shared with other work the
// wall clock mostly measures how long the thread waited for a core.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTreeView>
#include <ctime>
#include <memory>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "treelist/tree_list.h"

namespace {

constexpr int kRoots = 1000;
constexpr int kChildren = 99;  // 1,000 × (1 + 99) = 100,000 nodes
constexpr int kWidth = 225;
constexpr int kHeight = 400;

double CpuNow() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}
double Seconds(double from) { return CpuNow() - from; }

// Freed blocks the heap has not yet merged are merged by whichever allocation
// comes next, so a teardown left out of the timings would be paid for inside
// the other side's timing. With `returnHeap` the heap is tidied after each
// teardown, outside the timings; without it the two sides pay for each
// other's teardown, as they did before.
void AfterTeardown(bool returnHeap) {
#if defined(__GLIBC__)
  if (returnHeap) malloc_trim(0);
#else
  Q_UNUSED(returnHeap);
#endif
}

QString Text(int root, int child) {
  return child < 0 ? QStringLiteral("Paper %1").arg(root)
                   : QStringLiteral("Question %1.%2").arg(root).arg(child);
}

std::unique_ptr<TtlTreeList> BuildOurs() {
  auto list = std::make_unique<TtlTreeList>();
  list->resize(kWidth, kHeight);
  list->SetShowHeader(false);
  list->SetShowLines(false);
  list->SetScrollBars(ssVertical);
  list->SetOptionsView(Opt(etoRowSelect) | Opt(etoDrawEndEllipsis) | Opt(etoUseBitmap));
  list->Bands()->Add();
  list->CreateColumn()->SetWidth(220);
  list->LockUpdates();
  for (int r = 0; r < kRoots; ++r) {
    auto* root = static_cast<TtlTreeListTextNode*>(list->Add());
    root->SetCellText(0, Text(r, -1));
    for (int c = 0; c < kChildren; ++c)
      static_cast<TtlTreeListTextNode*>(root->AddChild())->SetCellText(0, Text(r, c));
    if (r < 10) root->SetExpanded(true);
  }
  list->UnlockUpdates();
  return list;
}

struct QtPeer {
  std::unique_ptr<QStandardItemModel> model;
  std::unique_ptr<QTreeView> view;
};

QtPeer BuildQt() {
  QtPeer peer;
  peer.model = std::make_unique<QStandardItemModel>();
  QStandardItem* invisibleRoot = peer.model->invisibleRootItem();
  for (int r = 0; r < kRoots; ++r) {
    auto* root = new QStandardItem(Text(r, -1));
    QList<QStandardItem*> children;
    children.reserve(kChildren);
    for (int c = 0; c < kChildren; ++c) children << new QStandardItem(Text(r, c));
    root->appendRows(children);
    invisibleRoot->appendRow(root);
  }
  peer.view = std::make_unique<QTreeView>();
  peer.view->setHeaderHidden(true);
  peer.view->setUniformRowHeights(true);
  peer.view->resize(kWidth, kHeight);
  peer.view->setModel(peer.model.get());
  for (int r = 0; r < 10; ++r) peer.view->expand(peer.model->index(r, 0));
  return peer;
}

void Paint(QWidget* w, QImage& image) {
  w->render(&image);
}

void BM_BuildAndPaint(benchmark::State& state) {
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  const bool returnHeap = state.range(0) != 0;
  double ours = 0, qt = 0;
  for (auto _ : state) {
    // Teardown is left out of both timings.
    auto t0 = CpuNow();
    {
      auto list = BuildOurs();
      Paint(list.get(), image);
      ours += Seconds(t0);
    }
    AfterTeardown(returnHeap);
    t0 = CpuNow();
    {
      QtPeer peer = BuildQt();
      Paint(peer.view.get(), image);
      qt += Seconds(t0);
    }
    AfterTeardown(returnHeap);
  }
  state.counters["ours_ms"] = benchmark::Counter(ours * 1000 / state.iterations());
  state.counters["qt_ms"] = benchmark::Counter(qt * 1000 / state.iterations());
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
}
BENCHMARK(BM_BuildAndPaint)
    ->ArgName("heap_tidied")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

void BM_ScrollAndRepaint(benchmark::State& state) {
  auto list = BuildOurs();
  QtPeer peer = BuildQt();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  Paint(list.get(), image);
  Paint(peer.view.get(), image);
  QScrollBar* qtBar = peer.view->verticalScrollBar();
  double ours = 0, qt = 0;
  int step = 0;
  for (auto _ : state) {
    // One row down each step, wrapping around after a thousand rows.
    const int top = step++ % 1000;
    auto t0 = CpuNow();
    list->SetTopIndex(top);
    Paint(list.get(), image);
    ours += Seconds(t0);
    t0 = CpuNow();
    qtBar->setValue(top);
    Paint(peer.view.get(), image);
    qt += Seconds(t0);
  }
  state.counters["ours_us"] = benchmark::Counter(ours * 1e6 / state.iterations());
  state.counters["qt_us"] = benchmark::Counter(qt * 1e6 / state.iterations());
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
}
BENCHMARK(BM_ScrollAndRepaint)->Unit(benchmark::kMicrosecond);

}  // namespace
