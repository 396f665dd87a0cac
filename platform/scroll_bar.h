#pragma once
// A plain scroll bar with the host's classic look: arrow buttons at both
// ends, a track and a thumb sized by the page. Vertical unless made
// horizontal (then "up" is left and "down" is right). Ranges are host-style:
// Min..Max includes the page, so the thumb reaches Max - PageSize + 1.

#include <functional>

#include "platform/control.h"

enum TScrollCode {
  scLineUp = 0, scLineDown = 1, scPageUp = 2, scPageDown = 3, scPosition = 4, scTrack = 5,
  scTop = 6, scBottom = 7, scEndScroll = 8,
};

class TScrollBar : public TCustomControl {
  Q_OBJECT
 public:
  explicit TScrollBar(QWidget* parent = nullptr);

  int Min() const { return m_min; }
  int Max() const { return m_max; }
  int PageSize() const { return m_page; }
  int Position() const { return m_position; }
  // Position is kept within Min .. Max - PageSize + 1.
  void SetParams(int min, int max, int page, int position);
  // The classic width of a vertical scroll bar (height of a horizontal one).
  static constexpr int DefaultWidth = 16;
  bool Horizontal() const { return m_horizontal; }
  void SetHorizontal(bool v);

  // Code and the thumb position for scTrack and scPosition.
  std::function<void(TObject* Sender, TScrollCode Code, int Pos)> OnScroll;

  // Geometry shared by paint and hit test.
  TRect UpButtonRect() const;
  TRect DownButtonRect() const;
  TRect ThumbRect() const;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  int ButtonHeight() const;
  // Extent along the bar and across it.
  int Length() const { return m_horizontal ? Width() : Height(); }
  int Thickness() const { return m_horizontal ? Height() : Width(); }
  // A span along the bar as a rectangle across its whole thickness.
  TRect Span(int from, int to) const;
  int PositionFromThumbTop(int top) const;
  void Scroll(TScrollCode code, int pos);
  // arrow: -1 up, 1 down, 0 none (the thumb).
  void DrawButton(const TRect& r, int arrow);

  bool m_horizontal = false;
  int m_min = 0;
  int m_max = 100;
  int m_page = 1;
  int m_position = 0;
  bool m_tracking = false;
  int m_trackOffset = 0;
  int m_trackPosition = 0;
};
