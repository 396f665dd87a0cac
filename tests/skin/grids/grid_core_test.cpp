// The grid engine without data: rules as functions, default and skinned
// cells by their pixels, the linked bars on the 0..127 scale.

#include "tests/skin/grids/grid_fixture.h"
#include "tests/skin/grids/plain_grid.h"

#include "skin/grids/grid_indicators.h"
#include "skin/grids/grid_rules.h"

namespace {

// A grid that draws no content: what shows is the engine's own painting.
class PlainGrid : public gridtest::PlainGrid {
 public:
  using gridtest::PlainGrid::PlainGrid;
  using TsfSkinCustomGrid::CellBounds;
  using TsfSkinCustomGrid::LastTopRow;
};

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }
QRgb At(const QImage& img, const TRect& r) { return img.pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); }

TEST(GridRules, ScrollScaleNeverDividesByZero) {
  struct Case { int current, first, last, position; };
  const Case cases[] = {{1, 1, 1, 0}, {5, 1, 1, 0}, {1, 1, 11, 0}, {11, 1, 11, 127}, {6, 1, 11, 63}};
  for (const Case& c : cases)
    EXPECT_EQ(GridScrollPosition(c.current, c.first, c.last), c.position) << c.current << "/" << c.last;
  struct Target { int position, first, last, row; };
  const Target targets[] = {{0, 1, 11, 1}, {127, 1, 11, 11}, {63, 1, 11, 5}, {200, 1, 11, 11},
                            {-5, 1, 11, 1}, {64, 3, 3, 3}, {64, 3, 2, 3}};
  for (const Target& t : targets)
    EXPECT_EQ(GridScrollTarget(t.position, t.first, t.last), t.row) << t.position << "/" << t.last;
  EXPECT_EQ(GridScrollStep(10, 10, 1), 127);  // nothing hidden: no division by zero
  EXPECT_EQ(GridScrollStep(200, 10, 1), 1);
  EXPECT_EQ(GridScrollStep(11, 4, 1), 21);
}

TEST(GridRules, RecordBar) {
  auto p = RecordBarParams(true, true, 7, 30, false, false, 6, 5);
  EXPECT_TRUE(p.Visible);
  EXPECT_EQ(std::tie(p.Min, p.Max, p.Page, p.Position), std::make_tuple(1, 34, 5, 7));
  p = RecordBarParams(true, false, 0, 0, false, true, 6, 5);
  EXPECT_EQ(std::tie(p.Min, p.Max, p.Position), std::make_tuple(0, 4, 4));
  p = RecordBarParams(true, false, 0, 0, true, false, 6, 5);
  EXPECT_EQ(p.Position, 0);
  p = RecordBarParams(true, false, 0, 0, false, false, 6, 5);
  EXPECT_EQ(p.Position, 2);
  EXPECT_FALSE(RecordBarParams(true, true, 1, 2, true, false, 3, 10).Visible);
  EXPECT_FALSE(RecordBarParams(false, true, 1, 2, true, false, 30, 10).Visible);
}

TEST(GridRules, IndicatorWidthAndSkinFallbacks) {
  QObject owner;
  EXPECT_EQ(IndicatorWidth(TsfGridSkin()), 11);
  TsfSkinData* skin = MakeGridSkin(&owner, 20);
  const TsfGridSkin s = ResolveGridSkin(skin, QStringLiteral("grid"));
  ASSERT_TRUE(s);
  EXPECT_EQ(IndicatorWidth(s), 14);  // offsets 7 + 7
  auto* rec = skin->ControlRecord<TsfDataSkinGridControl>(QStringLiteral("grid"));
  rec->fixedcellleftoffset = rec->fixedcellrightoffset = 2;
  EXPECT_EQ(IndicatorWidth(ResolveGridSkin(skin, QStringLiteral("grid"))), 11);
  // An empty select-cell picture is the focus-cell one, and the reverse.
  rec->selectcellrect = TRect();
  EXPECT_EQ(ResolveGridSkin(skin, QStringLiteral("grid")).SelectCell, rec->focuscellrect);
  rec->selectcellrect = Bounds(0, 20, 40, 20);
  rec->focuscellrect = TRect();
  EXPECT_EQ(ResolveGridSkin(skin, QStringLiteral("grid")).FocusCell, rec->selectcellrect);
  rec->pictureindex = 5;  // names no picture
  EXPECT_FALSE(ResolveGridSkin(skin, QStringLiteral("grid")));
}

