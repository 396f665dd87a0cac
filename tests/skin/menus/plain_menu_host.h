#pragma once
// A window's skinned-menu host without the window part and without a skin:
// controls on `form` that pop up menus find it as their window's host.

#include "platform/form.h"
#include "skin/menus/menu_host.h"
#include "skin/menus/skin_menu.h"

namespace menutest {

class MenuHost : public TComponent, public ISkinMenuHost {
 public:
  explicit MenuHost(TForm* form) : TComponent(form), menu(this) { menu.HostWindow = form; }
  TsfSkinMenu* SkinMenu() override { return &menu; }
  TsfSkinData* MenusSkin() const override { return nullptr; }
  void BeginMenu() override {}
  void EndMenu() override {}
  TsfSkinMenu menu;
};

}  // namespace menutest
