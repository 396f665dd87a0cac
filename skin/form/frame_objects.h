#pragma once
// The objects on a skinned window's frame: the caption text area and the
// caption buttons (close, maximise, minimise, roll-up, system menu, custom),
// each built from one object record of the skin, or, without a skin, the
// default buttons of fixed look. They track the mouse, show hover, pressed,
// disabled and inactive images, morph between their normal and active image,
// and caption buttons carry out a window command.

#include <QPointer>
#include <QString>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/keys.h"
#include "platform/types.h"
#include "skin/data/object_records.h"

#include "platform/menus.h"

class TsfSkinForm;
class TsfLayerManager;

// The platform's small icon size (the window icon on a system-menu button).
int SmallIconSize();

class TsfActiveSkinObject {
 public:
  TsfActiveSkinObject(TsfSkinForm* parent, const TsfDataSkinObject* record);
  virtual ~TsfActiveSkinObject() = default;

  virtual bool AcceptsPoint(int x, int y) const;
  // The glow picture beside the object (only with translucent windows).
  virtual void ShowGlowLayer();
  virtual void HideGlowLayer();
  virtual bool IsMorphing() const;
  virtual void Draw(TCanvas* canvas, bool standalone);
  virtual void DblClick() {}
  virtual void MouseDown(TMouseButton button, int x, int y);
  virtual void MouseUp(TMouseButton button, int x, int y);
  virtual void MouseMove(int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual bool IsCaption() const { return false; }
  // The window command of a caption button (-1: the object has none).
  virtual int ButtonCommand() const { return -1; }
  // One 25 ms frame-animation step; true while the object still animates.
  virtual bool AnimateStep() { return false; }
  // The menu this object dropped was closed.
  virtual void MenuClosed() {}
  virtual void ResetHover();

  // One 25 ms morph step; true while the factor still moves.
  bool MorphStep();

  TsfSkinForm* Parent;
  QString IDName;
  QString Hint;
  bool SkinRectInAPicture = false;
  TRect SkinRect, ActiveSkinRect, InactiveSkinRect;
  int ActivePictureIndex = -1;
  int ActiveMaskPictureIndex = -1;
  bool Morphing = false;
  int MorphKind = 0;
  int GlowPictureIndex = -1, GlowMaskPictureIndex = -1;
  int GlowOffsetX = 0, GlowOffsetY = 0, GlowAlphaBlendValue = 255;
  TRect ObjectRect;
  double MorphFactor = 0.0;
  bool Active = false, MouseIn = false, Enabled = true, Visible = true;

 protected:
  const TBitmap* ActivePicture() const;
  const TBitmap* FormPicture() const;
  // The glow layer the object uses: the menu glow for objects with a menu.
  virtual bool HasMenu() const { return false; }
  TsfLayerManager* GlowLayer() const;
  // The form's object events.
  void FireMouseDown(TMouseButton button, int x, int y);
  void FireMouseUp(TMouseButton button, int x, int y);
  void FireEnter();
  void FireLeave();
  // Starts morphing, or repaints when the object does not morph.
  void StartMorph();
  // Draws `rect` of `picture` at ObjectRect (clipped to the picture).
  void DrawPiece(TCanvas* canvas, const TBitmap* picture, const TRect& rect) const;
  void DrawMorph(TCanvas* canvas, const TBitmap* normalPicture, const TRect& normal,
                 const TRect& active) const;
};

class TsfUserObject : public TsfActiveSkinObject {
 public:
  using TsfActiveSkinObject::TsfActiveSkinObject;
  void Draw(TCanvas*, bool) override {}
};

class TsfSkinButtonObject : public TsfActiveSkinObject {
 public:
  TsfSkinButtonObject(TsfSkinForm* parent, const TsfDataSkinButton* record);
  bool IsMorphing() const override;
  void Draw(TCanvas* canvas, bool standalone) override;
  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MenuClosed() override;

