// The paper grid over a 10,000-row query. Ours: the data grid bound to the
// query through a data source (one column on title_name), which holds only
// the visible records. Peer: a QTableView over a QStandardItemModel filled
// from the same rows. Two steps are measured:
//   open and first paint: open the query, bind, paint the window once;
//   page down: one Page Down key and the repaint that follows.
// Reports ours/peer as "ratio".

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"
#include "skin/grids/skin_db_grid.h"
#include "tests/support/bank_fixture.h"

namespace {
constexpr int kRows = 10000;
const QString kSql = QStringLiteral(" select * from t_title ");

const QString& BankPath() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString p = dir.filePath(QStringLiteral("titles.zk"));
    CreateBank(p, QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n "
                                 "where i < %1) insert into t_title(title_id, title_name) "
                                 "select i, printf('Past paper %05d', i) from n;")
                      .arg(kRows));
    return p;
  }();
  return path;
}

struct Bank {
  Bank() {
    con.SetConnectionString(BankConnectionString(BankPath()));
    con.Open();
    query.SetConnection(&con);
    query.SQL()->Add(kSql);
    source.SetDataSet(&query);
  }
  TADOConnection con;
  TADOQuery query;
  TDataSource source;
};

std::unique_ptr<TsfSkinDBGrid> MakeGrid(TDataSource* source) {
  auto grid = std::make_unique<TsfSkinDBGrid>();
  grid->SetDefaultRowHeight(17);
  TsfColumn* c = grid->Columns()->Add();
  c->SetFieldName(QStringLiteral("title_name"));
  c->Title()->SetCaption(QStringLiteral("真题考卷"));
  c->SetWidth(268);
  grid->SetDataSource(source);
  grid->resize(297, 437);
  return grid;
}

void FillModel(TADOQuery& q, QStandardItemModel& model) {
  model.clear();
  model.setHorizontalHeaderLabels({QStringLiteral("真题考卷")});
  TField* title = q.FieldByName(QStringLiteral("title_name"));
  q.DisableControls();
  for (q.First(); !q.Eof(); q.Next()) model.appendRow(new QStandardItem(title->DisplayText()));
  q.First();
  q.EnableControls();
}

std::unique_ptr<QTableView> MakeView(QStandardItemModel* model) {
  auto view = std::make_unique<QTableView>();
  view->setModel(model);
  view->setColumnWidth(0, 268);
  view->verticalHeader()->setDefaultSectionSize(18);
  view->verticalHeader()->setMinimumSectionSize(1);
  view->resize(297, 437);
  return view;
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

void PageDown(QWidget* w) {
  QTest::keyClick(w, Qt::Key_PageDown);
}

void BM_OpenAndFirstPaint(benchmark::State& state) {
  Bank ours, peer;
  double oursTime = 0, peerTime = 0;
  bool agree = true;
  for (auto _ : state) {
    const auto a = Clock::now();
    ours.query.Open();
    auto grid = MakeGrid(&ours.source);
    grid->show();
    const QImage g = grid->grab().toImage();
    const auto b = Clock::now();
    peer.query.Open();
    QStandardItemModel model;
    FillModel(peer.query, model);
    auto view = MakeView(&model);
    view->show();
    const QImage v = view->grab().toImage();
    const auto c = Clock::now();
    oursTime += Seconds(a, b);
    peerTime += Seconds(b, c);
    state.SetIterationTime(Seconds(a, b));
    agree = agree && grid->RowCount() > 2 && model.rowCount() == kRows && !g.isNull() && !v.isNull();
    grid.reset();
    ours.query.Close();
    peer.query.Close();
  }
  if (!agree) state.SkipWithError("the grids show different data");
  const double n = double(state.iterations());
  state.counters["rows"] = kRows;
  state.counters["ours_ms"] = oursTime / n * 1000.0;
  state.counters["peer_ms"] = peerTime / n * 1000.0;
  state.counters["ratio"] = peerTime > 0 ? oursTime / peerTime : 0.0;
}
BENCHMARK(BM_OpenAndFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PageDownAndRepaint(benchmark::State& state) {
  Bank ours, peer;
  ours.query.Open();
  auto grid = MakeGrid(&ours.source);
  grid->show();
  grid->setFocus();
  peer.query.Open();
  QStandardItemModel model;
  FillModel(peer.query, model);
  auto view = MakeView(&model);
  view->show();
  view->setFocus();
  view->setCurrentIndex(model.index(0, 0));
  double oursTime = 0, peerTime = 0;
  for (auto _ : state) {
    if (ours.query.Eof() || ours.query.RecNo() >= kRows - 100) {
      ours.query.First();
      view->setCurrentIndex(model.index(0, 0));
    }
    const auto a = Clock::now();
    PageDown(grid.get());
    grid->grab();
    const auto b = Clock::now();
    PageDown(view.get());
    view->grab();
    const auto c = Clock::now();
    oursTime += Seconds(a, b);
    peerTime += Seconds(b, c);
    state.SetIterationTime(Seconds(a, b));
  }
  const double n = double(state.iterations());
  state.counters["ours_us"] = oursTime / n * 1e6;
  state.counters["peer_us"] = peerTime / n * 1e6;
  state.counters["ratio"] = peerTime > 0 ? oursTime / peerTime : 0.0;
  state.counters["rec_no"] = ours.query.RecNo();
}
BENCHMARK(BM_PageDownAndRepaint)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
