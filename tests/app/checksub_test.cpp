// The paper selection window: the paper list and the clicked paper's name,
// starting a practice, and importing a bank through the open dialog.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include "app/bank_import.h"
#include "app/data_module.h"
#include "app/frm_checksub.h"
#include "app/frm_tolmmain.h"
#include "db/query.h"
#include "platform/label.h"
#include "platform/open_dialog.h"
#include "skin/controls/skin_button.h"
#include "skin/grids/skin_db_grid.h"
#include "tests/app/app_fixture.h"

namespace {

const QString kTitle = QStringLiteral("Tolm真题练习");

// Answers the next open dialog with `path` (Escape when empty).
class DialogAnswer {
 public:
  explicit DialogAnswer(const QString& path) {
    TOpenDialog::OnDialogShown() = [path](QFileDialog* d) { AnswerOpenDialog(d, path); };
  }
  ~DialogAnswer() { TOpenDialog::OnDialogShown() = nullptr; }
};

QStringList Texts(const MessageBoxRecorder& boxes) {
  QStringList t;
  for (const auto& r : boxes.requests) {
    EXPECT_EQ(r.Caption, kTitle);
    EXPECT_EQ(r.Flags, MB_OK);
    t << r.Text;
  }
  return t;
}

void ClickAt(QWidget* w, const QPoint& at) {
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, at);
  QApplication::processEvents();
}

void Click(QWidget* w) { ClickAt(w, QPoint(w->width() / 2, w->height() / 2)); }

// Clicks the paper cell of grid row `row` (1 = the first paper).
void ClickPaper(int row) {
  const TRect cell = frm_checksub->sfSkinDBGrid1->CellRect(1, row);
  ClickAt(frm_checksub->sfSkinDBGrid1, QPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
}

}  // namespace

TEST(PaperSelection, ACellClickNamesThePaperAndStartPractisesIt) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql), true);
  MessageBoxRecorder boxes(IDYES);
  frm_checksub->Show();
  ClickPaper(2);
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QStringLiteral("Paper Two"));
  EXPECT_EQ(frm_checksub->qry_title->RecNo(), 2);
  QString paper;
  QTimer::singleShot(0, [&] {
    paper = program.Value(QStringLiteral("select title_id from t_exercise"));
    Click(frm_tolmmain->sfSkinButton1);  // 返回菜单, answered Yes
  });
  Click(frm_checksub->sfSkinButton1);  // 开始
  EXPECT_EQ(paper, QStringLiteral("2"));
  EXPECT_EQ(program.Value(QStringLiteral("select count(*) from t_exercise")), QStringLiteral("0"));
}

TEST(PaperSelection, ShowingListsThePapersAndNamesTheFirst) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  frm_checksub->Show();
  EXPECT_EQ(frm_checksub->qry_title->RecordCount(), 2);
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QStringLiteral("Paper One"));
  frm_checksub->qry_title->Next();
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QStringLiteral("Paper One"))
      << "only a cell click changes the name";
  frm_checksub->sfSkinDBGrid1CellClick(nullptr);
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QStringLiteral("Paper Two"));
  EXPECT_TRUE(boxes.requests.isEmpty());
}

TEST(PaperSelection, StartWithoutAPaperAsksForOne) {
  ProgramInFolder program(QStringLiteral("select 1"));
  MessageBoxRecorder boxes;
  frm_checksub->Show();
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QString());
  Tfrm_tolmmain* hidden = frm_tolmmain;
  Click(frm_checksub->sfSkinButton1);
  EXPECT_EQ(Texts(boxes), QStringList{QStringLiteral("请选择试卷，再开始!")});
  EXPECT_EQ(frm_tolmmain, hidden);
  EXPECT_EQ(program.Value(QStringLiteral("select count(*) from t_exercise")), QStringLiteral("0"));
}

