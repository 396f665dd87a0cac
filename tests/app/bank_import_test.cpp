// The question-bank import: the old bank survives every failure and every
// kill, byte for byte and connected, and the first backup is kept for good.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "app/bank_import.h"
#include "app/data_module.h"
#include "db/bank_file.h"
#include "db/connection.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"

using bank_import::Step;

namespace {

const char kImportedSql[] =
    "insert into t_title(title_id, title_name) values (7, 'Imported paper');"
    "insert into t_subject(subject_id, title_id, par_id, titlename, subject_kind) "
    "values (700, 7, null, 'Imported paper', '考卷');";

// A folder standing in for the executable's folder, with a connected bank.
class ImportFolder {
 public:
  ImportFolder() {
    CreateBank(Bank(), QString::fromUtf8(kSmallPaperSql));
    oldBytes = ReadFileBytes(Bank());
    connection.SetConnectionString(BankConnectionString(Bank()));
    connection.LoginPrompt = false;
    connection.Open();
  }
  QString Path() const { return dir.path() + QStringLiteral("/"); }
  QString Bank() const { return Path() + bank_import::kBankName; }
  QString Backup() const { return Path() + bank_import::kBackupName; }
  // A candidate bank with one paper, "Imported paper".
  QString MakeCandidate(const QString& name = QStringLiteral("new.zk")) const {
    const QString path = Path() + QStringLiteral("in/") + name;
    QDir().mkpath(Path() + QStringLiteral("in"));
    CreateBank(path, QString::fromLatin1(kImportedSql));
    return path;
  }
  // The paper names the connection sees now.
  QStringList Papers() {
    TADOQuery q;
    q.SetConnection(&connection);
    q.SQL()->Add(QStringLiteral(" select * from t_title "));
    q.Open();
    QStringList names;
    for (; !q.Eof(); q.Next()) names << q.FieldByName(QStringLiteral("title_name"))->AsString();
    return names;
  }
  QStringList Files() const {
    return QDir(Path()).entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::Hidden |
                                  QDir::NoDotAndDotDot, QDir::Name);
  }

  QTemporaryDir dir;
  QByteArray oldBytes;
  TADOConnection connection;
};

const QStringList kOldPapers{QStringLiteral("Paper One"), QStringLiteral("Paper Two")};
const QStringList kNewPapers{QStringLiteral("Imported paper")};

}  // namespace

TEST(BankImport, GoodBankReplacesTheBankKeepsABackupAndIsConnected) {
  ImportFolder f;
  const QString chosen = f.MakeCandidate();
  const QByteArray chosenBytes = ReadFileBytes(chosen);
  QString error;
  ASSERT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), chosen, &error)) << error.toStdString();
  EXPECT_TRUE(f.connection.Connected());
  EXPECT_EQ(f.Papers(), kNewPapers);
  EXPECT_EQ(ReadFileBytes(f.Backup()), f.oldBytes);
  EXPECT_EQ(ReadFileBytes(chosen), chosenBytes) << "the chosen file is only read";
  EXPECT_EQ(f.Files(), (QStringList{QStringLiteral("ength.dll"), QStringLiteral("ength.dll.back"),
                                    QStringLiteral("in")}));
}

TEST(BankImport, TheImportedBankGetsOurViewAndTriggersOnly) {
  ImportFolder f;
  const QString chosen = f.MakeCandidate();
  ExecOnBank(chosen, QStringLiteral(
                         "create trigger wipe after insert on t_exercise begin delete from t_title; end;"));
  ASSERT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), chosen));
  EXPECT_EQ(QueryBankValue(f.Bank(), QStringLiteral("select count(*) from sqlite_schema where name='wipe'")),
            QStringLiteral("0"));
  f.connection.Execute(QStringLiteral("insert into t_exercise(title_id,exer_title)values(7,'x')"));
  EXPECT_EQ(f.Papers(), kNewPapers);
  EXPECT_EQ(ReadFileBytes(chosen).isEmpty(), false);
  EXPECT_EQ(QueryBankValue(chosen, QStringLiteral("select count(*) from sqlite_schema where name='wipe'")),
            QStringLiteral("1"))
      << "the chosen file itself is never written";
}

