#pragma once
// Columns of the data grid: each shows one field of the record set. Values
// not set on a column follow its field and the grid (title caption = the
// field's display label, alignment = the field's, colour and font = the
// grid's). Columns are either made from the record set's fields (default
// columns, rebuilt on every layout) or defined by hand.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "platform/alignment.h"
#include "platform/colors.h"
#include "platform/font.h"

class TField;
class TsfSkinCustomDBGrid;
class TsfDBGridColumns;

enum TsfColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };

class TsfColumnTitle {
 public:
  explicit TsfColumnTitle(class TsfColumn* column) : m_column(column) {}
  QString Caption() const;
  void SetCaption(const QString& v) { m_caption = v; }
  TAlignment Alignment = taLeftJustify;
  std::optional<TColor> Color;
  std::optional<TFont> Font;

 private:
  class TsfColumn* m_column;
  std::optional<QString> m_caption;
};

class TsfColumn {
 public:
  explicit TsfColumn(TsfDBGridColumns* owner);

  QString FieldName() const { return m_fieldName; }
  void SetFieldName(const QString& name);
  // The field of the grid's record set this column shows (null when none).
  TField* Field() const;
  TsfColumnTitle* Title() { return &m_title; }
  const TsfColumnTitle* Title() const { return &m_title; }
  // The stored width, or the default one computed from the field.
  int Width() const;
  void SetWidth(int w);
  bool Visible() const { return m_visible; }
  void SetVisible(bool v);
  bool Expanded = true;
  std::optional<TAlignment> AlignmentValue;
  TAlignment Alignment() const;
  std::optional<TColor> ColorValue;
  std::optional<TFont> FontValue;
  bool ReadOnly = false;
  QStringList PickList;
  int DropDownRows = 7;
  TsfColumnButtonStyle ButtonStyle = cbsAuto;
  int Index() const;
  TsfSkinCustomDBGrid* Grid() const;
  // Shown: visible (no ancestor columns are kept here, so none is collapsed).
  bool Showing() const { return m_visible; }

 private:
  friend class TsfDBGridColumns;
  friend class TsfSkinCustomDBGrid;
  int DefaultWidth() const;
  TsfDBGridColumns* m_owner;
  QString m_fieldName;
  TsfColumnTitle m_title;
  std::optional<int> m_width;
  bool m_visible = true;
};

enum TsfDBGridColumnsState { csDefault, csCustomized };

class TsfDBGridColumns {
 public:
  explicit TsfDBGridColumns(TsfSkinCustomDBGrid* grid) : m_grid(grid) {}
  TsfColumn* Add();
  int Count() const { return int(m_items.size()); }
  TsfColumn* Items(int i) const { return m_items.at(size_t(i)).get(); }
  TsfColumn* operator[](int i) const { return Items(i); }
  void Clear();
  void Delete(int i);
  void Move(int from, int to);
  int IndexOf(const TsfColumn* c) const;
  TsfDBGridColumnsState State() const { return m_state; }
  void SetState(TsfDBGridColumnsState s);
  TsfSkinCustomDBGrid* Grid() const { return m_grid; }

 private:
  friend class TsfSkinCustomDBGrid;
  friend class TsfColumn;
  void Changed();
  TsfSkinCustomDBGrid* m_grid;
  std::vector<std::unique_ptr<TsfColumn>> m_items;
  TsfDBGridColumnsState m_state = csDefault;
  bool m_rebuilding = false;
};
