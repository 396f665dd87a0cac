#include "app/frm_tolmmain.h"

#include <QDateTime>
#include <functional>

#include "app/data_module.h"
#include "app/frm_checksub.h"
#include "app/logo_link.h"
#include "app/skinned_window.h"
#include "app/store.h"
#include "app/upublic.h"
#include "db/data_source.h"
#include "db/query.h"
#include "platform/application.h"
#include "platform/label.h"
#include "platform/stream.h"
#include "skin/controls/memo.h"
#include "skin/controls/rich_edit.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_check_radio.h"
#include "skin/controls/skin_link_image.h"
#include "skin/controls/skin_panel.h"
#include "treelist/db_tree_list.h"
#include "treelist/tree_list_column.h"

Tfrm_tolmmain* frm_tolmmain = nullptr;

namespace {
const QString kLeaveQuestion = QStringLiteral("确定要退出本次练习？");
const QString kShowExplanation = QStringLiteral("显示解析");
const QString kHideExplanation = QStringLiteral("隐藏解析");

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

TsfSkinData* Skin() { return dm ? dm->sfSkinData1 : nullptr; }

// Runs `statements` in one transaction of the bank. Each statement alone is a
// transaction of its own with its own flush to disk: a paper of many thousand
// nodes took many minutes to start. What ran before a failure stays, as it
// would statement by statement.
void InOneTransaction(const std::function<void()>& statements) {
  RunSql(QStringLiteral("begin"));
  try {
    statements();
  } catch (...) {
    try {
      RunSql(QStringLiteral("commit"));
    } catch (const std::exception&) {
      // The engine already ended the transaction (it rolls back on some errors).
    }
    throw;
  }
  RunSql(QStringLiteral("commit"));
}

// A skinned control with its record name and, unless `skinned` is off, the
// program's skin data.
template <class T>
T* Make(QWidget* parent, const char* name, const char* record, bool skinned = true) {
  auto* c = new T(parent);
  c->setObjectName(QString::fromLatin1(name));
  c->SetSkinDataName(QString::fromLatin1(record));
  if (skinned) c->SetSkinData(Skin());
  return c;
}

TsfSkinButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int left) {
  auto* b = Make<TsfSkinButton>(parent, name, "button");
  b->SetCaption(caption);
  b->SetBounds(left, 8, 75, 25);
  return b;
}

TsfSkinScrollBar* MakeBar(QWidget* parent, const char* name, int max, int page) {
  auto* bar = Make<TsfSkinScrollBar>(parent, name, "vscrollbar", false);
  bar->SetKind(sbVertical);
  bar->SetAlign(alRight);
  bar->SetWidth(19);
  bar->SetMin(0);
  bar->SetMax(max);
  bar->SetPageSize(page);
  bar->SetEnabled(false);
  return bar;
}

TsfSkinRichEdit* MakeRichEdit(QWidget* parent, const char* name, TScrollStyle bars) {
  auto* re = Make<TsfSkinRichEdit>(parent, name, "richedit");
  re->SetAlign(alClient);
  re->SetScrollBars(bars);
  re->SetReadOnly(false);
  return re;
}

void ArialFourteen(TFont* f) {
  f->SetName(QStringLiteral("Arial"));
  f->SetHeight(14);
}
}  // namespace

Tfrm_tolmmain::Tfrm_tolmmain(QWidget* owner, bool deferControls) : TForm(owner) {
  setObjectName(QStringLiteral("frm_tolmmain"));
  BeginLoading();
  SetCaption(QStringLiteral("Tolm练习工具"));
  move(171, 109);
  SetClientSize(816, 498);
  Font()->SetName(QStringLiteral("MS Sans Serif"));
  Font()->SetSize(8);
  if (deferControls)
    EndLoading();
  else
    BuildControls();
}

void Tfrm_tolmmain::setVisible(bool visible) {
  if (visible) BuildControls();
  TForm::setVisible(visible);
}

