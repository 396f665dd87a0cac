#pragma once
// A tiny skin built in memory for the control tests: pictures whose pixels
// name their place (red = x, green = y, blue = a tag), records added by the
// test, and helpers to paint a control offscreen and read its pixels.

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QStringList>
#include <QTest>
#include <QWidget>
#include <memory>

#include "platform/bitmap.h"
#include "skin/data/skin_data.h"

namespace ctltest {

// Pixel (x, y) is red x, green y, blue `tag`.
inline TBitmap Distinct(int w, int h, int tag = 7) {
  QImage img(w, h, QImage::Format_RGB32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x, y, tag));
  return TBitmap(img);
}

// "line 0", "line 1", ... one to a line: a memo text of `n` lines.
inline QString Lines(int n) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << QStringLiteral("line %1").arg(i);
  return l.join(u'\n');
}

inline TBitmap Filled(int w, int h, QRgb c) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(c);
  return TBitmap(img);
}

// A skin data object that holds a "loaded" skin made of what the test adds.
class TinySkin {
 public:
  TinySkin() : data(new TsfSkinData) { data->IsEmpty = false; }
  ~TinySkin() { delete data.data(); }
  int AddPicture(const TBitmap& b) {
    data->PictureList.push_back(std::make_unique<TBitmap>(b));
    return int(data->PictureList.size()) - 1;
  }
  template <typename T>
  T& Add(const QString& name) {
    auto r = std::make_unique<T>(name);
    T& ref = *r;
    data->ControlRecords.push_back(std::move(r));
    return ref;
  }
  QPointer<TsfSkinData> data;
};

// The control painted as the screen would show it.
inline QImage Shot(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }
inline QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }
inline QRgb Rgb(TColor c) { return ToQColor(c).rgb() | 0xFF000000u; }

// Moves the pointer onto the control from outside it (moving to where the
// pointer already is would send nothing).
inline void HoverOver(QWidget* w, QPoint at) {
  QTest::mouseMove(w->window(), QPoint(w->window()->width() - 1, w->window()->height() - 1));
  QTest::mouseMove(w, at);
}

// Holding a key: Qt sends a release before every repeated press, each
// marked as auto-repeat; only the last release is the key let go.
inline void HoldKey(QWidget* w, Qt::Key key, const QString& text, int repeats) {
  QKeyEvent first(QEvent::KeyPress, key, Qt::NoModifier, text, false);
  QApplication::sendEvent(w, &first);
  for (int i = 0; i < repeats; ++i) {
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text, true);
    QApplication::sendEvent(w, &up);
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text, true);
    QApplication::sendEvent(w, &down);
  }
}

}  // namespace ctltest
