#pragma once
// The tree list control: the node forest with its focused and top nodes,
// columns and bands, layout, painting and vertical scrolling. One flat list of
// visible rows serves painting, scrolling and hit testing; it is rebuilt
// lazily after any expand, collapse or structural change.

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/control.h"
#include "platform/scroll_bar.h"
#include "treelist/tree_list_column.h"
#include "treelist/tree_list_node.h"
#include "treelist/tree_list_types.h"

// View options, in their designed order.
enum TtlDBTreeListOptionView {
  etoAutoCalcPreviewLines, etoAutoHeaderPanelHeight, etoAutoWidth, etoBandHeaderWidth,
  etoDrawEndEllipsis, etoHideFocusRect, etoHotTrack, etoIndicator, etoInvertSelect, etoPreview,
  etoRowAutoHeight, etoRowSelect, etoShowButtonAlways, etoUseBitmap, etoUseImageIndexForSelected,
};
using TtlDBTreeListOptionsView = unsigned;
constexpr TtlDBTreeListOptionsView Opt(TtlDBTreeListOptionView o) { return 1u << o; }

// Behaviour options, in their designed order.
enum TtlDBTreeListOptionBehavior {
  etoAnsiSort, etoAutoCopySelectedToClipboard, etoAutoDragDrop, etoAutoDragDropCopy, etoAutoSearch,
  etoAutoSort, etoBandButtonClicking, etoCaseInsensitive, etoDblClick, etoDragCollapse,
  etoDragExpand, etoDragScroll, etoEditing, etoEnterShowEditor, etoEnterThrough,
  etoHeaderButtonClicking, etoHorzThrough, etoImmediateEditor, etoMouseScroll, etoMultiSelect,
  etoShowHourGlass, etoStoreToIniFile, etoStoreToRegistry, etoTabs, etoTabThrough, etoVertThrough,
};
using TtlDBTreeListOptionsBehavior = unsigned;
constexpr TtlDBTreeListOptionsBehavior OptB(TtlDBTreeListOptionBehavior o) { return 1u << o; }

// What the mouse is doing with the control.
enum TtlTreeListState { tsNormal, tsNodeDown, tsPanning, tsEditing, tsNodeDragging };

class TTimer;
class TCustomIniFile;
class TtlInplaceEdit;
class TtlEditStyle;
struct TtlEditState;
struct TtlDragState;
struct TtlDragStateDeleter {
  void operator()(TtlDragState* state) const;
};

// Host-style image list: just the size the layout needs, and the pictures.
struct TtlImageList {
  int Width = 16;
  int Height = 16;
  std::vector<TBitmap> Images;
};

class TtlCustomTreeList;

// A sort value in one total order: null, numbers (exact, NaN last), dates,
// texts, anything else by its text.
struct TtlSortKey {
  int rank = 0;
  bool isReal = false;
  qint64 whole = 0;
  double real = 0;
  QString text;
  static TtlSortKey From(const QVariant& v, bool upperCase);
  static int Compare(const TtlSortKey& a, const TtlSortKey& b, bool localeAware);
};

// A node pointer that becomes null when its node is destroyed: for holding a
// node across anything that may run a handler.
class TtlNodeWatch {
 public:
  TtlNodeWatch(TtlCustomTreeList* list, TtlTreeListNode* node);
  ~TtlNodeWatch();
  TtlNodeWatch(const TtlNodeWatch&) = delete;
  TtlNodeWatch& operator=(const TtlNodeWatch&) = delete;
  TtlTreeListNode* Node() const { return m_node; }
  void SetNode(TtlTreeListNode* node) { m_node = node; }

 private:
  friend class TtlCustomTreeList;
  QPointer<TtlCustomTreeList> m_list;  // a handler may delete the list while watched
  TtlTreeListNode* m_node;
};

class TtlCustomTreeList : public TCustomControl {
  Q_OBJECT
 public:
  explicit TtlCustomTreeList(QWidget* parent = nullptr);
  ~TtlCustomTreeList() override;

  // ---- node forest
  TtlTreeListNode* Add();  // a new last root node
  int Count() const { return static_cast<int>(m_rootNodes.size()); }
  TtlTreeListNode* Items(int index) const;
  TtlTreeListNode* FocusedNode() const { return m_focusedNode; }
  int FocusedColumn() const { return m_focusedColumn; }
  void SetFocusedNode(TtlTreeListNode* node, int column, bool makeVisible);
  void SetFocusedColumn(int column) { SetFocusedNode(m_focusedNode, column, false); }
  TtlTreeListNode* TopVisibleNode() const { return m_topVisibleNode; }
  void SetTopVisibleNode(TtlTreeListNode* node);
  void LockUpdates();
  void UnlockUpdates();
  int UpdateCount() const { return m_updateCount; }
  int ShownCount();
  int VisibleIndexOf(const TtlTreeListNode* node);
  TtlTreeListNode* NodeAtVisibleIndex(int index);
  void FocusVisibleIndex(int index);
  void MakeNodeVisible(TtlTreeListNode* node);
  void ClearNodes();
  bool IsNodeSelected(const TtlTreeListNode* node) const;
  // Multiple selection keeps a selection list; without it the focused node is the selection.
  // Several nodes can be selected: the etoMultiSelect behaviour option.
  bool MultiSelect() const { return HasBehavior(etoMultiSelect); }
  void SetMultiSelect(bool v);
  void SelectNode(TtlTreeListNode* node, bool selected);
  int SelectedCount() const;

