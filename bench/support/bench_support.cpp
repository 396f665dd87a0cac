#include "bench/support/bench_support.h"

#include <QTemporaryDir>
#include <map>
#include <memory>

#include "tests/support/bank_fixture.h"

const QString& LargeBankPath(int rows) {
  struct Bank {
    QTemporaryDir dir;
    QString path;
  };
  static std::map<int, std::unique_ptr<Bank>> banks;
  std::unique_ptr<Bank>& bank = banks[rows];
  if (!bank) {
    bank = std::make_unique<Bank>();
    bank->path = bank->dir.filePath(QStringLiteral("large.zk"));
    CreateBank(bank->path, LargePaperSql(rows));
  }
  return bank->path;
}
