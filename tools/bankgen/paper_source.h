#pragma once
// Reading one paper from its text source (the format is described in
// content/README.md). The result holds every node of the paper in reading
// order with its texts already rendered as they are stored in the bank.

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bankgen {

// Bad input: the message names the file and the line ("file:line: text").
class SourceError : public std::runtime_error {
 public:
  SourceError(const std::string& file, int line, const std::string& message);
  const std::string& file() const { return m_file; }
  int line() const { return m_line; }
  const std::string& message() const { return m_message; }

 private:
  std::string m_file;
  int m_line;
  std::string m_message;
};

// Node kinds as the bank stores them (subject_kind).
inline constexpr const char kKindPaper[] = "考卷";
inline constexpr const char kKindSection[] = "题型";
inline constexpr const char kKindGroup[] = "子题";
inline constexpr const char kKindQuestion[] = "题目";

enum class NodeKind { Paper, Section, Group, Question };

// Answer forms (type_show).
inline constexpr int kTypeChoice = 1;
inline constexpr int kTypeFree = 2;

struct Node {
  NodeKind kind = NodeKind::Paper;
  int line = 0;            // line of the directive that opened the node
  int parent = -1;         // index of the parent in Paper::nodes; -1 for the paper
  std::string caption;     // titlename
  std::string label;       // title_name (questions only)
  std::string text;        // subjext_text, rendered (plain or a whole RTF document)
  std::string explanation; // subject_reso, rendered
  bool hasExplanation = false;
  int typeShow = 0;        // kTypeChoice / kTypeFree for questions, 0 otherwise
  std::string answer;      // subject_ansi
  int points = 0;          // perpoint (questions only)
};

struct Paper {
  std::string file;
  int line = 0;               // line of @paper
  std::string name;           // t_title.title_name
  std::vector<Node> nodes;    // nodes[0] is the paper node; reading order

  int QuestionCount() const;
};

const char* KindName(NodeKind kind);

// Parses `content`; `file` is used in error messages only.
Paper ParsePaper(const std::string& file, std::string_view content);
// Reads and parses a file; an unreadable file is a SourceError at line 0.
Paper LoadPaper(const std::string& path);

}  // namespace bankgen
