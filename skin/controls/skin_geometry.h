#pragma once
// The geometry a skinned control copies from its framed skin record: the
// picture, the corner points and client rect, the stretch flags, the resize
// mode that follows from them, and the same points laid out for the current
// control size. Window and windowless skinned controls share it.

#include <optional>

#include <QRegion>

#include "platform/bitmap.h"
#include "platform/types.h"
#include "skin/data/control_records.h"
#include "skin/render/compose.h"

class TsfSkinData;

// How a skin picture follows the control's size.
enum TsfResizeMode : int {
  rmNone = -1,        // the skin rect is empty
  rmFixed = 0,        // the picture at its own size
  rmFrame = 1,        // nine parts, stretches both ways
  rmHorizontal = 2,   // three parts side by side
  rmVertical = 3,     // three parts stacked
};

struct TsfSkinGeometry {
  // Pictures of the skin data object's list; none when the index names none.
  // Valid only until the skin data object changes its skin: they are read
  // again with the record at every paint and every size change.
  const TBitmap* Picture = nullptr;
  const TBitmap* Mask = nullptr;
  TRect SkinRect;
  TPoint LTPoint, RTPoint, LBPoint, RBPoint;
  TRect ClientRect;
  bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
  bool StretchEffect = false;
  TsfStretchType StretchType = stFull;
  int ResizeMode = rmNone;

  // The points laid out for the current size (AdjustSize).
  TPoint NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint;
  TRect NewClientRect;

  int SkinWidth() const { return SkinRect.Width(); }
  int SkinHeight() const { return SkinRect.Height(); }

  // Copies a framed record; pictures are looked up in `data`.
  void Read(const TsfDataSkinCustomControl& record, const TsfSkinData& data);
  // A record of a class without geometry: no pictures, fixed mode, and no
  // skin rect, so nothing is taken from it for the size.
  void ReadUnframed();
  // No record: no pictures.
  void Forget();

  // Size from the skin: fixes the dimensions the mode keeps and lays the
  // points out for the (possibly changed) size.
  void AdjustSize(int& width, int& height);
  // A rect given relative to the skin rect, in control coordinates at w x h.
  TRect MapSkinRect(const TRect& r, int width, int height) const;

  TsfFramePoints SkinPoints() const { return {LTPoint, RTPoint, LBPoint, RBPoint, ClientRect}; }
  TsfFramePoints LaidPoints() const {
    return {NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClientRect};
  }
  TsfStretchFlags Flags() const;

  // The skin picture's rect `source` (in place of the skin rect) composed at
  // w x h by the resize mode into `result` (resized as the mode says).
  // Nothing without a picture.
  void Compose(TBitmap& result, const TRect& source, int width, int height,
               bool drawCentre = true) const;
  // The window shape from the mask picture at w x h; none when the window
  // keeps its rectangle.
  std::optional<QRegion> Region(int width, int height) const;
  // The client piece of the picture (relative to the skin rect's origin).
  TRect ClientTile() const { return ClientRect.Offset(SkinRect.Left, SkinRect.Top); }
};

// The part `piece` of `source` as a picture of its own, marked to be drawn
// keyed on the colour of its lower-left pixel (the skin's mark images).
// Empty for an empty piece; the piece is clipped to the picture.
TBitmap KeyedPiece(const TBitmap& source, const TRect& piece);
