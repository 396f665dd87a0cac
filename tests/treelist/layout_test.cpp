#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>

#include "tests/treelist/tree_fixture.h"

namespace {

struct LayoutFixture : TreeFixture {
  LayoutFixture() : TreeFixture(10) {
    list->SetDefaultRowHeight(0);
    list->Font()->SetName(QStringLiteral("宋体"));
    list->Font()->SetHeight(13);
    list->Bands()->Add();
    column = list->CreateColumn();
    column->SetWidth(120);
    textHeight = QFontMetrics(MakeQFont(QStringLiteral("宋体"), 13, 0)).height();
    line = std::max(textHeight + 3, 16);
  }
  TtlTreeListColumn* column;
  int textHeight;
  int line;
};

TEST(TreeListLayout, RowHeightFollowsTheOptions) {
  struct Case {
    const char* name;
    std::function<void(LayoutFixture&)> setup;
    std::function<int(const LayoutFixture&)> expected;
  } cases[] = {
      {"plain", [](LayoutFixture&) {}, [](const LayoutFixture& f) { return f.line; }},
      {"default row height raises", [](LayoutFixture& f) { f.list->SetDefaultRowHeight(40); },
       [](const LayoutFixture&) { return 40; }},
      {"default row height never lowers", [](LayoutFixture& f) { f.list->SetDefaultRowHeight(5); },
       [](const LayoutFixture& f) { return f.line; }},
      {"grid and preview grid", [](LayoutFixture& f) { f.list->SetShowGrid(true); },
       // separator 1 + (line + 1) - 1
       [](const LayoutFixture& f) { return f.line + 1; }},
      {"inverted selection", [](LayoutFixture& f) { f.list->SetOptionView(etoInvertSelect, true); },
       [](const LayoutFixture& f) { return f.line + 2; }},
      {"preview",
       [](LayoutFixture& f) { f.list->SetOptionView(etoPreview, true); },
       [](const LayoutFixture& f) {
         return f.line + 2 * QFontMetrics(f.list->PreviewFont()->ToQFont()).height() + 2;
       }},
      {"two cell rows", [](LayoutFixture& f) { f.list->SetHeaderPanelRowCount(2); },
       [](const LayoutFixture& f) { return 2 * f.line; }},
      {"outlook group node",
       [](LayoutFixture& f) {
         f.list->SetPaintStyle(psOutlook);
         f.list->Items(0)->AddChild();
       },
       [](const LayoutFixture& f) { return f.line + 1; }},
      {"auto height, capped",
       [](LayoutFixture& f) {
         f.list->SetOptionView(etoRowAutoHeight, true);
         f.list->SetMaxRowLineCount(3);
         static_cast<TtlTreeListTextNode*>(f.list->Items(0))
             ->SetCellText(0, "one two three four five six seven eight nine ten eleven twelve");
       },
       [](const LayoutFixture& f) { return f.line + 2 * f.textHeight; }},
  };
  for (const Case& k : cases) {
    LayoutFixture f;
    f.Node("node");
    k.setup(f);
    EXPECT_EQ(f.list->RowHeight(f.list->Items(0)), k.expected(f)) << k.name;
  }
}

TEST(TreeListLayout, HitTestingAndPaintingShareTheRows) {
  LayoutFixture f;
  TtlTreeListNode* a = f.Node("a");
  TtlTreeListNode* a1 = f.Node("a1", a);
  TtlTreeListNode* b = f.Node("b");
  a->SetExpanded(true);
  const int top = f.list->RowsRect().Top;
  EXPECT_EQ(f.list->RowRect(a1), TRect(0, top + f.line, 200, top + 2 * f.line));
  EXPECT_EQ(f.list->GetNodeAt(5, top + 2 * f.line), b);
  EXPECT_EQ(f.list->GetNodeAt(5, top + 2 * f.line - 1), a1);
  EXPECT_EQ(f.list->GetNodeAt(5, top + 3 * f.line), nullptr);
  // The cells start after the indent inside the first column.
  const auto cells = f.list->RowCells(a1, TRect(0, 0, 200, f.line));
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0].rect, TRect(32, 0, 120, f.line));
  EXPECT_EQ(f.list->ButtonRect(a, TRect(0, 0, 200, f.line)),
            TRect(3, f.line / 2 - 4, 12, f.line / 2 + 5));
  // Without ShowRoot the root level's cell goes.
  f.list->SetShowRoot(false);
  EXPECT_EQ(f.list->RowCells(a1, TRect(0, 0, 200, f.line))[0].rect.Left, 16);
}

