// Packed skins: a packed folder loads like the folder, and hostile packed data
// is refused without touching the current skin.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>

#include "tests/skin/data/skin_fixture.h"

namespace {
QByteArray Int32(qint32 v) {
  QByteArray b(4, '\0');
  qToLittleEndian(v, b.data());
  return b;
}

// Every record and form-level section as written back by the records.
QByteArray SavedSkin(TsfSkinData& d) {
  TMemIniFile ini(QString{});
  d.Version.SaveToIni(ini);
  d.FormInfo.SaveToIni(ini);
  d.PopupWindowData.SaveToIni(ini);
  d.LayerFrameData.SaveToIni(ini);
  d.HintWindowData.SaveToIni(ini);
  d.Colors.SaveToIni(ini);
  QByteArray out = ini.ToBytes();
  for (auto& r : d.ObjectRecords) {
    TMemIniFile one(QString{});
    r->SaveToIni(one);
    const auto& rec = *r;
    out += typeid(rec).name() + one.ToBytes();
  }
  for (auto& r : d.ControlRecords) {
    TMemIniFile one(QString{});
    r->SaveToIni(one);
    const auto& rec = *r;
    out += typeid(rec).name() + one.ToBytes();
  }
  return out;
}

bool SameImage(const TBitmap& a, const TBitmap& b) {
  return a.Image().convertToFormat(QImage::Format_RGB32) == b.Image().convertToFormat(QImage::Format_RGB32);
}

QByteArray Picture(int w, int h) { return BitmapFileImage(TBitmap(SolidImage(w, h, qRgb(5, 6, 7)))); }

// A skin stream of the given version, with `pictures` as the picture list.
QByteArray Stream(qint32 version, const QList<QByteArray>& pictures, bool extras = false) {
  QByteArray s = Int32(version);
  s += '\0' + Picture(4, 4);  // form picture
  s += '\1';                  // no inactive picture
  s += '\1';                  // no mask
  if (extras) s += '\0' + Picture(2, 2) + '\0' + Picture(3, 3);
  s += Int32(qint32(pictures.size()));
  for (const QByteArray& p : pictures) s += p;
  s += "[VERSION]\r\nskinname=Streamed\r\n[SKINCONTROLS]\r\ncount=1\r\n0=panel:panel\r\n"
       "[panel]\r\npictureindex=0\r\nskinrect=0,0,2,2\r\n";
  return s;
}

struct PackedSkinTest : ::testing::Test {
  QTemporaryDir dir;
  TSkinMessageLog log;
  TsfSkinData data;
  TsfCompressedStoredSkin stored;
  void SetUp() override { data.LoadSkinFile(WriteFixtureSkin(dir)); }
  // The fixture skin stays in place and nobody hears about anything.
  void ExpectUntouched(const char* what) {
    EXPECT_FALSE(data.IsEmpty) << what;
    EXPECT_FALSE(data.IsChanging) << what;
    EXPECT_EQ(data.Version.skinname, "Fixture") << what;
    EXPECT_EQ(data.ControlRecords.size(), 4u) << what;
    EXPECT_TRUE(log.entries.empty()) << what;
  }
};
}  // namespace

TEST_F(PackedSkinTest, APackedFolderLoadsLikeTheFolder) {
  stored.BuildFromSkinFile(dir.filePath("skin.ini"));
  ASSERT_FALSE(stored.IsBlockEmpty());
  TsfSkinData packed;
  TRecordingForm form(&log);
  packed.LoadStoredSkin(&stored);
  EXPECT_EQ(log.MessagesOf(&form), std::vector<unsigned>({WM_SKINDATA_BEFORECHANGE,
                                                          WM_SKINDATA_CHANGED,
                                                          WM_SKINDATA_AFTERCHANGE}));
  EXPECT_FALSE(packed.IsEmpty);
  EXPECT_EQ(SavedSkin(packed), SavedSkin(data));
  EXPECT_EQ(packed.Colors.cbtnface, 0x00112233);
  EXPECT_EQ(packed.PictureFileNames, data.PictureFileNames);
  EXPECT_EQ(packed.MainPictureFileName, "form.bmp");
  ASSERT_EQ(packed.PictureList.size(), data.PictureList.size());
  for (size_t i = 0; i < packed.PictureList.size(); ++i)
    EXPECT_TRUE(SameImage(*packed.PictureList[i], *data.PictureList[i])) << i;
  EXPECT_TRUE(SameImage(packed.MainPicture, data.MainPicture));
  EXPECT_TRUE(packed.MainMask.Empty());
}

