// Banks from strangers: the checks on connect and before an import, the step
// budget and row cap, the rewrite of an imported copy's view and triggers,
// and the engine's defensive settings.

#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>

#include "db/bank_file.h"
#include "db/db_error.h"
#include "tests/db/db_fixture.h"
#include "tests/support/test_support.h"

namespace {
const QString kPassword = QStringLiteral("qelvorn");

// Holds an exclusive lock on a bank from another process until destroyed.
class LockingProcess {
 public:
  explicit LockingProcess(const QString& path) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) return;
    const QByteArray p = path.toUtf8();
    m_pid = fork();
    if (m_pid == 0) {
      close(ready[0]);
      close(release[1]);
      sqlite3* db = nullptr;
      sqlite3_open_v2(p.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
      const char ok = sqlite3_exec(db, "begin exclusive", nullptr, nullptr, nullptr) == SQLITE_OK ? '1' : '0';
      if (write(ready[1], &ok, 1) != 1) _exit(1);
      char c;
      while (read(release[0], &c, 1) > 0) {}
      sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    m_release = release[1];
    char c = '0';
    m_locked = read(ready[0], &c, 1) == 1 && c == '1';
    close(ready[0]);
  }
  ~LockingProcess() {
    if (m_release >= 0) close(m_release);
    if (m_pid > 0) waitpid(m_pid, nullptr, 0);
  }
  bool Locked() const { return m_locked; }

 private:
  pid_t m_pid = -1;
  int m_release = -1;
  bool m_locked = false;
};

// Our schema with the view (and with it its triggers) replaced by `viewSql`.
void ReplaceView(const QString& path, const QString& viewSql) {
  ExecOnBank(path, QStringLiteral("drop view v_exerresult;") + viewSql);
}

// A recursive view that never yields its first row.
const char kEndlessView[] =
    "create view v_exerresult as with recursive c(x) as (select 1 union all select x + 1 from c) "
    "select x as exer_id, x as exre_id, x as subject_id, x as par_id, x as titlename, x as title_name, "
    "x as subject_kind, x as subjext_text, x as subject_reso, x as type_show, x as subject_ansi, "
    "x as perpoint, x as exre_text, x as exre_istrue from c where x < 0;";
}  // namespace

