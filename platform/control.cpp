#include "platform/control.h"

#include "platform/application.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>

intptr_t MouseKeys(const QMouseEvent* e) {
  intptr_t k = 0;
  if (e->buttons() & Qt::LeftButton) k |= MK_LBUTTON;
  if (e->buttons() & Qt::RightButton) k |= MK_RBUTTON;
  if (e->buttons() & Qt::MiddleButton) k |= MK_MBUTTON;
  if (e->modifiers() & Qt::ShiftModifier) k |= MK_SHIFT;
  if (e->modifiers() & Qt::ControlModifier) k |= MK_CONTROL;
  return k;
}

namespace {
quint64 g_nextCreationIndex = 0;

QWidget* ParentFor(QWidget* parent) {
  if (auto* w = qobject_cast<TWinControl*>(parent)) return w->ChildParent();
  return parent;
}

TShiftState ShiftFromKeys(intptr_t keys) {
  TShiftState s = 0;
  if (keys & MK_SHIFT) s |= ssShift;
  if (keys & MK_CONTROL) s |= ssCtrl;
  if (keys & MK_LBUTTON) s |= ssLeft;
  if (keys & MK_RBUTTON) s |= ssRight;
  if (keys & MK_MBUTTON) s |= ssMiddle;
  if (QApplication::keyboardModifiers() & Qt::AltModifier) s |= ssAlt;
  return s;
}

TShiftState CurrentShift() {
  return ShiftStateOf(QApplication::keyboardModifiers(), QApplication::mouseButtons());
}
}  // namespace

TControl::TControl(QWidget* parent)
    : QWidget(ParentFor(parent)), m_color(clBtnFace), m_creationIndex(g_nextCreationIndex++) {
  WindowProc = [this](TMessage& m) { WndProc(m); };
  if (auto* p = qobject_cast<TControl*>(parentWidget())) m_font = *p->Font();
  m_font.OnChange = [this](TFont*) {
    m_parentFont = false;
    Perform(CM_FONTCHANGED);
  };
  setAttribute(Qt::WA_NoSystemBackground);
  setMouseTracking(true);
}

TControl::~TControl() {
  m_font.OnChange = nullptr;
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (QRect(left, top, width, height) == geometry()) return;
  setGeometry(left, top, width, height);
  // A hidden widget gets its resize event only when shown: lay out now.
  if (auto* self = qobject_cast<TWinControl*>(this)) self->Realign();
  RequestRealign();
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
  return TPoint::fromQPoint(mapToGlobal(p.toQPoint()));
}
TPoint TControl::ScreenToClient(const TPoint& p) const {
  return TPoint::fromQPoint(mapFromGlobal(p.toQPoint()));
}

void TControl::SetAlign(TAlign a) {
  if (a == m_align) return;
  m_align = a;
  RequestRealign();
}

void TControl::SetVisible(bool v) {
  if (v == m_visible) return;
  m_visible = v;
  setVisible(v);
  Perform(CM_VISIBLECHANGED, v);
  RequestRealign();
}

void TControl::SetEnabled(bool v) {
  if (v == isEnabled()) return;
  setEnabled(v);  // changeEvent reports it
}

