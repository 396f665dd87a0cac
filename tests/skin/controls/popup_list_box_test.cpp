// The pop-up list box: where it drops, that it is a tool window that never
// takes the focus or the activation from its owner, and the cancel mode it
// reports for presses outside it while it shows.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>

#include "skin/controls/popup_list_box.h"

TEST(PopupListBoxPlace, DropsBelowTheOwnerOrAboveWhenTheWorkAreaEnds) {
  const TRect work(0, 0, 800, 600);
  struct Case {
    TRect owner;
    int height;
    TPoint expected;
  } cases[] = {
      {TRect(10, 100, 110, 120), 100, TPoint(10, 120)},  // room below
      {TRect(10, 480, 110, 500), 100, TPoint(10, 500)},  // ends exactly at the bottom
      {TRect(10, 481, 110, 501), 100, TPoint(10, 381)},  // one pixel too far: above
      {TRect(-5, 580, 40, 600), 60, TPoint(-5, 520)},
  };
  for (const Case& c : cases) {
    const TPoint p = DropDownPosition(c.owner, c.height, work);
    EXPECT_EQ(p.X, c.expected.X) << c.owner.Top;
    EXPECT_EQ(p.Y, c.expected.Y) << c.owner.Top;
  }
}

class PopupListBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(300, 200);
    auto* layout = new QVBoxLayout(&window);
    owner = new QLineEdit(&window);
    other = new QLineEdit(&window);
    layout->addWidget(owner);
    layout->addWidget(other);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    owner->setFocus();
    list = new TsfPopupListBox(owner);
    list->SetItems({QStringLiteral("alpha"), QStringLiteral("beta"), QStringLiteral("gamma")});
    list->SetRowCount(3);
    list->OnCancelMode = [this](QWidget* cause) { causes << cause; };
  }
  QWidget window;
  QLineEdit* owner = nullptr;
  QLineEdit* other = nullptr;
  QPointer<TsfPopupListBox> list;
  QList<QWidget*> causes;
};

TEST_F(PopupListBoxTest, IsAToolWindowThatLeavesTheFocusWithItsOwner) {
  EXPECT_FALSE(list->isVisible()) << "created hidden";
  EXPECT_TRUE(list->isWindow());
  EXPECT_EQ(list->windowType(), Qt::Tool) << "not Qt's grabbing popup type";
  EXPECT_TRUE(list->windowFlags() & Qt::WindowDoesNotAcceptFocus);
  list->DropDownFor(owner);
  ASSERT_TRUE(list->Shown());
  const QPoint below = owner->mapToGlobal(QPoint(0, owner->height()));
  EXPECT_EQ(list->pos(), below);
  EXPECT_EQ(QApplication::focusWidget(), owner);
  // A click on an item makes it current and still leaves the focus alone.
  QTest::mouseClick(list->ListBox(), Qt::LeftButton, {}, QPoint(10, 30));
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(QApplication::focusWidget(), owner);
  EXPECT_TRUE(causes.isEmpty()) << "a press inside the list is no cancel mode";
  // Keys the owner hands on move through the list.
  list->ListKey(VK_DOWN);
  EXPECT_EQ(list->ItemIndex(), 2);
  list->ListChar(QChar(u'a'));
  EXPECT_EQ(list->ItemIndex(), 0);
  list->HideList();
  EXPECT_FALSE(list->Shown());
  EXPECT_EQ(list->pos(), below) << "hiding moves nothing";
}

TEST_F(PopupListBoxTest, PressesOutsideReportCancelModeOnlyWhileShown) {
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_TRUE(causes.isEmpty()) << "hidden: nothing is watched";
  list->DropDownFor(owner);
  QTest::mouseClick(other, Qt::LeftButton);
  ASSERT_EQ(causes.size(), 1);
  EXPECT_EQ(causes[0], other);
  QTest::mouseClick(owner, Qt::LeftButton);
  ASSERT_EQ(causes.size(), 2);
  EXPECT_EQ(causes[1], owner) << "the owner decides whether its own press closes the list";
  QEvent deactivate(QEvent::ApplicationDeactivate);
  QApplication::sendEvent(qApp, &deactivate);
  ASSERT_EQ(causes.size(), 3);
  EXPECT_EQ(causes[2], nullptr);
  list->HideList();
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_EQ(causes.size(), 3);
}

TEST_F(PopupListBoxTest, AHandlerMayDestroyTheListOrItsOwnerOnCancelMode) {
  list->DropDownFor(owner);
  list->OnCancelMode = [this](QWidget*) { delete list.data(); };
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_TRUE(list.isNull());
  EXPECT_EQ(other->hasFocus(), true) << "the press went on to its widget";
  // Destroying the owner takes the list with it.
  list = new TsfPopupListBox(owner);
  list->DropDownFor(owner);
  QPointer<QLineEdit> ownerGuard(owner);
  list->OnCancelMode = [&](QWidget*) { delete ownerGuard.data(); };
  QTest::mouseClick(other, Qt::LeftButton);
  EXPECT_TRUE(ownerGuard.isNull());
  EXPECT_TRUE(list.isNull());
}
