#pragma once
// The host's border styles: controls use the first two, forms all of them.

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
