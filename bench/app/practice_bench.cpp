// The practice window on a 5,000-node paper.
//
// BM_SaveThroughPracticeWindow: the save-answer round trip through the real
// practice window (its save handler: update the shown row's result, reopen
// the exercise's rows, the tree list rebuilds and focuses the row). Peer: the
// same update and reopen feeding a QStandardItemModel shown in a QTreeView,
// current index set and scrolled to; floor: the bare update and reopen.
// Reports ours/peer as "ratio" (goal: at most 1.0) and ours/floor as
// "ratio_bare" (goal: at most 1.5), by wall time; "ratio_cpu" and
// "ratio_bare_cpu" are the same by the thread's CPU time, which a busy
// shared machine disturbs far less (everything runs on this thread).
//
// BM_MemoryAfterOpening: resident memory the opened practice takes, against
// the same rows in a QTreeView over a QStandardItemModel, shown in a window
// of the practice window's size; each side measured in a fresh process of its
// own. Reports "ratio" (goal: at most 1.5).
//
// BM_TenThousandSaves: 10,000 saves in a row on the sample paper's size with
// the resident memory growth printed (goal: under 5 MB).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <memory>

#include "app/data_module.h"
#include "app/frm_tolmmain.h"
#include "bench/support/bench_support.h"
#include "db/connection.h"
#include "db/query.h"
#include "platform/application.h"
#include "skin/controls/skin_check_radio.h"
#include "tests/support/bank_fixture.h"
#include "treelist/db_tree_list.h"

