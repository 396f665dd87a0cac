#include "treelist/db_tree_list.h"

#include <QCursor>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <unordered_map>
#include <unordered_set>

#include "platform/application.h"
#include "treelist/tree_list_key_index.h"

namespace {
using TNodeKeyIndex = TtlKeyIndex<TtlDBTreeListNode*>;

std::vector<TtlDBTreeList*>& Registry() {
  static std::vector<TtlDBTreeList*> lists;
  return lists;
}

bool IsNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

// Parked nodes handed out by key while loading, each once; the first node of
// a key goes first. Records read in the order the nodes were parked (the
// order of their last load) take them one after the other; from the first
// record that does not, an index finds them. The nodes never taken go to
// `unused` at the end.
class TParkedNodes {
 public:
  TParkedNodes(std::vector<TtlTreeListNode*>& nodes, const std::function<void(TtlTreeListNode*)>& unused)
      : m_nodes(nodes), m_unused(unused) {}
  TParkedNodes(const TParkedNodes&) = delete;
  TParkedNodes& operator=(const TParkedNodes&) = delete;
  ~TParkedNodes() {
    if (m_index) {
      for (TtlDBTreeListNode* n : m_index->All()) m_unused(n);
    } else {
      for (size_t i = m_next; i < m_nodes.size(); ++i) m_unused(m_nodes[i]);
    }
    m_nodes.clear();
  }
  TtlDBTreeListNode* Take(const QVariant& key) {
    if (!m_index) {
      if (m_next >= m_nodes.size()) return nullptr;
      auto* n = static_cast<TtlDBTreeListNode*>(m_nodes[m_next]);
      if (VarCompare(n->keyValue, key) == 0) {
        ++m_next;
        return n;
      }
      m_index.emplace(true, m_nodes.size() - m_next);
      for (size_t i = m_next; i < m_nodes.size(); ++i) {
        auto* p = static_cast<TtlDBTreeListNode*>(m_nodes[i]);
        m_index->Add(p->keyValue, p);
      }
    }
    return m_index->Empty() ? nullptr : m_index->Take(key);
  }
  // The node the next record takes when it comes in the parked order: a
  // node of the last load whose key is `key` to the key index; nullptr
  // otherwise. Takes nothing.
  const TtlDBTreeListNode* Next(const QVariant& key) const {
    if (m_index || m_next >= m_nodes.size()) return nullptr;
    const auto* n = static_cast<const TtlDBTreeListNode*>(m_nodes[m_next]);
    return n->loadOrder >= 0 && tl_key_index::SameKey(n->keyValue, key) ? n : nullptr;
  }
  // Takes the node Next found.
  TtlDBTreeListNode* TakeNext() { return static_cast<TtlDBTreeListNode*>(m_nodes[m_next++]); }
  // The nodes taken so far, in order, while all went in the parked order.
  std::span<TtlTreeListNode* const> Taken() const {
    return m_index ? std::span<TtlTreeListNode* const>() : std::span<TtlTreeListNode* const>(m_nodes.data(), m_next);
  }
  // `node` was taken in the parked order (its load place is its place).
  bool TakenAlready(const TtlDBTreeListNode* node) const {
    const int at = node->loadOrder;
    return !m_index && at >= 0 && static_cast<size_t>(at) < m_next && m_nodes[static_cast<size_t>(at)] == node;
  }

 private:
  std::vector<TtlTreeListNode*>& m_nodes;
  std::function<void(TtlTreeListNode*)> m_unused;
  size_t m_next = 0;
  std::optional<TNodeKeyIndex> m_index;
};

// Puts parked nodes in the order their records were last read (tree order
// is that of the sorted display, not of the records), so that the records,
// read again in the same order, take them back one after the other. Nodes
// of no load, or whose place another took, follow in tree order.
void InLoadOrder(std::vector<TtlTreeListNode*>& nodes) {
  std::vector<TtlTreeListNode*> placed(nodes.size(), nullptr);
  std::vector<TtlTreeListNode*> rest;
  for (TtlTreeListNode* n : nodes) {
    const int at = static_cast<TtlDBTreeListNode*>(n)->loadOrder;
    if (at >= 0 && static_cast<size_t>(at) < placed.size() && !placed[static_cast<size_t>(at)])
      placed[static_cast<size_t>(at)] = n;
    else
      rest.push_back(n);
  }
  size_t to = 0;
  for (TtlTreeListNode* n : placed)
    if (n) nodes[to++] = n;
  for (TtlTreeListNode* n : rest) nodes[to++] = n;
}

// The root of the tree each node is in, while roots are attached under
// nodes of other trees. Walking up remembers for every node passed the root
// found, and an attached root leads to its new tree's root, so a chain of
// roots attached one under the next (records read child first) costs its
// length, not its length squared.
class TTreeTops {
 public:
  TtlTreeListNode* Top(TtlTreeListNode* n) {
    m_path.clear();
    for (;;) {
      const auto it = m_up.find(n);
      TtlTreeListNode* up = it != m_up.end() ? it->second : n->Parent();
      if (!up) break;
      m_path.push_back(n);
      n = up;
    }
    for (TtlTreeListNode* p : m_path) m_up[p] = n;
    return n;
  }
  // `root` has just become a child of `parent`.
  void Attached(TtlTreeListNode* root, TtlTreeListNode* parent) { m_up[root] = Top(parent); }

