// Painting in the practice window's configuration: header and lines hidden,
// whole-row selection, end ellipsis, bitmap buffering, font 宋体 height 13.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "tests/treelist/tree_fixture.h"

namespace {

TColor At(const QImage& img, int x, int y) { return FromQColor(img.pixelColor(x, y)); }

// Ink: a pixel clearly different from the background.
bool Ink(const QImage& img, int x, int y, TColor background) {
  const TColor c = At(img, x, y), b = ColorToRGB(background);
  return std::abs(GetRValue(c) - GetRValue(b)) + std::abs(GetGValue(c) - GetGValue(b)) +
             std::abs(GetBValue(c) - GetBValue(b)) > 90;
}

const TColor kHighlight = ColorToRGB(clHighlight);
const TColor kWindow = ColorToRGB(clWindow);
const TColor kGray = ColorToRGB(clGrayText);
const TColor kBtnFace = ColorToRGB(clBtnFace);
constexpr int kBorder = 1;  // flat: a single window-frame line

struct RptListsFixture {
  explicit RptListsFixture(int width = 225, int height = 300) {
    window.resize(width + 100, height + 20);
    other = new QLineEdit(&window);
    other->setGeometry(width + 10, 0, 80, 20);
    list = new FieldTreeList(&window);
    list->SetName(QStringLiteral("RptLists"));
    list->field.alignment = taLeftJustify;  // a text field
    list->SetBounds(0, 0, width, height);
    list->Font()->SetName(QStringLiteral("宋体"));
    list->Font()->SetCharset(GB2312_CHARSET);
    list->Font()->SetHeight(13);
    list->SetCtl3D(false);
    list->SetShowHeader(false);
    list->SetShowLines(false);
    list->SetTreeLineColor(clGrayText);
    list->SetScrollBars(ssVertical);
    list->Bands()->Add();
    list->SetOptionsView(Opt(etoBandHeaderWidth) | Opt(etoDrawEndEllipsis) | Opt(etoRowSelect) |
                         Opt(etoUseBitmap) | Opt(etoUseImageIndexForSelected));
    name = new TtlDBTreeListMaskColumn(&window);
    name->SetName(QStringLiteral("RptListsNAME"));
    name->SetTreeList(list);
    name->SetCaption(QStringLiteral("标题"));
    name->HeaderAlignment = taCenter;
    name->SetWidth(220);
    name->SetBandIndex(0);
    name->SetRowIndex(0);
    name->SetFieldName(QStringLiteral("titlename"));
    const char* hidden[][2] = {{"subject_kind", "类别"}, {"subjext_text", ""}, {"subject_id", ""}};
    for (auto& h : hidden) {
      auto* c = list->CreateColumnOf<TtlDBTreeListColumn>();
      c->SetVisible(false);
      if (*h[1]) c->SetCaption(QString::fromUtf8(h[1]));
      c->SetFieldName(QString::fromLatin1(h[0]));
    }
    window.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
  }
  TtlTreeListNode* Node(const QString& text, TtlTreeListNode* parent = nullptr) {
    TtlTreeListNode* n = parent ? parent->AddChild() : list->Add();
    static_cast<TtlTreeListTextNode*>(n)->SetCellText(name->Index(), text);
    return n;
  }
  void Focus(bool on) {
    window.activateWindow();
    QApplication::setActiveWindow(&window);
    if (on) list->setFocus();
    else other->setFocus();
    QApplication::processEvents();
    ASSERT_EQ(list->hasFocus(), on);
  }
  QImage Grab() {
    QApplication::processEvents();
    return list->grab().toImage();
  }
  int RowHeight() const {
    return std::max(QFontMetrics(MakeQFont(QStringLiteral("宋体"), 13, 0)).height() + 3, 16);
  }
  int RowTop(int row) const { return kBorder + row * RowHeight(); }

