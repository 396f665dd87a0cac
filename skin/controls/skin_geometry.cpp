#include "skin/controls/skin_geometry.h"

#include "skin/data/skin_data.h"
#include "skin/render/mask_region.h"
#include "skin/render/pixel_copy.h"

namespace {
// A picture entry that holds no pixels is as good as none: the control then
// paints as when its record names no picture, not nothing at all.
const TBitmap* Usable(const TBitmap* picture) { return picture && !picture->Empty() ? picture : nullptr; }
}  // namespace

void TsfSkinGeometry::Read(const TsfDataSkinCustomControl& r, const TsfSkinData& data) {
  Picture = Usable(data.Picture(r.pictureindex));
  Mask = data.Picture(r.maskpictureindex);
  SkinRect = r.skinrect;
  LTPoint = r.lefttoppoint;
  RTPoint = r.righttoppoint;
  LBPoint = r.leftbottompoint;
  RBPoint = r.rightbottompoint;
  ClientRect = r.clientrect;
  LeftStretch = r.leftstretch;
  TopStretch = r.topstretch;
  RightStretch = r.rightstretch;
  BottomStretch = r.bottomstretch;
  StretchEffect = r.stretcheffect;
  StretchType = r.stretchtype;
  if (SkinRect.IsEmpty()) ResizeMode = rmNone;
  else if (RBPoint.X != 0 && RBPoint.Y != 0) ResizeMode = rmFrame;
  else if (RTPoint.X != 0 || RTPoint.Y != 0) ResizeMode = rmHorizontal;
  else if (LBPoint.X != 0 || LBPoint.Y != 0) ResizeMode = rmVertical;
  else ResizeMode = rmFixed;
}

void TsfSkinGeometry::ReadUnframed() {
  *this = TsfSkinGeometry();
  ResizeMode = rmFixed;
}

void TsfSkinGeometry::Forget() {
  Picture = nullptr;
  Mask = nullptr;
}

void TsfSkinGeometry::AdjustSize(int& width, int& height) {
  const int dw = width - SkinWidth();
  const int dh = height - SkinHeight();
  switch (ResizeMode) {
    case rmFixed:
      // A record without a skin rect (one of another class) has no size to give.
      if (SkinRect.IsEmpty()) return;
      width = SkinWidth();
      height = SkinHeight();
      NewClientRect = ClientRect;
      break;
    case rmFrame:
      NewLTPoint = LTPoint;
      NewRTPoint = TPoint(RTPoint.X + dw, RTPoint.Y);
      NewLBPoint = TPoint(LBPoint.X, LBPoint.Y + dh);
      NewRBPoint = TPoint(RBPoint.X + dw, RBPoint.Y + dh);
      NewClientRect = TRect(ClientRect.Left, ClientRect.Top, ClientRect.Right + dw,
                            ClientRect.Bottom + dh);
      break;
    case rmHorizontal:
      height = SkinHeight();
      NewLTPoint = LTPoint;
      NewRTPoint = TPoint(RTPoint.X + dw, RTPoint.Y);
      NewClientRect = TRect(ClientRect.Left, ClientRect.Top, ClientRect.Right + dw, ClientRect.Bottom);
      break;
    case rmVertical:
      width = SkinWidth();
      NewLTPoint = LTPoint;
      NewLBPoint = TPoint(LBPoint.X, LBPoint.Y + dh);
      NewClientRect = TRect(ClientRect.Left, ClientRect.Top, ClientRect.Right, ClientRect.Bottom + dh);
      break;
    default: break;
  }
}

