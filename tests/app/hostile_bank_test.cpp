// Both windows on banks no sane maker writes: cyclic trees, NULLs and wrong
// types in every column, huge texts and very many nodes, and the buttons
// pressed in orders nobody plans for.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "app/data_module.h"
#include "app/frm_checksub.h"
#include "app/frm_tolmmain.h"
#include "db/query.h"
#include "platform/label.h"
#include "skin/controls/memo.h"
#include "skin/controls/rich_edit.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "skin/controls/skin_panel.h"
#include "tests/app/app_fixture.h"
#include "tests/app/practice_fixture.h"
#include "treelist/db_tree_list.h"

namespace {

class Practice : public PracticeWindow {
 public:
  using PracticeWindow::PracticeWindow;
  // Every button of the row, each a few times, in the order given.
  void Press(const QList<TControl*>& buttons) {
    for (TControl* b : buttons) Click(b);
  }
  QList<TControl*> AllButtons() const {
    return {window->sfSkinButton4, window->sfSkinButton6, window->sfSkinButton3, window->c_next,
            window->sfSkinButton5, window->sfSkinButton2, window->sfSkinButton3, window->sfSkinButton6};
  }
  QString Rows() const {
    return QueryBankValue(dm->adocon->DataSource(),
                          QStringLiteral("select count(*) from t_exerresult where exer_id=") + window->FExerId);
  }
};

QString Bank(const QString& sql) { return QueryBankValue(dm->adocon->DataSource(), sql); }

QString ErrorsOf(const MessageBoxRecorder& boxes) {
  QStringList t;
  for (const auto& r : boxes.requests) t << r.Text.left(200);
  return t.join(QStringLiteral(" | "));
}

}  // namespace

TEST(HostileBank, TreesWithCyclesSelfParentsAndMissingParents) {
  // 1 -> 2 -> 3 -> 1 is a ring; 4 is its own parent; 5 hangs below a node of
  // another paper, 6 below one that does not exist; 7 is a sound question.
  ProgramInFolder program(QStringLiteral(
      "insert into t_title values (1, 'Rings'), (2, 'Other');"
      "insert into t_subject(subject_id, title_id, par_id, titlename, title_name, subject_kind, "
      "subjext_text, subject_reso, type_show, subject_ansi, perpoint) values "
      "(1, 1, 3, 'R1', '1', '题目', 's1', 'r1', 1, 'A', 1),"
      "(2, 1, 1, 'R2', '2', '题型', 's2', '', 0, '', 0),"
      "(3, 1, 2, 'R3', '3', '子题', 's3', '', 0, '', 0),"
      "(4, 1, 4, 'Self', '4', '题目', 's4', '', 2, 'x', 1),"
      "(5, 1, 900, 'Stray', '5', '题目', 's5', '', 1, 'B', 1),"
      "(6, 1, 777, 'Orphan', '6', '题目', 's6', '', 1, 'C', 1),"
      "(7, 1, null, 'Sound', '7', '题目', 's7', '', 1, 'D', 1),"
      "(900, 2, null, 'Other paper', '', '考卷', '', '', 0, '', 0);"));
  MessageBoxRecorder boxes;
  Practice p;
  ASSERT_FALSE(p.window->FExerId.isEmpty());
  EXPECT_EQ(p.Rows(), QStringLiteral("7"));
  for (int i = 0; i < 9; ++i) p.Click(p.window->sfSkinButton6);
  for (int i = 0; i < 9; ++i) p.Click(p.window->sfSkinButton4);
  p.Press(p.AllButtons());
  p.window->RptLists->setFocus();
  for (Qt::Key k : {Qt::Key_End, Qt::Key_Home, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left, Qt::Key_Up,
                    Qt::Key_Asterisk, Qt::Key_Plus, Qt::Key_Minus})
    QTest::keyClick(p.window->RptLists, k);
  p.window->repaint();
  EXPECT_EQ(ErrorsOf(boxes), QString());
}

