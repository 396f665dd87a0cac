#pragma once
// TsfSkinPanel, the skinned container every window is laid out from, and
// TsfSkinGroupBox, a panel that shows its caption band by default. Both draw
// a caption band (text, glyph or image, check mark, roll-up marker), can roll
// up to that band, enable and disable their children from a check mark, and
// can draw the parent's picture behind themselves.

#include <optional>

#include "platform/alignment.h"
#include "platform/image_list.h"
#include "skin/controls/skin_control.h"

enum TsfSkinBorderStyle { bvFrame, bvRaised, bvLowered, bvNone };
enum TsfImagePosition { sfipDefault, sfipLeft };

class TsfSkinPanel : public TsfSkinCustomControl {
  Q_OBJECT
 public:
  explicit TsfSkinPanel(QWidget* parent = nullptr);

  TsfSkinBorderStyle BorderStyle() const { return m_borderStyle; }
  void SetBorderStyle(TsfSkinBorderStyle v);
  bool CaptionMode() const { return m_captionMode; }
  virtual void SetCaptionMode(bool v);
  int DefaultCaptionHeight() const { return m_defaultCaptionHeight; }
  virtual void SetDefaultCaptionHeight(int v);
  TAlignment DefaultAlignment() const { return m_defaultAlignment; }
  void SetDefaultAlignment(TAlignment v);
  bool RibbonStyle() const { return m_ribbonStyle; }
  void SetRibbonStyle(bool v);
  TsfImagePosition ImagePosition() const { return m_imagePosition; }
  void SetImagePosition(TsfImagePosition v);
  bool TransparentMode() const { return m_transparentMode; }
  void SetTransparentMode(bool v);
  const TBitmap& Glyph() const { return m_glyph; }
  void SetGlyph(const TBitmap& v);
  int NumGlyphs() const { return m_numGlyphs; }
  void SetNumGlyphs(int v);
  int Spacing() const { return m_spacing; }
  void SetSpacing(int v);
  TCustomImageList* CaptionImageList() const { return m_captionImageList; }
  void SetCaptionImageList(TCustomImageList* v);
  int CaptionImageIndex() const { return m_captionImageIndex; }
  void SetCaptionImageIndex(int v);
  bool CheckedMode() const { return m_checkedMode; }
  void SetCheckedMode(bool v);
  bool Checked() const { return m_checked; }
  void SetChecked(bool v);
  bool AutoEnabledControls = true;
  bool RollUpMode() const { return m_rollUpMode; }
  void SetRollUpMode(bool v);
  bool RollUpState() const { return m_rollUpState; }
  void SetRollUpState(bool v);
  // The height kept while rolled up; -1 when not rolled up.
  int RealHeight() const { return m_realHeight; }

  TNotifyEvent OnChecked;
  TNotifyEvent OnChangeRollUpState;

  // The record's caption rect for the current size (control coordinates).
  TRect NewCaptionRect() const { return m_newCaptionRect; }

  void SetBounds(int left, int top, int width, int height) override;
  void ApplySkinChange() override;
  void WndProc(TMessage& message) override;

 protected:
  void ReadSkinRecord() override;
  void Paint() override;
  void PaintDefaultImage(TBitmap& picture) override;
  // The look without a skin record, drawn on `c` over a button-face fill.
  void PaintDefaultLook(TCanvas* c);
  void PaintSkinImage(TBitmap& picture) override;
  void ParentBackgroundChanged() override;
  void AdjustClientRect(TRect& rect) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void EnabledChanged() override;
  void TextChanged() override;
  // Content drawn after the frame in the transparent looks.
  virtual void PaintPanelContent(TCanvas* canvas) { Q_UNUSED(canvas); }

  // The record copied by ReadSkinRecord (valid while RecordIndex != -1 and
  // the record is a panel record).
  const TsfDataSkinPanelControl* PanelRecord() const { return m_panelRecord; }
  bool IsRollingUp() const { return m_changingRollUp; }

 private:
  void Changed() { Invalidate(); }
  void ChangedWithLayout();
  bool DefaultLook() const { return RecordIndex() == -1; }
  int ImageWidth() const;
  int ImageHeight() const;
  void DrawImage(TCanvas* canvas, int x, int y) const;
  void DrawSkinCaption(TCanvas* canvas);
  void PaintTransparent(TCanvas* canvas);
  // `piece` of `source` repeated from the target's top-left over it, or
  // stretched into it as the record's stretch effect and type say.
  void LayClientPiece(TCanvas* canvas, const TBitmap& source, const TRect& piece,
                      const TRect& target);
  void RollUp();
  void Unroll();
  TRect CaptionHitRect() const;

  TsfSkinBorderStyle m_borderStyle = bvFrame;
  bool m_captionMode = false;
  int m_defaultCaptionHeight = 22;
  TAlignment m_defaultAlignment = taLeftJustify;
  bool m_ribbonStyle = false;
  TsfImagePosition m_imagePosition = sfipDefault;
  bool m_transparentMode = false;
  TBitmap m_glyph;
  int m_numGlyphs = 1;
  int m_spacing = 2;
  TCustomImageList* m_captionImageList = nullptr;
  int m_captionImageIndex = -1;
  bool m_checkedMode = false;
  bool m_checked = false;
  bool m_rollUpMode = false;
  bool m_rollUpState = false;
  int m_realHeight = -1;
  bool m_changingRollUp = false;
  QList<QPointer<TControl>> m_hiddenByRollUp;
  // The size constraints (minimum and maximum size) lifted while rolled up,
  // so that the panel can shrink to its caption band; put back on unrolling.
  struct SavedConstraints {
    QSize minimum, maximum;
  };
  std::optional<SavedConstraints> m_savedConstraints;
  void LiftConstraints();
  void RestoreConstraints();

  const TsfDataSkinPanelControl* m_panelRecord = nullptr;
  const TBitmap* m_bgPicture = nullptr;
  TRect m_newCaptionRect;
};

class TsfSkinGroupBox : public TsfSkinPanel {
  Q_OBJECT
 public:
  explicit TsfSkinGroupBox(QWidget* parent = nullptr);

 protected:
  void ReadSkinRecord() override;
};
