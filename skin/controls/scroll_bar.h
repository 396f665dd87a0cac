#pragma once
// TsfSkinScrollBar: a stand-alone skinned scroll bar (two arrow buttons, a
// track and a thumb) drawn from a "vscrollbar" / "hscrollbar" record or in
// the default look, with auto-repeat, paging, thumb dragging, keys and wheel.
//
// Linking: a memo, rich edit or list box pushes its scroll state in with
// SetRangeAndPosition (no event) and listens to OnChange (and the button and
// page events, OnLastChange on thumb release).

#include "platform/timer.h"
#include "skin/controls/skin_control.h"

enum TScrollBarKind { sbHorizontal, sbVertical };

// The parts: 0 the thumb, 1 the increase button (right or bottom), 2 the
// decrease button (left or top).
enum TsfScrollBarPart { spNone = -1, spThumb = 0, spIncrease = 1, spDecrease = 2 };

// Where the parts lie for the current size, range and position.
struct TsfScrollBarLayout {
  TRect Parts[3];
  TRect Track;
  int FirstOffset = 0, SecondOffset = 0;  // thumb centre at the two ends
  int ThumbOffset = 0;                    // from the track's start
};

class TsfSkinScrollBar : public TsfSkinCustomControl {
  Q_OBJECT
 public:
  explicit TsfSkinScrollBar(QWidget* parent = nullptr);
  ~TsfSkinScrollBar() override;

  TScrollBarKind Kind() const { return m_kind; }
  void SetKind(TScrollBarKind v);
  int Min() const { return m_min; }
  void SetMin(int v);
  int Max() const { return m_max; }
  void SetMax(int v);
  int Position() const { return m_position; }
  // Clamped to Min .. Max - PageSize + 1 (Min .. Max without a page); one
  // OnChange when the position changes.
  void SetPosition(int v);
  int PageSize() const { return m_pageSize; }
  void SetPageSize(int v);
  int SmallChange() const { return m_smallChange; }
  void SetSmallChange(int v) { m_smallChange = v; Invalidate(); }
  int LargeChange() const { return m_largeChange; }
  void SetLargeChange(int v) { m_largeChange = v; Invalidate(); }
  bool Both() const { return m_both; }
  void SetBoth(bool v);
  int BothMarkerWidth() const { return m_bothMarkerWidth; }
  void SetBothMarkerWidth(int v);
  QString BothSkinDataName() const { return m_bothSkinDataName; }
  void SetBothSkinDataName(const QString& v) { m_bothSkinDataName = v; }
  bool CanFocused() const { return m_canFocused; }
  void SetCanFocused(bool v);

  // For linked controls: no event.
  void SetRangeAndPosition(int min, int max, int pageSize, int position);
  void MovePositionQuietly(int v);

  // The parts laid out now (recomputed at every paint and press).
  TsfScrollBarLayout Layout() const;
  TsfScrollBarPart HotPart() const { return m_hot; }
  TsfScrollBarPart CapturedPart() const { return m_captured; }
  bool Dragging() const { return m_dragging; }
  // The repeat timer: 500 ms before the first tick, then 50 ms.
  TTimer* RepeatTimer() const { return m_timer; }

  TNotifyEvent OnChange;
  TNotifyEvent OnUpButtonClick;
  TNotifyEvent OnDownButtonClick;
  TNotifyEvent OnPageUp;
  TNotifyEvent OnPageDown;
  TNotifyEvent OnLastChange;

  void ApplySkinChange() override;

 protected:
  void PaintDefaultImage(TBitmap& picture) override;
  void PaintSkinImage(TBitmap& picture) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void FocusChanged(bool focused) override;
  void EnabledChanged() override;

 private:
  int ClampPosition(long long v) const;
  // Moves to `target` (clamped into the range), raising OnChange on a change.
  void StepTo(long long target);
  TsfDataSkinScrollBarControl* BarRecord() const;
  TsfScrollBarLayout ComputeLayout(const TsfDataSkinScrollBarControl* record) const;
  TsfScrollBarPart PartAt(const TsfScrollBarLayout& layout, TPoint p) const;
  void SetHot(TsfScrollBarPart part);
  void StartRepeat(int mode);
  void StopRepeat();
  void Tick();
  void Increase();
  void Decrease();
  void PageStep(bool down);
  // Where the point lies against the thumb along the axis: -1 before, 1 after, 0 on it.
  int SideOfThumb(TPoint p) const;
  int Along(TPoint p) const { return m_kind == sbVertical ? p.Y : p.X; }
  bool ThumbPressedLook() const;
  void DrawDefaultPart(TCanvas* c, const TRect& r, bool pressed, bool hot) const;
  void DrawSkinThumb(TCanvas* c, const TsfDataSkinScrollBarControl& record, const TRect& thumb,
                     bool hasPage) const;

  TScrollBarKind m_kind = sbHorizontal;
  int m_min = 0, m_max = 100, m_position = 0, m_pageSize = 0;
  int m_smallChange = 1, m_largeChange = 1;
  bool m_both = false;
  int m_bothMarkerWidth = 19;
  QString m_bothSkinDataName = QStringLiteral("bothhscrollbar");
  QString m_normalSkinDataName;
  bool m_canFocused = false;

  TsfScrollBarPart m_hot = spNone;
  TsfScrollBarPart m_captured = spNone;
  bool m_dragging = false;
  int m_dragStartCoord = 0, m_dragStartOffset = 0, m_dragStartPosition = 0;
  TPoint m_lastMouse;
  bool m_buttonHeld = false;
  bool m_wait = false;
  int m_timerMode = 0;  // 1 decrease, 2 increase, 3 page up, 4 page down
  TTimer* m_timer;
};