TEST(HostileBank, NullsAndWrongTypesInEveryColumn) {
  // Every nullable node column NULL; then the same columns holding values of
  // the wrong kind: texts in number columns, numbers and blobs in texts.
  ProgramInFolder program(QStringLiteral(
      "insert into t_title values (1, 'Hostile');"
      "insert into t_subject(subject_id, title_id) values (1, 1), (2, 1);"
      "insert into t_subject values "
      "(3, 1, 'parent?', 12, 34, 56, x'00ff10', x'7b5c727466', 'one', 7.5, 'many'),"
      "(4, 1, 1, '', '', '题目', x'', null, '1', null, 'x'),"
      "(5, 1, 1, 'T', 'T', '题目', 'text', 'reso', 1, 'A', 9223372036854775807),"
      "(6, 1, 1, 'T', 'T', '题目', 'text', 'reso', 1, 'A', 9223372036854775807),"
      "(7, 1, 1, 'F', 'F', '题目', '', '', 2, null, 1e308),"
      "(8, 1, 1, 'G', 'G', '题目', '', '', 1, 'ÿ', -1e308);"));
  MessageBoxRecorder boxes;
  Practice p;
  ASSERT_FALSE(p.window->FExerId.isEmpty());
  EXPECT_EQ(p.Rows(), QStringLiteral("8"));
  for (int i = 0; i < 9; ++i) {
    p.Click(p.window->sfSkinButton6);
    p.Click(p.window->sfSkinButton3);
  }
  p.Press(p.AllButtons());
  // Right answers on the two questions whose points sum past the largest
  // integer: the score must come out or say why, never store garbage.
  p.window->qry_subject->Locate(QStringLiteral("subject_id"), 5);
  p.window->RptListsDblClick(nullptr);
  EXPECT_EQ(ErrorsOf(boxes), QString());
}

TEST(HostileBank, HugeAndMalformedRichTexts) {
  const QString deep = QString(QStringLiteral("{")).repeated(20000) + QStringLiteral("deep");
  const QString wide = QStringLiteral("{\\rtf1 ") + QStringLiteral("\\b bold\\b0 ").repeated(20000) +
                       QStringLiteral("}");
  const QString cut = QStringLiteral("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0\\'");
  const QString bin = QStringLiteral("{\\rtf1 \\bin2147483647 x}");
  const QString big = QStringLiteral("{\\rtf1 \\fs2147483647\\cf2147483647\\f2147483647\\u-2147483648?"
                                     "\\li2147483647\\fi-2147483648 x\\par}");
  const QString plain = QStringLiteral("x").repeated(256 * 1024);
  QString sql = QStringLiteral("insert into t_title values (1, 'Texts');");
  int id = 1;
  for (const QString& text : {deep, wide, cut, bin, big, plain}) {
    QString quoted = text;
    quoted.replace('\'', QStringLiteral("''"));
    sql += QStringLiteral("insert into t_subject values (%1, 1, null, 'N%1', '%1', '题目', '%2', '%2', 2, '', 1);")
               .arg(id++)
               .arg(quoted);
  }
  ProgramInFolder program(sql);
  MessageBoxRecorder boxes;
  Practice p;
  ASSERT_FALSE(p.window->FExerId.isEmpty());
  for (int i = 0; i < 7; ++i) {
    p.Click(p.window->sfSkinButton6);
    p.Click(p.window->sfSkinButton5);
  }
  p.window->repaint();
  EXPECT_EQ(ErrorsOf(boxes), QString());
}

