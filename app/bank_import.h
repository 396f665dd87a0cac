#pragma once
// Installing a question-bank file in place of the bank beside the executable.
//
// The bank is never lost: the chosen file is checked as a bank in full,
// copied to a temporary file beside the bank, given our own view and
// triggers (a stranger's must never run in our bank), checked again, flushed
// to disk and renamed over the bank in one step. The backup of the bank as it was before the first import
// is written the same way and never overwritten. A kill at any moment leaves
// either the old bank or the new one in place, and temporary files under
// names the program never opens as a bank.

#include <QString>
#include <functional>

class TADOConnection;

namespace bank_import {

inline const QString kBankName = QStringLiteral("ength.dll");
inline const QString kBackupName = QStringLiteral("ength.dll.back");
// Temporary files beside the bank, removed by the next import or start.
inline const QString kImportTemp = QStringLiteral("ength.dll.import.tmp");
inline const QString kBackupTemp = QStringLiteral("ength.dll.back.tmp");
inline const QString kPreviousTemp = QStringLiteral("ength.dll.previous.tmp");

// The moments of an import, in order; the crash test stops the process at each.
enum class Step {
  CandidateChecked,   // the chosen file is a bank
  CopyStarted,        // part of the copy is written
  CopyFlushed,        // the whole copy is on disk
  SchemaRewritten,    // the copy has our own view and triggers, on disk
  CopyChecked,        // the copy beside the bank is a bank
  Disconnected,       // the old bank is closed
  BackupStarted,      // part of the backup copy is written
  BackupFlushed,      // the backup copy is on disk under its temporary name
  BackupInPlace,      // the backup has its name
  PreviousKept,       // the old bank is kept under a second name for a rollback
  Replaced,           // the copy has the bank's name
  Reconnected,        // the new bank is connected
};

// Replaces the bank in `appPath` (with its trailing "/") by `chosen`, keeping
// the first backup, and leaves `connection` connected: to the new bank on
// success, to the old one on failure. Returns whether the new bank is in
// place and connected; `error` receives the reason of a failure.
// `atStep` is called at each step (tests use it to stop the process there).
bool ImportBank(TADOConnection* connection, const QString& appPath, const QString& chosen,
                QString* error = nullptr, const std::function<void(Step)>& atStep = {});

// Removes temporary files an interrupted import left beside the bank.
void RemoveStaleImportFiles(const QString& appPath);

}  // namespace bank_import
