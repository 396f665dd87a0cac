#pragma once
// What the list box tests share: numbered items and a window's skinned-menu
// host without the window part.

#include <QStringList>

#include "platform/form.h"
#include "skin/menus/menu_host.h"
#include "skin/menus/skin_menu.h"

namespace ctltest {

// "item 0", "item 1", ...; with `digits`, the numbers padded with zeros to
// that width (so they sort as numbers).
inline QStringList Numbered(int n, int digits = 0) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << QStringLiteral("item %1").arg(i, digits, 10, QLatin1Char('0'));
  return l;
}

class MenuHost : public TComponent, public ISkinMenuHost {
 public:
  explicit MenuHost(TForm* form) : TComponent(form), menu(this) { menu.HostWindow = form; }
  TsfSkinMenu* SkinMenu() override { return &menu; }
  TsfSkinData* MenusSkin() const override { return nullptr; }
  void BeginMenu() override {}
  void EndMenu() override {}
  TsfSkinMenu menu;
};

}  // namespace ctltest
