#pragma once
// TsfSkinLinkImage: a picture that works as a web link. A click raises
// OnClick and then hands URL to the desktop to open; whether that works is
// not examined. It has no skin record: it draws as a plain image.

#include "platform/image.h"

// The host's hand-point cursor value.
constexpr int crHandPoint = -21;

class TsfSkinLinkImage : public TImage {
  Q_OBJECT
 public:
  explicit TsfSkinLinkImage(QWidget* parent = nullptr);

  QString URL;
  int Cursor() const { return m_cursor; }

 protected:
  void Click() override;

 private:
  int m_cursor = crHandPoint;
};
