#include "skin/menus/skin_popup_menu.h"

#include "platform/form.h"
#include "skin/menus/skin_menu.h"

TsfSkinPopupMenu::TsfSkinPopupMenu(QObject* owner) : TPopupMenu(owner) {}

ISkinMenuHost* TsfSkinPopupMenu::FindHost() const {
  if (HostSkinner) return HostSkinner;
  if (HostForm) return FindSkinMenuHost(HostForm.data());
  QObject* owner = Owner();
  for (int level = 0; level < 2 && owner; ++level, owner = owner->parent()) {
    // A control's owner chain reaches its form through the client area.
    if (auto* form = qobject_cast<TForm*>(owner)) return FindSkinMenuHost(form);
  }
  return nullptr;
}

void TsfSkinPopupMenu::Show(TControl* control, const TRect& anchor, bool up, bool needSkin) {
  const QPointer<TsfSkinPopupMenu> self(this);  // OnPopup may destroy the menu
  if (OnPopup) OnPopup(this);
  if (!self) return;
  ISkinMenuHost* host = FindHost();
  if (!host) return;
  TsfSkinData* skin = SkinData ? SkinData.data() : host->MenusSkin();
  if (needSkin && !skin) return;
  TsfSkinMenu* menu = host->SkinMenu();
  if (menu->IsShowing()) host->EndMenu();
  m_popupPoint = TPoint(anchor.Left, anchor.Top);
  host->BeginMenu();
  menu->Popup(control, skin, up, Items(), anchor, 0, Images);
  // Nothing to show: leave menu mode at once, so no key stays swallowed.
  if (!menu->IsShowing()) {
    host->EndMenu();
    return;
  }
  if (OnMenuClose) menu->OnMenuClose = OnMenuClose;
}

void TsfSkinPopupMenu::Popup(int x, int y) { Show(nullptr, TRect(x, y, x, y), false, false); }

void TsfSkinPopupMenu::PopupForControl(TControl* control, int x, int y) {
  Show(control, TRect(x, y, x, y), false, true);
}

void TsfSkinPopupMenu::PopupAtRect(TControl* control, const TRect& anchor, bool up) {
  Show(control, anchor, up, false);
}
