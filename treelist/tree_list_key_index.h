#pragma once
// Values by key, found with the equality of the variant comparison: a whole
// number key finds a value stored under 2.0 or "2". Texts match texts
// exactly and numbers by value. Used to find nodes by key and records by
// parent value while loading.

#include <QString>
#include <QVariant>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "treelist/tree_list_node.h"

namespace tl_key_index {

inline bool KeyIsNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

inline bool IsTextKey(const QVariant& v) {
  return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QChar;
}

// The number a key stands for under the variant comparison: numbers, and
// texts that read as numbers (they equal those numbers). Whole values land
// in `whole`, others in `real`.
inline bool NumberOf(const QVariant& v, bool& isWhole, qint64& whole, double& real) {
  double d = 0;
  switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::Short:
    case QMetaType::UShort: case QMetaType::Long: case QMetaType::Bool: case QMetaType::Char:
    case QMetaType::SChar: case QMetaType::UChar:
      isWhole = true;
      whole = v.toLongLong();
      return true;
    case QMetaType::ULongLong: case QMetaType::ULong:
      if (v.toULongLong() > static_cast<qulonglong>(std::numeric_limits<qint64>::max())) {
        isWhole = false;
        real = v.toDouble();
        return true;
      }
      isWhole = true;
      whole = v.toLongLong();
      return true;
    case QMetaType::Double: case QMetaType::Float:
      d = v.toDouble();
      break;
    case QMetaType::QString: case QMetaType::QChar: {
      bool ok = false;
      d = v.toDouble(&ok);  // as the variant comparison reads it
      if (!ok) return false;
      break;
    }
    default:
      return false;
  }
  // Every whole double in [-2^63, 2^63) is a qint64 exactly; whole numbers
  // stored as integers must meet the same doubles here.
  constexpr double kTwoTo63 = 9223372036854775808.0;
  if (std::isfinite(d) && d == std::trunc(d) && d >= -kTwoTo63 && d < kTwoTo63) {
    isWhole = true;
    whole = static_cast<qint64>(d);
  } else {
    isWhole = false;
    real = d;
  }
  return true;
}

// The two keys are one key to the index: found under the same entry. Texts
// are one when they are the same text and numbers when they are the same
// whole or real number; a text and a number never are, whatever the
// variant comparison says (which of them a number or text finds depends on
// the order they were added). Keys of other types are never taken as one.
inline bool SameKey(const QVariant& a, const QVariant& b) {
  if (KeyIsNull(a) || KeyIsNull(b)) return KeyIsNull(a) && KeyIsNull(b);
  const bool textA = IsTextKey(a), textB = IsTextKey(b);
  if (textA || textB) return textA && textB && a.toString() == b.toString();
  bool wholeA = false, wholeB = false;
  qint64 intA = 0, intB = 0;
  double realA = 0, realB = 0;
  if (!NumberOf(a, wholeA, intA, realA) || !NumberOf(b, wholeB, intB, realB)) return false;
  return wholeA == wholeB && (wholeA ? intA == intB : realA == realB);
}

// Entry ids in the order they were added, one chain per key. Entries only
// ever go (never come back), so a chain's head moves past the gone ones for
// good: handing out the siblings of one parent one by one stays linear.
struct TIdChain {
  long head = -1;  // the first id that may still be there
  long tail = -1;  // the last id added; -1 for a chain never used
};
class TIdChains {
 public:
  void reserve(size_t n) { m_links.reserve(n); }
  void Append(TIdChain& chain, long id) {
    const long link = static_cast<long>(m_links.size());
    m_links.push_back({id, -1});
    if (chain.tail >= 0) m_links[static_cast<size_t>(chain.tail)].next = link;
    chain.tail = link;
    if (chain.head < 0) chain.head = link;
  }
  // The first id of `chain` for which `alive` holds; ids before it are
  // dropped from the chain.
  template <class Alive>
  long FirstAlive(TIdChain& chain, Alive alive) const {
    while (chain.head >= 0 && !alive(m_links[static_cast<size_t>(chain.head)].id))
      chain.head = m_links[static_cast<size_t>(chain.head)].next;
    return chain.head >= 0 ? m_links[static_cast<size_t>(chain.head)].id : -1;
  }

 private:
  struct Link {
    long id;
    long next;
  };
  std::vector<Link> m_links;
};

// Entry ids by number in one flat table (open addressing, linear probing):
// one slot per distinct number, no allocation per key, which counts when a
// whole record set is indexed on every reload. NaN is never stored: it
// equals nothing.
template <class K>
class TFlatIds {
 public:
  void reserve(size_t n) {
    m_chains.reserve(n);
    if (n * 2 > m_slots.size()) Rehash(Capacity(n));
  }
  void emplace(K key, long id) {
    if (IsNaN(key)) return;
    size_t i = SlotOf(key);
    if (m_slots.empty() || m_slots[i].chain.tail < 0) {
      if ((m_used + 1) * 2 > m_slots.size()) Rehash(Capacity(m_used + 1));
      i = SlotOf(key);
      m_slots[i].key = key;
      ++m_used;
    }
    m_chains.Append(m_slots[i].chain, id);
  }
  // The first id stored under `key` for which `alive` holds.
  template <class Alive>
  long FirstAlive(K key, Alive alive) const {
    if (m_slots.empty() || IsNaN(key)) return -1;
    Slot& s = m_slots[SlotOf(key)];
    return s.chain.tail < 0 ? -1 : m_chains.FirstAlive(s.chain, alive);
  }