 private:
  std::unordered_map<TtlTreeListNode*, TtlTreeListNode*> m_up;
  std::vector<TtlTreeListNode*> m_path;
};

// Field types whose value a node keeps for drawing and sorting.
bool KeepsValue(const TField* f) {
  switch (f->DataType()) {
    case ftInteger: case ftLargeint: case ftAutoInc: case ftFloat: case ftBoolean: case ftDateTime:
      return true;
    default:
      return false;
  }
}

// The same number or truth value, bit for bit: its text is the same.
bool SameNumber(const QVariant& a, const QVariant& b) {
  if (a.typeId() != b.typeId()) return false;
  switch (a.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::ULongLong:
    case QMetaType::Bool:
      return a.toLongLong() == b.toLongLong() && a.toULongLong() == b.toULongLong();
    case QMetaType::Double: {
      const double x = a.toDouble(), y = b.toDouble();
      return std::memcmp(&x, &y, sizeof x) == 0;
    }
    default:
      return false;
  }
}

// The node already shows the field's value in the column: a number or truth
// value whose text came, and would come again, from the value alone (no
// text handler, no lookup), and that has not changed since.
bool ShowsValue(const TtlDBTreeListNode& node, int column, const TField& field) {
  if (!KeepsValue(&field) || field.HasGetText() || field.IsLookup()) return false;
  if (column >= node.cellTexts.size() || node.cellTexts[column].isNull()) return false;
  const TNodeVariantData* d = node.VariantData(column);
  return d && d->assigned == (nvaValue | nvaPlainText) && SameNumber(d->value, field.ValueRef());
}

}  // namespace

int TtlFieldColumnField::StringSize() const {
  const TFieldType t = m_field->DataType();
  return t == ftString || t == ftWideString ? m_field->Size() : 0;
}

// ---------------------------------------------------------------------------

void TtlDBTreeListDataLink::ActiveChanged() { m_owner->DataActiveChanged(); }
void TtlDBTreeListDataLink::DataSetChanged() { m_owner->DataChanged(); }
void TtlDBTreeListDataLink::DataSetScrolled(int) { m_owner->DataScrolled(); }
void TtlDBTreeListDataLink::RecordChanged(TField* field) { m_owner->DataRecordChanged(field); }
void TtlDBTreeListDataLink::LayoutChanged() { m_owner->DataLayoutChanged(); }
void TtlDBTreeListDataLink::FocusControl(TField** field) { m_owner->DataFocusControl(field); }
void TtlDBTreeListDataLink::EditingChanged() {
  // A post or cancel ends what the tree list wrote into the record.
  if (!Editing()) m_owner->m_recordChangedByList = false;
}

// ---------------------------------------------------------------------------

TtlDBTreeList::TtlDBTreeList(QWidget* parent) : TtlCustomTreeList(parent) {
  Registry().push_back(this);
}

TtlDBTreeList::~TtlDBTreeList() {
  QObject::disconnect(m_dataSetGone);
  m_link.SetDataSource(nullptr);
  auto& r = Registry();
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
  m_pendingNode = nullptr;
  m_watched = nullptr;
  DestroySpareNodes();
}

const std::vector<TtlDBTreeList*>& TtlDBTreeList::Instances() { return Registry(); }

bool TtlDBTreeList::AnyBusyOn(const TDataSet* dataSet, const TtlDBTreeList* except) {
  if (!dataSet) return false;
  for (const TtlDBTreeList* l : Registry())
    if (l != except && l->Busy() && l->DataSet() == dataSet) return true;
  return false;
}

TtlTreeListNode* TtlDBTreeList::CreateNode() {
  if (m_spareNodes.empty()) return new TtlDBTreeListNode(this);
  TtlDBTreeListNode* node = m_spareNodes.back();
  m_spareNodes.pop_back();
  return node;
}

void TtlDBTreeList::KeepNodesAsSpares() {
  const std::vector<TtlTreeListNode*> taken = TakeNodes();
  m_spareNodes.reserve(m_spareNodes.size() + taken.size());
  for (TtlTreeListNode* n : taken) {
    auto* node = static_cast<TtlDBTreeListNode*>(n);
    node->ClearRecordValues();
    node->parentKeyValue.clear();
    node->childrenLoaded = false;
    m_spareNodes.push_back(node);
  }
}

void TtlDBTreeList::DestroySpareNodes() {
  for (TtlDBTreeListNode* node : m_spareNodes) DestroyTakenNode(node);
  m_spareNodes.clear();
  for (TtlTreeListNode* node : m_parkedNodes) DestroyTakenNode(node);
  m_parkedNodes.clear();
}

void TtlDBTreeList::SetDataSource(TDataSource* source) {
  if (source == DataSource()) return;
  m_link.SetDataSource(source);
  DataActiveChanged();
}

void TtlDBTreeList::SetKeyField(const QString& name) {
  if (name == m_keyFieldName) return;
  m_keyFieldName = name;
  DataActiveChanged();
}

void TtlDBTreeList::SetParentField(const QString& name) {
  if (name == m_parentFieldName) return;
  m_parentFieldName = name;
  DataActiveChanged();
}

