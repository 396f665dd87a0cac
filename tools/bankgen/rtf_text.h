#pragma once
// Rendering of the two text forms of a node: plain text, and RTF whose body
// the author writes (control words such as \b, \i, \cf1) while bankgen adds
// the document header and writes every non-ASCII character as \'hh escapes
// in code page 936, the code page the document declares.

#include <stdexcept>
#include <string>
#include <vector>

namespace bankgen {

// A problem in one source line of a text; `lineOffset` counts from the
// first line of the text (0-based).
class TextError : public std::runtime_error {
 public:
  TextError(int lineOffset, const std::string& message)
      : std::runtime_error(message), lineOffset(lineOffset) {}
  int lineOffset;
};

// The colours \cf1 .. \cf3 of every RTF text: dark red, blue, dark green.
inline constexpr int kRtfColourCount = 3;

// Bytes of `utf8` in code page 936 (GBK). Throws TextError(0, ...) for a
// character that has no code there or for invalid UTF-8.
std::string Utf8ToGbk(const std::string& utf8);

// Plain text: the lines joined with "\n", then one line per option.
std::string RenderPlain(const std::vector<std::string>& lines,
                        const std::vector<std::string>& options);

// A whole RTF document: header with \ansicpg936, font and colour tables,
// then each body line as one paragraph, then one paragraph per option
// (options are plain text and are escaped). Checks that braces balance.
// A TextError on option n carries the offset lines.size() + n.
std::string RenderRtf(const std::vector<std::string>& lines,
                      const std::vector<std::string>& options);

}  // namespace bankgen