void TControl::SetCaption(const QString& text) {
  if (text == m_caption) return;
  m_caption = text;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetColor(TColor c) {
  if (c == m_color) return;
  m_color = c;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentFont(bool v) {
  m_parentFont = v;
  if (v)
    if (auto* p = qobject_cast<TControl*>(parentWidget())) ParentFontChanged(*p->Font());
}

void TControl::ParentFontChanged(const TFont& font) {
  if (!m_parentFont) return;
  auto handler = std::move(m_font.OnChange);
  m_font = font;
  m_font.OnChange = std::move(handler);
  Perform(CM_FONTCHANGED);
}

TWinControl* TControl::Parent() const {
  QWidget* p = parentWidget();
  while (p && !qobject_cast<TWinControl*>(p)) p = p->parentWidget();
  return qobject_cast<TWinControl*>(p);
}

void TControl::SetParent(QWidget* parent) {
  const bool wasVisible = m_visible;
  setParent(ParentFor(parent));
  if (wasVisible && parent) show();
  RequestRealign();
}

bool TControl::MouseCapture() const { return QWidget::mouseGrabber() == this; }

void TControl::SetMouseCapture(bool v) {
  if (v) grabMouse();
  else if (MouseCapture()) releaseMouse();
}

void TControl::RequestRealign() {
  if (auto* p = qobject_cast<TWinControl*>(parentWidget())) p->Realign();
}

intptr_t TControl::Perform(unsigned msg, intptr_t wparam, intptr_t lparam) {
  TMessage m{msg, wparam, lparam, 0};
  Dispatch(m);
  return m.Result;
}

void TControl::Dispatch(TMessage& m) {
  if (WindowProc) WindowProc(m);
  else WndProc(m);
}

void TControl::WndProc(TMessage& m) {
  const int x = LParamX(m.LParam), y = LParamY(m.LParam);
  switch (m.Msg) {
    case WM_PAINT:
      if (m_inPaint) {
        PaintBackground();
        Paint();
      } else {
        update();
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const TMouseButton b = m.Msg == WM_LBUTTONDOWN   ? mbLeft
                             : m.Msg == WM_RBUTTONDOWN ? mbRight
                                                       : mbMiddle;
      if (b == mbLeft && ClickEvents) m_clicked = true;
      MouseDown(b, ShiftFromKeys(m.WParam), x, y);
      break;
    }
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      const TMouseButton b = m.Msg == WM_LBUTTONDBLCLK   ? mbLeft
                             : m.Msg == WM_RBUTTONDBLCLK ? mbRight
                                                         : mbMiddle;
      QPointer<TControl> self(this);
      if (b == mbLeft && ClickEvents) DblClick();
      if (self) MouseDown(b, ShiftFromKeys(m.WParam) | ssDouble, x, y);
      break;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const TMouseButton b = m.Msg == WM_LBUTTONUP   ? mbLeft
                             : m.Msg == WM_RBUTTONUP ? mbRight
                                                     : mbMiddle;
      const bool clicked = b == mbLeft && m_clicked;
      if (b == mbLeft) m_clicked = false;
      QPointer<TControl> self(this);
      MouseUp(b, ShiftFromKeys(m.WParam), x, y);
      if (self && clicked && ClientRect().Contains(TPoint(x, y))) Click();
      break;
    }
    case WM_MOUSEMOVE:
      MouseMove(ShiftFromKeys(m.WParam), x, y);
      break;
    case WM_MOUSEWHEEL:
      m.Result = DoMouseWheel(CurrentShift(), static_cast<int16_t>((m.WParam >> 16) & 0xFFFF),
                              TPoint(x, y))
                     ? 1
                     : 0;
      break;
    case WM_KEYDOWN: {
      WORD key = static_cast<WORD>(m.WParam);
      KeyDown(key, CurrentShift());
      m.Result = key;  // zero: the key was consumed
      break;
    }
    case WM_KEYUP: {
      WORD key = static_cast<WORD>(m.WParam);
      KeyUp(key, CurrentShift());
      m.Result = key;
      break;
    }
    case WM_CHAR: {
      QChar ch(static_cast<char16_t>(m.WParam));
      KeyPress(ch);
      m.Result = ch.unicode();
      break;
    }
    case WM_SIZE: Resize(); break;
    case WM_SETFOCUS: FocusChanged(true); break;
    case WM_KILLFOCUS: FocusChanged(false); break;
    case CM_MOUSEENTER: MouseEnter(); break;
    case CM_MOUSELEAVE: MouseLeave(); break;
    case CM_FONTCHANGED: {
      FontChanged();
      for (QObject* c : children())
        if (auto* ctl = qobject_cast<TControl*>(c)) ctl->ParentFontChanged(m_font);
      break;
    }
    case CM_COLORCHANGED: ColorChanged(); break;
    case CM_TEXTCHANGED: TextChanged(); break;
    case CM_ENABLEDCHANGED: EnabledChanged(); break;
    case CM_VISIBLECHANGED: VisibleChanged(); break;
    default: break;
  }
}

void TControl::PaintBackground() {
  if (Opaque) return;
  Canvas()->Brush.Color = m_color;
  Canvas()->Brush.Style = bsSolid;
  Canvas()->FillRect(ClientRect());
}

void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}
void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}
void TControl::MouseMove(TShiftState s, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, s, x, y);
}
void TControl::Click() { if (OnClick) OnClick(this); }
void TControl::DblClick() { if (OnDblClick) OnDblClick(this); }
void TControl::KeyDown(WORD& key, TShiftState s) { if (OnKeyDown) OnKeyDown(this, key, s); }
void TControl::KeyUp(WORD& key, TShiftState s) { if (OnKeyUp) OnKeyUp(this, key, s); }
void TControl::KeyPress(QChar& key) { if (OnKeyPress) OnKeyPress(this, key); }
bool TControl::DoMouseWheel(TShiftState s, int delta, TPoint pos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, s, delta, pos, handled);
  return handled;
}
void TControl::MouseEnter() { if (OnMouseEnter) OnMouseEnter(this); }
void TControl::MouseLeave() { if (OnMouseLeave) OnMouseLeave(this); }
void TControl::Resize() { if (OnResize) OnResize(this); }

