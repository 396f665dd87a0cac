// The skin data object: loading a skin folder, lookups, the change messages
// and what a failed load leaves behind.
#include <gtest/gtest.h>

#include "platform/exceptions.h"
#include "tests/skin/data/skin_fixture.h"

namespace {
const std::vector<unsigned> kChangeMessages{WM_SKINDATA_BEFORECHANGE, WM_SKINDATA_CHANGED,
                                            WM_SKINDATA_AFTERCHANGE};

struct SkinDataTest : ::testing::Test {
  QTemporaryDir dir;
  TSkinMessageLog log;
};
}  // namespace

TEST_F(SkinDataTest, ANewObjectIsEmpty) {
  TsfSkinData data;
  EXPECT_TRUE(data.IsEmpty);
  EXPECT_FALSE(data.IsChanging);
  EXPECT_EQ(data.GetControlIndex("button"), -1);
  EXPECT_EQ(data.GetObjectIndex("caption"), -1);
  EXPECT_EQ(data.Picture(0), nullptr);
  EXPECT_TRUE(data.SkinnableForm());
  EXPECT_FALSE(data.AnimationForAllWindows);
  EXPECT_TRUE(data.EnableSkinEffects);
  EXPECT_TRUE(data.ShowButtonGlowFrames);
  EXPECT_TRUE(data.ShowCaptionButtonGlowFrames);
  EXPECT_TRUE(data.ShowLayeredBorders());
  EXPECT_EQ(data.SkinIndex(), 0);
  EXPECT_EQ(data.FormInfo.bgpictureindex, -1);
  EXPECT_EQ(data.HintWindowData.fontheight, 12);
  EXPECT_EQ(data.LayerFrameData.alphablendvalue, 255);
}

TEST_F(SkinDataTest, LoadsRecordsPicturesAndSections) {
  TsfSkinData data;
  data.LoadSkinFile(WriteFixtureSkin(dir));
  EXPECT_FALSE(data.IsEmpty);
  EXPECT_FALSE(data.IsChanging);
  EXPECT_EQ(data.Version.skinname, "Fixture");
  EXPECT_EQ(data.MainPicture.Width(), 40);
  EXPECT_TRUE(data.MainMask.Empty());
  ASSERT_EQ(data.PictureList.size(), 2u);
  EXPECT_EQ(data.Picture(1)->Height(), 24);  // named with a backslash sub-folder
  EXPECT_EQ(data.Picture(1)->Pixel(1, 1), RGB(90, 80, 70));
  EXPECT_EQ(data.Picture(2), nullptr);
  EXPECT_EQ(data.Picture(-1), nullptr);
  EXPECT_EQ(data.PictureFileNames, QStringList({"p0.bmp", "sub\\p1.bmp"}));
  EXPECT_EQ(data.FormInfo.clientrect, TRect(4, 20, 36, 26));
  EXPECT_EQ(data.FormInfo.borderwidth, 2);
  EXPECT_EQ(data.Colors.cbtnface, 0x00112233);
  EXPECT_EQ(data.Colors.cwindow, clWindow);
  EXPECT_EQ(data.HintWindowData.fontheight, 14);

  // The entry of an unknown kind is skipped; lookups are exact and find the first.
  ASSERT_EQ(data.ObjectRecords.size(), 2u);
  EXPECT_EQ(data.GetObjectIndex("closebutton"), 1);
  EXPECT_EQ(data.GetObjectIndex("odd"), -1);
  auto* close = data.ObjectRecord<TsfDataSkinStdButton>("closebutton");
  ASSERT_NE(close, nullptr);
  EXPECT_EQ(close->command, cmClose);
  EXPECT_TRUE(close->skinrectinapicture);
  EXPECT_EQ(data.ObjectRecord<TsfDataSkinCaption>("title")->textrect, TRect(2, 2, 20, 18));
  EXPECT_EQ(data.ObjectRecord<TsfDataSkinStdButton>("title"), nullptr);

  ASSERT_EQ(data.ControlRecords.size(), 4u);
  EXPECT_EQ(data.GetControlIndex("panel"), 0);
  EXPECT_EQ(data.GetControlIndex("Panel"), -1);
  EXPECT_EQ(data.GetControlIndex("groupbox"), 1);
  EXPECT_NE(data.ControlRecord<TsfDataSkinPanelControl>("panel"), nullptr);
  EXPECT_EQ(data.ControlRecord<TsfDataSkinPanelControl>("groupbox")->captionrect, TRect(1, 1, 5, 5));
  EXPECT_NE(data.ControlRecord<TsfDataSkinEditControl>("memo"), nullptr);
  EXPECT_EQ(data.ControlRecord<TsfDataSkinMemoControl>("memo")->bgcolor, 255);
}

