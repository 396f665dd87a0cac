#pragma once
// TsfSkinListBox: a skinned container ("listbox" record or the default look)
// holding an optional caption band with up, down and check buttons, an inner
// owner-drawn list (TsfListBox) whose items it draws, and skinned scroll bars
// that it creates and removes as the content requires. The inner list's
// events reach the outer control's hooks and are raised with the outer
// control as sender, so a combo box can build its drop-down on them.
// Drags (platform/drag.h) start from and drop on the inner list with the
// ListBoxDrag... settings and OnListBox... events, and on the frame and
// caption band with the control's own; pressing or dragging past the list's
// top or bottom (left or right in column mode) scrolls it.

#include <QPointer>
#include <QStringList>
#include <functional>
#include <set>
#include <vector>

#include "platform/drag.h"
#include "platform/scroll_messages.h"
#include "platform/timer.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/skin_control.h"
#include "skin/menus/skin_popup_menu.h"

class TsfSkinCustomListBox;

// Tab stops of the item text from TabWidths: the first 10 lines, each line of
// digits only giving a stop in pixels and any other line 0.
std::vector<int> ListTabStops(const QStringList& widths);
// Where a tab at `x` (from the text's start) moves the text: the first stop
// beyond x; with one usable stop every multiple of it; beyond the last of
// several stops, further steps of the last interval; with none, every
// `defaultStep` pixels. Stops of 0 or less are not used.
int NextTabStop(int x, const std::vector<int>& stops, int defaultStep);

enum TsfOwnerDrawFlag : unsigned { odSelected = 1, odFocused = 16 };
using TsfOwnerDrawState = unsigned;

using TsfDrawSkinItemEvent = std::function<void(TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight,
                                                TRect TxtRect, TsfOwnerDrawState State)>;

// The inner list: fixed item height, items drawn by the outer control, its
// own scroll state in the host's terms (range 0 .. count - 1, page = rows).
class TsfListBox : public TCustomControl, public TDragControl {
  Q_OBJECT
 public:
  explicit TsfListBox(TsfSkinCustomListBox* owner);
  ~TsfListBox() override;

  const QStringList& Items() const { return m_items; }
  void SetItems(const QStringList& items);
  int Count() const { return int(m_items.size()); }
  int ItemIndex() const { return m_itemIndex; }
  void SetItemIndex(int v);
  int TopIndex() const { return m_topIndex; }
  void SetTopIndex(int v);
  int ItemHeight() const { return m_itemHeight; }
  void SetItemHeight(int v);
  bool MultiSelect() const { return m_multiSelect; }
  void SetMultiSelect(bool v) { m_multiSelect = v; m_selected.clear(); update(); }
  bool Selected(int index) const;
  void SetSelected(int index, bool v);
  // The number of selected items with MultiSelect, else -1.
  int SelCount() const;
  // With MultiSelect: extended (a click selects one item, Ctrl+click
  // toggles one, Shift+click and Shift+arrows select the run from the
  // anchor) or simple (a click or the space bar toggles one).
  bool ExtendedSelect() const { return m_extendedSelect; }
  void SetExtendedSelect(bool v);
  // Items kept in case-insensitive order; switching it on sorts them.
  bool Sorted() const { return m_sorted; }
  void SetSorted(bool v);
  // Typing extends the prefix searched for (see kSearchPause); without it
  // each key searches for its own character.
  bool AutoComplete() const { return m_autoComplete; }
  void SetAutoComplete(bool v) { m_autoComplete = v; }
  // Left shift of the items in pixels while a horizontal bar scrolls them.
  int HorizontalOffset() const { return m_hOffset; }
  void SetHorizontalOffset(int v);

