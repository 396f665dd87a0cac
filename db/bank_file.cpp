#include "db/bank_file.h"

#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <vector>

#include "db/bank_reference.h"
#include "db/db_error.h"

namespace {
constexpr int kStepsPerCallback = 1000;
constexpr int kBusyTimeoutMs = 1000;
const char kNotABank[] = "Not a question bank: ";

int OnProgress(void* p) {
  auto* budget = static_cast<TStepBudget*>(p);
  budget->steps += kStepsPerCallback;
  if (budget->steps <= kStatementStepBudget) return 0;
  budget->exceeded = true;
  return 1;
}

QString Utf8(const unsigned char* t) { return t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QString(); }

struct Stmt {
  sqlite3_stmt* st = nullptr;
  ~Stmt() { sqlite3_finalize(st); }
};

QString EngineError(sqlite3* db, const TStepBudget* budget) {
  if (budget && budget->exceeded) return StepBudgetMessage();
  return QString::fromUtf8(sqlite3_errmsg(db));
}

// One object of our schema: its kind and the columns the program uses.
struct SchemaObject {
  QString type;  // "table" or "view"
  QString name;
  QStringList columns;
};

struct ReferenceSchema {
  std::vector<SchemaObject> objects;  // meta table first, then tables, then the view
  QList<QByteArray> viewAndTriggers;  // their statements, view first
};

// Our schema as the engine itself reads it (worked out at build time).
const ReferenceSchema& Reference() {
  static const ReferenceSchema ref = [] {
    ReferenceSchema r;
    for (const bank_reference::Object& o : bank_reference::kObjects) {
      SchemaObject object{QString::fromUtf8(o.type), QString::fromUtf8(o.name), {}};
      for (const char* const* c = o.columns; *c; ++c) object.columns << QString::fromUtf8(*c);
      r.objects.push_back(std::move(object));
    }
    for (const char* sql : bank_reference::kViewAndTriggers) r.viewAndTriggers << QByteArray(sql);
    return r;
  }();
  return ref;
}

// Regular file, not empty, with a database header.
QString CheckFileKind(const QString& path) {
  const QFileInfo info(path);
  if (!info.exists()) return QStringLiteral("unable to open database file: %1").arg(path);
  if (!info.isFile()) return QStringLiteral("not a regular file: %1").arg(path);
  if (info.size() == 0) return QStringLiteral("%1the file is empty: %2").arg(QLatin1String(kNotABank), path);
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return QStringLiteral("unable to open database file: %1").arg(path);
  if (f.read(16) != QByteArray("SQLite format 3", 16))
    return QStringLiteral("file is not a database: %1").arg(path);
  return QString();
}

QString QuickCheck(sqlite3* db, TStepBudget* budget) {
  if (budget) budget->Reset();
  Stmt s;
  if (sqlite3_prepare_v2(db, "pragma quick_check(1)", -1, &s.st, nullptr) != SQLITE_OK)
    return EngineError(db, budget);
  const int rc = sqlite3_step(s.st);
  if (rc != SQLITE_ROW) return EngineError(db, budget);
  const QString result = Utf8(sqlite3_column_text(s.st, 0));
  if (result != QLatin1String("ok")) return QStringLiteral("database disk image is malformed: %1").arg(result);
  return QString();
}

void Exec(sqlite3* db, const char* sql, TStepBudget* budget) {
  if (budget) budget->Reset();
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    QString msg = budget && budget->exceeded ? StepBudgetMessage() : QString::fromUtf8(err ? err : sqlite3_errmsg(db));
    sqlite3_free(err);
    throw EOleException(msg);
  }
}
}  // namespace

void InstallStepBudget(sqlite3* db, TStepBudget* budget) {
  sqlite3_progress_handler(db, kStepsPerCallback, &OnProgress, budget);
}

QString StepBudgetMessage() {
  return QStringLiteral("The statement was stopped after %1 engine steps: the bank holds a view or table "
                        "that cannot be read in reasonable time")
      .arg(kStatementStepBudget);
}

sqlite3* OpenBankHandle(const QString& path, bool readOnly, TStepBudget* budget, QString& error) {
  error = CheckFileKind(path);
  if (!error.isEmpty()) return nullptr;
  // One connection, used from one thread only: no engine locks.
  sqlite3* db = nullptr;
  const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
  const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    error = QStringLiteral("%1: %2").arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)), path);
    sqlite3_close_v2(db);
    return nullptr;
  }
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_extended_result_codes(db, 0);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  if (budget) InstallStepBudget(db, budget);
  return db;
}

