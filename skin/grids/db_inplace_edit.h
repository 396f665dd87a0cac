#pragma once
// TsfDBGridInplaceEdit: the data grid's editor. Besides the text it may carry
// a button at its right end (its left end when reading from the right): a
// drop-down button for a column's pick list or a lookup field's list, or an
// ellipsis button that raises the grid's OnEditButtonClick. The drop-down
// list is a TsfDBPopupListbox; the editor keeps the focus while it shows and
// hands it the keys.

#include <QPointer>
#include <QVariant>

#include "skin/grids/db_popup_list.h"
#include "skin/grids/inplace_edit.h"

class TField;
class TsfColumn;
class TsfSkinCustomDBGrid;

enum TsfEditStyle { esSimple, esEllipsis, esPickList, esDataList };

class TsfDBGridInplaceEdit : public TsfSkinInplaceEdit {
  Q_OBJECT
 public:
  explicit TsfDBGridInplaceEdit(TsfSkinCustomDBGrid* grid);
  ~TsfDBGridInplaceEdit() override;

  TsfEditStyle EditStyle() const { return m_style; }
  // Decides the button from the grid's current column and field.
  void UpdateEditStyle();
  // The button in the editor's coordinates (empty without one).
  QRect ButtonRect() const;
  int ButtonWidth() const;
  bool ButtonPressed() const { return m_pressed; }

  // The drop-down list (null until first dropped).
  TsfDBPopupListbox* ActiveList() const { return m_list.data(); }
  bool ListVisible() const;
  void DropDown();
  // Closes the list; with acceptance its current item is written.
  void CloseUp(bool accept);

 protected:
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  TsfSkinCustomDBGrid* DBGrid() const;
  bool OverButton(const QPoint& p) const { return ButtonRect().contains(p); }
  void SetPressed(bool v);
  void ApplyTextMargins();
  bool ListKey(QKeyEvent* e);
  void EditButtonClick();
  bool StartEditing(const QList<TField*>& fields);
  void AcceptPickValue(const QString& value);
  void AcceptLookupKey(const QVariant& key);
  void PaintButton(QPainter& painter, const QRect& r);
  // Screen point inside the list's rows.
  bool InsideList(const QPoint& global) const;

  TsfEditStyle m_style = esSimple;
  QPointer<TsfDBPopupListbox> m_list;
  bool m_tracking = false;
  bool m_pressed = false;
};
