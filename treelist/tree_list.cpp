#include "treelist/tree_list.h"

#include <algorithm>

#include "treelist/tree_list_edit_state.h"

TtlCustomTreeList::TtlCustomTreeList(QWidget* parent) : TCustomControl(parent), m_bands(this) {
  Opaque = true;
  SetColor(clWindow);
  SetTabStop(true);
  // Click and double click are fired by the control's own mouse handling.
  ClickEvents = false;
  m_previewFont.SetColor(clBlue);
  auto relayout = [this](TFont*) { LayoutChanged(); };
  m_headerFont.OnChange = relayout;
  m_bandFont.OnChange = relayout;
  m_previewFont.OnChange = relayout;
  m_scrollBar = new TScrollBar(this);
  m_scrollBar->SetVisible(false);
  m_scrollBar->OnScroll = [this](TObject*, TScrollCode code, int pos) {
    const int rows = RowsFit();
    switch (code) {
      case scLineUp: SetTopIndex(TopIndex() - 1); break;
      case scLineDown: SetTopIndex(TopIndex() + 1); break;
      case scPageUp: SetTopIndex(TopIndex() - rows); break;
      case scPageDown: SetTopIndex(TopIndex() + rows); break;
      case scTop: SetTopIndex(0); break;
      case scBottom: SetTopIndex(ShownCount()); break;
      case scPosition:
      case scTrack: SetTopIndex(std::max(0, pos)); break;
      case scEndScroll: break;
    }
  };
  m_horzScrollBar = new TScrollBar(this);
  m_horzScrollBar->SetHorizontal(true);
  m_horzScrollBar->SetVisible(false);
  m_horzScrollBar->OnScroll = [this](TObject*, TScrollCode code, int pos) { HorzScroll(code, pos); };
}

TtlCustomTreeList::~TtlCustomTreeList() {
  try {
    AutoStoreLayout();
  } catch (const std::exception&) {
    // A layout that cannot be written is lost; a destructor has no one to tell.
  }
  m_destroying = true;
  DestroyEditors();
  m_headerFont.OnChange = nullptr;
  m_bandFont.OnChange = nullptr;
  m_previewFont.OnChange = nullptr;
  ClearNodes();
  // A handler that deleted the list leaves the watches of the calls it ran
  // in: they outlive the list and forget it.
  for (TtlNodeWatch* w : m_watches) w->m_list = nullptr, w->m_node = nullptr;
  m_watches.clear();
  for (TtlTreeListColumn* c : std::vector<TtlTreeListColumn*>(m_columns)) c->SetTreeList(nullptr);
}

// ---------------------------------------------------------------------------
// Node forest

TtlTreeListNode* TtlCustomTreeList::CreateNode() { return new TtlTreeListTextNode(this); }

TtlTreeListNode* TtlCustomTreeList::Add() {
  TtlTreeListNode* node = CreateNode();
  AdoptNode(node, nullptr);
  return node;
}

TtlTreeListNode* TtlCustomTreeList::Items(int index) const {
  return index >= 0 && index < Count() ? m_rootNodes[index] : nullptr;
}

void TtlCustomTreeList::NodeAdded(TtlTreeListNode* node) {
  if (!m_topVisibleNode) ChangeTopVisibleNode(node);
  // The first row is focused without a change event.
  if (!m_focusedNode) m_focusedNode = m_topVisibleNode;
  Relayout();
}

void TtlCustomTreeList::StructureChanged(TtlTreeListNode* node) {
  // The node's own row changed too; the whole list is repainted anyway.
  if (node) node->cachedHeight = 0;
  m_rowsDirty = true;
  Relayout();
}

void TtlCustomTreeList::ChangeTopVisibleNode(TtlTreeListNode* node) {
  if (node == m_topVisibleNode) return;
  m_topVisibleNode = node;
  if (OnChangeTopVisibleNode && !m_destroying) OnChangeTopVisibleNode(this);
}

