#include <gtest/gtest.h>

#include "app/data_module.h"
#include "app/store.h"
#include "app/upublic.h"
#include "db/db_error.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"

namespace {
// A bank in a folder that stands in for the executable's, opened through the
// data module as start-up opens it.
class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CreateBank(folder.BankPath(), QString::fromUtf8(kSmallPaperSql));
    module = CreateDataModule(nullptr);
    ASSERT_TRUE(dm->adocon->Connected());
  }
  void TearDown() override { delete module; }
  QString Value(const QString& sql) { return QueryBankValue(folder.BankPath(), sql); }

  TempAppFolder folder;
  Tdm* module = nullptr;
};
}  // namespace

TEST(StoreStatements, AreWrittenExactlyAsTheWindowsSendThem) {
  using namespace store;
  EXPECT_EQ(ListPapers(), " select * from t_title ");
  EXPECT_EQ(StartExercise("3", "2026-12-10 09:05:01"),
            "insert into t_exercise(title_id,exer_title)values(3,'2026-12-10 09:05:01')");
  EXPECT_EQ(PaperNodes("3"), "select * from t_subject where title_id=3");
  EXPECT_EQ(AddResultRow("7", "101"), "insert into t_exerresult(exer_id,subject_id)values(7,101)");
  EXPECT_EQ(ExerciseRows("7"), "select * from v_exerresult where exer_id=7");
  EXPECT_EQ(ObjectiveScore("7"),
            QStringLiteral("select sum(perpoint) as spoint from v_exerresult where exre_istrue='√' and  type_show=1 and exer_id=7"));
  EXPECT_EQ(StoreScore("12", "7"), "update t_exercise set exer_point=12  where exer_id=7");
  EXPECT_EQ(SaveAnswer("B", kRight, "55"),
            QStringLiteral("update t_exerresult set exre_text='B',exre_istrue='√' where exre_id=55"));
  EXPECT_EQ(DiscardExercise("7"), "delete from  t_exercise where exer_id=7");
  EXPECT_EQ(DiscardResults("7"), "delete from  t_exerresult where exer_id=7");
  EXPECT_EQ(FormatStartTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5))), "2026-01-02 03:04:05");
  EXPECT_EQ(MarkFor("A", "A"), kRight);
  EXPECT_EQ(MarkFor("a", "A"), kWrong);
  EXPECT_EQ(MarkFor("", "A"), kWrong);
}

TEST_F(StoreTest, GetMaxValueReadsTheLargestIdentifierOrEmptyText) {
  EXPECT_EQ(GetMaxValue("t_exercise", "exer_id"), "") << "an empty table gives empty text, not 0";
  EXPECT_EQ(GetMaxValue("t_title", "title_id"), "2");
  EXPECT_THROW(GetMaxValue("no_table", "x"), EOleException);
}

TEST_F(StoreTest, APracticeRunsItsStatementsWithTheirEffects) {
  using namespace store;
  // Start: the exercise, its identifier, one result row per node.
  RunSql(StartExercise("1", FormatStartTime(QDateTime::currentDateTime())));
  const QString exerId = GetMaxValue("t_exercise", "exer_id");
  ASSERT_EQ(exerId, "1");
  TADOQuery nodes;
  nodes.SetConnection(dm->adocon);
  nodes.SQL()->Add(PaperNodes("1"));
  nodes.Open();
  for (int i = 0, n = nodes.RecordCount(); i < n; ++i) {
    RunSql(AddResultRow(exerId, nodes.FieldByName("subject_id")->AsString()));
    nodes.Next();
  }
  TADOQuery rows;
  rows.SetConnection(dm->adocon);
  rows.SQL()->Add(ExerciseRows(exerId));
  rows.Open();
  EXPECT_EQ(rows.RecordCount(), 6);

  // No answer yet: the score reads as empty text.
  TADOQuery score;
  score.SetConnection(dm->adocon);
  score.SQL()->Add(ObjectiveScore(exerId));
  score.Open();
  EXPECT_EQ(score.FieldByName("spoint")->AsString(), "");

  // Answers: two right choices, a right free-text answer (not counted).
  ASSERT_TRUE(rows.Locate("subject_id", 103));
  RunSql(SaveAnswer("A", MarkFor("A", rows.FieldByName("subject_ansi")->AsString()),
                    rows.FieldByName("exre_id")->AsString()));
  ASSERT_TRUE(rows.Locate("subject_id", 104));
  RunSql(SaveAnswer("B", MarkFor("B", rows.FieldByName("subject_ansi")->AsString()),
                    rows.FieldByName("exre_id")->AsString()));
  ASSERT_TRUE(rows.Locate("subject_id", 105));
  RunSql(SaveAnswer("It's fine.", MarkFor("It's fine.", rows.FieldByName("subject_ansi")->AsString()),
                    rows.FieldByName("exre_id")->AsString()));
  EXPECT_EQ(Value("select exre_text||'|'||exre_istrue from t_exerresult where subject_id=103"), QStringLiteral("A|√"));
  EXPECT_EQ(Value("select exre_text||'|'||exre_istrue from t_exerresult where subject_id=104"), QStringLiteral("B|×"));
  EXPECT_EQ(Value("select exre_text||'|'||exre_istrue from t_exerresult where subject_id=105"), QStringLiteral("It's fine.|√"));

  score.Close();
  score.Open();
  const QString points = score.FieldByName("spoint")->AsString();
  EXPECT_EQ(points, "2") << "only right choice questions count";
  RunSql(StoreScore(points, exerId));
  EXPECT_EQ(Value("select exer_point from t_exercise where exer_id=1"), "2");

  // Leaving discards everything of the exercise.
  RunSql(DiscardExercise(exerId));
  RunSql(DiscardResults(exerId));
  EXPECT_EQ(Value("select count(*) from t_exercise"), "0");
  EXPECT_EQ(Value("select count(*) from t_exerresult"), "0");
  EXPECT_EQ(Value("select count(*) from t_subject"), "8");

  // Identifiers keep increasing after the delete.
  RunSql(StartExercise("2", "2026-12-10 10:00:00"));
  EXPECT_EQ(GetMaxValue("t_exercise", "exer_id"), "2");
}

TEST_F(StoreTest, AnswersWithQuotesAndStatementLikeTextAreStoredAsTyped) {
  RunSql(store::StartExercise("1", "2026-12-10 10:00:00"));
  RunSql(store::AddResultRow("1", "105"));
  const QString answers[] = {
      QStringLiteral("It's"), QStringLiteral("''"), QStringLiteral("x'; delete from t_title; --"),
      QStringLiteral("中文 ‘引号’ and \"double\""), QString(),
  };
  for (const QString& a : answers) {
    RunSql(store::SaveAnswer(a, store::kWrong, "1"));
    EXPECT_EQ(Value("select exre_text from t_exerresult where exre_id=1"), a);
  }
  EXPECT_EQ(Value("select count(*) from t_title"), "2");
}

TEST_F(StoreTest, RunSqlReportsEngineErrorsToTheCaller) {
  EXPECT_THROW(RunSql("update no_table set x=1"), EOleException);
  EXPECT_THROW(RunSql("delete from  t_exercise where exer_id="), EOleException);
}
