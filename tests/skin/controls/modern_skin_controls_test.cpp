// The scroll bar, memo and list box on the default skin "Modern" the build
// writes: the records they read are there and drawn where the controls put
// their parts.

#include <gtest/gtest.h>

#include <QTest>

#include "skin/controls/list_box.h"
#include "skin/controls/memo.h"
#include "skin/controls/scroll_bar.h"
#include "tests/skin/controls/control_fixture.h"

using namespace ctltest;

namespace {
class ModernSkin : public testing::Test {
 protected:
  void SetUp() override {
    data.LoadSkinFile(QStringLiteral(TOLMSYS_BIN_DIR "/pic/Modern/skin.ini"));
    ASSERT_FALSE(data.IsEmpty);
  }
  TsfSkinData data;
};
}  // namespace

TEST_F(ModernSkin, TheVerticalBarShowsItsButtonsAtTheEndsAndTheirHotPictures) {
  for (const char* name : {"vscrollbar", "hscrollbar", "bothhscrollbar", "memo", "richedit", "edit", "listbox"})
    EXPECT_GE(data.GetControlIndex(QLatin1String(name)), 0) << name;
  TsfSkinScrollBar bar;
  bar.SetKind(sbVertical);
  bar.SetSkinDataName(QStringLiteral("vscrollbar"));
  bar.SetSkinData(&data);
  bar.SetBounds(0, 0, 17, 150);
  bar.SetRangeAndPosition(0, 99, 10, 0);
  bar.show();
  const TsfScrollBarLayout L = bar.Layout();
  EXPECT_EQ(L.Parts[spDecrease], TRect(0, 0, 17, 17));
  EXPECT_EQ(L.Parts[spIncrease], TRect(0, 133, 17, 150));
  EXPECT_EQ(L.Track, TRect(0, 17, 17, 133));
  const QImage normal = Shot(&bar);
  QTest::mouseMove(&bar, QPoint(8, 140));
  EXPECT_EQ(bar.HotPart(), spIncrease);
  const QImage hot = Shot(&bar);
  EXPECT_NE(At(normal, 3, 136), At(hot, 3, 136)) << "the hot picture over the increase button";
  EXPECT_EQ(At(normal, 3, 60), At(hot, 3, 60)) << "the track stays";
}

TEST_F(ModernSkin, MemoAndListBoxDrawFromTheirRecords) {
  TsfSkinMemo memo;
  memo.SetSkinData(&data);
  memo.SetBounds(0, 0, 160, 80);
  memo.show();
  EXPECT_GT(memo.TextRect().Left, 0);
  EXPECT_LT(memo.TextRect().Right, 160);
  Shot(&memo);

  TsfSkinListBox box;
  box.SetSkinData(&data);
  box.show();
  box.SetItems({"one", "two", "three", "four", "five", "six", "seven", "eight", "nine"});
  EXPECT_EQ(box.ItemHeight(), 18) << "the record's item picture";
  ASSERT_NE(box.VScrollBar(), nullptr);
  EXPECT_EQ(box.VScrollBar()->SkinDataName(), QStringLiteral("vscrollbar"));
  Shot(&box);
}