TtlNodeWatch::TtlNodeWatch(TtlCustomTreeList* list, TtlTreeListNode* node)
    : m_list(list), m_node(node) {
  m_list->m_watches.push_back(this);
}

TtlNodeWatch::~TtlNodeWatch() {
  if (!m_list) return;
  auto& w = m_list->m_watches;
  w.erase(std::find(w.begin(), w.end(), this));
}

void TtlCustomTreeList::ForgetNode(TtlTreeListNode* node, bool notify) {
  EditedNodeGone(node);
  for (TtlNodeWatch* w : m_watches)
    if (w->m_node == node) w->m_node = nullptr;
  if (m_selectionAnchor == node) m_selectionAnchor = nullptr;
  if (m_pendingFocus == node) m_pendingFocus = nullptr;
  ForgetDragNode(node);
  if (node->m_selected) {
    Unselect(node);
    if (notify && OnSelectedCountChange) OnSelectedCountChange(this);
  }
}

void TtlCustomTreeList::Unselect(TtlTreeListNode* node) {
  // Searched from the end: the latest selected go first (see SelectRange).
  m_selection.erase(std::find(m_selection.rbegin(), m_selection.rend(), node).base() - 1);
  node->m_selected = false;
}

void TtlCustomTreeList::DropSelection() {
  for (TtlTreeListNode* n : m_selection) n->m_selected = false;
  m_selection.clear();
}

void TtlCustomTreeList::NodeDeleting(TtlTreeListNode* node) {
  if (!m_destroying) NodeDestroying(node);
  if (m_clearing) {
    node->Detach();
    ForgetNode(node, false);
    // No handler hears of nodes the dying control drops.
    if (OnDeletion && !m_destroying) OnDeletion(this, node);
    // The handler may have focused or selected the dying node.
    ForgetNode(node, false);
    if (m_focusedNode == node) m_focusedNode = nullptr;
    if (m_topVisibleNode == node) m_topVisibleNode = nullptr;
    return;
  }
  // The replacements are watched: the deletion handler may destroy them.
  // Only a remembered node needs them (walking up for the next visible node
  // at every level of a deep chain would cost its depth each time).
  const bool remembered = node == m_focusedNode || node == m_topVisibleNode || node == m_pendingFocus;
  TtlNodeWatch previous(this, !remembered ? nullptr : node->PrevSibling() ? node->PrevSibling() : node->Parent());
  TtlNodeWatch nextVisible(this, remembered ? node->NextVisible() : nullptr);
  TtlNodeWatch prevVisible(this, remembered ? node->PrevVisible() : nullptr);
  const bool pendingWasNode = m_pendingFocus == node;
  node->Detach();

  if (OnDeletion) OnDeletion(this, node);
  ForgetNode(node, true);
  auto firstOf = [this](TtlTreeListNode* a, TtlTreeListNode* b) -> TtlTreeListNode* {
    if (a) return a;
    if (b) return b;
    return m_rootNodes.empty() ? nullptr : m_rootNodes.front();
  };
  if (m_rootNodes.empty()) {
    m_focusedNode = nullptr;
    m_pendingFocus = nullptr;
    ChangeTopVisibleNode(nullptr);
    if (m_updateCount == 0) update();
    return;
  }
  if (m_topVisibleNode == node) ChangeTopVisibleNode(firstOf(nextVisible.Node(), prevVisible.Node()));
  if (m_focusedNode == node) m_focusedNode = firstOf(nextVisible.Node(), previous.Node());
  if (pendingWasNode && !m_pendingFocus) m_pendingFocus = firstOf(nextVisible.Node(), previous.Node());
  m_rowsShrank = true;  // judged again now that the top is settled
  Relayout();
}

void TtlCustomTreeList::EmptyForest(const std::function<void()>& empty) {
  LockUpdates();
  const bool hadSelection = !m_selection.empty();
  DropSelection();
  m_selectionAnchor = nullptr;
  m_focusedNode = nullptr;
  m_pendingFocus = nullptr;
  ChangeTopVisibleNode(nullptr);
  empty();
  m_rows.clear();
  m_rowsDirty = true;
  if (hadSelection && OnSelectedCountChange && !m_destroying) OnSelectedCountChange(this);
  UnlockUpdates();
}

