#include "skin/data/object_records.h"

namespace {
// A caption button without its own restore hint gets "Restore" when its hint
// and command say it toggles the window between two states.
void CompleteRestoreHint(const QString& hint, TsfCommand command, QString& restorehint) {
  if (!restorehint.isEmpty()) return;
  if ((hint == QLatin1String("Maximize") && command == cmMaximize) ||
      (hint == QLatin1String("Minimize") && command == cmMinimize) ||
      ((hint == QLatin1String("RollUp") || hint == QLatin1String("Roll Up")) && command == cmRollUp))
    restorehint = QStringLiteral("Restore");
}

void VisitRestoreRects(TsfKeyVisitor& v, TRect& r, TRect& a, TRect& d, TRect& i) {
  v.RectV("restorerect", r);
  v.RectV("restoreactiverect", a);
  v.RectV("restoredownrect", d);
  v.RectV("restoreinactiverect", i);
}
}  // namespace

void TsfDataSkinObject::VisitKeys(TsfKeyVisitor& v) {
  v.Str("hint", hint, QString());
  v.Int("activepictureindex", activepictureindex, -1);
  v.Int("activemaskpictureindex", activemaskpictureindex, -1);
  v.Flag("skinrectinapicture", skinrectinapicture);
  v.RectV("skinrect", skinrect);
  v.RectV("activeskinrect", activeskinrect);
  v.RectV("inactiveskinrect", inactiveskinrect);
  v.Flag("morphing", morphing);
  v.Morph("morphkind", morphkind);
  v.Int("glowlayerpictureindex", glowlayerpictureindex, -1);
  v.Int("glowlayermaskpictureindex", glowlayermaskpictureindex, -1);
  v.Int("glowlayeroffsetx", glowlayeroffsetx, 0);
  v.Int("glowlayeroffsety", glowlayeroffsety, 0);
  v.Int("glowlayeralphablendvalue", glowlayeralphablendvalue, 255);
}

void TsfDataUserObject::VisitKeys(TsfKeyVisitor& v) { v.RectV("skinrect", skinrect); }

void TsfDataSkinButton::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinObject::VisitKeys(v);
  v.RectV("downrect", downrect);
  v.RectV("disableskinrsect", disableskinrsect);
}

void TsfDataSkinStdButton::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinButton::VisitKeys(v);
  v.Cmd("command", command);
  VisitRestoreRects(v, restorerect, restoreactiverect, restoredownrect, restoreinactiverect);
  v.Str("restorehint", restorehint, QString());
}

void TsfDataSkinStdButton::LoadFromIni(const TCustomIniFile& f) {
  TsfDataSkinButton::LoadFromIni(f);
  CompleteRestoreHint(hint, command, restorehint);
}

void TsfDataSkinAnimate::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinObject::VisitKeys(v);
  v.Int("countframes", countframes, 1);
  v.Flag("cycle", cycle);
  v.Flag("buttonstyle", buttonstyle);
  v.Int("timerinterval", timerinterval, 50);
  v.Cmd("command", command);
  v.RectV("downskinrect", downskinrect);
  VisitRestoreRects(v, restorerect, restoreactiverect, restoredownrect, restoreinactiverect);
  v.Str("restorehint", restorehint, QString());
}

void TsfDataSkinAnimate::LoadFromIni(const TCustomIniFile& f) {
  TsfDataSkinObject::LoadFromIni(f);
  morphing = false;  // animated objects run their own frames
  CompleteRestoreHint(hint, command, restorehint);
}

void TsfDataSkinCaption::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinObject::VisitKeys(v);
  v.RectV("textrect", textrect);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  v.Color("activefontcolor", activefontcolor, 0);
  v.Align("alignment", alignment);
  v.Flag("light", light);
  v.Color("lightcolor", lightcolor, 0);
  v.Color("activelightcolor", activelightcolor, 0);
  v.Flag("shadow", shadow);
  v.Color("shadowcolor", shadowcolor, 0);
  v.Color("activeshadowcolor", activeshadowcolor, 0);
  v.RectV("framerect", framerect);
  v.RectV("activeframerect", activeframerect);
  v.RectV("frametextrect", frametextrect);
  v.Int("frameleftoffset", frameleftoffset, 0);
  v.Int("framerightoffset", framerightoffset, 0);
  v.Flag("stretcheffect", stretcheffect);
  v.RectV("animateskinrect", animateskinrect);
  v.Int("framecount", framecount, 0);
  v.Int("animateinterval", animateinterval, 25);
  v.Flag("inactiveanimation", inactiveanimation);
  v.Flag("fullframe", fullframe);
  v.Flag("vistagloweffect", vistagloweffect);
  v.Flag("vistaglowinactiveeffect", vistaglowinactiveeffect);
  v.Flag("gloweffect", gloweffect);
  v.Flag("glowinactiveeffect", glowinactiveeffect);
  v.Int("glowsize", glowsize, 3);
  v.Color("glowcolor", glowcolor, 0);
  v.Color("glowactivecolor", glowactivecolor, 0);
  v.Int("glowoffset", glowoffset, 0);
  v.Flag("reflectioneffect", reflectioneffect);
  v.Color("reflactioncolor", reflactioncolor, 0);
  v.Color("reflactionactivecolor", reflactionactivecolor, 0);
  v.Int("reflectionoffset", reflectionoffset, 0);
}

