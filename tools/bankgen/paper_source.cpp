#include "tools/bankgen/paper_source.h"

#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "tools/bankgen/rtf_text.h"

namespace bankgen {

SourceError::SourceError(const std::string& file, int line, const std::string& message)
    : std::runtime_error(file + ":" + std::to_string(line) + ": " + message),
      m_file(file), m_line(line), m_message(message) {}

const char* KindName(NodeKind kind) {
  switch (kind) {
    case NodeKind::Paper: return kKindPaper;
    case NodeKind::Section: return kKindSection;
    case NodeKind::Group: return kKindGroup;
    case NodeKind::Question: return kKindQuestion;
  }
  return "";
}

int Paper::QuestionCount() const {
  int n = 0;
  for (const Node& node : nodes) n += node.kind == NodeKind::Question;
  return n;
}

namespace {

enum class Format { Plain, Rtf };

// A multi-line text as written in the source, before rendering.
struct Block {
  Format format = Format::Plain;
  int firstLine = 0;  // source line of the first text line
  std::vector<std::string> lines;
};

// What the parser gathers for the node it is reading.
struct Pending {
  int index = -1;                      // in Paper::nodes
  std::optional<Block> text;
  std::optional<Block> explanation;
  std::optional<std::string> answer;
  std::optional<int> points;
  std::vector<std::string> options;    // "A. ..." lines as written
  std::vector<int> optionLines;
  bool captionSet = false;
  int childCount = 0;                  // for sections and groups
};

std::string Trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return std::string(s.substr(b, e - b));
}

std::string RightTrim(std::string_view s) {
  size_t e = s.size();
  while (e > 0 && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(0, e));
}

class Parser {
 public:
  Parser(const std::string& file, std::string_view content) : m_file(file) {
    size_t pos = 0;
    while (pos <= content.size()) {
      const size_t nl = content.find('\n', pos);
      if (nl == std::string_view::npos) {
        if (pos < content.size()) m_lines.push_back(RightTrim(content.substr(pos)));
        break;
      }
      m_lines.push_back(RightTrim(content.substr(pos, nl - pos)));
      pos = nl + 1;
    }
  }

  Paper Run() {
    m_paper.file = m_file;
    for (m_at = 0; m_at < static_cast<int>(m_lines.size()); ++m_at) {
      const std::string& raw = m_lines[m_at];
      const std::string line = Trim(raw);
      if (line.empty() || line[0] == '#') continue;
      if (line[0] != '@') {
        Option(line);
        continue;
      }
      const size_t space = line.find_first_of(" \t");
      const std::string directive = line.substr(0, space);
      const std::string arg = space == std::string::npos ? "" : Trim(line.substr(space));
      Directive(directive, arg);
    }
    if (m_paper.nodes.empty()) Fail(1, "no @paper in this file");
    Finish();
    if (m_section < 0) Fail(m_paper.line, "paper '" + m_paper.name + "' has no @section");
    CheckHasChildren();
    return std::move(m_paper);
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& message) const {
    throw SourceError(m_file, line, message);
  }
  [[noreturn]] void Fail(const std::string& message) const { Fail(m_at + 1, message); }

  Node& Current() { return m_paper.nodes[m_pending.index]; }

  void Directive(const std::string& d, const std::string& arg) {
    static const std::set<std::string> known = {"@paper", "@section", "@group", "@endgroup", "@question",
                                                "@end", "@caption", "@points", "@answer", "@text", "@explain"};
    if (!known.count(d)) Fail("unknown directive " + d);
    if (d == "@paper") return OpenPaper(arg);
    if (d == "@section") return OpenSection(arg);
    if (d == "@group") return OpenGroup(arg);
    if (d == "@endgroup") return EndGroup(arg);
    if (d == "@question") return OpenQuestion(arg);
    if (d == "@end") Fail("@end without an open text block");
    if (m_paper.nodes.empty()) Fail(d + " before @paper");
    if (m_pending.index < 0) Fail(d + " after @endgroup belongs to no node");
    if (d == "@caption") return SetCaption(arg);
    if (d == "@points") return SetPoints(arg);
    if (d == "@answer") return SetAnswer(arg);
    if (d == "@text") return ReadBlock(m_pending.text, "@text", arg);
    if (d == "@explain") {
      if (Current().kind != NodeKind::Question) Fail("@explain belongs to a question");
      return ReadBlock(m_pending.explanation, "@explain", arg);
    }
  }

