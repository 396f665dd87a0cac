#include "app/upublic.h"

#include "app/data_module.h"
#include "db/query.h"
#include "platform/application.h"

QString GetAppPath() { return GetApplicationPath(); }

void RunSql(const QString& sql) {
  TADOQuery q;
  q.SetConnection(dm->adocon);
  q.Close();
  q.SQL()->Clear();
  q.SQL()->Add(sql);
  q.ExecSQL();
}

QString GetMaxValue(const QString& table, const QString& column) {
  TADOQuery q;
  q.SetConnection(dm->adocon);
  q.Close();
  q.SQL()->Clear();
  q.SQL()->Add(QStringLiteral("select max(") + column + QStringLiteral(") as m from ") + table);
  q.Open();
  return q.FieldByName(QStringLiteral("m"))->AsString();
}

QString SqlText(const QString& text) {
  QString t = text;
  t.replace('\'', QStringLiteral("''"));
  return t;
}
