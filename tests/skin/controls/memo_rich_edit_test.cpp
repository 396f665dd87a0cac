// The skinned rich edit and memo: linked bars kept in step (disabled while the
// text fits, thumb and arrows scrolling the edit), bars destroyed first, the
// memo's read-only mode, its default look and text offset, disabled text, the
// wheel, and the context menu's items.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextEdit>

#include "skin/controls/memo.h"
#include "skin/controls/rich_edit.h"
#include "platform/stream.h"
#include "skin/data/resource_strings.h"
#include "skin/menus/skin_menu.h"
#include "tests/skin/controls/control_fixture.h"

using namespace ctltest;

namespace {

// A panel with an edit filling it and a vertical bar at its right edge, as
// the practice window places them.
template <typename Edit>
struct EditWithBar {
  TCustomControl panel;
  Edit* edit;
  TsfSkinScrollBar* bar;
  EditWithBar() {
    panel.SetBounds(0, 0, 240, 120);
    bar = new TsfSkinScrollBar(&panel);
    bar->SetKind(sbVertical);
    bar->SetWidth(19);
    bar->SetAlign(alRight);
    edit = new Edit(&panel);
    edit->SetAlign(alClient);
    edit->SetVScrollBar(bar);
    panel.show();
  }
  int EditScroll() const { return edit->Editor()->verticalScrollBar()->value(); }
};

}  // namespace

TEST(SkinRichEditBars, AFittingTextDisablesTheBarAndALongOneDrivesIt) {
  EditWithBar<TsfSkinRichEdit> w;
  TMemoryStream s;
  s.Write("{\\rtf1 short\\par text}");
  s.SetPosition(0);
  w.edit->LoadFromStream(s);
  QApplication::processEvents();
  EXPECT_FALSE(w.bar->Enabled());

  w.edit->SetText(Lines(80));
  QApplication::processEvents();
  ASSERT_TRUE(w.bar->Enabled());
  const TScrollInfo info = w.edit->GetScrollInfo(SB_VERT);
  EXPECT_EQ(w.bar->Max(), info.Max);
  EXPECT_EQ(w.bar->PageSize(), info.Page);
  EXPECT_EQ(w.bar->LargeChange(), info.Page) << "the track pages by the edit's page";

  w.bar->SetPosition(300);  // as the thumb does while dragged
  EXPECT_EQ(w.EditScroll(), 300);

  // The arrows scroll by a line and stop at the ends.
  const int line = w.edit->Editor()->verticalScrollBar()->singleStep();
  const QPoint down(9, w.bar->Height() - 8), up(9, 8);
  QTest::mouseClick(w.bar, Qt::LeftButton, {}, down);
  EXPECT_EQ(w.EditScroll(), 300 + line);
  EXPECT_EQ(w.bar->Position(), w.EditScroll());
  w.bar->SetPosition(w.bar->Max());
  const int end = w.EditScroll();
  QTest::mouseClick(w.bar, Qt::LeftButton, {}, down);
  EXPECT_EQ(w.EditScroll(), end);
  w.bar->SetPosition(0);
  QTest::mouseClick(w.bar, Qt::LeftButton, {}, up);
  EXPECT_EQ(w.EditScroll(), 0);

  // A click in the track below the thumb scrolls a page.
  QTest::mouseClick(w.bar, Qt::LeftButton, {}, QPoint(9, w.bar->Height() - 30));
  EXPECT_EQ(w.EditScroll(), info.Page);

  // Scrolling the edit itself moves the bar quietly.
  w.edit->Perform(WM_VSCROLL, MakeScrollWParam(SB_BOTTOM));
  EXPECT_EQ(w.bar->Position(), w.EditScroll());
}

