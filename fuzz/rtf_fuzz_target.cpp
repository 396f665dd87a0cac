#include "fuzz/rtf_fuzz_target.h"

#include <QByteArray>
#include <cstdlib>

#include "platform/rtf_reader.h"

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

// The document's runs tile each paragraph and the text is their sum.
void CheckDocument(const TRtfDocument& doc) {
  Check(!doc.Paragraphs.empty());
  qsizetype total = 0;
  for (const TRtfParagraph& p : doc.Paragraphs) {
    int next = 0;
    for (const TRtfRun& r : p.Runs) {
      Check(r.Start == next && r.Length > 0);
      next += r.Length;
      Check(r.Format.SizeHalfPoints > 0);
    }
    Check(next == p.Text.size());
    total += p.Text.size() + 1;
  }
  const QString text = doc.Text();
  Check(text.size() == total - 1);
  if (!text.isEmpty()) {
    Check(doc.ParaFormatAt(0) != nullptr);
    Check(doc.ParaFormatAt(int(text.size())) != nullptr);
    Check(doc.ParaFormatAt(int(text.size()) + 1) == nullptr);
  }
}

void ReadAndCheck(const QByteArray& bytes) {
  const std::optional<TRtfDocument> doc = ReadRtf(bytes);
  Check(!doc || LooksLikeRtf(bytes));
  if (doc) CheckDocument(*doc);
}
}  // namespace

int FuzzRtf(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  ReadAndCheck(bytes);
  // Most mutants lose the header; read them as a document body too.
  if (!LooksLikeRtf(bytes)) ReadAndCheck("{\\rtf1\\ansi\\ansicpg936 " + bytes + "}");
  return 0;
}
