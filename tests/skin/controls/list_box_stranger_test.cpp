// The list box under hostile use: drag handlers that destroy the lists they
// were called for, an image list that goes with the box, images chosen by
// any index, a menu command that destroys the box, 100,000 items sorted
// and selected by keys, type-ahead past every item and outside the basic
// plane, and tab places among hidden and destroyed siblings.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <climits>
#include <memory>

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
// Two list boxes in one window; drags go from the left one's list to the
// right one's list, which accepts them.
struct Lists {
  QWidget window;
  QPointer<TsfSkinListBox> from;
  QPointer<TsfSkinListBox> to;
  QPoint press, over, drop;  // screen points: on the source, twice on the target
  Lists() {
    window.setGeometry(40, 40, 300, 160);
    from = new TsfSkinListBox(&window);
    from->SetBounds(10, 10, 120, 120);
    to = new TsfSkinListBox(&window);
    to->SetBounds(160, 10, 120, 120);
    from->SetItems(Numbered(20, 6));
    to->SetItems(Numbered(3, 6));
    from->SetListBoxDragMode(dmAutomatic);
    to->OnListBoxDragOver = [](TObject*, TObject*, int, int, TDragState, bool&) {};
    window.show();
    press = from->ListBox()->mapToGlobal(QPoint(20, 30));
    over = to->ListBox()->mapToGlobal(QPoint(30, 25));
    drop = to->ListBox()->mapToGlobal(QPoint(31, 45));
  }
  ~Lists() {
    TDragManager::Instance().CancelDrag();
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
  // The widget the pointer's events go to: the source list while it lives.
  QWidget* Grab() { return from ? static_cast<QWidget*>(from->ListBox()) : &window; }
  void Move(QPoint screen) { QTest::mouseMove(Grab(), Grab()->mapFromGlobal(screen)); }
};

enum Handler { StartDrag, DragEnter, DragDrop, EndDrag };
enum Victim { Source, Target };

}  // namespace

// ---- drags ------------------------------------------------------------------

TEST(ListBoxDragHandlers, DestroyingEitherListInAnyDragHandlerEndsTheDragCleanly) {
  for (Handler handler : {StartDrag, DragEnter, DragDrop, EndDrag}) {
    for (Victim victim : {Source, Target}) {
      SCOPED_TRACE(testing::Message() << "handler " << handler << " victim " << victim);
      Lists f;
      // Reads what it needs before the delete, which may free the handler.
      auto kill = [&f, victim] {
        TsfSkinListBox* v = victim == Source ? f.from.data() : f.to.data();
        delete v;
      };
      int calls = 0;
      switch (handler) {
        case StartDrag: f.from->OnListBoxStartDrag = [kill](TObject*, TObject*&) { kill(); }; break;
        case DragEnter:
          f.to->OnListBoxDragOver = [kill, &calls](TObject*, TObject*, int, int, TDragState s, bool&) {
            if (s == dsDragEnter && calls++ == 0) kill();
          };
          break;
        case DragDrop: f.to->OnListBoxDragDrop = [kill](TObject*, TObject*, int, int) { kill(); }; break;
        case EndDrag: f.from->OnListBoxEndDrag = [kill](TObject*, TObject*, int, int) { kill(); }; break;
      }
      QTest::mousePress(f.Grab(), Qt::LeftButton, {}, f.Grab()->mapFromGlobal(f.press));
      f.Move(f.over);
      f.Move(f.drop);
      QTest::mouseRelease(f.Grab(), Qt::LeftButton, {}, f.Grab()->mapFromGlobal(f.drop));
      f.Move(f.press);  // a later event finds nothing left to do

      EXPECT_TRUE(victim == Source ? f.from.isNull() : f.to.isNull());
      EXPECT_FALSE(TDragManager::Instance().Dragging());
      EXPECT_FALSE(TDragManager::Instance().Pending());
      EXPECT_EQ(QApplication::overrideCursor(), nullptr);
      // The survivor still works.
      TsfSkinListBox* alive = victim == Source ? f.to.data() : f.from.data();
      ASSERT_NE(alive, nullptr);
      QTest::keyClick(alive->ListBox(), Qt::Key_End);
      EXPECT_EQ(alive->ItemIndex(), alive->Items().size() - 1);
      Shot(alive);
    }
  }
}

// ---- images -----------------------------------------------------------------