TEST_F(SkinDataTest, ALoadTellsEveryFormThreeTimesInOrder) {
  TRecordingForm a(&log), b(&log);
  TsfSkinData data;
  data.LoadSkinFile(WriteFixtureSkin(dir));
  EXPECT_EQ(log.MessagesOf(&a), kChangeMessages);
  EXPECT_EQ(log.MessagesOf(&b), kChangeMessages);
  for (const auto& e : log.entries) {
    EXPECT_EQ(e.wparam, reinterpret_cast<intptr_t>(&data));
    EXPECT_EQ(e.lparam, kSkinMessageTag);
  }
}

TEST_F(SkinDataTest, FormsSeeTheSkinStateOfEachMessage) {
  struct Seen {
    unsigned msg;
    bool empty, changing;
  };
  std::vector<Seen> seen;
  TsfSkinData data;
  struct Probe : TForm {
    std::vector<Seen>* out;
    TsfSkinData* data;
    void WndProc(TMessage& m) override {
      if (m.Msg > WM_USER) out->push_back({m.Msg, data->IsEmpty, data->IsChanging});
      TForm::WndProc(m);
    }
  } probe;
  probe.out = &seen;
  probe.data = &data;
  data.LoadSkinFile(WriteFixtureSkin(dir));
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_TRUE(seen[0].empty && seen[0].changing);
  EXPECT_TRUE(!seen[1].empty && seen[1].changing);
  EXPECT_TRUE(!seen[2].empty && !seen[2].changing);
}

TEST_F(SkinDataTest, AFileThatIsNotASkinChangesNothing) {
  TsfSkinData data;
  data.LoadSkinFile(WriteFixtureSkin(dir));
  TRecordingForm form(&log);
  QByteArray text = kFixtureSkinText;
  text.replace("[SKINCONTROLS]", "[OTHER]");
  QTemporaryDir other;
  data.LoadSkinFile(WriteFixtureSkin(other, text));
  data.LoadSkinFile(dir.filePath("missing.ini"));
  data.LoadSkinFile(dir.path());
  EXPECT_TRUE(log.entries.empty());
  EXPECT_FALSE(data.IsEmpty);
  EXPECT_EQ(data.ControlRecords.size(), 4u);
}

TEST_F(SkinDataTest, AFailedLoadLeavesTheSkinEmptyAndTheFormsTold) {
  struct Case {
    const char* what;
    QByteArray from, to;
  } cases[] = {
      {"missing picture", "1=sub\\p1.bmp", "1=nothere.bmp"},
      {"missing form picture", "picture=form.bmp", "picture=gone.bmp"},
      {"malformed rect", "textrect=2,2,20,18", "textrect=2,2,20"},
      {"malformed point", "lefttoppoint=8,20", "lefttoppoint=eight"},
  };
  for (const Case& c : cases) {
    QTemporaryDir bad;
    QByteArray text = kFixtureSkinText;
    text.replace(c.from, c.to);
    const QString path = WriteFixtureSkin(bad, text);
    WriteFileBytes(bad.filePath("nothere.bmp"), "not a bitmap");
    if (c.to.contains("nothere")) text.replace("nothere.bmp", "nothere.bmp");
    TsfSkinData data;
    data.LoadSkinFile(WriteFixtureSkin(dir));
    log.entries.clear();
    TRecordingForm form(&log);
    EXPECT_THROW(data.LoadSkinFile(path), Exception) << c.what;
    EXPECT_TRUE(data.IsEmpty) << c.what;
    EXPECT_FALSE(data.IsChanging) << c.what;
    EXPECT_TRUE(data.ObjectRecords.empty() && data.ControlRecords.empty() && data.PictureList.empty())
        << c.what;
    EXPECT_TRUE(data.MainPicture.Empty()) << c.what;
    EXPECT_EQ(log.MessagesOf(&form), kChangeMessages) << c.what;
  }
}

