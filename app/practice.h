#pragma once
// The rules of a practice that need no window: the shown question a save
// applies to, the answer and its mark, the choice to preselect, the score.

#include <QString>

class TDataSet;

namespace practice {

// Node kinds.
inline const QString kPaper = QStringLiteral("考卷");
inline const QString kSection = QStringLiteral("题型");
inline const QString kGroup = QStringLiteral("子题");
inline const QString kQuestion = QStringLiteral("题目");

// Answer forms (type_show as text).
inline const QString kChoice = QStringLiteral("1");
inline const QString kFreeText = QStringLiteral("2");

// The row the question page shows, remembered when it is displayed: a save
// applies to it even after the tree list moved the current row without
// displaying the new one.
struct TShownRow {
  QString exre_id;
  QString subject_ansi;
  QString type_show;
  bool valid = false;

  // Reads the current row of `rows` (a query over v_exerresult).
  static TShownRow FromCurrentRow(const TDataSet* rows);
};

// The answer to store: for a choice question the selected item's text (empty
// without a selection), for a free-text question the typed text, else empty.
QString AnswerFor(const QString& typeShow, const QString& selectedChoice, const QString& typedText);

// The item to select for a saved choice answer: the first character's code
// minus that of "A", clamped as the radio group clamps it: past the last item
// selects the last, before the first (or an empty answer) selects none.
int ChoiceIndexFor(const QString& savedAnswer, int itemCount);

// The score text shown and stored: the sum as read, "0" when it is empty.
QString ScoreText(const QString& sum);

}  // namespace practice
