// The skin control base: the look decided at each paint, sizes enforced by
// the bounds setter, mapping of skin rects, the window region, the framed
// background of containers, and the windowless twin.

#include <gtest/gtest.h>

#include "skin/controls/skin_control.h"
#include "tests/skin/controls/control_fixture.h"

using namespace ctltest;

namespace {

TsfDataSkinCustomControl& AddFramed(TinySkin& skin, const QString& name, int pic, TRect skinRect,
                                    TPoint lt = {}, TPoint rt = {}, TPoint lb = {}, TPoint rb = {},
                                    TRect client = {}) {
  auto& r = skin.Add<TsfDataSkinCustomControl>(name);
  r.pictureindex = pic;
  r.skinrect = skinRect;
  r.lefttoppoint = lt;
  r.righttoppoint = rt;
  r.leftbottompoint = lb;
  r.rightbottompoint = rb;
  r.clientrect = client;
  return r;
}

class CountingControl : public TsfSkinCustomControl {
 public:
  using TsfSkinCustomControl::TsfSkinCustomControl;
  int parentBackgroundChanges = 0;
  void SetForceBackground(bool v) { ForceBackground = v; }

 protected:
  void ParentBackgroundChanged() override { ++parentBackgroundChanges; }
};

}  // namespace

TEST(SkinControlBase, LookIsDecidedAtEachPaint) {
  TinySkin skin;
  const int pic = skin.AddPicture(Distinct(16, 8));
  AddFramed(skin, "ctl", pic, TRect(0, 0, 16, 8));
  skin.Add<TsfDataSkinStdLabelControl>("label");  // a record without geometry

  TsfSkinCustomControl c;
  c.SetSkinDataName("missing");
  c.SetSkinData(skin.data);
  c.SetBounds(0, 0, 30, 20);
  EXPECT_EQ(At(Shot(&c), 5, 5), Rgb(clBtnFace));
  EXPECT_EQ(c.RecordIndex(), -1);

  // A new name takes effect at the next paint, without a skin change.
  c.SetSkinDataName("ctl");
  EXPECT_EQ(At(Shot(&c), 3, 2), qRgb(3, 2, 7));
  EXPECT_EQ(c.RecordIndex(), 0);

  // A record of the wrong class: no pictures, and never a size from it.
  c.SetSkinDataName("label");
  c.SetBounds(0, 0, 40, 30);
  c.ApplySkinChange();
  EXPECT_EQ(c.RecordIndex(), 1);
  EXPECT_EQ(c.ResizeMode(), rmFixed);
  EXPECT_EQ(c.Width(), 40);
  EXPECT_EQ(c.Height(), 30);
  c.SetBounds(0, 0, 41, 31);
  EXPECT_EQ(c.Width(), 41);
  EXPECT_EQ(c.Height(), 31);
  Shot(&c);

  // The skin data object destroyed while the control refers to it.
  c.SetSkinDataName("ctl");
  delete skin.data.data();
  EXPECT_EQ(c.SkinData(), nullptr);
  EXPECT_EQ(At(Shot(&c), 3, 2), Rgb(clBtnFace));
  EXPECT_EQ(c.RecordIndex(), -1);
}

TEST(SkinControlBase, EmptySkinGivesDefaultLookAndDefaultSize) {
  TsfSkinData empty;  // nothing loaded
  TsfSkinCustomControl c;
  c.SetBounds(0, 0, 10, 10);
  c.SetDefaultWidth(33);
  c.SetDefaultHeight(21);
  EXPECT_EQ(c.Width(), 33);
  EXPECT_EQ(c.Height(), 21);
  c.SetSkinData(&empty);
  EXPECT_EQ(At(Shot(&c), 1, 1), Rgb(clBtnFace));

  // A loaded skin without the record: the default size is applied on setting it.
  TinySkin skin;
  TsfSkinCustomControl d;
  d.SetSkinDataName("nothing");
  d.SetBounds(0, 0, 10, 10);
  d.SetDefaultWidth(0);
  d.SetDefaultHeight(0);
  d.SetSkinData(skin.data);
  EXPECT_EQ(d.Width(), 10);
  d.SetDefaultWidth(44);
  EXPECT_EQ(d.Width(), 44);
}

