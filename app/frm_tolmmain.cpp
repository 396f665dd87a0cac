#include "app/frm_tolmmain.h"

#include <QDateTime>

#include "app/data_module.h"
#include "app/skinned_window.h"
#include "app/store.h"
#include "app/upublic.h"
#include "db/data_source.h"
#include "db/query.h"
#include "platform/application.h"
#include "treelist/db_tree_list.h"
#include "treelist/tree_list_column.h"

Tfrm_tolmmain* frm_tolmmain = nullptr;

namespace {
const QString kLeaveQuestion = QStringLiteral("确定要退出本次练习？");

TADOQuery* MakeQuery(QObject* owner, const char* name) {
  auto* q = new TADOQuery(owner);
  q->setObjectName(QString::fromLatin1(name));
  q->SetConnection(dm ? dm->adocon : nullptr);
  return q;
}

void Rerun(TADOQuery* q, const QString& sql) {
  q->Close();
  q->SQL()->Clear();
  q->SQL()->Add(sql);
  q->Open();
}
}  // namespace

Tfrm_tolmmain::Tfrm_tolmmain(QWidget* owner) : TForm(owner) {
  setObjectName(QStringLiteral("frm_tolmmain"));
  BeginLoading();
  SetCaption(QStringLiteral("Tolm练习工具"));
  move(171, 109);
  SetClientSize(816, 498);
  Font()->SetName(QStringLiteral("MS Sans Serif"));
  Font()->SetSize(8);
  QWidget* client = ChildParent();

  qry_subject = MakeQuery(this, "qry_subject");
  ds_subject = new TDataSource(this);
  ds_subject->setObjectName(QStringLiteral("ds_subject"));
  ds_subject->SetDataSet(qry_subject);
  qry_sub = MakeQuery(this, "qry_sub");
  qry_chengji = MakeQuery(this, "qry_chengji");

  RptLists = new TtlDBTreeList(client);
  RptLists->setObjectName(QStringLiteral("RptLists"));
  RptLists->BeginLoading();
  RptLists->SetAlign(alLeft);
  RptLists->SetWidth(225);
  RptLists->Font()->SetName(QStringLiteral("宋体"));
  RptLists->Font()->SetCharset(GB2312_CHARSET);
  RptLists->Font()->SetHeight(13);
  RptLists->SetCtl3D(false);
  RptLists->SetShowHeader(false);
  RptLists->SetShowLines(false);
  RptLists->SetTreeLineColor(clGrayText);
  RptLists->SetScrollBars(ssVertical);
  RptLists->Bands()->Add();
  RptLists->OptionsBehavior = OptB(etoAutoDragDrop) | OptB(etoAutoDragDropCopy) | OptB(etoAutoSort) |
                              OptB(etoDblClick) | OptB(etoDragExpand) | OptB(etoDragScroll) |
                              OptB(etoEditing) | OptB(etoEnterShowEditor) | OptB(etoImmediateEditor) |
                              OptB(etoTabThrough);
  RptLists->SetOptionsView(Opt(etoBandHeaderWidth) | Opt(etoDrawEndEllipsis) | Opt(etoRowSelect) |
                           Opt(etoUseBitmap) | Opt(etoUseImageIndexForSelected));

  RptListsNAME = RptLists->CreateColumnOf<TtlDBTreeListMaskColumn>();
  RptListsNAME->setObjectName(QStringLiteral("RptListsNAME"));
  RptListsNAME->SetCaption(QStringLiteral("标题"));
  RptListsNAME->HeaderAlignment = taCenter;
  RptListsNAME->SetWidth(220);
  RptListsNAME->SetBandIndex(0);
  RptListsNAME->SetRowIndex(0);
  RptListsNAME->SetFieldName(QStringLiteral("titlename"));
  auto hidden = [this](const char* name, const char* field, const QString& caption, int width) {
    auto* c = RptLists->CreateColumnOf<TtlDBTreeListColumn>();
    c->setObjectName(QString::fromLatin1(name));
    if (!caption.isEmpty()) c->SetCaption(caption);
    if (width > 0) c->SetWidth(width);
    c->SetVisible(false);
    c->SetFieldName(QString::fromLatin1(field));
    return c;
  };
  RptListsColumn2 = hidden("RptListsColumn2", "subject_kind", QStringLiteral("类别"), 50);
  RptListsColumn3 = hidden("RptListsColumn3", "subjext_text", QString(), 0);
  RptListsColumn4 = hidden("RptListsColumn4", "subject_id", QString(), 0);
  RptLists->SetDataSource(ds_subject);
  RptLists->SetKeyField(QStringLiteral("subject_id"));
  RptLists->SetParentField(QStringLiteral("par_id"));
  RptLists->EndLoading();

  OnShow = [this](TObject* s) { FormShow(s); };
  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
  sfSkinForm1 = CreateWindowSkinner(this);
  EndLoading();
}

void Tfrm_tolmmain::FormShow(TObject*) {
  const QString started = store::FormatStartTime(QDateTime::currentDateTime());
  RunSql(store::StartExercise(FTitleId, started));
  FExerId = GetMaxValue(QStringLiteral("t_exercise"), QStringLiteral("exer_id"));
  InitExerResult();
}

void Tfrm_tolmmain::InitExerResult() {
  Rerun(qry_sub, store::PaperNodes(FTitleId));
  const int nodes = qry_sub->RecordCount();
  for (int i = 0; i < nodes; ++i) {
    RunSql(store::AddResultRow(FExerId, qry_sub->FieldByName(QStringLiteral("subject_id"))->AsString()));
    qry_sub->Next();
  }
  Rerun(qry_subject, store::ExerciseRows(FExerId));
}

void Tfrm_tolmmain::ReopenRows() {
  const int recNo = qry_subject->RecNo();
  Rerun(qry_subject, store::ExerciseRows(FExerId));
  qry_subject->SetRecNo(recNo);
}

void Tfrm_tolmmain::FormCloseQuery(TObject*, bool& CanClose) {
  if (ConfirmYesNo(kLeaveQuestion) != IDYES) {
    CanClose = false;
    return;
  }
  // An exercise that never started leaves nothing to discard.
  if (!FExerId.isEmpty()) {
    RunSql(store::DiscardExercise(FExerId));
    RunSql(store::DiscardResults(FExerId));
  }
  CanClose = true;
}
