// skingallery SKINFOLDER OUT.png
// Lays every skinned control out in its states, drawn from the skin in
// SKINFOLDER and in the default look, and saves the picture (offscreen:
// QT_QPA_PLATFORM=offscreen needs no display).
#include <QTextStream>

#include "platform/application.h"
#include "skin/data/skin_data.h"
#include "tools/skingallery/gallery.h"

int main(int argc, char** argv) {
  TQtApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  QTextStream err(stderr);
  if (args.size() != 2) {
    err << "usage: skingallery SKINFOLDER OUT.png\n";
    return 2;
  }
  TsfSkinData skin;
  try {
    skin.LoadSkinFile(args[0] + QStringLiteral("/skin.ini"));
  } catch (const std::exception& e) {
    err << "skingallery: " << e.what() << "\n";
    return 1;
  }
  if (skin.IsEmpty) {
    err << "skingallery: " << args[0] << ": no skin\n";
    return 1;
  }
  if (!GalleryPicture(&skin).save(args[1], "PNG")) {
    err << "skingallery: cannot write " << args[1] << "\n";
    return 1;
  }
  return 0;
}
