// A menu item's own bitmap as its glyph, checked on the pixels of rendered
// pop-ups in the skinned and the plain look: where it goes, its keyed and
// greyed looks, the frame of a checked item, and pictures larger than the
// line or the glyph column.

#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "platform/colors.h"
#include "platform/image_list.h"
#include "skin/menus/skin_menu.h"
#include "three_line_menu_fixture.h"
#include "tiny_menu_skin.h"

namespace {

constexpr QRgb kKey = qRgb(255, 255, 0);   // the bitmaps' transparent colour
constexpr QRgb kInk = qRgb(255, 0, 255);   // their visible pixels
constexpr QRgb kListInk = qRgb(0, 255, 255);
constexpr TColor kFont = 0x000000;
constexpr TColor kActiveFont = 0x800000;   // navy: RGB (0, 0, 128)
constexpr TColor kDisabledFont = 0x808080;

// w x h of kInk inside a one-pixel border of kKey (the bottom-left pixel
// names the transparent colour).
TBitmap Glyph(int w, int h, QRgb ink = kInk) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(kKey);
  FillTinyRect(img, QRect(1, 1, w - 2, h - 2), ink);
  return TBitmap(img);
}

QRgb Rgb(TColor c) { return ToQColor(c).rgb() | 0xFF000000u; }

class PopupGlyphTest : public ThreeLineMenuTest {
 public:
  // The tiny skin with distinct font colours; `imageRect` on the record.
  TsfSkinData* Skin(const TRect& imageRect = TRect()) {
    skins.push_back(TinyMenuSkin({}));
    auto* r = static_cast<TsfDataSkinMenuItem*>(skins.back()->ObjectRecords[0].get());
    r->fontcolor = kFont;
    r->activefontcolor = kActiveFont;
    r->unenabledfontcolor = kDisabledFont;
    r->imagerect = imageRect;
    return skins.back().get();
  }
  TsfSkinPopupWindow* Open(TsfSkinData* skin, TCustomImageList* images = nullptr) {
    return PopupWith(skin, nullptr, images);
  }
  static TRect Line(TsfSkinPopupWindow* p, int i) { return p->Items()[size_t(i)].ItemRect; }

  std::vector<std::unique_ptr<TsfSkinData>> skins;
};

// Where the glyph's top-left lands: skinned, at the text rect's left + 2
// (the tiny record's text rect starts 2 into the line); plain, 2 into the
// line; both vertically centred.
TEST_F(PopupGlyphTest, TheBitmapIsDrawnKeyedAtTheGlyphPlace) {
  const struct {
    const char* look;
    bool skinned;
    int dx;  // from the line's left
    QRgb behindActive;
  } cases[] = {{"skinned", true, 4, TinyMenuSkinLook().active},
               {"plain", false, 2, qRgb(182, 189, 210)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.look);
    root->Items(0)->Bitmap = Glyph(10, 8);
    TsfSkinPopupWindow* p = Open(c.skinned ? Skin() : nullptr);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->ActiveIndex(), 0);
    const QImage shown = p->grab().toImage();
    const TRect lr = Line(p, 0);
    const int gx = lr.Left + c.dx, gy = lr.Top + lr.Height() / 2 - 4;
    EXPECT_EQ(shown.pixel(gx + 1, gy + 1) | 0xFF000000u, kInk) << "first ink pixel";
    EXPECT_EQ(shown.pixel(gx + 8, gy + 6) | 0xFF000000u, kInk) << "last ink pixel";
    EXPECT_EQ(shown.pixel(gx + 9, gy + 7) | 0xFF000000u, c.behindActive) << "keyed border";
    EXPECT_NE(shown.pixel(gx + 1, gy) | 0xFF000000u, kInk) << "one row higher is not the glyph";
    EXPECT_NE(shown.pixel(gx, gy + 1) | 0xFF000000u, kInk) << "one column left is not the glyph";
    menu.CloseFrom(0);
  }
}

