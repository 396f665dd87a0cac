#pragma once
// How a drag starts: by code only, or by pressing and moving on the control.
// Shared by every control that can begin a drag (the list box, the tree list).
enum TDragMode { dmManual, dmAutomatic };