  std::function<void(TObject*, TtlTreeListNode* Node, bool& Allow)> OnExpanding;
  std::function<void(TObject*, TtlTreeListNode* Node)> OnExpanded;
  std::function<void(TObject*, TtlTreeListNode* Node, bool& Allow)> OnCollapsing;
  std::function<void(TObject*, TtlTreeListNode* Node)> OnCollapsed;
  std::function<void(TObject*, TtlTreeListNode* OldNode, TtlTreeListNode* Node)> OnChangeNode;
  std::function<void(TObject*, TtlTreeListNode* Node, int Column)> OnChangeColumn;
  TNotifyEvent OnChangeTopVisibleNode;
  std::function<void(TObject*, TtlTreeListNode* Node)> OnDeletion;
  std::function<void(TObject*, TtlTreeListNode* Node1, TtlTreeListNode* Node2, int& Compare)> OnCompare;
  std::function<void(TObject*, TtlTreeListNode* ANode, bool& Allow)> OnCanNodeSelected;
  TNotifyEvent OnSelectedCountChange;
  std::function<void(TObject*, int Level, TColor& Color)> OnGetLevelColor;
  TtlCustomDrawCellEvent OnCustomDrawCell;

  // ---- columns and bands
  int ColumnCount() const { return static_cast<int>(m_columns.size()); }
  TtlTreeListColumn* Columns(int index) const;
  // Creates a column owned by the tree list's owner (or by the tree list when
  // it has none), named after the tree list.
  TtlTreeListColumn* CreateColumn();
  template <class T> T* CreateColumnOf() {
    auto* c = new T(parent() ? parent() : this);
    NameNewColumn(c);
    c->SetTreeList(this);
    return c;
  }
  TtlTreeListBands* Bands() { return &m_bands; }
  int BandRowCount = 1;
  int BandMaxRowCount = 5;
  int HeaderMinRowCount() const { return m_headerMinRowCount; }
  void SetHeaderMinRowCount(int v);
  int HeaderPanelRowCount() const;
  void SetHeaderPanelRowCount(int v);
  int HeaderPanelMaxRowCount = 5;
  bool DefaultLayout = true;
  // The visible columns drawn in a row, grouped by band, then row, then list order.
  std::vector<TtlTreeListColumn*> DrawnColumns() const;

