// Value encodings of skin files: what every kind of value reads as.
#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "skin/data/skin_values.h"

namespace {
TMemIniFile IniOf(const QByteArray& text) {
  TMemIniFile ini(QString{});
  ini.SetBytes(text);
  return ini;
}

const QString S = QStringLiteral("S");
}  // namespace

TEST(SkinValues, RectsAndPointsKeepOnlyDigits) {
  struct Case {
    const char* value;
    TRect rect;
  } cases[] = {
      {"10,20,30,40", TRect(10, 20, 30, 40)},
      {" 10 , 20 , 30 , 40 ", TRect(10, 20, 30, 40)},
      {"-5,2,x7,8", TRect(5, 2, 7, 8)},
      {"1,2,3,4,5", TRect(1, 2, 3, 4)},  // extra pieces are ignored
      // Leading zeros; values near the int limit are capped.
      {"0002,00000000003,0,000000000000000007", TRect(2, 3, 0, 7)},
      {"2147483647,16777216,16777217,2000000", TRect(kMaxSkinCoordinate, kMaxSkinCoordinate,
                                                     kMaxSkinCoordinate, 2000000)},
  };
  for (const Case& c : cases) {
    auto ini = IniOf(QByteArray("[S]\nr=") + c.value + "\n");
    EXPECT_EQ(ReadRectValue(ini, S, "r"), c.rect) << c.value;
  }
  auto ini = IniOf("[S]\np=-3,4\n");
  EXPECT_EQ(ReadPointValue(ini, S, "p"), TPoint(3, 4));
  EXPECT_EQ(ReadPointValue(ini, S, "absent"), TPoint(0, 0));
  EXPECT_EQ(ReadRectValue(ini, S, "absent"), TRect());
}

TEST(SkinValues, MalformedRectsAndPointsThrowConvertErrors) {
  for (const char* value : {"1,2,3", "1,2,,4", "a,b,c,d", "", "99999999999,1,2,3"}) {
    auto ini = IniOf(QByteArray("[S]\nr=") + value + "\np=" + value + "\n");
    EXPECT_THROW(ReadRectValue(ini, S, "r"), EConvertError) << value;
  }
  for (const char* value : {"ab", "7", ",3"}) {
    auto ini = IniOf(QByteArray("[S]\np=") + value + "\n");
    EXPECT_THROW(ReadPointValue(ini, S, "p"), EConvertError) << value;
  }
}

TEST(SkinValues, IntegersFlagsAndColors) {
  auto ini = IniOf(
      "[S]\nhex=0x10\ndollar=$10\nwords=abc\nneg=-7\n"
      "one=1\ntwo=2\ntrue=true\n"
      "sys=$FF00000F\nsysx=0xFF000005\nplain=255\nbad=zz\n");
  EXPECT_EQ(ini.ReadInteger(S, "hex", 14), 16);
  EXPECT_EQ(ini.ReadInteger(S, "dollar", 14), 16);
  EXPECT_EQ(ini.ReadInteger(S, "words", 14), 14);
  EXPECT_EQ(ini.ReadInteger(S, "neg", 0), -7);
  EXPECT_TRUE(ReadFlagValue(ini, S, "one"));
  EXPECT_FALSE(ReadFlagValue(ini, S, "two"));
  EXPECT_FALSE(ReadFlagValue(ini, S, "true"));
  EXPECT_FALSE(ReadFlagValue(ini, S, "absent"));
  EXPECT_EQ(ReadColorValue(ini, S, "sys", 0), clBtnFace);
  EXPECT_EQ(ReadColorValue(ini, S, "sysx", 0), clWindow);
  EXPECT_EQ(ReadColorValue(ini, S, "plain", 0), clRed);
  EXPECT_EQ(ReadColorValue(ini, S, "bad", clBlue), clBlue);
}

