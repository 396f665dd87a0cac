#pragma once
// The host's rich edit: a TCustomMemo with a QTextEdit inside that reads rich
// text with our own reader (rtf_reader.h). A stream is read as rich text and,
// when it is not, read again from the same start as plain text; text assigned
// that begins with "{\rtf" is read as rich text, as host rich edits do.

#include "platform/memo.h"

class TMemoryStream;

// Plain text of a stream: UTF-8 when the bytes are valid UTF-8, else the
// system's ANSI code page (GBK).
QString DecodePlainText(const QByteArray& bytes);

class TCustomRichEdit : public TCustomMemo {
  Q_OBJECT
 public:
  explicit TCustomRichEdit(QWidget* parent = nullptr);

  // Streams and text are read as plain text only.
  bool PlainText() const { return m_plainText; }
  void SetPlainText(bool v) { m_plainText = v; }

  void SetText(const QString& text) override;
  // Replaces the whole content with the stream from its position on. Raises
  // "Failed to Load Stream" when the bytes are neither rich text nor text (a
  // NUL byte marks binary data); the content is then left as it was.
  void LoadFromStream(TMemoryStream& stream);

 private:
  // True when the bytes were rich text and are now the content.
  bool LoadRich(const QByteArray& bytes);
  void LoadPlain(const QString& text);

  bool m_plainText = false;
};

class TRichEdit : public TCustomRichEdit {
  Q_OBJECT
 public:
  using TCustomRichEdit::TCustomRichEdit;
};
