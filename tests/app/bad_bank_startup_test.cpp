// Start-up on banks that are not ours: the self-check of the installed
// program reports the reason, connects nothing and loads no skin.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <functional>

#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"

TEST(Startup, TheSelfCheckOnABadBankReportsTheReasonAndLoadsNoSkin) {
  struct Case {
    const char* name;
    std::function<void(const QString&)> make;
    const char* reason;
  };
  const Case cases[] = {
      {"empty", [](const QString& p) { WriteFileBytes(p, QByteArray()); }, "Not a question bank: the file is empty"},
      {"foreign database",
       [](const QString& p) {
         CreateBank(p);
         ExecOnBank(p, QStringLiteral("drop table tolm_meta"));
       },
       "Not a question bank: the table tolm_meta is missing"},
      {"t_title as a view",
       [](const QString& p) {
         CreateBank(p, QStringLiteral("drop table t_title; create view t_title as select 1 as title_id, "
                                      "'x' as title_name"));
       },
       "Not a question bank: t_title is a view, not a table"},
      {"another password",
       [](const QString& p) { CreateBank(p, QStringLiteral("update tolm_meta set value='other'")); },
       "Not a valid password."},
      {"not a database", [](const QString& p) { WriteFileBytes(p, QByteArray(4096, 'x')); },
       "file is not a database"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir folder;
    const QString app = folder.path() + QStringLiteral("/");
    QFile::copy(QStringLiteral(TOLMSYS_BIN_DIR "/tolmsys"), app + QStringLiteral("tolmsys"));
    QFile::setPermissions(app + QStringLiteral("tolmsys"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString skinFrom = QStringLiteral(TOLMSYS_BIN_DIR "/pic/Modern/");
    QDir().mkpath(app + QStringLiteral("pic/Modern"));
    for (const QString& f : QDir(skinFrom).entryList(QDir::Files))
      QFile::copy(skinFrom + f, app + QStringLiteral("pic/Modern/") + f);
    c.make(app + QStringLiteral("ength.dll"));
    const QByteArray before = ReadFileBytes(app + QStringLiteral("ength.dll"));

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TOLMSYS_SELFTEST"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.start(app + QStringLiteral("tolmsys"), {});
    ASSERT_TRUE(p.waitForFinished(20000));
    EXPECT_EQ(p.exitCode(), 0);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(out.contains(QStringLiteral("bank: not connected"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("skin: none"))) << out.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("message: ") + QString::fromUtf8(c.reason))) << err.toStdString();
    EXPECT_EQ(ReadFileBytes(app + QStringLiteral("ength.dll")), before);
  }
}
