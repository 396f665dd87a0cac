// Skinned pop-up menus: placement and size as pure functions, then real
// pop-ups offscreen driven by keys and mouse events.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "platform/form.h"
#include "skin/menus/menu_host.h"
#include "skin/menus/skin_menu.h"
#include "skin/menus/skin_popup_menu.h"

namespace {

// Qt drops a move to where the cursor already is: come from one pixel away.
void Hover(QWidget* w, QPoint at) {
  QTest::mouseMove(w, at + QPoint(1, 1));
  QTest::mouseMove(w, at);
}

TEST(PlacePopup, FollowsTheWorkAreaRules) {
  const TRect W(0, 0, 1000, 600);
  struct Case {
    const char* what;
    TRect anchor;
    int w, h;
    bool up, submenu;
    int x, y;
  } cases[] = {
      {"fits below the point", TRect(100, 100, 100, 100), 150, 200, false, false, 100, 100},
      {"lower half, no room below: above the point", TRect(100, 550, 100, 550), 150, 200, false,
       false, 100, 350},
      {"upper half, no room below: pushed to the bottom, beside the anchor",
       TRect(100, 250, 140, 270), 150, 400, false, false, 141, 200},
      {"passes the right edge: moved left", TRect(950, 100, 950, 100), 150, 200, false, false,
       850, 100},
      {"up: above the anchor", TRect(100, 400, 200, 420), 150, 200, true, false, 100, 200},
      {"up without room above, upper half: below", TRect(100, 100, 200, 120), 150, 200, true,
       false, 100, 120},
      {"submenu: first line level with the parent line", TRect(100, 100, 250, 120), 150, 200,
       false, true, 251, 98},
      {"submenu at the right edge: on the left of the parent", TRect(800, 100, 950, 120), 150,
       200, false, true, 649, 98},
      {"submenu too low in the lower half: bottom aligned to the line", TRect(100, 500, 250, 520),
       150, 200, false, true, 251, 322},
  };
  for (const Case& c : cases) {
    const TsfPopupPlace p = PlacePopup(c.anchor, c.w, c.h, W, 2, c.up, c.submenu, false);
    EXPECT_EQ(p.X, c.x) << c.what;
    EXPECT_EQ(p.Y, c.y) << c.what;
  }
  EXPECT_EQ(PlacePopup(TRect(100, 300, 100, 300), 150, 600, W, 2, false, false, true).Y, 0)
      << "full-height scrolling starts at the work area's top";
}

TEST(PopupHeight, CutToTheWorkAreaOrTheLineLimit) {
  const std::vector<int> forty(40, 20);
  TsfPopupHeight h = PopupHeight(forty, 20, 4, 0, 600);
  EXPECT_EQ(h.Height, 600);
  EXPECT_TRUE(h.NeedsScrolling);

  const std::vector<int> eight(8, 20);
  h = PopupHeight(eight, 20, 4, 5, 600);
  EXPECT_EQ(h.Height, 20 * 5 + 4 + 20);
  EXPECT_TRUE(h.NeedsScrolling);

  h = PopupHeight({20, 4, 20}, 20, 4, 0, 600);
  EXPECT_EQ(h.Height, 48);
  EXPECT_FALSE(h.NeedsScrolling);
}

// A control that records the menu messages it receives.
class Recorder : public TCustomControl {
 public:
  Recorder() {
    WindowProc = [this](TMessage& m) {
      if (m.Msg == WM_SKINMENU_CLOSED || m.Msg == WM_SKINMENU_COMMAND) messages.push_back(m.Msg);
      WndProc(m);
    };
  }
  std::vector<unsigned> messages;
};

class MenuTest : public ::testing::Test {
 public:
  void SetUp() override {
    root = new TMenuItem(&owner);
    for (const char* caption : {"&Open", "-", "&Save", "Sa&ve as", "&More", "-", "&Gone"}) {
      TMenuItem* item = NewMenuItem(root, QString(), QLatin1String(caption),
                                    [this, caption](TObject*) {
                                      ran << QLatin1String(caption);
                                      showingWhenRan = menu.IsShowing() || menu.PopupCount() > 0;
                                    });
      root->Add(item);
    }
    root->Items(6)->Enabled = false;
    more = root->Items(4);
    more->Add(NewMenuItem(more, QString(), QStringLiteral("&Inner"),
                          [this](TObject*) { ran << QStringLiteral("Inner"); }));
  }
  void TearDown() override { menu.CloseFrom(0); }

