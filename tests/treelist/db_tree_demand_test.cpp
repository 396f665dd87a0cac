// The data-aware tree list's record set options over the real record set
// layer: loading on demand (RootValue, etoCheckHasChildren), records found
// by bookmark, the selection following the record set, and a field asking
// its control for the focus.

#include "tests/treelist/db_tree_fixture.h"

namespace {

constexpr TtlDBTreeListOptionsDB kOnDemand = kDefaultOptionsDB & ~OptDB(etoLoadAllRecords);

class DbTreeOptions : public DbTreeTest {
 protected:
  // Opens the rows (once per test) and reopens the record set with the
  // tree list's record set options set first.
  void OpenWith(const QString& rows, TtlDBTreeListOptionsDB options,
                const QVariant& rootValue = QVariant()) {
    if (path.isEmpty()) Open(rows);
    Reopen(options, rootValue);
  }
  void Reopen(TtlDBTreeListOptionsDB options, const QVariant& rootValue = QVariant()) {
    query.Close();
    list->OptionsDB = options;
    list->SetRootValue(rootValue);
    query.Open();
  }

  // "name+" for a node with a button, "name" without.
  QString Buttons() const {
    QStringList out;
    for (TtlTreeListNode* n = list->Items(0); n; n = n->NextInTree())
      out << NameOf(n) + (n->HasChildren() ? QStringLiteral("+") : QString());
    return out.join(QLatin1Char(' '));
  }
  void Expand(const QString& name) {
    TtlDBTreeListNode* n = Node(name);
    ASSERT_NE(n, nullptr) << name.toStdString();
    n->SetExpanded(true);
  }
};

// Parents are read out of order and their children are not consecutive.
constexpr const char* kForest =
    "(1,null,'a',1),(5,null,'e',2),(2,1,'b',3),(6,5,'f',4),(3,1,'c',5),(4,2,'d',6),(7,null,'g',7)";

struct DemandCase {
  const char* what;
  TtlDBTreeListOptionsDB options;
  const char* expand;  // nodes expanded in turn ("" for none)
  const char* shape;
  const char* buttons;
};

class DbTreeDemand : public DbTreeOptions, public ::testing::WithParamInterface<DemandCase> {};

TEST_P(DbTreeDemand, ReadsALevelWhenItsParentFirstExpands) {
  const DemandCase& c = GetParam();
  OpenWith(QString::fromUtf8(kForest), c.options);
  for (const QString& name : QString::fromUtf8(c.expand).split(' ', Qt::SkipEmptyParts)) Expand(name);
  EXPECT_EQ(Shape(), QString::fromUtf8(c.shape)) << c.what;
  EXPECT_EQ(Buttons(), QString::fromUtf8(c.buttons)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Levels, DbTreeDemand,
    ::testing::Values(
        DemandCase{"only the roots at first; a leaf root has no button", kOnDemand,
                   "", "a e g", "a+ e+ g"},
        DemandCase{"without the check every unread node shows a button",
                   kOnDemand & ~OptDB(etoCheckHasChildren), "", "a e g", "a+ e+ g+"},
        DemandCase{"children gathered from the whole record set", kOnDemand, "a",
                   "a(b, c) e g", "a+ b+ c e+ g"},
        DemandCase{"two levels down", kOnDemand, "a b", "a(b(d), c) e g",
                   "a+ b+ d c e+ g"},
        DemandCase{"a node found empty on expanding loses its button and stays collapsed",
                   kOnDemand & ~OptDB(etoCheckHasChildren), "g", "a e g", "a+ e+ g"},
        DemandCase{"all records at once with etoLoadAllRecords", kDefaultOptionsDB, "",
                   "a(b(d), c) e(f) g", "a+ b+ d c e+ f g"}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(DbTreeOptions, ANodeFoundEmptyStaysCollapsed) {
  OpenWith(QString::fromUtf8(kForest), kOnDemand & ~OptDB(etoCheckHasChildren));
  Expand(QStringLiteral("g"));
  EXPECT_FALSE(Node(QStringLiteral("g"))->IsExpanded());
  Expand(QStringLiteral("a"));
  EXPECT_TRUE(Node(QStringLiteral("a"))->IsExpanded());
}

TEST_F(DbTreeOptions, RootValueChoosesTheRootsAndAnEmptyTextMeansNull) {
  struct Case {
    QVariant root;
    const char* shape;
  } cases[] = {
      {QVariant(1), "b c"},
      {QVariant(QStringLiteral("5")), "f"},  // a text equal to the number
      {QVariant(QString()), "a e g"},
      {QVariant(), "a e g"},
      {QVariant(99), ""},
  };
  for (const Case& c : cases) {
    OpenWith(QString::fromUtf8(kForest), kOnDemand, c.root);
    EXPECT_EQ(Shape(), QString::fromUtf8(c.shape)) << c.root.toString().toStdString();
  }
}

TEST_F(DbTreeOptions, MovingToAnUnreadRecordReadsItsParentsAndShowsIt) {
  OpenWith(QString::fromUtf8(kForest), kOnDemand);
  ASSERT_EQ(Node(QStringLiteral("d")), nullptr);
  ASSERT_TRUE(query.Locate(QStringLiteral("id"), 4));
  EXPECT_EQ(Shape(), QStringLiteral("a(b(d), c) e g"));
  EXPECT_EQ(Focused(), QStringLiteral("d"));
  EXPECT_TRUE(list->FocusedNode()->IsShown());
  // The levels read stay read through a reload, expanded as they were.
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("D"));
  query.Post();
  EXPECT_EQ(Shape(), QStringLiteral("a(b(D), c) e g"));
  EXPECT_TRUE(Node(QStringLiteral("D"))->IsShown());
  EXPECT_EQ(Focused(), QStringLiteral("D"));
}

TEST_F(DbTreeOptions, ParentValuesInACycleNeverLoop) {
  // c and d are each other's parent and e is its own: no root reaches them.
  OpenWith(QStringLiteral("(1,null,'a',1),(2,1,'b',2),(3,4,'c',3),(4,3,'d',4),(5,5,'e',5)"), kOnDemand);
  EXPECT_EQ(Shape(), QStringLiteral("a"));
  for (int id : {3, 5}) {
    ASSERT_TRUE(query.Locate(QStringLiteral("id"), id));
    EXPECT_EQ(Shape(), QStringLiteral("a"));
    EXPECT_EQ(Focused(), QStringLiteral("a"));
  }
  // Deleting gathers the records below a node without going round forever.
  Reopen(kOnDemand, 3);
  EXPECT_EQ(Shape(), QStringLiteral("d"));
  list->DeleteNodeRecords(Node(QStringLiteral("d")));
  EXPECT_EQ(Value(QStringLiteral("select group_concat(name, '') from (select name from nodes order by id)")),
            QStringLiteral("abe"));
}

TEST_F(DbTreeOptions, ExpandingPostsAPendingEditInsteadOfLosingIt) {
  OpenWith(QString::fromUtf8(kForest), kOnDemand);
  query.Edit();
  query.FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("A"));
  Expand(QStringLiteral("A"));
  EXPECT_EQ(query.State(), dsBrowse);
  EXPECT_EQ(Value(QStringLiteral("select name from nodes where id = 1")), QStringLiteral("A"));
  EXPECT_EQ(Shape(), QStringLiteral("A(b, c) e g"));
}

TEST_F(DbTreeOptions, DeletingAnUnreadBranchDeletesEveryRecordBelowIt) {
  OpenWith(QString::fromUtf8(kForest), kOnDemand);
  list->DeleteNodeRecords(Node(QStringLiteral("a")));
  EXPECT_EQ(Value(QStringLiteral("select group_concat(name, '') from (select name from nodes order by id)")),
            QStringLiteral("efg"));
  EXPECT_EQ(Shape(), QStringLiteral("e g"));
}

// ---------------------------------------------------------------------------
// Bookmarks

class DbTreeBookmarks : public DbTreeOptions {
 protected:
  // Two records share the key 2: only a bookmark tells them apart.
  void OpenDuplicates(bool bookmarks) {
    if (path.isEmpty()) {
      Open(QStringLiteral("(1,null,'a',1)"), 6, QStringLiteral("integer"),
           QStringLiteral("create table dup(id integer, par integer, name varchar(50), ord integer);"
                          "insert into dup values (1,null,'a',1),(2,1,'b',2),(2,1,'c',3),(3,null,'d',4);"));
      query.Close();
      query.SQL()->Clear();
      query.SQL()->Add(QStringLiteral("select * from dup order by ord"));
      Show(list.get());
    }
    Reopen(bookmarks ? kDefaultOptionsDB | OptDB(etoUseBookmarks) : kDefaultOptionsDB);
    Node(QStringLiteral("a"))->Expand(true);
  }
};

TEST_F(DbTreeBookmarks, ARecordSharingItsKeyIsFoundByItsBookmark) {
  struct Case {
    bool bookmarks;
    const char* afterClick;   // current record after clicking "c"
    const char* afterMove;    // focused node after the record set moves to "c"
  } cases[] = {{true, "c", "c"}, {false, "b", "b"}};
  for (const Case& c : cases) {
    OpenDuplicates(c.bookmarks);
    ASSERT_EQ(Shape(), QStringLiteral("a(b, c) d"));
    QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("c"))));
    EXPECT_EQ(Current(), QString::fromUtf8(c.afterClick)) << c.bookmarks;
    query.First();
    query.MoveBy(2);
    ASSERT_EQ(Current(), QStringLiteral("c"));
    EXPECT_EQ(Focused(), QString::fromUtf8(c.afterMove)) << c.bookmarks;
  }
}

