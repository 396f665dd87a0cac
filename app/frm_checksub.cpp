#include "app/frm_checksub.h"

#include "app/bank_import.h"
#include "app/data_module.h"
#include "app/logo_link.h"
#include "app/skinned_window.h"
#include "app/frm_tolmmain.h"
#include "app/store.h"
#include "app/upublic.h"
#include "db/data_source.h"
#include "db/query.h"
#include "platform/application.h"
#include "platform/label.h"
#include "platform/open_dialog.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_link_image.h"
#include "skin/controls/skin_panel.h"
#include "skin/grids/skin_db_grid.h"

Tfrm_checksub* frm_checksub = nullptr;

namespace {
const QString kChoosePaper = QStringLiteral("请选择试卷，再开始!");
const QString kImportDone = QStringLiteral("导入完成!");
const QString kImportFailed = QStringLiteral("操作失败!");
}  // namespace

Tfrm_checksub::Tfrm_checksub(QWidget* owner) : TForm(owner) {
  setObjectName(QStringLiteral("frm_checksub"));
  BeginLoading();
  SetCaption(QStringLiteral("Vardel软件--Tolm真题练习"));
  move(212, 116);
  SetClientSize(764, 478);
  Font()->SetName(QStringLiteral("MS Sans Serif"));
  Font()->SetSize(8);
  QWidget* client = ChildParent();
  TsfSkinData* skin = dm ? dm->sfSkinData1 : nullptr;

  qry_title = new TADOQuery(this);
  qry_title->setObjectName(QStringLiteral("qry_title"));
  qry_title->SetConnection(dm ? dm->adocon : nullptr);
  ds_title = new TDataSource(this);
  ds_title->setObjectName(QStringLiteral("ds_title"));
  ds_title->SetDataSet(qry_title);

  sfSkinPanel1 = new TsfSkinPanel(client);
  sfSkinPanel1->setObjectName(QStringLiteral("sfSkinPanel1"));
  sfSkinPanel1->SetAlign(alTop);
  sfSkinPanel1->SetHeight(41);
  sfSkinPanel1->SetBorderStyle(bvFrame);
  sfSkinPanel1->SetCaption(QStringLiteral("sfSkinPanel1"));
  sfSkinPanel1->SetSkinDataName(QStringLiteral("panel"));
  sfSkinPanel1->SetSkinData(skin);

  sfSkinDBGrid1 = new TsfSkinDBGrid(client);
  sfSkinDBGrid1->setObjectName(QStringLiteral("sfSkinDBGrid1"));
  sfSkinDBGrid1->SetAlign(alLeft);
  sfSkinDBGrid1->SetWidth(297);
  // The stored row height; a usable "grid" record gives its own.
  sfSkinDBGrid1->SetDefaultRowHeight(17);
  sfSkinDBGrid1->MouseWheelSupport = false;
  sfSkinDBGrid1->PickListBoxSkinDataName = QStringLiteral("listbox");
  TsfColumn* paperColumn = sfSkinDBGrid1->Columns()->Add();
  paperColumn->SetFieldName(QStringLiteral("title_name"));
  paperColumn->Title()->SetCaption(QStringLiteral("真题考卷"));
  paperColumn->SetWidth(268);
  paperColumn->SetVisible(true);
  sfSkinDBGrid1->SetDataSource(ds_title);
  sfSkinDBGrid1->SetSkinDataName(QStringLiteral("grid"));
  sfSkinDBGrid1->SetSkinData(skin);
  sfSkinDBGrid1->OnCellClick = [this](TsfColumn* column) { sfSkinDBGrid1CellClick(column); };

  sfSkinPanel2 = new TsfSkinPanel(client);
  sfSkinPanel2->setObjectName(QStringLiteral("sfSkinPanel2"));
  sfSkinPanel2->SetAlign(alClient);
  sfSkinPanel2->SetBorderStyle(bvFrame);
  sfSkinPanel2->SetCaption(QStringLiteral("sfSkinPanel2"));
  sfSkinPanel2->SetSkinDataName(QStringLiteral("panel"));
  sfSkinPanel2->SetSkinData(skin);

  sfSkinButton1 = new TsfSkinButton(sfSkinPanel2);
  sfSkinButton1->setObjectName(QStringLiteral("sfSkinButton1"));
  sfSkinButton1->SetCaption(QStringLiteral("开始"));
  sfSkinButton1->SetBounds(184, 280, 75, 25);
  sfSkinButton1->SetSkinDataName(QStringLiteral("button"));
  sfSkinButton1->SetSkinData(skin);
  sfSkinButton1->OnClick = [this](TObject* s) { sfSkinButton1Click(s); };

  sfSkinButton2 = new TsfSkinButton(sfSkinPanel1);
  sfSkinButton2->setObjectName(QStringLiteral("sfSkinButton2"));
  sfSkinButton2->SetCaption(QStringLiteral("导入题库"));
  sfSkinButton2->SetBounds(32, 8, 97, 25);
  sfSkinButton2->SetSkinDataName(QStringLiteral("button"));
  sfSkinButton2->SetSkinData(skin);
  sfSkinButton2->OnClick = [this](TObject* s) { sfSkinButton2Click(s); };

  QWidget* page = sfSkinPanel2;
  Label1 = new TLabel(page);
  Label1->BeginLoading();
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->SetCaption(QStringLiteral("TOLM 练习工具"));
  Label1->Font()->SetName(QStringLiteral("宋体"));
  Label1->Font()->SetHeight(56);
  Label1->Font()->SetStyle(fsBold | fsItalic);
  Label1->Font()->SetColor(clNavy);
  Label1->SetTransparent(true);
  Label1->SetLeft(40);
  Label1->SetTop(72);
  Label1->EndLoading();

  Label3 = new TLabel(page);
  Label3->BeginLoading();
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->SetAutoSize(false);
  Label3->SetBounds(170, 368, 129, 13);
  Label3->SetCaption(QStringLiteral("tolmsys 开发组 制作"));
  Label3->EndLoading();

  lbl_title = new TLabel(page);
  lbl_title->BeginLoading();
  lbl_title->setObjectName(QStringLiteral("lbl_title"));
  lbl_title->SetAutoSize(false);
  lbl_title->SetBounds(40, 152, 369, 105);
  lbl_title->SetAlignment(taCenter);
  lbl_title->SetWordWrap(true);
  lbl_title->Font()->SetName(QStringLiteral("MS Sans Serif"));
  lbl_title->Font()->SetHeight(32);
  lbl_title->Font()->SetColor(clMaroon);
  lbl_title->SetTransparent(true);
  lbl_title->SetCaption(QString());
  lbl_title->EndLoading();

  sfSkinOpenDialog1 = new TOpenDialog(this);
  sfSkinOpenDialog1->setObjectName(QStringLiteral("sfSkinOpenDialog1"));
  sfSkinOpenDialog1->Title = QStringLiteral("Open file");
  sfSkinOpenDialog1->Filter = QStringLiteral("zk|*.zk");
  sfSkinOpenDialog1->FilterIndex = 1;
  sfSkinOpenDialog1->DefaultExt = QStringLiteral("zk");
  sfSkinOpenDialog1->CheckFileExists = true;
  sfSkinOpenDialog1->MultiSelection = false;
  sfSkinOpenDialog1->ShowHiddenFiles = false;

  sfSkinLinkImage1 = MakeLogoLink(sfSkinPanel2, "sfSkinLinkImage1", 8, 8);

  OnShow = [this](TObject* s) { FormShow(s); };
  sfSkinForm1 = CreateWindowSkinner(this);
  EndLoading();
}

