#pragma once
// A tiny synthetic pop-up skin for pixel tests: a 20 x 20 frame picture
// (2-pixel border around its centre) and a 120 x 60 menu-item picture with
// inactive and active pieces of 40 x 20 and a 120 x 20 strip of three
// animation frames side by side. The colours and the record's switches are
// parameters, so each test picks what its pixels must tell apart.

#include <QImage>
#include <array>
#include <memory>

#include "skin/data/skin_data.h"

struct TinyMenuSkinLook {
  QRgb border = qRgb(0, 0, 160);
  QRgb centre = qRgb(255, 0, 0);       // the frame behind the lines
  QRgb inactive = qRgb(0, 160, 0);     // "skinrect"
  QRgb active = qRgb(255, 255, 255);   // "activeskinrect"
  std::array<QRgb, 3> frames = {qRgb(10, 10, 10), qRgb(20, 20, 20), qRgb(30, 30, 30)};
  bool transparent = false;  // "inactivetransparent"
  bool morphing = false;
  bool animate = false;      // "animateskinrect" over the strip
  int frameCount = 3;
  int animateInterval = 30;
  bool effects = true;       // the skin data's EnableSkinEffects
};

inline void FillTinyRect(QImage& img, const QRect& r, QRgb c) {
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) img.setPixel(x, y, c);
}

inline std::unique_ptr<TsfSkinData> TinyMenuSkin(const TinyMenuSkinLook& o) {
  auto sd = std::make_unique<TsfSkinData>();
  QImage frame(20, 20, QImage::Format_RGB32);
  frame.fill(o.border);
  FillTinyRect(frame, QRect(2, 2, 16, 16), o.centre);
  QImage items(120, 60, QImage::Format_RGB32);
  items.fill(o.inactive);
  FillTinyRect(items, QRect(0, 20, 40, 20), o.active);
  for (int f = 0; f < 3; ++f) FillTinyRect(items, QRect(f * 40, 40, 40, 20), o.frames[size_t(f)]);
  sd->PictureList.push_back(std::make_unique<TBitmap>(frame));
  sd->PictureList.push_back(std::make_unique<TBitmap>(items));

  TsfDataSkinPopupWindow& w = sd->PopupWindowData;
  w.windowpictureindex = 0;
  w.lefttoppoint = TPoint(2, 2);
  w.righttoppoint = TPoint(18, 2);
  w.leftbottompoint = TPoint(2, 18);
  w.rightbottompoint = TPoint(18, 18);
  w.itemsrect = TRect(2, 2, 18, 18);

  auto r = std::make_unique<TsfDataSkinMenuItem>(QStringLiteral("menuitem"));
  r->activepictureindex = 1;
  r->skinrect = TRect(0, 0, 40, 20);
  r->activeskinrect = TRect(0, 20, 40, 40);
  r->dividerrect = TRect(0, 0, 40, 4);
  r->textrect = TRect(2, 0, 38, 20);
  r->fontheight = 8;
  r->inactivetransparent = o.transparent;
  r->morphing = o.morphing;
  r->morphkind = mkDefault;
  if (o.animate) {
    r->animateskinrect = TRect(0, 40, 120, 60);
    r->framecount = o.frameCount;
    r->animateinterval = o.animateInterval;
  }
  sd->ObjectRecords.push_back(std::move(r));
  sd->EnableSkinEffects = o.effects;
  sd->IsEmpty = false;
  return sd;
}