  int Rows() const { return m_itemHeight > 0 ? Height() / m_itemHeight : 0; }
  TRect ItemRect(int index) const;
  int ItemAtPos(TPoint p) const;  // -1 below the last item
  TScrollInfo VScrollInfo() const;
  // Column mode (Columns > 0): the items run down `Rows()` rows and on into
  // the next column, `Columns` columns of width / Columns showing at a time,
  // scrolled sideways by whole columns (the top index is the first item of
  // the first visible column).
  int Columns() const { return m_columns; }
  void SetColumns(int v);
  int ColumnWidth() const { return m_columns > 0 ? Width() / m_columns : Width(); }
  // Columns in range 0 .. all columns - 1, page = Columns, position = the
  // first visible column.
  TScrollInfo HScrollInfo() const;

  // Type-ahead: keys typed within this many milliseconds of each other
  // extend the prefix searched for. The clock is replaceable for tests.
  static constexpr int kSearchPause = 1000;
  std::function<qint64()> Clock;

  // The menu a right click shows (not owned).
  TsfSkinPopupMenu* PopupMenu() const { return m_popupMenu.data(); }
  void SetPopupMenu(TsfSkinPopupMenu* menu) { m_popupMenu = menu; }

  // Scrolling while the left button, pressed on the list, or a drag from
  // it, is held past the list's top or bottom (left or right edge in
  // column mode): one item (column) per tick, the selection following the
  // pointer unless a drag runs. Direction -1 back, 1 on, 0 still.
  static constexpr int kAutoScrollInterval = 100;
  TTimer* AutoScrollTimer() const { return m_scrollTimer; }
  int AutoScrollDirection() const { return m_scrollDirection; }

  // The drag events reach the outer control's OnListBox... events; the
  // inner list's own drag events are not used.
  void DoStartDrag(QObject*& dragObject) override;
  void DoEndDrag(QObject* target, int x, int y) override;
  void DoDragOver(QObject* source, int x, int y, TDragState state, bool& accept) override;
  void DoDragDrop(QObject* source, int x, int y) override;
  void DoDragMoved(const TPoint& screen) override;

 protected:
  QWidget* DragWidget() override { return this; }
  void WndProc(TMessage& message) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Click() override;
  void DblClick() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void KeyPress(QChar& key) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void FocusChanged(bool focused) override;
  void Resize() override;
  bool event(QEvent* event) override;

 private:
  void ClampTop();
  void MakeVisible(int index);
  void Search(QChar c);
  void TrackPointer(int x, int y);
  void SelectOnly(int index);
  void SelectRun(int index, bool add);
  void SelectByPointer(int index, TShiftState shift);
  static void SortItems(QStringList& items);
  void StopAutoScroll();
  void AutoScrollTick();

  TsfSkinCustomListBox* m_owner;
  QStringList m_items;
  int m_itemIndex = -1;
  int m_topIndex = 0;
  int m_itemHeight = 20;
  bool m_multiSelect = false;
  bool m_extendedSelect = true;
  bool m_sorted = false;
  bool m_autoComplete = true;
  int m_anchor = -1;
  std::set<int> m_selected;
  int m_hOffset = 0;
  int m_columns = 0;
  QString m_prefix;
  qint64 m_lastKeyTime = -1000000;
  QPointer<TsfSkinPopupMenu> m_popupMenu;
  bool m_windowCreated = false;
  bool m_pressed = false;  // the left button went down on the list
  TPoint m_pointer;        // its last place, in list coordinates
  TTimer* m_scrollTimer;
  int m_scrollDirection = 0;
};

class TsfSkinCustomListBox : public TsfSkinCustomControl, public TDragControl {
  Q_OBJECT
 public:
  explicit TsfSkinCustomListBox(QWidget* parent = nullptr);
  ~TsfSkinCustomListBox() override;

