#pragma once
// What a window that shows skinned menus offers to the components that pop
// menus up (its skinner implements it), and the menu-mode hook: while a menu
// is open every key press and wheel turn of the application goes to the menu
// instead of the focused control, and a press outside the pop-ups, or the
// application losing the activation, closes the menu.

#include <QObject>
#include <QPointer>
#include <functional>

#include "platform/keys.h"

class QWidget;
class TsfSkinData;
class TsfSkinMenu;

class ISkinMenuHost {
 public:
  virtual ~ISkinMenuHost() = default;
  virtual TsfSkinMenu* SkinMenu() = 0;
  // The skin menus are drawn with: the menus' own skin data, else the window's.
  virtual TsfSkinData* MenusSkin() const = 0;
  // Before any menu of the window opens; after it closed.
  virtual void BeginMenu() = 0;
  virtual void EndMenu() = 0;
};

// The menu host among the components owned by `form` (none when not found).
ISkinMenuHost* FindSkinMenuHost(QObject* form);

class TsfMenuModeHook : public QObject {
  Q_OBJECT
 public:
  explicit TsfMenuModeHook(QObject* parent = nullptr);
  ~TsfMenuModeHook() override;

  void Install();
  void Remove();
  bool Installed() const { return m_installed; }

  // Every key press while installed (its virtual key).
  std::function<void(WORD)> OnKey;
  // A press on a widget for which IsMenuWindow is false, or the application
  // lost the activation.
  std::function<void()> OnOutside;
  std::function<bool(const QWidget*)> IsMenuWindow;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool m_installed = false;
};