namespace {
// Notes that the bank has an object `name` of kind `type`. Triggers have
// names of their own: a trigger named like a table or view never hides it.
void NoteKind(QHash<QString, QString>& kinds, const QString& name, const QString& type) {
  if (type == QLatin1String("trigger") && kinds.contains(name)) return;
  kinds.insert(name, type);
}

// The statement reading the kinds of all the bank's objects and the columns
// of the tables and views named like ours. Only those are asked for their
// columns: asking a view compiles it, and a bank may hold any number of
// views of its own, nested or repeating each other, whose compiling no step
// budget bounds.
QByteArray KindsAndColumnsSql() {
  QByteArray names;
  for (const SchemaObject& o : Reference().objects) {
    QByteArray n = o.name.toLower().toUtf8();
    n.replace('\'', "''");
    names += (names.isEmpty() ? "'" : ",'") + n + '\'';
  }
  return "select m.type, m.name, p.name from sqlite_schema m left join pragma_table_info("
         "case when m.type in ('table','view') and lower(m.name) in (" +
         names + ") then m.name end) p";
}

// The kinds of all the bank's objects (by lower-case name) and the columns
// of its tables and views named like ours, in one statement. False when that
// statement fails (a view that does not compile, say): the caller then asks
// object by object, which tells which one is wrong.
bool ReadKindsAndColumns(sqlite3* db, TStepBudget* budget, QHash<QString, QString>& kinds,
                         QHash<QString, QStringList>& columns) {
  static const QByteArray sql = KindsAndColumnsSql();
  if (budget) budget->Reset();
  Stmt s;
  if (sqlite3_prepare_v2(db, sql.constData(), -1, &s.st, nullptr) != SQLITE_OK) return false;
  int rc;
  while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
    const QString name = Utf8(sqlite3_column_text(s.st, 1)).toLower();
    NoteKind(kinds, name, Utf8(sqlite3_column_text(s.st, 0)));
    if (sqlite3_column_type(s.st, 2) != SQLITE_NULL) columns[name] << Utf8(sqlite3_column_text(s.st, 2));
  }
  if (rc == SQLITE_DONE) return true;
  kinds.clear();
  columns.clear();
  return false;
}

QString CheckBankSchema(sqlite3* db, const QString& password, TStepBudget* budget) {
  // The kinds of the bank's objects by name (names match without case).
  QHash<QString, QString> kinds;
  QHash<QString, QStringList> columns;
  if (!ReadKindsAndColumns(db, budget, kinds, columns)) {
    if (budget) budget->Reset();
    Stmt s;
    if (sqlite3_prepare_v2(db, "select type, name from sqlite_schema", -1, &s.st, nullptr) != SQLITE_OK)
      return EngineError(db, budget);
    int rc;
    while ((rc = sqlite3_step(s.st)) == SQLITE_ROW)
      NoteKind(kinds, Utf8(sqlite3_column_text(s.st, 1)).toLower(), Utf8(sqlite3_column_text(s.st, 0)));
    if (rc != SQLITE_DONE) return EngineError(db, budget);
  }
  const QString notABank = QLatin1String(kNotABank);
  for (const SchemaObject& o : Reference().objects) {
    const QString kind = kinds.value(o.name.toLower());
    if (kind.isEmpty()) return notABank + QStringLiteral("the %1 %2 is missing").arg(o.type, o.name);
    if (kind != o.type) return notABank + QStringLiteral("%1 is a %2, not a %3").arg(o.name, kind, o.type);
    const QByteArray n = o.name.toUtf8();
    QStringList have = columns.value(o.name.toLower());
    if (have.isEmpty()) {
      // Not read with the others: asked alone, for the precise error.
      if (budget) budget->Reset();
      Stmt s;
      if (sqlite3_prepare_v2(db, "select name from pragma_table_info(?1)", -1, &s.st, nullptr) != SQLITE_OK)
        return EngineError(db, budget);
      sqlite3_bind_text(s.st, 1, n.constData(), -1, SQLITE_TRANSIENT);
      int rc;
      while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) have << Utf8(sqlite3_column_text(s.st, 0));
      if (rc != SQLITE_DONE)
        return notABank + QStringLiteral("the %1 %2 cannot be read: %3").arg(o.type, o.name, EngineError(db, budget));
      if (have.isEmpty()) return notABank + QStringLiteral("the %1 %2 cannot be read").arg(o.type, o.name);
    }
    for (const QString& c : o.columns)
      if (!have.contains(c, Qt::CaseInsensitive))
        return notABank + QStringLiteral("the %1 %2 has no column %3").arg(o.type, o.name, c);
    // Reading one row proves the object can be read in reasonable time.
    {
      if (budget) budget->Reset();
      Stmt probe;
      const QByteArray sql = "select * from \"" + n + "\" limit 1";
      if (sqlite3_prepare_v2(db, sql.constData(), -1, &probe.st, nullptr) != SQLITE_OK)
        return notABank + QStringLiteral("the %1 %2 cannot be read: %3").arg(o.type, o.name, EngineError(db, budget));
      const int step = sqlite3_step(probe.st);
      if (step != SQLITE_ROW && step != SQLITE_DONE)
        return notABank + QStringLiteral("the %1 %2 cannot be read: %3").arg(o.type, o.name, EngineError(db, budget));
    }
    if (o.name == QLatin1String("tolm_meta")) {
      // The password is checked before anything else is read.
      Stmt p;
      if (budget) budget->Reset();
      if (sqlite3_prepare_v2(db, "select value from tolm_meta where name='password'", -1, &p.st, nullptr) !=
          SQLITE_OK)
        return EngineError(db, budget);
      const int step = sqlite3_step(p.st);
      if (step != SQLITE_ROW && step != SQLITE_DONE) return EngineError(db, budget);
      if (step != SQLITE_ROW || Utf8(sqlite3_column_text(p.st, 0)) != password)
        return QStringLiteral("Not a valid password.");
    }
  }
  return QString();
}
}  // namespace

