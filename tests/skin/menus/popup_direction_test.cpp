// Pop-ups of a menu read from the right: each line laid out as its mirror
// image (checked on rendered pixels, skinned and plain), submenus opening on
// the left, and Left and Right trading meaning for real key presses.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "platform/control.h"
#include "skin/menus/menu_host.h"
#include "skin/menus/skin_menu.h"
#include "tiny_menu_skin.h"

namespace {

constexpr QRgb kInk = qRgb(255, 0, 255);
// Text and marks on the light lines (antialiased text included).
constexpr int kDark = 160;

TEST(PlacePopupRightToLeft, EndsAtTheAnchorAndOpensSubmenusOnTheLeft) {
  const TRect W(0, 0, 1000, 600);
  const struct {
    const char* what;
    TRect anchor;
    bool submenu;
    int x;
  } cases[] = {
      {"a point: the pop-up ends there", TRect(500, 100, 500, 100), false, 350},
      {"an anchor rect: its right edges", TRect(400, 100, 480, 120), false, 330},
      {"near the left edge: moved right", TRect(60, 100, 60, 100), false, 0},
      {"submenu: on the left of the parent", TRect(400, 100, 550, 120), true, 249},
      {"submenu without room on the left: on the right", TRect(100, 100, 250, 120), true, 251},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PlacePopup(c.anchor, 150, 200, W, 2, false, c.submenu, false, true).X, c.x) << c.what;
  }
}

// Dark pixels of one column of a line.
int Ink(const QImage& img, const TRect& line, int x) {
  int n = 0;
  for (int y = line.Top; y < line.Bottom; ++y)
    if (qGray(img.pixel(x, y)) < kDark) ++n;
  return n;
}
// The highest dark pixel of one column of a line (line.Bottom: none).
int TopInk(const QImage& img, const TRect& line, int x) {
  for (int y = line.Top; y < line.Bottom; ++y)
    if (qGray(img.pixel(x, y)) < kDark) return y;
  return line.Bottom;
}
// The first and last column in [from, to) with dark pixels (-1: none).
std::pair<int, int> InkSpan(const QImage& img, const TRect& line, int from, int to) {
  int first = -1, last = -1;
  for (int x = from; x < to; ++x)
    if (Ink(img, line, x) > 0) {
      if (first < 0) first = x;
      last = x;
    }
  return {first, last};
}

class Recorder : public TCustomControl {};

