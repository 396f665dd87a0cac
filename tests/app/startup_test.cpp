#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "app/data_module.h"
#include "app/frm_checksub.h"
#include "app/frm_tolmmain.h"
#include "app/startup.h"
#include "db/query.h"
#include "tests/support/bank_fixture.h"
#include "tests/support/test_support.h"
#include "treelist/db_tree_list.h"

TEST(Startup, ConnectionStringIsBuiltExactly) {
  EXPECT_EQ(Tdm::ConnectionStringFor(QStringLiteral("/opt/tolm sys/")),
            QStringLiteral(
                "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Data Source=\"/opt/tolm sys/ength.dll\";"
                "Extended Properties=\"\";Jet OLEDB:System database=\"\";Jet OLEDB:Registry Path=\"\";"
                "Jet OLEDB:Database Password=\"qelvorn\";Jet OLEDB:Engine Type=5;"
                "Jet OLEDB:Database Locking Mode=1;Jet OLEDB:Global Partial Bulk Ops=2;"
                "Jet OLEDB:Global Bulk Transactions=1;Jet OLEDB:New Database Password=\"\";"
                "Jet OLEDB:Create System Database=False;Jet OLEDB:Encrypt Database=False;"
                "Jet OLEDB:Don't Copy Locale on Compact=False;"
                "Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False;"));
}

