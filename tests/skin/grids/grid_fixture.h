#pragma once
// Grids over the papers of a small bank, as the paper selection window sets
// them up, a hand-made "grid" skin record, and a scroll bar stand-in.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"
#include "skin/data/skin_data.h"
#include "skin/grids/skin_db_grid.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"

// A linked bar as the grid sees it: the test plays the user.
class FakeBar : public TsfGridScrollBar {
 public:
  ~FakeBar() override { if (OnDestroyed) OnDestroyed(); }
  void SetRangeAndPosition(int min, int max, int page, int position) override {
    min_ = min;
    max_ = max;
    page_ = page;
    const int top = page > 0 ? max - page + 1 : max;
    position_ = std::clamp(position, min, std::max(min, top));
  }
  int Position() const override { return position_; }
  int Min() const override { return min_; }
  int Max() const override { return max_; }
  int PageSize() const override { return page_; }
  void SetShown(bool s) override { shown_ = s; }
  bool Shown() const override { return shown_; }
  void SetBarEnabled(bool e) override { enabled_ = e; }
  void SetBoth(bool b) override { both_ = b; }
  // The thumb dragged to `p` (OnChange), then released (OnLastChange).
  void Drag(int p) {
    position_ = p;
    if (OnChange) OnChange();
  }
  void Release() {
    if (OnLastChange) OnLastChange();
  }
  int min_ = 0, max_ = 0, page_ = 0, position_ = 0;
  bool shown_ = false, enabled_ = false, both_ = false;
};

// Picture of the test skin: fixed cell red, select cell green, focus cell
// blue, each 40 wide and `cellHeight` high, stacked.
inline TsfSkinData* MakeGridSkin(QObject* owner, int cellHeight = 22, bool withFixed = true,
                                 bool withCells = true) {
  auto* data = new TsfSkinData(owner);
  QImage img(40, 3 * cellHeight, QImage::Format_RGB32);
  img.fill(Qt::white);
  for (int y = 0; y < cellHeight; ++y)
    for (int x = 0; x < 40; ++x) {
      img.setPixel(x, y, qRgb(200, 0, 0));
      img.setPixel(x, y + cellHeight, qRgb(0, 200, 0));
      img.setPixel(x, y + 2 * cellHeight, qRgb(0, 0, 200));
    }
  data->PictureList.push_back(std::make_unique<TBitmap>(img));
  auto rec = std::make_unique<TsfDataSkinGridControl>(QStringLiteral("grid"));
  rec->pictureindex = 0;
  if (withFixed) rec->fixedcellrect = Bounds(0, 0, 40, cellHeight);
  if (withCells) {
    rec->selectcellrect = Bounds(0, cellHeight, 40, cellHeight);
    rec->focuscellrect = Bounds(0, 2 * cellHeight, 40, cellHeight);
  }
  rec->fixedcellleftoffset = rec->fixedcellrightoffset = 7;
  rec->fixedcelltextrect = TRect(2, 0, 38, cellHeight);
  rec->cellleftoffset = rec->cellrightoffset = 2;
  rec->celltextrect = TRect(2, 0, 38, cellHeight);
  rec->bgcolor = RGB(250, 250, 240);
  rec->linescolor = RGB(10, 10, 10);
  data->ControlRecords.push_back(std::move(rec));
  data->IsEmpty = false;
  return data;
}

// A skin that is loaded but has no "grid" record.
inline TsfSkinData* MakeSkinWithoutGrid(QObject* owner) {
  auto* data = new TsfSkinData(owner);
  data->ControlRecords.push_back(std::make_unique<TsfDataSkinControl>(QStringLiteral("button")));
  data->IsEmpty = false;
  return data;
}

class PaperGridTest : public ::testing::Test {
 protected:
  // A bank with `papers` papers "Paper 01", "Paper 02", ...
  void OpenBank(int papers) {
    path = dir.filePath(QStringLiteral("bank.zk"));
    CreateBank(path, QStringLiteral(
                         "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
                         "insert into t_title(title_id, title_name) select i, printf('Paper %02d', i) from n;")
                         .arg(papers));
    con.SetConnectionString(BankConnectionString(path));
    con.Open();
    query.SetConnection(&con);
    source.SetDataSet(&query);
  }
  void OpenQuery() {
    query.Close();
    query.SQL()->Clear();
    query.SQL()->Add(QStringLiteral(" select * from t_title "));
    query.Open();
  }
  // The paper grid of the selection window: one column on title_name, no
  // bars, the wheel left to the grid. `height` sets how many rows fit.
  TsfSkinDBGrid* MakePaperGrid(TsfSkinData* skin = nullptr, int height = 200) {
    grid = std::make_unique<TsfSkinDBGrid>();
    grid->SetDefaultRowHeight(17);
    TsfColumn* c = grid->Columns()->Add();
    c->SetFieldName(QStringLiteral("title_name"));
    c->Title()->SetCaption(QStringLiteral("真题考卷"));
    c->SetWidth(268);
    grid->SetDataSource(&source);
    if (skin) grid->SetSkinData(skin);
    grid->resize(297, height);
    grid->OnCellClick = [this](TsfColumn* col) { cellClicks << col; };
    grid->OnTitleClick = [this](TsfColumn* col) { titleClicks << col; };
    return grid.get();
  }
  void Show(QWidget* w) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->activateWindow();
    QApplication::setActiveWindow(w);
    w->setFocus();
  }
  // The centre of a cell.
  QPoint CellCentre(int col, int row) const {
    const TRect r = grid->CellRect(col, row);
    return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  }
  void Wheel(QWidget* w, int delta) {
    const QPoint local(20, 40);
    QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton,
                  Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &e);
  }
  QString Current() const { return query.FieldByName(QStringLiteral("title_name"))->AsString(); }
  QString Count() { return QueryBankValue(path, QStringLiteral("select count(*) from t_title")); }

  QTemporaryDir dir;
  QString path;
  TADOConnection con;
  TADOQuery query;
  TDataSource source;
  std::unique_ptr<TsfSkinDBGrid> grid;
  QList<TsfColumn*> cellClicks;
  QList<TsfColumn*> titleClicks;
};
