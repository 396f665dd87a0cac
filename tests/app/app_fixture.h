#pragma once
// The program started in a temporary folder holding a copy of a bank, the way
// the end-to-end tests of the windows use it.

#include <QFileDialog>
#include <QString>

#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"

class ProgramInFolder {
 public:
  // `bankSql` builds the bank; empty: a copy of the sample bank the build wrote.
  explicit ProgramInFolder(const QString& bankSql = QString(), bool withSkin = false);
  ~ProgramInFolder();
  QString Path() const { return folder.Path(); }
  QString Bank() const { return folder.BankPath(); }
  // A value of the bank read outside the program's connection.
  QString Value(const QString& sql) const { return QueryBankValue(Bank(), sql); }

  TempAppFolder folder;
};

// Types `name` (a file of the folder the dialog shows) into the open dialog's
// name box and clicks "Open", as a user
// would; an empty name presses Escape.
void AnswerOpenDialog(QFileDialog* dialog, const QString& path);