  TsfSkinPopupWindow* Open() {
    menu.Popup(&control, nullptr, false, root, TRect(50, 50, 50, 50), 0);
    return menu.Deepest();
  }
  QString ActiveCaption(TsfSkinPopupWindow* p) {
    return p->ActiveIndex() < 0 ? QString() : p->Items()[size_t(p->ActiveIndex())].MenuItem->Caption;
  }

  QObject owner;
  TMenuItem* root = nullptr;
  TMenuItem* more = nullptr;
  TsfSkinMenu menu;
  Recorder control;
  QStringList ran;
  bool showingWhenRan = true;
};

TEST_F(MenuTest, OpensWithTheFirstSelectableLineActive) {
  root->Items(0)->Enabled = false;
  TsfSkinPopupWindow* p = Open();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(menu.IsShowing());
  EXPECT_TRUE(p->isVisible());
  EXPECT_FALSE(p->isActiveWindow());
  EXPECT_EQ(ActiveCaption(p), QStringLiteral("&Save"));
  // Plain look: 20 per line, 4 per separator, 4 for the frame.
  EXPECT_EQ(p->height(), 5 * 20 + 2 * 4 + 4);
}

TEST_F(MenuTest, AMenuWithoutVisibleChildrenOpensNothing) {
  for (int i = 0; i < root->Count(); ++i) root->Items(i)->Visible = false;
  EXPECT_EQ(Open(), nullptr);
  EXPECT_FALSE(menu.IsShowing());
}

TEST(SkinMenuLines, SeparatorsAreTidied) {
  const struct {
    std::vector<const char*> captions;
    std::vector<const char*> lines;
  } cases[] = {
      {{"-", "A", "-", "-", "B", "-"}, {"A", "-", "B"}},
      {{"A", "-", "(hidden)", "-", "B"}, {"A", "-", "B"}},
      {{"A", "-", "(hidden)"}, {"A"}},
      {{"-", "-"}, {}},
  };
  for (const auto& c : cases) {
    QObject owner;
    auto* root = new TMenuItem(&owner);
    for (const char* caption : c.captions) {
      TMenuItem* item = NewMenuItem(root, QString(), QLatin1String(caption));
      item->Visible = QLatin1String(caption) != QLatin1String("(hidden)");
      root->Add(item);
    }
    TsfSkinMenu menu;
    menu.Popup(nullptr, nullptr, false, root, TRect(50, 50, 50, 50), 0);
    QStringList shown, expected;
    if (TsfSkinPopupWindow* p = menu.Deepest())
      for (const TsfSkinMenuItem& line : p->Items()) shown << line.MenuItem->Caption;
    for (const char* l : c.lines) expected << QLatin1String(l);
    EXPECT_EQ(shown, expected) << c.captions.size() << " captions";
    EXPECT_EQ(menu.IsShowing(), !expected.isEmpty());
    menu.CloseFrom(0);
  }
}

TEST_F(MenuTest, ArrowKeysSkipSeparatorsAndDisabledLinesAndWrap) {
  TsfSkinPopupWindow* p = Open();
  struct Step {
    WORD key;
    const char* active;
  } steps[] = {
      {VK_DOWN, "&Save"}, {VK_DOWN, "Sa&ve as"}, {VK_DOWN, "&More"},
      // Only a separator and a disabled line follow: the active line stays.
      {VK_DOWN, "&More"}, {VK_UP, "Sa&ve as"}, {VK_UP, "&Save"}, {VK_UP, "&Open"},
      // Up from the first line wraps to the last selectable one.
      {VK_UP, "&More"},
  };
  for (const Step& s : steps) {
    p->HandleKey(s.key);
    EXPECT_EQ(ActiveCaption(p), QLatin1String(s.active));
  }
  root->Items(6)->Enabled = true;
  p->HandleKey(VK_DOWN);
  EXPECT_EQ(ActiveCaption(p), QStringLiteral("&Gone"));
  p->HandleKey(VK_DOWN);  // the last line: Down wraps to the first
  EXPECT_EQ(ActiveCaption(p), QStringLiteral("&Open"));
}

TEST_F(MenuTest, DisabledLinesNeverRunTheirCommand) {
  TsfSkinPopupWindow* p = Open();
  p->HandleKey('G');  // access key of the disabled line
  EXPECT_TRUE(ran.isEmpty());
  EXPECT_TRUE(menu.IsShowing());
  p->HandleKey(VK_RETURN);  // the access key made it the active line
  EXPECT_TRUE(ran.isEmpty());
  const TRect r = p->Items()[6].ItemRect;
  Hover(p, QPoint(r.Left + 5, r.Top + 5));
  QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
  EXPECT_TRUE(ran.isEmpty());
  EXPECT_TRUE(menu.IsShowing());
}

TEST_F(MenuTest, AccessKeyRunsTheCommandAfterThePopupsClosed) {
  TsfSkinPopupWindow* p = Open();
  p->HandleKey('V');
  EXPECT_EQ(ran, QStringList{QStringLiteral("Sa&ve as")});
  EXPECT_FALSE(showingWhenRan);
  EXPECT_FALSE(menu.IsShowing());
  EXPECT_EQ(control.messages, (std::vector<unsigned>{WM_SKINMENU_CLOSED, WM_SKINMENU_COMMAND}));
}

TEST_F(MenuTest, MouseClickOnALeafRunsItsCommandOnce) {
  QPointer<TsfSkinPopupWindow> p = Open();
  const TRect r = p->Items()[2].ItemRect;
  Hover(p, QPoint(r.Left + 5, r.Top + 5));
  EXPECT_EQ(ActiveCaption(p), QStringLiteral("&Save"));
  QTest::mouseClick(p, Qt::LeftButton, {}, QPoint(r.Left + 5, r.Top + 5));
  EXPECT_EQ(ran, QStringList{QStringLiteral("&Save")});
  EXPECT_FALSE(showingWhenRan);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(p.isNull()) << "closed pop-ups are deleted later";
}

TEST_F(MenuTest, SubmenuOpensOnlyAfterTheWaitAndEscapeClosesOneLevel) {
  TsfSkinPopupWindow* p = Open();
  const TRect moreRect = p->Items()[4].ItemRect;
  const TRect saveRect = p->Items()[2].ItemRect;
  Hover(p, QPoint(moreRect.Left + 5, moreRect.Top + 5));
  EXPECT_TRUE(menu.WaitTimer()->Enabled());
  EXPECT_EQ(menu.WaitTimer()->Interval(), 500);
  // Moving on before the wait is over opens nothing.
  Hover(p, QPoint(saveRect.Left + 5, saveRect.Top + 5));
  EXPECT_FALSE(menu.WaitTimer()->Enabled());
  EXPECT_EQ(menu.PopupCount(), 1);

  Hover(p, QPoint(moreRect.Left + 5, moreRect.Top + 5));
  menu.WaitTimer()->OnTimer(nullptr);  // the 500 ms tick
  ASSERT_EQ(menu.PopupCount(), 2);
  EXPECT_TRUE(p->Items()[4].SubmenuOpen);
  EXPECT_EQ(menu.Deepest()->x(), p->x() + moreRect.Right + 1);

  menu.HandleKey(VK_ESCAPE);
  EXPECT_EQ(menu.PopupCount(), 1);
  EXPECT_TRUE(menu.IsShowing());
  EXPECT_FALSE(p->Items()[4].SubmenuOpen);
  EXPECT_TRUE(control.messages.empty());
  menu.HandleKey(VK_ESCAPE);
  EXPECT_FALSE(menu.IsShowing());
  EXPECT_EQ(control.messages, std::vector<unsigned>{WM_SKINMENU_CLOSED});
}

TEST_F(MenuTest, ASubmenuLineWhoseCommandClosesOrReopensTheMenuOpensNoStraySubmenu) {
  const struct {
    const char* what;
    std::function<void(MenuTest&)> command;
    int popups;
  } cases[] = {
      {"reopens the menu", [](MenuTest& t) { t.Open(); }, 1},
      {"closes the menu", [](MenuTest& t) { t.menu.CloseAll(); }, 0},
      {"empties its own submenu", [](MenuTest& t) { t.more->Clear(); }, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (more->Count() == 0)
      more->Add(NewMenuItem(more, QString(), QStringLiteral("&Inner")));
    more->OnClick = [this, &c](TObject*) { c.command(*this); };
    Open()->HandleKey('M');
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(menu.PopupCount(), c.popups);
    if (TsfSkinPopupWindow* p = menu.Deepest()) {
      EXPECT_EQ(p->ParentItem(), root);
      EXPECT_FALSE(p->Items()[4].SubmenuOpen);
    }
    menu.CloseFrom(0);
  }
}

TEST_F(MenuTest, RightOpensASubmenuAndItsLeafRunsIt) {
  TsfSkinPopupWindow* p = Open();
  p->HandleKey('M');  // selects and clicks "&More": opens at once
  ASSERT_EQ(menu.PopupCount(), 2);
  menu.HandleKey(VK_LEFT);
  EXPECT_EQ(menu.PopupCount(), 1);
  menu.HandleKey(VK_LEFT);  // one pop-up: Left does nothing
  EXPECT_EQ(menu.PopupCount(), 1);
  menu.HandleKey(VK_RIGHT);
  ASSERT_EQ(menu.PopupCount(), 2);
  ran.clear();
  menu.HandleKey(VK_RETURN);
  EXPECT_EQ(ran, QStringList{QStringLiteral("Inner")});
  EXPECT_FALSE(menu.IsShowing());
}

TEST_F(MenuTest, OpensAboveAPointNearTheWorkAreasBottom) {
  menu.Popup(&control, nullptr, false, root, TRect(0, 0, 0, 0), 0);
  const TRect work = menu.WorkArea();
  menu.CloseFrom(0);
  const TPoint at(work.Left + 40, work.Bottom - 50);
  menu.Popup(&control, nullptr, false, root, TRect(at.X, at.Y, at.X, at.Y), 0);
  TsfSkinPopupWindow* p = menu.Deepest();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->y(), at.Y - p->height());
  EXPECT_EQ(p->x(), at.X);
}

TEST_F(MenuTest, LongMenusScrollInTheWorkArea) {
  for (int i = 0; i < 80; ++i) root->Add(NewMenuItem(root, QString(), QStringLiteral("Line %1").arg(i)));
  TsfSkinPopupWindow* p = Open();
  EXPECT_EQ(p->height(), menu.WorkArea().Height());
  EXPECT_TRUE(p->NeedsScrolling());
  EXPECT_EQ(p->Items()[0].ItemRect.Top, p->ItemsRect().Top + 10);
  EXPECT_FALSE(p->Items().back().Visible);
  // Up from the first line shows the last page.
  p->HandleKey(VK_UP);
  EXPECT_TRUE(p->Items().back().Visible);
  EXPECT_EQ(p->ActiveIndex(), int(p->Items().size()) - 1);
  EXPECT_LE(p->Items().back().ItemRect.Bottom, p->ItemsRect().Bottom - 10);
  // The scroll zone at the top scrolls one line per tick.
  const int first = p->FirstVisible();
  Hover(p, QPoint(p->ItemsRect().Left + 20, p->ItemsRect().Top + 3));
  EXPECT_EQ(p->ScrollState(), 1);
  p->ScrollTimer()->OnTimer(nullptr);
  EXPECT_EQ(p->FirstVisible(), first - 1);
}

TEST_F(MenuTest, MaxItemsLimitGivesAScrollingWindow) {
  menu.MaxMenuItemsInWindow = 3;
  TsfSkinPopupWindow* p = Open();
  EXPECT_EQ(p->height(), 20 * 3 + 4 + 20);
  EXPECT_TRUE(p->NeedsScrolling());
}

// A menu host as a skinned window offers it, without the window part.
class TestHost : public TComponent, public ISkinMenuHost {
 public:
  explicit TestHost(TForm* form) : TComponent(form), menu(this) { menu.HostWindow = form; }
  TsfSkinMenu* SkinMenu() override { return &menu; }
  TsfSkinData* MenusSkin() const override { return skin; }
  void BeginMenu() override { ++begun; }
  void EndMenu() override { ++ended; }
  TsfSkinMenu menu;
  TsfSkinData* skin = nullptr;
  int begun = 0, ended = 0;
};

TEST(SkinPopupHeader, DrawnWithTheMenuHeaderRecordElseTheLabelRecord) {
  // One picture: the menu line's piece in green on top, the header's in blue below.
  const QRgb line = qRgb(0, 200, 0), header = qRgb(0, 0, 200);
  const struct {
    const char* record;  // the label record's name (none: no record)
    QRgb expected;
  } cases[] = {{"menuheader", header}, {"label", header}, {"", line}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record);
    TsfSkinData sd;
    QImage pic(40, 40, QImage::Format_RGB32);
    pic.fill(line);
    for (int y = 20; y < 40; ++y)
      for (int x = 0; x < 40; ++x) pic.setPixel(x, y, header);
    sd.PictureList.push_back(std::make_unique<TBitmap>(pic));
    auto item = std::make_unique<TsfDataSkinMenuItem>(QStringLiteral("menuitem"));
    item->activepictureindex = 0;
    item->skinrect = item->activeskinrect = TRect(0, 0, 40, 20);
    item->textrect = TRect(2, 0, 38, 20);
    sd.ObjectRecords.push_back(std::move(item));
    if (*c.record) {
      auto label = std::make_unique<TsfDataSkinLabelControl>(QLatin1String(c.record));
      label->pictureindex = 0;
      label->skinrect = TRect(0, 20, 40, 40);
      label->lefttoppoint = TPoint(2, 20);
      label->righttoppoint = TPoint(38, 20);
      label->clientrect = TRect(2, 0, 38, 20);
      sd.ControlRecords.push_back(std::move(label));
    }
    sd.IsEmpty = false;

    QObject owner;
    auto* root = new TMenuItem(&owner);
    root->Add(NewMenuItem(root, QString(), QStringLiteral("&Open")));
    TMenuItem* group = NewMenuItem(root, QString(), QStringLiteral("-Group-"));
    group->Enabled = false;
    root->Add(group);
    TsfSkinMenu menu;
    menu.Popup(nullptr, &sd, false, root, TRect(50, 50, 50, 50), 0);
    TsfSkinPopupWindow* p = menu.Deepest();
    ASSERT_NE(p, nullptr);
    const TRect r = p->Items()[1].ItemRect;
    const QImage shown = p->grab().toImage();
    // Left of the caption and at the line's right end: the strip, not the text.
    EXPECT_EQ(shown.pixel(r.Left + 1, r.Top + 1) | 0xFF000000u, c.expected);
    EXPECT_EQ(shown.pixel(r.Right - 2, r.Bottom - 2) | 0xFF000000u, c.expected);
    menu.CloseFrom(0);
  }
}

