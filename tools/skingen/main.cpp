// skingen FOLDER          writes the default skin into FOLDER
// skingen --check FOLDER  checks the skin in FOLDER and lists each broken rule
// skingen --logo FILE     writes the program's logo picture
#include <QGuiApplication>
#include <QTextStream>

#include "tools/skingen/default_skin.h"
#include "tools/skingen/logo.h"
#include "tools/skingen/skin_check.h"

int main(int argc, char** argv) {
  // The logo's lettering needs fonts, hence a GUI application; no display is used.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QStringList args = app.arguments().mid(1);
  QTextStream err(stderr), out(stdout);
  if (args.size() == 2 && args[0] == QLatin1String("--check")) {
    const QStringList problems = CheckSkinFolder(args[1]);
    for (const QString& p : problems) err << "skingen: " << p << "\n";
    if (problems.isEmpty()) out << "skingen: " << args[1] << ": skin is sound\n";
    return problems.isEmpty() ? 0 : 1;
  }
  if (args.size() == 2 && args[0] == QLatin1String("--logo")) {
    QString error;
    if (WriteLogo(args[1], &error)) return 0;
    err << "skingen: " << error << "\n";
    return 1;
  }
  if (args.size() != 1 || args[0].startsWith(QLatin1String("-"))) {
    err << "usage: skingen FOLDER | skingen --check FOLDER | skingen --logo FILE\n";
    return 2;
  }
  QString error;
  if (!WriteDefaultSkin(args[0], &error)) {
    err << "skingen: " << error << "\n";
    return 1;
  }
  return 0;
}
