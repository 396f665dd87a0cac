// The practice window end to end: real clicks and keys on the real controls,
// each test on its own copy of a bank, checking the bank's rows afterwards.

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

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

// A practice of paper `titleId` in its own window, shown (which starts it).
class Practice : public PracticeWindow {
 public:
  using PracticeWindow::PracticeWindow;
  void Next() { Click(window->sfSkinButton6); }
  void Previous() { Click(window->sfSkinButton4); }
  void Save() { Click(window->sfSkinButton3); }
  // Clicks the radio item with caption `letter`.
  void Choose(const QString& letter) {
    for (TControl* b : window->rg_subject_ansi->findChildren<TControl*>())
      if (b->Caption() == letter && b->isVisible()) return Click(b);
    ADD_FAILURE() << "no item " << letter.toStdString();
  }
  // The subject_id of the row the page shows.
  QString Shown() const {
    return QueryBankValue(dm->adocon->DataSource(),
                          QStringLiteral("select subject_id from t_exerresult where exre_id=") +
                              window->ShownRow().exre_id);
  }
  QString Answer(int subjectId, const char* column = "exre_text") const {
    return QueryBankValue(dm->adocon->DataSource(),
                          QStringLiteral("select %1 from t_exerresult where exer_id=%2 and subject_id=%3")
                              .arg(QString::fromLatin1(column), window->FExerId)
                              .arg(subjectId));
  }
};

QString Bank(const char* sql) { return QueryBankValue(dm->adocon->DataSource(), QString::fromUtf8(sql)); }

}  // namespace

TEST(PracticeWindow, ShowingStartsTheExerciseWithARowPerNodeAndShowsTheSecondRow) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  Practice p;
  ASSERT_FALSE(p.window->FExerId.isEmpty());
  EXPECT_EQ(Bank("select count(*) from t_exercise"), QStringLiteral("1"));
  EXPECT_EQ(Bank("select title_id from t_exercise"), QStringLiteral("1"));
  EXPECT_EQ(Bank("select count(*) from t_exerresult"), QStringLiteral("6"));
  EXPECT_EQ(Bank("select exer_id from t_exerresult group by exer_id"), p.window->FExerId);
  EXPECT_TRUE(Bank("select exer_title from t_exercise").contains(QRegularExpression(
      QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"))));
  // Row 2 is the section: its text in the stem pane, the question box hidden.
  EXPECT_EQ(p.Shown(), QStringLiteral("101"));
  EXPECT_EQ(p.window->re_sub->Text(), QStringLiteral("Read and choose."));
  EXPECT_FALSE(p.window->lbl_th->isVisible());
  EXPECT_FALSE(p.window->p_1->isVisible());
  EXPECT_TRUE(boxes.requests.isEmpty());
}

TEST(PracticeWindow, APaperOfOneNodeShowsThatRowAndAPaperWithoutNodesShowsAnEmptyPage) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql) +
                          QStringLiteral("insert into t_title values (3, 'Empty');"
                                         "delete from t_subject where subject_id=201;"));
  MessageBoxRecorder boxes;
  {
    Practice p(QStringLiteral("2"));
    EXPECT_EQ(p.Shown(), QStringLiteral("200"));
    EXPECT_TRUE(p.window->p_1->isVisible()) << "the paper row shows the cover";
  }
  Practice empty(QStringLiteral("3"));
  EXPECT_EQ(empty.window->RptLists->Count(), 0);
  EXPECT_EQ(empty.window->lbl_th->Caption(), QStringLiteral("lbl_th"));
  EXPECT_TRUE(empty.window->re_sub->Text().isEmpty());
  empty.Click(empty.window->sfSkinButton2);
  EXPECT_EQ(empty.window->lb_cj->Caption(), QStringLiteral("0分"));
  EXPECT_TRUE(boxes.requests.isEmpty());
}

