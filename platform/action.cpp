#include "platform/action.h"

TAction::TAction(QObject* owner) : QObject(owner) {}

void TAction::SetCaption(const QString& v) { Set(m_caption, v); }
void TAction::SetEnabled(bool v) { Set(m_enabled, v); }
void TAction::SetChecked(bool v) { Set(m_checked, v); }
void TAction::SetVisible(bool v) { Set(m_visible, v); }

bool TAction::Execute() {
  if (!m_enabled || !OnExecute) return false;
  // The handler may destroy the action: run a copy.
  const TNotifyEvent handler = OnExecute;
  handler(this);
  return true;
}

TActionLink::~TActionLink() { QObject::disconnect(m_changed); }

void TActionLink::Link(QObject* client, TAction* action, std::function<void(TAction*)> apply) {
  QObject::disconnect(m_changed);
  m_action = action;
  if (!action) return;
  m_changed = QObject::connect(action, &TAction::Changed, client, [action, apply] { apply(action); });
  apply(action);
}

void ClickWithAction(TObject* sender, const TNotifyEvent& onClick, TAction* action) {
  // Copies: the handler may destroy the control that holds them.
  if (onClick) {
    const TNotifyEvent handler = onClick;
    handler(sender);
  } else if (action) {
    action->Execute();
  }
}
