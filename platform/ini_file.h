#pragma once
// Profile ("ini") files in the dialect of the skin files: a line holding a
// name in square brackets opens a section; a line with "=" gives a key and a
// value; names match without regard to case and the first match wins; the
// value is the text after the first "=" with surrounding blanks removed, read
// up to 2047 bytes (never splitting a double-byte character); lines without
// "=" are ignored; CR, LF and CRLF all end a line. Files are GBK text, read
// character by character: a lead byte and its trail byte are one unit, and
// only single-byte ASCII letters fold for the case-blind name match.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

constexpr int kIniValueLimit = 2047;

class TCustomIniFile {
 public:
  virtual ~TCustomIniFile() = default;

  QString FileName() const { return m_fileName; }

  QString ReadString(const QString& section, const QString& ident, const QString& def) const;
  int ReadInteger(const QString& section, const QString& ident, int def) const;
  bool ReadBool(const QString& section, const QString& ident, bool def) const;
  void WriteString(const QString& section, const QString& ident, const QString& value);
  void WriteInteger(const QString& section, const QString& ident, int value);
  void WriteBool(const QString& section, const QString& ident, bool value);

  bool SectionExists(const QString& section) const;
  bool ValueExists(const QString& section, const QString& ident) const;
  void ReadSection(const QString& section, QStringList& keys) const;
  void ReadSections(QStringList& sections) const;
  void ReadSectionValues(const QString& section, QStringList& lines) const;
  void EraseSection(const QString& section);
  void DeleteKey(const QString& section, const QString& ident);

  // The whole text as lines, and replacing it.
  QStringList GetStrings() const;
  void SetStrings(const QStringList& lines);
  QByteArray ToBytes() const;
  void SetBytes(const QByteArray& bytes);

  // Writes the file back to disk (GBK, CRLF line ends). Throws EFOpenError.
  virtual void UpdateFile();

 protected:
  explicit TCustomIniFile(QString fileName) : m_fileName(std::move(fileName)) {}
  void LoadFromDisk();
  virtual void Changed() {}

 private:
  // A line of a section body; key lines keep their key and value split off
  // once, so lookups never re-parse text.
  struct Line {
    QByteArray text;
    QByteArray key;    // trimmed; empty when the line has no "="
    QByteArray value;  // trimmed
    bool hasKey = false;
  };
  struct Section {
    QByteArray name;          // as written
    std::vector<Line> lines;  // raw lines of the section body
    // Lower-cased key -> first line holding it; rebuilt when lines change.
    mutable QHash<QByteArray, int> index;
    mutable bool indexed = false;
  };
  static Line MakeLine(const QByteArray& text);
  const Section* FindSection(QByteArray name) const;
  Section* FindSection(QByteArray name);
  static int FindKey(const Section& s, QByteArray key);
  void SectionsChanged() { m_sectionIndexed = false; }

  QString m_fileName;
  std::vector<QByteArray> m_preamble;  // lines before the first section
  std::vector<Section> m_sections;
  // Lower-cased section name -> first section of that name.
  mutable QHash<QByteArray, int> m_sectionIndex;
  mutable bool m_sectionIndexed = false;
};

// Kept in memory; written to disk only by UpdateFile.
class TMemIniFile : public TCustomIniFile {
 public:
  explicit TMemIniFile(const QString& fileName);
};

// Every write goes to disk at once.
class TIniFile : public TCustomIniFile {
 public:
  explicit TIniFile(const QString& fileName);

 protected:
  void Changed() override { UpdateFile(); }
};
