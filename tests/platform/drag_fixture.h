#pragma once
// A control that starts a drag when pressed, as the drag tests use it.

#include "platform/control.h"
#include "platform/drag.h"

namespace dragtest {

class DragBox : public TCustomControl, public TDragControl {
 public:
  explicit DragBox(QWidget* parent) : TCustomControl(parent) { DragMode = dmAutomatic; }

 protected:
  QWidget* DragWidget() override { return this; }
  void MouseDown(TMouseButton b, TShiftState, int x, int y) override {
    if (b == mbLeft) AutoDragOnPress(x, y);
  }
};

}  // namespace dragtest
