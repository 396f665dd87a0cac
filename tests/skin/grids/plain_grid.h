#pragma once
// A bare core grid whose cells draw nothing of their own: what the grid
// itself paints (lines, cell pictures, backgrounds) is all there is to see.

#include "skin/grids/skin_grid.h"

namespace gridtest {

class PlainGrid : public TsfSkinCustomGrid {
 public:
  using TsfSkinCustomGrid::TsfSkinCustomGrid;

 protected:
  void DrawCellContent(int, int, const TRect&, TGridDrawState) override {}
};

}  // namespace gridtest
