#pragma once
// The five pictures of the data grid's indicator column, drawn by code in
// the roles the grid gives them: current record, editing, inserting,
// selected record, current selected record. White is their transparent
// colour.

#include "platform/bitmap.h"
#include "platform/image_list.h"

enum TsfIndicatorImage { iiCurrent = 0, iiEdit = 1, iiInsert = 2, iiSelected = 3, iiCurrentSelected = 4 };

constexpr int kIndicatorImageWidth = 8;
constexpr int kIndicatorImageHeight = 11;

TBitmap IndicatorPicture(TsfIndicatorImage which);
// An image list holding the five pictures in the order above; `mirrored`
// turns them to face left, for columns that read from the right.
void FillIndicatorImages(TCustomImageList& list, bool mirrored = false);