TEST(PracticeWindow, AChoiceIsStoredWithItsMarkAndPreselectedWhenShownAgain) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  Practice p;
  p.Next();
  p.Next();  // Q1, expected A
  ASSERT_EQ(p.Shown(), QStringLiteral("103"));
  EXPECT_EQ(p.window->lbl_th->Caption(), QStringLiteral("第 1 题"));
  EXPECT_TRUE(p.window->rg_subject_ansi->isVisible());
  EXPECT_FALSE(p.window->pm_rg_subject_ansi->isVisible());
  EXPECT_EQ(p.window->re_subjext_text->Text(), QStringLiteral("Stem 1"));
  p.Choose(QStringLiteral("A"));
  p.Save();
  EXPECT_EQ(p.Answer(103), QStringLiteral("A"));
  EXPECT_EQ(p.Answer(103, "exre_istrue"), QStringLiteral("√"));
  EXPECT_EQ(p.Shown(), QStringLiteral("103")) << "saving keeps the row";
  p.Next();  // Q2, expected C
  EXPECT_EQ(p.window->rg_subject_ansi->ItemIndex(), -1);
  p.Choose(QStringLiteral("B"));
  p.Save();
  EXPECT_EQ(p.Answer(104), QStringLiteral("B"));
  EXPECT_EQ(p.Answer(104, "exre_istrue"), QStringLiteral("×"));
  p.Previous();
  EXPECT_EQ(p.window->rg_subject_ansi->ItemIndex(), 0);
  p.Next();
  EXPECT_EQ(p.window->rg_subject_ansi->ItemIndex(), 1);
  EXPECT_TRUE(boxes.requests.isEmpty());
}

TEST(PracticeWindow, ChoiceSavedWithoutASelectionIsEmptyAndWrong) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  Practice p;
  p.Next();
  p.Next();
  p.Save();
  EXPECT_EQ(p.Answer(103), QString());
  EXPECT_EQ(p.Answer(103, "exre_istrue"), QStringLiteral("×"));
}

TEST(PracticeWindow, FreeTextIsStoredExactlyAndShownAgain) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  Practice p;
  for (int i = 0; i < 4; ++i) p.Next();
  ASSERT_EQ(p.Shown(), QStringLiteral("105"));
  EXPECT_FALSE(p.window->rg_subject_ansi->isVisible());
  ASSERT_TRUE(p.window->pm_rg_subject_ansi->isVisible());
  TsfSkinMemo* memo = p.window->m_rg_subject_ansi;
  p.Click(memo);
  QTest::keyClicks(memo->Editor()->viewport(), QStringLiteral("It's fine."));
  p.Save();
  EXPECT_EQ(p.Answer(105), QStringLiteral("It's fine."));
  EXPECT_EQ(p.Answer(105, "exre_istrue"), QStringLiteral("√"));

  // 100 KB with quotes, newlines and statement-like text, pasted.
  QString big;
  while (big.size() < 100 * 1024) big += QStringLiteral("'; delete from t_title; -- \"引号\"\nline\n");
  memo->SelectAll();
  QApplication::clipboard()->setText(big);
  QTest::keyClick(memo->Editor()->viewport(), Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(memo->Text(), big);
  p.Save();
  EXPECT_EQ(p.Answer(105), big);
  EXPECT_EQ(p.Answer(105, "exre_istrue"), QStringLiteral("×"));
  EXPECT_EQ(Bank("select count(*) from t_title"), QStringLiteral("2"));
  p.Previous();
  p.Next();
  EXPECT_EQ(memo->Text(), big);
  EXPECT_TRUE(boxes.requests.isEmpty());
}

