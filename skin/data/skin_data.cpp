#include "skin/data/skin_data.h"

#include <QFileInfo>
#include <algorithm>

#include "platform/form.h"
#include "platform/ini_file.h"

TsfSkinData::TsfSkinData(QObject* owner) : TComponent(owner) {}

TsfSkinData::~TsfSkinData() {
  IsEmpty = true;
  Unload();
}

bool TsfSkinData::Quiet() const {
  if (Loading()) return true;
  const auto* owner = dynamic_cast<const TLoadingState*>(Owner());
  return owner && owner->Loading();
}

void TsfSkinData::SetSkinnableForm(bool v) {
  if (v == m_skinnableForm) return;
  m_skinnableForm = v;
  if (!Quiet()) NotifyForms(WM_SKINDATA_SKINNABLEFORM);
}

void TsfSkinData::SetShowLayeredBorders(bool v) {
  if (v == m_showLayeredBorders) return;
  m_showLayeredBorders = v;
  if (!Quiet()) NotifyForms(WM_SKINDATA_LAYEREDBORDERS);
}

void TsfSkinData::SetCompressedStoredSkin(TsfCompressedStoredSkin* v) {
  m_storedSkin = v;
  if (v) LoadStoredSkin(v);
}

void TsfSkinData::SetResourceStrData(TsfResourceStrData* v) {
  m_resStrData = v;
  NotifyForms(WM_SKINDATA_RESSTRINGS);
}

void TsfSkinData::SetSkinList(TsfCompressedSkinList* v) {
  m_skinList = v;
  if (v && m_skinIndex >= 0 && m_skinIndex < v->Skins().Count())
    LoadStoredSkin(v->Skins().Item(m_skinIndex)->Skin());
}

void TsfSkinData::SetSkinIndex(int v) {
  if (v == m_skinIndex) return;
  if (!m_skinList) {
    m_skinIndex = v;
    return;
  }
  if (v < 0 || v >= m_skinList->Skins().Count()) return;
  m_skinIndex = v;
  LoadStoredSkin(m_skinList->Skins().Item(v)->Skin());
}

void TsfSkinData::Unload() {
  ObjectRecords.clear();
  ControlRecords.clear();
  PictureList.clear();
  PictureFileNames.clear();
  LayerFrameData.pictureindex = -1;
  PopupWindowData.windowpictureindex = -1;
  HintWindowData.windowpictureindex = -1;
  Colors.Reset();
  MainPicture = TBitmap();
  MainInactivePicture = TBitmap();
  MainMask = TBitmap();
  MainPictureFileName.clear();
  MainInactivePictureFileName.clear();
  MainMaskFileName.clear();
  IsEmpty = true;
}

void TsfSkinData::BeginChange() {
  IsEmpty = true;
  IsChanging = true;
  NotifyForms(WM_SKINDATA_BEFORECHANGE);
  Unload();
}

void TsfSkinData::EndChange() {
  IsEmpty = false;
  NotifyForms(WM_SKINDATA_CHANGED);
  IsChanging = false;
  NotifyForms(WM_SKINDATA_AFTERCHANGE);
}

// A load that failed half-way: nothing of it is kept, and the forms are told
// so they stop waiting for the skin and draw their plain look.
void TsfSkinData::FailChange() {
  Unload();
  NotifyForms(WM_SKINDATA_CHANGED);
  IsChanging = false;
  NotifyForms(WM_SKINDATA_AFTERCHANGE);
}

TsfPictureNames TsfSkinData::ReadVersionAndPictureNames(const TCustomIniFile& ini) {
  Version.LoadFromIni(ini);
  TsfPictureNames names;
  names.LoadFromIni(ini);
  MainPictureFileName = names.picture;
  MainInactivePictureFileName = names.inactivepicture;
  MainMaskFileName = names.mask;
  PictureFileNames = names.activepictures;
  return names;
}

void TsfSkinData::LoadSkinFile(const QString& path) {
  if (!QFileInfo(path).isFile()) return;
  TMemIniFile ini(path);
  if (!IsSkinFile(ini)) return;
  BeginChange();
  try {
    const QString folder = SkinFolderOf(path);
    const TsfPictureNames names = ReadVersionAndPictureNames(ini);
    if (!names.picture.isEmpty()) MainPicture.LoadFromFile(SkinPicturePath(folder, names.picture));
    if (!names.inactivepicture.isEmpty())
      MainInactivePicture.LoadFromFile(SkinPicturePath(folder, names.inactivepicture));
    if (!names.mask.isEmpty()) MainMask.LoadFromFile(SkinPicturePath(folder, names.mask));
    for (const QString& name : names.activepictures) {
      PictureList.push_back(std::make_unique<TBitmap>());
      // An entry without a name is an empty picture.
      if (!name.isEmpty()) PictureList.back()->LoadFromFile(SkinPicturePath(folder, name));
    }
    ReadSections(ini);
  } catch (...) {
    FailChange();
    throw;
  }
  EndChange();
}

