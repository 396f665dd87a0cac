#include "treelist/tree_list_node.h"

#include <QDateTime>
#include <algorithm>

#include "treelist/tree_list.h"
#include "treelist/tree_list_node_pool.h"

TtlTreeListNode::TtlTreeListNode(TtlCustomTreeList* owner) : m_treeList(owner) {
  if (!owner) throw EInvalidTreeListOperation(QStringLiteral("Invalid Owner TtlTreeListNode"));
}

TtlTreeListNode::~TtlTreeListNode() = default;

void* TtlTreeListNode::operator new(std::size_t size) { return tl_node_pool::Allocate(size); }

void TtlTreeListNode::operator delete(void* node, std::size_t size) {
  tl_node_pool::Release(node, size);
}

void TtlTreeListNode::SetHasChildren(bool value) {
  value = value || Count() > 0;
  if (value == m_hasChildren) return;
  m_hasChildren = value;
  if (!value) m_isExpanded = false;
  m_treeList->StructureChanged(this);
}

TtlTreeListNode* TtlTreeListNode::Items(int index) const {
  return index >= 0 && index < Count() ? (*m_children)[index] : nullptr;
}

std::vector<TtlTreeListNode*>* TtlTreeListNode::SiblingList() const {
  if (!m_attached) return nullptr;
  return m_parentNode ? m_parentNode->m_children.get() : &m_treeList->m_rootNodes;
}

int TtlTreeListNode::Index() const {
  const auto* list = SiblingList();
  if (!list) return -1;
  // The place found last time is checked first: walking siblings in order
  // then costs nothing per step, whatever the list's length.
  const int count = static_cast<int>(list->size());
  if (m_indexHint >= 0 && m_indexHint < count && (*list)[m_indexHint] == this) return m_indexHint;
  // From the back: appending and deleting from the end stay cheap.
  for (int i = count - 1; i >= 0; --i)
    if ((*list)[i] == this) {
      m_indexHint = i;
      return i;
    }
  return -1;
}

int TtlTreeListNode::Level() const {
  int level = 0;
  for (auto* p = m_parentNode; p; p = p->m_parentNode) ++level;
  return level;
}

TtlTreeListNode* TtlTreeListNode::NextSibling() const {
  const auto* list = SiblingList();
  const int i = Index();
  return list && i >= 0 && i + 1 < static_cast<int>(list->size()) ? (*list)[i + 1] : nullptr;
}

TtlTreeListNode* TtlTreeListNode::PrevSibling() const {
  const auto* list = SiblingList();
  const int i = Index();
  return list && i > 0 ? (*list)[i - 1] : nullptr;
}

TtlTreeListNode* TtlTreeListNode::NextInTree() const {
  if (Count()) return FirstChild();
  for (const TtlTreeListNode* n = this; n; n = n->m_parentNode)
    if (auto* s = n->NextSibling()) return s;
  return nullptr;
}

TtlTreeListNode* TtlTreeListNode::PrevInTree() const {
  TtlTreeListNode* p = PrevSibling();
  if (!p) return m_parentNode;
  while (p->Count()) p = p->LastChild();
  return p;
}

TtlTreeListNode* TtlTreeListNode::NextVisible() const {
  if (m_isExpanded && Count()) return FirstChild();
  for (const TtlTreeListNode* n = this; n; n = n->m_parentNode)
    if (auto* s = n->NextSibling()) return s;
  return nullptr;
}

TtlTreeListNode* TtlTreeListNode::PrevVisible() const {
  TtlTreeListNode* p = PrevSibling();
  if (!p) return m_parentNode;
  while (p->m_isExpanded && p->Count()) p = p->LastChild();
  return p;
}

bool TtlTreeListNode::IsLast() const {
  const auto* list = SiblingList();
  return list && !list->empty() && list->back() == this;
}

bool TtlTreeListNode::IsShown() const {
  for (auto* p = m_parentNode; p; p = p->m_parentNode)
    if (!p->m_isExpanded) return false;
  return m_attached;
}

