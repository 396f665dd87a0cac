#include "skin/grids/grid_rules.h"

#include <QRegularExpression>

#include <algorithm>

#include "skin/data/skin_data.h"

TsfGridSkin ResolveGridSkin(const TsfSkinData* data, const QString& name) {
  TsfGridSkin s;
  if (!data || data->IsEmpty) return s;
  const auto* rec = data->ControlRecord<TsfDataSkinGridControl>(name);
  if (!rec || rec->fixedcellrect.IsEmpty()) return s;
  const TBitmap* picture = data->Picture(rec->pictureindex);
  if (!picture || picture->Empty()) return s;
  const TRect whole(0, 0, picture->Width(), picture->Height());
  const TRect fixed = rec->fixedcellrect.Intersect(whole);
  if (fixed.IsEmpty()) return s;
  const TRect select = rec->selectcellrect.Intersect(whole);
  const TRect focus = rec->focuscellrect.Intersect(whole);
  s.Record = rec;
  s.Picture = picture;
  s.FixedCell = fixed;
  s.SelectCell = select.IsEmpty() ? focus : select;
  s.FocusCell = focus.IsEmpty() ? select : focus;
  if (const TBitmap* bg = data->Picture(rec->bgpictureindex); bg && !bg->Empty())
    s.Background = bg;
  return s;
}

int SkinnedRowHeight(bool hasSkinData, const TsfGridSkin& skin, bool useSkinCellHeight,
                     int defaultCellHeight, int storedRowHeight) {
  if (!hasSkinData) return storedRowHeight;
  if (!skin) return defaultCellHeight;
  if (!useSkinCellHeight) return storedRowHeight;
  const int h = skin.SelectCell.Height();
  return h > 0 ? h : defaultCellHeight;
}

int IndicatorWidth(const TsfGridSkin& skin) {
  if (!skin) return 11;
  const int w = skin.FixedCell.Width();
  return std::max(11, CellPictureOffset(skin.Record->fixedcellleftoffset, w) +
                          CellPictureOffset(skin.Record->fixedcellrightoffset, w));
}

int CellPictureOffset(int offset, int width) { return std::clamp(offset, 0, std::max(0, width)); }

TRect CellPictureTextRect(const TRect& text, const TRect& cell) {
  return text.Intersect(TRect(0, 0, cell.Width(), cell.Height()));
}

int GridScrollPosition(int current, int first, int last) {
  if (last <= first) return 0;
  const long long p = (long long)(std::clamp(current, first, last) - first) * kGridScrollScale /
                      (last - first);
  return int(p);
}

int GridScrollTarget(int position, int first, int last) {
  if (last <= first) return first;
  const int pos = std::clamp(position, 0, kGridScrollScale);
  return first + int((long long)pos * (last - first) / kGridScrollScale);
}

int GridScrollStep(int count, int visible, int fixed) {
  return std::max(1, kGridScrollScale / std::max(1, count - visible - fixed));
}

TsfRecordBarParams RecordBarParams(bool active, bool sequenced, int recNo, int recordCount,
                                   bool bof, bool eof, int rowCount, int visibleRows) {
  TsfRecordBarParams p;
  if (!active) return p;
  p.Visible = rowCount >= visibleRows;
  if (sequenced && recNo > 0) {
    const int page = std::max(1, visibleRows);
    p.Min = 1;
    p.Max = std::max(1, recordCount + page - 1);
    p.Page = page;
    p.Position = std::clamp(recNo, 1, std::max(1, recordCount));
  } else {
    p.Min = 0;
    p.Max = 4;
    p.Position = bof ? 0 : eof ? 4 : 2;
  }
  return p;
}

bool NumberTextAcceptable(TFieldType type, const QString& text) {
  // Prefixes of a whole number, and of a real number with an optional
  // exponent that follows at least one digit.
  static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]*$"));
  static const QRegularExpression real(
      QStringLiteral("^[+-]?([0-9]*\\.?[0-9]*|([0-9]+\\.?[0-9]*|\\.[0-9]+)[eE][+-]?[0-9]*)$"));
  switch (type) {
    case ftInteger:
    case ftLargeint:
    case ftAutoInc: return whole.match(text).hasMatch();
    case ftFloat: return real.match(text).hasMatch();
    default: return true;
  }
}