TEST(SkinValues, KeywordsMatchExactlyWithTheirFallbacks) {
  auto ini = IniOf(
      "[S]\nstyle=fsitalic,fsbold\ncaps=FSBOLD\nunder=x fsunderline fsstrikeout\n"
      "left=taleftjustify\ncenter=tacenter\nword=center\n"
      "horz=sthorz\nvert=stvert\nfull=stfull\nodd=stretch\n"
      "push=mkpush\nbadmorph=MKPUSH\n"
      "dark=iedarkness\nbadeffect=blur\n"
      "rollup=cmrollup\nRollUp=CMROLLUP\n");
  EXPECT_EQ(ReadFontStyleValue(ini, S, "style"), TFontStyles(fsBold | fsItalic));
  EXPECT_EQ(ReadFontStyleValue(ini, S, "caps"), 0u);
  EXPECT_EQ(ReadFontStyleValue(ini, S, "under"), TFontStyles(fsUnderline | fsStrikeOut));
  EXPECT_EQ(ReadAlignmentValue(ini, S, "left"), taLeftJustify);
  EXPECT_EQ(ReadAlignmentValue(ini, S, "center"), taCenter);
  EXPECT_EQ(ReadAlignmentValue(ini, S, "word"), taRightJustify);
  EXPECT_EQ(ReadAlignmentValue(ini, S, "absent"), taCenter);
  EXPECT_EQ(ReadStretchMode(ini, S, "horz"), stHorz);
  EXPECT_EQ(ReadStretchMode(ini, S, "vert"), stVert);
  EXPECT_EQ(ReadStretchMode(ini, S, "full"), stFull);
  EXPECT_EQ(ReadStretchMode(ini, S, "odd"), stHorz);
  EXPECT_EQ(ReadStretchMode(ini, S, "absent"), stFull);
  EXPECT_EQ(ReadMorphKind(ini, S, "push"), mkPush);
  EXPECT_EQ(ReadMorphKind(ini, S, "badmorph"), mkDefault);
  EXPECT_EQ(ReadInactiveEffect(ini, S, "dark"), ieDarkness);
  EXPECT_EQ(ReadInactiveEffect(ini, S, "badeffect"), ieGrayScale);
  EXPECT_EQ(ReadInactiveEffect(ini, S, "absent"), ieBrightness);
  EXPECT_EQ(ReadCommand(ini, S, "absent"), cmDefault);
  // Key names match regardless of case, keywords do not: the first key wins.
  EXPECT_EQ(ReadCommand(ini, S, "rollup"), cmRollUp);
  auto caps = IniOf("[S]\ncommand=CMROLLUP\n");
  EXPECT_EQ(ReadCommand(caps, S, "command"), cmUnknown);
}

TEST(SkinValues, WritersWriteWhatTheReadersRead) {
  TMemIniFile ini(QString{});
  WriteRectValue(ini, S, "r", TRect(1, 2, 3, 4));
  WritePointValue(ini, S, "p", TPoint(5, 6));
  WriteFlagValue(ini, S, "f", true);
  WriteFontStyleValue(ini, S, "fs", fsBold | fsUnderline);
  WriteAlignmentValue(ini, S, "a", taLeftJustify);
  WriteStretchMode(ini, S, "st", stVert);
  WriteMorphKind(ini, S, "mk", mkLeftSlide);
  WriteInactiveEffect(ini, S, "ie", ieNoise);
  WriteCommand(ini, S, "cm", cmSysMenu);
  WriteColorValue(ini, S, "sys", clHighlight);
  WriteColorValue(ini, S, "c", RGB(1, 2, 3));
  EXPECT_EQ(ini.ReadString(S, "r", ""), "1,2,3,4");
  EXPECT_EQ(ini.ReadString(S, "fs", ""), "fsbold,fsunderline");
  EXPECT_EQ(ini.ReadString(S, "sys", ""), "$FF00000D");
  EXPECT_EQ(ReadRectValue(ini, S, "r"), TRect(1, 2, 3, 4));
  EXPECT_EQ(ReadPointValue(ini, S, "p"), TPoint(5, 6));
  EXPECT_TRUE(ReadFlagValue(ini, S, "f"));
  EXPECT_EQ(ReadFontStyleValue(ini, S, "fs"), TFontStyles(fsBold | fsUnderline));
  EXPECT_EQ(ReadAlignmentValue(ini, S, "a"), taLeftJustify);
  EXPECT_EQ(ReadStretchMode(ini, S, "st"), stVert);
  EXPECT_EQ(ReadMorphKind(ini, S, "mk"), mkLeftSlide);
  EXPECT_EQ(ReadInactiveEffect(ini, S, "ie"), ieNoise);
  EXPECT_EQ(ReadCommand(ini, S, "cm"), cmSysMenu);
  EXPECT_EQ(ReadColorValue(ini, S, "sys", 0), clHighlight);
  EXPECT_EQ(ReadColorValue(ini, S, "c", 0), RGB(1, 2, 3));
}

