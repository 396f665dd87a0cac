#include "skin/menus/popup_effects.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

void TsfPopupFade::Start(int target) {
  Target = std::clamp(target, 0, 255);
  Step = std::max(1, Target / 15);
  Current = 0;
}

bool TsfPopupFade::Tick() {
  Current = std::min(Target, Current + Step);
  return Current >= Target;
}

bool TsfLineMotion::Moving(bool lit, int frames) const {
  if (K != (lit ? 1.0 : 0.0)) return true;
  if (frames > 0) return lit ? Frame < frames : Frame > 0;
  return Frame != 0;
}

bool TsfLineMotion::Tick(bool lit, bool morph, int frames) {
  const double oldK = K;
  const int oldFrame = Frame;
  if (!morph) {
    K = lit ? 1 : 0;
  } else if (lit) {
    K = K + MorphStep >= 1 - 1e-9 ? 1 : K + MorphStep;
  } else {
    K = K - MorphStep <= 1e-9 ? 0 : K - MorphStep;
  }
  if (frames <= 0) Frame = 0;
  else if (lit) Frame = std::min(frames, Frame + 1);
  else if (Frame > 0) --Frame;
  return K != oldK || Frame != oldFrame;
}

TRect AnimationSlice(const TRect& strip, int lineHeight, int count, int frame) {
  if (strip.IsEmpty() || count <= 0 || frame < 1 || frame > count) return TRect();
  if (strip.Height() > lineHeight) {
    const int h = strip.Height() / count;
    return TRect(strip.Left, strip.Top + (frame - 1) * h, strip.Right, strip.Top + frame * h);
  }
  const int w = strip.Width() / count;
  return TRect(strip.Left + (frame - 1) * w, strip.Top, strip.Left + frame * w, strip.Bottom);
}

TsfBitmap TsfPopupShadow::Picture(const QRegion& shape, int w, int h) {
  TsfBitmap result;
  if (w <= 0 || h <= 0) return result;
  const QRegion window = shape.isEmpty() ? QRegion(0, 0, w, h) : shape;
  const int W = w + Offset, H = h + Offset;
  // The window's shape moved by half the offset and blurred by the other
  // half, in the red channel: the shadow fades out at the picture's edge.
  const int r = Offset / 2;
  TsfBitmap cover(W, H);
  {
    QPainter p(&cover.Image());
    p.setClipRegion(window.translated(r, r));
    p.fillRect(0, 0, W, H, QColor(255, 0, 0));
  }
  StackBlur(cover, r);
  result.SetSize(W, H);
  for (int y = 0; y < H; ++y) {
    const QRgb* in = cover.ScanLine(y);
    QRgb* out = result.ScanLine(y);
    for (int x = 0; x < W; ++x) out[x] = qRgba(0, 0, 0, qRed(in[x]) * Alpha / 255);
  }
  {
    // Nothing under the window itself: it may be translucent.
    QPainter p(&result.Image());
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.setClipRegion(window);
    p.fillRect(0, 0, W, H, Qt::transparent);
  }
  result.UseAlpha = true;
  return result;
}