class PopupDirectionTest : public ::testing::Test {
 public:
  void SetUp() override {
    root = new TMenuItem(&owner);
    root->Add(NewMenuItem(root, QString(), QStringLiteral("&Open")));
    root->Add(NewMenuItem(root, QString(), QStringLiteral("&More")));
    root->Add(NewMenuItem(root, QString(), QStringLiteral("W....")));
    root->Add(NewMenuItem(root, QString(), QStringLiteral("X"), nullptr, QStringLiteral("Alt+F4")));
    QImage glyph(10, 8, QImage::Format_RGB32);
    glyph.fill(qRgb(255, 255, 0));  // the keyed border
    FillTinyRect(glyph, QRect(1, 1, 8, 6), kInk);
    root->Items(0)->Bitmap = TBitmap(glyph);
    more = root->Items(1);
    more->Add(NewMenuItem(more, QString(), QStringLiteral("&Inner")));
  }
  void TearDown() override {
    menu.CloseFrom(0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  // The tiny skin with light line pieces, so only text and marks are dark.
  TsfSkinData* Skin() {
    TinyMenuSkinLook look;
    look.inactive = qRgb(220, 220, 220);
    skin = TinyMenuSkin(look);
    return skin.get();
  }
  TsfSkinPopupWindow* Open(bool skinned, bool rtl) {
    control.setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    menu.Popup(&control, skinned ? Skin() : nullptr, false, root, TRect(300, 50, 300, 50), 0);
    return menu.Deepest();
  }

  QObject owner;
  TMenuItem* root = nullptr;
  TMenuItem* more = nullptr;
  std::unique_ptr<TsfSkinData> skin;
  TsfSkinMenu menu;
  Recorder control;
};

TEST_F(PopupDirectionTest, LinesAreMirroredImagesReadFromTheRight) {
  // Skinned: the text rect starts 2 into the line and ends 2 before its end;
  // plain: the caption starts after the 19-pixel glyph column + 2, the
  // shortcut ends 21 before the line's end.
  const struct {
    const char* look;
    bool skinned;
    int glyph;     // glyph's distance from its edge
    int caption;   // caption's distance from its edge
    int shortcut;  // shortcut's distance from the other edge
  } looks[] = {{"skinned", true, 4, 18, 18}, {"plain", false, 2, 21, 21}};
  for (const auto& l : looks)
    for (bool rtl : {false, true}) {
      SCOPED_TRACE(std::string(l.look) + (rtl ? " right to left" : " left to right"));
      TsfSkinPopupWindow* p = Open(l.skinned, rtl);
      ASSERT_NE(p, nullptr);
      EXPECT_EQ(menu.RightToLeft(), rtl);
      EXPECT_EQ(p->isRightToLeft(), rtl);
      const QImage shown = p->grab().toImage();
      auto line = [&](int i) { return p->Items()[size_t(i)].ItemRect; };

      // The glyph against the near edge.
      const TRect g = line(0);
      const int gx = rtl ? g.Right - l.glyph - 10 : g.Left + l.glyph;
      const int otherX = rtl ? g.Left + l.glyph : g.Right - l.glyph - 10;
      const int gy = g.Top + g.Height() / 2 - 4;
      EXPECT_EQ(shown.pixel(gx + 1, gy + 1) | 0xFF000000u, kInk);
      EXPECT_EQ(shown.pixel(gx + 8, gy + 6) | 0xFF000000u, kInk);
      EXPECT_NE(shown.pixel(otherX + 4, gy + 3) | 0xFF000000u, kInk) << "nothing at the other end";

      // The submenu mark against the far edge, pointing away from the text.
      const TRect m = line(1);
      const auto nearMark = InkSpan(shown, m, rtl ? m.Left : m.Right - 12, rtl ? m.Left + 12 : m.Right);
      const auto farMark = InkSpan(shown, m, rtl ? m.Right - 12 : m.Left, rtl ? m.Right : m.Left + 12);
      ASSERT_GE(nearMark.first, 0) << "a mark at the far end";
      EXPECT_EQ(farMark.first, -1) << "none at the glyph's end";
      EXPECT_EQ(nearMark.second - nearMark.first, 3);
      const int tip = Ink(shown, m, rtl ? nearMark.first : nearMark.second);
      const int base = Ink(shown, m, rtl ? nearMark.second : nearMark.first);
      EXPECT_EQ(tip, 1);
      EXPECT_EQ(base, 7);

      // The caption from the glyph's side, in its reading order: "W" then
      // the dots, so the tall letter is at the caption's start either way.
      const TRect c = line(2);
      const auto text = InkSpan(shown, c, c.Left, c.Right);
      ASSERT_GE(text.first, 0);
      const int start = rtl ? text.second : text.first;
      const int end = rtl ? text.first : text.second;
      EXPECT_NEAR(start, rtl ? c.Right - 1 - l.caption : c.Left + l.caption, 3);
      // A dot's ink sits on the baseline; the letter's reaches far higher.
      const int inward = rtl ? -1 : 1;
      int letterTop = c.Bottom, dotTop = c.Bottom;
      for (int i = 0; i < 3; ++i) {
        letterTop = std::min(letterTop, TopInk(shown, c, start + i * inward));
        dotTop = std::min(dotTop, TopInk(shown, c, end - i * inward));
      }
      EXPECT_LT(letterTop + 2, dotTop) << "the letter begins the caption, a dot ends it";

      // The shortcut against the far edge.
      const TRect s = line(3);
      const auto shortcut = rtl ? InkSpan(shown, s, s.Left, s.Left + s.Width() / 2)
                                : InkSpan(shown, s, s.Left + s.Width() / 2, s.Right);
      ASSERT_GE(shortcut.first, 0);
      EXPECT_NEAR(rtl ? shortcut.first : shortcut.second,
                  rtl ? s.Left + l.shortcut : s.Right - 1 - l.shortcut, 3);
      menu.CloseFrom(0);
    }
}

// A frame whose two sides differ (2 pixels of one colour on the left, 6 of
// another on the right) and whose mask cuts the top-left corner: read from
// the right, the frame, the lines' place and the window's shape are the
// mirror images of the left-to-right ones.
TEST_F(PopupDirectionTest, ALopsidedSkinnedFrameIsMirroredReadFromTheRight) {
  constexpr QRgb kLeftSide = qRgb(0, 0, 160), kRightSide = qRgb(0, 160, 0);
  TinyMenuSkinLook look;
  look.inactive = qRgb(220, 220, 220);
  skin = TinyMenuSkin(look);
  QImage frame(20, 20, QImage::Format_RGB32);
  frame.fill(kLeftSide);
  FillTinyRect(frame, QRect(14, 0, 6, 20), kRightSide);
  FillTinyRect(frame, QRect(2, 2, 12, 16), look.centre);
  *skin->PictureList[0] = TBitmap(frame);
  QImage mask(20, 20, QImage::Format_RGB32);
  mask.fill(qRgb(0, 0, 0));
  FillTinyRect(mask, QRect(0, 0, 1, 2), qRgb(255, 255, 255));
  skin->PictureList.push_back(std::make_unique<TBitmap>(mask));
  TsfDataSkinPopupWindow& w = skin->PopupWindowData;
  w.maskpictureindex = 2;
  w.righttoppoint = TPoint(14, 2);
  w.rightbottompoint = TPoint(14, 18);
  w.itemsrect = TRect(2, 2, 14, 18);
  for (const bool rtl : {false, true}) {
    SCOPED_TRACE(rtl ? "right to left" : "left to right");
    control.setLayoutDirection(rtl ? Qt::RightToLeft : Qt::LeftToRight);
    menu.Popup(&control, skin.get(), false, root, TRect(300, 50, 300, 50), 0);
    TsfSkinPopupWindow* p = menu.Deepest();
    ASSERT_NE(p, nullptr);
    const QImage shown = p->grab().toImage();
    const int W = p->width(), y = p->height() / 2;
    const int nearSide = rtl ? 6 : 2, farSide = rtl ? 2 : 6;
    for (const TsfSkinMenuItem& line : p->Items()) {
      EXPECT_EQ(line.ItemRect.Left, nearSide);
      EXPECT_EQ(line.ItemRect.Right, W - farSide);
    }
    for (int x = 0; x < 2; ++x) {
      EXPECT_EQ(shown.pixel(rtl ? W - 1 - x : x, y) | 0xFF000000u, kLeftSide) << x;
      EXPECT_EQ(shown.pixel(rtl ? x : W - 1 - x, y) | 0xFF000000u, kRightSide) << x;
    }
    EXPECT_EQ(shown.pixel(rtl ? 5 : W - 6, y) | 0xFF000000u, kRightSide);
    const QRegion shape = p->mask();
    ASSERT_FALSE(shape.isEmpty());
    const int cutX = rtl ? W - 1 : 0, keptX = rtl ? 0 : W - 1;
    EXPECT_FALSE(shape.contains(QPoint(cutX, 0)));
    EXPECT_FALSE(shape.contains(QPoint(cutX, 1)));
    EXPECT_TRUE(shape.contains(QPoint(cutX, 2)));
    EXPECT_TRUE(shape.contains(QPoint(keptX, 0)));
    menu.CloseFrom(0);
  }
}

TEST_F(PopupDirectionTest, TheApplicationsDirectionServesAMenuWithoutAControl) {
  struct Restore {
    ~Restore() { QGuiApplication::setLayoutDirection(Qt::LeftToRight); }
  } restore;
  QGuiApplication::setLayoutDirection(Qt::RightToLeft);
  menu.Popup(nullptr, nullptr, false, root, TRect(300, 50, 300, 50), 0);
  EXPECT_TRUE(menu.RightToLeft());
  ASSERT_NE(menu.Deepest(), nullptr);
  EXPECT_EQ(menu.Deepest()->x() + menu.Deepest()->width(), 300) << "ends at the point";
  menu.CloseFrom(0);
  QGuiApplication::setLayoutDirection(Qt::LeftToRight);
  menu.Popup(nullptr, nullptr, false, root, TRect(300, 50, 300, 50), 0);
  EXPECT_FALSE(menu.RightToLeft());
  ASSERT_NE(menu.Deepest(), nullptr);
  EXPECT_EQ(menu.Deepest()->x(), 300);
}

// Key presses reach the menu through the menu-mode hook, as they do while a
// skinned window shows a menu.
TEST_F(PopupDirectionTest, LeftAndRightTradePlacesReadFromTheRight) {
  struct KeyTarget : QWidget {
  } target;
  target.show();
  TsfMenuModeHook hook;
  hook.OnKey = [this](WORD k) { menu.HandleKey(k); };
  hook.IsMenuWindow = [this](const QWidget* w) { return menu.IsPopupWindow(w); };
  hook.OnOutside = [] {};
  hook.Install();
  for (bool rtl : {false, true}) {
    SCOPED_TRACE(rtl ? "right to left" : "left to right");
    TsfSkinPopupWindow* p = Open(false, rtl);
    ASSERT_NE(p, nullptr);
    QTest::keyClick(&target, Qt::Key_Down);
    ASSERT_EQ(p->ActiveIndex(), 1) << "on \"&More\"";
    const Qt::Key into = rtl ? Qt::Key_Left : Qt::Key_Right;
    const Qt::Key back = rtl ? Qt::Key_Right : Qt::Key_Left;
    QTest::keyClick(&target, back);
    EXPECT_EQ(menu.PopupCount(), 1) << "nothing to go back from";
    QTest::keyClick(&target, into);
    ASSERT_EQ(menu.PopupCount(), 2);
    TsfSkinPopupWindow* sub = menu.Deepest();
    if (rtl) EXPECT_EQ(sub->x() + sub->width() + 1, p->x() + p->Items()[1].ItemRect.Left);
    else EXPECT_EQ(sub->x(), p->x() + p->Items()[1].ItemRect.Right + 1);
    QTest::keyClick(&target, back);
    EXPECT_EQ(menu.PopupCount(), 1);
    EXPECT_TRUE(menu.IsShowing());
    menu.CloseFrom(0);
  }
  hook.Remove();
}

}  // namespace
