#pragma once
// 24-bit working copies of pictures and the pixel effects and blends that
// skinned parts apply to them (inactive frames, morphing controls).
// Pixels are 3 bytes in the order blue, green, red; each row is rounded up
// to a multiple of 4 bytes; rows run top-down.

#include <QImage>
#include <cstdint>
#include <vector>

#include "platform/bitmap.h"
#include "platform/canvas.h"

// The 24-bit pixel buffer shared by the working copies.
class TsfPixels24 {
 public:
  TsfPixels24() = default;
  TsfPixels24(int width, int height);
  explicit TsfPixels24(const TBitmap& source);
  explicit TsfPixels24(const QImage& source);

  int Width() const { return m_width; }
  int Height() const { return m_height; }
  bool Empty() const { return m_width <= 0 || m_height <= 0; }
  int RowSize() const { return m_rowSize; }
  bool SameSize(const TsfPixels24& o) const { return m_width == o.m_width && m_height == o.m_height; }

  uint8_t* ScanLine(int y) { return m_data.data() + size_t(y) * size_t(m_rowSize); }
  const uint8_t* ScanLine(int y) const { return m_data.data() + size_t(y) * size_t(m_rowSize); }
  void CopyRowOut(int y, std::vector<uint8_t>& row) const;
  void CopyRowIn(int y, const std::vector<uint8_t>& row);

  // 0xFFRRGGBB, for checks and small edits.
  QRgb Pixel(int x, int y) const;
  void SetPixel(int x, int y, QRgb c);

  QImage ToImage() const;
  TBitmap ToBitmap() const { return TBitmap(ToImage()); }
  // Puts the whole buffer at (x, y), unscaled.
  void DrawTo(TCanvas* canvas, int x, int y) const;

 protected:
  int m_width = 0;
  int m_height = 0;
  int m_rowSize = 0;
  std::vector<uint8_t> m_data;
};

// Inactive effect values: iebrightness 0, iedarkness 1, iegrayscale 2,
// ienoise 3, iesplitblur 4, ieinvert 5.
// Morph kind values: mkdefault 0, mkgradient 1, mkleftgradient 2,
// mkrightgradient 3, mkleftslide 4, mkrightslide 5, mkpush 6.
class TsfEffectBmp : public TsfPixels24 {
 public:
  using TsfPixels24::TsfPixels24;

  // Channel c -> round((1 - f) c + 255 f).
  void Brighten(double f);
  // Channel c -> round((1 - f) c).
  void Darken(double f);
  // Every channel -> round(0.3 red + 0.59 green + 0.11 blue).
  void Grayscale();
  // Per pixel one r in 0..n-1; each channel c -> c + r - n div 2.
  void AddNoise(int n);
  // In place, top-down: each channel -> the mean of the four diagonal
  // neighbours at distance d (edges clamp to the pixel's own row/column).
  void SplitBlur(int d);
  void Invert();

  // The blends mix this image (k = 0) with `other` (k = 1); nothing happens
  // when the sizes differ.
  void Blend(const TsfEffectBmp& other, double k);
  void CentreGradient(const TsfEffectBmp& other, double k);
  void LeftGradient(const TsfEffectBmp& other, double k);
  void RightGradient(const TsfEffectBmp& other, double k);
  void SlideFromLeft(const TsfEffectBmp& other, double k);
  void SlideFromRight(const TsfEffectBmp& other, double k);
  void PushFromLeft(const TsfEffectBmp& other, double k);

  // The effect and the blend a skin names by value.
  void ApplyInactiveEffect(int effect);
  void Morph(int kind, const TsfEffectBmp& other, double k);
};

// The fast 24-bit copy used to scan masks: the same layout plus a table of
// row starts.
class TsfFBitmap : public TsfPixels24 {
 public:
  explicit TsfFBitmap(const TBitmap& source);
  const uint8_t* Row(int y) const { return m_rows[size_t(y)]; }

 private:
  std::vector<const uint8_t*> m_rows;
};