TEST_F(SkinDataTest, AnUnreadablePictureThrowsThePictureError) {
  QByteArray text = kFixtureSkinText;
  text.replace("0=p0.bmp", "0=junk.bmp");
  const QString path = WriteFixtureSkin(dir, text);
  WriteFileBytes(dir.filePath("junk.bmp"), "BM not really");
  TsfSkinData data;
  EXPECT_THROW(data.LoadSkinFile(path), EInvalidGraphic);
}

TEST_F(SkinDataTest, AnEmptyPictureEntryIsAnEmptyPicture) {
  QByteArray text = kFixtureSkinText;
  text.replace("activepicturescount=2", "activepicturescount=4");
  text.replace("1=sub\\p1.bmp", "1=sub\\p1.bmp\r\n2=");
  TsfSkinData data;
  data.LoadSkinFile(WriteFixtureSkin(dir, text));
  // The empty entry and the missing one up to the count are empty pictures.
  ASSERT_EQ(data.PictureList.size(), 4u);
  EXPECT_TRUE(data.Picture(2)->Empty());
  EXPECT_TRUE(data.Picture(3)->Empty());
  EXPECT_EQ(data.ControlRecords.size(), 4u);
}

TEST_F(SkinDataTest, FormInfoIsNormalisedAfterReading) {
  QByteArray text = kFixtureSkinText;
  text.replace("[FORMINFO]\r\n",
               "[FORMINFO]\r\nmaskrectarea=0,0,10,10\r\nhittestlefttoppoint=3,3\r\n");
  text.replace("clientrect=4,20,36,26", "clientrect=5,5,50,40");
  text.replace("picture=form.bmp", "picture=form.bmp\r\nmask=form.bmp");
  TsfSkinData data;
  data.LoadSkinFile(WriteFixtureSkin(dir, text));
  const TsfFormInfo& f = data.FormInfo;
  EXPECT_EQ(f.maskrectarea, TRect(0, 0, 50, 40));
  EXPECT_EQ(f.hittestlefttoppoint, TPoint(3, 3));
  EXPECT_EQ(f.hittestrighttoppoint, TPoint(32, 20));  // taken before the corners move
  // Corner points are moved out of the client area.
  EXPECT_EQ(f.lefttoppoint, TPoint(8, 20));
  EXPECT_EQ(f.rightbottompoint, TPoint(32, 26));

  TsfFormInfo moved;
  moved.clientrect = TRect(10, 10, 30, 30);
  moved.lefttoppoint = TPoint(5, 5);
  moved.righttoppoint = TPoint(40, 5);
  moved.leftbottompoint = TPoint(5, 40);
  moved.rightbottompoint = TPoint(40, 40);
  moved.Normalize(false);
  EXPECT_EQ(moved.lefttoppoint, TPoint(10, 10));
  EXPECT_EQ(moved.righttoppoint, TPoint(30, 10));
  EXPECT_EQ(moved.leftbottompoint, TPoint(10, 30));
  EXPECT_EQ(moved.rightbottompoint, TPoint(30, 30));
  EXPECT_TRUE(moved.maskrectarea.IsEmpty());

  TsfFormInfo flat;
  flat.clientrect = TRect(10, 10, 30, 30);
  flat.lefttoppoint = TPoint(5, 5);
  flat.rightbottompoint = TPoint(5, 40);  // same x: left alone
  flat.Normalize(true);
  EXPECT_EQ(flat.lefttoppoint, TPoint(5, 5));
  EXPECT_EQ(flat.maskrectarea, TRect(10, 10, 30, 30));
}

