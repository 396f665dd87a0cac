// The paper grid under hostile handlers and extreme data: handlers that close,
// reopen or delete what raised them in the middle of real input, record sets
// of no, one and very many rows, and sizes no sane skin or user would give.

#include "tests/skin/grids/grid_fixture.h"

#include <QPointer>
#include <limits>

#include "platform/form.h"
#include "skin/grids/inplace_edit.h"

namespace {

constexpr int kHuge = std::numeric_limits<int>::max();

// What a handler does to the grid's record set or to the grid itself.
enum class Act { CloseQuery, ReopenFewerColumns, ReopenEmpty, ReopenSame, DeleteGrid };

const char* Name(Act a) {
  switch (a) {
    case Act::CloseQuery: return "closes the query";
    case Act::ReopenFewerColumns: return "reopens it without the grid's column";
    case Act::ReopenEmpty: return "reopens it empty";
    case Act::ReopenSame: return "reopens it";
    case Act::DeleteGrid: return "deletes the grid";
  }
  return "";
}

const Act kActs[] = {Act::CloseQuery, Act::ReopenFewerColumns, Act::ReopenEmpty, Act::ReopenSame,
                     Act::DeleteGrid};

class HostileGridTest : public PaperGridTest {
 public:
  // For the handlers and inputs of the case tables.
  using PaperGridTest::OpenQuery;
  using PaperGridTest::CellCentre;
  using PaperGridTest::grid;
  using PaperGridTest::Wheel;

