// Controls linked to an action: they show its state as it changes, a click
// runs it unless the control has an OnClick of its own, and a handler may
// destroy the control or the action.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "platform/action.h"
#include "platform/form.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "tests/skin/controls/window_fixture.h"

using namespace ctltest;

TEST(SkinAction, ButtonAndBoxShowTheActionsStateAsItChanges) {
  ActiveForm w;
  TAction action;
  action.SetCaption(QStringLiteral("Save"));
  action.SetEnabled(false);
  auto* button = AddShown<TsfSkinButton>(&w.form, 10, &action);
  auto* box = AddShown<TsfSkinCheckRadioBox>(&w.form, 10, &action);
  for (TControl* c : {static_cast<TControl*>(button), static_cast<TControl*>(box)}) {
    EXPECT_EQ(c->Caption(), QStringLiteral("Save")) << "taken when linked";
    EXPECT_FALSE(c->Enabled());
  }
  action.SetCaption(QStringLiteral("Save all"));
  action.SetEnabled(true);
  action.SetVisible(false);
  for (TControl* c : {static_cast<TControl*>(button), static_cast<TControl*>(box)}) {
    EXPECT_EQ(c->Caption(), QStringLiteral("Save all"));
    EXPECT_TRUE(c->Enabled());
    EXPECT_FALSE(c->isVisible());
  }
  // The action's checked state checks the box without clicking anything.
  int executed = 0, boxClicks = 0;
  action.OnExecute = [&](TObject*) { ++executed; };
  action.SetChecked(true);
  EXPECT_TRUE(box->Checked());
  EXPECT_EQ(executed, 0);
  box->OnClick = [&](TObject*) { ++boxClicks; };
  action.SetChecked(false);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(boxClicks, 0);
  // Unlinked: changes no longer reach the controls.
  button->SetAction(nullptr);
  action.SetCaption(QStringLiteral("Other"));
  EXPECT_EQ(button->Caption(), QStringLiteral("Save all"));
  EXPECT_EQ(box->Caption(), QStringLiteral("Other"));
}

TEST(SkinAction, AClickRunsTheActionUnlessTheControlHasItsOwnOnClick) {
  ActiveForm w;
  TAction action;
  int executed = 0, own = 0;
  action.OnExecute = [&](TObject* sender) {
    EXPECT_EQ(sender, &action);
    ++executed;
  };
  auto* button = AddShown<TsfSkinButton>(&w.form, 10, &action);
  auto* box = AddShown<TsfSkinCheckRadioBox>(&w.form, 10, &action);
  box->move(10, 50);

  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 12));
  EXPECT_EQ(executed, 1);
  QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, 12));
  EXPECT_EQ(executed, 2);
  EXPECT_TRUE(box->Checked()) << "the box still toggles";

  // A disabled action runs nothing (and disables its controls).
  action.SetEnabled(false);
  button->PerformClick();
  EXPECT_EQ(executed, 2);
  action.SetEnabled(true);

  // The control's own OnClick takes the click instead.
  button->OnClick = [&](TObject*) { ++own; };
  QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(20, 12));
  EXPECT_EQ(own, 1);
  EXPECT_EQ(executed, 2);
}

TEST(SkinAction, HandlersMayDestroyTheControlOrTheAction) {
  ActiveForm w;
  auto* action = new TAction();
  QPointer<TsfSkinButton> button = AddShown<TsfSkinButton>(&w.form, 10, action);
  action->OnExecute = [&](TObject*) { delete button.data(); };
  QTest::mousePress(button.data(), Qt::LeftButton, {}, QPoint(20, 12));
  QTest::mouseRelease(button.data(), Qt::LeftButton, {}, QPoint(20, 12));
  EXPECT_TRUE(button.isNull());

  QPointer<TsfSkinCheckRadioBox> box = AddShown<TsfSkinCheckRadioBox>(&w.form, 10, action);
  action->OnExecute = [&](TObject*) { delete action; };
  QTest::mouseClick(box.data(), Qt::LeftButton, {}, QPoint(8, 12));
  ASSERT_FALSE(box.isNull());
  EXPECT_EQ(box->Action(), nullptr) << "a destroyed action is forgotten";
  box->SetChecked(false);  // clicks nothing, touches nothing freed
  EXPECT_FALSE(box->Checked());
}
