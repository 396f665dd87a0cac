#include "app/practice.h"

#include <algorithm>

#include "db/dataset.h"

namespace practice {

TShownRow TShownRow::FromCurrentRow(const TDataSet* rows) {
  TShownRow row;
  if (!rows || !rows->Active() || rows->IsEmpty()) return row;
  row.exre_id = rows->FieldByName(QStringLiteral("exre_id"))->AsString();
  row.subject_ansi = rows->FieldByName(QStringLiteral("subject_ansi"))->AsString();
  row.type_show = rows->FieldByName(QStringLiteral("type_show"))->AsString();
  row.valid = true;
  return row;
}

QString AnswerFor(const QString& typeShow, const QString& selectedChoice, const QString& typedText) {
  if (typeShow == kChoice) return selectedChoice;
  if (typeShow == kFreeText) return typedText;
  return QString();
}

int ChoiceIndexFor(const QString& savedAnswer, int itemCount) {
  if (savedAnswer.isEmpty() || itemCount <= 0) return -1;
  const int index = int(savedAnswer.at(0).unicode()) - int(QLatin1Char('A').unicode());
  if (index < 0) return -1;
  return std::min(index, itemCount - 1);
}

QString ScoreText(const QString& sum) { return sum.isEmpty() ? QStringLiteral("0") : sum; }

}  // namespace practice
