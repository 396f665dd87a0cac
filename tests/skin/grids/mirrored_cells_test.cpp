// Skinned cells read from the right: cell pictures whose two ends differ are
// drawn as their mirror image, the text area's margins trade sides, and the
// editor's button and text keep clear of each other at the left end.

#include "tests/skin/grids/marks_fixture.h"
#include "tests/skin/grids/plain_grid.h"

#include "skin/grids/db_inplace_edit.h"
#include "skin/grids/db_popup_list.h"

namespace {

// Every colour of the test skin is light, so black text stands out on it.
constexpr QRgb kLeftEnd = qRgb(255, 255, 150);   // the 6 columns of a picture's left end
constexpr QRgb kRightEnd = qRgb(255, 180, 255);  // the 2 columns of its right end
constexpr QRgb kFixed = qRgb(200, 230, 255);
constexpr QRgb kSelect = qRgb(200, 255, 200);
constexpr QRgb kFocus = qRgb(230, 200, 255);
constexpr int kLeftOffset = 6, kRightOffset = 2;
// The text area of every picture: 12 pixels from its left end, 2 from its right.
constexpr int kTextLeft = 12, kTextRight = 2;

// Fixed, select and focus pictures, each 40 wide and `h` high, stacked; each
// has a wide left end and a narrow right end in colours of their own.
TsfSkinData* MakeLopsidedSkin(QObject* owner, int h = 22) {
  auto* data = new TsfSkinData(owner);
  QImage img(40, 3 * h, QImage::Format_RGB32);
  const QRgb bodies[] = {kFixed, kSelect, kFocus};
  for (int part = 0; part < 3; ++part)
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < 40; ++x)
        img.setPixel(x, part * h + y,
                     x < kLeftOffset ? kLeftEnd : x >= 40 - kRightOffset ? kRightEnd : bodies[part]);
  data->PictureList.push_back(std::make_unique<TBitmap>(img));
  auto rec = std::make_unique<TsfDataSkinGridControl>(QStringLiteral("grid"));
  rec->pictureindex = 0;
  rec->fixedcellrect = Bounds(0, 0, 40, h);
  rec->selectcellrect = Bounds(0, h, 40, h);
  rec->focuscellrect = Bounds(0, 2 * h, 40, h);
  rec->fixedcellleftoffset = rec->cellleftoffset = kLeftOffset;
  rec->fixedcellrightoffset = rec->cellrightoffset = kRightOffset;
  rec->fixedcelltextrect = rec->celltextrect = TRect(kTextLeft, 0, 40 - kTextRight, h);
  rec->bgcolor = RGB(250, 250, 250);
  rec->linescolor = RGB(10, 10, 10);
  data->ControlRecords.push_back(std::move(rec));
  data->IsEmpty = false;
  return data;
}

using gridtest::PlainGrid;

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

const char* Name(Qt::LayoutDirection d) { return d == Qt::RightToLeft ? "right to left" : "left to right"; }

// Horizontal extent of the dark pixels inside `r`, relative to its left
// edge: {first, last}, {-1, -1} when there are none.
std::pair<int, int> DarkExtent(const QImage& img, const TRect& r) {
  int first = -1, last = -1;
  for (int x = r.Left; x < r.Right; ++x)
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y)
      if (qGray(img.pixel(x, y)) < 90) {
        if (first < 0) first = x - r.Left;
        last = x - r.Left;
        break;
      }
  return {first, last};
}

TEST(MirroredCellPictures, EndsOfFixedSelectedAndFocusedCellsTradeSides) {
  for (const bool skinHeight : {true, false}) {
    for (const Qt::LayoutDirection dir : {Qt::LeftToRight, Qt::RightToLeft}) {
      SCOPED_TRACE(std::string(Name(dir)) + (skinHeight ? ", picture height" : ", own height"));
      QObject owner;
      PlainGrid g;
      g.resize(260, 120);
      g.SetUseSkinCellHeight(skinHeight);
      g.SetSkinData(MakeLopsidedSkin(&owner));
      g.setLayoutDirection(dir);
      g.show();
      ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
      g.activateWindow();
      QApplication::setActiveWindow(&g);
      g.setFocus();
      ASSERT_TRUE(g.hasFocus());
      g.SetGridOptions(g.GridOptions() | goRangeSelect);
      g.SetRow(1);
      g.SetCol(1);
      QTest::keyClick(&g, Qt::Key_Down, Qt::ShiftModifier);  // (1, 1) focused... then (1, 2) current
      const QImage img = Grab(&g);
      const bool rtl = dir == Qt::RightToLeft;
      // Cell, the picture its body comes from.
      const struct { int col, row; QRgb body; } cells[] = {
          {2, 0, kFixed}, {0, 2, kFixed}, {1, 1, kSelect}, {1, 2, kFocus}};
      for (const auto& c : cells) {
        SCOPED_TRACE(testing::Message() << "cell " << c.col << "," << c.row);
        const TRect r = g.CellRect(c.col, c.row);
        ASSERT_FALSE(r.IsEmpty());
        const int y = r.Top + r.Height() / 2;
        // Walking from the cell's edge where the picture's left end lies.
        auto at = [&](int fromLeftEnd) {
          return img.pixel(rtl ? r.Right - 1 - fromLeftEnd : r.Left + fromLeftEnd, y);
        };
        for (int i = 0; i < kLeftOffset; ++i) EXPECT_EQ(at(i), kLeftEnd) << i;
        EXPECT_EQ(at(kLeftOffset), c.body);
        EXPECT_EQ(at(r.Width() / 2), c.body);
        EXPECT_EQ(at(r.Width() - kRightOffset - 1), c.body);
        for (int i = r.Width() - kRightOffset; i < r.Width(); ++i) EXPECT_EQ(at(i), kRightEnd) << i;
      }
    }
  }
}

