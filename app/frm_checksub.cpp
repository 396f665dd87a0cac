#include "app/frm_checksub.h"

#include "app/skinned_window.h"

Tfrm_checksub* frm_checksub = nullptr;

Tfrm_checksub::Tfrm_checksub(QWidget* owner) : TForm(owner) {
  setObjectName(QStringLiteral("frm_checksub"));
  SetCaption(QStringLiteral("Vardel软件--Tolm真题练习"));
  move(212, 116);
  SetClientSize(764, 478);
  Font()->SetName(QStringLiteral("MS Sans Serif"));
  Font()->SetSize(8);
  sfSkinForm1 = CreateWindowSkinner(this);
}
