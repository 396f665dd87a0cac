#pragma once
// Tfrm_checksub: the paper selection window, the main window of the program.
// It lists the papers, shows the name of the paper last clicked, starts a
// practice of the grid's current paper and imports a question bank.

#include <QPointer>

#include "platform/form.h"

class TADOQuery;
class TsfSkinForm;
class TDataSource;
class TLabel;
class TOpenDialog;
class TsfColumn;
class TsfSkinDBGrid;
class TsfSkinButton;
class TsfSkinLinkImage;
class TsfSkinPanel;

class Tfrm_checksub : public TForm {
  Q_OBJECT
 public:
  explicit Tfrm_checksub(QWidget* owner = nullptr);
  ~Tfrm_checksub() override;

  // The skinned frame: caption, caption buttons, moving and sizing.
  TsfSkinForm* sfSkinForm1;

  TsfSkinPanel* sfSkinPanel1;
  TsfSkinDBGrid* sfSkinDBGrid1;
  TsfSkinPanel* sfSkinPanel2;
  TsfSkinButton* sfSkinButton1;
  TsfSkinButton* sfSkinButton2;
  TDataSource* ds_title;
  TADOQuery* qry_title;
  TLabel* Label1;
  TLabel* Label3;
  TLabel* lbl_title;
  // Until the skinned open dialog exists: the host's, with its settings.
  TOpenDialog* sfSkinOpenDialog1;
  TsfSkinLinkImage* sfSkinLinkImage1;

  void FormShow(TObject* Sender);
  void sfSkinDBGrid1CellClick(TsfColumn* Column);
  void sfSkinButton2Click(TObject* Sender);
  void sfSkinButton1Click(TObject* Sender);
};

extern Tfrm_checksub* frm_checksub;
