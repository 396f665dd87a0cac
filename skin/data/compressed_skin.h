#pragma once
// Packed skins: a whole skin (its text and all its pictures) in one zlib
// block. A stored skin holds one block; a skin list holds numbered ones.
//
// Skin stream (the unpacked block), integers 32-bit little-endian:
//   version (3; 3 or less accepted) | form picture, inactive form picture, mask:
//   each an "empty" byte, then a bitmap file image when the byte is 0 |
//   version 2 only: two more such pictures, dropped | picture count |
//   that many bitmap file images | the skin text (CRLF lines, GBK) to the end.
// Packed file: version (3; above 3 rejected) | block size | block.

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/component.h"
#include "platform/exceptions.h"

class ECompressionError : public Exception {
 public:
  using Exception::Exception;
};

// Limits that keep hostile packed data from asking for large allocations.
constexpr qint64 kMaxUnpackedSkinBytes = 64 * 1024 * 1024;
constexpr qint64 kMaxPackedBlockBytes = 64 * 1024 * 1024;
constexpr int kMaxPackedPictureSide = 16384;
constexpr qint64 kMaxPackedPicturePixels = 4096 * 4096;

class TsfCompressedStoredSkin : public TComponent {
  Q_OBJECT
 public:
  explicit TsfCompressedStoredSkin(QObject* owner = nullptr) : TComponent(owner) {}

  QString Description;
  QString FileName() const { return m_fileName; }
  void SetFileName(const QString& v) { m_fileName = v; }
  QString CompressedFileName() const { return m_compressedFileName; }
  void SetCompressedFileName(const QString& v) { m_compressedFileName = v; }

  bool IsBlockEmpty() const { return m_block.isEmpty(); }
  // The packed block as stored with its owner ("CompressedData").
  const QByteArray& Block() const { return m_block; }
  void SetBlock(const QByteArray& block) { m_block = block; }

  // Packs a skin folder; a file that is not a skin file leaves the block as it
  // is. Throws the picture loader's error for a picture it cannot read.
  void BuildFromSkinFile(const QString& path);
  // Read a packed file or stream into the block; a version above 3, a short
  // header or a size that is negative, too large or beyond the data leaves the
  // block empty and returns false.
  bool LoadPackedFile(const QString& path);
  bool LoadPackedStream(QIODevice& stream);
  void SavePackedStream(QIODevice& stream) const;
  // Writes the skin stream. Throws ECompressionError for a damaged block.
  void UnpackTo(QIODevice& stream) const;

 private:
  QString m_fileName, m_compressedFileName;
  QByteArray m_block;
};

class TsfSkinListItem {
 public:
  explicit TsfSkinListItem(int index);
  QString Description, FileName, CompressedFileName, Name;
  TsfCompressedStoredSkin* Skin() const { return m_skin.get(); }
  QString DisplayName() const { return Name; }

 private:
  std::unique_ptr<TsfCompressedStoredSkin> m_skin;
};

class TsfSkinListItems {
 public:
  TsfSkinListItem* Add();
  int Count() const { return int(m_items.size()); }
  TsfSkinListItem* Item(int i) const {
    return i >= 0 && i < Count() ? m_items[size_t(i)].get() : nullptr;
  }
  void Clear() { m_items.clear(); }
  // Replaces the whole list by a copy of another.
  void Assign(const TsfSkinListItems& other);

 private:
  std::vector<std::unique_ptr<TsfSkinListItem>> m_items;
};

class TsfCompressedSkinList : public TComponent {
  Q_OBJECT
 public:
  explicit TsfCompressedSkinList(QObject* owner = nullptr) : TComponent(owner) {}
  TsfSkinListItems& Skins() { return m_skins; }
  void SetSkins(const TsfSkinListItems& items) { m_skins.Assign(items); }

 private:
  TsfSkinListItems m_skins;
};

// Compression of blocks (zlib format, level 9) and the unpacked skin stream.
QByteArray PackSkinStream(const QByteArray& stream);
// Throws ECompressionError for damaged data or output beyond kMaxUnpackedSkinBytes.
QByteArray UnpackSkinStream(const QByteArray& block);

struct TsfUnpackedSkin {
  TBitmap MainPicture, MainInactivePicture, MainMask;
  std::vector<std::unique_ptr<TBitmap>> Pictures;
  QByteArray Text;
};
// Splits a skin stream; false for a version above 3. Throws EInvalidGraphic for
// truncated or damaged pictures and a bad picture count.
bool ParseSkinStream(const QByteArray& stream, TsfUnpackedSkin& out);
// The bitmap file image of a picture (24-bit unless it has alpha); an empty
// picture is a bare header of width and height 0.
QByteArray BitmapFileImage(const TBitmap& bitmap);
