#pragma once
// Tfrm_tolmmain: the practice window.

#include "platform/form.h"

class TsfSkinForm;

class Tfrm_tolmmain : public TForm {
  Q_OBJECT
 public:
  explicit Tfrm_tolmmain(QWidget* owner = nullptr);

  // The skinned frame: caption, caption buttons, moving and sizing.
  TsfSkinForm* sfSkinForm1;
  // The paper practised, as text.
  QString title_id;
};

extern Tfrm_tolmmain* frm_tolmmain;
