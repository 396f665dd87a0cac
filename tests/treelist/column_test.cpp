#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QWidget>

#include "tests/treelist/tree_fixture.h"

namespace {

TEST(TreeListColumn, MissingFieldGivesEmptyCellsAndTheFieldNameAsCaption) {
  FieldTreeList list;
  list.Bands()->Add();
  auto* column = list.CreateColumnOf<TtlDBTreeListColumn>();
  column->SetFieldName(QStringLiteral("no_such_field"));
  TtlTreeListNode* node = list.Add();
  static_cast<TtlTreeListTextNode*>(node)->SetCellText(column->Index(), QStringLiteral("text"));
  EXPECT_EQ(column->Field(), nullptr);
  EXPECT_EQ(column->CellText(node), QString());
  EXPECT_EQ(column->Caption(), QStringLiteral("no_such_field"));
  EXPECT_EQ(column->Alignment(), taLeftJustify);
  EXPECT_FALSE(column->ReadOnly());
  EXPECT_EQ(column->MaxLength(), 0);
  // A caption sets the default width: its width in the header font plus 6.
  const QFontMetrics fm(list.HeaderFont()->ToQFont());
  EXPECT_EQ(column->Width(), std::max(20, fm.horizontalAdvance(column->Caption()) + 6));
  EXPECT_FALSE(column->IsWidthAssigned());
}

TEST(TreeListColumn, DefaultsComeFromTheFieldUntilSet) {
  FieldTreeList list;
  list.Bands()->Add();
  auto* column = list.CreateColumnOf<TtlDBTreeListMaskColumn>();
  column->SetFieldName(QStringLiteral("titlename"));
  TtlTreeListNode* node = list.Add();
  static_cast<TtlTreeListTextNode*>(node)->SetCellText(column->Index(), QStringLiteral("text"));
  EXPECT_EQ(column->CellText(node), QStringLiteral("text"));
  EXPECT_EQ(column->Caption(), QStringLiteral("Title"));
  EXPECT_EQ(column->Alignment(), taRightJustify);
  EXPECT_TRUE(column->ReadOnly());
  EXPECT_EQ(column->MaxLength(), 50);
  EXPECT_EQ(column->EditMask(), QStringLiteral("999;0;_"));
  // A column named before it is placed finds its field once placed.
  auto* late = new TtlDBTreeListColumn(&list);
  late->SetFieldName(QStringLiteral("titlename"));
  EXPECT_EQ(late->Field(), nullptr);
  late->SetTreeList(&list);
  EXPECT_EQ(late->Field(), &list.field);
  // Width: the larger of the caption and the field's display width in "0"s.
  const QFontMetrics header(list.HeaderFont()->ToQFont());
  const QFontMetrics cell(list.Font()->ToQFont());
  const int expected = std::max(header.horizontalAdvance("Title") + 6,
                                cell.horizontalAdvance('0') * 10 + 4);
  EXPECT_EQ(column->Width(), expected);

  column->SetCaption(QStringLiteral("标题"));
  column->SetAlignment(taCenter);
  column->SetReadOnly(false);
  EXPECT_TRUE(column->IsCaptionAssigned());
  EXPECT_EQ(column->Caption(), QStringLiteral("标题"));
  EXPECT_EQ(column->Alignment(), taCenter);
  EXPECT_FALSE(column->ReadOnly());
  list.ReadOnly = true;  // the whole list read-only makes every column so
  EXPECT_TRUE(column->ReadOnly());
}

TEST(TreeListColumn, WidthNeverBelowMinWidth) {
  TestTreeList list;
  TtlTreeListColumn* column = list.CreateColumn();
  EXPECT_EQ(column->Width(), 100);
  column->SetWidth(100);  // the default width stays a default
  EXPECT_FALSE(column->IsWidthAssigned());
  column->SetWidth(5);
  EXPECT_EQ(column->Width(), 20);
  column->SetMinWidth(40);
  EXPECT_EQ(column->Width(), 40);
  column->SetWidth(220);
  EXPECT_EQ(column->Width(), 220);

  TtlTreeListBand* band = list.Bands()->Add();
  EXPECT_EQ(band->Width(), 250);
  band->SetWidth(10);
  EXPECT_EQ(band->Width(), 30);
}

TEST(TreeListColumn, FontFollowsTheTreeListUntilSet) {
  TestTreeList list;
  TtlTreeListColumn* column = list.CreateColumn();
  list.Font()->SetHeight(13);
  EXPECT_EQ(column->Font()->Height(), 13);
  column->Font()->SetColor(clRed);
  EXPECT_TRUE(column->IsFontAssigned());
  list.Font()->SetHeight(20);
  EXPECT_EQ(std::as_const(*column).Font()->Height(), 13);
  EXPECT_EQ(std::as_const(*column).Font()->Color(), clRed);
}

TEST(TreeListColumn, BandIndexMinusOneIsNotPlacedOrDrawn) {
  TestTreeList list;
  list.Bands()->Add();
  TtlTreeListColumn* a = list.CreateColumn();
  TtlTreeListColumn* b = list.CreateColumn();
  TtlTreeListColumn* c = list.CreateColumn();
  EXPECT_EQ(b->ColIndex(), 1);
  b->SetBandIndex(-1);
  EXPECT_EQ(b->BandIndex(), -1);
  EXPECT_EQ(b->ColIndex(), -1);
  EXPECT_EQ(c->ColIndex(), 1);
  EXPECT_EQ(list.DrawnColumns(), (std::vector<TtlTreeListColumn*>{a, c}));
  // Clamped to the bands there are.
  b->SetBandIndex(7);
  EXPECT_EQ(b->BandIndex(), 0);
  b->SetBandIndex(-9);
  EXPECT_EQ(b->BandIndex(), -1);
  // A hidden column is not placed either.
  c->SetVisible(false);
  EXPECT_EQ(c->ColIndex(), -1);
  EXPECT_EQ(list.DrawnColumns(), (std::vector<TtlTreeListColumn*>{a}));
}

TEST(TreeListColumn, DeletingABandDetachesItsColumnsAndShiftsLaterOnes) {
  TestTreeList list;
  for (int i = 0; i < 3; ++i) list.Bands()->Add();
  TtlTreeListColumn* in0 = list.CreateColumn();
  TtlTreeListColumn* in1 = list.CreateColumn();
  TtlTreeListColumn* in2 = list.CreateColumn();
  in1->SetBandIndex(1);
  in2->SetBandIndex(2);
  list.Bands()->Delete(1);
  EXPECT_EQ(in0->BandIndex(), 0);
  EXPECT_EQ(in1->BandIndex(), -1);
  EXPECT_EQ(in2->BandIndex(), 1);
}

TEST(TreeListColumn, OnlyOneBandIsFixedToEachSideAndHidingUnfixes) {
  TestTreeList list;
  TtlTreeListBand* b0 = list.Bands()->Add();
  TtlTreeListBand* b1 = list.Bands()->Add();
  TtlTreeListBand* b2 = list.Bands()->Add();
  TtlTreeListColumn* column = list.CreateColumn();
  column->SetBandIndex(2);
  b2->SetFixed(bfLeft);
  EXPECT_EQ(b2->Index(), 0);  // a left-fixed band moves first
  EXPECT_EQ(column->BandIndex(), 0);  // and its columns go with it
  b1->SetFixed(bfLeft);
  EXPECT_EQ(b2->Fixed(), bfNone);
  EXPECT_EQ(b1->Index(), 0);
  b0->SetFixed(bfRight);
  EXPECT_EQ(b0->Index(), 2);
  b1->SetVisible(false);
  EXPECT_EQ(b1->Fixed(), bfNone);
}

TEST(TreeListColumn, NewColumnsAreNamedAfterTheTreeList) {
  QWidget form;
  TestTreeList* list = new TestTreeList(&form);
  list->SetName(QStringLiteral("RptLists"));
  auto* name = new TtlDBTreeListMaskColumn(&form);
  name->SetName(QStringLiteral("RptListsNAME"));
  name->SetTreeList(list);
  EXPECT_EQ(list->CreateColumn()->Name(), QStringLiteral("RptListsColumn2"));
  EXPECT_EQ(list->CreateColumn()->Name(), QStringLiteral("RptListsColumn3"));
  // A taken name is skipped.
  auto* taken = new TtlTreeListColumn(&form);
  taken->SetName(QStringLiteral("RptListsColumn5"));
  EXPECT_EQ(list->CreateColumn()->Name(), QStringLiteral("RptListsColumn4"));
  EXPECT_EQ(list->CreateColumn()->Name(), QStringLiteral("RptListsColumn6"));
  // Destroying a column takes it out of the list.
  delete name;
  EXPECT_EQ(list->ColumnCount(), 4);
  EXPECT_EQ(list->Columns(0)->Name(), QStringLiteral("RptListsColumn2"));
}

TEST(TreeListColumn, MovingAColumnMovesItsTexts) {
  TestTreeList list;
  list.Bands()->Add();
  TtlTreeListColumn* a = list.CreateColumn();
  TtlTreeListColumn* b = list.CreateColumn();
  TtlTreeListColumn* c = list.CreateColumn();
  auto* node = static_cast<TtlTreeListTextNode*>(list.Add());
  node->SetCellText(0, "A");
  node->SetCellText(1, "B");
  node->SetCellText(2, "C");
  a->SetIndex(2);
  EXPECT_EQ(node->cellTexts.join(""), "BCA");
  EXPECT_EQ(a->CellText(node), "A");
  EXPECT_EQ(b->CellText(node), "B");
  // Setting ColIndex moves the column before the one at that place.
  a->SetColIndex(0);
  EXPECT_EQ(a->Index(), 0);
  EXPECT_EQ(node->cellTexts.join(""), "ABC");
  c->SetColIndex(5);  // past the end: last
  EXPECT_EQ(c->ColIndex(), 2);
  // Removing a column drops its texts; the later ones keep their columns.
  delete b;
  EXPECT_EQ(c->CellText(node), "C");
}

TEST(TreeListColumn, SortedIsOnlyStoredWhileLoading) {
  TestTreeList list;
  list.SetName("L");
  list.OptionsBehavior |= OptB(etoAutoSort);
  auto name = [&](int i) { return static_cast<TtlTreeListTextNode*>(list.Items(i))->CellText(0); };
  list.BeginLoading();
  TtlTreeListColumn* column = list.CreateColumn();
  for (const char* n : {"b", "c", "a"})
    static_cast<TtlTreeListTextNode*>(list.Add())->SetCellText(0, QString::fromLatin1(n));
  column->SetSorted(csUp);
  EXPECT_EQ(name(0), "b") << "stored only";
  list.EndLoading();
  EXPECT_EQ(name(0), "a");
  EXPECT_EQ(list.SortedColumn(), column);
  column->SetSorted(csDown);
  EXPECT_EQ(name(0), "c");
}

}  // namespace
