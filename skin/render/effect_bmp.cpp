#include "skin/render/effect_bmp.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

namespace {

// Round to nearest, halves to the even neighbour, then clamp to a channel.
inline uint8_t Channel(double v) {
  const double r = std::nearbyint(v);
  return uint8_t(!(r > 0) ? 0 : r > 255 ? 255 : r);  // NaN gives 0
}

// The weighted mix of weight w: round(w * own + (1 - w) * other) per channel.
inline void Mix(uint8_t* to, const uint8_t* own, const uint8_t* other, double w) {
  for (int c = 0; c < 3; ++c) to[c] = Channel(w * own[c] + (1.0 - w) * other[c]);
}

// Rounds to an int, halves to even; NaN gives 0 and values beyond the int
// range stop at its ends (the morph blends pass their factor unclamped).
inline int RoundEven(double v) {
  if (std::isnan(v)) return 0;
  return int(std::clamp(std::nearbyint(v), -2147483648.0, 2147483647.0));
}

// A blend factor in 0..1; NaN counts as 0.
inline double BlendFactor(double k) { return std::isnan(k) ? 0.0 : std::clamp(k, 0.0, 1.0); }

}  // namespace

TsfPixels24::TsfPixels24(int width, int height)
    : m_width(std::max(0, width)), m_height(std::max(0, height)),
      m_rowSize((m_width * 3 + 3) & ~3), m_data(size_t(m_rowSize) * size_t(m_height), 0) {}

TsfPixels24::TsfPixels24(const TBitmap& source) : TsfPixels24(source.Image()) {}

TsfPixels24::TsfPixels24(const QImage& source)
    : TsfPixels24(source.isNull() ? 0 : source.width(), source.isNull() ? 0 : source.height()) {
  if (Empty()) return;
  const QImage img = source.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < m_height; ++y) {
    const auto* from = reinterpret_cast<const quint32*>(img.constScanLine(y));
    uint8_t* to = ScanLine(y);
    for (int x = 0; x < m_width; ++x) {
      to[3 * x] = uint8_t(qBlue(from[x]));
      to[3 * x + 1] = uint8_t(qGreen(from[x]));
      to[3 * x + 2] = uint8_t(qRed(from[x]));
    }
  }
}

void TsfPixels24::CopyRowOut(int y, std::vector<uint8_t>& row) const {
  row.assign(ScanLine(y), ScanLine(y) + m_rowSize);
}

void TsfPixels24::CopyRowIn(int y, const std::vector<uint8_t>& row) {
  std::memcpy(ScanLine(y), row.data(), std::min(row.size(), size_t(m_rowSize)));
}

QRgb TsfPixels24::Pixel(int x, int y) const {
  const uint8_t* p = ScanLine(y) + 3 * x;
  return qRgb(p[2], p[1], p[0]);
}

void TsfPixels24::SetPixel(int x, int y, QRgb c) {
  uint8_t* p = ScanLine(y) + 3 * x;
  p[0] = uint8_t(qBlue(c));
  p[1] = uint8_t(qGreen(c));
  p[2] = uint8_t(qRed(c));
}

QImage TsfPixels24::ToImage() const {
  if (Empty()) return QImage();
  QImage img(m_width, m_height, QImage::Format_RGB32);
  for (int y = 0; y < m_height; ++y) {
    const uint8_t* from = ScanLine(y);
    auto* to = reinterpret_cast<quint32*>(img.scanLine(y));
    for (int x = 0; x < m_width; ++x)
      to[x] = qRgb(from[3 * x + 2], from[3 * x + 1], from[3 * x]);
  }
  return img;
}

void TsfPixels24::DrawTo(TCanvas* canvas, int x, int y) const {
  if (!canvas || Empty()) return;
  const TBitmap bmp = ToBitmap();
  canvas->Draw(x, y, &bmp);
}

// --- effects -----------------------------------------------------------------

void TsfEffectBmp::Brighten(double f) {
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    for (int i = 0; i < 3 * m_width; ++i) p[i] = Channel((1.0 - f) * p[i] + f * 255.0);
  }
}

void TsfEffectBmp::Darken(double f) {
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    for (int i = 0; i < 3 * m_width; ++i) p[i] = Channel((1.0 - f) * p[i]);
  }
}

void TsfEffectBmp::Grayscale() {
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    for (int x = 0; x < m_width; ++x, p += 3) {
      const uint8_t v = Channel(0.3 * p[2] + 0.59 * p[1] + 0.11 * p[0]);
      p[0] = p[1] = p[2] = v;
    }
  }
}

