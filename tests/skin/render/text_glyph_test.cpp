#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <set>

#include "platform/control.h"
#include "skin/render/glyphs.h"
#include "skin/render/text_helpers.h"
#include "skin/render/window_helpers.h"
#include "tests/skin/render/picture_helpers.h"

using namespace rendertest;

namespace {
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kInk = qRgb(0, 0, 255);  // clBlue
using Pixels = std::set<std::pair<int, int>>;

// Every pixel of the picture is the ink where `ink` says so and white elsewhere.
void ExpectPixels(const TBitmap& b, const Pixels& ink, const char* what) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      ASSERT_EQ(At(b, x, y), ink.count({x, y}) ? kInk : kWhite) << what << " at " << x << "," << y;
}

TBitmap Paper(int w = 16, int h = 16) { return Filled(w, h, kWhite); }

void UseTestFont(TCanvas* c) {
  c->Font.SetName("Arial");
  c->Font.SetHeight(-12);
}
}  // namespace

TEST(EllipsizeText, KeepsTheLongestLeadingPartThatFits) {
  TBitmap paper = Paper(10, 10);
  TCanvas* c = paper.Canvas();
  UseTestFont(c);
  struct Case { QString text, fitsWith, want; };
  const Case cases[] = {
      {"abcdefghijk", "abcde...", "abcde..."},
      {"abcdefghijk", "abcdefghijk", "abcdefghijk"},  // fits as it is
      {QString::fromUtf8("汉字测试文本"), QString::fromUtf8("汉字..."), QString::fromUtf8("汉字...")},
      {QString::fromUtf8("ab😀😀😀"), QString::fromUtf8("ab😀..."), QString::fromUtf8("ab😀...")},
  };
  for (const Case& k : cases) {
    QString text = k.text;
    EllipsizeText(c, text, c->TextWidth(k.fitsWith));
    EXPECT_EQ(text, k.want) << k.text.toStdString();
    QString wide = k.text;
    EllipsizeTextWide(c, wide, c->TextWidth(k.fitsWith));
    EXPECT_EQ(wide, k.want);
  }
  QString tiny = "abcdefghijk";
  EllipsizeTextWide(c, tiny, c->TextWidth("...") - 1);
  EXPECT_EQ(tiny, "...");
  EXPECT_GT(TextWidthWide(c, "abc"), 0);
  EXPECT_GT(TextHeightWide(c, "abc"), 0);
}

TEST(LayoutGlyphAndText, PlacesGlyphAndCaption) {
  struct Case {
    const char* name;
    TsfButtonLayout layout;
    TRect face;
    int gw, gh, tw, th, margin, spacing;
    TPoint glyph, text;
  };
  const TRect wide(0, 0, 100, 20), tall(0, 0, 100, 60);
  const Case cases[] = {
      {"centred left", blGlyphLeft, wide, 16, 16, 40, 10, -1, 4, {20, 2}, {40, 5}},
      {"margin right", blGlyphRight, wide, 16, 16, 40, 10, 5, 4, {79, 2}, {35, 5}},
      {"margin left", blGlyphLeft, wide, 16, 16, 40, 10, 5, 4, {5, 2}, {25, 5}},
      {"centred right", blGlyphRight, wide, 16, 16, 40, 10, -1, 4, {64, 2}, {20, 5}},
      {"no glyph ignores spacing", blGlyphLeft, wide, 0, 0, 40, 10, -1, 4, {30, 10}, {30, 5}},
      {"centred top", blGlyphTop, tall, 16, 16, 40, 10, -1, 4, {42, 15}, {30, 35}},
      {"margin bottom", blGlyphBottom, tall, 16, 16, 40, 10, 5, 4, {42, 39}, {30, 25}},
      {"centred bottom", blGlyphBottom, tall, 16, 16, 40, 10, -1, 4, {42, 29}, {30, 15}},
      {"face offset", blGlyphLeft, TRect(10, 30, 110, 50), 16, 16, 40, 10, -1, 4, {30, 32}, {50, 35}},
  };
  for (const Case& c : cases) {
    const TsfGlyphTextPlace p =
        LayoutGlyphAndText(c.layout, c.face, c.gw, c.gh, c.tw, c.th, c.margin, c.spacing);
    EXPECT_EQ(p.Glyph, c.glyph) << c.name;
    EXPECT_EQ(p.Text, c.text) << c.name;
  }
}