  void Do(Act a) {
    switch (a) {
      case Act::CloseQuery: query.Close(); break;
      case Act::ReopenFewerColumns: Reopen(QStringLiteral("select title_id from t_title")); break;
      case Act::ReopenEmpty: Reopen(QStringLiteral("select * from t_title where 0")); break;
      case Act::ReopenSame: OpenQuery(); break;
      case Act::DeleteGrid: grid.reset(); break;
    }
  }
  void Reopen(const QString& sql) {
    query.Close();
    query.SQL()->Clear();
    query.SQL()->Add(sql);
    query.Open();
  }
  // Paints what is left, as the next expose would.
  void PaintIfThere() {
    if (!grid) return;
    grid->repaint();
    QApplication::processEvents();
  }
  // A click that stops after the press when the press destroyed the grid.
  void ClickCell(const QPoint& at) {
    const QPointer<QWidget> w = grid.get();
    QTest::mousePress(w.data(), Qt::LeftButton, {}, at);
    if (w) QTest::mouseRelease(w.data(), Qt::LeftButton, {}, at);
  }
  QWidget* KeyTarget() {
    if (grid->InplaceEditor() && grid->InplaceEditor()->isVisible()) return grid->InplaceEditor();
    return grid.get();
  }
};

TEST_F(HostileGridTest, ClickHandlersThatCloseReopenOrDeleteWhatRaisedThem) {
  for (const bool onTitle : {false, true}) {
    for (Act act : kActs) {
      SCOPED_TRACE(std::string(onTitle ? "title click " : "cell click ") + Name(act));
      MessageBoxRecorder errors;
      OpenBank(5);
      OpenQuery();
      MakePaperGrid();
      Show(grid.get());
      int calls = 0;
      auto handler = [&](TsfColumn*) {
        ++calls;
        Do(act);
      };
      (onTitle ? grid->OnTitleClick : grid->OnCellClick) = handler;
      const QPoint at = CellCentre(1, onTitle ? 0 : 3);
      QTest::mouseClick(grid.get(), Qt::LeftButton, {}, at);
      EXPECT_EQ(calls, 1);
      EXPECT_EQ(bool(grid), act != Act::DeleteGrid);
      PaintIfThere();
      if (grid) {
        // The grid goes on working: a second click, keys and the wheel.
        QTest::mouseClick(grid.get(), Qt::LeftButton, {}, at);
        QTest::mouseClick(grid.get(), Qt::LeftButton, {}, at);
        for (Qt::Key k : {Qt::Key_Down, Qt::Key_End, Qt::Key_Home, Qt::Key_F2, Qt::Key_Escape})
          if (grid) QTest::keyClick(KeyTarget(), k);
        if (grid) Wheel(grid.get(), -120);
        PaintIfThere();
      }
      EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
      grid.reset();
      query.Close();
      con.Close();
    }
  }
}

TEST_F(HostileGridTest, ScrollHandlerThatClosesOrDeletesDuringAClickOrAKey) {
  // AfterScroll runs inside the grid's own move of the record set.
  enum class Input { Press, Down, Wheel, PageDown };
  for (Input input : {Input::Press, Input::Down, Input::Wheel, Input::PageDown}) {
    for (Act act : kActs) {
      SCOPED_TRACE(std::string("input ") + std::to_string(int(input)) + ": " + Name(act));
      MessageBoxRecorder errors;
      OpenBank(20);
      OpenQuery();
      MakePaperGrid(nullptr, 18 + 5 * 18 + 3);
      Show(grid.get());
      int scrolls = 0;
      query.AfterScroll = [&](TObject*) {
        if (scrolls++ == 0) Do(act);
      };
      switch (input) {
        case Input::Press: ClickCell(CellCentre(1, 3)); break;
        case Input::Down: QTest::keyClick(grid.get(), Qt::Key_Down); break;
        case Input::Wheel: Wheel(grid.get(), -120); break;
        case Input::PageDown: QTest::keyClick(grid.get(), Qt::Key_PageDown); break;
      }
      query.AfterScroll = nullptr;
      EXPECT_EQ(scrolls, 1);
      PaintIfThere();
      if (grid) QTest::keyClick(grid.get(), Qt::Key_Down);
      PaintIfThere();
      EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
      grid.reset();
      query.Close();
      con.Close();
    }
  }
}

TEST_F(HostileGridTest, InputHandlersThatDeleteTheGrid) {
  struct Case {
    const char* handler;
    std::function<void(HostileGridTest&)> install;
    std::function<void(HostileGridTest&, QWidget*)> input;
  };
  auto gone = [](HostileGridTest& t) { t.grid.reset(); };
  auto press = [](HostileGridTest& t, QWidget* w) { QTest::mousePress(w, Qt::LeftButton, {}, t.CellCentre(1, 2)); };
  auto click = [](HostileGridTest& t, QWidget*) { t.ClickCell(t.CellCentre(1, 2)); };
  auto down = [](HostileGridTest&, QWidget* w) { QTest::keyClick(w, Qt::Key_Down); };
  const Case cases[] = {
      {"OnKeyDown", [=](HostileGridTest& t) { t.grid->OnKeyDown = [&t, gone](TObject*, WORD&, TShiftState) { gone(t); }; }, down},
      {"OnKeyPress on Enter",
       [=](HostileGridTest& t) { t.grid->OnKeyPress = [&t, gone](TObject*, QChar&) { gone(t); }; },
       [](HostileGridTest&, QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }},
      {"OnKeyPress on a letter",
       [=](HostileGridTest& t) { t.grid->OnKeyPress = [&t, gone](TObject*, QChar&) { gone(t); }; },
       [](HostileGridTest&, QWidget* w) { QTest::keyClick(w, Qt::Key_A); }},
      {"OnMouseDown", [=](HostileGridTest& t) {
         t.grid->OnMouseDown = [&t, gone](TObject*, TMouseButton, TShiftState, int, int) { gone(t); };
       }, press},
      {"OnMouseUp", [=](HostileGridTest& t) {
         t.grid->OnMouseUp = [&t, gone](TObject*, TMouseButton, TShiftState, int, int) { gone(t); };
       }, click},
      {"OnMouseMove", [=](HostileGridTest& t) {
         t.grid->OnMouseMove = [&t, gone](TObject*, TShiftState, int, int) { gone(t); };
       }, [](HostileGridTest& t, QWidget* w) { QTest::mouseMove(w, t.CellCentre(1, 3)); }},
      {"OnMouseWheel", [=](HostileGridTest& t) {
         t.grid->OnMouseWheel = [&t, gone](TObject*, TShiftState, int, TPoint, bool&) { gone(t); };
       }, [](HostileGridTest& t, QWidget* w) { t.Wheel(w, -120); }},
      {"OnCellClick on a second click", [=](HostileGridTest& t) {
         t.grid->OnCellClick = [&t, gone](TsfColumn*) { gone(t); };
       }, click},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handler);
    MessageBoxRecorder errors;
    OpenBank(3);
    OpenQuery();
    MakePaperGrid();
    Show(grid.get());
    c.install(*this);
    QPointer<QWidget> watch = grid.get();
    c.input(*this, watch.data());
    EXPECT_TRUE(watch.isNull());
    EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
    grid.reset();
    query.Close();
    con.Close();
  }
}

