// Hostile uses of actions, arrow-key navigation, held Space and roll-up:
// handlers that destroy the control, the action or the form, or relink and
// resize while the control is still working.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "control_fixture.h"
#include "platform/action.h"
#include "platform/form.h"
#include "skin/controls/dialog_keys.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "skin/controls/skin_panel.h"
#include "tests/skin/controls/window_fixture.h"

using namespace ctltest;

namespace {

struct Window {
  Window() : form(new TForm) { ShowActive(*form, 300, 200); }
  ~Window() { delete form.data(); }
  QPointer<TForm> form;
};

}  // namespace

TEST(StrangerAction, DestroyingEitherSideOfALinkLeavesTheOtherWorking) {
  for (bool box : {false, true}) {
    SCOPED_TRACE(box);
    Window w;
    auto* action = new TAction;
    action->SetCaption(QStringLiteral("Go"));
    TControl* c = box ? static_cast<TControl*>(AddShown<TsfSkinCheckRadioBox>(w.form, 10, action))
                      : static_cast<TControl*>(AddShown<TsfSkinButton>(w.form, 10, action));
    delete action;
    if (box) EXPECT_EQ(static_cast<TsfSkinCheckRadioBox*>(c)->Action(), nullptr);
    else EXPECT_EQ(static_cast<TsfSkinButton*>(c)->Action(), nullptr);
    QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(5, 5));  // nothing to run
    EXPECT_EQ(c->Caption(), QStringLiteral("Go"));

    TAction second;
    if (box) static_cast<TsfSkinCheckRadioBox*>(c)->SetAction(&second);
    else static_cast<TsfSkinButton*>(c)->SetAction(&second);
    delete c;
    second.SetCaption(QStringLiteral("After"));
    second.SetChecked(true);
    second.SetEnabled(false);
    EXPECT_EQ(second.Caption(), QStringLiteral("After"));
  }
}

TEST(StrangerAction, OnExecuteMayDestroyTheControlTheActionOrTheForm) {
  enum Victim { Control, Action, Form };
  for (bool box : {false, true})
    for (Victim victim : {Control, Action, Form}) {
      SCOPED_TRACE(testing::Message() << "box " << box << " victim " << victim);
      Window w;
      auto* action = new TAction;
      QPointer<TAction> actionAlive(action);
      QPointer<TControl> c = box ? static_cast<TControl*>(AddShown<TsfSkinCheckRadioBox>(w.form, 10, action))
                                 : static_cast<TControl*>(AddShown<TsfSkinButton>(w.form, 10, action));
      int runs = 0;
      action->OnExecute = [&](TObject*) {
        ++runs;
        if (victim == Control) delete c.data();
        else if (victim == Action) delete action;
        else delete w.form.data();
      };
      QTest::mouseClick(c, Qt::LeftButton, {}, QPoint(5, 5));
      EXPECT_EQ(runs, 1);
      EXPECT_EQ(c.isNull(), victim != Action);
      EXPECT_EQ(actionAlive.isNull(), victim == Action);
      delete actionAlive.data();
    }
}

TEST(StrangerAction, RelinkingInsideChangedFollowsTheNewAction) {
  for (bool before : {false, true}) {
    SCOPED_TRACE(before);
    Window w;
    TAction first, second;
    second.SetCaption(QStringLiteral("Second"));
    TsfSkinCheckRadioBox* box = nullptr;
    auto relink = [&] {
      if (box && box->Action() == &first) box->SetAction(&second);
    };
    if (before) QObject::connect(&first, &TAction::Changed, relink);
    box = AddShown<TsfSkinCheckRadioBox>(w.form, 10, &first);
    if (!before) QObject::connect(&first, &TAction::Changed, relink);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    first.SetChecked(true);
    EXPECT_EQ(box->Action(), &second);
    EXPECT_EQ(box->Caption(), QStringLiteral("Second"));
    EXPECT_FALSE(box->Checked()) << "shows the second action, unchecked";
    EXPECT_EQ(clicks, 0) << "showing an action's state is no click";
    first.SetCaption(QStringLiteral("Stale"));
    EXPECT_EQ(box->Caption(), QStringLiteral("Second"));
    second.SetCaption(QStringLiteral("Fresh"));
    EXPECT_EQ(box->Caption(), QStringLiteral("Fresh"));
  }
}

// ---- arrow keys ---------------------------------------------------------------

TEST(StrangerArrows, NoOtherControlToTakeTheFocus) {
  struct Case {
    const char* name;
    int others;
    bool disable, hide;
  };
  for (const Case& k : {Case{"alone", 0, false, false}, Case{"others disabled", 2, true, false},
                        Case{"others hidden", 2, false, true}}) {
    SCOPED_TRACE(k.name);
    Window w;
    auto* from = AddShown<TsfSkinButton>(w.form, 10);
    for (int i = 0; i < k.others; ++i) {
      auto* o = AddShown<TsfSkinCheckRadioBox>(w.form, 40 + 30 * i);
      if (k.disable) o->SetEnabled(false);
      if (k.hide) o->SetVisible(false);
    }
    from->SetFocus();
    ASSERT_TRUE(from->hasFocus());
    for (WORD vk : {WORD(VK_LEFT), WORD(VK_UP), WORD(VK_RIGHT), WORD(VK_DOWN)}) {
      WORD key = vk;
      EXPECT_EQ(NavigateByArrow(from, key, {}), nullptr);
      EXPECT_EQ(key, 0);
      EXPECT_TRUE(from->hasFocus());
    }
    WORD shifted = VK_RIGHT;
    EXPECT_EQ(NavigateByArrow(from, shifted, ssShift), nullptr);
    EXPECT_EQ(shifted, VK_RIGHT) << "a modified arrow is left alone";
  }
}

