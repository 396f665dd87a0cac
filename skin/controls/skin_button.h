#pragma once
// TsfSkinButton: the push button of every skinned window. Normal, active
// (hot or focused), down and disabled looks from one record, a glyph or an
// image-list image laid out with the caption, the click rules of a platform
// push button (the click comes on release inside; space clicks on release;
// Enter at once; default and cancel buttons; accelerators; modal result), an
// auto-repeat mode, toggle groups, and the skin's hover effects: a morph
// between the normal and the active picture, a frame animation and a glow.

#include <functional>

#include "platform/action.h"
#include "platform/image_list.h"
#include "platform/timer.h"
#include "skin/controls/morph.h"
#include "skin/controls/skin_control.h"
#include "skin/render/text_helpers.h"

class TsfLayerManager;

constexpr unsigned WM_SKINCTRL_SHOWGLOW = WM_USER + 400;
constexpr unsigned WM_SKINCTRL_HIDEGLOW = WM_USER + 401;

using TsfButtonPaintEvent = std::function<void(TObject* Sender, TCanvas* Cnvs, TRect R, bool ADown,
                                               bool AMouseIn, bool& DrawDefault)>;

class TsfSkinButton : public TsfSkinCustomControl {
  Q_OBJECT
 public:
  explicit TsfSkinButton(QWidget* parent = nullptr);
  ~TsfSkinButton() override;

  const TBitmap& Glyph() const { return m_glyph; }
  void SetGlyph(const TBitmap& v);
  int NumGlyphs() const { return m_numGlyphs; }
  void SetNumGlyphs(int v);
  TCustomImageList* ImageList() const { return m_imageList; }
  void SetImageList(TCustomImageList* v);
  int ImageIndex() const { return m_imageIndex; }
  void SetImageIndex(int v);
  TsfButtonLayout Layout() const { return m_layout; }
  void SetLayout(TsfButtonLayout v);
  int Margin() const { return m_margin; }
  void SetMargin(int v);  // values below -1 are refused
  int Spacing() const { return m_spacing; }
  void SetSpacing(int v);
  bool UseSkinSize() const { return m_useSkinSize; }
  void SetUseSkinSize(bool v);
  bool UseSkinFontColor = true;
  bool AlwaysShowLayeredFrame = false;
  bool CanFocused() const { return m_canFocused; }
  void SetCanFocused(bool v);
  bool Default() const { return m_default; }
  void SetDefault(bool v);
  bool Cancel = false;
  int ModalResult = 0;
  bool Down() const { return m_down; }
  void SetDown(bool v);
  int GroupIndex() const { return m_groupIndex; }
  void SetGroupIndex(int v);
  bool AllowAllUp = false;
  bool RepeatMode = false;
  int RepeatInterval = 100;

  TsfButtonPaintEvent OnPaint;

  // This button would take Enter: it has the focus, or it is the default
  // button and no other skinned button has the focus.
  bool IsActive() const;
  bool MouseInside() const { return m_mouseInside; }
  double MorphFactor() const { return m_morph.Factor; }
  int AnimationFrame() const { return m_animFrame; }
  // Running timers (null while stopped), so that their ticks can be counted.
  TTimer* RepeatTimer() const { return m_repeatTimer; }
  TTimer* MorphTimer() const { return m_morph.Timer(); }
  TTimer* AnimationTimer() const { return m_animTimer; }

  // The action shows its caption, enabled and visible states on the button;
  // a click runs it when the button has no OnClick of its own.
  TAction* Action() const { return m_actionLink.Action(); }
  void SetAction(TAction* action);

  virtual void PerformClick();
  void ApplySkinChange() override;
  void ForgetSkinRecord() override;
  void WndProc(TMessage& message) override;

 protected:
  void ReadSkinRecord() override;
  void Paint() override;
  void PaintDefaultImage(TBitmap& picture) override;
  virtual void PaintStateImage(TBitmap& picture, const TRect& source, bool active, bool down);
  void AdjustSizeToSkin(int& width, int& height) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // The arrow keys move the focus to the neighbouring controls.
  void KeyDown(WORD& key, TShiftState shift) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void FocusChanged(bool focused) override;
  void EnabledChanged() override;
  void TextChanged() override;
  // The platform's own click on release is replaced by PerformClick.
  void Click() override {}

  const TsfDataSkinButtonControl* ButtonRecord() const { return m_record; }

 private:
  TActionLink m_actionLink;
  bool Focus() const { return m_canFocused && hasFocus(); }
  bool MorphingInEffect() const;
  bool DownLook() const;
  void Refresh();
  void StartRepeat();
  void StopRepeat();
  void RepeatTick();
  void StartAnimation(bool forwards);
  void StopAnimation();
  void AnimationTick();
  TRect AnimationSlice(int frame) const;
  void ShowGlow();
  void HideGlow();
  void PostGlow(unsigned msg);
  void ReleaseGroup();
  bool HandleKey(TMessage& m);

  TBitmap m_glyph;
  int m_numGlyphs = 1;
  TCustomImageList* m_imageList = nullptr;
  int m_imageIndex = -1;
  TsfButtonLayout m_layout = blGlyphLeft;
  int m_margin = -1;
  int m_spacing = 1;
  bool m_useSkinSize = true;
  bool m_canFocused = true;
  bool m_default = false;
  bool m_down = false;
  int m_groupIndex = 0;

  bool m_mouseInside = false;
  bool m_mouseDown = false;
  bool m_clicksDisabled = false;
  bool m_allowAllUpCheck = false;
  int m_animFrame = 0;
  bool m_animForwards = true;
  TTimer* m_repeatTimer = nullptr;
  TTimer* m_animTimer = nullptr;
  TsfLayerManager* m_glow = nullptr;
  TsfMorph m_morph;

  // The last finished face and what it was drawn from: a repaint in the same
  // state (the common case) copies it instead of composing and laying out
  // text again. Not used with an OnPaint handler or an image list, whose
  // drawing the key cannot see.
  struct FaceKey {
    qint64 picture = 0, glyph = 0;
    TRect source, content;
    int width = 0, height = 0, glyphNumber = 0, numGlyphs = 0, layout = 0, margin = 0,
        spacing = 0, fontHeight = 0, charset = 0;
    TColor fontColor = 0;
    TFontStyles fontStyle = 0;
    bool active = false, down = false, enabled = false, focusFrame = false, stretched = false;
    QString caption, fontName;
    bool operator==(const FaceKey&) const = default;
  };
  TFont StateFont(bool active, bool down) const;
  int GlyphNumber(bool active, bool down) const;
  TBitmap m_face;
  FaceKey m_faceKey;

  const TsfDataSkinButtonControl* m_record = nullptr;
  TRect m_activeRect, m_downRect;
  TColor m_disabledFontColor = 0;
};
