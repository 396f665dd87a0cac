#include "platform/display_watch.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {
class DisplayWatch : public QObject {
 public:
  DisplayWatch(QWidget* window, std::function<void(QSize)> changed)
      : QObject(window), m_window(window), m_changed(std::move(changed)) {
    for (QScreen* s : QGuiApplication::screens()) Watch(s);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* s) {
      Watch(s);
      Notify();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { Notify(); });
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { Notify(); });
    window->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* e) override {
    // Qt tells a widget its window moved to another screen with this event,
    // and goes on using the widget (and its children) after the filters ran:
    // the change is reported from the event loop, where a handler may destroy
    // the window. Several such events before then make one report.
    if (watched == m_window && e->type() == QEvent::ScreenChangeInternal && !m_queued) {
      m_queued = true;
      QMetaObject::invokeMethod(
          this,
          [this] {
            m_queued = false;
            Notify();
          },
          Qt::QueuedConnection);
    }
    return false;
  }

 private:
  void Watch(QScreen* s) {
    connect(s, &QScreen::geometryChanged, this, [this] { Notify(); });
    connect(s, &QScreen::availableGeometryChanged, this, [this] { Notify(); });
  }
  void Notify() {
    if (!m_window) return;
    const QScreen* s = m_window->screen();
    m_changed(s ? s->geometry().size() : QSize());
  }

  QPointer<QWidget> m_window;
  std::function<void(QSize)> m_changed;
  bool m_queued = false;
};
}  // namespace

void WatchDisplays(QWidget* window, std::function<void(QSize)> changed) {
  if (window && changed) new DisplayWatch(window, std::move(changed));
}