TEST_F(PopupGlyphTest, TheOwnBitmapWinsOverTheImageListAndBothCentreInTheImageRect) {
  TCustomImageList images(8, 8);
  images.Add(Glyph(8, 8, kListInk));
  root->Items(0)->ImageIndex = 0;
  root->Items(0)->Bitmap = Glyph(6, 6);
  root->Items(1)->ImageIndex = 0;  // only the list's image
  // A 14 x 12 image rect at (20, 4) of the line.
  TsfSkinPopupWindow* p = Open(Skin(TRect(20, 4, 34, 16)), &images);
  ASSERT_NE(p, nullptr);
  const QImage shown = p->grab().toImage();
  const struct {
    int line, w, h;
    QRgb ink;
  } cases[] = {{0, 6, 6, kInk}, {1, 8, 8, kListInk}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const TRect lr = Line(p, c.line);
    const int gx = lr.Left + 20 + (14 - c.w) / 2, gy = lr.Top + 4 + (12 - c.h) / 2;
    EXPECT_EQ(shown.pixel(gx + 1, gy + 1) | 0xFF000000u, c.ink);
    EXPECT_EQ(shown.pixel(gx + c.w - 2, gy + c.h - 2) | 0xFF000000u, c.ink);
    EXPECT_NE(shown.pixel(gx + c.w - 1, gy + 1) | 0xFF000000u, c.ink) << "keyed right column";
  }
  // The list's 8 x 8 image would have ink where the 6 x 6 bitmap is keyed.
  EXPECT_NE(shown.pixel(Line(p, 0).Left + 24, Line(p, 0).Top + 7) | 0xFF000000u, kListInk)
      << "no image-list picture under the own bitmap";
}

TEST_F(PopupGlyphTest, DisabledBitmapsAreGreyedAndCheckedOnesFramedInTheFontColour) {
  for (int i = 0; i < 3; ++i) root->Items(i)->Bitmap = Glyph(10, 8);
  root->Items(1)->Enabled = false;
  root->Items(0)->Checked = true;  // the active line
  root->Items(2)->Checked = true;
  for (bool skinned : {true, false}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    TsfSkinPopupWindow* p = Open(skinned ? Skin() : nullptr);
    ASSERT_NE(p, nullptr);
    ASSERT_EQ(p->ActiveIndex(), 0);
    const QImage shown = p->grab().toImage();
    const int dx = skinned ? 4 : 2;
    auto at = [&](int line, int x, int y) {
      const TRect lr = Line(p, line);
      return shown.pixel(lr.Left + dx + x, lr.Top + lr.Height() / 2 - 4 + y) | 0xFF000000u;
    };
    const QRgb grey = at(1, 3, 3);
    EXPECT_NE(grey, kInk);
    EXPECT_TRUE(qRed(grey) == qGreen(grey) && qGreen(grey) == qBlue(grey)) << std::hex << grey;
    EXPECT_GT(qRed(grey), 127) << "a light grey";
    // The frame one pixel outside the 10 x 8 glyph, in the line's font colour
    // (the plain look's text colour is the window text colour).
    const QRgb activeFrame = skinned ? Rgb(kActiveFont) : Rgb(clWindowText);
    const QRgb frame = skinned ? Rgb(kFont) : Rgb(clWindowText);
    EXPECT_EQ(at(0, -1, -1), activeFrame);
    EXPECT_EQ(at(0, 10, 8), activeFrame);
    EXPECT_EQ(at(2, -1, 3), frame);
    EXPECT_EQ(at(2, 10, 3), frame);
    EXPECT_EQ(at(2, 3, -1), frame);
    EXPECT_NE(at(1, -1, -1), frame) << "an unchecked glyph has no frame";
    menu.CloseFrom(0);
  }
}