TEST(SkinRichEditBars, EitherSideMayBeDestroyedFirst) {
  {
    EditWithBar<TsfSkinRichEdit> w;
    w.edit->SetText(Lines(80));
    delete w.bar;
    EXPECT_EQ(w.edit->VScrollBar(), nullptr);
    w.edit->Perform(WM_VSCROLL, MakeScrollWParam(SB_PAGEDOWN));  // no bar to update
    EXPECT_GT(w.EditScroll(), 0);
  }
  {
    EditWithBar<TsfSkinMemo> w;
    w.edit->SetText(Lines(80));
    delete w.bar;
    EXPECT_EQ(w.edit->VScrollBar(), nullptr);
  }
  {
    EditWithBar<TsfSkinRichEdit> w;
    w.edit->SetText(Lines(80));
    delete w.edit;
    w.bar->SetPosition(40);  // the edit's handler went with it
    EXPECT_EQ(w.bar->Position(), 40);
  }
}

TEST(SkinRichEdit, SkinSupportTakesFontAndColourFromTheRecordOnlyWhenOn) {
  TinySkin skin;
  auto& r = skin.Add<TsfDataSkinRichEdit>("richedit");
  r.fontname = QStringLiteral("Tahoma");
  r.fontheight = 20;
  r.fontcolor = clRed;
  r.bgcolor = clYellow;
  TsfSkinRichEdit edit;
  edit.SetSkinData(skin.data);
  EXPECT_EQ(edit.Font()->Name(), QStringLiteral("Arial"));
  EXPECT_EQ(edit.Color(), clWindow);
  edit.SetSkinSupport(true);
  EXPECT_EQ(edit.Font()->Name(), QStringLiteral("Tahoma"));
  EXPECT_EQ(edit.Font()->Height(), 20);
  EXPECT_EQ(edit.Font()->Color(), clRed);
  EXPECT_EQ(edit.Color(), clYellow);
}

TEST(SkinMemoBars, TheBarScrollsTheMemoByLinesAndDisablesWhenItFits) {
  EditWithBar<TsfSkinMemo> w;
  w.edit->SetText(Lines(3));
  QApplication::processEvents();
  EXPECT_FALSE(w.bar->Enabled());
  w.edit->SetText(Lines(200));
  QApplication::processEvents();
  ASSERT_TRUE(w.bar->Enabled());
  EXPECT_EQ(w.bar->Max(), 199);
  w.bar->SetPosition(50);
  EXPECT_EQ(w.EditScroll(), 50);
  QTest::mouseClick(w.bar, Qt::LeftButton, {}, QPoint(9, w.bar->Height() - 8));
  EXPECT_EQ(w.EditScroll(), 51);

  w.edit->SetEnabled(false);
  EXPECT_FALSE(w.bar->Enabled()) << "a disabled memo disables its bars";
  EXPECT_EQ(w.edit->Font()->Color(), clGrayText);
  EXPECT_EQ(w.edit->Editor()->palette().color(QPalette::Disabled, QPalette::Text), ToQColor(clGrayText));
  w.edit->SetEnabled(true);
  EXPECT_TRUE(w.bar->Enabled());
  EXPECT_EQ(w.edit->Font()->Color(), clBlack);
}

// The bottom bar drives the memo sideways and the side one still up and
// down; either may be replaced or unlinked.
TEST(SkinMemoBars, EachBarScrollsTheMemoAlongItsOwnDirection) {
  EditWithBar<TsfSkinMemo> w;
  TsfSkinMemo* memo = w.edit;
  TsfSkinScrollBar* down = w.bar;
  auto* across = new TsfSkinScrollBar(&w.panel);
  across->SetKind(sbHorizontal);
  across->SetHeight(19);
  across->SetAlign(alBottom);
  memo->SetHScrollBar(across);
  const QScrollBar* sideways = memo->Editor()->horizontalScrollBar();
  const QScrollBar* upDown = memo->Editor()->verticalScrollBar();

  memo->SetText(QStringLiteral("short"));
  QApplication::processEvents();
  EXPECT_FALSE(across->Enabled());
  memo->SetWordWrap(false);
  memo->SetText(QString(400, u'w') + u'\n' + Lines(80));
  QApplication::processEvents();
  ASSERT_TRUE(across->Enabled());
  ASSERT_TRUE(down->Enabled());
  EXPECT_EQ(across->Max(), memo->GetScrollInfo(SB_HORZ).Max);

  across->SetPosition(30);
  EXPECT_EQ(sideways->value(), 30);
  EXPECT_EQ(upDown->value(), 0);
  down->SetPosition(7);
  EXPECT_EQ(upDown->value(), 7);
  EXPECT_EQ(sideways->value(), 30);

  // Unlinked: the old bar no longer moves the memo; a new one takes over.
  memo->SetHScrollBar(nullptr);
  EXPECT_EQ(memo->HScrollBar(), nullptr);
  across->SetPosition(60);
  EXPECT_EQ(sideways->value(), 30);
  auto* other = new TsfSkinScrollBar(&w.panel);
  other->SetKind(sbHorizontal);
  memo->SetHScrollBar(other);
  EXPECT_EQ(memo->HScrollBar(), other);
  other->SetPosition(45);
  EXPECT_EQ(sideways->value(), 45);
  EXPECT_EQ(upDown->value(), 7);
}

