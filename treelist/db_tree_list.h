#pragma once
// The data-aware tree list: every record of a record set is a node, under the
// record whose key field equals its parent field. The focused node and the
// current record follow each other; the record set's notifications reload
// the nodes.

#include <QPointer>
#include <functional>
#include <map>
#include <memory>
#include <unordered_set>
#include <vector>

#include "db/data_source.h"
#include "treelist/tree_list.h"

// Record set options, in their designed order.
enum TtlDBTreeListOptionDB {
  etoAutoCalcKeyValue, etoCancelOnExit, etoCanDelete, etoCanInsert, etoCanNavigation,
  etoCheckHasChildren, etoConfirmDelete, etoLoadAllRecords, etoResetColumnFocus, etoSyncSelection,
  etoUseBookmarks,
};
using TtlDBTreeListOptionsDB = unsigned;
constexpr TtlDBTreeListOptionsDB OptDB(TtlDBTreeListOptionDB o) { return 1u << o; }
constexpr TtlDBTreeListOptionsDB kDefaultOptionsDB =
    OptDB(etoAutoCalcKeyValue) | OptDB(etoCancelOnExit) | OptDB(etoCanDelete) |
    OptDB(etoCanNavigation) | OptDB(etoCheckHasChildren) | OptDB(etoConfirmDelete) |
    OptDB(etoLoadAllRecords);

class TtlDBTreeList;

// A record set field as a column sees it.
class TtlFieldColumnField : public TtlColumnField {
 public:
  explicit TtlFieldColumnField(TField* field) : m_field(field) {}
  TField* Field() const { return m_field; }
  QString DisplayName() const override { return m_field->DisplayLabel(); }
  TAlignment Alignment() const override { return m_field->Alignment(); }
  int StringSize() const override;
  bool ReadOnly() const override { return !m_field->CanModify(); }
  int DisplayWidth() const override { return m_field->DisplayWidth(); }
  QString EditMask() const override { return m_field->EditMask; }

 private:
  TField* m_field;
};

class TtlDBTreeListDataLink : public TDataLink {
 public:
  explicit TtlDBTreeListDataLink(TtlDBTreeList* owner) : m_owner(owner) {}

 protected:
  void ActiveChanged() override;
  void DataSetChanged() override;
  void DataSetScrolled(int distance) override;
  void RecordChanged(TField* field) override;
  void LayoutChanged() override;
  void FocusControl(TField** field) override;
  void EditingChanged() override;
  // Post asks for the control's value: a modified editor writes it.
  void UpdateData() override;

 private:
  TtlDBTreeList* m_owner;
};

class TtlDBTreeList : public TtlCustomTreeList {
  Q_OBJECT
 public:
  explicit TtlDBTreeList(QWidget* parent = nullptr);
  ~TtlDBTreeList() override;

  TDataSource* DataSource() const { return m_link.DataSource(); }
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const { return m_link.DataSet(); }
  QString KeyField() const { return m_keyFieldName; }
  void SetKeyField(const QString& name);
  QString ParentField() const { return m_parentFieldName; }
  void SetParentField(const QString& name);
  // Parent value of the roots when loading on demand (null and an empty
  // text both mean null).
  QVariant RootValue() const { return m_rootValue; }
  void SetRootValue(const QVariant& value);
  QString ImageIndexFieldName, StateIndexFieldName;
  QString PreviewFieldName;
  int PreviewMaxLength = 0;
  TtlDBTreeListOptionsDB OptionsDB = kDefaultOptionsDB;
  bool HasOptionDB(TtlDBTreeListOptionDB o) const { return OptionsDB & OptDB(o); }

  std::function<void(TObject*, QVariant& UniqueKeyValue)> OnGetUniqueKeyValue;
  std::function<void(TObject*, TtlTreeListNode* Node)> OnRefreshNodeData;
  TNotifyEvent OnChangeNodeEx;

  // Set while this tree list loads or moves its record set.
  bool Busy() const { return m_busy > 0; }
  // Whether any data-aware tree list bound to `dataSet` is busy.
  static bool AnyBusyOn(const TDataSet* dataSet, const TtlDBTreeList* except = nullptr);
  static const std::vector<TtlDBTreeList*>& Instances();

