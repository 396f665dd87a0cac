#include "platform/open_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include "platform/application.h"

namespace {

// Accepts regular files only: a directory, a link to one, a device or a pipe
// chosen by name is refused and the dialog stays open.
class TRegularFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;
  void accept() override {
    const QStringList chosen = selectedFiles();
    for (const QString& f : chosen) {
      const QFileInfo info(f);
      if (info.exists() && !info.isDir() && !info.isFile()) return;  // device, pipe, socket
    }
    QFileDialog::accept();
  }
};

}  // namespace

TOpenDialog::TOpenDialog(QObject* owner) : TComponent(owner) {}

TOpenDialog::~TOpenDialog() { delete m_dialog; }

std::function<void(QFileDialog*)>& TOpenDialog::OnDialogShown() {
  static std::function<void(QFileDialog*)> hook;
  return hook;
}

QStringList TOpenDialog::NameFilters(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString masks = parts[i + 1];
    masks.replace(';', ' ');
    out << QStringLiteral("%1 (%2)").arg(parts[i], masks);
  }
  return out;
}

QString TOpenDialog::StartFolder() const {
  const QFileInfo current(m_fileName);
  if (!m_fileName.isEmpty() && current.path() != QStringLiteral(".") && QDir(current.path()).exists())
    return current.path();
  if (!InitialDir.isEmpty() && QDir(InitialDir).exists()) return InitialDir;
  return GetApplicationPath();
}

bool TOpenDialog::Execute() {
  TRegularFileDialog dialog(nullptr, Title, StartFolder());
  m_dialog = &dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(MultiSelection ? QFileDialog::ExistingFiles
                                    : (CheckFileExists ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
  // Folders to move through and regular files; no devices, pipes or sockets.
  QDir::Filters filters = QDir::AllDirs | QDir::Files | QDir::Drives | QDir::NoDot;
  if (ShowHiddenFiles) filters |= QDir::Hidden;
  dialog.setFilter(filters);
  const QStringList names = NameFilters(Filter);
  dialog.setNameFilters(names);
  if (FilterIndex >= 1 && FilterIndex <= names.size()) dialog.selectNameFilter(names[FilterIndex - 1]);
  dialog.setDefaultSuffix(DefaultExt);
  if (auto& hook = OnDialogShown()) {
    QTimer::singleShot(0, &dialog, [&dialog, &hook] {
      if (hook) hook(&dialog);
    });
  }
  const bool accepted = dialog.exec() == QDialog::Accepted;
  m_dialog = nullptr;
  if (!accepted) return false;
  QStringList chosen;
  for (const QString& f : dialog.selectedFiles())
    if (QFileInfo(f).isFile()) chosen << QFileInfo(f).absoluteFilePath();
  if (chosen.isEmpty()) return false;
  FilterIndex = std::max(1, int(names.indexOf(dialog.selectedNameFilter())) + 1);
  m_files = chosen;
  m_fileName = chosen.first();
  return true;
}
