#pragma once
// Tdm: the data module that owns the one database connection and the one skin
// data object of the process. The skin is loaded after the connection opens;
// when the bank cannot be opened the skin is not loaded either.

#include <QPointer>

#include "db/connection.h"
#include "platform/component.h"
#include "skin/data/skin_data.h"

class Tdm : public TComponent {
  Q_OBJECT
 public:
  explicit Tdm(QObject* owner = nullptr);
  ~Tdm() override;

  TADOConnection* adocon;
  TsfSkinData* sfSkinData1;

  // The connection string handed to the connection for a bank at `appPath`.
  static QString ConnectionStringFor(const QString& appPath);
  // The database password every bank keeps.
  static QString Password();
  void DataModuleCreate(TObject* Sender);
};

extern Tdm* dm;

// Creates the data module as start-up does: members first, then the create
// handler, whose failures go to the application's exception handler.
Tdm* CreateDataModule(QObject* owner);
