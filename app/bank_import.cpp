#include "app/bank_import.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/data_module.h"
#include "db/bank_file.h"
#include "db/connection.h"
#include "platform/exceptions.h"

namespace bank_import {

namespace {

QByteArray Native(const QString& path) { return QFile::encodeName(path); }

[[noreturn]] void RaiseErrno(const QString& what, const QString& path) {
  throw Exception(QStringLiteral("%1 %2: %3").arg(what, path, QString::fromLocal8Bit(strerror(errno))));
}

// Closes a descriptor on every path out.
class Fd {
 public:
  explicit Fd(int fd) : m_fd(fd) {}
  ~Fd() { if (m_fd >= 0) ::close(m_fd); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return m_fd; }
  // Closes now, reporting the error a delayed write may only show here.
  bool CloseChecked() {
    const int fd = m_fd;
    m_fd = -1;
    return ::close(fd) == 0;
  }

 private:
  int m_fd;
};

bool Exists(const QString& path) {
  struct stat st;
  return ::lstat(Native(path).constData(), &st) == 0;
}

void RemoveIfThere(const QString& path) { ::unlink(Native(path).constData()); }

// Makes a rename or a new name in `folder` durable.
void SyncFolder(const QString& folder) {
  Fd dir(::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0 || ::fsync(dir.get()) != 0) RaiseErrno(QStringLiteral("cannot flush folder"), folder);
}

// Copies the regular file `from` to the new file `to` and flushes it to disk.
// `midway` runs once part of the copy is written. A copy that comes out
// shorter or longer than its source is refused; `to` is removed on failure.
void CopyFlushed(const QString& from, const QString& to, const std::function<void()>& midway) {
  // O_NONBLOCK: a FIFO put in place of the file must not hang the program.
  Fd in(::open(Native(from).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (in.get() < 0) RaiseErrno(QStringLiteral("cannot read"), from);
  struct stat st;
  if (::fstat(in.get(), &st) != 0) RaiseErrno(QStringLiteral("cannot read"), from);
  if (!S_ISREG(st.st_mode)) throw Exception(QStringLiteral("not a regular file: %1").arg(from));

  Fd out(::open(Native(to).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (out.get() < 0) RaiseErrno(QStringLiteral("cannot write"), to);
  auto fail = [&](const QString& what, const QString& path) {
    const int saved = errno;
    RemoveIfThere(to);
    errno = saved;
    RaiseErrno(what, path);
  };
  static constexpr size_t kChunk = 64 * 1024;
  std::vector<char> buffer(kChunk);
  qint64 total = 0;
  bool reported = false;
  for (;;) {
    const ssize_t got = ::read(in.get(), buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      fail(QStringLiteral("cannot read"), from);
    }
    if (got == 0) break;
    for (ssize_t done = 0; done < got;) {
      const ssize_t put = ::write(out.get(), buffer.data() + done, size_t(got - done));
      if (put < 0) {
        if (errno == EINTR) continue;
        fail(QStringLiteral("cannot write"), to);
      }
      done += put;
    }
    total += got;
    if (!reported && midway) {
      reported = true;
      midway();
    }
  }
  if (::fsync(out.get()) != 0) fail(QStringLiteral("cannot flush"), to);
  if (!out.CloseChecked()) fail(QStringLiteral("cannot write"), to);
  struct stat now;
  if (::fstat(in.get(), &now) != 0 || total != qint64(st.st_size) || now.st_size != st.st_size) {
    RemoveIfThere(to);
    throw Exception(QStringLiteral("the copy of %1 was cut short").arg(from));
  }
}

// Gives `from` the name `to` unless `to` exists, in one step.
void RenameNoReplace(const QString& from, const QString& to) {
  if (::renameat2(AT_FDCWD, Native(from).constData(), AT_FDCWD, Native(to).constData(),
                  RENAME_NOREPLACE) == 0)
    return;
  if (errno != EINVAL && errno != ENOSYS) RaiseErrno(QStringLiteral("cannot rename"), from);
  // A file system without the no-replace rename: one user, so test first.
  if (Exists(to)) throw Exception(QStringLiteral("%1 exists").arg(to));
  if (::rename(Native(from).constData(), Native(to).constData()) != 0)
    RaiseErrno(QStringLiteral("cannot rename"), from);
}

void Rename(const QString& from, const QString& to) {
  if (::rename(Native(from).constData(), Native(to).constData()) != 0)
    RaiseErrno(QStringLiteral("cannot rename"), from);
}

// A candidate must be a bank of our schema with our password, else the reason.
void CheckBank(const QString& path) {
  const QString problem = CheckBankFile(path, Tdm::Password());
  if (!problem.isEmpty()) throw Exception(problem);
}

// Flushes a file written by someone else (the engine) to disk.
void SyncFile(const QString& path) {
  Fd fd(::open(Native(path).constData(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0 || ::fsync(fd.get()) != 0) RaiseErrno(QStringLiteral("cannot flush"), path);
}

}  // namespace

void RemoveStaleImportFiles(const QString& appPath) {
  // The copy's journal goes with the copy: it belongs to no other file.
  for (const QString& name : {kImportTemp, kImportTemp + QStringLiteral("-journal"),
                              kImportTemp + QStringLiteral("-wal"), kImportTemp + QStringLiteral("-shm"),
                              kBackupTemp})
    RemoveIfThere(appPath + name);
  // A second name of the old bank survives a kill between keeping it and
  // reconnecting; the bank itself is in place by then, so it is not needed.
  if (Exists(appPath + kBankName)) RemoveIfThere(appPath + kPreviousTemp);
}

bool ImportBank(TADOConnection* connection, const QString& appPath, const QString& chosen,
                QString* error, const std::function<void(Step)>& atStep) {
  auto step = [&atStep](Step s) {
    if (atStep) atStep(s);
  };
  const QString bank = appPath + kBankName;
  const QString backup = appPath + kBackupName;
  const QString copy = appPath + kImportTemp;
  const QString backupCopy = appPath + kBackupTemp;
  const QString previous = appPath + kPreviousTemp;
  auto failed = [error](const std::exception& e) {
    if (error) *error = QString::fromUtf8(e.what());
    return false;
  };

  // Everything that can be checked is checked while the old bank stays connected.
  try {
    RemoveStaleImportFiles(appPath);
    CheckBank(chosen);
    step(Step::CandidateChecked);
    CopyFlushed(chosen, copy, [&] { step(Step::CopyStarted); });
    step(Step::CopyFlushed);
    RewriteBankSchema(copy);
    SyncFile(copy);
    step(Step::SchemaRewritten);
    CheckBank(copy);
    step(Step::CopyChecked);
  } catch (const std::exception& e) {
    RemoveStaleImportFiles(appPath);
    return failed(e);
  }

  const bool wasConnected = connection->Connected();
  auto restoreOld = [&] {
    if (!wasConnected) return;
    try {
      connection->Open();
    } catch (const std::exception&) {
      // The old bank is untouched; the caller's next statement reports it.
    }
  };
  connection->Close();
  step(Step::Disconnected);

  const bool haveBank = Exists(bank);
  try {
    // A journal left beside the bank belongs to it; the new file must not get it.
    for (const char* suffix : {"-journal", "-wal"})
      if (Exists(bank + QLatin1String(suffix)))
        throw Exception(QStringLiteral("the bank has an unfinished transaction"));
    if (haveBank && !Exists(backup)) {
      CopyFlushed(bank, backupCopy, [&] { step(Step::BackupStarted); });
      step(Step::BackupFlushed);
      RenameNoReplace(backupCopy, backup);
      SyncFolder(appPath);
      step(Step::BackupInPlace);
    }
    if (haveBank) {
      if (::link(Native(bank).constData(), Native(previous).constData()) != 0)
        RaiseErrno(QStringLiteral("cannot keep"), bank);
      step(Step::PreviousKept);
    }
    Rename(copy, bank);
    SyncFolder(appPath);
    step(Step::Replaced);
  } catch (const std::exception& e) {
    RemoveIfThere(copy);
    RemoveIfThere(backupCopy);
    RemoveIfThere(previous);
    restoreOld();
    return failed(e);
  }

  try {
    connection->Open();
  } catch (const std::exception& e) {
    // Put the old bank back under its name before reporting.
    try {
      if (haveBank) {
        Rename(previous, bank);
        SyncFolder(appPath);
      } else {
        RemoveIfThere(bank);
      }
    } catch (const std::exception&) {
    }
    restoreOld();
    return failed(e);
  }
  RemoveIfThere(previous);
  step(Step::Reconnected);
  return true;
}

}  // namespace bank_import