void TtlDBTreeList::SetRootValue(const QVariant& value) {
  const bool empty = value.typeId() == QMetaType::QString && value.toString().isEmpty();
  m_rootValue = IsNull(value) || empty ? QVariant() : value;
  if (OnDemand()) DataActiveChanged();
}

void TtlDBTreeList::NodeDestroying(TtlTreeListNode* node) {
  ++m_destroyedNodes;
  if (m_goneNodes) m_goneNodes->insert(node);
  if (node == m_pendingNode) m_pendingNode = nullptr;
  if (node == m_watched) m_watched = nullptr;
}

// ---------------------------------------------------------------------------
// Fields

void TtlDBTreeList::LookupFields() {
  TDataSet* ds = DataSet();
  WatchDataSet(ds);
  const bool active = ds && ds->Active();
  auto find = [&](const QString& name) { return active && !name.isEmpty() ? ds->FindField(name) : nullptr; };
  m_keyField = find(m_keyFieldName);
  m_parentField = find(m_parentFieldName);
  m_imageIndexField = find(ImageIndexFieldName);
  m_stateIndexField = find(StateIndexFieldName);
  m_previewField = find(PreviewFieldName);
  // A column's field stays the same object while its record set field does;
  // one that goes is taken from every column before it is freed, so no
  // handler running meanwhile sees a freed field.
  for (auto it = m_columnFields.begin(); it != m_columnFields.end();) {
    if (find(it->first) == it->second->Field()) {
      ++it;
      continue;
    }
    ForgetColumnField(it->second.get());
    it = m_columnFields.erase(it);
  }
  RebindColumns();
}

void TtlDBTreeList::ForgetColumnField(const TtlColumnField* field) {
  for (int i = 0; i < ColumnCount(); ++i)
    if (auto* c = qobject_cast<TtlDBTreeListColumn*>(Columns(i)))
      if (!field || c->Field() == field) c->ForgetField();
  m_boundFields.clear();
}

void TtlDBTreeList::WatchDataSet(TDataSet* ds) {
  if (ds == m_watchedDataSet) return;
  QObject::disconnect(m_dataSetGone);
  m_watchedDataSet = ds;
  if (!ds) return;
  // A record set destroyed without telling its links takes its fields along:
  // nothing of them may stay behind.
  m_dataSetGone = connect(ds, &QObject::destroyed, this, [this] {
    m_watchedDataSet = nullptr;
    ForgetColumnField(nullptr);
    m_columnFields.clear();
    m_keyField = m_parentField = m_imageIndexField = m_stateIndexField = m_previewField = nullptr;
    m_pendingNode = nullptr;
    CloseEditor(false);
    ClearNodes();
    DestroySpareNodes();
  });
}

TtlColumnField* TtlDBTreeList::FindColumnField(const QString& fieldName) {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || fieldName.isEmpty()) return nullptr;
  auto it = m_columnFields.find(fieldName);
  if (it != m_columnFields.end()) return it->second.get();
  TField* f = ds->FindField(fieldName);
  if (!f) return nullptr;
  return m_columnFields.emplace(fieldName, std::make_unique<TtlFieldColumnField>(f))
      .first->second.get();
}

void TtlDBTreeList::RebindColumns() {
  ++m_rebinds;
  m_boundFields.clear();
  for (int i = 0; i < ColumnCount(); ++i) {
    auto* c = qobject_cast<TtlDBTreeListColumn*>(Columns(i));
    if (!c) continue;
    auto* f = static_cast<TtlFieldColumnField*>(FindColumnField(c->FieldName()));
    if (c->Field() != f) c->SetField(f);
    if (f) m_boundFields.push_back({c, i, f->Field()});
  }
}

void TtlDBTreeList::CheckBoundFields() {
  for (const BoundField& b : m_boundFields)
    if (Columns(b.index) != b.column) {
      RebindColumns();
      return;
    }
}

void TtlDBTreeList::ColumnFieldChanged(TtlTreeListColumn*) {
  if (m_loading) return;
  RebindColumns();
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return;
  LoadAllRecords();
  FollowRecord();
}