TEST(PracticeWindow, ARichTextExplanationIsShownFormatted) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql) +
                          QStringLiteral("update t_subject set subject_reso="
                                         "'{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 plain {\\b bold} end}' "
                                         "where subject_id=103;"));
  Practice p;
  p.Next();
  p.Next();
  p.Click(p.window->sfSkinButton5);
  EXPECT_TRUE(p.window->pre_subject_reso->isVisible());
  const QString shown = p.window->re_subject_reso->Text();
  EXPECT_FALSE(shown.contains(QStringLiteral("\\rtf"))) << shown.toStdString();
  EXPECT_TRUE(shown.contains(QStringLiteral("plain bold end")));
  bool boldFound = false;
  for (QTextBlock b = p.window->re_subject_reso->Document()->begin(); b.isValid(); b = b.next())
    for (auto it = b.begin(); !it.atEnd(); ++it)
      if (it.fragment().text().contains(QStringLiteral("bold")))
        boldFound = it.fragment().charFormat().fontWeight() >= QFont::Bold;
  EXPECT_TRUE(boldFound);
}

TEST(PracticeWindow, ASaveAfterTheArrowKeysMovedTheRowStoresOnTheQuestionShown) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  Practice p;
  p.Next();
  p.Next();  // Q1 shown
  p.Choose(QStringLiteral("A"));
  p.window->RptLists->setFocus();
  QTest::keyClick(p.window->RptLists, Qt::Key_Down);
  QApplication::processEvents();
  EXPECT_EQ(p.window->qry_subject->FieldByName(QStringLiteral("subject_id"))->AsString(),
            QStringLiteral("104"))
      << "the arrow key moved the current row";
  EXPECT_EQ(p.Shown(), QStringLiteral("103")) << "without displaying it";
  p.Save();
  EXPECT_EQ(p.Answer(103), QStringLiteral("A"));
  EXPECT_EQ(p.Answer(103, "exre_istrue"), QStringLiteral("√"));
  EXPECT_EQ(p.Answer(104), QString());
  EXPECT_EQ(p.Answer(104, "exre_istrue"), QString());
}

TEST(PracticeWindow, SaveAndNextMovesOnAndOnTheLastRowShowsTheSameRow) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  Practice p;
  p.Next();
  p.Next();
  p.Click(p.window->c_next);
  ASSERT_TRUE(p.window->c_next->Checked());
  p.Choose(QStringLiteral("A"));
  p.Save();
  EXPECT_EQ(p.Answer(103), QStringLiteral("A"));
  EXPECT_EQ(p.Shown(), QStringLiteral("104"));
  p.Next();
  ASSERT_EQ(p.Shown(), QStringLiteral("105"));
  p.Save();
  EXPECT_EQ(p.Shown(), QStringLiteral("105")) << "the last row is shown again";
  EXPECT_EQ(p.window->qry_subject->RecNo(), 6);
}

TEST(PracticeWindow, PreviousAndNextFollowTheRecordOrderAndStopAtTheEnds) {
  // Rows whose record order differs from the tree's: question 99 comes
  // first in the record set but lies under the first section in the tree.
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql) +
                          QStringLiteral("insert into t_subject values (99, 1, 101, 'Q0', '0', '题目', "
                                         "'Stem 0', '', 1, 'D', 5);"));
  Practice p;
  QStringList seen{p.Shown()};
  for (int i = 0; i < 7; ++i) {
    p.Next();
    seen << p.Shown();
  }
  EXPECT_EQ(seen, (QStringList{"100", "101", "102", "103", "104", "105", "105", "105"}));
  p.Previous();
  EXPECT_EQ(p.Shown(), QStringLiteral("104"));
  for (int i = 0; i < 7; ++i) p.Previous();
  EXPECT_EQ(p.Shown(), QStringLiteral("99"));
  EXPECT_EQ(p.window->lbl_th->Caption(), QStringLiteral("第 0 题"));
  EXPECT_FALSE(p.window->p_1->isVisible());
  // The tree follows: the focused node is question 99's, under the section.
  auto* focused = static_cast<TtlDBTreeListNode*>(p.window->RptLists->FocusedNode());
  ASSERT_NE(focused, nullptr);
  EXPECT_EQ(focused->keyValue.toString(), QStringLiteral("99"));
  EXPECT_EQ(static_cast<TtlDBTreeListNode*>(focused->Parent())->keyValue.toString(), QStringLiteral("101"));
}

