// The host open dialog: the settings it is given, typed names, regular files
// only, cancelling.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "platform/open_dialog.h"

namespace {

// Runs Execute with `answer` driving the dialog once it is up.
bool ExecuteWith(TOpenDialog& d, std::function<void(QFileDialog*)> answer) {
  TOpenDialog::OnDialogShown() = std::move(answer);
  const bool ok = d.Execute();
  TOpenDialog::OnDialogShown() = nullptr;
  return ok;
}

// Types a name into the name box and clicks "Open".
void TypeAndOpen(QFileDialog* dialog, const QString& name) {
  auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(edit, nullptr);
  edit->setFocus();
  QTest::keyClicks(edit, name);
  if (edit->completer() && edit->completer()->popup()->isVisible())
    QTest::keyClick(edit->completer()->popup(), Qt::Key_Escape);
  auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
  ASSERT_NE(buttons, nullptr);
  QTest::mouseClick(buttons->button(QDialogButtonBox::Open), Qt::LeftButton);
}

TOpenDialog* BankDialog(QObject* owner) {
  auto* d = new TOpenDialog(owner);
  d->Filter = QStringLiteral("zk|*.zk");
  d->DefaultExt = QStringLiteral("zk");
  return d;
}

}  // namespace

TEST(OpenDialog, HostFiltersBecomeQtNameFilters) {
  EXPECT_EQ(TOpenDialog::NameFilters(QStringLiteral("zk|*.zk")), QStringList{QStringLiteral("zk (*.zk)")});
  EXPECT_EQ(TOpenDialog::NameFilters(QStringLiteral("Banks|*.zk;*.dll|All files|*.*")),
            (QStringList{QStringLiteral("Banks (*.zk *.dll)"), QStringLiteral("All files (*.*)")}));
  EXPECT_TRUE(TOpenDialog::NameFilters(QString()).isEmpty());
}

TEST(OpenDialog, ATypedNameWithoutExtensionFindsTheBankAndTheSettingsHold) {
  QTemporaryDir dir;
  QFile::copy(QStringLiteral(TOLMSYS_SOURCE_DIR "/content/bank_schema.sql"), dir.filePath("papers.zk"));
  QObject owner;
  TOpenDialog* d = BankDialog(&owner);
  d->InitialDir = dir.path();
  QString title, filter;
  QDir::Filters filters;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  bool native = true;
  EXPECT_TRUE(ExecuteWith(*d, [&](QFileDialog* dialog) {
    title = dialog->windowTitle();
    filter = dialog->selectedNameFilter();
    filters = dialog->filter();
    mode = dialog->fileMode();
    native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
    TypeAndOpen(dialog, QStringLiteral("papers"));
  }));
  EXPECT_EQ(title, QStringLiteral("Open file"));
  EXPECT_EQ(filter, QStringLiteral("zk (*.zk)"));
  EXPECT_FALSE(filters & QDir::Hidden) << "hidden files are not shown";
  EXPECT_FALSE(filters & QDir::System) << "no devices, pipes or sockets";
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_FALSE(native);
  EXPECT_EQ(d->FileName(), QDir(dir.path()).absoluteFilePath(QStringLiteral("papers.zk")));
  EXPECT_EQ(d->Files(), QStringList{d->FileName()});
  EXPECT_EQ(d->FilterIndex, 1);
}

TEST(OpenDialog, APipeNamedLikeABankIsRefusedAndCancelKeepsTheLastName) {
  QTemporaryDir dir;
  ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe.zk")).constData(), 0600), 0);
  QObject owner;
  TOpenDialog* d = BankDialog(&owner);
  d->SetFileName(dir.filePath(QStringLiteral("earlier.zk")));  // its folder is where the dialog starts
  bool stillOpen = false;
  EXPECT_FALSE(ExecuteWith(*d, [&](QFileDialog* dialog) {
    TypeAndOpen(dialog, QStringLiteral("pipe.zk"));
    stillOpen = dialog->isVisible();
    QTest::keyClick(dialog, Qt::Key_Escape);
  }));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(d->FileName(), dir.filePath(QStringLiteral("earlier.zk")));
}