void TtlDBTreeList::ReadNodeValues(TtlDBTreeListNode* node, QVariant* key) {
  if (key) {
    node->keyValue = std::move(*key);
  } else {
    QVariant read = m_keyField ? m_keyField->Value() : QVariant();
    if (m_uniqueKeys && VarCompare(node->keyValue, read) != 0) m_uniqueKeys = false;
    node->keyValue = std::move(read);
  }
  if (node->cellTexts.size() < ColumnCount()) node->cellTexts.resize(ColumnCount());
  const unsigned rebindsBefore = m_rebinds, destroyedBefore = m_destroyedNodes;
  for (size_t i = 0; i < m_boundFields.size(); ++i) {
    const auto [unused, column, field] = m_boundFields[i];
    if (ShowsValue(*node, column, *field)) continue;
    QString text = field->DisplayText();
    // A text handler that closed the record set, rebound the columns or
    // destroyed nodes (this one, maybe) leaves what is read here behind:
    // the load it is part of stops.
    if (m_rebinds != rebindsBefore || m_destroyedNodes != destroyedBefore || !field->DataSet()->Active())
      return;
    node->SetCellText(column, std::move(text));
    const bool isNull = field->IsNull();
    const bool isString = field->DataType() == ftString || field->DataType() == ftWideString;
    if (KeepsValue(field) || isNull || (isString && (field->HasGetText() || !field->EditMask.isEmpty()))) {
      TNodeVariantData& d = node->EnsureVariantData(column);
      d.value = field->Value();
      d.assigned = nvaValue;
      if (KeepsValue(field) && !field->HasGetText() && !field->IsLookup()) d.assigned |= nvaPlainText;
      if (field->IsLookup()) {
        d.lookupKeyValue = field->DataSet()->FindField(field->KeyFields)
                               ? field->DataSet()->FindField(field->KeyFields)->Value()
                               : QVariant();
        d.assigned |= nvaLookupValue;
      } else {
        d.lookupKeyValue.clear();
      }
    } else if (TNodeVariantData* d = node->VariantData(column)) {
      *d = TNodeVariantData();
    }
  }
  node->selectedIndex = m_selectedIndex;
  if (HasOptionDB(etoUseBookmarks)) node->SetBookmark(DataSet()->Bookmark());
  if (m_imageIndexField) node->imageIndex = m_imageIndexField->AsInteger();
  if (m_stateIndexField) node->stateIndex = m_stateIndexField->AsInteger();
  if (m_previewField) {
    QString text = m_previewField->AsString();
    if (PreviewMaxLength > 0 && text.size() > PreviewMaxLength) text.truncate(PreviewMaxLength);
    node->SetPreviewText(text);
  }
  node->cachedHeight = 0;
}

// ---------------------------------------------------------------------------
// Loading

