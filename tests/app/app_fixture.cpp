#include "tests/app/app_fixture.h"

#include <QDir>
#include <QFile>
#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLineEdit>
#include <QTest>

#include "app/frm_checksub.h"
#include "app/startup.h"

ProgramInFolder::ProgramInFolder(const QString& bankSql, bool withSkin) {
  if (bankSql.isEmpty())
    QFile::copy(QStringLiteral(TOLMSYS_BIN_DIR "/ength.dll"), Bank());
  else
    CreateBank(Bank(), bankSql);
  QFile::setPermissions(Bank(), QFile::ReadOwner | QFile::WriteOwner);
  if (withSkin) {
    const QString from = QStringLiteral(TOLMSYS_BIN_DIR "/pic/Modern/");
    QDir().mkpath(Path() + QStringLiteral("pic/Modern"));
    for (const QString& f : QDir(from).entryList(QDir::Files))
      QFile::copy(from + f, Path() + QStringLiteral("pic/Modern/") + f);
  }
  StartProgram();
}

ProgramInFolder::~ProgramInFolder() { StopProgram(); }

void AnswerOpenDialog(QFileDialog* dialog, const QString& path) {
  auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  if (!edit || path.isEmpty()) {
    QTest::keyClick(dialog, Qt::Key_Escape);
    return;
  }
  edit->setFocus();
  QTest::keyClicks(edit, path);
  // The name box completes as one types; its list would take an Enter, so
  // the user closes it and clicks "Open".
  if (edit->completer() && edit->completer()->popup()->isVisible())
    QTest::keyClick(edit->completer()->popup(), Qt::Key_Escape);
  auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  QPushButton* open = buttons ? buttons->button(QDialogButtonBox::Open) : nullptr;
  if (open)
    QTest::mouseClick(open, Qt::LeftButton);
  else
    QTest::keyClick(edit, Qt::Key_Return);
}