  QWidget window;
  QLineEdit* other;
  FieldTreeList* list;
  TtlDBTreeListMaskColumn* name;
};

TEST(TreeListPaint, RowsStartAtTheTopOfTheClientAreaWithTheDesignedHeight) {
  RptListsFixture f;
  f.Node("one");
  f.Node("two");
  f.Focus(true);
  EXPECT_EQ(f.list->RowLineHeight(), f.RowHeight());
  EXPECT_EQ(f.list->RowsRect().Top, kBorder);
  const QImage img = f.Grab();
  const int h = f.RowHeight();
  EXPECT_EQ(At(img, 0, 0), ColorToRGB(clWindowFrame));
  // Row 0 is focused: highlighted from its first to its last pixel line.
  EXPECT_EQ(At(img, kBorder + 17, kBorder), kHighlight);
  EXPECT_EQ(At(img, kBorder + 17, kBorder + h - 1), kHighlight);
  EXPECT_EQ(At(img, kBorder + 17, kBorder + h), kWindow);
}

TEST(TreeListPaint, IndentsOneCellPerLevel) {
  RptListsFixture f;
  TtlTreeListNode* root = f.Node("root");
  TtlTreeListNode* child = f.Node("child", root);
  TtlTreeListNode* grandchild = f.Node("grandchild", child);
  f.Node("leaf");
  root->Expand(true);
  f.Focus(true);
  struct Case {
    TtlTreeListNode* node;
    int row, level;
  } cases[] = {{root, 0, 0}, {child, 1, 1}, {grandchild, 2, 2}, {f.list->Items(1), 3, 0}};
  for (const Case& k : cases) {
    f.list->SetFocusedNode(k.node, 0, false);
    const QImage img = f.Grab();
    // The highlighted cell starts right after (level + 1) indent cells.
    const int x = kBorder + (k.level + 1) * TtlCustomTreeList::IndentWidth;
    const int y = f.RowTop(k.row) + 2;
    EXPECT_EQ(At(img, x - 1, y), kWindow) << "level " << k.level;
    EXPECT_EQ(At(img, x, y), kHighlight) << "level " << k.level;
  }
}

TEST(TreeListPaint, ExpandButtonsHaveTheirDesignedShape) {
  for (bool expanded : {false, true}) {
    RptListsFixture f;
    f.Node("focused leaf");
    TtlTreeListNode* parent = f.Node("parent");
    f.Node("child", parent);
    parent->SetExpanded(expanded);
    f.Focus(true);
    const QImage img = f.Grab();
    // 9 × 9 in a 16-pixel cell: left (cell left + cell right - 9) / 2, top middle - 4.
    const int cellLeft = kBorder;
    const int left = (cellLeft + cellLeft + 16 - 9) / 2;
    const int top = f.RowTop(1) + f.RowHeight() / 2 - 4;
    for (int j = -1; j <= 9; ++j)
      for (int i = -1; i <= 9; ++i) {
        TColor expected = kWindow;  // inside, and around it: no tree lines
        if (i >= 0 && i <= 8 && j >= 0 && j <= 8) {
          if (i == 0 || i == 8 || j == 0 || j == 8) expected = kGray;
          else if (j == 4 && i >= 2 && i <= 6) expected = clBlack;
          else if (!expanded && i == 4 && j >= 2 && j <= 6) expected = clBlack;
        }
        EXPECT_EQ(At(img, left + i, top + j), expected)
            << (expanded ? "expanded" : "collapsed") << " at " << i << "," << j;
      }
  }
}

TEST(TreeListPaint, TreeLinesAreDottedInPhaseWhenShown) {
  RptListsFixture f;
  TtlTreeListNode* root = f.Node("root");
  f.Node("a", root);
  f.Node("b", root);
  root->SetExpanded(true);
  f.Focus(false);
  f.list->SetHideSelection(true);
  const int h = f.RowHeight();
  const int xm = kBorder + 16 + 7;  // the middle of the children's own cell
  {
    const QImage img = f.Grab();
    for (int y = f.RowTop(1); y < f.RowTop(3); ++y) EXPECT_EQ(At(img, xm, y), kWindow) << y;
  }
  f.list->SetShowLines(true);
  const QImage img = f.Grab();
  // Child "a" (not last): a vertical line over its whole row; "b" (last) stops at the middle.
  for (int y = f.RowTop(1); y < f.RowTop(2) + h / 2; ++y)
    EXPECT_EQ(At(img, xm, y), ((xm + y) & 1) == 0 ? kGray : kWindow) << y;
  for (int y = f.RowTop(2) + h / 2 + 1; y < f.RowTop(3); ++y) EXPECT_EQ(At(img, xm, y), kWindow) << y;
  // Connector of "a" from the middle of its cell to the cell's right edge.
  const int m = f.RowTop(1) + h / 2;
  for (int x = xm; x < kBorder + 32; ++x)
    EXPECT_EQ(At(img, x, m), ((x + m) & 1) == 0 ? kGray : kWindow) << x;
  EXPECT_EQ(At(img, kBorder + 32, m), kWindow);
  // Solid lines have no gaps.
  f.list->SetTreeLineStyle(tlSolid);
  const QImage solid = f.Grab();
  for (int x = xm; x < kBorder + 32; ++x) EXPECT_EQ(At(solid, x, m), kGray) << x;
}

TEST(TreeListPaint, SelectionColoursFollowTheFocus) {
  RptListsFixture f;
  f.Node("first");
  TtlTreeListNode* second = f.Node("second");
  f.list->SetFocusedNode(second, 0, false);
  const int x = kBorder + 17, y = f.RowTop(1) + 1;
  struct Case {
    bool focused, hideSelection;
    TColor background;
  } cases[] = {
      {true, false, kHighlight},
      {false, false, kBtnFace},  // hide-selection colours keep it visible
      {false, true, kWindow},
      {true, true, kHighlight},
  };
  for (const Case& k : cases) {
    f.list->SetHideSelection(k.hideSelection);
    f.Focus(k.focused);
    const QImage img = f.Grab();
    EXPECT_EQ(At(img, x, y), k.background) << k.focused << k.hideSelection;
    EXPECT_EQ(At(img, x, f.RowTop(0) + 1), kWindow);  // the other row is plain
    // The text is drawn in the row's text colour.
    const TColor text = ColorToRGB(k.background == kHighlight ? clHighlightText
                                   : k.background == kBtnFace ? clBtnText
                                                              : clWindowText);
    bool found = false;
    for (int px = x; px < x + 60 && !found; ++px)
      for (int py = f.RowTop(1); py < f.RowTop(2) && !found; ++py) found = At(img, px, py) == text;
    EXPECT_TRUE(found) << k.focused << k.hideSelection;
  }
}

TEST(TreeListPaint, FocusRectangleInvertsTheRowEdgeOnlyWhileFocused) {
  RptListsFixture f;
  f.Node("row");
  const int left = kBorder + 16;  // first cell: whole-row rectangle starts at the cell
  const int top = f.RowTop(0) + 1;
  const TColor inverted = RGB(255 - GetRValue(kHighlight), 255 - GetGValue(kHighlight),
                              255 - GetBValue(kHighlight));
  f.Focus(true);
  QImage img = f.Grab();
  EXPECT_EQ(At(img, left, top), inverted);
  EXPECT_EQ(At(img, left + 1, top), kHighlight);
  EXPECT_EQ(At(img, left + 2, top), inverted);
  EXPECT_EQ(At(img, left, top - 1), kHighlight);
  f.list->SetHideFocusRect(true);
  img = f.Grab();
  EXPECT_EQ(At(img, left, top), kHighlight);
  f.list->SetHideFocusRect(false);
  f.Focus(false);
  img = f.Grab();
  EXPECT_EQ(At(img, left, top), kBtnFace);
}

TEST(TreeListPaint, FocusRectangleSurroundsTheFocusedCellWithoutRowSelect) {
  RptListsFixture f(300);
  f.list->SetOptionView(etoRowSelect, false);
  f.name->SetWidth(120);
  TtlTreeListColumn* second = f.list->Columns(1);
  second->SetVisible(true);
  second->SetWidth(80);
  f.Node("row");
  f.list->SetFocusedNode(f.list->Items(0), second->Index(), false);
  f.Focus(true);
  const QImage img = f.Grab();
  const int top = f.RowTop(0);
  const int cellLeft = kBorder + 120, cellRight = cellLeft + 80;
  // Only the focused cell is highlighted; its rectangle is inset by one pixel.
  EXPECT_EQ(At(img, kBorder + 60, top + 3), kWindow);
  EXPECT_EQ(At(img, cellLeft, top + 3), kHighlight);
  const TColor inverted = kHighlight ^ 0xFFFFFF;
  EXPECT_EQ(At(img, cellLeft + 1, top + 1), inverted);
  EXPECT_EQ(At(img, cellLeft, top + 1), kHighlight);
  EXPECT_EQ(At(img, cellRight - 2, top + f.RowHeight() - 2), inverted);
}

// The incremental search prefix as the later search code reports it.
class SearchingTreeList : public FieldTreeList {
 public:
  using FieldTreeList::FieldTreeList;
  QString search;
  QString AutoSearchText() const override { return search; }
};

TEST(TreeListPaint, IncrementalSearchPrefixIsDrawnInverted) {
  QWidget window;
  auto* list = new SearchingTreeList(&window);
  list->field.alignment = taLeftJustify;
  list->SetBounds(0, 0, 225, 100);
  list->SetCtl3D(false);
  list->SetShowHeader(false);
  list->SetOptionsView(Opt(etoRowSelect) | Opt(etoUseBitmap));
  list->Bands()->Add();
  auto* column = list->CreateColumnOf<TtlDBTreeListColumn>();
  column->SetFieldName("titlename");
  column->SetWidth(200);
  static_cast<TtlTreeListTextNode*>(list->Add())->SetCellText(0, "MMMMMM");
  window.show();
  list->SetHideSelection(true);  // unfocused: plain colours
  QImage img = list->grab().toImage();
  const int x = kBorder + 16 + 2 + 1, y = kBorder + 2;
  EXPECT_EQ(At(img, x, y), kWindow);
  list->search = "mm";
  img = list->grab().toImage();
  // The prefix is on the cell's inverse colour; the rest of the text is not.
  EXPECT_EQ(At(img, x, y), clBlack);
  const int prefix = QFontMetrics(list->Font()->ToQFont()).horizontalAdvance("MM");
  EXPECT_EQ(At(img, x + prefix + 2, y), kWindow);
  list->search = "x";
  img = list->grab().toImage();
  EXPECT_EQ(At(img, x, y), kWindow);
}

// Right end of the ink in a row and whether that end lies wholly below the
// row's middle (where the dots of an ellipsis sit, unlike a cut glyph).
struct InkEnd {
  int right = -1;
  bool tailBelowMiddle = true;
};
InkEnd FindInkEnd(const QImage& img, int top, int height, int from, int to, int tail) {
  InkEnd end;
  for (int x = to - 1; x >= from && end.right < 0; --x)
    for (int y = top; y < top + height; ++y)
      if (Ink(img, x, y, clWindow)) end.right = x;
  if (end.right < 0) return end;
  for (int x = end.right - tail + 1; x <= end.right; ++x)
    for (int y = top; y < top + height / 2; ++y)
      if (Ink(img, x, y, clWindow)) end.tailBelowMiddle = false;
  return end;
}

TEST(TreeListPaint, LongCaptionEndsInAnEllipsisOrIsClipped) {
  RptListsFixture f(300);
  f.Node("focused");
  const QString caption = QStringLiteral("这是一个很长很长很长很长很长很长很长的题目标题文字");
  f.Node(caption);
  f.Focus(false);
  f.list->SetHideSelection(true);
  const int cellLeft = kBorder + 16, cellRight = kBorder + 220;
  const int dots = QFontMetrics(MakeQFont(QStringLiteral("宋体"), 13, 0)).horizontalAdvance("...");
  QImage img = f.Grab();
  InkEnd end = FindInkEnd(img, f.RowTop(1), f.RowHeight(), cellLeft, cellRight, dots - 1);
  ASSERT_GE(end.right, 0);
  EXPECT_LT(end.right, cellRight - 2);
  EXPECT_TRUE(end.tailBelowMiddle) << "ink of a glyph at the end, not dots";

  f.list->SetOptionView(etoDrawEndEllipsis, false);
  img = f.Grab();
  end = FindInkEnd(img, f.RowTop(1), f.RowHeight(), cellLeft, cellRight + 4, dots - 1);
  EXPECT_GE(end.right, cellRight - 2 - 6);  // the glyphs run up to the clip
  EXPECT_LT(end.right, cellRight - 2);      // with a 2-pixel margin kept
  EXPECT_FALSE(end.tailBelowMiddle);
}

TEST(TreeListPaint, ScrollingStopsWithTheLastNodeAtTheBottom) {
  const int fitting = 8;
  const int h = RptListsFixture().RowHeight();
  RptListsFixture f(225, 2 * kBorder + fitting * h + h / 2);
  std::vector<TtlTreeListNode*> nodes;
  for (int i = 0; i < 30; ++i) nodes.push_back(f.Node(QString::number(i)));
  f.Focus(true);
  EXPECT_EQ(f.list->RowsFit(), fitting);
  TScrollBar* bar = f.list->VertScrollBar();
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->Min(), 0);
  EXPECT_EQ(bar->Max(), 29);
  EXPECT_EQ(bar->PageSize(), fitting);
  EXPECT_EQ(bar->Position(), 0);

