#include <QDir>
#include <QFile>

#include "db/db_error.h"
#include "tests/db/db_fixture.h"
#include "tests/support/test_support.h"

namespace {
QString ConnectionTo(const QString& path, const QString& password = QStringLiteral("qelvorn")) {
  return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=\"%1\";"
                        "Extended Properties=\"\";Jet OLEDB:Database Password=\"%2\";"
                        "Jet OLEDB:Engine Type=5;")
      .arg(path, password);
}
}  // namespace

TEST(ConnectionString, ReadsQuotedAndPlainValues) {
  const auto pairs = ParseConnectionString(
      QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=\"C:\\a b\\ength.dll\";"
                     "Extended Properties=\"\";Jet OLEDB:Database Password=\"qelvorn\";"
                     "Jet OLEDB:SFP=False;"));
  EXPECT_EQ(pairs.value("provider"), "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(pairs.value("data source"), "C:\\a b\\ength.dll");
  EXPECT_EQ(pairs.value("extended properties"), "");
  EXPECT_EQ(pairs.value("jet oledb:database password"), "qelvorn");
  EXPECT_EQ(pairs.value("jet oledb:sfp"), "False");
}

TEST(Connection, OpensABankInAFolderWithSpacesAndChinese) {
  QTemporaryDir dir;
  const QString folder = dir.filePath(QStringLiteral("题库 folder"));
  QDir().mkpath(folder);
  const QString path = folder + QStringLiteral("/ength.dll");
  CreateBank(path, QString::fromUtf8(kSmallPaperSql));
  TADOConnection con;
  con.SetConnectionString(ConnectionTo(path));
  con.Open();
  EXPECT_TRUE(con.Connected());
  TADOQuery q;
  q.SetConnection(&con);
  q.SQL()->Add(QStringLiteral(" select * from t_title "));
  q.Open();
  EXPECT_EQ(q.RecordCount(), 2);
  EXPECT_EQ(q.FieldByName("title_name")->AsString(), "Paper One");
}

TEST(Connection, FailuresCarryTheEngineMessageAndCreateNothing) {
  QTemporaryDir dir;
  const QString bank = dir.filePath(QStringLiteral("bank.zk"));
  CreateBank(bank);
  const QString junk = dir.filePath(QStringLiteral("junk.zk"));
  WriteFileBytes(junk, QByteArray("this is not a database at all, just some text\n").repeated(100));
  const QString missing = dir.filePath(QStringLiteral("missing.dll"));

  struct Case {
    QString connection;
    QString expected;
  };
  const Case cases[] = {
      {ConnectionTo(missing), QStringLiteral("unable to open database file")},
      {ConnectionTo(junk), QStringLiteral("file is not a database")},
      {ConnectionTo(bank, QStringLiteral("wrong")), QStringLiteral("Not a valid password.")},
      {ConnectionTo(dir.path()), QStringLiteral("not a regular file")},
  };
  for (const Case& c : cases) {
    TADOConnection con;
    con.SetConnectionString(c.connection);
    try {
      con.Open();
      ADD_FAILURE() << "opened: " << c.connection.toStdString();
    } catch (const EOleException& e) {
      EXPECT_TRUE(e.Message().contains(c.expected)) << e.Message().toStdString();
    }
    EXPECT_FALSE(con.Connected());
  }
  EXPECT_FALSE(QFile::exists(missing)) << "opening must never create the bank";
}

TEST_F(DbTest, EngineErrorsAndSeveralStatementsAreRefused) {
  TADOQuery q;
  q.SetConnection(&con);
  q.SQL()->Add(QStringLiteral("select * from no_such_table"));
  try {
    q.Open();
    ADD_FAILURE();
  } catch (const EOleException& e) {
    EXPECT_TRUE(e.Message().contains(QStringLiteral("no such table: no_such_table")));
  }
  q.SQL()->Clear();
  q.SQL()->Add(QStringLiteral("delete from t_title where title_id=1; delete from t_subject"));
  EXPECT_THROW(q.ExecSQL(), EOleException);
  EXPECT_EQ(Value("select count(*) from t_subject"), "8") << "nothing of the second statement ran";
  EXPECT_EQ(Value("select count(*) from t_title"), "2");
}

TEST_F(DbTest, DisconnectedQueriesFail) {
  con.Close();
  TADOQuery q;
  q.SetConnection(&con);
  q.SQL()->Add(QStringLiteral("select * from t_title"));
  EXPECT_THROW(q.Open(), EOleException);
  EXPECT_THROW(q.ExecSQL(), EOleException);
}
