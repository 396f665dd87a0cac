#include "platform/memo.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextOption>
#include <QTextEdit>
#include <QWheelEvent>

#include "platform/application.h"

namespace {
// Calls `f` with whichever Qt editor the memo holds.
template <typename F>
decltype(auto) WithEditor(QTextEdit* rich, QPlainTextEdit* plain, F&& f) {
  return rich ? f(rich) : f(plain);
}

unsigned MouseMessageOf(const QMouseEvent* e) {
  const bool dbl = e->type() == QEvent::MouseButtonDblClick;
  const bool up = e->type() == QEvent::MouseButtonRelease;
  if (e->type() == QEvent::MouseMove) return WM_MOUSEMOVE;
  switch (e->button()) {
    case Qt::LeftButton: return dbl ? WM_LBUTTONDBLCLK : up ? WM_LBUTTONUP : WM_LBUTTONDOWN;
    case Qt::RightButton: return dbl ? WM_RBUTTONDBLCLK : up ? WM_RBUTTONUP : WM_RBUTTONDOWN;
    case Qt::MiddleButton: return dbl ? WM_MBUTTONDBLCLK : up ? WM_MBUTTONUP : WM_MBUTTONDOWN;
    default: return 0;
  }
}
}  // namespace

bool HasLongUnbreakableRun(const QString& text) {
  if (text.size() <= kLongUnbreakableRun) return false;
  QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
  qsizetype last = 0;
  for (qsizetype at = lines.toNextBoundary(); at >= 0; at = lines.toNextBoundary()) {
    if (at - last > kLongUnbreakableRun) return true;
    last = at;
  }
  return text.size() - last > kLongUnbreakableRun;
}

QTextOption::WrapMode WrapModeFor(bool longRuns) {
  return longRuns ? QTextOption::WrapAnywhere : QTextOption::WrapAtWordBoundaryOrAnywhere;
}

void WrapForText(QTextDocument* doc, bool longRuns) {
  QTextOption option = doc->defaultTextOption();
  // An editor that does not wrap lays any run out in one line, in linear time.
  if (option.wrapMode() == QTextOption::NoWrap) return;
  const QTextOption::WrapMode mode = WrapModeFor(longRuns);
  if (option.wrapMode() == mode) return;
  // The old content goes first: laid out again in the new mode, a long run
  // it holds would cost what this avoids.
  doc->clear();
  option.setWrapMode(mode);
  doc->setDefaultTextOption(option);
}

TCustomMemo::TCustomMemo(QWidget* parent, bool rich) : TWinControl(parent) {
  QAbstractScrollArea* editor;
  if (rich) {
    m_rich = new QTextEdit(this);
    m_rich->setAcceptRichText(false);  // pasting brings text, not formats
    editor = m_rich;
  } else {
    m_plain = new QPlainTextEdit(this);
    editor = m_plain;
  }
  editor->setFrameShape(QFrame::NoFrame);
  editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  editor->setAutoFillBackground(false);
  editor->viewport()->setAutoFillBackground(false);
  editor->setMouseTracking(true);
  editor->viewport()->setMouseTracking(true);
  Document()->setDocumentMargin(rich ? 1 : 0);
  editor->installEventFilter(this);
  editor->viewport()->installEventFilter(this);
  setFocusProxy(editor);
  SetTabStop(true);
  SetWantTabs(false);

  connect(Document(), &QTextDocument::contentsChanged, this, [this] { GuardEvent([this] { Change(); }); });
  for (QScrollBar* bar : {editor->verticalScrollBar(), editor->horizontalScrollBar()}) {
    connect(bar, &QScrollBar::valueChanged, this, [this] { GuardEvent([this] { ScrollStateChanged(); }); });
    connect(bar, &QScrollBar::rangeChanged, this, [this] { GuardEvent([this] { ScrollStateChanged(); }); });
  }
  SetColor(clWindow);
  SetBounds(0, 0, 185, 89);
  PlaceEditor();
  FontChanged();
}

TCustomMemo::~TCustomMemo() {
  // The editor goes with us; nothing of ours may run from its signals now.
  Editor()->removeEventFilter(this);
  Editor()->viewport()->removeEventFilter(this);
  disconnect(Document(), nullptr, this, nullptr);
  disconnect(Editor()->verticalScrollBar(), nullptr, this, nullptr);
  disconnect(Editor()->horizontalScrollBar(), nullptr, this, nullptr);
}

QAbstractScrollArea* TCustomMemo::Editor() const {
  return m_rich ? static_cast<QAbstractScrollArea*>(m_rich) : m_plain;
}
QTextDocument* TCustomMemo::Document() const {
  return WithEditor(m_rich, m_plain, [](auto* e) { return e->document(); });
}
QTextCursor TCustomMemo::TextCursor() const {
  return WithEditor(m_rich, m_plain, [](auto* e) { return e->textCursor(); });
}
void TCustomMemo::SetTextCursor(const QTextCursor& c) {
  WithEditor(m_rich, m_plain, [&](auto* e) { e->setTextCursor(c); });
}

