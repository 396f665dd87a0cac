// Display changes delivered to skinned windows whose handlers tear down what
// called them, and window states on skins and work areas at their limits.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QScreen>
#include <QTest>
#include <functional>
#include <memory>
#include <vector>

#include "platform/display_watch.h"
#include "skin/form/skin_form.h"
#include "skin/render/window_helpers.h"
#include "tests/skin/form/form_fixture.h"

namespace {

using formtest::FlushDeletes;

// The reports a move to another screen left for the event loop.
void FlushQueued() { QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall); }

struct Window {
  QPointer<TForm> form;
  QPointer<TsfSkinForm> skinner;
};

// A skinned window whose own window procedure (below the skinner's) runs
// `onDisplayChange` when the displays changed.
Window OpenWindow(TsfSkinData* skin, const QRect& bounds, std::function<void()>* onDisplayChange) {
  Window w;
  w.form = new TForm();
  auto previous = w.form->WindowProc;
  w.form->WindowProc = [previous, onDisplayChange](TMessage& m) {
    if (m.Msg == WM_DISPLAYCHANGE && *onDisplayChange) {
      (*onDisplayChange)();  // may delete the window: nothing of it used after
      return;
    }
    previous(m);
  };
  w.skinner = new TsfSkinForm(w.form);
  w.skinner->SetSkinData(skin);
  w.form->setGeometry(bounds);
  w.form->Show();
  return w;
}

// A work area and the monitor around it, as a display change leaves them.
struct Area {
  const char* name;
  TRect work, monitor;
};

// Several windows larger than the work area take a display change; the
// window procedures of some delete a window (their own, another one not yet
// told, or their own skinner) or re-skin it. Every survivor is fitted to the work area.
TEST(DisplayChangeStrangerTest, WindowsDeletedWhileADisplayChangeIsDelivered) {
  formtest::TinySkin skin, other;
  const std::pair<const char*, std::function<void(QWidget*)>> triggers[] = {
      {"work area",
       [](QWidget* w) {
         emit w->screen()->availableGeometryChanged(w->screen()->availableGeometry());
       }},
      {"another screen",
       [](QWidget* w) {
         QEvent e(QEvent::ScreenChangeInternal);
         QCoreApplication::sendEvent(w, &e);
       }},
  };
  for (const auto& [how, trigger] : triggers) {
    SCOPED_TRACE(how);
    const bool eachWindow = std::string(how) == "another screen";
    std::function<void()> handlers[5];
    std::vector<Window> w;
    for (std::function<void()>& h : handlers)
      w.push_back(OpenWindow(skin.data.get(), QRect(0, 0, 300, 200), &h));
    TRect A;
    GetWorkArea(w[0].form, true, A);
    const QRect larger(A.Left + 10, A.Top + 10, A.Width() + 200, A.Height() + 100);
    for (Window& x : w) x.form->setGeometry(larger);
    handlers[0] = [&] { delete w[0].form.data(); };
    handlers[1] = [&] { delete w[2].form.data(); };
    handlers[3] = [&] { delete w[3].skinner.data(); };
    handlers[4] = [&] { w[4].skinner->SetSkinData(other.data.get()); };
    for (Window& x : w)
      if (x.form && (eachWindow || &x == &w[0])) trigger(x.form);
    FlushQueued();
    EXPECT_TRUE(w[0].form.isNull());
    EXPECT_TRUE(w[2].form.isNull());
    ASSERT_FALSE(w[3].form.isNull());
    EXPECT_TRUE(w[3].skinner.isNull());
    for (int i : {1, 3, 4}) {
      ASSERT_FALSE(w[size_t(i)].form.isNull()) << i;
      EXPECT_EQ(w[size_t(i)].form->geometry(), A.toQRect()) << i;
    }
    EXPECT_EQ(w[4].skinner->SkinData(), other.data.get());
    for (Window& x : w) delete x.form.data();
    FlushDeletes();
  }
}

