#include "db/connection.h"

#include <sqlite3.h>

#include <QFileInfo>

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

TADOConnection::~TADOConnection() { Close(); }

void TADOConnection::SetConnectionString(const QString& s) {
  if (Connected()) Close();
  m_connectionString = s;
}

QString TADOConnection::DataSource() const {
  return ParseConnectionString(m_connectionString).value(QStringLiteral("data source"));
}

void TADOConnection::RaiseError(const QString& context) const {
  QString msg = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("not connected");
  if (!context.isEmpty()) msg += QStringLiteral(": ") + context;
  throw EOleException(msg);
}

void TADOConnection::Open() {
  if (Connected()) return;
  const auto pairs = ParseConnectionString(m_connectionString);
  const QString path = pairs.value(QStringLiteral("data source"));
  const QString password = pairs.value(QString::fromLatin1(kPasswordKey));
  if (path.isEmpty()) throw EOleException(QStringLiteral("No data source given"));
  // The engine would open a directory or a device too: banks are regular files.
  const QFileInfo info(path);
  if (!info.exists()) throw EOleException(QStringLiteral("unable to open database file: %1").arg(path));
  if (!info.isFile()) throw EOleException(QStringLiteral("not a regular file: %1").arg(path));

  // One connection, used from the user-interface thread only: no engine locks.
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  auto fail = [&](const QString& msg) {
    sqlite3_close_v2(db);
    m_db = nullptr;
    throw EOleException(msg);
  };
  if (rc != SQLITE_OK)
    fail(QStringLiteral("%1: %2").arg(QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)), path));
  sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
  sqlite3_extended_result_codes(db, 0);
  sqlite3_busy_timeout(db, 2000);

  // Reading the schema proves the file is a database; the bank's password,
  // when it keeps one, must match the one given.
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db, "select value from tolm_meta where name='password'", -1, &st,
                         nullptr) == SQLITE_OK) {
    const int step = sqlite3_step(st);
    QString stored;
    const bool has = step == SQLITE_ROW;
    if (has) stored = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (step != SQLITE_ROW && step != SQLITE_DONE)
      fail(QStringLiteral("%1: %2").arg(QString::fromUtf8(sqlite3_errmsg(db)), path));
    if (has && stored != password) fail(QStringLiteral("Not a valid password."));
  } else {
    const QString msg = QString::fromUtf8(sqlite3_errmsg(db));
    if (!msg.startsWith(QStringLiteral("no such table"))) fail(QStringLiteral("%1: %2").arg(msg, path));
  }
  m_db = db;
  m_tables.clear();
}

void TADOConnection::Close() {
  if (!m_db) return;
  emit AboutToDisconnect();
  sqlite3_close_v2(m_db);
  m_db = nullptr;
  m_tables.clear();
}

void TADOConnection::Execute(const QString& sql) {
  if (!m_db) throw EOleException(QStringLiteral("Operation is not allowed when the object is closed."));
  char* err = nullptr;
  if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
    const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(m_db));
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