  // Loads every record into nodes, reusing the nodes of keys still present;
  // without etoLoadAllRecords, reloads the levels loaded so far instead.
  void LoadAllRecords();
  // The first node, in tree order, whose key is `key`.
  TtlDBTreeListNode* FindNodeByKey(const QVariant& key) const;
  // Deletes the records of `node` and its subtree (no confirmation).
  void DeleteNodeRecords(TtlTreeListNode* node);
  // Records of every root's subtree; a selected child of a selected root
  // is found twice and deleted once (the second locate finds nothing).
  void DeleteSubtreeRecords(const std::vector<TtlTreeListNode*>& roots);
  // Ctrl+Del: asks, then deletes the focused (or selected) nodes' records.
  void DeleteWithConfirmation();
  // Image of the focused node unless etoUseImageIndexForSelected (-1: none).
  int SelectedIndex() const { return m_selectedIndex; }
  void SetSelectedIndex(int index);
  // The node of the record being inserted or edited through the tree list.
  TtlDBTreeListNode* PendingNode() const { return m_pendingNode; }

  TtlColumnField* FindColumnField(const QString& fieldName) override;
  void ColumnFieldChanged(TtlTreeListColumn* column) override;

  // In-place editing through the record set (db_tree_list_edit.cpp).
  bool CanEditModify() override;
  bool CanEditAcceptKey(QChar key) override;
  TColor GetEditColor() override;
  bool IsEditReadOnly() override;
  void EditorChanged() override;
  std::function<void(TObject* Sender, TtlTreeListNode* ANode, TtlTreeListColumn* AColumn,
                     TColor& AColor)>
      OnGetEditColor;
  // ---- drag and drop (db_tree_list_drag.cpp)
  // The drop target at a point (attach mode and node), and whether every
  // dragged node may go there.
  bool CanDropAt(TPoint point, TtlTreeListNodeAttachMode& attachMode, TtlTreeListNode*& attachNode);
  std::function<void(TObject*, TtlTreeListNode* AttachNode, TtlTreeListNodeAttachMode AttachMode,
                     const std::vector<TtlTreeListNode*>& Nodes, bool& IsCopy, bool& Done)>
      OnMoveTo;
  // A new key for a record the tree list adds: OnGetUniqueKeyValue, else one
  // past the largest loaded key plus `generated` (0 when that key is not a
  // number or nothing is loaded).
  QVariant CalcUniqueKey(int generated, const TtlTreeListNode* except = nullptr);

 protected:
  TtlTreeListNode* CreateNode() override;
  void FocusedNodeChanged() override;
  bool CanFocusNode(TtlTreeListNode* node) override;
  void NodeDestroying(TtlTreeListNode* node) override;
  void UpdatesUnlocked() override;
  void HandleKeyDown(WORD& key, TShiftState shift) override;
  void FocusChanged(bool focused) override;
  QVariant SortValue(TtlTreeListNode* node, TtlTreeListColumn* column) override;
  int TieBreak(TtlTreeListNode* a, TtlTreeListNode* b) override;
  bool AutoSearchAllowed() override;
  // Loading on demand reads a node's children when it first expands.
  bool DoExpanding(TtlTreeListNode* node) override;
  bool AllowEditing() override;
  bool InsertFromNewItemRow() override;

