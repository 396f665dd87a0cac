// The practice window's save-answer round trip on a 5,000-node paper: update
// one result row, remember the record number, close and reopen the query over
// v_exerresult, set the record number back. Ours: the data-aware tree list
// bound to the query rebuilds its nodes and focuses the row's node. Peer: the
// same update and reopen feeding a QStandardItemModel shown in a QTreeView,
// whose current index is set to the row's item and scrolled to. Also the bare
// round trip of the query alone. Reports ours/peer as "ratio".

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHash>
#include <QStandardItemModel>
#include <QTreeView>
#include <chrono>

#include "bench/support/bench_support.h"
#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "treelist/db_tree_list.h"

namespace {
constexpr int kRows = 5000;
constexpr int kRecNo = 2500;
const QString kSql = QStringLiteral("select * from v_exerresult where exer_id=1");

void OpenConnection(TADOConnection& con) {
  con.SetConnectionString(BankConnectionString(LargeBankPath(kRows)));
  con.Open();
}

// What the save handler runs before reopening.
void SaveAnswer(TADOConnection& con, int round) {
  con.Execute(QStringLiteral("update v_exerresult set exre_text='B', exre_istrue='%1' "
                             "where exer_id=1 and subject_id=%2")
                  .arg(round % 2 ? QStringLiteral("√") : QStringLiteral("×"))
                  .arg(kRecNo));
}

void Reopen(TADOQuery& q) {
  const int recNo = q.RecNo();
  q.Close();
  q.SQL()->Clear();
  q.SQL()->Add(kSql);
  q.Open();
  q.SetRecNo(recNo);
}

// The practice window's tree list: one band, the title column and the hidden ones.
std::unique_ptr<TtlDBTreeList> MakeTree(TDataSource* source) {
  auto tree = std::make_unique<TtlDBTreeList>();
  tree->SetBorderStyle(bsNone);
  tree->SetShowHeader(false);
  tree->SetShowLines(false);
  tree->SetScrollBars(ssVertical);
  tree->SetOptionView(etoRowSelect, true);
  tree->Bands()->Add();
  const char* fields[] = {"titlename", "subject_kind", "subjext_text", "subject_id"};
  for (const char* f : fields) {
    auto* c = tree->CreateColumnOf<TtlDBTreeListColumn>();
    c->SetFieldName(QString::fromLatin1(f));
    c->SetVisible(f == fields[0]);
  }
  tree->SetDataSource(source);
  tree->SetKeyField(QStringLiteral("subject_id"));
  tree->SetParentField(QStringLiteral("par_id"));
  tree->resize(225, 500);
  tree->show();
  return tree;
}

// The peer's rebuild: one item per row under its parent's item, rows read
// before their parent attached afterwards; then the current row is focused.
void FillModel(TADOQuery& q, QStandardItemModel& model, QTreeView& view) {
  model.clear();
  TField* key = q.FieldByName(QStringLiteral("subject_id"));
  TField* parent = q.FieldByName(QStringLiteral("par_id"));
  TField* title = q.FieldByName(QStringLiteral("titlename"));
  const int current = q.RecNo();
  QHash<qint64, QStandardItem*> byKey;
  std::vector<std::pair<QStandardItem*, QVariant>> pending;
  q.DisableControls();
  for (q.First(); !q.Eof(); q.Next()) {
    auto* item = new QStandardItem(title->DisplayText());
    byKey.insert(key->Value().toLongLong(), item);
    const QVariant p = parent->Value();
    QStandardItem* under = p.isNull() ? nullptr : byKey.value(p.toLongLong());
    if (under) under->appendRow(item);
    else pending.emplace_back(item, p);
  }
  for (auto& [item, p] : pending) {
    QStandardItem* under = p.isNull() ? nullptr : byKey.value(p.toLongLong());
    if (under) under->appendRow(item);
    else model.invisibleRootItem()->appendRow(item);
  }
  q.SetRecNo(current);
  q.EnableControls();
  QStandardItem* currentItem = byKey.value(key->Value().toLongLong());
  if (currentItem) {
    const QModelIndex index = currentItem->index();
    view.setCurrentIndex(index);
    view.scrollTo(index);
  }
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

void BM_SaveAnswerRoundTrip(benchmark::State& state) {
  TADOConnection con;
  OpenConnection(con);

  TADOQuery ours;
  ours.SetConnection(&con);
  ours.SQL()->Add(kSql);
  TDataSource source;
  source.SetDataSet(&ours);
  ours.Open();
  auto tree = MakeTree(&source);
  ours.SetRecNo(kRecNo);

  TADOQuery peer;
  peer.SetConnection(&con);
  peer.SQL()->Add(kSql);
  peer.Open();
  peer.SetRecNo(kRecNo);
  QStandardItemModel model;
  QTreeView view;
  view.setHeaderHidden(true);
  view.setModel(&model);
  view.resize(225, 500);
  view.show();
  FillModel(peer, model, view);

  TADOQuery bare;
  bare.SetConnection(&con);
  bare.SQL()->Add(kSql);
  bare.Open();
  bare.SetRecNo(kRecNo);

  double oursTime = 0, peerTime = 0, bareTime = 0;
  int round = 0;
  bool agree = true;
  for (auto _ : state) {
    ++round;
    const auto a = Clock::now();
    SaveAnswer(con, round);
    Reopen(ours);
    const auto b = Clock::now();
    SaveAnswer(con, round);
    Reopen(peer);
    FillModel(peer, model, view);
    const auto c = Clock::now();
    SaveAnswer(con, round);
    Reopen(bare);
    const auto d = Clock::now();
    oursTime += Seconds(a, b);
    peerTime += Seconds(b, c);
    bareTime += Seconds(c, d);
    state.SetIterationTime(Seconds(a, b));
    auto* focused = static_cast<TtlDBTreeListNode*>(tree->FocusedNode());
    agree = agree && focused &&
            focused->keyValue == ours.FieldByName(QStringLiteral("subject_id"))->Value() &&
            view.currentIndex().data().toString() ==
                peer.FieldByName(QStringLiteral("titlename"))->AsString();
  }
  if (!agree) state.SkipWithError("the focused row does not match the current record");
  const double n = static_cast<double>(state.iterations());
  state.counters["nodes"] = kRows;
  state.counters["ours_ms"] = oursTime / n * 1000.0;
  state.counters["peer_ms"] = peerTime / n * 1000.0;
  state.counters["bare_ms"] = bareTime / n * 1000.0;
  state.counters["ratio"] = peerTime > 0 ? oursTime / peerTime : 0.0;
  state.counters["ratio_bare"] = bareTime > 0 ? oursTime / bareTime : 0.0;
}
BENCHMARK(BM_SaveAnswerRoundTrip)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
