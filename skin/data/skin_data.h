#pragma once
// TsfSkinData: the one object that holds a loaded skin. Skinned windows and
// controls refer to it, ask it for records by name and take pictures from its
// picture list. It tells every form when the skin changes:
//   WM_SKINDATA_BEFORECHANGE: drop every copied picture or record reference;
//   WM_SKINDATA_CHANGED: look the records up again (IsEmpty may be true after
//   a failed load: then draw the plain look);
//   WM_SKINDATA_AFTERCHANGE: the load is over, IsChanging is false.

#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/component.h"
#include "skin/data/compressed_skin.h"
#include "skin/data/control_records.h"
#include "skin/data/form_sections.h"
#include "skin/data/object_records.h"
#include "skin/data/resource_strings.h"
#include "skin/data/skin_messages.h"

class TsfSkinData : public TComponent {
  Q_OBJECT
 public:
  explicit TsfSkinData(QObject* owner = nullptr);
  ~TsfSkinData() override;

  // Stored properties.
  bool SkinnableForm() const { return m_skinnableForm; }
  void SetSkinnableForm(bool v);
  bool AnimationForAllWindows = false;
  bool EnableSkinEffects = true;
  bool ShowButtonGlowFrames = true;
  bool ShowCaptionButtonGlowFrames = true;
  bool ShowLayeredBorders() const { return m_showLayeredBorders; }
  void SetShowLayeredBorders(bool v);
  TsfCompressedStoredSkin* CompressedStoredSkin() const { return m_storedSkin; }
  void SetCompressedStoredSkin(TsfCompressedStoredSkin* v);
  TsfResourceStrData* ResourceStrData() const { return m_resStrData; }
  void SetResourceStrData(TsfResourceStrData* v);
  TsfCompressedSkinList* SkinList() const { return m_skinList; }
  void SetSkinList(TsfCompressedSkinList* v);
  int SkinIndex() const { return m_skinIndex; }
  void SetSkinIndex(int v);

  // Loads a skin folder's skin file and pictures. A file that is not a skin
  // file changes nothing. A picture that cannot be read or a malformed value
  // throws, after the skin was left empty and the forms were told.
  void LoadSkinFile(const QString& path);
  // Loads a packed skin. An empty block changes nothing; a block that cannot be
  // unpacked or a stream of a later version throws or returns before the current
  // skin is touched.
  void LoadStoredSkin(TsfCompressedStoredSkin* stored);
  // The same from an unpacked skin stream.
  void LoadSkinStream(const QByteArray& stream);
  // Drops all records and pictures without telling anybody.
  void Unload();

  // Index of the first record with exactly this name, or -1.
  int GetObjectIndex(const QString& name) const;
  int GetControlIndex(const QString& name) const;
  // The first record of that name when it is of class T (or built on it).
  template <typename T>
  T* ObjectRecord(const QString& name) const {
    const int i = GetObjectIndex(name);
    return i < 0 ? nullptr : dynamic_cast<T*>(ObjectRecords[size_t(i)].get());
  }
  template <typename T>
  T* ControlRecord(const QString& name) const {
    const int i = GetControlIndex(name);
    return i < 0 ? nullptr : dynamic_cast<T*>(ControlRecords[size_t(i)].get());
  }
  // Picture list entry i, or null when i is out of range.
  TBitmap* Picture(int i) const {
    return i >= 0 && i < int(PictureList.size()) ? PictureList[size_t(i)].get() : nullptr;
  }

  // Sends a skin message to the forms (see the order rules in the source).
  void NotifyForms(unsigned msg);

  bool IsEmpty = true;
  bool IsChanging = false;
  std::vector<std::unique_ptr<TsfDataSkinObject>> ObjectRecords;
  std::vector<std::unique_ptr<TsfDataSkinControl>> ControlRecords;
  std::vector<std::unique_ptr<TBitmap>> PictureList;
  QStringList PictureFileNames;
  TBitmap MainPicture, MainInactivePicture, MainMask;
  QString MainPictureFileName, MainInactivePictureFileName, MainMaskFileName;
  TsfVersionInfo Version;
  TsfFormInfo FormInfo;
  TsfDataSkinPopupWindow PopupWindowData;
  TsfDataSkinLayerFrame LayerFrameData;
  TsfDataSkinHintWindow HintWindowData;
  TsfSkinColors Colors;

 private:
  bool Quiet() const;
  void BeginChange();
  void EndChange();
  void FailChange();
  // VERSION and PICTURES (the file names), common to both loads.
  TsfPictureNames ReadVersionAndPictureNames(const TCustomIniFile& ini);
  // FORMINFO to SKINCONTROLS, common to both loads.
  void ReadSections(const TCustomIniFile& ini);
  void ReadRecordLists(const TCustomIniFile& ini);

  bool m_skinnableForm = true;
  bool m_showLayeredBorders = true;
  int m_skinIndex = 0;
  QPointer<TsfCompressedStoredSkin> m_storedSkin;
  QPointer<TsfResourceStrData> m_resStrData;
  QPointer<TsfCompressedSkinList> m_skinList;
};
