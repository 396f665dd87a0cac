// Menu glyphs and right-to-left pop-ups against unfriendly input: hostile
// bitmap sizes and alpha, items and popping controls that go away while the
// pop-up shows, anchors at the far ends of the coordinate range. Run under
// the sanitizers these catch reads of freed memory and integer overflow.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <climits>
#include <memory>

#include "platform/image_list.h"
#include "skin/menus/skin_menu.h"
#include "three_line_menu_fixture.h"
#include "tiny_menu_skin.h"

namespace {

constexpr QRgb kKey = qRgb(255, 255, 0);
constexpr QRgb kInk = qRgb(255, 0, 255);

TBitmap Solid(int w, int h, QRgb ink) {
  if (w <= 0 || h <= 0) return TBitmap();
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(ink);
  img.setPixel(0, h - 1, kKey);  // the transparent colour
  return TBitmap(img);
}

class GlyphStrangerTest : public ThreeLineMenuTest {
 public:
  TsfSkinPopupWindow* Open(TsfSkinData* skin, TControl* control = nullptr) {
    return PopupWith(skin, control, nullptr);
  }
  std::unique_ptr<TsfSkinData> skin = TinyMenuSkin({});
};

// Degenerate and extreme bitmaps: the lines keep their height, the pop-up
// is wide enough for the picture, and the neighbouring line's caption area
// shows no ink of it.
TEST_F(GlyphStrangerTest, HostileBitmapSizesStayInsideTheirLine) {
  const struct {
    int w, h;
  } sizes[] = {{0, 0}, {1, 1}, {1, 5000}, {5000, 1}, {40000, 2}, {3, 3}};
  for (bool skinned : {true, false})
    for (bool rtl : {false, true})
      for (const auto& s : sizes) {
        SCOPED_TRACE(testing::Message() << s.w << "x" << s.h << (skinned ? " skinned" : " plain")
                                        << (rtl ? " rtl" : " ltr"));
        QApplication::setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
        root->Items(1)->Bitmap = Solid(s.w, s.h, kInk);
        TsfSkinPopupWindow* p = Open(skinned ? skin.get() : nullptr);
        ASSERT_NE(p, nullptr);
        const QImage shown = p->grab().toImage();
        const TRect l0 = p->Items()[0].ItemRect, l1 = p->Items()[1].ItemRect;
        EXPECT_EQ(l0.Height(), l1.Height());
        EXPECT_GE(p->width(), s.w);
        for (int x = l0.Left; x < l0.Right; ++x)
          ASSERT_NE(shown.pixel(x, l0.Top + l0.Height() / 2) | 0xFF000000u, kInk) << x;
        menu.CloseFrom(0);
      }
  QApplication::setLayoutDirection(Qt::LeftToRight);
}

// A glyph with an alpha channel: its see-through pixels show the line
// behind them, whatever colour they carry; a picture whose alpha byte is
// zero throughout is drawn opaque.
TEST_F(GlyphStrangerTest, AlphaGlyphsKeepTheirSeeThroughPixels) {
  const struct {
    const char* what;
    QRgb centre;  // the glyph's middle pixels
    bool showsLine;
  } cases[] = {{"transparent centre", qRgba(0, 0, 0, 0), true},
               {"opaque centre", qRgba(255, 0, 255, 255), false}};
  for (bool skinned : {true, false})
    for (const auto& c : cases) {
      SCOPED_TRACE(testing::Message() << c.what << (skinned ? " skinned" : " plain"));
      QImage img(10, 8, QImage::Format_ARGB32);
      img.fill(qRgba(255, 0, 255, 255));
      img.setPixel(0, 7, qRgba(255, 255, 0, 255));  // the key
      for (int y = 3; y < 5; ++y)
        for (int x = 4; x < 6; ++x) img.setPixel(x, y, c.centre);
      root->Items(1)->Bitmap = TBitmap(img);
      TsfSkinPopupWindow* p = Open(skinned ? skin.get() : nullptr);
      ASSERT_NE(p, nullptr);
      const QImage shown = p->grab().toImage();
      const TRect lr = p->Items()[1].ItemRect;
      const int gx = lr.Left + (skinned ? 4 : 2), gy = lr.Top + lr.Height() / 2 - 4;
      EXPECT_EQ(shown.pixel(gx + 1, gy + 1) | 0xFF000000u, kInk);
      const QRgb middle = shown.pixel(gx + 4, gy + 3) | 0xFF000000u;
      if (c.showsLine) EXPECT_EQ(middle, shown.pixel(gx + 4, lr.Top) | 0xFF000000u);
      else EXPECT_EQ(middle, kInk);
      menu.CloseFrom(0);
    }
  // Alpha zero everywhere: the whole picture is drawn.
  QImage flat(10, 8, QImage::Format_ARGB32);
  flat.fill(qRgba(255, 0, 255, 0));
  flat.setPixel(0, 7, qRgba(255, 255, 0, 0));
  TCustomImageList list(10, 8);
  list.Add(TBitmap(flat), true);
  TBitmap target(10, 8);
  target.Canvas()->Brush.Color = 0xFFFFFF;
  target.Canvas()->FillRect(TRect(0, 0, 10, 8));
  list.Draw(target.Canvas(), 0, 0, 0, true);
  EXPECT_EQ(target.Image().pixel(4, 3) | 0xFF000000u, kInk);
}

// The bitmap is replaced, and then its item destroyed, while the pop-up
// shows; painting afterwards reads neither the old picture nor the item.
TEST_F(GlyphStrangerTest, BitmapChangedAndItemDeletedWhileShown) {
  for (bool skinned : {true, false}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    root->Items(0)->Bitmap = Solid(8, 8, kInk);
    TsfSkinPopupWindow* p = Open(skinned ? skin.get() : nullptr);
    ASSERT_NE(p, nullptr);
    p->grab();
    root->Items(0)->Bitmap = Solid(40, 2, kInk);
    const QImage wider = p->grab().toImage();
    EXPECT_EQ(wider.width(), p->width());
    delete root->Items(0);
    const QImage after = p->grab().toImage();
    EXPECT_EQ(after.size(), p->size());
    menu.CloseFrom(0);
    root->Insert(0, NewMenuItem(root, QString(), QStringLiteral("&Alpha")));
  }
}

// The control that popped the menu up goes away, or turns its direction,
// while the menu shows: the menu keeps the direction it opened with and
// keys still work.
TEST_F(GlyphStrangerTest, PoppingControlDestroyedOrFlippedWhileOpen) {
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroyed" : "flipped");
    root->Items(1)->Add(NewMenuItem(root, QString(), QStringLiteral("&Sub")));
    auto* control = new TControl(nullptr);
    control->setLayoutDirection(Qt::RightToLeft);
    TsfSkinPopupWindow* p = Open(skin.get(), control);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(menu.RightToLeft());
    if (destroy) delete control;
    else control->setLayoutDirection(Qt::LeftToRight);
    EXPECT_TRUE(menu.RightToLeft());
    p->grab();
    menu.CloseFrom(0);
    if (!destroy) delete control;
    delete root->Items(1)->Items(0);
  }
}