class MirroredTextTest : public MarksGridTest {
 protected:
  void SetUp() override {
    OpenMarks(QStringLiteral("create table t_marks(id integer primary key, name varchar(20), kind varchar(20));"
                             "insert into t_marks values (1, 'one', 'a'), (2, 'two', 'b'), (3, 'three', 'c');"),
              400);
    grid->UseSkinFont = false;  // the title font: black on the light pictures
    TsfSkinData* skin = MakeLopsidedSkin(&owner);
    // Fixed ends wide enough for an indicator column of 26 pixels whose
    // text area (12 and 2 pixels in from its ends) holds the 8-pixel mark.
    auto* rec = static_cast<TsfDataSkinGridControl*>(skin->ControlRecords.front().get());
    rec->fixedcellleftoffset = 20;
    rec->fixedcellrightoffset = 6;
    grid->SetSkinData(skin);
    grid->Columns()->Items(1)->SetWidth(120);
    grid->Columns()->Items(1)->Title()->SetCaption(QStringLiteral("ii"));
    grid->Columns()->Items(1)->Title()->Alignment = taCenter;
    grid->Columns()->Items(2)->SetWidth(120);
    grid->Columns()->Items(2)->Title()->SetCaption(QStringLiteral("ii"));
  }
  QObject owner;
};

// The title's text area keeps 12 pixels at the picture's left end and 2 at
// its right end; read from the right those margins are at the other ends.
TEST_F(MirroredTextTest, TitleTextAreaAndIndicatorFollowTheMirroredPicture) {
  for (const Qt::LayoutDirection dir : {Qt::LeftToRight, Qt::RightToLeft}) {
    SCOPED_TRACE(Name(dir));
    const bool rtl = dir == Qt::RightToLeft;
    grid->setLayoutDirection(dir);
    const QImage img = Grab(grid.get());
    // The area's margins from the cell's left and right edges.
    const int marginLeft = rtl ? kTextRight : kTextLeft, marginRight = rtl ? kTextLeft : kTextRight;

    const TRect centred = grid->CellRect(ColumnOf(QStringLiteral("name")), 0);
    const auto [c1, c2] = DarkExtent(img, centred);
    ASSERT_GE(c1, 0);
    const double areaMiddle = (marginLeft + centred.Width() - marginRight) / 2.0;
    EXPECT_NEAR((c1 + c2) / 2.0, areaMiddle, 2);

    // A left-aligned title starts at the area's leading edge: its left
    // edge, or its right edge when reading from the right.
    const TRect leading = grid->CellRect(ColumnOf(QStringLiteral("kind")), 0);
    const auto [l1, l2] = DarkExtent(img, leading);
    ASSERT_GE(l1, 0);
    if (rtl) {
      EXPECT_LE(l2, leading.Width() - 1 - marginRight);
      EXPECT_GE(l2, leading.Width() - 1 - marginRight - 3);
    } else {
      EXPECT_GE(l1, marginLeft);
      EXPECT_LE(l1, marginLeft + 3);
    }

    // The current record's mark is centred in the indicator's text area.
    const TRect ind = grid->CellRect(0, 1);
    ASSERT_EQ(ind.Width(), 26);
    const auto [i1, i2] = DarkExtent(img, ind);
    ASSERT_GE(i1, 0);
    const double indMiddle = (marginLeft + ind.Width() - marginRight) / 2.0;
    EXPECT_NEAR((i1 + i2) / 2.0, indMiddle, 2.5);
  }
}

