#include "tests/support/bank_fixture.h"

#include <sqlite3.h>

#include <QFile>
#include <stdexcept>

#include "platform/application.h"

namespace {
QString SchemaText() {
  QFile f(QStringLiteral(TOLMSYS_SOURCE_DIR "/content/bank_schema.sql"));
  if (!f.open(QIODevice::ReadOnly)) throw std::runtime_error("bank schema not found");
  return QString::fromUtf8(f.readAll());
}

void Exec(sqlite3* db, const QString& sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
    const std::string msg = err ? err : "sqlite error";
    sqlite3_free(err);
    throw std::runtime_error(msg);
  }
}
}  // namespace

const char kSmallPaperSql[] = R"sql(
insert into t_title(title_id, title_name) values (1, 'Paper One'), (2, 'Paper Two');
insert into t_subject(subject_id, title_id, par_id, titlename, title_name, subject_kind,
                      subjext_text, subject_reso, type_show, subject_ansi, perpoint) values
 (100, 1, null, 'Paper One', '', '考卷', 'cover', '', 0, '', 0),
 (101, 1, 100, 'Part I', '', '题型', 'Read and choose.', '', 0, '', 0),
 (102, 1, 101, 'Passage 1', '', '子题', 'A short passage.', '', 0, '', 0),
 (103, 1, 102, 'Q1', '1', '题目', 'Stem 1', 'because', 1, 'A', 2),
 (104, 1, 102, 'Q2', '2', '题目', 'Stem 2', 'because', 1, 'C', 1),
 (105, 1, 101, 'Q3', '3', '题目', 'Translate', 'model', 2, 'It''s fine.', 3),
 (200, 2, null, 'Paper Two', '', '考卷', '', '', 0, '', 0),
 (201, 2, 200, 'Only', '1', '题目', 'Stem', '', 1, 'B', 1);
)sql";

QString BankConnectionString(const QString& path) {
  return QStringLiteral("Data Source=\"%1\";Jet OLEDB:Database Password=\"qelvorn\";").arg(path);
}

QString LargePaperSql(int rows) {
  return QStringLiteral(
             "insert into t_title values (1, 'Large paper');"
             "insert into t_exercise(title_id, exer_title) values (1, '2026-01-01 00:00:00');"
             "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
             "insert into t_subject select i, 1, case when i = 1 then null else (i - 2) / 10 + 1 end, "
             "'Question ' || i, i, case when i = 1 then '考卷' else '题目' end, "
             "'Stem of question ' || i || ' with four options A. one B. two C. three D. four', "
             "'解析：第 ' || i || ' 题', 1, 'B', 1 from n;"
             "insert into t_exerresult(exer_id, subject_id) select 1, subject_id from t_subject;")
      .arg(rows);
}

void CreateBank(const QString& path, const QString& sql) {
  QFile::remove(path);
  sqlite3* db = nullptr;
  if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot create bank");
  }
  try {
    Exec(db, SchemaText());
    if (!sql.isEmpty()) Exec(db, sql);
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
  sqlite3_close(db);
}

void ExecOnBank(const QString& path, const QString& sql) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    throw std::runtime_error("cannot open bank");
  }
  try {
    Exec(db, sql);
  } catch (...) {
    sqlite3_close(db);
    throw;
  }
  sqlite3_close(db);
}

QString QueryBankValue(const QString& path, const QString& sql) {
  sqlite3* db = nullptr;
  QString out;
  if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
      out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return out;
}

TempAppFolder::TempAppFolder() {
  if (Application) Application->SetPathOverride(Path());
}

TempAppFolder::~TempAppFolder() {
  if (Application) Application->SetPathOverride(QString());
}

QString TempAppFolder::Path() const { return m_dir.path() + QStringLiteral("/"); }
