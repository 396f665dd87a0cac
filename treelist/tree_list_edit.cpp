#include "treelist/tree_list_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QWheelEvent>

#include "platform/application.h"
#include "platform/memo.h"
#include "platform/menus.h"
#include "treelist/tree_list.h"

const char16_t* const kInvalidMaskInput = u"录入的数据无效，请重新录入，放弃使用[ESC]键";
const char16_t* const kInvalidInputDefault = u"Invalid input value. Use escape key to abandon changes";

TtlEditBorderStyle TtlTreeListEditStyle::DefaultBorderStyle() const {
  return m_treeList && m_treeList->ShowGrid() ? xbsNone : xbsSingle;
}

TtlEditButtonViewStyle TtlTreeListEditStyle::DefaultButtonStyle() const {
  switch (m_treeList ? m_treeList->LookAndFeel() : lfStandard) {
    case lfFlat: return btsFlat;
    case lfUltraFlat: return btsHotFlat;
    case lfStandard: break;
  }
  return bts3D;
}

// ---------------------------------------------------------------------------

TtlInplaceEdit::TtlInplaceEdit(QWidget* parent) : TWinControl(parent) {
  Opaque = true;
  SetTabStop(true);
  m_edit = new QLineEdit(this);
  m_edit->setFrame(false);
  m_edit->setContextMenuPolicy(Qt::DefaultContextMenu);
  m_edit->installEventFilter(this);
  setFocusProxy(m_edit);
  m_style = std::make_unique<TtlEditStyle>();
  QObject::connect(m_edit, &QLineEdit::textChanged, this, [this] { GuardEvent([this] { TextChanged(); }); });
  PlaceLineEdit();
}

TtlInplaceEdit::~TtlInplaceEdit() {
  m_edit->removeEventFilter(this);
  m_container = nullptr;
}

void TtlInplaceEdit::SetContainer(TtlCustomTreeList* c) {
  if (c == m_container) return;
  m_container = c;
  m_style = c ? c->CreateEditStyle(this) : std::make_unique<TtlEditStyle>();
  update();
}

QString TtlInplaceEdit::Text() const { return m_edit->text(); }
void TtlInplaceEdit::SetText(const QString& text) { m_edit->setText(text); }
bool TtlInplaceEdit::Modified() const { return m_edit->isModified(); }
void TtlInplaceEdit::SetModified(bool v) { m_edit->setModified(v); }

void TtlInplaceEdit::SetReadOnly(bool v) {
  m_readOnly = v;
  m_edit->setReadOnly(v);
}

void TtlInplaceEdit::SetMaxLength(int v) {
  m_maxLength = std::max(0, v);
  // 0: the control's own limit.
  m_edit->setMaxLength(m_maxLength > 0 ? m_maxLength : 32767);
}

void TtlInplaceEdit::SetPasswordChar(QChar c) {
  m_passwordChar = c;
  m_edit->setEchoMode(c.isNull() ? QLineEdit::Normal : QLineEdit::Password);
}

void TtlInplaceEdit::BeginLoad() { ++m_loading; }
void TtlInplaceEdit::EndLoad() { m_loading = std::max(0, m_loading - 1); }

void TtlInplaceEdit::Activate() {
  m_entryText = m_edit->text();
  m_entryModified = Modified();
}

void TtlInplaceEdit::Restore() {
  if (m_edit->text() != m_entryText) m_edit->setText(m_entryText);
  SetModified(m_entryModified);
}

void TtlInplaceEdit::Beep() { QApplication::beep(); }

bool TtlInplaceEdit::CanModify() {
  if (m_readOnly) return false;
  QPointer<TtlInplaceEdit> self(this);
  const bool can = !m_container || m_container->CanEditModify();
  return self && can && !m_readOnly;
}