bool TtlTreeListNode::HasAsParent(const TtlTreeListNode* node) const {
  if (!node) return false;
  for (auto* p = m_parentNode; p; p = p->m_parentNode)
    if (p == node) return true;
  return false;
}

bool TtlTreeListNode::Focused() const { return m_treeList->FocusedNode() == this; }
bool TtlTreeListNode::Selected() const { return m_treeList->IsNodeSelected(this); }

TtlTreeListNode* TtlTreeListNode::AddChild(TtlTreeListNode* before) {
  TtlTreeListNode* node = m_treeList->CreateNode();
  const int position = before && before->m_parentNode == this ? before->Index() : Count();
  node->AttachTo(this, position);
  m_treeList->NodeAdded(node);
  return node;
}

void TtlTreeListNode::Detach() {
  auto* list = SiblingList();
  if (!list) return;
  const int index = Index();
  if (index >= 0) list->erase(list->begin() + index);
  if (TtlTreeListNode* parent = m_parentNode) {
    if (parent->m_children->empty()) {
      // A parent left without children loses its button and collapses.
      parent->m_children.reset();
      parent->m_hasChildren = false;
      parent->m_isExpanded = false;
      parent->cachedHeight = 0;
    }
  }
  m_parentNode = nullptr;
  m_attached = false;
  m_treeList->m_rowsShrank = true;
  m_treeList->StructureChanged(nullptr);
}

void TtlTreeListNode::AttachTo(TtlTreeListNode* parent, int position) {
  std::vector<TtlTreeListNode*>* list;
  if (parent) {
    if (!parent->m_children) parent->m_children = std::make_unique<std::vector<TtlTreeListNode*>>();
    parent->m_hasChildren = true;
    parent->cachedHeight = 0;
    list = parent->m_children.get();
  } else {
    list = &m_treeList->m_rootNodes;
  }
  position = std::clamp(position, 0, static_cast<int>(list->size()));
  list->insert(list->begin() + position, this);
  m_indexHint = position;
  m_parentNode = parent;
  m_attached = true;
  m_treeList->StructureChanged(nullptr);
}

void TtlTreeListNode::MoveTo(TtlTreeListNode* target, TtlTreeListNodeAttachMode mode) {
  m_treeList->MoveNode(this, target, mode);
}

void TtlTreeListNode::SetExpanded(bool value) { m_treeList->SetNodeExpanded(this, value); }

void TtlTreeListNode::Expand(bool recursive) {
  m_treeList->LockUpdates();
  SetExpanded(true);
  if (recursive) {
    std::vector<TtlTreeListNode*> stack;
    for (int i = Count() - 1; i >= 0; --i) stack.push_back((*m_children)[i]);
    while (!stack.empty()) {
      TtlTreeListNode* n = stack.back();
      stack.pop_back();
      if (!n->m_hasChildren) continue;
      n->SetExpanded(true);
      for (int i = n->Count() - 1; i >= 0; --i) stack.push_back((*n->m_children)[i]);
    }
  }
  m_treeList->UnlockUpdates();
}

void TtlTreeListNode::Collapse(bool recursive) {
  m_treeList->LockUpdates();
  if (recursive) {
    // Descendants before their parents, without recursion.
    std::vector<TtlTreeListNode*> order, stack;
    for (int i = 0; i < Count(); ++i) stack.push_back((*m_children)[i]);
    while (!stack.empty()) {
      TtlTreeListNode* n = stack.back();
      stack.pop_back();
      order.push_back(n);
      for (int i = 0; i < n->Count(); ++i) stack.push_back((*n->m_children)[i]);
    }
    for (auto it = order.rbegin(); it != order.rend(); ++it) (*it)->SetExpanded(false);
  }
  SetExpanded(false);
  m_treeList->UnlockUpdates();
}

void TtlTreeListNode::DeleteChildren() {
  if (!Count()) return;
  m_treeList->LockUpdates();
  while (Count() && !LastChild()->m_deleting) LastChild()->Delete();
  m_treeList->UnlockUpdates();
}