// A skin whose client area covers its whole picture (no caption, so a
// minimised window has no height) and whose windows are wider than any
// screen: a second minimised window finds no free place in the row and none
// in the rows above it; it takes the first place instead of searching on.
TEST(DisplayChangeStrangerTest, MinimisingWhereNoPlaceIsFree) {
  QByteArray text(formtest::kSkinText);
  text.replace("clientrect=10,30,90,95", "clientrect=10,0,90,100\r\nformminwidth=5000");
  formtest::TinySkin skin(text);
  std::function<void()> none;
  Window a = OpenWindow(skin.data.get(), QRect(0, 0, 300, 200), &none);
  Window b = OpenWindow(skin.data.get(), QRect(0, 0, 300, 200), &none);
  TRect A;
  GetWorkArea(a.form, true, A);
  for (Window* x : {&a, &b}) {
    x->skinner->SetSkinWindowState(wsMinimized);
    EXPECT_EQ(x->skinner->SkinWindowState(), wsMinimized);
    EXPECT_EQ(x->form->x(), A.Left);
    EXPECT_EQ(x->form->width(), 5000);
  }
  EXPECT_EQ(b.form->pos(), a.form->pos());
  // A display change places them again, the same way.
  emit a.form->screen()->availableGeometryChanged(a.form->screen()->availableGeometry());
  EXPECT_EQ(b.form->pos(), a.form->pos());
  EXPECT_EQ(b.form->x(), A.Left);
  delete a.form.data();
  delete b.form.data();
}

// Work areas at their limits: none, left of and above the origin, a single
// pixel, far larger than any window. A maximised window takes the work area
// (not below its minimum size), a minimised one its bottom-left corner, a
// normal one is left where it is when it fits and lies on the work area, and
// is put onto it when not; with no work area every window stays as it was.
TEST(DisplayChangeStrangerTest, WorkAreasAtTheirLimits) {
  formtest::TinySkin skin;
  std::function<void()> none;
  Window w = OpenWindow(skin.data.get(), QRect(100, 100, 300, 200), &none);
  const Area areas[] = {
      {"none", TRect(), TRect()},
      {"left of and above the origin", Bounds(-1600, -900, 1600, 870), Bounds(-1600, -900, 1600, 900)},
      {"one pixel", Bounds(0, 0, 1, 1), Bounds(0, 0, 1, 1)},
      {"huge", Bounds(0, 0, 100000, 100000), Bounds(0, 0, 100000, 100000)},
  };
  const TsfWindowState states[] = {wsNormal, wsMaximized, wsMinimized};
  for (const Area& area : areas)
    for (TsfWindowState state : states)
      for (bool rolledUp : {false, true}) {
        SCOPED_TRACE(std::string(area.name) + ", state " + std::to_string(int(state)) +
                     (rolledUp ? ", rolled up" : ""));
        w.form->setGeometry(100, 100, 300, 200);
        w.skinner->SetRollUpState(rolledUp);
        w.skinner->SetSkinWindowState(state);
        const QRect before = w.form->geometry();
        OverrideScreenAreas(TScreenAreas{area.work, area.monitor});
        emit w.form->screen()->availableGeometryChanged(w.form->screen()->availableGeometry());
        const QRect after = w.form->geometry();
        const QRect A = area.work.toQRect();
        if (A.isEmpty()) {
          EXPECT_EQ(after, before);
        } else if (state == wsMaximized) {
          // Never below its minimum size (100 x 35: the frame without client).
          const QRect M = MaximizedBounds(area.work, area.monitor, false).toQRect();
          EXPECT_EQ(after.topLeft(), M.topLeft());
          EXPECT_EQ(after.width(), std::max(M.width(), 100));
          EXPECT_EQ(after.height(), rolledUp ? 35 : std::max(M.height(), 35));
        } else if (state == wsMinimized) {
          EXPECT_EQ(after.x(), A.x());
          EXPECT_EQ(after.y() + after.height(), A.y() + A.height());
        } else if (A.intersects(before) && before.width() <= A.width() &&
                   before.height() <= A.height()) {
          EXPECT_EQ(after, before);
        } else {
          // Not below its minimum size, on the work area as far as it fits.
          EXPECT_GE(after.width(), 100);
          EXPECT_LE(after.width(), std::max(100, A.width()));
          if (after.width() <= A.width() && after.height() <= A.height()) {
            EXPECT_TRUE(A.contains(after));
          } else {
            EXPECT_EQ(after.topLeft(), A.topLeft());
          }
        }
        OverrideScreenAreas(std::nullopt);
        w.skinner->SetSkinWindowState(wsNormal);
        w.skinner->SetRollUpState(false);
      }
  delete w.form.data();
}

