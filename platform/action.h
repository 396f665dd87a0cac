#pragma once

#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include "platform/component.h"

// A command shared by the controls linked to it: they show its caption and
// its enabled, visible and checked states, and a click on them runs it.
class TAction : public QObject {
  Q_OBJECT
 public:
  explicit TAction(QObject* owner = nullptr);

  QString Caption() const { return m_caption; }
  void SetCaption(const QString& v);
  bool Enabled() const { return m_enabled; }
  void SetEnabled(bool v);
  bool Checked() const { return m_checked; }
  void SetChecked(bool v);
  bool Visible() const { return m_visible; }
  void SetVisible(bool v);

  TNotifyEvent OnExecute;
  // Runs OnExecute when the action is enabled and has one; true when it ran.
  bool Execute();

 signals:
  void Changed();

 private:
  template <class T>
  void Set(T& field, const T& v) {
    if (field == v) return;
    field = v;
    emit Changed();
  }
  QString m_caption;
  bool m_enabled = true;
  bool m_checked = false;
  bool m_visible = true;
};

// A control's link to its action: shows the action's state on the control
// now and at each change, and forgets the action when it is destroyed.
class TActionLink {
 public:
  TActionLink() = default;
  TActionLink(const TActionLink&) = delete;
  TActionLink& operator=(const TActionLink&) = delete;
  ~TActionLink();

  TAction* Action() const { return m_action; }
  // Links `action` (nullptr unlinks) for `client`, whose lifetime bounds the
  // link; `apply` shows the action's state on the control.
  void Link(QObject* client, TAction* action, std::function<void(TAction*)> apply);

 private:
  QPointer<TAction> m_action;
  QMetaObject::Connection m_changed;
};

// A control's click: its own OnClick when it has one, else its action.
void ClickWithAction(TObject* sender, const TNotifyEvent& onClick, TAction* action);
