#include "skin/grids/inplace_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QDropEvent>
#include <QMouseEvent>

#include "platform/application.h"
#include "platform/keys.h"
#include "skin/grids/skin_grid.h"
#include "skin/menus/skin_popup_menu.h"

void FillEditContextMenu(TMenuItem* root, QLineEdit* edit, const TsfSkinData* skin,
                         std::function<bool()> modify) {
  QPointer<QLineEdit> e(edit);
  auto text = [skin](const char* key, const char* fallback) {
    QString t;
    if (skin && skin->ResourceStrData()) t = skin->ResourceStrData()->GetResString(QLatin1String(key));
    return t.isEmpty() ? QString::fromLatin1(fallback) : t;
  };
  auto add = [&](const QString& caption, bool enabled, std::function<void(QLineEdit*)> run,
                 bool modifies) {
    TMenuItem* item = NewMenuItem(root, QString(), caption, [e, run, modify, modifies](TObject*) {
      if (!e || (modifies && modify && !modify())) return;
      run(e);
    });
    item->Enabled = enabled;
    root->Add(item);
  };
  const bool selected = edit->hasSelectedText();
  const bool writable = !edit->isReadOnly();
  const QClipboard* clip = QApplication::clipboard();
  const bool pasteable = clip && !clip->text().isEmpty();
  add(text("EDIT_UNDO", "Undo"), edit->isUndoAvailable(), [](QLineEdit* l) { l->undo(); }, true);
  root->Add(NewMenuItem(root, QString(), QStringLiteral("-")));
  add(text("EDIT_CUT", "Cut"), selected && writable, [](QLineEdit* l) { l->cut(); }, true);
  add(text("EDIT_COPY", "Copy"), selected, [](QLineEdit* l) { l->copy(); }, false);
  add(text("EDIT_PASTE", "Paste"), pasteable && writable, [](QLineEdit* l) {
        if (auto* grids = qobject_cast<TsfSkinInplaceEdit*>(l)) grids->PasteChecked();
        else l->paste();
      }, true);
  add(text("EDIT_DELETE", "Delete"), selected && writable, [](QLineEdit* l) { l->del(); }, true);
  root->Add(NewMenuItem(root, QString(), QStringLiteral("-")));
  add(text("EDIT_SELECTALL", "Select All"), edit->selectedText() != edit->text(),
      [](QLineEdit* l) { l->selectAll(); }, false);
}

TsfSkinInplaceEdit::TsfSkinInplaceEdit(TsfSkinCustomGrid* grid) : QLineEdit(grid), m_grid(grid) {
  setFrame(false);
  setFocusPolicy(Qt::ClickFocus);
  // The skinned context menu replaces Qt's own (contextMenuEvent).
  setContextMenuPolicy(Qt::DefaultContextMenu);
  setTextMargins(2, 2, 2, 0);
  hide();
  connect(this, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (m_grid) GuardEvent([&] { m_grid->EditorTextChanged(text); });
  });
}

void TsfSkinInplaceEdit::SetLook(TColor background, const TFont& font) {
  QPalette pal = palette();
  pal.setColor(QPalette::Base, ToQColor(background));
  pal.setColor(QPalette::Text, ToQColor(font.Color()));
  setPalette(pal);
  setFont(font.ToQFont());
}

