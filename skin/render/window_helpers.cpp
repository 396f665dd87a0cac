#include "skin/render/window_helpers.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <limits>

namespace {
const char* const kPaintCopy = "sfPaintingCopy";

// Sets a widget's paint-copy mark for the life of the object.
class PaintCopyMark {
 public:
  explicit PaintCopyMark(QWidget* w) : m_widget(w) { m_widget->setProperty(kPaintCopy, true); }
  ~PaintCopyMark() { m_widget->setProperty(kPaintCopy, QVariant()); }

 private:
  QWidget* m_widget;
};

// Restores the painter's state on every path.
class PainterState {
 public:
  explicit PainterState(QPainter* p) : m_painter(p) { m_painter->save(); }
  ~PainterState() { m_painter->restore(); }

 private:
  QPainter* m_painter;
};
}  // namespace

bool IsPaintingCopy(const QWidget* widget) {
  return widget && widget->property(kPaintCopy).toBool();
}

void DrawParentBackground(TControl* control, TCanvas* canvas) {
  if (!control || !canvas) return;
  QWidget* parent = control->parentWidget();
  if (!parent) return;
  QPainter* p = canvas->Painter();
  if (!p) return;
  PaintCopyMark parentMark(parent);
  {
    // The parent alone, without its children, moved under the control.
    PainterState state(p);
    p->translate(-control->x(), -control->y());
    p->setClipRect(QRect(0, 0, parent->width(), parent->height()), Qt::IntersectClip);
    parent->render(p, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  }
  // Windowless siblings painted before the control show through it too.
  const QRect own = control->geometry();
  for (QObject* child : parent->children()) {
    if (child == control) break;
    auto* sibling = qobject_cast<TGraphicControl*>(child);
    if (!sibling || !sibling->isVisibleTo(parent) || !sibling->geometry().intersects(own)) continue;
    PaintCopyMark mark(sibling);
    PainterState state(p);
    p->translate(sibling->x() - control->x(), sibling->y() - control->y());
    p->setClipRect(QRect(0, 0, sibling->width(), sibling->height()), Qt::IntersectClip);
    sibling->render(p, QPoint(), QRegion(),
                    QWidget::DrawWindowBackground | QWidget::DrawChildren);
  }
}

namespace {
std::optional<TScreenAreas>& ScreenAreasOverride() {
  static std::optional<TScreenAreas> areas;
  return areas;
}
}  // namespace

void OverrideScreenAreas(std::optional<TScreenAreas> areas) { ScreenAreasOverride() = areas; }

void GetWorkArea(const QWidget* window, bool workArea, TRect& rect) {
  if (const auto& o = ScreenAreasOverride()) {
    rect = workArea ? o->Work : o->Monitor;
    return;
  }
  QScreen* screen = QGuiApplication::primaryScreen();
  const QList<QScreen*> screens = QGuiApplication::screens();
  if (window && screens.size() > 1) {
    // The monitor nearest to the window's centre.
    const QPoint centre = window->frameGeometry().center();
    qint64 best = std::numeric_limits<qint64>::max();
    for (QScreen* s : screens) {
      const QRect g = s->geometry();
      const qint64 dx = centre.x() < g.left() ? g.left() - centre.x()
                        : centre.x() > g.right() ? centre.x() - g.right() : 0;
      const qint64 dy = centre.y() < g.top() ? g.top() - centre.y()
                        : centre.y() > g.bottom() ? centre.y() - g.bottom() : 0;
      if (dx * dx + dy * dy < best) {
        best = dx * dx + dy * dy;
        screen = s;
      }
    }
  }
  if (!screen) {
    rect = TRect();
    return;
  }
  if (workArea) {
    rect = TRect::fromQRect(screen->availableGeometry());
  } else if (screens.size() > 1) {
    rect = TRect::fromQRect(screen->geometry());
  } else {
    rect = TRect(0, 0, screen->geometry().width(), screen->geometry().height());
  }
}
