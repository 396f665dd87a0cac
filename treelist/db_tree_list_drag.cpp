// Drops on the data-aware tree list: where a drop goes, and the record work
// it does. A move rewrites the parent field of each dragged record; a copy
// inserts copies of the dragged records with their whole subtrees of records
// under the new parent. Parent values come from untrusted banks: they may
// form cycles, so every walk over them is iterative with a visited set.

#include <QHash>
#include <algorithm>
#include <unordered_set>

#include "db/db_error.h"
#include "treelist/db_tree_list.h"

namespace {
bool IsNull(const QVariant& v) { return !v.isValid() || v.isNull(); }

// Values by the equality of the variant comparison: equal values always land
// in one bucket (numbers and texts reading as numbers by their value), and
// the comparison itself decides inside a bucket.
class TValueBuckets {
 public:
  void Add(const QVariant& value, int row) {
    if (!IsNull(value)) m_buckets[Bucket(value)].push_back({value, row});
  }
  // Rows whose value equals `value`, in the order they were added.
  std::vector<int> Find(const QVariant& value) const {
    std::vector<int> rows;
    if (IsNull(value)) return rows;
    const auto it = m_buckets.find(Bucket(value));
    if (it == m_buckets.end()) return rows;
    for (const auto& [v, row] : *it)
      if (VarCompare(v, value) == 0) rows.push_back(row);
    return rows;
  }

 private:
  static QString Bucket(const QVariant& v) {
    bool ok = false;
    const double d = v.toDouble(&ok);
    const int t = v.typeId();
    const bool text = t == QMetaType::QString || t == QMetaType::QChar;
    const bool number = t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::UInt ||
                        t == QMetaType::ULongLong || t == QMetaType::Double ||
                        t == QMetaType::Float || t == QMetaType::Short ||
                        t == QMetaType::UShort || t == QMetaType::Bool;
    if ((number || text) && ok) return QStringLiteral("n") + QString::number(d, 'g', 17);
    if (text) return QStringLiteral("s") + v.toString();
    return QStringLiteral("o") + v.toString();
  }
  struct Entry {
    QVariant value;
    int row;
  };
  QHash<QString, std::vector<Entry>> m_buckets;
};
}  // namespace

// ---------------------------------------------------------------------------
// Where a drop goes

