#pragma once
// Every statement the windows send to the question bank, written exactly as
// they send it. Values are spliced in as they are (identifiers are carried as
// text between statements); only a typed answer is quoted safely.

#include <QDateTime>
#include <QString>

namespace store {

// The two marks of a saved answer.
inline const QString kRight = QStringLiteral("√");
inline const QString kWrong = QStringLiteral("×");

QString ListPapers();
QString StartExercise(const QString& titleId, const QString& startTime);
QString PaperNodes(const QString& titleId);
QString AddResultRow(const QString& exerId, const QString& subjectId);
QString ExerciseRows(const QString& exerId);
QString ObjectiveScore(const QString& exerId);
QString StoreScore(const QString& points, const QString& exerId);
// The answer is stored exactly as typed: single quotes are doubled.
QString SaveAnswer(const QString& answer, const QString& mark, const QString& exreId);
QString DiscardExercise(const QString& exerId);
QString DiscardResults(const QString& exerId);

// Start time of an exercise: "yyyy-mm-dd hh:mm:ss".
QString FormatStartTime(const QDateTime& t);
// "√" when the answer equals the expected answer, else "×".
QString MarkFor(const QString& answer, const QString& expected);

}  // namespace store
