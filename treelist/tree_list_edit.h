#pragma once
// The in-place editors of the tree list: a small edit window placed over the
// focused cell. The tree list (the container) decides when one opens and
// closes and where its value goes; the editor routes keys, validates and
// remembers the value it was opened with. One editor of each class is made
// on first use and kept until the tree list goes.

#include <QPointer>
#include <QString>

#include "platform/colors.h"
#include "platform/control.h"
#include "platform/exceptions.h"
#include "platform/font.h"
#include "treelist/tree_list_edit_mask.h"
#include "treelist/tree_list_types.h"

class QLineEdit;
class TCustomIniFile;
class TPopupMenu;
class TtlCustomTreeList;
class TtlTreeListColumn;
class TtlTreeListNode;

// Raised when a value is refused by the validation handlers.
class EtlEditInvalidInput : public Exception {
 public:
  using Exception::Exception;
};
// Raised when a masked value leaves a required position empty.
class EtlDBEditError : public Exception {
 public:
  using Exception::Exception;
};

// The text of the masked editors' refusal.
extern const char16_t* const kInvalidMaskInput;
// What the validation handlers get to change.
extern const char16_t* const kInvalidInputDefault;

enum TtlEditBorderStyle { xbsNone, xbsSingle, xbsThick, xbsFlat, xbs3D };
enum TtlEditButtonViewStyle { btsDefault, bts3D, btsFlat, btsSimple, btsHotFlat };
enum TtlEditButtonTransparence { ebtNone, ebtInactive, ebtAlways, ebtHideInactive };
enum TtlEditStyleValue {
  svBorderColor, svBorderStyle, svButtonStyle, svButtonTransparence, svEdges, svHotTrack, svShadow,
};
using TtlEditStyleValues = unsigned;
enum TtlEditEdge : unsigned { eeLeft = 1, eeTop = 2, eeRight = 4, eeBottom = 8 };
using TtlEditEdges = unsigned;
constexpr TtlEditEdges kAllEdges = eeLeft | eeTop | eeRight | eeBottom;

// The look of one editor. A value set explicitly is "assigned"; the others
// come from DefaultXxx (the container's in the in-place style).
class TtlEditStyle {
 public:
  virtual ~TtlEditStyle() = default;
  TtlEditStyleValues AssignedValues() const { return m_assigned; }
  bool IsAssigned(TtlEditStyleValue v) const { return m_assigned & (1u << v); }
  void Unassign(TtlEditStyleValue v) { m_assigned &= ~(1u << v); }

#define TL_STYLE_VALUE(Type, Name, Init)                                    \
 public:                                                                      \
  Type Name() const { return IsAssigned(sv##Name) ? m_##Name : Default##Name(); } \
  void Set##Name(Type v) {                                                    \
    m_##Name = v;                                                             \
    m_assigned |= 1u << sv##Name;                                             \
  }                                                                           \
                                                                              \
 protected:                                                                   \
  virtual Type Default##Name() const { return Init; }                         \
                                                                              \
 private:                                                                     \
  Type m_##Name = Init;
  TL_STYLE_VALUE(TColor, BorderColor, clWindowFrame)
  TL_STYLE_VALUE(TtlEditBorderStyle, BorderStyle, xbs3D)
  TL_STYLE_VALUE(TtlEditButtonViewStyle, ButtonStyle, btsDefault)
  TL_STYLE_VALUE(TtlEditButtonTransparence, ButtonTransparence, ebtNone)
  TL_STYLE_VALUE(TtlEditEdges, Edges, kAllEdges)
  TL_STYLE_VALUE(bool, HotTrack, false)
  TL_STYLE_VALUE(bool, Shadow, false)
#undef TL_STYLE_VALUE

 private:
  TtlEditStyleValues m_assigned = 0;
};

// The style of an in-place editor: what is not assigned follows the tree list.
class TtlTreeListEditStyle : public TtlEditStyle {
 public:
  explicit TtlTreeListEditStyle(TtlCustomTreeList* treeList) : m_treeList(treeList) {}

 protected:
  TtlEditBorderStyle DefaultBorderStyle() const override;
  TtlEditButtonViewStyle DefaultButtonStyle() const override;

 private:
  QPointer<TtlCustomTreeList> m_treeList;
};

// The common editor: container link, style, frame, key routing, validation
// and the value it was opened with. The text itself lives in a line edit
// that fills the editor inside its 2-pixel frame.
class TtlInplaceEdit : public TWinControl {
  Q_OBJECT
 public:
  explicit TtlInplaceEdit(QWidget* parent = nullptr);
  ~TtlInplaceEdit() override;

  TtlCustomTreeList* Container() const { return m_container; }
  void SetContainer(TtlCustomTreeList* c);
  TtlEditStyle* Style() const { return m_style.get(); }

  virtual QString Text() const;
  virtual void SetText(const QString& text);
  bool Modified() const;
  void SetModified(bool v);
  bool ReadOnly() const { return m_readOnly; }
  void SetReadOnly(bool v);
  bool Closing() const { return m_closing; }
  bool Loading() const { return m_loading > 0; }

