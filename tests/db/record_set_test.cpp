#include "db/db_error.h"
#include "tests/db/db_fixture.h"

TEST_F(DbTest, FieldsReadTextNumbersNullsAndMemos) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  ASSERT_EQ(query.RecordCount(), 6);
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_EQ(query.FieldByName("subject_id")->AsString(), "100");
  EXPECT_EQ(query.FieldByName("par_id")->AsString(), "") << "null reads as empty text";
  EXPECT_TRUE(query.FieldByName("par_id")->IsNull());
  EXPECT_EQ(query.FieldByName("subject_kind")->AsString(), QStringLiteral("考卷"));
  EXPECT_EQ(query.FindField("no_such_field"), nullptr);
  EXPECT_THROW(query.FieldByName("no_such_field"), EDatabaseError);

  // Declared types reach the fields through the view.
  EXPECT_EQ(query.FieldByName("subjext_text")->DataType(), ftWideMemo);
  EXPECT_EQ(query.FieldByName("titlename")->DataType(), ftWideString);
  EXPECT_EQ(query.FieldByName("titlename")->Size(), 255);
  EXPECT_EQ(query.FieldByName("type_show")->DataType(), ftInteger);
  EXPECT_EQ(query.FieldByName("exre_id")->DataType(), ftAutoInc);
  EXPECT_TRUE(query.FieldByName("exre_id")->ReadOnly());
  EXPECT_FALSE(query.FieldByName("par_id")->ReadOnly());

  query.SetRecNo(4);
  EXPECT_EQ(query.FieldByName("perpoint")->AsString(), "2") << "whole points read without a fraction";
  TMemoryStream stream;
  query.FieldByName("subjext_text")->SaveToStream(stream);
  EXPECT_EQ(stream.Data(), QByteArray("Stem 1"));
  EXPECT_EQ(query.GetFieldList("subject_id;par_id").size(), 2);
  EXPECT_THROW(query.GetFieldList("subject_id;nope"), EDatabaseError);
}

TEST_F(DbTest, EmptyResultsAndAggregatesReadAsEmptyText) {
  OpenSql(QStringLiteral("select * from t_exercise where exer_id=99"));
  EXPECT_EQ(query.RecordCount(), 0);
  EXPECT_TRUE(query.Bof());
  EXPECT_TRUE(query.Eof());
  EXPECT_EQ(query.RecNo(), 0);
  EXPECT_EQ(query.FieldByName("exer_title")->AsString(), "");
  query.Next();
  query.Prior();
  EXPECT_EQ(query.FieldByName("exer_id")->AsString(), "");

  OpenSql(QStringLiteral("select sum(perpoint) as spoint from v_exerresult where exre_istrue='√' and  type_show=1 and exer_id=1"));
  EXPECT_EQ(query.FieldByName("spoint")->AsString(), "");
  OpenSql(QStringLiteral("select max(exer_id) as m from t_exercise where 1=0"));
  EXPECT_EQ(query.FieldByName("m")->AsString(), "");
}

TEST_F(DbTest, NavigationStopsAtTheEndsAndSetsTheFlags) {
  OpenSql(QStringLiteral("select * from t_subject where title_id=1"));
  EXPECT_TRUE(query.Bof());
  EXPECT_FALSE(query.Eof());
  query.Prior();
  EXPECT_EQ(query.RecNo(), 1);
  EXPECT_TRUE(query.Bof());
  query.Next();
  EXPECT_FALSE(query.Bof());
  EXPECT_EQ(query.RecNo(), 2);
  EXPECT_EQ(query.MoveBy(10), 4);
  EXPECT_EQ(query.RecNo(), 6);
  EXPECT_TRUE(query.Eof());
  query.Next();
  EXPECT_EQ(query.RecNo(), 6);
  EXPECT_EQ(query.MoveBy(-2), -2);
  EXPECT_FALSE(query.Eof());
  query.SetRecNo(3);
  EXPECT_EQ(query.FieldByName("subject_id")->AsString(), "102");
  query.SetRecNo(0);   // out of range: the cursor stays
  query.SetRecNo(99);
  EXPECT_EQ(query.RecNo(), 3);
  query.Last();
  EXPECT_TRUE(query.Eof());
  query.First();
  EXPECT_TRUE(query.Bof());
}

