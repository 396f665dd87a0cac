// Dialog keys whose handler deletes the control that took them, and memo
// bars outliving, changing or losing the memo they scroll.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include "skin/controls/memo.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "tests/skin/controls/control_fixture.h"
#include "tests/skin/controls/window_fixture.h"

using namespace ctltest;

// Each key reaches a control whose click deletes it; the key goes through
// the window as a person's would, and the window stays usable.
TEST(DialogKeysStranger, AControlDeletedByItsOwnKeyLeavesTheWindowWorking) {
  struct Case {
    const char* what;
    bool checkBox;
    bool focusIt;  // the deleted control has the focus when the key comes
    Qt::Key key;
    Qt::KeyboardModifiers mods;
  };
  const Case cases[] = {
      {"default button, Enter", false, false, Qt::Key_Return, Qt::NoModifier},
      {"focused button, Enter", false, true, Qt::Key_Return, Qt::NoModifier},
      {"cancel button, Esc", false, false, Qt::Key_Escape, Qt::NoModifier},
      {"button accelerator with Alt", false, false, Qt::Key_S, Qt::AltModifier},
      {"button accelerator typed on itself", false, true, Qt::Key_S, Qt::NoModifier},
      {"check box accelerator with Alt", true, false, Qt::Key_S, Qt::AltModifier},
      {"check box accelerator typed on itself", true, true, Qt::Key_S, Qt::NoModifier},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ActiveForm w;
    auto* plain = new TCustomControl(&w.form);  // takes no key itself
    plain->SetTabStop(true);
    plain->SetBounds(10, 150, 50, 30);
    plain->show();
    auto* other = AddShown<TsfSkinButton>(&w.form, 100);
    other->SetCaption(QStringLiteral("Other"));
    int otherClicks = 0;
    other->OnClick = [&](TObject*) { ++otherClicks; };
    QPointer<TWinControl> doomed;
    int fired = 0;
    if (c.checkBox) {
      auto* box = AddShown<TsfSkinCheckRadioBox>(&w.form, 10);
      box->SetCaption(QStringLiteral("&Save"));
      box->OnClick = [&, box](TObject*) {
        ++fired;
        delete box;
      };
      doomed = box;
    } else {
      auto* b = AddShown<TsfSkinButton>(&w.form, 10);
      b->SetCaption(QStringLiteral("&Save"));
      b->SetDefault(true);
      b->Cancel = true;
      b->OnClick = [&, b](TObject*) {
        ++fired;
        delete b;
      };
      doomed = b;
    }
    (c.focusIt ? static_cast<QWidget*>(doomed.data()) : plain)->setFocus();
    ASSERT_TRUE(w.form.focusWidget() != nullptr);
    QTest::keyClick(w.form.windowHandle(), c.key, c.mods);
    EXPECT_EQ(fired, 1);
    EXPECT_TRUE(doomed.isNull());
    // The window goes on taking keys.
    other->setFocus();
    QTest::keyClick(w.form.windowHandle(), Qt::Key_Return);
    EXPECT_EQ(otherClicks, 1);
  }
}

TEST(MemoBarsStranger, TheMemoDeletedWhileItsBarRepeatsLeavesTheBarAlone) {
  TCustomControl panel;
  panel.SetBounds(0, 0, 240, 120);
  auto* bar = new TsfSkinScrollBar(&panel);
  bar->SetKind(sbVertical);
  bar->SetBounds(220, 0, 19, 120);
  auto* memo = new TsfSkinMemo(&panel);
  memo->SetBounds(0, 0, 220, 120);
  memo->SetVScrollBar(bar);
  panel.show();
  memo->SetText(Lines(200));
  QApplication::processEvents();
  ASSERT_TRUE(bar->Enabled());
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(9, bar->Height() - 8));
  const int held = bar->Position();
  ASSERT_GT(held, 0);
  delete memo;
  ASSERT_TRUE(bar->RepeatTimer());
  bar->RepeatTimer()->OnTimer(bar->RepeatTimer());
  bar->RepeatTimer()->OnTimer(bar->RepeatTimer());
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(9, bar->Height() - 8));
  EXPECT_GT(bar->Position(), held) << "the bar goes on by itself";
}

// A bar handed from one memo to another scrolls the second, whatever
// becomes of the first.
TEST(MemoBarsStranger, ABarHandedOnScrollsItsNewMemoWhateverBecomesOfTheOld) {
  for (const bool deleteOld : {false, true}) {
    SCOPED_TRACE(deleteOld ? "old memo deleted" : "old memo given no bar");
    TCustomControl panel;
    panel.SetBounds(0, 0, 480, 120);
    auto* bar = new TsfSkinScrollBar(&panel);
    bar->SetKind(sbVertical);
    bar->SetBounds(460, 0, 19, 120);
    auto* first = new TsfSkinMemo(&panel);
    first->SetBounds(0, 0, 220, 120);
    auto* second = new TsfSkinMemo(&panel);
    second->SetBounds(230, 0, 220, 120);
    panel.show();
    first->SetText(Lines(200));
    second->SetText(Lines(200));
    first->SetVScrollBar(bar);
    second->SetVScrollBar(bar);
    EXPECT_EQ(first->VScrollBar(), nullptr) << "a bar serves one memo";
    if (deleteOld) delete first;
    else first->SetVScrollBar(nullptr);
    QApplication::processEvents();
    ASSERT_TRUE(bar->Enabled());
    bar->SetPosition(40);
    EXPECT_EQ(second->Editor()->verticalScrollBar()->value(), 40);
  }
}
