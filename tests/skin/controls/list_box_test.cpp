// The skinned list box: bars created and removed as the content requires,
// RowCount, HorizontalExtent, item heights from the skin, the caption band's
// buttons with their repeat counted in ticks, prefix search, the wheel, the
// inner list's events with the outer control as sender, and the default look.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWheelEvent>

#include "skin/controls/list_box.h"
#include "tests/skin/controls/control_fixture.h"

using namespace ctltest;

namespace {
QStringList Numbered(int n, const QString& prefix = QStringLiteral("item ")) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << prefix + QString::number(i);
  return l;
}
}  // namespace

TEST(ListBoxBars, AVerticalBarExistsOnlyWhileTheItemsDoNotFit) {
  TsfSkinListBox box;  // 120 x 120: list 116 high, 5 rows of 20
  box.show();
  box.SetItems(Numbered(5));
  EXPECT_EQ(box.VScrollBar(), nullptr);
  box.AddItem(QStringLiteral("sixth"));
  ASSERT_NE(box.VScrollBar(), nullptr);
  EXPECT_EQ(box.VScrollBar()->PageSize(), 5);
  EXPECT_EQ(box.VScrollBar()->Max(), 5);
  EXPECT_EQ(box.VScrollBar()->LargeChange(), 5);
  EXPECT_EQ(box.ListArea(), TRect(2, 2, 100, 118));
  box.VScrollBar()->SetPosition(1);
  EXPECT_EQ(box.ListBox()->TopIndex(), 1);
  box.SetItems(Numbered(3));
  EXPECT_EQ(box.VScrollBar(), nullptr);
  EXPECT_EQ(box.ListArea(), TRect(2, 2, 118, 118));
}

TEST(ListBoxBars, RowCountSetsTheHeightAndNeedsNoBar) {
  TsfSkinListBox box;
  box.show();
  box.SetItems(Numbered(7));
  box.SetRowCount(7);
  EXPECT_EQ(box.Height(), 7 * 20 + 4);
  EXPECT_EQ(box.VScrollBar(), nullptr);
  box.SetRowCount(3);
  EXPECT_EQ(box.Height(), 3 * 20 + 4);
  EXPECT_NE(box.VScrollBar(), nullptr);
}

TEST(ListBoxBars, AWideItemGivesAHorizontalBarThatShiftsTheItems) {
  TsfSkinListBox box;
  box.show();
  box.SetItems({QStringLiteral("short"), QString(60, u'W')});
  EXPECT_EQ(box.HScrollBar(), nullptr) << "only with HorizontalExtent";
  box.SetHorizontalExtent(true);
  ASSERT_NE(box.HScrollBar(), nullptr);
  EXPECT_EQ(box.HScrollBar()->PageSize(), box.ListBox()->Width() - 4);
  EXPECT_EQ(box.ListArea().Bottom, 120 - 18 - 2) << "the bar takes its height from the list";
  box.HScrollBar()->SetPosition(30);
  EXPECT_EQ(box.ListBox()->HorizontalOffset(), 30);
  box.SetItems({QStringLiteral("short")});
  EXPECT_EQ(box.HScrollBar(), nullptr);
  EXPECT_EQ(box.ListBox()->HorizontalOffset(), 0);
}

TEST(ListBoxSkin, ItemHeightComesFromTheRecordUnlessItHasNone) {
  TinySkin skin;
  const int pic = skin.AddPicture(Distinct(60, 60));
  auto& r = skin.Add<TsfDataSkinListBox>("listbox");
  r.pictureindex = pic;
  r.skinrect = TRect(0, 0, 40, 40);
  r.clientrect = TRect(2, 2, 38, 38);
  r.itemrect = TRect(40, 0, 60, 24);
  TsfSkinListBox box;
  box.SetSkinData(skin.data);
  EXPECT_EQ(box.ItemHeight(), 24);
  box.SetUseSkinItemHeight(false);
  EXPECT_EQ(box.ItemHeight(), 20);
  box.SetUseSkinItemHeight(true);
  r.itemrect = TRect(40, 0, 60, 0);  // a picture without height
  box.ApplySkinChange();
  EXPECT_EQ(box.ItemHeight(), 20);
}