  TsfListBox* ListBox() const { return m_list; }
  const QStringList& Items() const { return m_list->Items(); }
  void SetItems(const QStringList& items);
  void AddItem(const QString& text);
  void Clear() { SetItems({}); }
  int ItemIndex() const { return m_list->ItemIndex(); }
  void SetItemIndex(int v) { m_list->SetItemIndex(v); }
  bool MultiSelect() const { return m_list->MultiSelect(); }
  void SetMultiSelect(bool v) { m_list->SetMultiSelect(v); }
  bool ExtandedSelect() const { return m_list->ExtendedSelect(); }
  void SetExtandedSelect(bool v) { m_list->SetExtendedSelect(v); }
  bool Sorted() const { return m_list->Sorted(); }
  void SetSorted(bool v) { m_list->SetSorted(v); UpdateScrollBars(); }
  bool AutoComplete() const { return m_list->AutoComplete(); }
  void SetAutoComplete(bool v) { m_list->SetAutoComplete(v); }
  // Column mode from a positive count (see TsfListBox::Columns); its bar is
  // a horizontal one in the vertical bar's place.
  int Columns() const { return m_list->Columns(); }
  void SetColumns(int v);

  bool UseSkinItemHeight() const { return m_useSkinItemHeight; }
  void SetUseSkinItemHeight(bool v);
  int DefaultItemHeight() const { return m_defaultItemHeight; }
  void SetDefaultItemHeight(int v);
  // The item height in use.
  int ItemHeight() const { return m_list->ItemHeight(); }
  int RowCount() const { return m_rowCount; }
  void SetRowCount(int v);
  bool HorizontalExtent() const { return m_horizontalExtent; }
  void SetHorizontalExtent(bool v);

