// The default skin "Modern" written by skingen: it loads, serves every record
// the windows ask for, and the checker reports broken skins by section and key.
#include <gtest/gtest.h>

#include "tests/skin/data/skin_fixture.h"
#include "tools/skingen/default_skin.h"
#include "tools/skingen/skin_check.h"

namespace {
struct DefaultSkinTest : ::testing::Test {
  QTemporaryDir dir;
  QString skin;
  void SetUp() override {
    ASSERT_TRUE(WriteDefaultSkin(dir.path()));
    skin = dir.filePath("skin.ini");
  }
  // Rewrites one key of the generated skin file.
  void Set(const QString& section, const QString& key, const QString& value) {
    TMemIniFile ini(skin);
    ini.WriteString(section, key, value);
    ini.UpdateFile();
  }
  QStringList Problems() { return CheckSkinFolder(dir.path()); }
};

bool Mentions(const QStringList& problems, const QString& what) {
  for (const QString& p : problems)
    if (p.startsWith(what)) return true;
  return false;
}
}  // namespace

TEST_F(DefaultSkinTest, IsSoundAndLoads) {
  EXPECT_EQ(Problems(), QStringList());
  TsfSkinData data;
  data.LoadSkinFile(skin);
  EXPECT_FALSE(data.IsEmpty);
  EXPECT_EQ(data.Version.skinname, "Modern");
  EXPECT_EQ(data.LayerFrameData.pictureindex, -1);
  EXPECT_GE(data.FormInfo.borderwidth, 1);
  EXPECT_GT(data.FormInfo.formminwidth, 0);
  ASSERT_NE(data.ObjectRecord<TsfDataSkinCaption>("caption"), nullptr);
  EXPECT_FALSE(data.ObjectRecord<TsfDataSkinCaption>("caption")->textrect.IsEmpty());
  auto* max = data.ObjectRecord<TsfDataSkinStdButton>("maxbutton");
  ASSERT_NE(max, nullptr);
  EXPECT_EQ(max->command, cmMaximize);
  EXPECT_EQ(max->restorehint, "Restore");
  EXPECT_EQ(data.ControlRecord<TsfDataSkinComboBox>("combobox")->listboxname, "listbox");
  EXPECT_NE(data.ControlRecord<TsfDataSkinMenuButtonControl>("toolmenubutton"), nullptr);
  EXPECT_TRUE(data.ControlRecord<TsfDataSkinPanelControl>("panel")->captionrect.IsEmpty());
}

TEST_F(DefaultSkinTest, TheBuildPlacesItBesideTheProgram) {
  const QString beside = QStringLiteral(TOLMSYS_BIN_DIR) + "/pic/Modern";
  EXPECT_EQ(CheckSkinFolder(beside), QStringList());
  EXPECT_EQ(ReadFileBytes(beside + "/skin.ini"), ReadFileBytes(skin));
}

TEST_F(DefaultSkinTest, TheFileIsWhatTheRecordsWrite) {
  TsfSkinData data;
  data.LoadSkinFile(skin);
  TMemIniFile file(skin);
  auto expectSame = [&](TsfKeyedSection& rec) {
    TMemIniFile again(QString{});
    rec.SaveToIni(again);
    QStringList fromFile, written;
    file.ReadSectionValues(rec.KeySection(), fromFile);
    again.ReadSectionValues(rec.KeySection(), written);
    EXPECT_EQ(fromFile, written) << rec.KeySection().toStdString();
  };
  for (auto& r : data.ObjectRecords) expectSame(*r);
  for (auto& r : data.ControlRecords) expectSame(*r);
  expectSame(data.FormInfo);
  expectSame(data.PopupWindowData);
  expectSame(data.HintWindowData);
  expectSame(data.Colors);
}