void TtlDBTreeList::LoadAllRecords() {
  TDataSet* ds = DataSet();
  if (Loading() || !ds || !ds->Active()) return;
  BusyScope busy(m_busy);
  LookupFields();
  if (!m_keyField || !m_parentField) return;
  m_loading = true;
  struct LoadingReset {
    bool& flag;
    ~LoadingReset() { flag = false; }
  } loadingReset{m_loading};
  const bool hourGlass = HasBehavior(etoShowHourGlass);
  if (hourGlass) QApplication::setOverrideCursor(Qt::WaitCursor);
  struct CursorReset {
    bool on;
    ~CursorReset() { if (on) QApplication::restoreOverrideCursor(); }
  } cursorReset{hourGlass};
  TControlsDisabler disabled(ds);
  const bool wasInserting = ds->State() == dsInsert;
  if (ds->State() == dsEdit || wasInserting) ds->Cancel();
  // The node of a cancelled insert goes; a posted record keeps its node.
  TtlDBTreeListNode* pending = m_pendingNode;
  m_pendingNode = nullptr;
  if (pending && wasInserting) pending->Delete();
  const TBookmark saved = ds->IsEmpty() ? TBookmark() : ds->Bookmark();
  const bool savedBof = ds->Bof(), savedEof = ds->Eof();

  LockUpdates();
  struct Unlock {
    TtlCustomTreeList* list;
    ~Unlock() { list->UnlockUpdates(); }
  } unlock{this};
  auto restorePosition = [&] {
    // With etoAutoSort and a sorted column the new nodes appear in order.
    ResortAfterLoad();
    if (!saved.isEmpty() && ds->BookmarkValid(saved)) {
      ds->SetBookmark(saved);
      ds->RestoreEndFlags(savedBof, savedEof);
    } else if (!ds->IsEmpty()) {
      ds->First();
    }
  };
  if (OnDemand()) {
    ReadLoadedLevels();
    restorePosition();
    return;
  }

  // The existing nodes, by key, not seen yet in this pass.
  TNodeKeyIndex unseen(true);
  {
    std::vector<TtlTreeListNode*> stack(RootNodes().begin(), RootNodes().end());
    while (!stack.empty()) {
      TtlTreeListNode* n = stack.back();
      stack.pop_back();
      auto* d = static_cast<TtlDBTreeListNode*>(n);
      unseen.Add(d->keyValue, d);
      for (int i = 0; i < n->Count(); ++i) stack.push_back(n->Items(i));
    }
  }
  // The nodes of the record set as it was before it closed, by key: each
  // is new in the structure and goes back where its record's parent is.
  std::vector<bool> rereads(static_cast<size_t>(ColumnCount()));
  for (const BoundField& b : m_boundFields) rereads[static_cast<size_t>(b.index)] = true;
  TParkedNodes parked(m_parkedNodes, [](TtlTreeListNode* n) { DestroyTakenNode(n); });
  // Nodes of the records read so far, by key (the first one of a key wins).
  std::optional<TNodeKeyIndex> byKey;
  bool uniqueKeys = true;
  auto addKey = [&](const QVariant& key, TtlDBTreeListNode* node) {
    if (!IsNull(key) && !byKey->Add(key, node)) uniqueKeys = false;
  };
  auto buildIndex = [&] {
    byKey.emplace(false, static_cast<size_t>(ds->RecordCount()));
    for (TtlTreeListNode* n : parked.Taken()) {
      auto* d = static_cast<TtlDBTreeListNode*>(n);
      addKey(d->keyValue, d);
    }
  };
  // While the records come again in the order of the last load, with its
  // keys (which were unique) and parent keys, each parked node's parent of
  // then is the node the index would find: the index is built from the first
  // record that differs.
  bool sameOrder = !m_parkedNodes.empty() && unseen.Empty() && m_uniqueKeys;
  if (!sameOrder) buildIndex();
  auto nodeOfKey = [&](const QVariant& key) -> TtlDBTreeListNode* {
    if (IsNull(key)) return nullptr;
    if (!byKey) buildIndex();
    return byKey->Find(key);
  };
  // The parent a parked node had, when it is still the one its record names.
  auto parentOfThen = [&](const TtlDBTreeListNode* next, const QVariant& p, TtlDBTreeListNode*& parentNode) {
    auto* then = static_cast<TtlDBTreeListNode*>(next->Parent());
    if (IsNull(p) || !then) {
      parentNode = nullptr;
      return IsNull(p) && !then;
    }
    if (!parked.TakenAlready(then) || !tl_key_index::SameKey(then->keyValue, p)) return false;
    parentNode = then;
    return true;
  };

  // A handler fired while a node is added or read (the top row changing, a
  // field's text) may destroy nodes the indexes above still hold, or close,
  // reopen or rebind the record set whose fields are read: the load then
  // stops with the list as the handler left it (a rebinding reloads when
  // the updates unlock).
  const unsigned destroyedBefore = m_destroyedNodes, rebindsBefore = m_rebinds;
  auto interrupted = [&] {
    return m_destroyedNodes != destroyedBefore || m_rebinds != rebindsBefore || !ds->Active();
  };
  QVariant k, p;
  int loadOrder = 0;
  for (ds->First(); !ds->Eof(); ds->Next()) {
    k = m_keyField->ValueRef();
    p = m_parentField->ValueRef();
    TtlDBTreeListNode* node = unseen.Empty() ? nullptr : unseen.Take(k);
    if (node) {
      auto* parentNode = static_cast<TtlDBTreeListNode*>(node->Parent());
      const bool parentKeyChanged = VarCompare(node->parentKeyValue, p) != 0;
      const bool parentNodeDiffers = parentNode ? VarCompare(parentNode->keyValue, p) != 0 : !IsNull(p);
      if (parentKeyChanged || parentNodeDiffers) {
        TtlDBTreeListNode* target = nodeOfKey(p);
        if (target && target != node && !target->HasAsParent(node))
          PlaceNode(node, target, target->Count());
        else if (node->Parent())
          PlaceNode(node, nullptr, Count());
      }
    } else {
      TtlDBTreeListNode* parentNode = nullptr;
      bool parentKnown = false;
      if (sameOrder) {
        const TtlDBTreeListNode* next = parked.Next(k);
        parentKnown = next && parentOfThen(next, p, parentNode);
        if (!parentKnown) {
          sameOrder = false;
          buildIndex();
        }
      }
      if (!parentKnown) parentNode = nodeOfKey(p);
      node = parentKnown ? parked.TakeNext() : parked.Take(k);
      if (node) {
        ResetTakenNode(node);
        node->ClearRecordValuesExcept(rereads);
        node->childrenLoaded = false;
        AdoptNode(node, parentNode);
      } else {
        node = static_cast<TtlDBTreeListNode*>(parentNode ? parentNode->AddChild() : Add());
      }
      if (interrupted()) break;
    }
    if (byKey) addKey(k, node);
    node->parentKeyValue = std::move(p);
    node->loadOrder = loadOrder++;
    ReadNodeValues(node, &k);
    if (interrupted()) break;
  }
  // A load in the order of the last one keeps its keys; any other finds out.
  m_uniqueKeys = !interrupted() && (byKey ? uniqueKeys : m_uniqueKeys);
  if (interrupted()) {
    // A closed or reopened record set is announced when its controls are
    // enabled again.
    if (m_rebinds != rebindsBefore) m_reloadOnUnlock = true;
    else if (ds->Active()) restorePosition();
    return;
  }

  // Records of removed nodes' subtrees that are still there become roots
  // before their old parents go.
  std::vector<TtlDBTreeListNode*> doomed = unseen.All();
  const std::unordered_set<TtlTreeListNode*> doomedSet(doomed.begin(), doomed.end());
  for (TtlDBTreeListNode* node : doomed)
    for (int i = node->Count() - 1; i >= 0; --i)
      if (!doomedSet.count(node->Items(i))) PlaceNode(node->Items(i), nullptr, Count());

  // Records read before their parent were left as roots: attach them now,
  // each unless its parent is in its own subtree.
  TTreeTops tops;
  for (int i = Count() - 1; i >= 0; --i) {
    auto* root = static_cast<TtlDBTreeListNode*>(Items(i));
    if (doomedSet.count(root)) continue;
    TtlDBTreeListNode* target = nodeOfKey(root->parentKeyValue);
    if (!target || tops.Top(target) == root) continue;
    AttachRoot(root, target);
    tops.Attached(root, target);
  }

  std::unordered_set<TtlTreeListNode*> gone;
  RemoveNodes(doomedSet, gone);

  restorePosition();
}

