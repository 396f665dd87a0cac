// The skinned list box beyond its items: item images, drags from the inner
// list onto other lists and frames, scrolling while pressing or dragging
// past the list's edges (ticks counted), right-click menus, the inner list's
// tab order and the background query of other skinned controls.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "platform/form.h"
#include "platform/image_list.h"
#include "platform/tab_order.h"
#include "skin/controls/list_box.h"
#include "skin/menus/menu_host.h"
#include "skin/menus/skin_menu.h"
#include "tests/skin/controls/control_fixture.h"
#include "tests/skin/controls/list_box_fixture.h"

using namespace ctltest;

namespace {
const QRgb kImageColours[] = {qRgb(200, 0, 0), qRgb(0, 160, 0), qRgb(0, 0, 220)};

// Three 8 x 8 images of one colour each.
TCustomImageList* ColourImages(QObject* owner = nullptr) {
  auto* list = new TCustomImageList(8, 8);
  list->setParent(owner);
  for (QRgb c : kImageColours) list->Add(Filled(8, 8, c), false);
  return list;
}

// The leftmost x in [from, to) of row y whose pixel is not `background`, or -1.
int FirstInk(const QImage& shot, int y, int from, int to, QRgb background) {
  for (int x = from; x < to; ++x)
    if (At(shot, x, y) != background) return x;
  return -1;
}

// Two list boxes side by side in one window, the drag source on the left.
struct TwoLists {
  QWidget window;
  TsfSkinListBox* from;
  TsfSkinListBox* to;
  TwoLists() {
    window.resize(300, 160);
    window.move(40, 40);
    from = new TsfSkinListBox(&window);
    from->SetBounds(10, 10, 120, 120);
    to = new TsfSkinListBox(&window);
    to->SetBounds(160, 10, 120, 140);
    to->SetCaptionMode(true);  // a band of the outer control above its list
    from->SetItems(Numbered(20));
    to->SetItems(Numbered(3));
    window.show();
  }
  ~TwoLists() { TDragManager::Instance().CancelDrag(); }
  // A point of `w` as a point of `on`, for moving over one widget while
  // another holds the mouse.
  static QPoint Map(QWidget* w, QPoint p, QWidget* on) { return on->mapFromGlobal(w->mapToGlobal(p)); }
};

Qt::CursorShape OverrideShape() {
  const QCursor* c = QApplication::overrideCursor();
  return c ? c->shape() : Qt::BitmapCursor;
}

}  // namespace

// ---- images -----------------------------------------------------------------

TEST(ListBoxImages, EachItemShowsItsImageOrTheChosenOneBeforeItsText) {
  // Default look: items 20 high from y 2, text rectangle from x 4; the
  // image is centred at x 4, the text starts 8 + 2 further on.
  const struct {
    int imageIndex;
    QRgb expected[5];  // the pixel at the image's centre of items 0..4; 0: none drawn
  } cases[] = {
      {-1, {kImageColours[0], kImageColours[1], kImageColours[2], 0, 0}},
      {1, {kImageColours[1], kImageColours[1], kImageColours[1], kImageColours[1], kImageColours[1]}},
      {3, {0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.imageIndex);
    TsfSkinListBox box;
    box.show();
    box.SetItems({"W", "W", "W", "W", "W"});
    std::unique_ptr<TCustomImageList> images(ColourImages());
    box.SetImages(images.get());
    box.SetImageIndex(c.imageIndex);
    const QImage shot = Shot(&box);
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(i);
      const int y = 2 + i * 20 + 10;
      EXPECT_EQ(At(shot, 4 + 4, y), c.expected[i] ? c.expected[i] | 0xFF000000u : Rgb(clWindow));
      // The text keeps its indent whether or not this item has an image.
      EXPECT_GE(FirstInk(shot, y, 4 + 8, 100, Rgb(clWindow)), 4 + 8 + 2 + 2);
    }
  }
}