intptr_t TControl::PerformFromQt(unsigned msg, intptr_t wparam, intptr_t lparam) {
  intptr_t result = 0;
  GuardEvent([&] { result = Perform(msg, wparam, lparam); });
  return result;
}

void TControl::PaintThrough(QWidget* surface, unsigned msg) {
  QPainter painter(surface);
  m_canvas.AttachPainter(&painter);
  m_canvas.Font = m_font;
  m_inPaint = true;
  QPointer<TControl> self(this);
  PerformFromQt(msg);
  if (!self) return;
  m_inPaint = false;
  m_canvas.Detach();
}

void TControl::paintEvent(QPaintEvent*) { PaintThrough(this, WM_PAINT); }

void TControl::MouseThrough(QMouseEvent* e, unsigned msg) {
  const QPoint p = e->position().toPoint();
  PerformFromQt(msg, MouseKeys(e), MakeLParam(p.x(), p.y()));
}

namespace {
unsigned ButtonMessage(Qt::MouseButton b, unsigned left, unsigned right, unsigned middle) {
  switch (b) {
    case Qt::LeftButton: return left;
    case Qt::RightButton: return right;
    case Qt::MiddleButton: return middle;
    default: return 0;
  }
}
}  // namespace

void TControl::mousePressEvent(QMouseEvent* e) {
  if (unsigned msg = ButtonMessage(e->button(), WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN))
    MouseThrough(e, msg);
}
void TControl::mouseReleaseEvent(QMouseEvent* e) {
  if (unsigned msg = ButtonMessage(e->button(), WM_LBUTTONUP, WM_RBUTTONUP, WM_MBUTTONUP))
    MouseThrough(e, msg);
}
// Qt sends press, release, double-click, release for a double click; the
// double-click event takes the place of the second press, so no second Click.
void TControl::mouseDoubleClickEvent(QMouseEvent* e) {
  if (unsigned msg =
          ButtonMessage(e->button(), WM_LBUTTONDBLCLK, WM_RBUTTONDBLCLK, WM_MBUTTONDBLCLK))
    MouseThrough(e, msg);
}
void TControl::mouseMoveEvent(QMouseEvent* e) { MouseThrough(e, WM_MOUSEMOVE); }

void TControl::keyPressEvent(QKeyEvent* e) {
  QPointer<TControl> self(this);
  const WORD vk = VirtualKeyOf(e);
  intptr_t left = 1;
  if (vk) left = PerformFromQt(WM_KEYDOWN, vk);
  if (!self) return;
  const QString text = e->text();
  if (left != 0 && !text.isEmpty() && !(e->modifiers() & Qt::ControlModifier) &&
      text[0].unicode() >= 0x20) {
    for (QChar c : text) {
      PerformFromQt(WM_CHAR, c.unicode());
      if (!self) return;
    }
  } else if (left != 0 && vk && (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK)) {
    PerformFromQt(WM_CHAR, vk);
  }
  if (self) e->accept();
}

// A held key repeats its key down only: Qt's auto-repeat releases between
// the repeated presses are no key up, so a held Space clicks a button once,
// when it is really let go.
void TControl::keyReleaseEvent(QKeyEvent* e) {
  if (e->isAutoRepeat()) return;
  if (const WORD vk = VirtualKeyOf(e)) PerformFromQt(WM_KEYUP, vk);
}

