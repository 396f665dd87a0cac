#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "platform/ini_file.h"
#include "platform/strutils.h"
#include "tests/support/test_support.h"

namespace {
TMemIniFile FromText(const QByteArray& text) {
  TMemIniFile ini(QString{});
  ini.SetBytes(text);
  return ini;
}
}  // namespace

TEST(StrToIntDef, HostIntegerRules) {
  struct Case { const char* text; int expected; };
  const Case cases[] = {
      {"12", 12},         {"-12", -12},        {"+7", 7},          {"  42", 42},
      {"$1F", 31},        {"0x1F", 31},        {"0X1f", 31},       {"-$10", -16},
      {"0xFF00000F", static_cast<int>(0xFF00000Fu)},               {"$FFFFFFFF", -1},
      {"2147483647", 2147483647},              {"-2147483648", static_cast<int>(0x80000000u)},
      {"2147483648", -99}, {"0x123456789", -99}, {"", -99},        {"12a", -99},
      {"1 2", -99},       {"0x", -99},         {"$", -99},         {"-", -99},
      {"true", -99},      {"12 ", -99},
      // Leading zeros do not count against the range.
      {"00000000012", 12}, {"$000000001", 1},  {"0x0000000FF", 255}, {"-00000000001", -1},
      {"000000000002147483647", 2147483647},   {"0x000000000FFFFFFFF", -1},
      {"00000000002147483648", -99},           {"0x0000100000000", -99},
      {"99999999999999999999999", -99},        {"$FFFFFFFFFFFFFFFFFFFF", -99},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StrToIntDef(QString::fromLatin1(c.text), -99), c.expected) << c.text;
}

TEST(IniFile, ReadsTheProfileDialect) {
  TMemIniFile ini = FromText(
      "; comment line without equals\r\n"
      "[Alpha]\r\n"
      "Key = value with blanks  \r\n"
      "key=second match is ignored\r\n"
      "Path=a=b=c\r\n"
      "noequals\r\n"
      "Empty=\r\n"
      "[EmptySection]\n"
      "[beta]\n"
      "N=0x10\n"
      "[ALPHA]\n"
      "Other=from the second section\n");
  EXPECT_EQ(ini.ReadString("alpha", "KEY", "d"), "value with blanks");
  EXPECT_EQ(ini.ReadString("Alpha", "Path", "d"), "a=b=c");
  EXPECT_EQ(ini.ReadString("Alpha", "Empty", "d"), "");
  EXPECT_EQ(ini.ReadString("Alpha", "noequals", "d"), "d");
  EXPECT_EQ(ini.ReadString("Alpha", "Other", "d"), "d") << "first section of a name wins";
  EXPECT_EQ(ini.ReadString("Missing", "Key", "d"), "d");
  EXPECT_TRUE(ini.SectionExists("emptysection"));
  EXPECT_FALSE(ini.SectionExists("gamma"));
  EXPECT_EQ(ini.ReadInteger("Beta", "n", 0), 16);
  EXPECT_EQ(ini.ReadInteger("Beta", "missing", -1), -1);
  QStringList keys;
  ini.ReadSection("alpha", keys);
  EXPECT_EQ(keys, (QStringList{"Key", "key", "Path", "Empty"}));
  QStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections, (QStringList{"Alpha", "EmptySection", "beta", "ALPHA"}));
}

TEST(IniFile, LongValuesStopAt2047BytesWithoutSplittingACharacter) {
  const QByteArray ascii(3000, 'x');
  TMemIniFile a = FromText("[S]\nK=" + ascii + "\n");
  EXPECT_EQ(a.ReadString("S", "K", "").size(), kIniValueLimit);

  // 2046 ASCII bytes then a two-byte GBK character: the character would end at
  // byte 2048, so it is dropped whole.
  const QByteArray gbk = QByteArray(2046, 'y') + StringToAnsi(QStringLiteral("题")) + "z";
  TMemIniFile b = FromText("[S]\nK=" + gbk + "\n");
  const QString v = b.ReadString("S", "K", "");
  EXPECT_EQ(v, QString(2046, 'y'));
}

TEST(IniFile, ReadsAndWritesGbkText) {
  QTemporaryDir dir;
  const QString path = dir.filePath("skin.ini");
  WriteFileBytes(path, "[Fonts]\r\nName=" + StringToAnsi(QStringLiteral("宋体")) + "\r\n");
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadString("fonts", "name", ""), QStringLiteral("宋体"));
  ini.WriteString("Fonts", "Caption", QStringLiteral("保存下一题"));
  const QByteArray bytes = ReadFileBytes(path);
  EXPECT_TRUE(bytes.contains(StringToAnsi(QStringLiteral("Caption=保存下一题"))));
  EXPECT_FALSE(bytes.contains(QStringLiteral("保存").toUtf8()));
}