// The editor's pick-list button is at its left end when reading from the
// right, also when the direction changes while the editor is open; the text
// and the caret keep clear of it, and a press on it drops the list down.
TEST_F(MirroredTextTest, EditorButtonAndTextTradeEndsWhileOpen) {
  grid->Columns()->Items(1)->PickList = QStringList{QStringLiteral("one"), QStringLiteral("two")};
  grid->Columns()->Items(1)->SetWidth(60);  // narrower than the text typed
  grid->SetCol(ColumnOf(QStringLiteral("name")));
  QTest::keyClick(grid.get(), Qt::Key_F2);
  auto* e = qobject_cast<TsfDBGridInplaceEdit*>(grid->InplaceEditor());
  ASSERT_TRUE(e && e->isVisible());
  ASSERT_EQ(e->EditStyle(), esPickList);
  QTest::keyClicks(e, QStringLiteral("a rather long text that fills the whole editor"));
  for (const Qt::LayoutDirection dir : {Qt::RightToLeft, Qt::LeftToRight, Qt::RightToLeft}) {
    SCOPED_TRACE(Name(dir));
    const bool rtl = dir == Qt::RightToLeft;
    grid->setLayoutDirection(dir);
    QApplication::processEvents();
    ASSERT_TRUE(e->isVisible());
    const QRect button = e->ButtonRect();
    ASSERT_FALSE(button.isEmpty());
    EXPECT_EQ(rtl ? button.left() : button.right(), rtl ? 0 : e->width() - 1);
    // The caret at either end of the text stays off the button.
    for (const Qt::Key end : {Qt::Key_Home, Qt::Key_End}) {
      QTest::keyClick(e, end);
      e->repaint();  // the text scrolls to the caret as it is painted
      const int caret = e->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
      EXPECT_FALSE(button.contains(caret, button.center().y())) << caret;
    }
    // The button and the text side by side in the picture: the button's
    // outline and arrow are where the button is.
    const QImage img = e->grab().toImage().convertToFormat(QImage::Format_RGB32);
    int dark = 0;
    for (int x = button.left() + 2; x < button.right() - 1; ++x)
      dark += qGray(img.pixel(x, e->height() / 2)) < 90;
    EXPECT_GT(dark, 0);
  }
  // Reading from the right: a press at the left end drops the list down,
  // below the editor and from its left end, as in either direction.
  QTest::mousePress(e, Qt::LeftButton, {}, e->ButtonRect().center());
  ASSERT_TRUE(e->ListVisible());
  const QPoint editorAt = e->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(e->ActiveList()->geometry().left(), editorAt.x());
  EXPECT_EQ(e->ActiveList()->geometry().top(), editorAt.y() + e->height());
  QTest::mouseRelease(e, Qt::LeftButton, {}, e->ButtonRect().center());
  QTest::keyClick(e, Qt::Key_Escape);
  EXPECT_FALSE(e->ListVisible());
}

// The skin's background picture read from the right is the mirror image of
// the left-to-right one: mirrored tiles from the right edge. A wallpaper,
// the user's own picture, is tiled from the right edge without mirroring.
TEST(MirroredCellPictures, BackgroundTilesStartAtTheRightEdge) {
  constexpr int kTile = 30;
  // Every column of the tile its own colour, so a pixel tells its column.
  QImage tileImage(kTile, 16, QImage::Format_RGB32);
  for (int x = 0; x < kTile; ++x)
    for (int y = 0; y < 16; ++y) tileImage.setPixel(x, y, qRgb(100 + 5 * x, 255, 255));
  const auto grab = [&](Qt::LayoutDirection dir, bool wallpaper) {
    QObject owner;
    TsfSkinData* data = MakeLopsidedSkin(&owner);
    data->PictureList.push_back(std::make_unique<TBitmap>(tileImage));
    static_cast<TsfDataSkinGridControl*>(data->ControlRecords.back().get())->bgpictureindex = 1;
    PlainGrid g;
    g.SetSkinData(data);
    if (wallpaper) g.SetWallpaper(TBitmap(tileImage));
    g.setLayoutDirection(dir);
    g.resize(437, 200);
    g.show();
    g.clearFocus();
    return std::make_pair(Grab(&g), g.CellRect(2, 3));
  };
  const auto column = [](QRgb c) { return (qRed(c) - 100) / 5; };
  for (const bool wallpaper : {false, true}) {
    SCOPED_TRACE(wallpaper ? "wallpaper" : "skin picture");
    const auto [ltr, ltrCell] = grab(Qt::LeftToRight, wallpaper);
    const auto [rtl, rtlCell] = grab(Qt::RightToLeft, wallpaper);
    ASSERT_EQ(ltr.size(), rtl.size());
    const int w = ltr.width(), y = (rtlCell.Top + rtlCell.Bottom) / 2;
    // Inside a normal cell, away from its lines.
    for (int x = rtlCell.Left + 2; x < rtlCell.Right - 2; ++x) {
      SCOPED_TRACE(x);
      const int fromRight = ((x - w) % kTile + kTile) % kTile;
      if (wallpaper) {
        EXPECT_EQ(column(rtl.pixel(x, y)), fromRight);
      } else {
        EXPECT_EQ(column(rtl.pixel(x, y)), kTile - 1 - fromRight);
        EXPECT_EQ(rtl.pixel(x, y), ltr.pixel(w - 1 - x, y));
      }
    }
    EXPECT_EQ(ltrCell.Top, rtlCell.Top);
  }
}

}  // namespace