TEST(SkinMemoWheel, OneLinePerNotchAndSmallStepsAddUp) {
  TsfSkinMemo memo;
  memo.SetBounds(0, 0, 200, 100);
  memo.show();
  memo.SetText(Lines(100));
  QApplication::processEvents();
  auto wheel = [&](int delta) { memo.Perform(WM_MOUSEWHEEL, intptr_t(uint16_t(int16_t(delta))) << 16); };
  const QScrollBar* v = memo.Editor()->verticalScrollBar();
  wheel(-120);
  EXPECT_EQ(v->value(), 1);
  wheel(-40);
  wheel(-40);
  EXPECT_EQ(v->value(), 1);
  wheel(-40);
  EXPECT_EQ(v->value(), 2);
  wheel(240);
  EXPECT_EQ(v->value(), 0);
}

TEST(SkinMemoReadOnly, CopyWorksAndNothingChangesTheText) {
  TsfSkinMemo memo;
  memo.show();
  memo.SetText(QStringLiteral("answer"));
  memo.SetReadOnly(true);
  QWidget* editor = memo.Editor();
  memo.SetSelection(0, 3);
  QTest::keyClick(editor, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("ans"));
  QTest::keyClicks(editor, QStringLiteral("xyz"));
  QTest::keyClick(editor, Qt::Key_Delete);
  QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(editor, Qt::Key_Insert, Qt::ShiftModifier);
  memo.ClearSelection();
  EXPECT_EQ(memo.Text(), QStringLiteral("answer"));
  EXPECT_TRUE(static_cast<QPlainTextEdit*>(editor)->isReadOnly()) << "the editor's own state";
  memo.SetReadOnly(false);
  QTest::keyClick(editor, Qt::Key_End);
  QTest::keyClicks(editor, QStringLiteral("s"));
  EXPECT_EQ(memo.Text(), QStringLiteral("answers"));
}

TEST(SkinMemoLook, DefaultFrameAndTextOffset) {
  TsfSkinMemo memo;
  memo.SetBounds(0, 0, 120, 60);
  memo.show();
  memo.SetText(QStringLiteral("x"));
  const QImage shot = Shot(&memo);
  EXPECT_EQ(At(shot, 0, 30), Rgb(clBtnShadow));
  EXPECT_EQ(At(shot, 1, 30), Rgb(clBtnFace));
  EXPECT_EQ(At(shot, 60, 58), Rgb(clBtnFace));
  EXPECT_EQ(At(shot, 2, 2), Rgb(clWindow));
  auto caretX = [&] {
    auto* plain = static_cast<QPlainTextEdit*>(memo.Editor());
    return plain->viewport()->mapTo(&memo, plain->cursorRect(QTextCursor(memo.Document())).topLeft()).x();
  };
  EXPECT_EQ(caretX(), 3);
  memo.SetBitMapBG(false);
  EXPECT_EQ(caretX(), 6);
  EXPECT_EQ(memo.TextRect(), TRect(6, 2, 116, 58));
}