TEST(IniFile, WritesReplaceAppendAndErase) {
  QTemporaryDir dir;
  const QString path = dir.filePath("a.ini");
  WriteFileBytes(path, "[A]\nk=1\nK=2\n\n[B]\nx=1\n");
  {
    TIniFile ini(path);
    ini.WriteString("a", "K", "one");      // replaces the first match only
    ini.WriteInteger("A", "new", -5);      // appended to the section
    ini.WriteString("C", "c", "created");  // new section at the end
    ini.EraseSection("b");
  }
  TMemIniFile back(path);
  QStringList lines;
  back.ReadSectionValues("A", lines);
  EXPECT_EQ(lines, (QStringList{"K=one", "K=2", "new=-5"}));
  EXPECT_FALSE(back.SectionExists("B"));
  EXPECT_EQ(back.ReadString("C", "c", ""), "created");
  QStringList sections;
  back.ReadSections(sections);
  EXPECT_EQ(sections, (QStringList{"A", "C"}));
}

TEST(IniFile, MemIniWritesOnlyOnUpdate) {
  QTemporaryDir dir;
  const QString path = dir.filePath("m.ini");
  WriteFileBytes(path, "[S]\nk=v\n");
  TMemIniFile ini(path);
  ini.WriteString("S", "k", "changed");
  EXPECT_EQ(ReadFileBytes(path), QByteArray("[S]\nk=v\n"));
  ini.UpdateFile();
  EXPECT_EQ(ReadFileBytes(path), QByteArray("[S]\r\nk=changed\r\n"));
}

TEST(IniFile, GbkNamesAreMatchedByCharacterAndAnyLineEndEndsALine) {
  // 廬 is 8F 5D: its trail byte is "]". 乤 (81 61) and 丄 (81 41) differ only
  // in the case of their trail byte.
  const QByteArray lu = StringToAnsi(QStringLiteral("廬"));
  const QByteArray upper = StringToAnsi(QStringLiteral("丄"));
  const QByteArray lower = StringToAnsi(QStringLiteral("乤"));
  ASSERT_EQ(lu, QByteArray("\x8F\x5D"));
  struct Case {
    const char* name;
    QByteArray text;
  };
  const Case cases[] = {
      {"CRLF", "[" + lu + "Form]\r\n" + upper + "=up\r\nKey=v\r\n[Next]\r\nA=1\r\n"},
      {"LF", "[" + lu + "Form]\n" + upper + "=up\nKey=v\n[Next]\nA=1\n"},
      {"CR only", "[" + lu + "Form]\r" + upper + "=up\rKey=v\r[Next]\rA=1"},
      {"mixed", "[" + lu + "Form]\r" + upper + "=up\r\nKey=v\n\r[Next]\rA=1\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TMemIniFile ini = FromText(c.text);
    const QString section = QStringLiteral("廬FORM");
    EXPECT_TRUE(ini.SectionExists(section));
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("丄"), "d"), "up");
    EXPECT_EQ(ini.ReadString(section, QStringLiteral("乤"), "d"), "d") << "another character";
    EXPECT_EQ(ini.ReadString(section, "KEY", "d"), "v");
    EXPECT_EQ(ini.ReadInteger("next", "a", 0), 1);
    QStringList sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections, (QStringList{QStringLiteral("廬Form"), "Next"}));
  }
  // A section of the other character is another section.
  TMemIniFile two = FromText("[" + upper + "]\nK=1\n[" + lower + "]\nK=2\n");
  EXPECT_EQ(two.ReadInteger(QStringLiteral("乤"), "K", 0), 2);
  EXPECT_EQ(two.ReadInteger(QStringLiteral("丄"), "K", 0), 1);
}

TEST(IniFile, NamesWithSurroundingBlanksReachTheSameKeyInMemoryAndOnDisk) {
  QTemporaryDir dir;
  const QString path = dir.filePath("blanks.ini");
  TMemIniFile ini(path);
  ini.SetBytes("[S]\r\nk=old\r\n");
  EXPECT_EQ(ini.ReadString(" S ", " k ", "d"), "old");
  ini.WriteString(" S", "k ", "new");
  EXPECT_EQ(ini.ReadString("S", "k", "d"), "new");
  ini.UpdateFile();
  TMemIniFile again(path);
  EXPECT_EQ(again.ReadString("S", "k", "d"), "new");
  QStringList sections;
  again.ReadSections(sections);
  EXPECT_EQ(sections, QStringList{"S"});
}
