#include "db/connection.h"

#include <sqlite3.h>

#include "db/db_error.h"

namespace {
const char kPasswordKey[] = "jet oledb:database password";

QString Unquote(QString v) {
  v = v.trimmed();
  if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"')) v = v.mid(1, v.size() - 2);
  return v;
}
}  // namespace

QHash<QString, QString> ParseConnectionString(const QString& text) {
  QHash<QString, QString> pairs;
  int i = 0;
  const int n = text.size();
  while (i < n) {
    const int eq = text.indexOf('=', i);
    if (eq < 0) break;
    const QString key = text.mid(i, eq - i).trimmed().toLower();
    int j = eq + 1;
    while (j < n && text[j] == ' ') ++j;
    QString value;
    if (j < n && text[j] == '"') {
      // A quoted value runs to the next quote; "" inside is one quote.
      int k = j + 1;
      while (k < n) {
        if (text[k] == '"') {
          if (k + 1 < n && text[k + 1] == '"' && k + 1 != j + 1) {
            value += '"';
            k += 2;
            continue;
          }
          break;
        }
        value += text[k++];
      }
      j = k + 1;
      const int semi = text.indexOf(';', j);
      i = semi < 0 ? n : semi + 1;
    } else {
      const int semi = text.indexOf(';', j);
      value = Unquote(text.mid(j, (semi < 0 ? n : semi) - j));
      i = semi < 0 ? n : semi + 1;
    }
    if (!key.isEmpty() && !pairs.contains(key)) pairs.insert(key, value);
  }
  return pairs;
}

TADOConnection::TADOConnection(QObject* owner) : TComponent(owner) {}

TADOConnection::~TADOConnection() {
  try {
    Close();
  } catch (...) {
    // A record set's handler failed while closing; the bank is closed anyway.
  }
}

void TADOConnection::SetConnectionString(const QString& s) {
  if (Connected()) Close();
  m_connectionString = s;
}

QString TADOConnection::DataSource() const {
  return ParseConnectionString(m_connectionString).value(QStringLiteral("data source"));
}

void TADOConnection::RaiseError(const QString& context) const {
  QString msg = !m_db ? QStringLiteral("not connected")
                : m_budget.exceeded ? StepBudgetMessage()
                                    : QString::fromUtf8(sqlite3_errmsg(m_db));
  if (!context.isEmpty()) msg += QStringLiteral(": ") + context;
  throw EOleException(msg);
}

void TADOConnection::Open() {
  if (Connected()) return;
  const auto pairs = ParseConnectionString(m_connectionString);
  const QString path = pairs.value(QStringLiteral("data source"));
  const QString password = pairs.value(QString::fromLatin1(kPasswordKey));
  if (path.isEmpty()) throw EOleException(QStringLiteral("No data source given"));
  QString error;
  sqlite3* db = OpenBankHandle(path, false, &m_budget, error);
  if (!db) throw EOleException(error);
  error = CheckOpenBank(db, password, &m_budget);
  if (!error.isEmpty()) {
    sqlite3_close_v2(db);
    throw EOleException(error.startsWith(QStringLiteral("Not a valid password"))
                            ? error
                            : QStringLiteral("%1: %2").arg(error, path));
  }
  m_db = db;
  m_tables.clear();
}

void TADOConnection::Close() {
  if (!m_db || m_closing) return;
  // The bank is closed even when a record set's handler throws; while the
  // record sets close, none of them can be reopened on this bank.
  m_closing = true;
  struct Finish {
    TADOConnection* c;
    ~Finish() {
      sqlite3_close_v2(c->m_db);
      c->m_db = nullptr;
      c->m_tables.clear();
      c->m_closing = false;
    }
  } finish{this};
  emit AboutToDisconnect();
}

sqlite3_stmt* TADOConnection::Prepare(const QByteArray& sql, const char** tail) {
  if (!m_db) throw EOleException(QStringLiteral("Operation is not allowed when the object is closed."));
  m_budget.Reset();
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(m_db, sql.constData(), static_cast<int>(sql.size()), &st, tail) != SQLITE_OK) {
    sqlite3_finalize(st);
    RaiseError();
  }
  return st;
}

std::pair<QString, QString> TADOConnection::ViewRowKey(const QString& view) {
  // Each row of the exercise view is one result row.
  if (view.compare(QStringLiteral("v_exerresult"), Qt::CaseInsensitive) == 0)
    return {QStringLiteral("t_exerresult"), QStringLiteral("exre_id")};
  return {};
}

void TADOConnection::Execute(const QString& sql) {
  if (!m_db) throw EOleException(QStringLiteral("Operation is not allowed when the object is closed."));
  char* err = nullptr;
  m_budget.Reset();
  if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
    const QString msg = m_budget.exceeded ? StepBudgetMessage() : QString::fromUtf8(err ? err : sqlite3_errmsg(m_db));
    sqlite3_free(err);
    throw EOleException(msg);
  }
}

const TADOConnection::TableInfo& TADOConnection::Info(const QString& table) {
  const QString key = table.toLower();
  auto it = m_tables.find(key);
  if (it != m_tables.end()) return *it;
  TableInfo info;
  if (m_db) {
    m_budget.Reset();
    sqlite3_stmt* st = nullptr;
    const QByteArray sql = "select name, type, pk from pragma_table_info(?1)";
    if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr) == SQLITE_OK) {
      const QByteArray t = table.toUtf8();
      sqlite3_bind_text(st, 1, t.constData(), -1, SQLITE_TRANSIENT);
      int pkCount = 0;
      QString pkName, pkType;
      while (sqlite3_step(st) == SQLITE_ROW) {
        if (sqlite3_column_int(st, 2) > 0) {
          ++pkCount;
          pkName = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
          pkType = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        }
      }
      sqlite3_finalize(st);
      if (pkCount == 1 && pkType.compare(QStringLiteral("INTEGER"), Qt::CaseInsensitive) == 0)
        info.rowKey = pkName;
    }
    if (!info.rowKey.isEmpty() &&
        sqlite3_prepare_v2(m_db, "select sql from sqlite_schema where type='table' and name=?1 collate nocase",
                           -1, &st, nullptr) == SQLITE_OK) {
      const QByteArray t = table.toUtf8();
      sqlite3_bind_text(st, 1, t.constData(), -1, SQLITE_TRANSIENT);
      if (sqlite3_step(st) == SQLITE_ROW)
        info.autoIncrement = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))
                                 .contains(QStringLiteral("AUTOINCREMENT"), Qt::CaseInsensitive);
      sqlite3_finalize(st);
    }
  }
  return *m_tables.insert(key, info);
}

bool TADOConnection::IsAutoIncrementKey(const QString& table, const QString& column) {
  const TableInfo& info = Info(table);
  return info.autoIncrement && info.rowKey.compare(column, Qt::CaseInsensitive) == 0;
}

QString TADOConnection::RowKeyColumn(const QString& table) { return Info(table).rowKey; }
