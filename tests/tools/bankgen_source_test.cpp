// bankgen on small sources: what it stores, how it renders texts, how it
// reports bad input, and that a failed run never leaves a partial bank.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "tests/support/test_support.h"
#include "tests/tools/bank_inspect.h"
#include "tools/bankgen/bank_writer.h"
#include "tools/bankgen/paper_source.h"

using bankgen::Paper;
using bankgen::ParsePaper;
using bankgen::SourceError;

namespace {

// A small complete paper: an RTF section text, a group with a shared
// passage, a choice question with an RTF stem, and a free-text question.
const char kGoodPaper[] = R"(# a comment
@paper 小测验 Quiz
@text
Cover text.
@end

@section Part I 阅读理解 Reading
@points 2
@text rtf
\b 说明\b0：阅读 {\cf1 短文}，\i choose\i0  the best answer.
@end
@group Passage 1
@text
The old mill stood by the river.
It was built in 1820.
@end
@question 1 choice
@text rtf
When was the mill built? 倉\\{}
@end
A. In 1802.
B. In 1820.
C. In 1920.
D. Nobody knows {exactly}.
@answer B
@explain
见第二句 "It was built in 1820."
@end
@endgroup
@question 2 choice
@caption 第 2 题 short stem
@points 1
@text
Pick C.
@end
A. a
B. b
C. c
D. d
@answer C
@explain
C 是对的。
@end

@section Part II 写作 Writing
@question 3 free
@points 0
@text
Write about your town.
@end
@answer
My town is small.
It has a river.
@end
)";

std::string ToStd(const QString& s) { return s.toStdString(); }

class BankgenSource : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  std::string Path(const char* name) const { return ToStd(dir.filePath(name)); }
  std::string Build(const std::string& source) {
    const std::string out = Path("out.db");
    bankgen::WriteBank({ParsePaper("good.txt", source)}, bankgen::EmbeddedSchema(), out);
    return out;
  }
};

TEST_F(BankgenSource, StoresNodesInReadingOrderWithTheirFields) {
  const std::string out = Build(kGoodPaper);
  ExpectWellFormedBank(out, "fixture");
  BankFile bank(out);
  EXPECT_EQ(ReadPapers(bank), (std::map<long long, std::string>{{1, "小测验 Quiz"}}));
  const auto nodes = ReadNodes(bank);
  ASSERT_EQ(nodes.size(), 7u);

  struct Expect {
    const char* kind;
    std::optional<long long> parent;
    const char* caption;
    const char* label;
  };
  const Expect expected[] = {
      {"考卷", std::nullopt, "小测验 Quiz", ""},
      {"题型", 1, "Part I 阅读理解 Reading", ""},
      {"子题", 2, "Passage 1", ""},
      {"题目", 3, "第 1 题", "1"},
      {"题目", 2, "第 2 题 short stem", "2"},  // after @endgroup: back under the section
      {"题型", 1, "Part II 写作 Writing", ""},
      {"题目", 6, "第 3 题", "3"},
  };
  for (size_t i = 0; i < nodes.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(nodes[i].id, static_cast<long long>(i + 1));
    EXPECT_EQ(nodes[i].kind, expected[i].kind);
    EXPECT_EQ(nodes[i].parent, expected[i].parent);
    EXPECT_EQ(nodes[i].caption, expected[i].caption);
    EXPECT_EQ(nodes[i].label, expected[i].label);
  }
  // Section points are the default of its questions; a question may override them.
  EXPECT_EQ(nodes[3].points, 2);
  EXPECT_EQ(nodes[4].points, 1);
  EXPECT_EQ(nodes[6].points, 0);
  EXPECT_EQ(nodes[3].typeShow, 1);
  EXPECT_EQ(nodes[6].typeShow, 2);
  EXPECT_EQ(nodes[3].answer, "B");
  EXPECT_EQ(nodes[6].answer, "My town is small.\nIt has a river.");
  // Plain texts keep their lines; choice options follow the stem.
  EXPECT_EQ(nodes[0].text, "Cover text.");
  EXPECT_EQ(nodes[2].text, "The old mill stood by the river.\nIt was built in 1820.");
  EXPECT_EQ(nodes[4].text, "Pick C.\nA. a\nB. b\nC. c\nD. d");
  EXPECT_EQ(nodes[3].explanation, "见第二句 \"It was built in 1820.\"");
  // Nodes that take no answer carry no answer fields.
  EXPECT_FALSE(nodes[1].points.has_value());
  EXPECT_EQ(nodes[1].explanation, "");
}

