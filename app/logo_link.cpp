#include "app/logo_link.h"

#include <QFileInfo>
#include <QUrl>

#include "app/upublic.h"
#include "skin/controls/skin_link_image.h"

QString HelpPageUrl() {
  return QUrl::fromLocalFile(GetAppPath() + QStringLiteral("help/index.html")).toString();
}

TsfSkinLinkImage* MakeLogoLink(QWidget* parent, const char* name, int left, int top) {
  auto* link = new TsfSkinLinkImage(parent);
  link->setObjectName(QString::fromLatin1(name));
  link->SetBounds(left, top, 177, 49);
  const QString logo = GetAppPath() + QStringLiteral("pic/logo.bmp");
  // Without its picture the link still works, it just shows nothing.
  if (QFileInfo(logo).isFile()) {
    try {
      TBitmap picture;
      picture.LoadFromFile(logo);
      link->SetPicture(picture);
    } catch (const std::exception&) {
    }
  }
  link->URL = HelpPageUrl();
  return link;
}
