#pragma once
// Checks and repairs of question-bank files. Banks come from strangers: these
// functions read a candidate without connecting the program to it, and give an
// imported copy our own view and triggers.

#include <QString>

struct sqlite3;

// The budget of engine steps one statement on a bank may take, and the most
// rows one query may fetch. Both lie far above any real paper; a hostile view
// meets them and is stopped with a provider error instead of hanging the
// program or exhausting memory. Steps, not seconds: the same on every machine.
// (Reading every row of a 100,000-question exercise takes about 600,000 steps.)
inline constexpr long long kStatementStepBudget = 50'000'000;
inline constexpr int kMaxFetchedRows = 1'000'000;

// Counts engine steps for one connection; reset before each statement.
struct TStepBudget {
  long long steps = 0;
  bool exceeded = false;
  void Reset() {
    steps = 0;
    exceeded = false;
  }
};
// Makes the engine interrupt a statement of `db` once it has run more steps
// than kStatementStepBudget since `budget` was last reset.
void InstallStepBudget(sqlite3* db, TStepBudget* budget);
// The provider text of a statement stopped by its step budget.
QString StepBudgetMessage();

// Opens `path` for the checks: never creates, with the engine's defensive
// settings and a step budget. Returns nullptr and sets `error` on failure.
sqlite3* OpenBankHandle(const QString& path, bool readOnly, TStepBudget* budget, QString& error);

// Whether the open database is a sound bank of our schema: the meta table
// holding `password`, the four tables as tables with every column of ours,
// the view with every column of ours, and a clean quick_check. Returns an
// empty text when it is, else the reason, worded as a provider error.
QString CheckOpenBank(sqlite3* db, const QString& password, TStepBudget* budget);

// Checks a candidate bank file in full without connecting the program to it:
// a regular file, a database header, our schema, the password, and the
// engine's quick_check. Returns an empty text when the file is a usable bank,
// else the reason. Never writes to the file.
QString CheckBankFile(const QString& path, const QString& password);

// Replaces every view and trigger of the bank at `path` by the view and the
// triggers of our own schema, so that no view or trigger of the file's maker
// runs in our bank. Meant for an imported copy that passed CheckBankFile.
// Throws EOleException on failure (the file is left as it was).
void RewriteBankSchema(const QString& path);
