#pragma once
// Skinned pop-up menus. A TsfSkinMenu shows the sub-items of a menu item in
// its own pop-up windows (TsfSkinPopupWindow): frameless tool windows shown
// without activation, framed with the skin's pop-up window picture and drawn
// with the skin's menu-item record, or in a plain look without them. Nested
// submenus open in further windows. All closing is ours: the window that
// shows the menu closes it on presses, moves, focus loss and deactivation,
// and the pop-ups are destroyed with deferred deletion, so a command may
// delete the very menu that owns its item.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/control.h"
#include "platform/font.h"
#include "platform/image_list.h"
#include "platform/menus.h"
#include "platform/messages.h"
#include "platform/timer.h"
#include "platform/types.h"
#include "skin/data/skin_data.h"
#include "skin/menus/popup_effects.h"
#include "skin/render/layer_window.h"

class TsfSkinMenu;
class TsfSkinPopupWindow;

// Sent to the control that popped a menu up (and, when a command closes
// every pop-up, to the window showing the menu).
constexpr unsigned WM_SKINMENU_CLOSED = WM_USER + 204;
// Sent to the control that popped a menu up after an item's command ran.
constexpr unsigned WM_SKINMENU_COMMAND = WM_USER + 205;

// Where a pop-up of w x h goes for anchor A in work area W. `itemsTop` is the
// top of the items rect inside the window (submenus put their first line level
// with the parent line). Forced: the window could not be placed against A.
struct TsfPopupPlace {
  int X = 0;
  int Y = 0;
  bool Forced = false;
};
// Read from the right (`rightToLeft`), a first-level pop-up ends at the
// anchor's right edge and submenus open on the left of their parent line
// when there is room.
TsfPopupPlace PlacePopup(const TRect& A, int w, int h, const TRect& W, int itemsTop, bool up,
                         bool submenu, bool fullHeightScroll, bool rightToLeft = false);

// Height of a pop-up: the lines' heights plus the frame's extra height, cut to
// `maxItems` lines (0: no limit) of `itemHeight` plus 20 for the scroll zones,
// and to the work area's height. Scrolling: the lines do not all fit.
struct TsfPopupHeight {
  int Height = 0;
  bool NeedsScrolling = false;
  bool Limited = false;  // cut by maxItems
};
TsfPopupHeight PopupHeight(const std::vector<int>& lineHeights, int itemHeight, int frameExtra,
                           int maxItems, int workHeight);

// One line of a pop-up.
struct TsfSkinMenuItem {
  QPointer<TMenuItem> MenuItem;
  TRect ItemRect;  // in the window
  bool Visible = true;
  bool Active = false;
  bool SubmenuOpen = false;
  bool KeySelected = false;
  TsfLineMotion Motion;  // morph factor and animation frame
  bool Lit() const { return Active || SubmenuOpen; }
  bool IsLine() const { return MenuItem && MenuItem->IsLine(); }
  bool Enabled() const { return MenuItem && MenuItem->Enabled; }
  bool HasChildren() const;
  // Enabled and not a separator: a line the keyboard stops on.
  bool Selectable() const { return Enabled() && !IsLine(); }
};

class TsfSkinPopupWindow : public QWidget {
  Q_OBJECT
 public:
  TsfSkinPopupWindow(TsfSkinMenu* menu, QWidget* owner);
  ~TsfSkinPopupWindow() override;

  // Builds the lines of `item`'s visible children from `start` (and of
  // `second`'s from `secondStart` for a merged menu), leaving out separators
  // that would come first, last or straight after another; false when none.
  bool Build(TMenuItem* item, int start, TMenuItem* second = nullptr, int secondStart = 0);
  // Sizes and places the window against `anchor` and shows it.
  void ShowAt(const TRect& anchor, bool up, bool submenu, bool merged);

  // Keyboard input while the menu shows.
  void HandleKey(WORD key);