TEST(GridIndicators, FivePicturesOfTheirOwnOnWhite) {
  TCustomImageList list(kIndicatorImageWidth, kIndicatorImageHeight);
  FillIndicatorImages(list);
  ASSERT_EQ(list.Count(), 5);
  QSet<QByteArray> distinct;
  for (int i = 0; i < 5; ++i) {
    const TBitmap b = IndicatorPicture(TsfIndicatorImage(i));
    EXPECT_EQ(b.Pixel(0, b.Height() - 1), clWhite);  // the transparent key
    distinct.insert(QByteArray(reinterpret_cast<const char*>(b.Image().constBits()), int(b.Image().sizeInBytes())));
  }
  EXPECT_EQ(distinct.size(), 5);
}

TEST(GridCore, CountsAndIndexChecks) {
  PlainGrid g;
  g.SetRowCount(0);
  EXPECT_EQ(g.RowCount(), 1);
  EXPECT_EQ(g.FixedRows(), 0);  // a fixed count stays below the count
  g.SetRowCount(5);
  EXPECT_THROW(g.SetColWidths(9, 10), EInvalidOperation);
  try {
    g.SetRowCount(100000000);  // 100 million rows of 24 pixels: more than an int holds
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Grid too large for operation"));
  }
  EXPECT_EQ(g.RowCount(), 5);
}

TEST(GridCore, DefaultLookAndARecordWithoutFixedCellAreTheSame) {
  QObject owner;
  PlainGrid plain, unskinned;
  plain.SetDefaultRowHeight(20);  // the height a skin without a usable record gives
  plain.resize(200, 100);
  unskinned.resize(200, 100);
  unskinned.SetSkinData(MakeGridSkin(&owner, 24, false));
  EXPECT_EQ(unskinned.DefaultRowHeight(), 20);
  plain.show();
  unskinned.show();
  const QImage a = Grab(&plain), b = Grab(&unskinned);
  EXPECT_EQ(a, b);
  const TRect fixed = plain.CellRect(1, 0);
  EXPECT_EQ(At(a, fixed), ToQColor(clBtnFace).rgb());
  EXPECT_EQ(a.pixel(fixed.Left, fixed.Top), ToQColor(clBtnHighlight).rgb());  // raised edge
  EXPECT_EQ(a.pixel(fixed.Right - 1, fixed.Bottom - 1), ToQColor(clBtnShadow).rgb());
  EXPECT_EQ(At(a, plain.CellRect(1, 1)), ToQColor(clHighlight).rgb());  // selected, unfocused
  EXPECT_EQ(At(a, plain.CellRect(2, 2)), ToQColor(clWindow).rgb());
  const TRect r = plain.CellRect(2, 2);
  EXPECT_EQ(a.pixel(r.Right, r.Top + 3), ToQColor(clWindowText).rgb());  // the line right of it
}

TEST(GridCore, SkinnedCellsComeFromTheRecordsPictures) {
  QObject owner;
  PlainGrid g;
  g.resize(200, 120);
  g.SetSkinData(MakeGridSkin(&owner, 22));
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  EXPECT_EQ(g.DefaultRowHeight(), 22);
  g.clearFocus();
  QImage img = Grab(&g);
  EXPECT_EQ(At(img, g.CellRect(1, 0)), qRgb(200, 0, 0));           // fixed
  EXPECT_EQ(At(img, g.CellRect(1, 1)), qRgb(0, 200, 0));           // selected, unfocused
  EXPECT_EQ(At(img, g.CellRect(2, 2)), qRgb(250, 250, 240));       // bgcolor
  const TRect r = g.CellRect(2, 2);
  EXPECT_EQ(img.pixel(r.Right, r.Top + 3), qRgb(10, 10, 10));      // linescolor
  g.activateWindow();
  QApplication::setActiveWindow(&g);
  g.setFocus();
  ASSERT_TRUE(g.hasFocus());
  img = Grab(&g);
  EXPECT_EQ(At(img, g.CellRect(1, 1)), qRgb(0, 0, 200));           // focused
}

