#pragma once
// The gallery: one column of every skinned control in its states for a skin
// data object (or none, for the default look), and the picture of all columns.

#include <QImage>
#include <QString>

class TsfSkinData;

// The controls drawn from `data` (null: the default look), grabbed offscreen.
QImage GalleryColumn(TsfSkinData* data, const QString& title);
// The columns side by side under their titles.
QImage GalleryPicture(TsfSkinData* skinned);
