// The practice window kept from start-up, which makes its controls only
// when needed: its handlers called before that, showing it from its own
// handlers, and practices started and ended around it while it stays unmade.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <exception>
#include <functional>

#include "app/data_module.h"
#include "app/frm_checksub.h"
#include "app/frm_tolmmain.h"
#include "db/query.h"
#include "skin/controls/skin_button.h"
#include "skin/controls/skin_panel.h"
#include "treelist/db_tree_list.h"
#include "tests/app/app_fixture.h"

namespace {

void Click(QWidget* w) {
  QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(w->width() / 2, w->height() / 2));
  QApplication::processEvents();
}

QString Count(const ProgramInFolder& program, const char* table) {
  return program.Value(QStringLiteral("select count(*) from ") + QString::fromLatin1(table));
}

}  // namespace

TEST(KeptPracticeWindow, EveryHandlerCalledBeforeTheControlsExistMakesThemFirst) {
  struct Case {
    const char* name;
    std::function<void(Tfrm_tolmmain*)> call;
  };
  const Case cases[] = {
      {"next", [](Tfrm_tolmmain* w) { w->sfSkinButton6Click(w); }},
      {"previous", [](Tfrm_tolmmain* w) { w->sfSkinButton4Click(w); }},
      {"save", [](Tfrm_tolmmain* w) { w->sfSkinButton3Click(w); }},
      {"explanation", [](Tfrm_tolmmain* w) { w->sfSkinButton5Click(w); }},
      {"page choice", [](Tfrm_tolmmain* w) { w->RptListsClick(w); }},
      {"row display", [](Tfrm_tolmmain* w) { w->RptListsDblClick(w); }},
      {"score", [](Tfrm_tolmmain* w) { w->sfSkinButton2Click(w); }},
      {"rows of the exercise", [](Tfrm_tolmmain* w) { w->InitExerResult(); }},
      {"show handler", [](Tfrm_tolmmain* w) { w->FormShow(w); }},
  };
  // What a call does: the message of what it threw, else nothing.
  auto outcome = [](const std::function<void()>& call) {
    try {
      call();
    } catch (const std::exception& e) {
      return QString::fromUtf8(e.what());
    }
    return QString();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
    MessageBoxRecorder boxes(IDYES);
    Tfrm_tolmmain* kept = frm_tolmmain;
    ASSERT_FALSE(kept->ControlsBuilt());
    // The same call on a window made whole from the start, not shown either.
    QString made;
    {
      Tfrm_tolmmain whole;
      whole.FTitleId = QStringLiteral("1");
      whole.FExerId = QStringLiteral("1");
      made = outcome([&] { c.call(&whole); });
    }
    kept->FTitleId = QStringLiteral("1");
    kept->FExerId = QStringLiteral("1");
    EXPECT_EQ(outcome([&] { c.call(kept); }), made);
    EXPECT_TRUE(kept->ControlsBuilt());
    ASSERT_NE(kept->qry_subject, nullptr);
    EXPECT_NE(kept->sfSkinButton6->OnClick, nullptr) << "the handlers are wired as when shown";
    EXPECT_FALSE(kept->isVisible());
  }
}

TEST(KeptPracticeWindow, ShowingItAgainFromItsOwnShowHandlerBuildsOnceAndStartsOnce) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes(IDYES);
  Tfrm_tolmmain* kept = frm_tolmmain;
  kept->FTitleId = QStringLiteral("1");
  kept->BuildControls();
  int shows = 0;
  auto started = kept->OnShow;
  kept->OnShow = [&](TObject* s) {
    ++shows;
    started(s);
    kept->Show();  // again, from within
    kept->BuildControls();
  };
  kept->Show();
  QApplication::processEvents();
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(Count(program, "t_exercise"), QStringLiteral("1"));
  EXPECT_TRUE(kept->RptLists->isVisible());
  kept->OnCloseQuery = nullptr;
  kept->Hide();
}

TEST(KeptPracticeWindow, PractisesStartedAndLeftOneAfterAnotherLeaveItUnmadeAndTheStoreClean) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes(IDYES);
  Tfrm_tolmmain* kept = frm_tolmmain;
  frm_checksub->Show();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    QPointer<Tfrm_tolmmain> shown;
    QTimer::singleShot(0, [&] {
      shown = frm_tolmmain;
      ASSERT_NE(shown.data(), kept);
      Click(shown->sfSkinButton6);  // the first question
      Click(shown->sfSkinButton1);  // back to the menu, answered Yes
    });
    Click(frm_checksub->sfSkinButton1);  // start
    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(frm_tolmmain, kept);
    EXPECT_FALSE(kept->ControlsBuilt());
    EXPECT_EQ(Count(program, "t_exercise"), QStringLiteral("0"));
    EXPECT_EQ(Count(program, "t_exerresult"), QStringLiteral("0"));
  }
}

TEST(KeptPracticeWindow, AStartFromWithinARunningPractiseNestsAndUnwindsToTheKeptWindow) {
  ProgramInFolder program(QString::fromUtf8(kSmallPaperSql));
  MessageBoxRecorder boxes(IDYES);
  Tfrm_tolmmain* kept = frm_tolmmain;
  frm_checksub->Show();
  QPointer<Tfrm_tolmmain> outer, inner;
  Tfrm_tolmmain* outerWindow = nullptr;
  Tfrm_tolmmain* innerWindow = nullptr;
  Tfrm_tolmmain* afterInner = nullptr;
  QTimer::singleShot(0, [&] {
    outer = outerWindow = frm_tolmmain;
    QTimer::singleShot(0, [&] {
      inner = innerWindow = frm_tolmmain;
      inner->Close();
    });
    frm_checksub->sfSkinButton1Click(nullptr);  // a second start while the first runs
    afterInner = frm_tolmmain;
    outer->Close();
  });
  frm_checksub->sfSkinButton1Click(nullptr);
  ASSERT_NE(outerWindow, nullptr);
  ASSERT_NE(innerWindow, nullptr);
  EXPECT_NE(innerWindow, outerWindow);
  EXPECT_NE(innerWindow, kept);
  EXPECT_EQ(afterInner, outerWindow) << "the inner practice hands the name back to the outer one";
  EXPECT_TRUE(outer.isNull());
  EXPECT_TRUE(inner.isNull());
  EXPECT_EQ(frm_tolmmain, kept);
  EXPECT_FALSE(kept->ControlsBuilt());
  EXPECT_EQ(Count(program, "t_exercise"), QStringLiteral("0"));
}