  TEditCharCase CharCase = ecNormal;
  int MaxLength() const { return m_maxLength; }
  void SetMaxLength(int v);
  bool OEMConvert = false;
  QChar PasswordChar() const { return m_passwordChar; }
  void SetPasswordChar(QChar c);
  // Routes of the column's events (the editor itself is no column).
  TNotifyEvent OnChange;
  std::function<void(TObject* Sender, QString& ErrorText, bool& Accept)> OnValidate;

  // Remembers the value and modified flag at entry (Esc brings them back).
  void Activate();
  void Restore();
  // Refuses a modified value that fails (EtlEditInvalidInput or the mask's
  // error); nothing happens while validation is locked.
  virtual void ValidateEdit();
  int ValidationLock() const { return m_lock; }

  // The text area (the line edit), for tests and the container.
  QLineEdit* LineEdit() const { return m_edit; }
  // Caret and selection in characters of the shown text.
  int SelStart() const;
  int SelLength() const;
  void SelectAll();
  // A character arriving as if typed (the container passes on the one that
  // opened the editor).
  void PostChar(QChar c);
  // Paste or cut as the edit commands do.
  void PasteFromClipboard();
  void CutToClipboard();

  // The context menu, built on first use, its items enabled for the current
  // text, selection and clipboard.
  TPopupMenu* ContextMenu();
  void UpdateContextMenu();

  // Used by the container while loading and closing.
  void BeginLoad();
  void EndLoad();
  void SetClosing(bool v) { m_closing = v; }
  // Shows the text "the way the rich edit would" with the given font and colour.
  void ApplyLook(const TFont& font, TColor color);
  // Border style as painted now (one step stronger while hot-tracked).
  TtlEditBorderStyle ShownBorderStyle() const;

 protected:
  void WndProc(TMessage& message) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(QChar& key) override;
  void Paint() override;
  void Resize() override;
  void MouseEnter() override;
  void MouseLeave() override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void DblClick() override;
  // Masked editing takes typed characters, Backspace, Delete and paste
  // itself; true when it did.
  virtual bool MaskChar(QChar c) { Q_UNUSED(c); return false; }
  virtual bool MaskKey(WORD key, TShiftState shift) { Q_UNUSED(key); Q_UNUSED(shift); return false; }
  virtual bool MaskPaste(const QString& s) { Q_UNUSED(s); return false; }
  // The text changed: case, then OnEditChange and the column's OnChange.
  void TextChanged();
  bool CanModify();

  QLineEdit* m_edit = nullptr;

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool KeyFromEditor(QKeyEvent* e);
  void FocusLeft();
  void PlaceLineEdit();
  void Beep();

  QPointer<TtlCustomTreeList> m_container;
  std::unique_ptr<TtlEditStyle> m_style;
  QString m_entryText;
  bool m_entryModified = false;
  int m_lock = 0;
  int m_loading = 0;
  bool m_closing = false;
  bool m_readOnly = false;
  bool m_hot = false;
  int m_maxLength = 0;
  QChar m_passwordChar;
  TPopupMenu* m_menu = nullptr;
  bool m_applyingCase = false;
};

class TtlInplaceTextEdit : public TtlInplaceEdit {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TtlInplaceTextEdit(QWidget* parent = nullptr) : TtlInplaceEdit(parent) {}
};

// Text editing under an edit mask; with an empty mask, the text editor.
class TtlInplaceMaskEdit : public TtlInplaceTextEdit {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TtlInplaceMaskEdit(QWidget* parent = nullptr) : TtlInplaceTextEdit(parent) {}
  QString EditMask() const { return m_maskText; }
  void SetEditMask(const QString& mask);
  bool IgnoreMaskBlank = false;
  const TtlEditMask& Mask() const { return m_mask; }
  // The shown text with its blanks.
  QString EditText() const;
  // With a mask: the value unless nothing was entered (then empty), or the
  // edit text itself with IgnoreMaskBlank.
  QString Text() const override;
  // With a mask, the text is taken as a value and shown through the mask.
  void SetText(const QString& text) override;
  void ValidateEdit() override;

 protected:
  bool MaskChar(QChar c) override;
  bool MaskKey(WORD key, TShiftState shift) override;
  bool MaskPaste(const QString& s) override;

 private:
  void SetMasked(const QString& text, int caret);
  QString m_maskText;
  TtlEditMask m_mask;
};

class TtlInplaceTreeListTextEdit : public TtlInplaceTextEdit {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TtlInplaceTreeListTextEdit(QWidget* parent = nullptr)
      : TtlInplaceTextEdit(parent) {}
};

class TtlInplaceTreeListMaskEdit : public TtlInplaceMaskEdit {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TtlInplaceTreeListMaskEdit(QWidget* parent = nullptr)
      : TtlInplaceMaskEdit(parent) {}
};

class TtlInplaceDBTreeListMaskEdit : public TtlInplaceMaskEdit {
  Q_OBJECT
 public:
  Q_INVOKABLE explicit TtlInplaceDBTreeListMaskEdit(QWidget* parent = nullptr)
      : TtlInplaceMaskEdit(parent) {}
};
