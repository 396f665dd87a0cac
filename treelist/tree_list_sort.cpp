// Sorting sibling lists by a column and incremental search.
//
// The sort keys are put in one total order before any standard sort sees
// them: null, then numbers (exactly, whole against real included, NaN last),
// then dates, then texts, then anything else by its text. Mixed types that
// the variant comparison cannot order get a fixed order instead of "less
// than" both ways, which no sort algorithm may be given.

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <algorithm>
#include <cmath>
#include <limits>

#include "treelist/tree_list.h"

namespace {

enum KeyRank { krNull, krNumber, krDate, krText, krOther };

template <typename T>
int Order(const T& a, const T& b) { return a < b ? -1 : (b < a ? 1 : 0); }

// A whole number against a real, exactly.
int CompareWholeReal(qint64 i, double d) {
  if (std::isnan(d)) return -1;  // NaN after every number
  if (d >= 9.3e18) return -1;
  if (d <= -9.3e18) return 1;
  const double t = std::trunc(d);
  const qint64 ti = static_cast<qint64>(t);
  if (i != ti) return i < ti ? -1 : 1;
  const double frac = d - t;
  return frac > 0 ? -1 : (frac < 0 ? 1 : 0);
}

int CompareReals(double a, double b) {
  const bool na = std::isnan(a), nb = std::isnan(b);
  if (na || nb) return na == nb ? 0 : (na ? 1 : -1);
  return Order(a, b);
}

}  // namespace

TtlSortKey TtlSortKey::From(const QVariant& v, bool upperCase) {
  TtlSortKey k;
  if (!v.isValid() || v.isNull()) return k;
  switch (v.typeId()) {
    case QMetaType::Bool: case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
    case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
      k.rank = krNumber;
      k.whole = v.toLongLong();
      return k;
    case QMetaType::ULongLong:
      k.rank = krNumber;
      if (v.toULongLong() > static_cast<qulonglong>(std::numeric_limits<qint64>::max())) {
        k.isReal = true;
        k.real = v.toDouble();
      } else {
        k.whole = v.toLongLong();
      }
      return k;
    case QMetaType::Double: case QMetaType::Float:
      k.rank = krNumber;
      k.isReal = true;
      k.real = v.toDouble();
      return k;
    case QMetaType::QDateTime: case QMetaType::QDate: case QMetaType::QTime:
      k.rank = krDate;
      k.whole = v.toDateTime().toMSecsSinceEpoch();
      if (v.typeId() == QMetaType::QTime) k.whole = v.toTime().msecsSinceStartOfDay();
      return k;
    case QMetaType::QString: case QMetaType::QChar: case QMetaType::QByteArray:
      k.rank = krText;
      k.text = upperCase ? v.toString().toUpper() : v.toString();
      return k;
    default:
      k.rank = krOther;
      k.text = v.toString();
      return k;
  }
}