TEST(PracticeWindow, TheExplanationStaysShownWhileMoving) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  Practice p;
  p.Next();
  p.Next();
  EXPECT_EQ(p.window->sfSkinButton5->Caption(), QStringLiteral("显示解析"));
  p.Click(p.window->sfSkinButton5);
  EXPECT_TRUE(p.window->pre_subject_reso->isVisible());
  EXPECT_EQ(p.window->sfSkinButton5->Caption(), QStringLiteral("隐藏解析"));
  EXPECT_EQ(p.window->re_subject_reso->Text(), QStringLiteral("because"));
  p.Next();
  p.Next();
  EXPECT_TRUE(p.window->pre_subject_reso->isVisible());
  EXPECT_EQ(p.window->sfSkinButton5->Caption(), QStringLiteral("隐藏解析"));
  EXPECT_EQ(p.window->re_subject_reso->Text(), QStringLiteral("model"));
  // The boxes stack from the bottom: answer, then explanation above it.
  EXPECT_LT(p.window->pre_subject_reso->y(), p.window->pm_rg_subject_ansi->y());
  p.Click(p.window->sfSkinButton5);
  EXPECT_FALSE(p.window->pre_subject_reso->isVisible());
  EXPECT_EQ(p.window->sfSkinButton5->Caption(), QStringLiteral("显示解析"));
}

TEST(PracticeWindow, TheScoreSumsTheRightChoiceQuestionsAndKeepsTheRow) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  Practice p;
  p.Click(p.window->sfSkinButton2);
  EXPECT_TRUE(p.window->p_cj->isVisible());
  EXPECT_EQ(p.window->lb_cj->Caption(), QStringLiteral("0分"));
  EXPECT_EQ(Bank("select exer_point from t_exercise"), QStringLiteral("0"));
  p.Next();
  EXPECT_FALSE(p.window->p_cj->isVisible());
  p.Next();
  p.Choose(QStringLiteral("A"));  // right, 2 points
  p.Save();
  p.Next();
  p.Choose(QStringLiteral("C"));  // right, 1 point
  p.Save();
  p.Next();
  QTest::keyClicks(p.window->m_rg_subject_ansi->Editor()->viewport(), QStringLiteral("It's fine."));
  p.Save();  // right, but free text counts nothing
  ASSERT_EQ(p.Answer(105, "exre_istrue"), QStringLiteral("√"));
  for (int round = 0; round < 2; ++round) {
    p.Click(p.window->sfSkinButton2);
    EXPECT_EQ(p.window->lb_cj->Caption(), QStringLiteral("3分"));
    EXPECT_EQ(Bank("select exer_point from t_exercise"), QStringLiteral("3"));
    EXPECT_EQ(p.window->qry_subject->RecNo(), 6);
  }
}

TEST(PracticeWindow, LeavingWithNoKeepsEverythingAndWithYesDiscardsTheExercise) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  Practice p;
  p.Next();
  p.Next();
  p.Choose(QStringLiteral("A"));
  p.Save();
  {
    MessageBoxRecorder no(IDNO);
    p.Click(p.window->sfSkinButton1);
    ASSERT_EQ(no.requests.size(), 1);
    EXPECT_EQ(no.requests[0].Text, QStringLiteral("确定要退出本次练习？"));
    EXPECT_EQ(no.requests[0].Caption, QStringLiteral("Confirm"));
  }
  EXPECT_TRUE(p.window->isVisible());
  EXPECT_EQ(Bank("select count(*) from t_exercise"), QStringLiteral("1"));
  EXPECT_EQ(p.Answer(103), QStringLiteral("A"));
  {
    MessageBoxRecorder yes(IDYES);
    p.window->close();  // the window manager's close takes the same path
    EXPECT_EQ(yes.requests.size(), 1);
  }
  EXPECT_FALSE(p.window->isVisible());
  EXPECT_EQ(Bank("select count(*) from t_exercise"), QStringLiteral("0"));
  EXPECT_EQ(Bank("select count(*) from t_exerresult"), QStringLiteral("0"));
}
