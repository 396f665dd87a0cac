#pragma once
// TsfSkinPopupMenu: a pop-up menu shown by the skinned window it belongs to,
// in that window's skinned pop-ups. Controls that make context menus of their
// own set HostForm to their form and call PopupForControl, so they receive
// WM_SKINMENU_CLOSED and WM_SKINMENU_COMMAND.

#include <QPointer>

#include "platform/control.h"
#include "platform/menus.h"
#include "skin/data/skin_data.h"
#include "skin/menus/menu_host.h"

class TsfSkinPopupMenu : public TPopupMenu {
  Q_OBJECT
 public:
  explicit TsfSkinPopupMenu(QObject* owner = nullptr);

  QPointer<TsfSkinData> SkinData;
  TNotifyEvent OnMenuClose;
  // Run time: the skinned window that shows the menu, or a form whose
  // skinned window component does.
  ISkinMenuHost* HostSkinner = nullptr;
  QPointer<QWidget> HostForm;

  // At screen point (x, y); nothing when no skinned window is found.
  void Popup(int x, int y);
  // The same, with `control` told when the menu closes and after a command;
  // nothing when no skinned window or no skin data is found.
  void PopupForControl(TControl* control, int x, int y);
  // Against `anchor` (screen coordinates), above it when `up` and there is room.
  void PopupAtRect(TControl* control, const TRect& anchor, bool up);

  TPoint PopupPoint() const { return m_popupPoint; }
  // The skinned window that would show the menu.
  ISkinMenuHost* FindHost() const;

 private:
  void Show(TControl* control, const TRect& anchor, bool up, bool needSkin);
  TPoint m_popupPoint;
};