TEST(BankImport, SecondImportLeavesTheFirstBackupUntouched) {
  ImportFolder f;
  ASSERT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), f.MakeCandidate()));
  const QString second = f.Path() + QStringLiteral("second.zk");
  CreateBank(second, QStringLiteral("insert into t_title values (9, 'Second');"));
  ASSERT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), second));
  EXPECT_EQ(f.Papers(), QStringList{QStringLiteral("Second")});
  EXPECT_EQ(ReadFileBytes(f.Backup()), f.oldBytes);
}

TEST(BankImport, ImportingTheBankItselfKeepsItWorking) {
  ImportFolder f;
  ASSERT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), f.Bank()));
  EXPECT_EQ(f.Papers(), kOldPapers);
  EXPECT_EQ(ReadFileBytes(f.Backup()), f.oldBytes);
}

TEST(BankImport, BadFilesLeaveTheOldBankByteIdenticalAndConnected) {
  struct Case {
    const char* name;
    std::function<QString(ImportFolder&)> make;  // returns the chosen path
  };
  const Case cases[] = {
      {"garbage",
       [](ImportFolder& f) {
         const QString p = f.Path() + QStringLiteral("garbage.zk");
         WriteFileBytes(p, QByteArray(5000, '\x5a'));
         return p;
       }},
      {"empty file",
       [](ImportFolder& f) {
         const QString p = f.Path() + QStringLiteral("empty.zk");
         WriteFileBytes(p, QByteArray());
         return p;
       }},
      {"truncated bank",
       [](ImportFolder& f) {
         const QString full = f.MakeCandidate();
         const QString p = f.Path() + QStringLiteral("cut.zk");
         const QByteArray bytes = ReadFileBytes(full);
         WriteFileBytes(p, bytes.left(bytes.size() / 2));
         return p;
       }},
      {"wrong password",
       [](ImportFolder& f) {
         const QString p = f.MakeCandidate();
         ExecOnBank(p, QStringLiteral("update tolm_meta set value='other' where name='password'"));
         return p;
       }},
      {"missing view",
       [](ImportFolder& f) {
         const QString p = f.MakeCandidate();
         ExecOnBank(p, QStringLiteral("drop view v_exerresult"));
         return p;
       }},
      {"missing table",
       [](ImportFolder& f) {
         const QString p = f.MakeCandidate();
         ExecOnBank(p, QStringLiteral("drop view v_exerresult; drop table t_exerresult;"));
         return p;
       }},
      {"directory named like a bank",
       [](ImportFolder& f) {
         const QString p = f.Path() + QStringLiteral("folder.zk");
         QDir().mkpath(p);
         return p;
       }},
      {"symlink to a directory",
       [](ImportFolder& f) {
         const QString p = f.Path() + QStringLiteral("link.zk");
         QDir().mkpath(f.Path() + QStringLiteral("target"));
         QFile::link(f.Path() + QStringLiteral("target"), p);
         return p;
       }},
      {"missing file", [](ImportFolder& f) { return f.Path() + QStringLiteral("absent.zk"); }},
      {"fifo",
       [](ImportFolder& f) {
         const QString p = f.Path() + QStringLiteral("pipe.zk");
         ::mkfifo(QFile::encodeName(p).constData(), 0600);
         return p;
       }},
      {"unreadable file",
       [](ImportFolder& f) {
         const QString p = f.MakeCandidate();
         QFile::setPermissions(p, QFileDevice::Permissions());
         return p;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (std::string(c.name) == "unreadable file" && ::geteuid() == 0) {
      // The superuser reads every file: no unreadable file can be made here.
      continue;
    }
    ImportFolder f;
    const QString chosen = c.make(f);
    const QStringList before = f.Files();
    QString error;
    EXPECT_FALSE(bank_import::ImportBank(&f.connection, f.Path(), chosen, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(ReadFileBytes(f.Bank()), f.oldBytes);
    EXPECT_TRUE(f.connection.Connected());
    EXPECT_EQ(f.Papers(), kOldPapers);
    EXPECT_EQ(f.Files(), before) << "nothing is left behind, no backup is made";
  }
}

TEST(BankImport, ABackupThatCannotBeWrittenStopsTheImportBeforeAnythingIsReplaced) {
  ImportFolder f;
  const QString chosen = f.MakeCandidate();
  // A folder where the backup's temporary copy would go: the copy cannot be made.
  QDir().mkpath(f.Path() + bank_import::kBackupTemp);
  QString error;
  EXPECT_FALSE(bank_import::ImportBank(&f.connection, f.Path(), chosen, &error));
  EXPECT_EQ(ReadFileBytes(f.Bank()), f.oldBytes);
  EXPECT_FALSE(QFile::exists(f.Backup()));
  EXPECT_FALSE(QFile::exists(f.Path() + bank_import::kImportTemp));
  EXPECT_TRUE(f.connection.Connected());
  EXPECT_EQ(f.Papers(), kOldPapers);
}

TEST(BankImport, AnExistingBackupIsNeverOverwritten) {
  ImportFolder f;
  WriteFileBytes(f.Backup(), QByteArray("older backup"));
  ASSERT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), f.MakeCandidate()));
  EXPECT_EQ(ReadFileBytes(f.Backup()), QByteArray("older backup"));
}

TEST(BankImport, WithoutABankTheImportInstallsOneAndConnects) {
  ImportFolder f;
  f.connection.Close();
  QFile::remove(f.Bank());
  ASSERT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), f.MakeCandidate()));
  EXPECT_TRUE(f.connection.Connected());
  EXPECT_EQ(f.Papers(), kNewPapers);
  EXPECT_FALSE(QFile::exists(f.Backup())) << "there was nothing to back up";
}