  // Captions, numbers and answers are shown by the program, which works in
  // code page 936: refuse what it could not show.
  void CheckCodePage(const std::string& text) {
    try {
      Utf8ToGbk(text);
    } catch (const TextError& e) {
      Fail(e.what());
    }
  }

  void NeedArg(const std::string& d, const std::string& arg) {
    if (arg.empty()) Fail(d + " needs a caption");
    CheckCodePage(arg);
  }

  int AddNode(NodeKind kind, int parent, const std::string& caption) {
    Node node;
    node.kind = kind;
    node.line = m_at + 1;
    node.parent = parent;
    node.caption = caption;
    m_paper.nodes.push_back(std::move(node));
    m_pending = Pending();
    m_pending.index = static_cast<int>(m_paper.nodes.size()) - 1;
    if (parent >= 0) ++m_childCount[parent];
    return m_pending.index;
  }

  void OpenPaper(const std::string& arg) {
    if (!m_paper.nodes.empty()) Fail("a second @paper in one file (one paper per file)");
    NeedArg("@paper", arg);
    m_paper.name = arg;
    m_paper.line = m_at + 1;
    AddNode(NodeKind::Paper, -1, arg);
  }

  void OpenSection(const std::string& arg) {
    if (m_paper.nodes.empty()) Fail("@section before @paper");
    NeedArg("@section", arg);
    Finish();
    CheckHasChildren();
    m_sectionPoints.reset();
    m_section = AddNode(NodeKind::Section, 0, arg);
    m_group = -1;
  }

  void OpenGroup(const std::string& arg) {
    if (m_section < 0) Fail("@group outside a section");
    NeedArg("@group", arg);
    Finish();
    if (m_group >= 0) CheckEmpty(m_group);
    m_group = AddNode(NodeKind::Group, m_section, arg);
  }

  void EndGroup(const std::string& arg) {
    if (!arg.empty()) Fail("@endgroup takes no argument");
    if (m_group < 0) Fail("@endgroup without an open @group");
    Finish();
    CheckEmpty(m_group);
    m_group = -1;
    m_pending = Pending();
  }

  void OpenQuestion(const std::string& arg) {
    if (m_paper.nodes.empty()) Fail("@question before @paper");
    if (m_section < 0) Fail("question outside a section");
    std::istringstream in(arg);
    std::string label, kind, extra;
    in >> label >> kind >> extra;
    if (label.empty() || kind.empty() || !extra.empty())
      Fail("@question needs a number and a kind: @question 12 choice, or @question 12 free");
    CheckCodePage(label);
    if (kind != "choice" && kind != "free")
      Fail("question kind must be choice or free, not '" + kind + "'");
    if (auto it = m_labels.find(label); it != m_labels.end())
      Fail("duplicate question number " + label + " (first used at line " + std::to_string(it->second) + ")");
    Finish();
    m_labels[label] = m_at + 1;
    const int index = AddNode(NodeKind::Question, m_group >= 0 ? m_group : m_section,
                              "第 " + label + " 题");
    Node& q = m_paper.nodes[index];
    q.label = label;
    q.typeShow = kind == "choice" ? kTypeChoice : kTypeFree;
  }

