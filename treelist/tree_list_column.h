#pragma once
// Columns and bands of the tree list. A column is a component owned by the
// form and placed in one tree list; its position in the tree list's column
// list is its index, the index of its texts in every node.

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/colors.h"
#include "platform/component.h"
#include "platform/font.h"
#include "treelist/column_field.h"
#include "treelist/tree_list_types.h"

class TCanvas;
class TtlCustomTreeList;
class TtlTreeListNode;
class TtlTreeListColumn;

// Draws a cell instead of the default drawing when it sets ADone. The canvas
// comes with the cell's background brush and its font in the text colour.
using TtlCustomDrawCellEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect, TtlTreeListNode* ANode,
                       TtlTreeListColumn* AColumn, bool ASelected, bool AFocused, bool& ADone)>;

class TtlTreeListColumn : public TComponent {
  Q_OBJECT
 public:
  explicit TtlTreeListColumn(QObject* owner = nullptr);
  ~TtlTreeListColumn() override;

  TtlCustomTreeList* TreeList() const { return m_treeList; }
  // Places the column last in a tree list (nullptr removes it).
  void SetTreeList(TtlCustomTreeList* treeList);
  int Index() const;
  void SetIndex(int index);

  // Properties with an "assigned" bit read their default source until set.
  TAlignment Alignment() const;
  void SetAlignment(TAlignment v);
  QString Caption() const;
  void SetCaption(const QString& v);
  bool ReadOnly() const;
  void SetReadOnly(bool v);
  int Width() const;
  void SetWidth(int v);
  TColor Color() const;
  void SetColor(TColor v);
  const TFont* Font() const;
  TFont* Font();  // editing it assigns the column's own font
  int MaxLength() const;
  void SetMaxLength(int v);
  bool IsAlignmentAssigned() const { return m_assigned & aAlignment; }
  bool IsCaptionAssigned() const { return m_assigned & aCaption; }
  bool IsReadOnlyAssigned() const { return m_assigned & aReadOnly; }
  bool IsWidthAssigned() const { return m_assigned & aWidth; }
  bool IsColorAssigned() const { return m_assigned & aColor; }
  bool IsFontAssigned() const { return m_assigned & aFont; }
  bool IsMaxLengthAssigned() const { return m_assigned & aMaxLength; }

  int MinWidth() const { return m_minWidth; }
  void SetMinWidth(int v);
  bool Visible() const { return m_visible; }
  void SetVisible(bool v);
  // -1 .. band count - 1; -1 = in no band, not shown.
  int BandIndex() const;
  void SetBandIndex(int v);
  int RowIndex() const;
  void SetRowIndex(int v);
  // Position among the visible columns of the same band and row; -1 when not placed.
  int ColIndex() const;
  void SetColIndex(int v);
  TtlTreeListColumnSort Sorted() const { return m_sorted; }
  void SetSorted(TtlTreeListColumnSort v);

  TEditCharCase CharCase = ecNormal;
  bool DisableCaption = false;
  bool DisableCustomizing = false;
  bool DisableDragging = false;
  bool DisableEditor = false;
  TAlignment HeaderAlignment = taLeftJustify;
  TBitmap HeaderGlyph;
  bool OEMConvert = false;
  QChar PasswordChar;
  bool Sizing = true;
  bool TabStop = true;
  TTextLayout VertAlignment = tlTop;
  int HeaderMaxLineCount = 1;

  TNotifyEvent OnChange;
  // Validation of the in-place editor's value (Sender: the column).
  std::function<void(TObject* Sender, QString& ErrorText, bool& Accept)> OnValidate;
  TtlCustomDrawCellEvent OnCustomDrawCell;
  std::function<void(TObject* Sender, TtlTreeListNode* Node, QString& Text)> OnGetText;

  // The text shown in the column's cell of a node.
  virtual QString CellText(TtlTreeListNode* node) const;
  // Tells the tree list something it lays out by changed.
  void Changed();
  // The class of the in-place editor (tree_list_editing.cpp).
  virtual const QMetaObject* EditorClass() const;

 protected:
  virtual TAlignment DefaultAlignment() const { return taLeftJustify; }
  virtual QString DefaultCaption() const { return QString(); }
  virtual bool DefaultReadOnly() const { return false; }
  virtual int DefaultWidth() const { return 100; }
  virtual int DefaultMaxLength() const { return 0; }
  // The column was placed in a tree list or taken out of one.
  virtual void TreeListChanged() {}