TEST_F(DbTreeBookmarks, AStaleBookmarkFallsBackToTheKey) {
  OpenDuplicates(true);
  auto* d = Node(QStringLiteral("d"));
  ASSERT_TRUE(query.BookmarkValid(d->Bookmark()));
  d->SetBookmark(QStringLiteral("999999"));
  QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(d));
  EXPECT_EQ(Current(), QStringLiteral("d"));
  EXPECT_EQ(Focused(), QStringLiteral("d"));
}

// ---------------------------------------------------------------------------
// Selection following the record set

TEST_F(DbTreeOptions, WithSyncSelectionARecordSetMoveSelectsItsNodeAlone) {
  Open(QStringLiteral("(1,null,'a',1),(2,null,'b',2),(3,null,'c',3),(4,null,'d',4)"));
  list->SetMultiSelect(true);
  Show(list.get());
  for (bool sync : {true, false}) {
    list->OptionsDB = sync ? kDefaultOptionsDB | OptDB(etoSyncSelection) : kDefaultOptionsDB;
    query.First();
    QTest::mouseClick(list.get(), Qt::LeftButton, {}, TextPoint(Node(QStringLiteral("a"))));
    QTest::mouseClick(list.get(), Qt::LeftButton, Qt::ControlModifier, TextPoint(Node(QStringLiteral("b"))));
    ASSERT_EQ(list->SelectedCount(), 2);
    ASSERT_TRUE(query.Locate(QStringLiteral("id"), 4));
    EXPECT_EQ(Focused(), QStringLiteral("d"));
    if (sync) {
      EXPECT_EQ(list->SelectedCount(), 1);
      EXPECT_TRUE(Node(QStringLiteral("d"))->Selected());
    } else {
      EXPECT_EQ(list->SelectedCount(), 2);
      EXPECT_TRUE(Node(QStringLiteral("a"))->Selected());
    }
  }
}

