#pragma once
// Value encodings of skin files: how every kind of value is read from and
// written to a profile file, and the visitor through which each record walks
// its keys once for reading and once for writing, in the same order.

#include <QString>
#include <QStringList>
#include <cstdint>

#include "platform/alignment.h"
#include "platform/colors.h"
#include "platform/font.h"
#include "platform/ini_file.h"
#include "platform/types.h"

enum TsfStretchType : uint8_t { stFull = 0, stHorz = 1, stVert = 2 };
enum TsfMorphKind : uint8_t {
  mkDefault = 0, mkGradient = 1, mkLeftGradient = 2, mkRightGradient = 3,
  mkLeftSlide = 4, mkRightSlide = 5, mkPush = 6
};
enum TsfInactiveEffect : uint8_t {
  ieBrightness = 0, ieDarkness = 1, ieGrayScale = 2, ieNoise = 3, ieSplitBlur = 4, ieInvert = 5
};
// Window action of a caption button; any unknown keyword reads as cmUnknown.
enum TsfCommand : uint8_t {
  cmClose = 0, cmMaximize = 1, cmMinimize = 2, cmSysMenu = 3, cmDefault = 4, cmRollUp = 5,
  cmUnknown = 6
};

// Readers return the value or the kind's default; writers write the written form.
// Rect and point pieces keep only their digits; a piece without any digit, or a
// value with too few pieces, throws EConvertError (it ends a skin load).
// Rect and point pieces above this read as this: far beyond any picture or
// screen, and small enough that sums and differences of a few of them never
// overflow an int in the code that lays pieces out.
inline constexpr int kMaxSkinCoordinate = 1 << 24;
TRect ReadRectValue(const TCustomIniFile& f, const QString& section, const QString& key);
void WriteRectValue(TCustomIniFile& f, const QString& section, const QString& key, const TRect& r);
TPoint ReadPointValue(const TCustomIniFile& f, const QString& section, const QString& key);
void WritePointValue(TCustomIniFile& f, const QString& section, const QString& key, const TPoint& p);
bool ReadFlagValue(const TCustomIniFile& f, const QString& section, const QString& key);
void WriteFlagValue(TCustomIniFile& f, const QString& section, const QString& key, bool v);
TFontStyles ReadFontStyleValue(const TCustomIniFile& f, const QString& section, const QString& key);
void WriteFontStyleValue(TCustomIniFile& f, const QString& section, const QString& key,
                         TFontStyles v);
TAlignment ReadAlignmentValue(const TCustomIniFile& f, const QString& section, const QString& key);
void WriteAlignmentValue(TCustomIniFile& f, const QString& section, const QString& key,
                         TAlignment v);
TsfStretchType ReadStretchMode(const TCustomIniFile& f, const QString& section, const QString& key);
void WriteStretchMode(TCustomIniFile& f, const QString& section, const QString& key,
                      TsfStretchType v);
TsfMorphKind ReadMorphKind(const TCustomIniFile& f, const QString& section, const QString& key);
void WriteMorphKind(TCustomIniFile& f, const QString& section, const QString& key, TsfMorphKind v);
TsfInactiveEffect ReadInactiveEffect(const TCustomIniFile& f, const QString& section,
                                     const QString& key);
void WriteInactiveEffect(TCustomIniFile& f, const QString& section, const QString& key,
                         TsfInactiveEffect v);
TsfCommand ReadCommand(const TCustomIniFile& f, const QString& section, const QString& key);
void WriteCommand(TCustomIniFile& f, const QString& section, const QString& key, TsfCommand v);
TColor ReadColorValue(const TCustomIniFile& f, const QString& section, const QString& key,
                      TColor def);
void WriteColorValue(TCustomIniFile& f, const QString& section, const QString& key, TColor v);

// The longest name list read from a skin file. Real skins list tens of
// pictures and records; a hostile count must not cost memory.
inline constexpr int kMaxNameListEntries = 4096;
// Appends entries "0" .. count-1 of a list whose count is under prefix + "count"
// (at most kMaxNameListEntries); an entry the section lacks is empty. Only the
// numbered keys the section has are read.
void ReadNameList(const TCustomIniFile& f, const QString& section, const QString& prefix,
                  QStringList& list);
