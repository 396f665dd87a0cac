// The papers in content/ and the banks the build puts beside the program.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <set>

#include "tests/tools/bank_inspect.h"
#include "tools/bankgen/bank_writer.h"
#include "tools/bankgen/paper_source.h"

namespace {

const QString kContent = QStringLiteral(TOLMSYS_SOURCE_DIR "/content");
const QString kBinDir = QStringLiteral(TOLMSYS_BIN_DIR);

std::vector<std::string> Sources(const QString& folder) {
  std::vector<std::string> files;
  const QDir dir(kContent + "/" + folder);
  for (const QString& f : dir.entryList({"*.txt"}, QDir::Files, QDir::Name))
    files.push_back(dir.filePath(f).toStdString());
  return files;
}

std::string ReadSchema() {
  QFile f(kContent + "/bank_schema.sql");
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  return f.readAll().toStdString();
}

// Builds the bank of one content folder into `dir`, from the schema file itself.
std::string BuildFrom(const QString& folder, const QTemporaryDir& dir) {
  std::vector<bankgen::Paper> papers;
  for (const std::string& f : Sources(folder)) papers.push_back(bankgen::LoadPaper(f));
  const std::string out = dir.filePath(folder + ".db").toStdString();
  bankgen::WriteBank(papers, ReadSchema(), out);
  return out;
}

bool IsRtf(const std::string& s) { return s.rfind("{\\rtf", 0) == 0; }

class BankContent : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new QTemporaryDir;
    s_main = BuildFrom("papers", *s_dir);
    s_sample = BuildFrom("sample", *s_dir);
  }
  static void TearDownTestSuite() { delete s_dir; }
  static QTemporaryDir* s_dir;
  static std::string s_main, s_sample;
};
QTemporaryDir* BankContent::s_dir = nullptr;
std::string BankContent::s_main, BankContent::s_sample;

TEST_F(BankContent, BothBanksAreWellFormed) {
  ExpectWellFormedBank(s_main, "papers");
  ExpectWellFormedBank(s_sample, "sample");
}

TEST_F(BankContent, EveryPaperHasTheShapeOfARealPaper) {
  int papers = 0, questions = 0;
  std::set<std::string> mainNames;
  for (const std::string& path : {s_main, s_sample}) {
    BankFile bank(path);
    const auto nodes = ReadNodes(bank);
    for (const auto& [id, name] : ReadPapers(bank)) {
      SCOPED_TRACE(name);
      ++papers;
      if (path == s_main) {
        mainNames.insert(name);
      } else {
        EXPECT_EQ(mainNames.count(name), 0u) << "the sample bank must hold other papers";
      }
      int sections = 0, groups = 0, choice = 0, free = 0, groupedQuestions = 0;
      std::map<long long, std::string> kindOf;
      for (const auto& n : nodes) {
        if (n.titleId != id) continue;
        kindOf[n.id] = n.kind;
        sections += n.kind == "题型";
        groups += n.kind == "子题";
        if (n.kind != "题目") continue;
        ++questions;
        (n.typeShow == 1 ? choice : free)++;
        groupedQuestions += kindOf[*n.parent] == "子题";
        if (n.typeShow == 1) {
          EXPECT_GE(n.points.value_or(0), 1) << n.caption;
        }
      }
      EXPECT_GE(sections, 3);
      EXPECT_GE(groups, 1);
      EXPECT_GE(groupedQuestions, 3) << "questions sharing a passage";
      EXPECT_GE(choice, 8);
      for (const auto& n : nodes) {
        if (n.titleId != id || n.kind != "子题") continue;
        const auto text = IsRtf(n.text) ? RtfToText(n.text).value_or("") : n.text;
        EXPECT_GE(std::count(text.begin(), text.end(), ' '), 120) << n.caption << ": a passage of a few hundred words";
      }
      EXPECT_GE(free, 1);
    }
  }
  EXPECT_GE(papers, 4) << "three papers for ength.dll and at least one other for sample.zk";
  EXPECT_GE(questions, 60);
}

TEST_F(BankContent, TextsMixRtfWithFormattingAndPlainText) {
  for (const std::string& path : {s_main, s_sample}) {
    SCOPED_TRACE(path);
    BankFile bank(path);
    int rtf = 0, plain = 0, bold = 0, italic = 0, colour = 0, chinese = 0;
    for (const auto& n : ReadNodes(bank)) {
      for (const std::string* t : {&n.text, &n.explanation}) {
        if (t->empty()) continue;
        if (!IsRtf(*t)) { ++plain; continue; }
        ++rtf;
        bold += t->find("\\b ") != std::string::npos;
        italic += t->find("\\i ") != std::string::npos;
        colour += t->find("\\cf1") != std::string::npos || t->find("\\cf2") != std::string::npos ||
                  t->find("\\cf3") != std::string::npos;
        size_t escapes = 0;
        for (size_t at = t->find("\\'"); at != std::string::npos; at = t->find("\\'", at + 2)) ++escapes;
        chinese += escapes > 4;  // more than the font name's
      }
    }
    EXPECT_GE(rtf, 3);
    EXPECT_GE(plain, 3);
    EXPECT_GE(bold, 1);
    EXPECT_GE(italic, 1);
    EXPECT_GE(colour, 1);
    EXPECT_GE(chinese, 3);
  }
}