// The line height stays the record's (or the plain height): a taller
// picture is cut at its line's edges and never paints over a neighbour.
TEST_F(PopupGlyphTest, ATallBitmapKeepsTheLineHeightAndStaysInItsLine) {
  for (bool skinned : {true, false}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    root->Items(1)->Bitmap = TBitmap();
    TsfSkinPopupWindow* p = Open(skinned ? Skin() : nullptr);
    ASSERT_NE(p, nullptr);
    const int height = p->height();
    const QImage before = p->grab().toImage();
    menu.CloseFrom(0);

    TBitmap tall(10, 40);
    tall.Image().fill(kInk);
    tall.SetPixel(0, 39, 0x00FFFF);  // a lone keyed pixel: the rest shows
    root->Items(1)->Bitmap = tall;
    p = Open(skinned ? Skin() : nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->height(), height);
    EXPECT_EQ(Line(p, 1).Height(), 20);
    const QImage after = p->grab().toImage();
    for (int line : {0, 2}) {
      const TRect lr = Line(p, line);
      for (int y = lr.Top; y < lr.Bottom; ++y)
        for (int x = lr.Left; x < lr.Right; ++x)
          ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << "line " << line << " at " << x << "," << y;
    }
    const TRect mid = Line(p, 1);
    EXPECT_EQ(after.pixel(mid.Left + 6, mid.Top) | 0xFF000000u, kInk) << "filled to the top";
    EXPECT_EQ(after.pixel(mid.Left + 6, mid.Bottom - 1) | 0xFF000000u, kInk) << "and the bottom";
    menu.CloseFrom(0);
  }
}

// A bitmap wider than the glyph column widens the pop-up and moves every
// caption past it: no text pixel lies in the picture's columns.
TEST_F(PopupGlyphTest, AWideBitmapWidensTheGlyphColumn) {
  for (int i = 0; i < 3; ++i) root->Items(i)->Caption = QStringLiteral("WWWW");
  for (bool skinned : {true, false}) {
    SCOPED_TRACE(skinned ? "skinned" : "plain");
    root->Items(0)->Bitmap = TBitmap();
    TsfSkinPopupWindow* p = Open(skinned ? Skin() : nullptr);
    ASSERT_NE(p, nullptr);
    const int width = p->width();
    menu.CloseFrom(0);

    root->Items(0)->Bitmap = Glyph(40, 4);
    p = Open(skinned ? Skin() : nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->width(), width + 40 + 5 - 19);
    const QImage shown = p->grab().toImage();
    const int dx = skinned ? 4 : 2;
    for (int line = 0; line < 3; ++line) {
      const TRect lr = Line(p, line);
      const QRgb background = shown.pixel(lr.Left + dx + 1, lr.Top + 1);
      for (int y = lr.Top + 1; y < lr.Bottom - 1; ++y)
        for (int x = lr.Left + dx; x < lr.Left + dx + 40; ++x) {
          const QRgb px = shown.pixel(x, y);
          ASSERT_TRUE(px == background || (px | 0xFF000000u) == kInk)
              << "line " << line << " at " << x << "," << y;
        }
    }
    menu.CloseFrom(0);
  }
}

// The menu holds the image list weakly: a list destroyed while the menu
// shows leaves its lines without images instead of reading freed memory.
TEST_F(PopupGlyphTest, AnImageListDestroyedWhileTheMenuShowsIsForgotten) {
  auto images = std::make_unique<TCustomImageList>(8, 8);
  images->Add(Glyph(8, 8, kListInk));
  root->Items(0)->ImageIndex = 0;
  TsfSkinPopupWindow* p = Open(Skin(), images.get());
  ASSERT_NE(p, nullptr);
  const TRect lr = Line(p, 0);
  const QPoint ink(lr.Left + 4 + 3, lr.Top + lr.Height() / 2 - 4 + 3);
  EXPECT_EQ(p->grab().toImage().pixel(ink) | 0xFF000000u, kListInk);
  images.reset();
  EXPECT_EQ(menu.Images(), nullptr);
  EXPECT_NE(p->grab().toImage().pixel(ink) | 0xFF000000u, kListInk);
}

}  // namespace
