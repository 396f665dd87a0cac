#include "app/frm_tolmmain.h"

#include "app/skinned_window.h"

Tfrm_tolmmain* frm_tolmmain = nullptr;

Tfrm_tolmmain::Tfrm_tolmmain(QWidget* owner) : TForm(owner) {
  setObjectName(QStringLiteral("frm_tolmmain"));
  sfSkinForm1 = CreateWindowSkinner(this);
}
