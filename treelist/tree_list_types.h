#pragma once
// Small enumerations the tree list shares with its columns. The text
// alignment is the record set's own (fields and columns share it).

#include "db/field.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TtlTreeListColumnSort { csNone, csDown, csUp };
enum TtlSummaryType { cstNone, cstSum, cstMin, cstMax, cstCount, cstAvg };
enum TtlGridBandFixed { bfNone, bfLeft, bfRight };
enum TtlTreeLineStyle { tlSolid, tlDot };
enum TtlLookAndFeel { lfStandard, lfFlat, lfUltraFlat };
enum TtlPaintStyle { psStandard, psOutlook };
enum TtlScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TtlBorderStyle { bsNone, bsSingle };
