// The practice rules that need no window.

#include <gtest/gtest.h>

#include "app/practice.h"
#include "app/store.h"

TEST(Practice, ASavedChoiceSelectsItsItemClampedAsTheRadioGroupClamps) {
  struct Case {
    const char* saved;
    int index;
  };
  const Case cases[] = {
      {"", -1},    {"A", 0},   {"B", 1},   {"C", 2},  {"D", 3},  {"Dx", 3},
      {"E", 3},    {"a", 3},   {"选", 3},  {"1", -1}, {" A", -1}, {"@", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(practice::ChoiceIndexFor(QString::fromUtf8(c.saved), 4), c.index) << c.saved;
}

TEST(Practice, TheAnswerComesFromTheShownRowsAnswerForm) {
  EXPECT_EQ(practice::AnswerFor(practice::kChoice, QStringLiteral("C"), QStringLiteral("typed")),
            QStringLiteral("C"));
  EXPECT_EQ(practice::AnswerFor(practice::kChoice, QString(), QStringLiteral("typed")), QString());
  EXPECT_EQ(practice::AnswerFor(practice::kFreeText, QStringLiteral("C"), QStringLiteral("a\nb'c")),
            QStringLiteral("a\nb'c"));
  EXPECT_EQ(practice::AnswerFor(QString(), QStringLiteral("C"), QStringLiteral("typed")), QString());
}

TEST(Practice, TheMarkComparesWholeCaseSensitiveText) {
  EXPECT_EQ(store::MarkFor(QStringLiteral("A"), QStringLiteral("A")), QStringLiteral("√"));
  EXPECT_EQ(store::MarkFor(QStringLiteral("a"), QStringLiteral("A")), QStringLiteral("×"));
  EXPECT_EQ(store::MarkFor(QStringLiteral("A "), QStringLiteral("A")), QStringLiteral("×"));
  EXPECT_EQ(store::MarkFor(QString(), QString()), QStringLiteral("√"));
  EXPECT_EQ(store::MarkFor(QString(), QStringLiteral("B")), QStringLiteral("×"));
}

TEST(Practice, AnEmptySumScoresZero) {
  EXPECT_EQ(practice::ScoreText(QString()), QStringLiteral("0"));
  EXPECT_EQ(practice::ScoreText(QStringLiteral("12")), QStringLiteral("12"));
}