TEST(DrawGlyphAndText, GlyphLandsWhereTheLayoutPutsIt) {
  TCustomImageList images(8, 8);
  images.Add(Filled(8, 8, qRgb(255, 0, 0)), false);
  struct Case { bool pressed; int x, y; };
  // Margin -1: the block is glyph + spacing (8 + 4) wide, centred at 20.
  for (const Case& k : {Case{false, 14, 6}, Case{true, 15, 7}}) {
    TBitmap face = Paper(40, 20);
    DrawImageGlyphAndText(face.Canvas(), TRect(0, 0, 40, 20), -1, clBlack, false, true, k.pressed,
                          &images, 0, QString(), blGlyphLeft, 4);
    EXPECT_EQ(At(face, k.x, k.y), qRgb(255, 0, 0));
    EXPECT_EQ(At(face, k.x + 7, k.y + 7), qRgb(255, 0, 0));
    EXPECT_EQ(At(face, k.x - 1, k.y), kWhite);
    EXPECT_EQ(At(face, k.x + 8, k.y + 8), kWhite);
  }
  // Glyph 3 of a strip of four 6 x 5 glyphs, at margin 2 from the right.
  TBitmap strip = Filled(24, 5, qRgb(0, 200, 0));
  strip.Image().setPixel(12, 4, qRgb(9, 9, 9));  // the glyph's key colour
  TBitmap face = Paper(40, 21);
  DrawStripGlyphAndText(face.Canvas(), TRect(0, 0, 40, 21), 2, clBlack, true, false, 3, 4, strip,
                        QString(), blGlyphRight, 4);
  EXPECT_EQ(At(face, 32, 8), qRgb(0, 200, 0));   // glyph x = 40 - 6 - 2, y = 10 - 2
  EXPECT_EQ(At(face, 32, 12), kWhite);            // keyed out
  EXPECT_EQ(At(face, 37, 12), qRgb(0, 200, 0));
  EXPECT_EQ(At(face, 32, 13), qRgb(0, 0, 0));     // marker rows under the glyph
  EXPECT_EQ(At(face, 37, 15), qRgb(0, 0, 0));
  EXPECT_EQ(At(face, 32, 16), kWhite);
}

TEST(DrawGlyphAndText, IndexOutsideTheListDrawsTheCaptionAlone) {
  TCustomImageList images(16, 16);
  images.Add(Filled(16, 16, qRgb(255, 0, 0)), false);
  auto draw = [&](const TCustomImageList* list, int index) {
    TBitmap face = Paper(80, 24);
    UseTestFont(face.Canvas());
    DrawImageGlyphAndText(face.Canvas(), TRect(0, 0, 80, 24), -1, clBlack, false, true, false,
                          list, index, "Caption", blGlyphLeft, 6);
    return face.Image().copy();
  };
  const QImage alone = draw(nullptr, 0);
  EXPECT_EQ(draw(&images, 5), alone);
  EXPECT_EQ(draw(&images, -1), alone);
  EXPECT_NE(draw(&images, 0), alone);
  // Some ink of the caption, centred.
  bool ink = false;
  for (int x = 0; x < 80; ++x) ink = ink || alone.pixel(x, 12) != kWhite;
  EXPECT_TRUE(ink);
}