void TsfEffectBmp::AddNoise(int n) {
  if (n <= 0) return;
  static std::mt19937 generator{std::random_device{}()};
  std::uniform_int_distribution<int> draw(0, n - 1);
  const int half = n / 2;
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    for (int x = 0; x < m_width; ++x, p += 3) {
      const int r = draw(generator) - half;
      for (int c = 0; c < 3; ++c) p[c] = uint8_t(std::clamp(p[c] + r, 0, 255));
    }
  }
}

void TsfEffectBmp::SplitBlur(int d) {
  if (Empty()) return;
  std::vector<uint8_t> above, below, out;
  for (int y = 0; y < m_height; ++y) {
    const int ya = y - d < 0 ? y : y - d;
    const int yb = y + d >= m_height ? y : y + d;
    // Copies of the current rows: the row above has already been blurred.
    CopyRowOut(ya, above);
    CopyRowOut(yb, below);
    CopyRowOut(y, out);
    for (int x = 0; x < m_width; ++x) {
      const int xl = x - d < 0 ? x : x - d;
      const int xr = x + d >= m_width ? x : x + d;
      for (int c = 0; c < 3; ++c)
        out[size_t(3 * x + c)] = uint8_t((above[size_t(3 * xl + c)] + below[size_t(3 * xl + c)] +
                                          above[size_t(3 * xr + c)] + below[size_t(3 * xr + c)]) /
                                         4);
    }
    CopyRowIn(y, out);
  }
}

void TsfEffectBmp::Invert() {
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    for (int i = 0; i < 3 * m_width; ++i) p[i] = uint8_t(255 - p[i]);
  }
}

// --- blends ------------------------------------------------------------------

void TsfEffectBmp::Blend(const TsfEffectBmp& other, double k) {
  if (!SameSize(other)) return;
  k = BlendFactor(k);
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    const uint8_t* o = other.ScanLine(y);
    for (int i = 0; i < 3 * m_width; ++i) p[i] = Channel((1.0 - k) * p[i] + k * o[i]);
  }
}

namespace {
// A one-column image has no room for a gradient or a slide: it shows the
// other image once the blend has covered its column.
void OneColumn(TsfEffectBmp& own, const TsfEffectBmp& other, double k) {
  if (RoundEven(own.Width() * k) < 1) return;
  for (int y = 0; y < own.Height(); ++y) std::memcpy(own.ScanLine(y), other.ScanLine(y), 3);
}
}  // namespace

void TsfEffectBmp::LeftGradient(const TsfEffectBmp& other, double k) {
  if (!SameSize(other) || Empty()) return;
  k = BlendFactor(k);
  if (m_width < 2) return OneColumn(*this, other, k);
  const int a = std::min(std::max(RoundEven(m_width * k), 1), m_width - 1);
  const double step = 1.0 / a;
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    const uint8_t* o = other.ScanLine(y);
    double w = 0;
    for (int x = 0; x <= a; ++x) {
      Mix(p + 3 * x, p + 3 * x, o + 3 * x, w);
      w = std::min(1.0, w + step);
    }
  }
}

void TsfEffectBmp::RightGradient(const TsfEffectBmp& other, double k) {
  if (!SameSize(other) || Empty()) return;
  k = BlendFactor(k);
  const int b = std::min(std::max(m_width - RoundEven(m_width * k), 0), m_width - 1);
  const double step = m_width - b <= 0 ? 1.0 : 1.0 / (m_width - b);
  for (int y = 0; y < m_height; ++y) {
    uint8_t* p = ScanLine(y);
    const uint8_t* o = other.ScanLine(y);
    double w = 0;
    for (int x = m_width - 1; x >= b; --x) {
      Mix(p + 3 * x, p + 3 * x, o + 3 * x, w);
      w = std::min(1.0, w + step);
    }
  }
}