TEST(SkinControlBase, BoundsSetterEnforcesTheResizeMode) {
  struct Case {
    const char* what;
    TRect skinRect;
    TPoint lt, rt, lb, rb;
    int mode;
    int w, h;  // after asking for 50 x 40
  };
  const Case cases[] = {
      {"fixed", TRect(0, 0, 20, 10), {}, {}, {}, {}, rmFixed, 20, 10},
      {"horizontal", TRect(0, 0, 20, 10), {5, 0}, {15, 0}, {}, {}, rmHorizontal, 50, 10},
      {"vertical", TRect(0, 0, 20, 10), {0, 3}, {}, {0, 7}, {}, rmVertical, 20, 40},
      {"frame", TRect(0, 0, 20, 10), {5, 3}, {15, 3}, {5, 7}, {15, 7}, rmFrame, 50, 40},
      {"empty skin rect", TRect(0, 0, 0, 10), {}, {}, {}, {}, rmNone, 50, 40},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TinySkin skin;
    AddFramed(skin, "ctl", skin.AddPicture(Distinct(20, 10)), k.skinRect, k.lt, k.rt, k.lb, k.rb,
              TRect(5, 3, 15, 7));
    TsfSkinCustomControl c;
    c.SetSkinDataName("ctl");
    c.SetSkinData(skin.data);
    c.SetBounds(0, 0, 50, 40);
    EXPECT_EQ(c.ResizeMode(), k.mode);
    EXPECT_EQ(c.Width(), k.w);
    EXPECT_EQ(c.Height(), k.h);
  }
}

TEST(SkinControlBase, SettingLoadedSkinDataTakesTheSkinSizeAtOnce) {
  TinySkin skin;
  AddFramed(skin, "ctl", skin.AddPicture(Distinct(20, 10)), TRect(0, 0, 20, 10));
  TsfSkinCustomControl c;
  c.SetBounds(0, 0, 100, 100);
  c.SetSkinDataName("ctl");
  c.SetSkinData(skin.data);
  EXPECT_EQ(c.Width(), 20);
  EXPECT_EQ(c.Height(), 10);

  // Before a skin change the record is forgotten; the next paint finds it again.
  c.ForgetSkinRecord();
  EXPECT_EQ(c.RecordIndex(), -1);
  Shot(&c);
  EXPECT_EQ(c.RecordIndex(), 0);
}

TEST(SkinControlBase, MapSkinRect) {
  struct Case {
    TRect in, out;
  };
  // Skin 40 x 30 shown at 60 x 50: dx = dy = 20.
  const Case frame[] = {
      {TRect(2, 2, 8, 6), TRect(2, 2, 8, 6)},          // left-top corner
      {TRect(32, 2, 38, 6), TRect(52, 2, 58, 6)},      // right-top
      {TRect(2, 24, 8, 28), TRect(2, 44, 8, 48)},      // left-bottom
      {TRect(32, 24, 38, 28), TRect(52, 44, 58, 48)},  // right-bottom
      {TRect(2, 2, 38, 6), TRect(2, 2, 58, 6)},        // across the top
      {TRect(2, 2, 38, 28), TRect(2, 2, 58, 48)},      // the whole picture
      {TRect(2, 24, 38, 28), TRect(2, 44, 58, 48)},    // across the bottom
      {TRect(2, 2, 8, 28), TRect(2, 2, 8, 48)},        // down the left
      {TRect(32, 2, 38, 28), TRect(52, 2, 58, 48)},    // down the right
      {TRect(15, 12, 20, 18), TRect(15, 12, 20, 18)},  // in the middle
      {TRect(0, 0, 10, 8), TRect(0, 0, 10, 8)},        // exactly the corner area
  };
  TinySkin skin;
  const int pic = skin.AddPicture(Distinct(40, 30));
  AddFramed(skin, "frame", pic, TRect(0, 0, 40, 30), {10, 8}, {30, 8}, {10, 22}, {30, 22},
            TRect(10, 8, 30, 22));
  AddFramed(skin, "hstrip", pic, TRect(0, 0, 40, 30), {10, 0}, {30, 0}, {}, {});
  AddFramed(skin, "vstrip", pic, TRect(0, 0, 40, 30), {0, 8}, {}, {0, 22}, {});
  TsfSkinCustomControl c;
  c.SetSkinDataName("frame");
  c.SetSkinData(skin.data);
  c.SetBounds(0, 0, 60, 50);
  for (const Case& k : frame) EXPECT_EQ(c.MapSkinRect(k.in), k.out) << k.in.Left << "," << k.in.Top;

  c.SetSkinDataName("hstrip");
  c.ApplySkinChange();
  c.SetBounds(0, 0, 60, 30);
  EXPECT_EQ(c.MapSkinRect(TRect(5, 2, 35, 8)), TRect(5, 2, 55, 8));
  EXPECT_EQ(c.MapSkinRect(TRect(32, 2, 38, 8)), TRect(52, 2, 58, 8));
  EXPECT_EQ(c.MapSkinRect(TRect(12, 2, 20, 8)), TRect(12, 2, 20, 8));

  c.SetSkinDataName("vstrip");
  c.ApplySkinChange();
  c.SetBounds(0, 0, 40, 50);
  EXPECT_EQ(c.MapSkinRect(TRect(2, 5, 8, 25)), TRect(2, 5, 8, 45));
  EXPECT_EQ(c.MapSkinRect(TRect(2, 24, 8, 28)), TRect(2, 44, 8, 48));
  EXPECT_EQ(c.MapSkinRect(TRect(2, 10, 8, 20)), TRect(2, 10, 8, 20));
}

