#include "tests/db/db_fixture.h"
#include "db/db_error.h"

class NotificationTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    link.SetDataSource(&source);
    link.events.clear();
  }
  QStringList Take() {
    QStringList e = link.events;
    link.events.clear();
    return e;
  }
  RecordingLink link;
};

TEST_F(NotificationTest, OpenCloseAndPlainMoves) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  EXPECT_EQ(Take(), QStringList{"active:1"});
  query.Next();
  query.SetRecNo(4);
  query.Prior();
  query.Prior();
  query.Prior();
  query.Prior();  // at the first row: no move, nothing sent
  // A one-row window moves with the cursor.
  EXPECT_EQ(Take(), (QStringList{"scrolled:1", "scrolled:2", "scrolled:-1", "scrolled:-1", "scrolled:-1"}));
  ASSERT_TRUE(query.Locate("subject_id", 105));
  query.SetBookmark(query.Bookmark());  // no move
  EXPECT_EQ(Take(), QStringList{"scrolled:5"});
  query.Close();
  EXPECT_EQ(Take(), QStringList{"active:0"});
}

TEST_F(NotificationTest, TheWindowScrollsByItsOwnDistance) {
  link.SetBufferCount(3);
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  Take();
  EXPECT_EQ(link.RecordCount(), 3);
  query.Next();
  query.Next();
  EXPECT_EQ(link.ActiveRecord(), 2);
  query.Next();  // row 4 leaves the window 1-3: it moves by one
  EXPECT_EQ(link.ActiveRecord(), 2);
  query.First();
  query.Last();
  EXPECT_EQ(Take(), (QStringList{"scrolled:0", "scrolled:0", "scrolled:1", "scrolled:-1", "scrolled:3"}));
  EXPECT_EQ(link.FirstRecord(), 3);
  // Fields read the row a link makes active, until it is restored.
  link.SetActiveRecord(0);
  EXPECT_EQ(query.FieldByName("subject_id")->AsString(), "103");
  link.SetActiveRecord(link.ActiveRecord() + 0);
  link.SetActiveRecord(2);
  EXPECT_EQ(query.FieldByName("subject_id")->AsString(), "105");
}

TEST_F(NotificationTest, EditingSendsRecordChangesUpdateDataAndPost) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  Take();
  query.Edit();
  query.FieldByName("exre_text")->SetAsString("A");
  EXPECT_TRUE(query.Modified());
  query.Post();
  EXPECT_EQ(Take(), (QStringList{"editing:1", "record:-", "record:exre_text", "editing:0", "changed"}));

  // A control with a pending value writes it on update-data, once per post.
  query.Edit();
  link.Modified();
  link.onUpdate = [this] { query.FieldByName("exre_text")->SetAsString("B"); };
  query.Post();
  EXPECT_EQ(Take(), (QStringList{"editing:1", "record:-", "update", "record:exre_text", "editing:0", "changed"}));
  EXPECT_EQ(Value("select exre_text from t_exerresult where exre_id=1"), "B");
}

TEST_F(NotificationTest, AMoveWhileEditingPostsWhenModifiedElseCancels) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  query.Edit();
  link.Modified();
  link.onUpdate = [this] { query.FieldByName("exre_text")->SetAsString("C"); };
  Take();
  query.Next();
  EXPECT_EQ(Take(), (QStringList{"update", "record:exre_text", "editing:0", "changed", "scrolled:1"}));
  EXPECT_EQ(Value("select exre_text from t_exerresult where exre_id=1"), "C");
  EXPECT_EQ(query.State(), dsBrowse);

  link.onUpdate = nullptr;
  query.Edit();
  Take();
  query.Next();  // nothing changed: the edit is cancelled
  EXPECT_EQ(Take(), (QStringList{"editing:0", "changed", "scrolled:1"}));
  EXPECT_EQ(query.RecNo(), 3);
}

TEST_F(NotificationTest, InsertAndDeleteSendDataSetChanged) {
  OpenSql(QStringLiteral(" select * from t_title "));
  Take();
  query.Insert();
  EXPECT_EQ(query.State(), dsInsert);
  EXPECT_EQ(Take(), (QStringList{"editing:1", "changed"}));
  query.Cancel();
  EXPECT_EQ(Take(), (QStringList{"editing:0", "changed"}));
  query.Delete();
  EXPECT_EQ(Take(), QStringList{"changed"});
  EXPECT_EQ(query.FieldByName("title_id")->AsString(), "2");
}

TEST_F(NotificationTest, DisabledControlsHearOneSummaryAndNoReplay) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  Take();
  {
    TControlsDisabler off(&query);
    query.Next();
    query.Next();
    {
      TControlsDisabler nested(&query);
      query.Next();
    }
    EXPECT_TRUE(link.events.isEmpty()) << "the inner enable sends nothing";
  }
  EXPECT_EQ(Take(), QStringList{"scrolled:3"});

  {
    TControlsDisabler off(&query);
    query.First();
    query.Last();
    query.SetRecNo(4);
  }
  EXPECT_EQ(Take(), QStringList{}) << "back where it was: nothing to say";

  {
    TControlsDisabler off(&query);
    query.Edit();
    query.FieldByName("exre_text")->SetAsString("D");
    query.Post();
    query.Next();
  }
  EXPECT_EQ(Take(), QStringList{"changed"});

  {
    TControlsDisabler off(&query);
    query.Close();
    query.Open();
    query.SetRecNo(3);
  }
  EXPECT_EQ(Take(), QStringList{"changed"}) << "a reopen is a change of content";

  {
    TControlsDisabler off(&query);
    query.Close();
  }
  EXPECT_EQ(Take(), QStringList{"active:0"});
}

