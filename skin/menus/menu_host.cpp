#include "skin/menus/menu_host.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

ISkinMenuHost* FindSkinMenuHost(QObject* form) {
  if (!form) return nullptr;
  for (QObject* child : form->children())
    if (auto* host = dynamic_cast<ISkinMenuHost*>(child)) return host;
  return nullptr;
}

TsfMenuModeHook::TsfMenuModeHook(QObject* parent) : QObject(parent) {}

TsfMenuModeHook::~TsfMenuModeHook() { Remove(); }

void TsfMenuModeHook::Install() {
  if (m_installed || !qApp) return;
  qApp->installEventFilter(this);
  m_installed = true;
}

void TsfMenuModeHook::Remove() {
  if (!m_installed) return;
  if (qApp) qApp->removeEventFilter(this);
  m_installed = false;
}

bool TsfMenuModeHook::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // No shortcut fires while a menu has the keyboard.
      event->accept();
      return true;
    case QEvent::KeyPress: {
      if (!watched->isWidgetType()) return false;
      const WORD vk = VirtualKeyOf(static_cast<QKeyEvent*>(event));
      if (vk && OnKey) OnKey(vk);
      return true;
    }
    case QEvent::KeyRelease:
      return watched->isWidgetType();
    case QEvent::Wheel:
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress: {
      if (!watched->isWidgetType()) return false;
      const QWidget* w = static_cast<QWidget*>(watched)->window();
      if (IsMenuWindow && IsMenuWindow(w)) return false;
      if (OnOutside) OnOutside();
      return false;  // the press itself goes on
    }
    case QEvent::ApplicationDeactivate:
      if (OnOutside) OnOutside();
      return false;
    default:
      return false;
  }
}
