#pragma once
// Tfrm_tolmmain: the practice window. One is made for each practice, shown
// modally and destroyed when it closes. Showing it starts an exercise with a
// result row per node of the paper; the tree on the left moves through the
// paper, the page on the right shows the row displayed last; leaving the
// window discards the exercise.

#include <QPointer>

#include "app/practice.h"
#include "platform/form.h"

class TADOQuery;
class TsfSkinForm;
class TDataSource;
class TField;
class TLabel;
class TsfSkinButton;
class TsfSkinCheckRadioBox;
class TsfSkinGroupBox;
class TsfSkinLinkImage;
class TsfSkinMemo;
class TsfSkinPanel;
class TsfSkinRadioGroup;
class TsfSkinRichEdit;
class TsfSkinScrollBar;
class TtlDBTreeList;
class TtlDBTreeListColumn;
class TtlDBTreeListMaskColumn;

class Tfrm_tolmmain : public TForm {
  Q_OBJECT
 public:
  explicit Tfrm_tolmmain(QWidget* owner = nullptr);
  ~Tfrm_tolmmain() override;

  // The skinned frame: caption, caption buttons, moving and sizing.
  TsfSkinForm* sfSkinForm1;

  // The paper practised; set before the window is shown.
  QString FTitleId;
  // This window's exercise, as read back from the store; empty until started.
  QString FExerId;

  TtlDBTreeList* RptLists;
  TtlDBTreeListMaskColumn* RptListsNAME;
  TtlDBTreeListColumn* RptListsColumn2;
  TtlDBTreeListColumn* RptListsColumn3;
  TtlDBTreeListColumn* RptListsColumn4;
  TsfSkinPanel* sfSkinPanel1;
  TsfSkinPanel* sfSkinPanel2;
  TsfSkinPanel* sfSkinPanel3;
  TsfSkinButton* sfSkinButton3;
  TsfSkinButton* sfSkinButton6;
  TsfSkinButton* sfSkinButton4;
  TsfSkinPanel* p_1;
  TLabel* Label1;
  TsfSkinPanel* P_tm;
  TDataSource* ds_subject;
  TADOQuery* qry_subject;
  TsfSkinButton* sfSkinButton1;
  TsfSkinButton* sfSkinButton2;
  TADOQuery* qry_sub;
  TsfSkinPanel* sfSkinPanel4;
  TsfSkinScrollBar* sfSkinScrollBar1;
  TsfSkinRichEdit* re_sub;
  TsfSkinGroupBox* lbl_th;
  TsfSkinButton* sfSkinButton5;
  TsfSkinPanel* sfSkinPanel5;
  TsfSkinScrollBar* sfSkinScrollBar2;
  TsfSkinRichEdit* re_subjext_text;
  TsfSkinGroupBox* pre_subject_reso;
  TsfSkinRichEdit* re_subject_reso;
  TsfSkinScrollBar* sfSkinScrollBar3;
  TsfSkinCheckRadioBox* c_next;
  TADOQuery* qry_chengji;
  TsfSkinGroupBox* p_cj;
  TLabel* Label2;
  TLabel* lb_cj;
  TLabel* Label3;
  TLabel* Label4;
  TsfSkinGroupBox* pm_rg_subject_ansi;
  TsfSkinMemo* m_rg_subject_ansi;
  TsfSkinRadioGroup* rg_subject_ansi;
  TsfSkinLinkImage* sfSkinLinkImage1;

  void FormShow(TObject* Sender);
  void InitExerResult();
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void sfSkinButton2Click(TObject* Sender);  // the score
  void sfSkinButton1Click(TObject* Sender);  // back to the menu
  void RptListsClick(TObject* Sender);       // page choice
  void RptListsDblClick(TObject* Sender);    // row display
  void sfSkinButton3Click(TObject* Sender);  // save
  void sfSkinButton6Click(TObject* Sender);  // next
  void sfSkinButton4Click(TObject* Sender);  // previous
  void sfSkinButton5Click(TObject* Sender);  // explanation toggle

  // The row the question page shows: a save applies to it.
  const practice::TShownRow& ShownRow() const { return m_shown; }

 private:
  void CreateQuestionPage();
  // Re-runs the exercise's rows and puts the cursor back on its row.
  void ReopenRows();
  // Loads a memo field into a rich edit: rich text, else plain text.
  void LoadMemo(TsfSkinRichEdit* edit, const QString& fieldName);
  // Stacks the visible answer and explanation boxes from the bottom of the
  // question box upwards: typed answer, choice, explanation.
  void StackQuestionBoxes();
  QString Field(const QString& name) const;

  practice::TShownRow m_shown;
};

extern Tfrm_tolmmain* frm_tolmmain;
