#include "tests/tools/bank_inspect.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>

BankFile::BankFile(const std::string& path, bool readOnly) {
  sqlite3* raw = nullptr;
  const int rc = sqlite3_open_v2(path.c_str(), &raw,
                                 readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
  m_db.reset(raw);
  EXPECT_EQ(rc, SQLITE_OK) << "cannot open " << path;
}

std::vector<BankFile::Row> BankFile::Query(const std::string& sql) const {
  std::vector<Row> rows;
  sqlite3_stmt* st = nullptr;
  if (sqlite3_prepare_v2(db(), sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
    ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db());
    return rows;
  }
  int rc;
  while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
    Row row;
    for (int i = 0; i < sqlite3_column_count(st); ++i) {
      if (sqlite3_column_type(st, i) == SQLITE_NULL) {
        row.push_back(std::nullopt);
      } else {
        const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
        row.push_back(std::string(t, sqlite3_column_bytes(st, i)));
      }
    }
    rows.push_back(std::move(row));
  }
  EXPECT_EQ(rc, SQLITE_DONE) << sql << ": " << sqlite3_errmsg(db());
  sqlite3_finalize(st);
  return rows;
}

std::string BankFile::Scalar(const std::string& sql) const {
  const auto rows = Query(sql);
  if (rows.empty() || rows[0].empty() || !rows[0][0]) return "";
  return *rows[0][0];
}

void BankFile::Exec(const std::string& sql) const {
  char* err = nullptr;
  const int rc = sqlite3_exec(db(), sql.c_str(), nullptr, nullptr, &err);
  EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << (err ? err : "");
  sqlite3_free(err);
}

namespace {

std::optional<long long> ToInt(const std::optional<std::string>& s) {
  if (!s) return std::nullopt;
  return std::stoll(*s);
}

std::string Text(const std::optional<std::string>& s) { return s.value_or(""); }

std::optional<std::string> GbkToUtf8(const std::string& gbk) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(gbk.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(gbk.data());
  size_t inLeft = gbk.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> RtfToText(const std::string& rtf, std::string* error) {
  auto fail = [&](const std::string& why) -> std::optional<std::string> {
    if (error) *error = why;
    return std::nullopt;
  };
  if (rtf.rfind("{\\rtf1", 0) != 0) return fail("does not start with {\\rtf1");
  if (rtf.find("\\ansicpg936") == std::string::npos) return fail("no \\ansicpg936");
  std::string bytes;           // GBK text collected outside skipped groups
  std::vector<bool> skipping;  // per open group
  bool skip = false;
  size_t i = 0;
  auto emit = [&](char c) {
    if (!skip) bytes += c;
  };
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c == '{') {
      skipping.push_back(skip);
      ++i;
      continue;
    }
    if (c == '}') {
      if (skipping.empty()) return fail("unbalanced '}'");
      skip = skipping.back();
      skipping.pop_back();
      ++i;
      if (skipping.empty() && i != rtf.size()) return fail("text after the document's closing brace");
      continue;
    }
    if (c == '\r' || c == '\n') { ++i; continue; }
    if (c != '\\') {
      if (static_cast<unsigned char>(c) >= 0x80) return fail("raw 8-bit byte in RTF");
      emit(c);
      ++i;
      continue;
    }
    // Control symbol or word.
    if (i + 1 >= rtf.size()) return fail("dangling backslash");
    const char n = rtf[i + 1];
    if (n == '\\' || n == '{' || n == '}') { emit(n); i += 2; continue; }
    if (n == '\'') {
      if (i + 3 >= rtf.size()) return fail("short \\' escape");
      const int hi = HexValue(rtf[i + 2]), lo = HexValue(rtf[i + 3]);
      if (hi < 0 || lo < 0) return fail("bad \\' escape");
      emit(static_cast<char>(hi * 16 + lo));
      i += 4;
      continue;
    }
    if (n == '*') { skip = true; i += 2; continue; }
    size_t j = i + 1;
    while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
    if (j == i + 1) return fail(std::string("unknown control symbol \\") + n);
    const std::string word = rtf.substr(i + 1, j - i - 1);
    if (j < rtf.size() && (rtf[j] == '-' || std::isdigit(static_cast<unsigned char>(rtf[j])))) {
      ++j;
      while (j < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[j]))) ++j;
    }
    if (j < rtf.size() && rtf[j] == ' ') ++j;
    i = j;
    if (word == "fonttbl" || word == "colortbl" || word == "stylesheet" || word == "info") skip = true;
    else if (word == "par" || word == "line") emit('\n');
    else if (word == "tab") emit('\t');
  }
  if (!skipping.empty()) return fail("unclosed '{'");
  auto text = GbkToUtf8(bytes);
  if (!text) return fail("bytes that are not GBK");
  return text;
}

std::vector<BankNode> ReadNodes(const BankFile& bank) {
  std::vector<BankNode> nodes;
  for (const auto& r : bank.Query(
           "SELECT subject_id, title_id, par_id, titlename, title_name, subject_kind, subjext_text,"
           " subject_reso, type_show, subject_ansi, typeof(perpoint), perpoint"
           " FROM t_subject ORDER BY subject_id")) {
    BankNode n;
    n.id = *ToInt(r[0]);
    n.titleId = ToInt(r[1]).value_or(0);
    n.parent = ToInt(r[2]);
    n.caption = Text(r[3]);
    n.label = Text(r[4]);
    n.kind = Text(r[5]);
    n.text = Text(r[6]);
    n.explanation = Text(r[7]);
    n.typeShow = ToInt(r[8]);
    n.answer = Text(r[9]);
    n.pointsType = Text(r[10]);
    n.points = ToInt(r[11]);
    nodes.push_back(std::move(n));
  }
  return nodes;
}

