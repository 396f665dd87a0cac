// Skinned windows offscreen with real input events: caption buttons, moving,
// sizing, maximise and roll-up, the system menu and menu mode, and the pixels
// of the frame and the region on a tiny synthetic skin.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTest>
#include <functional>

#include "platform/application.h"
#include "skin/controls/skin_changeable.h"
#include "skin/form/skin_form.h"
#include "skin/render/window_helpers.h"
#include "tests/skin/form/form_fixture.h"

namespace {

using formtest::Centre;
using formtest::Hover;
using formtest::PixelAt;

using formtest::ButtonColour;
using formtest::Src;

class SkinFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = new TForm();
    form->SetCaption(QStringLiteral("Tiny"));
    form->OnClose = [this](TObject*, TCloseAction&) { ++closes; };
    skinner = new TsfSkinForm(form);
    skinner->SetSkinData(skin.data.get());
    form->setGeometry(100, 100, 300, 200);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  }
  void TearDown() override { delete form.data(); }

  TRect Button(int command) {
    TsfSkinStdButtonObject* b = skinner->FindButton(command);
    return b ? b->ObjectRect : TRect();
  }
  void Click(const TRect& r) {
    Hover(form, Centre(r));
    QTest::mouseClick(form, Qt::LeftButton, {}, Centre(r));
  }
  QStringList MenuCaptions() {
    QStringList captions;
    TsfSkinPopupWindow* p = skinner->SkinMenu()->Deepest();
    if (!p) return captions;
    for (const TsfSkinMenuItem& line : p->Items()) captions << line.MenuItem->Caption;
    return captions;
  }

  formtest::TinySkin skin;
  QPointer<TForm> form;
  TsfSkinForm* skinner = nullptr;
  int closes = 0;
};

TEST_F(SkinFormTest, TheClientIsPlacedByTheSkinsFrame) {
  EXPECT_EQ(form->ClientArea()->geometry(), QRect(10, 30, 280, 165));
  form->resize(400, 260);
  EXPECT_EQ(form->ClientArea()->geometry(), QRect(10, 30, 380, 225));
  EXPECT_EQ(Button(0), TRect(372, 7, 388, 23));
}

TEST_F(SkinFormTest, ADesignedClientSizeIsKeptUntilTheWindowShows) {
  TForm f;
  f.SetClientSize(764, 478);
  TsfSkinForm s(&f);
  s.SetSkinData(skin.data.get());
  EXPECT_EQ(f.size(), QSize(764 + 20, 478 + 35));
  EXPECT_EQ(f.ClientArea()->size(), QSize(764, 478));
}

TEST_F(SkinFormTest, CloseButtonClosesOnlyWhenReleasedOverIt) {
  const QPoint close = Centre(Button(0));
  Hover(form, close);
  QTest::mousePress(form, Qt::LeftButton, {}, close);
  EXPECT_TRUE(skinner->FindButton(0)->Down);
  Hover(form, QPoint(150, 100 - 70));  // over the caption
  QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(150, 30));
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(form->isVisible());
  Click(Button(0));
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(form->isVisible());
}

TEST_F(SkinFormTest, TheFirstClickOnAnInactiveWindowsButtonCounts) {
  TForm other;
  other.setGeometry(500, 400, 100, 100);
  other.Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_FALSE(skinner->WindowActive());
  Click(Button(0));
  EXPECT_EQ(closes, 1);
}

