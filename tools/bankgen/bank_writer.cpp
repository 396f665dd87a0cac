#include "tools/bankgen/bank_writer.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>

#include "tools/bankgen/bank_schema_sql.h"

namespace bankgen {

const char* EmbeddedSchema() { return kBankSchemaSql; }

namespace {

struct DbCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StmtFinalizer {
  void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Db = std::unique_ptr<sqlite3, DbCloser>;
using Stmt = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

void Check(sqlite3* db, int rc, const char* what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
    throw BankError(std::string(what) + ": " + sqlite3_errmsg(db));
}

Stmt Prepare(sqlite3* db, const char* sql) {
  sqlite3_stmt* st = nullptr;
  Check(db, sqlite3_prepare_v2(db, sql, -1, &st, nullptr), "prepare");
  return Stmt(st);
}

void BindText(sqlite3_stmt* st, int i, const std::string& s) {
  sqlite3_bind_text(st, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
}

// Removes the temporary file (and a journal SQLite may have left) unless released.
class TempFile {
 public:
  explicit TempFile(std::string path) : m_path(std::move(path)) {}
  ~TempFile() {
    if (m_path.empty()) return;
    std::remove(m_path.c_str());
    std::remove((m_path + "-journal").c_str());
  }
  const std::string& path() const { return m_path; }
  void Release() { m_path.clear(); }

 private:
  std::string m_path;
};

void Fill(sqlite3* db, const std::vector<Paper>& papers) {
  Check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), "begin");
  Stmt title = Prepare(db, "INSERT INTO t_title(title_id, title_name) VALUES (?, ?)");
  Stmt subject = Prepare(db,
      "INSERT INTO t_subject(subject_id, title_id, par_id, titlename, title_name, subject_kind,"
      " subjext_text, subject_reso, type_show, subject_ansi, perpoint)"
      " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
  sqlite3_int64 nextSubject = 1;
  for (size_t p = 0; p < papers.size(); ++p) {
    const Paper& paper = papers[p];
    const auto titleId = static_cast<sqlite3_int64>(p + 1);
    sqlite3_reset(title.get());
    sqlite3_bind_int64(title.get(), 1, titleId);
    BindText(title.get(), 2, paper.name);
    Check(db, sqlite3_step(title.get()), "insert paper");
    // Identifiers follow the reading order: the program lists rows by them.
    const sqlite3_int64 base = nextSubject;
    for (const Node& n : paper.nodes) {
      sqlite3_stmt* st = subject.get();
      sqlite3_reset(st);
      sqlite3_clear_bindings(st);
      sqlite3_bind_int64(st, 1, nextSubject++);
      sqlite3_bind_int64(st, 2, titleId);
      if (n.parent >= 0) sqlite3_bind_int64(st, 3, base + n.parent);
      BindText(st, 4, n.caption);
      if (n.kind == NodeKind::Question) BindText(st, 5, n.label);
      BindText(st, 6, KindName(n.kind));
      BindText(st, 7, n.text);
      if (n.hasExplanation) BindText(st, 8, n.explanation);
      if (n.kind == NodeKind::Question) {
        sqlite3_bind_int(st, 9, n.typeShow);
        BindText(st, 10, n.answer);
        sqlite3_bind_int(st, 11, n.points);
      }
      Check(db, sqlite3_step(st), "insert node");
    }
  }
  Check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), "commit");
}

}  // namespace

void WriteBank(const std::vector<Paper>& papers, const std::string& schemaSql,
               const std::string& outPath) {
  std::map<std::string, const Paper*> names;
  for (const Paper& p : papers) {
    auto [it, fresh] = names.emplace(p.name, &p);
    if (!fresh)
      throw SourceError(p.file, p.line, "paper name '" + p.name + "' is already used by " + it->second->file);
  }

  std::string pattern = outPath + ".tmp-XXXXXX";
  const int fd = mkstemp(pattern.data());
  if (fd < 0) throw BankError("cannot create a temporary file beside " + outPath);
  fchmod(fd, 0644);  // mkstemp makes it private; a bank is an ordinary data file
  close(fd);
  TempFile temp(pattern);

  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(temp.path().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
  Db db(raw);
  if (rc != SQLITE_OK) throw BankError("cannot open " + temp.path() + ": " + sqlite3_errstr(rc));
  char* err = nullptr;
  if (sqlite3_exec(db.get(), schemaSql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
    std::string msg = std::string("schema: ") + (err ? err : "error");
    sqlite3_free(err);
    throw BankError(msg);
  }
  Fill(db.get(), papers);
  if (sqlite3_close(db.release()) != SQLITE_OK) throw BankError("cannot close " + temp.path());
  if (std::rename(temp.path().c_str(), outPath.c_str()) != 0)
    throw BankError("cannot rename " + temp.path() + " to " + outPath);
  temp.Release();
}

}  // namespace bankgen