QString CheckOpenBank(sqlite3* db, const QString& password, TStepBudget* budget) {
  const QString error = CheckBankSchema(db, password, budget);
  return error.isEmpty() ? QuickCheck(db, budget) : error;
}

QString CheckBankFile(const QString& path, const QString& password) {
  // Reading a bank in write-ahead-log mode makes the engine create its log
  // and shared-memory files beside it, which a read-only reader cannot
  // remove on close: those the check created are removed again, unless a
  // writer elsewhere has put a transaction in the log meanwhile.
  const QString wal = path + QStringLiteral("-wal"), shm = path + QStringLiteral("-shm");
  const bool walCreated = !QFileInfo::exists(wal), shmCreated = !QFileInfo::exists(shm);
  TStepBudget budget;
  QString error;
  sqlite3* db = OpenBankHandle(path, true, &budget, error);
  if (!db) return error;
  error = CheckOpenBank(db, password, &budget);
  sqlite3_close_v2(db);
  if (walCreated && QFileInfo(wal).size() == 0 && QFile::remove(wal) && shmCreated) QFile::remove(shm);
  return error;
}

void RewriteBankSchema(const QString& path) {
  TStepBudget budget;
  QString error;
  sqlite3* db = OpenBankHandle(path, false, &budget, error);
  if (!db) throw EOleException(error);
  struct Closer {
    sqlite3* db;
    ~Closer() { sqlite3_close_v2(db); }
  } closer{db};
  Exec(db, "begin immediate", &budget);
  try {
    std::vector<std::pair<QString, QByteArray>> drops;  // triggers before views
    {
      budget.Reset();
      Stmt s;
      if (sqlite3_prepare_v2(db, "select type, name from sqlite_schema where type in ('trigger','view') "
                                 "order by type = 'view'", -1, &s.st, nullptr) != SQLITE_OK)
        throw EOleException(EngineError(db, &budget));
      int rc;
      while ((rc = sqlite3_step(s.st)) == SQLITE_ROW)
        drops.emplace_back(Utf8(sqlite3_column_text(s.st, 0)),
                           QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(s.st, 1))));
      if (rc != SQLITE_DONE) throw EOleException(EngineError(db, &budget));
    }
    for (const auto& [type, name] : drops) {
      QByteArray quoted = name;
      quoted.replace('"', "\"\"");
      const QByteArray sql = "drop " + type.toUtf8() + " if exists \"" + quoted + '"';
      Exec(db, sql.constData(), &budget);
    }
    for (const QByteArray& sql : Reference().viewAndTriggers) Exec(db, sql.constData(), &budget);
    Exec(db, "commit", &budget);
  } catch (...) {
    sqlite3_exec(db, "rollback", nullptr, nullptr, nullptr);
    throw;
  }
}
