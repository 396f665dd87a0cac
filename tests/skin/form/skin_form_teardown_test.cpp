// Skinned windows whose own handlers tear down, reload or reopen what called
// them, skin data that goes away under a shown window, and windows destroyed
// in the middle of a menu or a mouse loop. Run under the sanitizers these
// catch use after free; the expectations state what must be left behind.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "platform/application.h"
#include "skin/form/skin_form.h"
#include "tests/skin/form/form_fixture.h"

namespace {

using formtest::Centre;
using formtest::Hover;
using formtest::PixelAt;

using formtest::FlushDeletes;

class TeardownTest : public ::testing::Test {
 public:
  void SetUp() override {
    form = new TForm();
    form->SetCaption(QStringLiteral("Tiny"));
    skinner = new TsfSkinForm(form);
    skinner->SetSkinData(skin.data.get());
    form->setGeometry(100, 100, 300, 200);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  }
  void TearDown() override {
    delete form.data();
    FlushDeletes();
  }
  TRect Button(int command) {
    TsfSkinStdButtonObject* b = skinner->FindButton(command);
    return b ? b->ObjectRect : TRect();
  }
  void Click(const TRect& r) {
    Hover(form, Centre(r));
    QTest::mouseClick(form, Qt::LeftButton, {}, Centre(r));
  }
  // A window command in the system menu: a line of our own on top of the default ones.
  TMenuItem* AddSystemCommand(const QString& caption, TNotifyEvent onClick) {
    if (!skinner->SystemMenu) skinner->SystemMenu = new TPopupMenu(form);
    TMenuItem* item = NewMenuItem(skinner->SystemMenu, QString(), caption, std::move(onClick));
    skinner->SystemMenu->Items()->Add(item);
    return item;
  }
  // Clicks the line captioned `caption` of the deepest pop-up with the mouse.
  // (Menus open beside the window: the pointer finds the topmost window there.)
  bool ClickLine(const QString& caption) {
    TsfSkinPopupWindow* p = skinner->SkinMenu()->Deepest();
    if (!p) return false;
    for (const TsfSkinMenuItem& line : p->Items())
      if (line.MenuItem && line.MenuItem->Caption == caption) {
        const QPoint at = Centre(line.ItemRect);
        Hover(p, at);
        QTest::mouseClick(p, Qt::LeftButton, {}, at);
        return true;
      }
    return false;
  }

