#include "app/store.h"

#include "app/upublic.h"

namespace store {

QString ListPapers() { return QStringLiteral(" select * from t_title "); }

QString StartExercise(const QString& titleId, const QString& startTime) {
  return QStringLiteral("insert into t_exercise(title_id,exer_title)values(") + titleId +
         QStringLiteral(",'") + startTime + QStringLiteral("')");
}

QString PaperNodes(const QString& titleId) {
  return QStringLiteral("select * from t_subject where title_id=") + titleId;
}

QString AddResultRow(const QString& exerId, const QString& subjectId) {
  return QStringLiteral("insert into t_exerresult(exer_id,subject_id)values(") + exerId +
         QStringLiteral(",") + subjectId + QStringLiteral(")");
}

QString ExerciseRows(const QString& exerId) {
  return QStringLiteral("select * from v_exerresult where exer_id=") + exerId;
}

QString ObjectiveScore(const QString& exerId) {
  return QStringLiteral(
             "select sum(perpoint) as spoint from v_exerresult where exre_istrue='√' and  "
             "type_show=1 and exer_id=") +
         exerId;
}

QString StoreScore(const QString& points, const QString& exerId) {
  return QStringLiteral("update t_exercise set exer_point=") + points +
         QStringLiteral("  where exer_id=") + exerId;
}

QString SaveAnswer(const QString& answer, const QString& mark, const QString& exreId) {
  return QStringLiteral("update t_exerresult set exre_text='") + SqlText(answer) +
         QStringLiteral("',exre_istrue='") + mark + QStringLiteral("' where exre_id=") + exreId;
}

QString DiscardExercise(const QString& exerId) {
  return QStringLiteral("delete from  t_exercise where exer_id=") + exerId;
}

QString DiscardResults(const QString& exerId) {
  return QStringLiteral("delete from  t_exerresult where exer_id=") + exerId;
}

QString FormatStartTime(const QDateTime& t) {
  return t.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString MarkFor(const QString& answer, const QString& expected) {
  return answer == expected ? kRight : kWrong;
}

}  // namespace store