// Anchors at the ends of the int range, or outside a work area too small
// for a submenu on either side: the pop-up is placed without overflowing and
// inside the work area.
TEST(PlacePopupStranger, AnchorsFarOutOrNoRoomOnEitherSide) {
  const TRect W(0, 0, 800, 600);
  const TRect huge(INT_MAX - 10, INT_MAX - 10, INT_MAX - 1, INT_MAX - 1);
  const TRect low(INT_MIN + 1, INT_MIN + 1, INT_MIN + 10, INT_MIN + 10);
  const TRect wide(100, 100, 700, 120);  // a parent line 600 px wide
  const struct {
    const char* what;
    TRect anchor;
    bool up, submenu;
  } cases[] = {
      {"huge anchor", huge, false, false},       {"huge anchor, up", huge, true, false},
      {"huge anchor, submenu", huge, false, true}, {"negative anchor", low, false, false},
      {"negative anchor, up", low, true, false}, {"negative anchor, submenu", low, false, true},
      {"no room either side of a submenu", wide, false, true},
  };
  for (const auto& c : cases)
    for (bool rtl : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.what << (rtl ? ", rtl" : ""));
      const TsfPopupPlace p = PlacePopup(c.anchor, 150, 200, W, 2, c.up, c.submenu, false, rtl);
      EXPECT_GE(p.X, W.Left);
      EXPECT_LE(p.X, W.Right - 150);
      EXPECT_GE(p.Y, W.Top);
      EXPECT_LE(p.Y, W.Bottom - 200);
    }
  // Wider than the work area: it starts at the edge it is read from.
  EXPECT_EQ(PlacePopup(wide, 900, 200, W, 2, false, true, false, false).X, 0);
  EXPECT_EQ(PlacePopup(wide, 900, 200, W, 2, false, true, false, true).X, 800 - 900);
}

}  // namespace
