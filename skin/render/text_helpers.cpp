#include "skin/render/text_helpers.h"

#include <QFontMetrics>
#include <QHash>
#include <QPainter>
#include <QStaticText>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QTextOption>
#include <functional>

#include "skin/render/compose.h"

int DrawTextWide(TCanvas* canvas, const QString& text, TRect& rect, unsigned flags) {
  if (!canvas) return 0;
  return canvas->DrawText(text, rect, flags);
}

int TextWidthWide(TCanvas* canvas, const QString& text) {
  TRect r;
  DrawTextWide(canvas, text, r, DT_CALCRECT);
  return r.Width();
}

int TextHeightWide(TCanvas* canvas, const QString& text) {
  TRect r;
  DrawTextWide(canvas, text, r, DT_CALCRECT);
  return r.Height();
}

namespace {
// The text without its last character (grapheme cluster).
QString DropLastCharacter(const QString& text) {
  QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
  finder.toEnd();
  const qsizetype previous = finder.toPreviousBoundary();
  return text.left(previous < 0 ? 0 : previous);
}
}  // namespace

namespace {
struct LaidLine {
  QStaticText text;
  int width = 0, height = 0;
  // Where the layout puts the baseline below its top, against where TextOut
  // puts it (the primary font's ascent): they differ when a fallback font
  // (Chinese in a Latin font) raises the line.
  qreal baselineShift = 0;
};

const LaidLine& LayOutLine(const QString& text, const QFont& font) {
  static QHash<QString, LaidLine> cache;
  const QString key = text + QChar(0) + font.key();
  if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
  if (cache.size() >= 512) cache.clear();
  const QFontMetrics fm(font);
  LaidLine laid;
  laid.width = fm.horizontalAdvance(text);
  laid.height = fm.height();
  laid.text.setText(text);
  laid.text.setTextFormat(Qt::PlainText);
  laid.text.setPerformanceHint(QStaticText::AggressiveCaching);
  laid.text.prepare(QTransform(), font);
  QTextLayout probe(text, font);
  probe.beginLayout();
  const QTextLine line = probe.createLine();
  probe.endLayout();
  if (line.isValid()) laid.baselineShift = fm.ascent() - line.ascent();
  return *cache.insert(key, std::move(laid));
}
}  // namespace

int LaidTextWidth(TCanvas* canvas, const QString& text) {
  if (!canvas || text.isEmpty()) return 0;
  return LayOutLine(text, canvas->Font.ToQFont()).width;
}

void DrawLaidText(TCanvas* canvas, int x, int y, const QString& text, const TRect& clip) {
  QPainter* p = canvas ? canvas->Painter() : nullptr;
  if (!p || text.isEmpty()) return;
  const QFont font = canvas->Font.ToQFont();
  const LaidLine& laid = LayOutLine(text, font);
  p->save();
  p->setClipRect(clip.toQRect(), Qt::IntersectClip);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (canvas->Brush.Style != bsClear)
    p->fillRect(QRect(x, y, laid.width, laid.height), ToQColor(canvas->Brush.Color));
  p->setFont(font);
  p->setPen(ToQColor(canvas->Font.Color()));
  p->drawStaticText(QPointF(x, y + laid.baselineShift), laid.text);
  p->restore();
}

void EllipsizeTextWide(TCanvas* canvas, QString& text, int width) {
  if (!canvas || canvas->TextWidth(text) <= width) return;
  const QString dots = QStringLiteral("...");
  while (!text.isEmpty()) {
    text = DropLastCharacter(text);
    if (canvas->TextWidth(text + dots) <= width) break;
  }
  text += dots;
}

void EllipsizeText(TCanvas* canvas, QString& text, int width) {
  EllipsizeTextWide(canvas, text, width);
}

