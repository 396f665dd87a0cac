#pragma once
// Components: ownership is the Qt parent (the owner deletes what it owns);
// references to components owned elsewhere are QPointers, which is the removal
// notification components rely on.

#include <QObject>
#include <QString>
#include <functional>

using TObject = QObject;
using TNotifyEvent = std::function<void(TObject* Sender)>;

// The loading bracket shared by visual and non-visual components: properties
// are set between BeginLoading and EndLoading, then Loaded runs once.
class TLoadingState {
 public:
  virtual ~TLoadingState() = default;
  bool Loading() const { return m_loading; }
  void BeginLoading() { m_loading = true; }
  void EndLoading() {
    if (!m_loading) return;
    m_loading = false;
    Loaded();
  }

 protected:
  virtual void Loaded() {}

 private:
  bool m_loading = false;
};

class TComponent : public QObject, public TLoadingState {
  Q_OBJECT
 public:
  explicit TComponent(QObject* owner = nullptr) : QObject(owner) {}
  QString Name() const { return objectName(); }
  void SetName(const QString& name) { setObjectName(name); }
  QObject* Owner() const { return parent(); }
  int Tag = 0;
};
