#pragma once
// Tfrm_checksub: the paper selection window, the main window of the program.

#include "platform/form.h"

class TsfSkinForm;

class Tfrm_checksub : public TForm {
  Q_OBJECT
 public:
  explicit Tfrm_checksub(QWidget* owner = nullptr);

  // The skinned frame: caption, caption buttons, moving and sizing.
  TsfSkinForm* sfSkinForm1;
};

extern Tfrm_checksub* frm_checksub;
