#include "app/skinned_window.h"

#include "app/data_module.h"
#include "skin/form/skin_form.h"

TsfSkinForm* CreateWindowSkinner(TForm* form) {
  auto* skinner = new TsfSkinForm(form);
  skinner->SetName(QStringLiteral("sfSkinForm1"));
  skinner->DefCaptionFont.SetColor(clWindowText);
  skinner->DefInActiveCaptionFont.SetColor(clBtnShadow);
  skinner->DefMenuItemHeight = 20;
  skinner->SetSkinData(dm ? dm->sfSkinData1 : nullptr);
  return skinner;
}

void DestroyWindowSkinner(TsfSkinForm* skinner) { delete skinner; }
