#pragma once
// Controls over QWidget. Every Qt handler here builds a TMessage and hands it
// to WindowProc (default: the virtual WndProc), which calls the host-style
// virtual, which fires the OnXxx event. Nothing outside platform/ overrides
// Qt event handlers of these classes for input or painting.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/canvas.h"
#include "platform/component.h"
#include "platform/font.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/types.h"

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

class TWinControl;
class QMouseEvent;

// The host's MK_ flags of a mouse event's buttons and modifiers.
intptr_t MouseKeys(const QMouseEvent* e);

class TControl : public QWidget, public TLoadingState {
  Q_OBJECT
 public:
  explicit TControl(QWidget* parent = nullptr);
  ~TControl() override;

  QString Name() const { return objectName(); }
  void SetName(const QString& name) { setObjectName(name); }
  int Tag = 0;

  // Geometry in the parent's client coordinates.
  int Left() const { return x(); }
  int Top() const { return y(); }
  int Width() const { return width(); }
  int Height() const { return height(); }
  void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
  void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
  void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
  void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(Left(), Top(), Width(), Height()); }
  virtual TRect ClientRect() const { return TRect(0, 0, Width(), Height()); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  TPoint ClientToScreen(const TPoint& p) const;
  TPoint ScreenToClient(const TPoint& p) const;

  TAlign Align() const { return m_align; }
  void SetAlign(TAlign a);
  bool Visible() const { return m_visible; }
  void SetVisible(bool v);
  bool Enabled() const { return isEnabled(); }
  void SetEnabled(bool v);
  QString Caption() const { return m_caption; }
  void SetCaption(const QString& text);
  TFont* Font() { return &m_font; }
  const TFont* Font() const { return &m_font; }
  TColor Color() const { return m_color; }
  void SetColor(TColor c);
  bool ParentFont() const { return m_parentFont; }
  void SetParentFont(bool v);
  TWinControl* Parent() const;
  void SetParent(QWidget* parent);
  bool MouseCapture() const;
  void SetMouseCapture(bool v);
  void Invalidate() { update(); }
  void Repaint() { repaint(); }
  // Creation order among all controls, the tie-break of alignment.
  quint64 CreationIndex() const { return m_creationIndex; }

  // The message pipe.
  std::function<void(TMessage&)> WindowProc;
  virtual void WndProc(TMessage& message);
  intptr_t Perform(unsigned msg, intptr_t wparam = 0, intptr_t lparam = 0);
  void Dispatch(TMessage& message);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  std::function<void(TObject*, TMouseButton, TShiftState, int X, int Y)> OnMouseDown;
  std::function<void(TObject*, TMouseButton, TShiftState, int X, int Y)> OnMouseUp;
  std::function<void(TObject*, TShiftState, int X, int Y)> OnMouseMove;
  std::function<void(TObject*, WORD& Key, TShiftState)> OnKeyDown;
  std::function<void(TObject*, WORD& Key, TShiftState)> OnKeyUp;
  std::function<void(TObject*, QChar& Key)> OnKeyPress;
  std::function<void(TObject*, TShiftState, int WheelDelta, TPoint MousePos, bool& Handled)>
      OnMouseWheel;

  // Valid while painting (WM_PAINT); otherwise it draws nowhere.
  TCanvas* Canvas() { return &m_canvas; }

 protected:
  virtual void Paint() {}
  virtual void PaintBackground();  // fills ClientRect with Color unless Opaque
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void Click();
  virtual void DblClick();
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyUp(WORD& key, TShiftState shift);
  virtual void KeyPress(QChar& key);
  virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual void Resize();
  virtual void FontChanged() { update(); }
  virtual void ColorChanged() { update(); }
  virtual void TextChanged() { update(); }
  virtual void EnabledChanged() { update(); }
  virtual void VisibleChanged() {}
  virtual void FocusChanged(bool /*focused*/) {}

  // A control that paints every pixel itself skips the background fill.
  bool Opaque = false;
  // Click and double click are delivered (the host's csClickEvents).
  bool ClickEvents = true;

  // Perform for messages made from Qt events: an exception a handler raises
  // is shown here, so it never unwinds through Qt's own frames.
  intptr_t PerformFromQt(unsigned msg, intptr_t wparam = 0, intptr_t lparam = 0);
  // Paints `surface` through this control's message pipe; used by paintEvent
  // and by a form for its client area.
  void PaintThrough(QWidget* surface, unsigned msg);
  void MouseThrough(QMouseEvent* e, unsigned msg);

  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void keyReleaseEvent(QKeyEvent* e) override;
  void wheelEvent(QWheelEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void moveEvent(QMoveEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  void RequestRealign();
  void ParentFontChanged(const TFont& font);

  TAlign m_align = alNone;
  bool m_visible = true;
  bool m_clicked = false;
  bool m_parentFont = true;
  bool m_inPaint = false;
  QString m_caption;
  TFont m_font;
  TColor m_color;
  TCanvas m_canvas;
  quint64 m_creationIndex;

  friend class TWinControl;
};

class TWinControl : public TControl {
  Q_OBJECT
 public:
  explicit TWinControl(QWidget* parent = nullptr);

  bool TabStop() const { return m_tabStop; }
  void SetTabStop(bool v);
  bool CanFocus() const;
  void SetFocus();
  bool Focused() const { return hasFocus(); }

  // The widget children are placed in (a form's client area).
  virtual QWidget* ChildParent() { return this; }
  // Lays out aligned children in the host order: top, bottom, left, right,
  // client, each taking a strip off the remaining client rect.
  void Realign();
  QList<TControl*> Controls() const;

 protected:
  virtual void AdjustClientRect(TRect& rect) { Q_UNUSED(rect); }
  void resizeEvent(QResizeEvent* e) override;

 private:
  bool m_tabStop = false;
  bool m_aligning = false;
};

// A windowed control that paints itself.
class TCustomControl : public TWinControl {
  Q_OBJECT
 public:
  using TWinControl::TWinControl;
};

// A windowless control: never takes the focus.
class TGraphicControl : public TControl {
  Q_OBJECT
 public:
  explicit TGraphicControl(QWidget* parent = nullptr);
};
