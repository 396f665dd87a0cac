#pragma once
// A data-aware tree list whose record set closes and opens again, compared
// with a list opened fresh on the record set as it then is.

#include <functional>

#include "tests/treelist/db_tree_fixture.h"

// Everything a user sees of a forest, in tree order: level, text, key type
// and value, parent key, expansion and the focused node.
inline QString Dump(const TtlDBTreeList& l) {
  QStringList out;
  for (TtlTreeListNode* n = l.Items(0); n; n = n->NextInTree()) {
    auto* d = static_cast<TtlDBTreeListNode*>(n);
    QStringList cells;
    for (int c = 0; c < l.ColumnCount(); ++c) {
      const TNodeVariantData* v = d->VariantData(c);
      cells << d->CellText(c) + QLatin1Char('/') +
                   (v && v->assigned ? v->value.toString() : QStringLiteral("~"));
    }
    out << QStringLiteral("%1 %2 [%3] %4:%5 ^%6%7%8")
               .arg(n->Level())
               .arg(d->CellText(0), cells.join(QLatin1Char('|')),
                    QString::fromLatin1(d->keyValue.typeName() ? d->keyValue.typeName() : "null"),
                    d->keyValue.toString(), d->parentKeyValue.toString(),
                    n->IsExpanded() ? QStringLiteral(" +") : QString(),
                    n == l.FocusedNode() ? QStringLiteral(" *") : QString());
  }
  return out.join(QLatin1Char('\n'));
}

class DbTreeParkedReopen : public DbTreeTest {
 protected:
  // A second list opened on the record set as it is now: what the reopened
  // list must look like.
  QString FreshDump(const std::function<void(TtlDBTreeList&)>& setUp = {}) {
    auto fresh = MakeList(6);
    if (setUp) setUp(*fresh);
    fresh->SetDataSource(nullptr);
    fresh->SetDataSource(&source);
    return Dump(*fresh);
  }
};

