#pragma once
// The grids' arithmetic as pure functions, shared by layout, paint, the
// scroll bars and the tests: row heights from the skin, the indicator's
// width, and the two vertical-bar scales (the core grid's 0..127 and the
// data grid's record count).

#include <QString>

#include "db/field.h"
#include "platform/bitmap.h"
#include "skin/data/control_records.h"

class TsfSkinData;

// The "grid" record a grid draws from: a grid record whose fixed-cell
// rectangle is not empty and whose picture exists, with the select- and
// focus-cell rectangles standing in for each other when one is empty.
// The three cell rectangles are cut to the picture: what lies outside it
// does not exist. Null means the default look.
struct TsfGridSkin {
  const TsfDataSkinGridControl* Record = nullptr;
  const TBitmap* Picture = nullptr;
  TRect FixedCell;
  TRect SelectCell;
  TRect FocusCell;
  const TBitmap* Background = nullptr;  // "bgpictureindex", when it names a picture
  explicit operator bool() const { return Record != nullptr; }
};
TsfGridSkin ResolveGridSkin(const TsfSkinData* data, const QString& name);

// The default row height after a skin change. Without skin data the stored
// height stays; with skin data but no usable record it is `defaultCellHeight`;
// with a record and `useSkinCellHeight` the select-cell picture's height
// (an empty picture falls back to `defaultCellHeight`); otherwise it stays.
int SkinnedRowHeight(bool hasSkinData, const TsfGridSkin& skin, bool useSkinCellHeight,
                     int defaultCellHeight, int storedRowHeight);

// The indicator column: 11 pixels, or the fixed cell's two offsets when a
// record gives more (each offset counts at most the fixed cell's width).
int IndicatorWidth(const TsfGridSkin& skin);

// A left or right offset of a cell picture `width` wide, as far as it can reach.
int CellPictureOffset(int offset, int width);
// A cell's text rectangle, relative to its cell picture of `cell`'s size, cut
// to that picture (empty when nothing of it lies inside).
TRect CellPictureTextRect(const TRect& text, const TRect& cell);

// The core grid's linked bars run from 0 to 127. `first` is the first
// scrollable index (the fixed count), `last` the last index that can be the
// top row or left column. When nothing scrolls (last <= first) the position
// is 0.
constexpr int kGridScrollScale = 127;
int GridScrollPosition(int current, int first, int last);
int GridScrollTarget(int position, int first, int last);
// SmallChange of a bar: 127 div the number of hidden cells, at least 1.
int GridScrollStep(int count, int visible, int fixed);

// The data grid's vertical bar.
struct TsfRecordBarParams {
  bool Visible = false;
  int Min = 0, Max = 0, Page = 0, Position = 0;
};
// Sequenced record sets count records (1 .. count + visible - 1, page =
// visible rows); others get five steps 0..4 (0 at the start, 4 at the end,
// 2 between). `rowCount` is the grid's row count, `visibleRows` the fully
// visible rows; the bar shows when rowCount >= visibleRows.
TsfRecordBarParams RecordBarParams(bool active, bool sequenced, int recNo, int recordCount,
                                   bool bof, bool eof, int rowCount, int visibleRows);

// Whether `text` can be what the user is typing into a field of `type`: the
// start of a number with at most one sign, at its very beginning (or, for a
// real number, right after its exponent mark), and at most one decimal
// separator. Texts of other types are always acceptable.
bool NumberTextAcceptable(TFieldType type, const QString& text);
