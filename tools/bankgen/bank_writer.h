#pragma once
// Writing papers into a new bank file.

#include <stdexcept>
#include <string>
#include <vector>

#include "tools/bankgen/paper_source.h"

namespace bankgen {

class BankError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The schema bankgen was built with (content/bank_schema.sql).
const char* EmbeddedSchema();

// Writes a bank of `papers` (title_id 1, 2, ... in the given order) to
// `outPath`, replacing any file there. The bank is built in a temporary file
// beside `outPath` and renamed into place only when complete, so a failure
// leaves the old file (or no file) and never a partial one.
// Two papers of the same name are refused (SourceError at the second).
void WriteBank(const std::vector<Paper>& papers, const std::string& schemaSql,
               const std::string& outPath);

}  // namespace bankgen
