// The practice window's tree over the real sample bank the build writes: every
// paper shows as one tree of sections, passages and questions, in reading
// order, and the tree follows the query through a whole paper.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"
#include "treelist/db_tree_list.h"

namespace {
QString Kind(const TtlTreeListNode* n) {
  return static_cast<const TtlTreeListTextNode*>(n)->CellText(1);
}
}  // namespace

TEST(SampleBankTree, EveryPaperIsOneTreeInReadingOrderThatFollowsTheQuery) {
  QTemporaryDir dir;
  const QString bank = dir.filePath(QStringLiteral("ength.dll"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(TOLMSYS_BIN_DIR "/ength.dll"), bank));
  TADOConnection con;
  con.SetConnectionString(BankConnectionString(bank));
  con.Open();

  TADOQuery papers;
  papers.SetConnection(&con);
  papers.SQL()->Add(QStringLiteral(" select * from t_title "));
  papers.Open();
  ASSERT_GE(papers.RecordCount(), 3);

  TADOQuery rows;
  rows.SetConnection(&con);
  TDataSource source;
  source.SetDataSet(&rows);
  TtlDBTreeList tree;
  tree.SetShowHeader(false);
  tree.SetOptionView(etoRowSelect, true);
  tree.Bands()->Add()->SetWidth(225);
  for (const char* f : {"titlename", "subject_kind"}) {
    auto* c = tree.CreateColumnOf<TtlDBTreeListColumn>();
    c->SetFieldName(QString::fromLatin1(f));
  }
  tree.SetDataSource(&source);
  tree.SetKeyField(QStringLiteral("subject_id"));
  tree.SetParentField(QStringLiteral("par_id"));
  tree.resize(225, 400);

  int exercise = 0;
  for (papers.First(); !papers.Eof(); papers.Next()) {
    const QString titleId = papers.FieldByName(QStringLiteral("title_id"))->AsString();
    ++exercise;
    con.Execute(QStringLiteral("insert into t_exercise(title_id,exer_title)values(%1,'2026-12-10 09:00:00');"
                               "insert into t_exerresult(exer_id,subject_id) select %2, subject_id "
                               "from t_subject where title_id=%1 order by subject_id;")
                    .arg(titleId)
                    .arg(exercise));
    rows.Close();
    rows.SQL()->Clear();
    rows.SQL()->Add(QStringLiteral("select * from v_exerresult where exer_id=%1").arg(exercise));
    rows.Open();
    const QString paper = papers.FieldByName(QStringLiteral("title_name"))->AsString();

    ASSERT_EQ(tree.Count(), 1) << paper.toStdString() << ": one paper node";
    const TtlTreeListNode* root = tree.Items(0);
    EXPECT_EQ(Kind(root), QStringLiteral("考卷"));
    ASSERT_GE(root->Count(), 3);
    int nodes = 0;
    std::vector<const TtlTreeListNode*> stack{root};
    QVariant lastKey;
    bool readingOrder = true;
    while (!stack.empty()) {
      const TtlTreeListNode* n = stack.back();
      stack.pop_back();
      ++nodes;
      const QVariant key = static_cast<const TtlDBTreeListNode*>(n)->keyValue;
      if (lastKey.isValid() && key.toLongLong() <= lastKey.toLongLong()) readingOrder = false;
      lastKey = key;
      if (n->Parent() == root) {
        EXPECT_EQ(Kind(n), QStringLiteral("题型"));
      }
      if (Kind(n) == QStringLiteral("题目")) {
        EXPECT_EQ(n->Count(), 0);
      }
      if (Kind(n) == QStringLiteral("子题")) {
        EXPECT_GT(n->Count(), 0);
      }
      for (int i = n->Count() - 1; i >= 0; --i) stack.push_back(n->Items(i));
    }
    EXPECT_EQ(nodes, rows.RecordCount()) << "every row has a node";
    EXPECT_TRUE(readingOrder) << "tree order is the paper's reading order";

    // Walking the query row by row focuses each row's node.
    for (rows.First(); !rows.Eof(); rows.Next()) {
      const auto* focused = static_cast<const TtlDBTreeListNode*>(tree.FocusedNode());
      ASSERT_NE(focused, nullptr);
      ASSERT_EQ(focused->keyValue.toLongLong(),
                rows.FieldByName(QStringLiteral("subject_id"))->Value().toLongLong());
    }
  }
}