TEST_F(SkinFormTest, DoubleClickOnTheSystemMenuButtonCloses) {
  const QPoint sys = Centre(Button(3));
  Hover(form, sys);
  QTest::mouseDClick(form, Qt::LeftButton, {}, sys);
  EXPECT_EQ(closes, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_FALSE(skinner->SkinMenu()->IsShowing());
  EXPECT_FALSE(skinner->InMenu());
}

TEST_F(SkinFormTest, CaptionDragMovesButNotWhenMaximised) {
  const QPoint at(150, 15);
  Hover(form, at);
  QTest::mousePress(form, Qt::LeftButton, {}, at);
  QTest::mouseMove(form, at + QPoint(30, 20));
  QTest::mouseRelease(form, Qt::LeftButton, {}, at);
  EXPECT_EQ(form->pos(), QPoint(130, 120));

  skinner->SetSkinWindowState(wsMaximized);
  const QRect maximised = form->geometry();
  Hover(form, at);
  QTest::mousePress(form, Qt::LeftButton, {}, at);
  QTest::mouseMove(form, at + QPoint(30, 20));
  QTest::mouseRelease(form, Qt::LeftButton, {}, at + QPoint(30, 20));
  EXPECT_EQ(form->geometry(), maximised);
}

TEST_F(SkinFormTest, BorderDragStopsAtTheMinimumWithTheOppositeEdgeFixed) {
  EXPECT_EQ(skinner->GetMinWidth(), 100);
  EXPECT_EQ(skinner->GetMinHeight(), 35);
  const QPoint edge(1, 100);
  Hover(form, edge);
  QTest::mousePress(form, Qt::LeftButton, {}, edge);
  QTest::mouseMove(form, edge + QPoint(250, 0));
  QTest::mouseRelease(form, Qt::LeftButton, {}, edge);
  EXPECT_EQ(form->geometry(), QRect(300, 100, 100, 200)) << "right edge stays at 400";
  EXPECT_EQ(form->ClientArea()->width(), 80);
}

TEST_F(SkinFormTest, CaptionDoubleClickMaximisesAndRestoresTheExactBounds) {
  const QRect before = form->geometry();
  TRect work;
  GetWorkArea(form, true, work);
  QTest::mouseDClick(form, Qt::LeftButton, {}, QPoint(150, 15));
  EXPECT_EQ(skinner->SkinWindowState(), wsMaximized);
  EXPECT_EQ(TRect::fromQRect(form->geometry()), MaximizedBounds(work, work, false));
  QTest::mouseDClick(form, Qt::LeftButton, {}, QPoint(150, 15));
  EXPECT_EQ(skinner->SkinWindowState(), wsNormal);
  EXPECT_EQ(form->geometry(), before);
}

TEST_F(SkinFormTest, RollUpAndUnrollRestoreTheExactHeight) {
  Click(Button(5));
  EXPECT_TRUE(skinner->RollUpState());
  EXPECT_EQ(form->height(), 35);
  EXPECT_EQ(form->ClientArea()->height(), 0);
  EXPECT_EQ(skinner->HitTest(150, 15), HTCAPTION);
  Click(Button(5));
  EXPECT_FALSE(skinner->RollUpState());
  EXPECT_EQ(form->height(), 200);
}

TEST_F(SkinFormTest, MaximisingARolledUpWindowKeepsItRolledUp) {
  const QRect rolled = (Click(Button(5)), form->geometry());
  skinner->SetSkinWindowState(wsMaximized);
  EXPECT_EQ(form->height(), 35);
  EXPECT_TRUE(skinner->RolledUpWhileMaximized());
  skinner->SetSkinWindowState(wsNormal);
  EXPECT_EQ(form->geometry(), rolled);
  EXPECT_TRUE(skinner->RollUpState());
}

// The displays change under the window: the signals Qt gives (a screen's size
// or work area changed, the window moved to another screen) reach the skinner
// as WM_DISPLAYCHANGE. The window's bounds are made stale by hand, as a
// screen that shrank would leave them.
TEST_F(SkinFormTest, ADisplayChangeFitsTheWindowToTheWorkArea) {
  TRect A, monitor;
  GetWorkArea(form, true, A);
  GetWorkArea(form, false, monitor);
  QScreen* screen = form->screen();
  ASSERT_NE(screen, nullptr);
  const std::pair<const char*, std::function<void()>> triggers[] = {
      {"work area", [&] { emit screen->availableGeometryChanged(screen->availableGeometry()); }},
      {"screen size", [&] { emit screen->geometryChanged(screen->geometry()); }},
      {"another screen",
       [&] {
         QEvent e(QEvent::ScreenChangeInternal);
         QApplication::sendEvent(form, &e);
         // Reported from the event loop.
         QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
       }},
  };
  const QRect normal(A.Left + 100, A.Top + 100, 300, 200);
  const QRect larger(A.Left + 50, A.Top + 40, A.Width() + 100, A.Height() + 60);
  struct Case {
    const char* name;
    TFormBorderStyle border;
    TsfWindowState state;
    QRect stale, expected;
  };
  const Case cases[] = {
      {"larger both ways", TFormBorderStyle::bsSizeable, wsNormal, larger, A.toQRect()},
      {"wider only", TFormBorderStyle::bsSizeable, wsNormal,
       QRect(A.Left + 20, A.Top + 30, A.Width() + 40, 200),
       QRect(A.Left, A.Top + 30, A.Width(), 200)},
      {"fits", TFormBorderStyle::bsSizeable, wsNormal, normal, normal},
      {"not sizeable", TFormBorderStyle::bsSingle, wsNormal, larger, A.toQRect()},
      {"without a border", TFormBorderStyle::bsNone, wsNormal, larger, larger},
      {"maximised on an older, larger screen", TFormBorderStyle::bsSizeable, wsMaximized,
       QRect(A.Left, A.Top, A.Width() + 200, A.Height() + 100),
       MaximizedBounds(A, monitor, false).toQRect()},
      // Only the frame (100 x 35) shows, at the work area's bottom left.
      {"minimised below an older, taller screen", TFormBorderStyle::bsSizeable, wsMinimized,
       QRect(A.Left + 300, A.Bottom + 100, 100, 35), QRect(A.Left, A.Bottom - 35, 100, 35)},
  };
  for (const auto& [how, trigger] : triggers)
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(how) + ", " + c.name);
      form->setGeometry(normal);
      form->BorderStyle = c.border;
      skinner->SetSkinWindowState(c.state);
      form->setGeometry(c.stale);
      ASSERT_EQ(form->geometry(), c.stale);
      trigger();
      EXPECT_EQ(form->geometry(), c.expected);
      if (c.border != TFormBorderStyle::bsNone) {
        // The frame is laid out for the new size.
        EXPECT_EQ(form->ClientArea()->geometry(),
                  QRect(10, 30, form->width() - 20, form->height() - 35));
      }
      skinner->SetSkinWindowState(wsNormal);
      EXPECT_EQ(form->geometry(), c.state == wsNormal ? c.expected : normal);
    }
  form->BorderStyle = TFormBorderStyle::bsSizeable;
}

