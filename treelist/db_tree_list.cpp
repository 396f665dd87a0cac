#include "treelist/db_tree_list.h"

#include <QCursor>
#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/application.h"

namespace {
std::vector<TtlDBTreeList*>& Registry() {
  static std::vector<TtlDBTreeList*> lists;
  return lists;
}

struct VarLess {
  bool operator()(const QVariant& a, const QVariant& b) const { return VarCompare(a, b) < 0; }
};

bool IsNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

// Field types whose value a node keeps for drawing and sorting.
bool KeepsValue(const TField* f) {
  switch (f->DataType()) {
    case ftInteger: case ftLargeint: case ftAutoInc: case ftFloat: case ftBoolean: case ftDateTime:
      return true;
    default:
      return false;
  }
}

// Whole-number keys (the usual case) go to a hash table; any other key to an
// ordered map under the variant comparison.
bool WholeNumber(const QVariant& v, qint64& out) {
  switch (v.typeId()) {
    case QMetaType::Int: case QMetaType::LongLong: case QMetaType::UInt: case QMetaType::Short:
    case QMetaType::UShort: case QMetaType::Long:
      out = v.toLongLong();
      return true;
    default:
      return false;
  }
}

// Nodes by key; with `multi`, several nodes may share a key and Take hands
// them out one by one.
class TNodeKeyIndex {
 public:
  explicit TNodeKeyIndex(bool multi, size_t expected = 0) : m_multi(multi) {
    m_ints.reserve(expected);
  }
  bool Empty() const { return m_count == 0; }
  void Add(const QVariant& key, TtlDBTreeListNode* node) {
    qint64 i = 0;
    if (WholeNumber(key, i)) {
      if (!m_multi && m_ints.count(i)) return;
      m_ints.emplace(i, node);
    } else {
      if (!m_multi && Find(key)) return;
      m_others.emplace(key, node);
    }
    ++m_count;
  }
  TtlDBTreeListNode* Find(const QVariant& key) const {
    qint64 i = 0;
    if (WholeNumber(key, i)) {
      auto it = m_ints.find(i);
      return it != m_ints.end() ? it->second : nullptr;
    }
    auto it = m_others.find(key);
    return it != m_others.end() && VarCompare(it->first, key) == 0 ? it->second : nullptr;
  }
  TtlDBTreeListNode* Take(const QVariant& key) {
    qint64 i = 0;
    TtlDBTreeListNode* node = nullptr;
    if (WholeNumber(key, i)) {
      auto it = m_ints.find(i);
      if (it == m_ints.end()) return nullptr;
      node = it->second;
      m_ints.erase(it);
    } else {
      auto it = m_others.find(key);
      if (it == m_others.end() || VarCompare(it->first, key) != 0) return nullptr;
      node = it->second;
      m_others.erase(it);
    }
    --m_count;
    return node;
  }
  std::vector<TtlDBTreeListNode*> All() const {
    std::vector<TtlDBTreeListNode*> nodes;
    for (const auto& [key, node] : m_ints) nodes.push_back(node);
    for (const auto& [key, node] : m_others) nodes.push_back(node);
    return nodes;
  }