  f.list->SetTopIndex(1000);
  EXPECT_EQ(f.list->TopIndex(), 30 - fitting);
  EXPECT_EQ(bar->Position(), 30 - fitting);
  f.list->SetFocusedNode(nodes.back(), 0, true);
  EXPECT_EQ(f.list->TopIndex(), 30 - fitting);
  const QImage img = f.Grab();
  const int lastTop = f.RowTop(fitting - 1);
  EXPECT_EQ(At(img, kBorder + 17, lastTop), kHighlight);
  EXPECT_EQ(At(img, kBorder + 17, lastTop + h - 1), kHighlight);
  EXPECT_EQ(At(img, kBorder + 17, lastTop + h), kWindow);  // the part row below is empty
  EXPECT_EQ(At(img, kBorder + 17, lastTop - 1), kWindow);

  // The scroll bar takes real clicks: the up arrow, then the track above the thumb.
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->Width() / 2, 4));
  EXPECT_EQ(f.list->TopIndex(), 30 - fitting - 1);
  QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->Width() / 2, bar->Height() / 2 - 20));
  EXPECT_EQ(f.list->TopIndex(), 30 - fitting - 1 - fitting);
  // Dragging the thumb to the bottom stops at the last full page too.
  const TRect thumb = bar->ThumbRect();
  QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(8, thumb.Top + 2));
  QMouseEvent move(QEvent::MouseMove, QPointF(8, bar->Height() + 50), QPointF(8, bar->Height() + 50),
                   Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(bar, &move);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(8, bar->Height() + 50));
  EXPECT_EQ(f.list->TopIndex(), 30 - fitting);
}

TEST(TreeListPaint, ScrollBarHidesWhileEveryRowFits) {
  RptListsFixture f;
  TtlTreeListNode* parent = f.Node("parent");
  for (int i = 0; i < 3; ++i) f.Node(QString::number(i), parent);
  TScrollBar* bar = f.list->VertScrollBar();
  EXPECT_FALSE(bar->Visible());
  EXPECT_EQ(bar->Max(), 0);
  f.list->SetTopIndex(1);  // nothing to scroll
  EXPECT_EQ(f.list->TopIndex(), 0);
  EXPECT_EQ(f.list->ClientRect().Right, 225 - kBorder);
  // Many children shown: the bar appears and narrows the client area.
  for (int i = 0; i < 40; ++i) f.Node(QString::number(i), parent);
  parent->SetExpanded(true);
  bar = f.list->VertScrollBar();
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->Max(), 43);
  EXPECT_EQ(f.list->ClientRect().Right, 225 - kBorder - TScrollBar::DefaultWidth);
}

}  // namespace
