#include "platform/rich_edit.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <QTextEdit>

#include "platform/exceptions.h"
#include "platform/rtf_reader.h"
#include "platform/stream.h"
#include "platform/strutils.h"

QString DecodePlainText(const QByteArray& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(bytes);
  if (!utf8.hasError()) return text;
  return AnsiToString(bytes);
}

TCustomRichEdit::TCustomRichEdit(QWidget* parent) : TCustomMemo(parent, true) {}

bool TCustomRichEdit::LoadRich(const QByteArray& bytes) {
  if (m_plainText) return false;
  const std::optional<TRtfDocument> doc = ReadRtf(bytes);
  if (!doc) return false;
  bool longRuns = false;
  for (const TRtfParagraph& p : doc->Paragraphs) longRuns = longRuns || HasLongUnbreakableRun(p.Text);
  WrapForText(Document(), longRuns);
  BuildTextDocument(*doc, Document());
  MoveToStart();
  return true;
}

void TCustomRichEdit::LoadPlain(const QString& text) {
  WrapForText(Document(), HasLongUnbreakableRun(text));
  Document()->setPlainText(text);
  MoveToStart();
}

void TCustomRichEdit::SetText(const QString& text) {
  // Text is handed over as the host's ANSI text; rich text is mostly ASCII.
  if (text.startsWith(QLatin1String("{\\rtf")) && LoadRich(StringToAnsi(text))) return;
  LoadPlain(text);
}

void TCustomRichEdit::LoadFromStream(TMemoryStream& stream) {
  const qint64 start = stream.Position();
  if (LoadRich(stream.ReadAll())) return;
  stream.SetPosition(start);
  const QByteArray bytes = stream.ReadAll();
  if (bytes.contains('\0')) throw Exception(QStringLiteral("Failed to Load Stream"));
  LoadPlain(DecodePlainText(bytes));
}
