#pragma once
// Replacement texts for menus, hints and dialogs of skinned windows, as lines
// of a name, "=" and a text. A new object holds the built-in English texts.

#include <QStringList>

#include "platform/component.h"

class TsfResourceStrData : public TComponent {
  Q_OBJECT
 public:
  explicit TsfResourceStrData(QObject* owner = nullptr);

  QStringList ResStrings;
  int CharSet = 1;  // the platform's default character set

  // The text of the first line whose name equals `name` ignoring case, or "".
  QString GetResString(const QString& name) const;
};

// The built-in lines, the ones a new TsfResourceStrData holds.
const QStringList& DefaultResStrings();
// Looks `name` up in `lines` the way GetResString does.
QString FindResString(const QStringList& lines, const QString& name);