TEST(ListBoxCaption, TheDownButtonStepsOnReleaseRepeatsAndStopsAtTheLastItem) {
  TsfSkinListBox box;
  box.SetCaptionMode(true);
  box.show();
  box.SetItems(Numbered(4));
  box.SetItemIndex(0);
  const TRect down = box.CaptionButtonRect(1);
  const QPoint at(down.Left + 3, down.Top + 3);
  QTest::mouseClick(&box, Qt::LeftButton, {}, at);
  EXPECT_EQ(box.ItemIndex(), 1);

  QTest::mousePress(&box, Qt::LeftButton, {}, at);
  TTimer* t = box.RepeatTimer();
  ASSERT_TRUE(t->Enabled());
  EXPECT_EQ(t->Interval(), 500);
  t->OnTimer(t);  // the delay only switches to 100 ms
  EXPECT_EQ(box.ItemIndex(), 1);
  EXPECT_EQ(t->Interval(), 100);
  for (int i = 0; i < 5; ++i) t->OnTimer(t);
  EXPECT_EQ(box.ItemIndex(), 3) << "stops at the last item";
  QTest::mouseRelease(&box, Qt::LeftButton, {}, at);
  EXPECT_EQ(box.ItemIndex(), 3);
  EXPECT_FALSE(t->Enabled());

  int ups = 0;
  box.OnUpButtonClick = [&](TObject*) { ++ups; };
  const TRect up = box.CaptionButtonRect(0);
  QTest::mouseClick(&box, Qt::LeftButton, {}, QPoint(up.Left + 3, up.Top + 3));
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(box.ItemIndex(), 3) << "the event replaces the step";
}

TEST(ListBoxInner, EventsCarryTheOuterControlAndTypingSearchesByPrefix) {
  TsfSkinListBox box;
  box.show();
  box.SetItems({"apple", "banana", "blueberry", "cherry", "Blackcurrant"});
  TObject* clickSender = nullptr;
  TObject* keySender = nullptr;
  box.OnListBoxClick = [&](TObject* s) { clickSender = s; };
  box.OnListBoxKeyDown = [&](TObject* s, WORD&, TShiftState) { keySender = s; };
  TsfListBox* list = box.ListBox();
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(10, 30));
  EXPECT_EQ(clickSender, &box);
  EXPECT_EQ(box.ItemIndex(), 1);
  qint64 now = 0;
  list->Clock = [&] { return now; };
  QTest::keyClick(list, Qt::Key_B);
  EXPECT_EQ(keySender, &box);
  EXPECT_EQ(box.ItemIndex(), 2) << "the next item beginning with b";
  now += 200;
  QTest::keyClick(list, Qt::Key_L);
  EXPECT_EQ(box.ItemIndex(), 2) << "\"bl\" still matches blueberry";
  now += 200;
  QTest::keyClick(list, Qt::Key_A);
  EXPECT_EQ(box.ItemIndex(), 4) << "\"bla\", ignoring case";
  now += 2000;
  QTest::keyClick(list, Qt::Key_C);
  EXPECT_EQ(box.ItemIndex(), 3) << "after a pause a new search starts";
}

TEST(ListBoxInner, TheWheelScrollsOneItemPerNotch) {
  TsfSkinListBox box;
  box.show();
  box.SetItems(Numbered(20));
  auto wheel = [&](int delta) {
    box.ListBox()->Perform(WM_MOUSEWHEEL, intptr_t(uint16_t(int16_t(delta))) << 16);
  };
  wheel(-120);
  EXPECT_EQ(box.ListBox()->TopIndex(), 1);
  wheel(-60);
  EXPECT_EQ(box.ListBox()->TopIndex(), 1);
  wheel(-60);
  EXPECT_EQ(box.ListBox()->TopIndex(), 2);
  EXPECT_EQ(box.VScrollBar()->Position(), 2);
}

TEST(ListBoxLook, TheSelectedItemIsHighlightedWithoutARecord) {
  TsfSkinListBox box;
  box.show();
  box.SetItems(Numbered(3));
  box.SetItemIndex(1);
  const QImage shot = Shot(&box);
  EXPECT_EQ(At(shot, 100, 2 + 25), Rgb(clHighlight));
  EXPECT_EQ(At(shot, 100, 2 + 5), Rgb(clWindow));
  EXPECT_EQ(At(shot, 100, 2 + 70), Rgb(clWindow)) << "below the last item";
  EXPECT_EQ(At(shot, 0, 60), Rgb(clBtnShadow));
}

