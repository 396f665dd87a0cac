// The data-aware tree list without etoLoadAllRecords: the roots are the
// records whose parent is RootValue, a node's children are read when it
// first expands, and the chain of parents of the current record is read when
// the record set moves to a record that has no node yet. Also records found
// by bookmark, and the focus-control request.
//
// Children are gathered by a full pass over the record set, so they need
// not be consecutive in it; every walk up or down the parent values keeps a
// visited set, so a cycle of parent values in a crafted bank ends.

#include <algorithm>
#include <deque>
#include <unordered_set>

#include "treelist/db_tree_list.h"
#include "treelist/tree_list_key_index.h"

namespace {

using tl_key_index::KeyIsNull;

struct RecordRef {
  QVariant key;
  QVariant parent;
  QString bookmark;
  int row;
};

// Every record's key, parent and (when asked) bookmark, in record set order.
// The record set's position is put back and nothing is sent meanwhile.
std::vector<RecordRef> ReadRecords(TDataSet* ds, TField* keyField, TField* parentField,
                                   bool bookmarks) {
  std::vector<RecordRef> records;
  records.reserve(static_cast<size_t>(ds->RecordCount()));
  TControlsDisabler disabled(ds);
  const TBookmark saved = ds->IsEmpty() ? TBookmark() : ds->Bookmark();
  const bool savedBof = ds->Bof(), savedEof = ds->Eof();
  for (ds->First(); !ds->Eof(); ds->Next())
    records.push_back({keyField->Value(), parentField->Value(),
                       bookmarks ? ds->Bookmark() : QString(), static_cast<int>(records.size())});
  if (!saved.isEmpty() && ds->BookmarkValid(saved)) {
    ds->SetBookmark(saved);
    ds->RestoreEndFlags(savedBof, savedEof);
  }
  return records;
}

// The records grouped by parent value. Each group is handed out once.
class ChildGroups {
 public:
  explicit ChildGroups(std::vector<RecordRef>& records) : m_byParent(true, records.size()) {
    for (RecordRef& r : records) {
      if (KeyIsNull(r.parent)) m_nullParent.push_back(&r);
      else m_byParent.Add(r.parent, &r);
    }
  }
  // The records whose parent equals `parent` (null: a null parent), in
  // record set order.
  std::vector<RecordRef*> Take(const QVariant& parent) {
    std::vector<RecordRef*> rows;
    if (KeyIsNull(parent)) {
      rows.swap(m_nullParent);
      return rows;
    }
    while (RecordRef* r = m_byParent.Take(parent)) rows.push_back(r);
    std::sort(rows.begin(), rows.end(), [](RecordRef* a, RecordRef* b) { return a->row < b->row; });
    return rows;
  }
  bool Any(const QVariant& parent) const {
    return KeyIsNull(parent) ? !m_nullParent.empty() : m_byParent.Find(parent) != nullptr;
  }

 private:
  TtlKeyIndex<RecordRef*> m_byParent;
  std::vector<RecordRef*> m_nullParent;
};

}  // namespace