TEST_F(NotificationTest, TwoSourcesOnOneRecordSetBothHear) {
  TDataSource second;
  second.SetDataSet(&query);
  RecordingLink other;
  other.SetDataSource(&second);
  EXPECT_TRUE(query.IsLinkedTo(&source));
  EXPECT_TRUE(query.IsLinkedTo(&second));
  OpenSql(QStringLiteral("select * from t_title"));
  Take();
  other.events.clear();
  query.Next();
  EXPECT_EQ(Take(), QStringList{"scrolled:1"});
  EXPECT_EQ(other.events, QStringList{"scrolled:1"});
  second.SetEnabled(false);
  other.events.clear();
  query.Prior();
  EXPECT_TRUE(other.events.isEmpty());
}

namespace {
// A link whose data-set-changed handler acts on other links.
class ActingLink : public RecordingLink {
 public:
  std::function<void()> onChanged;

 protected:
  void DataSetChanged() override {
    RecordingLink::DataSetChanged();
    if (onChanged) onChanged();
  }
};
}  // namespace

TEST_F(NotificationTest, LinksDestroyedOrDetachedByAHandlerHearNothingMore) {
  OpenSql(QStringLiteral("select * from t_title"));
  auto* otherSource = new TDataSource;
  otherSource->SetDataSet(&query);
  ActingLink acting;
  acting.SetDataSource(&source);
  auto* doomed = new RecordingLink;
  doomed->SetDataSource(&source);
  RecordingLink detached, onDoomedSource;
  detached.SetDataSource(&source);
  onDoomedSource.SetDataSource(otherSource);
  acting.onChanged = [&] {
    delete doomed;
    doomed = nullptr;
    detached.SetDataSource(nullptr);
    delete otherSource;
    otherSource = nullptr;
    acting.onChanged = nullptr;
  };
  Take();
  detached.events.clear();
  onDoomedSource.events.clear();
  query.Refresh();
  EXPECT_EQ(doomed, nullptr);
  EXPECT_EQ(Take(), QStringList{"changed"});
  EXPECT_EQ(detached.events, QStringList{"active:0"}) << "only its own detaching";
  EXPECT_EQ(onDoomedSource.events, QStringList{"active:0"}) << "only its source going";
  EXPECT_EQ(onDoomedSource.DataSource(), nullptr);
}

TEST_F(NotificationTest, DisconnectingClosesTheRecordSetsOfTheConnection) {
  OpenSql(QStringLiteral("select * from v_exerresult where exer_id=1"));
  query.Edit();
  query.FieldByName("exre_text")->SetAsString("unsaved");
  Take();
  con.Close();
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(Take(), QStringList{"active:0"});

  // A new bank at the same place: the old cursor cannot write into it.
  CreateBank(path, QString::fromUtf8(kSmallPaperSql));
  con.Open();
  EXPECT_FALSE(query.Active());
  EXPECT_THROW(query.Edit(), EDatabaseError);
  EXPECT_EQ(Value("select count(*) from t_exerresult"), "0");

  // A query moved to another connection no longer follows the first.
  TADOConnection other;
  other.SetConnectionString(BankConnectionString(path));
  other.Open();
  query.SetConnection(&other);
  OpenSql(QStringLiteral("select * from t_title"));
  con.Close();
  EXPECT_TRUE(query.Active());
  other.Close();
  EXPECT_FALSE(query.Active());
}

TEST_F(NotificationTest, ADestroyedRecordSetTellsItsLinks) {
  auto* q = new TADOQuery;
  q->SetConnection(&con);
  q->SQL()->Add(QStringLiteral("select * from t_title"));
  TDataSource src;
  int stateChanges = 0;
  src.OnStateChange = [&](TObject*) { ++stateChanges; };
  src.SetDataSet(q);
  RecordingLink held;
  TField* field = nullptr;
  held.SetDataSource(&src);
  q->Open();
  field = q->FieldByName("title_name");
  ASSERT_NE(field, nullptr);
  held.events.clear();
  stateChanges = 0;
  // The control drops its field when told, while the record set still exists.
  bool activeWhenTold = true;
  struct DropLink : RecordingLink {
    TField** field;
    bool* activeWhenTold;
    void ActiveChanged() override {
      RecordingLink::ActiveChanged();
      *activeWhenTold = Active();
      *field = nullptr;
    }
  } dropper;
  dropper.field = &field;
  dropper.activeWhenTold = &activeWhenTold;
  dropper.SetDataSource(&src);
  dropper.events.clear();
  delete q;
  EXPECT_EQ(held.events, QStringList{"active:0"});
  EXPECT_EQ(field, nullptr);
  EXPECT_FALSE(activeWhenTold);
  EXPECT_EQ(src.DataSet(), nullptr);
  EXPECT_EQ(held.DataSet(), nullptr);
  EXPECT_EQ(stateChanges, 1);
}
