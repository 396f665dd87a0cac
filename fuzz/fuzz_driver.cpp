// Runs the skin fuzz targets without libFuzzer: the seed corpus, then
// mutations of it from a fixed-seed generator, within a run and time budget.
//   skin_fuzz_driver CORPUS_DIR [--runs N] [--seconds S] [--seed X] [EXTRA_SEED_FILE...]
//   skin_fuzz_driver DIR --write-seeds   writes the packed-skin seeds made in code
#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <functional>
#include <random>

#include "fuzz/skin_fuzz_targets.h"

namespace {
const char* const kTokens[] = {"=", ",", "[", "]", "\r\n", "\n", ":", "count=", "-", "0x", "$", "0",
                               "-1", "99999999999", "2147483647", "SKINCONTROLS", "SKINOBJECTS",
                               "PICTURES", "FORMINFO", "skinrect=", "pictureindex=", "fsbold",
                               "stvert", "cmrollup", "\xcb\xce", "panel", "caption", "BM"};
const qint32 kInts[] = {0, 1, -1, 2, 3, 4, 54, 255, 0x7FFFFFFF, qint32(0x80000000), 1 << 20, 16384};

class TMutator {
 public:
  explicit TMutator(unsigned seed) : m_rng(seed) {}
  size_t Pick(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(m_rng) : 0; }

  QByteArray Mutate(QByteArray in, const QList<QByteArray>& corpus) {
    const int steps = 1 + int(Pick(4));
    for (int s = 0; s < steps; ++s) {
      const qsizetype at = qsizetype(Pick(size_t(in.size()) + 1));
      switch (Pick(7)) {
        case 0:  // flip a bit
          if (!in.isEmpty()) in[qsizetype(Pick(size_t(in.size())))] ^= char(1 << Pick(8));
          break;
        case 1:  // a random byte
          if (!in.isEmpty()) in[qsizetype(Pick(size_t(in.size())))] = char(Pick(256));
          break;
        case 2:  // insert a token of the format
          in.insert(at, kTokens[Pick(std::size(kTokens))]);
          break;
        case 3:  // drop a range
          if (!in.isEmpty()) in.remove(at, qsizetype(Pick(32)) + 1);
          break;
        case 4:  // repeat a range
          if (!in.isEmpty()) in.insert(at, in.mid(qsizetype(Pick(size_t(in.size()))), qsizetype(Pick(64))));
          break;
        case 5:  // an interesting 32-bit value
          if (in.size() >= 4) {
            const qint32 v = kInts[Pick(std::size(kInts))];
            std::memcpy(in.data() + Pick(size_t(in.size()) - 3), &v, 4);
          }
          break;
        default:  // splice with another input
          if (!corpus.isEmpty()) {
            const QByteArray& other = corpus[qsizetype(Pick(size_t(corpus.size())))];
            in = in.left(at) + other.mid(qsizetype(Pick(size_t(other.size()) + 1)));
          }
          break;
      }
    }
    return in.left(1 << 16);
  }

 private:
  std::mt19937 m_rng;
};

QList<QByteArray> ReadSeeds(const QString& dir) {
  QList<QByteArray> seeds;
  for (const QFileInfo& f : QDir(dir).entryInfoList(QDir::Files, QDir::Name)) {
    QFile file(f.filePath());
    if (file.open(QIODevice::ReadOnly)) seeds << file.readAll();
  }
  return seeds;
}

int Run(const char* name, const std::function<int(const uint8_t*, size_t)>& target,
        QList<QByteArray> corpus, int runs, qint64 millis, unsigned seed) {
  QElapsedTimer timer;
  timer.start();
  auto call = [&](const QByteArray& in) {
    target(reinterpret_cast<const uint8_t*>(in.constData()), size_t(in.size()));
  };
  for (const QByteArray& s : corpus) call(s);
  TMutator m(seed);
  int done = 0;
  for (; done < runs && timer.elapsed() < millis; ++done) {
    const QByteArray input = m.Mutate(corpus[qsizetype(m.Pick(size_t(corpus.size())))], corpus);
    call(input);
    if (m.Pick(16) == 0) corpus << input;  // keep some mutants to mutate further
  }
  std::printf("%s: %lld seeds and %d mutated inputs in %lld ms, no failure\n", name,
              static_cast<long long>(corpus.size()), done, static_cast<long long>(timer.elapsed()));
  return done;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s CORPUS_DIR [--runs N] [--seconds S] [--seed X] [SEED_FILE...]\n", argv[0]);
    return 2;
  }
  const QString corpusDir = QString::fromLocal8Bit(argv[1]);
  int runs = 3000;
  double seconds = 2;
  unsigned seed = 20261210;
  QList<QByteArray> extra;
  for (int i = 2; i < argc; ++i) {
    const QByteArray a(argv[i]);
    if (a == "--runs" && i + 1 < argc) runs = QByteArray(argv[++i]).toInt();
    else if (a == "--seconds" && i + 1 < argc) seconds = QByteArray(argv[++i]).toDouble();
    else if (a == "--seed" && i + 1 < argc) seed = QByteArray(argv[++i]).toUInt();
    else if (QFile f(QString::fromLocal8Bit(argv[i])); f.open(QIODevice::ReadOnly)) extra << f.readAll();
  }
  if (argc == 3 && QByteArray(argv[2]) == "--write-seeds") {  // seeds for a libFuzzer run
    int n = 0;
    for (const QByteArray& s : PackedSkinSeeds()) {
      QFile f(corpusDir + QStringLiteral("/seed%1").arg(n++));
      if (f.open(QIODevice::WriteOnly)) f.write(s);
    }
    return 0;
  }
  const qint64 budget = qint64(seconds * 1000);
  QList<QByteArray> text = ReadSeeds(corpusDir + "/skin_text") + extra;
  QList<QByteArray> packed = PackedSkinSeeds() + ReadSeeds(corpusDir + "/packed_skin");
  if (text.isEmpty()) text << QByteArray();
  Run("skin_text", FuzzSkinText, text, runs, budget, seed);
  Run("packed_skin", FuzzPackedSkin, packed, runs, budget, seed + 1);
  return 0;
}
