// The host memo and rich edit: stream and text loading, scroll state in the
// host's terms, input through the message pipe, read-only mode, and no Qt
// context menu ever.

#include <gtest/gtest.h>
#include <memory>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

#include "platform/exceptions.h"
#include "platform/memo.h"
#include "platform/rich_edit.h"
#include "platform/stream.h"
#include "platform/strutils.h"
#include "tests/support/test_support.h"

namespace {

TMemoryStream StreamOf(const QByteArray& bytes, qint64 position = 0) {
  TMemoryStream s;
  s.Write(bytes);
  s.SetPosition(position);
  return s;
}

const QByteArray kRichText = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0 Arial;}}\\f0 Hello \\b \\'d6\\'d0\\b0\\par next}";

TEST(RichEditLoad, AStreamIsReadAsRichTextElseAgainAsPlainText) {
  TRichEdit edit;
  const struct {
    const char* what;
    QByteArray bytes;
    qint64 position;
    QString text;
  } cases[] = {
      {"rich text", kRichText, 0, QString::fromUtf8("Hello 中\nnext")},
      {"rich text after the stream's position", "skipped" + kRichText, 7, QString::fromUtf8("Hello 中\nnext")},
      {"plain ASCII", "just text\r\nline two", 0, "just text\nline two"},
      {"UTF-8 text", "中文 text", 0, QString::fromUtf8("中文 text")},
      {"GBK text", StringToAnsi(QString::fromUtf8("中文 text")), 0, QString::fromUtf8("中文 text")},
      {"cut-off rich text shows as it is", "{\\rtf1 {\\b abc", 0, "{\\rtf1 {\\b abc"},
      {"plain text after the stream's position", "xxplain", 2, "plain"},
      {"empty stream", "", 0, ""},
  };
  for (const auto& c : cases) {
    TMemoryStream s = StreamOf(c.bytes, c.position);
    edit.LoadFromStream(s);
    EXPECT_EQ(edit.Text(), c.text) << c.what;
    EXPECT_FALSE(edit.CanUndo()) << c.what;
  }
}

TEST(RichEditLoad, AStreamThatIsNotTextRaisesAndKeepsTheContent) {
  TRichEdit edit;
  edit.SetText(QStringLiteral("kept"));
  TMemoryStream s = StreamOf(QByteArray("bin\0ary", 7));
  try {
    edit.LoadFromStream(s);
    FAIL() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Failed to Load Stream"));
  }
  EXPECT_EQ(edit.Text(), QStringLiteral("kept"));
}

TEST(RichEditLoad, PlainTextModeNeverReadsRichText) {
  TRichEdit edit;
  edit.SetPlainText(true);
  TMemoryStream s = StreamOf("{\\rtf1 a}");
  edit.LoadFromStream(s);
  EXPECT_EQ(edit.Text(), QStringLiteral("{\\rtf1 a}"));
}

TEST(RichEditText, TextBeginningAsRichTextIsReadAsRichText) {
  TRichEdit edit;
  edit.SetText(QStringLiteral("{\\rtf1 explained \\b here\\b0}"));
  EXPECT_EQ(edit.Text(), QStringLiteral("explained here"));
  edit.SetText(QString::fromUtf8("{\\rtf1 中文\\par x}"));  // decoded text handed back as text
  EXPECT_EQ(edit.Text(), QString::fromUtf8("中文\nx"));
  edit.SetText(QStringLiteral("{\\rtf1 not closed"));
  EXPECT_EQ(edit.Text(), QStringLiteral("{\\rtf1 not closed"));
  edit.SetText(QStringLiteral(" {\\rtf1 a}"));
  EXPECT_EQ(edit.Text(), QStringLiteral(" {\\rtf1 a}"));
}

QString Lines(int n) {
  QStringList l;
  for (int i = 0; i < n; ++i) l << QStringLiteral("line %1").arg(i);
  return l.join(u'\n');
}

TEST(MemoScroll, ScrollInformationIsInHostTermsWithThePageInsideTheRange) {
  TMemo memo;
  memo.SetScrollBars(ssBoth);
  memo.SetBounds(0, 0, 200, 100);
  memo.show();
  memo.SetText(Lines(3));
  QApplication::processEvents();
  TScrollInfo fit = memo.GetScrollInfo(SB_VERT);
  EXPECT_GE(fit.Page, fit.Max + 1) << "a fitting text leaves no room to scroll";
  EXPECT_FALSE(memo.ScrollBarVisible(SB_VERT));

  memo.SetText(Lines(100));
  QApplication::processEvents();
  const TScrollInfo info = memo.GetScrollInfo(SB_VERT);
  const QScrollBar* qt = memo.Editor()->verticalScrollBar();
  EXPECT_EQ(info.Min, 0);
  EXPECT_EQ(info.Max, 99);  // lines, inclusive of the page
  EXPECT_EQ(info.Page, qt->pageStep());
  EXPECT_EQ(info.Max - info.Page + 1, qt->maximum());
  EXPECT_TRUE(memo.ScrollBarVisible(SB_VERT));
  memo.SetScrollBars(ssHorizontal);
  EXPECT_FALSE(memo.ScrollBarVisible(SB_VERT));

  memo.Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEDOWN));
  EXPECT_EQ(memo.GetScrollInfo(SB_VERT).Pos, 1);
  memo.Perform(WM_VSCROLL, MakeScrollWParam(SB_PAGEDOWN));
  EXPECT_EQ(memo.GetScrollInfo(SB_VERT).Pos, 1 + info.Page);
  memo.Perform(WM_VSCROLL, MakeScrollWParam(SB_BOTTOM));
  EXPECT_EQ(memo.GetScrollInfo(SB_VERT).Pos, info.Max - info.Page + 1);
  memo.Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBPOSITION, 7));
  EXPECT_EQ(memo.GetScrollInfo(SB_VERT).Pos, 7);
}

