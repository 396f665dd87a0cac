#pragma once
// TsfSkinForm: the component that replaces a form's frame by the skin. It
// installs its own window procedure on the form and answers the non-client
// messages itself: the client area's place, the frame and client background
// painting, the window region from the skin's mask, the hit test, the frame
// objects (caption and caption buttons), moving and sizing on our own loops
// (no window manager is assumed), maximise, minimise, roll-up, the system
// menu and the relay of skin changes to the skinned controls of the window.
// Without a loaded skin it draws a plain default frame with the same
// behaviour.
//
// A window attaches its skinner by creating it with the form as owner and
// setting SkinData:
//   sfSkinForm1 = new TsfSkinForm(this);
//   sfSkinForm1->SetSkinData(dm->sfSkinData1);

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/form.h"
#include "platform/image_list.h"
#include "platform/menus.h"
#include "platform/timer.h"
#include "skin/data/skin_data.h"
#include "skin/form/frame_geometry.h"
#include "skin/form/frame_objects.h"
#include "skin/menus/menu_host.h"
#include "skin/menus/skin_menu.h"
#include "skin/render/mask_region.h"

class QShortcut;
class TsfLayerManager;

// Other skinned components ask a window whether its frame is the skinner's:
// the answer is kFrameIsSkinned or kFrameIsSystem.
constexpr unsigned WM_SKINFORM_QUERYSKINNABLE = 45490;
constexpr intptr_t kFrameIsSkinned = 12853;
constexpr intptr_t kFrameIsSystem = 12852;
// Queries of other skinned components: paint the window's frame onto the
// canvas in WParam (a TCanvas*, window coordinates); the answers say it was done.
constexpr unsigned WM_SKINFORM_PAINTBACKGROUND = 45513;
constexpr intptr_t kBackgroundPainted = 12851;
constexpr unsigned WM_SKINFORM_PAINTFRAME = 48203;
constexpr intptr_t kFrameQueryTag = 16802;
// Sent by a tray icon after it restored the main window: a window whose Tag is
// kTrayRestoreTag brings the main window and the stay-on-top windows forward.
constexpr unsigned WM_SKINTRAY_RESTORED = WM_USER + 402;
constexpr int kTrayRestoreTag = -10000;

enum TsfBorderIcon : unsigned {
  biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biRollUp = 8, biMinimizeToTray = 16,
};
using TsfBorderIcons = unsigned;
enum TsfWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };
enum TsfPositionInMonitor { sfpDefault, sfpScreenCenter, sfpDesktopCenter };

// A small button drawn at the left of the caption, from the quick image list.
struct TsfQuickButtonItem {
  int ImageIndex = -1;
  QString Hint;
  bool Enabled = true;
  bool Visible = true;
  TNotifyEvent OnClick;
  // Run-time state: its square in window coordinates, hot and pressed.
  TRect Rect;
  bool Hot = false;
  bool Pressed = false;
};

class TsfSkinForm : public TComponent, public ISkinMenuHost {
  Q_OBJECT
 public:
  // The owner must be a form (EInvalidCast otherwise).
  explicit TsfSkinForm(QObject* owner);
  ~TsfSkinForm() override;

  TsfSkinData* SkinData() const { return m_skinData; }
  void SetSkinData(TsfSkinData* v);
  QPointer<TsfSkinData> MenusSkinData;
  TsfBorderIcons BorderIcons() const { return m_borderIcons; }
  void SetBorderIcons(TsfBorderIcons v);
  bool HideCaptionButtons = false;
  // The system-menu button shows the window's icon at the small-icon size.
  bool ShowIcon() const { return m_showIcon; }
  void SetShowIcon(bool v);
  // The caption buttons' hints come from the skin's texts (or built-in ones).
  bool UseDefaultObjectHint = true;
  bool ShowObjectHint = false;
  // Over caption and buttons the form's own cursor instead of the arrow.
  bool UseFormCursorInNCArea = false;
  // A picture drawn centred on the client background.
  TBitmap LogoBitMap;
  bool LogoBitMapTransparent = false;
  TFont DefCaptionFont;
  TFont DefInActiveCaptionFont;
  std::function<void(TCanvas* Cnvs, const TRect& R, bool AActive)> OnCaptionPaint;
  int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;
  bool AlwaysResize = false;
  bool MaximizeOnFullScreen = false;
  TsfPositionInMonitor PositionInMonitor = sfpDefault;
  int ClientWidth = 0, ClientHeight = 0;
  bool DisableSystemMenu = false;
  bool UseDefaultSysMenu = true;
  QPointer<TPopupMenu> SystemMenu;
  bool MenusAlphaBlend = false, MenusAlphaBlendAnimation = false;
  int MenusAlphaBlendValue = 200;
  int MaxMenuItemsInWindow = 0;
  bool UseSkinFontInMenu = true;
  int DefMenuItemHeight = 20;
  TFont DefMenuItemFont;
  bool AlwaysMinimizeToTray = false;
  bool Magnetic = false;
  int MagneticSize = 5;
  // Fade-in on show (only where translucent windows are available).
  bool AlphaBlend = false, AlphaBlendAnimation = false;
  int AlphaBlendValue = 200;
  std::vector<TsfQuickButtonItem> QuickButtons;
  TCustomImageList* QuickImageList = nullptr;  // not owned
  bool QuickButtonsShowHint = false;

