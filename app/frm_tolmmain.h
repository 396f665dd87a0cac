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
  // With `deferControls` the window's controls and queries are made when
  // it is first shown (or BuildControls is called): the instance the
  // program keeps from its start costs nothing until then. Until built,
  // the members below are null.
  explicit Tfrm_tolmmain(QWidget* owner = nullptr, bool deferControls = false);
  ~Tfrm_tolmmain() override;

  // Makes the controls, queries and handlers; does nothing once they exist.
  void BuildControls();
  bool ControlsBuilt() const { return m_built; }

  void setVisible(bool visible) override;

  // The skinned frame: caption, caption buttons, moving and sizing.
  TsfSkinForm* sfSkinForm1 = nullptr;

  // The paper practised; set before the window is shown.
  QString FTitleId;
  // This window's exercise, as read back from the store; empty until started.
  QString FExerId;

  TtlDBTreeList* RptLists = nullptr;
  TtlDBTreeListMaskColumn* RptListsNAME = nullptr;
  TtlDBTreeListColumn* RptListsColumn2 = nullptr;
  TtlDBTreeListColumn* RptListsColumn3 = nullptr;
  TtlDBTreeListColumn* RptListsColumn4 = nullptr;
  TsfSkinPanel* sfSkinPanel1 = nullptr;
  TsfSkinPanel* sfSkinPanel2 = nullptr;
  TsfSkinPanel* sfSkinPanel3 = nullptr;
  TsfSkinButton* sfSkinButton3 = nullptr;
  TsfSkinButton* sfSkinButton6 = nullptr;
  TsfSkinButton* sfSkinButton4 = nullptr;
  TsfSkinPanel* p_1 = nullptr;
  TLabel* Label1 = nullptr;
  TsfSkinPanel* P_tm = nullptr;
  TDataSource* ds_subject = nullptr;
  TADOQuery* qry_subject = nullptr;
  TsfSkinButton* sfSkinButton1 = nullptr;
  TsfSkinButton* sfSkinButton2 = nullptr;
  TADOQuery* qry_sub = nullptr;
  TsfSkinPanel* sfSkinPanel4 = nullptr;
  TsfSkinScrollBar* sfSkinScrollBar1 = nullptr;
  TsfSkinRichEdit* re_sub = nullptr;
  TsfSkinGroupBox* lbl_th = nullptr;
  TsfSkinButton* sfSkinButton5 = nullptr;
  TsfSkinPanel* sfSkinPanel5 = nullptr;
  TsfSkinScrollBar* sfSkinScrollBar2 = nullptr;
  TsfSkinRichEdit* re_subjext_text = nullptr;
  TsfSkinGroupBox* pre_subject_reso = nullptr;
  TsfSkinRichEdit* re_subject_reso = nullptr;
  TsfSkinScrollBar* sfSkinScrollBar3 = nullptr;
  TsfSkinCheckRadioBox* c_next = nullptr;
  TADOQuery* qry_chengji = nullptr;
  TsfSkinGroupBox* p_cj = nullptr;
  TLabel* Label2 = nullptr;
  TLabel* lb_cj = nullptr;
  TLabel* Label3 = nullptr;
  TLabel* Label4 = nullptr;
  TsfSkinGroupBox* pm_rg_subject_ansi = nullptr;
  TsfSkinMemo* m_rg_subject_ansi = nullptr;
  TsfSkinRadioGroup* rg_subject_ansi = nullptr;
  TsfSkinLinkImage* sfSkinLinkImage1 = nullptr;

  // The handlers make the controls first when called on a window not
  // built yet.
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
  bool m_built = false;
};

extern Tfrm_tolmmain* frm_tolmmain;
