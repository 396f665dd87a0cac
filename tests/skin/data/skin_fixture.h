#pragma once
// A tiny skin folder written by the tests: a form picture, two list pictures
// and a skin file whose text the test chooses.

#include <QByteArray>
#include <QDir>
#include <QImage>
#include <QList>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "platform/form.h"
#include "skin/data/skin_data.h"
#include "tests/support/test_support.h"

inline QImage SolidImage(int w, int h, QRgb color) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(color);
  img.setPixel(0, 0, qRgb(1, 2, 3));  // a corner that shows orientation
  return img;
}

inline const char* kFixtureSkinText =
    "[VERSION]\r\nskinname=Fixture\r\n"
    "[PICTURES]\r\npicture=form.bmp\r\nactivepicturescount=2\r\n0=p0.bmp\r\n1=sub\\p1.bmp\r\n"
    "[FORMINFO]\r\nlefttoppoint=8,20\r\nrighttoppoint=32,20\r\nleftbottompoint=8,26\r\n"
    "rightbottompoint=32,26\r\nclientrect=4,20,36,26\r\nborderwidth=2\r\n"
    "[SKINCOLORS]\r\ncbtnface=$00112233\r\n"
    "[SKINOBJECTS]\r\ncount=3\r\n0=title:caption\r\n1=closebutton:stdbutton\r\n2=odd:nokind\r\n"
    "[title]\r\nskinrect=8,0,32,20\r\ntextrect=2,2,20,18\r\n"
    "[closebutton]\r\ncommand=cmclose\r\nactivepictureindex=1\r\nskinrectinapicture=1\r\nskinrect=0,0,8,8\r\n"
    "[SKINCONTROLS]\r\ncount=4\r\n0=panel:panel\r\n1=groupbox:panel\r\n2=panel:button\r\n3=memo:memo\r\n"
    "[panel]\r\npictureindex=0\r\nskinrect=0,0,16,8\r\n"
    "[groupbox]\r\npictureindex=0\r\ncaptionrect=1,1,5,5\r\n"
    "[memo]\r\nbgcolor=255\r\n";

// Writes the fixture folder; `text` replaces the skin file's text.
inline QString WriteFixtureSkin(const QTemporaryDir& dir, const QByteArray& text = kFixtureSkinText) {
  SolidImage(40, 30, qRgb(200, 100, 50)).save(dir.filePath("form.bmp"), "BMP");
  SolidImage(16, 8, qRgb(10, 20, 30)).save(dir.filePath("p0.bmp"), "BMP");
  QDir(dir.path()).mkpath("sub");
  SolidImage(8, 24, qRgb(90, 80, 70)).save(dir.filePath("sub/p1.bmp"), "BMP");
  const QString path = dir.filePath("skin.ini");
  WriteFileBytes(path, text);
  return path;
}

// A form that records the skin messages it receives.
struct TSkinMessageLog {
  struct Entry {
    QObject* form;
    unsigned msg;
    intptr_t wparam, lparam;
  };
  std::vector<Entry> entries;
  std::vector<unsigned> MessagesOf(QObject* form) const {
    std::vector<unsigned> out;
    for (const Entry& e : entries)
      if (e.form == form) out.push_back(e.msg);
    return out;
  }
};

class TRecordingForm : public TForm {
 public:
  explicit TRecordingForm(TSkinMessageLog* log, QWidget* owner = nullptr) : TForm(owner), m_log(log) {}
  void WndProc(TMessage& m) override {
    if (m.Msg > WM_USER && m.Msg < WM_USER + 500) m_log->entries.push_back({this, m.Msg, m.WParam, m.LParam});
    TForm::WndProc(m);
  }

 private:
  TSkinMessageLog* m_log;
};
