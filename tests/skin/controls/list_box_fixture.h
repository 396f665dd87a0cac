#pragma once
// What the list box tests share: numbered items and a window's skinned-menu
// host without the window part.

#include <QStringList>

#include "tests/skin/menus/plain_menu_host.h"

namespace ctltest {

// "item 0", "item 1", ...; with `digits`, the numbers padded with zeros to
// that width (so they sort as numbers).
inline QStringList Numbered(int n, int digits = 0) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << QStringLiteral("item %1").arg(i, digits, 10, QLatin1Char('0'));
  return l;
}

using menutest::MenuHost;

}  // namespace ctltest
