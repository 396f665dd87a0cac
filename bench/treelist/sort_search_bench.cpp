// Sorting 100,000 sibling nodes by a text and by a number column against
// QSortFilterProxyModel over a QStandardItemModel of the same rows, and an
// incremental search over 100,000 nodes against QAbstractItemModel::match.
// Each benchmark times both in the same iteration and reports ours / Qt as
// the counter "ratio" (below 1: ours is faster).
#include <benchmark/benchmark.h>

#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <chrono>
#include <memory>
#include <random>

#include "treelist/tree_list.h"

namespace {

constexpr int kNodes = 100000;

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// The same shuffled values for both sides.
std::vector<int> Values() {
  std::vector<int> v(kNodes);
  for (int i = 0; i < kNodes; ++i) v[i] = i;
  std::shuffle(v.begin(), v.end(), std::mt19937(42));
  return v;
}

QString Text(int v) { return QStringLiteral("Question %1").arg(v, 6, 10, QLatin1Char('0')); }

// A tree list whose nodes sort by a number kept in userData.
class NumberTreeList : public TtlTreeList {
 public:
  using TtlTreeList::TtlTreeList;
  bool byNumber = false;

 protected:
  QVariant SortValue(TtlTreeListNode* node, TtlTreeListColumn* column) override {
    return byNumber ? QVariant(static_cast<int>(node->userData)) : TtlTreeList::SortValue(node, column);
  }
};

std::unique_ptr<NumberTreeList> BuildOurs(const std::vector<int>& values) {
  auto list = std::make_unique<NumberTreeList>();
  list->Bands()->Add();
  list->CreateColumn();
  list->LockUpdates();
  for (int v : values) {
    auto* n = static_cast<TtlTreeListTextNode*>(list->Add());
    n->SetCellText(0, Text(v));
    n->userData = static_cast<uint32_t>(v);
  }
  list->UnlockUpdates();
  return list;
}

std::unique_ptr<QStandardItemModel> BuildQt(const std::vector<int>& values, bool byNumber) {
  auto model = std::make_unique<QStandardItemModel>();
  QList<QStandardItem*> items;
  items.reserve(kNodes);
  for (int v : values) {
    auto* item = new QStandardItem;
    item->setData(byNumber ? QVariant(v) : QVariant(Text(v)), Qt::DisplayRole);
    items << item;
  }
  model->invisibleRootItem()->appendRows(items);
  return model;
}

void Sort(benchmark::State& state, bool byNumber) {
  const std::vector<int> values = Values();
  auto list = BuildOurs(values);
  list->byNumber = byNumber;
  TtlTreeListColumn* column = list->Columns(0);
  auto model = BuildQt(values, byNumber);
  QSortFilterProxyModel proxy;
  proxy.setSourceModel(model.get());
  double ours = 0, qt = 0;
  for (auto _ : state) {
    // Ascending then descending: neither side sorts an already sorted list.
    auto t0 = Clock::now();
    list->SortColumn(column, false);
    list->SortColumn(column, true);
    ours += Seconds(t0);
    t0 = Clock::now();
    proxy.sort(0, Qt::AscendingOrder);
    proxy.sort(0, Qt::DescendingOrder);
    qt += Seconds(t0);
  }
  state.counters["ours_ms"] = benchmark::Counter(ours * 1000 / state.iterations());
  state.counters["qt_ms"] = benchmark::Counter(qt * 1000 / state.iterations());
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
}

void BM_SortByText(benchmark::State& state) { Sort(state, false); }
void BM_SortByNumber(benchmark::State& state) { Sort(state, true); }
BENCHMARK(BM_SortByText)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortByNumber)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_IncrementalSearch(benchmark::State& state) {
  const std::vector<int> values = Values();
  auto list = BuildOurs(values);
  list->SetFocusedNode(list->Items(0), 0, false);
  auto model = BuildQt(values, false);
  // The value stored last: both searches walk every row from the first.
  const QString wanted = Text(values.back()).toLower();
  double ours = 0, qt = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    TtlTreeListNode* found = list->FindNodeByText(0, wanted, 0);
    ours += Seconds(t0);
    benchmark::DoNotOptimize(found);
    t0 = Clock::now();
    const QModelIndexList hits = model->match(model->index(0, 0), Qt::DisplayRole, wanted, 1,
                                              Qt::MatchStartsWith | Qt::MatchWrap);
    qt += Seconds(t0);
    benchmark::DoNotOptimize(hits);
    if (!found || hits.isEmpty()) state.SkipWithError("not found");
  }
  state.counters["ours_ms"] = benchmark::Counter(ours * 1000 / state.iterations());
  state.counters["qt_ms"] = benchmark::Counter(qt * 1000 / state.iterations());
  state.counters["ratio"] = qt > 0 ? ours / qt : 0;
}
BENCHMARK(BM_IncrementalSearch)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