TEST_F(DbTest, LocateByFieldKeysAndPrefix) {
  OpenSql(QStringLiteral("select * from t_subject"));
  struct Case {
    const char* fields;
    QVariantList values;
    TLocateOptions options;
    const char* expectedId;  // nullptr: not found, cursor unchanged
  };
  const Case cases[] = {
      {"subject_id", {104}, 0, "104"},
      {"subject_id", {QStringLiteral("105")}, 0, "105"},
      {"title_id;title_name", {2, QStringLiteral("1")}, 0, "201"},
      {"titlename", {QStringLiteral("pass")}, loCaseInsensitive | loPartialKey, "102"},
      {"titlename", {QStringLiteral("pass")}, loPartialKey, nullptr},
      {"titlename", {QStringLiteral("Passage")}, 0, nullptr},
      {"subject_id", {999}, 0, nullptr},
  };
  for (const Case& c : cases) {
    query.First();
    const bool found = query.Locate(QString::fromLatin1(c.fields), c.values, c.options);
    EXPECT_EQ(found, c.expectedId != nullptr) << c.fields;
    EXPECT_EQ(query.FieldByName("subject_id")->AsString(),
              QString::fromLatin1(c.expectedId ? c.expectedId : "100"))
        << c.fields;
  }
  EXPECT_EQ(query.Lookup("subject_id", {103}, "titlename").toString(), "Q1");
  EXPECT_EQ(query.RecNo(), 1) << "lookup does not move";
}

TEST_F(DbTest, BookmarksSurviveMovesButNotDeletion) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  query.SetRecNo(4);
  const TBookmark mark = query.Bookmark();
  query.First();
  EXPECT_TRUE(query.BookmarkValid(mark));
  query.SetBookmark(mark);
  EXPECT_EQ(query.RecNo(), 4);
  query.Delete();
  EXPECT_FALSE(query.BookmarkValid(mark));
  EXPECT_THROW(query.SetBookmark(mark), EDatabaseError);
  EXPECT_FALSE(query.BookmarkValid(QStringLiteral("junk")));
  query.Close();
  query.Open();
  EXPECT_FALSE(query.BookmarkValid(mark)) << "bookmarks belong to one opening";
}

TEST_F(DbTest, EditsThroughTheViewReachTheBaseTables) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  ASSERT_TRUE(query.CanModify());
  ASSERT_TRUE(query.Locate("subject_id", 105));

  // Answer columns go to the result row, node columns to the node.
  query.Edit();
  query.FieldByName("exre_text")->SetAsString(QStringLiteral("It's \"fine\"."));
  query.FieldByName("exre_istrue")->SetAsString(QStringLiteral("√"));
  query.FieldByName("titlename")->SetAsString(QStringLiteral("Q3 renamed"));
  query.Post();
  EXPECT_EQ(Value("select exre_text from t_exerresult where subject_id=105"), QStringLiteral("It's \"fine\"."));
  EXPECT_EQ(Value("select exre_istrue from t_exerresult where subject_id=105"), QStringLiteral("√"));
  EXPECT_EQ(Value("select titlename from t_subject where subject_id=105"), "Q3 renamed");

  // A practice never changes its paper: a new parent written through the view
  // (a drop in the practice tree) leaves the node where it was.
  const QString parent = Value("select par_id from t_subject where subject_id=105");
  query.Edit();
  query.FieldByName("par_id")->SetAsInteger(102);
  query.Post();
  EXPECT_EQ(Value("select par_id from t_subject where subject_id=105"), parent);

  // The result key cannot be written.
  query.Edit();
  EXPECT_THROW(query.FieldByName("exre_id")->SetAsInteger(77), EDatabaseError);
  query.Cancel();

  // A delete removes the result row and keeps the paper's node.
  ASSERT_TRUE(query.Locate("subject_id", 104));
  query.Delete();
  EXPECT_EQ(Value("select count(*) from t_exerresult where subject_id=104"), "0");
  EXPECT_EQ(Value("select count(*) from t_subject where subject_id=104"), "1");
  EXPECT_EQ(query.FieldByName("subject_id")->AsString(), "105") << "cursor on the next row";

  // A copied row is not added to the paper: the bank stores nothing, so the
  // post fails and keeps the edit rather than taking another row's key.
  const QString results = Value("select count(*) from t_exerresult");
  query.Append();
  query.FieldByName("exer_id")->SetAsInteger(1);
  query.FieldByName("par_id")->SetAsInteger(101);
  query.FieldByName("titlename")->SetAsString(QStringLiteral("Copy of Q3"));
  query.FieldByName("subject_kind")->SetAsString(QStringLiteral("题目"));
  EXPECT_ANY_THROW(query.Post());
  EXPECT_EQ(query.State(), dsInsert);
  query.Cancel();
  EXPECT_EQ(Value("select count(*) from t_subject where titlename='Copy of Q3'"), "0");
  EXPECT_EQ(Value("select count(*) from t_exerresult"), results);
}