TEST_F(SkinFormTest, SystemMenuItemsFollowTheStateAndTheBorderIcons) {
  const QPoint sys = Centre(Button(3));
  Hover(form, sys);
  QTest::mousePress(form, Qt::LeftButton, {}, sys);
  EXPECT_TRUE(skinner->InMenu());
  EXPECT_EQ(MenuCaptions(), (QStringList{"Mi&nimize", "Ma&ximize", "Ro&llUp", "-", "&Close"}));
  EXPECT_EQ(skinner->SkinMenu()->Deepest()->Items().back().MenuItem->ShortCutText,
            QStringLiteral("Alt+F4"));
  QTest::mouseRelease(form, Qt::LeftButton, {}, sys);
  // Keys go to the menu: "x" maximises.
  QTest::keyClick(form, Qt::Key_X);
  EXPECT_EQ(skinner->SkinWindowState(), wsMaximized);
  EXPECT_FALSE(skinner->InMenu());

  skinner->PopupSystemMenu(200, 200);
  EXPECT_EQ(MenuCaptions(), (QStringList{"Mi&nimize", "&Restore", "Ro&llUp", "-", "&Close"}));
  skinner->SkinMenu()->CloseAll();

  skinner->SetBorderIcons(0);
  skinner->PopupSystemMenu(200, 200);
  EXPECT_EQ(MenuCaptions(), (QStringList{"&Restore", "-", "&Close"}));
  skinner->SkinMenu()->CloseAll();
  skinner->SetSkinWindowState(wsNormal);
  skinner->PopupSystemMenu(200, 200);
  EXPECT_EQ(MenuCaptions(), QStringList{"&Close"});
}

