#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <functional>
#include <utility>

#include "platform/display_watch.h"

namespace {
// Runs the reports the watch left for the event loop.
void FlushQueued() { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); }

// The ways a window learns that the displays changed: the screen's signals as
// Qt emits them, and the event Qt sends a widget whose window moved to
// another screen (Qt goes on using the widget after its filters ran).
const std::pair<const char*, std::function<void(QWidget*)>> kTriggers[] = {
    {"work area",
     [](QWidget* w) { emit w->screen()->availableGeometryChanged(w->screen()->availableGeometry()); }},
    {"screen size", [](QWidget* w) { emit w->screen()->geometryChanged(w->screen()->geometry()); }},
    {"another screen",
     [](QWidget* w) {
       QEvent e(QEvent::ScreenChangeInternal);
       QCoreApplication::sendEvent(w, &e);
     }},
};
}  // namespace

// A handler told of a display change may destroy the window it watches (a
// form closing itself when its screen went): nothing of it is used after.
TEST(DisplayWatchTest, AHandlerMayDestroyTheWindowItWatches) {
  for (const auto& [how, trigger] : kTriggers) {
    SCOPED_TRACE(how);
    QPointer<QWidget> window(new QWidget);
    new QWidget(window);  // Qt visits the children after the window
    int calls = 0;
    QSize told;
    WatchDisplays(window, [&](QSize screen) {
      ++calls;
      told = screen;
      delete window.data();
    });
    ASSERT_NE(window->screen(), nullptr);
    const QSize expected = window->screen()->geometry().size();
    trigger(window);
    FlushQueued();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(told, expected);
    EXPECT_TRUE(window.isNull());
  }
}

// A window that goes before a move to another screen is reported is not
// reported at all.
TEST(DisplayWatchTest, AWindowDestroyedBeforeTheReportIsNotReported) {
  auto* window = new QWidget;
  int calls = 0;
  WatchDisplays(window, [&](QSize) { ++calls; });
  QEvent e(QEvent::ScreenChangeInternal);
  QCoreApplication::sendEvent(window, &e);
  delete window;
  FlushQueued();
  EXPECT_EQ(calls, 0);
}