TEST_F(BankgenSource, RtfTextsDeclareCodePage936AndDecodeToTheSource) {
  BankFile bank(Build(kGoodPaper));
  const auto nodes = ReadNodes(bank);
  const std::string& section = nodes[1].text;
  EXPECT_EQ(section.rfind("{\\rtf1", 0), 0u);
  EXPECT_NE(section.find("\\ansicpg936"), std::string::npos);
  EXPECT_NE(section.find("\\colortbl"), std::string::npos);
  // Formatting written by the author reaches the document.
  for (const char* word : {"\\b ", "\\b0", "\\i ", "\\i0", "\\cf1 "})
    EXPECT_NE(section.find(word), std::string::npos) << word;
  // The stored document is 7-bit: Chinese only as \'hh escapes.
  for (const auto& n : nodes) {
    if (n.text.rfind("{\\rtf", 0) != 0) continue;
    for (char c : n.text) ASSERT_LT(static_cast<unsigned char>(c), 0x80) << n.caption;
  }
  EXPECT_NE(section.find("\\'cb\\'b5\\'c3\\'f7"), std::string::npos) << "说明 as GBK escapes";

  EXPECT_EQ(RtfToText(section), "说明：阅读 短文，choose the best answer.");
  // 倉 is 82 7d in GBK: its trail byte is '}', which only an escape keeps
  // from closing a group. The author's \\ is a backslash and {} an empty
  // group; options are plain text, so their braces are escaped.
  EXPECT_EQ(RtfToText(nodes[3].text),
            "When was the mill built? 倉\\\nA. In 1802.\nB. In 1820.\nC. In 1920.\n"
            "D. Nobody knows {exactly}.");
}

// Each case: the source, the line the error must name, and a part of its message.
struct BadInput {
  const char* name;
  const char* source;
  int line;
  const char* message;
};

const BadInput kBadInputs[] = {
    {"unknown directive", "@paper P\n@section S\n@sektion T\n", 3, "unknown directive @sektion"},
    {"choice answer not A-D", "@paper P\n@section S\n@points 1\n@question 1 choice\n@text\nx\n@end\n"
     "A. a\nB. b\nC. c\nD. d\n@answer E\n", 12, "one letter A-D, not 'E'"},
    {"lower-case choice answer", "@paper P\n@section S\n@points 1\n@question 1 choice\n@answer b\n", 5,
     "one letter A-D, not 'b'"},
    {"three options", "@paper P\n@section S\n@points 1\n@question 7 choice\n@text\nx\n@end\n"
     "A. a\nB. b\nC. c\n@answer A\n@explain\ne\n@end\n", 4, "question 7 has 3 options"},
    {"fifth option", "@paper P\n@section S\n@question 1 choice\nA. a\nB. b\nC. c\nD. d\nE. e\n", 8,
     "more than four options"},
    {"option out of order", "@paper P\n@section S\n@question 1 choice\nA. a\nC. c\n", 5,
     "option B expected here, not C"},
    {"option in a free question", "@paper P\n@section S\n@question 1 free\nA. a\n", 4,
     "options belong to choice questions only"},
    {"question outside a section", "@paper P\n@question 1 choice\n", 2, "question outside a section"},
    {"missing answer", "@paper P\n@section S\n@points 1\n@question 3 free\n@text\nx\n@end\n", 4,
     "question 3 has no @answer"},
    {"missing explanation", "@paper P\n@section S\n@points 1\n@question 3 choice\n@text\nx\n@end\n"
     "A. a\nB. b\nC. c\nD. d\n@answer A\n", 4, "question 3 has no @explain"},
    {"missing points", "@paper P\n@section S\n@question 3 free\n@text\nx\n@end\n@answer y\n", 3,
     "question 3 has no points"},
    {"fractional points", "@paper P\n@section S\n@points 1.5\n", 3, "whole number"},
    {"missing stem", "@paper P\n@section S\n@points 1\n@question 3 free\n@answer y\n", 4,
     "question 3 has no @text"},
    {"duplicate numbers", "@paper P\n@section S\n@points 1\n@question 5 free\n@text\nx\n@end\n@answer y\n"
     "@question 5 free\n", 9, "duplicate question number 5 (first used at line 4)"},
    {"unterminated block", "@paper P\n@section S\n@text rtf\n\\b bold\n\n@section T\n", 3,
     "@text block is not closed with @end"},
    {"empty block", "@paper P\n@section S\n@text\n\n@end\n", 3, "@text block is empty"},
    {"text given twice", "@paper P\n@section S\n@text\na\n@end\n@text\nb\n@end\n", 6, "@text given twice"},
    {"@end outside a block", "@paper P\n@end\n", 2, "@end without an open text block"},
    {"stray text", "@paper P\n@section S\nHello there\n", 3, "unexpected text outside a text block"},
    {"second paper", "@paper P\n@section S\n@paper Q\n", 3, "a second @paper"},
    {"no paper", "# nothing here\n", 1, "no @paper"},
    {"paper without sections", "@paper P\n@text\ncover\n@end\n", 1, "has no @section"},
    {"section without questions", "@paper P\n@section Empty\n@section S\n", 2,
     "@section 'Empty' has no questions"},
    {"group without questions", "@paper P\n@section S\n@group G\n@text\np\n@end\n@group H\n", 3,
     "@group 'G' has no questions"},
    {"question kind missing", "@paper P\n@section S\n@question 4\n", 3, "needs a number and a kind"},
    {"question kind unknown", "@paper P\n@section S\n@question 4 essay\n", 3, "choice or free"},
    {"caption on the paper", "@paper P\n@caption Other\n", 2, "the paper's caption is its name"},
    {"caption given twice", "@paper P\n@section S\n@caption A\n@caption B\n", 4, "@caption given twice"},
    {"explanation on a section", "@paper P\n@section S\n@explain\nx\n@end\n", 3, "belongs to a question"},
    {"unbalanced RTF brace", "@paper P\n@section S\n@text rtf\nfine\n{\\b open\nstill\n@end\n", 5,
     "'{' is not closed"},
    {"stray RTF closing brace", "@paper P\n@section S\n@text rtf\nfine}\n@end\n", 4, "'}' without"},
    {"character outside code page 936", "@paper P\n@section S\n@text rtf\nok\nsmile \xF0\x9F\x98\x80\n@end\n",
     5, "U+1F600 has no code in code page 936"},
    {"caption outside code page 936", "@paper P\n@section Part I \xF0\x9F\x98\x80\n", 2, "U+1F600"},
    {"model answer outside code page 936", "@paper P\n@section S\n@points 1\n@question 1 free\n@text\nx\n@end\n"
     "@answer\nline one\nline \xF0\x9F\x98\x80\n@end\n", 10, "U+1F600"},
    {"unknown directive after @endgroup", "@paper P\n@section S\n@group G\n@question 1 free\n@points 1\n@text\nx\n"
     "@end\n@answer y\n@endgroup\n@answr z\n", 11, "unknown directive @answr"},
    {"plain text that looks like RTF", "@paper P\n@section S\n@text\n{\\rtf1 x}\n@end\n", 4,
     "plain text must not start with {\\rtf"},
    {"invalid UTF-8", "@paper P\n@section S\n@text\nok\nbad \xC3\x28\n@end\n", 5, "not valid UTF-8"},
    {"text after @endgroup", "@paper P\n@section S\n@group G\n@question 1 free\n@points 1\n@text\nx\n@end\n"
     "@answer y\n@endgroup\n@points 2\n", 11, "belongs to no node"},
};