// The drawing events run in the middle of the grid's paint, cell by cell. A
// handler that closes or reloads what the grid shows ends that paint; one
// that closes the grid's form (freeing it) sees the paint finish and the form
// and grid go after it. The form around the grid paints on.
TEST_F(HostileGridTest, DrawingHandlersThatCloseTheRecordsOrLetTheGridGo) {
  enum class Event { DrawDataCell, DrawColumnCell, GetCellParam };
  for (Event event : {Event::DrawDataCell, Event::DrawColumnCell, Event::GetCellParam}) {
    for (Act act : kActs) {
      SCOPED_TRACE(std::to_string(int(event)) + ": " + Name(act));
      MessageBoxRecorder errors;
      OpenBank(5);
      OpenQuery();
      QPointer<TForm> form = new TForm;
      form->resize(320, 220);
      form->OnClose = [](TObject*, TCloseAction& action) { action = caFree; };
      grid = std::make_unique<TsfSkinDBGrid>(form.data());
      grid->SetDataSource(&source);
      grid->setGeometry(10, 10, 300, 200);
      Show(form.data());
      int calls = 0;
      // Destroying a widget from inside its own paint event is unsound in Qt
      // itself (its painting reads the widget after the event): the handler
      // closes the form, which frees it (and the grid) once the paint is over.
      auto once = [&] {
        if (calls++ > 0) return;
        if (act == Act::DeleteGrid) {
          grid.release();
          form->Close();
        } else {
          Do(act);
        }
      };
      switch (event) {
        case Event::DrawDataCell:
          grid->OnDrawDataCell = [&](TObject*, const TRect&, TField*, TGridDrawState) { once(); };
          break;
        case Event::DrawColumnCell:
          grid->OnDrawColumnCell = [&](TObject*, const TRect&, int, TsfColumn*, TGridDrawState) { once(); };
          break;
        case Event::GetCellParam:
          grid->OnGetCellParam = [&](TObject*, TsfColumn*, TGridDrawState, TColor&, TFont*) { once(); };
          break;
      }
      const QPointer<QWidget> watch = grid.get();
      form->repaint();
      EXPECT_GT(calls, 0);
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
      EXPECT_EQ(watch.isNull(), act == Act::DeleteGrid);
      EXPECT_EQ(form.isNull(), act == Act::DeleteGrid);
      // What is left paints and takes keys as usual.
      if (form) form->repaint();
      if (grid) QTest::keyClick(grid.get(), Qt::Key_Down);
      if (form) form->repaint();
      EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
      grid.reset();
      delete form.data();
      query.Close();
      con.Close();
    }
  }
}

TEST_F(HostileGridTest, ColumnHandlersThatReopenWithFewerColumnsOrDeleteTheGrid) {
  // Default columns follow the fields: title_id and title_name.
  for (const bool onExit : {true, false}) {
    for (Act act : {Act::ReopenFewerColumns, Act::CloseQuery, Act::DeleteGrid}) {
      SCOPED_TRACE(std::string(onExit ? "OnColExit " : "OnColEnter ") + Name(act));
      MessageBoxRecorder errors;
      OpenBank(3);
      OpenQuery();
      grid = std::make_unique<TsfSkinDBGrid>();
      grid->SetDataSource(&source);
      grid->resize(300, 200);
      Show(grid.get());
      ASSERT_EQ(grid->ColCount(), 3);
      int calls = 0;
      (onExit ? grid->OnColExit : grid->OnColEnter) = [&](TObject*) {
        if (calls++ == 0) Do(act);
      };
      QTest::keyClick(grid.get(), Qt::Key_Right);
      EXPECT_EQ(calls, 1);
      if (grid) {
        for (Qt::Key k : {Qt::Key_Right, Qt::Key_Left, Qt::Key_Tab, Qt::Key_End, Qt::Key_Home})
          QTest::keyClick(grid.get(), k);
        if (grid) ClickCell(QPoint(280, 30));
        PaintIfThere();
      }
      EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
      grid.reset();
      query.Close();
      con.Close();
    }
  }
}