void TsfDataSkinMenuItem::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinObject::VisitKeys(v);
  v.Int("itemleftoffset", itemleftoffset, 0);
  v.Int("itemrightoffset", itemrightoffset, 0);
  v.RectV("dividerrect", dividerrect);
  v.Int("dividerleftoffset", dividerleftoffset, 0);
  v.Int("dividerrightoffset", dividerrightoffset, 0);
  v.RectV("textrect", textrect);
  v.RectV("imagerect", imagerect);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  v.Color("activefontcolor", activefontcolor, 0);
  v.Color("unenabledfontcolor", unenabledfontcolor, 0);
  v.Flag("stretcheffect", stretcheffect);
  v.Flag("inactivestretcheffect", inactivestretcheffect);
  v.Flag("dividerstretcheffect", dividerstretcheffect);
  v.RectV("animateskinrect", animateskinrect);
  v.Int("framecount", framecount, 0);
  v.Int("animateinterval", animateinterval, 25);
  v.Flag("inactiveanimation", inactiveanimation);
  v.Flag("useimagecolor", useimagecolor);
  v.Color("imagecolor", imagecolor, 0);
  v.Color("activeimagecolor", activeimagecolor, 0);
  v.Flag("inactivetransparent", inactivetransparent);
  v.RectV("checkimagerect", checkimagerect);
  v.RectV("activecheckimagerect", activecheckimagerect);
  v.RectV("radioimagerect", radioimagerect);
  v.RectV("activeradioimagerect", activeradioimagerect);
  v.RectV("arrowimagerect", arrowimagerect);
  v.RectV("activearrowimagerect", activearrowimagerect);
}

void TsfDataSkinMenuItem::LoadFromIni(const TCustomIniFile& f) {
  TsfDataSkinObject::LoadFromIni(f);
  if (activecheckimagerect.IsEmpty()) activecheckimagerect = checkimagerect;
  if (activeradioimagerect.IsEmpty()) activeradioimagerect = radioimagerect;
  if (activearrowimagerect.IsEmpty()) activearrowimagerect = arrowimagerect;
}

void TsfDataSkinMainMenuItem::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinObject::VisitKeys(v);
  v.Int("itemleftoffset", itemleftoffset, 0);
  v.Int("itemrightoffset", itemrightoffset, 0);
  v.RectV("downrect", downrect);
  v.RectV("textrect", textrect);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  v.Color("activefontcolor", activefontcolor, 0);
  v.Color("downfontcolor", downfontcolor, 0);
  v.Color("unenabledfontColor", unenabledfontcolor, 0);
  v.Flag("stretcheffect", stretcheffect);
  v.RectV("animateskinrect", animateskinrect);
  v.Int("framecount", framecount, 0);
  v.Int("animateinterval", animateinterval, 25);
  v.Flag("inactiveanimation", inactiveanimation);
}

std::unique_ptr<TsfDataSkinObject> CreateObjectRecord(const QString& kind, const QString& name) {
  if (kind == QLatin1String("menuitem")) return std::make_unique<TsfDataSkinMenuItem>(name);
  if (kind == QLatin1String("mainmenubaritem")) return std::make_unique<TsfDataSkinMainMenuBarItem>(name);
  if (kind == QLatin1String("stdbutton")) return std::make_unique<TsfDataSkinStdButton>(name);
  if (kind == QLatin1String("mainmenubarbutton"))
    return std::make_unique<TsfDataSkinMainMenuBarButton>(name);
  if (kind == QLatin1String("button")) return std::make_unique<TsfDataSkinButton>(name);
  if (kind == QLatin1String("caption")) return std::make_unique<TsfDataSkinCaption>(name);
  if (kind == QLatin1String("animate")) return std::make_unique<TsfDataSkinAnimate>(name);
  if (kind == QLatin1String("userobject")) return std::make_unique<TsfDataUserObject>(name);
  return nullptr;
}

QStringList ObjectRecordKinds() {
  return {QStringLiteral("menuitem"), QStringLiteral("mainmenubaritem"), QStringLiteral("stdbutton"),
          QStringLiteral("mainmenubarbutton"), QStringLiteral("button"), QStringLiteral("caption"),
          QStringLiteral("animate"), QStringLiteral("userobject")};
}