void Tfrm_tolmmain::BuildControls() {
  if (m_built) return;
  m_built = true;
  BeginLoading();
  QWidget* client = ChildParent();

  qry_subject = MakeQuery(this, "qry_subject");
  ds_subject = new TDataSource(this);
  ds_subject->setObjectName(QStringLiteral("ds_subject"));
  ds_subject->SetDataSet(qry_subject);
  qry_sub = MakeQuery(this, "qry_sub");
  qry_chengji = MakeQuery(this, "qry_chengji");

  // The paper's tree.
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
  // A question row can be dragged onto another: the drop rewrites its parent.
  RptLists->DragMode = dmAutomatic;
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
  RptLists->OnClick = [this](TObject* s) { RptListsClick(s); };
  RptLists->OnDblClick = [this](TObject* s) { RptListsDblClick(s); };
  RptLists->EndLoading();

  // The logo strip.
  sfSkinPanel1 = Make<TsfSkinPanel>(client, "sfSkinPanel1", "panel");
  sfSkinPanel1->SetAlign(alTop);
  sfSkinPanel1->SetHeight(53);
  sfSkinPanel1->SetCaption(QStringLiteral("sfSkinPanel1"));
  sfSkinLinkImage1 = MakeLogoLink(sfSkinPanel1, "sfSkinLinkImage1", 0, 0);

  // The right-hand side: button row, question page, cover page, score box.
  sfSkinPanel2 = Make<TsfSkinPanel>(client, "sfSkinPanel2", "panel", false);
  sfSkinPanel2->SetAlign(alClient);
  sfSkinPanel2->SetCaption(QString());
  sfSkinPanel3 = Make<TsfSkinPanel>(sfSkinPanel2, "sfSkinPanel3", "panel");
  sfSkinPanel3->SetAlign(alBottom);
  sfSkinPanel3->SetHeight(40);
  sfSkinPanel3->SetCaption(QStringLiteral("sfSkinPanel2"));
  sfSkinButton4 = MakeButton(sfSkinPanel3, "sfSkinButton4", QStringLiteral("上一题"), 8);
  sfSkinButton6 = MakeButton(sfSkinPanel3, "sfSkinButton6", QStringLiteral("下一题"), 88);
  sfSkinButton3 = MakeButton(sfSkinPanel3, "sfSkinButton3", QStringLiteral("保存"), 168);
  c_next = Make<TsfSkinCheckRadioBox>(sfSkinPanel3, "c_next", "checkbox", false);
  c_next->SetCaption(QStringLiteral("保存下一题"));
  c_next->SetBounds(248, 8, 89, 25);
  c_next->SetChecked(false);
  c_next->SetFlat(true);
  sfSkinButton5 = MakeButton(sfSkinPanel3, "sfSkinButton5", kShowExplanation, 344);
  sfSkinButton2 = MakeButton(sfSkinPanel3, "sfSkinButton2", QStringLiteral("计算成绩"), 424);
  sfSkinButton1 = MakeButton(sfSkinPanel3, "sfSkinButton1", QStringLiteral("返回菜单"), 504);
  sfSkinButton4->OnClick = [this](TObject* s) { sfSkinButton4Click(s); };
  sfSkinButton6->OnClick = [this](TObject* s) { sfSkinButton6Click(s); };
  sfSkinButton3->OnClick = [this](TObject* s) { sfSkinButton3Click(s); };
  sfSkinButton5->OnClick = [this](TObject* s) { sfSkinButton5Click(s); };
  sfSkinButton2->OnClick = [this](TObject* s) { sfSkinButton2Click(s); };
  sfSkinButton1->OnClick = [this](TObject* s) { sfSkinButton1Click(s); };

  P_tm = Make<TsfSkinPanel>(sfSkinPanel2, "P_tm", "panel");
  P_tm->SetAlign(alClient);
  P_tm->SetCaption(QStringLiteral("P_tm"));
  CreateQuestionPage();

  p_1 = Make<TsfSkinPanel>(sfSkinPanel2, "p_1", "panel");
  p_1->SetAlign(alClient);
  p_1->SetCaption(QString());
  p_1->raise();  // covers the question page while visible
  Label1 = new TLabel(p_1);
  Label1->BeginLoading();
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->SetAutoSize(false);
  Label1->SetBounds(144, 80, 321, 116);
  Label1->Font()->SetName(QStringLiteral("Tahoma"));
  Label1->Font()->SetHeight(96);
  Label1->Font()->SetStyle(fsBold | fsItalic);
  Label1->Font()->SetColor(clBlue);
  Label1->SetTransparent(true);
  Label1->SetCaption(QStringLiteral("TOLM "));
  Label1->EndLoading();
  Label3 = new TLabel(p_1);
  Label3->BeginLoading();
  Label3->setObjectName(QStringLiteral("Label3"));
  Label3->SetLeft(416);
  Label3->SetTop(368);
  Label3->SetCaption(QStringLiteral("tolmsys 开发组 制作"));
  Label3->EndLoading();
  Label4 = new TLabel(p_1);
  Label4->BeginLoading();
  Label4->setObjectName(QStringLiteral("Label4"));
  Label4->SetLeft(456);
  Label4->SetTop(392);
  Label4->SetCaption(QStringLiteral("2010年3月"));
  Label4->EndLoading();

  p_cj = Make<TsfSkinGroupBox>(sfSkinPanel2, "p_cj", "groupbox");
  p_cj->SetCaptionMode(true);
  p_cj->SetCaption(QStringLiteral("练习成绩"));
  p_cj->SetBounds(136, 88, 305, 217);
  p_cj->SetVisible(false);
  p_cj->raise();
  Label2 = new TLabel(p_cj);
  Label2->BeginLoading();
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->SetLeft(16);
  Label2->SetTop(48);
  Label2->Font()->SetName(QStringLiteral("宋体"));
  Label2->Font()->SetHeight(21);
  Label2->Font()->SetStyle(fsBold | fsItalic);
  Label2->SetCaption(QStringLiteral("客观题成绩："));
  Label2->EndLoading();
  lb_cj = new TLabel(p_cj);
  lb_cj->BeginLoading();
  lb_cj->setObjectName(QStringLiteral("lb_cj"));
  lb_cj->SetAutoSize(false);
  lb_cj->SetBounds(64, 96, 225, 56);
  lb_cj->Font()->SetName(QStringLiteral("宋体"));
  lb_cj->Font()->SetHeight(56);
  lb_cj->Font()->SetStyle(fsBold | fsItalic);
  lb_cj->Font()->SetColor(clMaroon);
  lb_cj->SetCaption(QString());
  lb_cj->EndLoading();

  OnShow = [this](TObject* s) { FormShow(s); };
  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
  sfSkinForm1 = CreateWindowSkinner(this);
  EndLoading();
}

