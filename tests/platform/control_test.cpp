#include <gtest/gtest.h>

#include <QTest>
#include <QTimer>

#include "platform/application.h"
#include "platform/form.h"
#include "platform/label.h"
#include "tests/support/test_support.h"

namespace {
// A control that logs its host-style virtuals and events.
class LoggingControl : public TCustomControl {
 public:
  explicit LoggingControl(QWidget* parent) : TCustomControl(parent) {
    OnClick = [this](TObject*) { log << QStringLiteral("click"); };
    OnDblClick = [this](TObject*) { log << QStringLiteral("dblclick"); };
    OnMouseDown = [this](TObject*, TMouseButton b, TShiftState s, int x, int y) {
      log << QStringLiteral("down:%1:%2:%3,%4").arg(b).arg((s & ssDouble) ? "double" : "single").arg(x).arg(y);
    };
    OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int, int) {
      log << QStringLiteral("up:%1").arg(b);
    };
    OnKeyDown = [this](TObject*, WORD& key, TShiftState s) {
      log << QStringLiteral("keydown:%1%2").arg(key).arg((s & ssCtrl) ? "+ctrl" : "");
      if (key == VK_DELETE) key = 0;  // consumed: no character follows
    };
    OnKeyPress = [this](TObject*, QChar& c) { log << QStringLiteral("char:%1").arg(c); };
    SetTabStop(true);
  }
  QStringList log;
};

QStringList Take(QStringList& l) {
  QStringList out = l;
  l.clear();
  return out;
}
}  // namespace

TEST(Control, ADoubleClickGivesOneClickOneDoubleClickAndNoSecondClick) {
  TForm form;
  LoggingControl c(&form);
  c.SetBounds(10, 10, 100, 50);
  form.Show();
  QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 6));
  EXPECT_EQ(Take(c.log), (QStringList{"down:0:single:5,6", "up:0", "click"}));
  // What Qt delivers for a double click: press, release, double-click, release.
  QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseDClick(&c, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(5, 6));
  EXPECT_EQ(Take(c.log), (QStringList{"down:0:single:5,6", "up:0", "click", "dblclick",
                                      "down:0:double:5,6", "up:0"}));
  // Released outside: no click.
  QTest::mousePress(&c, Qt::LeftButton, {}, QPoint(5, 6));
  QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(150, 6));
  EXPECT_EQ(Take(c.log), (QStringList{"down:0:single:5,6", "up:0"}));
  // Right button: no click.
  QTest::mouseClick(&c, Qt::RightButton, {}, QPoint(1, 1));
  EXPECT_EQ(Take(c.log), (QStringList{"down:1:single:1,1", "up:1"}));
}

TEST(Control, KeysGiveKeyDownThenTheCharacterUnlessConsumed) {
  TForm form;
  LoggingControl c(&form);
  form.Show();
  c.SetFocus();
  QTest::keyClick(&c, Qt::Key_A);
  EXPECT_EQ(Take(c.log), (QStringList{"keydown:65", "char:a"}));
  QTest::keyClick(&c, Qt::Key_Down);
  EXPECT_EQ(Take(c.log), QStringList{"keydown:40"});
  QTest::keyClick(&c, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Take(c.log), (QStringList{"keydown:17", "keydown:46+ctrl"}));
  QTest::keyClick(&c, Qt::Key_Plus, Qt::KeypadModifier);
  EXPECT_EQ(Take(c.log), (QStringList{"keydown:107", "char:+"}));
}

TEST(Control, AWindowProcSeesEveryMessageFirst) {
  TForm form;
  LoggingControl c(&form);
  form.Show();
  QList<unsigned> seen;
  auto saved = c.WindowProc;
  c.WindowProc = [&](TMessage& m) {
    seen << m.Msg;
    if (m.Msg == WM_LBUTTONUP) return;  // swallowed: no MouseUp, no click
    saved(m);
  };
  QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(2, 2));
  EXPECT_TRUE(seen.contains(WM_LBUTTONDOWN));
  EXPECT_TRUE(seen.contains(WM_LBUTTONUP));
  EXPECT_EQ(c.log, QStringList{"down:0:single:2,2"});
  EXPECT_EQ(c.Perform(WM_NULL), 0);
  EXPECT_EQ(seen.last(), WM_NULL) << "Perform goes through the window procedure";
}

