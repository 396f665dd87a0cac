// The key index held against a plain model of its contract: two keys are the
// same when the variant comparison says so, texts against texts compare as
// texts, a NaN equals nothing, and a lookup prefers keys of its own kind
// (texts for a text, numbers for a number), then the one added first.

#include <gtest/gtest.h>

#include <QDate>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "treelist/tree_list_key_index.h"

namespace {
using Index = TtlKeyIndex<int>;
constexpr int kNone = 0;

QString Describe(const QVariant& v) {
  if (!v.isValid()) return QStringLiteral("<null>");
  return QStringLiteral("%1(%2)").arg(QString::fromLatin1(v.typeName()), v.toString());
}

bool ReadsAsNaN(const QVariant& v) {
  bool ok = false;
  const double d = v.toDouble(&ok);
  return ok && std::isnan(d);
}

bool SameKey(const QVariant& a, const QVariant& b) {
  if (tl_key_index::KeyIsNull(a) || tl_key_index::KeyIsNull(b))
    return tl_key_index::KeyIsNull(a) && tl_key_index::KeyIsNull(b);
  if (tl_key_index::IsTextKey(a) && tl_key_index::IsTextKey(b)) return a.toString() == b.toString();
  if (ReadsAsNaN(a) || ReadsAsNaN(b)) return false;
  return VarCompare(a, b) == 0;
}

// The model: every key added, in order, with whether it is still there.
struct Model {
  bool multi;
  std::vector<QVariant> keys;
  std::vector<int> values;
  std::vector<bool> alive;
  int Lookup(const QVariant& asked) const {
    int other = -1;
    for (size_t i = 0; i < keys.size(); ++i) {
      if (!alive[i] || !SameKey(keys[i], asked)) continue;
      if (tl_key_index::IsTextKey(keys[i]) == tl_key_index::IsTextKey(asked)) return int(i);
      if (other < 0) other = int(i);
    }
    return other;
  }
  void Add(const QVariant& key, int value) {
    if (!multi && Lookup(key) >= 0) return;
    keys.push_back(key);
    values.push_back(value);
    alive.push_back(true);
  }
  int Find(const QVariant& key) const {
    const int i = Lookup(key);
    return i < 0 ? kNone : values[size_t(i)];
  }
  int Take(const QVariant& key) {
    const int i = Lookup(key);
    if (i < 0) return kNone;
    alive[size_t(i)] = false;
    return values[size_t(i)];
  }
};

// Keys whose equalities the variant comparison keeps transitive: every
// number here is exact as a double.
std::vector<QVariant> Pool() {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const qint64 big = 9210000000000000000LL;  // exact as a double, above 9.2e18
  const qint64 min = std::numeric_limits<qint64>::min();
  const qulonglong twoTo63 = qulonglong(1) << 63;
  return {
      QVariant(),
      0, -0.0, 0.0, QStringLiteral("0"), QStringLiteral("-0"),
      1, true, QVariant::fromValue(1UL),
      2, 2.0, -2, QStringLiteral("2"), QStringLiteral("2.0"), QStringLiteral(" 2"),
      QStringLiteral("0x2"), QChar('2'), 50, QVariant::fromValue(2UL), QVariant::fromValue(short(2)),
      2.5, QVariant::fromValue(2.5f), QStringLiteral("2.5"), QVariant::fromValue(0.1f), 0.1,
      1000, QStringLiteral("1e3"), 1000.0,
      qint64(1) << 53, double(qint64(1) << 53), QStringLiteral("9007199254740992"),
      big, double(big), QStringLiteral("9.21e18"),
      min, double(min), QStringLiteral("-9223372036854775808"),
      QVariant::fromValue(twoTo63), double(twoTo63),
      inf, -inf, QStringLiteral("inf"), nan, QStringLiteral("nan"),
      QStringLiteral(""), QStringLiteral("abc"), QStringLiteral("ABC"),
      QDate(2020, 1, 2), QDate(2020, 1, 3),
  };
}

TEST(KeyIndexAgainstModel, EveryStoredKeyIsFoundByExactlyTheKeysEqualToIt) {
  const std::vector<QVariant> pool = Pool();
  for (const QVariant& stored : pool)
    for (const QVariant& asked : pool) {
      Index index(false);
      index.Add(stored, 7);
      EXPECT_EQ(index.Find(asked), SameKey(stored, asked) ? 7 : kNone)
          << "stored " << qPrintable(Describe(stored)) << ", asked " << qPrintable(Describe(asked));
    }
}

TEST(KeyIndexAgainstModel, WholePoolsAddedInAnyOrderFindAndHandOutAsTheModel) {
  std::mt19937 random(20240611);
  for (const bool multi : {false, true}) {
    for (int round = 0; round < 20; ++round) {
      std::vector<QVariant> keys = Pool();
      // Duplicates of some keys, and everything in a shuffled order.
      for (int i = 0; i < 10; ++i) keys.push_back(keys[random() % keys.size()]);
      std::shuffle(keys.begin(), keys.end(), random);
      Index index(multi, round % 2 ? keys.size() : 0);
      Model model{multi, {}, {}, {}};
      for (size_t i = 0; i < keys.size(); ++i) {
        index.Add(keys[i], int(i) + 1);
        model.Add(keys[i], int(i) + 1);
      }
      const std::vector<QVariant> asked = Pool();
      for (const QVariant& k : asked)
        ASSERT_EQ(index.Find(k), model.Find(k)) << (multi ? "multi " : "single ") << round << ' '
                                                << qPrintable(Describe(k));
      // Handing out, in an order of its own, until the model has nothing.
      std::vector<QVariant> order = asked;
      std::shuffle(order.begin(), order.end(), random);
      for (const QVariant& k : order)
        for (;;) {
          const int expected = model.Take(k);
          ASSERT_EQ(index.Take(k), expected) << round << ' ' << qPrintable(Describe(k));
          if (expected == kNone) break;
        }
      EXPECT_EQ(index.Empty(), std::find(model.alive.begin(), model.alive.end(), true) == model.alive.end());
    }
  }
}

TEST(KeyIndexAtScale, TablesGrowAcrossTheirLoadEdgeWithoutLosingKeys) {
  // Counts on both sides of each doubling of the table.
  for (const int n : {1, 7, 8, 9, 15, 16, 17, 31, 32, 33, 1023, 1024, 1025}) {
    for (const size_t announced : {size_t(0), size_t(n)}) {
      Index index(false, announced);
      for (int i = 0; i < n; ++i) {
        index.Add(qint64(i) * 65536, i + 1);
        index.Add(i + 0.25, n + i + 1);
      }
      for (int i = 0; i < n; ++i) {
        ASSERT_EQ(index.Find(qint64(i) * 65536), i + 1) << n;
        ASSERT_EQ(index.Find(QString::number(i + 0.25)), n + i + 1) << n;
      }
      EXPECT_EQ(index.Find(qint64(n) * 65536), kNone);
      EXPECT_EQ(index.All().size(), size_t(2 * n));
    }
  }
}

TEST(KeyIndexAtScale, ManySiblingsUnderOneParentAreHandedOutInOrder) {
  // A parent with a hundred thousand children among a few other parents,
  // each handed out one by one, as loading a level does.
  const int siblings = 100000;
  Index index(true);
  for (int i = 1; i <= siblings; ++i) {
    index.Add(7, i);
    if (i % 1000 == 0) index.Add(i, -i);
  }
  for (int i = 1; i <= siblings; ++i) {
    ASSERT_EQ(index.Find(7), i);
    ASSERT_EQ(index.Take(7), i);
  }
  EXPECT_EQ(index.Take(7), kNone);
  EXPECT_EQ(index.Take(5000), -5000);
  EXPECT_EQ(index.All().size(), size_t(siblings / 1000 - 1));

  // The same with a text parent.
  Index texts(true);
  for (int i = 1; i <= siblings; ++i) texts.Add(QStringLiteral("p"), i);
  for (int i = 1; i <= siblings; ++i) ASSERT_EQ(texts.Take(QStringLiteral("p")), i);
  EXPECT_TRUE(texts.Empty());
}

TEST(KeyIndexAtScale, NaNKeysAreKeptButNeverMatch) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Index index(false);
  for (int i = 1; i <= 100000; ++i) index.Add(nan, i);
  index.Add(1.5, -1);
  EXPECT_EQ(index.All().size(), size_t(100001));
  EXPECT_EQ(index.Find(nan), kNone);
  EXPECT_EQ(index.Find(1.5), -1);
}

TEST(KeyIndexAtScale, AMillionKeysAreAllFound) {
  const int n = 1000000;
  Index index(false, n);
  for (int i = 0; i < n; ++i) index.Add(qint64(i) << 32, i + 1);
  for (int i = 0; i < n; i += 997) ASSERT_EQ(index.Find(double(qint64(i) << 32)), i + 1);
  EXPECT_EQ(index.Find(qint64(n) << 32), kNone);
}
}  // namespace