TEST_F(SkinFormTest, SystemMenuWithTheTrayItemAndAWindowsOwnMenu) {
  skinner->SetBorderIcons(biSystemMenu | biMinimize | biMaximize | biRollUp | biMinimizeToTray);
  skinner->PopupSystemMenu(200, 200);
  EXPECT_EQ(MenuCaptions(), (QStringList{"Mi&nimize", "Ma&ximize", "Ro&llUp", "Minimize to &Tray",
                                         "-", "&Close"}));
  skinner->SkinMenu()->CloseAll();

  // A menu of the window's own: the default lines go on top (minimise,
  // restore, maximise, roll-up, to tray) and close at the end, once each
  // however often it opens.
  TPopupMenu own;
  own.Items()->Add(NewMenuItem(own.Items(), QStringLiteral("about"), QStringLiteral("&About")));
  skinner->SystemMenu = &own;
  skinner->SetSkinWindowState(wsMaximized);
  for (int i = 0; i < 2; ++i) {
    skinner->PopupSystemMenu(200, 200);
    EXPECT_EQ(MenuCaptions(), (QStringList{"Mi&nimize", "&Restore", "Ro&llUp", "Minimize to &Tray",
                                           "&About", "&Close"}));
    skinner->SkinMenu()->CloseAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  skinner->UseDefaultSysMenu = false;
  skinner->PopupSystemMenu(200, 200);
  EXPECT_EQ(MenuCaptions(), QStringList{"&About"});
  skinner->SkinMenu()->CloseAll();
  skinner->SystemMenu = nullptr;
}

TEST_F(SkinFormTest, TheTrayRestoreNoticeBringsTheWindowsForwardOnlyWhenTagged) {
  TForm other;
  other.setGeometry(500, 400, 100, 100);
  other.Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  ASSERT_EQ(Application->MainForm(), nullptr);
  Application->RegisterForm(form);  // until the fixture frees the form
  form->Perform(WM_SKINTRAY_RESTORED);
  QCoreApplication::processEvents();
  EXPECT_TRUE(other.isActiveWindow());
  form->Tag = kTrayRestoreTag;
  form->Perform(WM_SKINTRAY_RESTORED);
  EXPECT_TRUE(QTest::qWaitForWindowActive(form));
  EXPECT_EQ(form->Tag, 0);
}

TEST_F(SkinFormTest, TheSystemMenuButtonReportsItsPressAfterItsMenuOpened) {
  QStringList events;
  skinner->OnMouseDownEvent = [&](const QString& n, int, int, const TRect&, TMouseButton) {
    events << n + (skinner->SkinMenu()->IsShowing() ? " menu" : " no menu");
  };
  const QPoint sys = Centre(Button(3));
  Hover(form, sys);
  QTest::mousePress(form, Qt::LeftButton, {}, sys);
  EXPECT_EQ(events, QStringList{"sysmenubutton menu"});
  QTest::mouseRelease(form, Qt::LeftButton, {}, sys);
  skinner->SkinMenu()->CloseAll();
  EXPECT_FALSE(skinner->FindButton(3)->Down);
}

TEST_F(SkinFormTest, APressOutsideTheMenuClosesItAndKeysReachTheFormAgain) {
  int keys = 0;
  form->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++keys; };
  form->SetTabStop(true);
  form->SetFocus();
  skinner->PopupSystemMenu(200, 200);
  ASSERT_TRUE(skinner->SkinMenu()->IsShowing());
  QTest::keyClick(form, Qt::Key_Down);
  EXPECT_EQ(keys, 0) << "the menu has the keyboard";
  QTest::mouseClick(form->ClientArea(), Qt::LeftButton, {}, QPoint(50, 50));
  EXPECT_FALSE(skinner->SkinMenu()->IsShowing());
  EXPECT_FALSE(skinner->InMenu());
  QTest::keyClick(form, Qt::Key_Down);
  EXPECT_EQ(keys, 1);

  // Escape closes the last pop-up and ends menu mode too.
  skinner->PopupSystemMenu(200, 200);
  QTest::keyClick(form, Qt::Key_Escape);
  EXPECT_FALSE(skinner->SkinMenu()->IsShowing());
  EXPECT_FALSE(skinner->InMenu());
  QTest::keyClick(form, Qt::Key_Down);
  EXPECT_EQ(keys, 2);
}