TEST(SkinValues, NameListsAndEntries) {
  auto ini = IniOf("[L]\ncount=3\n0=a:panel\n2=c\n3=beyond\n[P]\nactivepicturescount=1\n0=x.bmp\n");
  QStringList list{"kept"};
  ReadNameList(ini, "L", "", list);
  EXPECT_EQ(list, QStringList({"kept", "a:panel", "", "c"}));
  QStringList pics;
  ReadNameList(ini, "P", "activepictures", pics);
  EXPECT_EQ(pics, QStringList({"x.bmp"}));
  // A count beyond the entries gives empty entries up to the count.
  auto six = IniOf("[P]\nactivepicturescount=6\n0=a.bmp\n2=c.bmp\n4=e.bmp\n");
  pics.clear();
  ReadNameList(six, "P", "activepictures", pics);
  EXPECT_EQ(pics, QStringList({"a.bmp", "", "c.bmp", "", "e.bmp", ""}));
  // A hostile count is bounded, whatever numbered key it is paired with.
  struct Hostile {
    const char* text;
    QStringList expected;
  };
  QStringList bounded(kMaxNameListEntries);
  bounded[0] = "x";
  bounded[1] = "y";
  const Hostile hostile[] = {
      {"[H]\ncount=2000000000\n0=x\n1=y\n7x=z\n1999999999=far\n", bounded},
      {"[H]\ncount=2147483647\n0=x\n1=y\n2147483646=far\n", bounded},
      {"[H]\ncount=-4\n0=x\n", {}},
      {"[H]\ncount=2\n0=x\n1=y\n2=beyond\n-1=before\n01=padded\n", {"x", "y"}},
  };
  for (const Hostile& h : hostile) {
    SCOPED_TRACE(h.text);
    QStringList entries;
    ReadNameList(IniOf(h.text), "H", "", entries);
    EXPECT_EQ(entries, h.expected);
  }

  QString name, kind;
  SplitListEntry("menu:item:x", name, kind);
  EXPECT_EQ(name, "menu");
  EXPECT_EQ(kind, "item:x");
  SplitListEntry("nocolon", name, kind);
  EXPECT_TRUE(name.isEmpty());
  EXPECT_TRUE(kind.isEmpty());
}

TEST(SkinValues, SkinFilesNeedAllFiveSections) {
  const QByteArray all = "[version]\n[PICTURES]\n[FormInfo]\n[SKINOBJECTS]\n[SKINCONTROLS]\n";
  EXPECT_TRUE(IsSkinFile(IniOf(all)));
  for (const char* missing : {"[version]\n", "[PICTURES]\n", "[FormInfo]\n", "[SKINOBJECTS]\n",
                              "[SKINCONTROLS]\n"}) {
    QByteArray text = all;
    text.replace(missing, "");
    EXPECT_FALSE(IsSkinFile(IniOf(text))) << missing;
  }
}