TEST(PaperSelection, StartPractisesTheGridsCurrentPaperAndDestroysTheWindowAfterwards) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes(IDYES);
  frm_checksub->Show();
  frm_checksub->qry_title->Next();  // the name still says Paper One
  Tfrm_tolmmain* hidden = frm_tolmmain;
  QPointer<Tfrm_tolmmain> shown;
  QString exercise, paper, rows;
  QTimer::singleShot(0, [&] {
    shown = frm_tolmmain;
    exercise = shown->FExerId;
    paper = program.Value(QStringLiteral("select title_id from t_exercise where exer_id=") + exercise);
    rows = program.Value(QStringLiteral("select count(*) from t_exerresult where exer_id=") + exercise);
    shown->Close();
  });
  frm_checksub->sfSkinButton1Click(nullptr);
  EXPECT_NE(shown, hidden);
  EXPECT_TRUE(shown.isNull()) << "the practice window is destroyed";
  EXPECT_EQ(frm_tolmmain, hidden);
  EXPECT_EQ(paper, QStringLiteral("2"));
  EXPECT_EQ(rows, QStringLiteral("2"));
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_EQ(boxes.requests[0].Text, QStringLiteral("确定要退出本次练习？"));
  EXPECT_EQ(boxes.requests[0].Caption, QStringLiteral("Confirm"));
  EXPECT_EQ(boxes.requests[0].Flags, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(boxes.requests[0].Buttons, (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
  EXPECT_EQ(program.Value(QStringLiteral("select count(*) from t_exercise")), QStringLiteral("0"));
  EXPECT_EQ(program.Value(QStringLiteral("select count(*) from t_exerresult")), QStringLiteral("0"));
}

TEST(PaperSelection, StartRefusesANewGridRowWithoutAPaper) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  frm_checksub->Show();
  frm_checksub->qry_title->Append();  // a row being typed: the name is still shown
  frm_checksub->sfSkinButton1Click(nullptr);
  EXPECT_EQ(Texts(boxes), QStringList{QStringLiteral("请选择试卷，再开始!")});
  EXPECT_EQ(program.Value(QStringLiteral("select count(*) from t_exercise")), QStringLiteral("0"));
}

TEST(PaperSelection, ImportThroughTheOpenDialogReplacesTheBankAndReloadsTheList) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  frm_checksub->Show();
  const QByteArray old = ReadFileBytes(program.Bank());
  const QString chosen = program.Path() + QStringLiteral("other.zk");
  CreateBank(chosen, QStringLiteral("insert into t_title values (5, 'Imported');"));
  {
    // The dialog starts in the program's folder; typed without its
    // extension, the name gets ".zk".
    DialogAnswer answer(QStringLiteral("other"));
    Click(frm_checksub->sfSkinButton2);
  }
  EXPECT_EQ(Texts(boxes), QStringList{QStringLiteral("导入完成!")});
  EXPECT_TRUE(dm->adocon->Connected());
  EXPECT_EQ(frm_checksub->qry_title->RecordCount(), 1);
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QStringLiteral("Imported"));
  EXPECT_EQ(ReadFileBytes(program.Path() + bank_import::kBackupName), old);
}

TEST(PaperSelection, AFailedImportSaysSoAndKeepsTheOldBankWorking) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  frm_checksub->Show();
  const QByteArray old = ReadFileBytes(program.Bank());
  const QString chosen = program.Path() + QStringLiteral("bad.zk");
  WriteFileBytes(chosen, QByteArray("not a bank at all"));
  {
    DialogAnswer answer(QStringLiteral("bad.zk"));
    frm_checksub->sfSkinButton2Click(nullptr);
  }
  EXPECT_EQ(Texts(boxes), QStringList{QStringLiteral("操作失败!")});
  EXPECT_EQ(ReadFileBytes(program.Bank()), old);
  EXPECT_TRUE(dm->adocon->Connected());
  EXPECT_EQ(frm_checksub->qry_title->RecordCount(), 2);
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QStringLiteral("Paper One"));
}

TEST(PaperSelection, CancellingTheOpenDialogChangesNothing) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  frm_checksub->Show();
  frm_checksub->qry_title->Next();
  frm_checksub->sfSkinDBGrid1CellClick(nullptr);
  {
    DialogAnswer answer{QString()};
    frm_checksub->sfSkinButton2Click(nullptr);
  }
  EXPECT_TRUE(boxes.requests.isEmpty());
  EXPECT_TRUE(dm->adocon->Connected());
  EXPECT_EQ(frm_checksub->qry_title->RecNo(), 2) << "the list is not reloaded";
  EXPECT_EQ(frm_checksub->lbl_title->Caption(), QStringLiteral("Paper Two"));
  EXPECT_FALSE(QFile::exists(program.Path() + bank_import::kBackupName));
}
