// The practice tree works on the exercise's rows of v_exerresult: what a drop
// writes there (a new parent, copied rows) never reaches the paper.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"
#include "treelist/db_tree_list.h"

namespace {

TEST(PracticeSchema, ReparentingOrCopyingRowsOfTheExerciseLeavesThePaperUnchanged) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("bank.zk"));
  CreateBank(path, QString::fromUtf8(kSmallPaperSql) +
                       QStringLiteral("insert into t_exercise(exer_id, title_id, exer_title) values (1, 1, 'x');"
                                      "insert into t_exerresult(exer_id, subject_id) "
                                      "select 1, subject_id from t_subject where title_id = 1;"));
  const QString paperBefore =
      QueryBankValue(path, QStringLiteral("select group_concat(subject_id || ':' || ifnull(par_id, '-')) "
                                          "from (select * from t_subject order by subject_id)"));
  TADOConnection con;
  con.SetConnectionString(BankConnectionString(path));
  con.Open();
  TADOQuery query;
  query.SetConnection(&con);
  query.SQL()->Add(QStringLiteral("select * from v_exerresult where exer_id = 1 order by subject_id"));
  TDataSource source;
  source.SetDataSet(&query);
  TtlDBTreeList list;
  list.Bands()->Add();
  list.CreateColumnOf<TtlDBTreeListColumn>()->SetFieldName(QStringLiteral("titlename"));
  list.SetDataSource(&source);
  list.SetKeyField(QStringLiteral("subject_id"));
  list.SetParentField(QStringLiteral("par_id"));
  query.Open();
  auto shape = [&] {
    QStringList parents;
    for (int id : {100, 101, 102, 103, 104, 105}) {
      auto* n = list.FindNodeByKey(id);
      auto* p = n ? static_cast<TtlDBTreeListNode*>(n->Parent()) : nullptr;
      parents << QStringLiteral("%1:%2").arg(id).arg(p ? p->keyValue.toString() : QStringLiteral("-"));
    }
    return parents.join(QLatin1Char(','));
  };
  const QString treeBefore = shape();
  ASSERT_EQ(treeBefore, QStringLiteral("100:-,101:100,102:101,103:102,104:102,105:101"));

  // A move drop: locate, edit, new parent, post.
  ASSERT_TRUE(query.Locate(QStringLiteral("subject_id"), 105));
  query.Edit();
  query.FieldByName(QStringLiteral("par_id"))->SetValue(102);
  query.Post();
  // A copy drop: a new record under a parent.
  query.Insert();
  query.FieldByName(QStringLiteral("subject_id"))->SetValue(300);
  query.FieldByName(QStringLiteral("par_id"))->SetValue(100);
  query.FieldByName(QStringLiteral("exer_id"))->SetValue(1);
  query.FieldByName(QStringLiteral("titlename"))->SetValue(QStringLiteral("copy"));
  // The bank stores nothing for it, so the post fails rather than report a
  // row that is not there (or take another row's key).
  EXPECT_ANY_THROW(query.Post());
  query.Cancel();
  query.Close();
  query.Open();

  EXPECT_EQ(QueryBankValue(path, QStringLiteral("select group_concat(subject_id || ':' || ifnull(par_id, '-')) "
                                                "from (select * from t_subject order by subject_id)")),
            paperBefore);
  EXPECT_EQ(QueryBankValue(path, QStringLiteral("select count(*) from t_exerresult")), QStringLiteral("6"));
  EXPECT_EQ(shape(), treeBefore);
  EXPECT_EQ(list.FindNodeByKey(300), nullptr);
}

}  // namespace
