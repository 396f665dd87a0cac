#pragma once
// The looks of a pop-up that change over time or need a translucent window:
// the opacity fade of a menu's first pop-up, the per-line morph and frame
// animation steps, and the soft drop shadow beside a pop-up.

#include <QRegion>

#include "platform/types.h"
#include "skin/render/alpha_bitmap.h"

// The fade-in of a menu's first pop-up: from 0 to the target in steps of a
// fifteenth of it (at least 1), one step per tick.
struct TsfPopupFade {
  static constexpr int Interval = 6;  // milliseconds: more than 5 between steps
  int Target = 0;
  int Step = 1;
  int Current = 0;
  void Start(int target);
  // One step; true once the target is reached.
  bool Tick();
};

// The moving state of one pop-up line: the blend factor between its inactive
// (0) and active (1) look, and the frame counter of its animation (0: not
// animating; 1..count: the frame shown).
struct TsfLineMotion {
  static constexpr double MorphStep = 0.2;
  double K = 0;
  int Frame = 0;
  // One tick for a line that is `lit` (active or with its submenu open).
  // `morph` and `frames` (0: no animation) say which motions are in effect;
  // without them the state jumps to its end. True when anything changed.
  // An animation runs forwards while the line is lit and back from the
  // frame it reached once it is not.
  bool Tick(bool lit, bool morph, int frames);
  // Whether another tick would change anything.
  bool Moving(bool lit, int frames) const;
};

// Slice `frame` (from 1) of an animation strip cut into `count` equal
// slices: rows when the strip is taller than `lineHeight`, else columns.
// Empty for a frame outside 1..count or an empty strip.
TRect AnimationSlice(const TRect& strip, int lineHeight, int count, int frame);

// The drop shadow of a window of w x h whose shape is `shape` (an empty
// region: the whole rect): a picture of (w + Offset) x (h + Offset) to be
// shown at the window's position below it, black with the shadow's alpha,
// fully transparent where the window itself lies.
struct TsfPopupShadow {
  static constexpr int Offset = 4;
  static constexpr int Alpha = 96;
  static TsfBitmap Picture(const QRegion& shape, int w, int h);
};
