// The rich-text reader's fuzz entry run briefly as a test: the seed corpus,
// then mutations of it from a fixed-seed generator (the libFuzzer build runs
// the same entry for as long as it is asked to).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <iterator>
#include <random>

#include "fuzz/rtf_fuzz_target.h"

namespace {
const char* const kTokens[] = {"{", "}", "\\", "\\'", "\\'d6", "\\u", "\\u-", "\\uc0", "\\uc9", "\\bin",
                               "\\bin99999 ", "\\*", "\\fonttbl", "\\colortbl", "\\red255;", ";", "\\f1",
                               "\\fcharset134 ", "\\par", "\\line", "\\plain", "\\pard", "\\fs0", "\\cf99",
                               "\\ansicpg65001", "\\ansicpg1", "{\\*\\x ", "\xd6", "99999999999999", "\r\n"};

void ReadInput(const QByteArray& in) { FuzzRtf(reinterpret_cast<const uint8_t*>(in.constData()), size_t(in.size())); }
}  // namespace

TEST(RtfFuzzSmoke, SeedsAndMutationsKeepTheReaderSound) {
  QList<QByteArray> corpus;
  for (const QFileInfo& f : QDir(QStringLiteral(TOLMSYS_SOURCE_DIR "/fuzz/corpus/rtf")).entryInfoList(QDir::Files)) {
    QFile file(f.filePath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    corpus << file.readAll();
  }
  ASSERT_FALSE(corpus.isEmpty());
  for (const QByteArray& seed : corpus) ReadInput(seed);
  std::mt19937 rng(20261210);
  auto pick = [&](size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng) : size_t(0); };
  for (int run = 0; run < 4000; ++run) {
    QByteArray in = corpus[qsizetype(pick(size_t(corpus.size())))];
    for (int step = 0, steps = 1 + int(pick(4)); step < steps; ++step) {
      const qsizetype at = qsizetype(pick(size_t(in.size()) + 1));
      switch (pick(4)) {
        case 0: if (!in.isEmpty()) in[qsizetype(pick(size_t(in.size())))] = char(pick(256)); break;
        case 1: in.insert(at, kTokens[pick(std::size(kTokens))]); break;
        case 2: in.remove(at, qsizetype(pick(16)) + 1); break;
        default: in.truncate(at); break;
      }
    }
    ReadInput(in);
    if (pick(8) == 0) corpus << in.left(1 << 14);
  }
  SUCCEED() << corpus.size() << " inputs read without a broken invariant";
}