void TtlInplaceEdit::ValidateEdit() {
  if (!Modified() || m_lock > 0) return;
  QString errorText = QString::fromUtf16(kInvalidInputDefault);
  bool accept = true;
  QPointer<TtlInplaceEdit> self(this);
  if (OnValidate) OnValidate(this, errorText, accept);
  if (accept) return;
  Beep();
  if (self && isVisible()) SetFocus();
  throw EtlEditInvalidInput(errorText);
}

void TtlInplaceEdit::ApplyLook(const TFont& font, TColor color) {
  QFont f = font.ToQFont();
  m_edit->setFont(f);
  QPalette pal = m_edit->palette();
  // The screen shows the colour as it is (every colour is representable).
  const QColor background = ToQColor(color);
  pal.setColor(QPalette::Base, background);
  pal.setColor(QPalette::Window, background);
  // Automatic text colour for the window-text and default colours.
  const TColor fc = font.Color();
  const QColor text = fc == clWindowText || fc == clDefault ? ToQColor(clWindowText) : ToQColor(fc);
  pal.setColor(QPalette::Text, text);
  pal.setColor(QPalette::Disabled, QPalette::Base, ToQColor(clBtnFace));
  pal.setColor(QPalette::Disabled, QPalette::Text, ToQColor(clBtnShadow));
  m_edit->setPalette(pal);
  // One pixel of text margin on the left.
  m_edit->setTextMargins(1, 0, 0, 0);
  SetColor(color);
}

int TtlInplaceEdit::SelStart() const {
  return m_edit->hasSelectedText() ? m_edit->selectionStart() : m_edit->cursorPosition();
}
int TtlInplaceEdit::SelLength() const { return m_edit->hasSelectedText() ? m_edit->selectedText().size() : 0; }
void TtlInplaceEdit::SelectAll() { m_edit->selectAll(); }

void TtlInplaceEdit::PostChar(QChar c) {
  QPointer<TtlInplaceEdit> self(this);
  if (c.unicode() == VK_BACK) {
    WORD key = VK_BACK;
    if (!CanModify() || !self) return;
    if (MaskKey(key, 0)) return;
    m_edit->backspace();
    return;
  }
  const intptr_t r = Perform(WM_CHAR, c.unicode());
  if (!self || r == 0) return;
  const QChar out(static_cast<char16_t>(r));
  if (!MaskChar(out)) m_edit->insert(QString(out));
}

void TtlInplaceEdit::PasteFromClipboard() {
  if (!CanModify()) return;
  QString text = QApplication::clipboard()->text();
  // A single line: the paste stops at the first line break.
  const int eol = text.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
  if (eol >= 0) text.truncate(eol);
  if (CharCase == ecUpperCase) text = text.toUpper();
  else if (CharCase == ecLowerCase) text = text.toLower();
  if (MaskPaste(text)) return;
  m_edit->insert(text);
}

void TtlInplaceEdit::CutToClipboard() {
  if (!m_edit->hasSelectedText() || !m_passwordChar.isNull()) return;
  if (!CanModify()) return;
  QApplication::clipboard()->setText(m_edit->selectedText());
  WORD del = VK_DELETE;
  if (MaskKey(del, 0)) return;
  m_edit->del();
}

void TtlInplaceEdit::TextChanged() {
  if (Loading() || m_applyingCase) return;
  if (CharCase != ecNormal) {
    const QString text = m_edit->text();
    const QString cased = CharCase == ecUpperCase ? text.toUpper() : text.toLower();
    if (cased != text) {
      // The whole text in its case, the selection and modified flag kept.
      m_applyingCase = true;
      const int start = m_edit->selectionStart(), length = m_edit->selectedText().size();
      const int caret = m_edit->cursorPosition();
      const bool modified = Modified();
      m_edit->setText(cased);
      if (length > 0) m_edit->setSelection(start, length);
      else m_edit->setCursorPosition(caret);
      SetModified(modified);
      m_applyingCase = false;
    }
  }
  QPointer<TtlInplaceEdit> self(this);
  if (m_container) m_container->EditorChanged();
  if (self && OnChange) OnChange(this);
}

