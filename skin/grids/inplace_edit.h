#pragma once
// TsfSkinInplaceEdit: the grid's single-line editor shown over the current
// cell. It is a wrapped host editor: no frame, not a tab stop, owned by the
// grid. Navigation keys go to the grid; typed characters are offered to the
// grid first, which may refuse them or refuse any modification.

#include <QClipboard>
#include <QLineEdit>
#include <QPointer>
#include <functional>

#include "platform/colors.h"
#include "platform/font.h"

class TMenuItem;
class TsfSkinCustomGrid;
class TsfSkinData;
class TsfSkinPopupMenu;

// The editor's context menu, as the memo has it: Undo, a line, Cut, Copy,
// Paste, Delete, a line, Select All, captioned from the skin's replacement
// texts and enabled by the editor's state. `modify` is asked before a
// command changes the text.
void FillEditContextMenu(TMenuItem* root, QLineEdit* edit, const TsfSkinData* skin,
                         std::function<bool()> modify);

class TsfSkinInplaceEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TsfSkinInplaceEdit(TsfSkinCustomGrid* grid);

  TsfSkinCustomGrid* Grid() const { return m_grid; }
  void SetReadOnlyEdit(bool v) { setReadOnly(v); }
  // Background colour and font (with its colour).
  void SetLook(TColor background, const TFont& font);
  // Puts a character typed on the grid into the editor as if typed here.
  void TypeCharacter(QChar ch);
  // The context menu, once a command of it ran.
  void FreeContextMenu();
  // Pastes the clipboard's text over the selection when the grid allows
  // the change and takes the text as it would take it typed; else beeps and
  // changes nothing. Returns whether the text went in. With the selection
  // clipboard (a middle click) the text is `PrimarySelectionText()`.
  bool PasteChecked(QClipboard::Mode mode = QClipboard::Clipboard);

 protected:
  // A wrapped host editor: its key and focus events are where the grid's
  // key rules are applied, so they are handled here rather than in platform/.
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void dropEvent(QDropEvent* e) override;
  // A middle click pastes the platform's selection at the caret the press
  // put under the pointer, checked as every other paste is.
  void mouseReleaseEvent(QMouseEvent* e) override;
  // The text a middle click pastes: the platform's selection clipboard, null
  // where the platform has none.
  virtual QString PrimarySelectionText() const;

 private:
  bool HandleKey(QKeyEvent* e);
  bool HandleCharacter(QKeyEvent* e);

  QPointer<TsfSkinCustomGrid> m_grid;
  QPointer<TsfSkinPopupMenu> m_menu;
};