  bool Down = false;
  bool MenuShown = false;  // its menu is open
  TRect DownRect, DisabledRect;
  // The menu the button drops down (or up) when pressed.
  QPointer<TMenuItem> MenuItem;
  bool DropUp = false;

 protected:
  bool HasMenu() const override { return MenuItem && MenuItem->Count() > 0; }
};

// The restore images and hints of a caption button (standard or animated):
// shown while its command's alternate state holds.
struct TsfRestoreLook {
  TRect RestoreRect, RestoreActiveRect, RestoreDownRect, RestoreInactiveRect;
  QString RestoreHint, SavedHint;
  template <typename Record>
  void ReadRestoreLook(const Record& r) {
    RestoreRect = r.restorerect;
    RestoreActiveRect = r.restoreactiverect;
    RestoreDownRect = r.restoredownrect;
    RestoreInactiveRect = r.restoreinactiverect;
    RestoreHint = r.restorehint;
    SavedHint = r.hint;
  }
  QString StateHint(bool alternate) const {
    return alternate && !RestoreHint.isEmpty() ? RestoreHint : SavedHint;
  }
};

class TsfSkinStdButtonObject : public TsfSkinButtonObject, public TsfRestoreLook {
 public:
  // record null: a default button of the plain frame.
  TsfSkinStdButtonObject(TsfSkinForm* parent, const TsfDataSkinStdButton* record, int command,
                         const QString& name);
  void Draw(TCanvas* canvas, bool standalone) override;
  void DblClick() override;
  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseEnter() override;
  int ButtonCommand() const override { return Command; }

  // The restore image applies: maximise while maximised, minimise while
  // minimised, roll-up while rolled up.
  bool AlternateState() const;
  void ExecuteCommand();

  int Command = 4;
  bool FromRecord = false;

 private:
  void DrawDefault(TCanvas* canvas);
};

// A caption button whose images are frames side by side in its picture,
// stepped by the animation timer.
class TsfSkinAnimateObject : public TsfActiveSkinObject, public TsfRestoreLook {
 public:
  TsfSkinAnimateObject(TsfSkinForm* parent, const TsfDataSkinAnimate* record);
  void Draw(TCanvas* canvas, bool standalone) override;
  void DblClick() override;
  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MenuClosed() override;
  void ResetHover() override;
  bool AnimateStep() override;
  int ButtonCommand() const override { return Command; }
  bool AlternateState() const;
  // The picture rect of frame i (from 1).
  TRect FrameRect(int i) const;

  int CountFrames = 1;
  bool Cycle = false;
  bool ButtonStyle = false;
  int TimerInterval = 50;
  int Command = 4;
  TRect DownSkinRect;
  int Frame = 1;
  bool Forward = true;
  bool Running = false;
  int Accumulator = 25;
  bool Down = false;
  bool MenuShown = false;
  QPointer<TMenuItem> MenuItem;
  bool DropUp = false;

 protected:
  bool HasMenu() const override { return MenuItem && MenuItem->Count() > 0; }

 private:
  void Start(bool forward);
};

class TsfSkinCaptionObject : public TsfActiveSkinObject {
 public:
  TsfSkinCaptionObject(TsfSkinForm* parent, const TsfDataSkinCaption* record);
  bool IsCaption() const override { return true; }
  void Draw(TCanvas* canvas, bool standalone) override;
  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseMove(int x, int y) override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool AnimateStep() override;
  void ResetHover() override {}
  // The text area for the object's current width.
  TRect TextArea() const;
  // An activation change: the frame animation starts (when the skin has one).
  // True when it started.
  bool StartAnimation(bool active);
  // The picture rect of animation frame i (from 1).
  TRect AnimationFrame(int i) const;
  bool HasAnimation() const;

  TsfDataSkinCaption Record;
  int AnimFrame = 0;
  int AnimAccumulator = 25;
  bool AnimRunning = false;

 private:
  // `src` of `picture` composed to the object's width (ends kept, middle tiled).
  TBitmap ComposeImage(const TBitmap& picture, const TRect& src) const;
  void DrawText(TCanvas* canvas, bool active);
};