TtlEditBorderStyle TtlInplaceEdit::ShownBorderStyle() const {
  const TtlEditBorderStyle style = m_style->BorderStyle();
  if (!m_hot || !m_style->HotTrack()) return style;
  switch (style) {
    case xbsNone: return xbsFlat;
    case xbsSingle: return xbsThick;
    case xbsFlat: return xbs3D;
    default: return style;
  }
}

void TtlInplaceEdit::Paint() {
  TCanvas* c = Canvas();
  const TRect r = ClientRect();
  c->Brush.Style = bsSolid;
  c->Brush.Color = Enabled() ? Color() : clBtnFace;
  c->FillRect(r);
  const TtlEditEdges edges = m_style->Edges();
  auto edgeLines = [&](const TRect& box, TColor tl, TColor br, int width) {
    for (int i = 0; i < width; ++i) {
      const TRect b(box.Left + i, box.Top + i, box.Right - i, box.Bottom - i);
      c->Brush.Color = tl;
      if (edges & eeLeft) c->FillRect(TRect(b.Left, b.Top, b.Left + 1, b.Bottom));
      if (edges & eeTop) c->FillRect(TRect(b.Left, b.Top, b.Right, b.Top + 1));
      c->Brush.Color = br;
      if (edges & eeRight) c->FillRect(TRect(b.Right - 1, b.Top, b.Right, b.Bottom));
      if (edges & eeBottom) c->FillRect(TRect(b.Left, b.Bottom - 1, b.Right, b.Bottom));
    }
  };
  TRect box = r;
  if (m_style->Shadow()) {
    // A 2-pixel shadow along the right and bottom.
    c->Brush.Color = clBtnShadow;
    c->FillRect(TRect(r.Right - 2, r.Top + 2, r.Right, r.Bottom));
    c->FillRect(TRect(r.Left + 2, r.Bottom - 2, r.Right, r.Bottom));
    box = TRect(r.Left, r.Top, r.Right - 2, r.Bottom - 2);
  }
  switch (ShownBorderStyle()) {
    case xbsNone: break;
    case xbsSingle: edgeLines(box, m_style->BorderColor(), m_style->BorderColor(), 1); break;
    case xbsThick: edgeLines(box, m_style->BorderColor(), m_style->BorderColor(), 2); break;
    case xbsFlat:
      edgeLines(box, clBtnShadow, clBtnHighlight, 1);
      edgeLines(box.Inflate(-1, -1), clBtnFace, clBtnFace, 1);
      break;
    case xbs3D:
      edgeLines(box, clBtnShadow, clBtnHighlight, 1);
      edgeLines(box.Inflate(-1, -1), cl3DDkShadow, clBtnFace, 1);
      break;
  }
}

void TtlInplaceEdit::PlaceLineEdit() {
  // The text area is the client area inside the 2-pixel frame.
  const TRect r = ClientRect().Inflate(-2, -2);
  m_edit->setGeometry(r.Left, r.Top, std::max(0, r.Width()), std::max(0, r.Height()));
}

void TtlInplaceEdit::Resize() {
  PlaceLineEdit();
  TWinControl::Resize();
}

void TtlInplaceEdit::MouseEnter() {
  m_hot = true;
  if (m_style->HotTrack()) update();
  TWinControl::MouseEnter();
}

void TtlInplaceEdit::MouseLeave() {
  m_hot = false;
  if (m_style->HotTrack()) update();
  TWinControl::MouseLeave();
}

bool TtlInplaceEdit::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  return m_container && m_container->EditorWheel(shift, wheelDelta, mousePos);
}

void TtlInplaceEdit::DblClick() {
  if (m_container) m_container->EditorDblClick();
}

