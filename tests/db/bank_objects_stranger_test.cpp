// Banks whose objects have our names in odd kinds, cases and company: the
// check names the first wrong object exactly, accepts what only looks odd,
// and never compiles the bank's own unrelated views.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "db/bank_file.h"
#include "tests/support/bank_fixture.h"

namespace {
const QString kPassword = QStringLiteral("qelvorn");

// `count` views of the bank's own, each reading the one before three times.
QString NestedViews(int count) {
  QString sql = QStringLiteral("create view e0 as select 1 as a;");
  for (int i = 1; i < count; ++i)
    sql += QStringLiteral("create view e%1 as select x.a from e%2 x, e%2 y, e%2 z;").arg(i).arg(i - 1);
  return sql;
}
}  // namespace

TEST(BankObjects, OurNamesInOtherKindsAndCasesGetTheirExactVerdict) {
  QTemporaryDir dir;
  struct Case {
    const char* name;
    QString sql;  // run after our schema
    QString expected;  // the whole verdict; empty: accepted
  };
  const Case cases[] = {
      {"a trigger named like a table", QStringLiteral("create trigger t_title after insert on t_exercise "
                                                      "begin select 1; end;"),
       QString()},
      {"a trigger named like the view it replaces",
       QStringLiteral("drop view v_exerresult; create trigger v_exerresult after insert on t_exercise "
                      "begin select 1; end;"),
       QStringLiteral("Not a question bank: v_exerresult is a trigger, not a view")},
      {"an index named like the view it replaces",
       QStringLiteral("drop view v_exerresult; create index v_exerresult on t_title(title_name);"),
       QStringLiteral("Not a question bank: v_exerresult is a index, not a view")},
      {"the view as a table", QStringLiteral("drop view v_exerresult; create table v_exerresult(a);"),
       QStringLiteral("Not a question bank: v_exerresult is a table, not a view")},
      {"a table as an upper-case view",
       QStringLiteral("drop table t_title; create view \"T_TITLE\" as select 1 as title_id, 2 as title_name;"),
       QStringLiteral("Not a question bank: t_title is a view, not a table")},
      {"a renamed column",
       QStringLiteral("drop table t_exercise; create table t_exercise(exer_id integer primary key autoincrement, "
                      "title_id integer, exer_title varchar(20), exer_pts numeric);"),
       QStringLiteral("Not a question bank: the table t_exercise has no column exer_point")},
      {"our view not compiling",
       QStringLiteral("drop view v_exerresult; create view v_exerresult as select * from nothere;"),
       QStringLiteral("Not a question bank: the view v_exerresult cannot be read: no such table: main.nothere")},
      {"upper-case columns and an extra one",
       QStringLiteral("drop table t_title; create table t_title(\"TITLE_ID\" integer primary key, "
                      "\"Title_Name\" text, extra);"),
       QString()},
      {"a table without rowid",
       QStringLiteral("drop table t_title; create table t_title(title_id integer primary key, title_name text) "
                      "without rowid;"),
       QString()},
      {"quoted names and an unrelated broken view",
       QStringLiteral("create table \"a \"\"b\"\" c\"(x); create view \"v \"\"w\"\"\" as select 1;"
                      "create view zz as select * from nothere;"),
       QString()},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QStringLiteral("bank%1.zk").arg(n++));
    CreateBank(path, c.sql);
    EXPECT_EQ(CheckBankFile(path, kPassword).toStdString(), c.expected.toStdString());
  }
}

TEST(BankObjects, TheBanksOwnNestedViewsAreNotCompiledByTheCheck) {
  // Compiling these takes memory growing threefold with each level; reading
  // our objects needs a few hundred kilobytes.
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("nested.zk"));
  CreateBank(path, NestedViews(12));
  sqlite3_int64 current = 0, peak = 0;
  sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &peak, 1);
  EXPECT_EQ(CheckBankFile(path, kPassword), QString());
  sqlite3_status64(SQLITE_STATUS_MEMORY_USED, &current, &peak, 0);
  ASSERT_GT(peak, 0) << "the engine counts its memory";
  EXPECT_LT(peak, 8 * 1024 * 1024);
}