void TsfSkinInplaceEdit::TypeCharacter(QChar ch) {
  QKeyEvent e(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
  keyPressEvent(&e);
}

// Keys that belong to the grid go there and no further.
bool TsfSkinInplaceEdit::HandleKey(QKeyEvent* e) {
  const WORD vk = VirtualKeyOf(e);
  if (!vk || !m_grid) return false;
  const TShiftState shift = ShiftStateOf(unsigned(e->modifiers()), 0);
  const bool ctrl = shift & ssCtrl;
  const bool alwaysShow = m_grid->GridOptions() & goAlwaysShowEditor;
  // The selection from its start to its end, whichever way it was made
  // (the caret where there is none).
  const int selStart = hasSelectedText() ? selectionStart() : cursorPosition();
  const int selEnd = hasSelectedText() ? selectionEnd() : cursorPosition();
  const bool none = selStart == selEnd;
  // In text written from the right the editor moves its caret towards the
  // text's start with Right and towards its end with Left.
  WORD side = vk;
  if (text().isRightToLeft() && (vk == VK_LEFT || vk == VK_RIGHT)) side = vk == VK_LEFT ? VK_RIGHT : VK_LEFT;
  bool toGrid = false;
  switch (side) {
    case VK_TAB: toGrid = !(shift & ssAlt); break;
    case VK_ESCAPE:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_UP:
    case VK_DOWN: toGrid = true; break;
    case VK_HOME:
    case VK_LEFT:
      toGrid = alwaysShow && (ctrl || (selStart == 0 && (none || selEnd == text().size())));
      break;
    case VK_END:
    case VK_RIGHT:
      toGrid = alwaysShow && (ctrl || (selEnd == text().size() && (none || selStart == 0)));
      break;
    case VK_INSERT: toGrid = !(shift & (ssShift | ssCtrl | ssAlt)); break;
    case VK_DELETE:
      if (!m_grid->CanEditModify()) return true;
      break;
    case VK_F2: {
      WORD key = vk;
      const QPointer<TsfSkinInplaceEdit> self(this);  // the handler may destroy the grid
      if (m_grid->OnKeyDown) GuardEvent([&] { m_grid->OnKeyDown(m_grid, key, shift); });
      if (self && key == VK_F2) deselect(), setCursorPosition(text().size());
      return true;
    }
    default: break;
  }
  WORD key = vk;
  if (toGrid) {
    GuardEvent([&] { m_grid->EditorKeyDown(key, shift); });
    return true;
  }
  if (m_grid->OnKeyDown) {
    GuardEvent([&] { m_grid->OnKeyDown(m_grid, key, shift); });
    if (key == 0) return true;
  }
  return false;
}

bool TsfSkinInplaceEdit::HandleCharacter(QKeyEvent* e) {
  // The grid's key handling may run handlers that destroy the grid, and this
  // editor with it.
  const QPointer<TsfSkinInplaceEdit> self(this);
  const QString t = e->text();
  const WORD vk = VirtualKeyOf(e);
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  if (vk == VK_RETURN) {
    QChar ch{char16_t(VK_RETURN)};
    GuardEvent([&] { m_grid->EditorKeyPress(ch); });
    if (!self || !m_grid) return true;
    if (hasSelectedText() && selectedText() == text()) {
      deselect();
      setCursorPosition(text().size());
    } else {
      selectAll();
    }
    return true;
  }
  if (vk == VK_ESCAPE || vk == VK_TAB) return true;
  // Pasting asks the grid in PasteChecked.
  const bool modifying = vk == VK_BACK || (ctrl && e->key() == Qt::Key_X) ||
                         (!ctrl && !t.isEmpty() && t[0].isPrint());
  if (!t.isEmpty() && t[0].isPrint() && !ctrl) {
    QChar ch = t[0];
    GuardEvent([&] { m_grid->EditorKeyPress(ch); });
    if (!self || !m_grid || ch.isNull()) return true;
    if (!m_grid->CanEditAcceptKey(ch)) {
      QApplication::beep();
      return true;
    }
  }
  if (modifying && !m_grid->CanEditModify()) return true;
  return false;
}

void TsfSkinInplaceEdit::keyPressEvent(QKeyEvent* e) {
  if (!m_grid) return QLineEdit::keyPressEvent(e);
  QPointer<TsfSkinInplaceEdit> self(this);
  if (HandleKey(e)) return e->accept();
  if (!self) return;
  if (HandleCharacter(e)) return e->accept();
  if (!self) return;
  if (e->matches(QKeySequence::Paste)) {
    PasteChecked();
    return e->accept();
  }
  QLineEdit::keyPressEvent(e);
}

QString TsfSkinInplaceEdit::PrimarySelectionText() const {
  const QClipboard* clip = QApplication::clipboard();
  if (!clip || !clip->supportsSelection()) return {};
  return clip->text(QClipboard::Selection);
}

bool TsfSkinInplaceEdit::PasteChecked(QClipboard::Mode mode) {
  const bool selection = mode == QClipboard::Selection;
  const QClipboard* clip = QApplication::clipboard();
  const QString text = selection ? PrimarySelectionText() : clip ? clip->text() : QString();
  if (isReadOnly() || text.isEmpty() || !m_grid) return false;
  QPointer<TsfSkinCustomGrid> grid(m_grid);
  bool allowed = false;
  GuardEvent([&] { allowed = grid->CanEditAcceptText(text) && grid->CanEditModify(); });
  if (!grid) return false;
  if (!allowed) {
    QApplication::beep();
    return false;
  }
  if (selection) insert(text);
  else paste();
  return true;
}

void TsfSkinInplaceEdit::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::MiddleButton || !m_grid || isReadOnly() || PrimarySelectionText().isEmpty())
    return QLineEdit::mouseReleaseEvent(e);
  e->accept();
  // The press moved the caret (extending the selection with Shift); the
  // selection's text goes in at the caret, the selected text stays.
  deselect();
  PasteChecked(QClipboard::Selection);
}

// Text dropped into the editor is checked as pasted text is.
void TsfSkinInplaceEdit::dropEvent(QDropEvent* e) {
  const QString text = e->mimeData() ? e->mimeData()->text() : QString();
  QPointer<TsfSkinCustomGrid> grid(m_grid);
  bool allowed = !grid;
  if (grid) GuardEvent([&] { allowed = grid->CanEditAcceptText(text) && grid->CanEditModify(); });
  if (!allowed) {
    e->ignore();
    return;
  }
  QLineEdit::dropEvent(e);
}

void TsfSkinInplaceEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  if (!m_grid) return;
  m_grid->update();
  QPointer<TsfSkinCustomGrid> grid(m_grid);
  if (QApplication::focusWidget() != grid) GuardEvent([&] { grid->GridExited(); });
}

void TsfSkinInplaceEdit::contextMenuEvent(QContextMenuEvent* e) {
  e->accept();
  if (!m_grid) return;
  FreeContextMenu();
  m_menu = new TsfSkinPopupMenu(this);
  m_menu->SkinData = m_grid->SkinData();
  m_menu->HostForm = window();
  QPointer<TsfSkinCustomGrid> grid(m_grid);
  FillEditContextMenu(m_menu->Items(), this, m_grid->SkinData(),
                      [grid] { return grid && grid->CanEditModify(); });
  // Without a skinned window to show it no menu opens, not even Qt's own.
  // The grid is the popping control: it hears of the command and frees it.
  const QPoint at = e->reason() == QContextMenuEvent::Mouse ? e->globalPos()
                                                             : mapToGlobal(rect().center());
  GuardEvent([&] { m_menu->PopupForControl(m_grid, at.x(), at.y()); });
}

void TsfSkinInplaceEdit::FreeContextMenu() {
  if (m_menu) m_menu->deleteLater();
  m_menu = nullptr;
}