void TtlInplaceEdit::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_CONTEXTMENU: {
      UpdateContextMenu();
      // From the keyboard: at the caret, within the client width.
      QPoint at(static_cast<int16_t>(m.LParam & 0xFFFF), static_cast<int16_t>((m.LParam >> 16) & 0xFFFF));
      if (at == QPoint(-1, -1)) {
        const QRect caret = m_edit->inputMethodQuery(Qt::ImCursorRectangle).toRect();
        at = m_edit->mapToGlobal(QPoint(std::min(caret.left(), m_edit->width()), caret.bottom()));
      } else if (!rect().contains(mapFromGlobal(at))) {
        return;
      }
      QMenu menu;
      for (int i = 0; i < m_menu->Items()->Count(); ++i) {
        TMenuItem* item = m_menu->Items()->Items(i);
        if (item->IsLine()) {
          menu.addSeparator();
          continue;
        }
        QAction* a = menu.addAction(item->Caption);
        a->setEnabled(item->Enabled);
        QPointer<TMenuItem> watched(item);
        QObject::connect(a, &QAction::triggered, this, [watched] {
          if (watched) GuardEvent([&] { watched->Click(); });
        });
      }
      menu.exec(at);
      return;
    }
    default:
      break;
  }
  TWinControl::WndProc(m);
}

TPopupMenu* TtlInplaceEdit::ContextMenu() {
  if (m_menu) return m_menu;
  m_menu = new TPopupMenu(this);
  QPointer<TtlInplaceEdit> self(this);
  auto add = [&](const QString& name, const QString& caption, std::function<void()> action) {
    m_menu->Items()->Add(NewMenuItem(m_menu, name, caption, [self, action](TObject*) {
      if (self) action();
    }));
  };
  add(QStringLiteral("Undo"), QStringLiteral("&Undo"), [this] { if (CanModify()) m_edit->undo(); });
  add(QStringLiteral("Redo"), QStringLiteral("&Redo"), [this] { if (CanModify()) m_edit->redo(); });
  add(QStringLiteral("N1"), QStringLiteral("-"), [] {});
  add(QStringLiteral("Cut"), QStringLiteral("Cu&t"), [this] { CutToClipboard(); });
  add(QStringLiteral("Copy"), QStringLiteral("&Copy"), [this] {
    if (m_passwordChar.isNull()) m_edit->copy();
  });
  add(QStringLiteral("Paste"), QStringLiteral("&Paste"), [this] { PasteFromClipboard(); });
  add(QStringLiteral("Delete"), QStringLiteral("&Delete"), [this] {
    if (!m_edit->hasSelectedText() || !CanModify()) return;
    WORD del = VK_DELETE;
    if (!MaskKey(del, 0)) m_edit->del();
  });
  add(QStringLiteral("N2"), QStringLiteral("-"), [] {});
  add(QStringLiteral("SelectAll"), QStringLiteral("Select &All"), [this] { SelectAll(); });
  return m_menu;
}

void TtlInplaceEdit::UpdateContextMenu() {
  TMenuItem* items = ContextMenu()->Items();
  const bool selected = m_edit->hasSelectedText();
  const bool secret = !m_passwordChar.isNull();
  const bool canPaste = !QApplication::clipboard()->text().isEmpty();
  const bool all = m_edit->text().isEmpty() || m_edit->selectedText() == m_edit->text();
  const bool enabled[] = {m_edit->isUndoAvailable(), m_edit->isRedoAvailable(), true,
                          selected && !m_readOnly && !secret, selected && !secret,
                          !m_readOnly && canPaste, selected && !m_readOnly, true, !all};
  for (int i = 0; i < items->Count() && i < 9; ++i) items->Items(i)->Enabled = enabled[i];
}

// ---------------------------------------------------------------------------
// Keys