TEST(RichEditScroll, ThumbPositionsBeyondSixteenBitsScrollExactly) {
  TRichEdit edit;
  edit.SetScrollBars(ssBoth);
  edit.SetBounds(0, 0, 300, 120);
  edit.show();
  edit.SetText(Lines(6000));
  QApplication::processEvents();
  const TScrollInfo info = edit.GetScrollInfo(SB_VERT);
  ASSERT_GT(info.Max, 70000) << "pixels of a long text";
  EXPECT_EQ(info.Page, edit.Editor()->viewport()->height());
  edit.Perform(WM_VSCROLL, MakeScrollWParam(SB_THUMBPOSITION, 70001));
  EXPECT_EQ(edit.GetScrollInfo(SB_VERT).Pos, 70001);
  // A line down moves by one line of the font, not Qt's 20 pixels.
  edit.Perform(WM_VSCROLL, MakeScrollWParam(SB_LINEDOWN));
  EXPECT_EQ(edit.GetScrollInfo(SB_VERT).Pos, 70001 + QFontMetrics(edit.Font()->ToQFont()).lineSpacing());
}

// A memo that logs and can refuse what reaches its message pipe.
class PipeMemo : public TMemo {
 public:
  using TMemo::TMemo;
  QStringList log;
  bool refuseChars = false;

 protected:
  void WndProc(TMessage& m) override {
    switch (m.Msg) {
      case WM_CHAR:
        log << QStringLiteral("char:%1").arg(QChar(char16_t(m.WParam)));
        if (refuseChars) return;  // Result 0: discarded
        break;
      case WM_PASTE: log << QStringLiteral("paste"); break;
      case WM_COPY: log << QStringLiteral("copy"); break;
      case WM_CUT: log << QStringLiteral("cut"); break;
      case WM_CONTEXTMENU:
        log << QStringLiteral("contextmenu:%1,%2").arg(LParamX(m.LParam)).arg(LParamY(m.LParam));
        break;
      default: break;
    }
    TMemo::WndProc(m);
  }
};

TEST(MemoInput, KeysReachTheMessagePipeBeforeTheEditor) {
  PipeMemo memo;
  memo.show();
  memo.SetFocus();
  QWidget* editor = memo.Editor();
  QTest::keyClicks(editor, QStringLiteral("ab"));
  EXPECT_EQ(memo.Text(), QStringLiteral("ab"));
  EXPECT_EQ(memo.log, QStringList({"char:a", "char:b"}));
  memo.log.clear();

  memo.refuseChars = true;
  QTest::keyClicks(editor, QStringLiteral("cd"));
  EXPECT_EQ(memo.Text(), QStringLiteral("ab"));

  QGuiApplication::clipboard()->setText(QStringLiteral("X"));
  memo.log.clear();
  QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(memo.log, QStringList({"paste", "paste"}));
  EXPECT_EQ(memo.Text(), QStringLiteral("abXX"));
}

TEST(MemoInput, NoQtContextMenuEverShows) {
  PipeMemo memo;
  memo.SetBounds(0, 0, 150, 80);
  memo.show();
  memo.SetFocus();
  for (QWidget* target : {memo.Editor()->viewport(), static_cast<QWidget*>(memo.Editor())}) {
    QContextMenuEvent mouse(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &mouse);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0), target->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(target, &key);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  }
  ASSERT_EQ(memo.log.size(), 4);
  const QPoint global = memo.Editor()->viewport()->mapToGlobal(QPoint(5, 5));
  EXPECT_EQ(memo.log[0], QStringLiteral("contextmenu:%1,%2").arg(global.x()).arg(global.y()));
  EXPECT_EQ(memo.log[1], QStringLiteral("contextmenu:-1,-1"));  // from the keyboard
}