void PrintTo(const BadInput& c, std::ostream* os) { *os << c.name; }

class BankgenBadInput : public ::testing::TestWithParam<BadInput> {};

TEST_P(BankgenBadInput, NamesFileAndLine) {
  const BadInput& c = GetParam();
  try {
    ParsePaper("bad.txt", c.source);
    FAIL() << "accepted: " << c.name;
  } catch (const SourceError& e) {
    EXPECT_EQ(e.file(), "bad.txt");
    EXPECT_EQ(e.line(), c.line) << e.what();
    EXPECT_NE(e.message().find(c.message), std::string::npos) << e.what();
    EXPECT_EQ(std::string(e.what()).rfind("bad.txt:" + std::to_string(c.line) + ": ", 0), 0u) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, BankgenBadInput, ::testing::ValuesIn(kBadInputs),
                         [](const ::testing::TestParamInfo<BadInput>& info) {
                           std::string n = info.param.name;
                           for (char& ch : n)
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           return n;
                         });

TEST_F(BankgenSource, CrLfSourcesAndOrderOfPapers) {
  std::string crlf;
  for (char c : std::string(kGoodPaper)) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string second = kGoodPaper;
  second.replace(second.find("小测验 Quiz"), std::string("小测验 Quiz").size(), "Second");
  const std::string out = Path("two.db");
  bankgen::WriteBank({ParsePaper("a.txt", crlf), ParsePaper("b.txt", second)}, bankgen::EmbeddedSchema(), out);
  ExpectWellFormedBank(out, "two papers");
  BankFile bank(out);
  EXPECT_EQ(ReadPapers(bank), (std::map<long long, std::string>{{1, "小测验 Quiz"}, {2, "Second"}}));
  const auto nodes = ReadNodes(bank);
  ASSERT_EQ(nodes.size(), 14u);
  EXPECT_EQ(nodes[2].text, "The old mill stood by the river.\nIt was built in 1820.") << "no \\r kept";
  EXPECT_EQ(nodes[7].kind, "考卷");
  EXPECT_EQ(nodes[7].titleId, 2);
  EXPECT_EQ(nodes[8].parent, 8) << "second paper's nodes point at its own paper node";
}

TEST_F(BankgenSource, RefusesTwoPapersOfTheSameName) {
  try {
    bankgen::WriteBank({ParsePaper("a.txt", kGoodPaper), ParsePaper("b.txt", kGoodPaper)},
                       bankgen::EmbeddedSchema(), Path("dup.db"));
    FAIL();
  } catch (const SourceError& e) {
    EXPECT_EQ(e.file(), "b.txt");
    EXPECT_EQ(e.line(), 2);
    EXPECT_NE(e.message().find("already used by a.txt"), std::string::npos) << e.what();
  }
  EXPECT_FALSE(QFile::exists(dir.filePath("dup.db")));
}

TEST_F(BankgenSource, FailedWriteKeepsTheOldFileAndLeavesNoTemporaryFile) {
  const std::string out = Path("keep.db");
  WriteFileBytes(QString::fromStdString(out), "old bank");
  EXPECT_THROW(bankgen::WriteBank({ParsePaper("a.txt", kGoodPaper)}, "CREATE TABLE broken(", out),
               bankgen::BankError);
  EXPECT_EQ(ReadFileBytes(QString::fromStdString(out)), "old bank");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.db"});
}

class BankgenCommand : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  int Run(const QStringList& args, QString* err = nullptr) {
    QProcess p;
    p.start(BANKGEN_EXE, args);
    EXPECT_TRUE(p.waitForFinished(30000));
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }
};