TEST(Control, AlignLaysOutInTheHostOrder) {
  TForm form;
  form.SetClientSize(400, 300);
  TWinControl top2(&form), top1(&form), bottom(&form), left(&form), right(&form), client(&form);
  top1.SetBounds(0, 0, 10, 20);
  top2.SetBounds(0, 50, 10, 30);
  bottom.SetBounds(0, 0, 10, 40);
  left.SetBounds(0, 0, 25, 10);
  right.SetBounds(0, 0, 35, 10);
  // Assigned in a scrambled order: placement depends on kind and position only.
  client.SetAlign(alClient);
  right.SetAlign(alRight);
  top1.SetAlign(alTop);
  left.SetAlign(alLeft);
  bottom.SetAlign(alBottom);
  top2.SetAlign(alTop);  // below top1 by position, though created first
  EXPECT_EQ(top1.BoundsRect(), TRect(0, 0, 400, 20));
  EXPECT_EQ(top2.BoundsRect(), TRect(0, 20, 400, 50));
  EXPECT_EQ(bottom.BoundsRect(), TRect(0, 260, 400, 300));
  EXPECT_EQ(left.BoundsRect(), TRect(0, 50, 25, 260));
  EXPECT_EQ(right.BoundsRect(), TRect(365, 50, 400, 260));
  EXPECT_EQ(client.BoundsRect(), TRect(25, 50, 365, 260));

  form.SetClientSize(500, 200);
  EXPECT_EQ(client.BoundsRect(), TRect(25, 50, 465, 160));
  top2.SetVisible(false);
  EXPECT_EQ(left.BoundsRect(), TRect(0, 20, 25, 160));
}

TEST(Control, SiblingsOfOneAlignmentKeepCreationOrderOnTies) {
  TWinControl parent;
  parent.resize(100, 100);
  TWinControl a(&parent), b(&parent);
  a.SetBounds(0, 0, 10, 10);
  b.SetBounds(0, 0, 10, 15);
  b.SetAlign(alTop);
  a.SetAlign(alTop);
  EXPECT_EQ(a.Top(), 0);
  EXPECT_EQ(b.Top(), 10);
}

TEST(Control, ParentFontFlowsDownUntilAChildSetsItsOwn) {
  TWinControl parent;
  TWinControl child(&parent);
  parent.Font()->SetName(QStringLiteral("宋体"));
  EXPECT_EQ(child.Font()->Name(), QStringLiteral("宋体"));
  child.Font()->SetHeight(-20);
  EXPECT_FALSE(child.ParentFont());
  parent.Font()->SetName(QStringLiteral("Arial"));
  EXPECT_EQ(child.Font()->Name(), QStringLiteral("宋体"));
}

TEST(Form, CloseQueryCanRefuseAndModalResultEndsShowModal) {
  TForm form;
  bool allow = false;
  int asked = 0;
  form.OnCloseQuery = [&](TObject*, bool& can) {
    ++asked;
    can = allow;
  };
  int result = -1;
  QTimer::singleShot(0, &form, [&] {
    form.Close();  // refused
    EXPECT_TRUE(form.isVisible());
    allow = true;
    form.Close();
  });
  result = form.ShowModal();
  EXPECT_EQ(result, mrCancel);
  EXPECT_EQ(asked, 2);
  EXPECT_FALSE(form.isVisible());

  QTimer::singleShot(0, &form, [&] { form.SetModalResult(mrOk); });
  EXPECT_EQ(form.ShowModal(), mrOk);
}

TEST(Form, BroadcastMessagesReachEveryLiveForm) {
  TForm a, b;
  QStringList order;
  auto hook = [&order](TForm& f, const QString& name) {
    auto saved = f.WindowProc;
    f.WindowProc = [&order, name, saved](TMessage& m) {
      if (m.Msg == WM_USER + 201) order << name;
      saved(m);
    };
  };
  hook(a, "a");
  hook(b, "b");
  SendToAllForms(WM_USER + 201);
  EXPECT_EQ(order.size(), 2);
  EXPECT_TRUE(order.contains("a"));
  EXPECT_TRUE(order.contains("b"));
  order.clear();
  {
    TForm gone;
    hook(gone, "gone");
  }
  SendToAllForms(WM_USER + 201);
  EXPECT_EQ(order.size(), 2) << "a destroyed form is no longer sent anything";
}

