#pragma once
// Small enumerations the tree list shares with its columns.

#include "platform/alignment.h"
#include "platform/border_style.h"
#include "platform/drag_mode.h"
#include "platform/scroll_messages.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TtlTreeListColumnSort { csNone, csDown, csUp };
enum TtlSummaryType { cstNone, cstSum, cstMin, cstMax, cstCount, cstAvg };
enum TtlGridBandFixed { bfNone, bfLeft, bfRight };
enum TtlTreeLineStyle { tlSolid, tlDot };
enum TtlLookAndFeel { lfStandard, lfFlat, lfUltraFlat };
enum TtlPaintStyle { psStandard, psOutlook };
// The host's scroll-bar setting, shared with the edits.
using TtlScrollStyle = TScrollStyle;
// A tree list is drawn with no border or a single line (bsNone, bsSingle).
using TtlBorderStyle = TFormBorderStyle;
// What lies under a point of the control, for drops and drag hovering.
enum TtlHitArea {
  htNowhere,     // no row there, inside the rows' area
  htIndent,      // the indent left of a row's expand button or images
  htButton,      // the expand button's cell
  htStateImage,
  htImage,
  htCell,        // a cell (any line of a multi-line row)
  htPreview,
  htRowRight,    // the row right of its last column
  htOutside,     // headers, bands, borders, the scroll bar
};