 private:
  bool m_multi;
  size_t m_count = 0;
  std::unordered_multimap<qint64, TtlDBTreeListNode*> m_ints;
  std::multimap<QVariant, TtlDBTreeListNode*, VarLess> m_others;
};
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

// ---------------------------------------------------------------------------

TtlDBTreeList::TtlDBTreeList(QWidget* parent) : TtlCustomTreeList(parent) {
  Registry().push_back(this);
}

TtlDBTreeList::~TtlDBTreeList() {
  m_link.SetDataSource(nullptr);
  auto& r = Registry();
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
  m_pendingNode = nullptr;
  m_watched = nullptr;
}

const std::vector<TtlDBTreeList*>& TtlDBTreeList::Instances() { return Registry(); }

bool TtlDBTreeList::AnyBusyOn(const TDataSet* dataSet, const TtlDBTreeList* except) {
  if (!dataSet) return false;
  for (const TtlDBTreeList* l : Registry())
    if (l != except && l->Busy() && l->DataSet() == dataSet) return true;
  return false;
}

TtlTreeListNode* TtlDBTreeList::CreateNode() { return new TtlDBTreeListNode(this); }

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

void TtlDBTreeList::NodeDestroying(TtlTreeListNode* node) {
  if (node == m_pendingNode) m_pendingNode = nullptr;
  if (node == m_watched) m_watched = nullptr;
}

// ---------------------------------------------------------------------------
// Fields

void TtlDBTreeList::LookupFields() {
  TDataSet* ds = DataSet();
  const bool active = ds && ds->Active();
  auto find = [&](const QString& name) { return active && !name.isEmpty() ? ds->FindField(name) : nullptr; };
  m_keyField = find(m_keyFieldName);
  m_parentField = find(m_parentFieldName);
  m_imageIndexField = find(ImageIndexFieldName);
  m_stateIndexField = find(StateIndexFieldName);
  m_previewField = find(PreviewFieldName);
  m_columnFields.clear();
  RebindColumns();
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

void TtlDBTreeList::ReadNodeValues(TtlDBTreeListNode* node) {
  node->keyValue = m_keyField ? m_keyField->Value() : QVariant();
  if (node->cellTexts.size() < ColumnCount()) node->cellTexts.resize(ColumnCount());
  for (const auto& [unused, column, field] : m_boundFields) {
    node->SetCellText(column, field->DisplayText());
    const bool isNull = field->IsNull();
    const bool isString = field->DataType() == ftString || field->DataType() == ftWideString;
    if (KeepsValue(field) || isNull || (isString && (field->HasGetText() || !field->EditMask.isEmpty()))) {
      TNodeVariantData& d = node->EnsureVariantData(column);
      d.value = field->Value();
      d.assigned |= nvaValue;
      if (field->IsLookup()) {
        d.lookupKeyValue = field->DataSet()->FindField(field->KeyFields)
                               ? field->DataSet()->FindField(field->KeyFields)->Value()
                               : QVariant();
        d.assigned |= nvaLookupValue;
      }
    } else if (TNodeVariantData* d = node->VariantData(column)) {
      d->assigned = 0;
      d->value.clear();
    }
  }
  if (m_imageIndexField) node->imageIndex = m_imageIndexField->AsInteger();
  if (m_stateIndexField) node->stateIndex = m_stateIndexField->AsInteger();
  if (m_previewField) {
    QString text = m_previewField->AsString();
    if (PreviewMaxLength > 0 && text.size() > PreviewMaxLength) text.truncate(PreviewMaxLength);
    node->previewText = text;
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
  // Nodes of the records read so far, by key (the first one of a key wins).
  TNodeKeyIndex byKey(false, static_cast<size_t>(ds->RecordCount()));
  auto nodeOfKey = [&](const QVariant& key) -> TtlDBTreeListNode* {
    return IsNull(key) ? nullptr : byKey.Find(key);
  };

  QVariant k, p;
  for (ds->First(); !ds->Eof(); ds->Next()) {
    k = m_keyField->Value();
    p = m_parentField->Value();
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
      TtlDBTreeListNode* parentNode = nodeOfKey(p);
      node = static_cast<TtlDBTreeListNode*>(parentNode ? parentNode->AddChild() : Add());
    }
    if (!IsNull(k)) byKey.Add(k, node);
    node->parentKeyValue = p;
    ReadNodeValues(node);
  }

  // Records of removed nodes' subtrees that are still there become roots
  // before their old parents go.
  std::vector<TtlDBTreeListNode*> doomed = unseen.All();
  const std::unordered_set<TtlTreeListNode*> doomedSet(doomed.begin(), doomed.end());
  for (TtlDBTreeListNode* node : doomed)
    for (int i = node->Count() - 1; i >= 0; --i)
      if (!doomedSet.count(node->Items(i))) PlaceNode(node->Items(i), nullptr, Count());

  // Records read before their parent were left as roots: attach them now.
  for (int i = Count() - 1; i >= 0; --i) {
    auto* root = static_cast<TtlDBTreeListNode*>(Items(i));
    if (doomedSet.count(root)) continue;
    TtlDBTreeListNode* target = nodeOfKey(root->parentKeyValue);
    if (target && target != root && !target->HasAsParent(root))
      PlaceNode(root, target, target->Count());
  }

  // Deepest first, so no removed node takes a kept one with it.
  std::sort(doomed.begin(), doomed.end(),
            [](auto* a, auto* b) { return a->Level() > b->Level(); });
  for (TtlDBTreeListNode* node : doomed) node->Delete();

  if (!saved.isEmpty() && ds->BookmarkValid(saved)) {
    ds->SetBookmark(saved);
    ds->RestoreEndFlags(savedBof, savedEof);
  } else if (!ds->IsEmpty()) {
    ds->First();
  }
}

void TtlDBTreeList::DataActiveChanged() {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) CloseEditor(false);
  if (UpdateCount() > 0) return;
  m_pendingNode = nullptr;
  ClearNodes();
  LookupFields();
  if (ds && ds->Active()) {
    LoadAllRecords();
    FollowRecord();
  }
}

void TtlDBTreeList::DataLayoutChanged() {
  LockUpdates();
  CloseEditor(true);
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
  TtlDBTreeListNode* node = FindNodeByKey(m_keyField->Value());
  if (!node) {
    if (m_reloading) return;
    m_reloading = true;
    LoadAllRecords();
    m_reloading = false;
    node = FindNodeByKey(m_keyField->Value());
    if (!node) return;
  }
  const bool wasFollowing = m_following;
  m_following = true;
  struct Reset {
    bool& flag;
    bool value;
    ~Reset() { flag = value; }
  } reset{m_following, wasFollowing};
  SetFocusedNode(node, FocusedColumn(), true);
}

void TtlDBTreeList::DataScrolled() {
  if (Busy() || m_reloading) return;
  QPointer<TtlDBTreeList> self(this);
  FollowRecord();
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
      m_reloading = true;
      struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
      } reset{m_reloading};
      LoadAllRecords();
      m_reloading = false;
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
  BusyScope busy(m_busy);
  TtlTreeListNode* focused = FocusedNode();
  TtlTreeListNode* parent = focused ? focused->Parent() : nullptr;
  auto* node = static_cast<TtlDBTreeListNode*>(parent ? parent->AddChild() : Add());
  if (HasOptionDB(etoAutoCalcKeyValue) &&
      (HasOptionDB(etoLoadAllRecords) || OnGetUniqueKeyValue)) {
    QVariant key;
    if (OnGetUniqueKeyValue) {
      OnGetUniqueKeyValue(this, key);
    } else {
      QVariant largest;
      std::vector<TtlTreeListNode*> stack(RootNodes().begin(), RootNodes().end());
      while (!stack.empty()) {
        auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
        stack.pop_back();
        if (n != node && VarCompare(n->keyValue, largest) > 0) largest = n->keyValue;
        for (int i = 0; i < n->Count(); ++i) stack.push_back(n->Items(i));
      }
      bool numeric = false;
      const qlonglong top = largest.toLongLong(&numeric);
      key = numeric ? QVariant(top + 1) : QVariant(0);
    }
    m_keyField->SetValue(key);
  }
  node->parentKeyValue = m_parentField ? m_parentField->Value() : QVariant();
  CheckBoundFields();
  ReadNodeValues(node);
  if (TtlDBTreeListNode* under = FindNodeByKey(node->parentKeyValue);
      under && under != node && !IsNull(node->parentKeyValue))
    PlaceNode(node, under, under->Count());
  m_pendingNode = node;
  m_insertUntouched = true;
  m_following = true;
  SetFocusedNode(node, HasOptionDB(etoResetColumnFocus) ? 0 : FocusedColumn(), true);
  m_following = false;
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
  if (ds->State() == dsBrowse && VarCompare(m_keyField->Value(), d->keyValue) == 0) return true;
  {
    BusyScope busy(m_busy);
    m_locating = true;
    struct Reset {
      bool& flag;
      ~Reset() { flag = false; }
    } reset{m_locating};
    ds->Locate(m_keyFieldName, d->keyValue);
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
  // goes, and deleted in reverse.
  std::vector<QVariant> keys;
  for (TtlTreeListNode* r : roots) {
    std::vector<TtlTreeListNode*> stack{r};
    while (!stack.empty()) {
      auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
      stack.pop_back();
      keys.push_back(n->keyValue);
      for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Items(i));
    }
  }
  TControlsDisabler disabled(ds);
  for (auto it = keys.rbegin(); it != keys.rend(); ++it)
    if (ds->Locate(m_keyFieldName, *it)) ds->Delete();
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
  std::vector<TtlTreeListNode*> roots;
  for (int i = 0; i < ShownCount(); ++i) {
    TtlTreeListNode* n = NodeAtVisibleIndex(i);
    if (IsNodeSelected(n)) roots.push_back(n);
  }
  DeleteSubtreeRecords(roots);
}

void TtlDBTreeList::KeyDown(WORD& key, TShiftState shift) {
  TDataSet* ds = DataSet();
  const bool ctrl = shift & ssCtrl;
  const bool editing = ds && (ds->State() == dsEdit || ds->State() == dsInsert);
  if (key == VK_DELETE && ctrl) {
    QPointer<TtlDBTreeList> self(this);
    if (OnKeyDown) OnKeyDown(this, key, shift);
    if (!self || key == 0) return;
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
    ds->Cancel();
    key = 0;
    return;
  }
  if (editing && key == VK_DOWN && FocusedNode() && !FocusedNode()->NextVisible() && ds->Modified()) {
    ds->Post();
    key = 0;
    return;
  }
  if (editing && key == VK_UP) {
    if (UntouchedInsert()) ds->Cancel();
    else ds->Post();
  }
  TtlCustomTreeList::KeyDown(key, shift);
}

void TtlDBTreeList::FocusChanged(bool focused) {
  TtlCustomTreeList::FocusChanged(focused);
  if (focused) return;
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