  bool CaptionMode() const { return m_captionMode; }
  void SetCaptionMode(bool v);
  TAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TAlignment v) { m_alignment = v; Invalidate(); }
  int DefaultCaptionHeight() const { return m_defaultCaptionHeight; }
  void SetDefaultCaptionHeight(int v);
  TFont* DefaultCaptionFont() { return &m_captionFont; }
  bool ShowCaptionButtons() const { return m_showCaptionButtons; }
  void SetShowCaptionButtons(bool v) { m_showCaptionButtons = v; Invalidate(); }
  // A strip of NumGlyphs glyphs before the caption text, Spacing pixels
  // before it; the second is drawn while disabled when there are two.
  const TBitmap& Glyph() const { return m_glyph; }
  void SetGlyph(const TBitmap& glyph) { m_glyph = glyph; Invalidate(); }
  int NumGlyphs() const { return m_numGlyphs; }
  void SetNumGlyphs(int v) { m_numGlyphs = std::max(1, v); Invalidate(); }
  int Spacing() const { return m_spacing; }
  void SetSpacing(int v) { m_spacing = v; Invalidate(); }

  // Tab stops of the item text (see ListTabStops).
  const QStringList& TabWidths() const { return m_tabWidths; }
  void SetTabWidths(const QStringList& v);
  // An image before each item's text: image ImageIndex of Images, or the
  // item's own index while ImageIndex is negative; an index the list does
  // not hold draws none. A destroyed image list is forgotten.
  TCustomImageList* Images() const { return m_images.data(); }
  void SetImages(TCustomImageList* images);
  int ImageIndex() const { return m_imageIndex; }
  void SetImageIndex(int v);

  // The inner list's own properties.
  TFont* ListBoxFont() { return m_list->Font(); }
  bool ListBoxTabStop() const { return m_list->TabStop(); }
  void SetListBoxTabStop(bool v) { m_list->SetTabStop(v); }
  int ListBoxTabOrder() const;
  void SetListBoxTabOrder(int v);
  TsfSkinPopupMenu* ListBoxPopupMenu() const { return m_list->PopupMenu(); }
  void SetListBoxPopupMenu(TsfSkinPopupMenu* menu) { m_list->SetPopupMenu(menu); }
  TDragMode ListBoxDragMode() const { return m_list->DragMode; }
  void SetListBoxDragMode(TDragMode v) { m_list->DragMode = v; }
  TDragKind ListBoxDragKind() const { return m_list->DragKind; }
  void SetListBoxDragKind(TDragKind v) { m_list->DragKind = v; }
  TCursor ListBoxDragCursor() const { return m_list->DragCursor; }
  void SetListBoxDragCursor(TCursor v) { m_list->DragCursor = v; }
  // The menu a right click on the frame or caption band shows (not owned).
  TsfSkinPopupMenu* PopupMenu() const { return m_popupMenu.data(); }
  void SetPopupMenu(TsfSkinPopupMenu* menu) { m_popupMenu = menu; }

  // The bars while they exist.
  TsfSkinScrollBar* VScrollBar() const { return m_vbar.data(); }
  TsfSkinScrollBar* HScrollBar() const { return m_hbar.data(); }
  // The list area and the caption buttons (0 up, 1 down, 2 check) now.
  TRect ListArea() const { return m_listArea; }
  TRect CaptionButtonRect(int button) const;
  TTimer* RepeatTimer() const { return m_timer; }

  void UpdateScrollBars();
  void ApplySkinChange() override;
  // The width of the widest item's text in the item font.
  int WidestItem();

  TNotifyEvent OnUpButtonClick, OnDownButtonClick, OnCheckButtonClick;
  TsfDrawSkinItemEvent OnDrawItem;
  TNotifyEvent OnListBoxClick, OnListBoxDblClick;
  std::function<void(TObject*, TMouseButton, TShiftState, int X, int Y)> OnListBoxMouseDown, OnListBoxMouseUp;
  std::function<void(TObject*, TShiftState, int X, int Y)> OnListBoxMouseMove;
  std::function<void(TObject*, WORD& Key, TShiftState)> OnListBoxKeyDown, OnListBoxKeyUp;
  std::function<void(TObject*, QChar& Key)> OnListBoxKeyPress;
  // A drag over the inner list is accepted only with OnListBoxDragOver
  // (Accept comes in true); Source is the inner list, or the object the
  // source's start-drag handler named.
  std::function<void(TObject*, TObject* Source, int X, int Y, TDragState State, bool& Accept)> OnListBoxDragOver;
  std::function<void(TObject*, TObject* Source, int X, int Y)> OnListBoxDragDrop;
  std::function<void(TObject*, TObject*& DragObject)> OnListBoxStartDrag;
  std::function<void(TObject*, TObject* Target, int X, int Y)> OnListBoxEndDrag;

  // Hooks the inner list calls; the base raises the OnListBox... events.
  virtual int ItemTextWidth(int index, TCanvas* canvas);
  virtual void ListMouseDown(TMouseButton b, TShiftState s, int x, int y) { if (OnListBoxMouseDown) OnListBoxMouseDown(this, b, s, x, y); }
  virtual void ListMouseMove(TShiftState s, int x, int y) { if (OnListBoxMouseMove) OnListBoxMouseMove(this, s, x, y); }
  virtual void ListMouseUp(TMouseButton b, TShiftState s, int x, int y) { if (OnListBoxMouseUp) OnListBoxMouseUp(this, b, s, x, y); }
  virtual void ListClick() { if (OnListBoxClick) OnListBoxClick(this); }
  virtual void ListDblClick() { if (OnListBoxDblClick) OnListBoxDblClick(this); }
  virtual void ListKeyDown(WORD& key, TShiftState s) { if (OnListBoxKeyDown) OnListBoxKeyDown(this, key, s); }
  virtual void ListKeyUp(WORD& key, TShiftState s) { if (OnListBoxKeyUp) OnListBoxKeyUp(this, key, s); }
  virtual void ListKeyPress(QChar& key) { if (OnListBoxKeyPress) OnListBoxKeyPress(this, key); }
  virtual void ListEnter() {}
  virtual void ListExit() {}
  // The inner list's window exists (it is shown the first time).
  virtual void ListWindowCreated() {}
  // False: the inner list does not process the message.
  virtual bool ListMessageFilter(TMessage& message) { Q_UNUSED(message); return true; }

  // Drawing of the inner list, called from its paint.
  void DrawListItem(TCanvas* canvas, int index, const TRect& rect, TsfOwnerDrawState state);
  void DrawListBackground(TCanvas* canvas, const TRect& area);
  // The list scrolled by the wheel: one item per notch, small steps adding up.
  bool ListWheel(int delta);
  // The inner list's drags, raised as the OnListBox... events.
  void ListStartDrag(QObject*& dragObject) { if (OnListBoxStartDrag) OnListBoxStartDrag(this, dragObject); }
  void ListEndDrag(QObject* target, int x, int y) { if (OnListBoxEndDrag) OnListBoxEndDrag(this, target, x, y); }
  void ListDragOver(QObject* source, int x, int y, TDragState state, bool& accept);
  void ListDragDrop(QObject* source, int x, int y) { if (OnListBoxDragDrop) OnListBoxDragDrop(this, source, x, y); }
  // A right click on the list or on the control at a screen point.
  void ShowPopupMenu(TsfSkinPopupMenu* menu, const TPoint& screen);

  // Asked by other skinned controls: paints the control's background (its
  // frame, caption band and the list's background) into the canvas in
  // WParam and answers kPaintBackgroundAnswer.
  static constexpr unsigned WM_SKINCTRL_PAINTBACKGROUND = 45513;
  static constexpr intptr_t kPaintBackgroundAnswer = 12851;
  void WndProc(TMessage& message) override;

 protected:
  void PaintDefaultImage(TBitmap& picture) override;
  void PaintSkinImage(TBitmap& picture) override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  QWidget* DragWidget() override { return this; }
  // Without a record the control's font follows the default font.
  void DefaultFontChanged() override;

 private:
  void PaintBackgroundInto(TCanvas* canvas);
  // The image list's width and the text's indent after it (0, 0 without).
  int ImageIndent() const;
  TsfDataSkinListBox* ListRecord() const;
  void ApplyItemHeight();
  void Layout();
  TsfSkinScrollBar* CreateBar(TScrollBarKind kind);
  void RemoveBar(QPointer<TsfSkinScrollBar>& bar);
  void NameBars();
  void UpdateColumnBar();
  TFont ItemFont() const;
  int CaptionButtonAt(TPoint p) const;
  // The caption's glyph (the frame for the enabled state) and its width
  // with the spacing (0 without a glyph).
  int GlyphRunWidth() const;
  void DrawCaptionGlyph(TCanvas* c, int x, const TRect& band);
  void CoverCaptionButtons(TBitmap& picture, const TsfDataSkinListBox& rec);
  void DrawItemText(TCanvas* c, const QString& text, const TRect& rect);
  void CaptionStep(int button);
  void CaptionTick();

  TsfListBox* m_list;
  QPointer<TsfSkinScrollBar> m_vbar, m_hbar;
  TRect m_listArea;
  bool m_useSkinItemHeight = true;
  int m_defaultItemHeight = 20;
  int m_rowCount = 0;
  bool m_horizontalExtent = false;
  bool m_captionMode = false;
  TAlignment m_alignment = taLeftJustify;
  int m_defaultCaptionHeight = 20;
  TFont m_captionFont;
  bool m_showCaptionButtons = true;
  TBitmap m_glyph;
  int m_numGlyphs = 1;
  int m_spacing = 2;
  QStringList m_tabWidths;
  int m_hotButton = -1, m_capturedButton = -1;
  int m_repeat = 0;  // 0 none, 1 up, 2 down
  bool m_firstTick = false;
  TTimer* m_timer;
  bool m_skinChanging = false;
  int m_wheelRest = 0;
  QPointer<TCustomImageList> m_images;
  int m_imageIndex = -1;
  QPointer<TsfSkinPopupMenu> m_popupMenu;
};

class TsfSkinListBox : public TsfSkinCustomListBox {
  Q_OBJECT
 public:
  using TsfSkinCustomListBox::TsfSkinCustomListBox;
};