namespace {
constexpr int kRows = 5000;

double ResidentKb() {
  QFile f(QStringLiteral("/proc/self/statm"));
  if (!f.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> parts = f.readAll().split(' ');
  return parts.size() > 1 ? parts[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1024.0 : 0;
}

// The program's application object, data module and folder, holding a copy
// of a bank of `rows` nodes (paper 1).
class ProgramFolder {
 public:
  explicit ProgramFolder(int rows) {
    if (!Application) m_app = std::make_unique<TApplication>();
    Application->SetPathOverride(m_dir.path() + QStringLiteral("/"));
    QFile::copy(LargeBankPath(rows), m_dir.filePath(QStringLiteral("ength.dll")));
    CreateDataModule(nullptr);
  }
  ~ProgramFolder() {
    delete dm;
    Application->SetPathOverride(QString());
  }

 private:
  // In memory where there is such a folder: each save commits, and the
  // benchmarks measure our code, not the disk's flushes.
  static QString Template() {
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/tolmsys-bench-XXXXXX")
                                                              : QDir::tempPath() + QStringLiteral("/tolmsys-bench-XXXXXX");
  }
  std::unique_ptr<TApplication> m_app;
  QTemporaryDir m_dir{Template()};
};

// A started practice of paper 1; its first page shows a choice question.
std::unique_ptr<Tfrm_tolmmain> OpenPractice() {
  auto w = std::make_unique<Tfrm_tolmmain>();
  w->FTitleId = QStringLiteral("1");
  w->Show();
  QCoreApplication::processEvents();
  return w;
}

void Save(Tfrm_tolmmain* w, int round) {
  w->rg_subject_ansi->SetItemIndex(round % 4);
  w->sfSkinButton3Click(nullptr);
}

const QString kRowsSql = QStringLiteral("select * from v_exerresult where exer_id=1");

void Reopen(TADOQuery& q) {
  const int recNo = q.RecNo();
  q.Close();
  q.SQL()->Clear();
  q.SQL()->Add(kRowsSql);
  q.Open();
  q.SetRecNo(recNo);
}

void UpdateAnswer(TADOConnection& con, int round) {
  con.Execute(QStringLiteral("update t_exerresult set exre_text='%1',exre_istrue='×' where exre_id=2")
                  .arg(QChar('A' + round % 4)));
}

// The peer's tree: one item per row under its parent's item; then the
// current row's item is made current and scrolled to.
void FillModel(TADOQuery& q, QStandardItemModel& model, QTreeView& view) {
  model.clear();
  TField* key = q.FieldByName(QStringLiteral("subject_id"));
  TField* parent = q.FieldByName(QStringLiteral("par_id"));
  TField* title = q.FieldByName(QStringLiteral("titlename"));
  const int current = q.RecNo();
  QHash<qint64, QStandardItem*> byKey;
  std::vector<std::pair<QStandardItem*, QVariant>> pending;
  {
    TControlsDisabler quiet(&q);
    for (q.First(); !q.Eof(); q.Next()) {
      auto* item = new QStandardItem(title->DisplayText());
      byKey.insert(key->Value().toLongLong(), item);
      pending.emplace_back(item, parent->Value());
    }
    for (auto& [item, p] : pending) {
      QStandardItem* under = p.isNull() ? nullptr : byKey.value(p.toLongLong());
      (under ? under : model.invisibleRootItem())->appendRow(item);
    }
    q.SetRecNo(current);
  }
  if (QStandardItem* item = byKey.value(key->Value().toLongLong())) {
    view.setCurrentIndex(item->index());
    view.scrollTo(item->index());
  }
}

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void BM_SaveThroughPracticeWindow(benchmark::State& state) {
  ProgramFolder program(kRows);
  auto window = OpenPractice();

  TADOQuery peer;
  peer.SetConnection(dm->adocon);
  peer.SQL()->Add(kRowsSql);
  peer.Open();
  peer.SetRecNo(2);
  QStandardItemModel model;
  QTreeView view;
  view.setHeaderHidden(true);
  view.setModel(&model);
  view.resize(225, 445);
  view.show();
  FillModel(peer, model, view);

  TADOQuery bare;
  bare.SetConnection(dm->adocon);
  bare.SQL()->Add(kRowsSql);
  bare.Open();
  bare.SetRecNo(2);

  double oursTime = 0, peerTime = 0, bareTime = 0, oursCpu = 0, peerCpu = 0, bareCpu = 0;
  int round = 0;
  for (auto _ : state) {
    ++round;
    const auto a = Clock::now();
    const double ca = ThreadCpuSeconds();
    Save(window.get(), round);
    const auto b = Clock::now();
    const double cb = ThreadCpuSeconds();
    UpdateAnswer(*dm->adocon, round);
    Reopen(peer);
    FillModel(peer, model, view);
    const auto c = Clock::now();
    const double cc = ThreadCpuSeconds();
    UpdateAnswer(*dm->adocon, round);
    Reopen(bare);
    const auto d = Clock::now();
    const double cd = ThreadCpuSeconds();
    oursTime += Seconds(a, b);
    peerTime += Seconds(b, c);
    bareTime += Seconds(c, d);
    oursCpu += cb - ca;
    peerCpu += cc - cb;
    bareCpu += cd - cc;
    state.SetIterationTime(Seconds(a, b));
  }
  if (window->qry_subject->RecordCount() != kRows || window->qry_subject->RecNo() != 2)
    state.SkipWithError("the practice lost its rows or its current row");
  const double n = static_cast<double>(state.iterations());
  state.counters["nodes"] = kRows;
  state.counters["ours_ms"] = oursTime / n * 1000.0;
  state.counters["peer_ms"] = peerTime / n * 1000.0;
  state.counters["bare_ms"] = bareTime / n * 1000.0;
  state.counters["ratio"] = peerTime > 0 ? oursTime / peerTime : 0.0;
  state.counters["ratio_bare"] = bareTime > 0 ? oursTime / bareTime : 0.0;
  state.counters["ratio_cpu"] = peerCpu > 0 ? oursCpu / peerCpu : 0.0;
  state.counters["ratio_bare_cpu"] = bareCpu > 0 ? oursCpu / bareCpu : 0.0;
  window->OnCloseQuery = nullptr;
}
BENCHMARK(BM_SaveThroughPracticeWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// The practice window's whole size as the program shows it (its client area
// and the skinned frame). The peer shows its tree view in a window of this
// size, so both sides pay for the same back buffer; the measuring child of
// our side refuses to report if the window's size ever differs.
constexpr QSize kPracticeWindowSize(822, 523);

// In a child process: the resident memory one side takes, printed in KB.
void MeasureMemoryChild(const QString& side) {
  ProgramFolder program(kRows);
  const double before = ResidentKb();
  std::unique_ptr<Tfrm_tolmmain> window;
  std::unique_ptr<TADOQuery> rows;
  std::unique_ptr<QStandardItemModel> model;
  std::unique_ptr<QWidget> frame;
  if (side == QStringLiteral("ours")) {
    window = OpenPractice();
    window->OnCloseQuery = nullptr;
    if (window->size() != kPracticeWindowSize) {
      fprintf(stderr, "the practice window is %dx%d, the peer's %dx%d\n", window->width(),
              window->height(), kPracticeWindowSize.width(), kPracticeWindowSize.height());
      return;
    }
  } else {
    rows = std::make_unique<TADOQuery>();
    rows->SetConnection(dm->adocon);
    rows->SQL()->Add(kRowsSql);
    rows->Open();
    model = std::make_unique<QStandardItemModel>();
    frame = std::make_unique<QWidget>();
    frame->resize(kPracticeWindowSize);
    auto* view = new QTreeView(frame.get());
    view->setHeaderHidden(true);
    view->setModel(model.get());
    view->resize(225, 445);
    frame->show();
    FillModel(*rows, *model, *view);
  }
  QCoreApplication::processEvents();
  printf("resident_kb %.0f\n", ResidentKb() - before);
  fflush(stdout);
}

// Runs only in the measuring child processes of BM_MemoryAfterOpening.
void BM_MemoryChild(benchmark::State& state) {
  const QString side = qEnvironmentVariable("TOLMSYS_BENCH_MEMORY");
  if (side.isEmpty()) {
    state.SkipWithError("run by BM_MemoryAfterOpening");
    for (auto _ : state) {
    }
    return;
  }
  for (auto _ : state) MeasureMemoryChild(side);
}
BENCHMARK(BM_MemoryChild)->Iterations(1);

double ChildResidentKb(const QString& side) {
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("TOLMSYS_BENCH_MEMORY"), side);
  child.setProcessEnvironment(env);
  child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--benchmark_filter=BM_MemoryChild")});
  if (!child.waitForFinished(600000)) return -1;
  const QString out = QString::fromUtf8(child.readAllStandardOutput());
  const int at = out.indexOf(QStringLiteral("resident_kb "));
  return at < 0 ? -1 : out.mid(at + 12).section('\n', 0, 0).toDouble();
}

void BM_MemoryAfterOpening(benchmark::State& state) {
  double ours = 0, peer = 0;
  for (auto _ : state) {
    ours = ChildResidentKb(QStringLiteral("ours"));
    peer = ChildResidentKb(QStringLiteral("peer"));
  }
  if (ours < 0 || peer < 0) state.SkipWithError("a measuring process failed");
  state.counters["nodes"] = kRows;
  state.counters["ours_kb"] = ours;
  state.counters["peer_kb"] = peer;
  state.counters["ratio"] = peer > 0 ? ours / peer : 0.0;
}
BENCHMARK(BM_MemoryAfterOpening)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TenThousandSaves(benchmark::State& state) {
  ProgramFolder program(40);
  auto window = OpenPractice();
  for (int i = 0; i < 100; ++i) Save(window.get(), i);  // warm caches and pools
  double growth = 0;
  for (auto _ : state) {
    const double before = ResidentKb();
    for (int i = 0; i < 10000; ++i) Save(window.get(), i);
    growth = ResidentKb() - before;
  }
  state.counters["saves"] = 10000;
  state.counters["rss_growth_kb"] = growth;
  window->OnCloseQuery = nullptr;
}
BENCHMARK(BM_TenThousandSaves)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
