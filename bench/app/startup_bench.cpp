// Start-up to the first painted main window of the real program, process
// level: tolmsys (opening its bank, loading its skin, building and painting
// the paper selection window) against a bare Qt program that shows one
// window of the same size. Both run offscreen and stop after their first
// paint; rounds alternate so both see the same machine. Reports ours/peer
// as "ratio" (goal: at most 1.5).

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// Runs `program` to its end; returns its run time in seconds (negative on failure).
double RunOnce(const QString& program, const QProcessEnvironment& env) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setProgram(program);
  QElapsedTimer t;
  t.start();
  p.start();
  if (!p.waitForFinished(30000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    return -1;
  return t.nsecsElapsed() / 1e9;
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

  double oursTime = 0, peerTime = 0;
  for (auto _ : state) {
    const double a = RunOnce(ours, ourEnv);
    const double b = RunOnce(peer, env);
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
}
BENCHMARK(BM_StartUpToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
