#pragma once
// The shared statement functions: every one-off statement of the application
// runs through them, on a query of its own bound to dm.adocon.

#include <QString>

// The application path: the executable's folder with its trailing "/".
QString GetAppPath();
// Runs one statement that returns no rows. Engine errors reach the caller.
void RunSql(const QString& sql);
// "select max(" + column + ") as m from " + table, field m as text: empty
// text when the table has no rows.
QString GetMaxValue(const QString& table, const QString& column);
// A text value ready to be spliced between single quotes: quotes doubled, so
// the stored text is exactly the text given.
QString SqlText(const QString& text);