void TsfSkinData::LoadStoredSkin(TsfCompressedStoredSkin* stored) {
  if (!stored || stored->IsBlockEmpty()) return;
  LoadSkinStream(UnpackSkinStream(stored->Block()));
}

void TsfSkinData::LoadSkinStream(const QByteArray& stream) {
  // Everything that can be checked is checked before the current skin goes.
  TsfUnpackedSkin unpacked;
  if (!ParseSkinStream(stream, unpacked)) return;
  BeginChange();
  try {
    TMemIniFile ini(QString{});
    ini.SetBytes(unpacked.Text);
    MainPicture = unpacked.MainPicture;
    MainInactivePicture = unpacked.MainInactivePicture;
    MainMask = unpacked.MainMask;
    PictureList = std::move(unpacked.Pictures);
    ReadVersionAndPictureNames(ini);
    ReadSections(ini);
  } catch (...) {
    FailChange();
    throw;
  }
  EndChange();
}

void TsfSkinData::ReadSections(const TCustomIniFile& ini) {
  FormInfo.LoadFromIni(ini);
  FormInfo.Normalize(!MainMaskFileName.isEmpty());
  PopupWindowData.LoadFromIni(ini);
  LayerFrameData.LoadFromIni(ini);
  HintWindowData.LoadFromIni(ini);
  Colors.LoadFromIni(ini);
  ReadRecordLists(ini);
}

void TsfSkinData::ReadRecordLists(const TCustomIniFile& ini) {
  QStringList entries;
  QString name, kind;
  ReadNameList(ini, QStringLiteral("SKINOBJECTS"), QString(), entries);
  for (const QString& entry : entries) {
    SplitListEntry(entry, name, kind);
    if (auto rec = CreateObjectRecord(kind, name)) {
      ObjectRecords.push_back(std::move(rec));
      ObjectRecords.back()->LoadFromIni(ini);
    }
  }
  entries.clear();
  ReadNameList(ini, QStringLiteral("SKINCONTROLS"), QString(), entries);
  for (const QString& entry : entries) {
    SplitListEntry(entry, name, kind);
    if (auto rec = CreateControlRecord(kind, name)) {
      ControlRecords.push_back(std::move(rec));
      ControlRecords.back()->LoadFromIni(ini);
    }
  }
}

int TsfSkinData::GetObjectIndex(const QString& name) const {
  for (size_t i = 0; i < ObjectRecords.size(); ++i)
    if (ObjectRecords[i]->SectionName == name) return int(i);
  return -1;
}

int TsfSkinData::GetControlIndex(const QString& name) const {
  for (size_t i = 0; i < ControlRecords.size(); ++i)
    if (ControlRecords[i]->SectionName == name) return int(i);
  return -1;
}

// Order: with layered borders off, an owning form hears first. The other forms
// follow in the screen's order, or in its reverse when layered borders are on
// and the skin has a layer frame, so the layer windows' owners settle last.
// Layer windows themselves are never told.
void TsfSkinData::NotifyForms(unsigned msg) {
  QPointer<TsfSkinData> self(this);
  const auto wparam = reinterpret_cast<intptr_t>(this);
  QPointer<TForm> first;
  if (!m_showLayeredBorders) first = qobject_cast<TForm*>(Owner());
  QList<QPointer<TForm>> targets;
  for (TForm* f : TForm::Forms()) {
    if (f == first.data()) continue;
    if (qstrcmp(f->metaObject()->className(), "TsfFormLayerWindow") == 0) continue;
    targets << QPointer<TForm>(f);
  }
  if (m_showLayeredBorders && LayerFrameData.pictureindex != -1)
    std::reverse(targets.begin(), targets.end());
  if (first) first->Perform(msg, wparam, kSkinMessageTag);
  for (const QPointer<TForm>& f : targets) {
    if (!self) return;  // a form freed the skin data while handling the message
    if (f) f->Perform(msg, wparam, kSkinMessageTag);
  }
}
