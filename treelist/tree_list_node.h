#pragma once
// The node forest of the tree list: node classes, structure queries, moving,
// expanding and deleting. Nodes are plain heap objects owned by the tree list
// (roots) or by their parent (children); they die through Delete().

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/exceptions.h"

class TtlCustomTreeList;

class EInvalidTreeListOperation : public Exception {
 public:
  using Exception::Exception;
};

enum TtlTreeListNodeAttachMode { natlAdd, natlAddFirst, natlAddChild, natlAddChildFirst, natlInsert };

class TtlTreeListNode {
 public:
  // Raises EInvalidTreeListOperation without an owner. The node is attached
  // to the forest by the tree list (Add, AddChild), not by the constructor.
  explicit TtlTreeListNode(TtlCustomTreeList* owner);
  TtlTreeListNode(const TtlTreeListNode&) = delete;
  TtlTreeListNode& operator=(const TtlTreeListNode&) = delete;
  // Nodes of every class live in the node pool (tree_list_node_pool.h).
  static void* operator new(std::size_t size);
  static void operator delete(void* node, std::size_t size);

  uint32_t userData = 0;
  // Row height and text line count computed by the layout; 0 = not computed.
  int cachedHeight = 0;
  int cachedLineCount = 0;

  bool Deleting() const { return m_deleting; }
  bool IsExpanded() const { return m_isExpanded; }
  bool HasChildren() const { return m_hasChildren; }
  // May be set without children (children not loaded yet); clearing it
  // collapses the node.
  void SetHasChildren(bool value);
  TtlCustomTreeList* TreeList() const { return m_treeList; }
  TtlTreeListNode* Parent() const { return m_parentNode; }

  int Count() const { return m_children ? static_cast<int>(m_children->size()) : 0; }
  TtlTreeListNode* Items(int index) const;
  int Index() const;
  int Level() const;
  TtlTreeListNode* FirstChild() const { return Count() ? m_children->front() : nullptr; }
  TtlTreeListNode* LastChild() const { return Count() ? m_children->back() : nullptr; }
  TtlTreeListNode* NextSibling() const;
  TtlTreeListNode* PrevSibling() const;
  TtlTreeListNode* NextInTree() const;
  TtlTreeListNode* PrevInTree() const;
  TtlTreeListNode* NextVisible() const;
  TtlTreeListNode* PrevVisible() const;
  bool IsLast() const;
  bool IsShown() const;
  bool HasAsParent(const TtlTreeListNode* node) const;
  bool Focused() const;
  bool Selected() const;

  // Creates a child of the tree list's node class, before `before` (one of
  // this node's children) or last.
  TtlTreeListNode* AddChild(TtlTreeListNode* before = nullptr);
  void MoveTo(TtlTreeListNode* target, TtlTreeListNodeAttachMode mode);
  void SetExpanded(bool value);
  void Expand(bool recursive);
  void Collapse(bool recursive);
  void DeleteChildren();
  // Destroys the node and its subtree, keeping the tree list's focused and
  // top nodes valid.
  void Delete();

 protected:
  virtual ~TtlTreeListNode();

 private:
  std::vector<TtlTreeListNode*>* SiblingList() const;
  void Detach();
  // Destroys the subtree below the node (false: left standing, see there).
  bool DestroyDescendants();
  void Destroy();
  void AttachTo(TtlTreeListNode* parent, int position);

  // Members ordered by size: a node carries no padding between them.
  std::unique_ptr<std::vector<TtlTreeListNode*>> m_children;
  TtlCustomTreeList* m_treeList;
  TtlTreeListNode* m_parentNode = nullptr;
  // Position in the tree list's flat row list when last rebuilt.
  int m_rowIndex = -1;
  // Position in the sibling list when last looked up (checked before use).
  mutable int m_indexHint = -1;
  bool m_deleting = false;
  bool m_isExpanded = false;
  bool m_hasChildren = false;
  bool m_attached = false;
  // In the tree list's multiple selection.
  bool m_selected = false;

  friend class TtlCustomTreeList;
};

class TtlTreeListTextNode : public TtlTreeListNode {
 public:
  using TtlTreeListNode::TtlTreeListNode;
  int imageIndex = 0;
  int selectedIndex = -1;
  int stateIndex = -1;

  // The text of the column whose index is `column`.
  QString CellText(int column) const { return column >= 0 && column < cellTexts.size() ? cellTexts[column] : QString(); }
  void SetCellText(int column, const QString& text);
  void SetCellText(int column, QString&& text);
  QStringList cellTexts;

 protected:
  // A cell's text was set through SetCellText.
  virtual void CellTextSet(int column) { Q_UNUSED(column); }
};

// Which values of a cell's variant data are assigned.
// nvaPlainText: the cell's text was made from the value alone (no text
// handler, no lookup), so the same value gives the same text.
enum TNodeVariantAssigned : unsigned { nvaValue = 1, nvaLookupValue = 2, nvaPlainText = 4 };

struct TNodeVariantData {
  unsigned assigned = 0;
  QVariant value;
  QVariant lookupKeyValue;
};

class TtlDBTreeListControlNode : public TtlTreeListTextNode {
 public:
  using TtlTreeListTextNode::TtlTreeListTextNode;
  QVariant keyValue;
  // The preview text, and the record's bookmark kept when records are
  // re-found by bookmark. Most record sets have neither: they take no room
  // in a node until one is set.
  const QString& PreviewText() const { return m_rare ? m_rare->previewText : EmptyText(); }
  void SetPreviewText(const QString& text);
  const QString& Bookmark() const { return m_rare ? m_rare->bookmark : EmptyText(); }
  void SetBookmark(const QString& bookmark);
  // The per-column values, or nullptr when none is attached.
  TNodeVariantData* VariantData(int column) const;
  TNodeVariantData& EnsureVariantData(int column);
  // Keeps variant data with its text when a column changes position.
  void MoveColumnData(int from, int to);
  void RemoveColumnData(int column);
  // Drops every value the node holds of its record (texts, key, variant
  // data, preview, bookmark, images) but keeps the storage for the next.
  void ClearRecordValues();
  // The same, except the key and the texts and variant data of the columns
  // whose entry in `rereads` is set, which the next read of the record
  // replaces.
  void ClearRecordValuesExcept(const std::vector<bool>& rereads);

 protected:
  // A text set from outside no longer comes from the value alone.
  void CellTextSet(int column) override;

 private:
  struct TRareValues {
    QString previewText;
    QString bookmark;
  };
  static const QString& EmptyText();
  // Drops the rare values once both are empty.
  void TrimRareValues();
  std::unique_ptr<TRareValues> m_rare;
  std::vector<std::unique_ptr<TNodeVariantData>> m_variantData;
};

class TtlDBTreeListNode : public TtlDBTreeListControlNode {
 public:
  using TtlDBTreeListControlNode::TtlDBTreeListControlNode;
  QVariant parentKeyValue;
  // The children were read from the record set (loading on demand).
  bool childrenLoaded = false;
  // The place of the node's record in the last load of all records (-1:
  // none); parked nodes go back in this order.
  int loadOrder = -1;
};

// Variant ordering for sorting and key lookup: -1, 0 or 1. Null is less than
// any non-null value; numbers compare numerically, strings by character
// codes; a pair that cannot be ordered counts as "less than".
int VarCompare(const QVariant& a, const QVariant& b);

// Tree-position order of two nodes of one forest: an ancestor comes first,
// otherwise the branches under the common parent decide by index.
int CompareNodePositions(const TtlTreeListNode* a, const TtlTreeListNode* b);