namespace {
// The caption drawn by the canvas's own text drawing, measured in the face
// first and then drawn centred in its measured size: what the glyph-and-text
// helper must match pixel for pixel however it lays the text out.
QImage CaptionByCanvas(const QString& caption, int size, const TRect& face, bool pressed) {
  TBitmap paper = Paper(face.Right, face.Bottom);
  TCanvas* c = paper.Canvas();
  UseTestFont(c);
  c->Font.SetHeight(size);
  TRect r(0, 0, face.Width(), face.Height());
  DrawTextWide(c, caption, r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  TsfGlyphTextPlace at =
      LayoutGlyphAndText(blGlyphLeft, face, 0, 0, r.Width(), r.Height(), -1, 0);
  const int shift = pressed ? 1 : 0;
  TRect box(at.Text.X + shift, at.Text.Y + shift, at.Text.X + shift + r.Width() + 2,
            at.Text.Y + shift + r.Height());
  c->Brush.Style = bsClear;
  DrawTextWide(c, caption, box, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_EXPANDTABS);
  return paper.Image().copy();
}
}  // namespace

TEST(DrawGlyphAndText, CaptionMatchesTheCanvasTextAtEveryRepeat) {
  struct Case { const char* name; QString caption; int size; TRect face; bool pressed; };
  const Case cases[] = {
      {"one line", "Button 12", -12, TRect(0, 0, 90, 24), false},
      {"pressed", "Button 12", -12, TRect(0, 0, 90, 24), true},
      {"accelerator", "&Save && go", -12, TRect(0, 0, 90, 24), false},
      {"wrapped", "save then move to the next one", -12, TRect(0, 0, 70, 60), false},
      {"wrapped, larger font", "save then move to the next one", -16, TRect(0, 0, 70, 60), false},
      {"tab", "a\tb", -12, TRect(0, 0, 90, 24), false},
      {"line break", "two\nlines", -12, TRect(0, 0, 90, 40), false},
      {"chinese", QString::fromUtf8("保存下一题"), -14, TRect(3, 2, 90, 30), false},
  };
  // Twice through the table: the second time every caption is drawn from
  // what the first time laid out, and must not differ.
  for (int round = 0; round < 2; ++round) {
    for (const Case& k : cases) {
      TBitmap face = Paper(k.face.Right, k.face.Bottom);
      UseTestFont(face.Canvas());
      face.Canvas()->Font.SetHeight(k.size);
      DrawStripGlyphAndText(face.Canvas(), k.face, -1, clBlack, false, k.pressed, 1, 1, TBitmap(),
                            k.caption, blGlyphLeft, 0);
      const QImage want = CaptionByCanvas(k.caption, k.size, k.face, k.pressed);
      EXPECT_EQ(face.Image().convertToFormat(want.format()), want) << k.name << " round " << round;
    }
  }
}

TEST(DrawLaidText, MatchesTextOutAtEveryRepeat) {
  struct Case { const char* name; QString text; int size; TRect clip; bool solid; };
  const Case cases[] = {
      {"latin", "Panel 12", -12, TRect(0, 0, 90, 30), false},
      {"larger font", "Panel 12", -16, TRect(0, 0, 90, 30), false},
      {"ampersand kept", "A&B", -12, TRect(0, 0, 90, 30), false},
      {"chinese", QString::fromUtf8("答案解析"), -14, TRect(0, 0, 90, 30), false},
      {"clipped", "a long caption cut short", -12, TRect(4, 0, 40, 30), false},
      {"solid brush", "Panel", -12, TRect(0, 0, 90, 30), true},
  };
  for (int round = 0; round < 2; ++round) {
    for (const Case& k : cases) {
      auto draw = [&](bool laid) {
        TBitmap paper = Paper(90, 30);
        TCanvas* c = paper.Canvas();
        UseTestFont(c);
        c->Font.SetHeight(k.size);
        c->Font.SetColor(clBlue);
        c->Brush.Style = k.solid ? bsSolid : bsClear;
        c->Brush.Color = clYellow;
        if (laid) {
          DrawLaidText(c, 5, 6, k.text, k.clip);
        } else {
          c->SetClipRect(k.clip);
          c->TextOut(5, 6, k.text);
          c->ResetClip();
        }
        return paper.Image().copy();
      };
      EXPECT_EQ(draw(true), draw(false)) << k.name << " round " << round;
      TBitmap paper = Paper(4, 4);
      UseTestFont(paper.Canvas());
      paper.Canvas()->Font.SetHeight(k.size);
      EXPECT_EQ(LaidTextWidth(paper.Canvas(), k.text), paper.Canvas()->TextWidth(k.text)) << k.name;
    }
  }
}

TEST(DrawDottedFrame, StartsByParityAndAlternatesAroundTheFrame) {
  struct Case { int w, h; bool firstSet; };
  for (const Case& k : {Case{10, 10, true}, Case{11, 11, false}, Case{11, 10, true},
                        Case{10, 11, true}, Case{2, 2, true}, Case{1, 1, false}}) {
    TBitmap paper = Paper(14, 14);
    TCanvas* c = paper.Canvas();
    c->Font.SetColor(clBlue);
    DrawDottedFrame(c, Bounds(1, 2, k.w, k.h));
    // Clockwise distance from the top-left along the border decides each pixel.
    const int w = k.w - 1, h = k.h - 1;
    Pixels ink;
    auto mark = [&](int x, int y, int dist) {
      if ((dist % 2 == 0) == k.firstSet) ink.insert({1 + x, 2 + y});
    };
    for (int x = 0; x <= w; ++x) mark(x, 0, x);
    for (int y = 0; y <= h; ++y) mark(w, y, w + y);
    for (int x = w; x >= 0; --x) mark(x, h, w + h + (w - x));
    for (int y = h; y >= 0; --y) mark(0, y, 2 * w + h + (h - y));
    ExpectPixels(paper, ink, "dotted frame");
  }
}

TEST(LineGlyphs, PixelsOfFramesArrowsAndChecks) {
  TBitmap paper = Paper();
  DrawFrame3D(paper.Canvas(), TRect(1, 1, 6, 5), clBlue, clRed);
  for (int y = 1; y < 5; ++y)
    for (int x = 1; x < 6; ++x) {
      const bool topLeft = (x == 1 && y < 4) || (y == 1 && x < 5);
      const bool bottomRight = x == 5 || y == 4;
      const QRgb want = bottomRight ? qRgb(255, 0, 0) : topLeft ? kInk : kWhite;
      ASSERT_EQ(At(paper, x, y), want) << x << "," << y;
    }

  struct Case {
    const char* name;
    void (*draw)(TCanvas*);
    Pixels ink;
  };
  auto span = [](int x1, int x2, int y) {
    Pixels p;
    for (int x = x1; x <= x2; ++x) p.insert({x, y});
    return p;
  };
  auto column = [](int x, int y1, int y2) {
    Pixels p;
    for (int y = y1; y <= y2; ++y) p.insert({x, y});
    return p;
  };
  auto join = [](std::initializer_list<Pixels> parts) {
    Pixels all;
    for (const Pixels& p : parts) all.insert(p.begin(), p.end());
    return all;
  };
  Pixels check;
  for (int i = 0; i <= 2; ++i) {
    const int x = 2, y = 2;
    for (auto p : {std::pair{x, y + 5 - i}, {x + 1, y + 6 - i}, {x + 2, y + 7 - i},
                   {x + 3, y + 6 - i}, {x + 4, y + 5 - i}, {x + 5, y + 4 - i}, {x + 6, y + 3 - i}})
      check.insert(p);
  }
  Pixels cross;
  for (int k = 0; k < 8; ++k) {
    cross.insert({3 + 1 + k, 2 + 1 + k});
    cross.insert({3 + 2 + k, 2 + 1 + k});
    cross.insert({3 + 9 - k, 2 + 1 + k});
    cross.insert({3 + 8 - k, 2 + 1 + k});
  }
  const Case cases[] = {
      {"arrow left", [](TCanvas* c) { DrawArrowGlyph(c, TRect(0, 0, 10, 10), clBlue, 1); },
       join({column(3, 5, 5), column(4, 4, 6), column(5, 3, 7), column(6, 2, 8)})},
      {"arrow right, even", [](TCanvas* c) { DrawArrowGlyph(c, TRect(0, 0, 10, 10), clBlue, 2); },
       join({column(4, 2, 8), column(5, 3, 7), column(6, 4, 6), column(7, 5, 5)})},
      {"arrow right, odd", [](TCanvas* c) { DrawArrowGlyph(c, TRect(0, 0, 10, 11), clBlue, 2); },
       join({column(4, 2, 9), column(5, 3, 8), column(6, 4, 7), column(7, 5, 6)})},
      {"arrow up", [](TCanvas* c) { DrawArrowGlyph(c, TRect(0, 0, 10, 10), clBlue, 3); },
       join({span(5, 5, 3), span(4, 6, 4), span(3, 7, 5), span(2, 8, 6)})},
      {"arrow down", [](TCanvas* c) { DrawArrowGlyph(c, TRect(0, 0, 10, 10), clBlue, 4); },
       join({span(2, 8, 4), span(3, 7, 5), span(4, 6, 6), span(5, 5, 7)})},
      {"small down", [](TCanvas* c) { DrawSmallDownArrow(c, TRect(2, 2, 12, 12), clBlue); },
       join({span(5, 9, 7), span(6, 8, 8), span(7, 7, 9)})},
      {"check", [](TCanvas* c) { DrawCheckGlyph(c, 2, 2, clBlue); }, check},
      {"dot", [](TCanvas* c) { DrawDotGlyph(c, 1, 2, clBlue); },
       join({span(1, 6, 2), span(1, 6, 3), span(1, 6, 4), span(1, 6, 5), span(1, 6, 6), span(1, 6, 7)})},
      {"close", [](TCanvas* c) { DrawCloseSymbol(c, 3, 2, clBlue); }, cross},
      {"minimise", [](TCanvas* c) { DrawMinimizeSymbol(c, 3, 2, clBlue); },
       join({span(4, 11, 10), span(4, 11, 11)})},
      {"maximise", [](TCanvas* c) { DrawMaximizeSymbol(c, 2, 3, clBlue); },
       join({span(2, 12, 3), span(2, 12, 4), span(2, 12, 12), column(2, 3, 12), column(12, 3, 12)})},
      {"restore", [](TCanvas* c) { DrawRestoreSymbol(c, 2, 3, clBlue); },
       join({span(4, 11, 3), span(4, 11, 4), span(4, 11, 8), column(4, 3, 8), column(11, 3, 8),
             span(2, 8, 7), span(2, 8, 8), span(2, 8, 12), column(2, 7, 12), column(8, 7, 12)})},
      {"system menu", [](TCanvas* c) { DrawSysMenuSymbol(c, 2, 3, clBlue); },
       join({span(3, 10, 6), span(3, 10, 8), column(3, 6, 8), column(10, 6, 8)})},
      {"down triangle", [](TCanvas* c) { DrawDownTriangleSymbol(c, 2, 3, clBlue); },
       join({span(7, 7, 9), span(6, 8, 8), span(5, 9, 7), span(4, 10, 6), span(3, 11, 5)})},
      {"up triangle", [](TCanvas* c) { DrawUpTriangleSymbol(c, 2, 3, clBlue); },
       join({span(3, 11, 9), span(4, 10, 8), span(5, 9, 7), span(6, 8, 6), span(7, 7, 5)})},
      {"small square", [](TCanvas* c) { DrawSmallSquareSymbol(c, 2, 3, clBlue); },
       join({span(4, 8, 5), span(4, 8, 6), span(4, 8, 7), span(4, 8, 8), span(4, 8, 9)})},
  };
  for (const Case& c : cases) {
    TBitmap p = Paper();
    c.draw(p.Canvas());
    ExpectPixels(p, c.ink, c.name);
  }
}

namespace {
class FilledControl : public TGraphicControl {
 public:
  FilledControl(QWidget* parent, TColor colour) : TGraphicControl(parent), m_colour(colour) {}