  void SetCaption(const std::string& arg) {
    NeedArg("@caption", arg);
    if (Current().kind == NodeKind::Paper) Fail("the paper's caption is its name (@paper NAME)");
    if (m_pending.captionSet) Fail("@caption given twice");
    m_pending.captionSet = true;
    Current().caption = arg;
  }

  void SetPoints(const std::string& arg) {
    const NodeKind kind = Current().kind;
    if (kind != NodeKind::Question && kind != NodeKind::Section)
      Fail("@points belongs to a question or a section");
    if (m_pending.points) Fail("@points given twice");
    if (arg.empty() || arg.size() > 4 || arg.find_first_not_of("0123456789") != std::string::npos)
      Fail("points must be a whole number from 0 to 9999, not '" + arg + "'");
    m_pending.points = std::stoi(arg);
    if (kind == NodeKind::Section) m_sectionPoints = m_pending.points;
  }

  void SetAnswer(const std::string& arg) {
    if (Current().kind != NodeKind::Question) Fail("@answer outside a question");
    if (m_pending.answer) Fail("@answer given twice");
    if (Current().typeShow == kTypeChoice) {
      if (arg.size() != 1 || arg[0] < 'A' || arg[0] > 'D')
        Fail("the answer of a choice question must be one letter A-D, not '" + arg + "'");
      m_pending.answer = arg;
      return;
    }
    if (!arg.empty()) {
      CheckCodePage(arg);
      m_pending.answer = arg;
      return;
    }
    // A model answer over several lines: a plain block up to @end.
    std::optional<Block> block;
    ReadBlock(block, "@answer", "");
    for (size_t n = 0; n < block->lines.size(); ++n) {
      try {
        Utf8ToGbk(block->lines[n]);
      } catch (const TextError& e) {
        Fail(block->firstLine + static_cast<int>(n), e.what());
      }
    }
    m_pending.answer = RenderPlain(block->lines, {});
  }

  void Option(const std::string& line) {
    if (m_pending.index < 0 || Current().kind != NodeKind::Question)
      Fail("unexpected text outside a text block: '" + line + "'");
    if (Current().typeShow != kTypeChoice) Fail("options belong to choice questions only");
    const char expected = static_cast<char>('A' + m_pending.options.size());
    if (line.size() < 2 || line[0] < 'A' || line[0] > 'Z' || line[1] != '.')
      Fail("unexpected text in a question (options are written \"A. text\"): '" + line + "'");
    if (m_pending.options.size() >= 4) Fail("more than four options (A-D)");
    if (line[0] != expected)
      Fail(std::string("option ") + expected + " expected here, not " + line[0]);
    const std::string text = Trim(line.substr(2));
    if (text.empty()) Fail(std::string("option ") + expected + " is empty");
    m_pending.options.push_back(std::string(1, expected) + ". " + text);
    m_pending.optionLines.push_back(m_at + 1);
  }

  void ReadBlock(std::optional<Block>& slot, const std::string& directive, const std::string& arg) {
    if (m_pending.index < 0) Fail(directive + " outside a node");
    if (slot) Fail(directive + " given twice");
    Block block;
    if (arg == "rtf") block.format = Format::Rtf;
    else if (!arg.empty()) Fail(directive + " takes no argument or 'rtf', not '" + arg + "'");
    const int start = m_at + 1;
    bool closed = false;
    for (++m_at; m_at < static_cast<int>(m_lines.size()); ++m_at) {
      const std::string& l = m_lines[m_at];
      if (Trim(l) == "@end") { closed = true; break; }
      // "@@" at the start of a text line stands for a literal "@".
      std::string text = l.rfind("@@", 0) == 0 ? l.substr(1) : l;
      if (block.lines.empty()) {
        if (Trim(text).empty()) continue;
        block.firstLine = m_at + 1;
      }
      block.lines.push_back(text);
    }
    if (!closed) Fail(start, directive + " block is not closed with @end");
    while (!block.lines.empty() && Trim(block.lines.back()).empty()) block.lines.pop_back();
    if (block.lines.empty()) Fail(start, directive + " block is empty");
    if (block.format == Format::Plain && block.lines.front().rfind("{\\rtf", 0) == 0)
      Fail(block.firstLine, "plain text must not start with {\\rtf (write @text rtf and only the body)");
    slot = std::move(block);
  }

