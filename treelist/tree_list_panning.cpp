// Middle-button panning: an anchor picture at the press point, a neutral
// zone around it, and a 20 ms timer that scrolls one line on every
// (13 - speed)-th tick in the direction the pointer lies. Timer-driven: the
// control's own handlers end the mode (Esc, any button press, the wheel, a
// middle release once the pointer has left the neutral zone).

#include <QCursor>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QRegion>
#include <algorithm>
#include <cmath>

#include "platform/timer.h"
#include "treelist/tree_list.h"

namespace {
constexpr int kPanInterval = 20;
constexpr int kPanPictureSize = 28;
constexpr int kMaxPanSpeed = 12;

// Cursor numbers of the panning mode.
constexpr int kCursorFullScroll = 1131, kCursorHorScroll = 1132, kCursorVerScroll = 1133,
              kCursorUpScroll = 1134, kCursorRightScroll = 1135, kCursorDownScroll = 1136,
              kCursorLeftScroll = 1137;

// A filled triangle pointing along (dx, dy) around `centre`.
void Arrow(QPainter& p, QPointF centre, int dx, int dy, double size) {
  const QPointF tip = centre + QPointF(dx, dy) * size;
  const QPointF side(-dy * size * 0.8, dx * size * 0.8);
  const QPointF base = centre + QPointF(dx, dy) * (size * 0.1);
  QPainterPath path;
  path.moveTo(tip);
  path.lineTo(base + side);
  path.lineTo(base - side);
  path.closeSubpath();
  p.fillPath(path, Qt::black);
}

// The direction pictures: the arrows of the possible directions around a
// dot, on white (the anchor) or on nothing (the cursors).
QPixmap DirectionPicture(bool vertical, bool horizontal, int size, bool opaque = true) {
  QPixmap pm(size, size);
  pm.fill(opaque ? QColor(Qt::white) : QColor(Qt::transparent));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF c(size / 2.0, size / 2.0);
  const double arm = size / 2.0 - 3;
  if (vertical) {
    Arrow(p, c - QPointF(0, arm / 2), 0, -1, arm / 2);
    Arrow(p, c + QPointF(0, arm / 2), 0, 1, arm / 2);
  }
  if (horizontal) {
    Arrow(p, c - QPointF(arm / 2, 0), -1, 0, arm / 2);
    Arrow(p, c + QPointF(arm / 2, 0), 1, 0, arm / 2);
  }
  p.setBrush(Qt::black);
  p.drawEllipse(c, 1.5, 1.5);
  return pm;
}

// The anchor: a borderless picture window clipped to an ellipse one pixel
// larger than the picture and outlined in the window-text colour.
class TtlPanAnchor : public QWidget {
 public:
  explicit TtlPanAnchor(QWidget* owner)
      : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
  }
  void SetPicture(const QPixmap& picture) {
    m_picture = picture;
    const int size = picture.width() + 2;
    resize(size, size);
    setMask(QRegion(0, 0, size, size, QRegion::Ellipse));
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.drawPixmap(1, 1, m_picture);
    p.setPen(ToQColor(clWindowText));
    p.drawEllipse(rect().adjusted(0, 0, -1, -1));
  }

 private:
  QPixmap m_picture;
};

QCursor PanCursor(int number) {
  switch (number) {
    case kCursorUpScroll: case kCursorDownScroll: case kCursorLeftScroll: case kCursorRightScroll: {
      QPixmap pm(16, 16);
      pm.fill(Qt::transparent);
      QPainter p(&pm);
      p.setRenderHint(QPainter::Antialiasing);
      const int dx = number == kCursorRightScroll ? 1 : (number == kCursorLeftScroll ? -1 : 0);
      const int dy = number == kCursorDownScroll ? 1 : (number == kCursorUpScroll ? -1 : 0);
      Arrow(p, QPointF(8, 8), dx, dy, 7);
      return QCursor(pm, 8, 8);
    }
    default: {
      // Without a direction: the arrows of the directions that can scroll.
      const bool vertical = number != kCursorHorScroll, horizontal = number != kCursorVerScroll;
      return QCursor(DirectionPicture(vertical, horizontal, 20, false), 10, 10);
    }
  }
}
}  // namespace

