// The skinned list box: bars created and removed as the content requires,
// RowCount, HorizontalExtent, item heights from the skin, the caption band's
// buttons with their repeat counted in ticks, prefix search, the wheel, the
// inner list's events with the outer control as sender, and the default look.

#include <gtest/gtest.h>

#include <QTest>

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
