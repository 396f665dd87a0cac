#include "skin/data/form_sections.h"

#include <algorithm>

namespace {
void Corners(TsfKeyVisitor& v, TPoint& lt, TPoint& rt, TPoint& lb, TPoint& rb) {
  v.PointV("lefttoppoint", lt);
  v.PointV("righttoppoint", rt);
  v.PointV("leftbottompoint", lb);
  v.PointV("rightbottompoint", rb);
}

void EdgeStretch(TsfKeyVisitor& v, bool& l, bool& r, bool& t, bool& b) {
  v.Flag("leftstretch", l);
  v.Flag("rightstretch", r);
  v.Flag("topstretch", t);
  v.Flag("bottomstretch", b);
}

bool Unset(const TPoint& p) { return p.X == 0 || p.Y == 0; }
}  // namespace

void TsfVersionInfo::VisitKeys(TsfKeyVisitor& v) {
  v.Str("skinname", skinname, QString());
  v.Str("skinauthor", skinauthor, QString());
  v.Str("authoremail", authoremail, QString());
  v.Str("authorurl", authorurl, QString());
  v.Str("skincomments", skincomments, QString());
}

void TsfPictureNames::LoadFromIni(const TCustomIniFile& f) {
  const QString s = QStringLiteral("PICTURES");
  picture = f.ReadString(s, QStringLiteral("picture"), QString());
  inactivepicture = f.ReadString(s, QStringLiteral("inactivepicture"), QString());
  mask = f.ReadString(s, QStringLiteral("mask"), QString());
  activepictures.clear();
  ReadNameList(f, s, QStringLiteral("activepictures"), activepictures);
}

void TsfPictureNames::SaveToIni(TCustomIniFile& f) const {
  const QString s = QStringLiteral("PICTURES");
  f.EraseSection(s);
  f.WriteString(s, QStringLiteral("picture"), picture);
  f.WriteString(s, QStringLiteral("inactivepicture"), inactivepicture);
  f.WriteString(s, QStringLiteral("mask"), mask);
  WriteNameList(f, s, QStringLiteral("activepictures"), activepictures);
}

QString SkinPicturePath(const QString& folder, const QString& name) {
  QString n = name;
  n.replace(u'\\', u'/');
  return folder + n;
}

QString SkinFolderOf(const QString& skinFilePath) {
  const int slash = skinFilePath.lastIndexOf(u'/');
  return slash < 0 ? QString() : skinFilePath.left(slash + 1);
}

void TsfFormInfo::VisitKeys(TsfKeyVisitor& v) {
  Corners(v, lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint);
  v.RectV("clientrect", clientrect);
  v.Int("bgpictureindex", bgpictureindex, -1);
  v.Int("mdibgpictureindex", mdibgpictureindex, -1);
  EdgeStretch(v, leftstretch, rightstretch, topstretch, bottomstretch);
  v.Flag("stretcheffect", stretcheffect);
  v.Stretch("stretchtype", stretchtype);
  v.Flag("mdibgstretcheffect", mdibgstretcheffect);
  v.Stretch("mdibgstretchtype", mdibgstretchtype);
  v.RectV("maskrectarea", maskrectarea);
  v.PointV("hittestlefttoppoint", hittestlefttoppoint);
  v.PointV("hittestrighttoppoint", hittestrighttoppoint);
  v.PointV("hittestleftbottompoint", hittestleftbottompoint);
  v.PointV("hittestrightbottompoint", hittestrightbottompoint);
  v.RectV("buttonsrect", buttonsrect);
  v.RectV("captionrect", captionrect);
  v.Int("buttonsoffset", buttonsoffset, 0);
  v.Flag("buttonsinleft", buttonsinleft);
  v.Flag("mainmenupopupup", mainmenupopupup);
  v.Int("borderwidth", borderwidth, 0);
  v.Int("formminwidth", formminwidth, 0);
  v.Flag("mditabstransparent", mditabstransparent);
  v.Flag("mainmenubartransparent", mainmenubartransparent);
  v.Flag("autorenderinginactiveimage", autorenderinginactiveimage);
  v.Effect("inactiveeffect", inactiveeffect);
}