void TtlCustomTreeList::ClearNodes() {
  EmptyForest([this] {
    m_clearing = true;
    while (!m_rootNodes.empty()) {
      TtlNodeWatch root(this, m_rootNodes.back());
      root.Node()->Delete();
      // A root that a deletion further out holds cannot go now.
      if (root.Node() && !m_rootNodes.empty() && m_rootNodes.back() == root.Node()) break;
    }
    m_clearing = false;
  });
}

std::vector<TtlTreeListNode*> TtlCustomTreeList::TakeNodes() {
  std::vector<TtlTreeListNode*> taken;
  ParkNodes(taken);
  for (TtlTreeListNode* n : taken) ResetTakenNode(n);
  return taken;
}

void TtlCustomTreeList::ParkNodes(std::vector<TtlTreeListNode*>& into) {
  const size_t first = into.size();
  std::vector<TtlTreeListNode*> stack(m_rootNodes.rbegin(), m_rootNodes.rend());
  while (!stack.empty()) {
    TtlTreeListNode* n = stack.back();
    stack.pop_back();
    if (n->m_deleting) {
      into.resize(first);
      ClearNodes();
      return;
    }
    into.push_back(n);
    if (n->m_children) stack.insert(stack.end(), n->m_children->rbegin(), n->m_children->rend());
  }
  EmptyForest([&] {
    m_rootNodes.clear();
    for (size_t i = first; i < into.size(); ++i) ForgetNode(into[i], false);
    m_rowsShrank = true;
    StructureChanged(nullptr);
  });
}

void TtlCustomTreeList::ResetTakenNode(TtlTreeListNode* n) {
  // The children's storage stays for the children the node takes back.
  if (n->m_children) n->m_children->clear();
  n->m_parentNode = nullptr;
  n->m_attached = false;
  n->m_hasChildren = false;
  n->m_isExpanded = false;
  n->m_rowIndex = -1;
  n->m_indexHint = -1;
  n->m_selected = false;
  n->userData = 0;
  n->cachedHeight = 0;
  n->cachedLineCount = 0;
}

void TtlCustomTreeList::AdoptNode(TtlTreeListNode* node, TtlTreeListNode* parent) {
  node->AttachTo(parent, parent ? parent->Count() : Count());
  NodeAdded(node);
}

void TtlCustomTreeList::DestroyTakenNode(TtlTreeListNode* node) { delete node; }

void TtlCustomTreeList::LockUpdates() {
  // A batch update closes the editor without writing its value.
  if (m_updateCount++ == 0 && Editing()) CloseEditor(false);
}

void TtlCustomTreeList::UnlockUpdates() {
  if (m_updateCount == 0) return;
  if (--m_updateCount > 0) return;
  if (m_destroying) return;
  UpdatesUnlocked();
  if (m_updateCount > 0 || m_destroying) return;
  if (TtlTreeListNode* pending = m_pendingFocus) {
    m_pendingFocus = nullptr;
    SetFocusedNode(pending, m_pendingColumn, m_pendingMakeVisible);
  }
  Relayout();
}

bool TtlCustomTreeList::CanFocusNode(TtlTreeListNode* node) {
  Q_UNUSED(node);
  return true;
}

