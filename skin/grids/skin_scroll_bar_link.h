#pragma once
// Links the skinned scroll bar of the controls layer to a grid: the grid
// talks to TsfGridScrollBar, this forwards to the bar and the bar's events
// back to the grid. The bar is owned elsewhere; when it goes the grid is told.

#include <QMetaObject>
#include <QPointer>

#include "skin/controls/scroll_bar.h"
#include "skin/grids/grid_scroll_bar.h"

class TsfSkinScrollBarLink : public TsfGridScrollBar {
 public:
  explicit TsfSkinScrollBarLink(TsfSkinScrollBar* bar);
  ~TsfSkinScrollBarLink() override;

  TsfSkinScrollBar* Bar() const { return m_bar; }
  void SetRangeAndPosition(int min, int max, int page, int position) override;
  int Position() const override { return m_bar ? m_bar->Position() : 0; }
  int Min() const override { return m_bar ? m_bar->Min() : 0; }
  int Max() const override { return m_bar ? m_bar->Max() : 0; }
  int PageSize() const override { return m_bar ? m_bar->PageSize() : 0; }
  void SetShown(bool shown) override;
  bool Shown() const override { return m_bar && m_bar->Visible(); }
  void SetBarEnabled(bool enabled) override;
  void SetBoth(bool both) override;

 private:
  QPointer<TsfSkinScrollBar> m_bar;
  QMetaObject::Connection m_destroyed;
};
