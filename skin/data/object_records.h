#pragma once
// Records of the form objects listed in SKINOBJECTS: the caption, caption
// buttons, menu items and other pieces of a skinned window that react to the
// mouse. Each reads the keys of the class it is built on first, then its own.

#include <QString>
#include <QStringList>
#include <memory>

#include "skin/data/skin_values.h"

class TsfDataSkinObject : public TsfKeyedSection {
 public:
  explicit TsfDataSkinObject(QString name) : SectionName(std::move(name)) {}
  QString KeySection() const override { return SectionName; }
  void VisitKeys(TsfKeyVisitor& v) override;

  QString SectionName;
  QString hint;
  int activepictureindex = -1;
  int activemaskpictureindex = -1;
  bool skinrectinapicture = false;
  TRect skinrect, activeskinrect, inactiveskinrect;
  bool morphing = false;
  TsfMorphKind morphkind = mkDefault;
  int glowlayerpictureindex = -1;
  int glowlayermaskpictureindex = -1;
  int glowlayeroffsetx = 0;
  int glowlayeroffsety = 0;
  int glowlayeralphablendvalue = 255;
};

// Reads only "skinrect"; everything else keeps its initial value.
class TsfDataUserObject : public TsfDataSkinObject {
 public:
  using TsfDataSkinObject::TsfDataSkinObject;
  void VisitKeys(TsfKeyVisitor& v) override;
};

class TsfDataSkinButton : public TsfDataSkinObject {
 public:
  using TsfDataSkinObject::TsfDataSkinObject;
  void VisitKeys(TsfKeyVisitor& v) override;
  TRect downrect, disableskinrsect;
};

class TsfDataSkinStdButton : public TsfDataSkinButton {
 public:
  using TsfDataSkinButton::TsfDataSkinButton;
  void VisitKeys(TsfKeyVisitor& v) override;
  void LoadFromIni(const TCustomIniFile& f) override;
  TsfCommand command = cmDefault;
  TRect restorerect, restoreactiverect, restoredownrect, restoreinactiverect;
  QString restorehint;
};

class TsfDataSkinMainMenuBarButton : public TsfDataSkinStdButton {
 public:
  using TsfDataSkinStdButton::TsfDataSkinStdButton;
};

class TsfDataSkinAnimate : public TsfDataSkinObject {
 public:
  using TsfDataSkinObject::TsfDataSkinObject;
  void VisitKeys(TsfKeyVisitor& v) override;
  void LoadFromIni(const TCustomIniFile& f) override;
  int countframes = 1;
  bool cycle = false;
  bool buttonstyle = false;
  int timerinterval = 50;
  TsfCommand command = cmDefault;
  TRect downskinrect;
  TRect restorerect, restoreactiverect, restoredownrect, restoreinactiverect;
  QString restorehint;
};

class TsfDataSkinCaption : public TsfDataSkinObject {
 public:
  using TsfDataSkinObject::TsfDataSkinObject;
  void VisitKeys(TsfKeyVisitor& v) override;
  TRect textrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0;
  TAlignment alignment = taCenter;
  bool light = false;
  TColor lightcolor = 0, activelightcolor = 0;
  bool shadow = false;
  TColor shadowcolor = 0, activeshadowcolor = 0;
  TRect framerect, activeframerect, frametextrect;
  int frameleftoffset = 0, framerightoffset = 0;
  bool stretcheffect = false;
  TRect animateskinrect;
  int framecount = 0;
  int animateinterval = 0;
  bool inactiveanimation = false;
  bool fullframe = false;
  bool vistagloweffect = false, vistaglowinactiveeffect = false;
  bool gloweffect = false, glowinactiveeffect = false;
  int glowsize = 0;
  TColor glowcolor = 0, glowactivecolor = 0;
  int glowoffset = 0;
  bool reflectioneffect = false;
  TColor reflactioncolor = 0, reflactionactivecolor = 0;
  int reflectionoffset = 0;
};

class TsfDataSkinMenuItem : public TsfDataSkinObject {
 public:
  using TsfDataSkinObject::TsfDataSkinObject;
  void VisitKeys(TsfKeyVisitor& v) override;
  void LoadFromIni(const TCustomIniFile& f) override;
  int itemleftoffset = 0, itemrightoffset = 0;
  TRect dividerrect;
  int dividerleftoffset = 0, dividerrightoffset = 0;
  TRect textrect, imagerect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0, unenabledfontcolor = 0;
  bool stretcheffect = false, inactivestretcheffect = false, dividerstretcheffect = false;
  TRect animateskinrect;
  int framecount = 0;
  int animateinterval = 0;
  bool inactiveanimation = false;
  bool useimagecolor = false;
  TColor imagecolor = 0, activeimagecolor = 0;
  bool inactivetransparent = false;
  TRect checkimagerect, activecheckimagerect;
  TRect radioimagerect, activeradioimagerect;
  TRect arrowimagerect, activearrowimagerect;
};

class TsfDataSkinMainMenuItem : public TsfDataSkinObject {
 public:
  using TsfDataSkinObject::TsfDataSkinObject;
  void VisitKeys(TsfKeyVisitor& v) override;
  int itemleftoffset = 0, itemrightoffset = 0;
  TRect downrect, textrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0, downfontcolor = 0, unenabledfontcolor = 0;
  bool stretcheffect = false;
  TRect animateskinrect;
  int framecount = 0;
  int animateinterval = 0;
  bool inactiveanimation = false;
};

class TsfDataSkinMainMenuBarItem : public TsfDataSkinMainMenuItem {
 public:
  using TsfDataSkinMainMenuItem::TsfDataSkinMainMenuItem;
};

// The record a SKINOBJECTS kind creates, or null for a kind that is not known.
std::unique_ptr<TsfDataSkinObject> CreateObjectRecord(const QString& kind, const QString& name);
// Every kind CreateObjectRecord knows.
QStringList ObjectRecordKinds();