TEST(ListBoxImages, TheHorizontalBarShiftsImagesAndTheyNarrowTheText) {
  TsfSkinListBox box;  // list 116 wide, 112 for the text
  box.show();
  box.SetHorizontalExtent(true);
  box.SetItems({QStringLiteral("x")});
  // An item just narrower than the text room, wider once images take theirs.
  QString text;
  {
    TBitmap probe(1, 1);
    probe.Canvas()->Font = *box.Font();
    while (probe.Canvas()->TextWidth(text + u'W') <= 112) text += u'W';
    while (probe.Canvas()->TextWidth(text + u'i') <= 112) text += u'i';
  }
  box.SetItems({text});
  EXPECT_EQ(box.HScrollBar(), nullptr);
  std::unique_ptr<TCustomImageList> images(ColourImages());
  box.SetImages(images.get());
  ASSERT_NE(box.HScrollBar(), nullptr) << "the image and its gap take 12 pixels from the text";
  EXPECT_EQ(box.HScrollBar()->PageSize(), 112 - 12);

  // The image spans x 4..11 unscrolled, the text starting at 16.
  box.HScrollBar()->SetPosition(3);
  const QImage shot = Shot(&box);
  EXPECT_EQ(At(shot, 2, 12), kImageColours[0] | 0xFF000000u) << "cut at the list's left edge";
  EXPECT_EQ(At(shot, 8, 12), kImageColours[0] | 0xFF000000u);
  EXPECT_EQ(At(shot, 9, 12), Rgb(clWindow)) << "the image's right end moved left by 3";
  EXPECT_GE(FirstInk(shot, 12, 9, 100, Rgb(clWindow)), 13) << "the text moved left by 3 as well";

  // Destroying the image list takes the images away.
  images.reset();
  EXPECT_EQ(box.Images(), nullptr);
  const QImage after = Shot(&box);
  for (int x = 0; x < after.width(); ++x) ASSERT_NE(At(after, x, 12), kImageColours[0] | 0xFF000000u) << x;
}

// ---- drags ------------------------------------------------------------------