bool TtlTreeListNode::DestroyDescendants() {
  // Last child first, deepest first, without recursion: a bank can nest
  // hundreds of thousands of levels. Nodes on the way down are marked, so a
  // handler deleting one of them does nothing.
  TtlTreeListNode* n = this;
  for (;;) {
    TtlTreeListNode* child = n->Count() ? n->LastChild() : nullptr;
    if (child && !child->m_deleting) {
      child->m_deleting = true;
      n = child;
      continue;
    }
    if (child) {
      // A child that a deletion further out is already destroying: leave
      // this branch standing rather than wait for it forever.
      for (TtlTreeListNode* p = n; p && p != this; p = p->m_parentNode) p->m_deleting = false;
      return false;
    }
    if (n == this) return true;
    TtlTreeListNode* parent = n->m_parentNode;
    n->Destroy();
    n = parent ? parent : this;
  }
}

void TtlTreeListNode::Destroy() {
  // A node never attached leaves no trace in the forest.
  if (m_attached) m_treeList->NodeDeleting(this);
  delete this;
}

void TtlTreeListNode::Delete() {
  if (m_deleting) return;
  m_deleting = true;
  if (Count()) {
    m_treeList->LockUpdates();
    const bool done = DestroyDescendants();
    m_treeList->UnlockUpdates();
    if (!done) {
      m_deleting = false;
      return;
    }
  }
  Destroy();
}

// ---------------------------------------------------------------------------

void TtlTreeListTextNode::SetCellText(int column, const QString& text) { SetCellText(column, QString(text)); }

void TtlTreeListTextNode::SetCellText(int column, QString&& text) {
  if (column < 0) return;
  if (cellTexts.size() <= column) cellTexts.resize(column + 1);
  cellTexts[column] = std::move(text);
  CellTextSet(column);
}

void TtlDBTreeListControlNode::CellTextSet(int column) {
  if (TNodeVariantData* d = VariantData(column)) d->assigned &= ~nvaPlainText;
}

TNodeVariantData* TtlDBTreeListControlNode::VariantData(int column) const {
  return column >= 0 && column < static_cast<int>(m_variantData.size())
             ? m_variantData[column].get()
             : nullptr;
}

TNodeVariantData& TtlDBTreeListControlNode::EnsureVariantData(int column) {
  if (column >= static_cast<int>(m_variantData.size())) m_variantData.resize(column + 1);
  if (!m_variantData[column]) m_variantData[column] = std::make_unique<TNodeVariantData>();
  return *m_variantData[column];
}

void TtlDBTreeListControlNode::MoveColumnData(int from, int to) {
  const int needed = std::max(from, to) + 1;
  if (static_cast<int>(m_variantData.size()) < needed) m_variantData.resize(needed);
  auto item = std::move(m_variantData[from]);
  m_variantData.erase(m_variantData.begin() + from);
  m_variantData.insert(m_variantData.begin() + to, std::move(item));
}

const QString& TtlDBTreeListControlNode::EmptyText() {
  static const QString empty;
  return empty;
}

void TtlDBTreeListControlNode::SetPreviewText(const QString& text) {
  if (!m_rare && text.isEmpty()) return;
  if (!m_rare) m_rare = std::make_unique<TRareValues>();
  m_rare->previewText = text;
  TrimRareValues();
}

void TtlDBTreeListControlNode::SetBookmark(const QString& bookmark) {
  if (!m_rare && bookmark.isEmpty()) return;
  if (!m_rare) m_rare = std::make_unique<TRareValues>();
  m_rare->bookmark = bookmark;
  TrimRareValues();
}

void TtlDBTreeListControlNode::TrimRareValues() {
  if (m_rare && m_rare->previewText.isEmpty() && m_rare->bookmark.isEmpty()) m_rare.reset();
}

void TtlDBTreeListControlNode::ClearRecordValues() {
  for (QString& text : cellTexts) text = QString();
  imageIndex = 0;
  selectedIndex = -1;
  stateIndex = -1;
  keyValue.clear();
  m_rare.reset();
  for (auto& d : m_variantData)
    if (d) *d = TNodeVariantData();
}

