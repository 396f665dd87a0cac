#pragma once
// TsfSkinMemo: the host memo (platform/memo.h) with a skinned border and
// background ("memo" record, or the default look), the text laid out in the
// text rectangle inside them, active colours under focus and mouse, linked
// skinned bars kept in step, its own read-only mode and a skinned context
// menu (Undo, Cut, Copy, Paste, Delete, Select All) freed after its command.
//
// ReadOnly is the editor's real read-only state: typing, Delete, cut, paste
// (also Shift+Insert, drag and drop, input methods) and undo change nothing,
// while the caret, selection and copy work.

#include <QPointer>

#include "platform/memo.h"
#include "skin/controls/rich_edit.h"
#include "skin/controls/skin_changeable.h"
#include "skin/data/skin_data.h"

#include "skin/menus/skin_popup_menu.h"
class TsfDataSkinMemoControl;

class TsfSkinMemo : public TMemo, public ISkinChangeable {
  Q_OBJECT
 public:
  explicit TsfSkinMemo(QWidget* parent = nullptr);
  ~TsfSkinMemo() override;

  bool BitMapBG() const { return m_bitmapBG; }
  void SetBitMapBG(bool v);
  bool ReadOnly() const { return TMemo::ReadOnly(); }
  void SetReadOnly(bool v) { TMemo::SetReadOnly(v); }
  TsfSkinData* SkinData() const { return m_skinData.data(); }
  void SetSkinData(TsfSkinData* data);
  QString SkinDataName() const { return m_skinDataName; }
  void SetSkinDataName(const QString& v) { m_skinDataName = v; }
  TFont* DefaultFont() { return &m_defaultFont; }
  bool UseSkinFont() const { return m_useSkinFont; }
  void SetUseSkinFont(bool v) { m_useSkinFont = v; ApplySkinChange(); }
  bool UseSkinFontColor() const { return m_useSkinFontColor; }
  void SetUseSkinFontColor(bool v) { m_useSkinFontColor = v; ApplySkinChange(); }

  TsfSkinScrollBar* VScrollBar() const { return m_vbar.Get(); }
  void SetVScrollBar(TsfSkinScrollBar* bar);
  TsfSkinScrollBar* HScrollBar() const { return m_hbar.Get(); }
  void SetHScrollBar(TsfSkinScrollBar* bar);

  void SyncBars();
  // The text rectangle for the current size and record.
  TRect TextRect() const;
  // The context menu built at the last request (freed after its command).
  TsfSkinPopupMenu* ContextMenu() const { return m_menu.data(); }

  // ISkinChangeable.
  void ForgetSkinRecord() override { m_index = -1; }
  void ApplySkinChange() override;
  TsfSkinData* SkinDataObject() const override { return SkinData(); }

 protected:
  void Paint() override;
  void WndProc(TMessage& message) override;
  void ScrollStateChanged() override { SyncBars(); }
  void Change() override;
  void EnabledChanged() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void FocusChanged(bool focused) override;

 private:
  TsfDataSkinMemoControl* Record() const;
  void ReadRecord();
  void ApplyFontColor();
  void ApplyActiveLook(bool active);
  bool Active() const { return m_mouseInside || Focused(); }
  void ShowContextMenu(intptr_t lparam);
  bool RefusedWhileReadOnly(const TMessage& m) const;
  // Links `bar` (or none) in `linked`; moving it scrolls the memo by
  // `scrollMessage` (WM_VSCROLL or WM_HSCROLL).
  void LinkBar(TsfLinkedBar& linked, TsfSkinScrollBar* bar, unsigned scrollMessage);

  bool m_bitmapBG = true;
  QPointer<TsfSkinData> m_skinData;
  QString m_skinDataName = QStringLiteral("memo");
  int m_index = -1;
  TFont m_defaultFont;
  bool m_useSkinFont = true;
  bool m_useSkinFontColor = true;
  bool m_mouseInside = false;
  bool m_buttonHeld = false;
  int m_wheelRest = 0;  // wheel delta not yet a whole notch
  TsfLinkedBar m_vbar, m_hbar;
  QPointer<TsfSkinPopupMenu> m_menu;
};
