// Build-time tool: runs the bank schema in an empty in-memory database and
// writes, as a C++ header, what the engine itself then reads back: each
// table and view with its columns (the meta table first, then the tables,
// then the view) and the statements of the view and its triggers (view
// first). The bank checks compare a bank against these, so the program no
// longer builds that database each time it starts.
// Usage: reference_gen <output header>

#include <sqlite3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "db/bank_schema_sql.h"

namespace {

struct Object {
  std::string type, name;
  std::vector<std::string> columns;
};

std::string Text(sqlite3_stmt* s, int column) {
  const unsigned char* t = sqlite3_column_text(s, column);
  return t ? reinterpret_cast<const char*>(t) : "";
}

// A C++ string literal holding `s` exactly.
std::string Literal(const std::string& s) {
  std::string out = "\"";
  for (const unsigned char c : s) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += char(c);
    } else if (c == '\n') {
      out += "\\n\"\n    \"";
    } else if (c < 0x20 || c >= 0x7f) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\%03o", c);
      out += buf;
    } else {
      out += char(c);
    }
  }
  return out + '"';
}

bool Fail(sqlite3* db, const char* what) {
  std::fprintf(stderr, "reference_gen: %s: %s\n", what, db ? sqlite3_errmsg(db) : "no database");
  return false;
}

bool Read(sqlite3* db, std::vector<Object>& objects, std::vector<std::string>& statements) {
  if (sqlite3_exec(db, kBankSchemaSql, nullptr, nullptr, nullptr) != SQLITE_OK)
    return Fail(db, "the schema does not run");
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db,
                         "select type, name, sql from sqlite_schema where name not like 'sqlite\\_%' escape '\\' "
                         "and type in ('table','view','trigger') "
                         "order by name <> 'tolm_meta', type = 'trigger', type = 'view', rowid",
                         -1, &s, nullptr) != SQLITE_OK)
    return Fail(db, "reading the schema");
  while (sqlite3_step(s) == SQLITE_ROW) {
    const std::string type = Text(s, 0);
    if (type != "table") statements.push_back(Text(s, 2));
    if (type != "trigger") objects.push_back({type, Text(s, 1), {}});
  }
  sqlite3_finalize(s);
  for (Object& o : objects) {
    if (sqlite3_prepare_v2(db, "select name from pragma_table_info(?1)", -1, &s, nullptr) != SQLITE_OK)
      return Fail(db, "reading the columns");
    sqlite3_bind_text(s, 1, o.name.c_str(), -1, SQLITE_TRANSIENT);
    while (sqlite3_step(s) == SQLITE_ROW) o.columns.push_back(Text(s, 0));
    sqlite3_finalize(s);
    if (o.columns.empty()) return Fail(db, "an object without columns");
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: reference_gen <output header>\n");
    return 2;
  }
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    Fail(db, "opening a memory database");
    return 1;
  }
  std::vector<Object> objects;
  std::vector<std::string> statements;
  const bool ok = Read(db, objects, statements);
  sqlite3_close(db);
  if (!ok) return 1;

  std::string out =
      "// Generated at build time by db/reference/reference_gen from content/bank_schema.sql. Do not edit.\n"
      "#pragma once\n\n"
      "namespace bank_reference {\n\n"
      "struct Object {\n  const char* type;\n  const char* name;\n  const char* const* columns;  // "
      "null-terminated\n};\n\n";
  for (size_t i = 0; i < objects.size(); ++i) {
    out += "inline constexpr const char* kColumns" + std::to_string(i) + "[] = {";
    for (const std::string& c : objects[i].columns) out += Literal(c) + ", ";
    out += "nullptr};\n";
  }
  out += "\ninline constexpr Object kObjects[] = {\n";
  for (size_t i = 0; i < objects.size(); ++i)
    out += "    {" + Literal(objects[i].type) + ", " + Literal(objects[i].name) + ", kColumns" +
           std::to_string(i) + "},\n";
  out += "};\n\ninline constexpr const char* kViewAndTriggers[] = {\n";
  for (const std::string& s : statements) out += "    " + Literal(s) + ",\n";
  out += "};\n\n}  // namespace bank_reference\n";

  // Written only when it changed, so nothing rebuilds without need.
  if (FILE* old = std::fopen(argv[1], "rb")) {
    std::string have;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, old)) > 0) have.append(buf, n);
    std::fclose(old);
    if (have == out) return 0;
  }
  FILE* f = std::fopen(argv[1], "wb");
  bool written = f && std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (f && std::fclose(f) != 0) written = false;
  if (!written) {
    std::fprintf(stderr, "reference_gen: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