TEST(SkinControlBase, WindowRegionFromTheMaskPicture) {
  TinySkin skin;
  TBitmap mask = Filled(20, 10, qRgb(255, 255, 255));
  for (int y = 2; y < 8; ++y)
    for (int x = 2; x < 18; ++x) mask.Image().setPixel(x, y, qRgb(0, 0, 0));
  auto& r = AddFramed(skin, "ctl", skin.AddPicture(Distinct(20, 10)), TRect(0, 0, 20, 10));
  r.maskpictureindex = skin.AddPicture(mask);
  TCustomControl parent;
  TsfSkinCustomControl c(&parent);
  c.SetSkinDataName("ctl");
  c.SetSkinData(skin.data);
  EXPECT_EQ(c.mask(), QRegion(2, 2, 16, 6));

  // The skin gone: the control is a rectangle again.
  delete skin.data.data();
  c.ApplySkinChange();
  EXPECT_TRUE(c.mask().isEmpty());
}

TEST(SkinControlBase, FramedBackgroundTilesTheClientPiece) {
  TinySkin skin;
  auto& r = AddFramed(skin, "ctl", skin.AddPicture(Distinct(40, 30)), TRect(0, 0, 40, 30), {4, 4},
                      {36, 4}, {4, 26}, {36, 26}, TRect(4, 4, 36, 26));
  CountingControl c;
  c.SetForceBackground(true);
  c.SetSkinDataName("ctl");
  c.SetSkinData(skin.data);
  c.SetBounds(0, 0, 80, 60);
  QImage shot = Shot(&c);
  EXPECT_EQ(At(shot, 1, 1), qRgb(1, 1, 7));                  // corner
  EXPECT_EQ(At(shot, 79, 59), qRgb(39, 29, 7));              // far corner
  EXPECT_EQ(At(shot, 5, 10), qRgb(5, 10, 7));                // first tile
  EXPECT_EQ(At(shot, 4 + 32 + 1, 10), qRgb(5, 10, 7));       // second tile, same piece

  // An empty client piece draws no centre and does not fail.
  r.clientrect = TRect(4, 4, 4, 26);
  Shot(&c);
}

TEST(SkinControlBase, ParentBackgroundChangeReachesChildren) {
  TinySkin skin;
  auto& r = AddFramed(skin, "ctl", skin.AddPicture(Distinct(40, 30)), TRect(0, 0, 40, 30), {4, 4},
                      {36, 4}, {4, 26}, {36, 26}, TRect(4, 4, 36, 26));
  r.stretcheffect = true;
  TsfSkinCustomControl parent;
  CountingControl child(&parent);
  parent.SetSkinDataName("ctl");
  parent.SetSkinData(skin.data);
  const int before = child.parentBackgroundChanges;
  parent.SetBounds(0, 0, 90, 70);
  EXPECT_EQ(child.parentBackgroundChanges, before + 1);
  child.Perform(WM_SKINCTRL_PARENTBGCHANGED);
  EXPECT_EQ(child.parentBackgroundChanges, before + 2);
}

TEST(SkinControlBase, GraphicTwinFollowsTheSameRules) {
  TinySkin skin;
  AddFramed(skin, "ctl", skin.AddPicture(Distinct(20, 10)), TRect(0, 0, 20, 10));
  TsfGraphicSkinCustomControl g;
  EXPECT_EQ(g.DefaultFont()->Name(), "Arial");
  EXPECT_EQ(g.DefaultFont()->Height(), 14);
  g.SetBounds(0, 0, 50, 50);
  EXPECT_EQ(At(Shot(&g), 10, 10), Rgb(clBtnFace));
  g.SetSkinDataName("ctl");
  g.SetSkinData(skin.data);
  EXPECT_EQ(g.Width(), 20);
  EXPECT_EQ(At(Shot(&g), 3, 4), qRgb(3, 4, 7));
  ISkinChangeable* hooks = &g;
  EXPECT_EQ(hooks->SkinDataObject(), skin.data.data());
}

// Controls are found by class with Qt's casts (findChildren, qobject_cast):
// every skinned class must be told apart from its platform base.
TEST(SkinControlBase, QtCastsTellTheClassesApart) {
  TCustomControl plain;
  TsfSkinControl skinned;
  TsfSkinCustomControl custom;
  TsfGraphicSkinCustomControl graphic;
  EXPECT_EQ(qobject_cast<TsfSkinControl*>(&plain), nullptr);
  EXPECT_EQ(qobject_cast<TsfSkinCustomControl*>(&skinned), nullptr);
  EXPECT_EQ(qobject_cast<TsfSkinControl*>(&custom), &custom);
  EXPECT_EQ(qobject_cast<TsfGraphicSkinControl*>(&graphic), &graphic);
  EXPECT_EQ(qobject_cast<TsfSkinControl*>(&graphic), nullptr);
}
