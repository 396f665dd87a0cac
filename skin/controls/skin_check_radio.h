#pragma once
// TsfSkinCheckRadioBox: a skinned check box (optionally three-state) or radio
// button. Flat (the default), it draws only its mark and caption over its
// parent's picture; otherwise a whole skin picture of its own.
// TsfSkinRadioGroup: a group box that owns one flat radio button
// (TsfGroupButton) per line of Items, laid out in Columns, with ItemIndex
// following the checked button.

#include <QStringList>

#include "platform/action.h"
#include "platform/image_list.h"
#include "skin/controls/morph.h"
#include "skin/controls/skin_panel.h"

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TsfSkinCheckRadioBox : public TsfSkinCustomControl {
  Q_OBJECT
 public:
  explicit TsfSkinCheckRadioBox(QWidget* parent = nullptr);

  bool Radio() const { return m_radio; }
  void SetRadio(bool v) { m_radio = v; Invalidate(); }
  bool Checked() const { return m_checked; }
  void SetChecked(bool v);
  TCheckBoxState State() const { return m_state; }
  void SetState(TCheckBoxState v);
  // The action shows its caption, enabled, visible and checked states on the
  // box (a change of its checked state clicks nothing); a click runs it when
  // the box has no OnClick of its own.
  TAction* Action() const { return m_actionLink.Action(); }
  void SetAction(TAction* action);
  bool AllowGrayed() const { return m_allowGrayed; }
  void SetAllowGrayed(bool v) { m_allowGrayed = v; Invalidate(); }
  bool Flat() const { return m_flat; }
  void SetFlat(bool v);
  bool WordWrap() const { return m_wordWrap; }
  void SetWordWrap(bool v);
  bool UseSkinFontColor = true;
  bool CanFocused() const { return m_canFocused; }
  void SetCanFocused(bool v);
  int GroupIndex = 0;
  TCustomImageList* Images() const { return m_images; }
  void SetImages(TCustomImageList* v) { m_images = v; Invalidate(); }
  int ImageIndex() const { return m_imageIndex; }
  void SetImageIndex(int v) { m_imageIndex = v; Invalidate(); }

  bool MouseInside() const { return m_mouseInside; }
  TTimer* MorphTimer() const { return m_morph.Timer(); }

  void ApplySkinChange() override;
  void WndProc(TMessage& message) override;

 protected:
  // Check box: inverts Checked; radio button: checks it when it is not.
  virtual void Toggle();
  void ReadSkinRecord() override;
  void Paint() override;
  void AdjustSizeToSkin(int& width, int& height) override;
  void ParentBackgroundChanged() override { Invalidate(); }
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // The arrow keys move the focus to the neighbouring controls; a radio
  // button reached from one of its group is checked.
  void KeyDown(WORD& key, TShiftState shift) override;
  // Key downs after the box's own handling and before the arrow keys move
  // the focus; nothing here (a group's button hands them to its group).
  virtual void PassKeyDown(WORD& key, TShiftState shift) { Q_UNUSED(key); Q_UNUSED(shift); }
  void MouseEnter() override;
  void MouseLeave() override;
  void FocusChanged(bool focused) override;
  void EnabledChanged() override;
  void TextChanged() override { Invalidate(); }
  // OnClick is raised by Checked and State, not by the platform's click.
  void Click() override {}

 private:
  // OnClick, or the action; nothing while the action's state is being shown.
  void ClickBox();
  TActionLink m_actionLink;
  bool m_showingAction = false;
  bool Focus() const { return m_canFocused && hasFocus(); }
  bool MorphingInEffect() const;
  void Refresh();
  bool HasImage() const;
  // The mark picture for the current state (skinned).
  TBitmap MarkImage() const;
  void PaintFlat(TCanvas* canvas);
  void PaintDefaultMark(TCanvas* canvas, int boxLeft, int boxTop);
  void PaintNonFlat(TBitmap& picture, const TRect& source, bool active);
  TColor CaptionColor(TColor skinned) const;

  bool m_radio = false;
  bool m_checked = false;
  TCheckBoxState m_state = cbUnchecked;
  bool m_allowGrayed = false;
  bool m_flat = true;
  bool m_wordWrap = false;
  bool m_canFocused = true;
  TCustomImageList* m_images = nullptr;
  int m_imageIndex = 0;

  bool m_mouseInside = false;
  bool m_mouseDown = false;
  TsfMorph m_morph;

  const TsfDataSkinCheckRadioControl* m_record = nullptr;
  TRect m_activeRect;
  TRect m_newTextArea, m_markRect;
};

class TsfSkinCustomRadioGroup;

class TsfGroupButton : public TsfSkinCheckRadioBox {
  Q_OBJECT
 public:
  explicit TsfGroupButton(TsfSkinCustomRadioGroup* group);
  ~TsfGroupButton() override;

 protected:
  // Keys typed on the button reach the group's key handling after its own.
  void PassKeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(QChar& key) override;

 private:
  friend class TsfSkinCustomRadioGroup;
  TsfSkinCustomRadioGroup* m_group;
};

class TsfSkinCustomRadioGroup : public TsfSkinGroupBox {
  Q_OBJECT
 public:
  explicit TsfSkinCustomRadioGroup(QWidget* parent = nullptr);
  ~TsfSkinCustomRadioGroup() override;

  const QStringList& Items() const { return m_items; }
  void SetItems(const QStringList& items);
  int ItemIndex() const { return m_itemIndex; }
  void SetItemIndex(int v);
  int Columns() const { return m_columns; }
  void SetColumns(int v);
  QString ButtonSkinDataName() const { return m_buttonSkinDataName; }
  void SetButtonSkinDataName(const QString& v);
  TFont* ButtonDefaultFont() { return &m_buttonDefaultFont; }
  void SetButtonDefaultFont(const TFont& f) { m_buttonDefaultFont.Assign(f); }
  TCustomImageList* Images() const { return m_images; }
  void SetImages(TCustomImageList* v);

  int ButtonCount() const { return int(m_buttons.size()); }
  TsfGroupButton* Button(int i) const { return m_buttons.value(i); }

  void SetSkinData(TsfSkinData* data) override;
  void SetUseSkinFont(bool v) override;
  void ApplySkinChange() override;

 protected:
  void Loaded() override;
  void EnabledChanged() override;
  void WndProc(TMessage& message) override;

 private:
  friend class TsfGroupButton;
  void Rebuild();
  void Arrange();
  void ButtonClicked(TsfGroupButton* button);

  QStringList m_items;
  int m_itemIndex = -1;
  int m_columns = 1;
  QString m_buttonSkinDataName = QStringLiteral("radiobox");
  TFont m_buttonDefaultFont;
  TCustomImageList* m_images = nullptr;
  QList<TsfGroupButton*> m_buttons;
  bool m_rebuilding = false;
};

class TsfSkinRadioGroup : public TsfSkinCustomRadioGroup {
  Q_OBJECT
 public:
  using TsfSkinCustomRadioGroup::TsfSkinCustomRadioGroup;
};