  TMenuItem* ParentItem() const { return m_parentItem; }
  std::vector<TsfSkinMenuItem>& Items() { return m_items; }
  const std::vector<TsfSkinMenuItem>& Items() const { return m_items; }
  int ActiveIndex() const { return m_active; }
  TRect ItemsRect() const { return m_itemsRect; }
  bool NeedsScrolling() const { return m_needsScrolling; }
  int FirstVisible() const { return m_firstVisible; }
  int ScrollState() const { return m_scrollState; }
  TTimer* ScrollTimer() const { return m_scrollTimer; }
  // The line morph and frame animation (20 ms, or the item record's
  // interval while its lines animate); runs only while a line moves.
  TTimer* AnimationTimer() const { return m_animTimer; }
  // The opacity fade of a menu's first pop-up; runs only while it fades.
  TTimer* FadeTimer() const { return m_fadeTimer; }
  int Opacity() const { return m_fade.Current; }
  // The drop shadow beside the window, when there is one.
  TsfLayerWindow* Shadow() const { return m_shadow; }
  int LineAt(const TPoint& p) const;  // -1: none

  void SelectLine(int index, bool fromKeyboard);
  void DeselectLine(int index);
  void ClickLine(int index);
  // Lines hidden and shown again after the first visible line changed.
  void LayoutLines();
  // The line a command or the keyboard acts on lost its open submenu.
  void ClearSubmenuMarks();

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  friend class TsfSkinMenu;
  bool Skinned() const;
  TsfDataSkinMenuItem* ItemRecord() const;
  void ApplyItemFont(TCanvas* canvas) const;
  int LineHeight(const TsfSkinMenuItem& line) const;
  int GlyphColumn() const;
  // The plain look's glyph column.
  int PlainColumn() const;
  // The widest own bitmap among the lines (0: none).
  int WidestBitmap() const;
  // A line's glyph: its item's own bitmap, else its image-list image; empty
  // when it has neither.
  QSize GlyphSize(const TMenuItem* item) const;
  void DrawGlyph(TCanvas* c, const TsfSkinMenuItem& line, int x, int y) const;
  void PaintGlyph(TCanvas* c, const TsfSkinMenuItem& line, int x, int y, TColor colour) const;
  // Read from the right, every line is laid out as its mirror image: the
  // glyph column on the right, the caption right-aligned in right-to-left
  // reading order, the shortcut on the left and the submenu mark on the
  // left pointing left. Pictures keep their look; only the skin's line
  // strips are turned.
  bool RightToLeft() const;
  TRect Flip(const TRect& line, const TRect& r) const;
  int FlipX(const TRect& line, int x, int width) const;
  unsigned TextFlags(unsigned align) const;
  TBitmap FlipPicture(const TBitmap& b) const;
  void PaintFrame(TCanvas* c);
  void PaintLine(TCanvas* c, const TsfSkinMenuItem& line);
  void PaintLinePlain(TCanvas* c, const TsfSkinMenuItem& line);
  bool PaintHeader(TCanvas* c, const TsfSkinMenuItem& line);
  void PaintSymbol(TCanvas* c, const TsfSkinMenuItem& line, int x, int y, TColor colour,
                   const TRect& imageRect);
  void PaintScrollZones(TCanvas* c);
  // The background of a skinned line at its size: inactive, active, a blend
  // of both, or an animation frame.
  TBitmap LineBackground(const TsfSkinMenuItem& line, const TsfDataSkinMenuItem& r,
                         const TBitmap& pic) const;
  TBitmap InactiveBackground(const TsfSkinMenuItem& line, const TsfDataSkinMenuItem& r,
                             const TBitmap& pic) const;
  bool MorphInEffect() const;
  int AnimationFrames() const;  // 0: the lines do not animate
  void StartMotion();
  void MotionTick();
  void StartFade(int target);
  void FadeTick();
  void ShowShadow();
  void HideShadow();
  void StopTimers();
  void ScrollStep();
  void MoveKeySelection(int step);
  void ScrollToShow(int index);
  int LastPageStart() const;

