#pragma once
// TADOConnection: the one connection to a question-bank file. It reads the
// data source and the database password from the connection string and
// accepts the provider's other keys without using them.

#include <QHash>
#include <QString>
#include <utility>

#include "db/bank_file.h"
#include "platform/component.h"

struct sqlite3;
struct sqlite3_stmt;

// The key=value pairs of a connection string; keys compared without case,
// values may be enclosed in double quotes.
QHash<QString, QString> ParseConnectionString(const QString& text);

class TADOConnection : public TComponent {
  Q_OBJECT
 public:
  explicit TADOConnection(QObject* owner = nullptr);
  ~TADOConnection() override;

  QString ConnectionString() const { return m_connectionString; }
  void SetConnectionString(const QString& s);
  bool LoginPrompt = true;

  bool Connected() const { return m_db != nullptr; }
  // True while Close is closing the record sets of this connection.
  bool Closing() const { return m_closing; }
  void SetConnected(bool v) { v ? Open() : Close(); }
  // Opens the file named by Data Source, never creating it, with the engine's
  // defensive settings (bank files from elsewhere are untrusted), and checks
  // that it is a sound bank of our schema with the password given. Throws
  // EOleException with the engine's message or the reason. Every statement
  // then runs under a step budget.
  void Open();
  // Closes the record sets of this connection first (they send their
  // inactive notifications), so no cursor of this bank outlives it.
  void Close();

  // Runs statements that return no rows.
  void Execute(const QString& sql);

  sqlite3* Handle() const { return m_db; }
  // Prepares one statement with a fresh step budget; throws the engine's
  // error. `tail` receives the text after the statement.
  sqlite3_stmt* Prepare(const QByteArray& sql, const char** tail = nullptr);
  QString DataSource() const;
  // Raises EOleException with the engine's last message for `db`.
  [[noreturn]] void RaiseError(const QString& context = {}) const;

  // Whether `column` of `table` is the table's autoincrementing row key.
  bool IsAutoIncrementKey(const QString& table, const QString& column);
  // The row-key column of a table ("" when it has none).
  QString RowKeyColumn(const QString& table);
  // The base column (table, column) whose value identifies one row of a view
  // of ours, whatever the order of the view's columns; empty when the rows of
  // `view` cannot be identified (its queries are then read-only).
  static std::pair<QString, QString> ViewRowKey(const QString& view);

 signals:
  void AboutToDisconnect();

 private:
  struct TableInfo {
    QString rowKey;
    bool autoIncrement = false;
  };
  const TableInfo& Info(const QString& table);

  QString m_connectionString;
  sqlite3* m_db = nullptr;
  bool m_closing = false;
  TStepBudget m_budget;
  QHash<QString, TableInfo> m_tables;
};
