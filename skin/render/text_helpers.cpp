#include "skin/render/text_helpers.h"

#include <QTextBoundaryFinder>
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

void DrawGlyphAndText(TCanvas* canvas, const TRect& face, int margin, TColor markerColor,
                      bool marker, bool pressed, int gw, int gh, const QString& caption,
                      TsfButtonLayout layout, int spacing,
                      const std::function<void(int, int)>& drawGlyph) {
  if (gw <= 0 || gh <= 0) gw = gh = 0;
  int tw = 0, th = 0;
  if (!caption.isEmpty()) {
    const bool sideways = layout == blGlyphLeft || layout == blGlyphRight;
    TRect r(0, 0, face.Width() - (sideways ? gw : 0), face.Height() - (sideways ? 0 : gh));
    DrawTextWide(canvas, caption, r, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    tw = r.Width();
    th = r.Height();
  }
  canvas->Brush.Style = bsClear;
  TsfGlyphTextPlace at = LayoutGlyphAndText(layout, face, gw, gh, tw, th, margin, spacing);
  if (pressed) {
    at.Glyph = TPoint(at.Glyph.X + 1, at.Glyph.Y + 1);
    at.Text = TPoint(at.Text.X + 1, at.Text.Y + 1);
  }
  if (!caption.isEmpty()) {
    TRect r(at.Text.X, at.Text.Y, at.Text.X + tw + 2, at.Text.Y + th);
    DrawTextWide(canvas, caption, r, DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_EXPANDTABS);
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