bool TtlDBTreeList::CanDropAt(TPoint point, TtlTreeListNodeAttachMode& attachMode,
                              TtlTreeListNode*& attachNode) {
  TtlTreeListNode* node = nullptr;
  attachMode = natlAddChild;
  attachNode = nullptr;
  switch (HitTest(point.X, point.Y, &node)) {
    case htIndent:
      attachMode = natlInsert;
      attachNode = node;
      break;
    case htButton: case htStateImage: case htImage: case htCell: case htPreview:
      attachNode = node;
      break;
    case htNowhere:
      // Below the rows (or on the bare indent of a row): the nodes become
      // the last roots.
      attachMode = natlAdd;
      attachNode = Items(0);
      break;
    case htRowRight: case htOutside:
      return false;
  }
  if (DragCopy()) return true;
  const std::vector<TtlTreeListNode*> nodes = DraggedNodes();
  if (nodes.empty()) return false;
  const bool childMode = attachMode == natlAddChild || attachMode == natlAddChildFirst;
  for (TtlTreeListNode* n : nodes) {
    if (!attachNode) continue;
    // Not onto itself, not into its own subtree.
    if (attachNode == n && (childMode || attachMode == natlInsert)) return false;
    if (attachNode->HasAsParent(n)) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------
// The drag's hooks

void TtlDBTreeList::DragStarting() {
  TDataSet* ds = DataSet();
  if (!ds || !ds->Active()) return;
  const TDataSetState s = ds->State();
  if (s == dsEdit || s == dsInsert || s == dsSetKey) ds->Post();
}

bool TtlDBTreeList::DragScrollAllowed() {
  TDataSet* ds = DataSet();
  if (!ds) return true;
  const TDataSetState s = ds->State();
  return s != dsEdit && s != dsInsert && s != dsSetKey;
}

bool TtlDBTreeList::AcceptsOwnDrop(int x, int y) {
  if (!HasBehavior(etoAutoDragDrop)) return false;
  TtlTreeListNodeAttachMode mode;
  TtlTreeListNode* node;
  return CanDropAt(TPoint(x, y), mode, node);
}

QVariant TtlDBTreeList::CalcUniqueKey(int generated, const TtlTreeListNode* except) {
  QVariant key;
  if (OnGetUniqueKeyValue) {
    OnGetUniqueKeyValue(this, key);
    return key;
  }
  QVariant largest;
  std::vector<TtlTreeListNode*> stack(RootNodes().begin(), RootNodes().end());
  while (!stack.empty()) {
    auto* n = static_cast<TtlDBTreeListNode*>(stack.back());
    stack.pop_back();
    if (n != except && VarCompare(n->keyValue, largest) > 0) largest = n->keyValue;
    for (int i = 0; i < n->Count(); ++i) stack.push_back(n->Items(i));
  }
  bool numeric = false;
  const qlonglong top = largest.toLongLong(&numeric);
  return numeric ? QVariant(top + 1 + generated) : QVariant(0);
}

void TtlDBTreeList::DropOwnNodes(int x, int y) {
  TDataSet* ds = DataSet();
  if (!HasBehavior(etoAutoDragDrop) || !ds || !ds->Active() || !m_keyField || !m_parentField) return;
  TtlTreeListNodeAttachMode mode;
  TtlTreeListNode* target = nullptr;
  if (!CanDropAt(TPoint(x, y), mode, target)) return;
  bool copy = DragCopy();
  std::vector<TtlTreeListNode*> nodes = DraggedNodes();
  if (nodes.empty()) return;
  QPointer<TtlDBTreeList> self(this);
  {
    // The handler may destroy nodes: the drop then works on what is left.
    TtlNodeWatch attach(this, target);
    std::vector<std::unique_ptr<TtlNodeWatch>> watched;
    for (TtlTreeListNode* n : nodes) watched.push_back(std::make_unique<TtlNodeWatch>(this, n));
    bool done = false;
    if (OnMoveTo) OnMoveTo(this, target, mode, nodes, copy, done);
    if (!self || done) return;
    if (target && !attach.Node()) return;
    nodes.clear();
    for (const auto& w : watched)
      if (w->Node()) nodes.push_back(w->Node());
  }
  if (nodes.empty() || !ds->Active() || !m_keyField || !m_parentField) return;
  QVariant parentValue;
  if (auto* t = static_cast<TtlDBTreeListNode*>(target))
    parentValue = mode == natlAddChild || mode == natlAddChildFirst ? t->keyValue : t->parentKeyValue;
  if (copy) {
    // Shallowest first; a node under any other dragged node comes along
    // with that node's subtree and is not copied a second time.
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](auto* a, auto* b) { return a->Level() < b->Level(); });
    const std::unordered_set<TtlTreeListNode*> dragged(nodes.begin(), nodes.end());
    std::vector<TtlTreeListNode*> tops;
    for (TtlTreeListNode* n : nodes) {
      bool under = false;
      for (TtlTreeListNode* p = n->Parent(); p && !under; p = p->Parent()) under = dragged.count(p) > 0;
      if (!under) tops.push_back(n);
    }
    nodes = tops;
  }
  // The nodes go with the reload that follows: their keys are what is needed.
  std::vector<QVariant> keys;
  for (TtlTreeListNode* n : nodes) keys.push_back(static_cast<TtlDBTreeListNode*>(n)->keyValue);
  // One update of the tree after all records are written, also after an error.
  TControlsDisabler disabled(ds);
  if (copy) CopyRecords(keys, parentValue);
  else MoveRecords(keys, parentValue);
}

// ---------------------------------------------------------------------------
// The record work

void TtlDBTreeList::MoveRecords(const std::vector<QVariant>& keys, const QVariant& parentValue) {
  TDataSet* ds = DataSet();
  const QString keyName = m_keyFieldName, parentName = m_parentFieldName;
  for (const QVariant& key : keys) {
    if (!ds->Active() || IsNull(key)) continue;
    if (!ds->Locate(keyName, key)) continue;
    ds->Edit();
    ds->FieldByName(parentName)->SetValue(parentValue);
    ds->Post();
  }
}