void TtlCustomTreeList::SetFocusedNode(TtlTreeListNode* node, int column, bool makeVisible) {
  if (!node) return;
  if (Editing()) {
    // Closing runs handlers (OnEdited, validation) that may delete the node.
    QPointer<TtlCustomTreeList> alive(this);
    TtlNodeWatch target(this, node);
    CloseEditor(true);
    if (!alive || !target.Node()) return;
  }
  if (m_updateCount > 0) {
    m_pendingFocus = node;
    m_pendingColumn = column;
    m_pendingMakeVisible = makeVisible;
    return;
  }
  TtlTreeListNode* const oldNode = m_focusedNode;
  const int oldColumn = m_focusedColumn;
  const bool columnMatters = !HasOption(etoRowSelect);
  if (node != oldNode || (columnMatters && column != oldColumn)) {
    if (node != oldNode && !CanFocusNode(node)) return;
    InvalidateNode(oldNode);
    m_focusedNode = node;
    m_focusedColumn = column;
    InvalidateNode(node);
    // The focused cell comes into view sideways too.
    if (!m_clearing && !m_destroying) {
      QPointer<TtlCustomTreeList> self(this);
      MakeColumnVisible(column);
      if (!self) return;
    }
  }
  m_focusedColumn = column;
  // A node taking the focus takes it from the new-item row.
  SetNewItemRowFocused(false);
  // A focus change the search did not cause ends the search.
  if (m_searching && !m_searchMoving && (m_focusedNode != oldNode || m_focusedColumn != oldColumn))
    EndSearch();
  QPointer<TtlCustomTreeList> self(this);
  if (makeVisible) MakeNodeVisible(m_focusedNode);
  if (m_focusedNode != oldNode && OnChangeNode) OnChangeNode(this, oldNode, m_focusedNode);
  if (self && m_focusedNode != oldNode) FocusedNodeChanged();
  if (self && m_focusedColumn != oldColumn && OnChangeColumn)
    OnChangeColumn(this, m_focusedNode, m_focusedColumn);
}

void TtlCustomTreeList::SetTopVisibleNode(TtlTreeListNode* node) {
  const int index = VisibleIndexOf(node);
  if (index >= 0) SetTopIndex(index);
}

void TtlCustomTreeList::EnsureRows() {
  if (!m_rowsDirty) return;
  m_rows.clear();
  // Depth-first walk over the expanded branches.
  std::vector<std::pair<const std::vector<TtlTreeListNode*>*, size_t>> stack;
  stack.emplace_back(&m_rootNodes, 0);
  while (!stack.empty()) {
    auto& [list, i] = stack.back();
    if (i >= list->size()) {
      stack.pop_back();
      continue;
    }
    TtlTreeListNode* node = (*list)[i++];
    node->m_rowIndex = static_cast<int>(m_rows.size());
    m_rows.push_back(node);
    if (node->m_isExpanded && node->m_children) stack.emplace_back(node->m_children.get(), 0);
  }
  m_rowsDirty = false;
}

int TtlCustomTreeList::ShownCount() {
  EnsureRows();
  return static_cast<int>(m_rows.size());
}

int TtlCustomTreeList::VisibleIndexOf(const TtlTreeListNode* node) {
  if (!node) return -1;
  EnsureRows();
  const int i = node->m_rowIndex;
  return i >= 0 && i < static_cast<int>(m_rows.size()) && m_rows[i] == node ? i : -1;
}

TtlTreeListNode* TtlCustomTreeList::NodeAtVisibleIndex(int index) {
  EnsureRows();
  return index >= 0 && index < static_cast<int>(m_rows.size()) ? m_rows[index] : nullptr;
}

void TtlCustomTreeList::FocusVisibleIndex(int index) {
  const int count = ShownCount();
  if (count == 0) return;
  TtlTreeListNode* node = NodeAtVisibleIndex(std::clamp(index, 0, count - 1));
  if (node == m_focusedNode) return;
  SetFocusedNode(node, m_focusedColumn, true);
}

bool TtlCustomTreeList::DoExpanding(TtlTreeListNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}

bool TtlCustomTreeList::DoCollapsing(TtlTreeListNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}