TEST(SkinMemoContextMenu, ItemsFollowTheStateAndNoQtMenuShows) {
  TinySkin skin;
  auto* strings = new TsfResourceStrData(skin.data);
  strings->ResStrings.prepend(QStringLiteral("EDIT_CUT=Snip"));  // the first match counts
  skin.data->SetResourceStrData(strings);
  TsfSkinMemo memo;
  memo.SetSkinData(skin.data);
  memo.SetBounds(0, 0, 150, 80);
  memo.show();
  memo.SetText(QStringLiteral("abc"));
  QGuiApplication::clipboard()->setText(QStringLiteral("clip"));
  QWidget* viewport = memo.Editor()->viewport();
  auto request = [&] {
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(viewport, &e);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    TsfSkinPopupMenu* menu = memo.ContextMenu();
    QStringList out;
    for (int i = 0; menu && i < menu->Items()->Count(); ++i) {
      const TMenuItem* item = menu->Items()->Items(i);
      if (!item->IsLine()) out << item->Caption + (item->Enabled ? "+" : "-");
    }
    return out;
  };
  memo.SetSelection(1, 1);
  EXPECT_EQ(request(), QStringList({"Undo-", "Snip+", "Copy+", "Paste+", "Delete+", "Select All+"}));
  memo.SetReadOnly(true);
  EXPECT_EQ(request(), QStringList({"Undo-", "Snip-", "Copy+", "Paste-", "Delete-", "Select All+"}));
  memo.SetReadOnly(false);
  memo.SelectAll();
  QTest::keyClicks(memo.Editor(), QStringLiteral("z"));  // something to undo
  memo.SelectAll();
  EXPECT_EQ(request(), QStringList({"Undo+", "Snip+", "Copy+", "Paste+", "Delete+", "Select All-"}));
  memo.SetSelection(0, 0);
  QGuiApplication::clipboard()->clear();
  EXPECT_EQ(request(), QStringList({"Undo+", "Snip-", "Copy-", "Paste-", "Delete-", "Select All+"}));
  // A command runs on the memo and frees the menu.
  memo.ContextMenu()->Items()->Items(7)->Click();
  EXPECT_EQ(memo.SelText(), QStringLiteral("z"));
  memo.Perform(WM_SKINMENU_COMMAND);
  QApplication::processEvents();
  EXPECT_EQ(memo.ContextMenu(), nullptr);
}

// Hostile documents: nesting at and beyond the cap, and sizes, characters,
// fallback counts, indents and spacing at the ends of int. Each loads into
// a bounded layout (a plain-text fallback where it is not rich text).
TEST(SkinRichEditHostile, ExtremeDocumentsLoadIntoABoundedLayout) {
  const QByteArray deepOk = "{\\rtf1" + QByteArray(150, '{') + "deep" + QByteArray(150, '}') + "}";
  const QByteArray tooDeep = "{\\rtf1" + QByteArray(20000, '{') + "x" + QByteArray(20000, '}') + "}";
  const QByteArray skippedDeep =
      "{\\rtf1{\\*\\unknown" + QByteArray(20000, '{') + QByteArray(20000, '}') + "}ok}";
  const QByteArray cases[] = {
      deepOk,
      tooDeep,
      skippedDeep,
      "{\\rtf1\\fs2147483647 big\\fs-2147483648 small\\fs99999999999999999999 more\\par}",
      "{\\rtf1\\u2147483647?\\u-2147483648?\\u70000?\\u-1?\\u55357\\u56832?\\par}",
      "{\\rtf1\\uc2147483647\\u65 skipped all {\\uc-5\\u66 ?x} after\\par}",
      "{\\rtf1\\li2147483647\\ri2147483647\\fi-2147483648\\sb2147483647\\sa2147483647 far\\par"
      "\\li-2147483648\\fi2147483647 neg\\par}",
      "{\\rtf1\\bin2147483647",
      "{\\rtf1{\\colortbl;\\red999\\green-5\\blue2147483647;}\\cf2147483647\\cb-1 c\\par}",
  };
  for (const QByteArray& doc : cases) {
    EditWithBar<TsfSkinRichEdit> w;
    TMemoryStream s;
    s.Write(doc);
    s.SetPosition(0);
    w.edit->LoadFromStream(s);
    QApplication::processEvents();
    const QSizeF size = static_cast<QTextEdit*>(w.edit->Editor())->document()->size();
    EXPECT_LT(size.height(), 1e6) << doc.left(60).constData();
    EXPECT_LT(size.width(), 1e6) << doc.left(60).constData();
    Shot(&w.panel);
  }
}