QString TCustomMemo::Text() const { return Document()->toPlainText(); }

void TCustomMemo::SetText(const QString& text) {
  WrapForText(Document(), HasLongUnbreakableRun(text));
  WithEditor(m_rich, m_plain, [&](auto* e) { e->setPlainText(text); });
}

int TCustomMemo::LineCount() const { return Document()->isEmpty() ? 0 : Document()->blockCount(); }

void TCustomMemo::SetReadOnly(bool v) {
  m_readOnly = v;
  WithEditor(m_rich, m_plain, [v](auto* e) {
    e->setReadOnly(v);
    // Read-only keeps the caret and keyboard selection, as the host's does.
    if (v) e->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  });
}

void TCustomMemo::SetWordWrap(bool v) {
  m_wordWrap = v;
  // Wrapping again takes the editor's own word-wrap mode: it must be the one
  // the text held needs, or a long run would be laid out at word boundaries.
  const QTextOption::WrapMode words = WrapModeFor(HasLongUnbreakableRun(Text()));
  if (m_rich) {
    m_rich->setWordWrapMode(words);
    m_rich->setLineWrapMode(v ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
  } else {
    m_plain->setWordWrapMode(words);
    m_plain->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  }
}

void TCustomMemo::SetWantTabs(bool v) {
  m_wantTabs = v;
  WithEditor(m_rich, m_plain, [v](auto* e) { e->setTabChangesFocus(!v); });
}

void TCustomMemo::SetAlignment(TAlignment v) {
  m_alignment = v;
  QTextOption option = Document()->defaultTextOption();
  option.setAlignment(v == taCenter ? Qt::AlignHCenter : v == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
  Document()->setDefaultTextOption(option);
}

int TCustomMemo::SelStart() const { return TextCursor().selectionStart(); }
int TCustomMemo::SelLength() const {
  const QTextCursor c = TextCursor();
  return c.selectionEnd() - c.selectionStart();
}
QString TCustomMemo::SelText() const {
  QString s = TextCursor().selectedText();
  s.replace(QChar::ParagraphSeparator, u'\n');
  return s;
}
void TCustomMemo::SetSelection(int start, int length) {
  QTextCursor c(Document());
  const int end = Document()->characterCount() - 1;
  c.setPosition(std::clamp(start, 0, end));
  c.setPosition(std::clamp(start + length, 0, end), QTextCursor::KeepAnchor);
  SetTextCursor(c);
}
bool TCustomMemo::CanUndo() const { return Document()->isUndoAvailable(); }
bool TCustomMemo::CanPaste() const {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  return data && data->hasText();
}
void TCustomMemo::SelectAll() {
  WithEditor(m_rich, m_plain, [](auto* e) { e->selectAll(); });
}

void TCustomMemo::MoveToStart() {
  SetTextCursor(QTextCursor(Document()));
  Editor()->verticalScrollBar()->setValue(0);
  Editor()->horizontalScrollBar()->setValue(0);
}

TScrollInfo TCustomMemo::GetScrollInfo(int bar) const {
  const QScrollBar* b = bar == SB_VERT ? Editor()->verticalScrollBar() : Editor()->horizontalScrollBar();
  const int page = b->pageStep();
  return TScrollInfo{b->minimum(), b->maximum() + std::max(page, 1) - 1, page, b->value()};
}

bool TCustomMemo::ScrollBarVisible(int bar) const {
  const bool wanted = m_scrollBars == ssBoth || (bar == SB_VERT ? m_scrollBars == ssVertical
                                                                  : m_scrollBars == ssHorizontal);
  const QScrollBar* b = bar == SB_VERT ? Editor()->verticalScrollBar() : Editor()->horizontalScrollBar();
  return wanted && b->maximum() > b->minimum();
}

void TCustomMemo::SetFormatRect(const TRect& rect) {
  m_hasFormatRect = true;
  m_formatRect = rect;
  PlaceEditor();
}
void TCustomMemo::ResetFormatRect() {
  m_hasFormatRect = false;
  PlaceEditor();
}
TRect TCustomMemo::FormatRect() const { return m_hasFormatRect ? m_formatRect : ClientRect(); }

void TCustomMemo::PlaceEditor() {
  TRect r = FormatRect();
  r.Right = std::max(r.Left, r.Right);
  r.Bottom = std::max(r.Top, r.Bottom);
  Editor()->setGeometry(r.toQRect());
}

void TCustomMemo::Change() {
  if (OnChange) OnChange(this);
}

void TCustomMemo::FontChanged() {
  const QFont font = Font()->ToQFont();
  Editor()->setFont(font);
  Document()->setDefaultFont(font);
  // The host scrolls a rich edit by lines of its font, not Qt's 20 pixels.
  if (m_rich) m_rich->verticalScrollBar()->setSingleStep(std::max(1, QFontMetrics(font).lineSpacing()));
  ApplyTextColor();
}

void TCustomMemo::ColorChanged() { update(); }

void TCustomMemo::ApplyTextColor() {
  QPalette p = Editor()->palette();
  const QColor text = ToQColor(Font()->Color());
  for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(g, QPalette::Text, text);
    p.setColor(g, QPalette::Base, Qt::transparent);
  }
  Editor()->setPalette(p);
}

void TCustomMemo::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_VSCROLL:
    case WM_HSCROLL: {
      QScrollBar* b = m.Msg == WM_VSCROLL ? Editor()->verticalScrollBar() : Editor()->horizontalScrollBar();
      switch (ScrollCodeOf(m.WParam)) {
        case SB_LINEUP: b->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
        case SB_LINEDOWN: b->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
        case SB_PAGEUP: b->triggerAction(QAbstractSlider::SliderPageStepSub); break;
        case SB_PAGEDOWN: b->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
        case SB_THUMBPOSITION:
        case SB_THUMBTRACK: b->setValue(ScrollPositionOf(m.WParam)); break;
        case SB_TOP: b->setValue(b->minimum()); break;
        case SB_BOTTOM: b->setValue(b->maximum()); break;
        default: break;
      }
      return;
    }
    case WM_CUT: WithEditor(m_rich, m_plain, [](auto* e) { e->cut(); }); return;
    case WM_COPY: WithEditor(m_rich, m_plain, [](auto* e) { e->copy(); }); return;
    case WM_PASTE: WithEditor(m_rich, m_plain, [](auto* e) { e->paste(); }); return;
    case WM_UNDO: WithEditor(m_rich, m_plain, [](auto* e) { e->undo(); }); return;
    case WM_CLEAR:
      if (!m_readOnly) {
        QTextCursor c = TextCursor();
        c.removeSelectedText();
        SetTextCursor(c);
      }
      return;
    case WM_CONTEXTMENU: return;  // never Qt's own menu
    case WM_SIZE: PlaceEditor(); break;
    default: break;
  }
  TWinControl::WndProc(m);
}