  // Events of the frame objects, by the object's IDName.
  std::function<void(const QString& IDName, int X, int Y, const TRect& ObjectRect,
                     TMouseButton Button)>
      OnMouseDownEvent, OnMouseUpEvent;
  std::function<void(const QString& IDName, int X, int Y, const TRect& ObjectRect)>
      OnMouseMoveEvent;
  std::function<void(const QString& IDName)> OnMouseEnterEvent, OnMouseLeaveEvent;
  // Whether a custom caption button (command 4) shows.
  std::function<void(const QString& IDName, bool& ObjectVisible)> OnActivateCustomObject;

  TNotifyEvent OnChangeSkinData, OnBeforeChangeSkinData, OnAfterChangeSkinData;
  TNotifyEvent OnActivate, OnDeActivate, OnMinimize, OnRestore, OnMaximize;
  TNotifyEvent OnChangeRollUpState, OnSkinMenuOpen, OnSkinMenuClose;

  TForm* Form() const { return m_form; }
  bool Skinnable() const { return m_skinnable; }
  bool SkinSupport() const { return m_skinSupport; }
  TsfWindowState SkinWindowState() const { return m_windowState; }
  bool RollUpState() const { return m_rollUp; }
  bool RolledUpWhileMaximized() const { return m_rolledUpWhileMaximized; }
  bool WindowActive() const { return m_windowActive; }
  bool InMenu() const { return m_inMenu; }
  bool CanResize() const;
  bool IsFormActive() const;
  TRect SavedBounds() const { return m_savedBounds; }

  int GetMinWidth() const;
  int GetMinHeight() const;
  int GetMaxWidth() const;
  int GetMaxHeight() const;

  void SetSkinWindowState(TsfWindowState state);
  // Hiding into and restoring from the notification area needs a tray icon;
  // no window has one yet, so both do nothing.
  void MinimizeToTray() {}
  void RestoreFromTray() {}
  void SetRollUpState(bool value);
  void PopupSystemMenu(int x, int y);
  // The items the system menu shows now (rebuilt each time).
  TMenuItem* BuildSystemMenu();
  void ForceFrameRecalc();
  void UpdateFrame();
  void RepaintFrame();
  void RepaintObject(TsfActiveSkinObject* object);
  // Moves the hot object to the one under (x, y). The leave and enter events
  // it fires may reload the skin or destroy the window: false then (the
  // caller must not touch the skinner or its objects).
  bool TestActiveObject(int x, int y, bool inFrame);

  // Geometry of the current size (for painting, hit testing and tests).
  TsfFrameGeometry FrameGeometry() const { return m_geometry; }
  TsfNonClient NonClient() const;
  int HitTest(int x, int y) const;
  const std::vector<std::unique_ptr<TsfActiveSkinObject>>& Objects() const { return m_objects; }
  TsfActiveSkinObject* FindObject(const QString& idName) const;
  bool HasObject(const TsfActiveSkinObject* object) const;
  // Changes whenever the objects are freed (a skin change or reload).
  unsigned ObjectGeneration() const { return m_objectGeneration; }
  TsfSkinStdButtonObject* FindButton(int command) const;
  int HotObject() const { return m_hotObject; }
  TTimer* BlendTimer() const { return m_blendTimer; }
  TTimer* AnimateTimer() const { return m_animateTimer; }
  TTimer* FadeTimer() const { return m_fadeTimer; }
  TsfLayerManager* ButtonGlowLayer() const { return m_buttonGlow; }
  TsfLayerManager* MenuGlowLayer() const { return m_menuGlow; }
  // The form's opacity while it fades in (255 when not fading).
  int FadeOpacity() const { return m_fadeOpacity; }

  // Switches between the skinned frame and the system's own.
  void SetSkinnable(bool value);
  // The frame animation of the caption and the animated buttons runs.
  void StartAnimation();
  // The window command of a caption button (0 close, 1 maximise, 2 minimise,
  // 5 roll-up, 6 to tray); `place` is the button's rect. May destroy the
  // window and the skinner.
  void ExecuteCommand(int command, TRect place);
  // The restore image of a button with this command applies now.
  bool CommandAlternateState(int command) const;
  // Drops the system menu below `button`, or `menu` below (or above) it.
  void DropSystemMenu(TsfActiveSkinObject* button);
  // A double click on the system-menu button: its menu goes, the window closes.
  void CloseFromSystemMenuButton();
  void DropMenu(TsfActiveSkinObject* button, TMenuItem* menu, bool up);
  // The quick buttons: the strip's width at the caption's left (0: none).
  int QuickButtonsWidth() const;
  void DrawQuickButtons(TCanvas* canvas, const TRect& caption);
  void QuickButtonHover(int x, int y);
  void QuickButtonPress(int x, int y);
  void QuickButtonRelease();
  const TsfMaskBorders& MaskBorders() const { return m_maskParts; }

