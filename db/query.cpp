#include "db/query.h"

#include <sqlite3.h>

#include <QRegularExpression>

#include "db/connection.h"
#include "db/bank_file.h"
#include "db/db_error.h"

namespace {
TFieldType TypeFromDecl(const QString& decl, int& size) {
  size = 0;
  const QString d = decl.toUpper();
  if (d.isEmpty()) return ftUnknown;
  if (d.contains(QStringLiteral("BOOL")) || d == QStringLiteral("BIT")) return ftBoolean;
  if (d.contains(QStringLiteral("INT"))) return ftInteger;
  if (d.contains(QStringLiteral("LONGTEXT")) || d.contains(QStringLiteral("CLOB")) ||
      d.contains(QStringLiteral("MEMO")))
    return ftWideMemo;
  if (d.contains(QStringLiteral("CHAR")) || d.contains(QStringLiteral("TEXT"))) {
    static const QRegularExpression sizeRe(QStringLiteral("\\((\\d+)\\)"));
    const auto m = sizeRe.match(d);
    if (m.hasMatch()) size = m.captured(1).toInt();
    return ftWideString;
  }
  if (d.contains(QStringLiteral("BLOB"))) return ftBlob;
  return ftFloat;  // REAL, FLOAT, DOUBLE, NUMERIC, DECIMAL
}

TFieldType TypeFromValue(int sqliteType) {
  switch (sqliteType) {
    case SQLITE_INTEGER: return ftInteger;
    case SQLITE_FLOAT: return ftFloat;
    case SQLITE_BLOB: return ftBlob;
    default: return ftWideString;
  }
}

QString Text(const unsigned char* t) { return t ? QString::fromUtf8(reinterpret_cast<const char*>(t)) : QString(); }

// Only blanks and semicolons may follow the statement: one call runs one statement.
void CheckTail(const char* tail) {
  for (const char* p = tail; p && *p; ++p)
    if (!(*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == ';'))
      throw EOleException(QStringLiteral("Only one statement can be run at a time"));
}

void Bind(sqlite3_stmt* st, int index, const QVariant& v) {
  if (!v.isValid() || v.isNull()) {
    sqlite3_bind_null(st, index);
    return;
  }
  switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Bool:
      sqlite3_bind_int64(st, index, v.toLongLong());
      break;
    case QMetaType::Double:
      sqlite3_bind_double(st, index, v.toDouble());
      break;
    case QMetaType::QByteArray: {
      const QByteArray b = v.toByteArray();
      sqlite3_bind_blob(st, index, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
      break;
    }
    default: {
      const QByteArray t = v.toString().toUtf8();
      sqlite3_bind_text(st, index, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
  }
}

QString Quoted(const QString& name) {
  QString n = name;
  n.replace('"', QStringLiteral("\"\""));
  return '"' + n + '"';
}

struct Statement {
  sqlite3_stmt* st = nullptr;
  ~Statement() { sqlite3_finalize(st); }
};
}  // namespace

TADOQuery::TADOQuery(QObject* owner) : TDataSet(owner) {}

void TADOQuery::SetConnection(TADOConnection* c) {
  if (c == m_connection) return;
  QObject::disconnect(m_disconnectHook);
  m_connection = c;
  if (c) m_disconnectHook = connect(c, &TADOConnection::AboutToDisconnect, this, [this] { Close(); });
}

TADOConnection* TADOQuery::Checked() const {
  if (!m_connection) throw EDatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
  if (!m_connection->Connected())
    throw EOleException(QStringLiteral("Operation is not allowed when the object is closed."));
  return m_connection;
}

int TADOQuery::ExecSQL() {
  TADOConnection* c = Checked();
  const QByteArray sql = m_sql.Text().toUtf8();
  Statement s;
  const char* tail = nullptr;
  s.st = c->Prepare(sql, &tail);
  CheckTail(tail);
  if (!s.st) return 0;
  int rc;
  while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {}
  if (rc != SQLITE_DONE) c->RaiseError();
  return sqlite3_changes(c->Handle());
}

void TADOQuery::Fetch(std::vector<ColumnInfo>& columns, std::vector<std::vector<QVariant>>& rows) {
  TADOConnection* c = Checked();
  if (c->Closing())
    throw EOleException(QStringLiteral("Operation is not allowed when the object is closed."));
  const QString text = m_sql.Text();
  const QByteArray sql = text.toUtf8();
  Statement s;
  const char* tail = nullptr;
  s.st = c->Prepare(sql, &tail);
  CheckTail(tail);
  if (!s.st || sqlite3_column_count(s.st) == 0)
    throw EOleException(QStringLiteral("The statement returns no rows"));

  const int n = sqlite3_column_count(s.st);
  columns.assign(static_cast<size_t>(n), ColumnInfo{});
  for (int i = 0; i < n; ++i) {
    ColumnInfo& col = columns[static_cast<size_t>(i)];
    col.name = Text(reinterpret_cast<const unsigned char*>(sqlite3_column_name(s.st, i)));
    col.originTable = Text(reinterpret_cast<const unsigned char*>(sqlite3_column_table_name(s.st, i)));
    col.originColumn = Text(reinterpret_cast<const unsigned char*>(sqlite3_column_origin_name(s.st, i)));
    col.type = TypeFromDecl(Text(reinterpret_cast<const unsigned char*>(sqlite3_column_decltype(s.st, i))), col.size);
    // Computed columns cannot be written back; autoincrementing keys are the
    // database's to assign.
    col.readOnly = col.originColumn.isEmpty();
    if (!col.readOnly && c->IsAutoIncrementKey(col.originTable, col.originColumn)) {
      col.type = ftAutoInc;
      col.readOnly = true;
    }
  }

  int rc;
  std::vector<bool> typed(static_cast<size_t>(n), false);
  while ((rc = sqlite3_step(s.st)) == SQLITE_ROW) {
    if (rows.size() >= static_cast<size_t>(kMaxFetchedRows))
      throw EOleException(QStringLiteral("The statement returns more than %1 rows").arg(kMaxFetchedRows));
    std::vector<QVariant> row(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      const int t = sqlite3_column_type(s.st, i);
      QVariant& v = row[static_cast<size_t>(i)];
      switch (t) {
        case SQLITE_INTEGER: v = static_cast<qlonglong>(sqlite3_column_int64(s.st, i)); break;
        case SQLITE_FLOAT: v = sqlite3_column_double(s.st, i); break;
        case SQLITE_TEXT:
          v = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s.st, i)),
                                sqlite3_column_bytes(s.st, i));
          break;
        case SQLITE_BLOB:
          v = QByteArray(static_cast<const char*>(sqlite3_column_blob(s.st, i)), sqlite3_column_bytes(s.st, i));
          break;
        default: v = QVariant(); break;
      }
      ColumnInfo& col = columns[static_cast<size_t>(i)];
      if (col.type == ftUnknown && t != SQLITE_NULL && !typed[static_cast<size_t>(i)]) {
        col.type = TypeFromValue(t);
        typed[static_cast<size_t>(i)] = true;
      }
    }
    rows.push_back(std::move(row));
  }
  if (rc != SQLITE_DONE) c->RaiseError();
  for (ColumnInfo& col : columns)
    if (col.type == ftUnknown) col.type = ftWideString;

  // Edits go back to the one table or view the statement reads, by the column
  // that identifies one of its rows: a table's row key, or the base column a
  // view of ours is keyed by. Without it the rows are read-only.
  m_target.clear();
  m_keyColumn = -1;
  static const QRegularExpression single(
      QStringLiteral("^\\s*select\\s+.+?\\s+from\\s+([A-Za-z_][A-Za-z0-9_]*)\\s*(?:(?:where|order\\s+by)\\b.*)?;?\\s*$"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  const auto m = single.match(text);
  if (m.hasMatch() && !text.contains(QRegularExpression(QStringLiteral("\\bjoin\\b|\\bunion\\b|\\bgroup\\s+by\\b"),
                                                        QRegularExpression::CaseInsensitiveOption))) {
    const QString target = m.captured(1);
    std::pair<QString, QString> key{target, c->RowKeyColumn(target)};
    if (key.second.isEmpty()) key = TADOConnection::ViewRowKey(target);
    for (int i = 0; i < n && m_keyColumn < 0 && !key.second.isEmpty(); ++i) {
      const ColumnInfo& col = columns[static_cast<size_t>(i)];
      if (col.originTable.compare(key.first, Qt::CaseInsensitive) == 0 &&
          col.originColumn.compare(key.second, Qt::CaseInsensitive) == 0)
        m_keyColumn = i;
    }
    if (m_keyColumn >= 0) m_target = target;
  }
}

bool TADOQuery::CanWrite() const { return !m_target.isEmpty() && m_keyColumn >= 0; }
int TADOQuery::KeyColumn() const { return m_keyColumn; }

QVariant TADOQuery::WriteRow(WriteKind kind, const std::vector<ColumnInfo>& columns,
                             const std::vector<QVariant>& before, const std::vector<QVariant>& after,
                             const std::vector<bool>& changed) {
  TADOConnection* c = Checked();
  if (!CanWrite()) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
  const bool targetIsTable = !c->RowKeyColumn(m_target).isEmpty() ||
                             m_target.compare(columns[static_cast<size_t>(m_keyColumn)].originTable,
                                              Qt::CaseInsensitive) == 0;
  auto nameOf = [&](const ColumnInfo& col) {
    return targetIsTable && col.originTable.compare(m_target, Qt::CaseInsensitive) == 0 ? col.originColumn
                                                                                        : col.name;
  };
  const ColumnInfo& keyCol = columns[static_cast<size_t>(m_keyColumn)];
  const QVariant keyValue = before[static_cast<size_t>(m_keyColumn)];

  QString sql;
  QVariantList binds;
  const QString notLocated = QStringLiteral(
      "Row cannot be located for updating. Some values may have been changed since it was last read.");
  if ((kind == WriteKind::Update || kind == WriteKind::Delete) && keyValue.isNull())
    throw EOleException(notLocated);
  if (kind == WriteKind::Update) {
    QStringList sets;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (!changed[i] || columns[i].readOnly) continue;
      sets << Quoted(nameOf(columns[i])) + QStringLiteral("=?");
      binds << after[i];
    }
    if (sets.isEmpty()) return QVariant();
    sql = QStringLiteral("update %1 set %2 where %3=?").arg(Quoted(m_target), sets.join(','), Quoted(nameOf(keyCol)));
    binds << keyValue;
  } else if (kind == WriteKind::Delete) {
    sql = QStringLiteral("delete from %1 where %2=?").arg(Quoted(m_target), Quoted(nameOf(keyCol)));
    binds << keyValue;
  } else {
    QStringList names, marks;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i].readOnly || after[i].isNull()) continue;
      names << Quoted(nameOf(columns[i]));
      marks << QStringLiteral("?");
      binds << after[i];
    }
    sql = names.isEmpty() ? QStringLiteral("insert into %1 default values").arg(Quoted(m_target))
                          : QStringLiteral("insert into %1(%2) values(%3)")
                                .arg(Quoted(m_target), names.join(','), marks.join(','));
  }

  Statement s;
  s.st = c->Prepare(sql.toUtf8());
  for (int i = 0; i < binds.size(); ++i) Bind(s.st, i + 1, binds[i]);
  // Total changes count the writes of a view's triggers too.
  const auto changesBefore = sqlite3_total_changes64(c->Handle());
  if (sqlite3_step(s.st) != SQLITE_DONE) c->RaiseError();
  if (sqlite3_total_changes64(c->Handle()) == changesBefore) {
    // A view's trigger may decline an insert: no row exists to take a key.
    if (kind == WriteKind::Insert)
      throw EOleException(QStringLiteral("The row was not inserted: %1 stored nothing.").arg(m_target));
    throw EOleException(notLocated);
  }
  if (kind != WriteKind::Insert) return QVariant();

  if (m_target.compare(keyCol.originTable, Qt::CaseInsensitive) == 0)
    return static_cast<qlonglong>(sqlite3_last_insert_rowid(c->Handle()));
  // Inserted through a view: an increasing key is the largest one now.
  if (c->IsAutoIncrementKey(keyCol.originTable, keyCol.originColumn)) {
    Statement k;
    k.st = c->Prepare(QStringLiteral("select max(%1) from %2")
                          .arg(Quoted(keyCol.originColumn), Quoted(keyCol.originTable))
                          .toUtf8());
    if (sqlite3_step(k.st) == SQLITE_ROW)
      return static_cast<qlonglong>(sqlite3_column_int64(k.st, 0));
  }
  return QVariant();
}
