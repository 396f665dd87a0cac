#include "fuzz/skin_fuzz_targets.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>
#include <cstdlib>

#include "skin/data/skin_data.h"

namespace {
QByteArray Int32(qint32 v) {
  QByteArray b(4, '\0');
  qToLittleEndian(v, b.data());
  return b;
}

QByteArray Picture(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(qRgb(40, 80, 120));
  return BitmapFileImage(TBitmap(img));
}

// A stream head with a form picture and two list pictures; the text follows.
const QByteArray& StreamHead() {
  static const QByteArray head =
      Int32(3) + '\0' + Picture(8, 6) + '\1' + '\1' + Int32(2) + Picture(4, 4) + Picture(6, 3);
  return head;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

// A record written, read back and written again gives the same text.
void CheckRoundTrip(TsfKeyedSection& rec, TsfKeyedSection& fresh) {
  const QString name = rec.KeySection();
  if (name.contains(u']') || name.contains(u'\r') || name.contains(u'\n') || name != name.trimmed() ||
      name.startsWith(u'['))
    return;  // names the file format cannot carry as a section name
  TMemIniFile first(QString{}), second(QString{});
  rec.SaveToIni(first);
  fresh.LoadFromIni(first);
  fresh.SaveToIni(second);
  Check(first.ToBytes() == second.ToBytes());
}

// A new record of the same class and name as `rec`.
template <typename Rec, typename Make>
auto FreshLike(const Rec& rec, const QStringList& kinds, Make make) {
  for (const QString& k : kinds) {
    auto probe = make(k, rec.SectionName);
    const Rec& p = *probe;
    if (typeid(p) == typeid(rec)) return probe;
  }
  std::abort();
}

void LoadGuarded(TsfSkinData& d, const QByteArray& stream) {
  try {
    d.LoadSkinStream(stream);
  } catch (const Exception&) {
    Check(d.IsEmpty && d.ObjectRecords.empty() && d.ControlRecords.empty());
  }
  Check(!d.IsChanging);
}
}  // namespace

int FuzzSkinText(const uint8_t* data, size_t size) {
  const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
  TsfSkinData d;
  LoadGuarded(d, StreamHead() + text);
  if (d.IsEmpty) return 0;
  for (auto& rec : d.ObjectRecords) CheckRoundTrip(*rec, *FreshLike(*rec, ObjectRecordKinds(), CreateObjectRecord));
  for (auto& rec : d.ControlRecords)
    CheckRoundTrip(*rec, *FreshLike(*rec, ControlRecordKinds(), CreateControlRecord));
  TsfFormInfo form;
  TsfSkinColors colors;
  CheckRoundTrip(d.Colors, colors);
  // FORMINFO is normalised after reading, so only its written form must be stable.
  CheckRoundTrip(d.FormInfo, form);
  return 0;
}

int FuzzPackedSkin(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  TsfCompressedStoredSkin stored;
  QBuffer in;
  in.setData(bytes);
  in.open(QIODevice::ReadOnly);
  if (stored.LoadPackedStream(in)) {
    Check(stored.Block().size() <= bytes.size() - 8);
    TsfSkinData d;
    try {
      d.LoadStoredSkin(&stored);
    } catch (const Exception&) {
      Check(!d.IsChanging);
    }
  } else {
    Check(stored.IsBlockEmpty());
  }
  TsfSkinData direct;
  LoadGuarded(direct, bytes);
  return 0;
}

QList<QByteArray> PackedSkinSeeds() {
  const QByteArray text =
      "[VERSION]\r\nskinname=Seed\r\n[PICTURES]\r\nactivepicturescount=2\r\n0=a.bmp\r\n1=b.bmp\r\n"
      "[FORMINFO]\r\nclientrect=1,1,7,5\r\n[SKINOBJECTS]\r\ncount=1\r\n0=caption:caption\r\n"
      "[caption]\r\nskinrect=0,0,8,2\r\n[SKINCONTROLS]\r\ncount=1\r\n0=panel:panel\r\n"
      "[panel]\r\npictureindex=1\r\nskinrect=0,0,6,3\r\n";
  const QByteArray stream = StreamHead() + text;
  const QByteArray block = PackSkinStream(stream);
  const QByteArray v2 = Int32(2) + '\1' + '\1' + '\1' + '\0' + Picture(2, 2) + '\1' + Int32(0) + text;
  return {stream, v2, Int32(3) + Int32(qint32(block.size())) + block};
}