void TtlDBTreeList::ReadLoadedLevels() {
  TDataSet* ds = DataSet();
  std::vector<RecordRef> records =
      ReadRecords(ds, m_keyField, m_parentField, HasOptionDB(etoUseBookmarks));
  ChildGroups groups(records);
  TtlKeyIndex<RecordRef*> byKey(false, records.size());
  for (RecordRef& r : records)
    if (!KeyIsNull(r.key)) byKey.Add(r.key, &r);

  // The records whose children are read: those of nodes whose children were
  // read before, and the parents of the record to reveal up to a root.
  std::vector<char> open(records.size(), 0);
  TtlKeyIndex<TtlDBTreeListNode*> unseen(true);
  {
    std::vector<TtlTreeListNode*> stack(RootNodes().begin(), RootNodes().end());
    while (!stack.empty()) {
      auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
      stack.pop_back();
      unseen.Add(n->keyValue, n);
      if (n->childrenLoaded && !KeyIsNull(n->keyValue))
        if (RecordRef* r = byKey.Find(n->keyValue)) open[static_cast<size_t>(r->row)] = 1;
      for (int i = 0; i < n->Count(); ++i) stack.push_back(n->Items(i));
    }
  }
  auto isRootParent = [this](const QVariant& parent) {
    return KeyIsNull(m_rootValue) ? KeyIsNull(parent) : !KeyIsNull(parent) && VarCompare(parent, m_rootValue) == 0;
  };
  if (!KeyIsNull(m_revealKey)) {
    std::vector<char> visited(records.size(), 0);
    for (RecordRef* r = byKey.Find(m_revealKey); r && !visited[static_cast<size_t>(r->row)];) {
      visited[static_cast<size_t>(r->row)] = 1;
      if (isRootParent(r->parent)) break;
      r = byKey.Find(r->parent);
      if (r) open[static_cast<size_t>(r->row)] = 1;
    }
  }

  // Level by level from the roots. A kept node moves only when its parent
  // changed, so expanded branches stay expanded.
  std::vector<TtlDBTreeListNode*> rowNode(records.size(), nullptr);
  std::vector<TtlDBTreeListNode*> opened, closed;
  struct Level {
    TtlDBTreeListNode* parent;
    std::vector<RecordRef*> rows;
  };
  std::deque<Level> levels;
  levels.push_back({nullptr, groups.Take(m_rootValue)});
  while (!levels.empty()) {
    Level level = std::move(levels.front());
    levels.pop_front();
    for (RecordRef* r : level.rows) {
      TtlDBTreeListNode* node = unseen.Empty() ? nullptr : unseen.Take(r->key);
      if (!node)
        node = static_cast<TtlDBTreeListNode*>(level.parent ? level.parent->AddChild() : Add());
      else if (node->Parent() != level.parent)
        PlaceNode(node, level.parent, level.parent ? level.parent->Count() : Count());
      rowNode[static_cast<size_t>(r->row)] = node;
      node->parentKeyValue = r->parent;
      node->childrenLoaded = open[static_cast<size_t>(r->row)] && !KeyIsNull(r->key);
      if (node->childrenLoaded) {
        opened.push_back(node);
        levels.push_back({node, groups.Take(r->key)});
      } else {
        closed.push_back(node);
      }
    }
  }

  // The values, with the record set on each record read.
  int row = 0;
  for (ds->First(); !ds->Eof(); ds->Next(), ++row)
    if (TtlDBTreeListNode* n = rowNode[static_cast<size_t>(row)]) ReadNodeValues(n);

  // Nodes of records no longer read go; a kept node left under one of them
  // (a move refused as a cycle) becomes a root first.
  const std::vector<TtlDBTreeListNode*> doomed = unseen.All();
  const std::unordered_set<TtlTreeListNode*> doomedSet(doomed.begin(), doomed.end());
  for (TtlDBTreeListNode* node : doomed)
    for (int i = node->Count() - 1; i >= 0; --i)
      if (!doomedSet.count(node->Items(i))) PlaceNode(node->Items(i), nullptr, Count());
  std::unordered_set<TtlTreeListNode*> gone;
  RemoveNodes(doomedSet, gone);

  // Buttons: a node whose children were read shows one when it has any;
  // one not read yet shows one unless etoCheckHasChildren finds no record
  // under it.
  const bool check = HasOptionDB(etoCheckHasChildren);
  for (TtlDBTreeListNode* n : opened)
    if (!gone.count(n)) n->SetHasChildren(false);
  for (TtlDBTreeListNode* n : closed)
    if (!gone.count(n)) n->SetHasChildren(!check || groups.Any(n->keyValue));
}