// The skinner gives the window its own frame back when it goes: it must go
// while the window is still whole, not among the children Qt deletes last.
Tfrm_checksub::~Tfrm_checksub() { DestroyWindowSkinner(sfSkinForm1); }

void Tfrm_checksub::FormShow(TObject*) {
  qry_title->Close();
  qry_title->SQL()->Clear();
  qry_title->SQL()->Add(store::ListPapers());
  qry_title->Open();
  sfSkinDBGrid1CellClick(nullptr);
}

void Tfrm_checksub::sfSkinDBGrid1CellClick(TsfColumn*) {
  lbl_title->SetCaption(qry_title->FieldByName(QStringLiteral("title_name"))->AsString());
}

void Tfrm_checksub::sfSkinButton1Click(TObject*) {
  // A new row being typed into the grid has no paper behind it yet.
  const QString titleId = qry_title->Active() && !qry_title->IsEmpty()
                              ? qry_title->FieldByName(QStringLiteral("title_id"))->AsString()
                              : QString();
  if (lbl_title->Caption().isEmpty() || titleId.isEmpty()) {
    ShowMessage(kChoosePaper);
    return;
  }
  Tfrm_tolmmain* const hidden = frm_tolmmain;
  frm_tolmmain = new Tfrm_tolmmain();
  QPointer<Tfrm_tolmmain> practice = frm_tolmmain;
  // The window goes on every way out of its modal showing, errors included;
  // the variable then names the hidden instance made at start-up again.
  struct Destroy {
    QPointer<Tfrm_tolmmain>& window;
    Tfrm_tolmmain* hidden;
    ~Destroy() {
      delete window;
      frm_tolmmain = hidden;
    }
  } destroy{practice, hidden};
  practice->FTitleId = titleId;
  practice->ShowModal();
}

void Tfrm_checksub::sfSkinButton2Click(TObject*) {
  if (!sfSkinOpenDialog1->Execute()) return;
  // The bank is replaced only once the chosen file proved to be a bank; on
  // any failure the old bank stays in place and connected.
  if (bank_import::ImportBank(dm->adocon, GetAppPath(), sfSkinOpenDialog1->FileName()))
    ShowMessage(kImportDone);
  else
    ShowMessage(kImportFailed);
  FormShow(this);
}
