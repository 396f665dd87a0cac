#include "skin/controls/skin_changeable.h"

#include <QObject>
#include <QPointer>
#include <deque>

void ForEachSkinnedControl(QObject* root, const std::function<void(ISkinChangeable&)>& visit) {
  if (!root) return;
  std::deque<QPointer<QObject>> pending;
  for (QObject* child : root->children()) pending.emplace_back(child);
  while (!pending.empty()) {
    QPointer<QObject> object = pending.front();
    pending.pop_front();
    if (!object) continue;  // destroyed by an earlier visitor
    if (auto* skinned = dynamic_cast<ISkinChangeable*>(object.data())) visit(*skinned);
    if (!object) continue;
    for (QObject* child : object->children()) pending.emplace_back(child);
  }
}