  // ---- appearance
  TFont* HeaderFont() { return &m_headerFont; }
  TFont* BandFont() { return &m_bandFont; }
  TFont* PreviewFont() { return &m_previewFont; }
#define TL_PROPERTY(Type, Name, Default) \
 public: \
  Type Name() const { return m_##Name; } \
  void Set##Name(Type v) { \
    if (m_##Name == v) return; \
    m_##Name = v; \
    LayoutChanged(); \
  } \
 private: \
  Type m_##Name = Default;
  TL_PROPERTY(TColor, BandColor, clBtnFace)
  TL_PROPERTY(TColor, HeaderColor, clBtnFace)
  TL_PROPERTY(TColor, GroupNodeColor, clBtnFace)
  TL_PROPERTY(TColor, GroupNodeTextColor, clNone)
  TL_PROPERTY(TColor, HighlightColor, clHighlight)
  TL_PROPERTY(TColor, HighlightTextColor, clHighlightText)
  TL_PROPERTY(bool, HideSelection, false)
  TL_PROPERTY(TColor, HideSelectionColor, clBtnFace)
  TL_PROPERTY(TColor, HideSelectionTextColor, clBtnText)
  TL_PROPERTY(bool, HideFocusRect, false)
  TL_PROPERTY(TColor, GridLineColor, clNone)
  TL_PROPERTY(TColor, TreeLineColor, clGrayText)
  TL_PROPERTY(TtlTreeLineStyle, TreeLineStyle, tlDot)
  TL_PROPERTY(TColor, ArrowsColor, clLime)
  TL_PROPERTY(TColor, FixedBandLineColor, clBtnShadow)
  TL_PROPERTY(int, FixedBandLineWidth, 2)
  TL_PROPERTY(int, RowSeparatorLineWidth, 1)
  TL_PROPERTY(int, IndentDesc, 20)
 public:
  TtlLookAndFeel LookAndFeel() const { return m_LookAndFeel; }
  // A new look cancels the in-place editor, whose frame follows the look.
  void SetLookAndFeel(TtlLookAndFeel v);
 private:
  TtlLookAndFeel m_LookAndFeel = lfStandard;
  TL_PROPERTY(TtlPaintStyle, PaintStyle, psStandard)
  TL_PROPERTY(bool, ShowBands, false)
  TL_PROPERTY(bool, ShowButtons, true)
  TL_PROPERTY(bool, ShowFooter, false)
  TL_PROPERTY(bool, ShowGrid, false)
  TL_PROPERTY(bool, ShowHeader, true)
  TL_PROPERTY(bool, ShowLines, true)
  TL_PROPERTY(bool, ShowNewItemRow, false)
  TL_PROPERTY(bool, ShowPreviewGrid, true)
  TL_PROPERTY(bool, ShowRoot, true)
  TL_PROPERTY(int, PreviewLines, 2)
  TL_PROPERTY(int, MaxRowLineCount, -1)
  TL_PROPERTY(int, DefaultRowHeight, 0)
  TL_PROPERTY(TtlScrollStyle, ScrollBars, ssBoth)
  TL_PROPERTY(TtlBorderStyle, BorderStyle, bsSingle)
  TL_PROPERTY(bool, Ctl3D, true)
  TL_PROPERTY(TColor, AutoSearchColor, clNone)
  TL_PROPERTY(TColor, AutoSearchTextColor, clNone)
  TL_PROPERTY(TtlDBTreeListOptionsView, OptionsView, 0)
#undef TL_PROPERTY
 public:
  // ---- input
  TtlDBTreeListOptionsBehavior OptionsBehavior = OptB(etoDragExpand) | OptB(etoDragScroll) |
                                                 OptB(etoEditing) | OptB(etoEnterShowEditor) |
                                                 OptB(etoImmediateEditor) | OptB(etoTabThrough);
  bool HasBehavior(TtlDBTreeListOptionBehavior o) const { return OptionsBehavior & OptB(o); }
  // A double click on a row toggles its expansion.
  bool DblClkExpanding = true;
  TtlTreeListState State() const { return m_state; }
  // Asks for the in-place editor of the focused cell; true when it is open.
  bool ShowEditor();
  // Whether the editor may open now for the focused cell.
  bool CanEditorShow();
  std::function<void(TObject*, TtlTreeListNode* Node, bool& Allow)> OnEditing;

  // ---- in-place editing (tree_list_editing.cpp)
  // Validates, writes a modified value back, fires OnEdited and gives the
  // focus back to the tree list. A refused value raises and keeps it open.
  void HideEditor();
  // Closes without writing and without OnEdited.
  void CancelEditor();
  bool Editing() const { return m_state == tsEditing; }
  TtlInplaceEdit* InplaceEditor() const;
  TtlTreeListColumn* EditingColumn() const;
  TtlTreeListNode* EditingNode() const;
  // The cached editors (one per editor class), in creation order.
  std::vector<TtlInplaceEdit*> EditorCache() const;
  // The timer of the delayed opening after a click on the focused cell (one
  // pending opening in the process); null when none is pending.
  static TTimer* PendingEditTimer();
  std::function<void(TObject*, TtlTreeListNode* Node)> OnEdited;
  TNotifyEvent OnEditChange;
  std::function<void(TObject* Sender, QString& ErrorText, bool& Accept)> OnEditValidate;

  // What the editors ask of their container.
  virtual bool CanEditModify();
  virtual bool CanEditAcceptKey(QChar key);
  virtual std::unique_ptr<TtlEditStyle> CreateEditStyle(TtlInplaceEdit* editor);
  virtual TColor GetEditColor();
  virtual const TFont* GetEditFont();
  virtual bool IsEditReadOnly();
  virtual void EditKeyDown(WORD& key, TShiftState shift);
  virtual bool IgnoreEditKeys();
  virtual bool ImmediateEdit();
  virtual bool EditWantsTab(TShiftState shift);
  virtual void EditFocusChanged();
  virtual void BeginEditInit() {}
  virtual void EndEditInit() {}
  // A key the editor hands to the tree list's own handling.
  void EditorKeyToContainer(WORD& key, TShiftState shift);
  // A character typed in the editor: OnKeyPress sees it first.
  void EditorKeyPress(QChar& key);
  // The editor lost the focus to a window outside the tree list.
  void EditorFocusLeft();
  // The editor's text changed (not while loading).
  virtual void EditorChanged();
  // A double click in the editor, or the wheel over it.
  void EditorDblClick() { DblClick(); }
  bool EditorWheel(TShiftState shift, int delta, TPoint pos) { return DoMouseWheel(shift, delta, pos); }
  // Time since the last press on the tree list (-1: none yet).
  qint64 MillisecondsSinceLastPress() const;
  // Copies the captions and the selected rows' cells as tab-separated text.
  void CopyToClipboard();
  QString SelectionAsText();
  // Column under a point of a node's row (-1: none).
  int ColumnAt(TtlTreeListNode* node, int x);
 public:
  bool HasOption(TtlDBTreeListOptionView o) const { return m_OptionsView & Opt(o); }
  // Row selection and inverted selection exclude each other: the one set last wins.
  void SetOptionView(TtlDBTreeListOptionView o, bool on);
  const TtlImageList* Images() const { return m_images; }
  void SetImages(const TtlImageList* v) { m_images = v; LayoutChanged(); }
  const TtlImageList* StateImages() const { return m_stateImages; }
  void SetStateImages(const TtlImageList* v) { m_stateImages = v; LayoutChanged(); }
  bool ReadOnly = false;

  // ---- layout
  static constexpr int IndentWidth = 16;
  static constexpr int ButtonCellMinHeight = 16;
  int TextHeight();
  int RowLineHeight();
  int HeaderRowHeight();
  int HeaderHeight();
  int BandHeight();
  int PreviewLineHeight();
  // Height of the preview area under a row's cells (0 without preview).
  int PreviewHeight();
  int RowHeight(TtlTreeListNode* node);
  // The area the rows are drawn in (below the header, beside the scroll bar).
  TRect RowsRect();
  // Rows fully shown from the top visible node down (at least 1).
  int RowsFit();
  int TopIndex();
  void SetTopIndex(int index);
  // The top index that makes the node at `index` the last fully shown row.
  int TopIndexForLast(int index);
  // Rectangle of a node's row in client coordinates; empty when not on screen.
  TRect RowRect(TtlTreeListNode* node);
  TtlTreeListNode* GetNodeAt(int x, int y);
  // Horizontal geometry of a row: the indent, image and column cells.
  struct CellPlace {
    TtlTreeListColumn* column;
    TRect rect;  // cell rectangle in the row, relative to the row's top
    // The horizontal part of the row the cell shows in (its band's area:
    // fixed on the left or right, or the scrolled middle); the cell is drawn
    // and hit only inside it. Top and bottom are the cell's.
    TRect clip;
    TRect Shown() const { return rect.Intersect(clip); }
  };
  // Where each visible band of a row lies, left to right: scrolled bands
  // are moved left by LeftPos; a band fixed on the left stays at the row's
  // left edge and one fixed on the right at its right edge.
  struct BandPlace {
    int band;
    int left, width;
    int clipLeft, clipRight;  // the area it shows in
  };
  std::vector<BandPlace> BandPlaces(int rowLeft, int rowRight);
  // X where a node's indent begins in a row: the first band's left edge.
  int TreeLeft(const TRect& row) const;
  int NodeIndentCells(TtlTreeListNode* node) const;
  TRect ButtonRect(TtlTreeListNode* node, const TRect& row) const;
  std::vector<CellPlace> RowCells(TtlTreeListNode* node, const TRect& row);
  // The vertical scroll bar, brought up to date first.
  TScrollBar* VertScrollBar();

  // ---- the new-item row (ShowNewItemRow; tree_list_new_item_row.cpp): an
  // empty row under the header where a new record is typed in. It can take
  // the focus instead of the nodes; editing it inserts (data-aware tree list).
  bool NewItemRowFocused() const { return m_newItemRowFocused && ShowNewItemRow(); }
  // Focuses the row (or gives the focus back to the focused node).
  void SetNewItemRowFocused(bool focused);
  // Its rectangle in client coordinates (empty when not shown).
  TRect NewItemRowRect();

  // ---- horizontal scrolling (tree_list_hscroll.cpp)
  // The left scroll position: how many pixels the bands that are not fixed
  // are moved to the left.
  int LeftPos() const { return m_leftPos; }
  // Sets it, clamped to 0..MaxLeftPos(); closes the editor (writing its
  // value back) when the position changes. False when nothing moved.
  bool SetLeftPos(int pos);
  int MaxLeftPos();
  // The part of the rows' area the scrolled bands show in (between the
  // fixed bands); its top and bottom are the rows area's.
  TRect ScrollableArea();
  // Scrolls so that the column's cell shows in the scrollable area (as much
  // of it as fits, its left edge first).
  void MakeColumnVisible(int column);
  // The horizontal scroll bar, brought up to date first.
  TScrollBar* HorzScrollBar();
  // Pixels one line of horizontal scrolling moves (scroll bar arrows, panning).
  static constexpr int HorzLineStep = 16;
  TRect ClientRect() const override;
  // Forgets every measured size; the next paint measures again.
  void LayoutChanged();
  // Rows changed: scroll bar and repaint, unless updates are locked.
  void Relayout();

  // ---- sorting and search
  // Sorts every sibling list by a column.
  void SortColumn(TtlTreeListColumn* column, bool descending);
  // A column's Sorted changed: keeps the sorted-column list and, with
  // etoAutoSort, sorts.
  void SortByColumn(TtlTreeListColumn* column);
  // The first sorted column (nullptr: none).
  TtlTreeListColumn* SortedColumn() const;
  // A click on a column header: OnColumnClick, then the sort cycle.
  void HeaderClick(TtlTreeListColumn* column, bool ctrl);
  TtlTreeListColumn* HeaderColumnAt(int x, int y);
  std::function<void(TObject*, TtlTreeListColumn* Column)> OnColumnClick;
  std::function<void(TObject*, TtlTreeListColumn* Column, bool& Allow)> OnColumnSorting;
  bool StartSearch(int column, const QString& text);
  void DoSearch(QString& text, int direction, bool resetOnFail);
  void EndSearch();
  virtual TtlTreeListNode* FindNodeByText(int column, const QString& text, int direction);
  bool Searching() const { return m_searching; }
  QString SearchText() const { return m_searchText; }
  bool AutoExpandOnSearch = true;

  // ---- layout storage (ini files; the registry pair keeps its keys as
  // sections of one file beside the program)
  QString IniFileName, IniSectionName, RegistryPath;
  void StoreLayoutToIni(const QString& fileName);
  void RestoreLayoutFromIni(const QString& fileName);
  void StoreLayoutToRegistry(const QString& keyPath);
  void RestoreLayoutFromRegistry(const QString& keyPath);
  // The file standing in for the registry.
  static QString RegistryFileName();

  // ---- drag and drop and auto-scroll (tree_list_drag.cpp)
  TDragMode DragMode = dmManual;
  // How long the pointer rests on an expand button before a drag expands it.
  int WaitForExpandNodeTime = 500;
  // What lies at a point, and the node of that row.
  TtlHitArea HitTest(int x, int y, TtlTreeListNode** node);
  bool Dragging() const { return m_state == tsNodeDragging; }
  // The node the drag began on, and every node it carries (the selection,
  // else the drag node); nodes destroyed meanwhile are left out.
  TtlTreeListNode* DragNode() const;
  std::vector<TtlTreeListNode*> DraggedNodes() const;
  // Ctrl held with etoAutoDragDropCopy: a drop copies.
  bool DragCopy() const;
  // Whether a drop at the last pointer position would be taken.
  bool DragAccepted() const;
  // The drag cursor now: crDrag, crMultiDrag, crNoDrop (the platform's), or
  // 1138 and 1139 (copying one or several).
  int DragCursor() const;
  static constexpr int crDrag = -12, crNoDrop = -13, crMultiDrag = -16, crTlDragCopy = 1138,
                       crTlMultiDragCopy = 1139;
  const TBitmap* DragImage() const;
  // Ends a drag without dropping (Esc).
  void CancelDrag();
  // A drag of another tree list over this one (only when OnDragOver is
  // assigned): moves answer OnDragOver's verdict; a drop fires OnDragDrop
  // with the other list as the source; leaving or dropping forgets it.
  bool ForeignDragOver(TtlCustomTreeList* source, int x, int y);
  void ForeignDragLeave();
  void ForeignDrop(TtlCustomTreeList* source, int x, int y);
  TtlCustomTreeList* ForeignDragSource() const { return m_foreignSource; }
  // One tick of the drag timers (public for driving them tick by tick).
  void DragScrollVertTick();
  void DragScrollHorzTick();
  void DragExpandTick();
  // The timers as running: direction -1, 0 (stopped) or 1; expand interval (0: stopped).
  int DragScrollVertDirection() const;
  int DragScrollHorzDirection() const;
  // The process's auto-scroll timers, and the list one serves while it runs.
  static TTimer* DragScrollTimer(bool vertical);
  static TtlCustomTreeList* DragScrollTimerOwner(bool vertical);
  int DragExpandInterval() const;
  TNotifyEvent OnStartDrag;
  std::function<void(TObject*, TObject* Source, int X, int Y, bool& Accept)> OnDragOver;
  std::function<void(TObject*, TObject* Source, int X, int Y)> OnDragDrop;
  std::function<void(TObject*, TObject* Target, int X, int Y)> OnEndDrag;
  std::function<void(TObject*, TtlTreeListNode* Node)> OnBeginDragNode;
  std::function<void(TObject*, TtlTreeListNode* Node, int Column, QString& AText)> OnGetNodeDragText;

  // ---- hooks of the later parts of the control
  // Closes an open in-place editor without taking the focus, writing its
  // value back (after validation) when asked.
  virtual void CloseEditor(bool writeBack);
  // The field of a data-aware column, looked up by name; none without binding.
  virtual TtlColumnField* FindColumnField(const QString& fieldName) {
    Q_UNUSED(fieldName);
    return nullptr;
  }
  // A data-aware column's field name changed: the binding rebinds and re-reads.
  virtual void ColumnFieldChanged(TtlTreeListColumn* column) { Q_UNUSED(column); }
  // The incremental search string shown over the focused cell (none without search).
  virtual QString AutoSearchText() const { return m_searching ? m_searchText : QString(); }
  // Height of the tallest in-place editor of the columns (0 without editors).
  virtual int ColumnEditorHeight();

 protected:
  virtual TtlTreeListNode* CreateNode();
  // Focusing may be refused (for instance while the data source cannot move).
  // The last UnlockUpdates, before a remembered focus is applied.
  virtual void UpdatesUnlocked() {}
  // After the focused node changed (and OnChangeNode fired).
  virtual void FocusedNodeChanged() {}
  virtual bool CanFocusNode(TtlTreeListNode* node);
  virtual bool DoExpanding(TtlTreeListNode* node);
  virtual bool DoCollapsing(TtlTreeListNode* node);
  // A node is leaving the forest (also while clearing).
  virtual void NodeDestroying(TtlTreeListNode* node) { Q_UNUSED(node); }
  // ShowEditor's second step: OnEditing and the column's DisableEditor.
  virtual bool AllowEditing();
  // Editing asked for on the focused new-item row: a new node to edit is
  // made and focused; false when none can be (the plain tree list has no
  // record to insert).
  virtual bool InsertFromNewItemRow() { return false; }
  // Keys and presses while the new-item row has the focus; true when consumed.
  bool NewItemRowKeyDown(WORD& key, TShiftState shift);
  bool NewItemRowMouseDown(TShiftState shift, int x, int y);
  bool NewItemRowMouseUp(TShiftState shift, int x, int y);
  // The focused column changes while the new-item row has the focus.
  void SetNewItemRowColumn(int column);
  void PaintNewItemRow(TCanvas* c, const TRect& row);
  // Loads the focused cell's value into the editor; writes it back.
  virtual void LoadEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column, TtlTreeListNode* node);
  virtual void WriteEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column, TtlTreeListNode* node);
  // Keys while the editor is open (handed from it), and Ctrl+V / Ctrl+X
  // opening it; true when consumed.
  bool EditingKeyDown(WORD& key, TShiftState shift);
  // Typing opened the editor: the character goes on to it.
  void TypeIntoEditor(QChar& key);
  // Focus changes of the tree list while editing.
  void EditingFocusChanged(bool focused);
  // Whether the keyboard focus is in the editor.
  bool EditorHasFocus() const;
  // Mouse hooks: a press closes the editor and cancels a pending opening; a
  // click on the cell that was focused already schedules the opening.
  bool EditingMouseDown();
  void ScheduleEditorOpening();
  // Moves a node under `parent` (a root when null) at `position`, without
  // expanding or scrolling anything.
  void PlaceNode(TtlTreeListNode* node, TtlTreeListNode* parent, int position);
  // Moves a root under `parent` as its last child, for a caller that knows
  // `parent` is outside the root's subtree: PlaceNode finds that out by
  // walking up from `parent`, which costs its depth on every call.
  void AttachRoot(TtlTreeListNode* root, TtlTreeListNode* parent);
  std::vector<TtlTreeListNode*>& RootNodes() { return m_rootNodes; }
  // Empties the list as ClearNodes does, but returns its nodes (parents
  // first) instead of destroying them, each detached and as a new node is in
  // the structure (no parent, children, expansion, row or user data). No
  // deletion events are sent: callers use it only without an OnDeletion
  // handler. While a deletion of some node is under way it clears the
  // ordinary way instead and returns nothing.
  std::vector<TtlTreeListNode*> TakeNodes();
  // Empties the list as TakeNodes does, but leaves every node as it stands
  // in the forest (children, expansion, user data) until the caller makes
  // it new with ResetTakenNode, puts it back with AdoptNode or destroys it.
  // The nodes are appended to `into`.
  void ParkNodes(std::vector<TtlTreeListNode*>& into);
  // Makes a node that TakeNodes or ParkNodes handed out new in the structure.
  static void ResetTakenNode(TtlTreeListNode* node);
  // Attaches a taken node, made new, as the last child of `parent` (the last
  // root without one), as AddChild and Add attach a new node.
  void AdoptNode(TtlTreeListNode* node, TtlTreeListNode* parent);
  // Destroys a node that TakeNodes handed out and nobody attached again.
  static void DestroyTakenNode(TtlTreeListNode* node);

  // ---- drag hooks of the data-aware tree list
  // A drag is starting: pending record changes are settled first.
  virtual void DragStarting() {}
  // Cancels a pending delayed opening of this tree list's in-place editor.
  void CancelDelayedEditor();
  // Whether dragging scrolls and moves the focus now (etoDragScroll aside).
  virtual bool DragScrollAllowed() { return true; }
  // Whether the control takes its own nodes dropped at a point, and the drop itself.
  virtual bool AcceptsOwnDrop(int x, int y) { Q_UNUSED(x); Q_UNUSED(y); return false; }
  virtual void DropOwnNodes(int x, int y) { Q_UNUSED(x); Q_UNUSED(y); }
  // Mouse and keys while pressing or dragging; true when consumed.
  void PressedOn(TtlTreeListNode* node);
  void PressMove(TShiftState shift, int x, int y);
  void PressReleased();
  void DragMove(TShiftState shift, int x, int y);
  // The pointer of a drag (own or another tree list's) at a point: the
  // expand and scroll timers and the focus follow it. False when the drag
  // ended or the control went meanwhile.
  bool DragOverAt(int x, int y);
  void DragRelease(TShiftState shift, int x, int y);
  bool DragKeyDown(WORD key, TShiftState shift);
  void KeyUp(WORD& key, TShiftState shift) override;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  // The value a node sorts by in a column (the cell text here).
  virtual QVariant SortValue(TtlTreeListNode* node, TtlTreeListColumn* column);
  // Orders nodes with equal sort values (never 0 for two nodes).
  virtual int TieBreak(TtlTreeListNode* a, TtlTreeListNode* b);
  void SortSiblings(std::vector<TtlTreeListNode*>& list, TtlTreeListColumn* column, bool descending);
  // Layout storage: the base section, writing and reading one layout.
  QString LayoutBase(const QString& given, bool storing);
  void WriteLayout(TCustomIniFile& ini, const QString& base);
  void ReadLayout(const TCustomIniFile& ini, const QString& base);
  // Automatic restore after loading and store at destruction (once each).
  void AutoRestoreLayout();
  void AutoStoreLayout();
  // Re-sorts by the sorted column after a full load (etoAutoSort).
  void ResortAfterLoad();
  // Typing starts an incremental search.
  virtual bool AutoSearchAllowed() { return HasBehavior(etoAutoSearch); }
  bool TextStartsWith(TtlTreeListNode* node, int column, const QString& text);
  // Search keys; true when consumed.
  bool SearchKeyPress(QChar key);
  bool SearchKeyDown(WORD key, TShiftState shift);
  // Fires OnKeyDown, then (unless vetoed) HandleKeyDown.
  void KeyDown(WORD& key, TShiftState shift) override;
  // The control's own keys; key 0 when consumed.
  virtual void HandleKeyDown(WORD& key, TShiftState shift);
  bool focusNextPrevChild(bool next) override;
  // Tab and Shift+Tab with etoTabs: the next or previous cell or row.
  void TabCell(bool forward);
  // Makes the rows from `from` to `to` (visible order) the whole selection.
  void SelectRange(TtlTreeListNode* from, TtlTreeListNode* to);
  void KeyPress(QChar& key) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  // A sideways wheel (or tilt) scrolls the list sideways; the rest goes on as a vertical wheel.
  void wheelEvent(QWheelEvent* e) override;
  void ToggleNode(TtlTreeListNode* node);
  void StartPanning(int x, int y);
  void EndPanning();
  void PanningMove(int x, int y);
 public:
  // One tick of the 20 ms panning timer (public for driving it tick by tick).
  void PanningTick();
  // The panning mode as shown: direction (none, up, right, down, left), speed
  // 1..12, the cursor number and the anchor's picture name.
  enum TtlPanDirection { pdNone, pdUp, pdRight, pdDown, pdLeft };
  TtlPanDirection PanningDirection() const { return m_pan.direction; }
  int PanningSpeed() const { return m_pan.speed; }
  int PanningCursor() const;
  QString PanningPicture() const;
  QWidget* PanningAnchor() const { return m_pan.anchor; }
  // Horizontal scrolling is possible (the columns are wider than the rows' area).
  virtual bool CanScrollHorizontally();
  // Scrolls the columns by `lines` steps (negative: to the left).
  virtual void ScrollHorizontallyBy(int lines);
  // Moves the columns' left scroll position by `pixels` (clamped); false when
  // it was already at that edge.
  virtual bool ScrollHorizontallyPixels(int pixels);
 protected:

  void Paint() override;
  void Resize() override;
  void FontChanged() override;
  void FocusChanged(bool focused) override;
  void Loaded() override;

  void PaintHeader(TCanvas* c, const TRect& area);
  void PaintBandHeader(TCanvas* c, const TRect& area);
  void PaintRow(TCanvas* c, TtlTreeListNode* node, const TRect& row);
  void PaintTreeLines(TCanvas* c, TtlTreeListNode* node, const TRect& row);
  void PaintButton(TCanvas* c, TtlTreeListNode* node, const TRect& row);
  void PaintCell(TCanvas* c, TtlTreeListNode* node, const CellPlace& cell, bool selected,
                 bool focusedCell);
  void PaintSearchHighlight(TCanvas* c, const QFont& font, const QString& text,
                            const TRect& textRect, TAlignment alignment, TColor background,
                            TColor textColor);
  void PaintPreview(TCanvas* c, TtlTreeListNode* node, const std::vector<CellPlace>& cells,
                    const TRect& row);
  void PaintGridLines(TCanvas* c, const std::vector<CellPlace>& cells, const TRect& row);
  void PaintBorder(TCanvas* c);

 private:
  friend class TtlTreeListNode;
  friend class TtlNodeWatch;
  friend class TtlTreeListColumn;
  friend class TtlTreeListBands;

  // in-place editing
  void PlaceEditor();
  void LoadEditor(TtlInplaceEdit* editor, TtlTreeListColumn* column, TtlTreeListNode* node);
  void CloseEditorNow(bool writeBack, bool refocus, bool validate);
  void EditedNodeGone(TtlTreeListNode* node);
  void EditedColumnGone(TtlTreeListColumn* column);
  void DestroyEditors();
  std::unique_ptr<TtlEditState> m_edit;
  // A press landed on the cell that was focused before it.
  bool m_pressOnFocusedCell = false;

  // node model bookkeeping
  void NodeAdded(TtlTreeListNode* node);
  void NodeDeleting(TtlTreeListNode* node);
  // Drops every remembered reference to a dying node but the focused and top ones.
  void ForgetNode(TtlTreeListNode* node, bool notify);
  void ForgetDragNode(TtlTreeListNode* node);
  TtlDragState& Drag();
  void StartDragging(int x, int y);
  void EndDragging(bool dropped, int x, int y);
  void DragTimersStop();
  void UpdateDragCursor();
  void StructureChanged(TtlTreeListNode* node);
  void MoveNode(TtlTreeListNode* node, TtlTreeListNode* target, TtlTreeListNodeAttachMode mode);
  void SetNodeExpanded(TtlTreeListNode* node, bool value);
  void ChangeTopVisibleNode(TtlTreeListNode* node);
  void EnsureRows();
  // Keeps the list from being scrolled past its last row.
  void ClampTop();
  void InvalidateNode(TtlTreeListNode* node);

  // columns
  void AttachColumn(TtlTreeListColumn* column);
  void DetachColumn(TtlTreeListColumn* column);
  void MoveColumn(int from, int to);
  void NameNewColumn(TtlTreeListColumn* column);
  void BandDeleted(int index);
  void ForEachNode(const std::function<void(TtlTreeListNode*)>& f);

  // layout
  void UpdateMetrics();
  void UpdateScrollBar();
  void ScheduleScrollBar();
  void PlaceScrollBar();
  // Shows or hides the horizontal bar and sets its range; true when its
  // visibility changed.
  bool UpdateHorzScrollBar();
  // Keeps the left position within the columns after a layout change.
  void ClampLeftPos();
  void HorzScroll(TScrollCode code, int pos);
  // Clips the canvas to a part of the client area (nothing shows when they do not meet).
  void ClipCanvas(TCanvas* c, const TRect& r);
  int BorderWidth() const;
  int RowsHeight(int from, int to);
  int BandWidth(int band);
  // Forgets focus, selection, anchor and top node, runs `empty` to take the
  // nodes away, and reports a selection that was there.
  void EmptyForest(const std::function<void()>& empty);

  std::vector<TtlTreeListNode*> m_rootNodes;
  TtlTreeListNode* m_focusedNode = nullptr;
  int m_focusedColumn = 0;
  TtlTreeListNode* m_topVisibleNode = nullptr;
  int m_updateCount = 0;
  bool m_clearing = false;
  bool m_destroying = false;
  // Focus remembered while updates are locked.
  TtlTreeListNode* m_pendingFocus = nullptr;
  int m_pendingColumn = 0;
  bool m_pendingMakeVisible = false;
  std::vector<TtlTreeListNode*> m_selection;
  // Empties the selection (no handler hears of it).
  void DropSelection();
  // Takes a selected node out of the selection (no handler hears of it).
  void Unselect(TtlTreeListNode* node);
  // The node whose selection a handler is being asked about.
  TtlTreeListNode* m_askingSelection = nullptr;
  // Where a Shift range starts.
  TtlTreeListNode* m_selectionAnchor = nullptr;
  std::vector<TtlNodeWatch*> m_watches;

  // The flat list of visible rows, with each shown node's position in it.
  std::vector<TtlTreeListNode*> m_rows;
  bool m_rowsDirty = true;
  // Rows went away since the last relayout: the top may need pulling back.
  bool m_rowsShrank = false;

  std::vector<TtlTreeListColumn*> m_columns;
  TtlTreeListBands m_bands;
  int m_headerMinRowCount = 1;
  int m_headerPanelRowCount = 0;  // 0: computed from the columns

  TFont m_headerFont;
  TFont m_bandFont;
  TFont m_previewFont;
  const TtlImageList* m_images = nullptr;
  const TtlImageList* m_stateImages = nullptr;

  bool m_metricsValid = false;
  int m_textHeight = 0;
  int m_rowLineHeight = 0;
  int m_headerRowHeight = 0;
  int m_bandRowHeight = 0;
  int m_previewLineHeight = 0;

  TScrollBar* m_scrollBar = nullptr;
  bool m_scrollBarPending = false;
  TScrollBar* m_horzScrollBar = nullptr;
  int m_leftPos = 0;
  bool m_newItemRowFocused = false;
  // A press landed on the new-item row's focused cell.
  bool m_pressOnNewItemRow = false;

  // input
  TtlTreeListState m_state = tsNormal;
  TPoint m_downPoint;
  struct PanState {
    TTimer* timer = nullptr;
    QWidget* anchor = nullptr;
    TPoint origin;
    bool vertical = false, horizontal = false;
    bool leftZone = false;
    TtlPanDirection direction = pdNone;
    int speed = 0;
    int ticks = 0;
  } m_pan;
  int m_wheelRemainder = 0;
  int m_hwheelRemainder = 0;
  std::unique_ptr<TtlDragState, TtlDragStateDeleter> m_drag;
  QPointer<TtlCustomTreeList> m_foreignSource;
  QPointer<TtlTreeListColumn> m_pressedHeader;

  // layout storage
  QString m_ownerFormName;
  bool m_layoutRestored = false;
  bool m_layoutStored = false;

  // sorting and search
  std::vector<TtlTreeListColumn*> m_sortedColumns;
  int m_sortChanges = 0;
  int m_searchColumn = -1;
  QString m_searchText;
  bool m_searching = false;
  bool m_searchMoving = false;
};

// The tree list with text nodes and plain columns.
class TtlTreeList : public TtlCustomTreeList {
  Q_OBJECT
 public:
  using TtlCustomTreeList::TtlCustomTreeList;
};