TEST(MemoReadOnly, NothingChangesTheTextWhileSelectionAndCopyWork) {
  TMemo memo;
  memo.show();
  memo.SetText(QStringLiteral("fixed text"));
  memo.SetReadOnly(true);
  memo.SetFocus();
  QWidget* editor = memo.Editor();
  QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));

  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClick(editor, Qt::Key_Home, Qt::ShiftModifier);
  EXPECT_EQ(memo.SelText(), QStringLiteral("fixed text")) << "keyboard selection with a caret";
  QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("fixed text"));

  QGuiApplication::clipboard()->setText(QStringLiteral("pasted"));
  QTest::keyClicks(editor, QStringLiteral("typed"));
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClick(editor, Qt::Key_Backspace);
  QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
  memo.CutToClipboard();
  memo.PasteFromClipboard();
  memo.ClearSelection();
  memo.Undo();
  EXPECT_EQ(memo.Text(), QStringLiteral("fixed text"));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("pasted"));
}

TEST(MemoText, TheFormatRectangleIsWhereTheTextStarts) {
  TMemo memo;
  memo.SetBounds(0, 0, 120, 60);
  memo.show();
  memo.SetText(QStringLiteral("x"));
  memo.SetFormatRect(TRect(6, 2, 116, 58));
  auto* plain = static_cast<QPlainTextEdit*>(memo.Editor());
  const QPoint caret = plain->viewport()->mapTo(&memo, plain->cursorRect(QTextCursor(memo.Document())).topLeft());
  EXPECT_EQ(caret.x(), 6);
  EXPECT_EQ(memo.FormatRect(), TRect(6, 2, 116, 58));
  memo.ResetFormatRect();
  EXPECT_EQ(memo.Editor()->geometry(), QRect(0, 0, 120, 60));
}

}  // namespace

// A run without a break opportunity is laid out by Qt in time growing with the
// square of its length when lines wrap at words: such text wraps anywhere.
TEST(MemoWrap, LongUnbreakableRunsWrapAnywhereAndOrdinaryTextAtWords) {
  const QString longRun = QString(200000, QLatin1Char('x'));
  const QString sentences = QStringLiteral("A short passage of words. ").repeated(4000);
  const QString chinese = QString::fromUtf8("阅读下面的短文，然后回答问题。").repeated(400);  // no spaces, breaks anywhere
  struct Case {
    const char* what;
    QString text;
    bool asRtf;
    QTextOption::WrapMode mode;
  };
  const Case cases[] = {
      {"a plain run of 200,000 letters", longRun, false, QTextOption::WrapAnywhere},
      {"ordinary sentences after it", sentences, false, QTextOption::WrapAtWordBoundaryOrAnywhere},
      {"the run inside rich text", longRun, true, QTextOption::WrapAnywhere},
      {"Chinese text of 6,000 characters", chinese, false, QTextOption::WrapAtWordBoundaryOrAnywhere},
      {"rich text of sentences", sentences, true, QTextOption::WrapAtWordBoundaryOrAnywhere},
  };
  TRichEdit rich;
  TMemo memo;
  rich.resize(300, 100);
  memo.resize(300, 100);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.asRtf) {
      rich.SetText(QStringLiteral("{\\rtf1 ") + c.text + QStringLiteral("}"));
    } else {
      TMemoryStream s = StreamOf(c.text.toUtf8());
      rich.LoadFromStream(s);
    }
    EXPECT_EQ(rich.Text(), c.text);
    EXPECT_EQ(rich.Document()->defaultTextOption().wrapMode(), c.mode);
    if (c.asRtf) continue;
    memo.SetText(c.text);
    EXPECT_EQ(memo.Text(), c.text);
    EXPECT_EQ(memo.Document()->defaultTextOption().wrapMode(), c.mode);
  }
}

// An editor told not to wrap stays unwrapped whatever text it is given, and
// wrapping again picks the mode its text needs.
TEST(MemoWrap, UnwrappedEditorsStaySoAndWrappingAgainKeepsLongRunsSafe) {
  const QString longRun = QString(200000, QLatin1Char('x'));
  const QString sentences = QStringLiteral("A short passage of words. ").repeated(40);
  struct Case {
    const char* what;
    bool rich;
    QString text;
    QTextOption::WrapMode rewrapped;
  };
  const Case cases[] = {
      {"memo, sentences", false, sentences, QTextOption::WrapAtWordBoundaryOrAnywhere},
      {"memo, a long run", false, longRun, QTextOption::WrapAnywhere},
      {"rich edit, sentences", true, sentences, QTextOption::WrapAtWordBoundaryOrAnywhere},
      {"rich edit, a long run", true, longRun, QTextOption::WrapAnywhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::unique_ptr<TCustomMemo> editor;
    if (c.rich) editor = std::make_unique<TRichEdit>();
    else editor = std::make_unique<TMemo>();
    editor->resize(300, 100);
    editor->SetWordWrap(false);
    if (c.rich) {
      TMemoryStream s = StreamOf(c.text.toUtf8());
      static_cast<TRichEdit*>(editor.get())->LoadFromStream(s);
    } else {
      editor->SetText(c.text);
    }
    EXPECT_EQ(editor->Text(), c.text);
    EXPECT_EQ(editor->Document()->defaultTextOption().wrapMode(), QTextOption::NoWrap);
    editor->SetWordWrap(true);
    EXPECT_EQ(editor->Document()->defaultTextOption().wrapMode(), c.rewrapped);
    EXPECT_EQ(editor->Text(), c.text);
  }
}
