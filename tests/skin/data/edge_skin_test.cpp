// A hand-written skin of edge values: bounded memory, no overflow (this test
// is part of the sanitizer run) and the values the format gives.
#include <gtest/gtest.h>

#include "platform/strutils.h"
#include "skin/render/compose.h"
#include "tests/skin/data/skin_fixture.h"

TEST(EdgeValueSkin, LoadsWithTheFormatsValuesAndDrawsWithinBounds) {
  QTemporaryDir dir;
  const QByteArray lu = StringToAnsi(QStringLiteral("廬"));  // trail byte "]"
  ASSERT_EQ(lu.at(1), ']');
  // CR-only line ends throughout.
  const QByteArray text =
      "[VERSION]\rskinname=Edges\r"
      "[PICTURES]\rpicture=form.bmp\ractivepicturescount=6\r0=p0.bmp\r1=sub\\p1.bmp\r4=p0.bmp\r"
      "[FORMINFO]\rlefttoppoint=0008,020\rrighttoppoint=32,20\rleftbottompoint=8,26\r"
      "rightbottompoint=32,26\rclientrect=4,20,36,26\rborderwidth=-2147483648\r"
      "[SKINCOLORS]\rcbtnface=$000000001\rcbtnshadow=0x0000000FF\r"
      "[SKINOBJECTS]\rcount=2000000000\r0=title:caption\r1999999999=far:caption\r"
      "[title]\rskinrect=2147483647,0,2147483647,20\rtextrect=00000000002,2,20,18\r"
      "[far]\rskinrect=0,0,1,1\r"
      "[SKINCONTROLS]\rcount=2147483647\r0=" + lu + "panel:panel\r1=plain:panel\r"
      "2147483646=far:panel\r"
      "[" + lu + "panel]\rpictureindex=00000000001\rskinrect=0,0,8,16\r"
      "lefttoppoint=2,2\rrighttoppoint=6,2\rleftbottompoint=2,14\rrightbottompoint=6,14\r"
      "clientrect=2,2,2000000,14\rfontheight=-2147483648\r"
      "[plain]\rpictureindex=2147483647\rskinrect=0,0,99999999,2147483647\r";
  const QString path = WriteFixtureSkin(dir, text);
  TsfSkinData data;
  data.LoadSkinFile(path);
  ASSERT_FALSE(data.IsEmpty);
  EXPECT_EQ(data.Version.skinname, "Edges");

  // Six pictures, the missing and the last ones empty.
  ASSERT_EQ(data.PictureList.size(), 6u);
  EXPECT_EQ(data.Picture(1)->Height(), 24);
  EXPECT_TRUE(data.Picture(2)->Empty());
  EXPECT_TRUE(data.Picture(5)->Empty());
  EXPECT_EQ(data.Picture(4)->Width(), 16);

  // Lists with one far key: the near entries only, nothing made for the gap.
  ASSERT_EQ(data.ObjectRecords.size(), 1u);
  EXPECT_EQ(data.GetObjectIndex("far"), -1);
  ASSERT_EQ(data.ControlRecords.size(), 2u);

  // Leading zeros and values near the limits.
  EXPECT_EQ(data.FormInfo.lefttoppoint, TPoint(8, 20));
  EXPECT_EQ(data.Colors.cbtnface, 1);
  EXPECT_EQ(data.Colors.cbtnshadow, 255);
  auto* title = data.ObjectRecord<TsfDataSkinCaption>("title");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->skinrect, TRect(kMaxSkinCoordinate, 0, kMaxSkinCoordinate, 20));
  EXPECT_EQ(title->textrect, TRect(2, 2, 20, 18));

  // The GBK section name with "]" as its second byte is found.
  const QString panelName = QStringLiteral("廬panel");
  ASSERT_EQ(data.GetControlIndex(panelName), 0);
  auto* panel = data.ControlRecord<TsfDataSkinPanelControl>(panelName);
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->pictureindex, 1);
  EXPECT_EQ(panel->clientrect, TRect(2, 2, 2000000, 14));
  EXPECT_EQ(panel->fontheight, std::numeric_limits<int>::min());
  auto* plain = data.ControlRecord<TsfDataSkinPanelControl>("plain");
  ASSERT_NE(plain, nullptr);
  EXPECT_EQ(data.Picture(plain->pictureindex), nullptr);
  EXPECT_EQ(plain->skinrect, TRect(0, 0, 99999999 > kMaxSkinCoordinate ? kMaxSkinCoordinate : 99999999,
                                   kMaxSkinCoordinate));

  // Drawing the records' pieces at a window's size stays inside the pictures.
  const TBitmap& pic = *data.Picture(panel->pictureindex);
  TsfFramePoints k{panel->lefttoppoint, panel->righttoppoint, panel->leftbottompoint,
                   panel->rightbottompoint, panel->clientrect};
  for (TsfStretchMode mode : {smFull, smHorizontal, smVertical}) {
    TBitmap fill;
    ComposeClientFill(panel->clientrect, TRect(0, 0, 300, 200), fill, 300, 200, panel->skinrect, pic, true,
                      mode);
    EXPECT_EQ(fill.Width(), 300);
    TBitmap frame;
    TsfStretchFlags flags;
    flags.Effect = true;
    flags.Mode = mode;
    ComposeFrameBitmap(frame, k, ScaleFramePoints(k, 8, 16, 300, 200), 300, 200, panel->skinrect, pic,
                       flags, true);
    EXPECT_EQ(frame.Height(), 200);
  }
  TBitmap strip;
  ComposeHStrip(title->skinrect.Left, title->skinrect.Right, strip, data.MainPicture, title->skinrect, 200,
                false);
  TBitmap whole(100, 50);
  ComposeWholeBitmap(whole, pic, plain->skinrect, plain->skinrect, true);
}
