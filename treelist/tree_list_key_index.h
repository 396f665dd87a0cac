#pragma once
// Values by key, found with the equality of the variant comparison: a whole
// number key finds a value stored under 2.0 or "2". Texts match texts
// exactly and numbers by value. Used to find nodes by key and records by
// parent value while loading.

#include <QString>
#include <QVariant>
#include <cmath>
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
  template <class Map, class K>
  long First(const Map& map, const K& k) const {
    long best = -1;
    const auto [from, to] = map.equal_range(k);
    for (auto it = from; it != to; ++it)
      if (m_entries[it->second].alive && (best < 0 || it->second < best)) best = it->second;
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
  std::unordered_multimap<qint64, long> m_wholes, m_textWholes;
  std::unordered_multimap<double, long> m_reals, m_textReals;
  std::unordered_multimap<QString, long> m_texts;
  std::vector<std::pair<QVariant, long>> m_others;
};

}  // namespace tl_key_index

template <class T>
using TtlKeyIndex = tl_key_index::TtlKeyIndex<T>;
