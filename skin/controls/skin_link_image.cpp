#include "skin/controls/skin_link_image.h"

#include <QDesktopServices>
#include <QPointer>
#include <QUrl>

TsfSkinLinkImage::TsfSkinLinkImage(QWidget* parent) : TImage(parent) {
  setCursor(Qt::PointingHandCursor);
}

void TsfSkinLinkImage::Click() {
  QPointer<TsfSkinLinkImage> self(this);
  TImage::Click();
  if (!self || URL.isEmpty()) return;
  // A failure to open is not reported: the control stays as it was.
  QDesktopServices::openUrl(QUrl::fromUserInput(URL));
}