  // Paints the frame (not the client area) onto `canvas` in window coordinates.
  void PaintFrame(TCanvas* canvas);
  void PaintClientBackground(TCanvas* canvas);

  // ISkinMenuHost
  TsfSkinMenu* SkinMenu() override { return m_skinMenu; }
  TsfSkinData* MenusSkin() const override;
  void BeginMenu() override;
  void EndMenu() override;

 private:
  friend class TsfActiveSkinObject;
  friend class TsfSkinButtonObject;
  friend class TsfSkinStdButtonObject;
  friend class TsfSkinCaptionObject;
  friend class TsfSkinAnimateObject;

  void SkinWindowProc(TMessage& m);
  bool PreFilter(const TMessage& m);
  void ApplySkinData();
  void FormShown();
  void SkinDataDestroyed();
  void CreateSkinObjects();
  void CreateDefaultButtons();
  void ClearObjects();
  void ApplyBorderIcons();
  void ApplyObjectHints();
  void ArrangeObjects();
  void CalcGeometry();
  void PlaceClient();
  void UpdateFormRegion();
  void UpdateActiveState(bool animate = true);
  void RelaySkinChange(TsfSkinData* skinData, bool before);
  void PaintSkinFrame(TCanvas* canvas);
  void PaintDefaultFrame(TCanvas* canvas);
  void DrawClipped(TCanvas* canvas, int x, int y, const TBitmap& picture) const;
  void NonClientButtonDown(TMessage& m, TMouseButton button);
  void NonClientButtonUp(TMessage& m, TMouseButton button);
  void NonClientMouseMove(TMessage& m);
  void NonClientDblClick(TMessage& m);
  void CaptionDblClick();
  void EndDrag();
  void SetHitCursor(int code);
  void MenuKeyDown(WORD key);
  void ShowSystemMenuFromKeyboard();
  void BlendTick();
  void AnimateTick();
  void StartFadeIn();
  void FadeTick();
  void HideGlowLayers();
  void ArrangeQuickButtons(const TRect& caption);
  void DoMinimize();
  void DoMaximize();
  // The bounds of the maximised window on the current work area.
  TRect MaximizedTarget() const;
  void DisplayChanged();
  TRect FittedToWorkArea(const TRect& r) const;
  void DoRestore();
  void SetFormBounds(const TRect& r);
  TRect CalcMinimizedPosition() const;
  TRect WorkArea(bool work) const;
  TPoint WindowPoint(intptr_t lparam) const;
  bool ToolWindow() const;
  bool HasBorder() const;
  TsfSkinCaptionObject* Caption() const;

  // Null once the form's QObject part is going (a skinner never outlives it).
  QPointer<TForm> m_form;
  std::function<void(TMessage&)> m_previousWindowProc;
  QPointer<TsfSkinData> m_skinData;
  TsfBorderIcons m_borderIcons = biSystemMenu | biMinimize | biMaximize | biRollUp;
  bool m_showIcon = false;
  bool m_skinnable = true;
  bool m_skinSupport = false;
  bool m_paintingSuspended = false;
  bool m_firstShowPending = true;
  TsfWindowState m_windowState = wsNormal;
  bool m_rollUp = false;
  bool m_rolledUpWhileMaximized = false;
  bool m_rolledUpBeforeMaximize = false;
  int m_heightBeforeRollUp = 0;
  TRect m_savedBounds;
  bool m_windowActive = false;
  int m_frameWidth = 0, m_frameHeight = 0;
  TsfFrameGeometry m_geometry;
  TRect m_defaultCaption;
  std::vector<std::unique_ptr<TsfActiveSkinObject>> m_objects;
  unsigned m_objectGeneration = 0;
  int m_hotObject = -1, m_previousHotObject = -1, m_capturingObject = -1;
  TsfMaskBorders m_maskParts;
  bool m_hasMask = false;
  QRegion m_region;  // the window's shape; empty: the whole rectangle
  // The size the client had before the skinner took the frame: the first
  // frame calculation keeps it and grows the window around it.
  QSize m_keepClient;
  bool m_inMenu = false;
  TsfActiveSkinObject* m_menuButton = nullptr;
  // The button whose menu a press just closed (that press does not reopen it).
  TsfActiveSkinObject* m_lastMenuButton = nullptr;
  bool m_menuClosedByPress = false;
  bool m_shownOnce = false;
  // Our move and size loop.
  int m_dragCode = 0;
  QPoint m_dragStart;
  TRect m_dragBounds;
  TTimer* m_blendTimer;
  TTimer* m_animateTimer;
  TTimer* m_fadeTimer;
  int m_fadeOpacity = 255, m_fadeTarget = 255, m_fadeStep = 1;
  bool m_fadeAnimated = false;
  TsfLayerManager* m_buttonGlow;
  TsfLayerManager* m_menuGlow;
  TsfMagnet m_magnet;
  Qt::CursorShape m_formCursor = Qt::ArrowCursor;
  TPopupMenu* m_defaultSystemMenu;
  TsfSkinMenu* m_skinMenu;
  TsfMenuModeHook* m_hook;
  QPointer<QShortcut> m_altSpace;
};