void TtlInplaceEdit::KeyDown(WORD& key, TShiftState shift) {
  QPointer<TtlInplaceEdit> self(this);
  if (key == VK_ESCAPE) Restore();
  const bool leaving = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_PRIOR ||
                       key == VK_NEXT || key == VK_UP || key == VK_DOWN || key == VK_INSERT;
  // A refused value raises here: the key that tried to leave is abandoned.
  if (leaving) ValidateEdit();
  // A validation handler that closed the editor (or more) takes the key along.
  if (!self || (leaving && m_container && m_container->InplaceEditor() != this)) {
    key = 0;
    return;
  }
  ++m_lock;
  struct Unlock {
    QPointer<TtlInplaceEdit> self;
    ~Unlock() {
      if (self) --self->m_lock;
    }
  } unlock{self};
  TtlCustomTreeList* c = m_container;
  const bool modifiers = shift & (ssShift | ssAlt | ssCtrl);
  const bool handed = (key == VK_TAB && !(shift & ssAlt) && c && c->EditWantsTab(shift)) ||
                      (leaving && key != VK_TAB && !modifiers);
  if (handed) {
    WORD k = key;
    key = 0;
    if (c) c->EditorKeyToContainer(k, shift);
  } else if ((key == VK_INSERT && shift == ssShift) || key == VK_DELETE) {
    if (!CanModify()) key = 0;
    else if (self && m_container) m_container->EditKeyDown(key, shift);
  } else if (key == VK_F2) {
    if (c) c->EditKeyDown(key, shift);
    if (self && key) m_edit->end(false);
    key = 0;
  } else if (c) {
    c->EditKeyDown(key, shift);
  }
}

void TtlInplaceEdit::KeyPress(QChar& key) {
  QPointer<TtlInplaceEdit> self(this);
  if (m_container) m_container->EditorKeyPress(key);
  if (!self || key.isNull()) return;
  const char16_t u = key.unicode();
  // The Esc character and tabs never reach the text.
  if (u == VK_ESCAPE || u == VK_TAB) {
    key = QChar();
    return;
  }
  if (u >= 0x20) {
    if (m_container && !m_container->CanEditAcceptKey(key)) {
      if (self) Beep();
      key = QChar();
      return;
    }
    if (!self || !CanModify()) {
      key = QChar();
      return;
    }
  }
  if (!self) return;
  if (CharCase == ecUpperCase) key = key.toUpper();
  else if (CharCase == ecLowerCase) key = key.toLower();
  TWinControl::KeyPress(key);
}

bool TtlInplaceEdit::KeyFromEditor(QKeyEvent* e) {
  QPointer<TtlInplaceEdit> self(this);
  // Keys meant for another column than the one loaded are discarded.
  if (m_container && m_container->IgnoreEditKeys()) return true;
  const WORD vk = VirtualKeyOf(e);
  const TShiftState shift = ShiftStateOf(e->modifiers(), QApplication::mouseButtons());
  if (vk && PerformFromQt(WM_KEYDOWN, vk) == 0) return true;
  if (!self) return true;
  if (e->matches(QKeySequence::Paste)) {
    GuardEvent([this] { PasteFromClipboard(); });
    return true;
  }
  if (e->matches(QKeySequence::Cut)) {
    GuardEvent([this] { CutToClipboard(); });
    return true;
  }
  if (e->matches(QKeySequence::SelectAll)) {
    SelectAll();
    return true;
  }
  if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo)) {
    bool can = false;
    GuardEvent([&] { can = CanModify(); });
    return !self || !can;
  }
  // Tab the tree list does not take moves the focus on.
  if (vk == VK_TAB) return false;
  if (vk == VK_BACK || vk == VK_DELETE) {
    bool handled = true;
    GuardEvent([&] {
      if (!CanModify() || !self) return;
      WORD k = vk;
      handled = MaskKey(k, shift);
    });
    return !self || handled;
  }
  bool moved = false;
  GuardEvent([&] { moved = MaskKey(vk, shift); });
  if (!self || moved) return true;
  const QString text = e->text();
  if (text.isEmpty() || (e->modifiers() & Qt::ControlModifier) || text[0].unicode() < 0x20)
    return false;
  QString typed;
  for (QChar ch : text) {
    const intptr_t r = PerformFromQt(WM_CHAR, ch.unicode());
    if (!self) return true;
    if (r != 0) typed += QChar(static_cast<char16_t>(r));
  }
  for (QChar ch : typed) {
    bool masked = false;
    GuardEvent([&] { masked = MaskChar(ch); });
    if (!self) return true;
    if (!masked) m_edit->insert(QString(ch));
  }
  return true;
}

