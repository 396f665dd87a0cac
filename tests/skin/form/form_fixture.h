#pragma once
// A tiny skin for the skinned-window tests, written to a temporary folder and
// loaded through the real skin load: a 100 x 100 form picture whose every
// pixel names its place (red x, green y, blue 77; an inactive twin with blue
// 150), a mask with white 6 x 6 top corners, and five caption buttons of 16 x
// 16 in a picture of their own, each state in its own colour.

#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QPaintEvent>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>

#include "skin/data/skin_data.h"
#include "skin/render/layer_window.h"
#include "tests/support/test_support.h"

namespace formtest {

// Qt drops a move to where the cursor already is: come from one pixel away.
// The window may be gone after the first move (a handler destroyed it).
inline void Hover(QWidget* widget, QPoint at) {
  QPointer<QWidget> w(widget);
  if (w) QTest::mouseMove(w, at + QPoint(1, 1));
  if (w) QTest::mouseMove(w, at);
}

// Runs the deletions handlers deferred (a window closed by its own button).
inline void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

// Records the region of every paint the window receives.
class PaintLog : public QObject {
 public:
  explicit PaintLog(QWidget* w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
    return false;
  }
  QRegion painted;
};

// Restores the probe of translucent windows whatever a test set.
struct LayeredWindows {
  explicit LayeredWindows(bool available) { OverrideLayeredWindows(available); }
  ~LayeredWindows() { OverrideLayeredWindows(std::nullopt); }
};

inline QPoint Centre(const TRect& r) {
  return QPoint(r.Left + r.Width() / 2, r.Top + r.Height() / 2);
}

inline QRgb PixelAt(QWidget* w, int x, int y) {
  return w->grab().toImage().pixel(x, y) | 0xFF000000u;
}

inline QRgb Src(int x, int y, int blue = 77) { return qRgb(x, y, blue); }
// Button cell colours: row r (command order below), column c (normal, hot, down).
inline QRgb ButtonColour(int row, int col) { return qRgb(20 + 40 * col, 200, 10 + 30 * row); }

inline QImage FormPicture(int blue) {
  QImage img(100, 100, QImage::Format_RGB32);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) img.setPixel(x, y, Src(x, y, blue));
  return img;
}

inline const char* kSkinText =
    "[VERSION]\r\nskinname=Tiny\r\n"
    "[PICTURES]\r\npicture=form.bmp\r\ninactivepicture=inactive.bmp\r\nmask=mask.bmp\r\n"
    "activepicturescount=1\r\n0=buttons.bmp\r\n"
    "[FORMINFO]\r\nlefttoppoint=20,30\r\nrighttoppoint=80,30\r\nleftbottompoint=20,95\r\n"
    "rightbottompoint=80,95\r\nclientrect=10,30,90,95\r\nmaskrectarea=10,30,90,95\r\n"
    "captionrect=10,0,90,30\r\nbuttonsrect=60,7,88,23\r\nbuttonsoffset=2\r\nborderwidth=3\r\n"
    "hittestlefttoppoint=6,6\r\nhittestrighttoppoint=94,6\r\nhittestleftbottompoint=6,94\r\n"
    "hittestrightbottompoint=94,94\r\n"
    // The caption first: its rect runs under the buttons, which still get the mouse.
    "[SKINOBJECTS]\r\ncount=6\r\n0=caption:caption\r\n1=closebutton:stdbutton\r\n"
    "2=maxbutton:stdbutton\r\n3=minbutton:stdbutton\r\n4=rollupbutton:stdbutton\r\n"
    "5=sysmenubutton:stdbutton\r\n"
    "[closebutton]\r\ncommand=cmclose\r\nactivepictureindex=0\r\nskinrectinapicture=1\r\n"
    "skinrect=0,0,16,16\r\nactiveskinrect=16,0,32,16\r\ndownrect=32,0,48,16\r\n"
    "[maxbutton]\r\ncommand=cmmaximize\r\nactivepictureindex=0\r\nskinrectinapicture=1\r\n"
    "skinrect=0,16,16,32\r\nactiveskinrect=16,16,32,32\r\nmorphing=1\r\n"
    "[minbutton]\r\ncommand=cmminimize\r\nactivepictureindex=0\r\nskinrectinapicture=1\r\n"
    "skinrect=0,32,16,48\r\nactiveskinrect=16,32,32,48\r\n"
    "[rollupbutton]\r\ncommand=cmrollup\r\nactivepictureindex=0\r\nskinrectinapicture=1\r\n"
    "skinrect=0,48,16,64\r\nactiveskinrect=16,48,32,64\r\n"
    "[sysmenubutton]\r\ncommand=cmsysmenu\r\nactivepictureindex=0\r\nskinrectinapicture=1\r\n"
    "skinrect=0,64,16,80\r\nactiveskinrect=16,64,32,80\r\n"
    "[caption]\r\nskinrect=10,0,90,30\r\ntextrect=0,0,60,30\r\nfontheight=12\r\n"
    "[SKINCONTROLS]\r\ncount=0\r\n";

// Pictures of the effects skin: animation frames of a caption button (four
// frames and a down image of 16 x 16 side by side), a glow picture and its
// mask, and the caption's animation frames (three of 80 x 30) followed by its
// active image.
inline QRgb AnimColour(int frame) { return qRgb(200, 40 * frame, 60); }  // frame 5: down
inline QRgb CaptionColour(int frame) { return qRgb(30 * frame, 90, 220); }  // frame 4: active

