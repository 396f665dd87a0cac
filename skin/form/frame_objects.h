#pragma once
// The objects on a skinned window's frame: the caption text area and the
// caption buttons (close, maximise, minimise, roll-up, system menu, custom),
// each built from one object record of the skin, or, without a skin, the
// default buttons of fixed look. They track the mouse, show hover, pressed,
// disabled and inactive images, morph between their normal and active image,
// and caption buttons carry out a window command.

#include <QString>

#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/keys.h"
#include "platform/types.h"
#include "skin/data/object_records.h"

class TsfSkinForm;
class TMenuItem;

class TsfActiveSkinObject {
 public:
  TsfActiveSkinObject(TsfSkinForm* parent, const TsfDataSkinObject* record);
  virtual ~TsfActiveSkinObject() = default;

  virtual bool AcceptsPoint(int x, int y) const;
  virtual bool IsMorphing() const;
  virtual void Draw(TCanvas* canvas, bool standalone);
  virtual void DblClick() {}
  virtual void MouseDown(TMouseButton button, int x, int y);
  virtual void MouseUp(TMouseButton button, int x, int y);
  virtual void MouseMove(int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual bool IsCaption() const { return false; }

  // One 25 ms morph step; true while the factor still moves.
  bool MorphStep();
  void ResetHover();

  TsfSkinForm* Parent;
  QString IDName;
  QString Hint;
  bool SkinRectInAPicture = false;
  TRect SkinRect, ActiveSkinRect, InactiveSkinRect;
  int ActivePictureIndex = -1;
  int ActiveMaskPictureIndex = -1;
  bool Morphing = false;
  int MorphKind = 0;
  TRect ObjectRect;
  double MorphFactor = 0.0;
  bool Active = false, MouseIn = false, Enabled = true, Visible = true;

 protected:
  const TBitmap* ActivePicture() const;
  const TBitmap* FormPicture() const;
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

  bool Down = false;
  bool MenuShown = false;  // its menu is open
  TRect DownRect, DisabledRect;
};

class TsfSkinStdButtonObject : public TsfSkinButtonObject {
 public:
  // record null: a default button of the plain frame.
  TsfSkinStdButtonObject(TsfSkinForm* parent, const TsfDataSkinStdButton* record, int command,
                         const QString& name);
  void Draw(TCanvas* canvas, bool standalone) override;
  void DblClick() override;
  void MouseDown(TMouseButton button, int x, int y) override;
  void MouseUp(TMouseButton button, int x, int y) override;
  void MouseEnter() override;

  // The restore image applies: maximise while maximised, minimise while
  // minimised, roll-up while rolled up.
  bool AlternateState() const;
  void ExecuteCommand();

  int Command = 4;
  bool FromRecord = false;
  TRect RestoreRect, RestoreActiveRect, RestoreDownRect, RestoreInactiveRect;
  QString RestoreHint, SavedHint;

 private:
  void DrawDefault(TCanvas* canvas);
};

class TsfSkinCaptionObject : public TsfActiveSkinObject {
 public:
  TsfSkinCaptionObject(TsfSkinForm* parent, const TsfDataSkinCaption* record);
  bool IsCaption() const override { return true; }
  void Draw(TCanvas* canvas, bool standalone) override;
  void MouseEnter() override;
  void MouseLeave() override;
  // The text area for the object's current width.
  TRect TextArea() const;

  TsfDataSkinCaption Record;
};
