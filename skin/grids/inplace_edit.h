#pragma once
// TsfSkinInplaceEdit: the grid's single-line editor shown over the current
// cell. It is a wrapped host editor: no frame, not a tab stop, owned by the
// grid. Navigation keys go to the grid; typed characters are offered to the
// grid first, which may refuse them or refuse any modification.

#include <QLineEdit>
#include <QPointer>

#include "platform/colors.h"
#include "platform/font.h"

class TsfSkinCustomGrid;

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

 protected:
  // A wrapped host editor: its key and focus events are where the grid's
  // key rules are applied, so they are handled here rather than in platform/.
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;

 private:
  bool HandleKey(QKeyEvent* e);
  bool HandleCharacter(QKeyEvent* e);

  QPointer<TsfSkinCustomGrid> m_grid;
};