  std::string Render(const Block& block, const std::vector<std::string>& options,
                     const std::vector<int>& optionLines) {
    try {
      if (block.format == Format::Rtf) return RenderRtf(block.lines, options);
      // Plain text is stored as UTF-8; it must still be representable in the
      // program's code page.
      for (size_t n = 0; n < block.lines.size(); ++n) {
        try {
          Utf8ToGbk(block.lines[n]);
        } catch (const TextError& e) {
          throw TextError(static_cast<int>(n), e.what());
        }
      }
      for (size_t n = 0; n < options.size(); ++n) {
        try {
          Utf8ToGbk(options[n]);
        } catch (const TextError& e) {
          throw TextError(static_cast<int>(block.lines.size() + n), e.what());
        }
      }
      return RenderPlain(block.lines, options);
    } catch (const TextError& e) {
      const size_t off = static_cast<size_t>(e.lineOffset);
      const int line = off < block.lines.size() ? block.firstLine + e.lineOffset
                                                : optionLines[off - block.lines.size()];
      Fail(line, e.what());
    }
  }

  // Completes the node being read: checks it and renders its texts.
  void Finish() {
    if (m_pending.index < 0) return;
    Node& node = Current();
    const int line = node.line;
    if (node.kind == NodeKind::Question) {
      const std::string q = "question " + node.label;
      if (!m_pending.text) Fail(line, q + " has no @text");
      if (!m_pending.answer) Fail(line, q + " has no @answer");
      if (node.typeShow == kTypeChoice) {
        if (m_pending.options.size() != 4)
          Fail(line, q + " has " + std::to_string(m_pending.options.size()) +
                         " options; a choice question has four (A-D)");
        if (!m_pending.explanation) Fail(line, q + " has no @explain");
      }
      const std::optional<int> points = m_pending.points ? m_pending.points : m_sectionPoints;
      if (!points) Fail(line, q + " has no points (@points in the question or its section)");
      node.points = *points;
      node.answer = *m_pending.answer;
    }
    if (m_pending.text) node.text = Render(*m_pending.text, m_pending.options, m_pending.optionLines);
    if (m_pending.explanation) {
      node.explanation = Render(*m_pending.explanation, {}, {});
      node.hasExplanation = true;
    }
    m_pending = Pending();
  }

  void CheckEmpty(int index) {
    const Node& n = m_paper.nodes[index];
    if (m_childCount[index] == 0)
      Fail(n.line, std::string(n.kind == NodeKind::Group ? "@group" : "@section") + " '" +
                       n.caption + "' has no questions");
  }

  // Called when a section ends: it and its open group need questions.
  void CheckHasChildren() {
    if (m_group >= 0) CheckEmpty(m_group);
    if (m_section >= 0) CheckEmpty(m_section);
  }

  std::string m_file;
  std::vector<std::string> m_lines;
  int m_at = 0;
  Paper m_paper;
  Pending m_pending;
  int m_section = -1;
  int m_group = -1;
  std::optional<int> m_sectionPoints;
  std::map<std::string, int> m_labels;
  std::map<int, int> m_childCount;
};

}  // namespace

Paper ParsePaper(const std::string& file, std::string_view content) {
  return Parser(file, content).Run();
}

Paper LoadPaper(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SourceError(path, 0, "cannot read the file");
  std::ostringstream buf;
  buf << in.rdbuf();
  std::string content = buf.str();
  if (content.rfind("\xEF\xBB\xBF", 0) == 0) content.erase(0, 3);
  return ParsePaper(path, content);
}

}  // namespace bankgen
