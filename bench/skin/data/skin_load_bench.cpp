// Loading the default skin against a peer that does the least the same job
// needs: the same pictures read with QImage and the same file split into
// sections and values by a plain line parser. The ratio counter is ours/peer.
#include <benchmark/benchmark.h>

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QTemporaryDir>
#include <QtEndian>
#include <chrono>

#include "skin/data/skin_data.h"
#include "tools/skingen/default_skin.h"

namespace {
using Clock = std::chrono::steady_clock;

const QTemporaryDir& SkinDir() {
  static QTemporaryDir dir;
  static const bool written = WriteDefaultSkin(dir.path());
  (void)written;
  return dir;
}

// The peer: every line of the file into a section -> key -> value table, and
// every picture the file names read into a QImage.
size_t PeerLoad(const QString& folder) {
  QFile f(folder + "/skin.ini");
  f.open(QIODevice::ReadOnly);
  QHash<QByteArray, QHash<QByteArray, QByteArray>> sections;
  QHash<QByteArray, QByteArray>* current = nullptr;
  for (QByteArray line : f.readAll().split('\n')) {
    line = line.trimmed();
    if (line.startsWith('[') && line.endsWith(']')) {
      current = &sections[line.mid(1, line.size() - 2).toLower()];
    } else if (const int eq = line.indexOf('='); eq > 0 && current) {
      current->insert(line.left(eq).trimmed().toLower(), line.mid(eq + 1).trimmed());
    }
  }
  const auto& pictures = sections[QByteArrayLiteral("pictures")];
  size_t pixels = 0;
  QList<QByteArray> names{pictures.value("picture")};
  const int count = pictures.value("activepicturescount").toInt();
  for (int i = 0; i < count; ++i) names << pictures.value(QByteArray::number(i));
  for (const QByteArray& name : names) {
    const QImage img(folder + "/" + QString::fromLatin1(name));
    pixels += size_t(img.width()) * size_t(img.height());
  }
  return pixels + size_t(sections.size());
}

void BM_LoadDefaultSkin(benchmark::State& state) {
  const QString folder = SkinDir().path();
  const QString path = folder + "/skin.ini";
  Clock::duration ours{}, peer{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    {
      TsfSkinData data;
      data.LoadSkinFile(path);
      benchmark::DoNotOptimize(data.ControlRecords.size());
    }
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(PeerLoad(folder));
    const auto t2 = Clock::now();
    ours += t1 - t0;
    peer += t2 - t1;
  }
  const double n = double(state.iterations());
  state.counters["ours_us"] = std::chrono::duration<double, std::micro>(ours).count() / n;
  state.counters["peer_us"] = std::chrono::duration<double, std::micro>(peer).count() / n;
  state.counters["ratio"] = double(ours.count()) / double(std::max<Clock::rep>(peer.count(), 1));
}
BENCHMARK(BM_LoadDefaultSkin)->Unit(benchmark::kMillisecond);

// Packing the default skin and loading it back, against zlib alone on the
// same bytes (the floor of any packed format).
void BM_LoadPackedDefaultSkin(benchmark::State& state) {
  TsfCompressedStoredSkin stored;
  stored.BuildFromSkinFile(SkinDir().path() + "/skin.ini");
  // qUncompress wants the unpacked size in front, big-endian.
  const qsizetype unpacked = UnpackSkinStream(stored.Block()).size();
  QByteArray sized(4, '\0');
  qToBigEndian<quint32>(quint32(unpacked), sized.data());
  sized += stored.Block();
  Clock::duration ours{}, peer{};
  for (auto _ : state) {
    const auto t0 = Clock::now();
    {
      TsfSkinData data;
      data.LoadStoredSkin(&stored);
      benchmark::DoNotOptimize(data.PictureList.size());
    }
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(qUncompress(sized).size());
    const auto t2 = Clock::now();
    ours += t1 - t0;
    peer += t2 - t1;
  }
  state.counters["ratio"] = double(ours.count()) / double(std::max<Clock::rep>(peer.count(), 1));
}
BENCHMARK(BM_LoadPackedDefaultSkin)->Unit(benchmark::kMillisecond);
}  // namespace
