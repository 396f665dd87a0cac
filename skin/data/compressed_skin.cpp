#include "skin/data/compressed_skin.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "platform/ini_file.h"
#include "skin/data/form_sections.h"
#include "skin/data/skin_values.h"

namespace {
constexpr int kSkinStreamVersion = 3;
constexpr int kFileHeaderSize = 14;
constexpr int kInfoHeaderSize = 40;

void PutInt(QByteArray& out, qint32 v) {
  char b[4];
  qToLittleEndian(v, b);
  out.append(b, 4);
}

// Reads the skin stream front to back without ever reading past its end.
class TStreamReader {
 public:
  explicit TStreamReader(const QByteArray& data) : m_data(data) {}
  qint64 Left() const { return m_data.size() - m_pos; }
  qint32 Int() {
    Need(4);
    const qint32 v = qFromLittleEndian<qint32>(m_data.constData() + m_pos);
    m_pos += 4;
    return v;
  }
  quint8 Byte() {
    Need(1);
    return quint8(m_data[m_pos++]);
  }
  // One bitmap file image, its length taken from its own file header.
  void Bitmap(TBitmap& out) {
    Need(kFileHeaderSize);
    const char* p = m_data.constData() + m_pos;
    if (p[0] != 'B' || p[1] != 'M') throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    const quint32 size = qFromLittleEndian<quint32>(p + 2);
    if (size < quint32(kFileHeaderSize + 12) || size > quint64(Left()))
      throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid: bad length"));
    const quint32 infoSize = qFromLittleEndian<quint32>(p + kFileHeaderSize);
    qint64 w = 0, h = 0, bits = 0, compression = 0;
    if (infoSize >= kInfoHeaderSize && size >= quint32(kFileHeaderSize + kInfoHeaderSize)) {
      w = qFromLittleEndian<qint32>(p + kFileHeaderSize + 4);
      h = qFromLittleEndian<qint32>(p + kFileHeaderSize + 8);
      bits = qFromLittleEndian<quint16>(p + kFileHeaderSize + 14);
      compression = qFromLittleEndian<quint32>(p + kFileHeaderSize + 16);
    } else if (infoSize == 12) {
      w = qFromLittleEndian<quint16>(p + kFileHeaderSize + 4);
      h = qFromLittleEndian<quint16>(p + kFileHeaderSize + 6);
      bits = qFromLittleEndian<quint16>(p + kFileHeaderSize + 10);
    } else {
      throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid: bad header"));
    }
    const QByteArray image = m_data.mid(m_pos, size);
    m_pos += size;
    if (w == 0 || h == 0) {  // an empty picture
      out = TBitmap();
      return;
    }
    if (w < 0 || w > kMaxPackedPictureSide || h < -kMaxPackedPictureSide || h > kMaxPackedPictureSide ||
        w * std::abs(h) > kMaxPackedPicturePixels)
      throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid: bad size"));
    // Uncompressed pixels must all be there before the picture is allocated.
    const qint64 stride = (w * bits + 31) / 32 * 4;
    const qint64 offBits = qFromLittleEndian<quint32>(p + 10);
    if ((compression == 0 || compression == 3) && offBits + stride * std::abs(h) > qint64(size))
      throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid: truncated pixels"));
    const QImage img = QImage::fromData(image, "BMP");
    if (img.isNull()) throw EInvalidGraphic(QStringLiteral("Bitmap image is not valid"));
    out = TBitmap(img);
  }
  QByteArray Rest() const { return m_data.mid(m_pos); }

 private:
  void Need(qint64 n) const {
    if (Left() < n) throw EInvalidGraphic(QStringLiteral("Skin stream is truncated"));
  }
  const QByteArray& m_data;
  qint64 m_pos = 0;
};

TBitmap LoadNamedPicture(const QString& folder, const QString& name) {
  TBitmap b;
  if (!name.isEmpty()) b.LoadFromFile(SkinPicturePath(folder, name));
  return b;
}
}  // namespace

QByteArray BitmapFileImage(const TBitmap& bitmap) {
  if (bitmap.Empty()) {
    QByteArray out(kFileHeaderSize + kInfoHeaderSize, '\0');
    out[0] = 'B';
    out[1] = 'M';
    qToLittleEndian<quint32>(quint32(out.size()), out.data() + 2);
    qToLittleEndian<quint32>(kFileHeaderSize + kInfoHeaderSize, out.data() + 10);
    qToLittleEndian<quint32>(kInfoHeaderSize, out.data() + kFileHeaderSize);
    qToLittleEndian<quint16>(1, out.data() + kFileHeaderSize + 12);
    qToLittleEndian<quint16>(24, out.data() + kFileHeaderSize + 14);
    return out;
  }
  QByteArray out;
  QBuffer buf(&out);
  buf.open(QIODevice::WriteOnly);
  const QImage& img = bitmap.Image();
  if (bitmap.PixelFormat() == pf32bit) img.save(&buf, "BMP");
  else img.convertToFormat(QImage::Format_RGB888).save(&buf, "BMP");
  return out;
}

QByteArray PackSkinStream(const QByteArray& stream) {
  uLongf size = compressBound(uLong(stream.size()));
  QByteArray out(qsizetype(size), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                reinterpret_cast<const Bytef*>(stream.constData()), uLong(stream.size()), 9) != Z_OK)
    throw ECompressionError(QStringLiteral("compression error"));
  out.resize(qsizetype(size));
  return out;
}

