#pragma once
// TsfPopupListBox: a skinned list box living in a window of its own, for the
// drop-down lists of the combo box and of the grid's editor. The window is a
// frameless tool window shown without activation that never takes the focus
// (Qt's popup window type would grab the keyboard and the mouse, so it is not
// used): the control that dropped the list keeps the focus and hands its keys
// on. While it shows, a press anywhere outside it, or the application losing
// the activation, is reported as cancel mode so the owner can close it.

#include <QObject>
#include <QPointer>
#include <functional>

#include "skin/controls/list_box.h"

// Where a drop-down of `height` goes for an owner at `owner` (screen
// coordinates): at the owner's bottom-left corner, or above the owner when
// its bottom would pass the bottom of the work area.
TPoint DropDownPosition(const TRect& owner, int height, const TRect& workArea);

class TsfPopupListBox : public TsfSkinListBox {
  Q_OBJECT
 public:
  // `owner` owns the window (it is destroyed with it) and is the widget the
  // drop-down belongs to.
  explicit TsfPopupListBox(QWidget* owner);
  ~TsfPopupListBox() override;

  // Moves the window to a screen point and shows it without activation and
  // without changing its size.
  void ShowAt(const TPoint& screen);
  // Shows it against a control as DropDownPosition places it.
  void DropDownFor(const QWidget* control);
  // Hides it without activating anything and without moving it.
  void HideList();
  bool Shown() const { return isVisible(); }

  // Sends a key or a character to the inner list, as the owner does while
  // the list shows and the owner keeps the keyboard.
  void ListKey(WORD key);
  void ListChar(QChar ch);

  // A press on `cause` (a widget outside this window), or the application
  // deactivated (cause null), while the list shows.
  std::function<void(QWidget* cause)> OnCancelMode;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // A platform that activates the window anyway gets the activation handed
  // back to the owner's window.
  bool event(QEvent* event) override;

 private:
  void Watch(bool on);
  bool m_watching = false;
};