void TsfEffectBmp::CentreGradient(const TsfEffectBmp& other, double k) {
  if (!SameSize(other) || Empty()) return;
  // Outside 0..1 the first and last column (row) would lie outside the picture.
  k = BlendFactor(k);
  if (m_width >= m_height) {
    const int a = RoundEven(m_width * k);
    const int g = (m_width - a) / 2;
    const double step = g == 0 ? 1.0 : 1.0 / g;
    const int s = std::max(0, m_width / 2 - a / 2);
    const int e = std::min(m_width - 1, a / 2 + m_width / 2);
    for (int y = 0; y < m_height; ++y) {
      uint8_t* p = ScanLine(y);
      const uint8_t* o = other.ScanLine(y);
      if (e >= s) std::memcpy(p + 3 * s, o + 3 * s, size_t(3 * (e - s + 1)));
      double w = 0;
      for (int x = s; x >= 0; --x) {
        Mix(p + 3 * x, p + 3 * x, o + 3 * x, w);
        w = std::min(1.0, w + step);
      }
      w = 0;
      for (int x = e; x < m_width; ++x) {
        Mix(p + 3 * x, p + 3 * x, o + 3 * x, w);
        w = std::min(1.0, w + step);
      }
    }
    return;
  }
  const int a = RoundEven(m_height * k);
  const int g = (m_height - a - 1) / 2;
  const double step = g <= 0 ? 0.0 : 1.0 / g;
  const int s = std::max(0, m_height / 2 - a / 2);
  const int e = std::min(m_height - 1, a / 2 + m_height / 2);
  for (int y = s; y <= e; ++y) std::memcpy(ScanLine(y), other.ScanLine(y), size_t(3 * m_width));
  auto mixRow = [&](int y, double w) {
    uint8_t* p = ScanLine(y);
    const uint8_t* o = other.ScanLine(y);
    for (int x = 0; x < m_width; ++x) Mix(p + 3 * x, p + 3 * x, o + 3 * x, w);
  };
  double w = 0;
  for (int y = s; y >= 0; --y) {
    mixRow(y, w);
    w = std::min(1.0, w + step);
  }
  w = 0;
  for (int y = e; y < m_height; ++y) {
    mixRow(y, w);
    w = std::min(1.0, w + step);
  }
}

void TsfEffectBmp::SlideFromLeft(const TsfEffectBmp& other, double k) {
  if (!SameSize(other) || Empty()) return;
  k = BlendFactor(k);
  if (m_width < 2) return OneColumn(*this, other, k);
  const int a = std::min(std::max(RoundEven(m_width * k), 1), m_width - 1);
  for (int y = 0; y < m_height; ++y)
    std::memcpy(ScanLine(y), other.ScanLine(y) + 3 * (m_width - a), size_t(3 * a));
}

void TsfEffectBmp::SlideFromRight(const TsfEffectBmp& other, double k) {
  if (!SameSize(other) || Empty()) return;
  k = BlendFactor(k);
  if (m_width < 2) return OneColumn(*this, other, k);
  const int a = std::min(std::max(RoundEven(m_width * k), 1), m_width - 1);
  for (int y = 0; y < m_height; ++y)
    std::memcpy(ScanLine(y) + 3 * (m_width - a), other.ScanLine(y), size_t(3 * a));
}

void TsfEffectBmp::PushFromLeft(const TsfEffectBmp& other, double k) {
  if (!SameSize(other) || Empty()) return;
  k = BlendFactor(k);
  const int a = std::min(std::max(RoundEven(m_width * k), 0), m_width - 1);
  std::vector<uint8_t> own;
  for (int y = 0; y < m_height; ++y) {
    CopyRowOut(y, own);
    uint8_t* p = ScanLine(y);
    const uint8_t* o = other.ScanLine(y);
    for (int x = m_width - 1; x >= a + 1; --x) std::memcpy(p + 3 * x, &own[size_t(3 * (x - a - 1))], 3);
    std::memcpy(p + 3 * a, own.data(), 3);
    for (int x = 0; x <= a; ++x)
      std::memcpy(p + 3 * x, o + 3 * std::min(m_width - 1, m_width - a - 1 + x), 3);
  }
}

void TsfEffectBmp::ApplyInactiveEffect(int effect) {
  switch (effect) {
    case 0: Brighten(0.5); break;
    case 1: Darken(0.3); break;
    case 2: Grayscale(); break;
    case 3: AddNoise(50); break;
    case 4: SplitBlur(1); break;
    case 5: Invert(); break;
    default: break;
  }
}

void TsfEffectBmp::Morph(int kind, const TsfEffectBmp& other, double k) {
  switch (kind) {
    case 1: CentreGradient(other, k); break;
    case 2: LeftGradient(other, k); break;
    case 3: RightGradient(other, k); break;
    case 4: SlideFromLeft(other, k); break;
    case 5: SlideFromRight(other, k); break;
    case 6: PushFromLeft(other, k); break;
    default: Blend(other, k); break;
  }
}

TsfFBitmap::TsfFBitmap(const TBitmap& source) : TsfPixels24(source) {
  m_rows.reserve(size_t(m_height));
  for (int y = 0; y < m_height; ++y) m_rows.push_back(ScanLine(y));
}
