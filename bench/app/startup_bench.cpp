// Start-up to the first painted main window of the real program, process
// level: tolmsys (opening its bank, loading its skin, building and painting
// the paper selection window) against a bare Qt program that shows one
// window of the same size. Both run offscreen and stop after their first
// paint; rounds alternate so both see the same machine. Reports ours/peer
// as "ratio" (goal: at most 1.5), by wall time, and "ratio_cpu" by the CPU
// time (user and system) the processes used, which a busy shared machine
// disturbs far less.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// CPU time of the children waited for so far, in seconds.
double ChildrenCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_CHILDREN, &u);
  auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(u.ru_utime) + seconds(u.ru_stime);
}

// Runs `program` to its end; returns its run time in seconds (negative on
// failure) and adds the CPU time it used to `cpu`.
double RunOnce(const QString& program, const QProcessEnvironment& env, double* cpu = nullptr) {
  const double cpuBefore = ChildrenCpuSeconds();
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProgram(program);
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
  // One warm-up of each: the first start reads the libraries from disk.
  RunOnce(ours, ourEnv);
  RunOnce(peer, env);

  double oursTime = 0, peerTime = 0, oursCpu = 0, peerCpu = 0;
  for (auto _ : state) {
    const double a = RunOnce(ours, ourEnv, &oursCpu);
    const double b = RunOnce(peer, env, &peerCpu);
    if (a < 0 || b < 0) {
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
}
BENCHMARK(BM_StartUpToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