QString TtlCustomTreeList::PanningPicture() const {
  if (m_state != tsPanning) return QString();
  if (m_pan.vertical && m_pan.horizontal) return QStringLiteral("TLGRID_FULLSCROLLBITMAP");
  return m_pan.vertical ? QStringLiteral("TLGRID_VERSCROLLBITMAP") : QStringLiteral("TLGRID_HORSCROLLBITMAP");
}

int TtlCustomTreeList::PanningCursor() const {
  switch (m_pan.direction) {
    case pdUp: return kCursorUpScroll;
    case pdRight: return kCursorRightScroll;
    case pdDown: return kCursorDownScroll;
    case pdLeft: return kCursorLeftScroll;
    case pdNone: break;
  }
  if (m_pan.vertical && m_pan.horizontal) return kCursorFullScroll;
  return m_pan.horizontal ? kCursorHorScroll : kCursorVerScroll;
}

void TtlCustomTreeList::StartPanning(int x, int y) {
  const bool vertical = ShownCount() > RowsFit();
  const bool horizontal = CanScrollHorizontally();
  if (!vertical && !horizontal) return;
  CloseEditor(true);
  m_state = tsPanning;
  m_pan.origin = TPoint(x, y);
  m_pan.vertical = vertical;
  m_pan.horizontal = horizontal;
  m_pan.leftZone = false;
  m_pan.direction = pdNone;
  m_pan.speed = 0;
  m_pan.ticks = 0;
  // One anchor window per control, hidden between uses: destroying a window
  // the platform may still be telling about (activation) is not safe.
  if (!m_pan.anchor) m_pan.anchor = new TtlPanAnchor(this);
  static_cast<TtlPanAnchor*>(m_pan.anchor)->SetPicture(DirectionPicture(vertical, horizontal, kPanPictureSize));
  const QPoint centre = mapToGlobal(QPoint(x, y));
  m_pan.anchor->move(centre - QPoint(m_pan.anchor->width() / 2, m_pan.anchor->height() / 2));
  m_pan.anchor->show();
  setCursor(PanCursor(PanningCursor()));
  SetMouseCapture(true);
  if (!m_pan.timer) {
    m_pan.timer = new TTimer(this);
    m_pan.timer->OnTimer = [this](TObject*) { PanningTick(); };
  }
  m_pan.timer->SetInterval(kPanInterval);
  m_pan.timer->SetEnabled(true);
}

void TtlCustomTreeList::EndPanning() {
  if (m_state != tsPanning) return;
  m_state = tsNormal;
  m_pan.direction = pdNone;
  if (m_pan.timer) m_pan.timer->SetEnabled(false);
  SetMouseCapture(false);
  unsetCursor();
  if (m_pan.anchor) m_pan.anchor->hide();
}

void TtlCustomTreeList::PanningMove(int x, int y) {
  const int half = kPanPictureSize / 2;
  const int dx = x - m_pan.origin.X, dy = y - m_pan.origin.Y;
  // The neutral zone has no limit along an axis that cannot scroll.
  const bool insideH = !m_pan.horizontal || std::abs(dx) <= half;
  const bool insideV = !m_pan.vertical || std::abs(dy) <= half;
  if (insideH && insideV) {
    m_pan.direction = pdNone;
    m_pan.speed = 0;
  } else {
    m_pan.leftZone = true;
    const bool vertical = m_pan.vertical && (!m_pan.horizontal || std::abs(dy) >= std::abs(dx));
    const int distance = vertical ? std::abs(dy) : std::abs(dx);
    m_pan.direction = vertical ? (dy < 0 ? pdUp : pdDown) : (dx < 0 ? pdLeft : pdRight);
    m_pan.speed = std::clamp((distance - half) / 5 + 1, 1, kMaxPanSpeed);
  }
  setCursor(PanCursor(PanningCursor()));
}

void TtlCustomTreeList::PanningTick() {
  if (m_state != tsPanning) {
    if (m_pan.timer) m_pan.timer->SetEnabled(false);
    return;
  }
  ++m_pan.ticks;
  if (m_pan.direction == pdNone || m_pan.ticks % (kMaxPanSpeed + 1 - m_pan.speed) != 0) return;
  switch (m_pan.direction) {
    case pdUp: SetTopIndex(TopIndex() - 1); break;
    case pdDown: SetTopIndex(TopIndex() + 1); break;
    case pdLeft: case pdRight: ScrollHorizontallyBy(m_pan.direction == pdLeft ? -1 : 1); break;
    case pdNone: break;
  }
}