TEST_F(BankgenCommand, WritesTheBankAndReportsBadInputWithFileAndLine) {
  const QString good = dir.filePath("good.txt");
  const QString bad = dir.filePath("bad.txt");
  const QString out = dir.filePath("bank.db");
  WriteFileBytes(good, kGoodPaper);
  WriteFileBytes(bad, "@paper Other\n@section S\n@points 1\n@question 1 choice\n@answer Z\n");

  EXPECT_EQ(Run({"-o", out, good}), 0);
  ExpectWellFormedBank(out.toStdString(), "command line");
  const QByteArray before = ReadFileBytes(out);

  // A bad source fails the whole run: the earlier bank stays as it was.
  QString err;
  EXPECT_EQ(Run({"-o", out, good, bad}, &err), 1);
  EXPECT_TRUE(err.contains(bad + ":5: the answer of a choice question must be one letter A-D")) << err.toStdString();
  EXPECT_EQ(ReadFileBytes(out), before);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3);

  // Usage errors and a missing source.
  EXPECT_EQ(Run({good}, &err), 2);
  EXPECT_TRUE(err.contains("-o OUT")) << err.toStdString();
  EXPECT_EQ(Run({"-o", out, dir.filePath("missing.txt")}, &err), 1);
  EXPECT_TRUE(err.contains("missing.txt:0: cannot read the file")) << err.toStdString();
  EXPECT_EQ(Run({"--schema", dir.filePath("none.sql"), "-o", out, good}, &err), 1);
  EXPECT_TRUE(err.contains("cannot read the schema")) << err.toStdString();
}

}  // namespace

namespace {

// The build step that puts ength.dll beside the program.
TEST(BankBuildStep, WritesTheBankOnlyWhenThereIsNone) {
  QTemporaryDir dir;
  const QString out = dir.filePath("bin/ength.dll");
  const QString papers = QStringLiteral(TOLMSYS_SOURCE_DIR "/content/papers");
  auto run = [&] {
    QProcess p;
    p.start(CMAKE_EXE, {"-DBANKGEN=" BANKGEN_EXE, "-DOUT=" + out, "-DPAPERS_DIR=" + papers, "-P",
                        WRITE_BANK_SCRIPT});
    EXPECT_TRUE(p.waitForFinished(60000));
    return p.exitCode();
  };

  // No bank yet: it is made from the sources, one paper per file.
  ASSERT_EQ(run(), 0);
  ExpectWellFormedBank(out.toStdString(), "built bank");
  const auto sources = QDir(papers).entryList({"*.txt"}, QDir::Files);
  EXPECT_EQ(ReadPapers(BankFile(out.toStdString())).size(), static_cast<size_t>(sources.size()));

  // A bank is there (the user's, whatever it holds): it stays untouched.
  WriteFileBytes(out, "the user's own bank");
  ASSERT_EQ(run(), 0);
  EXPECT_EQ(ReadFileBytes(out), "the user's own bank");
}

}  // namespace