QByteArray UnpackSkinStream(const QByteArray& block) {
  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (inflateInit(&z) != Z_OK) throw ECompressionError(QStringLiteral("compression error"));
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(block.constData()));
  z.avail_in = uInt(block.size());
  QByteArray out;
  char chunk[65536];
  int rc = Z_OK;
  while (rc != Z_STREAM_END) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    rc = inflate(&z, Z_NO_FLUSH);
    const qint64 produced = qint64(sizeof chunk) - z.avail_out;
    if ((rc != Z_OK && rc != Z_STREAM_END) || (rc == Z_OK && produced == 0 && z.avail_in == 0) ||
        out.size() + produced > kMaxUnpackedSkinBytes) {
      inflateEnd(&z);
      throw ECompressionError(QStringLiteral("compression error"));
    }
    out.append(chunk, produced);
  }
  inflateEnd(&z);
  return out;
}

bool ParseSkinStream(const QByteArray& stream, TsfUnpackedSkin& out) {
  TStreamReader r(stream);
  const qint32 version = r.Int();
  if (version > kSkinStreamVersion) return false;
  auto flagged = [&r](TBitmap& b) {
    if (r.Byte() != 0) b = TBitmap();
    else r.Bitmap(b);
  };
  flagged(out.MainPicture);
  flagged(out.MainInactivePicture);
  flagged(out.MainMask);
  if (version == 2) {
    TBitmap dropped;
    flagged(dropped);
    flagged(dropped);
  }
  const qint32 count = r.Int();
  // Every picture takes at least a file header and an info header.
  if (count < 0 || count > r.Left() / (kFileHeaderSize + 12))
    throw EInvalidGraphic(QStringLiteral("Skin stream has a bad picture count"));
  out.Pictures.clear();
  for (qint32 i = 0; i < count; ++i) {
    auto b = std::make_unique<TBitmap>();
    r.Bitmap(*b);
    out.Pictures.push_back(std::move(b));
  }
  out.Text = r.Rest();
  return true;
}

void TsfCompressedStoredSkin::BuildFromSkinFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.readAll();
  TMemIniFile ini(QString{});
  ini.SetBytes(bytes);
  if (!IsSkinFile(ini)) return;
  m_block.clear();
  const QString folder = SkinFolderOf(path);
  TsfPictureNames names;
  names.LoadFromIni(ini);
  QByteArray stream;
  PutInt(stream, kSkinStreamVersion);
  for (const QString& name : {names.picture, names.inactivepicture, names.mask}) {
    const TBitmap b = LoadNamedPicture(folder, name);
    stream.append(char(b.Empty() ? 1 : 0));
    if (!b.Empty()) stream += BitmapFileImage(b);
  }
  PutInt(stream, qint32(names.activepictures.size()));
  for (const QString& name : names.activepictures)
    stream += BitmapFileImage(LoadNamedPicture(folder, name));
  for (QByteArray line : bytes.split('\n')) {
    if (line.endsWith('\r')) line.chop(1);
    stream += line + "\r\n";
  }
  m_block = PackSkinStream(stream);
}

bool TsfCompressedStoredSkin::LoadPackedFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    m_block.clear();
    return false;
  }
  return LoadPackedStream(file);
}

bool TsfCompressedStoredSkin::LoadPackedStream(QIODevice& stream) {
  m_block.clear();
  if (!stream.isSequential()) stream.seek(0);
  const QByteArray header = stream.read(8);
  if (header.size() < 8) return false;
  const qint32 version = qFromLittleEndian<qint32>(header.constData());
  const qint32 size = qFromLittleEndian<qint32>(header.constData() + 4);
  if (version > kSkinStreamVersion || size < 0 || size > kMaxPackedBlockBytes) return false;
  if (!stream.isSequential() && size > stream.size() - stream.pos()) return false;
  // Read in pieces so a size beyond the data never allocates the claimed size.
  QByteArray block;
  while (block.size() < size) {
    const QByteArray piece = stream.read(std::min<qint64>(size - block.size(), 1 << 20));
    if (piece.isEmpty()) return false;
    block += piece;
  }
  m_block = block;
  return true;
}

void TsfCompressedStoredSkin::SavePackedStream(QIODevice& stream) const {
  QByteArray header;
  PutInt(header, kSkinStreamVersion);
  PutInt(header, qint32(m_block.size()));
  stream.write(header);
  stream.write(m_block);
}

void TsfCompressedStoredSkin::UnpackTo(QIODevice& stream) const {
  stream.write(UnpackSkinStream(m_block));
}

TsfSkinListItem::TsfSkinListItem(int index)
    : Name(QStringLiteral("sfSkin%1").arg(index)),
      m_skin(std::make_unique<TsfCompressedStoredSkin>()) {}

TsfSkinListItem* TsfSkinListItems::Add() {
  m_items.push_back(std::make_unique<TsfSkinListItem>(Count()));
  return m_items.back().get();
}

void TsfSkinListItems::Assign(const TsfSkinListItems& other) {
  if (&other == this) return;
  m_items.clear();
  for (const auto& src : other.m_items) {
    TsfSkinListItem* item = Add();
    item->Description = src->Description;
    item->FileName = src->FileName;
    item->CompressedFileName = src->CompressedFileName;
    item->Name = src->Name;
    item->Skin()->SetBlock(src->Skin()->Block());
  }
}
