#include "app/startup.h"

#include "app/data_module.h"
#include "app/frm_checksub.h"
#include "app/frm_tolmmain.h"
#include "platform/application.h"

void StartProgram() {
  Application->Initialize();
  Application->SetTitle(QStringLiteral("Tolm真题练习"));
  CreateDataModule(Application);
  frm_checksub = new Tfrm_checksub();
  Application->RegisterForm(frm_checksub);
  // This instance is never shown: each practice makes a window of its own.
  frm_tolmmain = new Tfrm_tolmmain();
}

void StopProgram() {
  delete frm_tolmmain;
  frm_tolmmain = nullptr;
  delete frm_checksub;
  frm_checksub = nullptr;
  delete dm;
}

int RunProgram() {
  StartProgram();
  Application->Run();
  StopProgram();
  return 0;
}