TEST(ListBoxTabs, StopsComeFromTheFirstTenLinesOfDigits) {
  const QStringList widths = {"40", "x1", "", "100", "007", "-5", "1e3", "120", "130", "140", "150", "160"};
  EXPECT_EQ(ListTabStops(widths), (std::vector<int>{40, 0, 0, 100, 7, 0, 0, 120, 130, 140}));
  struct Case {
    int x;
    std::vector<int> stops;
    int expected;
  } cases[] = {
      {0, {}, 64},              // none: the default step
      {70, {}, 128},
      {0, {0, 0}, 64},          // zeros are no stops
      {0, {30}, 30},            // one stop: every multiple of it
      {30, {30}, 60},
      {95, {30}, 120},
      {0, {40, 100}, 40},       // several: the first beyond x
      {40, {40, 100}, 100},
      {100, {40, 100}, 160},    // beyond the last: the last interval again
      {170, {40, 100}, 220},
      {10, {0, 40, 0, 100}, 40},
  };
  for (const Case& c : cases) EXPECT_EQ(NextTabStop(c.x, c.stops, 64), c.expected) << c.x;
}

namespace {
// The first column (from x = 2) in rows top..bottom holding a pixel that is
// not the list's background.
int FirstInk(const QImage& shot, int top, int bottom) {
  for (int x = 2; x < shot.width(); ++x)
    for (int y = top; y < bottom; ++y)
      if (At(shot, x, y) != Rgb(clWindow)) return x;
  return -1;
}
}  // namespace

TEST(ListBoxTabs, ATabMovesTheRestOfTheTextToTheStop) {
  TsfSkinListBox box;
  box.resize(240, 120);
  box.show();
  box.SetItems({QStringLiteral("\tW")});
  box.SetTabWidths({QStringLiteral("50")});
  const int at50 = FirstInk(Shot(&box), 4, 20);
  box.SetTabWidths({QStringLiteral("80")});
  const int at80 = FirstInk(Shot(&box), 4, 20);
  ASSERT_GT(at50, 0);
  // List left 2, item text rect inset 2, text 2 into it, then the stop.
  EXPECT_GE(at50, 2 + 2 + 2 + 50);
  EXPECT_LE(at50, 2 + 2 + 2 + 50 + 2);
  EXPECT_EQ(at80 - at50, 30);
}

TEST(ListBoxCaption, TheGlyphLeadsTheCaptionAndShowsItsSecondFrameWhenDisabled) {
  // Two 8 x 8 frames, red and blue, keyed on a green bottom-left pixel.
  QImage strip(16, 8, QImage::Format_RGB32);
  for (int x = 0; x < 16; ++x)
    for (int y = 0; y < 8; ++y) strip.setPixel(x, y, x < 8 ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
  strip.setPixel(0, 7, qRgb(0, 255, 0));
  strip.setPixel(8, 7, qRgb(0, 255, 0));
  TsfSkinListBox box;  // 120 wide: the caption text runs from 3 to 120 - 3 * 17 - 3
  box.SetCaptionMode(true);
  box.SetGlyph(TBitmap(strip));
  box.show();
  const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255);
  struct Case {
    TAlignment alignment;
    int glyphs;
    bool enabled;
    int x;
    QRgb colour;
  } cases[] = {
      {taLeftJustify, 1, true, 3, red},
      {taLeftJustify, 2, false, 3, blue},
      {taLeftJustify, 1, false, 3, red},  // one 16-wide frame: no disabled picture
      {taRightJustify, 2, true, 66 - 8 - 2, red},
  };
  for (const Case& c : cases) {
    box.SetAlignment(c.alignment);
    box.SetNumGlyphs(c.glyphs);
    box.SetEnabled(c.enabled);
    const QImage shot = Shot(&box);
    // The glyph is centred in the band (2 .. 18): rows 6 .. 13.
    EXPECT_EQ(At(shot, c.x + 3, 9), c.colour | 0xFF000000u) << c.x;
    EXPECT_NE(At(shot, c.x + 3, 4), c.colour | 0xFF000000u) << c.x;
  }
}

