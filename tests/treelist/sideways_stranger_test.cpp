// Sideways scrolling and the new-item row of the tree list under what no
// sane layout or handler does: no columns at all, columns wider than any
// screen (up to the largest width there is), and handlers that delete the
// list or close its record set while the new-item row works.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <functional>
#include <limits>
#include <memory>

#include "tests/treelist/db_tree_fixture.h"
#include "treelist/tree_list.h"

namespace {

constexpr int kHuge = std::numeric_limits<int>::max();

// A list 300 pixels wide with a band fixed on the left and a scrolled band.
class SidewaysStrangerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list = std::make_unique<TtlTreeList>();
    list->SetBorderStyle(bsNone);
    list->SetDefaultRowHeight(20);
    list->SetShowLines(false);
    for (int i = 0; i < 2; ++i) list->Bands()->Add();
    list->Bands()->Items(0)->SetFixed(bfLeft);
    list->Bands()->Items(0)->SetWidth(60);
    list->Bands()->Items(1)->SetWidth(200);
    for (const char* name : {"a", "b", "c"})
      static_cast<TtlTreeListTextNode*>(list->Add())->SetCellText(0, QString::fromLatin1(name));
    list->resize(300, 200);
    list->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list.get()));
    list->activateWindow();
    list->setFocus();
  }
  TtlTreeListColumn* Column(int band, int width) {
    TtlTreeListColumn* c = list->CreateColumn();
    c->SetBandIndex(band);
    c->SetWidth(width);
    return c;
  }
  void Keys(std::initializer_list<Qt::Key> keys) {
    for (Qt::Key k : keys) {
      QWidget* f = QApplication::focusWidget();
      QTest::keyClick(f ? f : list.get(), k);
    }
  }
  // Every way of scrolling sideways, by any amount, and a paint after it:
  // the left position stays within its range, and a scroll to the right by
  // more than there is ends at the right edge.
  void ScrollEveryWay() {
    Keys({Qt::Key_End, Qt::Key_Right, Qt::Key_Home, Qt::Key_Left});
    TScrollBar* bar = list->HorzScrollBar();
    for (int code = scLineUp; code <= scEndScroll; ++code)
      for (int pos : {-kHuge, -1, 0, 1, kHuge}) {
        bar->OnScroll(bar, TScrollCode(code), pos);
        EXPECT_GE(list->LeftPos(), 0);
        EXPECT_LE(list->LeftPos(), list->MaxLeftPos());
      }
    const int max = list->MaxLeftPos();
    const std::function<void()> farRight[] = {
        [&] { list->ScrollHorizontallyPixels(kHuge); },
        [&] { list->ScrollHorizontallyBy(kHuge); },
        [&] { list->ScrollHorizontallyBy(kHuge / 4); },
        [&] { bar->OnScroll(bar, scPageDown, 0); },
    };
    for (const auto& scroll : farRight) {
      list->SetLeftPos(max > 1 ? max - 1 : 0);
      scroll();
      EXPECT_EQ(list->LeftPos(), max);
    }
    list->ScrollHorizontallyPixels(-kHuge);
    list->ScrollHorizontallyBy(-kHuge);
    EXPECT_EQ(list->LeftPos(), 0);
    list->repaint();
  }

  std::unique_ptr<TtlTreeList> list;
};

TEST_F(SidewaysStrangerTest, NoColumnsNothingToScroll) {
  list->SetShowNewItemRow(true);
  for (const bool autoWidth : {false, true}) {
    SCOPED_TRACE(autoWidth ? "auto width" : "own widths");
    list->SetOptionView(etoAutoWidth, autoWidth);
    list->SetFocusedNode(list->Items(0), 0, false);
    ScrollEveryWay();
    // Up from the first row to the new-item row, its keys, and back.
    Keys({Qt::Key_Home, Qt::Key_Up, Qt::Key_Right, Qt::Key_End, Qt::Key_F2, Qt::Key_Left});
    EXPECT_TRUE(list->NewItemRowFocused());
    EXPECT_FALSE(list->Editing());
    const TRect r = list->NewItemRowRect();
    QTest::mouseClick(list.get(), Qt::LeftButton, {}, QPoint(150, (r.Top + r.Bottom) / 2));
    list->repaint();
    Keys({Qt::Key_Down});
    EXPECT_FALSE(list->NewItemRowFocused());
    EXPECT_EQ(list->LeftPos(), 0);
    EXPECT_EQ(list->MaxLeftPos(), 0);
  }
}