 private:
  struct Slot {
    K key{};
    TIdChain chain;
  };
  // The slot holding `key`, else the empty one where it would go.
  size_t SlotOf(K key) const {
    if (m_slots.empty()) return 0;
    size_t i = Mix(key) & m_mask;
    while (m_slots[i].chain.tail >= 0 && !(m_slots[i].key == key)) i = (i + 1) & m_mask;
    return i;
  }
  static bool IsNaN(K k) {
    if constexpr (std::is_floating_point_v<K>) return std::isnan(k);
    return false;
  }
  static size_t Capacity(size_t n) {
    size_t c = 16;
    while (c < n * 2) c <<= 1;
    return c;
  }
  static size_t Mix(qint64 k) {
    uint64_t x = static_cast<uint64_t>(k);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return static_cast<size_t>(x);
  }
  static size_t Mix(double d) {
    if (d == 0) d = 0;  // -0.0 equals 0.0: one home for both
    qint64 bits = 0;
    std::memcpy(&bits, &d, sizeof bits);
    return Mix(bits);
  }
  void Rehash(size_t capacity) {
    std::vector<Slot> old;
    old.swap(m_slots);
    m_slots.assign(capacity, Slot{});
    m_mask = capacity - 1;
    for (const Slot& s : old)
      if (s.chain.tail >= 0) m_slots[SlotOf(s.key)] = s;
  }
  // Heads move on lookups that find gone entries: the table's contents
  // stay the same.
  mutable std::vector<Slot> m_slots;
  mutable TIdChains m_chains;
  size_t m_mask = 0;
  size_t m_used = 0;
};

// Nodes by key, found with the equality of the variant comparison: a whole
// number key finds a parent value of 2.0 or "2". Texts match texts exactly
// and numbers by value. With `multi`, several nodes may share a key and Take
// hands them out one by one; otherwise the first node of a key wins.
template <class T>
class TtlKeyIndex {
 public:
  explicit TtlKeyIndex(bool multi, size_t expected = 0) : m_multi(multi) {
    m_entries.reserve(expected);
    m_wholes.reserve(expected);
  }
  bool Empty() const { return m_alive == 0; }
  // False when the key was there already and the index keeps the first.
  bool Add(const QVariant& key, T node) {
    if (!m_multi && Lookup(key) >= 0) return false;
    const long id = static_cast<long>(m_entries.size());
    m_entries.push_back({node, true});
    bool isWhole = false;
    qint64 whole = 0;
    double real = 0;
    const bool number = NumberOf(key, isWhole, whole, real);
    if (IsTextKey(key)) {
      m_textChains.Append(m_texts[key.toString()], id);
      if (number && isWhole) m_textWholes.emplace(whole, id);
      else if (number) m_textReals.emplace(real, id);
    } else if (number) {
      if (isWhole) m_wholes.emplace(whole, id);
      else m_reals.emplace(real, id);
    } else {
      m_others.emplace_back(key, id);
    }
    ++m_alive;
    return true;
  }
  T Find(const QVariant& key) const {
    const long id = Lookup(key);
    return id >= 0 ? m_entries[id].node : T{};
  }
  T Take(const QVariant& key) {
    const long id = Lookup(key);
    if (id < 0) return T{};
    m_entries[id].alive = false;
    --m_alive;
    return m_entries[id].node;
  }
  std::vector<T> All() const {
    std::vector<T> nodes;
    for (const Entry& e : m_entries)
      if (e.alive) nodes.push_back(e.node);
    return nodes;
  }

 private:
  struct Entry {
    T node;
    bool alive;
  };
  // The first entry added under `k` that is still there.
  long First(const QString& k) const {
    const auto it = m_texts.find(k);
    return it == m_texts.end() ? -1 : m_textChains.FirstAlive(it->second, Alive());
  }
  template <class K>
  long First(const TFlatIds<K>& map, K k) const {
    return map.FirstAlive(k, Alive());
  }
  auto Alive() const {
    return [this](long id) { return m_entries[static_cast<size_t>(id)].alive; };
  }
  long Lookup(const QVariant& key) const {
    if (KeyIsNull(key)) {
      for (const auto& [k, id] : m_others)
        if (m_entries[id].alive && KeyIsNull(k)) return id;
      return -1;
    }
    bool isWhole = false;
    qint64 whole = 0;
    double real = 0;
    const bool number = NumberOf(key, isWhole, whole, real);
    if (IsTextKey(key)) {
      const long id = First(key.toString());
      if (id >= 0 || !number) return id;
      // A text reading as a number equals that number, not other texts.
      return isWhole ? First(m_wholes, whole) : First(m_reals, real);
    }
    if (number) {
      const long id = isWhole ? First(m_wholes, whole) : First(m_reals, real);
      if (id >= 0) return id;
      return isWhole ? First(m_textWholes, whole) : First(m_textReals, real);
    }
    for (const auto& [k, id] : m_others)
      if (m_entries[id].alive && VarCompare(k, key) == 0) return id;
    return -1;
  }

  bool m_multi;
  size_t m_alive = 0;
  std::vector<Entry> m_entries;
  TFlatIds<qint64> m_wholes, m_textWholes;
  TFlatIds<double> m_reals, m_textReals;
  mutable std::unordered_map<QString, TIdChain> m_texts;
  mutable TIdChains m_textChains;
  std::vector<std::pair<QVariant, long>> m_others;
};

}  // namespace tl_key_index

template <class T>
using TtlKeyIndex = tl_key_index::TtlKeyIndex<T>;