void TtlCustomTreeList::SetNodeExpanded(TtlTreeListNode* node, bool value) {
  if (!node || !node->m_hasChildren || node->m_isExpanded == value) return;
  QPointer<TtlCustomTreeList> self(this);
  if (!(value ? DoExpanding(node) : DoCollapsing(node)) || !self) return;
  // A handler may have changed the node (loaded or dropped its children).
  if (!node->m_hasChildren || node->m_isExpanded == value) return;
  if (!value) {
    if (m_topVisibleNode && m_topVisibleNode->HasAsParent(node)) ChangeTopVisibleNode(node);
    TtlTreeListNode* focus = m_updateCount > 0 && m_pendingFocus ? m_pendingFocus : m_focusedNode;
    if (focus && focus->HasAsParent(node)) {
      SetFocusedNode(node, m_focusedColumn, false);
      TtlTreeListNode* now = m_updateCount > 0 ? m_pendingFocus : m_focusedNode;
      if (now != node) return;  // focusing refused: the node stays open
    }
  }
  node->m_isExpanded = value;
  m_rowsDirty = true;
  if (!value) m_rowsShrank = true;
  if (m_updateCount == 0 && !m_destroying) {
    UpdateScrollBar();
    // From the node's row down.
    const TRect row = RowRect(node);
    const TRect rows = RowsRect();
    if (row.IsEmpty()) update();
    else update(TRect(rows.Left, row.Top, rows.Right, rows.Bottom).toQRect());
  }
  if (value) {
    if (OnExpanded) OnExpanded(this, node);
  } else if (OnCollapsed) {
    OnCollapsed(this, node);
  }
}

void TtlCustomTreeList::MoveNode(TtlTreeListNode* node, TtlTreeListNode* target,
                                 TtlTreeListNodeAttachMode mode) {
  if (!node || !target) return;
  const bool childMode = mode == natlAddChild || mode == natlAddChildFirst;
  if (target == node && (childMode || mode == natlInsert)) return;
  if (target->HasAsParent(node)) return;
  LockUpdates();
  TtlTreeListNode* parent = childMode ? target : target->Parent();
  node->Detach();
  // The target's position is read after the node has left its list.
  int position = 0;
  switch (mode) {
    case natlAdd: position = parent ? parent->Count() : Count(); break;
    case natlAddFirst: position = 0; break;
    case natlAddChild: position = target->Count(); break;
    case natlAddChildFirst: position = 0; break;
    case natlInsert: position = target->Index(); break;
  }
  node->AttachTo(parent, position);
  UnlockUpdates();
  MakeNodeVisible(node);
}

void TtlCustomTreeList::PlaceNode(TtlTreeListNode* node, TtlTreeListNode* parent, int position) {
  if (!node || node == parent || (parent && parent->HasAsParent(node))) return;
  node->Detach();
  node->AttachTo(parent, position);
}

void TtlCustomTreeList::AttachRoot(TtlTreeListNode* root, TtlTreeListNode* parent) {
  if (!root || !parent || root == parent || root->Parent()) return;
  root->Detach();
  root->AttachTo(parent, parent->Count());
}

void TtlCustomTreeList::MakeNodeVisible(TtlTreeListNode* node) {
  if (!node || !node->m_attached) return;
  LockUpdates();
  std::vector<TtlTreeListNode*> ancestors;
  for (auto* p = node->Parent(); p; p = p->Parent()) ancestors.push_back(p);
  for (auto it = ancestors.rbegin(); it != ancestors.rend(); ++it)
    if (!(*it)->m_isExpanded) (*it)->SetExpanded(true);
  UnlockUpdates();
  if (m_updateCount > 0) return;
  const int n = VisibleIndexOf(node);
  if (n < 0) return;
  if (!m_topVisibleNode) ChangeTopVisibleNode(NodeAtVisibleIndex(0));
  // A move may have carried the top row along with the node.
  if (VisibleIndexOf(m_topVisibleNode) < 0) ChangeTopVisibleNode(node);
  ClampTop();
  const int t = VisibleIndexOf(m_topVisibleNode);
  const int r = RowsFit();
  if (n < t) SetTopIndex(n);
  else if (n > t + r - 1) SetTopIndex(TopIndexForLast(n));
  else UpdateScrollBar();
}