// A window rolled up when the work area shrank unrolls to a height the new
// work area holds (maximised: the new maximised height).
TEST(DisplayChangeStrangerTest, ARolledUpWindowUnrollsWithinTheNewWorkArea) {
  formtest::TinySkin skin;
  std::function<void()> none;
  Window w = OpenWindow(skin.data.get(), QRect(10, 10, 300, 400), &none);
  const TRect work = Bounds(0, 0, 640, 150), monitor = Bounds(0, 0, 640, 180);
  for (TsfWindowState state : {wsNormal, wsMaximized}) {
    SCOPED_TRACE(int(state));
    w.form->setGeometry(10, 10, 300, 400);
    w.skinner->SetSkinWindowState(state);
    w.skinner->SetRollUpState(true);
    OverrideScreenAreas(TScreenAreas{work, monitor});
    emit w.form->screen()->availableGeometryChanged(w.form->screen()->availableGeometry());
    w.skinner->SetRollUpState(false);
    EXPECT_EQ(w.form->height(), 150);
    if (state == wsMaximized) {
      EXPECT_EQ(w.form->geometry(), work.toQRect());
    }
    OverrideScreenAreas(std::nullopt);
    w.skinner->SetSkinWindowState(wsNormal);
  }
  delete w.form.data();
}

// A maximised or minimised window whose part of the screens went, or whose
// work area shrank below its size, restores onto the new work area, not to
// where it was.
TEST(DisplayChangeStrangerTest, AWindowRestoresOntoTheNewWorkArea) {
  formtest::TinySkin skin;
  std::function<void()> none;
  Window w = OpenWindow(skin.data.get(), QRect(900, 500, 300, 200), &none);
  const Area areas[] = {
      {"elsewhere", Bounds(-1600, -900, 1600, 870), Bounds(-1600, -900, 1600, 900)},
      {"smaller than the window", Bounds(0, 0, 250, 150), Bounds(0, 0, 250, 180)},
  };
  for (const Area& area : areas)
    for (TsfWindowState state : {wsMaximized, wsMinimized}) {
      SCOPED_TRACE(std::string(area.name) + ", state " + std::to_string(int(state)));
      w.form->setGeometry(900, 500, 300, 200);
      w.skinner->SetSkinWindowState(state);
      OverrideScreenAreas(TScreenAreas{area.work, area.monitor});
      emit w.form->screen()->availableGeometryChanged(w.form->screen()->availableGeometry());
      w.skinner->SetSkinWindowState(wsNormal);
      const QRect A = area.work.toQRect(), after = w.form->geometry();
      if (after.width() <= A.width() && after.height() <= A.height()) {
        EXPECT_TRUE(A.contains(after)) << after.x() << "," << after.y() << " " << after.width() << "x" << after.height();
      } else {
        // Larger than the work area only as far as its minimum size needs.
        EXPECT_EQ(after.topLeft(), A.topLeft());
        EXPECT_LE(after.width(), std::max(100, A.width()));
      }
      OverrideScreenAreas(std::nullopt);
    }
  delete w.form.data();
}

}  // namespace
