#include "app/automation.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <cstdio>

#include "platform/application.h"
#include "platform/form.h"
#include "skin/grids/skin_grid.h"

namespace {

void PrintControls(QWidget* window) {
  const QString formName = window->objectName().isEmpty() ? window->windowTitle() : window->objectName();
  for (QWidget* w : window->findChildren<QWidget*>()) {
    auto* c = qobject_cast<TControl*>(w);
    auto* b = qobject_cast<QAbstractButton*>(w);
    if ((!c && !b) || !w->isVisible()) continue;
    const QPoint at = w->mapToGlobal(QPoint(0, 0));
    QString caption = c ? c->Caption() : b->text();
    caption.replace('\n', ' ');
    printf("control %s %s %s %d %d %d %d %s\n", qUtf8Printable(formName), w->metaObject()->className(),
           qUtf8Printable(w->objectName().isEmpty() ? QStringLiteral("-") : w->objectName()), at.x(),
           at.y(), w->width(), w->height(), qUtf8Printable(caption));
    if (auto* grid = qobject_cast<TsfSkinCustomGrid*>(w); grid && grid->RowCount() > 1)
      printf("rows %s %s %d %d\n", qUtf8Printable(formName), qUtf8Printable(w->objectName()),
             grid->RowHeights(0), grid->RowHeights(1));
  }
  printf("shown %s\n", qUtf8Printable(formName));
  fflush(stdout);
}

class Automation : public QObject {
 public:
  Automation(QObject* parent, bool stopAfterPaint, bool map)
      : QObject(parent), m_stopAfterPaint(stopAfterPaint), m_map(map) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* widget = qobject_cast<QWidget*>(watched);
    // A window shown, or a click that may have changed what a window shows:
    // print the window's controls once it is laid out again.
    if (m_map && widget &&
        ((event->type() == QEvent::Show && widget->isWindow()) ||
         event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease)) {
      QPointer<QWidget> window(widget->window());
      QTimer::singleShot(100, this, [window] {
        if (window && window->isVisible()) PrintControls(window);
      });
    }
    if (m_stopAfterPaint && event->type() == QEvent::Paint && Application) {
      auto* w = qobject_cast<QWidget*>(watched);
      if (w && w->window() == static_cast<QWidget*>(Application->MainForm())) {
        m_stopAfterPaint = false;
        QTimer::singleShot(0, [] { Application->Terminate(); });
      }
    }
    return false;
  }

 private:
  bool m_stopAfterPaint;
  bool m_map;
};

}  // namespace

bool InstallAutomation(QObject* parent) {
  const bool stop = qEnvironmentVariable("TOLMSYS_SELFTEST") == QStringLiteral("paint");
  const bool map = qEnvironmentVariableIsSet("TOLMSYS_CONTROL_MAP");
  if (stop || map) qApp->installEventFilter(new Automation(parent, stop, map));
  return stop;
}