void Tfrm_tolmmain::CreateQuestionPage() {
  // The stem pane of sections and passages, with its bar on the right.
  sfSkinPanel4 = Make<TsfSkinPanel>(P_tm, "sfSkinPanel4", "panel", false);
  sfSkinPanel4->SetAlign(alTop);
  sfSkinPanel4->SetHeight(155);
  sfSkinPanel4->SetCaption(QString());
  sfSkinScrollBar1 = MakeBar(sfSkinPanel4, "sfSkinScrollBar1", 100, 0);
  re_sub = MakeRichEdit(sfSkinPanel4, "re_sub", ssVertical);
  ArialFourteen(re_sub->Font());
  re_sub->SetWantTabs(true);
  re_sub->SetVScrollBar(sfSkinScrollBar1);

  // The question box.
  lbl_th = Make<TsfSkinGroupBox>(P_tm, "lbl_th", "groupbox");
  lbl_th->SetCaptionMode(true);
  lbl_th->SetAlign(alBottom);
  lbl_th->SetHeight(246);
  lbl_th->SetCaption(QStringLiteral("lbl_th"));

  pre_subject_reso = Make<TsfSkinGroupBox>(lbl_th, "pre_subject_reso", "groupbox");
  pre_subject_reso->SetCaptionMode(true);
  pre_subject_reso->SetCaption(QStringLiteral("解析"));
  pre_subject_reso->SetHeight(77);
  pre_subject_reso->SetAlign(alBottom);
  pre_subject_reso->SetVisible(false);
  sfSkinScrollBar3 = MakeBar(pre_subject_reso, "sfSkinScrollBar3", 36, 34);
  re_subject_reso = MakeRichEdit(pre_subject_reso, "re_subject_reso", ssBoth);
  re_subject_reso->SetVScrollBar(sfSkinScrollBar3);

  rg_subject_ansi = Make<TsfSkinRadioGroup>(lbl_th, "rg_subject_ansi", "groupbox");
  rg_subject_ansi->SetButtonSkinDataName(QStringLiteral("radiobox"));
  rg_subject_ansi->SetCaptionMode(false);
  rg_subject_ansi->SetCaption(QStringLiteral("选择"));
  rg_subject_ansi->SetHeight(55);
  rg_subject_ansi->SetAlign(alBottom);
  rg_subject_ansi->SetColumns(4);
  rg_subject_ansi->SetItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                             QStringLiteral("D")});
  rg_subject_ansi->SetVisible(false);

  pm_rg_subject_ansi = Make<TsfSkinGroupBox>(lbl_th, "pm_rg_subject_ansi", "groupbox");
  pm_rg_subject_ansi->SetCaptionMode(true);
  pm_rg_subject_ansi->SetCaption(QStringLiteral("输入答案"));
  pm_rg_subject_ansi->SetHeight(57);
  pm_rg_subject_ansi->SetAlign(alBottom);
  pm_rg_subject_ansi->SetVisible(false);
  m_rg_subject_ansi = Make<TsfSkinMemo>(pm_rg_subject_ansi, "m_rg_subject_ansi", "memo");
  m_rg_subject_ansi->SetAlign(alClient);
  ArialFourteen(m_rg_subject_ansi->Font());
  m_rg_subject_ansi->Font()->SetColor(clBlack);
  m_rg_subject_ansi->SetScrollBars(ssBoth);

  // The question text fills the rest of the box.
  sfSkinPanel5 = Make<TsfSkinPanel>(lbl_th, "sfSkinPanel5", "panel", false);
  sfSkinPanel5->SetAlign(alClient);
  sfSkinPanel5->SetCaption(QString());
  sfSkinScrollBar2 = MakeBar(sfSkinPanel5, "sfSkinScrollBar2", 100, 0);
  re_subjext_text = MakeRichEdit(sfSkinPanel5, "re_subjext_text", ssBoth);
  ArialFourteen(re_subjext_text->Font());
  StackQuestionBoxes();
}

