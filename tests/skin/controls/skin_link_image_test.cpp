// The link image: OnClick first, then the address handed to the desktop.

#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QUrl>

#include "skin/controls/skin_link_image.h"
#include "tests/skin/controls/control_fixture.h"

namespace {

// Stands in for the desktop's handler of web addresses and records the order
// of events.
class UrlRecorder : public QObject {
  Q_OBJECT
 public:
  explicit UrlRecorder(QStringList* log) : m_log(log) {
    QDesktopServices::setUrlHandler("http", this, "Open");
    QDesktopServices::setUrlHandler("https", this, "Open");
  }
  ~UrlRecorder() override {
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("https");
  }
 public slots:
  void Open(const QUrl& url) { *m_log << "open " + url.toString(); }

 private:
  QStringList* m_log;
};

}  // namespace

TEST(SkinLinkImage, ClickRaisesOnClickThenOpensTheAddress) {
  QStringList log;
  UrlRecorder recorder(&log);
  TsfSkinLinkImage image;
  image.SetBounds(0, 0, 177, 49);
  image.show();
  EXPECT_EQ(image.Cursor(), crHandPoint);
  EXPECT_EQ(image.cursor().shape(), Qt::PointingHandCursor);
  image.OnClick = [&](TObject*) { log << "click"; };

  QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_EQ(log, QStringList{"click"});  // no address: nothing opened

  image.URL = "http://example.org/";
  QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_EQ(log, (QStringList{"click", "click", "open http://example.org/"}));

  // An address nothing can open is ignored.
  image.URL = "nosuchscheme:thing";
  QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(20, 20));
  EXPECT_EQ(log.size(), 4);
}

#include "skin_link_image_test.moc"
