#pragma once
// TADOQuery: a statement bound to the connection. Opening runs it and fetches
// every row; ExecSQL runs a statement that returns no rows.

#include <QPointer>
#include <QStringList>

#include "db/dataset.h"

class TADOConnection;

// The statement's lines.
class TStrings {
 public:
  void Clear() { m_lines.clear(); }
  void Add(const QString& line) { m_lines << line; }
  QString Text() const { return m_lines.join('\n'); }
  void SetText(const QString& text) { m_lines = text.split('\n'); }
  int Count() const { return m_lines.size(); }
  const QStringList& Lines() const { return m_lines; }

 private:
  QStringList m_lines;
};

class TADOQuery : public TDataSet {
  Q_OBJECT
 public:
  explicit TADOQuery(QObject* owner = nullptr);

  TADOConnection* Connection() const { return m_connection; }
  // A query is closed when its connection disconnects.
  void SetConnection(TADOConnection* c);
  TStrings* SQL() { return &m_sql; }
  // Runs a statement that returns no rows; returns the number of rows changed.
  int ExecSQL();

 protected:
  void Fetch(std::vector<ColumnInfo>& columns, std::vector<std::vector<QVariant>>& rows) override;
  QVariant WriteRow(WriteKind kind, const std::vector<ColumnInfo>& columns,
                    const std::vector<QVariant>& before, const std::vector<QVariant>& after,
                    const std::vector<bool>& changed) override;
  bool CanWrite() const override;
  int KeyColumn() const override;

 private:
  TADOConnection* Checked() const;

  QPointer<TADOConnection> m_connection;
  QMetaObject::Connection m_disconnectHook;
  TStrings m_sql;
  // The one table or view the statement reads, and its row key column in the
  // result; edits are posted to them.
  QString m_target;
  int m_keyColumn = -1;
};