void Tfrm_tolmmain::StackQuestionBoxes() {
  // Bottom-aligned siblings keep the order of their bottom edges: the one
  // lowest down is laid out first, at the bottom. Each box in turn is moved
  // below all others, the one that belongs lowest last.
  int top = 30000;
  for (TControl* box : std::initializer_list<TControl*>{pre_subject_reso, rg_subject_ansi, pm_rg_subject_ansi}) {
    box->SetTop(top);
    top += 1000;
  }
  lbl_th->Realign();
}

QString Tfrm_tolmmain::Field(const QString& name) const {
  return qry_subject->FieldByName(name)->AsString();
}

// The skinner gives the window its own frame back when it goes: it must go
// while the window is still whole, not among the children Qt deletes last.
Tfrm_tolmmain::~Tfrm_tolmmain() { DestroyWindowSkinner(sfSkinForm1); }

void Tfrm_tolmmain::FormShow(TObject*) {
  BuildControls();
  const QString started = store::FormatStartTime(QDateTime::currentDateTime());
  RunSql(store::StartExercise(FTitleId, started));
  FExerId = GetMaxValue(QStringLiteral("t_exercise"), QStringLiteral("exer_id"));
  InitExerResult();
  sfSkinButton6Click(this);
}

void Tfrm_tolmmain::InitExerResult() {
  BuildControls();
  Rerun(qry_sub, store::PaperNodes(FTitleId));
  const int nodes = qry_sub->RecordCount();
  InOneTransaction([&] {
    for (int i = 0; i < nodes; ++i) {
      RunSql(store::AddResultRow(FExerId, qry_sub->FieldByName(QStringLiteral("subject_id"))->AsString()));
      qry_sub->Next();
    }
  });
  // The paper's nodes serve only the inserts: left open, the query would
  // hold a second copy of the whole paper for as long as the practice runs.
  qry_sub->Close();
  Rerun(qry_subject, store::ExerciseRows(FExerId));
}

void Tfrm_tolmmain::ReopenRows() {
  const int recNo = qry_subject->RecNo();
  Rerun(qry_subject, store::ExerciseRows(FExerId));
  qry_subject->SetRecNo(recNo);
}