std::map<long long, std::string> ReadPapers(const BankFile& bank) {
  std::map<long long, std::string> papers;
  for (const auto& r : bank.Query("SELECT title_id, title_name FROM t_title"))
    papers[*ToInt(r[0])] = Text(r[1]);
  return papers;
}

namespace {

// The text as the reader sees it: decoded when it is RTF.
std::string VisibleText(const std::string& stored, const std::string& where) {
  if (stored.rfind("{\\rtf", 0) != 0) {
    EXPECT_EQ(stored.find("{\\rtf"), std::string::npos) << where << ": RTF inside plain text";
    return stored;
  }
  std::string why;
  auto text = RtfToText(stored, &why);
  EXPECT_TRUE(text.has_value()) << where << ": RTF does not decode: " << why;
  return text.value_or("");
}

}  // namespace

void ExpectWellFormedBank(const std::string& path, const std::string& what) {
  BankFile bank(path);
  ASSERT_NE(bank.db(), nullptr);
  EXPECT_EQ(bank.Scalar("PRAGMA integrity_check"), "ok") << what;
  EXPECT_NE(bank.Scalar("SELECT value FROM tolm_meta WHERE name='password'"), "") << what;

  const auto papers = ReadPapers(bank);
  ASSERT_FALSE(papers.empty()) << what << ": no papers";
  const auto nodes = ReadNodes(bank);
  std::map<long long, const BankNode*> byId;
  for (const auto& n : nodes) byId[n.id] = &n;
  std::map<long long, std::vector<const BankNode*>> children;
  for (const auto& n : nodes)
    if (n.parent) children[*n.parent].push_back(&n);

  for (const auto& [titleId, name] : papers) {
    const std::string paperWhat = what + " / " + name;
    std::vector<const BankNode*> own;
    for (const auto& n : nodes)
      if (n.titleId == titleId) own.push_back(&n);
    ASSERT_FALSE(own.empty()) << paperWhat << ": no nodes";
    // The paper node comes first and is the only root.
    const BankNode* root = own.front();
    EXPECT_EQ(root->kind, "考卷") << paperWhat;
    EXPECT_FALSE(root->parent.has_value()) << paperWhat;
    EXPECT_EQ(root->caption, name) << paperWhat;

    // Reading order: a depth-first walk (children by id) visits ids in increasing order.
    std::vector<long long> walk;
    std::function<void(const BankNode*)> visit = [&](const BankNode* n) {
      walk.push_back(n->id);
      for (const BankNode* c : children[n->id]) visit(c);
    };
    visit(root);
    std::vector<long long> ids;
    for (const BankNode* n : own) ids.push_back(n->id);
    EXPECT_EQ(walk, ids) << paperWhat << ": ids are not in reading order, or nodes are not reachable from the paper";

    std::set<std::string> labels;
    for (const BankNode* n : own) {
      const std::string where = paperWhat + " / node " + std::to_string(n->id) + " " + n->caption;
      if (n != root) {
        ASSERT_TRUE(n->parent.has_value()) << where << ": second root";
        auto p = byId.find(*n->parent);
        ASSERT_NE(p, byId.end()) << where << ": parent missing";
        EXPECT_EQ(p->second->titleId, titleId) << where << ": parent in another paper";
        EXPECT_LT(p->second->id, n->id) << where;
        // par_id chains end at the paper node.
        const BankNode* up = n;
        int steps = 0;
        while (up->parent && steps++ < 10) up = byId.at(*up->parent);
        EXPECT_EQ(up, root) << where << ": parent chain does not end at the paper";
        const std::string& pk = p->second->kind;
        if (n->kind == "题型") {
          EXPECT_EQ(pk, "考卷") << where;
        } else if (n->kind == "子题") {
          EXPECT_EQ(pk, "题型") << where;
        } else if (n->kind == "题目") {
          EXPECT_TRUE(pk == "题型" || pk == "子题") << where << " under " << pk;
        } else {
          ADD_FAILURE() << where << ": unknown kind '" << n->kind << "'";
        }
      }
      EXPECT_FALSE(n->caption.empty()) << where << ": no caption";
      const std::string text = VisibleText(n->text, where + " text");
      if (n->kind == "题型" || n->kind == "子题") {
        EXPECT_FALSE(children[n->id].empty()) << where << ": no questions under it";
      }
      if (n->kind != "题目") {
        EXPECT_FALSE(n->typeShow.has_value()) << where << ": answer form on a node that takes no answer";
        continue;
      }
      EXPECT_TRUE(labels.insert(n->label).second) << where << ": question number used twice";
      EXPECT_FALSE(n->label.empty()) << where;
      EXPECT_FALSE(text.empty()) << where << ": no stem";
      ASSERT_TRUE(n->typeShow.has_value()) << where;
      EXPECT_EQ(n->pointsType, "integer") << where << ": points must be a whole number";
      EXPECT_GE(n->points.value_or(-1), 0) << where;
      if (*n->typeShow == 1) {
        EXPECT_TRUE(n->answer.size() == 1 && n->answer[0] >= 'A' && n->answer[0] <= 'D')
            << where << ": choice answer '" << n->answer << "'";
        for (const char* opt : {"\nA. ", "\nB. ", "\nC. ", "\nD. "})
          EXPECT_NE(("\n" + text).find(opt), std::string::npos) << where << ": option" << opt << "missing";
        EXPECT_FALSE(VisibleText(n->explanation, where + " explanation").empty())
            << where << ": choice question without explanation";
      } else {
        EXPECT_EQ(*n->typeShow, 2) << where;
        EXPECT_FALSE(n->answer.empty()) << where << ": free-text question without a model answer";
      }
    }
  }
}