void TtlDBTreeList::RemoveNodes(const std::unordered_set<TtlTreeListNode*>& doomed,
                                std::unordered_set<TtlTreeListNode*>& gone) {
  if (doomed.empty()) return;
  // Deepest first, so no removed node takes a kept one with it: reverse
  // tree order puts every node after its descendants.
  std::vector<TtlTreeListNode*> order;
  std::vector<TtlTreeListNode*> stack = RootNodes();
  while (!stack.empty()) {
    TtlTreeListNode* n = stack.back();
    stack.pop_back();
    if (doomed.count(n)) order.push_back(n);
    for (int i = 0; i < n->Count(); ++i) stack.push_back(n->Items(i));
  }
  // A deletion handler may destroy nodes of the list itself.
  m_goneNodes = &gone;
  struct Stop {
    std::unordered_set<TtlTreeListNode*>*& set;
    ~Stop() { set = nullptr; }
  } stop{m_goneNodes};
  for (auto it = order.rbegin(); it != order.rend(); ++it)
    if (!gone.count(*it)) (*it)->Delete();
}

void TtlDBTreeList::DataActiveChanged() {
  m_recordChangedByList = false;
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) CloseEditor(false);
  if (UpdateCount() > 0) {
    // Caught up on the last UnlockUpdates; meanwhile nothing of the old
    // statement's fields is held.
    m_reloadOnUnlock = true;
    m_pendingNode = nullptr;
    LookupFields();
    return;
  }
  m_reloadOnUnlock = false;
  m_pendingNode = nullptr;
  // A closed record set usually opens again: its nodes are kept to be
  // reused, unless a deletion handler is to hear of every node that goes.
  // Loading all records takes each back for its record's key; loading on
  // demand makes new nodes of them.
  if (ds && !ds->Active() && !OnDeletion) {
    m_watched = nullptr;
    if (OnDemand()) {
      KeepNodesAsSpares();
    } else {
      ParkNodes(m_parkedNodes);
      InLoadOrder(m_parkedNodes);
    }
  } else {
    ClearNodes();
  }
  LookupFields();
  if (ds && ds->Active()) {
    LoadAllRecords();
    DestroySpareNodes();
    FollowRecord();
  }
}

void TtlDBTreeList::UpdatesUnlocked() {
  if (m_reloadOnUnlock) DataActiveChanged();
}

void TtlDBTreeList::DataLayoutChanged() {
  // The editor's value is written before the batch update would drop it.
  CloseEditor(true);
  LockUpdates();
  LookupFields();
  LoadAllRecords();
  UnlockUpdates();
  FollowRecord();
}

TtlDBTreeListNode* TtlDBTreeList::FindNodeByKey(const QVariant& key) const {
  // Depth first in tree order: each root's subtree before the next root.
  std::vector<TtlTreeListNode*> stack;
  for (int i = Count() - 1; i >= 0; --i) stack.push_back(Items(i));
  while (!stack.empty()) {
    auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
    stack.pop_back();
    if (VarCompare(n->keyValue, key) == 0) return n;
    for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Items(i));
  }
  return nullptr;
}

void TtlDBTreeList::FollowRecord() {
  TDataSet* ds = DataSet();
  if (m_loading || !ds || !ds->Active() || !m_keyField || ds->IsEmpty()) return;
  TtlDBTreeListNode* node = CurrentRecordNode();
  if (!node) {
    if (m_reloading) return;
    {
      // Cleared on every exit: a handler may throw during the load.
      TFlagScope reloading(m_reloading);
      // Loading on demand reads the levels down to the record.
      m_revealKey = m_keyField->Value();
      struct RevealReset {
        QVariant& key;
        ~RevealReset() { key.clear(); }
      } revealReset{m_revealKey};
      LoadAllRecords();
    }
    if (!m_keyField) return;
    node = CurrentRecordNode();
    if (!node) return;
  }
  TFlagScope following(m_following);
  SetFocusedNode(node, FocusedColumn(), true);
}

void TtlDBTreeList::DataScrolled() {
  if (Busy() || m_reloading) return;
  QPointer<TtlDBTreeList> self(this);
  FollowRecord();
  if (!self) return;
  // The selection follows the record set: its node alone is selected.
  if (HasOptionDB(etoSyncSelection) && MultiSelect() && FocusedNode())
    SelectRange(FocusedNode(), FocusedNode());
  if (self && OnChangeNodeEx) OnChangeNodeEx(this);
}

void TtlDBTreeList::DataChanged() {
  if (m_locating) {
    m_locating = false;
    return;
  }
  if (Busy()) return;
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return;
  if (AnyBusyOn(ds, this)) {
    DataScrolled();
    return;
  }
  switch (ds->State()) {
    case dsBrowse: {
      m_recordChangedByList = false;
      {
        TFlagScope reloading(m_reloading);
        LoadAllRecords();
      }
      // The current record's node is focused again after the reload.
      FollowRecord();
      break;
    }
    case dsInsert:
      if (m_keyField) InsertNewRecordNode();
      break;
    default:
      break;
  }
}

void TtlDBTreeList::DataRecordChanged(TField* field) {
  Q_UNUSED(field);
  if (Busy()) return;
  TDataSet* ds = DataSet();
  if (!ds || ds->State() == dsSetKey || (ds->State() == dsInsert && !m_pendingNode)) return;
  auto* node = static_cast<TtlDBTreeListNode*>(FocusedNode());
  if (!node) return;
  CheckBoundFields();
  ReadNodeValues(node);
  m_insertUntouched = false;
  const TRect row = RowRect(node);
  if (!row.IsEmpty()) update(row.toQRect());
  m_pendingNode = node;
  if (OnRefreshNodeData) OnRefreshNodeData(this, node);
}