// The delete question is a modal box: while it is up, timers and other windows
// run and may close or reload the record set.
TEST_F(HostileGridTest, DeleteConfirmedAfterTheRecordSetWasClosedOrReloaded) {
  for (Act act : {Act::CloseQuery, Act::ReopenEmpty, Act::ReopenSame, Act::ReopenFewerColumns}) {
    SCOPED_TRACE(Name(act));
    OpenBank(4);
    OpenQuery();
    MakePaperGrid();
    Show(grid.get());
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    ASSERT_EQ(Current(), QStringLiteral("Paper 03"));
    QList<TMessageBoxRequest> boxes;
    const TMessageBoxHandler previous = SetMessageBoxHandler([&](const TMessageBoxRequest& r) {
      boxes << r;
      if (boxes.size() == 1) Do(act);
      return IDOK;
    });
    QTest::keyClick(grid.get(), Qt::Key_Delete, Qt::ControlModifier);
    SetMessageBoxHandler(previous);
    // One question, no error, and no paper deleted but the one asked about:
    // after a reload the cursor stands on another paper, which must stay.
    EXPECT_EQ(boxes.size(), 1) << boxes.value(1).Text.toStdString();
    EXPECT_EQ(Count(), QStringLiteral("4"));
    PaintIfThere();
    grid.reset();
    query.Close();
    con.Close();
  }
}

TEST_F(HostileGridTest, EditorWhileTheRecordSetIsClosedOrReopenedWithFewerColumns) {
  for (Act act : {Act::CloseQuery, Act::ReopenFewerColumns, Act::ReopenEmpty, Act::ReopenSame}) {
    SCOPED_TRACE(Name(act));
    MessageBoxRecorder errors;
    OpenBank(3);
    OpenQuery();
    MakePaperGrid();
    Show(grid.get());
    QTest::keyClick(grid.get(), Qt::Key_F2);
    TsfSkinInplaceEdit* editor = grid->InplaceEditor();
    ASSERT_TRUE(editor && editor->isVisible());
    QTest::keyClicks(editor, QStringLiteral("typed"));
    ASSERT_EQ(query.State(), dsEdit);
    Do(act);
    // Whatever the editor still shows belongs to no record now.
    EXPECT_FALSE(editor->isVisible());
    for (Qt::Key k : {Qt::Key_F2, Qt::Key_A, Qt::Key_Return, Qt::Key_Down, Qt::Key_Escape})
      QTest::keyClick(KeyTarget(), k);
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, CellCentre(1, 1));
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, CellCentre(1, 1));
    QTest::keyClicks(KeyTarget(), QStringLiteral("x"));
    QTest::keyClick(KeyTarget(), Qt::Key_Return);
    PaintIfThere();
    EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
    // Nothing typed before the reload reached the table.
    EXPECT_EQ(QueryBankValue(path, QStringLiteral("select count(*) from t_title where title_name like '%typed%'")),
              QStringLiteral("0"));
    grid.reset();
    query.Close();
    con.Close();
  }
}

TEST_F(HostileGridTest, NoOneAndVeryManyRecords) {
  for (int papers : {0, 1, 100000}) {
    SCOPED_TRACE(papers);
    MessageBoxRecorder errors;
    OpenBank(std::max(papers, 1));
    if (papers == 0) ExecOnBank(path, QStringLiteral("delete from t_title"));
    OpenQuery();
    FakeBar bar;
    MakePaperGrid(nullptr, 18 + 5 * 18 + 3);
    grid->SetVScrollBar(&bar);
    Show(grid.get());
    const int last = papers;
    QTest::keyClick(grid.get(), Qt::Key_End);
    EXPECT_EQ(query.RecNo(), last);
    if (papers > 0) {
      EXPECT_EQ(bar.position_, papers);
    }
    Wheel(grid.get(), -120);
    QTest::keyClick(grid.get(), Qt::Key_PageUp);
    QTest::keyClick(grid.get(), Qt::Key_Home);
    EXPECT_EQ(query.RecNo(), papers > 0 ? 1 : 0);
    bar.Drag(bar.max_);
    bar.Release();
    PaintIfThere();
    cellClicks.clear();
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, CellCentre(1, 1));
    EXPECT_EQ(cellClicks.size(), 1);
    EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
    grid.reset();
    query.Close();
    con.Close();
  }
}