TEST(ListBoxCaption, WithoutButtonsTheSkinsButtonsAreCovered) {
  // The band is rows 0..19; the buttons lie right of the right-top point.
  TinySkin skin;
  const int pic = skin.AddPicture(Distinct(100, 40));
  auto& r = skin.Add<TsfDataSkinListBox>("listbox");
  r.pictureindex = pic;
  r.skinrect = TRect(0, 0, 60, 40);
  r.lefttoppoint = TPoint(5, 20);
  r.righttoppoint = TPoint(30, 20);
  r.leftbottompoint = TPoint(5, 35);
  r.rightbottompoint = TPoint(30, 35);
  r.clientrect = TRect(2, 20, 58, 38);
  r.upbuttonrect = TRect(44, 2, 54, 12);
  r.downbuttonrect = TRect(32, 2, 42, 12);
  r.checkbuttonrect = TRect(32, 12, 42, 18);
  TsfSkinListBox box;
  box.SetSkinData(skin.data);
  box.resize(60, 40);
  box.show();
  auto red = [](QRgb p) { return qRed(p); };
  EXPECT_EQ(red(At(Shot(&box), 50, 5)), 50) << "the skin picture as it is";
  box.SetShowCaptionButtons(false);
  // The middle 5..30 stretched over 5..54: x 50 shows about x 28.
  const int stretched = red(At(Shot(&box), 50, 5));
  EXPECT_GE(stretched, 26);
  EXPECT_LE(stretched, 29);
  EXPECT_EQ(red(At(Shot(&box), 3, 5)), 3) << "left of the middle untouched";
  // A record picture of the band without buttons goes to the buttons area,
  // which follows the right edge.
  r.disabledbuttonsrect = TRect(70, 20, 92, 30);
  r.buttonsarea = TRect(32, 2, 54, 12);
  box.resize(100, 40);
  const QImage shot = Shot(&box);
  for (const QPoint p : {QPoint(0, 0), QPoint(21, 9), QPoint(10, 4)})
    EXPECT_EQ(At(shot, 32 + 40 + p.x(), 2 + p.y()), qRgb(70 + p.x(), 20 + p.y(), 7) | 0xFF000000u)
        << p.x() << "," << p.y();
}

TEST(ListBoxInner, ListBoxPropertiesReachTheInnerList) {
  TsfSkinListBox box;
  box.show();
  box.SetItems(Numbered(3));
  EXPECT_TRUE(box.ListBoxTabStop());
  box.SetListBoxTabStop(false);
  EXPECT_FALSE(box.ListBox()->TabStop());
  QTest::mouseClick(box.ListBox(), Qt::LeftButton, {}, QPoint(10, 5));
  EXPECT_FALSE(box.ListBox()->hasFocus()) << "no tab stop, no focus by a click";
  EXPECT_EQ(box.ItemIndex(), 0);
  box.ListBoxFont()->SetHeight(30);
  EXPECT_EQ(box.ListBox()->Font()->Height(), 30);
}

TEST(ListBoxColumns, ItemsRunDownAndAcrossAndAHorizontalBarScrollsByColumns) {
  TsfSkinListBox box;  // list 116 x 116: 5 rows of 20
  box.show();
  box.SetItems(Numbered(12));
  box.SetColumns(3);
  EXPECT_EQ(box.VScrollBar(), nullptr) << "12 items fit in 3 columns of 5";
  TsfListBox* list = box.ListBox();
  EXPECT_EQ(list->ColumnWidth(), 116 / 3);
  EXPECT_EQ(list->ItemRect(7), Bounds(38, 40, 38, 20)) << "second column, third row";
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(38 + 5, 45));
  EXPECT_EQ(box.ItemIndex(), 7);
  QTest::keyClick(list, Qt::Key_Right);
  EXPECT_EQ(box.ItemIndex(), 11) << "a column across (the last item at most)";
  QTest::keyClick(list, Qt::Key_Left);
  EXPECT_EQ(box.ItemIndex(), 6);

  box.SetItems(Numbered(20));
  TsfSkinScrollBar* bar = box.VScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->Kind(), sbHorizontal);
  EXPECT_EQ(bar->BoundsRect(), Bounds(1, 100, 118, 19));
  EXPECT_EQ(box.ListArea(), TRect(2, 2, 118, 100)) << "the bar takes the list's bottom";
  EXPECT_EQ(list->Rows(), 4);
  EXPECT_EQ(bar->Max(), 4) << "20 items in columns of 4";
  EXPECT_EQ(bar->PageSize(), 3);
  bar->SetPosition(2);
  EXPECT_EQ(list->TopIndex(), 8);
  EXPECT_EQ(list->ItemAtPos(TPoint(5, 5)), 8);
  // The wheel moves a column.
  QWheelEvent wheel(QPointF(10, 10), list->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list, &wheel);
  EXPECT_EQ(list->TopIndex(), 8) << "already at the last page of columns";
  QWheelEvent back(QPointF(10, 10), list->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, 120),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(list, &back);
  EXPECT_EQ(list->TopIndex(), 4);
  EXPECT_EQ(bar->Position(), 1);

  // Back to one column: a vertical bar again.
  box.SetColumns(0);
  ASSERT_NE(box.VScrollBar(), nullptr);
  EXPECT_EQ(box.VScrollBar()->Kind(), sbVertical);
  EXPECT_EQ(box.ListArea(), TRect(2, 2, 100, 118));
}