void TControl::wheelEvent(QWheelEvent* e) {
  const QPoint p = e->globalPosition().toPoint();
  const int delta = e->angleDelta().y();
  const intptr_t w = static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(delta)) << 16);
  if (PerformFromQt(WM_MOUSEWHEEL, w, MakeLParam(p.x(), p.y())) != 0) e->accept();
  else e->ignore();
}

void TControl::enterEvent(QEnterEvent*) { PerformFromQt(CM_MOUSEENTER); }
void TControl::leaveEvent(QEvent*) { PerformFromQt(CM_MOUSELEAVE); }
void TControl::resizeEvent(QResizeEvent*) { PerformFromQt(WM_SIZE); }
void TControl::moveEvent(QMoveEvent* e) {
  PerformFromQt(WM_MOVE, 0, MakeLParam(e->pos().x(), e->pos().y()));
}
void TControl::focusInEvent(QFocusEvent*) { PerformFromQt(WM_SETFOCUS); }
void TControl::focusOutEvent(QFocusEvent*) { PerformFromQt(WM_KILLFOCUS); }

void TControl::changeEvent(QEvent* e) {
  if (e->type() == QEvent::EnabledChange) PerformFromQt(CM_ENABLEDCHANGED);
  QWidget::changeEvent(e);
}

// ---------------------------------------------------------------------------

TWinControl::TWinControl(QWidget* parent) : TControl(parent) {}

void TWinControl::SetTabStop(bool v) {
  m_tabStop = v;
  setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus);
}

bool TWinControl::CanFocus() const {
  for (const QWidget* w = this; w; w = w->parentWidget())
    if (!w->isEnabled() || (w->isWindow() ? false : w->isHidden())) return false;
  return focusPolicy() != Qt::NoFocus;
}

void TWinControl::SetFocus() { setFocus(Qt::OtherFocusReason); }

QList<TControl*> TWinControl::Controls() const {
  QList<TControl*> list;
  for (QObject* o : const_cast<TWinControl*>(this)->ChildParent()->children())
    if (auto* c = qobject_cast<TControl*>(o)) list << c;
  return list;
}

void TWinControl::Realign() {
  if (m_aligning) return;
  m_aligning = true;
  auto* self = static_cast<TControl*>(this);
  TRect rect = self->ClientRect();
  if (ChildParent() != this) rect = TRect(0, 0, ChildParent()->width(), ChildParent()->height());
  AdjustClientRect(rect);
  const QList<TControl*> all = Controls();
  for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
    QList<TControl*> group;
    for (TControl* c : all)
      if (c->Align() == a && c->Visible()) group << c;
    std::stable_sort(group.begin(), group.end(), [a](TControl* p, TControl* q) {
      int kp = 0, kq = 0;
      switch (a) {
        case alTop: kp = p->Top(); kq = q->Top(); break;
        case alBottom: kp = -(p->Top() + p->Height()); kq = -(q->Top() + q->Height()); break;
        case alLeft: kp = p->Left(); kq = q->Left(); break;
        case alRight: kp = -(p->Left() + p->Width()); kq = -(q->Left() + q->Width()); break;
        default: break;
      }
      if (kp != kq) return kp < kq;
      return p->CreationIndex() < q->CreationIndex();
    });
    for (TControl* c : group) {
      const int w = std::max(0, rect.Width()), h = std::max(0, rect.Height());
      QRect g;
      switch (a) {
        case alTop:
          g = QRect(rect.Left, rect.Top, w, c->Height());
          rect.Top += c->Height();
          break;
        case alBottom:
          g = QRect(rect.Left, rect.Bottom - c->Height(), w, c->Height());
          rect.Bottom -= c->Height();
          break;
        case alLeft:
          g = QRect(rect.Left, rect.Top, c->Width(), h);
          rect.Left += c->Width();
          break;
        case alRight:
          g = QRect(rect.Right - c->Width(), rect.Top, c->Width(), h);
          rect.Right -= c->Width();
          break;
        default:
          g = QRect(rect.Left, rect.Top, w, h);
          break;
      }
      c->setGeometry(g);
    }
  }
  m_aligning = false;
}

void TWinControl::resizeEvent(QResizeEvent* e) {
  Realign();
  TControl::resizeEvent(e);
}

TGraphicControl::TGraphicControl(QWidget* parent) : TControl(parent) {
  setFocusPolicy(Qt::NoFocus);
}