void TtlDBTreeList::CopyRecords(const std::vector<QVariant>& keys, const QVariant& parentValue) {
  TDataSet* ds = DataSet();
  TField* keyField = ds->FieldByName(m_keyFieldName);
  TField* parentField = ds->FieldByName(m_parentFieldName);
  // Every field the user could change, but the key and the parent; a
  // lookup field is copied through its key field.
  std::vector<QString> copied;
  for (TField* f : ds->Fields()) {
    TField* source = f;
    if (f->IsLookup()) source = ds->FindField(f->KeyFields);
    if (!source || source->FieldKind() != fkData || source == keyField || source == parentField ||
        !source->CanModify())
      continue;
    if (std::find(copied.begin(), copied.end(), source->FieldName()) == copied.end())
      copied.push_back(source->FieldName());
  }
  if (copied.empty()) return;

  // Every record once, read into buffers; children are found by a full scan,
  // wherever they stand in record order.
  struct Record {
    QVariant key;
    std::vector<QVariant> values;
  };
  std::vector<Record> records;
  TValueBuckets byKey, byParent;
  records.reserve(static_cast<size_t>(ds->RecordCount()));
  for (ds->First(); !ds->Eof(); ds->Next()) {
    Record r;
    r.key = keyField->Value();
    for (const QString& name : copied) r.values.push_back(ds->FieldByName(name)->Value());
    const int row = static_cast<int>(records.size());
    byKey.Add(r.key, row);
    byParent.Add(parentField->Value(), row);
    records.push_back(std::move(r));
  }

  // Each copied subtree in tree order: (record, index of its copied parent
  // in `plan` or -1). A record reached twice (a cycle of parent values, or
  // a subtree met again) is copied once.
  struct Step {
    int record;
    int parent;
  };
  std::vector<Step> plan;
  std::vector<bool> visited(records.size(), false);
  for (const QVariant& key : keys) {
    const std::vector<int> found = byKey.Find(key);
    if (found.empty() || visited[found.front()]) continue;
    std::vector<Step> stack{{found.front(), -1}};
    while (!stack.empty()) {
      const Step step = stack.back();
      stack.pop_back();
      if (visited[step.record]) continue;
      visited[step.record] = true;
      const int at = static_cast<int>(plan.size());
      plan.push_back(step);
      const std::vector<int> children = byParent.Find(records[step.record].key);
      for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (!visited[*it]) stack.push_back({*it, at});
    }
  }

  // Inserted in plan order, so a parent's new key is known before its children.
  std::vector<QVariant> newKeys(plan.size());
  TValueBuckets usedKeys;
  for (size_t i = 0; i < records.size(); ++i) usedKeys.Add(records[i].key, static_cast<int>(i));
  const bool calcKey = HasOptionDB(etoAutoCalcKeyValue) &&
                       (OnGetUniqueKeyValue || HasOptionDB(etoLoadAllRecords));
  int generated = 0;
  for (size_t i = 0; i < plan.size(); ++i) {
    if (!ds->Active()) return;
    const Record& r = records[plan[i].record];
    QVariant key;
    if (calcKey) {
      key = CalcUniqueKey(generated++);
      // The key stays unique: a computed key that is taken is an error, not
      // a second record under one key.
      if (!IsNull(key) && !usedKeys.Find(key).empty())
        throw EDatabaseError(QStringLiteral("Key value %1 of a copied record is already in use")
                                 .arg(key.toString()));
      usedKeys.Add(key, -1);
    }
    ds->Insert();
    if (calcKey && !IsNull(key)) ds->FieldByName(m_keyFieldName)->SetValue(key);
    ds->FieldByName(m_parentFieldName)
        ->SetValue(plan[i].parent < 0 ? parentValue : newKeys[plan[i].parent]);
    for (size_t f = 0; f < copied.size(); ++f) ds->FieldByName(copied[f])->SetValue(r.values[f]);
    ds->Post();
    newKeys[i] = ds->FieldByName(m_keyFieldName)->Value();
  }
}