TEST(StrangerArrows, HandlersDestroyingControlsAroundTheMove) {
  // A key handler that destroys the next control before the move, and a
  // focus handler that destroys the control the focus leaves.
  enum Victim { NextOnKeyDown, FromOnFocusChange };
  for (bool boxes : {false, true})
    for (Victim victim : {NextOnKeyDown, FromOnFocusChange}) {
      SCOPED_TRACE(testing::Message() << "boxes " << boxes << " victim " << victim);
      Window w;
      auto make = [&](int top) -> TWinControl* {
        if (!boxes) return AddShown<TsfSkinButton>(w.form, top);
        auto* b = AddShown<TsfSkinCheckRadioBox>(w.form, top);
        b->SetRadio(true);
        b->GroupIndex = 1;
        return b;
      };
      QPointer<QWidget> from = make(10), next = make(40), last = make(70);
      static_cast<TControl*>(from.data())->OnKeyDown = [&](TObject*, WORD&, TShiftState) {
        if (victim == NextOnKeyDown) delete next.data();
      };
      static_cast<TWinControl*>(from.data())->SetFocus();
      ASSERT_TRUE(from->hasFocus());
      auto conn = QObject::connect(qApp, &QApplication::focusChanged, [&](QWidget* old, QWidget*) {
        if (victim == FromOnFocusChange && old && old == from) delete from.data();
      });
      QTest::keyClick(from, Qt::Key_Down);
      QObject::disconnect(conn);
      if (victim == NextOnKeyDown) {
        EXPECT_TRUE(next.isNull());
        EXPECT_TRUE(last->hasFocus()) << "the focus skips the destroyed control";
      } else {
        EXPECT_TRUE(from.isNull());
        EXPECT_TRUE(next->hasFocus());
      }
      if (boxes) {
        EXPECT_TRUE(static_cast<TsfSkinCheckRadioBox*>(victim == NextOnKeyDown ? last.data() : next.data())->Checked())
            << "arrowing onto a radio of the group checks it";
      }
    }
}

// ---- held Space ----------------------------------------------------------------

TEST(StrangerSpace, AHandlerDestroyingTheButtonOnSpaceOrEnter) {
  struct Case {
    const char* name;
    bool repeat;
    Qt::Key key;
  };
  for (const Case& k : {Case{"space released", false, Qt::Key_Space},
                        Case{"space pressed, repeating", true, Qt::Key_Space},
                        Case{"enter", false, Qt::Key_Return}}) {
    SCOPED_TRACE(k.name);
    Window w;
    QPointer<TsfSkinButton> b = AddShown<TsfSkinButton>(w.form, 10);
    b->RepeatMode = k.repeat;
    b->SetFocus();
    int clicks = 0;
    b->OnClick = [&](TObject*) {
      ++clicks;
      delete b.data();
    };
    ctltest::HoldKey(b, k.key, k.key == Qt::Key_Space ? QStringLiteral(" ") : QStringLiteral("\r"), 0);
    if (b) QTest::keyRelease(b, k.key);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(b.isNull());
  }
}

// ---- roll-up -------------------------------------------------------------------

TEST(StrangerRollUp, HandlersChangingTheSizeWhileRolling) {
  struct Case {
    const char* name;
    bool inResize;  // else in OnChangeRollUpState
  };
  for (const Case& k : {Case{"resized on change", false}, Case{"resized on resize", true}}) {
    SCOPED_TRACE(k.name);
    Window w;
    auto* panel = new TsfSkinPanel(w.form);
    panel->SetBounds(0, 0, 120, 100);
    panel->show();
    auto* child = new TsfSkinPanel(panel);
    child->show();
    panel->SetRollUpMode(true);
    bool resizing = false;
    auto grow = [&] {
      if (resizing) return;
      resizing = true;
      panel->SetBounds(0, 0, 120, 150);
      resizing = false;
    };
    if (k.inResize) panel->OnResize = [&](TObject*) { if (panel->RollUpState()) grow(); };
    else panel->OnChangeRollUpState = [&](TObject*) { if (panel->RollUpState()) grow(); };
    panel->SetRollUpState(true);
    EXPECT_TRUE(panel->RollUpState());
    EXPECT_FALSE(child->Visible());
    panel->OnResize = nullptr;
    panel->OnChangeRollUpState = nullptr;
    panel->SetRollUpState(false);
    EXPECT_EQ(panel->Height(), 100) << "unrolls to the height before the roll-up";
    EXPECT_TRUE(child->Visible());
    EXPECT_EQ(panel->RealHeight(), -1);
  }
}