 private:
  enum Assigned : unsigned {
    aAlignment = 1, aCaption = 2, aReadOnly = 4, aWidth = 8, aColor = 16, aFont = 32, aMaxLength = 64,
  };
  QPointer<TtlCustomTreeList> m_treeList;
  unsigned m_assigned = 0;
  TAlignment m_alignment = taLeftJustify;
  QString m_caption;
  bool m_readOnly = false;
  int m_width = 100;
  TColor m_color = clWindow;
  TFont m_font;
  int m_maxLength = 0;
  int m_minWidth = 20;
  bool m_visible = true;
  int m_bandIndex = 0;
  int m_rowIndex = 0;
  TtlTreeListColumnSort m_sorted = csNone;

  friend class TtlCustomTreeList;
  friend class TtlTreeListBands;
};

class TtlTreeListMaskColumn : public TtlTreeListColumn {
  Q_OBJECT
 public:
  using TtlTreeListColumn::TtlTreeListColumn;
  QString EditMask() const { return m_editMask; }
  void SetEditMask(const QString& v) { m_editMask = v; m_editMaskAssigned = true; }
  bool IgnoreMaskBlank = false;
  const QMetaObject* EditorClass() const override;

 protected:
  QString m_editMask;
  bool m_editMaskAssigned = false;
};

class TtlDBTreeListColumn : public TtlTreeListColumn {
  Q_OBJECT
 public:
  using TtlTreeListColumn::TtlTreeListColumn;

  QString FieldName() const { return m_fieldName; }
  // Looks the field up through the tree list at once; an unknown name
  // leaves the column without a field.
  void SetFieldName(const QString& v);
  TtlColumnField* Field() const { return m_field; }
  // Binding: the tree list hands the column its field (or none).
  void SetField(TtlColumnField* field);
  // Binding: drops a field about to be freed, without telling anyone.
  void ForgetField() { m_field = nullptr; }

  bool DisableGrouping = false;
  TtlSummaryType SummaryFooterType = cstNone;
  QString SummaryFooterField;
  QString SummaryFooterFormat;

  QString CellText(TtlTreeListNode* node) const override;

 protected:
  TAlignment DefaultAlignment() const override;
  QString DefaultCaption() const override;
  bool DefaultReadOnly() const override;
  int DefaultWidth() const override;
  int DefaultMaxLength() const override;
  void TreeListChanged() override;

 private:
  QString m_fieldName;
  TtlColumnField* m_field = nullptr;
};

class TtlDBTreeListMaskColumn : public TtlDBTreeListColumn {
  Q_OBJECT
 public:
  using TtlDBTreeListColumn::TtlDBTreeListColumn;
  // The field's edit mask unless set.
  QString EditMask() const;
  void SetEditMask(const QString& v) { m_editMask = v; m_editMaskAssigned = true; }
  bool IgnoreMaskBlank = false;
  const QMetaObject* EditorClass() const override;

 private:
  QString m_editMask;
  bool m_editMaskAssigned = false;
};

class TtlTreeListBands;

class TtlTreeListBand {
 public:
  TtlTreeListBand(TtlTreeListBands* owner, int id) : m_owner(owner), m_id(id) {}
  // The band's identifier in its collection: unique, kept across moves.
  int ID() const { return m_id; }
  int Index() const;
  void SetIndex(int index);

  TAlignment Alignment = taCenter;
  QString Caption;
  bool DisableCustomizing = false;
  bool DisableDragging = false;
  bool OnlyOwnColumns = false;
  bool Sizing = true;

  TtlGridBandFixed Fixed() const { return m_fixed; }
  void SetFixed(TtlGridBandFixed v);
  bool Visible() const { return m_visible; }
  void SetVisible(bool v);
  int MinWidth() const { return m_minWidth; }
  void SetMinWidth(int v);
  int Width() const { return m_width; }
  void SetWidth(int v);

 private:
  TtlTreeListBands* m_owner;
  int m_id;
  TtlGridBandFixed m_fixed = bfNone;
  bool m_visible = true;
  int m_minWidth = 30;
  int m_width = 250;
};

class TtlTreeListBands {
 public:
  explicit TtlTreeListBands(TtlCustomTreeList* treeList) : m_treeList(treeList) {}
  int Count() const { return static_cast<int>(m_items.size()); }
  TtlTreeListBand* Items(int index) const;
  TtlTreeListBand* Add();
  void Delete(int index);
  void Clear();
  int IndexOf(const TtlTreeListBand* band) const;
  void Move(int from, int to);
  TtlCustomTreeList* TreeList() const { return m_treeList; }
  void Changed();
  TtlTreeListBand* FindItemID(int id) const;

 private:
  TtlCustomTreeList* m_treeList;
  std::vector<std::unique_ptr<TtlTreeListBand>> m_items;
  int m_nextId = 0;
  friend class TtlTreeListBand;
};