TEST_F(DbTest, TablesAreEditedByRowKeyAndComputedResultsAreReadOnly) {
  OpenSql(QStringLiteral(" select * from t_title "));
  query.Last();
  query.Edit();
  query.FieldByName("title_name")->SetAsString(QStringLiteral("第二套"));
  query.Post();
  EXPECT_EQ(Value("select title_name from t_title where title_id=2"), QStringLiteral("第二套"));
  query.Append();
  query.FieldByName("title_name")->SetAsString("Third");
  query.Post();
  EXPECT_EQ(query.FieldByName("title_id")->AsString(), "3") << "the engine's new key is read back";
  query.Insert();
  query.Cancel();
  EXPECT_EQ(query.RecordCount(), 3);

  OpenSql(QStringLiteral("select max(exer_id) as m from t_exercise"));
  EXPECT_FALSE(query.CanModify());
  EXPECT_THROW(query.Edit(), EDatabaseError);
}

TEST_F(DbTest, AFailedPostKeepsTheEditOpen) {
  OpenSql(QStringLiteral("select * from t_exerresult"));
  query.Edit();
  query.FieldByName("exer_id")->Clear();  // NOT NULL in the table
  EXPECT_THROW(query.Post(), Exception);
  EXPECT_EQ(query.State(), dsEdit);
  query.Cancel();
  EXPECT_EQ(query.FieldByName("exer_id")->AsString(), "1");
  EXPECT_EQ(query.State(), dsBrowse);
}

TEST_F(DbTest, AnEditOrDeleteOfARowGoneFromTheBankFailsAndKeepsTheEdit) {
  struct Case {
    const char* select;
    const char* keyField;
    int key;
    const char* removeSql;
    const char* editField;
  };
  const Case cases[] = {
      {"select * from t_title", "title_id", 2, "delete from t_title where title_id=2", "title_name"},
      {"select * from v_exerresult where exer_id=1", "subject_id", 105,
       "delete from t_exerresult where subject_id=105", "exre_text"},
  };
  const QString notLocated = QStringLiteral(
      "Row cannot be located for updating. Some values may have been changed since it was last read.");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.select);
    OpenSql(QString::fromLatin1(c.select));
    ASSERT_TRUE(query.Locate(QString::fromLatin1(c.keyField), c.key));
    ExecOnBank(path, QString::fromLatin1(c.removeSql));
    const int rows = query.RecordCount();

    query.Edit();
    query.FieldByName(QString::fromLatin1(c.editField))->SetAsString(QStringLiteral("typed"));
    try {
      query.Post();
      ADD_FAILURE() << "posted";
    } catch (const EOleException& e) {
      EXPECT_EQ(e.Message(), notLocated);
    }
    EXPECT_EQ(query.State(), dsEdit) << "the edit stays open";
    EXPECT_EQ(query.FieldByName(QString::fromLatin1(c.editField))->AsString(), "typed");
    query.Cancel();

    try {
      query.Delete();
      ADD_FAILURE() << "deleted";
    } catch (const EOleException& e) {
      EXPECT_EQ(e.Message(), notLocated);
    }
    EXPECT_EQ(query.RecordCount(), rows);
    EXPECT_EQ(query.FieldByName(QString::fromLatin1(c.keyField))->AsInteger(), c.key);
  }
}