TEST(ListBoxDrag, AnItemDraggedOntoAnotherListIsDroppedThereWithTheOuterListsAsSenders) {
  TwoLists f;
  f.from->SetListBoxDragMode(dmAutomatic);
  f.from->SetListBoxDragCursor(crMultiDrag);
  std::vector<QString> log;
  TObject* startSender = nullptr;
  TObject *overSender = nullptr, *overSource = nullptr;
  f.from->OnListBoxStartDrag = [&](TObject* s, TObject*&) { startSender = s, log.push_back("start"); };
  f.to->OnListBoxDragOver = [&](TObject* s, TObject* source, int, int, TDragState state, bool& accept) {
    overSender = s, overSource = source;
    log.push_back(state == dsDragEnter ? "enter" : state == dsDragMove ? "over" : "leave");
    accept = source == f.from->ListBox();
  };
  TObject *dropSender = nullptr, *endSender = nullptr, *endTarget = nullptr;
  QPoint dropAt, endAt;
  f.to->OnListBoxDragDrop = [&](TObject* s, TObject*, int x, int y) {
    dropSender = s, dropAt = QPoint(x, y), log.push_back("drop");
  };
  f.from->OnListBoxEndDrag = [&](TObject* s, TObject* target, int x, int y) {
    endSender = s, endTarget = target, endAt = QPoint(x, y), log.push_back("end");
  };
  TsfListBox* source = f.from->ListBox();
  TsfListBox* target = f.to->ListBox();

  QTest::mousePress(source, Qt::LeftButton, {}, QPoint(20, 30));
  EXPECT_EQ(f.from->ItemIndex(), 1);
  QTest::mouseMove(source, QPoint(24, 32));  // within the threshold
  EXPECT_TRUE(TDragManager::Instance().Pending());
  EXPECT_TRUE(log.empty());
  QTest::mouseMove(source, TwoLists::Map(target, QPoint(30, 25), source));
  ASSERT_TRUE(TDragManager::Instance().Dragging());
  EXPECT_EQ(startSender, f.from);
  EXPECT_EQ(overSender, f.to);
  EXPECT_EQ(overSource, source);
  EXPECT_TRUE(TDragManager::Instance().Accepted());
  EXPECT_EQ(OverrideShape(), Qt::DragCopyCursor) << "the source's drag cursor over an accepting target";
  EXPECT_EQ(f.from->ItemIndex(), 1) << "the selection stays on the dragged item";

  QTest::mouseRelease(source, Qt::LeftButton, {}, TwoLists::Map(target, QPoint(31, 45), source));
  EXPECT_EQ(log, (std::vector<QString>{"start", "enter", "over", "over", "drop", "end"}));
  EXPECT_EQ(dropSender, f.to);
  EXPECT_EQ(dropAt, QPoint(31, 45)) << "in the target list's coordinates";
  EXPECT_EQ(endSender, f.from);
  EXPECT_EQ(endTarget, target);
  EXPECT_EQ(endAt, QPoint(31, 45));
  EXPECT_FALSE(TDragManager::Instance().Dragging());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ListBoxDrag, NoDropWithoutAnAcceptingTargetAndEscapeCancels) {
  TwoLists f;
  f.from->SetListBoxDragMode(dmAutomatic);
  TObject* endTarget = f.from;
  int ends = 0;
  f.from->OnListBoxEndDrag = [&](TObject*, TObject* target, int, int) { endTarget = target, ++ends; };
  int drops = 0;
  std::vector<TDragState> frameStates;
  f.to->OnDragOver = [&](TObject* s, TObject*, int, int, TDragState state, bool& accept) {
    EXPECT_EQ(s, f.to);
    frameStates.push_back(state);
    accept = false;
  };
  f.to->OnListBoxDragDrop = [&](TObject*, TObject*, int, int) { ++drops; };
  TsfListBox* source = f.from->ListBox();
  const QPoint band = TwoLists::Map(f.to, QPoint(30, 8), source);  // the caption band
  const QPoint list = TwoLists::Map(f.to->ListBox(), QPoint(30, 30), source);

  // Over the band (the outer control's own handler refuses) and over a list
  // without OnListBoxDragOver: the no-drop cursor, and no drop on release.
  QTest::mousePress(source, Qt::LeftButton, {}, QPoint(20, 10));
  QTest::mouseMove(source, band);
  EXPECT_EQ(TDragManager::Instance().Target(), f.to);
  EXPECT_EQ(OverrideShape(), Qt::ForbiddenCursor);
  QTest::mouseMove(source, list);
  EXPECT_EQ(frameStates, (std::vector<TDragState>{dsDragEnter, dsDragMove, dsDragLeave}));
  EXPECT_FALSE(TDragManager::Instance().Accepted());
  QTest::mouseRelease(source, Qt::LeftButton, {}, list);
  EXPECT_EQ(drops, 0);
  EXPECT_EQ(ends, 1);
  EXPECT_EQ(endTarget, nullptr);

  // Escape: the target is left and the drag ends without one.
  std::vector<TDragState> listStates;
  f.to->OnListBoxDragOver = [&](TObject*, TObject*, int, int, TDragState state, bool&) { listStates.push_back(state); };
  endTarget = f.from;
  QTest::mousePress(source, Qt::LeftButton, {}, QPoint(20, 10));
  QTest::mouseMove(source, list);
  EXPECT_TRUE(TDragManager::Instance().Accepted());
  QTest::keyClick(source, Qt::Key_Escape);
  EXPECT_FALSE(TDragManager::Instance().Dragging());
  EXPECT_EQ(listStates.back(), dsDragLeave);
  EXPECT_EQ(ends, 2);
  EXPECT_EQ(endTarget, nullptr);
  QTest::mouseRelease(source, Qt::LeftButton, {}, list);
  EXPECT_EQ(drops, 0);
  EXPECT_EQ(ends, 2);
}

TEST(ListBoxDrag, APressReleasedWithinTheThresholdIsAClickAndManualModeNeverDrags) {
  for (TDragMode mode : {dmAutomatic, dmManual}) {
    SCOPED_TRACE(int(mode));
    TwoLists f;
    f.from->SetListBoxDragMode(mode);
    int starts = 0, clicks = 0;
    f.from->OnListBoxStartDrag = [&](TObject*, TObject*&) { ++starts; };
    f.from->OnListBoxClick = [&](TObject*) { ++clicks; };
    TsfListBox* source = f.from->ListBox();
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(20, 50));
    QTest::mouseMove(source, QPoint(25, 45));
    QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(25, 45));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(f.from->ItemIndex(), 2);
    QTest::mousePress(source, Qt::LeftButton, {}, QPoint(20, 50));
    QTest::mouseMove(source, TwoLists::Map(f.to->ListBox(), QPoint(20, 20), source));
    EXPECT_EQ(starts, mode == dmAutomatic ? 1 : 0);
    QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(20, 50));
    EXPECT_FALSE(TDragManager::Instance().Pending());
    EXPECT_FALSE(TDragManager::Instance().Dragging());
  }
}

