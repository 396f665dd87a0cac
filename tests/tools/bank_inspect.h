#pragma once
// Reading a bank back for the bankgen tests, independently of bankgen's own
// code: nodes as stored, and RTF decoded to text with a small reader of our own.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <sqlite3.h>

struct SqliteCloser {
  void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// An open bank; fails the current test when it cannot be opened.
class BankFile {
 public:
  explicit BankFile(const std::string& path, bool readOnly = true);
  sqlite3* db() const { return m_db.get(); }
  // Rows of a query, every value as text (NULL as std::nullopt).
  using Row = std::vector<std::optional<std::string>>;
  std::vector<Row> Query(const std::string& sql) const;
  // The first column of the first row ("" when there is none or it is NULL).
  std::string Scalar(const std::string& sql) const;
  void Exec(const std::string& sql) const;

 private:
  std::unique_ptr<sqlite3, SqliteCloser> m_db;
};

struct BankNode {
  long long id = 0;
  long long titleId = 0;
  std::optional<long long> parent;
  std::string caption, label, kind, text, explanation, answer;
  std::optional<long long> typeShow;
  std::string pointsType;  // typeof(perpoint)
  std::optional<long long> points;
};

std::vector<BankNode> ReadNodes(const BankFile& bank);
// Paper names by title_id.
std::map<long long, std::string> ReadPapers(const BankFile& bank);

// Plain text of an RTF document: \par and \line become "\n", \'hh bytes are
// decoded from code page 936, the font and colour tables are skipped.
// Returns nullopt (with the reason in `error`) for text that is not sound RTF
// or holds byte sequences that are not GBK.
std::optional<std::string> RtfToText(const std::string& rtf, std::string* error = nullptr);

// Checks every structural rule of a bank the program relies on (reported as
// test failures naming `what`).
void ExpectWellFormedBank(const std::string& path, const std::string& what);