// RTF texts decode to the Chinese their sources hold.
TEST_F(BankContent, RtfTextsDecodeToTheIntendedChinese) {
  struct Case {
    const char* captionStart;  // first node (in order) whose caption starts so
    const char* decoded;       // must appear in its decoded text
  };
  const Case cases[] = {
      {"Part I 词汇与语法", "从每小题的四个选项中选出一个最佳答案"},
      {"Part II 阅读理解", "阅读下列短文"},
      {"Part IV 翻译", "将下列句子译成英文"},
  };
  BankFile bank(s_main);
  const auto nodes = ReadNodes(bank);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.captionStart);
    auto it = std::find_if(nodes.begin(), nodes.end(),
                           [&](const BankNode& n) { return n.caption.rfind(c.captionStart, 0) == 0; });
    ASSERT_NE(it, nodes.end());
    ASSERT_TRUE(IsRtf(it->text));
    const auto text = RtfToText(it->text);
    ASSERT_TRUE(text.has_value());
    EXPECT_NE(text->find(c.decoded), std::string::npos) << *text;
  }
}

// A practice run as the program makes it, through its own statements.
TEST_F(BankContent, ExerciseRowsComeBackInReadingOrderAndScoreTheChoiceQuestions) {
  QTemporaryDir dir;
  const QString copy = dir.filePath("bank.db");
  ASSERT_TRUE(QFile::copy(QString::fromStdString(s_main), copy));
  BankFile bank(copy.toStdString(), false);
  for (const auto& [titleId, name] : ReadPapers(bank)) {
    SCOPED_TRACE(name);
    const std::string paper = std::to_string(titleId);
    bank.Exec("insert into t_exercise(title_id,exer_title)values(" + paper + ",'2026-03-01 09:30:00')");
    const std::string exer = bank.Scalar("select max(exer_id) as m from t_exercise");
    for (const auto& r : bank.Query("select * from t_subject where title_id=" + paper))
      bank.Exec("insert into t_exerresult(exer_id,subject_id)values(" + exer + "," + *r[0] + ")");

    const auto rows = bank.Query("select exre_id, subject_id, subject_kind, type_show, subject_ansi, perpoint"
                                 " from v_exerresult where exer_id=" + exer);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(*rows[0][2], "考卷");
    long long previous = 0, expectedScore = 0;
    for (const auto& r : rows) {
      const long long id = std::stoll(*r[1]);
      EXPECT_GT(id, previous) << "rows must come back in reading order";
      previous = id;
      // Answer every choice question with its expected letter.
      if (r[3] && *r[3] == "1") {
        expectedScore += std::stoll(*r[5]);
        bank.Exec("update t_exerresult set exre_text='" + *r[4] + "',exre_istrue='√' where exre_id=" + *r[0]);
      }
      if (r[3] && *r[3] == "2")
        bank.Exec("update t_exerresult set exre_text='It''s mine.',exre_istrue='×' where exre_id=" + *r[0]);
    }
    EXPECT_EQ(bank.Scalar("select sum(perpoint) as spoint from v_exerresult where exre_istrue='√' and  "
                          "type_show=1 and exer_id=" + exer),
              std::to_string(expectedScore));
    EXPECT_EQ(bank.Scalar("select count(*) from v_exerresult where exre_text='It''s mine.' and exer_id=" + exer),
              bank.Scalar("select count(*) from t_subject where type_show=2 and title_id=" + paper));

    // Edits through the view reach the node, but never its parent (a practice
    // does not change the paper); leaving the practice removes the exercise's
    // rows and never the paper's nodes.
    const std::string last = *rows.back()[0];
    const std::string firstSection = *rows[1][1];
    const std::string parent = bank.Scalar("select par_id from t_subject where subject_id=" + *rows.back()[1]);
    bank.Exec("update v_exerresult set par_id=" + firstSection + ", titlename='moved' where exre_id=" + last);
    EXPECT_EQ(bank.Scalar("select par_id || titlename from t_subject where subject_id=" + *rows.back()[1]),
              parent + "moved");
    const std::string nodes = bank.Scalar("select count(*) from t_subject");
    bank.Exec("delete from v_exerresult where exre_id=" + last);
    bank.Exec("delete from  t_exercise where exer_id=" + exer);
    bank.Exec("delete from  t_exerresult where exer_id=" + exer);
    EXPECT_EQ(bank.Scalar("select count(*) from v_exerresult where exer_id=" + exer), "0");
    EXPECT_EQ(bank.Scalar("select count(*) from t_subject"), nodes);
  }
  EXPECT_EQ(bank.Scalar("PRAGMA integrity_check"), "ok");
}

TEST(BankFilesBesideProgram, BothBanksAreThereAndDiffer) {
  const QString ength = kBinDir + "/ength.dll";
  const QString sample = kBinDir + "/sample.zk";
  ASSERT_TRUE(QFile::exists(ength));
  ASSERT_TRUE(QFile::exists(sample));
  // ength.dll may be a bank the user imported or practised in; it only has to be sound.
  ExpectWellFormedBank(ength.toStdString(), "ength.dll");
  ExpectWellFormedBank(sample.toStdString(), "sample.zk");

  // sample.zk is rewritten by every build from content/sample, so it holds
  // exactly those papers, none of which is one of content/papers.
  std::set<std::string> expected, mainPapers;
  for (const std::string& f : Sources("sample")) expected.insert(bankgen::LoadPaper(f).name);
  for (const std::string& f : Sources("papers")) mainPapers.insert(bankgen::LoadPaper(f).name);
  std::set<std::string> got;
  for (const auto& [id, name] : ReadPapers(BankFile(sample.toStdString()))) got.insert(name);
  EXPECT_EQ(got, expected);
  for (const std::string& name : got) EXPECT_EQ(mainPapers.count(name), 0u) << name;
}

}  // namespace