TEST_F(SkinFormTest, AltSpaceOpensTheSystemMenuOnlyWithAnEnabledButton) {
  QTest::keyClick(form, Qt::Key_Space, Qt::AltModifier);
  ASSERT_TRUE(skinner->SkinMenu()->IsShowing());
  const TsfSkinPopupWindow* p = skinner->SkinMenu()->Deepest();
  EXPECT_EQ(p->pos(), form->pos() + QPoint(Button(3).Left, Button(3).Bottom));
  QTest::keyClick(form, Qt::Key_Escape);
  skinner->DisableSystemMenu = true;
  skinner->SetBorderIcons(skinner->BorderIcons());
  QTest::keyClick(form, Qt::Key_Space, Qt::AltModifier);
  EXPECT_FALSE(skinner->SkinMenu()->IsShowing());
  EXPECT_FALSE(skinner->InMenu());
}

TEST_F(SkinFormTest, HotButtonShowsItsActiveImageAndMorphsByTicks) {
  const TRect max = Button(1);
  EXPECT_EQ(PixelAt(form, max.Left + 2, max.Top + 2), ButtonColour(1, 0));
  Hover(form, Centre(max));
  ASSERT_GE(skinner->HotObject(), 0);
  EXPECT_EQ(skinner->Objects()[size_t(skinner->HotObject())].get(), skinner->FindButton(1));
  // The blend timer moves the factor by 0.2 per tick: five ticks to the end.
  int ticks = 0;
  while (skinner->BlendTimer()->Enabled() && ticks < 10) {
    skinner->BlendTimer()->OnTimer(nullptr);
    ++ticks;
  }
  EXPECT_EQ(ticks, 6);  // five moves, then one tick that finds nothing to move
  EXPECT_EQ(PixelAt(form, max.Left + 2, max.Top + 2), ButtonColour(1, 1));
}

TEST_F(SkinFormTest, FramePiecesWhereTheSkinPutsThemAtTwoSizes) {
  for (QSize size : {QSize(300, 200), QSize(457, 333)}) {
    form->resize(size);
    const int W = size.width(), H = size.height();
    struct Probe {
      int x, y;
      QRgb expected;
    } probes[] = {
        {2, 2, Src(2, 2)},                      // top-left corner as it is
        {W - 3, 40, Src(97, 40)},               // right border, top rows
        {5, H - 2, Src(5, 98)},                 // bottom-left corner
        {W - 2, H - 2, Src(98, 98)},            // bottom-right corner
        {W - 15, 28, Src(85, 28)},              // top-right corner
        {20 + 60 + 3, 29, Src(20 + 3, 29)},     // the top edge repeats its middle
    };
    for (const Probe& p : probes)
      EXPECT_EQ(PixelAt(form, p.x, p.y), p.expected) << W << "x" << H << " at " << p.x << "," << p.y;
    // The close button sits at the right end of the buttons rect.
    const TRect close = Button(0);
    EXPECT_EQ(close, TRect(W - 28, 7, W - 12, 23));
    EXPECT_EQ(PixelAt(form, close.Left + 3, close.Top + 3), ButtonColour(0, 0));
  }
}

