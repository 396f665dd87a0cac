// The edit mask of the masked editors: parsing, edit text and value, the
// required-position check and typing, as text in and text out.

#include <gtest/gtest.h>

#include "treelist/tree_list_edit_mask.h"

namespace {

struct FormatCase {
  const char* mask;
  const char* value;
  const char* editText;    // the value shown through the mask
  const char* backValue;   // the value the edit text stands for
};

class MaskFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(MaskFormat, ShowsTheValueAndReadsItBack) {
  const FormatCase& c = GetParam();
  const TtlEditMask mask(QString::fromUtf8(c.mask));
  const QString edit = mask.Format(QString::fromUtf8(c.value));
  EXPECT_EQ(edit, QString::fromUtf8(c.editText));
  EXPECT_EQ(mask.Value(edit), QString::fromUtf8(c.backValue));
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskFormat,
    ::testing::Values(
        // Literals not saved: the value holds the editable characters only.
        FormatCase{"000-00;0;_", "12345", "123-45", "12345"},
        FormatCase{"000-00;0;_", "12", "12_-__", "12"},
        FormatCase{"000-00;0;_", "", "___-__", ""},
        // Literals saved: they stand in the value, unfilled positions as spaces.
        FormatCase{"000-00;1;_", "123-45", "123-45", "123-45"},
        FormatCase{"(999) 000;1;_", "(12 ) 345", "(12_) 345", "(12 ) 345"},
        // Another blank character, and a mask without the optional fields.
        FormatCase{"00:00;0;*", "9", "9*:**", "9"},
        FormatCase{"LL", "ab", "ab", "ab"},
        // An inner unfilled position is a space in the value; only the end is trimmed.
        FormatCase{"0000;0;_", "1 3", "1_3_", "1 3"},
        // "!" trims blanks from the front instead, the value standing right.
        FormatCase{"!9999;0;_", "42", "__42", "42"},
        // Case directives convert letters; "<>" ends them.
        FormatCase{">LL<LL<>LL;0;_", "abCDeF", "ABcdeF", "ABcdeF"},
        // An escaped character is a literal, even a mask character or ";".
        FormatCase{"\\0\\;00;0;_", "12", "0;12", "12"},
        // A character the position refuses shows as the blank.
        FormatCase{"000;0;_", "1x3", "1_3", "1 3"}));

struct CheckCase {
  const char* mask;
  const char* editText;
  bool ignoreBlank;
  int firstInvalid;  // -1: passes
};

class MaskCheck : public ::testing::TestWithParam<CheckCase> {};

TEST_P(MaskCheck, FindsTheFirstUnfilledRequiredPosition) {
  const CheckCase& c = GetParam();
  const TtlEditMask mask(QString::fromUtf8(c.mask));
  EXPECT_EQ(mask.FirstInvalid(QString::fromUtf8(c.editText), c.ignoreBlank), c.firstInvalid);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskCheck,
    ::testing::Values(CheckCase{"000-00;0;_", "123-45", false, -1},
                      CheckCase{"000-00;0;_", "123-4_", false, 5},
                      CheckCase{"000-00;0;_", "1_3-45", false, 1},
                      // Optional positions may stay empty.
                      CheckCase{"099;0;_", "1__", false, -1},
                      // IgnoreMaskBlank lets the blank stand, never a space.
                      CheckCase{"000;0;_", "1__", true, -1},
                      CheckCase{"000;0;_", "1 3", true, 1},
                      // A space fills a "C" position only.
                      CheckCase{"CC;0;_", "a ", false, -1},
                      CheckCase{"LL;0;_", "a ", false, 1}));

TEST(MaskTyping, GoesOverLiteralsAndRefusesWhatAPositionDoesNotTake) {
  const TtlEditMask mask(QStringLiteral("(000) 00;0;_"));
  QString text = mask.Format(QString());
  ASSERT_EQ(text, QStringLiteral("(___) __"));
  int caret = 0;
  // The caret starts on the first editable position, past "(".
  EXPECT_TRUE(mask.Type(text, caret, QLatin1Char('1')));
  EXPECT_EQ(text, QStringLiteral("(1__) __"));
  EXPECT_EQ(caret, 2);
  // A letter at a digit position is refused; nothing changes.
  EXPECT_FALSE(mask.Type(text, caret, QLatin1Char('x')));
  EXPECT_EQ(text, QStringLiteral("(1__) __"));
  EXPECT_EQ(caret, 2);
  // A refused character equal to a literal further on moves the caret past it.
  EXPECT_TRUE(mask.Type(text, caret, QLatin1Char(')')));
  EXPECT_EQ(caret, 6);
  EXPECT_TRUE(mask.Type(text, caret, QLatin1Char('7')));
  EXPECT_EQ(text, QStringLiteral("(1__) 7_"));
  // Backspace blanks the editable position before the caret, over literals.
  caret = 6;
  EXPECT_TRUE(mask.Backspace(text, caret));
  EXPECT_EQ(text, QStringLiteral("(1__) 7_"));
  EXPECT_EQ(caret, 3);
  // Pasting goes through the mask and stops at the first refused character.
  caret = 0;
  EXPECT_EQ(mask.Paste(text, caret, QStringLiteral("987a5")), 3);
  EXPECT_EQ(text, QStringLiteral("(987) 7_"));
  // Blanking a range keeps the literals in place.
  mask.Blank(text, 0, 8);
  EXPECT_EQ(text, QStringLiteral("(___) __"));
  EXPECT_TRUE(mask.NothingEntered(text));
  // At the end nothing more is taken.
  caret = mask.Length();
  EXPECT_FALSE(mask.Type(text, caret, QLatin1Char('1')));
}

TEST(MaskTyping, PositionsTakeTheirCharacterClasses) {
  // 0 digit, # digit/space/sign, L letter, A letter or digit, C anything.
  const TtlEditMask mask(QStringLiteral("0#LAC"));
  struct {
    int pos;
    char c;
    bool taken;
  } const cases[] = {{0, '5', true},  {0, 'a', false}, {0, ' ', false}, {1, '+', true},
                     {1, ' ', true},  {1, 'x', false}, {2, 'q', true},  {2, '1', false},
                     {3, '1', true},  {3, 'z', true},  {3, '-', false}, {4, '-', true},
                     {4, ' ', true}};
  for (const auto& c : cases)
    EXPECT_EQ(!mask.Accept(c.pos, QLatin1Char(c.c)).isNull(), c.taken)
        << "position " << c.pos << " character '" << c.c << "'";
  // Date and time separators come from the caller.
  const TtlEditMask date(QStringLiteral("00/00 00:00"), QLatin1Char('.'), QLatin1Char('-'));
  EXPECT_EQ(date.Format(QString()), QStringLiteral("__.__ __-__"));
  // An empty mask has no positions.
  EXPECT_TRUE(TtlEditMask(QString()).IsEmpty());
  EXPECT_TRUE(TtlEditMask(QStringLiteral(";0;_")).IsEmpty());
}

}  // namespace