  void LoadEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column, TtlTreeListNode* node) override;
  void WriteEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column, TtlTreeListNode* node) override;
  void DragStarting() override;
  bool DragScrollAllowed() override;
  bool AcceptsOwnDrop(int x, int y) override;
  void DropOwnNodes(int x, int y) override;
  // Nothing is loaded while the form is being read; its end loads.
  void Loaded() override;

 private:
  friend class TtlDBTreeListDataLink;
  // Given the list as owner, they leave its members alone once a handler
  // run inside their lifetime has deleted it.
  struct BusyScope {
    explicit BusyScope(int& c, QObject* owner = nullptr) : count(c), guard(owner), guarded(owner) { ++count; }
    ~BusyScope() {
      if (!guarded || guard) --count;
    }
    int& count;
    QPointer<QObject> guard;
    bool guarded;
  };
  // Sets a flag for its lifetime, putting the earlier value back on every exit.
  struct TFlagScope {
    explicit TFlagScope(bool& f, QObject* owner = nullptr) : flag(f), before(f), guard(owner), guarded(owner) {
      flag = true;
    }
    ~TFlagScope() {
      if (!guarded || guard) flag = before;
    }
    bool& flag;
    bool before;
    QPointer<QObject> guard;
    bool guarded;
  };

  // The tree list's editor wrote into the record being edited (Esc then
  // reloads the node before it cancels).
  bool m_recordChangedByList = false;
  void DataActiveChanged();
  void DataChanged();
  void DataScrolled();
  void DataRecordChanged(TField* field);
  void DataLayoutChanged();
  void DataFocusControl(TField** field);
  void DataUpdate();
  void LookupFields();
  // Takes `field` (every field for nullptr) from the columns holding it.
  void ForgetColumnField(const TtlColumnField* field);
  void WatchDataSet(TDataSet* ds);
  void RebindColumns();
  // `key`, when given, is the key field's value already read: the node
  // takes it (moves it out).
  void ReadNodeValues(TtlDBTreeListNode* node, QVariant* key = nullptr);
  // Focuses the current record's node (expanding and scrolling to it)
  // without moving the record set; reloads when no node has its key.
  void FollowRecord();
  void InsertNewRecordNode();
  // Destroys the nodes of `doomed` (deepest first); `gone` collects every node
  // destroyed meanwhile, handlers' victims included.
  void RemoveNodes(const std::unordered_set<TtlTreeListNode*>& doomed,
                   std::unordered_set<TtlTreeListNode*>& gone);
  // Loading on demand (db_tree_list_demand.cpp).
  bool OnDemand() const { return !HasOptionDB(etoLoadAllRecords); }
  // Reads the roots and the children of every node whose children were
  // loaded, plus the chain of parents of m_revealKey's record.
  void ReadLoadedLevels();
  // Keys (and bookmarks) of a node's record and all records below it, read
  // from the record set, parents first.
  void SubtreeRecords(TtlDBTreeListNode* node, std::vector<QVariant>& keys,
                      std::vector<QString>& bookmarks);
  // Moves the record set to the node's record (by bookmark with
  // etoUseBookmarks when it is still valid, else by key).
  bool LocateNodeRecord(const QVariant& key, const QString& bookmark);
  bool IsCurrentRecord(const TtlDBTreeListNode* node) const;
  // The node of the current record, by bookmark or by key.
  TtlDBTreeListNode* CurrentRecordNode() const;
  bool CanDeleteRecords();
  // The drop's record work: new parents, or copies of whole subtrees.
  void MoveRecords(const std::vector<QVariant>& keys, const QVariant& parentValue);
  void CopyRecords(const std::vector<QVariant>& keys, const QVariant& parentValue);
  bool UntouchedInsert() const;

  TtlDBTreeListDataLink m_link{this};
  QString m_keyFieldName, m_parentFieldName;
  TField* m_keyField = nullptr;
  TField* m_parentField = nullptr;
  TField* m_imageIndexField = nullptr;
  TField* m_stateIndexField = nullptr;
  TField* m_previewField = nullptr;
  std::map<QString, std::unique_ptr<TtlFieldColumnField>> m_columnFields;
  // Every bound column with its index and field, for reading a record.
  struct BoundField {
    const TtlTreeListColumn* column;
    int index;
    TField* field;
  };
  std::vector<BoundField> m_boundFields;
  // Binds again when columns were removed or moved since the last binding.
  void CheckBoundFields();
  QPointer<TDataSet> m_watchedDataSet;
  QMetaObject::Connection m_dataSetGone;
  // The record set reopened while updates were locked.
  bool m_reloadOnUnlock = false;
  // Nodes destroyed while a load removes the nodes of vanished records.
  std::unordered_set<TtlTreeListNode*>* m_goneNodes = nullptr;
  // Counts destroyed nodes: a load whose handlers destroyed any stops, as
  // its indexes may hold them.
  unsigned m_destroyedNodes = 0;
  // Counts rebindings of the fields (the record set closed, opened or
  // changed, a column's field changed): a load or read whose handlers
  // rebound them stops, as the fields it holds may be gone.
  unsigned m_rebinds = 0;
  // The keys of the last load of all records were unique and no node's key
  // changed since (a reload in the same order then needs no key index).
  bool m_uniqueKeys = false;
  int m_selectedIndex = -1;
  QVariant m_rootValue;
  // A record whose parents a reload on demand must load (null: none).
  QVariant m_revealKey;
  int m_busy = 0;
  bool m_recordMovedForFocus = false;  // a focus change moved the record set
  bool m_locating = false;
  bool m_reloading = false;
  bool m_following = false;
  bool m_loading = false;
  TtlDBTreeListNode* m_pendingNode = nullptr;
  // The pending new record holds nothing but what the tree list put there.
  bool m_insertUntouched = false;
  // A node being focused; cleared if it is destroyed meanwhile.
  TtlTreeListNode* m_watched = nullptr;
  // Nodes of a closed record set, emptied of their values, that new nodes
  // are made of when it opens again: closing and reopening (after every
  // save of the practice) then allocates and frees no node. Whatever the
  // next load leaves unused is destroyed.
  std::vector<TtlDBTreeListNode*> m_spareNodes;
  void KeepNodesAsSpares();
  // Nodes of a closed record set left whole, values and all, for the next
  // load to take back by key (parents first): reopening the same rows then
  // reads each record into the node that showed it and moves nothing.
  std::vector<TtlTreeListNode*> m_parkedNodes;
  // Destroys the spare and the parked nodes.
  void DestroySpareNodes();
};