TEST(ListBoxImageList, AnImageListAmongTheBoxsChildrenGoesWithTheBox) {
  QPointer<TsfSkinListBox> box = new TsfSkinListBox;
  box->show();
  box->SetItems(Numbered(3, 6));
  auto* images = new TCustomImageList(8, 8);
  images->setParent(box);  // destroyed after the inner list, with the box
  images->Add(Filled(8, 8, qRgb(200, 0, 0)), false);
  box->SetImages(images);
  Shot(box);
  delete box.data();
  EXPECT_TRUE(box.isNull());
}

TEST(ListBoxImageList, AnyImageIndexDrawsTheImageItNamesOrNone) {
  const QRgb red = qRgb(200, 0, 0) | 0xFF000000u, green = qRgb(0, 160, 0) | 0xFF000000u;
  const struct {
    int imageIndex;
    QRgb expected[3];  // at the image's centre of items 0..2; 0: the background
  } cases[] = {
      {INT_MIN, {red, green, 0}}, {-2, {red, green, 0}}, {0, {red, red, red}},
      {1, {green, green, green}}, {2, {0, 0, 0}},       {INT_MAX, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.imageIndex);
    TsfSkinListBox box;
    box.show();
    box.SetItems({"W", "W", "W"});
    TCustomImageList images(8, 8);
    images.Add(Filled(8, 8, red), false);
    images.Add(Filled(8, 8, green), false);
    box.SetImages(&images);
    box.SetImageIndex(c.imageIndex);
    const QImage shot = Shot(&box);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(At(shot, 8, 2 + i * 20 + 10), c.expected[i] ? c.expected[i] : Rgb(clWindow)) << i;
  }
}

// ---- menus ------------------------------------------------------------------

TEST(ListBoxMenuCommand, ACommandThatDestroysTheBoxLeavesTheMenuAndWindowWhole) {
  TForm form;
  form.SetBounds(30, 30, 200, 200);
  auto* host = new MenuHost(&form);
  QPointer<TsfSkinListBox> box = new TsfSkinListBox(&form);
  box->SetBounds(10, 10, 150, 150);
  box->SetItems(Numbered(3, 6));
  form.show();
  auto* menu = new TsfSkinPopupMenu(&form);
  TMenuItem* remove = NewMenuItem(menu, QString(), QStringLiteral("Remove"));
  menu->Items()->Add(remove);
  remove->OnClick = [&box](TObject*) { delete box.data(); };
  box->SetListBoxPopupMenu(menu);
  box->SetPopupMenu(menu);

  QTest::mouseClick(box->ListBox(), Qt::RightButton, {}, QPoint(20, 30));
  ASSERT_TRUE(host->menu.IsShowing());
  host->menu.ItemAction(host->menu.Deepest(), 0, false, true);
  QCoreApplication::processEvents();
  EXPECT_TRUE(box.isNull());
  EXPECT_FALSE(host->menu.IsShowing());
  // The menu can be shown again from elsewhere.
  menu->Popup(50, 50);
  EXPECT_TRUE(host->menu.IsShowing());
  host->menu.CloseFrom(0);
}

TEST(ListBoxMenuCommand, AMenuWhoseOpeningDestroysTheBoxStillOpens) {
  // On the list or on the frame; a menu of the form, or one borrowing it.
  for (bool onList : {true, false}) {
    for (bool owned : {true, false}) {
      SCOPED_TRACE(testing::Message() << "list " << onList << " owned " << owned);
      TForm form;
      form.SetBounds(30, 30, 200, 200);
      auto* host = new MenuHost(&form);
      QPointer<TsfSkinListBox> box = new TsfSkinListBox(&form);
      box->SetCaptionMode(true);
      box->SetBounds(10, 10, 150, 150);
      box->SetItems(Numbered(3, 6));
      form.show();
      TsfSkinPopupMenu* menu = new TsfSkinPopupMenu(owned ? &form : nullptr);
      std::unique_ptr<TsfSkinPopupMenu> unowned(owned ? nullptr : menu);
      menu->Items()->Add(NewMenuItem(menu, QString(), QStringLiteral("Remove")));
      menu->OnPopup = [&box](TObject*) { delete box.data(); };
      if (onList) box->SetListBoxPopupMenu(menu);
      else box->SetPopupMenu(menu);
      if (onList) QTest::mouseClick(box->ListBox(), Qt::RightButton, {}, QPoint(20, 30));
      else QTest::mouseClick(box, Qt::RightButton, {}, QPoint(20, 8));
      EXPECT_TRUE(box.isNull());
      EXPECT_TRUE(host->menu.IsShowing());
      EXPECT_EQ(menu->HostForm, nullptr) << "a borrowed window is given back";
      host->menu.CloseFrom(0);
    }
  }
}

