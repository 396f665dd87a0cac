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
    case QMetaType::ULongLong:
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
      d = v.toString().toDouble(&ok);
      if (!ok) return false;
      break;
    }
    default:
      return false;
  }
  if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.2e18) {
    isWhole = true;
    whole = static_cast<qint64>(d);
  } else {
    isWhole = false;
    real = d;
  }
  return true;
}

// Entry ids by number in one flat table (open addressing, linear probing):
// no allocation per key, which counts when a whole record set is indexed on
// every reload. Several ids may share a number; none is ever removed.
template <class K>
class TFlatIds {
 public:
  void reserve(size_t n) {
    if (n * 2 > m_slots.size()) Rehash(Capacity(n));
  }
  void emplace(K key, long id) {
    if ((m_used + 1) * 2 > m_slots.size()) Rehash(Capacity(m_used + 1));
    size_t i = Mix(key) & m_mask;
    while (m_slots[i].id >= 0) i = (i + 1) & m_mask;
    m_slots[i] = {key, id};
    ++m_used;
  }
  // Calls `f` with each id stored under `key` (a NaN finds nothing).
  template <class F>
  void ForEach(K key, F f) const {
    if (m_slots.empty()) return;
    for (size_t i = Mix(key) & m_mask; m_slots[i].id >= 0; i = (i + 1) & m_mask)
      if (m_slots[i].key == key) f(m_slots[i].id);
  }

 private:
  struct Slot {
    K key{};
    long id = -1;
  };
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
    m_used = 0;
    for (const Slot& s : old)
      if (s.id >= 0) emplace(s.key, s.id);
  }
  std::vector<Slot> m_slots;
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
  void Add(const QVariant& key, T node) {
    if (!m_multi && Lookup(key) >= 0) return;
    const long id = static_cast<long>(m_entries.size());
    m_entries.push_back({node, true});
    bool isWhole = false;
    qint64 whole = 0;
    double real = 0;
    const bool number = NumberOf(key, isWhole, whole, real);
    if (IsTextKey(key)) {
      m_texts.emplace(key.toString(), id);
      if (number && isWhole) m_textWholes.emplace(whole, id);
      else if (number) m_textReals.emplace(real, id);
    } else if (number) {
      if (isWhole) m_wholes.emplace(whole, id);
      else m_reals.emplace(real, id);
    } else {
      m_others.emplace_back(key, id);
    }
    ++m_alive;
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
  long First(const std::unordered_multimap<QString, long>& map, const QString& k) const {
    long best = -1;
    const auto [from, to] = map.equal_range(k);
    for (auto it = from; it != to; ++it)
      if (m_entries[it->second].alive && (best < 0 || it->second < best)) best = it->second;
    return best;
  }
  template <class K>
  long First(const TFlatIds<K>& map, K k) const {
    long best = -1;
    map.ForEach(k, [&](long id) {
      if (m_entries[id].alive && (best < 0 || id < best)) best = id;
    });
    return best;
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
      const long id = First(m_texts, key.toString());
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
  std::unordered_multimap<QString, long> m_texts;
  std::vector<std::pair<QVariant, long>> m_others;
};

}  // namespace tl_key_index

template <class T>
using TtlKeyIndex = tl_key_index::TtlKeyIndex<T>;