TEST(ListBoxDrag, TheStartHandlerCanNameTheDraggedObjectAndTheFrameDragsToo) {
  TwoLists f;
  QObject payload;
  f.from->SetListBoxDragMode(dmAutomatic);
  f.from->OnListBoxStartDrag = [&](TObject*, TObject*& dragObject) { dragObject = &payload; };
  TObject* seen = nullptr;
  f.to->OnListBoxDragOver = [&](TObject*, TObject* source, int, int, TDragState, bool&) { seen = source; };
  TsfListBox* source = f.from->ListBox();
  QTest::mousePress(source, Qt::LeftButton, {}, QPoint(20, 10));
  QTest::mouseMove(source, TwoLists::Map(f.to->ListBox(), QPoint(20, 20), source));
  EXPECT_EQ(seen, &payload);
  QTest::mouseRelease(source, Qt::LeftButton, {}, QPoint(20, 10));

  // The outer control drags by its own settings from its caption band.
  f.to->DragMode = dmAutomatic;
  int outerStarts = 0;
  f.to->OnStartDrag = [&](TObject* s, TObject*&) {
    EXPECT_EQ(s, f.to);
    ++outerStarts;
  };
  seen = nullptr;
  f.from->OnListBoxDragOver = [&](TObject*, TObject* src, int, int, TDragState, bool&) { seen = src; };
  QTest::mousePress(f.to, Qt::LeftButton, {}, QPoint(20, 8));
  QTest::mouseMove(f.to, TwoLists::Map(source, QPoint(20, 20), f.to));
  EXPECT_EQ(outerStarts, 1);
  EXPECT_EQ(seen, f.to);
  QTest::mouseRelease(f.to, Qt::LeftButton, {}, TwoLists::Map(source, QPoint(20, 20), f.to));
}

// ---- scrolling past the edges --------------------------------------------------

TEST(ListBoxAutoScroll, PressingPastAnEdgeScrollsOneItemPerTickTheSelectionFollowing) {
  TsfSkinListBox box;  // 5 rows
  box.show();
  box.SetItems(Numbered(20));
  TsfListBox* list = box.ListBox();
  TTimer* t = list->AutoScrollTimer();
  QTest::mousePress(list, Qt::LeftButton, {}, QPoint(20, 50));
  EXPECT_EQ(box.ItemIndex(), 2);
  QTest::mouseMove(list, QPoint(20, 70));
  EXPECT_EQ(box.ItemIndex(), 3) << "inside, the selection follows the pointer";
  EXPECT_FALSE(t->Enabled());
  QTest::mouseMove(list, QPoint(20, list->Height() + 6));
  ASSERT_TRUE(t->Enabled());
  EXPECT_EQ(t->Interval(), TsfListBox::kAutoScrollInterval);
  EXPECT_EQ(list->AutoScrollDirection(), 1);
  for (int i = 0; i < 3; ++i) t->OnTimer(t);
  EXPECT_EQ(box.ItemIndex(), 7);
  EXPECT_EQ(list->TopIndex(), 3);
  EXPECT_EQ(box.VScrollBar()->Position(), 3);
  for (int i = 0; i < 20; ++i) t->OnTimer(t);
  EXPECT_EQ(box.ItemIndex(), 19) << "stops at the last item";
  EXPECT_EQ(list->TopIndex(), 15);
  QTest::mouseMove(list, QPoint(20, -3));
  EXPECT_EQ(list->AutoScrollDirection(), -1);
  t->OnTimer(t);
  EXPECT_EQ(box.ItemIndex(), 14);
  EXPECT_EQ(list->TopIndex(), 14);
  QTest::mouseMove(list, QPoint(20, 30));
  EXPECT_FALSE(t->Enabled()) << "back inside: no scrolling";
  EXPECT_EQ(box.ItemIndex(), 15);
  QTest::mouseMove(list, QPoint(20, -3));
  QTest::mouseRelease(list, Qt::LeftButton, {}, QPoint(20, -3));
  EXPECT_FALSE(t->Enabled()) << "the release ends it";

  // Moving outside without having pressed on the list scrolls nothing.
  QTest::mouseMove(list, QPoint(20, list->Height() + 6));
  EXPECT_FALSE(t->Enabled());
}

