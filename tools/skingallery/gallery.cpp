#include "tools/skingallery/gallery.h"

#include <sqlite3.h>

#include <QEventLoop>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"

#include "platform/form.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "skin/controls/skin_link_image.h"
#include "skin/controls/list_box.h"
#include "skin/controls/memo.h"
#include "skin/controls/rich_edit.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/skin_panel.h"
#include "skin/grids/skin_db_grid.h"
#include "tools/bankgen/bank_writer.h"
#include "tools/skingen/logo.h"

namespace {

constexpr int kColumnWidth = 380;
constexpr int kColumnHeight = 960;

// Lets timers (morphing, animation) run to their end.
void Settle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

template <typename T>
T* Make(QWidget* parent, TsfSkinData* data, const QString& caption, int x, int y, int w, int h) {
  auto* c = new T(parent);
  c->SetCaption(caption);
  c->SetBounds(x, y, w, h);
  c->SetSkinData(data);
  return c;
}

// A small bank of a few papers and practice runs for the data grid; gives the
// connection string that opens it (empty when it cannot be written).
QString WriteGalleryBank(const QString& path) {
  std::vector<bankgen::Paper> papers;
  for (const char* name : {"2019年6月 真题", "2019年12月 真题", "2020年9月 真题", "2021年6月 真题"}) {
    bankgen::Paper paper;
    paper.name = name;
    bankgen::Node node;
    node.caption = name;
    paper.nodes.push_back(node);
    papers.push_back(paper);
  }
  QString password;
  try {
    bankgen::WriteBank(papers, bankgen::EmbeddedSchema(), path.toStdString());
  } catch (const std::exception&) {
    return QString();
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
    sqlite3_exec(db,
                 "insert into t_exercise(title_id, exer_title, exer_point) values"
                 " (1, '2026-03-01 09:00:00', 62), (2, '2026-03-02 19:30:00', 71),"
                 " (2, '2026-03-05 20:10:00', 78.5), (3, '2026-03-08 08:45:00', 55),"
                 " (4, '2026-03-09 21:00:00', 83), (1, '2026-03-12 18:15:00', 69),"
                 " (3, '2026-03-15 10:00:00', 74), (4, '2026-03-18 22:05:00', 88)",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, "select value from tolm_meta where name = 'password'", -1, &st, nullptr) ==
            SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
      password = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=\"%2\";").arg(path, password);
}

}  // namespace

