#pragma once

#include <QApplication>
#include <QPointer>
#include <QTest>

#include "app/frm_tolmmain.h"
#include "platform/control.h"

// A practice of paper `titleId` in its own window, shown (which starts it);
// closed without the leave question at the end.
class PracticeWindow {
 public:
  explicit PracticeWindow(const QString& titleId = QStringLiteral("1")) : window(new Tfrm_tolmmain()) {
    window->FTitleId = titleId;
    window->Show();
    QApplication::processEvents();
  }
  ~PracticeWindow() {
    if (window) {
      window->OnCloseQuery = nullptr;
      delete window;
    }
  }
  PracticeWindow(const PracticeWindow&) = delete;
  PracticeWindow& operator=(const PracticeWindow&) = delete;
  void Click(TControl* c) {
    QTest::mouseClick(c, Qt::LeftButton, Qt::NoModifier, QPoint(c->width() / 2, c->height() / 2));
    QApplication::processEvents();
  }
  QPointer<Tfrm_tolmmain> window;
};
