#include "platform/tab_order.h"

#include <QVariant>
#include <QWidget>
#include <algorithm>

#include "platform/control.h"

namespace {
// A control's place once set; controls created afterwards follow the set
// ones. Qt's focus chain only orders widgets that take the focus, so the
// place of the others is kept here.
const char* const kTabOrderProperty = "tolmsysTabOrder";

// The windowed siblings of `control` (itself included) in tab order.
QList<QWidget*> TabList(const QWidget* control) {
  QList<QWidget*> list;
  QWidget* parent = control ? control->parentWidget() : nullptr;
  if (!parent) return list;
  QWidget* w = parent->nextInFocusChain();
  while (w && w != parent && !list.contains(w)) {
    if (w->parentWidget() == parent && qobject_cast<TWinControl*>(w)) list << w;
    w = w->nextInFocusChain();
  }
  for (QObject* o : parent->children())
    if (auto* c = qobject_cast<TWinControl*>(o); c && !list.contains(c)) list << c;
  auto key = [&list](QWidget* w) {
    const QVariant v = w->property(kTabOrderProperty);
    return v.isValid() ? qint64(v.toInt()) : (qint64(1) << 32) + list.indexOf(w);
  };
  std::vector<std::pair<qint64, QWidget*>> keyed;
  for (QWidget* w : list) keyed.emplace_back(key(w), w);
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  list.clear();
  for (const auto& k : keyed) list << k.second;
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
  QWidget* previous = nullptr;
  for (qsizetype i = 0; i < list.size(); ++i) {
    list[i]->setProperty(kTabOrderProperty, int(i));
    // The Tab key visits the focusable ones in this order.
    if (list[i]->focusPolicy() & Qt::TabFocus) {
      if (previous) QWidget::setTabOrder(previous, list[i]);
      previous = list[i];
    }
  }
}