QImage GalleryColumn(TsfSkinData* data, const QString& title) {
  // The data grid's record set outlives the form that shows it.
  QTemporaryDir bankDir;
  TADOConnection connection;
  TADOQuery runs;
  TDataSource runsSource;
  const QString bank = bankDir.isValid() ? WriteGalleryBank(bankDir.filePath(QStringLiteral("gallery.zk")))
                                         : QString();
  if (!bank.isEmpty()) {
    try {
      connection.SetConnectionString(bank);
      connection.Open();
      runs.SetConnection(&connection);
      runs.SQL()->Add(QStringLiteral(
          "select e.exer_id, t.title_name, e.exer_title, e.exer_point from t_exercise e"
          " join t_title t on t.title_id = e.title_id order by e.exer_id"));
      runs.Open();
      runsSource.SetDataSet(&runs);
    } catch (const std::exception&) {
      // The grid then shows its titles and one empty row.
    }
  }

  TForm form;
  form.SetCaption(title);
  form.SetClientSize(kColumnWidth, kColumnHeight);

  auto* top = Make<TsfSkinPanel>(&form, data, QStringLiteral("Panel"), 0, 0, kColumnWidth, 60);
  top->SetAlign(alTop);
  auto* logo = new TsfSkinLinkImage(top);
  logo->SetBounds(4, 4, 177, 49);
  logo->SetPicture(TBitmap(DrawLogo()));

  auto* body = Make<TsfSkinPanel>(&form, data, QStringLiteral("Panel"), 0, 60, kColumnWidth, kColumnHeight - 60);
  body->SetAlign(alClient);

  auto* buttons = Make<TsfSkinGroupBox>(body, data, QStringLiteral("Buttons"), 8, 8, 364, 110);
  const char* states[] = {"Normal", "Hot", "Pressed", "Focused", "Disabled", "Default"};
  TsfSkinButton* made[6];
  for (int i = 0; i < 6; ++i)
    made[i] = Make<TsfSkinButton>(buttons, data, QString::fromLatin1(states[i]), 12 + (i % 3) * 115,
                                  28 + (i / 3) * 38, 100, 25);
  made[1]->Perform(CM_MOUSEENTER);
  made[2]->Perform(CM_MOUSEENTER);
  made[2]->SetDown(true);
  made[4]->SetEnabled(false);
  made[5]->SetDefault(true);

  auto* boxes = Make<TsfSkinGroupBox>(body, data, QStringLiteral("Check and radio boxes"), 8, 126, 364, 130);
  const char* checks[] = {"Unchecked", "Checked", "Grayed", "Disabled"};
  for (int i = 0; i < 4; ++i) {
    auto* c = Make<TsfSkinCheckRadioBox>(boxes, data, QString::fromLatin1(checks[i]), 12 + (i % 2) * 170,
                                         26 + (i / 2) * 28, 160, 24);
    if (i == 1 || i == 3) c->SetChecked(true);
    if (i == 2) {
      c->SetAllowGrayed(true);
      c->SetState(cbGrayed);
    }
    if (i == 3) c->SetEnabled(false);
  }
  for (int i = 0; i < 2; ++i) {
    auto* r = Make<TsfSkinCheckRadioBox>(boxes, data, i ? QStringLiteral("Radio checked")
                                                          : QStringLiteral("Radio"),
                                         12 + i * 170, 86, 160, 24);
    r->SetSkinDataName(QStringLiteral("radiobox"));
    r->SetRadio(true);
    r->SetChecked(i == 1);
  }

  auto* group = Make<TsfSkinRadioGroup>(body, data, QStringLiteral("Radio group"), 8, 264, 364, 55);
  group->SetColumns(4);
  group->SetItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
  group->SetItemIndex(1);

  auto* plain = Make<TsfSkinPanel>(body, data, QStringLiteral("Panel caption"), 8, 328, 176, 80);
  plain->SetBorderStyle(bvLowered);
  auto* captioned = Make<TsfSkinPanel>(body, data, QStringLiteral("Caption band"), 196, 328, 176, 80);
  captioned->SetCaptionMode(true);
  captioned->SetCheckedMode(true);
  captioned->SetChecked(true);
  auto* rolled = Make<TsfSkinGroupBox>(body, data, QStringLiteral("Rolled up"), 8, 416, 364, 70);
  rolled->SetRollUpMode(true);
  rolled->SetRollUpState(true);

  // Edits with linked bars, a list box and free scroll bars.
  auto* edits = Make<TsfSkinGroupBox>(body, data, QStringLiteral("Memo, rich edit, list box, scroll bars"), 8,
                                      494, 364, 228);
  QStringList lines;
  for (int i = 1; i <= 30; ++i) lines << QStringLiteral("Line %1 of the answer").arg(i);
  auto* memoBar = new TsfSkinScrollBar(edits);
  memoBar->SetKind(sbVertical);
  memoBar->SetSkinDataName(QStringLiteral("vscrollbar"));
  memoBar->SetSkinData(data);
  memoBar->SetBounds(155, 24, 17, 90);
  auto* memo = new TsfSkinMemo(edits);
  memo->SetSkinData(data);
  memo->SetBounds(12, 24, 143, 90);
  memo->SetText(lines.join(u'\n'));
  memo->SetVScrollBar(memoBar);
  auto* rich = new TsfSkinRichEdit(edits);
  rich->SetSkinData(data);
  rich->SetBounds(12, 120, 160, 60);
  rich->SetText(QStringLiteral("{\\rtf1 \\b Rich\\b0  text, {\\i italic} and \\ul underlined\\ulnone .}"));
  auto* list = new TsfSkinListBox(edits);
  list->SetSkinData(data);
  list->SetBounds(184, 24, 168, 110);
  list->SetItems(lines.mid(0, 12));
  list->SetItemIndex(1);
  for (int i = 0; i < 2; ++i) {
    auto* bar = new TsfSkinScrollBar(edits);
    bar->SetSkinData(data);
    bar->SetBounds(184, 146 + i * 24, 168, 17);
    bar->SetRangeAndPosition(0, 99, 20, 30 + i * 40);
    bar->SetEnabled(i == 0);
  }

  // The data grid over the practice runs, with its record-counting bar.
  auto* grids = Make<TsfSkinGroupBox>(body, data, QStringLiteral("Data grid"), 8, 730, 364, 160);
  auto* gridBar = new TsfSkinScrollBar(grids);
  gridBar->SetKind(sbVertical);
  gridBar->SetSkinDataName(QStringLiteral("vscrollbar"));
  gridBar->SetSkinData(data);
  gridBar->SetBounds(335, 24, 17, 124);
  auto* grid = new TsfSkinDBGrid(grids);
  grid->SetBounds(12, 24, 323, 124);
  grid->SetSkinData(data);
  const struct {
    const char* field;
    const char* caption;
    int width;
  } columns[] = {{"title_name", "真题考卷", 110}, {"exer_title", "开始时间", 118}, {"exer_point", "分数", 50}};
  for (const auto& c : columns) {
    TsfColumn* column = grid->Columns()->Add();
    column->SetFieldName(QString::fromLatin1(c.field));
    column->Title()->SetCaption(QString::fromUtf8(c.caption));
    column->SetWidth(c.width);
  }
  grid->SetVScrollBar(gridBar);
  grid->SetDataSource(&runsSource);
  if (runs.Active()) runs.MoveBy(2);

  form.show();
  form.activateWindow();
  made[3]->SetFocus();
  Settle(250);
  return form.grab().toImage();
}

QImage GalleryPicture(TsfSkinData* skinned) {
  const QImage left = GalleryColumn(skinned, QStringLiteral("Skinned"));
  const QImage right = GalleryColumn(nullptr, QStringLiteral("Default look"));
  const int titleH = 28, gap = 16;
  QImage out(left.width() + right.width() + 3 * gap, std::max(left.height(), right.height()) + titleH + gap,
             QImage::Format_RGB32);
  out.fill(QColor(0xE8, 0xEC, 0xF0));
  QPainter p(&out);
  p.setFont(MakeQFont(QStringLiteral("Arial"), 16, fsBold));
  p.drawText(QRect(gap, 0, left.width(), titleH), Qt::AlignVCenter,
             QStringLiteral("Skinned (%1)").arg(skinned ? skinned->Version.skinname : QString()));
  p.drawText(QRect(2 * gap + left.width(), 0, right.width(), titleH), Qt::AlignVCenter,
             QStringLiteral("Default look (no skin data)"));
  p.drawImage(gap, titleH, left);
  p.drawImage(2 * gap + left.width(), titleH, right);
  return out;
}
