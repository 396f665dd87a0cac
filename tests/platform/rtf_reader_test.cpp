// The rich-text reader: small documents and what they must give (text, and
// the formats at chosen positions); input that is not a sound document; and
// every rich text of the banks the build writes.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>

#include "platform/rtf_reader.h"
#include "tests/support/test_support.h"

namespace {

using Check = std::function<void(const TRtfDocument&)>;

struct ReadCase {
  const char* name;
  QByteArray rtf;
  QString text;
  std::vector<Check> checks;
};

// Checks of the character format at a position of the text.
Check CharAt(int pos, std::function<void(const TRtfCharFormat&)> f) {
  return [pos, f](const TRtfDocument& d) {
    const TRtfCharFormat* c = d.CharFormatAt(pos);
    ASSERT_NE(c, nullptr) << "no character at " << pos;
    SCOPED_TRACE(testing::Message() << "character " << pos);
    f(*c);
  };
}
Check ParaAt(int pos, std::function<void(const TRtfParaFormat&)> f) {
  return [pos, f](const TRtfDocument& d) {
    const TRtfParaFormat* p = d.ParaFormatAt(pos);
    ASSERT_NE(p, nullptr) << "no paragraph at " << pos;
    SCOPED_TRACE(testing::Message() << "paragraph at " << pos);
    f(*p);
  };
}
Check Paragraphs(size_t n) {
  return [n](const TRtfDocument& d) { EXPECT_EQ(d.Paragraphs.size(), n); };
}

QString U(const char16_t* s) { return QString::fromUtf16(s); }

const QRgb kRed = qRgb(255, 0, 0), kBlue = qRgb(0, 0, 255);

std::vector<ReadCase> ReadCases() {
  return {
      {"GbkEscapePairs", "{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}", U(u"中文"), {}},
      {"CodePage936WhenNoneIsGiven", "{\\rtf1 \\'d6\\'d0 x}", U(u"中 x"), {}},
      {"RawGbkBytesInText", "{\\rtf1 \xd6\xd0}", U(u"中"), {}},
      {"LeadByteWithoutTrailGivesReplacement", "{\\rtf1 a\\'d6}", U(u"a\uFFFD"), {}},
      {"OtherCodePage", "{\\rtf1\\ansi\\ansicpg1252 caf\\'e9}", U(u"café"), {}},
      {"FontCharsetDecidesTheCodePage",
       "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
       "{\\f1\\fnil\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\\f0 a\\f1\\'d6\\'d0}",
       U(u"a中"),
       {CharAt(0, [](auto& c) { EXPECT_EQ(c.FontName, "Arial"); EXPECT_EQ(c.FontCharset, 0); }),
        CharAt(1, [](auto& c) { EXPECT_EQ(c.FontName, U(u"宋体")); EXPECT_EQ(c.FontCharset, 134); })}},
      {"FontTableWithoutGroupsAndDefaultFont",
       "{\\rtf1\\deff1{\\fonttbl\\f0 Times;\\f1 Courier New;}x\\f0 y\\plain z}",
       "xyz",
       {CharAt(0, [](auto& c) { EXPECT_EQ(c.FontName, "Courier New"); }),
        CharAt(1, [](auto& c) { EXPECT_EQ(c.FontName, "Times"); }),
        CharAt(2, [](auto& c) { EXPECT_EQ(c.FontName, "Courier New"); })}},
      {"UnicodeWithUc1SkipsOneFallback", "{\\rtf1\\uc1\\u20013?\\u25991?}", U(u"中文"), {}},
      {"UnicodeWithUc0SkipsNothing", "{\\rtf1\\uc0\\u20013 x}", U(u"中x"), {}},
      {"FallbackOfTwoEscapes", "{\\rtf1\\uc2\\u20013\\'d6\\'d0!}", U(u"中!"), {}},
      {"NegativeUnicodeAndSurrogatePair", "{\\rtf1\\u-10179?\\u-8704?}", U(u"\U0001F600"), {}},
      {"UnicodeBeyondSixteenBits",
       "{\\rtf1\\uc0\\u128512 a\\u65535 b\\u-32768 c\\u65536 d\\u1114111 e\\u1114112 f"
       "\\u-32769 g\\u2147483647 h\\u-2147483648 i}",
       U(u"\U0001F600a\uFFFFb\u8000c\U00010000d\U0010FFFFe\uFFFDf\uFFFDg\uFFFDh\uFFFDi"), {}},
      {"UcBelongsToItsGroup", "{\\rtf1{\\uc2\\u20013 ab}\\u25991 xy}", U(u"中文y"), {}},
      {"FallbackEndsAtAGroup", "{\\rtf1\\uc3\\u20013 a{b}c}", U(u"中bc"), {}},
      {"NestedGroupsRestoreFormatting", "{\\rtf1 a{\\b b{\\i c}d}e}", "abcde",
       {CharAt(0, [](auto& c) { EXPECT_FALSE(c.Bold); }),
        CharAt(1, [](auto& c) { EXPECT_TRUE(c.Bold); EXPECT_FALSE(c.Italic); }),
        CharAt(2, [](auto& c) { EXPECT_TRUE(c.Bold); EXPECT_TRUE(c.Italic); }),
        CharAt(3, [](auto& c) { EXPECT_TRUE(c.Bold); EXPECT_FALSE(c.Italic); }),
        CharAt(4, [](auto& c) { EXPECT_FALSE(c.Bold); })}},
      {"ToggleWordsWithZeroTurnOff", "{\\rtf1\\b\\i\\ul\\strike a\\b0\\i0\\ul0\\strike0 b\\ul c\\ulnone d}", "abcd",
       {CharAt(0, [](auto& c) { EXPECT_TRUE(c.Bold && c.Italic && c.Underline && c.Strike); }),
        CharAt(1, [](auto& c) { EXPECT_FALSE(c.Bold || c.Italic || c.Underline || c.Strike); }),
        CharAt(2, [](auto& c) { EXPECT_TRUE(c.Underline); }),
        CharAt(3, [](auto& c) { EXPECT_FALSE(c.Underline); })}},
      {"FontSizeAndPlain", "{\\rtf1\\fs36\\b x\\plain y}", "xy",
       {CharAt(0, [](auto& c) { EXPECT_EQ(c.SizeHalfPoints, 36); EXPECT_TRUE(c.Bold); }),
        CharAt(1, [](auto& c) { EXPECT_EQ(c.SizeHalfPoints, 24); EXPECT_FALSE(c.Bold); })}},
      {"IgnorableAndSkippedDestinations",
       "{\\rtf1{\\*\\generator Writer;}{\\stylesheet{\\s0 Normal;}}{\\info{\\title T}}a"
       "{\\*\\unknownword hidden {nested} text}b{\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt c}}}",
       "abc", {}},
      {"BinaryDataInASkippedGroup", "{\\rtf1 a{\\*\\blob\\bin3 }{}}b}", "ab", {}},
      {"ColourTableIndices",
       "{\\rtf1{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
       "a\\cf1 b\\cf2 c\\cf0 d\\cf9 e\\highlight1 f\\highlight0 g}",
       "abcdefg",
       {CharAt(0, [](auto& c) { EXPECT_FALSE(c.Color); }),
        CharAt(1, [](auto& c) { EXPECT_EQ(c.Color, kRed); }),
        CharAt(2, [](auto& c) { EXPECT_EQ(c.Color, kBlue); }),
        CharAt(3, [](auto& c) { EXPECT_FALSE(c.Color); }),
        CharAt(4, [](auto& c) { EXPECT_FALSE(c.Color); }),
        CharAt(5, [](auto& c) { EXPECT_EQ(c.Highlight, kRed); }),
        CharAt(6, [](auto& c) { EXPECT_FALSE(c.Highlight); })}},
      {"ParVersusLine", "{\\rtf1 a\\line b\\par c\\\r\nd}", U(u"a\u2028b\nc\nd"), {Paragraphs(3)}},
      {"LineEndsInTheSourceAreNotText", "{\\rtf1 a\r\nb\nc}", "abc", {Paragraphs(1)}},
      {"EscapedBracesAndBackslash", "{\\rtf1 \\{x\\}\\\\y}", "{x}\\y", {}},
      {"SpecialSymbols", "{\\rtf1 a\\tab b\\~c\\-d\\_e\\emdash\\bullet}", U(u"a\tb\u00A0c\u00ADd\u2011e—•"), {}},
      {"ParagraphFormats",
       "{\\rtf1\\pard\\qc\\li720\\ri360\\fi-240\\sb120\\sa60 one\\par\\qr two\\par\\pard\\qj three}",
       "one\ntwo\nthree",
       {ParaAt(0, [](auto& p) {
          EXPECT_EQ(p.Alignment, raCenter);
          EXPECT_EQ(p.LeftIndent, 720);
          EXPECT_EQ(p.RightIndent, 360);
          EXPECT_EQ(p.FirstIndent, -240);
          EXPECT_EQ(p.SpaceBefore, 120);
          EXPECT_EQ(p.SpaceAfter, 60);
        }),
        ParaAt(4, [](auto& p) { EXPECT_EQ(p.Alignment, raRight); EXPECT_EQ(p.LeftIndent, 720); }),
        ParaAt(8, [](auto& p) { EXPECT_EQ(p.Alignment, raJustify); EXPECT_EQ(p.LeftIndent, 0); })}},
      {"HugeIndentsAndSpacingAreHeldToAPage",
       "{\\rtf1\\li2147483647\\ri-2147483648\\fi-99999999\\sb2000000\\sa-5 a}", "a",
       {ParaAt(0, [](auto& p) {
          EXPECT_EQ(p.LeftIndent, 31680);
          EXPECT_EQ(p.RightIndent, -31680);
          EXPECT_EQ(p.FirstIndent, -31680);
          EXPECT_EQ(p.SpaceBefore, 31680);
          EXPECT_EQ(p.SpaceAfter, 0);
        })}},
      {"ParagraphFormatIsThatAtItsEnd", "{\\rtf1{\\qc a\\par}b}", "a\nb",
       {ParaAt(0, [](auto& p) { EXPECT_EQ(p.Alignment, raCenter); }),
        ParaAt(2, [](auto& p) { EXPECT_EQ(p.Alignment, raLeft); })}},
      {"UnknownWordsAreIgnored", "{\\rtf1\\foo123 a\\bar-5 b\\abcdefghijklmnopqrstuvwxyzabcdefghij c}", "abc", {}},
      {"WhatFollowsTheDocumentIsIgnored", "{\\rtf1 a}}}trailing{", "a", {}},
      {"EmptyDocument", "{\\rtf1}", "", {Paragraphs(1)}},
  };
}

class RtfRead : public testing::TestWithParam<ReadCase> {};

TEST_P(RtfRead, GivesTheTextAndFormats) {
  const ReadCase& c = GetParam();
  const std::optional<TRtfDocument> doc = ReadRtf(c.rtf);
  ASSERT_TRUE(doc) << "not read as rich text";
  EXPECT_EQ(doc->Text(), c.text);
  for (const Check& check : c.checks) check(*doc);
}

INSTANTIATE_TEST_SUITE_P(Documents, RtfRead, testing::ValuesIn(ReadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RtfRead, InputThatIsNotASoundDocumentIsNotRichText) {
  const struct {
    const char* what;
    QByteArray bytes;
  } cases[] = {
      {"empty", ""},
      {"plain text", "Just a sentence."},
      {"UTF-8 text", "中文 plain"},
      {"blank before the header", " {\\rtf1 a}"},
      {"other header", "{\\rt a}"},
      {"cut off", "{\\rtf1\\ansi abc"},
      {"a group left open", "{\\rtf1 {\\b abc}"},
      {"cut off in a skipped group", "{\\rtf1 {\\*\\x abc"},
      {"ends in a backslash", "{\\rtf1 abc\\"},
      {"binary data runs past the end", "{\\rtf1 a\\bin99 }"},
      {"nesting beyond the cap", "{\\rtf1" + QByteArray(kRtfMaxGroupDepth, '{') + "a" +
                                       QByteArray(kRtfMaxGroupDepth + 1, '}')},
      {"nesting beyond the cap in a skipped group",
       "{\\rtf1{\\*\\x" + QByteArray(kRtfMaxGroupDepth, '{') + QByteArray(kRtfMaxGroupDepth + 2, '}')},
  };
  for (const auto& c : cases) EXPECT_FALSE(ReadRtf(c.bytes)) << c.what;
  // Just below the cap is still a document.
  const int inner = kRtfMaxGroupDepth - 1;
  const auto deep = ReadRtf("{\\rtf1" + QByteArray(inner, '{') + "a" + QByteArray(inner + 1, '}'));
  ASSERT_TRUE(deep);
  EXPECT_EQ(deep->Text(), "a");
}

TEST(RtfRead, TheTextDocumentCarriesTheFormats) {
  const auto doc = ReadRtf(
      "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}"
      "\\pard\\qc\\li300 \\fs28\\b bold\\b0  \\cf1 red\\par\\pard plain\\line next}");
  ASSERT_TRUE(doc);
  QTextDocument text;
  BuildTextDocument(*doc, &text);
  EXPECT_EQ(text.toRawText(), U(u"bold red\u2029plain\u2028next"));
  EXPECT_EQ(text.blockCount(), 2);
  EXPECT_FALSE(text.isUndoAvailable());
  const QTextBlock first = text.firstBlock();
  EXPECT_EQ(first.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_DOUBLE_EQ(first.blockFormat().leftMargin(), 20.0);  // 300 twips at 96 dpi
  QTextCursor c(&text);
  c.setPosition(1);
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Bold);
  EXPECT_DOUBLE_EQ(c.charFormat().fontPointSize(), 14.0);
  c.setPosition(7);
  EXPECT_EQ(c.charFormat().foreground().color(), QColor(255, 0, 0));
  EXPECT_EQ(c.charFormat().fontWeight(), QFont::Normal);
  EXPECT_EQ(text.lastBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
}

// Every text of the banks the build writes that is rich text reads as such,
// with no code left in the text and every escape decoded.
TEST(RtfRead, EveryRichTextOfTheBuiltBanksReads) {
  int rich = 0;
  for (const char* file : {"ength.dll", "sample.zk"}) {
    const QByteArray path = QByteArray(TOLMSYS_BIN_DIR "/") + file;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK) << file;
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, "select subject_id, subjext_text, subject_reso from t_subject", -1, &st,
                                 nullptr),
              SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW) {
      for (int col : {1, 2}) {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(st, col));
        const QByteArray bytes(p, sqlite3_column_bytes(st, col));
        if (!bytes.startsWith("{\\rtf")) continue;
        ++rich;
        SCOPED_TRACE(testing::Message() << file << " subject " << sqlite3_column_int(st, 0));
        const auto doc = ReadRtf(bytes);
        ASSERT_TRUE(doc);
        const QString text = doc->Text();
        EXPECT_FALSE(text.trimmed().isEmpty());
        EXPECT_FALSE(text.contains(QChar(0xFFFD)));
        EXPECT_FALSE(text.contains(QStringLiteral("\\'"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("\\par"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("fonttbl")));
        // Escapes in the body (the font table has some of its own).
        const bool escapes = bytes.mid(bytes.indexOf("\\viewkind4")).contains("\\'");
        const bool cjk = std::any_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() >= 0x4E00 && ch.unicode() <= 0x9FFF; });
        EXPECT_EQ(cjk, escapes);
      }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
  }
  EXPECT_GT(rich, 10);
}

}  // namespace