void TtlCustomTreeList::SetMultiSelect(bool v) {
  if (v == MultiSelect()) return;
  if (v) OptionsBehavior |= OptB(etoMultiSelect);
  else OptionsBehavior &= ~OptB(etoMultiSelect);
  if (!v && !m_selection.empty()) {
    DropSelection();
    if (OnSelectedCountChange) OnSelectedCountChange(this);
  }
  update();
}

bool TtlCustomTreeList::IsNodeSelected(const TtlTreeListNode* node) const {
  if (!node) return false;
  if (!MultiSelect()) return node == m_focusedNode;
  return node->m_selected;
}

void TtlCustomTreeList::SelectNode(TtlTreeListNode* node, bool selected) {
  if (!MultiSelect() || !node || selected == node->m_selected) return;
  if (selected) {
    bool allow = true;
    // A handler selecting the node it is asked about is not asked again.
    if (OnCanNodeSelected && node != m_askingSelection) {
      QPointer<TtlCustomTreeList> self(this);
      TtlNodeWatch watched(this, node);
      TtlTreeListNode* const outer = m_askingSelection;
      m_askingSelection = node;
      OnCanNodeSelected(this, node, allow);
      if (!self) return;
      m_askingSelection = outer;
      // The handler may have destroyed the node, or selected it itself.
      if (!watched.Node() || node->m_selected) return;
    }
    if (!allow) return;
    m_selection.push_back(node);
    node->m_selected = true;
  } else {
    Unselect(node);
  }
  InvalidateNode(node);
  if (OnSelectedCountChange) OnSelectedCountChange(this);
}

int TtlCustomTreeList::SelectedCount() const {
  if (!MultiSelect()) return m_focusedNode ? 1 : 0;
  return static_cast<int>(m_selection.size());
}

void TtlCustomTreeList::InvalidateNode(TtlTreeListNode* node) {
  if (!node || m_updateCount > 0 || m_destroying) return;
  const TRect r = RowRect(node);
  if (!r.IsEmpty()) update(r.toQRect());
}

void TtlCustomTreeList::ForEachNode(const std::function<void(TtlTreeListNode*)>& f) {
  std::vector<TtlTreeListNode*> stack(m_rootNodes.rbegin(), m_rootNodes.rend());
  while (!stack.empty()) {
    TtlTreeListNode* n = stack.back();
    stack.pop_back();
    f(n);
    if (n->m_children) stack.insert(stack.end(), n->m_children->rbegin(), n->m_children->rend());
  }
}

// ---------------------------------------------------------------------------
// Columns

TtlTreeListColumn* TtlCustomTreeList::Columns(int index) const {
  return index >= 0 && index < ColumnCount() ? m_columns[index] : nullptr;
}

TtlTreeListColumn* TtlCustomTreeList::CreateColumn() { return CreateColumnOf<TtlTreeListColumn>(); }

void TtlCustomTreeList::NameNewColumn(TtlTreeListColumn* column) {
  // Name, "Column", and the first free number from the column count plus one.
  const QObject* owner = parent();
  for (int n = ColumnCount() + 1;; ++n) {
    const QString name = Name() + QStringLiteral("Column") + QString::number(n);
    bool taken = false;
    for (TtlTreeListColumn* c : m_columns) taken = taken || c->Name() == name;
    if (owner)
      for (const QObject* o : owner->children()) taken = taken || o->objectName() == name;
    if (!taken) {
      column->SetName(name);
      return;
    }
  }
}

void TtlCustomTreeList::AttachColumn(TtlTreeListColumn* column) {
  m_columns.push_back(column);
  LayoutChanged();
}

