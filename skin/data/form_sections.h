#pragma once
// The form-level sections of a skin file: VERSION, FORMINFO, POPUPWINDOW,
// LAYERFRAME, HINTWINDOW and SKINCOLORS.

#include <QString>

#include "skin/data/skin_values.h"

struct TsfVersionInfo : TsfKeyedSection {
  QString KeySection() const override { return QStringLiteral("VERSION"); }
  void VisitKeys(TsfKeyVisitor& v) override;
  QString skinname, skinauthor, authoremail, authorurl, skincomments;
};

// The names of section PICTURES: the three form pictures and the picture list.
struct TsfPictureNames {
  QString picture, inactivepicture, mask;
  QStringList activepictures;
  void LoadFromIni(const TCustomIniFile& f);
  void SaveToIni(TCustomIniFile& f) const;
};

// The file of a picture named in a skin: the skin's folder (with its trailing
// "/") and the name, whose backslash separators are read as "/".
QString SkinPicturePath(const QString& folder, const QString& name);
// The folder of a skin file, with its trailing "/".
QString SkinFolderOf(const QString& skinFilePath);

// The skinned window's frame.
struct TsfFormInfo : TsfKeyedSection {
  QString KeySection() const override { return QStringLiteral("FORMINFO"); }
  void VisitKeys(TsfKeyVisitor& v) override;
  // Grows the mask area and fills unset hit-test points (when the skin has a
  // mask), then moves the corner points out of the client area.
  void Normalize(bool hasMask);

  TPoint lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint;
  TRect clientrect;
  int bgpictureindex = -1;
  int mdibgpictureindex = -1;
  bool leftstretch = false, rightstretch = false, topstretch = false, bottomstretch = false;
  bool stretcheffect = false;
  TsfStretchType stretchtype = stFull;
  bool mdibgstretcheffect = false;
  TsfStretchType mdibgstretchtype = stFull;
  TRect maskrectarea;
  TPoint hittestlefttoppoint, hittestrighttoppoint, hittestleftbottompoint, hittestrightbottompoint;
  TRect buttonsrect, captionrect;
  int buttonsoffset = 0;
  bool buttonsinleft = false;
  bool mainmenupopupup = false;
  int borderwidth = 0;
  int formminwidth = 0;
  bool mditabstransparent = false;
  bool mainmenubartransparent = false;
  bool autorenderinginactiveimage = false;
  TsfInactiveEffect inactiveeffect = ieBrightness;
};

// The frame of popup menus and popup lists.
struct TsfDataSkinPopupWindow : TsfKeyedSection {
  QString KeySection() const override { return QStringLiteral("POPUPWINDOW"); }
  void VisitKeys(TsfKeyVisitor& v) override;
  int windowpictureindex = -1;
  int maskpictureindex = -1;
  TPoint lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint;
  TRect itemsrect;
  TColor scrollmarkercolor = 0, scrollmarkeractivecolor = 0;
  bool leftstretch = false, rightstretch = false, topstretch = false, bottomstretch = false;
  bool stretcheffect = false;
  TsfStretchType stretchtype = stFull;
};

// The translucent border around skinned windows.
struct TsfDataSkinLayerFrame : TsfKeyedSection {
  QString KeySection() const override { return QStringLiteral("LAYERFRAME"); }
  void VisitKeys(TsfKeyVisitor& v) override;
  int pictureindex = -1, maskpictureindex = -1;
  int inactivepictureindex = -1, inactivemaskpictureindex = -1;
  TPoint lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint;
  TRect clientrect;
  int alphablendvalue = 255, inactivealphablendvalue = 255;
  TRect borderrect;
  bool hittestenable = false;
};

// The skinned hint window.
struct TsfDataSkinHintWindow : TsfKeyedSection {
  QString KeySection() const override { return QStringLiteral("HINTWINDOW"); }
  void VisitKeys(TsfKeyVisitor& v) override;
  int windowpictureindex = -1, maskpictureindex = -1;
  TPoint lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint;
  TRect clientrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 12;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0;
  bool leftstretch = false, rightstretch = false, topstretch = false, bottomstretch = false;
  bool stretcheffect = false;
  TsfStretchType stretchtype = stFull;
};

// Colours that replace the system colours in skinned controls.
struct TsfSkinColors : TsfKeyedSection {
  QString KeySection() const override { return QStringLiteral("SKINCOLORS"); }
  void VisitKeys(TsfKeyVisitor& v) override;
  // Back to the system colours.
  void Reset();
  TColor cbtnface = 0, cbtntext = 0, cwindow = 0, cwindowtext = 0;
  TColor chighlight = 0, chighlighttext = 0, cbtnhighlight = 0, cbtnshadow = 0;
};