void DrawTextSingleLine(TCanvas* canvas, const QString& text, const TRect& rect) {
  if (!canvas || text.isEmpty()) return;
  TRect r = rect;
  DrawTextWide(canvas, text, r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
}

void DrawTextVCentredIndent(TCanvas* canvas, const QString& text, const TRect& rect, int indent) {
  if (!canvas) return;
  const int th = TextHeightWide(canvas, text);
  canvas->TextRect(rect, rect.Left + indent + 2, rect.Top + rect.Height() / 2 - th / 2, text);
}

void DrawTextVCentred(TCanvas* canvas, const QString& text, const TRect& rect) {
  DrawTextVCentredIndent(canvas, text, rect, 0);
}

TsfGlyphTextPlace LayoutGlyphAndText(TsfButtonLayout layout, const TRect& face, int gw, int gh,
                                     int tw, int th, int margin, int spacing) {
  if (gw <= 0 || gh <= 0) gw = gh = 0;
  const int s = gw == 0 ? 0 : spacing;
  const int cx = face.Left + face.Width() / 2, cy = face.Top + face.Height() / 2;
  const int hw = (gw + tw + s) / 2, hh = (th + gh + s) / 2;
  TsfGlyphTextPlace p;
  const bool across = layout == blGlyphTop || layout == blGlyphBottom;
  // Centred across the run.
  if (across) {
    p.Glyph.X = cx - gw / 2;
    p.Text.X = cx - tw / 2;
  } else {
    p.Glyph.Y = cy - gh / 2;
    p.Text.Y = cy - th / 2;
  }
  if (margin != -1) {
    switch (layout) {
      case blGlyphLeft:
        p.Glyph.X = face.Left + margin;
        p.Text.X = face.Left + margin + gw + s;
        break;
      case blGlyphRight:
        p.Glyph.X = face.Right - gw - margin;
        p.Text.X = p.Glyph.X - s - tw;
        break;
      case blGlyphTop:
        p.Glyph.Y = face.Top + margin;
        p.Text.Y = p.Glyph.Y + gh + s;
        break;
      case blGlyphBottom:
        p.Glyph.Y = face.Bottom - gh - margin;
        p.Text.Y = p.Glyph.Y - s - th;
        break;
    }
  } else {
    switch (layout) {
      case blGlyphLeft:
        p.Glyph.X = cx - hw;
        p.Text.X = cx + hw - tw;
        break;
      case blGlyphRight:
        p.Text.X = cx - hw;
        p.Glyph.X = cx + hw - gw;
        break;
      case blGlyphTop:
        p.Glyph.Y = cy - hh;
        p.Text.Y = cy + hh - th;
        break;
      case blGlyphBottom:
        p.Text.Y = cy - hh;
        p.Glyph.Y = cy + hh - gh;
        break;
    }
  }
  return p;
}

namespace {
void FillPixels(TCanvas* canvas, const TRect& r, TColor colour) {
  QPainter* p = canvas->Painter();
  if (!p || r.IsEmpty()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(r.toQRect(), ToQColor(colour));
}

// A caption laid out once for its text, font and box: its measured size and
// the prepared text, drawn again from the layout at every later paint.
struct LaidCaption {
  QStaticText text;
  int width = 0, height = 0;
};

// The caption as shown: "&x" marks an access key, "&&" is a literal "&".
QString WithoutAccelMarks(const QString& caption) {
  QString shown;
  shown.reserve(caption.size());
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    shown += caption[i];
  }
  return shown;
}

const LaidCaption& LayOutCaption(const QString& caption, const QFont& font, int boxWidth,
                                 int boxHeight) {
  // Keyed by text, font and box; small and dropped whole when full, since a
  // window shows a few dozen captions at most.
  static QHash<QString, LaidCaption> cache;
  const QString key = caption + QChar(0) + font.key() + QChar(0) + QString::number(boxWidth) +
                      QChar(0) + QString::number(boxHeight);
  if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;
  if (cache.size() >= 512) cache.clear();
  const QString shown = WithoutAccelMarks(caption);
  const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;
  const QRect bound =
      QFontMetrics(font).boundingRect(QRect(0, 0, boxWidth, boxHeight), flags, shown);
  LaidCaption laid;
  laid.width = bound.width();
  laid.height = bound.height();
  // Lines centred in the caption's own width plus the two pixels of slack the
  // drawing rect gives it, broken at the same width the measuring used.
  // Centred text expands no tabs: a tab shows as a space.
  QString lines = shown;
  lines.replace(QLatin1Char('\t'), QLatin1Char(' '));
  lines.replace(QLatin1Char('\n'), QChar::LineSeparator);
  laid.text.setText(lines);
  laid.text.setTextFormat(Qt::PlainText);
  QTextOption option(Qt::AlignHCenter | Qt::AlignTop);
  option.setWrapMode(QTextOption::WordWrap);
  laid.text.setTextOption(option);
  laid.text.setTextWidth(laid.width + 2);
  laid.text.setPerformanceHint(QStaticText::AggressiveCaching);
  laid.text.prepare(QTransform(), font);
  return *cache.insert(key, std::move(laid));
}

void DrawGlyphAndText(TCanvas* canvas, const TRect& face, int margin, TColor markerColor,
                      bool marker, bool pressed, int gw, int gh, const QString& caption,
                      TsfButtonLayout layout, int spacing,
                      const std::function<void(int, int)>& drawGlyph) {
  if (gw <= 0 || gh <= 0) gw = gh = 0;
  int tw = 0, th = 0;
  const QFont font = canvas->Font.ToQFont();
  const LaidCaption* laid = nullptr;
  if (!caption.isEmpty()) {
    const bool sideways = layout == blGlyphLeft || layout == blGlyphRight;
    laid = &LayOutCaption(caption, font, face.Width() - (sideways ? gw : 0),
                          face.Height() - (sideways ? 0 : gh));
    tw = laid->width;
    th = laid->height;
  }
  canvas->Brush.Style = bsClear;
  TsfGlyphTextPlace at = LayoutGlyphAndText(layout, face, gw, gh, tw, th, margin, spacing);
  if (pressed) {
    at.Glyph = TPoint(at.Glyph.X + 1, at.Glyph.Y + 1);
    at.Text = TPoint(at.Text.X + 1, at.Text.Y + 1);
  }
  if (laid) {
    if (QPainter* p = canvas->Painter()) {
      p->save();
      p->setClipRect(QRect(at.Text.X, at.Text.Y, tw + 2, th), Qt::IntersectClip);
      p->setCompositionMode(QPainter::CompositionMode_SourceOver);
      p->setFont(font);
      p->setPen(ToQColor(canvas->Font.Color()));
      p->drawStaticText(at.Text.X, at.Text.Y, laid->text);
      p->restore();
    }
  }
  if (gw > 0) drawGlyph(at.Glyph.X, at.Glyph.Y);
  if (!marker) return;
  // Three one-pixel rows under the glyph, else under the caption, else a bar.
  if (gw > 0) {
    FillPixels(canvas, TRect(at.Glyph.X, at.Glyph.Y + gh, at.Glyph.X + gw, at.Glyph.Y + gh + 3),
               markerColor);
  } else if (!caption.isEmpty()) {
    FillPixels(canvas, TRect(at.Text.X, at.Text.Y + th, at.Text.X + tw, at.Text.Y + th + 3),
               markerColor);
  } else {
    FillPixels(canvas, TRect(face.Left + 4, face.Top + 4, face.Right - 2, face.Bottom - 4),
               markerColor);
  }
}
}  // namespace

void DrawImageGlyphAndText(TCanvas* canvas, const TRect& face, int margin, TColor markerColor,
                           bool marker, bool enabled, bool pressed, const TCustomImageList* images,
                           int imageIndex, const QString& caption, TsfButtonLayout layout,
                           int spacing) {
  if (!canvas) return;
  const bool hasGlyph = images && imageIndex >= 0 && imageIndex < images->Count();
  DrawGlyphAndText(canvas, face, margin, markerColor, marker, pressed,
                   hasGlyph ? images->Width() : 0, hasGlyph ? images->Height() : 0, caption,
                   layout, spacing, [&](int x, int y) {
                     images->Draw(canvas, x, y, imageIndex, enabled);
                   });
}

void DrawStripGlyphAndText(TCanvas* canvas, const TRect& face, int margin, TColor markerColor,
                           bool marker, bool pressed, int glyphNumber, int glyphCount,
                           const TBitmap& strip, const QString& caption, TsfButtonLayout layout,
                           int spacing) {
  if (!canvas) return;
  const bool hasGlyph = !strip.Empty() && glyphCount > 0;
  DrawGlyphAndText(canvas, face, margin, markerColor, marker, pressed,
                   hasGlyph ? strip.Width() / glyphCount : 0, hasGlyph ? strip.Height() : 0,
                   caption, layout, spacing, [&](int x, int y) {
                     DrawStripGlyph(canvas, x, y, glyphNumber, glyphCount, strip);
                   });
}
