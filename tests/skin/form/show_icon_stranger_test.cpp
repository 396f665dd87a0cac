// The window's icon shown in the system-menu button: changing the icon (the
// window's own or the application's) repaints the button, in either frame.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QTest>
#include <functional>
#include <string>

#include "skin/form/skin_form.h"
#include "tests/skin/form/form_fixture.h"

namespace {

QIcon IconOf(QRgb colour, int side) {
  QPixmap p(side, side);
  p.fill(QColor(colour));
  return QIcon(p);
}

TEST(ShowIconStrangerTest, ChangingTheIconRepaintsTheSystemMenuButton) {
  formtest::TinySkin tiny;
  TsfSkinData empty;  // no skin: the default frame
  QPointer<TForm> form = new TForm();
  auto* skinner = new TsfSkinForm(form);
  form->setGeometry(100, 100, 300, 200);
  form->Show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form));
  struct Change {
    const char* name;
    std::function<void()> apply;
  };
  // Icons of every size down to none: the application's shows when the
  // window has none of its own.
  const Change changes[] = {
      {"the window's own", [&] { form->setWindowIcon(IconOf(qRgb(0, 128, 255), 32)); }},
      {"a huge one", [&] { form->setWindowIcon(IconOf(qRgb(0, 255, 0), 4096)); }},
      {"none of its own", [&] { form->setWindowIcon(QIcon()); }},
      {"the application's", [&] { QApplication::setWindowIcon(IconOf(qRgb(255, 64, 0), 16)); }},
      {"an empty one", [&] { form->setWindowIcon(QIcon(QPixmap(0, 0))); }},
  };
  for (TsfSkinData* data : {tiny.data.get(), &empty})
    for (const Change& c : changes) {
      SCOPED_TRACE(std::string(data == &empty ? "default, " : "skinned, ") + c.name);
      skinner->SetSkinData(data);
      skinner->SetShowIcon(true);
      formtest::PixelAt(form, 0, 0);  // the first paint of the default frame makes its buttons
      TsfSkinStdButtonObject* sys = skinner->FindButton(3);
      ASSERT_NE(sys, nullptr);
      QCoreApplication::processEvents();
      formtest::PaintLog log(form);
      c.apply();
      QCoreApplication::processEvents();
      EXPECT_TRUE(log.painted.contains(sys->ObjectRect.toQRect())) << "the button was not repainted";
      // What it repaints is the icon the window now has.
      const QIcon now = form->windowIcon().isNull() ? QApplication::windowIcon() : form->windowIcon();
      if (!now.isNull()) {
        const QRgb expected = now.pixmap(SmallIconSize()).toImage().pixel(0, 0) | 0xFF000000u;
        EXPECT_EQ(formtest::PixelAt(form, sys->ObjectRect.Left + 1, sys->ObjectRect.Top + 1), expected);
      }
    }
  QApplication::setWindowIcon(QIcon());
  delete form.data();
}

}  // namespace
