// Candidate bank files of odd kinds: the full check refuses each without
// blocking, and leaves the file and its folder as they were.
#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "db/bank_file.h"
#include "tests/db/db_fixture.h"
#include "tests/support/test_support.h"

namespace {
const QString kPassword = QStringLiteral("qelvorn");

QByteArray Header(quint16 pageSize) {
  QByteArray h("SQLite format 3", 16);
  h += char(pageSize >> 8);
  h += char(pageSize & 0xFF);
  h += QByteArray(100 - h.size(), '\1');
  return h;
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes);
}
}  // namespace

TEST(BankCheck, OddFilesAreRefusedWithoutBlockingOrWriting) {
  QTemporaryDir dir;
  const QString good = dir.filePath(QStringLiteral("good.zk"));
  CreateBank(good, QString::fromUtf8(kSmallPaperSql));
  struct Case {
    const char* name;
    std::function<void(const QString&)> make;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"fifo", [](const QString& p) { ASSERT_EQ(mkfifo(QFile::encodeName(p).constData(), 0600), 0); },
       "not a regular file"},
      {"link to a folder", [&](const QString& p) { ASSERT_TRUE(QFile::link(dir.path(), p)); }, "not a regular file"},
      {"header only", [](const QString& p) { Write(p, QByteArray("SQLite format 3", 16)); }, ""},
      {"bad page size", [](const QString& p) { Write(p, Header(3)); }, ""},
      {"huge page size", [](const QString& p) { Write(p, Header(1)); }, ""},
      {"bank cut after its header",
       [&](const QString& p) {
         QFile g(good);
         ASSERT_TRUE(g.open(QIODevice::ReadOnly));
         Write(p, g.read(120));
       },
       ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const QString path = dir.filePath(QStringLiteral("odd%1.zk").arg(n++));
    c.make(path);
    const QFileInfo info(path);
    const QByteArray before = info.isFile() ? [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }() : QByteArray();
    const QStringList filesBefore = QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden);
    const QString error = CheckBankFile(path, kPassword);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(error.contains(QLatin1String(c.reason))) << error.toStdString();
    if (info.isFile()) {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::ReadOnly));
      EXPECT_EQ(f.readAll(), before);
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden), filesBefore);
  }
}

// A bank in write-ahead-log mode passes the check, which leaves no log or
// shared-memory file beside it.
TEST(BankCheck, AWalBankIsCheckedWithoutLeavingFilesBehind) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("wal.zk"));
  CreateBank(path, QString::fromUtf8(kSmallPaperSql));
  ExecOnBank(path, QStringLiteral("pragma journal_mode=wal;"));
  const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
  EXPECT_EQ(CheckBankFile(path, kPassword), QString());
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before);
}
