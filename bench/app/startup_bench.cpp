// Start-up to the first painted main window of the real program, process
// level: tolmsys (opening its bank, loading its skin, building and painting
// the paper selection window) against a bare Qt program that shows one
// window of the same size with the same texts in the same faces (the paper
// names read here from the bank tolmsys is given). Both run offscreen and
// stop after their first paint; rounds alternate so both see the same
// machine. Reports ours/peer as "ratio" (goal: at most 1.5), by wall time,
// and "ratio_cpu" by the CPU time (user and system) the processes used,
// which a busy shared machine disturbs far less. "ratio_cpu_no_text"
// compares with the same peer drawing no text at all, the floor of any
// window.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace {

// CPU time of the children waited for so far, in seconds.
double ChildrenCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(u.ru_utime) + seconds(u.ru_stime);
}

// The paper names the paper selection window lists, in its order.
QStringList PaperNames(const QString& bank) {
  QStringList names;
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(bank.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "select title_name from t_title", -1, &st, nullptr) == SQLITE_OK)
      while (sqlite3_step(st) == SQLITE_ROW)
        names << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return names;
}

// Runs `program` to its end; returns its run time in seconds (negative on
// failure) and adds the CPU time it used to `cpu`.
double RunOnce(const QString& program, const QProcessEnvironment& env, double* cpu = nullptr,
               const QStringList& args = {}) {
  const double cpuBefore = ChildrenCpuSeconds();
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProgram(program);
  p.setArguments(args);
  QElapsedTimer t;
  t.start();
  p.start();
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return -1;
  const double wall = t.nsecsElapsed() / 1e9;
  if (cpu) *cpu += ChildrenCpuSeconds() - cpuBefore;
  return wall;
}

void BM_StartUpToFirstPaint(benchmark::State& state) {
  // A copy of the installed program, so its bank is not touched.
  QTemporaryDir dir;
  const QString bin = QStringLiteral(TOLMSYS_BIN_DIR "/");
  for (const QString& f : {QStringLiteral("tolmsys"), QStringLiteral("ength.dll")})
    QFile::copy(bin + f, dir.filePath(f));
  QFile::setPermissions(dir.filePath(QStringLiteral("tolmsys")),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  for (const QString& sub : {QStringLiteral("pic"), QStringLiteral("pic/Modern"), QStringLiteral("help")}) {
    QDir().mkpath(dir.filePath(sub));
    for (const QString& f : QDir(bin + sub).entryList(QDir::Files))
      QFile::copy(bin + sub + QStringLiteral("/") + f, dir.filePath(sub + QStringLiteral("/") + f));
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("QT_ENABLE_HIGHDPI_SCALING"), QStringLiteral("0"));
  QProcessEnvironment ourEnv = env;
  ourEnv.insert(QStringLiteral("TOLMSYS_SELFTEST"), QStringLiteral("paint"));
  const QString ours = dir.filePath(QStringLiteral("tolmsys"));
  const QString peer = QStringLiteral(PEER_BARE_WINDOW);
  const QStringList papers = PaperNames(dir.filePath(QStringLiteral("ength.dll")));
  if (papers.isEmpty()) {
    state.SkipWithError("the bank lists no paper");
    return;
  }
  // One warm-up of each: the first start reads the libraries from disk.
  RunOnce(ours, ourEnv);
  RunOnce(peer, env, nullptr, papers);
  const QStringList noText{QStringLiteral("--no-text")};

  double oursTime = 0, peerTime = 0, oursCpu = 0, peerCpu = 0, bareCpu = 0;
  for (auto _ : state) {
    const double a = RunOnce(ours, ourEnv, &oursCpu);
    const double b = RunOnce(peer, env, &peerCpu, papers);
    const double c = RunOnce(peer, env, &bareCpu, noText);
    if (a < 0 || b < 0 || c < 0) {
      state.SkipWithError("a program did not start and stop cleanly");
      return;
    }
    oursTime += a;
    peerTime += b;
    state.SetIterationTime(a);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["ours_ms"] = oursTime / n * 1000.0;
  state.counters["peer_ms"] = peerTime / n * 1000.0;
  state.counters["ratio"] = peerTime > 0 ? oursTime / peerTime : 0.0;
  state.counters["ours_cpu_ms"] = oursCpu / n * 1000.0;
  state.counters["peer_cpu_ms"] = peerCpu / n * 1000.0;
  state.counters["ratio_cpu"] = peerCpu > 0 ? oursCpu / peerCpu : 0.0;
  state.counters["no_text_cpu_ms"] = bareCpu / n * 1000.0;
  state.counters["ratio_cpu_no_text"] = bareCpu > 0 ? oursCpu / bareCpu : 0.0;
}
BENCHMARK(BM_StartUpToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
