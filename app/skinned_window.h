#pragma once
// The frame skinner both windows of the program carry, with their settings:
// caption buttons for the system menu, minimise, maximise and roll-up, the
// default system menu, no icon, no alpha blending, the default caption font
// Arial 14 bold (window text when active, button shadow when inactive) where
// the skin gives none, menu lines 20 high; skinned from the data module's skin.

class TForm;
class TsfSkinForm;

TsfSkinForm* CreateWindowSkinner(TForm* form);
// Destroys the skinner while its window is still whole: it gives the window
// its own frame back, which must not happen among the children Qt deletes
// last. Window destructors call it.
void DestroyWindowSkinner(TsfSkinForm* skinner);