TEST(GridCore, LinkedVerticalBarOnTheScaleOf127) {
  PlainGrid g;
  g.SetColCount(3);
  g.SetRowCount(4);
  g.SetDefaultRowHeight(20);
  g.resize(200, 5 * 21);
  FakeBar bar;
  g.SetVScrollBar(&bar);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  EXPECT_FALSE(bar.shown_);  // every row fits
  g.SetRowCount(5);
  EXPECT_FALSE(bar.shown_);
  g.SetRowCount(6);  // one no longer fits
  EXPECT_TRUE(bar.shown_);
  EXPECT_EQ(bar.max_, 127);
  g.SetRowCount(41);  // 40 scrollable rows, 4 visible: last top row 37
  ASSERT_EQ(g.LastTopRow(), 37);
  EXPECT_EQ(bar.SmallChange, 127 / (41 - 4 - 1));
  // Without thumb tracking only the release scrolls.
  bar.Drag(127);
  EXPECT_EQ(g.TopRow(), 1);
  bar.Release();
  EXPECT_EQ(g.TopRow(), 37);
  bar.Drag(64);
  bar.Release();
  EXPECT_EQ(g.TopRow(), 1 + 64 * 36 / 127);
  bar.OnUpButtonClick();  // one line down
  EXPECT_EQ(g.TopRow(), 1 + 64 * 36 / 127 + 1);
  EXPECT_EQ(bar.position_, GridScrollPosition(g.TopRow(), 1, 37));
  bar.OnPageUp();
  EXPECT_EQ(g.TopRow(), 1 + 64 * 36 / 127 + 1 - 4);
  // With thumb tracking every change scrolls.
  g.SetGridOptions(g.GridOptions() | goThumbTracking);
  bar.Drag(0);
  EXPECT_EQ(g.TopRow(), 1);
  // A bar that goes is forgotten.
  {
    FakeBar gone;
    g.SetVScrollBar(&gone);
  }
  EXPECT_EQ(g.VScrollBar(), nullptr);
}

TEST(GridCore, OneWideColumnScrollsByPixels) {
  PlainGrid g;
  g.SetColCount(2);
  g.SetColWidths(1, 500);
  g.resize(200, 100);
  FakeBar bar;
  g.SetHScrollBar(&bar);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  const int range = 500 - (200 - (64 + 1));
  EXPECT_TRUE(bar.shown_);
  EXPECT_EQ(bar.max_, range);
  bar.Drag(100);
  bar.Release();
  EXPECT_EQ(g.HorzOffset(), 100);
  EXPECT_EQ(g.CellRect(1, 1).Left, 65 - 100);
  bar.OnUpButtonClick();
  EXPECT_EQ(g.HorzOffset(), std::min(range, 100 + bar.SmallChange));
  bar.OnDownButtonClick();
  EXPECT_EQ(g.HorzOffset(), std::max(0, std::min(range, 100 + bar.SmallChange) - bar.SmallChange));
}

TEST(GridCore, WheelMovesTheCurrentRowNotJustTheView) {
  PlainGrid g;
  g.resize(200, 200);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  const QPoint p(20, 40);
  auto wheel = [&](int d) {
    QWheelEvent e(p, g.mapToGlobal(p), QPoint(), QPoint(0, d), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(&g, &e);
  };
  wheel(-120);
  EXPECT_EQ(g.Row(), 2);
  wheel(120);
  wheel(120);
  EXPECT_EQ(g.Row(), 1);  // not above the first non-fixed row
  for (int i = 0; i < 10; ++i) wheel(-120);
  EXPECT_EQ(g.Row(), 4);  // not below the last row
}

TEST(GridCore, ColumnSizingByTheMouse) {
  PlainGrid g;
  g.SetGridOptions(g.GridOptions() | goColSizing);
  g.resize(300, 120);
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  const TRect r = g.CellRect(1, 0);
  const QPoint line(r.Right, (r.Top + r.Bottom) / 2);
  QTest::mousePress(&g, Qt::LeftButton, {}, line);
  EXPECT_EQ(g.GridState(), gsColSizing);
  QTest::mouseMove(&g, line + QPoint(30, 0));
  EXPECT_EQ(g.ColWidths(1), 64);  // set on release
  QTest::mouseRelease(&g, Qt::LeftButton, {}, line + QPoint(30, 0));
  EXPECT_EQ(g.ColWidths(1), 94);
  EXPECT_EQ(g.GridState(), gsNormal);
}

}  // namespace

