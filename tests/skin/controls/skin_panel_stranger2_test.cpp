// Panels painted from hostile records and at extreme sizes, repainted in
// parts, and with their skin changed or removed between paints: every part
// of a panel looks the same whether painted alone or with the rest.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <functional>

#include "tests/skin/controls/panel_fixture.h"

using namespace ctltest;

namespace {

// The widget painted into a picture of its size, only inside `part`, over
// a colour no skin here uses.
QImage PaintedPart(QWidget* w, const QRect& part) {
  QImage img(w->size(), QImage::Format_RGB32);
  img.fill(qRgb(255, 0, 255));
  w->render(&img, part.topLeft(), QRegion(part));
  return img;
}

// Pixels of `part` that differ between the two pictures.
int Differences(const QImage& a, const QImage& b, const QRect& part) {
  int n = 0;
  const QRect r = part.intersected(a.rect());
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) ++n;
  return n;
}

void ExpectPartsPaintAsTheWhole(QWidget* w) {
  const QRect whole = w->rect();
  const QImage full = PaintedPart(w, whole);
  const QRect parts[] = {
      QRect(0, 0, 3, 3),                                              // a corner of the frame
      QRect(w->width() / 2 - 5, w->height() / 2 - 5, 11, 11),        // inside the client fill
      QRect(w->width() - 7, 10, 7, w->height() - 20),                // along the right edge
      QRect(13, 0, w->width() - 30, 22),                              // across the caption band
  };
  for (const QRect& part : parts) {
    SCOPED_TRACE(testing::Message() << part.x() << ',' << part.y() << ' ' << part.width() << 'x'
                                    << part.height());
    EXPECT_EQ(Differences(full, PaintedPart(w, part), part), 0);
  }
}

}  // namespace

TEST(SkinPanelParts, APartRepaintedAloneLooksAsInTheWholePanel) {
  TinySkin skin;
  AddFramedPanel(skin, "framed");
  auto& tiled = AddFramedPanel(skin, "background");
  tiled.bgpictureindex = skin.AddPicture(Distinct(9, 7, 99));
  auto& stretched = AddFramedPanel(skin, "stretched");
  stretched.stretcheffect = true;
  struct Look {
    const char* name;
    const char* record;  // none: the default look
    std::function<void(TsfSkinPanel&)> set;
  };
  const Look looks[] = {
      {"default frame", nullptr, [](TsfSkinPanel&) {}},
      {"default caption band", nullptr,
       [](TsfSkinPanel& p) {
         p.SetCaptionMode(true);
         p.SetCaption(QStringLiteral("Caption 标题"));
       }},
      {"default checked roll-up ribbon", nullptr,
       [](TsfSkinPanel& p) {
         p.SetCaptionMode(true);
         p.SetRibbonStyle(true);
         p.SetCheckedMode(true);
         p.SetRollUpMode(true);
         p.SetCaption(QStringLiteral("Caption"));
       }},
      {"framed", "framed", [](TsfSkinPanel& p) { p.SetCaption(QStringLiteral("Caption")); }},
      {"framed, no border", "framed", [](TsfSkinPanel& p) { p.SetBorderStyle(bvNone); }},
      {"background picture", "background", [](TsfSkinPanel&) {}},
      {"stretched", "stretched", [](TsfSkinPanel&) {}},
  };
  for (const Look& look : looks) {
    SCOPED_TRACE(look.name);
    TsfSkinPanel panel;
    panel.SetBounds(0, 0, 157, 91);
    if (look.record) {
      panel.SetSkinDataName(QString::fromLatin1(look.record));
      panel.SetSkinData(skin.data);
    }
    look.set(panel);
    // A child over part of it: its own parts too.
    TsfSkinPanel child(&panel);
    child.SetBounds(60, 40, 50, 30);
    ExpectPartsPaintAsTheWhole(&panel);
  }
}