TEST_F(DbTest, AViewIsKeyedByItsRowKeyWhateverTheOrderOfItsColumns) {
  // A second exercise over the same paper, and a view listing subject_id
  // before exre_id (with the same triggers).
  ExecOnBank(path, QStringLiteral(
      "insert into t_exercise(title_id, exer_title) values (1, 'second');"
      "insert into t_exerresult(exer_id, subject_id, exre_text) select 2, subject_id, 'kept' "
      "from t_subject where title_id = 1;"));
  const QString triggers = QueryBankValue(path, QStringLiteral(
      "select group_concat(sql, ';') from sqlite_schema where type='trigger' and tbl_name='v_exerresult'"));
  ExecOnBank(path, QStringLiteral("drop view v_exerresult;"
      "create view v_exerresult as select s.subject_id, s.par_id, r.exer_id, r.exre_id, s.titlename, "
      "s.title_name, s.subject_kind, s.subjext_text, s.subject_reso, s.type_show, s.subject_ansi, "
      "s.perpoint, r.exre_text, r.exre_istrue "
      "from t_exerresult r join t_subject s on s.subject_id = r.subject_id;") + triggers + QStringLiteral(";"));
  con.Close();
  con.Open();

  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  ASSERT_TRUE(query.CanModify());
  ASSERT_TRUE(query.Locate("subject_id", 105));
  query.Edit();
  query.FieldByName("exre_text")->SetAsString("mine");
  query.Post();
  EXPECT_EQ(Value("select group_concat(exre_text, ',') from t_exerresult where subject_id=105 order by exer_id"),
            "mine,kept");
  query.Delete();
  EXPECT_EQ(Value("select count(*) from t_exerresult where subject_id=105"), "1");
  EXPECT_EQ(Value("select exer_id from t_exerresult where subject_id=105"), "2");

  // Rows that cannot be told apart are never written.
  for (const char* sql : {"select subject_id, exre_text from v_exerresult where exer_id=1",
                          "select * from v_other"}) {
    SCOPED_TRACE(sql);
    ExecOnBank(path, QStringLiteral("create view if not exists v_other as select * from t_title"));
    OpenSql(QString::fromLatin1(sql));
    EXPECT_FALSE(query.CanModify());
    EXPECT_THROW(query.Edit(), EDatabaseError);
  }
}

// An insert the bank declines (the view's insert trigger stores nothing) is a
// failed post: the new row never takes the key of another exercise's row, so
// a later edit cannot overwrite that row's answer.
TEST_F(DbTest, AnInsertTheBankStoresNothingForFailsAndTakesNoOtherRowsKey) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  const QString answers = Value("select group_concat(coalesce(exre_text,'-')) from t_exerresult");
  const int rows = query.RecordCount();
  query.Append();
  query.FieldByName("exer_id")->SetAsInteger(1);
  query.FieldByName("exre_text")->SetAsString(QStringLiteral("typed into a new row"));
  EXPECT_THROW(query.Post(), EOleException);
  EXPECT_EQ(query.State(), dsInsert);
  EXPECT_EQ(query.FieldByName("exre_id")->AsString(), "");
  query.Cancel();
  EXPECT_EQ(query.RecordCount(), rows);
  EXPECT_EQ(Value("select group_concat(coalesce(exre_text,'-')) from t_exerresult"), answers);
}