TEST_F(SkinFormTest, TheRegionIsTheMasksBlackPixels) {
  for (QSize size : {QSize(300, 200), QSize(180, 90)}) {
    form->resize(size);
    const QRegion region = form->mask();
    const int W = size.width(), H = size.height();
    for (int y = 0; y < H; y += 1)
      for (int x = 0; x < W; x += (y < 8 ? 1 : 7)) {
        const bool white = y < 6 && (x < 6 || x >= W - 6);
        ASSERT_EQ(region.contains(QPoint(x, y)), !white) << W << "x" << H << " at " << x << "," << y;
      }
    EXPECT_FALSE(region.contains(QPoint(W, 0)));
    EXPECT_FALSE(region.contains(QPoint(0, H)));
  }
}

TEST_F(SkinFormTest, TheFramePaintedThroughTheRegionFillsItAndNothingElse) {
  // Painting clipped to the window's shape, as the screen paints a shaped
  // window: every pixel of the region is the frame's, outside stays untouched.
  for (QSize size : {QSize(300, 200), QSize(457, 333)}) {
    form->resize(size);
    const int W = size.width();
    QImage shown(size, QImage::Format_RGB32);
    shown.fill(qRgb(255, 0, 255));
    form->render(&shown, QPoint(), form->mask());
    const struct {
      int x, y;
      QRgb expected;
    } probes[] = {
        {2, 2, qRgb(255, 0, 255)},       // the mask's white corner: outside
        {W - 3, 3, qRgb(255, 0, 255)},   // the other one
        {6, 0, Src(6, 0)},               // the region's first pixels: right of the corner
        {0, 6, Src(0, 6)},               // and below it
        {7, 2, Src(7, 2)},               // beside the corner, in the top row
        {2, 7, Src(2, 7)},               // below it
        {W - 3, 40, Src(97, 40)},        // right border
        {W / 2, 29, Src(20 + (W / 2 - 20) % 60, 29)},  // the repeated top edge
    };
    for (const auto& p : probes)
      EXPECT_EQ(shown.pixel(p.x, p.y) | 0xFF000000u, p.expected) << W << " at " << p.x << "," << p.y;
  }
}

TEST_F(SkinFormTest, InactiveWindowsUseTheInactivePicture) {
  EXPECT_EQ(PixelAt(form, 2, 2), Src(2, 2, 77));
  TForm other;
  other.setGeometry(500, 400, 100, 100);
  other.Show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  EXPECT_FALSE(skinner->IsFormActive());
  EXPECT_EQ(PixelAt(form, 2, 2), Src(2, 2, 150));
  // The client keeps its colours: the active picture's client piece, tiled.
  EXPECT_EQ(PixelAt(form, 150, 100), Src(10 + 140 % 80, 30 + 70 % 65, 77));
}

TEST_F(SkinFormTest, WithoutASkinTheDefaultFrameIsDrawn) {
  // A failed load leaves the skin empty; the window falls back to the default frame.
  TsfSkinData empty;
  skinner->SetSkinData(&empty);
  EXPECT_EQ(form->ClientArea()->geometry(), QRect(3, 22, form->width() - 6, form->height() - 25));
  EXPECT_EQ(PixelAt(form, 0, 0), ToQColor(cl3DLight).rgb() | 0xFF000000u);
  EXPECT_EQ(PixelAt(form, form->width() - 1, form->height() - 1),
            ToQColor(cl3DDkShadow).rgb() | 0xFF000000u);
  TsfSkinStdButtonObject* close = skinner->FindButton(0);
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->ObjectRect, TRect(form->width() - 20, 4, form->width() - 3, 21));
  EXPECT_EQ(skinner->HitTest(100, 10), HTCAPTION);
  EXPECT_EQ(skinner->HitTest(0, 100), HTLEFT);
  Click(close->ObjectRect);
  EXPECT_EQ(closes, 1);
}

