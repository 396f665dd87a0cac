#pragma once
// The skin control base. A skinned control knows its skin data object and the
// name of its record; at every paint it looks the record up again and draws
// either its default look (no record) or the record's pictures, into one
// off-screen picture copied to the screen in one step.
//
//   TsfSkinControl / TsfSkinCustomControl            windowed controls
//   TsfGraphicSkinControl / TsfGraphicSkinCustomControl  windowless twins
//
// The "custom" pair adds the default font and size and the geometry that
// draws one skin picture at any control size (skin_geometry.h). The windowed
// custom control also cuts its window region from the record's mask picture.
// Both window and windowless classes are built from the same templates; the
// four names above are the classes to derive from.

#include <QPointer>
#include <QString>

#include "platform/bitmap.h"
#include "platform/control.h"
#include "platform/font.h"
#include "platform/image_list.h"
#include "skin/controls/skin_changeable.h"
#include "skin/controls/skin_geometry.h"
#include "skin/data/skin_data.h"

// Sent (without parameters) by a skinned container to each child whose look
// may depend on the container's picture.
constexpr unsigned WM_SKINCTRL_PARENTBGCHANGED = WM_USER + 260;

// Tells every child of `control` that its background changed: windowed
// children by message, windowless ones the same way (they have no window of
// their own, so the message is a direct call).
void NotifyChildrenParentBackground(QWidget* control);

template <class Base>
class TsfSkinControlT : public Base, public ISkinChangeable {
 public:
  explicit TsfSkinControlT(QWidget* parent = nullptr);

  TsfSkinData* SkinData() const { return m_skinData.data(); }
  // Applies the skin at once when a loaded skin is set: controls take their
  // skin size and region this way when they are created.
  virtual void SetSkinData(TsfSkinData* data);
  QString SkinDataName() const { return m_skinDataName; }
  // The record is found again at the next paint.
  virtual void SetSkinDataName(const QString& name) { m_skinDataName = name; }

  // Position of the record in the skin data object's control records, or -1
  // for the default look.
  int RecordIndex() const { return m_index; }
  // The record at RecordIndex, or null.
  TsfDataSkinControl* SkinRecord() const;

  // Hint content carried for the skinned hint window.
  QString HintTitle;
  int HintImageIndex = 0;
  TCustomImageList* HintImageList = nullptr;

  // ISkinChangeable.
  void ForgetSkinRecord() override { m_index = -1; }
  void ApplySkinChange() override;
  TsfSkinData* SkinDataObject() const override { return SkinData(); }

  void WndProc(TMessage& message) override;

 protected:
  // Finds the record by name; -1 without a (loaded) skin data object.
  virtual void ReadSkinRecord();
  virtual void PaintDefaultImage(TBitmap& picture) { Q_UNUSED(picture); }
  virtual void PaintSkinImage(TBitmap& picture) { Q_UNUSED(picture); }
  virtual void ParentBackgroundChanged() {}
  void Paint() override;
  // Draws the default or the skinned image into `picture` at the control's
  // size and copies it onto the canvas in one step.
  void PaintBuffered();

  int m_index = -1;

 private:
  QPointer<TsfSkinData> m_skinData;
  QString m_skinDataName;
};

class TsfSkinControl : public TsfSkinControlT<TCustomControl> {
  Q_OBJECT

 public:
  using TsfSkinControlT::TsfSkinControlT;
};

class TsfGraphicSkinControl : public TsfSkinControlT<TGraphicControl> {
  Q_OBJECT

 public:
  using TsfSkinControlT::TsfSkinControlT;
};

template <class SkinBase>
class TsfSkinCustomControlT : public SkinBase {
 public:
  explicit TsfSkinCustomControlT(QWidget* parent = nullptr);
  ~TsfSkinCustomControlT() override;

  // The font used without a record ("Arial", height 14); any change repaints
  // the default look.
  TFont* DefaultFont() { return &m_defaultFont; }
  const TFont* DefaultFont() const { return &m_defaultFont; }
  void SetDefaultFont(const TFont& font) { m_defaultFont.Assign(font); }
  // The size forced on the control while it has no record; 0 = not forced.
  int DefaultWidth() const { return m_defaultWidth; }
  void SetDefaultWidth(int v);
  int DefaultHeight() const { return m_defaultHeight; }
  void SetDefaultHeight(int v);
  bool UseSkinFont() const { return m_useSkinFont; }
  virtual void SetUseSkinFont(bool v);

  // The record's geometry, laid out for the current size.
  const TsfSkinGeometry& Geometry() const { return m_geometry; }
  int ResizeMode() const { return m_geometry.ResizeMode; }
  // A rect relative to the skin rect, in control coordinates for the current size.
  TRect MapSkinRect(const TRect& r) const {
    return m_geometry.MapSkinRect(r, this->Width(), this->Height());
  }

  // Enforces the size the record dictates.
  void SetBounds(int left, int top, int width, int height) override;
  void ApplySkinChange() override;

  // The record font (with UseSkinFont) or the default font, with the charset
  // of the skin's replacement texts when the skin data object has them.
  TFont ControlFont(const QString& name, int height, TFontStyles style) const;

 protected:
  void ReadSkinRecord() override;
  void PaintDefaultImage(TBitmap& picture) override;
  void PaintSkinImage(TBitmap& picture) override;
  virtual void DefaultFontChanged() {}
  // The size the record dictates for a width and height (in and out); also
  // lays the record's points out for that size.
  virtual void AdjustSizeToSkin(int& width, int& height);
  virtual void UpdateWindowRegion();
  void Paint() override;
  // Nine-part skin of a container: the frame strips and the tiled client
  // piece drawn straight onto the canvas.
  void PaintFramedBackground();
  // Fills `area` of `canvas` with the record's client piece, repeated from
  // the area's top-left or stretched as the record says.
  void FillClientPiece(TCanvas* canvas, const TRect& area);

  TsfSkinGeometry m_geometry;
  // The frame strips of the last framed paint, kept while the picture, the
  // size and the laid-out points stay the same.
  struct FrameKey {
    qint64 picture = 0;
    int width = 0, height = 0;
    TRect skinRect;
    TsfFramePoints skin, laid;
    unsigned flags = 0;
    bool fill = false;
    bool operator==(const FrameKey&) const = default;
  };
  FrameKey m_frameKey;
  TsfFrameBorders m_frameParts;
  // Panels and list boxes take the framed-background path; list boxes leave
  // the client part to their items.
  bool ForceBackground = false;
  bool DrawBackground = true;

 private:
  TFont m_defaultFont;
  int m_defaultWidth = 0;
  int m_defaultHeight = 0;
  bool m_useSkinFont = true;
};

class TsfSkinCustomControl : public TsfSkinCustomControlT<TsfSkinControl> {
  Q_OBJECT

 public:
  using TsfSkinCustomControlT::TsfSkinCustomControlT;
};

class TsfGraphicSkinCustomControl : public TsfSkinCustomControlT<TsfGraphicSkinControl> {
  Q_OBJECT

 public:
  using TsfSkinCustomControlT::TsfSkinCustomControlT;
};

extern template class TsfSkinControlT<TCustomControl>;
extern template class TsfSkinControlT<TGraphicControl>;
extern template class TsfSkinCustomControlT<TsfSkinControl>;
extern template class TsfSkinCustomControlT<TsfGraphicSkinControl>;