// The scrolled band holds columns of the given widths: the last one can be
// scrolled into view and the left position stays within its range.
TEST_F(SidewaysStrangerTest, ColumnsWiderThanAnyScreen) {
  struct Case {
    const char* name;
    std::vector<int> widths;
  };
  const Case cases[] = {
      {"a million pixels", {1000000, 1000000, 1000000}},
      {"half the largest width twice", {kHuge / 2, kHuge / 2, 50}},
      {"the largest width", {50, kHuge, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    list->SetOptionsView(Opt(etoBandHeaderWidth));
    Column(0, 40);
    std::vector<TtlTreeListColumn*> cols;
    for (int w : c.widths) cols.push_back(Column(1, w));
    list->SetFocusedNode(list->Items(0), cols.front()->Index(), false);
    EXPECT_GT(list->MaxLeftPos(), 1000000 - 300);
    EXPECT_TRUE(list->HorzScrollBar()->Visible());
    // The last column brought into view by the keys shows in the row.
    Keys({Qt::Key_End});
    EXPECT_EQ(list->FocusedColumn(), cols.back()->Index());
    const TRect rows = list->RowsRect();
    bool lastShows = false;
    for (int x = 60; x < rows.Right; x += 10)
      lastShows = lastShows || list->ColumnAt(list->Items(0), x) == cols.back()->Index();
    EXPECT_TRUE(lastShows);
    EXPECT_GE(list->LeftPos(), 0);
    EXPECT_LE(list->LeftPos(), list->MaxLeftPos());
    EXPECT_GE(list->HorzScrollBar()->Max(), list->HorzScrollBar()->Position());
    ScrollEveryWay();
    // Stretched to the row, the columns share its width in their ratio.
    list->SetOptionView(etoAutoWidth, true);
    EXPECT_EQ(list->MaxLeftPos(), 0);
    int right = 0;
    for (const auto& cell : list->RowCells(list->Items(0), list->RowRect(list->Items(0)))) {
      EXPECT_GE(cell.rect.Left, rows.Left);
      EXPECT_LE(cell.rect.Right, rows.Right);
      EXPECT_GE(cell.rect.Right, cell.rect.Left);
      right = std::max(right, cell.rect.Right);
    }
    EXPECT_GT(right, rows.Right - 10 - int(c.widths.size()));
    list->repaint();
  }
}

TEST_F(SidewaysStrangerTest, NewItemRowHandlersThatDeleteTheList) {
  Column(0, 40);
  Column(1, 150);
  Column(1, 150);
  list->SetShowNewItemRow(true);
  struct Case {
    const char* name;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"Right", [this] { Keys({Qt::Key_Right}); }},
      {"End", [this] { Keys({Qt::Key_End}); }},
      {"Tab", [this] { Keys({Qt::Key_Tab}); }},
      {"click",
       [this] {
         const TRect r = list->NewItemRowRect();
         const QPoint at(250, (r.Top + r.Bottom) / 2);
         const QPointer<QWidget> w = list.get();
         QTest::mousePress(w.data(), Qt::LeftButton, {}, at);
         if (w) QTest::mouseRelease(w.data(), Qt::LeftButton, {}, at);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SetUp();
    Column(0, 40);
    Column(1, 150);
    Column(1, 150);
    list->OptionsBehavior |= OptB(etoTabs);
    list->SetShowNewItemRow(true);
    list->SetFocusedNode(list->Items(0), 0, false);
    list->SetNewItemRowFocused(true);
    ASSERT_TRUE(list->NewItemRowFocused());
    list->OnChangeColumn = [this](TObject*, TtlTreeListNode*, int) { list.reset(); };
    c.act();
    EXPECT_FALSE(list);
  }
}

class NewItemRowRecordSetTest : public DbTreeTest {
 protected:
  void SetUp() override {
    Open(QStringLiteral("(1,null,'a',1),(2,null,'b',2),(3,null,'c',3)"));
    list->SetOptionView(etoRowSelect, false);
    list->OptionsDB |= OptDB(etoCanInsert);
    Show(list.get());
    list->SetShowNewItemRow(true);
    list->SetNewItemRowFocused(true);
  }
  void Key(Qt::Key k) {
    QWidget* f = QApplication::focusWidget();
    QTest::keyClick(f ? f : list.get(), k);
  }
};

TEST_F(NewItemRowRecordSetTest, NewRecordHandlerThatClosesOrARecordSetThatRefuses) {
  MessageBoxRecorder boxes;
  struct Case {
    const char* name;
    std::function<void()> onNewRecord;
  };
  const Case cases[] = {
      {"closes the query", [this] { query.Close(); }},
      {"cancels the insert", [this] { query.Cancel(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!list) SetUp();
    if (!query.Active()) query.Open();
    list->SetNewItemRowFocused(true);
    ASSERT_TRUE(list->NewItemRowFocused());
    query.OnNewRecord = [&c](TObject*) { c.onNewRecord(); };
    Key(Qt::Key_F2);
    query.OnNewRecord = nullptr;
    if (list) {
      EXPECT_FALSE(list->Editing());
      list->repaint();
    }
    EXPECT_NE(query.State(), dsInsert);
    EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes")), QStringLiteral("3"));
  }
  // A record set that refuses every change: the row stays, nothing is made.
  if (!list) SetUp();
  if (!query.Active()) query.Open();
  query.ReadOnly = true;
  list->SetNewItemRowFocused(true);
  Key(Qt::Key_F2);
  EXPECT_TRUE(list->NewItemRowFocused());
  EXPECT_FALSE(list->Editing());
  EXPECT_EQ(query.State(), dsBrowse);
}

}  // namespace

namespace {

// A handler that runs while the new-item row inserts its record may delete
// the list; the insert then goes on without it, and nothing touches the list.
class NewItemRowDeletingHandlerTest : public NewItemRowRecordSetTest,
                                      public ::testing::WithParamInterface<const char*> {};

TEST_P(NewItemRowDeletingHandlerTest, TheInsertGoesOnWithoutTheList) {
  const QString handler = QString::fromLatin1(GetParam());
  ASSERT_TRUE(list->NewItemRowFocused());
  if (handler == QLatin1String("OnNewRecord"))
    query.OnNewRecord = [this](TObject*) { list.reset(); };
  else if (handler == QLatin1String("OnChangeNode"))
    list->OnChangeNode = [this](TObject*, TtlTreeListNode*, TtlTreeListNode*) { list.reset(); };
  else
    list->OnEditing = [this](TObject*, TtlTreeListNode*, bool&) { list.reset(); };
  Key(Qt::Key_F2);
  query.OnNewRecord = nullptr;
  EXPECT_FALSE(list) << "the handler deleted the list";
  // The record set outlives the list and can still leave its insert.
  if (query.State() == dsInsert) query.Cancel();
  EXPECT_EQ(Value(QStringLiteral("select count(*) from nodes")), QStringLiteral("3"));
}

INSTANTIATE_TEST_SUITE_P(Handlers, NewItemRowDeletingHandlerTest,
                         ::testing::Values("OnNewRecord", "OnChangeNode", "OnEditing"));

}  // namespace