 protected:
  void Paint() override {
    Canvas()->Brush.Color = m_colour;
    Canvas()->FillRect(ClientRect());
  }

 private:
  TColor m_colour;
};

// Yellow, with its left half painted blue.
class HalfBlueParent : public TCustomControl {
 public:
  HalfBlueParent() { SetColor(clYellow); }

 protected:
  void Paint() override {
    Canvas()->Brush.Color = clBlue;
    Canvas()->FillRect(TRect(0, 0, Width() / 2, Height()));
  }
};
}  // namespace

TEST(DrawParentBackground, PaintsTheParentAndEarlierWindowlessSiblings) {
  HalfBlueParent parent;
  parent.SetBounds(0, 0, 100, 60);
  auto* before = new FilledControl(&parent, clRed);
  before->SetBounds(35, 5, 10, 10);  // overlaps the control's top-left corner
  auto* control = new FilledControl(&parent, clLime);
  control->SetBounds(40, 10, 30, 30);
  auto* after = new FilledControl(&parent, clFuchsia);
  after->SetBounds(60, 20, 20, 20);  // after the control: not behind it

  TBitmap picture = Filled(30, 30, qRgb(1, 2, 3));
  DrawParentBackground(control, picture.Canvas());
  EXPECT_EQ(At(picture, 0, 0), qRgb(255, 0, 0));     // (40, 10): the earlier sibling
  EXPECT_EQ(At(picture, 4, 4), qRgb(255, 0, 0));
  EXPECT_EQ(At(picture, 5, 5), qRgb(0, 0, 255));     // (45, 15): the parent's left half
  EXPECT_EQ(At(picture, 9, 20), qRgb(0, 0, 255));
  EXPECT_EQ(At(picture, 10, 20), qRgb(255, 255, 0)); // (50, 30): the parent's own colour
  EXPECT_EQ(At(picture, 25, 25), qRgb(255, 255, 0)); // under the later sibling: not drawn
  EXPECT_FALSE(IsPaintingCopy(&parent));

  FilledControl orphan(nullptr, clRed);
  TBitmap untouched = Filled(5, 5, qRgb(1, 2, 3));
  DrawParentBackground(&orphan, untouched.Canvas());
  EXPECT_EQ(At(untouched, 2, 2), qRgb(1, 2, 3));
}

namespace {
// A control that looks transparent: it paints what lies behind it, then a
// one-pixel dot of its own.
class SeeThroughControl : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;

