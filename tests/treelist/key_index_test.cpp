// The key index of the data-aware tree list: keys match by the variant
// comparison's equality, the first node of a key wins, and a multi index
// hands out nodes sharing a key in the order they were added.

#include <gtest/gtest.h>

#include <QVariant>
#include <cmath>
#include <limits>

#include "treelist/tree_list_key_index.h"

namespace {
using Index = TtlKeyIndex<int>;
constexpr int kNone = 0;

TEST(KeyIndex, KeysMatchByValueAcrossNumbersAndTexts) {
  struct Case {
    const char* name;
    QVariant stored, asked;
    bool found;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"int by int", 2, 2, true},
      {"int by double", 2, 2.0, true},
      {"int by numeric text", 2, QStringLiteral("2"), true},
      {"numeric text by int", QStringLiteral("2"), 2, true},
      {"long long by int", QVariant(qint64(1) << 40), QVariant(qint64(1) << 40), true},
      {"real by real", 2.5, 2.5, true},
      {"real by text", 2.5, QStringLiteral("2.5"), true},
      {"text by text", QStringLiteral("abc"), QStringLiteral("abc"), true},
      {"texts differ in case", QStringLiteral("abc"), QStringLiteral("ABC"), false},
      {"texts compare as texts with each other", QStringLiteral("2.0"), QStringLiteral("2"), false},
      {"zero by negative zero", 0.0, -0.0, true},
      {"other number", 2, 3, false},
      {"real near a whole", 2.0000001, 2, false},
      {"NaN finds nothing", nan, nan, false},
      {"null by null", QVariant(), QVariant(), true},
      {"null is no number", QVariant(), 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Index index(false);
    index.Add(c.stored, 7);
    EXPECT_EQ(index.Find(c.asked), c.found ? 7 : kNone);
  }
}

TEST(KeyIndex, FirstNodeOfAKeyWinsAndMultiHandsThemOutInOrder) {
  Index single(false);
  single.Add(5, 1);
  single.Add(5.0, 2);
  single.Add(QStringLiteral("5"), 3);
  EXPECT_EQ(single.Find(5), 1);
  EXPECT_EQ(single.All(), std::vector<int>{1});

  Index multi(true);
  multi.Add(QStringLiteral("5"), 1);
  multi.Add(5, 2);
  multi.Add(5, 3);
  multi.Add(6, 4);
  // A number finds numbers before numeric texts.
  EXPECT_EQ(multi.Take(5), 2);
  EXPECT_EQ(multi.Take(5), 3);
  EXPECT_EQ(multi.Take(5), 1);
  EXPECT_EQ(multi.Take(5), kNone);
  EXPECT_FALSE(multi.Empty());
  EXPECT_EQ(multi.All(), std::vector<int>{4});
  EXPECT_EQ(multi.Take(6.0), 4);
  EXPECT_TRUE(multi.Empty());
}

TEST(KeyIndex, ManyKeysBeyondTheExpectedCountAreAllFound) {
  // Keys that share low bits, and more of them than announced.
  Index index(false, 16);
  const int n = 20000;
  for (int i = 1; i <= n; ++i) index.Add(qint64(i) << 20, i);
  for (int i = 1; i <= n; ++i) index.Add((qint64(i) << 20) + 0.5, n + i);
  for (int i = 1; i <= n; i += 97) {
    EXPECT_EQ(index.Find(qint64(i) << 20), i);
    EXPECT_EQ(index.Find((qint64(i) << 20) + 0.5), n + i);
  }
  EXPECT_EQ(index.Find(qint64(n + 1) << 20), kNone);
  EXPECT_EQ(index.All().size(), size_t(2 * n));
}
}  // namespace
