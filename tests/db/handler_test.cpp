// Handlers that act on what called them: a control's or a record set's
// handler that destroys links, closes or reopens its record set.
#include "db/db_error.h"
#include "tests/db/db_fixture.h"

namespace {
// A link whose active-changed or editing-changed handler runs an action.
class HookLink : public RecordingLink {
 public:
  std::function<void()> onActive, onEditing;

 protected:
  void ActiveChanged() override {
    RecordingLink::ActiveChanged();
    if (onActive) onActive();
  }
  void EditingChanged() override {
    RecordingLink::EditingChanged();
    if (onEditing) onEditing();
  }
};
}  // namespace

// A source tells its links when its record set changes, is switched off, or
// the source goes; a link destroyed by an earlier link's handler is skipped.
TEST_F(DbTest, ASourceSkipsLinksDestroyedByAnotherLinksHandler) {
  const std::vector<std::pair<const char*, std::function<void(TDataSource*&)>>> cases = {
      {"record set set", [&](TDataSource*& s) { s->SetDataSet(nullptr); }},
      {"switched off", [&](TDataSource*& s) { s->SetEnabled(false); }},
      {"source destroyed", [&](TDataSource*& s) { delete s; s = nullptr; }},
  };
  for (const auto& [name, act] : cases) {
    SCOPED_TRACE(name);
    auto* src = new TDataSource;
    src->SetDataSet(&query);
    HookLink first;
    first.SetDataSource(src);
    auto* doomed = new RecordingLink;
    doomed->SetDataSource(src);
    RecordingLink last;
    last.SetDataSource(src);
    last.events.clear();
    first.onActive = [&] {
      delete doomed;
      doomed = nullptr;
      first.onActive = nullptr;
    };
    act(src);
    EXPECT_EQ(doomed, nullptr);
    EXPECT_EQ(last.events, QStringList{"active:0"});
    delete doomed;
    delete src;
  }
}

// A disconnect closes the record sets of the connection; a handler that
// reopens one on hearing it close cannot keep a cursor on the old bank.
TEST_F(DbTest, ARecordSetReopenedWhileItsConnectionClosesStaysClosed) {
  OpenSql(QStringLiteral("select * from t_title"));
  HookLink link;
  link.SetDataSource(&source);
  bool reopenFailed = false;
  link.onActive = [&] {
    if (query.Active()) return;
    try {
      query.Open();
    } catch (const EOleException&) {
      reopenFailed = true;
    }
  };
  con.Close();
  EXPECT_FALSE(con.Connected());
  EXPECT_FALSE(query.Active());
  EXPECT_TRUE(reopenFailed);
}

// A handler that closes the record set in the middle of a delete or a post
// leaves it closed, and nothing reads a row that is gone.
TEST_F(DbTest, AHandlerClosingTheRecordSetDuringADeleteOrPostLeavesItClosed) {
  HookLink link;
  link.SetDataSource(&source);
  OpenSql(QStringLiteral("select * from t_title"));
  const QString before = Value("select count(*) from t_title");
  query.Edit();
  link.onEditing = [&] {
    if (!link.Editing()) query.Close();
  };
  EXPECT_THROW(query.Delete(), EDatabaseError);
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(Value("select count(*) from t_title"), before);

  link.onEditing = nullptr;
  OpenSql(QStringLiteral("select * from t_title"));
  query.Edit();
  query.FieldByName("title_name")->SetAsString("closed before post");
  query.BeforePost = [&](TObject*) { query.Close(); };
  query.Post();
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(query.State(), dsInactive);
  EXPECT_EQ(Value("select count(*) from t_title where title_name='closed before post'"), "0");
}

// A refresh keeps the fields controls hold, even when a computed column now
// reads as another type (its type comes from its first value).
TEST_F(DbTest, ARefreshKeepsFieldsWhoseComputedTypeChanged) {
  OpenSql(QStringLiteral("select title_id, (select max(exer_id) from t_exercise) as last_exercise from t_title"));
  TField* held = query.FieldByName("last_exercise");
  EXPECT_EQ(held->AsString(), "1");
  TADOQuery exec;
  exec.SetConnection(&con);
  exec.SQL()->Add(QStringLiteral("delete from t_exercise"));
  exec.ExecSQL();
  query.Refresh();
  EXPECT_EQ(query.FieldByName("last_exercise"), held);
  EXPECT_EQ(held->AsString(), "");
}

// A lookup field whose lookup record set is destroyed reads as null.
TEST_F(DbTest, ALookupFieldOutlivesItsLookupRecordSet) {
  auto* titles = new TADOQuery;
  titles->SetConnection(&con);
  titles->SQL()->Add(QStringLiteral("select * from t_title"));
  titles->Open();
  TField* name = query.AddLookupField(QStringLiteral("paper"), QStringLiteral("title_id"), titles,
                                      QStringLiteral("title_id"), QStringLiteral("title_name"));
  OpenSql(QStringLiteral("select * from t_exercise"));
  EXPECT_FALSE(name->AsString().isEmpty());
  delete titles;
  EXPECT_TRUE(name->IsNull());
  EXPECT_EQ(name->AsString(), "");
}

// A calculated-fields handler that closes its record set while it opens
// leaves it closed, not browsing rows it no longer has.
TEST_F(DbTest, ACalcHandlerClosingTheRecordSetLeavesItClosed) {
  query.AddCalculatedField(QStringLiteral("twice"), ftInteger);
  query.OnCalcFields = [&](TObject*) { query.Close(); };
  OpenSql(QStringLiteral("select * from t_title"));
  EXPECT_FALSE(query.Active());
  EXPECT_EQ(query.State(), dsInactive);
  EXPECT_EQ(query.RecNo(), 0);
}