  // Cleared when the menu closes this window or goes away: a window waiting
  // for its deferred deletion then ignores input, timers and paint requests.
  QPointer<TsfSkinMenu> m_menu;
  TMenuItem* m_parentItem = nullptr;
  std::vector<TsfSkinMenuItem> m_items;
  TRect m_itemsRect;
  bool m_needsScrolling = false;
  int m_firstVisible = 0;
  int m_scrollState = 0;  // 0 none, 1 up, 2 down
  int m_active = -1;
  TTimer* m_scrollTimer;
  TTimer* m_animTimer;
  TTimer* m_fadeTimer;
  TsfPopupFade m_fade;
  // The frame with its centre, kept for inactive lines of a record whose
  // inactive look is the window behind them.
  TBitmap m_frameBackground;
  QPointer<TsfLayerWindow> m_shadow;
};

class TsfSkinMenu : public TComponent {
  Q_OBJECT
 public:
  explicit TsfSkinMenu(QObject* owner = nullptr);
  ~TsfSkinMenu() override;

  int MaxMenuItemsInWindow = 0;
  bool UseSkinFont = true;
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  int AlphaBlendValue = 150;
  int PlainItemHeight = 20;
  TFont PlainItemFont;
  // The window that shows this menu: told when a command closes everything.
  QPointer<TControl> HostWindow;

  // Shows `item`'s children from `start` against `anchor` (screen
  // coordinates; an empty rect is a point). Closes a menu already open.
  void Popup(TControl* control, TsfSkinData* skinData, bool up, TMenuItem* item,
             const TRect& anchor, int start, TCustomImageList* images = nullptr);
  // Two menus in one first-level pop-up: `first`'s children from `start`,
  // then `second`'s from start minus first's child count.
  void PopupMerged(TControl* control, TsfSkinData* skinData, bool up, TMenuItem* first,
                   TMenuItem* second, const TRect& anchor, int start,
                   TCustomImageList* images = nullptr);
  // Destroys the pop-ups from index n on, the deepest first; n = 0 closes the
  // menu.
  void CloseFrom(int n);
  // Closes the menu as a command does.
  void CloseAll();
  void ItemAction(TsfSkinPopupWindow* popup, int index, bool fromKeyboard, bool click);

  bool IsShowing() const { return m_showing; }
  bool IsFirstPopup() const { return m_firstPopup; }
  int PopupCount() const { return int(m_popups.size()); }
  TsfSkinPopupWindow* PopupAt(int i) const { return m_popups[size_t(i)]; }
  TsfSkinPopupWindow* Deepest() const { return m_popups.empty() ? nullptr : m_popups.back(); }
  // Gives the key to the deepest pop-up.
  void HandleKey(WORD key);
  bool IsPopupWindow(const QWidget* w) const;

  TsfSkinData* SkinData() const { return m_skinData; }
  TCustomImageList* Images() const { return m_images.data(); }
  TRect WorkArea() const { return m_workArea; }
  TTimer* WaitTimer() const { return m_waitTimer; }
  TControl* PoppingControl() const { return m_control; }
  // The reading direction of the menu showing: that of the control that
  // popped it up, else of the window showing it, else of the application.
  bool RightToLeft() const { return m_rightToLeft; }

  TNotifyEvent OnMenuClose;

 private:
  friend class TsfSkinPopupWindow;
  void Begin(TControl* control, TsfSkinData* skinData, TCustomImageList* images);
  TsfSkinPopupWindow* Open(TMenuItem* item, const TRect& anchor, bool up, bool submenu,
                           int start, TMenuItem* second = nullptr, int secondStart = 0);
  void WaitFired();
  int IndexOf(const TsfSkinPopupWindow* p) const;

  std::vector<QPointer<TsfSkinPopupWindow>> m_popups;
  TTimer* m_waitTimer;
  QPointer<TsfSkinPopupWindow> m_waitPopup;
  int m_waitIndex = -1;
  bool m_showing = false;
  bool m_firstPopup = false;
  bool m_rightToLeft = false;
  TRect m_workArea;
  QPointer<TsfSkinData> m_skinData;
  // Forgotten when the list is destroyed while the menu shows.
  QPointer<TCustomImageList> m_images;
  QPointer<TControl> m_control;
  QPointer<TControl> m_controlToTell;
};
