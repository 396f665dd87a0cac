// Activation of a skinned window with the pointer resting on a caption
// button, as an unfriendly platform and unfriendly handlers make it: storms
// of activations and deactivations, and activation or object events that
// reload the skin, activate the window again or delete it. The button under
// the pointer must still click, its enter and leave events must pair up, and
// nothing may touch a window a handler destroyed.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <functional>

#include "tests/skin/form/hostile_form_fixture.h"

namespace {

using formtest::Centre;
using formtest::FlushDeletes;

class ActivationStrangerTest : public formtest::HostileFormTest {
 protected:
  void Opened() override {
    // Every enter and leave of the close button, in order.
    skinner->OnMouseEnterEvent = [this](const QString& id) {
      if (id == QLatin1String("closebutton")) events += QLatin1Char('E');
      if (onEnter) onEnter();
    };
    skinner->OnMouseLeaveEvent = [this](const QString& id) {
      if (id == QLatin1String("closebutton")) events += QLatin1Char('L');
    };
  }
  QPoint Close() const {
    TsfActiveSkinObject* o = skinner->FindObject(QStringLiteral("closebutton"));
    return o ? Centre(o->ObjectRect) : QPoint();
  }
  void MoveOnto(QPoint at) { formtest::Hover(form, at); }
  void Send(QEvent::Type type) {
    QEvent e(type);
    if (form) QApplication::sendEvent(form, &e);
  }
  // Enters and leaves alternate, starting with an enter.
  static bool Paired(const QString& events) {
    for (int i = 0; i < events.size(); ++i)
      if (events[i] != (i % 2 ? QLatin1Char('L') : QLatin1Char('E'))) return false;
    return true;
  }

  QString events;
  std::function<void()> onEnter;
};

TEST_F(ActivationStrangerTest, StormsOfActivationLeaveTheButtonClickableAndItsEventsPaired) {
  struct Case {
    const char* name;
    std::vector<QEvent::Type> storm;
    bool moveBetween;  // the pointer twitches on the button after each change
  };
  const Case cases[] = {
      {"activations", {QEvent::WindowActivate, QEvent::WindowActivate}, false},
      {"activations with moves", {QEvent::WindowActivate, QEvent::WindowActivate}, true},
      {"deactivate, activate", {QEvent::WindowDeactivate, QEvent::WindowActivate}, false},
      {"deactivate, activate with moves", {QEvent::WindowDeactivate, QEvent::WindowActivate}, true},
      {"activate, deactivate, activate",
       {QEvent::WindowActivate, QEvent::WindowDeactivate, QEvent::WindowActivate},
       true},
      {"left deactivated", {QEvent::WindowActivate, QEvent::WindowDeactivate}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    closes = 0;
    events.clear();
    MoveOnto(Close());
    ASSERT_EQ(events, QStringLiteral("E"));
    for (int round = 0; round < 50; ++round)
      for (QEvent::Type t : c.storm) {
        Send(t);
        if (c.moveBetween) MoveOnto(Close());
      }
    QTest::mouseClick(form, Qt::LeftButton, {}, Close());
    EXPECT_EQ(closes, 1);
    // The pointer leaves the window: the last enter gets its leave.
    QTest::mouseMove(form, QPoint(150, 120));
    Send(QEvent::Leave);
    EXPECT_TRUE(Paired(events)) << events.toStdString();
    EXPECT_TRUE(events.endsWith(QLatin1Char('L'))) << events.toStdString();
  }
}

TEST_F(ActivationStrangerTest, AnEnterAfterAnActivationThatTearsDownOrActivatesAgain) {
  struct Case {
    const char* name;
    std::function<void()> act;
    int closes;  // from the click that re-entered the button
  };
  const Case cases[] = {
      {"reloads the skin", [this] { skin.data->LoadSkinFile(skin.dir.filePath("skin.ini")); }, 0},
      {"sets the skin again", [this] { skinner->SetSkinData(skin.data.get()); }, 0},
      // The activation resets the button's hover once more: that press is
      // given up, as one whose skin was reloaded.
      {"activates the window again", [this] { Send(QEvent::WindowActivate); }, 0},
      {"deletes the skinner", [this] { delete skinner.data(); }, 0},
      {"deletes the window", [this] { delete form.data(); }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!form || !skinner) {
      delete form.data();
      FlushDeletes();
      Open();
    }
    closes = 0;
    MoveOnto(Close());
    Send(QEvent::WindowActivate);
    // The press re-enters the button; its enter handler acts once.
    int ran = 0;
    onEnter = [&] {
      if (ran++ == 0) c.act();
    };
    const QPoint at = Close();
    if (form) QTest::mousePress(form, Qt::LeftButton, {}, at);
    if (form) QTest::mouseRelease(form, Qt::LeftButton, {}, at);
    onEnter = nullptr;
    FlushDeletes();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(closes, c.closes);
    if (form && skinner) {
      // What is left still works: a plain click on the button closes.
      closes = 0;
      MoveOnto(QPoint(150, 120));
      MoveOnto(Close());
      QTest::mouseClick(form, Qt::LeftButton, {}, Close());
      EXPECT_EQ(closes, 1);
    }
  }
}

TEST_F(ActivationStrangerTest, ActivationHandlersThatDeleteTheWindow) {
  struct Case {
    const char* name;
    QEvent::Type event;
    bool skinnerHandler;  // the skinner's handler, else the window's own
  };
  const Case cases[] = {
      {"skinner, activation", QEvent::WindowActivate, true},
      {"skinner, deactivation", QEvent::WindowDeactivate, true},
      {"window, activation", QEvent::WindowActivate, false},
      {"window, deactivation", QEvent::WindowDeactivate, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!form) Open();
    MoveOnto(Close());
    int ran = 0;
    auto kill = [this, &ran](TObject*) {
      ++ran;
      delete form.data();
    };
    if (c.skinnerHandler) (c.event == QEvent::WindowActivate ? skinner->OnActivate : skinner->OnDeActivate) = kill;
    else (c.event == QEvent::WindowActivate ? form->OnActivate : form->OnDeactivate) = kill;
    Send(c.event);
    FlushDeletes();
    EXPECT_EQ(ran, 1);
    EXPECT_TRUE(form.isNull());
  }
}

}  // namespace
