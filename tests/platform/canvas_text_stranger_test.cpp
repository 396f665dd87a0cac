// Text drawn by the canvas against unfriendly input: right-to-left reading
// order with empty text, access-key marks, ellipses and rects of no width,
// and painters that inherit a right-to-left direction from their widget.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include "platform/bitmap.h"
#include "platform/canvas.h"

namespace {

// Columns holding dark pixels, as [first, last]; {-1, -1} without any.
std::pair<int, int> InkColumns(const QImage& img) {
  int first = -1, last = -1;
  for (int x = 0; x < img.width(); ++x)
    for (int y = 0; y < img.height(); ++y)
      if (qGray(img.pixel(x, y)) < 128) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

TBitmap White(int w, int h) {
  TBitmap b(w, h);
  b.Canvas()->Brush.Color = 0xFFFFFF;
  b.Canvas()->FillRect(TRect(0, 0, w, h));
  b.Canvas()->Font.SetColor(0x000000);
  return b;
}

// Hostile texts and rects, in both reading orders: nothing is drawn outside
// the rect, and the text keeps to the edge its alignment names.
TEST(CanvasTextStranger, ReadingOrderWithHostileTextsAndRects) {
  const struct {
    const char* what;
    QString text;
    TRect rect;
    unsigned flags;
    int edge;  // -1: ink near the left edge, 1: near the right, 0: no ink
  } cases[] = {
      {"empty", QString(), TRect(10, 0, 190, 30), DT_LEFT, 0},
      {"a lone mark", QStringLiteral("&"), TRect(10, 0, 190, 30), DT_LEFT, -1},
      {"marks, left", QStringLiteral("&W&&W"), TRect(10, 0, 190, 30), DT_LEFT, -1},
      {"marks, right", QStringLiteral("&W&&W"), TRect(10, 0, 190, 30), DT_RIGHT, 1},
      {"no width", QStringLiteral("WWW"), TRect(100, 0, 100, 30), DT_LEFT, 0},
      {"negative width", QStringLiteral("WWW"), TRect(120, 0, 100, 30), DT_LEFT, 0},
      {"ellipsis in a narrow rect", QStringLiteral("WWWWWWWWWWWWWWWWWWWW"), TRect(10, 0, 40, 30),
       DT_LEFT | DT_END_ELLIPSIS, -1},
      {"ellipsis, no width", QStringLiteral("WWWW"), TRect(100, 0, 100, 30),
       DT_LEFT | DT_END_ELLIPSIS, 0},
  };
  for (const auto& c : cases)
    for (unsigned rtl : {0u, unsigned(DT_RTLREADING)}) {
      SCOPED_TRACE(testing::Message() << c.what << (rtl ? ", rtl" : ""));
      TBitmap b = White(200, 30);
      TRect r = c.rect;
      b.Canvas()->DrawText(c.text, r, c.flags | DT_SINGLELINE | DT_VCENTER | rtl);
      const auto [first, last] = InkColumns(b.Image());
      if (c.edge == 0) {
        EXPECT_EQ(first, -1);
        continue;
      }
      ASSERT_GE(first, c.rect.Left);
      EXPECT_LT(last, c.rect.Right);
      if (c.edge < 0) EXPECT_LT(first, c.rect.Left + 6);
      else EXPECT_GT(last, c.rect.Right - 6);
    }
}

// A canvas on a painter of a right-to-left widget: DT_LEFT and DT_RIGHT
// still name the rect's left and right edges.
class TextWidget : public QWidget {
 public:
  unsigned flags = DT_LEFT;
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    TCanvas c(&p);
    c.Font.SetColor(0x000000);
    TRect r(0, 0, width(), height());
    c.DrawText(QStringLiteral("WW"), r, flags | DT_SINGLELINE | DT_VCENTER);
  }
};

TEST(CanvasTextStranger, AlignmentIsAbsoluteOnARightToLeftPainter) {
  for (unsigned flags : {unsigned(DT_LEFT), unsigned(DT_RIGHT)}) {
    SCOPED_TRACE(flags == DT_LEFT ? "left" : "right");
    TextWidget w;
    w.resize(200, 30);
    w.setLayoutDirection(Qt::RightToLeft);
    w.flags = flags;
    const auto [first, last] = InkColumns(w.grab().toImage());
    ASSERT_GE(first, 0);
    if (flags == DT_LEFT) EXPECT_LT(first, 100);
    else EXPECT_GT(last, 100);
  }
}

}  // namespace