// A key for the editor: WM_KEYDOWN first; clipboard and undo keys become the
// host's edit messages; typed characters go as WM_CHAR. True: the editor does
// not see the key.
bool TCustomMemo::KeyThroughPipe(QKeyEvent* e) {
  QPointer<TCustomMemo> self(this);
  const WORD vk = VirtualKeyOf(e);
  if (vk && PerformFromQt(WM_KEYDOWN, vk) == 0) return true;
  if (!self) return true;
  unsigned edit = 0;
  if (e->matches(QKeySequence::Cut)) edit = WM_CUT;
  else if (e->matches(QKeySequence::Copy)) edit = WM_COPY;
  else if (e->matches(QKeySequence::Paste)) edit = WM_PASTE;
  else if (e->matches(QKeySequence::Undo)) edit = WM_UNDO;
  if (edit) {
    PerformFromQt(edit);
    return true;
  }
  const QString text = e->text();
  if (text.isEmpty() || (e->modifiers() & Qt::ControlModifier)) return false;
  QString changed;
  bool differs = false;
  for (QChar c : text) {
    if (c.unicode() == 0x7F) return false;  // Delete has no character
    const intptr_t r = PerformFromQt(WM_CHAR, c.unicode());
    if (!self) return true;
    if (r == 0) {
      differs = true;
      continue;
    }
    const QChar out(static_cast<char16_t>(r));
    differs = differs || out != c;
    changed += out;
  }
  if (!differs) return false;
  if (!changed.isEmpty() && !m_readOnly) {
    QTextCursor cursor = TextCursor();
    cursor.insertText(changed);
    SetTextCursor(cursor);
  }
  return true;
}

bool TCustomMemo::eventFilter(QObject* watched, QEvent* e) {
  QAbstractScrollArea* editor = Editor();
  const bool onViewport = watched == editor->viewport();
  if (watched != editor && !onViewport) return false;
  switch (e->type()) {
    case QEvent::KeyPress:
      return KeyThroughPipe(static_cast<QKeyEvent*>(e));
    case QEvent::KeyRelease:
      if (const WORD vk = VirtualKeyOf(static_cast<QKeyEvent*>(e))) PerformFromQt(WM_KEYUP, vk);
      return false;
    case QEvent::ContextMenu: {
      auto* ce = static_cast<QContextMenuEvent*>(e);
      const QPoint p = ce->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : ce->globalPos();
      PerformFromQt(WM_CONTEXTMENU, 0, MakeLParam(p.x(), p.y()));
      return true;  // Qt's own menu never shows
    }
    case QEvent::FocusIn:
      if (!onViewport) PerformFromQt(WM_SETFOCUS);
      return false;
    case QEvent::FocusOut:
      if (!onViewport) PerformFromQt(WM_KILLFOCUS);
      return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      if (!onViewport) return false;
      auto* me = static_cast<QMouseEvent*>(e);
      const unsigned msg = MouseMessageOf(me);
      if (!msg) return false;
      const QPoint p = editor->viewport()->mapTo(this, me->position().toPoint());
      QPointer<TCustomMemo> self(this);
      PerformFromQt(msg, MouseKeys(me), MakeLParam(p.x(), p.y()));
      return !self;
    }
    case QEvent::Wheel: {
      if (!onViewport) return false;
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
