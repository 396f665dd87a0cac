#pragma once
// The host's multi-line edits: TMemo (plain text, a QPlainTextEdit inside) and
// the base TCustomMemo they share with the rich edit (a QTextEdit inside,
// rich_edit.h). The Qt editor fills the formatting rectangle of the outer
// control, which paints the background; the editor's viewport is transparent
// and its own scroll bars are never shown, though they keep the scroll state
// that GetScrollInfo reports. Qt's own context menus are off: a context
// request arrives as WM_CONTEXTMENU and shows nothing unless a subclass does.
//
// Input to the editor goes through the outer control's message pipe first
// (WM_KEYDOWN, WM_CHAR, WM_CUT, WM_COPY, WM_PASTE, WM_CLEAR, WM_UNDO, mouse
// and wheel messages, focus), so a subclass can take or refuse it.

#include <QPointer>
#include <QTextOption>

#include "platform/alignment.h"
#include "platform/control.h"
#include "platform/scroll_messages.h"

class QAbstractScrollArea;
class QPlainTextEdit;
class QTextCursor;
class QTextDocument;
class QTextEdit;

constexpr unsigned WM_CONTEXTMENU = 0x007B;
constexpr unsigned WM_CUT = 0x0300;
constexpr unsigned WM_COPY = 0x0301;
constexpr unsigned WM_PASTE = 0x0302;
constexpr unsigned WM_CLEAR = 0x0303;
constexpr unsigned WM_UNDO = 0x0304;

class QTextDocument;

// Qt lays out a run of text without a line-break opportunity in time that
// grows with the square of the run's length when lines wrap at word
// boundaries: one such run of a few hundred thousand characters (a hostile
// memo in a bank) freezes the window for minutes. Called before `doc` is
// given new text (it may drop the old), this makes it wrap anywhere when the
// text holds a run longer than kLongUnbreakableRun characters (laid out in
// linear time), and at word boundaries otherwise, as ordinary text always is.
// A document that does not wrap at all is left so.
constexpr int kLongUnbreakableRun = 1000;
bool HasLongUnbreakableRun(const QString& text);
QTextOption::WrapMode WrapModeFor(bool longRuns);
void WrapForText(QTextDocument* doc, bool longRuns);

class TCustomMemo : public TWinControl {
  Q_OBJECT
 public:
  ~TCustomMemo() override;

  virtual QString Text() const;
  virtual void SetText(const QString& text);
  void Clear() { SetText(QString()); }
  int LineCount() const;

  bool ReadOnly() const { return m_readOnly; }
  void SetReadOnly(bool v);
  TScrollStyle ScrollBars() const { return m_scrollBars; }
  void SetScrollBars(TScrollStyle v) { m_scrollBars = v; }
  bool WordWrap() const { return m_wordWrap; }
  void SetWordWrap(bool v);
  bool WantTabs() const { return m_wantTabs; }
  void SetWantTabs(bool v);
  bool WantReturns() const { return m_wantReturns; }
  void SetWantReturns(bool v) { m_wantReturns = v; }
  TAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TAlignment v);

  // Selection, in characters of Text().
  int SelStart() const;
  int SelLength() const;
  QString SelText() const;
  void SetSelection(int start, int length);
  bool CanUndo() const;
  bool CanPaste() const;  // the clipboard holds text
  // The host's edit commands; each goes through the message pipe.
  void Undo() { Perform(WM_UNDO); }
  void CutToClipboard() { Perform(WM_CUT); }
  void CopyToClipboard() { Perform(WM_COPY); }
  void PasteFromClipboard() { Perform(WM_PASTE); }
  void ClearSelection() { Perform(WM_CLEAR); }
  void SelectAll();

  // Scroll state per bar (SB_VERT, SB_HORZ) in host terms: lines for the memo,
  // pixels for the rich edit, the range inclusive of the page.
  TScrollInfo GetScrollInfo(int bar) const;
  // Whether the host would show the edit's own bar: its ScrollBars setting
  // includes it and the content does not fit.
  bool ScrollBarVisible(int bar) const;
  // The formatting rectangle (EM_SETRECTNP): where the text is laid out, in
  // client coordinates. By default the whole client area.
  void SetFormatRect(const TRect& rect);
  void ResetFormatRect();
  TRect FormatRect() const;

  // The Qt editor inside, for tests and benchmarks.
  QAbstractScrollArea* Editor() const;
  QTextDocument* Document() const;

  TNotifyEvent OnChange;

 protected:
  TCustomMemo(QWidget* parent, bool rich);
  QTextEdit* RichEditor() const { return m_rich; }
  QPlainTextEdit* PlainEditor() const { return m_plain; }

  void WndProc(TMessage& message) override;
  // After every change of the text.
  virtual void Change();
  // After every change of the editor's scroll range, page or position.
  virtual void ScrollStateChanged() {}
  void FontChanged() override;
  void ColorChanged() override;
  // The editor's palette follows Font's colour in every state.
  void ApplyTextColor();
  // Puts the caret at the start and scrolls to the top, as after a load.
  void MoveToStart();

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool KeyThroughPipe(QKeyEvent* e);
  void PlaceEditor();
  QTextCursor TextCursor() const;
  void SetTextCursor(const QTextCursor& c);

  QTextEdit* m_rich = nullptr;
  QPlainTextEdit* m_plain = nullptr;
  TScrollStyle m_scrollBars = ssNone;
  TAlignment m_alignment = taLeftJustify;
  bool m_readOnly = false;
  bool m_wordWrap = true;
  bool m_wantTabs = false;
  bool m_wantReturns = true;
  bool m_hasFormatRect = false;
  TRect m_formatRect;
};

class TMemo : public TCustomMemo {
  Q_OBJECT
 public:
  explicit TMemo(QWidget* parent = nullptr) : TCustomMemo(parent, false) {}
};