TEST(SkinPopupMenu, ACommandMayDeleteItsOwnMenu) {
  TForm form;
  TestHost host(&form);
  TsfSkinData skin;
  host.skin = &skin;
  Recorder control;
  QPointer<TsfSkinPopupMenu> popup = new TsfSkinPopupMenu(&form);
  popup->Items()->Add(NewMenuItem(popup, QString(), QStringLiteral("&Delete me"),
                                  [&popup](TObject*) { delete popup.data(); }));
  popup->PopupForControl(&control, 100, 100);
  ASSERT_TRUE(host.menu.IsShowing());
  EXPECT_EQ(host.begun, 1);
  EXPECT_EQ(popup->PopupPoint(), TPoint(100, 100));
  host.menu.HandleKey(VK_RETURN);
  EXPECT_TRUE(popup.isNull());
  EXPECT_FALSE(host.menu.IsShowing());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(control.messages, (std::vector<unsigned>{WM_SKINMENU_CLOSED, WM_SKINMENU_COMMAND}));
}

TEST(SkinPopupMenu, FindsItsHostAndNeedsSkinDataForAControl) {
  TForm form;
  TestHost host(&form);
  TsfSkinPopupMenu popup(&form);
  popup.Items()->Add(NewMenuItem(&popup, QString(), QStringLiteral("x")));
  EXPECT_EQ(popup.FindHost(), &host);
  Recorder control;
  popup.PopupForControl(&control, 10, 10);  // no skin data anywhere
  EXPECT_FALSE(host.menu.IsShowing());
  EXPECT_EQ(host.begun, 0);
  popup.Popup(10, 10);  // the plain look is fine for Popup
  EXPECT_TRUE(host.menu.IsShowing());
  host.menu.CloseAll();

  // Nothing to show: menu mode ends at once.
  popup.Items()->Items(0)->Visible = false;
  popup.Popup(10, 10);
  EXPECT_EQ(host.begun, 2);
  EXPECT_EQ(host.ended, 1);

  TsfSkinPopupMenu orphan;
  EXPECT_EQ(orphan.FindHost(), nullptr);
  orphan.Popup(1, 1);  // no window: nothing happens
}

