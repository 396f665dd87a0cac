// bankgen: builds a question bank from paper sources.
//   bankgen [--schema FILE] -o OUT PAPER...

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/bankgen/bank_writer.h"
#include "tools/bankgen/paper_source.h"

namespace {

const char kUsage[] =
    "usage: bankgen [--schema FILE] -o OUT PAPER...\n"
    "Builds the question bank OUT (an SQLite file) from the paper sources, in the\n"
    "order given. --schema runs FILE instead of the schema bankgen was built with.\n";

int Usage(const char* problem) {
  if (problem) std::fprintf(stderr, "bankgen: %s\n", problem);
  std::fputs(kUsage, problem ? stderr : stdout);
  return problem ? 2 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, schemaPath;
  std::vector<std::string> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "-h" || a == "--help") return Usage(nullptr);
    if (a == "-o" || a == "--schema") {
      if (i + 1 >= argc) return Usage((a + " needs a file name").c_str());
      (a == "-o" ? out : schemaPath) = argv[++i];
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage(("unknown option " + a).c_str());
    } else {
      inputs.push_back(a);
    }
  }
  if (out.empty()) return Usage("no output file (-o OUT)");
  if (inputs.empty()) return Usage("no paper sources");

  try {
    std::string schema = bankgen::EmbeddedSchema();
    if (!schemaPath.empty()) {
      std::ifstream in(schemaPath, std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "bankgen: cannot read the schema %s\n", schemaPath.c_str());
        return 1;
      }
      std::ostringstream buf;
      buf << in.rdbuf();
      schema = buf.str();
    }
    std::vector<bankgen::Paper> papers;
    int questions = 0;
    for (const std::string& path : inputs) {
      papers.push_back(bankgen::LoadPaper(path));
      questions += papers.back().QuestionCount();
    }
    bankgen::WriteBank(papers, schema, out);
    std::printf("bankgen: wrote %s (%zu papers, %d questions)\n", out.c_str(), papers.size(), questions);
    return 0;
  } catch (const bankgen::SourceError& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bankgen: %s\n", e.what());
  }
  return 1;
}