void TtlCustomTreeList::DetachColumn(TtlTreeListColumn* column) {
  const auto it = std::find(m_columns.begin(), m_columns.end(), column);
  if (it == m_columns.end()) return;
  const int index = static_cast<int>(it - m_columns.begin());
  EditedColumnGone(column);
  m_sortedColumns.erase(std::remove(m_sortedColumns.begin(), m_sortedColumns.end(), column),
                        m_sortedColumns.end());
  // Texts of later columns move down with their columns.
  if (!m_destroying)
    ForEachNode([index](TtlTreeListNode* n) {
      if (auto* t = dynamic_cast<TtlTreeListTextNode*>(n))
        if (index < t->cellTexts.size()) t->cellTexts.removeAt(index);
      if (auto* d = dynamic_cast<TtlDBTreeListControlNode*>(n)) d->RemoveColumnData(index);
    });
  m_columns.erase(it);
  if (m_focusedColumn >= ColumnCount()) m_focusedColumn = std::max(0, ColumnCount() - 1);
  if (!m_destroying) LayoutChanged();
}

void TtlCustomTreeList::MoveColumn(int from, int to) {
  const int count = ColumnCount();
  if (from < 0 || from >= count) return;
  to = std::clamp(to, 0, count - 1);
  if (from == to) return;
  TtlTreeListColumn* column = m_columns[from];
  m_columns.erase(m_columns.begin() + from);
  m_columns.insert(m_columns.begin() + to, column);
  ForEachNode([from, to](TtlTreeListNode* n) {
    if (auto* t = dynamic_cast<TtlTreeListTextNode*>(n)) {
      const int needed = std::max(from, to) + 1;
      while (t->cellTexts.size() < needed) t->cellTexts.append(QString());
      t->cellTexts.move(from, to);
    }
    if (auto* d = dynamic_cast<TtlDBTreeListControlNode*>(n)) d->MoveColumnData(from, to);
  });
  LayoutChanged();
}

void TtlCustomTreeList::BandDeleted(int index) {
  for (TtlTreeListColumn* c : m_columns) {
    if (c->m_bandIndex == index) c->m_bandIndex = -1;
    else if (c->m_bandIndex > index) --c->m_bandIndex;
  }
  LayoutChanged();
}

void TtlCustomTreeList::SetHeaderMinRowCount(int v) {
  v = std::max(1, v);
  if (v == m_headerMinRowCount) return;
  m_headerMinRowCount = v;
  LayoutChanged();
}

int TtlCustomTreeList::HeaderPanelRowCount() const {
  if (m_headerPanelRowCount > 0) return m_headerPanelRowCount;
  int rows = 1;
  for (const TtlTreeListColumn* c : m_columns) rows = std::max(rows, c->m_rowIndex + 1);
  return std::min(rows, HeaderPanelMaxRowCount);
}

void TtlCustomTreeList::SetHeaderPanelRowCount(int v) {
  v = std::clamp(v, 0, HeaderPanelMaxRowCount);
  if (v == m_headerPanelRowCount) return;
  m_headerPanelRowCount = v;
  LayoutChanged();
}

std::vector<TtlTreeListColumn*> TtlCustomTreeList::DrawnColumns() const {
  std::vector<TtlTreeListColumn*> drawn;
  const int rows = HeaderPanelRowCount();
  for (int band = 0; band < m_bands.Count(); ++band) {
    if (!m_bands.Items(band)->Visible()) continue;
    for (int row = 0; row < rows; ++row)
      for (TtlTreeListColumn* c : m_columns)
        if (c->Visible() && c->BandIndex() == band && c->RowIndex() == row) drawn.push_back(c);
  }
  return drawn;
}

void TtlCustomTreeList::SetOptionView(TtlDBTreeListOptionView o, bool on) {
  CloseEditor(true);
  TtlDBTreeListOptionsView v = m_OptionsView;
  if (on) {
    v |= Opt(o);
    if (o == etoRowSelect) v &= ~Opt(etoInvertSelect);
    if (o == etoInvertSelect) v &= ~Opt(etoRowSelect);
  } else {
    v &= ~Opt(o);
  }
  SetOptionsView(v);
}

void TtlCustomTreeList::Loaded() {
  TCustomControl::Loaded();
  AutoRestoreLayout();
  // Sort orders stored with the form take effect once loading is over.
  for (TtlTreeListColumn* c : m_columns)
    if (c->Sorted() != csNone) SortByColumn(c);
  LayoutChanged();
}