void TtlDBTreeList::InsertNewRecordNode() {
  BusyScope busy(m_busy, this);
  TtlTreeListNode* focused = FocusedNode();
  TtlTreeListNode* parent = focused ? focused->Parent() : nullptr;
  auto* node = static_cast<TtlDBTreeListNode*>(parent ? parent->AddChild() : Add());
  if (HasOptionDB(etoAutoCalcKeyValue) &&
      (HasOptionDB(etoLoadAllRecords) || OnGetUniqueKeyValue))
    m_keyField->SetValue(CalcUniqueKey(0, node));
  node->parentKeyValue = m_parentField ? m_parentField->Value() : QVariant();
  CheckBoundFields();
  ReadNodeValues(node);
  if (TtlDBTreeListNode* under = FindNodeByKey(node->parentKeyValue);
      under && under != node && !IsNull(node->parentKeyValue))
    PlaceNode(node, under, under->Count());
  m_pendingNode = node;
  m_insertUntouched = true;
  TFlagScope following(m_following, this);
  SetFocusedNode(node, HasOptionDB(etoResetColumnFocus) ? 0 : FocusedColumn(), true);
}

// ---------------------------------------------------------------------------
// Focus moves the record set

bool TtlDBTreeList::CanFocusNode(TtlTreeListNode* node) {
  if (m_following || m_reloading || !HasOptionDB(etoCanNavigation)) return true;
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active() || !m_keyField) return true;
  auto* d = static_cast<TtlDBTreeListNode*>(node);
  m_watched = node;
  struct Unwatch {
    TtlTreeListNode*& watched;
    ~Unwatch() { watched = nullptr; }
  } unwatch{m_watched};
  // The current record may already be the node's.
  if (ds->State() == dsBrowse && IsCurrentRecord(d)) return true;
  {
    BusyScope busy(m_busy);
    TFlagScope locating(m_locating);
    LocateNodeRecord(d->keyValue, d->Bookmark());
  }
  // A reload during the locate may have taken the node away, or a handler of
  // the record set may have moved it elsewhere: the focus then follows the
  // record set instead, so the two never disagree.
  const bool alive = m_watched == node;
  if (!alive || !ds->Active() || !m_keyField ||
      VarCompare(m_keyField->Value(), d->keyValue) != 0) {
    if (alive) m_watched = nullptr;
    FollowRecord();
    return false;
  }
  if (m_pendingNode && m_pendingNode != node && ds->State() == dsBrowse) m_pendingNode = nullptr;
  m_recordMovedForFocus = true;
  return true;
}

void TtlDBTreeList::FocusedNodeChanged() {
  // The focused node and the current record changed together.
  if (!m_recordMovedForFocus) return;
  m_recordMovedForFocus = false;
  if (OnChangeNodeEx) OnChangeNodeEx(this);
}

// ---------------------------------------------------------------------------
// Keyboard and focus

bool TtlDBTreeList::CanDeleteRecords() {
  TDataSet* ds = DataSet();
  return HasOptionDB(etoCanDelete) && HasOptionDB(etoCanNavigation) && FocusedNode() && ds &&
         ds->Active() && !ds->IsEmpty() && ds->CanModify() && !ReadOnly;
}

void TtlDBTreeList::DeleteNodeRecords(TtlTreeListNode* node) {
  if (node) DeleteSubtreeRecords({node});
}

void TtlDBTreeList::DeleteSubtreeRecords(const std::vector<TtlTreeListNode*>& roots) {
  TDataSet* ds = DataSet();
  if (!ds || !m_keyField) return;
  // Each root, then its subtree in tree order; all gathered before anything
  // goes, and deleted in reverse. Loading on demand, the records below a
  // node need not have nodes: they are gathered from the record set.
  std::vector<QVariant> keys;
  std::vector<QString> bookmarks;
  for (TtlTreeListNode* r : roots) {
    if (OnDemand()) {
      SubtreeRecords(static_cast<TtlDBTreeListNode*>(r), keys, bookmarks);
      continue;
    }
    std::vector<TtlTreeListNode*> stack{r};
    while (!stack.empty()) {
      auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
      stack.pop_back();
      keys.push_back(n->keyValue);
      bookmarks.push_back(n->Bookmark());
      for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Items(i));
    }
  }
  TControlsDisabler disabled(ds);
  for (size_t i = keys.size(); i-- > 0;)
    if (LocateNodeRecord(keys[i], bookmarks[i])) ds->Delete();
}

void TtlDBTreeList::DeleteWithConfirmation() {
  if (!CanDeleteRecords()) return;
  const bool several = MultiSelect() && SelectedCount() > 1;
  if (HasOptionDB(etoConfirmDelete)) {
    TMessageBoxRequest request;
    request.Text = several ? QStringLiteral("Delete all selected records?")
                           : QStringLiteral("Delete record?");
    request.Caption = QStringLiteral("Confirm");
    request.Flags = MB_OKCANCEL | MB_ICONQUESTION;
    request.Buttons = {QStringLiteral("OK"), QStringLiteral("Cancel")};
    if (ShowMessageBox(request) != IDOK) return;
  }
  if (!several) {
    DeleteNodeRecords(FocusedNode());
    return;
  }
  // Every selected node, collapsed branches included; one under a selected
  // ancestor goes with that ancestor's subtree.
  std::vector<TtlTreeListNode*> roots;
  std::vector<TtlTreeListNode*> stack(RootNodes().rbegin(), RootNodes().rend());
  while (!stack.empty()) {
    TtlTreeListNode* n = stack.back();
    stack.pop_back();
    if (IsNodeSelected(n)) {
      roots.push_back(n);
      continue;
    }
    for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Items(i));
  }
  DeleteSubtreeRecords(roots);
}