TEST_F(SkinDataTest, PropertySettersSendTheirMessagesOnChangeOnly) {
  TRecordingForm form(&log);
  TsfSkinData data;
  data.SetSkinnableForm(true);
  data.SetShowLayeredBorders(true);
  EXPECT_TRUE(log.entries.empty());
  data.SetSkinnableForm(false);
  data.SetShowLayeredBorders(false);
  TsfResourceStrData strings;
  data.SetResourceStrData(&strings);
  EXPECT_EQ(log.MessagesOf(&form), std::vector<unsigned>({WM_SKINDATA_SKINNABLEFORM,
                                                          WM_SKINDATA_LAYEREDBORDERS,
                                                          WM_SKINDATA_RESSTRINGS}));
  log.entries.clear();
  data.BeginLoading();
  data.SetSkinnableForm(true);
  data.EndLoading();
  EXPECT_TRUE(log.entries.empty());
  EXPECT_TRUE(data.SkinnableForm());
}

TEST_F(SkinDataTest, MessageOrderFollowsLayeredBorders) {
  TRecordingForm owner(&log);
  TRecordingForm a(&log), b(&log);
  const QList<TForm*> screen = TForm::Forms();
  auto order = [&] {
    std::vector<QObject*> out;
    for (const auto& e : log.entries)
      if (e.msg == WM_SKINDATA_BEFORECHANGE) out.push_back(e.form);
    log.entries.clear();
    return out;
  };
  std::vector<QObject*> forward(screen.begin(), screen.end());
  std::vector<QObject*> backward(screen.rbegin(), screen.rend());

  auto* data = new TsfSkinData(&owner);
  const QString path = WriteFixtureSkin(dir);
  data->LoadSkinFile(path);
  EXPECT_EQ(order(), forward);

  QTemporaryDir layered;
  QByteArray text = kFixtureSkinText;
  text += "[LAYERFRAME]\r\npictureindex=0\r\n";
  const QString layeredPath = WriteFixtureSkin(layered, text);
  data->LoadSkinFile(layeredPath);
  // BEFORECHANGE goes out while the old skin (no layer frame) is still in place.
  EXPECT_EQ(order(), forward);
  data->LoadSkinFile(layeredPath);
  EXPECT_EQ(order(), backward);

  data->SetShowLayeredBorders(false);
  log.entries.clear();
  data->LoadSkinFile(path);
  std::vector<QObject*> ownerFirst{&owner};
  for (QObject* f : forward)
    if (f != &owner) ownerFirst.push_back(f);
  EXPECT_EQ(order(), ownerFirst);
}

// Windows that only draw layered borders are named like this and hear nothing.
class TsfFormLayerWindow : public TRecordingForm {
  Q_OBJECT
 public:
  using TRecordingForm::TRecordingForm;
};

TEST_F(SkinDataTest, LayerWindowsAreNotTold) {
  TRecordingForm form(&log);
  TsfFormLayerWindow layer(&log);
  TsfSkinData data;
  data.LoadSkinFile(WriteFixtureSkin(dir));
  EXPECT_EQ(log.MessagesOf(&form), kChangeMessages);
  EXPECT_TRUE(log.MessagesOf(&layer).empty());
}

TEST_F(SkinDataTest, ALoadWithoutFormsSendsNothingAndLaterFormsSeeTheSkin) {
  TsfSkinData data;
  data.LoadSkinFile(WriteFixtureSkin(dir));
  TRecordingForm late(&log);
  EXPECT_TRUE(log.entries.empty());
  EXPECT_FALSE(data.IsEmpty);
}

TEST(ResourceStrings, DefaultsAndLookup) {
  TsfResourceStrData strings;
  EXPECT_EQ(strings.ResStrings.size(), 131);
  EXPECT_EQ(strings.CharSet, 1);
  EXPECT_EQ(strings.GetResString("MI_MINCAPTION"), "Mi&nimize");
  EXPECT_EQ(strings.GetResString("flv_lookin"), "Look in: ");
  EXPECT_EQ(strings.GetResString("DBNAV_REFRESH").isEmpty(), false);
  EXPECT_EQ(strings.GetResString("NOSUCH"), "");
  strings.ResStrings = QStringList({"no equals sign", "A=first=x", "a=second"});
  EXPECT_EQ(strings.GetResString("a"), "first=x");
  EXPECT_EQ(strings.GetResString("no equals sign"), "");
}

#include "skin_data_test.moc"