TEST_F(PackedSkinTest, PackedFilesCarryTheBlock) {
  stored.BuildFromSkinFile(dir.filePath("skin.ini"));
  QByteArray file;
  QBuffer out(&file);
  out.open(QIODevice::WriteOnly);
  stored.SavePackedStream(out);
  EXPECT_EQ(qFromLittleEndian<qint32>(file.constData()), 3);
  EXPECT_EQ(qFromLittleEndian<qint32>(file.constData() + 4), stored.Block().size());
  WriteFileBytes(dir.filePath("skin.pack"), file);
  TsfCompressedStoredSkin copy;
  EXPECT_TRUE(copy.LoadPackedFile(dir.filePath("skin.pack")));
  EXPECT_EQ(copy.Block(), stored.Block());
  QByteArray unpacked;
  QBuffer un(&unpacked);
  un.open(QIODevice::WriteOnly);
  copy.UnpackTo(un);
  EXPECT_EQ(qFromLittleEndian<qint32>(unpacked.constData()), 3);
  EXPECT_TRUE(unpacked.endsWith("[memo]\r\nbgcolor=255\r\n\r\n"));
}

TEST_F(PackedSkinTest, HostilePackedHeadersLeaveTheBlockEmpty) {
  const QByteArray block = PackSkinStream(Stream(3, {}));
  struct Case {
    const char* what;
    QByteArray bytes;
  } cases[] = {
      {"short header", QByteArray("\3\0\0\0\5", 5)},
      {"later version", Int32(4) + Int32(qint32(block.size())) + block},
      {"negative size", Int32(3) + Int32(-1) + block},
      {"huge size", Int32(3) + Int32(0x7FFFFFFF) + block},
      {"size beyond the end", Int32(3) + Int32(qint32(block.size()) + 1) + block},
  };
  for (const Case& c : cases) {
    TsfCompressedStoredSkin s;
    s.SetBlock("old");
    QBuffer in;
    in.setData(c.bytes);
    in.open(QIODevice::ReadOnly);
    EXPECT_FALSE(s.LoadPackedStream(in)) << c.what;
    EXPECT_TRUE(s.IsBlockEmpty()) << c.what;
  }
  TsfCompressedStoredSkin ok;
  QBuffer in;
  in.setData(Int32(2) + Int32(qint32(block.size())) + block + "trailing");
  in.open(QIODevice::ReadOnly);
  EXPECT_TRUE(ok.LoadPackedStream(in));
  EXPECT_EQ(ok.Block(), block);
}

TEST_F(PackedSkinTest, HostileStreamsAreRefusedBeforeTheSkinIsDropped) {
  QByteArray truncatedPicture = Picture(4, 4);
  truncatedPicture.chop(10);
  QByteArray longPicture = Picture(4, 4);
  qToLittleEndian<quint32>(1u << 30, longPicture.data() + 2);
  QByteArray hugePicture = Picture(4, 4);
  qToLittleEndian<qint32>(100000, hugePicture.data() + 18);
  QByteArray widePicture = Picture(4, 4);
  qToLittleEndian<qint32>(4000, widePicture.data() + 18);  // pixels would run past the image
  QByteArray badCount = Stream(3, {});
  badCount.replace(badCount.indexOf("[VERSION]") - 4, 4, Int32(1000000));
  QByteArray negativeCount = Stream(3, {});
  negativeCount.replace(negativeCount.indexOf("[VERSION]") - 4, 4, Int32(-1));
  struct Case {
    const char* what;
    QByteArray block;
  } cases[] = {
      {"not zlib", QByteArray("definitely not a zlib stream")},
      {"cut zlib", PackSkinStream(Stream(3, {Picture(4, 4)})).left(20)},
      {"truncated picture", PackSkinStream(Int32(3) + "\1\1\1" + Int32(1) + truncatedPicture)},
      {"picture length beyond the end", PackSkinStream(Stream(3, {longPicture}))},
      {"huge picture", PackSkinStream(Stream(3, {hugePicture}))},
      {"pixels beyond the image", PackSkinStream(Stream(3, {widePicture}))},
      {"bad picture count", PackSkinStream(badCount)},
      {"negative picture count", PackSkinStream(negativeCount)},
      {"short stream", PackSkinStream(QByteArray("\3\0"))},
      {"over the size cap", PackSkinStream(QByteArray(kMaxUnpackedSkinBytes + 1, '\0'))},
  };
  TRecordingForm form(&log);
  for (const Case& c : cases) {
    stored.SetBlock(c.block);
    EXPECT_ANY_THROW(data.LoadStoredSkin(&stored)) << c.what;
    ExpectUntouched(c.what);
  }
  stored.SetBlock(PackSkinStream(Stream(4, {Picture(4, 4)})));
  data.LoadStoredSkin(&stored);
  ExpectUntouched("later stream version");
  stored.SetBlock(QByteArray());
  data.LoadStoredSkin(&stored);
  ExpectUntouched("empty block");
}

