#pragma once
// What the panel tests share: a framed panel record over a picture whose
// pixels name their place.

#include "skin/controls/skin_panel.h"
#include "tests/skin/controls/control_fixture.h"

namespace ctltest {

// A 48 x 48 nine-part panel picture: border 4, the client rect from
// (4, 18) to (44, 44), a 14-pixel font; no caption rect, the record's
// default alignment and font colour.
inline TsfDataSkinPanelControl& AddFramedPanel(TinySkin& skin, const QString& name) {
  auto& r = skin.Add<TsfDataSkinPanelControl>(name);
  r.pictureindex = skin.AddPicture(Distinct(48, 48));
  r.skinrect = TRect(0, 0, 48, 48);
  r.lefttoppoint = TPoint(4, 18);
  r.righttoppoint = TPoint(44, 18);
  r.leftbottompoint = TPoint(4, 44);
  r.rightbottompoint = TPoint(44, 44);
  r.clientrect = TRect(4, 18, 44, 44);
  r.fontheight = 14;
  return r;
}

}  // namespace ctltest