  formtest::TinySkin skin;
  QPointer<TForm> form;
  QPointer<TsfSkinForm> skinner;
};

// ---- menu commands that destroy what shows them --------------------------------

TEST_F(TeardownTest, MenuCommandsMayDestroyTheFormTheSkinnerOrTheirOwnMenu) {
  struct Case {
    const char* what;
    std::function<void(TeardownTest&)> command;
  } cases[] = {
      {"deletes the form", [](TeardownTest& t) { delete t.form.data(); }},
      {"deletes the skinner", [](TeardownTest& t) { delete t.skinner.data(); }},
      {"deletes the system menu that owns the line",
       [](TeardownTest& t) { delete t.skinner->SystemMenu.data(); }},
      {"reopens the system menu", [](TeardownTest& t) { t.skinner->PopupSystemMenu(450, 150); }},
      {"loads the skin again", [](TeardownTest& t) {
         t.skin.data->LoadSkinFile(t.skin.dir.filePath("skin.ini"));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!form) SetUp();
    int ran = 0;
    QString after;
    AddSystemCommand(QStringLiteral("&Tear down"), [this, &c, &ran, &after](TObject*) {
      c.command(*this);
      // The handler goes on with its own captures after the teardown.
      ++ran;
      after = QStringLiteral("done");
    });
    skinner->PopupSystemMenu(450, 150);
    ASSERT_TRUE(ClickLine(QStringLiteral("&Tear down")));
    FlushDeletes();
    EXPECT_EQ(ran, 1);
    EXPECT_EQ(after, QStringLiteral("done"));
    if (skinner) {
      EXPECT_EQ(skinner->InMenu(), skinner->SkinMenu()->IsShowing())
          << "menu mode ends with the menu, no key stays swallowed";
      if (!skinner->SkinMenu()->IsShowing()) {
        EXPECT_EQ(skinner->SkinMenu()->PopupCount(), 0);
      }
      skinner->SkinMenu()->CloseAll();
    }
    delete form.data();
    FlushDeletes();
  }
}

TEST_F(TeardownTest, ADefaultCommandWhoseHandlerReopensTheSystemMenu) {
  // Maximising runs OnMaximize, which opens the system menu again: the lines
  // of the menu that ran the command are rebuilt while that command runs.
  int reopened = 0;
  skinner->OnMaximize = [this, &reopened](TObject*) {
    skinner->PopupSystemMenu(450, 150);
    ++reopened;
  };
  skinner->PopupSystemMenu(450, 150);
  ASSERT_TRUE(ClickLine(QStringLiteral("Ma&ximize")));
  FlushDeletes();
  EXPECT_EQ(reopened, 1);
  EXPECT_EQ(skinner->SkinWindowState(), wsMaximized);
  ASSERT_TRUE(skinner->SkinMenu()->IsShowing());
  QTest::keyClick(form, Qt::Key_R);  // "&Restore" from the reopened menu
  FlushDeletes();
  EXPECT_EQ(skinner->SkinWindowState(), wsNormal);
  EXPECT_FALSE(skinner->InMenu());
}

// ---- caption buttons whose handlers close, reload or destroy ---------------------

TEST_F(TeardownTest, CaptionButtonHandlersMayReloadTheSkinOrDestroyTheWindow) {
  struct Case {
    const char* what;
    int button;
    std::function<void(TeardownTest&)> install;
  } cases[] = {
      {"roll-up reloads the skin", 5,
       [](TeardownTest& t) {
         t.skinner->OnChangeRollUpState = [&t](TObject*) {
           t.skin.data->LoadSkinFile(t.skin.dir.filePath("skin.ini"));
         };
       }},
      {"maximise reloads the skin", 1,
       [](TeardownTest& t) {
         t.skinner->OnMaximize = [&t](TObject*) {
           t.skin.data->LoadSkinFile(t.skin.dir.filePath("skin.ini"));
         };
       }},
      {"minimise deletes the skinner", 2,
       [](TeardownTest& t) {
         t.skinner->OnMinimize = [&t](TObject*) { delete t.skinner.data(); };
       }},
      {"roll-up deletes the form", 5,
       [](TeardownTest& t) {
         t.skinner->OnChangeRollUpState = [&t](TObject*) { delete t.form.data(); };
       }},
      {"close frees the form", 0,
       [](TeardownTest& t) {
         t.form->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
       }},
      {"close deletes the skinner", 0,
       [](TeardownTest& t) {
         t.form->OnClose = [&t](TObject*, TCloseAction&) { delete t.skinner.data(); };
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (!form) SetUp();
    c.install(*this);
    Click(Button(c.button));
    FlushDeletes();
    if (form) {
      // The window still answers the mouse.
      Hover(form, QPoint(150, 15));
      QTest::mouseClick(form, Qt::LeftButton, {}, QPoint(150, 15));
    }
    delete form.data();
    FlushDeletes();
  }
}

// ---- skin data that goes away or changes under a shown window ----------------------

TEST_F(TeardownTest, DestroyedSkinDataLeavesTheDefaultFrame) {
  skinner->PopupSystemMenu(450, 150);
  skin.data.reset();
  EXPECT_EQ(skinner->SkinData(), nullptr);
  EXPECT_FALSE(skinner->SkinSupport());
  // The frame, the hit test, a resize and the buttons work without it.
  EXPECT_FALSE(form->grab().isNull());
  form->resize(420, 260);
  EXPECT_EQ(form->ClientArea()->geometry(), QRect(3, 22, 414, 235));
  EXPECT_EQ(skinner->HitTest(0, 100), HTLEFT);
  ASSERT_NE(skinner->FindButton(0), nullptr);
  Hover(form, Centre(Button(1)));
  skinner->SkinMenu()->CloseAll();
  Click(Button(1));
  EXPECT_EQ(skinner->SkinWindowState(), wsMaximized);
  EXPECT_FALSE(form->grab().isNull());
}

TEST_F(TeardownTest, HostileSkinsLoadedUnderAShownWindow) {
  // Each replaces one line of the tiny skin's text.
  const struct {
    const char* what;
    const char* from;
    const char* to;
  } cases[] = {
      {"client rect beyond the picture", "clientrect=10,30,90,95", "clientrect=-50,-40,900,9000"},
      {"empty client rect", "clientrect=10,30,90,95", "clientrect=50,50,50,50"},
      {"points beyond the picture", "rightbottompoint=80,95", "rightbottompoint=5000,-300"},
      {"points crossed", "lefttoppoint=20,30", "lefttoppoint=90,99"},
      {"mask area beyond the picture", "maskrectarea=10,30,90,95", "maskrectarea=-10,-10,400,400"},
      {"mask area inverted", "maskrectarea=10,30,90,95", "maskrectarea=90,95,10,30"},
      {"button outside its picture", "skinrect=0,0,16,16", "skinrect=4000,4000,4100,4100"},
      {"button of negative size", "skinrect=0,16,16,32", "skinrect=16,32,0,16"},
      {"caption text far outside", "textrect=0,0,60,30", "textrect=-900,-900,90000,90000"},
      {"buttons rect huge", "buttonsrect=60,7,88,23", "buttonsrect=-99999,0,99999,99999"},
      {"huge border width", "borderwidth=3", "borderwidth=2000000000"},
      {"negative border width", "borderwidth=3", "borderwidth=-2000000000"},
      {"hit test corners crossed", "hittestlefttoppoint=6,6", "hittestlefttoppoint=99,99"},
  };
  const QByteArray original = formtest::kSkinText;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    QByteArray text = original;
    ASSERT_TRUE(text.contains(c.from));
    text.replace(c.from, c.to);
    WriteFileBytes(skin.dir.filePath("skin.ini"), text);
    try {
      skin.data->LoadSkinFile(skin.dir.filePath("skin.ini"));
    } catch (const std::exception&) {
      // A refused skin is fine: the window keeps working on the default frame.
    }
    for (QSize size : {QSize(300, 200), QSize(1, 1), QSize(2400, 1600), QSize(101, 36)}) {
      form->resize(size);
      const QRect client = form->ClientArea()->geometry();
      EXPECT_TRUE(QRect(QPoint(0, 0), form->size()).contains(client) || client.isEmpty())
          << size.width() << "x" << size.height();
      EXPECT_FALSE(form->grab().isNull());
      for (int y = -1; y <= form->height(); y += std::max(1, form->height() / 7))
        for (int x = -1; x <= form->width(); x += std::max(1, form->width() / 9))
          skinner->HitTest(x, y);
    }
    form->resize(300, 200);
    Hover(form, QPoint(150, 15));
    Hover(form, Centre(Button(1)));
  }
}

TEST_F(TeardownTest, MasksOfAnotherSizeThanTheFramePicture) {
  for (QSize maskSize : {QSize(1, 1), QSize(40, 20), QSize(600, 500)}) {
    SCOPED_TRACE(maskSize.width());
    QImage mask(maskSize, QImage::Format_RGB32);
    mask.fill(qRgb(0, 0, 0));
    mask.setPixel(0, 0, qRgb(255, 255, 255));
    mask.save(skin.dir.filePath("mask.bmp"), "BMP");
    skin.data->LoadSkinFile(skin.dir.filePath("skin.ini"));
    for (QSize size : {QSize(300, 200), QSize(1, 1), QSize(3000, 2000)}) {
      form->resize(size);
      EXPECT_FALSE(form->grab().isNull());
      const QRegion region = form->mask();
      EXPECT_TRUE(QRect(QPoint(0, 0), form->size()).contains(region.boundingRect()) ||
                  region.isEmpty());
    }
  }
}

TEST_F(TeardownTest, ATruncatedPictureFailsTheLoadAndKeepsTheWindowWhole) {
  for (const char* file : {"mask.bmp", "form.bmp", "buttons.bmp"}) {
    SCOPED_TRACE(file);
    const QByteArray bytes = ReadFileBytes(skin.dir.filePath(file));
    WriteFileBytes(skin.dir.filePath(file), bytes.left(70));
    try {
      skin.data->LoadSkinFile(skin.dir.filePath("skin.ini"));
    } catch (const std::exception&) {
    }
    form->resize(310, 210);
    EXPECT_FALSE(form->grab().isNull());
    Hover(form, QPoint(150, 15));
    WriteFileBytes(skin.dir.filePath(file), bytes);
    skin.data->LoadSkinFile(skin.dir.filePath("skin.ini"));
    EXPECT_TRUE(skinner->SkinSupport());
  }
}

// ---- windows destroyed in the middle of something ----------------------------------

TEST_F(TeardownTest, TheFormMayBeDestroyedWhileASubmenuWaitIsPending) {
  TMenuItem* more = AddSystemCommand(QStringLiteral("&More"), nullptr);
  more->Add(NewMenuItem(more, QString(), QStringLiteral("&Inner")));
  skinner->PopupSystemMenu(450, 150);
  TsfSkinPopupWindow* p = skinner->SkinMenu()->Deepest();
  ASSERT_NE(p, nullptr);
  for (const TsfSkinMenuItem& line : p->Items())
    if (line.MenuItem == more) Hover(p, Centre(line.ItemRect));
  ASSERT_TRUE(skinner->SkinMenu()->WaitTimer()->Enabled());
  delete form.data();
  FlushDeletes();
  EXPECT_TRUE(skinner.isNull());
  // The wait's timer and the key hook went with the window.
  QWidget other;
  other.show();
  QTest::keyClick(&other, Qt::Key_Down);
  QTest::qWait(0);
}

TEST_F(TeardownTest, TheFormMayBeDestroyedDuringAMoveOrASize) {
  for (QPoint start : {QPoint(150, 15), QPoint(1, 100), QPoint(299, 199)}) {
    if (!form) SetUp();
    Hover(form, start);
    QTest::mousePress(form, Qt::LeftButton, {}, start);
    QTest::mouseMove(form, start + QPoint(20, 10));
    QPointer<TForm> doomed = form;
    delete form.data();
    FlushDeletes();
    EXPECT_TRUE(doomed.isNull());
  }
  // And the skinner alone: the window's own procedure takes the mouse back.
  SetUp();
  Hover(form, QPoint(150, 15));
  QTest::mousePress(form, Qt::LeftButton, {}, QPoint(150, 15));
  QTest::mouseMove(form, QPoint(170, 25));
  delete skinner.data();
  QTest::mouseMove(form, QPoint(190, 35));
  QTest::mouseRelease(form, Qt::LeftButton, {}, QPoint(190, 35));
  EXPECT_EQ(form->Perform(WM_NCHITTEST, 0, MakeLParam(form->x() + 5, form->y() + 5)), HTCLIENT);
}

// A window class of the program's kind: members its handlers use, and a
// skinner it does not destroy itself.
class MemberForm : public TForm {
 public:
  MemberForm() {
    log = std::make_unique<QStringList>();
    OnShow = [this](TObject*) { *log << QStringLiteral("show"); };
    OnHide = [this](TObject*) { *log << QStringLiteral("hide"); };
    skinner = new TsfSkinForm(this);
    // Plain components after the skinner, as a window's timers and menus are.
    for (int i = 0; i < 3; ++i) new TComponent(this);
  }
  ~MemberForm() override {
    if (destroySkinnerFirst) delete skinner;
    log.reset();
  }
  std::unique_ptr<QStringList> log;
  TsfSkinForm* skinner;
  bool destroySkinnerFirst = false;
};

TEST(SkinFormDestruction, SafeInEitherOrderWhileShownWithAMenuOpen) {
  formtest::TinySkin skin;
  for (bool skinnerFirst : {false, true}) {
    SCOPED_TRACE(skinnerFirst);
    auto* f = new MemberForm();
    f->destroySkinnerFirst = skinnerFirst;
    f->skinner->SetSkinData(skin.data.get());
    f->setGeometry(100, 100, 300, 200);
    f->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(f));
    f->skinner->PopupSystemMenu(450, 150);
    ASSERT_TRUE(f->skinner->SkinMenu()->IsShowing());
    QStringList* log = f->log.get();
    log->clear();
    // A handler that runs during the destruction finds the log gone.
    delete f;
    FlushDeletes();
  }
}

TEST(SkinFormDestruction, RemovingTheSkinnerFromAShownWindowSendsNoShowOrHide) {
  formtest::TinySkin skin;
  MemberForm f;
  f.skinner->SetSkinData(skin.data.get());
  f.Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&f));
  f.log->clear();
  delete f.skinner;
  EXPECT_TRUE(f.log->isEmpty()) << f.log->join(',').toStdString();
  EXPECT_TRUE(f.isVisible());
  EXPECT_FALSE(f.HasCustomFrame());
}

}  // namespace