TEST(Startup, OpensTheBankBesideTheExecutableAndTitlesTheApplication) {
  TempAppFolder folder;
  CreateBank(folder.BankPath(), QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  StartProgram();
  EXPECT_EQ(Application->Title(), QStringLiteral("Tolm真题练习"));
  ASSERT_NE(dm, nullptr);
  EXPECT_TRUE(dm->adocon->Connected());
  EXPECT_FALSE(dm->adocon->LoginPrompt);
  EXPECT_EQ(Application->MainForm(), frm_checksub);
  EXPECT_FALSE(frm_tolmmain->isVisible());
  EXPECT_TRUE(boxes.requests.isEmpty());
  StopProgram();
  EXPECT_EQ(dm, nullptr);
}

namespace {
// Every object of a practice window, by name, class and parent's name, with
// the geometry of the widgets: what the window is made of.
QStringList Makeup(Tfrm_tolmmain* w) {
  QStringList out;
  for (QObject* o : w->findChildren<QObject*>()) {
    QString line = o->objectName() + ' ' + o->metaObject()->className() + ' ' +
                   (o->parent() ? o->parent()->objectName() : QString());
    if (auto* widget = qobject_cast<QWidget*>(o))
      line += QStringLiteral(" %1,%2 %3x%4 %5")
                  .arg(widget->x()).arg(widget->y()).arg(widget->width()).arg(widget->height())
                  .arg(widget->isVisibleTo(w));
    out << line;
  }
  out.sort();
  return out;
}
}  // namespace

TEST(Startup, TheKeptPracticeWindowMakesItsControlsOnlyWhenShownAndThenAsAnyOther) {
  TempAppFolder folder;
  CreateBank(folder.BankPath(), QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes;
  StartProgram();
  Tfrm_tolmmain* kept = frm_tolmmain;
  EXPECT_FALSE(kept->ControlsBuilt());
  EXPECT_EQ(kept->RptLists, nullptr);
  EXPECT_EQ(kept->qry_subject, nullptr);
  EXPECT_EQ(kept->Caption(), QStringLiteral("Tolm练习工具"));
  EXPECT_EQ(kept->ClientRect().Width(), 816);

  Tfrm_tolmmain made;
  kept->BuildControls();
  ASSERT_TRUE(kept->ControlsBuilt());
  EXPECT_EQ(Makeup(kept), Makeup(&made));
  EXPECT_NE(kept->RptLists->DataSource(), made.RptLists->DataSource()) << "each window its own records";
  kept->BuildControls();  // a second call makes nothing twice
  EXPECT_EQ(Makeup(kept), Makeup(&made));

  // Showing a window that was never built builds it first.
  auto* later = new Tfrm_tolmmain(nullptr, true);
  later->FTitleId = QStringLiteral("1");
  later->show();
  EXPECT_TRUE(later->ControlsBuilt());
  EXPECT_TRUE(later->RptLists->isVisible());
  delete later;
  EXPECT_TRUE(boxes.requests.isEmpty());
  StopProgram();
}

namespace {
// Copies the skin folder the build placed beside the program.
void CopyDefaultSkin(const QString& appPath) {
  const QString from = QStringLiteral(TOLMSYS_BIN_DIR "/pic/Modern/");
  QDir().mkpath(appPath + QStringLiteral("pic/Modern"));
  for (const QString& f : QDir(from).entryList(QDir::Files))
    QFile::copy(from + f, appPath + QStringLiteral("pic/Modern/") + f);
}
}  // namespace

TEST(Startup, LoadsTheSkinBesideTheExecutable) {
  TempAppFolder folder;
  CreateBank(folder.BankPath(), QString::fromUtf8(kSmallPaperSql));
  CopyDefaultSkin(folder.Path());
  MessageBoxRecorder boxes;
  StartProgram();
  TsfSkinData* skin = dm->sfSkinData1;
  EXPECT_FALSE(skin->IsEmpty);
  EXPECT_FALSE(skin->IsChanging);
  EXPECT_GE(skin->GetControlIndex(QStringLiteral("button")), 0);
  EXPECT_GE(skin->GetObjectIndex(QStringLiteral("caption")), 0);
  EXPECT_TRUE(skin->SkinnableForm());
  EXPECT_TRUE(skin->EnableSkinEffects);
  EXPECT_TRUE(skin->ShowLayeredBorders());
  EXPECT_FALSE(skin->AnimationForAllWindows);
  EXPECT_EQ(skin->SkinIndex(), 0);
  EXPECT_TRUE(boxes.requests.isEmpty());
  StopProgram();
}

TEST(Startup, SkinFailuresLeaveEmptySkinDataAndStartUpGoesOn) {
  struct Case {
    const char* name;
    bool breakPicture;  // else: no skin file at all
    int expectedBoxes;
  };
  const Case cases[] = {{"missing skin file", false, 0}, {"unreadable picture", true, 1}};
  for (const Case& c : cases) {
    TempAppFolder folder;
    CreateBank(folder.BankPath(), QString::fromUtf8(kSmallPaperSql));
    if (c.breakPicture) {
      CopyDefaultSkin(folder.Path());
      const QString pics = folder.Path() + QStringLiteral("pic/Modern/");
      const QStringList bmps = QDir(pics).entryList({QStringLiteral("*.bmp")}, QDir::Files);
      ASSERT_FALSE(bmps.isEmpty());
      for (const QString& b : bmps) WriteFileBytes(pics + b, QByteArray("not a picture"));
    }
    MessageBoxRecorder boxes;
    StartProgram();
    EXPECT_TRUE(dm->sfSkinData1->IsEmpty) << c.name;
    EXPECT_FALSE(dm->sfSkinData1->IsChanging) << c.name;
    EXPECT_TRUE(dm->adocon->Connected()) << c.name;
    EXPECT_EQ(boxes.requests.size(), c.expectedBoxes) << c.name;
    ASSERT_NE(frm_checksub, nullptr) << c.name;
    StopProgram();
  }
}

TEST(Startup, AMissingBankIsReportedAndEveryLaterStatementReportsItsOwnError) {
  TempAppFolder folder;
  MessageBoxRecorder boxes;
  StartProgram();
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_TRUE(boxes.requests[0].Text.contains(QStringLiteral("unable to open database file")));
  EXPECT_TRUE(boxes.requests[0].Text.contains(folder.BankPath()));
  EXPECT_EQ(boxes.requests[0].Caption, QStringLiteral("Tolm真题练习"));
  EXPECT_FALSE(QFile::exists(folder.BankPath())) << "no empty bank is created";
  EXPECT_TRUE(dm->sfSkinData1->IsEmpty) << "the skin is not loaded without the bank";
  ASSERT_NE(frm_checksub, nullptr) << "start-up goes on";
  TADOQuery q;
  q.SetConnection(dm->adocon);
  q.SQL()->Add(QStringLiteral(" select * from t_title "));
  EXPECT_THROW(q.Open(), Exception);
  StopProgram();
}

// The real program, started from another working directory, finds its bank
// beside itself and shows no error.
TEST(Startup, TheProgramFindsItsFilesFromAnotherWorkingDirectory) {
  TempAppFolder folder;
  QFile::copy(QStringLiteral(TOLMSYS_BIN_DIR "/tolmsys"), folder.Path() + QStringLiteral("tolmsys"));
  QFile::setPermissions(folder.Path() + QStringLiteral("tolmsys"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  CreateBank(folder.BankPath(), QString::fromUtf8(kSmallPaperSql));
  CopyDefaultSkin(folder.Path());
  QTemporaryDir elsewhere;
  QProcess p;
  p.setWorkingDirectory(elsewhere.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("TOLMSYS_SELFTEST"), QStringLiteral("1"));
  p.setProcessEnvironment(env);
  p.start(folder.Path() + QStringLiteral("tolmsys"), {});
  ASSERT_TRUE(p.waitForFinished(20000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  const QString out = QString::fromUtf8(p.readAllStandardOutput());
  EXPECT_TRUE(out.contains(QStringLiteral("bank: connected"))) << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("skin: loaded"))) << out.toStdString();
  EXPECT_TRUE(out.contains(QStringLiteral("application path: ") + folder.Path())) << out.toStdString();
}
