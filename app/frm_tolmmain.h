#pragma once
// Tfrm_tolmmain: the practice window. One is made for each practice, shown
// modally and destroyed when it closes. Showing it starts an exercise with a
// result row per node of the paper; leaving it discards the exercise.

#include <QPointer>

#include "app/practice.h"
#include "platform/form.h"

class TADOQuery;
class TsfSkinForm;
class TDataSource;
class TLabel;
class TtlDBTreeList;
class TtlDBTreeListColumn;
class TtlDBTreeListMaskColumn;

class Tfrm_tolmmain : public TForm {
  Q_OBJECT
 public:
  explicit Tfrm_tolmmain(QWidget* owner = nullptr);

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
  TDataSource* ds_subject;
  TADOQuery* qry_subject;
  TADOQuery* qry_sub;
  TADOQuery* qry_chengji;

  void FormShow(TObject* Sender);
  void InitExerResult();
  void FormCloseQuery(TObject* Sender, bool& CanClose);

  // The row the question page shows: a save applies to it.
  const practice::TShownRow& ShownRow() const { return m_shown; }

 private:
  // Re-runs the exercise's rows and puts the cursor back on its row.
  void ReopenRows();

  practice::TShownRow m_shown;
};

extern Tfrm_tolmmain* frm_tolmmain;