TEST(HostileBank, ButtonsPressedInAnyOrderOnEmptyAndOneNodePapers) {
  ProgramInFolder program(QStringLiteral(
      "insert into t_title values (1, 'Empty'), (2, 'One'), (3, 'Only a paper node');"
      "insert into t_subject values (20, 2, null, 'Q', '1', '题目', 's', 'r', 1, 'A', 2);"
      "insert into t_subject values (30, 3, null, 'P', '', '考卷', '', '', 0, '', 0);"));
  for (const char* paper : {"1", "2", "3"}) {
    SCOPED_TRACE(paper);
    MessageBoxRecorder boxes;
    Practice p(QString::fromLatin1(paper));
    // Save before any row, previous at the first row, next at the last,
    // the score twice, the explanation on and off, save-and-next.
    p.Press({p.window->sfSkinButton3, p.window->sfSkinButton4, p.window->sfSkinButton4,
             p.window->sfSkinButton6, p.window->sfSkinButton6, p.window->sfSkinButton2,
             p.window->sfSkinButton2, p.window->sfSkinButton5, p.window->c_next, p.window->sfSkinButton3,
             p.window->sfSkinButton3, p.window->sfSkinButton5, p.window->sfSkinButton4});
    EXPECT_EQ(ErrorsOf(boxes), QString());
    if (QLatin1String(paper) == QLatin1String("2")) {
      EXPECT_EQ(Bank(QStringLiteral("select exre_istrue from t_exerresult where subject_id=20")), QStringLiteral("×"));
    }
  }
}

TEST(HostileBank, ClosingThePracticeWhileASaveAsksOrReports) {
  // A save whose statement fails reports it in a box; the user closes the
  // practice from there (the box runs its own event loop).
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  QList<TMessageBoxRequest> seen;
  Practice p;
  p.Click(p.window->sfSkinButton6);
  p.Click(p.window->sfSkinButton6);  // Q1
  ExecOnBank(program.Bank(), QStringLiteral("create trigger no_save before update on t_exerresult "
                                            "begin select raise(abort, 'locked'); end;"));
  QPointer<Tfrm_tolmmain> w = p.window;
  const TMessageBoxHandler previous = SetMessageBoxHandler([&](const TMessageBoxRequest& r) {
    seen << r;
    if (seen.size() == 1 && w) w->Close();
    return IDYES;
  });
  p.Click(p.window->sfSkinButton3);
  p.Click(p.window->sfSkinButton2);
  SetMessageBoxHandler(previous);
  ASSERT_GE(seen.size(), 2);
  EXPECT_TRUE(seen[0].Text.contains(QStringLiteral("locked"))) << seen[0].Text.toStdString();
  EXPECT_EQ(seen[1].Text, QStringLiteral("确定要退出本次练习？"));
}

TEST(HostileBank, APaperOfFiveThousandQuestions) {
  // Each result row used to be a transaction of its own, flushed to disk:
  // about fifty rows a second, over a minute for this paper on a disk.
  ProgramInFolder program(LargePaperSql(5000));
  MessageBoxRecorder boxes;
  Practice p;
  ASSERT_FALSE(p.window->FExerId.isEmpty());
  EXPECT_EQ(p.Rows(), QStringLiteral("5000"));
  p.Click(p.window->sfSkinButton6);
  p.Click(p.window->sfSkinButton3);
  p.Click(p.window->sfSkinButton2);
  EXPECT_EQ(ErrorsOf(boxes), QString());
}

TEST(HostileBank, AResultRowThatCannotBeInsertedStopsTheStartAndKeepsTheRowsBefore) {
  // The bank refuses the third result row: the start reports it, the rows
  // inserted before it stay as statements already run, and leaving discards them.
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql) +
                          QStringLiteral("create trigger third_row before insert on t_exerresult "
                                         "when (select count(*) from t_exerresult) >= 2 "
                                         "begin select raise(abort, 'the bank is full'); end;"));
  MessageBoxRecorder boxes(IDYES);
  Practice p;
  ASSERT_FALSE(p.window->FExerId.isEmpty());
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_TRUE(boxes.requests[0].Text.contains(QStringLiteral("the bank is full")));
  EXPECT_EQ(p.Rows(), QStringLiteral("2"));
  p.Click(p.window->sfSkinButton1);
  EXPECT_EQ(Bank(QStringLiteral("select count(*) from t_exerresult")), QStringLiteral("0"));
  EXPECT_EQ(Bank(QStringLiteral("select count(*) from t_exercise")), QStringLiteral("0"));
}
