#pragma once
// A shown, active skinned window for tests whose handlers tear down what
// called them: the window and the skinner are guarded pointers (either may be
// gone at any point), a close request is counted and refused, and the
// deletions handlers deferred are run at the end.

#include <gtest/gtest.h>

#include <QTest>

#include "skin/form/skin_form.h"
#include "tests/skin/form/form_fixture.h"

namespace formtest {

class HostileFormTest : public ::testing::Test {
 protected:
  explicit HostileFormTest(const QByteArray& text = QByteArray(kSkinText)) : skin(text) {}

  void SetUp() override { Open(); }
  void TearDown() override {
    delete form.data();
    FlushDeletes();
  }
  // Opens the window (again, after a handler deleted it).
  void Open() {
    form = new TForm();
    form->OnClose = [this](TObject*, TCloseAction& a) {
      ++closes;
      a = caNone;
    };
    skinner = new TsfSkinForm(form);
    Prepare();
    skinner->SetSkinData(skin.data.get());
    form->setGeometry(100, 100, 300, 200);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    Opened();
  }
  // Before the skin is set, and once the window is shown and active.
  virtual void Prepare() {}
  virtual void Opened() {}

  TinySkin skin;
  QPointer<TForm> form;
  QPointer<TsfSkinForm> skinner;
  int closes = 0;
};

}  // namespace formtest