TEST_F(DefaultSkinTest, PicturesLookTheWayTheRecordsSay) {
  TsfSkinData data;
  data.LoadSkinFile(skin);
  // The client area of the frame is the skin's button face colour.
  const TRect client = data.FormInfo.clientrect;
  EXPECT_EQ(data.MainPicture.Pixel(client.Left + 10, client.Top + 10), data.Colors.cbtnface);
  EXPECT_EQ(data.MainPicture.Image().format(), QImage::Format_RGB32);  // 24-bit pictures
  // The close button turns red under the mouse.
  auto* close = data.ObjectRecord<TsfDataSkinStdButton>("closebutton");
  const TRect hot = close->activeskinrect;
  const TColor c = data.Picture(close->activepictureindex)->Pixel(hot.Left + 3, hot.Top + hot.Height() / 2);
  EXPECT_GT(GetRValue(c), 150);
  EXPECT_LT(GetGValue(c), 110);
  // Glyphs that are drawn transparently sit on the key colour.
  auto* bar = data.ControlRecord<TsfDataSkinScrollBarControl>("vscrollbar");
  EXPECT_TRUE(bar->glyphtransparent);
  EXPECT_EQ(data.Picture(bar->pictureindex)->Pixel(bar->glyphrect.Left, bar->glyphrect.Top),
            bar->glyphtransparentcolor);
}

TEST_F(DefaultSkinTest, PackedItLoadsTheSame) {
  TsfCompressedStoredSkin stored;
  stored.BuildFromSkinFile(skin);
  TsfSkinData folder, packed;
  folder.LoadSkinFile(skin);
  packed.LoadStoredSkin(&stored);
  ASSERT_EQ(packed.PictureList.size(), folder.PictureList.size());
  for (size_t i = 0; i < folder.PictureList.size(); ++i)
    EXPECT_EQ(packed.PictureList[i]->Image(), folder.PictureList[i]->Image()) << i;
  EXPECT_EQ(packed.ControlRecords.size(), folder.ControlRecords.size());
  EXPECT_EQ(packed.Colors.chighlight, folder.Colors.chighlight);
}

TEST_F(DefaultSkinTest, TheCheckerNamesEachBrokenRule) {
  struct Case {
    const char* section;
    const char* key;
    const char* value;
    const char* reported;
  } cases[] = {
      {"FORMINFO", "borderwidth", "0", "FORMINFO.borderwidth"},
      {"FORMINFO", "formminwidth", "0", "FORMINFO.formminwidth"},
      {"FORMINFO", "hittestrighttoppoint", "0,0", "FORMINFO.hittestrighttoppoint"},
      {"FORMINFO", "captionrect", "0,0,0,0", "FORMINFO.captionrect"},
      {"FORMINFO", "clientrect", "4,30,170,96", "FORMINFO.clientrect"},
      {"caption", "textrect", "0,0,0,0", "caption.textrect"},
      {"maxbutton", "restorerect", "0,0,0,0", "maxbutton.restorerect"},
      {"closebutton", "skinrectinapicture", "0", "closebutton.skinrectinapicture"},
      {"closebutton", "activeskinrect", "90,0,116,20", "closebutton.activeskinrect"},
      {"menuitem", "dividerrect", "0,0,0,0", "menuitem.dividerrect"},
      {"panel", "captionrect", "1,1,20,10", "panel.captionrect"},
      {"groupbox", "fontname", "Arial", "groupbox.fontname"},
      {"groupbox", "captionrect", "0,0,0,0", "groupbox.captionrect"},
      {"groupbox", "captionrect", "12,0,30,17", "groupbox.captionrect"},  // cannot widen
      {"button", "pictureindex", "12", "button.pictureindex"},
      {"button", "downskinrect", "0,48,64,200", "button.downskinrect"},
      {"combobox", "listboxname", "lists", "combobox.listboxname"},
      {"grid", "focuscellrect", "0,0,0,0", "grid.focuscellrect"},
      {"POPUPWINDOW", "windowpictureindex", "-1", "POPUPWINDOW.windowpictureindex"},
      {"LAYERFRAME", "pictureindex", "0", "LAYERFRAME.pictureindex"},
      {"SKINCONTROLS", "3", "button:panel", "button"},
      {"SKINCONTROLS", "count", "5", "SKINCONTROLS: no record"},
      {"PICTURES", "picture", "", "PICTURES.picture"},
  };
  const QByteArray original = ReadFileBytes(skin);
  for (const Case& c : cases) {
    WriteFileBytes(skin, original);
    Set(c.section, c.key, c.value);
    const QStringList problems = Problems();
    EXPECT_TRUE(Mentions(problems, c.reported))
        << c.section << "." << c.key << "=" << c.value << " gave: " << problems.join(" | ").toStdString();
  }
  WriteFileBytes(skin, original);
  WriteFileBytes(dir.filePath("menu.bmp"), "broken");
  EXPECT_TRUE(Mentions(Problems(), "the skin does not load"));
  QFile::remove(skin);
  EXPECT_FALSE(Problems().isEmpty());
}
