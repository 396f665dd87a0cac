#pragma once
// The one interface through which a window's skinner relays a change of skin
// to its controls. Every skinned control implements it, whether it derives
// from the skin control base or wraps a host editor, so the skinner finds them
// by walking its children and needs no list of classes.

#include <functional>

class QObject;
class TsfSkinData;

class ISkinChangeable {
 public:
  virtual ~ISkinChangeable() = default;
  // Called just before the skin data object drops its skin: the record index
  // becomes -1 so nothing reads a record that is about to go.
  virtual void ForgetSkinRecord() = 0;
  // Called when the new skin is in place: read the record again, take the
  // size and region it asks for, repaint.
  virtual void ApplySkinChange() = 0;
  // The skin data object the control draws from, or none.
  virtual TsfSkinData* SkinDataObject() const = 0;
};

// Calls `visit` on every skinned control below `root` (not on `root` itself),
// parents before their children. The walk is iterative and takes a snapshot of
// each level, so a visitor that creates or destroys controls is safe.
void ForEachSkinnedControl(QObject* root, const std::function<void(ISkinChangeable&)>& visit);