TEST(BankCheck, BadBanksAreRefusedWithTheirReasonAndLeftUnchanged) {
  QTemporaryDir dir;
  struct Case {
    const char* name;
    std::function<void(const QString&)> make;
    QString password;
    QString expected;
  };
  const Case cases[] = {
      {"empty", [](const QString& p) { WriteFileBytes(p, QByteArray()); }, kPassword,
       QStringLiteral("Not a question bank: the file is empty")},
      {"foreign database",
       [](const QString& p) {
         CreateBank(p);
         ExecOnBank(p, QStringLiteral("drop table tolm_meta; create table notes(a, b)"));
       },
       kPassword, QStringLiteral("Not a question bank: the table tolm_meta is missing")},
      {"missing view", [](const QString& p) { CreateBank(p, QStringLiteral("drop view v_exerresult")); },
       kPassword, QStringLiteral("Not a question bank: the view v_exerresult is missing")},
      {"t_title as a view",
       [](const QString& p) {
         CreateBank(p, QStringLiteral("drop table t_title; create view t_title as "
                                      "select 1 as title_id, 'x' as title_name"));
       },
       kPassword, QStringLiteral("Not a question bank: t_title is a view, not a table")},
      {"t_title as a recursive view",
       [](const QString& p) {
         CreateBank(p, QStringLiteral("drop table t_title; create view t_title as with recursive "
                                      "c(x) as (select 1 union all select x + 1 from c) "
                                      "select x as title_id, 'x' as title_name from c"));
       },
       kPassword, QStringLiteral("Not a question bank: t_title is a view, not a table")},
      {"column missing",
       [](const QString& p) {
         CreateBank(p, QStringLiteral("drop table t_exercise; create table t_exercise(exer_id integer primary key)"));
       },
       kPassword, QStringLiteral("Not a question bank: the table t_exercise has no column title_id")},
      {"view over a dropped table",
       [](const QString& p) {
         CreateBank(p);
         ReplaceView(p, QStringLiteral("create table t_gone(a); create view v_exerresult as "
                                       "select a as exer_id from t_gone; drop table t_gone;"));
       },
       kPassword, QStringLiteral("Not a question bank: the view v_exerresult cannot be read: no such table")},
      {"endless recursive view", [](const QString& p) { CreateBank(p); ReplaceView(p, kEndlessView); },
       kPassword, QStringLiteral("engine steps")},
      {"wrong password", [](const QString& p) { CreateBank(p); }, QStringLiteral("qelvorN"),
       QStringLiteral("Not a valid password.")},
      {"truncated",
       [](const QString& p) {
         CreateBank(p, LargePaperSql(1000));
         QByteArray bytes = ReadFileBytes(p);
         WriteFileBytes(p, bytes.left(bytes.size() / 2));
       },
       kPassword, QStringLiteral("malformed")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".zk"));
    c.make(path);
    const QByteArray before = ReadFileBytes(path);
    EXPECT_TRUE(CheckBankFile(path, c.password).contains(c.expected)) << CheckBankFile(path, c.password).toStdString();
    TADOConnection con;
    con.SetConnectionString(QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=\"%2\";").arg(path, c.password));
    try {
      con.Open();
      ADD_FAILURE() << "connected";
    } catch (const EOleException& e) {
      EXPECT_TRUE(e.Message().contains(c.expected)) << e.Message().toStdString();
    }
    EXPECT_FALSE(con.Connected());
    EXPECT_EQ(ReadFileBytes(path), before) << "the file is left as it was";
  }
}

TEST(BankCheck, ABankLockedByAnotherProcessIsReportedAsLocked) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("locked.zk"));
  CreateBank(path, QString::fromUtf8(kSmallPaperSql));
  const QByteArray before = ReadFileBytes(path);
  {
    LockingProcess lock(path);
    ASSERT_TRUE(lock.Locked());
    EXPECT_TRUE(CheckBankFile(path, kPassword).contains(QStringLiteral("database is locked")))
        << CheckBankFile(path, kPassword).toStdString();
    TADOConnection con;
    con.SetConnectionString(BankConnectionString(path));
    EXPECT_THROW(con.Open(), EOleException);
  }
  EXPECT_EQ(ReadFileBytes(path), before);
  EXPECT_EQ(CheckBankFile(path, kPassword), QString()) << "usable once the lock is gone";
}

TEST(BankCheck, AGoodBankPassesAndFoldersAndMissingFilesDoNot) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("good.zk"));
  CreateBank(path, QString::fromUtf8(kSmallPaperSql));
  EXPECT_EQ(CheckBankFile(path, kPassword), QString());
  EXPECT_TRUE(CheckBankFile(dir.path(), kPassword).contains(QStringLiteral("not a regular file")));
  const QString missing = dir.filePath(QStringLiteral("missing.zk"));
  EXPECT_TRUE(CheckBankFile(missing, kPassword).contains(QStringLiteral("unable to open")));
  EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(DbTest, RunawayStatementsAreStoppedByTheStepBudgetAndTheRowCap) {
  ExecOnBank(path, QStringLiteral(
      "create view v_count as with recursive c(x) as (select 1 union all select x + 1 from c) "
      "select count(*) as n from c;"
      "create view v_many as with recursive c(x) as (select 1 union all select x + 1 from c) "
      "select x from c;"));
  for (const QString& sql : {QStringLiteral("select * from v_count"), QStringLiteral("select * from v_many")}) {
    SCOPED_TRACE(sql.toStdString());
    query.Close();
    query.SQL()->Clear();
    query.SQL()->Add(sql);
    try {
      query.Open();
      ADD_FAILURE() << "opened";
    } catch (const EOleException& e) {
      EXPECT_TRUE(e.Message().contains(sql.endsWith(QStringLiteral("v_count")) ? QStringLiteral("engine steps")
                                                                              : QStringLiteral("more than 1000000 rows")))
          << e.Message().toStdString();
    }
    EXPECT_FALSE(query.Active());
  }
  // The budget is per statement: the next one runs normally.
  OpenSql(QStringLiteral("select * from t_title"));
  EXPECT_EQ(query.RecordCount(), 2);
  EXPECT_THROW(con.Execute(QStringLiteral("insert into t_title(title_name) select n from v_count")), EOleException);
  EXPECT_EQ(Value("select count(*) from t_title"), "2");
}