TEST_F(HostileGridTest, HugeZeroAndNegativeColumnWidths) {
  for (int width : {0, -5, 1, kHuge, kHuge / 2, std::numeric_limits<int>::min()}) {
    SCOPED_TRACE(width);
    MessageBoxRecorder errors;
    OpenBank(5);
    OpenQuery();
    MakePaperGrid();
    FakeBar hbar;
    grid->SetHScrollBar(&hbar);
    grid->Columns()->Items(0)->SetWidth(width);
    if (width > 1000) {
      // The paper cell starts after the indicator and reaches past the right edge.
      const TRect cell = grid->CellRect(1, 1);
      ASSERT_FALSE(cell.IsEmpty());
      EXPECT_GE(cell.Right, grid->width());
      const TGridCoord hit = grid->MouseCoord(200, (cell.Top + cell.Bottom) / 2);
      ASSERT_EQ(hit.X, 1);
      ASSERT_EQ(hit.Y, 1);
    }
    Show(grid.get());
    PaintIfThere();
    for (QPoint p : {QPoint(5, 5), QPoint(100, 30), QPoint(296, 199)})
      QTest::mouseClick(grid.get(), Qt::LeftButton, {}, p);
    if (width > 1000) {
      QTest::mouseClick(grid.get(), Qt::LeftButton, {}, QPoint(200, CellCentre(1, 2).y()));
      EXPECT_EQ(query.RecNo(), 2);
    }
    QTest::keyClick(grid.get(), Qt::Key_F2);
    QTest::keyClick(KeyTarget(), Qt::Key_Escape);
    // A hidden column leaves nothing to scroll to.
    if (width <= 0) {
      EXPECT_FALSE(hbar.shown_);
    }
    if (hbar.shown_) {
      hbar.Drag(hbar.max_);
      hbar.Release();
      if (hbar.OnPageDown) hbar.OnPageDown();
    }
    grid->resize(5, 200);  // narrower than the indicator
    PaintIfThere();
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, QPoint(3, 30));
    EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
    grid.reset();
    query.Close();
    con.Close();
  }
}

TEST_F(HostileGridTest, SizesFromHostileSkinRecords) {
  // The test picture is 40 by 3: cells that reach past it, offsets and text
  // rectangles at the ends of the number range.
  struct Case {
    const char* what;
    std::function<void(TsfDataSkinGridControl&)> spoil;
    int rowHeight;  // expected
  };
  const Case cases[] = {
      {"a select cell one row high", [](TsfDataSkinGridControl& r) { r.selectcellrect = TRect(0, 1, 40, 2); }, 1},
      {"a select cell far below the picture",
       [](TsfDataSkinGridControl& r) { r.selectcellrect = TRect(0, 1, 40, 1 + (1 << 20)); }, 2},
      {"a select cell wholly outside the picture",
       [](TsfDataSkinGridControl& r) { r.selectcellrect = r.focuscellrect = TRect(0, 500, 40, 2500); }, 20},
      {"a select cell over the whole number range",
       [](TsfDataSkinGridControl& r) { r.selectcellrect = TRect(0, INT_MIN, 40, kHuge); }, 3},
      {"offsets and text rectangles at the ends of the range",
       [](TsfDataSkinGridControl& r) {
         r.fixedcellleftoffset = r.fixedcellrightoffset = r.cellleftoffset = r.cellrightoffset = kHuge;
         r.fixedcelltextrect = r.celltextrect = TRect(INT_MIN, INT_MIN, kHuge, kHuge);
       },
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MessageBoxRecorder errors;
    OpenBank(5);
    OpenQuery();
    QObject owner;
    TsfSkinData* skin = MakeGridSkin(&owner, 1);
    c.spoil(*static_cast<TsfDataSkinGridControl*>(skin->ControlRecords[0].get()));
    MakePaperGrid(skin);
    EXPECT_EQ(grid->DefaultRowHeight(), c.rowHeight);
    Show(grid.get());
    PaintIfThere();
    QTest::mouseClick(grid.get(), Qt::LeftButton, {}, CellCentre(1, 2));
    EXPECT_EQ(query.RecNo(), 2);
    QTest::keyClick(grid.get(), Qt::Key_Down);
    QTest::keyClick(grid.get(), Qt::Key_F2);
    QTest::keyClick(KeyTarget(), Qt::Key_Escape);
    Wheel(grid.get(), -120);
    PaintIfThere();
    EXPECT_GE(grid->DataLink()->BufferCount(), 1);
    EXPECT_TRUE(errors.requests.isEmpty()) << errors.requests.value(0).Text.toStdString();
    grid.reset();
    query.Close();
    con.Close();
  }
}

}  // namespace
