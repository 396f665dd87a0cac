#include "skin/controls/dialog_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>

#include "platform/control.h"

namespace {

// Set on controls that take no text.
constexpr char kNoTextProperty[] = "tolmsysNoText";

// Editors that take Enter and Esc themselves.
bool TakesAllKeys(QWidget* w) {
  for (; w && !w->isWindow(); w = w->parentWidget())
    if (qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) return true;
  return false;
}

// Sends `msg` to the visible controls of `window` in creation order until
// one of them answers it.
bool SendToWindow(QWidget* window, unsigned msg, intptr_t wparam) {
  QList<QPointer<TControl>> controls;
  for (TControl* c : window->findChildren<TControl*>()) controls << c;
  for (const QPointer<TControl>& c : controls) {
    if (!c || !c->isVisible()) continue;
    if (c->Perform(msg, wparam) != 0) return true;
  }
  return false;
}

class DialogKeyFilter : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    if (e->type() != QEvent::KeyPress || !obj->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(obj);
    auto* key = static_cast<QKeyEvent*>(e);
    QWidget* window = widget->window();
    if (!window) return false;
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) &&
        mods == Qt::NoModifier) {
      if (TakesAllKeys(widget)) return false;
      const WORD vk = key->key() == Qt::Key_Escape ? VK_ESCAPE : VK_RETURN;
      // A control that handles the key itself (a focused button) answers first.
      if (auto* c = qobject_cast<TControl*>(widget); c && c->Perform(CM_DIALOGKEY, vk, 1) != 0)
        return true;
      return SendToWindow(window, CM_DIALOGKEY, vk);
    }
    const QString text = key->text();
    if (text.size() != 1 || !text[0].isPrint()) return false;
    const bool alt = mods == Qt::AltModifier;
    // Without Alt only where the focused control takes no text.
    const bool plainOk = mods == Qt::NoModifier && widget->property(kNoTextProperty).toBool();
    if (!alt && !plainOk) return false;
    return SendToWindow(window, CM_DIALOGCHAR, text[0].unicode());
  }
};

}  // namespace

void InstallDialogKeys() {
  static QPointer<QObject> installed;
  if (installed || !qApp) return;
  installed = new DialogKeyFilter(qApp);
  qApp->installEventFilter(installed);
}

void InstallDialogKeysForTextless(QWidget* control) {
  InstallDialogKeys();
  control->setProperty(kNoTextProperty, true);
}

bool IsAccel(QChar ch, const QString& caption) {
  for (int i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    return caption[i + 1].toUpper() == ch.toUpper();
  }
  return false;
}

TWinControl* NavigateByArrow(TWinControl* from, WORD& key, TShiftState shift) {
  if (!from || (shift & (ssShift | ssAlt | ssCtrl))) return nullptr;
  bool forward;
  switch (key) {
    case VK_LEFT:
    case VK_UP: forward = false; break;
    case VK_RIGHT:
    case VK_DOWN: forward = true; break;
    default: return nullptr;
  }
  key = 0;
  QWidget* parent = from->parentWidget();
  if (!parent) return nullptr;
  QList<TWinControl*> ring;
  for (QObject* o : parent->children())
    if (auto* c = qobject_cast<TWinControl*>(o); c && (c == from || c->CanFocus())) ring << c;
  const qsizetype at = ring.indexOf(from);
  if (at < 0 || ring.size() < 2) return nullptr;
  const qsizetype n = ring.size();
  TWinControl* next = ring[(at + (forward ? 1 : n - 1)) % n];
  next->SetFocus();
  return next->hasFocus() ? next : nullptr;
}