TEST(Application, AnExceptionInAnEventHandlerIsShownAndTheProgramGoesOn) {
  MessageBoxRecorder boxes;
  Application->SetTitle(QStringLiteral("Tolm真题练习"));
  TForm form;
  LoggingControl c(&form);
  c.SetBounds(0, 0, 50, 50);
  form.Show();
  int after = 0;
  c.OnClick = [&](TObject*) {
    throw EInvalidOperation(QStringLiteral("broken handler"));
    ++after;
  };
  QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 5));
  ASSERT_EQ(boxes.requests.size(), 1);
  EXPECT_EQ(boxes.requests[0].Text, "broken handler");
  EXPECT_EQ(boxes.requests[0].Caption, QStringLiteral("Tolm真题练习"));
  EXPECT_EQ(boxes.requests[0].Flags & 0xF, MB_OK);
  EXPECT_EQ(after, 0);
  c.OnClick = [&](TObject*) { ++after; };
  QTest::mouseClick(&c, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_EQ(after, 1);
}

namespace {
class FailingPaint : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  bool fail = true;
  int painted = 0;

 protected:
  void Paint() override {
    if (fail) throw EInvalidOperation(QStringLiteral("paint failed"));
    ++painted;
    Canvas()->Brush.Color = clRed;
    Canvas()->FillRect(ClientRect());
  }
};
}  // namespace

TEST(Application, AFailingPaintIsReportedAndTheNextPaintWorks) {
  MessageBoxRecorder boxes;
  TForm form;
  FailingPaint c(&form);
  c.SetBounds(0, 0, 20, 20);
  form.Show();
  c.grab();
  ASSERT_GE(boxes.requests.size(), 1);
  EXPECT_EQ(boxes.requests[0].Text, "paint failed");
  c.fail = false;
  const QImage img = c.grab().toImage();
  EXPECT_GE(c.painted, 1);
  EXPECT_EQ(QColor(img.pixel(5, 5)), QColor(255, 0, 0)) << "the canvas works after the failure";
}

TEST(Application, MessageBoxesHaveTheDesignedCaptionsAndButtons) {
  MessageBoxRecorder boxes(IDYES);
  Application->SetTitle(QStringLiteral("Tolm真题练习"));
  ShowMessage(QStringLiteral("导入完成!"));
  EXPECT_EQ(ConfirmYesNo(QStringLiteral("Delete record?")), IDYES);
  boxes.answer = IDNO;
  EXPECT_EQ(ConfirmYesNo(QStringLiteral("Delete record?")), IDNO);
  ASSERT_EQ(boxes.requests.size(), 3);
  EXPECT_EQ(boxes.requests[0].Caption, QStringLiteral("Tolm真题练习"));
  EXPECT_EQ(boxes.requests[0].Flags, MB_OK);
  EXPECT_EQ(boxes.requests[1].Caption, "Confirm");
  EXPECT_EQ(boxes.requests[1].Flags, MB_YESNO | MB_ICONQUESTION);
  EXPECT_EQ(boxes.requests[1].Buttons, (QStringList{"&Yes", "&No"}));
}

TEST(Label, AutoSizeWaitsForTheEndOfLoadingAndThenMeasuresOnce) {
  TLabel direct;
  TLabel loaded;
  loaded.BeginLoading();
  for (TLabel* l : {&direct, &loaded}) {
    l->SetCaption(QStringLiteral("A longer caption 练习"));
    l->Font()->SetHeight(30);
    l->Font()->SetStyle(fsBold);
  }
  EXPECT_EQ(loaded.Width(), 65) << "no measuring while loading";
  EXPECT_EQ(loaded.Height(), 13);
  loaded.EndLoading();
  EXPECT_GT(direct.Width(), 65);
  EXPECT_GT(direct.Height(), 13);
  EXPECT_EQ(loaded.Width(), direct.Width());
  EXPECT_EQ(loaded.Height(), direct.Height());

  TLabel fixed;
  fixed.BeginLoading();
  fixed.SetAutoSize(false);
  fixed.SetBounds(3, 4, 20, 10);
  fixed.SetCaption(QStringLiteral("A caption far wider than the label"));
  fixed.EndLoading();
  EXPECT_EQ(fixed.BoundsRect(), TRect(3, 4, 23, 14));
}
