// The start-up peer: a bare Qt program that shows one window of the main
// window's size (frame included) and stops after its first paint, as tolmsys does under
// TOLMSYS_SELFTEST=paint.
//
// The paper selection window shows texts in several faces and sizes (its
// caption, the two buttons, the grid's title and paper names, the three
// labels), and setting up and drawing those is a real part of its first
// paint. So the peer draws the same texts in the same faces, sizes and
// styles with plain QPainter calls; the paper names come as arguments (the
// benchmark reads them from the bank it gives tolmsys). Pictures, frames
// and everything else are left out: the peer stays the floor. With the
// single argument "--no-text" it draws nothing at all.

#include <QApplication>
#include <QFont>
#include <QPainter>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace {

QFont Face(const QString& family, int pixelSize, bool bold = false, bool italic = false) {
  QFont f(family);
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  f.setItalic(italic);
  f.setStyleStrategy(QFont::PreferAntialias);
  return f;
}

class Window : public QWidget {
 public:
  explicit Window(QStringList papers) : m_papers(std::move(papers)) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    if (!m_painted) QTimer::singleShot(0, qApp, &QApplication::quit);
    m_painted = true;
    if (m_papers == QStringList{QStringLiteral("--no-text")}) return;
    QPainter p(this);
    p.fillRect(rect(), QColor(0xf2, 0xf4, 0xf7));
    const QString song = QStringLiteral("宋体"), sans = QStringLiteral("MS Sans Serif");
    // Caption and buttons.
    p.setFont(Face(song, 11, true));
    p.drawText(QRect(8, 0, 400, 30), Qt::AlignVCenter, QStringLiteral("Vardel软件--Tolm真题练习"));
    p.setFont(Face(song, 10));
    p.drawText(QRect(36, 38, 97, 25), Qt::AlignCenter, QStringLiteral("导入题库"));
    p.drawText(QRect(485, 351, 75, 25), Qt::AlignCenter, QStringLiteral("开始"));
    // Grid: title and one row per paper.
    p.setFont(Face(song, 10, true));
    p.drawText(QRect(6, 71, 268, 20), Qt::AlignVCenter, QStringLiteral("真题考卷"));
    p.setFont(Face(sans, 11));
    for (int i = 0; i < m_papers.size(); ++i)
      p.drawText(QRect(6, 91 + 20 * i, 268, 20), Qt::AlignVCenter, m_papers[i]);
    // Labels.
    p.setFont(Face(song, 47, true, true));
    p.drawText(QPoint(341, 190), QStringLiteral("TOLM 练习工具"));
    p.setFont(Face(sans, 11));
    p.drawText(QRect(471, 439, 129, 13), 0, QStringLiteral("tolmsys 开发组 制作"));
    p.setFont(Face(sans, 28));
    p.drawText(QRect(341, 223, 369, 105), Qt::AlignHCenter | Qt::TextWordWrap,
               m_papers.value(0));
  }

 private:
  QStringList m_papers;
  bool m_painted = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The same family substitutions as the program's, so the same faces are
  // found for the same names.
  const QStringList cjk = {QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
                           QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Noto Serif CJK SC"),
                           QStringLiteral("AR PL UMing CN"), QStringLiteral("Droid Sans Fallback")};
  const QStringList sans = {QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                            QStringLiteral("DejaVu Sans")};
  QFont::insertSubstitutions(QStringLiteral("宋体"), cjk + sans);
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"), sans + cjk);
  Window w(app.arguments().mid(1));
  w.setWindowTitle(QStringLiteral("Vardel软件--Tolm真题练习"));
  // The whole window: the client area of 764 x 478 and the skinned frame.
  w.resize(772, 512);
  w.show();
  return app.exec();
}
