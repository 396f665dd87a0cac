// Storing and restoring a tree list's layout in an ini file: a round trip,
// sections of other tree lists left alone, untrusted values clamped.

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QWidget>

#include "platform/ini_file.h"
#include "tests/support/test_support.h"
#include "tests/treelist/tree_fixture.h"

namespace {

struct LayoutList {
  explicit LayoutList(QWidget* form) {
    list = new TestTreeList(form);
    list->SetName(QStringLiteral("F_Tree1"));
    for (int i = 0; i < 2; ++i) list->Bands()->Add();
    for (int i = 0; i < 3; ++i) list->CreateColumn();
  }
  TtlTreeListColumn* Column(const QString& name) {
    for (int i = 0; i < list->ColumnCount(); ++i)
      if (list->Columns(i)->Name() == name) return list->Columns(i);
    return nullptr;
  }
  TestTreeList* list;
};

TEST(LayoutStore, StoreThenRestoreGivesTheSameLayout) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("layout.ini"));
  {
    QWidget form;
    form.setObjectName(QStringLiteral("Form1"));
    LayoutList a(&form);
    a.list->OptionsBehavior |= OptB(etoAutoSort);
    a.Column(QStringLiteral("F_Tree1Column1"))->SetWidth(140);
    a.Column(QStringLiteral("F_Tree1Column2"))->SetVisible(false);
    a.Column(QStringLiteral("F_Tree1Column3"))->SetIndex(0);
    a.Column(QStringLiteral("F_Tree1Column3"))->SetBandIndex(1);
    a.Column(QStringLiteral("F_Tree1Column1"))->SetSorted(csDown);
    a.list->Bands()->Items(1)->SetWidth(333);
    a.list->Bands()->Items(0)->SetVisible(false);
    a.list->Bands()->Move(1, 0);
    a.list->SetShowGrid(true);
    a.list->StoreLayoutToIni(file);
  }
  const TMemIniFile ini(file);
  EXPECT_TRUE(ini.SectionExists(QStringLiteral("\\Form1_F_Tree1\\Columns\\F_Tree1Column2")));
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("\\Form1_F_Tree1\\Band\\Band0"), QStringLiteral("ID"), -1), 1);

  QWidget form;
  form.setObjectName(QStringLiteral("Form1"));
  LayoutList b(&form);
  b.list->OptionsBehavior |= OptB(etoAutoSort);
  b.list->RestoreLayoutFromIni(file);
  EXPECT_TRUE(b.list->ShowGrid());
  EXPECT_EQ(b.list->Columns(0)->Name(), QStringLiteral("F_Tree1Column3"));
  EXPECT_EQ(b.list->Columns(0)->BandIndex(), 0) << "band moves carry their columns";
  EXPECT_EQ(b.Column(QStringLiteral("F_Tree1Column1"))->BandIndex(), 1);
  EXPECT_EQ(b.Column(QStringLiteral("F_Tree1Column1"))->Width(), 140);
  EXPECT_FALSE(b.Column(QStringLiteral("F_Tree1Column2"))->Visible());
  EXPECT_EQ(b.Column(QStringLiteral("F_Tree1Column1"))->Sorted(), csDown);
  EXPECT_EQ(b.list->SortedColumn(), b.Column(QStringLiteral("F_Tree1Column1")));
  EXPECT_EQ(b.list->Bands()->Items(0)->ID(), 1);
  EXPECT_EQ(b.list->Bands()->Items(0)->Width(), 333);
  EXPECT_FALSE(b.list->Bands()->Items(1)->Visible());
}

TEST(LayoutStore, StoringErasesOnlyItsOwnSections) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("layout.ini"));
  WriteFileBytes(file, "[\\F_Tree10]\nShowGrid=1\n[\\F_Tree1\\Columns\\Gone]\nWidth=5\n[\\F_Tree1x]\nA=1\n");
  QWidget form;
  LayoutList a(&form);
  a.list->IniSectionName = QStringLiteral("F_Tree1\\");
  a.list->StoreLayoutToIni(file);
  const TMemIniFile ini(file);
  EXPECT_TRUE(ini.SectionExists(QStringLiteral("\\F_Tree10")));
  EXPECT_TRUE(ini.SectionExists(QStringLiteral("\\F_Tree1x")));
  EXPECT_FALSE(ini.SectionExists(QStringLiteral("\\F_Tree1\\Columns\\Gone")));
  EXPECT_TRUE(ini.SectionExists(QStringLiteral("\\F_Tree1\\Columns\\F_Tree1Column1")));
}

TEST(LayoutStore, UntrustedValuesAreClampedAndDuplicateIndexesStayAdjacent) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("layout.ini"));
  WriteFileBytes(file,
                 "[\\T]\nDefaultRowHeight=99999999\nBandRowCount=-4\n"
                 "[\\T\\Columns\\F_Tree1Column1]\nWidth=2147483647\nSorted=7\nIndex=2\nBandIndex=99\n"
                 "[\\T\\Columns\\F_Tree1Column2]\nWidth=-50\nIndex=2\n"
                 "[\\T\\Columns\\F_Tree1Column3]\nIndex=0\n"
                 "[\\T\\Band\\Band0]\nID=42\nWidth=5\n");
  QWidget form;
  LayoutList a(&form);
  a.list->OptionsBehavior |= OptB(etoAutoSort);
  a.list->IniSectionName = QStringLiteral("T");
  const int bandWidth = a.list->Bands()->Items(0)->Width();
  a.list->RestoreLayoutFromIni(file);
  TtlTreeListColumn* c1 = a.Column(QStringLiteral("F_Tree1Column1"));
  TtlTreeListColumn* c2 = a.Column(QStringLiteral("F_Tree1Column2"));
  EXPECT_LE(c1->Width(), 10000);
  EXPECT_EQ(c2->Width(), c2->MinWidth());
  EXPECT_EQ(c1->Sorted(), csNone);
  EXPECT_EQ(c1->BandIndex(), 1);
  EXPECT_LE(a.list->DefaultRowHeight(), 1000);
  EXPECT_EQ(a.list->BandRowCount, 1);
  EXPECT_EQ(a.list->Bands()->Items(0)->Width(), bandWidth) << "no band has ID 42";
  EXPECT_EQ(a.list->Columns(0)->Name(), QStringLiteral("F_Tree1Column3"));
  EXPECT_EQ(std::abs(c1->Index() - c2->Index()), 1);
}

}  // namespace