// A skinned control as later issues write them.
class FakeControl : public TCustomControl, public ISkinChangeable {
 public:
  FakeControl(QWidget* parent, TsfSkinData* sd) : TCustomControl(parent), skin(sd) {}
  void ForgetSkinRecord() override { log << QStringLiteral("forget"); }
  void ApplySkinChange() override { log << QStringLiteral("apply"); }
  TsfSkinData* SkinDataObject() const override { return skin; }
  TsfSkinData* skin;
  QStringList log;
};

TEST_F(SkinFormTest, SkinChangesReachEverySkinnedControlOfTheWindow) {
  auto* panel = new TCustomControl(form);
  auto* inner = new FakeControl(panel, skin.data.get());
  TsfSkinData other;
  auto* foreign = new FakeControl(form, &other);
  skin.data->LoadSkinFile(skin.dir.filePath("skin.ini"));
  EXPECT_EQ(inner->log, (QStringList{"forget", "apply"}));
  EXPECT_TRUE(foreign->log.isEmpty());
  EXPECT_TRUE(skinner->SkinSupport());
  EXPECT_EQ(skinner->FindButton(0)->ObjectRect, TRect(272, 7, 288, 23));
}

TEST_F(SkinFormTest, AFailedSkinLoadLeavesTheDefaultFrame) {
  QFile::remove(skin.dir.filePath("form.bmp"));
  EXPECT_ANY_THROW(skin.data->LoadSkinFile(skin.dir.filePath("skin.ini")));
  EXPECT_TRUE(skin.data->IsEmpty);
  EXPECT_FALSE(skinner->SkinSupport());
  EXPECT_EQ(form->ClientArea()->geometry(), QRect(3, 22, form->width() - 6, form->height() - 25));
  EXPECT_EQ(PixelAt(form, 1, 1), ToQColor(clBtnHighlight).rgb() | 0xFF000000u);
  ASSERT_NE(skinner->FindButton(0), nullptr);
  EXPECT_TRUE(skinner->FindButton(0)->Visible);
}

TEST_F(SkinFormTest, RemovingTheSkinnerGivesTheFormItsOwnFrameBack) {
  delete skinner;
  EXPECT_FALSE(form->HasCustomFrame());
  EXPECT_EQ(form->ClientArea()->geometry(), QRect(0, 0, form->width(), form->height()));
  EXPECT_EQ(form->Perform(WM_NCHITTEST, 0, MakeLParam(form->x() + 5, form->y() + 5)), HTCLIENT);
}

TEST(SkinFormPosition, TheFirstShowCentresOnTheMonitorOrItsWorkArea) {
  formtest::TinySkin skin;
  const struct {
    TsfPositionInMonitor position;
    bool workArea;
  } cases[] = {{sfpScreenCenter, false}, {sfpDesktopCenter, true}, {sfpDefault, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.position));
    TForm form;
    TsfSkinForm skinner(&form);
    skinner.PositionInMonitor = c.position;
    skinner.SetSkinData(skin.data.get());
    form.setGeometry(10, 20, 301, 201);
    form.Show();
    QScreen* screen = form.screen();
    ASSERT_NE(screen, nullptr);
    const QRect a = c.workArea ? screen->availableGeometry() : screen->geometry();
    const QPoint expected = c.position == sfpDefault
                                ? QPoint(10, 20)
                                : QPoint(a.left() + a.width() / 2 - 150, a.top() + a.height() / 2 - 100);
    EXPECT_EQ(form.pos(), expected);
    // Only the first show places the window.
    form.move(5, 5);
    form.Hide();
    form.Show();
    EXPECT_EQ(form.pos(), QPoint(5, 5));
  }
}

TEST(SkinFormOwner, MustBeAForm) {
  QObject notAForm;
  EXPECT_THROW(TsfSkinForm s(&notAForm), EInvalidOperation);
}

}  // namespace
