#pragma once
// TsfSkinListBox: a skinned container ("listbox" record or the default look)
// holding an optional caption band with up, down and check buttons, an inner
// owner-drawn list (TsfListBox) whose items it draws, and skinned scroll bars
// that it creates and removes as the content requires. The inner list's
// events reach the outer control's hooks and are raised with the outer
// control as sender, so a combo box can build its drop-down on them.

#include <QPointer>
#include <QStringList>
#include <functional>
#include <set>
#include <vector>

#include "platform/scroll_messages.h"
#include "platform/timer.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/skin_control.h"

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
class TsfListBox : public TCustomControl {
  Q_OBJECT
 public:
  explicit TsfListBox(TsfSkinCustomListBox* owner);

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

 protected:
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

 private:
  void ClampTop();
  void MakeVisible(int index);
  void Search(QChar c);

  TsfSkinCustomListBox* m_owner;
  QStringList m_items;
  int m_itemIndex = -1;
  int m_topIndex = 0;
  int m_itemHeight = 20;
  bool m_multiSelect = false;
  std::set<int> m_selected;
  int m_hOffset = 0;
  int m_columns = 0;
  QString m_prefix;
  qint64 m_lastKeyTime = -1000000;
};

class TsfSkinCustomListBox : public TsfSkinCustomControl {
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
  // The inner list's own properties.
  TFont* ListBoxFont() { return m_list->Font(); }
  bool ListBoxTabStop() const { return m_list->TabStop(); }
  void SetListBoxTabStop(bool v) { m_list->SetTabStop(v); }

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
  // False: the inner list does not process the message.
  virtual bool ListMessageFilter(TMessage& message) { Q_UNUSED(message); return true; }

  // Drawing of the inner list, called from its paint.
  void DrawListItem(TCanvas* canvas, int index, const TRect& rect, TsfOwnerDrawState state);
  void DrawListBackground(TCanvas* canvas, const TRect& area);
  // The list scrolled by the wheel: one item per notch, small steps adding up.
  bool ListWheel(int delta);

 protected:
  void PaintDefaultImage(TBitmap& picture) override;
  void PaintSkinImage(TBitmap& picture) override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseLeave() override;

 private:
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
};

class TsfSkinListBox : public TsfSkinCustomListBox {
  Q_OBJECT
 public:
  using TsfSkinCustomListBox::TsfSkinCustomListBox;
};
