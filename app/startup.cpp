#include "app/startup.h"

#include "app/automation.h"
#include "app/bank_import.h"
#include "app/data_module.h"
#include "app/frm_checksub.h"
#include "app/frm_tolmmain.h"
#include "app/upublic.h"
#include "platform/application.h"

#include <cstdio>

void StartProgram() {
  Application->Initialize();
  // An import cut short by a kill may have left its temporary files.
  bank_import::RemoveStaleImportFiles(GetAppPath());
  Application->SetTitle(QStringLiteral("Tolm真题练习"));
  CreateDataModule(Application);
  frm_checksub = new Tfrm_checksub();
  Application->RegisterForm(frm_checksub);
  // This instance is never shown: each practice makes a window of its own.
  // Its controls are made only if it ever is.
  frm_tolmmain = new Tfrm_tolmmain(nullptr, true);
}

void StopProgram() {
  delete frm_tolmmain;
  frm_tolmmain = nullptr;
  delete frm_checksub;
  frm_checksub = nullptr;
  delete dm;
}

int RunProgram() {
  // A check of the installed program: start up, say what was found, and
  // stop without waiting for the user; message boxes go to standard error.
  const bool paintOnce = InstallAutomation(Application);
  const bool selfTest = qEnvironmentVariableIsSet("TOLMSYS_SELFTEST") && !paintOnce;
  if (selfTest)
    SetMessageBoxHandler([](const TMessageBoxRequest& r) {
      fprintf(stderr, "message: %s\n", qUtf8Printable(r.Text));
      return IDOK;
    });
  StartProgram();
  if (selfTest) {
    printf("application path: %s\n", qUtf8Printable(GetApplicationPath()));
    printf("bank: %s\n", dm->adocon->Connected() ? "connected" : "not connected");
    printf("skin: %s\n", dm->sfSkinData1->IsEmpty ? "none" : "loaded");
    fflush(stdout);
    StopProgram();
    return 0;
  }
  // The program ends when its main window closes (TForm::Close ends the
  // loop), never because Qt saw a message box close as the last window.
  qApp->setQuitOnLastWindowClosed(false);
  Application->Run();
  StopProgram();
  return 0;
}
