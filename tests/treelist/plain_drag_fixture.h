#pragma once
// What the drag tests of plain tree lists share: a list laid out as one
// column of 20-pixel rows, and the mouse moves of a drag with the left
// button held.

#include <QApplication>
#include <QMouseEvent>
#include <QString>
#include <QTest>

#include "treelist/tree_list.h"

namespace tldrag {

// No border or header, 20-pixel rows, a vertical bar, one band and one
// column 180 pixels wide.
inline void LayOutPlainList(TtlTreeList& l) {
  l.SetBorderStyle(bsNone);
  l.SetShowHeader(false);
  l.SetDefaultRowHeight(20);
  l.SetScrollBars(ssVertical);
  l.Bands()->Add()->SetWidth(180);
  l.CreateColumn()->SetWidth(180);
}

// Roots named "0", "1", ... up to `rows` - 1.
inline void AddNumberedRows(TtlTreeList& l, int rows) {
  for (int i = 0; i < rows; ++i) static_cast<TtlTreeListTextNode*>(l.Add())->SetCellText(0, QString::number(i));
}

// A move over `w`, in its coordinates, with the left button held.
inline void MoveHeld(QWidget* w, QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QMouseEvent e(QEvent::MouseMove, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::NoButton, Qt::LeftButton, mods);
  QApplication::sendEvent(w, &e);
}

// Presses on (30, 10) and moves past the drag distance within that row.
inline void StartHeldDrag(QWidget* w) {
  QTest::mousePress(w, Qt::LeftButton, {}, QPoint(30, 10));
  MoveHeld(w, QPoint(30, 16));
  MoveHeld(w, QPoint(30 + QApplication::startDragDistance() + 1, 16));
}

}  // namespace tldrag