TEST_F(PackedSkinTest, OlderStreamVersionsLoad) {
  for (const bool extras : {false, true}) {
    TsfCompressedStoredSkin s;
    s.SetBlock(PackSkinStream(Stream(extras ? 2 : 1, {Picture(2, 2), BitmapFileImage(TBitmap())}, extras)));
    TsfSkinData d;
    d.LoadStoredSkin(&s);
    EXPECT_FALSE(d.IsEmpty);
    EXPECT_EQ(d.Version.skinname, "Streamed");
    EXPECT_EQ(d.MainPicture.Width(), 4);
    ASSERT_EQ(d.PictureList.size(), 2u);
    EXPECT_EQ(d.Picture(0)->Width(), 2);
    EXPECT_TRUE(d.Picture(1)->Empty());
    EXPECT_NE(d.ControlRecord<TsfDataSkinPanelControl>("panel"), nullptr);
  }
}

TEST_F(PackedSkinTest, BuildingFromAFileThatIsNotASkinKeepsTheBlock) {
  QByteArray text = kFixtureSkinText;
  text.replace("[SKINCONTROLS]", "[NOTCONTROLS]");
  QTemporaryDir other;
  stored.SetBlock("kept");
  stored.BuildFromSkinFile(WriteFixtureSkin(other, text));
  EXPECT_EQ(stored.Block(), "kept");
  text = kFixtureSkinText;
  text.replace("0=p0.bmp", "0=missing.bmp");
  QTemporaryDir broken;
  EXPECT_THROW(stored.BuildFromSkinFile(WriteFixtureSkin(broken, text)), EFOpenError);
}

TEST_F(PackedSkinTest, SkinListsLoadTheItemAtSkinIndex) {
  TsfCompressedSkinList list;
  TsfSkinListItem* first = list.Skins().Add();
  TsfSkinListItem* second = list.Skins().Add();
  EXPECT_EQ(first->Name, "sfSkin0");
  EXPECT_EQ(second->DisplayName(), "sfSkin1");
  first->Skin()->SetBlock(PackSkinStream(Stream(3, {})));
  second->Skin()->BuildFromSkinFile(dir.filePath("skin.ini"));

  TsfSkinData d;
  d.SetSkinList(&list);  // index 0 loads at once
  EXPECT_EQ(d.Version.skinname, "Streamed");
  d.SetSkinIndex(1);
  EXPECT_EQ(d.SkinIndex(), 1);
  EXPECT_EQ(d.Version.skinname, "Fixture");
  TRecordingForm form(&log);
  d.SetSkinIndex(5);
  d.SetSkinIndex(-1);
  EXPECT_EQ(d.SkinIndex(), 1);
  EXPECT_TRUE(log.entries.empty());

  TsfCompressedSkinList copy;
  copy.SetSkins(list.Skins());
  ASSERT_EQ(copy.Skins().Count(), 2);
  EXPECT_EQ(copy.Skins().Item(1)->Skin()->Block(), second->Skin()->Block());
  EXPECT_EQ(copy.Skins().Item(2), nullptr);

  {
    TsfCompressedSkinList gone;
    gone.Skins().Add();
    d.SetSkinList(&gone);
  }
  EXPECT_EQ(d.SkinList(), nullptr);  // the reference clears when the list goes
  d.SetSkinIndex(7);                 // without a list the index is just stored
  EXPECT_EQ(d.SkinIndex(), 7);
}

TEST_F(PackedSkinTest, SettingAStoredSkinLoadsIt) {
  stored.SetBlock(PackSkinStream(Stream(3, {})));
  data.SetCompressedStoredSkin(&stored);
  EXPECT_EQ(data.Version.skinname, "Streamed");
  EXPECT_EQ(data.CompressedStoredSkin(), &stored);
}