int TtlSortKey::Compare(const TtlSortKey& a, const TtlSortKey& b, bool localeAware) {
  if (a.rank != b.rank) return a.rank < b.rank ? -1 : 1;
  switch (a.rank) {
    case krNull: return 0;
    case krNumber:
      if (!a.isReal && !b.isReal) return Order(a.whole, b.whole);
      if (a.isReal && b.isReal) return CompareReals(a.real, b.real);
      return a.isReal ? -CompareWholeReal(b.whole, a.real) : CompareWholeReal(a.whole, b.real);
    case krDate: return Order(a.whole, b.whole);
    default: {
      const int c = localeAware ? QString::localeAwareCompare(a.text, b.text)
                                : QString::compare(a.text, b.text, Qt::CaseSensitive);
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
}

// ---------------------------------------------------------------------------
// Sorting

QVariant TtlCustomTreeList::SortValue(TtlTreeListNode* node, TtlTreeListColumn* column) {
  return column->CellText(node);
}

int TtlCustomTreeList::TieBreak(TtlTreeListNode* a, TtlTreeListNode* b) {
  return a == b ? 0 : (std::less<TtlTreeListNode*>()(a, b) ? -1 : 1);
}

void TtlCustomTreeList::SortSiblings(std::vector<TtlTreeListNode*>& list, TtlTreeListColumn* column,
                                     bool descending) {
  if (list.size() < 2) return;
  const bool upper = HasBehavior(etoCaseInsensitive);
  const bool locale = HasBehavior(etoAnsiSort);
  struct Record {
    TtlTreeListNode* node;
    TtlSortKey key;
  };
  std::vector<Record> records;
  records.reserve(list.size());
  for (TtlTreeListNode* n : list) records.push_back({n, TtlSortKey::From(SortValue(n, column), upper)});
  if (OnCompare) {
    // A handler's comparison is trusted with nothing: a merge sort stays in
    // bounds whatever it answers.
    auto compare = [&](const Record& x, const Record& y) {
      int c = 0;
      OnCompare(this, x.node, y.node, c);
      if (c == 0) c = TieBreak(x.node, y.node);
      return c < 0;
    };
    std::vector<Record> buffer(records.size());
    for (size_t width = 1; width < records.size(); width *= 2) {
      for (size_t lo = 0; lo < records.size(); lo += 2 * width) {
        const size_t mid = std::min(lo + width, records.size());
        const size_t hi = std::min(lo + 2 * width, records.size());
        size_t i = lo, j = mid, k = lo;
        while (i < mid && j < hi) buffer[k++] = compare(records[j], records[i]) ? records[j++] : records[i++];
        while (i < mid) buffer[k++] = records[i++];
        while (j < hi) buffer[k++] = records[j++];
      }
      records.swap(buffer);
    }
  } else {
    std::sort(records.begin(), records.end(), [&](const Record& x, const Record& y) {
      int c = TtlSortKey::Compare(x.key, y.key, locale);
      if (c != 0) return descending ? c > 0 : c < 0;
      return TieBreak(x.node, y.node) < 0;
    });
  }
  for (size_t i = 0; i < records.size(); ++i) list[i] = records[i].node;
}

void TtlCustomTreeList::SortColumn(TtlTreeListColumn* column, bool descending) {
  if (!column || column->TreeList() != this) return;
  const bool hourGlass = HasBehavior(etoShowHourGlass);
  if (hourGlass) QApplication::setOverrideCursor(Qt::WaitCursor);
  struct CursorReset {
    bool on;
    ~CursorReset() { if (on) QApplication::restoreOverrideCursor(); }
  } cursorReset{hourGlass};
  SortSiblings(m_rootNodes, column, descending);
  std::vector<TtlTreeListNode*> stack(m_rootNodes.begin(), m_rootNodes.end());
  while (!stack.empty()) {
    TtlTreeListNode* n = stack.back();
    stack.pop_back();
    if (!n->m_children) continue;
    SortSiblings(*n->m_children, column, descending);
    stack.insert(stack.end(), n->m_children->begin(), n->m_children->end());
  }
  m_rowsDirty = true;
  Relayout();
}

TtlTreeListColumn* TtlCustomTreeList::SortedColumn() const {
  for (TtlTreeListColumn* c : m_sortedColumns)
    if (c->Sorted() != csNone) return c;
  return nullptr;
}

void TtlCustomTreeList::SortByColumn(TtlTreeListColumn* column) {
  if (!column) return;
  const bool autoSort = HasBehavior(etoAutoSort);
  if (column->Sorted() == csNone) {
    m_sortedColumns.erase(std::remove(m_sortedColumns.begin(), m_sortedColumns.end(), column),
                          m_sortedColumns.end());
    if (m_sortChanges == 0 && autoSort)
      if (TtlTreeListColumn* rest = SortedColumn()) SortColumn(rest, rest->Sorted() == csDown);
    update();
    return;
  }
  ++m_sortChanges;
  LockUpdates();
  struct Done {
    TtlCustomTreeList* list;
    ~Done() {
      --list->m_sortChanges;
      list->UnlockUpdates();
    }
  } done{this};
  // One sorted column: making a column sorted clears the others.
  if (autoSort)
    for (TtlTreeListColumn* c : std::vector<TtlTreeListColumn*>(m_sortedColumns))
      if (c != column) c->SetSorted(csNone);
  if (std::find(m_sortedColumns.begin(), m_sortedColumns.end(), column) == m_sortedColumns.end())
    m_sortedColumns.push_back(column);
  if (autoSort) SortColumn(column, column->Sorted() == csDown);
}

void TtlCustomTreeList::ResortAfterLoad() {
  if (!HasBehavior(etoAutoSort)) return;
  if (TtlTreeListColumn* c = SortedColumn()) SortColumn(c, c->Sorted() == csDown);
}

void TtlCustomTreeList::HeaderClick(TtlTreeListColumn* column, bool ctrl) {
  QPointer<TtlCustomTreeList> self(this);
  if (OnColumnClick) OnColumnClick(this, column);
  if (!self || !HasBehavior(etoAutoSort) || column->TreeList() != this) return;
  bool allow = true;
  if (OnColumnSorting) OnColumnSorting(this, column, allow);
  if (!self || !allow) return;
  if (ctrl) column->SetSorted(csNone);
  else column->SetSorted(column->Sorted() == csUp ? csDown : csUp);
}

TtlTreeListColumn* TtlCustomTreeList::HeaderColumnAt(int x, int y) {
  if (!ShowHeader()) return nullptr;
  const TRect client = ClientRect();
  const int top = client.Top + (ShowBands() ? BandHeight() : 0);
  const int rowH = HeaderRowHeight();
  if (y < top || y >= top + HeaderHeight() || rowH <= 0) return nullptr;
  const TRect row(client.Left, top, client.Right, top + rowH);
  const int headerRow = (y - top) / rowH;
  for (const CellPlace& cell : RowCells(nullptr, row))
    if (x >= cell.Shown().Left && x < cell.Shown().Right && cell.column->RowIndex() == headerRow)
      return cell.column;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Incremental search

bool TtlCustomTreeList::StartSearch(int column, const QString& text) {
  CloseEditor(true);
  // The search runs over the nodes: the new-item row gives the focus back.
  SetNewItemRowFocused(false);
  if (column < 0) column = m_focusedColumn;
  if (column != m_focusedColumn && !HasOption(etoRowSelect)) SetFocusedColumn(column);
  m_searchColumn = column;
  m_searchText = text;
  m_searching = true;
  InvalidateNode(m_focusedNode);
  return !text.isEmpty();
}

void TtlCustomTreeList::EndSearch() {
  if (!m_searching) return;
  m_searching = false;
  m_searchText.clear();
  InvalidateNode(m_focusedNode);
}

bool TtlCustomTreeList::TextStartsWith(TtlTreeListNode* node, int column, const QString& text) {
  TtlTreeListColumn* c = Columns(column);
  if (!c) return false;
  return c->CellText(node).startsWith(text, Qt::CaseInsensitive);
}

TtlTreeListNode* TtlCustomTreeList::FindNodeByText(int column, const QString& text, int direction) {
  if (text.isEmpty() || !m_focusedNode) return nullptr;
  const bool wholeTree = AutoExpandOnSearch;
  auto forward = [&](TtlTreeListNode* n) { return wholeTree ? n->NextInTree() : n->NextVisible(); };
  auto backward = [&](TtlTreeListNode* n) { return wholeTree ? n->PrevInTree() : n->PrevVisible(); };
  auto lastNode = [&]() -> TtlTreeListNode* {
    if (m_rootNodes.empty()) return nullptr;
    if (!wholeTree) return NodeAtVisibleIndex(ShownCount() - 1);
    // The last node in tree order, collapsed branches included.
    TtlTreeListNode* n = m_rootNodes.back();
    while (n->Count()) n = n->LastChild();
    return n;
  };
  TtlTreeListNode* const start = m_focusedNode;
  TtlTreeListNode* n = start;
  bool wrapped = false;
  auto step = [&]() {
    TtlTreeListNode* next = direction == 1 ? backward(n) : forward(n);
    if (!next) {
      wrapped = true;
      next = direction == 1 ? lastNode() : (m_rootNodes.empty() ? nullptr : m_rootNodes.front());
    }
    n = next;
  };
  // Every node is looked at once at most (the start may be hidden and so
  // never met again when only visible nodes are walked).
  long budget = wholeTree ? std::numeric_limits<long>::max() : ShownCount();
  if (direction != 0) step();
  for (; n && budget >= 0; --budget) {
    if (TextStartsWith(n, column, text)) return n;
    step();
    // Back where the search began: it was compared first unless stepping.
    if (wrapped && n == start) return direction != 0 && TextStartsWith(n, column, text) ? n : nullptr;
  }
  return nullptr;
}

void TtlCustomTreeList::DoSearch(QString& text, int direction, bool resetOnFail) {
  m_searchMoving = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{m_searchMoving};
  if (m_searchColumn < 0 || m_rootNodes.empty()) {
    text.clear();
    return;
  }
  QPointer<TtlCustomTreeList> self(this);
  TtlTreeListNode* found = FindNodeByText(m_searchColumn, text, direction);
  if (!self) return;
  if (found) {
    TtlNodeWatch watch(this, found);
    SetFocusedNode(found, m_focusedColumn, true);
    if (!self || !watch.Node()) return;
  } else if (resetOnFail) {
    text.clear();
  } else if (direction == 0 && !text.isEmpty()) {
    text.chop(1);  // a character that matches nothing is dropped
  }
  if (TtlTreeListNode* n = m_focusedNode) {
    if (MultiSelect()) {
      for (TtlTreeListNode* s : std::vector<TtlTreeListNode*>(m_selection))
        if (s != n) SelectNode(s, false);
      SelectNode(n, true);
    }
    MakeNodeVisible(n);
    InvalidateNode(n);
  }
}

bool TtlCustomTreeList::SearchKeyPress(QChar key) {
  const char16_t c = key.unicode();
  const Qt::KeyboardModifiers mods = QApplication::keyboardModifiers();
  const bool ctrlOnly = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
  if (!m_searching) {
    if (!AutoSearchAllowed() || ctrlOnly || c == VK_BACK || c == VK_TAB || c == VK_RETURN ||
        c == VK_ESCAPE || c < 32)
      return false;
    StartSearch(-1, QString());
  }
  if (c <= 31 || ctrlOnly) return true;
  if (m_searchColumn != m_focusedColumn && !HasOption(etoRowSelect)) {
    m_searchColumn = m_focusedColumn;
    m_searchText.clear();
  }
  m_searchText += key;
  DoSearch(m_searchText, 0, false);
  return true;
}

bool TtlCustomTreeList::SearchKeyDown(WORD key, TShiftState shift) {
  if (!m_searching) return false;
  if (m_searchColumn != m_focusedColumn && !HasOption(etoRowSelect)) {
    m_searchColumn = m_focusedColumn;
    m_searchText.clear();
  }
  switch (key) {
    case VK_BACK:
      if (!m_searchText.isEmpty()) m_searchText.chop(1);
      DoSearch(m_searchText, 0, false);
      return true;
    case VK_DELETE:
      m_searchText.clear();
      DoSearch(m_searchText, 0, false);
      return true;
    case VK_ESCAPE:
      EndSearch();
      return true;
    case VK_RETURN:
      if (shift & ssShift) DoSearch(m_searchText, 1, false);
      else if (shift & ssCtrl) DoSearch(m_searchText, 2, false);
      else return false;
      return true;
    default:
      return false;
  }
}