 protected:
  void Paint() override {
    DrawParentBackground(this, Canvas());
    Canvas()->Brush.Color = clBlack;
    Canvas()->FillRect(TRect(0, 0, 1, 1));
  }
};
}  // namespace

TEST(DrawParentBackground, WorksFromInsideTheControlsOwnPaint) {
  HalfBlueParent parent;
  parent.SetBounds(0, 0, 100, 60);
  auto* control = new SeeThroughControl(&parent);
  control->SetBounds(40, 10, 30, 30);
  const QImage shot = parent.grab().toImage();
  EXPECT_EQ(shot.pixel(40, 10) | 0xFF000000u, qRgb(0, 0, 0));      // its own dot
  EXPECT_EQ(shot.pixel(45, 20) | 0xFF000000u, qRgb(0, 0, 255));    // the parent's blue half
  EXPECT_EQ(shot.pixel(60, 30) | 0xFF000000u, qRgb(255, 255, 0));  // the parent's colour
}

TEST(GetWorkArea, OneMonitorGivesItsWorkAreaOrTheWholeScreen) {
  QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  QWidget window;
  window.setGeometry(10, 10, 50, 50);
  TRect r;
  GetWorkArea(&window, true, r);
  EXPECT_EQ(r, TRect::fromQRect(screen->availableGeometry()));
  GetWorkArea(&window, false, r);
  EXPECT_EQ(r, TRect(0, 0, screen->geometry().width(), screen->geometry().height()));
  GetWorkArea(nullptr, true, r);
  EXPECT_EQ(r, TRect::fromQRect(screen->availableGeometry()));
}

TEST(DrawTextHelpers, EmptyTextDrawsNothing) {
  TBitmap paper = Paper(40, 20);
  UseTestFont(paper.Canvas());
  DrawTextSingleLine(paper.Canvas(), QString(), TRect(0, 0, 40, 20));
  ExpectPixels(paper, {}, "empty single line");
  paper.Canvas()->Font.SetColor(clBlack);
  DrawTextSingleLine(paper.Canvas(), "Ab", TRect(0, 0, 40, 20));
  bool ink = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) ink = ink || At(paper, x, y) != kWhite;
  EXPECT_TRUE(ink);
}
