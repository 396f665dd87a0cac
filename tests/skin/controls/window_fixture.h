#pragma once
// What the tests of controls on a window share: a form shown as the active
// window, so that focus and keys reach its controls, and controls put on it.

#include <QApplication>

#include "platform/action.h"
#include "platform/form.h"

namespace ctltest {

// Gives the form its client size, shows it and makes it the active window.
inline void ShowActive(TForm& form, int width, int height) {
  form.SetClientSize(width, height);
  form.show();
  form.activateWindow();
  QApplication::setActiveWindow(&form);
}

// A form of its own, shown and active.
struct ActiveForm {
  explicit ActiveForm(int width = 300, int height = 200) { ShowActive(form, width, height); }
  TForm form;
};

// A shown 120 x 25 control at (10, top) on the form, linked to `action`
// when there is one.
template <class Control>
Control* AddShown(TForm* form, int top, TAction* action = nullptr) {
  auto* c = new Control(form);
  c->SetBounds(10, top, 120, 25);
  c->show();
  if (action) c->SetAction(action);
  return c;
}

}  // namespace ctltest