inline void SaveEffectPictures(const QTemporaryDir& dir) {
  QImage anim(80, 16, QImage::Format_RGB32);
  for (int f = 0; f < 5; ++f)
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) anim.setPixel(f * 16 + x, y, AnimColour(f + 1));
  anim.save(dir.filePath("anim.bmp"), "BMP");
  QImage glow(24, 24, QImage::Format_RGB32);
  glow.fill(qRgb(255, 255, 0));
  glow.save(dir.filePath("glow.bmp"), "BMP");
  glow.fill(qRgb(128, 128, 128));
  glow.save(dir.filePath("glowmask.bmp"), "BMP");
  QImage caption(320, 30, QImage::Format_RGB32);
  for (int f = 0; f < 4; ++f)
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 80; ++x) caption.setPixel(f * 80 + x, y, CaptionColour(f + 1));
  caption.save(dir.filePath("caption.bmp"), "BMP");
}

// The tiny skin with an animated maximise button, a custom button, a glowing
// close button and a caption that animates on activation; `captionKeys` are
// added to the caption's section.
inline QByteArray EffectsSkinText(const char* captionKeys = "") {
  return QByteArray(
             "[VERSION]\r\nskinname=Effects\r\n"
             "[PICTURES]\r\npicture=form.bmp\r\ninactivepicture=inactive.bmp\r\nmask=mask.bmp\r\n"
             "activepicturescount=5\r\n0=buttons.bmp\r\n1=anim.bmp\r\n2=glow.bmp\r\n"
             "3=glowmask.bmp\r\n4=caption.bmp\r\n"
             "[FORMINFO]\r\nlefttoppoint=20,30\r\nrighttoppoint=80,30\r\nleftbottompoint=20,95\r\n"
             "rightbottompoint=80,95\r\nclientrect=10,30,90,95\r\nmaskrectarea=10,30,90,95\r\n"
             "captionrect=10,0,90,30\r\nbuttonsrect=60,7,88,23\r\nbuttonsoffset=2\r\nborderwidth=3\r\n"
             "hittestlefttoppoint=6,6\r\nhittestrighttoppoint=94,6\r\nhittestleftbottompoint=6,94\r\n"
             "hittestrightbottompoint=94,94\r\n"
             "[SKINOBJECTS]\r\ncount=4\r\n0=caption:caption\r\n1=closebutton:stdbutton\r\n"
             "2=animbutton:animate\r\n3=custombutton:stdbutton\r\n"
             "[closebutton]\r\ncommand=cmclose\r\nactivepictureindex=0\r\nskinrectinapicture=1\r\n"
             "skinrect=0,0,16,16\r\nactiveskinrect=16,0,32,16\r\ndownrect=32,0,48,16\r\n"
             "glowlayerpictureindex=2\r\nglowlayermaskpictureindex=3\r\nglowlayeroffsetx=4\r\n"
             "glowlayeroffsety=5\r\nglowlayeralphablendvalue=100\r\n"
             "[animbutton]\r\ncommand=cmmaximize\r\nactivepictureindex=1\r\nskinrectinapicture=1\r\n"
             "skinrect=0,0,16,16\r\ncountframes=4\r\nbuttonstyle=1\r\ntimerinterval=50\r\n"
             "downskinrect=64,0,80,16\r\n"
             "[custombutton]\r\ncommand=cmdefault\r\nactivepictureindex=0\r\nskinrectinapicture=1\r\n"
             "skinrect=0,48,16,64\r\nactiveskinrect=16,48,32,64\r\n"
             "[caption]\r\nskinrect=10,0,90,30\r\ntextrect=0,0,60,30\r\nfontheight=12\r\n"
             "activepictureindex=4\r\nactiveskinrect=240,0,320,30\r\n") +
         captionKeys + "[SKINCONTROLS]\r\ncount=0\r\n";
}

struct TinySkin {
  QTemporaryDir dir;
  std::unique_ptr<TsfSkinData> data = std::make_unique<TsfSkinData>();
  explicit TinySkin(const QByteArray& text = QByteArray(kSkinText)) {
    FormPicture(77).save(dir.filePath("form.bmp"), "BMP");
    FormPicture(150).save(dir.filePath("inactive.bmp"), "BMP");
    QImage mask(100, 100, QImage::Format_RGB32);
    mask.fill(qRgb(0, 0, 0));
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) {
        mask.setPixel(x, y, qRgb(255, 255, 255));
        mask.setPixel(99 - x, y, qRgb(255, 255, 255));
      }
    mask.save(dir.filePath("mask.bmp"), "BMP");
    QImage buttons(48, 80, QImage::Format_RGB32);
    for (int row = 0; row < 5; ++row)
      for (int col = 0; col < 3; ++col)
        for (int y = 0; y < 16; ++y)
          for (int x = 0; x < 16; ++x) buttons.setPixel(col * 16 + x, row * 16 + y, ButtonColour(row, col));
    buttons.save(dir.filePath("buttons.bmp"), "BMP");
    SaveEffectPictures(dir);
    WriteFileBytes(dir.filePath("skin.ini"), text);
    data->LoadSkinFile(dir.filePath("skin.ini"));
  }
};

}  // namespace formtest
