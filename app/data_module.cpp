#include "app/data_module.h"

#include "app/upublic.h"
#include "platform/application.h"

Tdm* dm = nullptr;

namespace {
const char kPassword[] = "qelvorn";
}

Tdm::Tdm(QObject* owner)
    : TComponent(owner), adocon(new TADOConnection(this)), sfSkinData1(new TsfSkinData(this)) {
  setObjectName(QStringLiteral("dm"));
  adocon->setObjectName(QStringLiteral("adocon"));
  sfSkinData1->setObjectName(QStringLiteral("sfSkinData1"));
  sfSkinData1->SetSkinnableForm(true);
  sfSkinData1->AnimationForAllWindows = false;
  sfSkinData1->EnableSkinEffects = true;
  sfSkinData1->ShowButtonGlowFrames = true;
  sfSkinData1->ShowCaptionButtonGlowFrames = true;
  sfSkinData1->SetShowLayeredBorders(true);
  sfSkinData1->SetSkinIndex(0);
}

Tdm::~Tdm() {
  if (dm == this) dm = nullptr;
}

QString Tdm::Password() { return QString::fromLatin1(kPassword); }

QString Tdm::ConnectionStringFor(const QString& appPath) {
  const QString q = QStringLiteral("\"");
  const QString empty = QStringLiteral("\"\"");
  QString s;
  auto add = [&s](const QString& key, const QString& value) { s += key + '=' + value + ';'; };
  add(QStringLiteral("Provider"), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
  add(QStringLiteral("User ID"), QStringLiteral("Admin"));
  add(QStringLiteral("Data Source"), q + appPath + QStringLiteral("ength.dll") + q);
  add(QStringLiteral("Extended Properties"), empty);
  add(QStringLiteral("Jet OLEDB:System database"), empty);
  add(QStringLiteral("Jet OLEDB:Registry Path"), empty);
  add(QStringLiteral("Jet OLEDB:Database Password"), q + Password() + q);
  add(QStringLiteral("Jet OLEDB:Engine Type"), QStringLiteral("5"));
  add(QStringLiteral("Jet OLEDB:Database Locking Mode"), QStringLiteral("1"));
  add(QStringLiteral("Jet OLEDB:Global Partial Bulk Ops"), QStringLiteral("2"));
  add(QStringLiteral("Jet OLEDB:Global Bulk Transactions"), QStringLiteral("1"));
  add(QStringLiteral("Jet OLEDB:New Database Password"), empty);
  add(QStringLiteral("Jet OLEDB:Create System Database"), QStringLiteral("False"));
  add(QStringLiteral("Jet OLEDB:Encrypt Database"), QStringLiteral("False"));
  add(QStringLiteral("Jet OLEDB:Don't Copy Locale on Compact"), QStringLiteral("False"));
  add(QStringLiteral("Jet OLEDB:Compact Without Replica Repair"), QStringLiteral("False"));
  add(QStringLiteral("Jet OLEDB:SFP"), QStringLiteral("False"));
  return s;
}

void Tdm::DataModuleCreate(TObject*) {
  const QString path = GetAppPath();
  adocon->SetConnectionString(ConnectionStringFor(path));
  adocon->LoginPrompt = false;
  adocon->SetConnected(true);
  sfSkinData1->LoadSkinFile(GetAppPath() + QStringLiteral("pic/Modern/skin.ini"));
}

Tdm* CreateDataModule(QObject* owner) {
  auto* module = new Tdm(owner);
  dm = module;
  try {
    module->DataModuleCreate(module);
  } catch (const std::exception& e) {
    if (Application) Application->HandleException(e);
  }
  return module;
}