TEST(BankCheck, AnImportedCopyGetsOurViewAndTriggersOnly) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("import.zk"));
  CreateBank(path, QString::fromUtf8(kSmallPaperSql) + QStringLiteral(
      "insert into t_exercise(title_id, exer_title) values (1, 'x');"
      "insert into t_exerresult(exer_id, subject_id) select 1, subject_id from t_subject where title_id = 1;"));
  ReplaceView(path, QString::fromLatin1(kEndlessView));
  ExecOnBank(path, QStringLiteral(
      "create trigger t_title_spy after update on t_title begin delete from t_subject; end;"
      "create view v_extra as select * from t_title;"));
  RewriteBankSchema(path);

  EXPECT_EQ(QueryBankValue(path, QStringLiteral("select group_concat(name, ',') from (select name from sqlite_schema "
                                                "where type in ('view','trigger') order by name)")),
            QStringLiteral("v_exerresult,v_exerresult_delete,v_exerresult_insert,v_exerresult_update"));
  EXPECT_EQ(CheckBankFile(path, kPassword), QString());
  TADOConnection con;
  con.SetConnectionString(BankConnectionString(path));
  con.Open();
  TADOQuery q;
  q.SetConnection(&con);
  q.SQL()->Add(QStringLiteral("select * from v_exerresult where exer_id=1"));
  q.Open();
  EXPECT_EQ(q.RecordCount(), 6);
  con.Execute(QStringLiteral("update t_title set title_name='renamed' where title_id=1"));
  EXPECT_EQ(QueryBankValue(path, QStringLiteral("select count(*) from t_subject")), "8") << "the stranger's trigger is gone";
}

TEST_F(DbTest, TheDefensiveSettingsHoldAgainstTheBanksObjects) {
  // A trigger that writes the schema table, made with the schema writable.
  {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    sqlite3_exec(db,
                 "pragma writable_schema=1;"
                 "create trigger t_title_schema after update on t_title begin "
                 "update sqlite_master set sql = 'create table t_title(x)' where name = 't_title'; end;"
                 "create trigger t_exercise_unsafe after insert on t_exercise begin "
                 "select load_extension('libnothing'); end;"
                 "create view v_unsafe as select fts3_tokenizer('simple') as t;",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
  }
  con.Close();
  con.Open();
  const QByteArray schemaBefore = Value("select group_concat(sql) from sqlite_schema").toUtf8();
  EXPECT_THROW(con.Execute(QStringLiteral("update t_title set title_name='x' where title_id=1")), EOleException);
  EXPECT_THROW(con.Execute(QStringLiteral("insert into t_exercise(title_id) values (1)")), EOleException);
  EXPECT_THROW(OpenSql(QStringLiteral("select * from v_unsafe")), EOleException);
  // Our own statements cannot switch the schema table writable either.
  EXPECT_THROW(con.Execute(QStringLiteral("pragma writable_schema=1; "
                                          "update sqlite_master set sql='x' where name='t_title'")),
               EOleException);
  EXPECT_EQ(Value("select group_concat(sql) from sqlite_schema").toUtf8(), schemaBefore);
  EXPECT_EQ(Value("select title_name from t_title where title_id=1"), "Paper One");
  EXPECT_EQ(Value("select count(*) from t_exercise"), "1");
}