void TtlDBTreeListControlNode::ClearRecordValuesExcept(const std::vector<bool>& rereads) {
  auto reread = [&](size_t column) { return column < rereads.size() && rereads[column]; };
  for (qsizetype i = 0; i < cellTexts.size(); ++i)
    if (!reread(static_cast<size_t>(i)) && !cellTexts[i].isNull()) cellTexts[i] = QString();
  imageIndex = 0;
  selectedIndex = -1;
  stateIndex = -1;
  m_rare.reset();
  for (size_t i = 0; i < m_variantData.size(); ++i)
    if (m_variantData[i] && !reread(i)) *m_variantData[i] = TNodeVariantData();
}

void TtlDBTreeListControlNode::RemoveColumnData(int column) {
  if (column >= 0 && column < static_cast<int>(m_variantData.size()))
    m_variantData.erase(m_variantData.begin() + column);
}

// ---------------------------------------------------------------------------

namespace {
bool IsNumeric(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Bool: case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong:
    case QMetaType::ULongLong: case QMetaType::Double: case QMetaType::Float:
    case QMetaType::Short: case QMetaType::UShort: case QMetaType::Long: case QMetaType::ULong:
      return true;
    default:
      return false;
  }
}
bool IsText(const QVariant& v) {
  return v.typeId() == QMetaType::QString || v.typeId() == QMetaType::QChar ||
         v.typeId() == QMetaType::QByteArray;
}
bool IsDateTime(const QVariant& v) {
  return v.typeId() == QMetaType::QDateTime || v.typeId() == QMetaType::QDate ||
         v.typeId() == QMetaType::QTime;
}
template <typename T>
int Order(const T& a, const T& b) { return a < b ? -1 : (b < a ? 1 : 0); }
}  // namespace

int VarCompare(const QVariant& a, const QVariant& b) {
  const bool nullA = a.isNull() || !a.isValid(), nullB = b.isNull() || !b.isValid();
  if (nullA || nullB) return nullA == nullB ? 0 : (nullA ? -1 : 1);
  if (IsNumeric(a) && IsNumeric(b)) {
    // Whole numbers compare exactly; mixed with reals, as reals.
    const bool realA = a.typeId() == QMetaType::Double || a.typeId() == QMetaType::Float;
    const bool realB = b.typeId() == QMetaType::Double || b.typeId() == QMetaType::Float;
    if (!realA && !realB) {
      if (a.typeId() == QMetaType::ULongLong || b.typeId() == QMetaType::ULongLong) {
        const bool negA = a.toLongLong() < 0 && a.typeId() != QMetaType::ULongLong;
        const bool negB = b.toLongLong() < 0 && b.typeId() != QMetaType::ULongLong;
        if (negA != negB) return negA ? -1 : 1;
        return Order(a.toULongLong(), b.toULongLong());
      }
      return Order(a.toLongLong(), b.toLongLong());
    }
    return Order(a.toDouble(), b.toDouble());
  }
  if (IsText(a) && IsText(b)) {
    const QString sa = a.toString(), sb = b.toString();
    const int c = QString::compare(sa, sb, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }
  if (IsDateTime(a) && IsDateTime(b)) return Order(a.toDateTime(), b.toDateTime());
  // Text against a number: ordered as numbers when the text is one.
  if ((IsText(a) && IsNumeric(b)) || (IsNumeric(a) && IsText(b))) {
    bool okA = false, okB = false;
    const double da = a.toDouble(&okA), db = b.toDouble(&okB);
    if (okA && okB) return Order(da, db);
  }
  return -1;
}

int CompareNodePositions(const TtlTreeListNode* a, const TtlTreeListNode* b) {
  if (a == b) return 0;
  if (!a || !b) return a ? 1 : -1;
  if (b->HasAsParent(a)) return -1;
  if (a->HasAsParent(b)) return 1;
  int la = a->Level(), lb = b->Level();
  while (la > lb) { a = a->Parent(); --la; }
  while (lb > la) { b = b->Parent(); --lb; }
  while (a->Parent() != b->Parent()) { a = a->Parent(); b = b->Parent(); }
  return Order(a->Index(), b->Index());
}