void TtlDBTreeList::HandleKeyDown(WORD& key, TShiftState shift) {
  TDataSet* ds = DataSet();
  const bool ctrl = shift & ssCtrl;
  const bool editing = ds && (ds->State() == dsEdit || ds->State() == dsInsert);
  if (key == VK_DELETE && ctrl) {
    DeleteWithConfirmation();
    key = 0;
    return;
  }
  if (key == VK_INSERT && !ctrl && !(shift & ssShift)) {
    if (HasOptionDB(etoCanInsert) && HasOptionDB(etoCanNavigation) && m_keyField &&
        m_parentField && ds && ds->CanModify() && !ReadOnly) {
      CloseEditor(true);
      ds->Insert();
      ShowEditor();
      key = 0;
      return;
    }
  }
  if (key == VK_ESCAPE && editing) {
    if (m_recordChangedByList) {
      // The tree list wrote into the record: its node shows the record's
      // values as they now are; the next Esc cancels the edit.
      m_recordChangedByList = false;
      if (auto* node = static_cast<TtlDBTreeListNode*>(FocusedNode())) {
        CheckBoundFields();
        ReadNodeValues(node);
        const TRect row = RowRect(node);
        if (!row.IsEmpty()) update(row.toQRect());
      }
    } else {
      ds->Cancel();
    }
    key = 0;
    return;
  }
  if (editing && key == VK_DOWN && FocusedNode() && !FocusedNode()->NextVisible() && ds->Modified()) {
    ds->Post();
    key = 0;
    return;
  }
  if (editing && key == VK_UP) {
    if (UntouchedInsert()) {
      // The row above the new record is where Up lands once it is gone.
      TtlNodeWatch above(this, m_pendingNode ? m_pendingNode->PrevVisible() : nullptr);
      QPointer<TtlDBTreeList> self(this);
      ds->Cancel();
      if (!self) return;
      if (above.Node()) SetFocusedNode(above.Node(), FocusedColumn(), true);
      key = 0;
      return;
    }
    ds->Post();
  }
  TtlCustomTreeList::HandleKeyDown(key, shift);
}

void TtlDBTreeList::FocusChanged(bool focused) {
  TtlCustomTreeList::FocusChanged(focused);
  // The focus went to the tree list's own editor: the tree list is not left.
  if (focused || EditorHasFocus()) return;
  TDataSet* ds = DataSet();
  if (HasOptionDB(etoCancelOnExit) && UntouchedInsert()) ds->Cancel();
}

void TtlDBTreeList::Loaded() {
  TtlCustomTreeList::Loaded();
  DataActiveChanged();
}

bool TtlDBTreeList::UntouchedInsert() const {
  // A key the tree list computed itself is no change of the user's.
  TDataSet* ds = DataSet();
  return ds && ds->State() == dsInsert && m_pendingNode && (m_insertUntouched || !ds->Modified());
}

// ---------------------------------------------------------------------------
// Sorting and search

void TtlDBTreeList::SetSelectedIndex(int index) {
  if (index == m_selectedIndex) return;
  m_selectedIndex = index;
  std::vector<TtlTreeListNode*> stack(RootNodes().begin(), RootNodes().end());
  while (!stack.empty()) {
    auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
    stack.pop_back();
    n->selectedIndex = index;
    for (int i = 0; i < n->Count(); ++i) stack.push_back(n->Items(i));
  }
  update();
}

QVariant TtlDBTreeList::SortValue(TtlTreeListNode* node, TtlTreeListColumn* column) {
  auto* c = qobject_cast<TtlDBTreeListColumn*>(column);
  auto* field = c ? static_cast<TtlFieldColumnField*>(c->Field()) : nullptr;
  // Typed values for numbers, Booleans, dates and columns without a field;
  // the shown text for everything else.
  if (field && !KeepsValue(field->Field())) return column->CellText(node);
  const TNodeVariantData* d = static_cast<TtlDBTreeListNode*>(node)->VariantData(column->Index());
  return d && (d->assigned & nvaValue) ? d->value : QVariant();
}

int TtlDBTreeList::TieBreak(TtlTreeListNode* a, TtlTreeListNode* b) {
  // By key (null keys first), then by identity: never 0 for two nodes, so
  // the order stays a strict weak one.
  const int c = TtlSortKey::Compare(TtlSortKey::From(static_cast<TtlDBTreeListNode*>(a)->keyValue, false),
                                    TtlSortKey::From(static_cast<TtlDBTreeListNode*>(b)->keyValue, false),
                                    false);
  return c != 0 ? c : TtlCustomTreeList::TieBreak(a, b);
}

bool TtlDBTreeList::AutoSearchAllowed() {
  return HasBehavior(etoAutoSearch) && HasOptionDB(etoLoadAllRecords);
}