TEST(TreeListLayout, HeaderAndBandHeaderPushTheRowsDown) {
  LayoutFixture f;
  f.Node("a");
  f.column->SetCaption("Caption");
  f.list->SetShowHeader(true);
  const int headerRow = 1 + (QFontMetrics(f.list->HeaderFont()->ToQFont()).height() + 2) + 6;
  EXPECT_EQ(f.list->HeaderHeight(), headerRow);
  EXPECT_EQ(f.list->RowsRect().Top, headerRow);
  f.list->SetShowBands(true);
  EXPECT_EQ(f.list->RowsRect().Top, f.list->BandHeight() + headerRow);
  EXPECT_GT(f.list->BandHeight(), 0);
  f.list->SetLookAndFeel(lfFlat);  // no extra pixel for the flat look
  EXPECT_EQ(f.list->HeaderHeight(), headerRow - 1);

  QImage img = f.list->grab().toImage();
  const int headerTop = f.list->BandHeight();
  // The header cell is a button-face panel with the caption in it.
  const TColor face = ColorToRGB(clBtnFace);
  EXPECT_EQ(FromQColor(img.pixelColor(110, headerTop + 3)), face);
  bool ink = false;
  for (int x = 2; x < 110 && !ink; ++x)
    for (int y = headerTop + 2; y < headerTop + headerRow - 2 && !ink; ++y)
      ink = qGray(img.pixel(x, y)) < 100;
  EXPECT_TRUE(ink);
  // The first row is drawn below the headers.
  f.list->SetFocusedNode(f.list->Items(0), 0, false);
  f.list->SetHideSelection(false);
  img = f.list->grab().toImage();
  EXPECT_EQ(FromQColor(img.pixelColor(30, f.list->RowsRect().Top + 1)), ColorToRGB(clBtnFace));
}

TEST(TreeListLayout, PreviewTextIsDrawnUnderTheCells) {
  class PreviewTreeList : public TestTreeList {
   public:
    using TestTreeList::TestTreeList;

   protected:
    TtlTreeListNode* CreateNode() override { return new TtlDBTreeListNode(this); }
  } list;
  list.resize(200, 200);
  list.SetBorderStyle(bsNone);
  list.SetShowHeader(false);
  list.Bands()->Add();
  list.CreateColumn()->SetWidth(150);
  list.SetOptionView(etoPreview, true);
  auto* node = static_cast<TtlDBTreeListNode*>(list.Add());
  node->SetPreviewText(QStringLiteral("WWWWWWWW"));
  list.SetHideSelection(true);
  const int line = list.RowLineHeight();
  EXPECT_EQ(list.RowHeight(node), line + list.PreviewHeight());
  const QImage img = list.grab().toImage();
  // Blue ink (the preview font's colour) below the cell row, none above it.
  auto blueInk = [&](int top, int bottom) {
    for (int y = top; y < bottom; ++y)
      for (int x = 16; x < 150; ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.blue() > 150 && c.red() < 100 && c.green() < 100) return true;
      }
    return false;
  };
  EXPECT_FALSE(blueInk(0, line));
  EXPECT_TRUE(blueInk(line, list.RowHeight(node)));
}

TEST(TreeListLayout, CustomDrawingReplacesTheCell) {
  LayoutFixture f;
  f.Node("a");
  f.Node("b");
  f.column->OnCustomDrawCell = [](TObject*, TCanvas* c, TRect r, TtlTreeListNode* node,
                                  TtlTreeListColumn*, bool, bool, bool& done) {
    if (node->Index() != 1) return;
    c->Brush.Color = clRed;
    c->FillRect(r);
    done = true;
  };
  const QImage img = f.list->grab().toImage();
  EXPECT_EQ(FromQColor(img.pixelColor(60, f.line + 3)), clRed);
  EXPECT_NE(FromQColor(img.pixelColor(60, 3)), clRed);
}

}  // namespace