TEST(MenuModeHook, SwallowsKeysAndReportsOutsidePresses) {
  QWidget menuWindow, other;
  menuWindow.show();
  other.show();
  TsfMenuModeHook hook;
  std::vector<WORD> keys;
  int outside = 0;
  hook.OnKey = [&](WORD k) { keys.push_back(k); };
  hook.OnOutside = [&] { ++outside; };
  hook.IsMenuWindow = [&](const QWidget* w) { return w == &menuWindow; };

  struct KeyCatcher : QWidget {
    int presses = 0;
    void keyPressEvent(QKeyEvent*) override { ++presses; }
  } target;
  target.show();
  hook.Install();
  QTest::keyClick(&target, Qt::Key_Down);
  EXPECT_EQ(keys, std::vector<WORD>{VK_DOWN});
  EXPECT_EQ(target.presses, 0);
  QTest::mouseClick(&menuWindow, Qt::LeftButton);
  EXPECT_EQ(outside, 0);
  QTest::mouseClick(&other, Qt::LeftButton);
  EXPECT_EQ(outside, 1);
  hook.Remove();
  QTest::keyClick(&target, Qt::Key_Down);
  EXPECT_EQ(target.presses, 1);
  EXPECT_EQ(keys.size(), 1u);
}

}  // namespace