namespace {

TEST(GridCore, WallpaperShowsThroughNormalCellsOnly) {
  PlainGrid g;
  g.resize(200, 120);
  QImage paper(8, 8, QImage::Format_RGB32);
  paper.fill(qRgb(255, 0, 255));
  g.SetWallpaper(TBitmap(paper));
  EXPECT_TRUE(g.Transparent());
  g.show();
  g.clearFocus();
  const QImage img = Grab(&g);
  EXPECT_EQ(At(img, g.CellRect(2, 2)), qRgb(255, 0, 255));
  EXPECT_EQ(At(img, g.CellRect(1, 0)), ToQColor(clBtnFace).rgb());  // fixed cells are filled
  EXPECT_EQ(At(img, g.CellRect(1, 1)), ToQColor(clHighlight).rgb());
}

}  // namespace

#include <QClipboard>

#include "platform/menus.h"

namespace {

TEST(GridEditorMenu, ItemsFollowTheEditorsState) {
  QApplication::clipboard()->setText(QStringLiteral("clip"));
  QLineEdit edit(QStringLiteral("abc"));
  edit.setSelection(1, 1);
  TMenuItem root;
  bool allowed = true;
  FillEditContextMenu(&root, &edit, nullptr, [&] { return allowed; });
  QStringList captions;
  QList<bool> enabled;
  for (int i = 0; i < root.Count(); ++i) {
    captions << root.Items(i)->Caption;
    enabled << root.Items(i)->Enabled;
  }
  EXPECT_EQ(captions, QStringList({"Undo", "-", "Cut", "Copy", "Paste", "Delete", "-", "Select All"}));
  EXPECT_EQ(enabled, QList<bool>({false, true, true, true, true, true, true, true}));
  // A command that changes the text asks first; a refusal leaves the text.
  allowed = false;
  root.Items(5)->Click();
  EXPECT_EQ(edit.text(), QStringLiteral("abc"));
  allowed = true;
  root.Items(5)->Click();
  EXPECT_EQ(edit.text(), QStringLiteral("ac"));
  // Read-only with nothing selected: only Select All (and the lines).
  edit.setReadOnly(true);
  edit.deselect();
  TMenuItem ro;
  QObject owner;
  TsfSkinData* skin = MakeGridSkin(&owner);
  auto* strings = new TsfResourceStrData(&owner);
  strings->ResStrings = QStringList{QStringLiteral("EDIT_SELECTALL=全选")};
  skin->SetResourceStrData(strings);
  FillEditContextMenu(&ro, &edit, skin, nullptr);
  EXPECT_EQ(ro.Items(7)->Caption, QStringLiteral("全选"));
  EXPECT_EQ(ro.Items(0)->Caption, QStringLiteral("Undo"));
  for (int i : {2, 3, 4, 5}) EXPECT_FALSE(ro.Items(i)->Enabled) << i;
  EXPECT_TRUE(ro.Items(7)->Enabled);
}

}  // namespace

namespace {

TEST(GridCore, SkinnedScrollBarThumbScrollsOnReleaseWithoutTracking) {
  QWidget window;
  window.resize(260, 140);
  auto* g = new PlainGrid(&window);
  g->SetColCount(3);
  g->SetRowCount(41);
  g->SetDefaultRowHeight(20);
  g->SetBounds(0, 0, 200, 5 * 21);
  auto* bar = new TsfSkinScrollBar(&window);
  bar->SetKind(sbVertical);
  bar->SetBounds(210, 0, 17, 105);
  g->SetVScrollBar(bar);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->Max(), 127);
  const TRect thumb = bar->Layout().Parts[spThumb];
  const QPoint from((thumb.Left + thumb.Right) / 2, (thumb.Top + thumb.Bottom) / 2);
  QTest::mousePress(bar, Qt::LeftButton, {}, from);
  QTest::mouseMove(bar, from + QPoint(0, 40));
  EXPECT_GT(bar->Position(), 0);
  EXPECT_EQ(g->TopRow(), 1);  // not while dragging
  const int dragged = bar->Position();
  QTest::mouseRelease(bar, Qt::LeftButton, {}, from + QPoint(0, 40));
  // The bar settles its position from the release point: within a row of the drag.
  EXPECT_NEAR(g->TopRow(), GridScrollTarget(dragged, 1, 37), 1);
  EXPECT_GT(g->TopRow(), 1);
  // Fewer rows: everything fits and the bar goes.
  g->SetRowCount(4);
  EXPECT_FALSE(bar->Visible());
  // A bar that is destroyed is forgotten.
  delete bar;
  EXPECT_EQ(g->VScrollBar(), nullptr);
  g->SetRowCount(50);
}

}  // namespace