void TtlInplaceEdit::FocusLeft() {
  // To another window (a menu, another application): the editor stays open.
  // To another control of this window: the tree list is left.
  QWidget* now = QApplication::focusWidget();
  if (!m_container || m_closing || !isVisible()) return;
  if (now && (now == m_container || m_container->isAncestorOf(now))) {
    m_container->EditFocusChanged();
    return;
  }
  if (!now || now->window() != window()) {
    m_container->EditFocusChanged();
    return;
  }
  m_container->EditorFocusLeft();
}

bool TtlInplaceEdit::eventFilter(QObject* watched, QEvent* e) {
  if (watched != m_edit) return false;
  switch (e->type()) {
    case QEvent::KeyPress:
      return KeyFromEditor(static_cast<QKeyEvent*>(e));
    case QEvent::KeyRelease:
      if (const WORD vk = VirtualKeyOf(static_cast<QKeyEvent*>(e))) PerformFromQt(WM_KEYUP, vk);
      return false;
    case QEvent::FocusIn:
      if (m_container) GuardEvent([this] { m_container->EditFocusChanged(); });
      return false;
    case QEvent::FocusOut: {
      const auto reason = static_cast<QFocusEvent*>(e)->reason();
      if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) {
        if (m_container) GuardEvent([this] { m_container->EditFocusChanged(); });
        return false;
      }
      GuardEvent([this] { FocusLeft(); });
      return false;
    }
    case QEvent::ContextMenu: {
      auto* ce = static_cast<QContextMenuEvent*>(e);
      const QPoint p = ce->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : ce->globalPos();
      PerformFromQt(WM_CONTEXTMENU, 0, MakeLParam(p.x(), p.y()));
      return true;
    }
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(e);
      // With an immediate editor, the second press of a double click whose
      // first press opened the editor selects a word.
      if (me->button() == Qt::LeftButton && m_container && m_container->ImmediateEdit()) {
        const qint64 since = m_container->MillisecondsSinceLastPress();
        if (since >= 0 && since < QApplication::doubleClickInterval()) {
          m_edit->setCursorPosition(m_edit->cursorPositionAt(me->position().toPoint()));
          m_edit->cursorWordBackward(false);
          m_edit->cursorWordForward(true);
          return true;
        }
      }
      return false;
    }
    case QEvent::MouseButtonDblClick:
      PerformFromQt(WM_LBUTTONDBLCLK, 0, 0);
      return false;
    case QEvent::Wheel: {
      auto* we = static_cast<QWheelEvent*>(e);
      const QPoint p = we->globalPosition().toPoint();
      const int delta = we->angleDelta().y();
      const intptr_t w = static_cast<intptr_t>(static_cast<uint32_t>(static_cast<uint16_t>(delta)) << 16);
      return PerformFromQt(WM_MOUSEWHEEL, w, MakeLParam(p.x(), p.y())) != 0;
    }
    default:
      return false;
  }
}

// ---------------------------------------------------------------------------
// Masked editing

void TtlInplaceMaskEdit::SetEditMask(const QString& mask) {
  m_maskText = mask;
  const QLocale locale;
  const QString date = locale.dateFormat(QLocale::ShortFormat);
  QChar dateSep = QLatin1Char('/');
  for (QChar c : date)
    if (!c.isLetter()) {
      dateSep = c;
      break;
    }
  m_mask = TtlEditMask(mask, dateSep, QLatin1Char(':'));
}

QString TtlInplaceMaskEdit::EditText() const { return m_edit->text(); }