bool TtlDBTreeList::DoExpanding(TtlTreeListNode* node) {
  if (!TtlCustomTreeList::DoExpanding(node)) return false;
  auto* d = static_cast<TtlDBTreeListNode*>(node);
  TDataSet* ds = DataSet();
  if (!OnDemand() || d->childrenLoaded || m_loading || !ds || !ds->Active() || !m_keyField ||
      !m_parentField)
    return true;
  TtlNodeWatch watch(this, node);
  // Reading the records moves the record set: an edit is posted (or an
  // untouched one cancelled) first, as any move would, instead of being
  // thrown away by the reload.
  ds->CheckBrowseMode();
  if (!watch.Node()) return false;
  d->childrenLoaded = true;
  {
    TFlagScope reloading(m_reloading);
    LoadAllRecords();
  }
  return watch.Node() != nullptr;
}

void TtlDBTreeList::SubtreeRecords(TtlDBTreeListNode* node, std::vector<QVariant>& keys,
                                   std::vector<QString>& bookmarks) {
  keys.push_back(node->keyValue);
  bookmarks.push_back(node->Bookmark());
  if (KeyIsNull(node->keyValue)) return;
  std::vector<RecordRef> records =
      ReadRecords(DataSet(), m_keyField, m_parentField, HasOptionDB(etoUseBookmarks));
  ChildGroups groups(records);
  std::vector<char> visited(records.size(), 0);
  // Parents before their children, each record once.
  std::deque<QVariant> parents{node->keyValue};
  while (!parents.empty()) {
    const QVariant parent = parents.front();
    parents.pop_front();
    for (RecordRef* r : groups.Take(parent)) {
      if (visited[static_cast<size_t>(r->row)]) continue;
      visited[static_cast<size_t>(r->row)] = 1;
      keys.push_back(r->key);
      bookmarks.push_back(r->bookmark);
      if (!KeyIsNull(r->key)) parents.push_back(r->key);
    }
  }
}

// ---------------------------------------------------------------------------
// Finding records

bool TtlDBTreeList::LocateNodeRecord(const QVariant& key, const QString& bookmark) {
  TDataSet* ds = DataSet();
  if (HasOptionDB(etoUseBookmarks) && !bookmark.isEmpty() && ds->BookmarkValid(bookmark)) {
    ds->SetBookmark(bookmark);
    return true;
  }
  return ds->Locate(m_keyFieldName, key);
}

bool TtlDBTreeList::IsCurrentRecord(const TtlDBTreeListNode* node) const {
  if (HasOptionDB(etoUseBookmarks) && !node->Bookmark().isEmpty())
    return node->Bookmark() == DataSet()->Bookmark();
  return VarCompare(m_keyField->Value(), node->keyValue) == 0;
}

TtlDBTreeListNode* TtlDBTreeList::CurrentRecordNode() const {
  if (HasOptionDB(etoUseBookmarks)) {
    const QString bookmark = DataSet()->Bookmark();
    std::vector<TtlTreeListNode*> stack;
    for (int i = Count() - 1; i >= 0; --i) stack.push_back(Items(i));
    while (!stack.empty() && !bookmark.isEmpty()) {
      auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
      stack.pop_back();
      if (n->Bookmark() == bookmark) return n;
      for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Items(i));
    }
  }
  return FindNodeByKey(m_keyField->Value());
}

// ---------------------------------------------------------------------------
// Focus control

void TtlDBTreeList::DataFocusControl(TField** field) {
  if (!field || !*field || !HasOptionDB(etoCanNavigation) || HasOption(etoRowSelect) ||
      !FocusedNode())
    return;
  QPointer<TtlDBTreeList> self(this);
  MakeNodeVisible(FocusedNode());
  if (!self || !FocusedNode()) return;
  CheckBoundFields();
  int column = -1;
  for (const BoundField& b : m_boundFields)
    if (b.field == *field) {
      column = b.index;
      break;
    }
  if (column < 0) return;
  SetFocusedColumn(column);
  if (!self || FocusedColumn() != column) return;
  const bool editorMayOpen = CanEditorShow();
  if (!self || !editorMayOpen) return;
  *field = nullptr;
  ShowEditor();
}