TEST(ListBoxAutoScroll, ADragPastTheEdgeScrollsWithoutMovingTheSelection) {
  const struct {
    int columns;
    bool below;  // else right of the list
  } cases[] = {{0, true}, {2, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.columns);
    TwoLists f;
    f.from->SetColumns(c.columns);
    f.from->SetListBoxDragMode(dmAutomatic);
    TsfListBox* list = f.from->ListBox();
    QTest::mousePress(list, Qt::LeftButton, {}, QPoint(20, 10));
    const QPoint past = c.below ? QPoint(20, list->Height() + 4) : QPoint(list->Width() + 4, 20);
    QTest::mouseMove(list, past);
    ASSERT_TRUE(TDragManager::Instance().Dragging());
    TTimer* t = list->AutoScrollTimer();
    ASSERT_TRUE(t->Enabled());
    t->OnTimer(t);
    t->OnTimer(t);
    // Two items, or two columns of items.
    EXPECT_EQ(list->TopIndex(), c.columns ? 2 * list->Rows() : 2);
    EXPECT_EQ(f.from->ItemIndex(), 0);
    QTest::mouseRelease(list, Qt::LeftButton, {}, past);
    EXPECT_FALSE(t->Enabled());
  }
}

// ---- menus and tab order ---------------------------------------------------------

TEST(ListBoxMenus, ARightClickShowsTheSkinnedMenuOfTheListOrOfTheFrame) {
  TForm form;
  form.SetBounds(30, 30, 200, 200);
  auto* host = new MenuHost(&form);
  auto* box = new TsfSkinListBox(&form);
  box->SetCaptionMode(true);
  box->SetBounds(10, 10, 150, 150);
  box->SetItems(Numbered(3));
  box->SetItemIndex(0);
  form.show();
  auto* listMenu = new TsfSkinPopupMenu(&form);
  listMenu->Items()->Add(NewMenuItem(listMenu, QString(), QStringLiteral("Remove")));
  TsfSkinPopupMenu frameMenu;  // no owner: shown by the window of the list
  frameMenu.Items()->Add(NewMenuItem(&frameMenu, QString(), QStringLiteral("Sort")));
  box->SetListBoxPopupMenu(listMenu);
  box->SetPopupMenu(&frameMenu);
  int ups = 0;
  box->OnListBoxMouseUp = [&](TObject*, TMouseButton b, TShiftState, int, int) { ups += b == mbRight; };

  TsfListBox* list = box->ListBox();
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(20, 30));
  EXPECT_FALSE(host->menu.IsShowing());
  QTest::mouseClick(list, Qt::RightButton, {}, QPoint(20, 50));
  EXPECT_EQ(ups, 1);
  ASSERT_TRUE(host->menu.IsShowing());
  const QPoint at = list->mapToGlobal(QPoint(20, 50));
  EXPECT_EQ(listMenu->PopupPoint(), TPoint(at.x(), at.y()));
  EXPECT_EQ(box->ItemIndex(), 1) << "a right click selects nothing";
  host->menu.CloseFrom(0);

  QTest::mouseClick(box, Qt::RightButton, {}, QPoint(20, 8));
  ASSERT_TRUE(host->menu.IsShowing());
  EXPECT_EQ(host->menu.Deepest()->Items().size(), 1u);
  EXPECT_EQ(frameMenu.HostForm, nullptr) << "the window was only borrowed";
  host->menu.CloseFrom(0);
  delete listMenu;
  QTest::mouseClick(list, Qt::RightButton, {}, QPoint(20, 50));
  ASSERT_TRUE(host->menu.IsShowing()) << "without its own menu the list shows the control's";
  EXPECT_EQ(host->menu.Deepest()->Items()[0].MenuItem->Caption, QStringLiteral("Sort"));
  host->menu.CloseFrom(0);
  box->SetPopupMenu(nullptr);
  QTest::mouseClick(list, Qt::RightButton, {}, QPoint(20, 50));
  EXPECT_FALSE(host->menu.IsShowing());
}

