#pragma once
// Small question banks for tests, made from the real bank schema.

#include <QString>
#include <QTemporaryDir>

// A connection string that opens the bank at `path` with its password.
QString BankConnectionString(const QString& path);

// Creates `path` with the bank schema and runs `sql` on it. Throws on error.
void CreateBank(const QString& path, const QString& sql = QString());
// Runs statements on a bank file outside the program's connection.
void ExecOnBank(const QString& path, const QString& sql);
// The first column of the first row of `sql` as text (empty for NULL).
QString QueryBankValue(const QString& path, const QString& sql);

// A little paper: paper 1 with a section, a passage with two questions and a
// free-text question; paper 2 with one question.
extern const char kSmallPaperSql[];

// One paper of `rows` nodes (a paper node and questions ten to a parent) and
// one exercise (exer_id 1) with a result row per node, for benchmarks.
QString LargePaperSql(int rows);

// A temporary folder that stands in for the executable's folder: holds
// ength.dll and points the application path at itself.
class TempAppFolder {
 public:
  TempAppFolder();
  ~TempAppFolder();
  QString Path() const;  // with trailing "/"
  QString BankPath() const { return Path() + QStringLiteral("ength.dll"); }

 private:
  QTemporaryDir m_dir;
};