// Runs in a child process: imports into TOLMSYS_IMPORT_DIR and kills itself
// at the step given by TOLMSYS_IMPORT_KILL_AT.
TEST(BankImportCrashChild, ImportsUntilKilled) {
  if (!qEnvironmentVariableIsSet("TOLMSYS_IMPORT_KILL_AT")) GTEST_SKIP() << "run by the crash test";
  const int killAt = qEnvironmentVariableIntValue("TOLMSYS_IMPORT_KILL_AT");
  const QString folder = qEnvironmentVariable("TOLMSYS_IMPORT_DIR");
  TADOConnection connection;
  connection.SetConnectionString(BankConnectionString(folder + bank_import::kBankName));
  connection.Open();
  bank_import::ImportBank(&connection, folder, folder + QStringLiteral("in/new.zk"), nullptr,
                          [killAt](Step s) {
                            if (int(s) == killAt) ::kill(::getpid(), SIGKILL);
                          });
}

TEST(BankImport, AKillAtAnyStepLeavesABankThatOpens) {
  for (int at = int(Step::CandidateChecked); at <= int(Step::Reconnected); ++at) {
    SCOPED_TRACE(at);
    ImportFolder f;
    f.connection.Close();
    f.MakeCandidate();
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TOLMSYS_IMPORT_KILL_AT"), QString::number(at));
    env.insert(QStringLiteral("TOLMSYS_IMPORT_DIR"), f.Path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=BankImportCrashChild.*")});
    ASSERT_TRUE(child.waitForFinished(60000));
    ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << child.readAll().toStdString();

    // The bank beside the program is the old one or the new one, whole.
    const QByteArray bank = ReadFileBytes(f.Bank());
    EXPECT_EQ(bank == f.oldBytes, at < int(Step::Replaced));
    EXPECT_EQ(CheckBankFile(f.Bank(), Tdm::Password()), QString());
    f.connection.Open();
    EXPECT_EQ(f.Papers(), at >= int(Step::Replaced) ? kNewPapers : kOldPapers);
    // A backup, once it has its name, is the whole old bank.
    if (QFile::exists(f.Backup())) {
      EXPECT_EQ(ReadFileBytes(f.Backup()), f.oldBytes);
    }
    EXPECT_EQ(QFile::exists(f.Backup()), at >= int(Step::BackupInPlace));

    // The next start clears what the kill left; the next import works.
    bank_import::RemoveStaleImportFiles(f.Path());
    const QStringList left = f.Files();
    for (const QString& name : left)
      EXPECT_TRUE(name == QStringLiteral("ength.dll") || name == QStringLiteral("ength.dll.back") ||
                  name == QStringLiteral("in"))
          << name.toStdString();
    QString error;
    EXPECT_TRUE(bank_import::ImportBank(&f.connection, f.Path(), f.Path() + QStringLiteral("in/new.zk"),
                                        &error))
        << error.toStdString();
    EXPECT_EQ(ReadFileBytes(f.Backup()), f.oldBytes);
  }
}
