// Opening the practice window's query over a 5,000-row paper and reading every
// field of every row as text, against a bare engine loop over the same
// statement that turns every value into the same text. Reports ours/peer.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>

#include "bench/support/bench_support.h"
#include "db/connection.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"

namespace {
constexpr int kRows = 5000;
const QString kSql = QStringLiteral("select * from v_exerresult where exer_id=1");

using Clock = std::chrono::steady_clock;

size_t OursOnce(TADOConnection& con) {
  TADOQuery q;
  q.SetConnection(&con);
  q.SQL()->Add(kSql);
  q.Open();
  size_t total = 0;
  const QList<TField*>& fields = q.Fields();
  for (q.First(); !q.Eof(); q.Next())
    for (TField* f : fields) total += static_cast<size_t>(f->AsString().size());
  return total;
}

size_t PeerOnce(sqlite3* db) {
  sqlite3_stmt* st = nullptr;
  const QByteArray sql = kSql.toUtf8();
  sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr);
  size_t total = 0;
  const int n = sqlite3_column_count(st);
  while (sqlite3_step(st) == SQLITE_ROW)
    for (int i = 0; i < n; ++i) {
      const QString s = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)),
                                          sqlite3_column_bytes(st, i));
      total += static_cast<size_t>(s.size());
    }
  sqlite3_finalize(st);
  return total;
}

void BM_OpenAndReadEveryField(benchmark::State& state) {
  TADOConnection con;
  con.SetConnectionString(BankConnectionString(LargeBankPath(kRows)));
  con.Open();
  sqlite3* peer = nullptr;
  sqlite3_open_v2(LargeBankPath(kRows).toUtf8().constData(), &peer, SQLITE_OPEN_READONLY, nullptr);
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    const auto a = Clock::now();
    benchmark::DoNotOptimize(OursOnce(con));
    const auto b = Clock::now();
    benchmark::DoNotOptimize(PeerOnce(peer));
    const auto c = Clock::now();
    const double o = std::chrono::duration<double>(b - a).count();
    ours += o;
    theirs += std::chrono::duration<double>(c - b).count();
    state.SetIterationTime(o);
  }
  sqlite3_close(peer);
  state.counters["rows"] = kRows;
  state.counters["peer_ms"] = theirs / static_cast<double>(state.iterations()) * 1000.0;
  state.counters["ratio"] = theirs > 0 ? ours / theirs : 0.0;
}
BENCHMARK(BM_OpenAndReadEveryField)->UseManualTime()->Unit(benchmark::kMillisecond);
}  // namespace
