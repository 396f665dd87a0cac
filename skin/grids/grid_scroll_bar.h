#pragma once
// What a grid needs of a linked scroll bar. The skinned scroll bar of the
// controls layer is adapted to it; the grid sets the bar's range quietly and
// listens to its events, which the bar raises when the user works it.

#include <functional>

class TsfGridScrollBar {
 public:
  virtual ~TsfGridScrollBar() = default;

  // Range, page and position, moved without raising OnChange.
  virtual void SetRangeAndPosition(int min, int max, int page, int position) = 0;
  virtual int Position() const = 0;
  virtual int Min() const = 0;
  virtual int Max() const = 0;
  virtual int PageSize() const = 0;
  virtual void SetShown(bool shown) = 0;
  virtual bool Shown() const = 0;
  virtual void SetBarEnabled(bool enabled) = 0;
  // With both bars linked the horizontal one leaves the corner free.
  virtual void SetBoth(bool both) = 0;
  int SmallChange = 1;
  int LargeChange = 1;

  // Raised by the bar: every position change, the thumb's release, the
  // arrow buttons (the "up" button raises the position, the "down" button
  // lowers it) and the page areas.
  std::function<void()> OnChange;
  std::function<void()> OnLastChange;
  std::function<void()> OnUpButtonClick;
  std::function<void()> OnDownButtonClick;
  std::function<void()> OnPageUp;
  std::function<void()> OnPageDown;
  // Raised by the bar's destructor: the grid forgets it.
  std::function<void()> OnDestroyed;
};
