#include "platform/tab_order.h"

#include <QWidget>
#include <algorithm>

#include "platform/control.h"

namespace {
// The windowed siblings of `control` (itself included) in focus-chain order.
QList<QWidget*> TabList(const QWidget* control) {
  QList<QWidget*> list;
  QWidget* parent = control ? control->parentWidget() : nullptr;
  if (!parent) return list;
  QWidget* w = parent->nextInFocusChain();
  while (w && w != parent && !list.contains(w)) {
    if (w->parentWidget() == parent && qobject_cast<TWinControl*>(w)) list << w;
    w = w->nextInFocusChain();
  }
  // Children not reached from the parent (a chain broken by a removed
  // widget) follow in creation order.
  for (QObject* o : parent->children())
    if (auto* c = qobject_cast<TWinControl*>(o); c && !list.contains(c)) list << c;
  return list;
}
}  // namespace

int TabOrderOf(const QWidget* control) {
  const QList<QWidget*> list = TabList(control);
  return int(list.indexOf(const_cast<QWidget*>(control)));
}

void SetTabOrderOf(QWidget* control, int order) {
  QList<QWidget*> list = TabList(control);
  if (list.size() < 2) return;
  list.removeOne(control);
  list.insert(order < 0 ? list.size() : std::min<qsizetype>(order, list.size()), control);
  for (qsizetype i = 0; i + 1 < list.size(); ++i) QWidget::setTabOrder(list[i], list[i + 1]);
}