TEST(ListBoxTabOrder, TheInnerListsPlaceAmongTheControlsBars) {
  TsfSkinListBox box;
  box.show();
  box.SetItems(Numbered(20));
  ASSERT_NE(box.VScrollBar(), nullptr);
  EXPECT_EQ(box.ListBoxTabOrder(), 0);
  EXPECT_EQ(TabOrderOf(box.VScrollBar()), 1);
  box.SetListBoxTabOrder(1);
  EXPECT_EQ(box.ListBoxTabOrder(), 1);
  EXPECT_EQ(TabOrderOf(box.VScrollBar()), 0);
  box.SetListBoxTabOrder(0);
  EXPECT_EQ(box.ListBoxTabOrder(), 0);
}

// ---- background query -----------------------------------------------------------

TEST(ListBoxBackground, TheQueryPaintsFrameBandAndListBackgroundWithoutItems) {
  TinySkin skin;
  TsfSkinListBox plain;
  TsfSkinListBox skinned;
  {
    // A nine-part record whose client piece is one colour, its items
    // another (right of the skin rectangle).
    QImage pic(60, 40, QImage::Format_RGB32);
    pic.fill(qRgb(10, 20, 30));
    for (int y = 4; y < 36; ++y)
      for (int x = 4; x < 36; ++x) pic.setPixel(x, y, qRgb(90, 180, 60));
    for (int y = 0; y < 40; ++y)
      for (int x = 40; x < 60; ++x) pic.setPixel(x, y, qRgb(200, 0, 200));
    const int index = skin.AddPicture(TBitmap(pic));
    auto& r = skin.Add<TsfDataSkinListBox>("listbox");
    r.pictureindex = index;
    r.skinrect = TRect(0, 0, 40, 40);
    r.lefttoppoint = TPoint(4, 4);
    r.righttoppoint = TPoint(36, 4);
    r.leftbottompoint = TPoint(4, 36);
    r.rightbottompoint = TPoint(36, 36);
    r.clientrect = TRect(4, 4, 36, 36);
    r.itemrect = TRect(40, 0, 60, 20);
    skinned.SetSkinData(skin.data);
  }
  const struct {
    TsfSkinListBox* box;
    QRgb frame, list;
  } cases[] = {{&plain, Rgb(clBtnShadow), Rgb(clWindow)}, {&skinned, qRgb(10, 20, 30), qRgb(90, 180, 60)}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box == &plain ? "default look" : "skinned");
    c.box->SetBounds(0, 0, 100, 100);
    c.box->show();
    c.box->SetItems(Numbered(3));
    c.box->SetItemIndex(0);
    const QImage before = Shot(c.box);
    TBitmap target(100, 100);
    target.Canvas()->Brush.Color = clRed;
    target.Canvas()->FillRect(TRect(0, 0, 100, 100));
    EXPECT_EQ(c.box->Perform(TsfSkinCustomListBox::WM_SKINCTRL_PAINTBACKGROUND, reinterpret_cast<intptr_t>(target.Canvas())),
              TsfSkinCustomListBox::kPaintBackgroundAnswer);
    target.Canvas()->Detach();
    const QImage img = target.Image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(At(img, 0, 50), c.frame | 0xFF000000u);
    const TRect area = c.box->ListArea();
    EXPECT_EQ(At(img, area.Left + 50, area.Top + 10), c.list | 0xFF000000u) << "the selected item is not drawn";
    EXPECT_NE(At(before, area.Left + 50, area.Top + 10), c.list | 0xFF000000u) << "the item is drawn on screen";
    EXPECT_EQ(Shot(c.box), before) << "the control paints as before";
  }
}
