#pragma once
// TOpenDialog: the host's file-open dialog, over Qt's own (non-native) file
// dialog so it looks and behaves the same everywhere. It keeps the interface
// the skinned open dialog offers (Execute, FileName), so a window can use
// either without change.

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <functional>

#include "platform/component.h"

class TOpenDialog : public TComponent {
  Q_OBJECT
 public:
  explicit TOpenDialog(QObject* owner = nullptr);
  ~TOpenDialog() override;

  QString Title = QStringLiteral("Open file");
  // Description and mask pairs separated by "|", e.g. "zk|*.zk".
  QString Filter = QStringLiteral("All files|*.*");
  int FilterIndex = 1;
  // Appended after a "." to a typed name without extension.
  QString DefaultExt;
  bool CheckFileExists = true;
  bool MultiSelection = false;
  bool ShowHiddenFiles = false;
  // Start folder when FileName has no folder; empty: the executable's folder.
  QString InitialDir;

  // The chosen file, a full path, after a successful Execute; its folder is
  // where the next Execute starts.
  QString FileName() const { return m_fileName; }
  void SetFileName(const QString& name) { m_fileName = name; }
  QStringList Files() const { return m_files; }

  // Shows the dialog modally; true when a regular file was accepted.
  bool Execute();

  // Called with the dialog once it is shown (tests drive it from here).
  static std::function<void(QFileDialog*)>& OnDialogShown();
  // The dialog while Execute runs.
  QFileDialog* Dialog() const { return m_dialog; }

  // Qt's name filters for a host filter text: "zk|*.zk" gives "zk (*.zk)".
  static QStringList NameFilters(const QString& filter);

 private:
  QString StartFolder() const;

  QString m_fileName;
  QStringList m_files;
  QPointer<QFileDialog> m_dialog;
};