// ---- many items ---------------------------------------------------------------

TEST(ListBoxManyItems, SortingAndShiftSelectingAHundredThousandItems) {
  const int n = 100000;
  TsfSkinListBox box;
  box.show();
  QStringList items = Numbered(n, 6);
  std::reverse(items.begin(), items.end());
  box.SetItems(items);
  box.SetItemIndex(n - 10);  // "item 000009"
  box.SetSorted(true);
  EXPECT_EQ(box.Items().first(), QStringLiteral("item 000000"));
  EXPECT_EQ(box.Items().last(), QStringLiteral("item 099999"));
  EXPECT_EQ(box.ItemIndex(), 9) << "the current item stays current";
  box.SetSorted(false);
  box.SetSorted(true);
  EXPECT_EQ(box.ItemIndex(), 9);

  box.SetMultiSelect(true);
  TsfListBox* list = box.ListBox();
  QTest::mouseClick(list, Qt::LeftButton, {}, QPoint(20, 10));
  const int first = box.ItemIndex();
  QTest::keyClick(list, Qt::Key_End, Qt::ShiftModifier);
  EXPECT_EQ(box.ItemIndex(), n - 1);
  EXPECT_EQ(list->SelCount(), n - first);
  EXPECT_TRUE(list->Selected(n - 1));
  QTest::keyClick(list, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(list->SelCount(), first + 1) << "the run turns round at the anchor";
  QTest::keyClick(list, Qt::Key_End, Qt::ShiftModifier);
  QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(list->SelCount(), n - 1 - first);
}

// ---- type-ahead -----------------------------------------------------------------

TEST(ListBoxTypeAhead, LongTextsAndCharactersOutsideTheBasicPlane) {
  const QString grin = QString::fromUtf8("\xF0\x9F\x98\x80"), smile = QString::fromUtf8("\xF0\x9F\x98\x83");
  const QString zhong = QString::fromUtf8("\xE4\xB8\xAD"), wen = QString::fromUtf8("\xE6\x96\x87");
  const QString guo = QString::fromUtf8("\xE5\x9B\xBD"), ri = QString::fromUtf8("\xE6\x97\xA5");
  const struct {
    bool autoComplete;
    QStringList items;
    QStringList keys;  // the text of each key typed
    int expected;
  } cases[] = {
      {true, {"abc", "abd"}, {"a", "b", "c", "d", "e", "f", "g", "h"}, 0},
      {true, {"abc", "abd"}, {"x", "y", "z"}, -1},
      {false, {grin + " a", smile + " b", grin + " c"}, {smile}, 1},
      {false, {grin + " a", smile + " b", grin + " c"}, {grin, grin}, 2},
      {true, {grin + " a", smile + " b"}, {smile}, 1},
      {true, {zhong + guo, zhong + wen, ri}, {zhong, wen}, 1},
      {false, {zhong + guo, zhong + wen, ri}, {ri}, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys.join(u'|').toStdString());
    TsfSkinListBox box;
    box.show();
    box.SetItems(c.items);
    box.SetAutoComplete(c.autoComplete);
    TsfListBox* list = box.ListBox();
    qint64 now = 0;
    list->Clock = [&now] { return now += 10; };
    for (const QString& k : c.keys) QTest::sendKeyEvent(QTest::Click, list, Qt::Key_unknown, k, {});
    EXPECT_EQ(box.ItemIndex(), c.expected);
  }
}

// ---- tab order --------------------------------------------------------------------

TEST(ListBoxTabPlaces, HiddenSiblingsKeepTheirPlaceAndDestroyedOnesGiveItUp) {
  QWidget window;
  QPointer<TsfSkinListBox> boxes[3];
  for (auto& b : boxes) b = new TsfSkinListBox(&window);
  window.show();
  SetTabOrderOf(boxes[2], 0);
  EXPECT_EQ(TabOrderOf(boxes[2]), 0);
  EXPECT_EQ(TabOrderOf(boxes[0]), 1);
  boxes[0]->hide();
  EXPECT_EQ(TabOrderOf(boxes[0]), 1);
  delete boxes[0].data();
  EXPECT_EQ(TabOrderOf(boxes[2]), 0);
  EXPECT_EQ(TabOrderOf(boxes[1]), 1);
  SetTabOrderOf(boxes[2], 1000);
  EXPECT_EQ(TabOrderOf(boxes[2]), 1);
  EXPECT_EQ(TabOrderOf(boxes[1]), 0);
}