void Tfrm_tolmmain::sfSkinButton2Click(TObject*) {
  BuildControls();
  Rerun(qry_chengji, store::ObjectiveScore(FExerId));
  const QString points = practice::ScoreText(qry_chengji->FieldByName(QStringLiteral("spoint"))->AsString());
  RunSql(store::StoreScore(points, FExerId));
  p_cj->SetVisible(true);
  lb_cj->SetCaption(points + QStringLiteral("分"));
  ReopenRows();
}

void Tfrm_tolmmain::sfSkinButton1Click(TObject*) { Close(); }

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
  if (frm_checksub) frm_checksub->Show();
  CanClose = true;
}

void Tfrm_tolmmain::RptListsClick(TObject*) {
  BuildControls();
  p_1->SetVisible(Field(QStringLiteral("subject_kind")) == practice::kPaper);
}

void Tfrm_tolmmain::LoadMemo(TsfSkinRichEdit* edit, const QString& fieldName) {
  TMemoryStream stream;
  qry_subject->FieldByName(fieldName)->SaveToStream(stream);
  stream.SetPosition(0);
  edit->LoadFromStream(stream);
}

void Tfrm_tolmmain::RptListsDblClick(TObject*) {
  BuildControls();
  p_cj->SetVisible(false);
  if (!qry_subject->Active() || qry_subject->IsEmpty()) return;
  // Whatever the page shows from here on belongs to this row: a save goes to it.
  m_shown = practice::TShownRow::FromCurrentRow(qry_subject);
  const QString kind = Field(QStringLiteral("subject_kind"));
  if (kind == practice::kGroup || kind == practice::kSection) {
    lbl_th->SetVisible(false);
    LoadMemo(re_sub, QStringLiteral("subjext_text"));
    return;
  }
  if (kind != practice::kQuestion) return;
  lbl_th->SetVisible(true);
  LoadMemo(re_subject_reso, QStringLiteral("subject_reso"));
  LoadMemo(re_subjext_text, QStringLiteral("subjext_text"));
  lbl_th->SetCaption(QStringLiteral("第 ") + Field(QStringLiteral("title_name")) + QStringLiteral(" 题"));
  const QString form = Field(QStringLiteral("type_show"));
  if (form == practice::kChoice) {
    rg_subject_ansi->SetVisible(true);
    pm_rg_subject_ansi->SetVisible(false);
    rg_subject_ansi->SetItemIndex(-1);
    const QString saved = Field(QStringLiteral("exre_text"));
    if (!saved.isEmpty())
      rg_subject_ansi->SetItemIndex(practice::ChoiceIndexFor(saved, rg_subject_ansi->Items().size()));
  }
  if (form == practice::kFreeText) {
    rg_subject_ansi->SetVisible(false);
    pm_rg_subject_ansi->SetVisible(true);
    m_rg_subject_ansi->SetText(Field(QStringLiteral("exre_text")));
  }
  StackQuestionBoxes();
  re_subject_reso->SetText(Field(QStringLiteral("subject_reso")));
}

void Tfrm_tolmmain::sfSkinButton3Click(TObject*) {
  BuildControls();
  if (m_shown.valid) {
    const int item = rg_subject_ansi->ItemIndex();
    const QString choice = item >= 0 && item < rg_subject_ansi->Items().size()
                               ? rg_subject_ansi->Items().at(item)
                               : QString();
    const QString answer = practice::AnswerFor(m_shown.type_show, choice, m_rg_subject_ansi->Text());
    const QString mark = store::MarkFor(answer, m_shown.subject_ansi);
    RunSql(store::SaveAnswer(answer, mark, m_shown.exre_id));
    ReopenRows();
  }
  if (c_next->Checked()) sfSkinButton6Click(this);
}

void Tfrm_tolmmain::sfSkinButton6Click(TObject* sender) {
  BuildControls();
  qry_subject->Next();
  RptListsClick(sender);
  RptListsDblClick(sender);
}

void Tfrm_tolmmain::sfSkinButton4Click(TObject* sender) {
  BuildControls();
  qry_subject->Prior();
  RptListsClick(sender);
  RptListsDblClick(sender);
}

void Tfrm_tolmmain::sfSkinButton5Click(TObject*) {
  BuildControls();
  pre_subject_reso->SetVisible(!pre_subject_reso->Visible());
  sfSkinButton5->SetCaption(pre_subject_reso->Visible() ? kHideExplanation : kShowExplanation);
  StackQuestionBoxes();
}
