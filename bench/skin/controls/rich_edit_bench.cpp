// Loading rich text into the rich edit (our reader and the text document it
// builds) against QTextDocument::setHtml of the same content written as HTML,
// both into a QTextEdit of the same size and laid out for one paint. Content:
// the largest rich texts of the banks the build writes, and a generated
// document of about 200 KB. The counter "ratio" is ours / Qt (below 1: ours
// is faster).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QImage>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <chrono>

#include "platform/rtf_reader.h"
#include "platform/stream.h"
#include "skin/controls/rich_edit.h"

namespace {

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// The `n` longest rich texts of the built banks, joined into one list.
QList<QByteArray> LargestBankTexts(int n) {
  QList<QByteArray> texts;
  for (const char* file : {"ength.dll", "sample.zk"}) {
    sqlite3* db = nullptr;
    const QByteArray path = QByteArray(TOLMSYS_BIN_DIR "/") + file;
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
      sqlite3_stmt* st = nullptr;
      if (sqlite3_prepare_v2(db, "select subjext_text from t_subject where subjext_text like '{\\rtf%'", -1,
                             &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
          texts << QByteArray(static_cast<const char*>(sqlite3_column_blob(st, 0)), sqlite3_column_bytes(st, 0));
      sqlite3_finalize(st);
    }
    sqlite3_close(db);
  }
  std::sort(texts.begin(), texts.end(), [](const QByteArray& a, const QByteArray& b) { return a.size() > b.size(); });
  return texts.mid(0, n);
}

// About `bytes` of rich text as a question bank keeps it: paragraphs of
// English with bold and coloured runs and Chinese in GBK escapes.
QByteArray GeneratedRtf(int bytes) {
  QByteArray out =
      "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fnil\\fcharset134 "
      "\\'cb\\'ce\\'cc\\'e5;}}\r\n{\\colortbl ;\\red192\\green0\\blue0;\\red0\\green0\\blue192;}\r\n"
      "\\viewkind4\\uc1\\pard\\f0\\fs22 ";
  for (int i = 0; out.size() < bytes; ++i) {
    out += "Question " + QByteArray::number(i) + ": \\b read the passage\\b0  and choose {\\cf1 the best answer} "
           "{\\f1\\'d6\\'d0\\'ce\\'c4\\'cc\\'e2\\'c4\\'bf} about the {\\i honeybee} dance.\\par\r\n";
  }
  return out + "}";
}

void Layout(QWidget* w) {
  static QImage image(300, 200, QImage::Format_RGB32);
  w->render(&image);
}

void RunLoad(benchmark::State& state, const QList<QByteArray>& docs) {
  TsfSkinRichEdit ours;
  ours.SetBounds(0, 0, 300, 200);
  QTextEdit qt;
  qt.resize(300, 200);
  // The same content written as HTML, made once outside the timing.
  QList<QString> html;
  for (const QByteArray& d : docs) {
    QTextDocument doc;
    BuildTextDocument(*ReadRtf(d), &doc);
    html << doc.toHtml();
  }
  double oursTime = 0, qtTime = 0;
  for (auto _ : state) {
    for (qsizetype i = 0; i < docs.size(); ++i) {
      TMemoryStream s;
      s.Write(docs[i]);
      s.SetPosition(0);
      auto t0 = Clock::now();
      ours.LoadFromStream(s);
      Layout(&ours);
      oursTime += Seconds(t0);
      t0 = Clock::now();
      qt.document()->setHtml(html[i]);
      Layout(&qt);
      qtTime += Seconds(t0);
    }
  }
  state.counters["ours_ms"] = benchmark::Counter(oursTime * 1000 / state.iterations());
  state.counters["qt_ms"] = benchmark::Counter(qtTime * 1000 / state.iterations());
  state.counters["ratio"] = qtTime > 0 ? oursTime / qtTime : 0;
}

void BM_LoadLargestBankTexts(benchmark::State& state) { RunLoad(state, LargestBankTexts(10)); }
BENCHMARK(BM_LoadLargestBankTexts)->Unit(benchmark::kMillisecond);

void BM_LoadGenerated200KB(benchmark::State& state) { RunLoad(state, {GeneratedRtf(200 * 1024)}); }
BENCHMARK(BM_LoadGenerated200KB)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
