#pragma once
// TImage: a windowless control that shows a picture, as the host's image
// control does: at its own size from the top-left, centred, or stretched
// over the control; keyed on its lower-left pixel when transparent; and with
// AutoSize the control takes the picture's size.

#include "platform/bitmap.h"
#include "platform/control.h"

class TImage : public TGraphicControl {
  Q_OBJECT
 public:
  explicit TImage(QWidget* parent = nullptr);

  const TBitmap& Picture() const { return m_picture; }
  void SetPicture(const TBitmap& picture);
  bool Stretch() const { return m_stretch; }
  void SetStretch(bool v);
  bool Center() const { return m_center; }
  void SetCenter(bool v);
  bool Transparent() const { return m_transparent; }
  void SetTransparent(bool v);
  bool AutoSize() const { return m_autoSize; }
  void SetAutoSize(bool v);

 protected:
  void Paint() override;

 private:
  void AdjustSize();
  TBitmap m_picture;
  bool m_stretch = false;
  bool m_center = false;
  bool m_transparent = false;
  bool m_autoSize = false;
};