TEST(SkinPanelHostile, RecordsOutsideTheirPictureAndExtremeSizesPaintWithinThePanel) {
  struct Record {
    const char* name;
    std::function<void(TinySkin&, TsfDataSkinPanelControl&)> spoil;
  };
  const Record records[] = {
      {"client rect outside the picture",
       [](TinySkin&, TsfDataSkinPanelControl& r) { r.clientrect = TRect(100, 100, 300, 300); }},
      {"client rect inverted", [](TinySkin&, TsfDataSkinPanelControl& r) { r.clientrect = TRect(40, 40, 4, 4); }},
      {"negative corners",
       [](TinySkin&, TsfDataSkinPanelControl& r) {
         r.lefttoppoint = TPoint(-50, -50);
         r.rightbottompoint = TPoint(-1, -1);
       }},
      {"huge corners",
       [](TinySkin&, TsfDataSkinPanelControl& r) {
         r.righttoppoint = TPoint(2000000000, 18);
         r.rightbottompoint = TPoint(2000000000, 2000000000);
         r.clientrect = TRect(-2000000000, -2000000000, 2000000000, 2000000000);
       }},
      {"skin rect beyond the picture",
       [](TinySkin&, TsfDataSkinPanelControl& r) { r.skinrect = TRect(30, 30, 4000, 4000); }},
      {"no such picture", [](TinySkin&, TsfDataSkinPanelControl& r) { r.pictureindex = 1000000; }},
      {"negative picture", [](TinySkin&, TsfDataSkinPanelControl& r) { r.pictureindex = -7; }},
      {"empty picture",
       [](TinySkin& s, TsfDataSkinPanelControl& r) { r.pictureindex = s.AddPicture(TBitmap()); }},
      {"one-pixel picture",
       [](TinySkin& s, TsfDataSkinPanelControl& r) { r.pictureindex = s.AddPicture(Distinct(1, 1)); }},
      {"background beyond the list", [](TinySkin&, TsfDataSkinPanelControl& r) { r.bgpictureindex = 99; }},
      {"empty background",
       [](TinySkin& s, TsfDataSkinPanelControl& r) { r.bgpictureindex = s.AddPicture(TBitmap()); }},
      {"stretched with an empty client piece",
       [](TinySkin&, TsfDataSkinPanelControl& r) {
         r.stretcheffect = true;
         r.clientrect = TRect(10, 10, 10, 10);
       }},
      {"caption rect huge",
       [](TinySkin&, TsfDataSkinPanelControl& r) { r.captionrect = TRect(-5, -5, 1 << 30, 1 << 30); }},
  };
  const QSize sizes[] = {QSize(1, 1), QSize(5, 3), QSize(120, 70), QSize(40000, 3), QSize(3, 40000)};
  for (const Record& record : records) {
    for (const QSize& size : sizes) {
      SCOPED_TRACE(testing::Message() << record.name << ' ' << size.width() << 'x' << size.height());
      TinySkin skin;
      record.spoil(skin, AddFramedPanel(skin, "panel"));
      TsfSkinPanel panel;
      panel.SetCaption(QStringLiteral("Caption"));
      panel.SetSkinData(skin.data);
      panel.SetBounds(-20, -30, size.width(), size.height());
      const QRect part(0, 0, std::min(size.width(), 64), std::min(size.height(), 64));
      const QImage first = PaintedPart(&panel, part);
      // The panel painted the part it was asked for, and the same twice.
      EXPECT_NE(first.pixel(0, 0), qRgb(255, 0, 255));
      EXPECT_EQ(Differences(first, PaintedPart(&panel, part), part), 0);
    }
  }
}

TEST(SkinPanelHostile, SkinChangedOrRemovedBetweenPaintsIsPaintedFromWhatIsThereNow) {
  QImage withoutSkin;
  {
    TsfSkinPanel plain;
    plain.SetBounds(0, 0, 100, 60);
    withoutSkin = PaintedPart(&plain, plain.rect());
  }
  auto skin = std::make_unique<TinySkin>();
  AddFramedPanel(*skin, "panel");
  TsfSkinPanel panel;
  panel.SetBounds(0, 0, 100, 60);
  panel.SetSkinData(skin->data);
  const QImage skinned = PaintedPart(&panel, panel.rect());
  EXPECT_NE(skinned, withoutSkin);

  // Another picture in the record's place (the old one freed): the kept
  // frame must not show.
  skin->data->PictureList.front() = std::make_unique<TBitmap>(Distinct(48, 48, 200));
  const QImage repictured = PaintedPart(&panel, panel.rect());
  EXPECT_EQ(repictured.pixel(2, 2), qRgb(2, 2, 200));
  EXPECT_EQ(repictured.pixel(50, 30), qRgb(4 + (50 - 4) % 40, 18 + (30 - 18) % 26, 200));

  // The skin data goes away altogether: the default look, no dangling picture.
  skin.reset();
  EXPECT_EQ(PaintedPart(&panel, panel.rect()), withoutSkin);

  // Resized between paints, as much as it can grow in one go.
  panel.SetBounds(0, 0, 33000, 40);
  const QImage wide = PaintedPart(&panel, QRect(32900, 0, 100, 40));
  EXPECT_EQ(wide.pixel(32999, 39), Rgb(clBtnShadow));
  EXPECT_EQ(wide.pixel(32950, 20), Rgb(clBtnFace));
}