QString TtlInplaceMaskEdit::Text() const {
  if (m_mask.IsEmpty()) return TtlInplaceTextEdit::Text();
  const QString edit = m_edit->text();
  if (IgnoreMaskBlank) return edit;
  return m_mask.NothingEntered(edit) ? QString() : m_mask.Value(edit);
}

void TtlInplaceMaskEdit::SetText(const QString& text) {
  if (m_mask.IsEmpty()) {
    TtlInplaceTextEdit::SetText(text);
    return;
  }
  m_edit->setText(m_mask.Format(text));
}

void TtlInplaceMaskEdit::SetMasked(const QString& text, int caret) {
  const bool changed = text != m_edit->text();
  if (changed) {
    // Typing: the change counts as the user's.
    m_edit->selectAll();
    m_edit->insert(text);
  }
  m_edit->setCursorPosition(std::clamp(caret, 0, static_cast<int>(text.size())));
}

bool TtlInplaceMaskEdit::MaskChar(QChar c) {
  if (m_mask.IsEmpty()) return false;
  QString text = m_edit->text();
  int caret = SelStart();
  if (m_edit->hasSelectedText()) m_mask.Blank(text, caret, caret + SelLength());
  if (!m_mask.Type(text, caret, c)) {
    QApplication::beep();
    return true;
  }
  SetMasked(text, caret);
  return true;
}

bool TtlInplaceMaskEdit::MaskKey(WORD key, TShiftState shift) {
  if (m_mask.IsEmpty()) return false;
  QString text = m_edit->text();
  const int caret = m_edit->cursorPosition();
  const bool select = shift & ssShift;
  switch (key) {
    case VK_BACK: {
      if (m_edit->hasSelectedText()) {
        const int from = SelStart();
        m_mask.Blank(text, from, from + SelLength());
        SetMasked(text, m_mask.NextEditable(from));
        return true;
      }
      int at = caret;
      if (m_mask.Backspace(text, at)) SetMasked(text, at);
      return true;
    }
    case VK_DELETE: {
      const int from = m_edit->hasSelectedText() ? SelStart() : m_mask.NextEditable(caret);
      const int length = m_edit->hasSelectedText() ? SelLength() : 1;
      m_mask.Blank(text, from, from + length);
      SetMasked(text, from);
      return true;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      if (select || (shift & ssCtrl)) return false;
      const int to = key == VK_LEFT ? std::max(0, m_mask.PrevEditable(caret))
                                    : m_mask.NextEditable(std::min(caret + 1, m_mask.Length()));
      m_edit->setCursorPosition(key == VK_RIGHT && to >= m_mask.Length() ? m_mask.Length() : to);
      return true;
    }
    case VK_HOME:
      if (select) return false;
      m_edit->setCursorPosition(m_mask.NextEditable(0));
      return true;
    default:
      return false;
  }
}

bool TtlInplaceMaskEdit::MaskPaste(const QString& s) {
  if (m_mask.IsEmpty()) return false;
  QString text = m_edit->text();
  int caret = SelStart();
  if (m_edit->hasSelectedText()) m_mask.Blank(text, caret, caret + SelLength());
  if (m_mask.Paste(text, caret, s) < s.size()) QApplication::beep();
  SetMasked(text, caret);
  return true;
}

void TtlInplaceMaskEdit::ValidateEdit() {
  if (!m_mask.IsEmpty() && Modified() && ValidationLock() == 0) {
    const int bad = m_mask.FirstInvalid(m_edit->text(), IgnoreMaskBlank);
    if (bad >= 0) {
      if (Closing()) {
        Restore();
        return;
      }
      if (isVisible()) SetFocus();
      m_edit->setCursorPosition(bad);
      QApplication::beep();
      throw EtlDBEditError(QString::fromUtf16(kInvalidMaskInput));
    }
  }
  TtlInplaceTextEdit::ValidateEdit();
}
