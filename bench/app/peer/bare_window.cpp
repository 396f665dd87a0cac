// The start-up peer: a bare Qt program that shows one window of the main
// window's size and stops after its first paint, as tolmsys does under
// TOLMSYS_SELFTEST=paint.

#include <QApplication>
#include <QTimer>
#include <QWidget>

namespace {
class Window : public QWidget {
 protected:
  void paintEvent(QPaintEvent*) override {
    if (!m_painted) QTimer::singleShot(0, qApp, &QApplication::quit);
    m_painted = true;
  }

 private:
  bool m_painted = false;
};
}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Window w;
  w.setWindowTitle(QStringLiteral("peer"));
  w.resize(764, 478);
  w.show();
  return app.exec();
}
