#pragma once
// Checks that a skin folder serves every record the program's windows and
// dialogs ask for, each usable: pictures that load, picture indexes that name
// a picture, rects inside their pictures and the values the windows rely on.

#include <QString>
#include <QStringList>

// One line per broken rule, "SECTION.key: what is wrong"; empty when the skin is sound.
QStringList CheckSkinFolder(const QString& folder);