TRect TsfSkinGeometry::MapSkinRect(const TRect& r, int width, int height) const {
  const int dx = width - SkinWidth();
  const int dy = height - SkinHeight();
  const int sw = SkinWidth(), sh = SkinHeight();
  switch (ResizeMode) {
    case rmFrame: {
      const TRect areas[4] = {TRect(0, 0, LTPoint.X, LTPoint.Y), TRect(RTPoint.X, 0, sw, RTPoint.Y),
                              TRect(0, LBPoint.Y, LBPoint.X, sh), TRect(RBPoint.X, RBPoint.Y, sw, sh)};
      // A rect's top-left corner lies in an area as a pixel does; its
      // bottom-right corner is exclusive, so it may lie on the area's far edge.
      auto topLeftIn = [](const TRect& a, int x, int y) { return a.Contains(TPoint(x, y)); };
      auto bottomRightIn = [](const TRect& a, int x, int y) {
        return x > a.Left && x <= a.Right && y > a.Top && y <= a.Bottom;
      };
      auto wholly = [&](const TRect& a) {
        return topLeftIn(a, r.Left, r.Top) && bottomRightIn(a, r.Right, r.Bottom);
      };
      if (wholly(areas[0])) return r;
      if (wholly(areas[1])) return r.Offset(dx, 0);
      if (wholly(areas[2])) return r.Offset(0, dy);
      if (wholly(areas[3])) return r.Offset(dx, dy);
      int a = -1, b = -1;
      for (int i = 3; i >= 0; --i) {
        if (topLeftIn(areas[i], r.Left, r.Top)) a = i;
        if (bottomRightIn(areas[i], r.Right, r.Bottom)) b = i;
      }
      if (a == 0 && b == 3) return TRect(r.Left, r.Top, r.Right + dx, r.Bottom + dy);
      if (a == 0 && b == 1) return TRect(r.Left, r.Top, r.Right + dx, r.Bottom);
      if (a == 2 && b == 3) return TRect(r.Left, r.Top + dy, r.Right + dx, r.Bottom + dy);
      if (a == 0 && b == 2) return TRect(r.Left, r.Top, r.Right, r.Bottom + dy);
      if (a == 1 && b == 3) return TRect(r.Left + dx, r.Top, r.Right + dx, r.Bottom + dy);
      return r;
    }
    case rmHorizontal:
      if (r.Left <= LTPoint.X && r.Right >= RTPoint.X) return TRect(r.Left, r.Top, r.Right + dx, r.Bottom);
      if (r.Left >= RTPoint.X) return r.Offset(dx, 0);
      return r;
    case rmVertical:
      if (r.Top <= LTPoint.Y && r.Bottom >= LBPoint.Y) return TRect(r.Left, r.Top, r.Right, r.Bottom + dy);
      if (r.Top >= LBPoint.Y) return r.Offset(0, dy);
      return r;
    default: return r;
  }
}

TsfStretchFlags TsfSkinGeometry::Flags() const {
  TsfStretchFlags f;
  f.Left = LeftStretch;
  f.Top = TopStretch;
  f.Right = RightStretch;
  f.Bottom = BottomStretch;
  f.Effect = StretchEffect;
  f.Mode = static_cast<TsfStretchMode>(StretchType);
  return f;
}

void TsfSkinGeometry::Compose(TBitmap& result, const TRect& source, int width, int height,
                              bool drawCentre) const {
  if (!Picture || Picture->Empty()) return;
  switch (ResizeMode) {
    case rmFixed:
      if (source.IsEmpty()) return;
      ResetBitmap(result, source.Width(), source.Height());
      sfpix::Blit(result.Image(), 0, 0, sfpix::As32(Picture->Image()), source);
      break;
    case rmFrame:
      ComposeFrameBitmap(result, SkinPoints(), LaidPoints(), width, height, source, *Picture,
                         Flags(), drawCentre);
      break;
    case rmHorizontal:
      ComposeHStrip(LTPoint.X, SkinWidth() - RTPoint.X, result, *Picture, source, width,
                    StretchEffect);
      break;
    case rmVertical:
      ComposeVStrip(LTPoint.Y, SkinHeight() - LBPoint.Y, result, *Picture, source, height,
                    StretchEffect);
      break;
    default: break;
  }
}

std::optional<QRegion> TsfSkinGeometry::Region(int width, int height) const {
  if (!Mask || Mask->Empty()) return std::nullopt;
  std::optional<TsfRegion> region;
  TsfFramePoints laid = SkinPoints();
  switch (ResizeMode) {
    case rmFixed: region = BuildMaskRegion(*Mask); break;
    case rmFrame: region = BuildFrameRegion(SkinPoints(), LaidPoints(), width, height, *Mask); break;
    case rmHorizontal:
      laid.RT.X += width - SkinWidth();
      laid.C.Right += width - SkinWidth();
      region = BuildFrameRegion(SkinPoints(), laid, width, height, *Mask);
      break;
    case rmVertical:
      laid.LB.Y += height - SkinHeight();
      laid.C.Bottom += height - SkinHeight();
      region = BuildFrameRegion(SkinPoints(), laid, width, height, *Mask);
      break;
    default: break;
  }
  // A mask without a single window pixel would hide the control: keep the rectangle.
  if (!region || region->IsEmpty()) return std::nullopt;
  return region->ToQRegion();
}

TBitmap KeyedPiece(const TBitmap& source, const TRect& piece) {
  TBitmap out;
  if (piece.IsEmpty() || source.Empty()) return out;
  ResetBitmap(out, piece.Width(), piece.Height());
  sfpix::Blit(out.Image(), 0, 0, sfpix::As32(source.Image()), piece);
  out.Transparent = true;
  out.TransparentColor = out.Pixel(0, out.Height() - 1);
  return out;
}