void WriteNameList(TCustomIniFile& f, const QString& section, const QString& prefix,
                   const QStringList& list);
// Splits a list entry at its first ":" into name and kind; without ":" both are empty.
void SplitListEntry(const QString& entry, QString& name, QString& kind);

// A skin file has all five sections VERSION, PICTURES, FORMINFO, SKINOBJECTS, SKINCONTROLS.
bool IsSkinFile(const TCustomIniFile& f);

// One ordered walk over the keys of a section; defaults are the reader's defaults.
class TsfKeyVisitor {
 public:
  virtual ~TsfKeyVisitor() = default;
  virtual void Int(const char* key, int& v, int def) = 0;
  virtual void Color(const char* key, TColor& v, TColor def) = 0;
  virtual void Flag(const char* key, bool& v) = 0;
  virtual void RectV(const char* key, TRect& v) = 0;
  virtual void PointV(const char* key, TPoint& v) = 0;
  virtual void Str(const char* key, QString& v, const QString& def) = 0;
  virtual void Style(const char* key, TFontStyles& v) = 0;
  virtual void Align(const char* key, TAlignment& v) = 0;
  virtual void Stretch(const char* key, TsfStretchType& v) = 0;
  virtual void Morph(const char* key, TsfMorphKind& v) = 0;
  virtual void Effect(const char* key, TsfInactiveEffect& v) = 0;
  virtual void Cmd(const char* key, TsfCommand& v) = 0;
  // The usual font keys: fontname ("Arial"), fontheight (14), fontstyle.
  void Font(const char* prefix, QString& name, int& height, TFontStyles& style);
};

class TsfKeyReader : public TsfKeyVisitor {
 public:
  TsfKeyReader(const TCustomIniFile& f, QString section) : m_f(f), m_s(std::move(section)) {}
  void Int(const char* key, int& v, int def) override;
  void Color(const char* key, TColor& v, TColor def) override;
  void Flag(const char* key, bool& v) override;
  void RectV(const char* key, TRect& v) override;
  void PointV(const char* key, TPoint& v) override;
  void Str(const char* key, QString& v, const QString& def) override;
  void Style(const char* key, TFontStyles& v) override;
  void Align(const char* key, TAlignment& v) override;
  void Stretch(const char* key, TsfStretchType& v) override;
  void Morph(const char* key, TsfMorphKind& v) override;
  void Effect(const char* key, TsfInactiveEffect& v) override;
  void Cmd(const char* key, TsfCommand& v) override;

 private:
  const TCustomIniFile& m_f;
  QString m_s;
};

class TsfKeyWriter : public TsfKeyVisitor {
 public:
  TsfKeyWriter(TCustomIniFile& f, QString section) : m_f(f), m_s(std::move(section)) {}
  void Int(const char* key, int& v, int def) override;
  void Color(const char* key, TColor& v, TColor def) override;
  void Flag(const char* key, bool& v) override;
  void RectV(const char* key, TRect& v) override;
  void PointV(const char* key, TPoint& v) override;
  void Str(const char* key, QString& v, const QString& def) override;
  void Style(const char* key, TFontStyles& v) override;
  void Align(const char* key, TAlignment& v) override;
  void Stretch(const char* key, TsfStretchType& v) override;
  void Morph(const char* key, TsfMorphKind& v) override;
  void Effect(const char* key, TsfInactiveEffect& v) override;
  void Cmd(const char* key, TsfCommand& v) override;

 private:
  TCustomIniFile& m_f;
  QString m_s;
};

// A section that walks its keys: LoadFromIni reads them, SaveToIni erases the
// section and writes them back in the same order.
class TsfKeyedSection {
 public:
  virtual ~TsfKeyedSection() = default;
  virtual void VisitKeys(TsfKeyVisitor& v) = 0;
  virtual QString KeySection() const = 0;
  virtual void LoadFromIni(const TCustomIniFile& f);
  virtual void SaveToIni(TCustomIniFile& f);
};