// ---------------------------------------------------------------------------
// Focus control

// A second control on the same data source, asked after the tree list.
class RecordingLink : public TDataLink {
 public:
  int asked = 0;

 protected:
  void FocusControl(TField** field) override {
    ++asked;
    *field = nullptr;
  }
};

TEST_F(DbTreeOptions, AFieldAsksForTheFocusAndTheTreeListOpensItsCell) {
  Open(QString::fromUtf8(kForest), 3);
  // A tree list with an editor, two columns and cell focus.
  list.reset();
  auto tree = std::make_unique<TtlDBTreeList>();
  tree->SetShowHeader(false);
  tree->SetDefaultRowHeight(20);
  tree->Bands()->Add()->SetWidth(300);
  for (const char* name : {"name", "ord"}) {
    auto* col = tree->CreateColumnOf<TtlDBTreeListColumn>();
    col->SetFieldName(QString::fromLatin1(name));
    col->SetWidth(100);
  }
  tree->SetDataSource(&source);
  tree->SetKeyField(QStringLiteral("id"));
  tree->SetParentField(QStringLiteral("par"));
  tree->resize(300, 60);
  tree->show();
  RecordingLink other;
  other.SetDataSource(&source);

  struct Case {
    const char* what;
    bool rowSelect;
    bool veto;
    int column;   // focused column afterwards
    bool opened;  // the cell's editor is open
    int asked;    // the other control asked
  } cases[] = {
      {"the cell of the field is focused and opened", false, false, 1, true, 0},
      {"a vetoed editor leaves the request to the next control", false, true, 1, false, 1},
      {"whole-row selection ignores the request", true, false, 0, false, 1},
  };
  for (const Case& c : cases) {
    tree->SetOptionView(etoRowSelect, c.rowSelect);
    tree->SetFocusedColumn(0);
    tree->OnEditing = [&](TObject*, TtlTreeListNode*, bool& allow) { allow = !c.veto; };
    tree->CancelEditor();
    other.asked = 0;
    // The record set is on d; the rows are scrolled away from its row.
    ASSERT_TRUE(query.Locate(QStringLiteral("id"), 4));
    tree->SetTopIndex(4);
    ASSERT_TRUE(tree->RowRect(tree->FocusedNode()).IsEmpty());
    query.FieldByName(QStringLiteral("ord"))->FocusControl();
    EXPECT_EQ(tree->FocusedColumn(), c.column) << c.what;
    EXPECT_EQ(tree->Editing(), c.opened) << c.what;
    if (c.opened) {
      EXPECT_EQ(tree->EditingColumn(), tree->Columns(1)) << c.what;
    }
    EXPECT_EQ(other.asked, c.asked) << c.what;
    EXPECT_EQ(tree->RowRect(tree->FocusedNode()).IsEmpty(), c.rowSelect) << c.what;
  }
  // A field no column shows is left to the other controls.
  other.asked = 0;
  query.FieldByName(QStringLiteral("par"))->FocusControl();
  EXPECT_EQ(other.asked, 1);
}

}  // namespace
