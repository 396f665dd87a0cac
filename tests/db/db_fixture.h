#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "db/connection.h"
#include "db/data_source.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"

// Records every notification a data link receives.
class RecordingLink : public TDataLink {
 public:
  QStringList events;
  // Called on update-data; lets a test act as a control writing its value.
  std::function<void()> onUpdate;

 protected:
  void ActiveChanged() override { events << QStringLiteral("active:%1").arg(Active() ? 1 : 0); }
  void DataSetChanged() override { events << QStringLiteral("changed"); }
  void DataSetScrolled(int d) override { events << QStringLiteral("scrolled:%1").arg(d); }
  void RecordChanged(TField* f) override {
    events << QStringLiteral("record:%1").arg(f ? f->FieldName() : QStringLiteral("-"));
  }
  void EditingChanged() override { events << QStringLiteral("editing:%1").arg(Editing() ? 1 : 0); }
  void UpdateData() override {
    events << QStringLiteral("update");
    if (onUpdate) onUpdate();
  }
};

class DbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.filePath(QStringLiteral("bank.zk"));
    CreateBank(path, QString::fromUtf8(kSmallPaperSql) + QStringLiteral(
        "insert into t_exercise(title_id, exer_title) values (1, '2026-01-01 10:00:00');"
        "insert into t_exerresult(exer_id, subject_id) select 1, subject_id from t_subject "
        "where title_id = 1 order by subject_id;"));
    con.SetConnectionString(BankConnectionString(path));
    con.Open();
    query.SetConnection(&con);
    source.SetDataSet(&query);
  }
  void OpenSql(const QString& sql) {
    query.Close();
    query.SQL()->Clear();
    query.SQL()->Add(sql);
    query.Open();
  }
  QString Value(const QString& sql) { return QueryBankValue(path, sql); }

  QTemporaryDir dir;
  QString path;
  TADOConnection con;
  TADOQuery query;
  TDataSource source;
};