void TsfFormInfo::Normalize(bool hasMask) {
  if (hasMask) {
    if (maskrectarea.IsEmpty()) {
      maskrectarea = clientrect;
    } else {
      maskrectarea = TRect(std::min(maskrectarea.Left, clientrect.Left),
                           std::min(maskrectarea.Top, clientrect.Top),
                           std::max(maskrectarea.Right, clientrect.Right),
                           std::max(maskrectarea.Bottom, clientrect.Bottom));
    }
    if (Unset(hittestlefttoppoint)) hittestlefttoppoint = lefttoppoint;
    if (Unset(hittestrighttoppoint)) hittestrighttoppoint = righttoppoint;
    if (Unset(hittestleftbottompoint)) hittestleftbottompoint = leftbottompoint;
    if (Unset(hittestrightbottompoint)) hittestrightbottompoint = rightbottompoint;
  }
  if (rightbottompoint.X == lefttoppoint.X || rightbottompoint.Y == lefttoppoint.Y) return;
  const TRect& c = clientrect;
  lefttoppoint = TPoint(std::max(lefttoppoint.X, c.Left), std::max(lefttoppoint.Y, c.Top));
  righttoppoint = TPoint(std::min(righttoppoint.X, c.Right), std::max(righttoppoint.Y, c.Top));
  leftbottompoint = TPoint(std::max(leftbottompoint.X, c.Left), std::min(leftbottompoint.Y, c.Bottom));
  rightbottompoint = TPoint(std::min(rightbottompoint.X, c.Right), std::min(rightbottompoint.Y, c.Bottom));
}

void TsfDataSkinPopupWindow::VisitKeys(TsfKeyVisitor& v) {
  v.Int("windowpictureindex", windowpictureindex, -1);
  v.Int("maskpictureindex", maskpictureindex, -1);
  Corners(v, lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint);
  v.RectV("itemsrect", itemsrect);
  v.Color("scrollmarkercolor", scrollmarkercolor, 0);
  v.Color("scrollmarkeractivecolor", scrollmarkeractivecolor, 0);
  EdgeStretch(v, leftstretch, rightstretch, topstretch, bottomstretch);
  v.Flag("stretcheffect", stretcheffect);
  v.Stretch("stretchtype", stretchtype);
}

void TsfDataSkinLayerFrame::VisitKeys(TsfKeyVisitor& v) {
  v.Int("pictureindex", pictureindex, -1);
  v.Int("maskpictureindex", maskpictureindex, -1);
  v.Int("inactivepictureindex", inactivepictureindex, -1);
  v.Int("inactivemaskpictureindex", inactivemaskpictureindex, -1);
  Corners(v, lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint);
  v.RectV("clientrect", clientrect);
  v.Int("alphablendvalue", alphablendvalue, 255);
  v.Int("inactivealphablendvalue", inactivealphablendvalue, 255);
  v.RectV("borderrect", borderrect);
  v.Flag("hittestenable", hittestenable);
}

void TsfDataSkinHintWindow::VisitKeys(TsfKeyVisitor& v) {
  v.Int("windowpictureindex", windowpictureindex, -1);
  v.Int("maskpictureindex", maskpictureindex, -1);
  Corners(v, lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint);
  v.RectV("clientrect", clientrect);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  EdgeStretch(v, leftstretch, rightstretch, topstretch, bottomstretch);
  v.Flag("stretcheffect", stretcheffect);
  v.Stretch("stretchtype", stretchtype);
}

void TsfSkinColors::VisitKeys(TsfKeyVisitor& v) {
  v.Color("cbtnface", cbtnface, clBtnFace);
  v.Color("cbtntext", cbtntext, clBtnText);
  v.Color("cwindow", cwindow, clWindow);
  v.Color("cwindowtext", cwindowtext, clWindowText);
  v.Color("chighlight", chighlight, clHighlight);
  v.Color("chighlighttext", chighlighttext, clHighlightText);
  v.Color("cbtnhighlight", cbtnhighlight, clBtnHighlight);
  v.Color("cbtnshadow", cbtnshadow, clBtnShadow);
}

void TsfSkinColors::Reset() {
  cbtnface = clBtnFace;
  cbtntext = clBtnText;
  cwindow = clWindow;
  cwindowtext = clWindowText;
  chighlight = clHighlight;
  chighlighttext = clHighlightText;
  cbtnhighlight = clBtnHighlight;
  cbtnshadow = clBtnShadow;
}
