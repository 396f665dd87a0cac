#include "skin/data/control_records.h"

#include <functional>
#include <utility>
#include <vector>

namespace {
void Rects(TsfKeyVisitor& v, std::initializer_list<std::pair<const char*, TRect*>> keys) {
  for (const auto& [key, rect] : keys) v.RectV(key, *rect);
}
void Colors(TsfKeyVisitor& v, std::initializer_list<std::pair<const char*, TColor*>> keys) {
  for (const auto& [key, color] : keys) v.Color(key, *color, 0);
}
void Ints(TsfKeyVisitor& v, std::initializer_list<std::pair<const char*, int*>> keys) {
  for (const auto& [key, value] : keys) v.Int(key, *value, 0);
}
void Flags(TsfKeyVisitor& v, std::initializer_list<std::pair<const char*, bool*>> keys) {
  for (const auto& [key, value] : keys) v.Flag(key, *value);
}
}  // namespace

void TsfDataSkinControl::VisitKeys(TsfKeyVisitor& v) {
  v.Int("pictureindex", pictureindex, -1);
  v.Int("maskpictureindex", maskpictureindex, -1);
  v.RectV("skinrect", skinrect);
}

void TsfDataSkinCustomControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  v.PointV("lefttoppoint", lefttoppoint);
  v.PointV("righttoppoint", righttoppoint);
  v.PointV("leftbottompoint", leftbottompoint);
  v.PointV("rightbottompoint", rightbottompoint);
  v.RectV("clientrect", clientrect);
  Flags(v, {{"leftstretch", &leftstretch}, {"topstretch", &topstretch},
            {"rightstretch", &rightstretch}, {"bottomstretch", &bottomstretch},
            {"stretcheffect", &stretcheffect}});
  v.Stretch("stretchtype", stretchtype);
}

void TsfDataSkinPanelControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.Int("bgpictureindex", bgpictureindex, -1);
  v.RectV("captionrect", captionrect);
  v.Align("alignment", alignment);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  Rects(v, {{"checkimagerect", &checkimagerect}, {"uncheckimagerect", &uncheckimagerect},
            {"markframerect", &markframerect}, {"framerect", &framerect},
            {"frametextrect", &frametextrect}});
  Ints(v, {{"frameleftoffset", &frameleftoffset}, {"framerightoffset", &framerightoffset}});
  v.RectV("gripperrect", gripperrect);
  v.Flag("grippertransparent", grippertransparent);
  v.Color("grippertransparentcolor", grippertransparentcolor, 0);
}

void TsfDataSkinExPanelControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  Rects(v, {{"rollhskinrect", &rollhskinrect}, {"rollvskinrect", &rollvskinrect}});
  Ints(v, {{"rollleftoffset", &rollleftoffset}, {"rollrightoffset", &rollrightoffset},
           {"rolltopoffset", &rolltopoffset}, {"rollbottomoffset", &rollbottomoffset}});
  Rects(v, {{"rollvcaptionrect", &rollvcaptionrect}, {"rollhcaptionrect", &rollhcaptionrect},
            {"closebuttonrect", &closebuttonrect}, {"closebuttonactiverect", &closebuttonactiverect},
            {"closebuttondownrect", &closebuttondownrect}, {"hrollbuttonrect", &hrollbuttonrect},
            {"hrollbuttonactiverect", &hrollbuttonactiverect},
            {"hrollbuttondownrect", &hrollbuttondownrect},
            {"hrestorebuttonrect", &hrestorebuttonrect},
            {"hrestorebuttonactiverect", &hrestorebuttonactiverect},
            {"hrestorebuttondownrect", &hrestorebuttondownrect},
            {"vrollbuttonrect", &vrollbuttonrect}, {"vrollbuttonactiverect", &vrollbuttonactiverect},
            {"vrollbuttondownrect", &vrollbuttondownrect},
            {"vrestorebuttonrect", &vrestorebuttonrect},
            {"vrestorebuttonactiverect", &vrestorebuttonactiverect},
            {"vrestorebuttondownrect", &vrestorebuttondownrect}, {"captionrect", &captionrect}});
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  v.Flag("buttonstransparent", buttonstransparent);
  v.Color("buttonstransparentcolor", buttonstransparentcolor, 0);
}

void TsfDataSkinButtonControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"activefontcolor", &activefontcolor},
             {"downfontcolor", &downfontcolor}, {"disabledfontcolor", &disabledfontcolor}});
  Rects(v, {{"activeskinrect", &activeskinrect}, {"downskinrect", &downskinrect},
            {"focusedskinrect", &focusedskinrect}, {"disabledskinrect", &disabledskinrect}});
  v.Flag("morphing", morphing);
  v.Morph("morphkind", morphkind);
  v.RectV("animateskinrect", animateskinrect);
  v.Int("framecount", framecount, 0);
  v.Int("animateinterval", animateinterval, 25);
  v.Flag("showfocus", showfocus);
  Rects(v, {{"menumarkerflatrect", &menumarkerflatrect}, {"menumarkerrect", &menumarkerrect},
            {"menumarkeractiverect", &menumarkeractiverect},
            {"menumarkerdownrect", &menumarkerdownrect}});
  v.Color("menumarkertransparentcolor", menumarkertransparentcolor, 0);
  v.Int("glowlayerpictureindex", glowlayerpictureindex, -1);
  v.Int("glowlayermaskpictureindex", glowlayermaskpictureindex, -1);
  Ints(v, {{"glowlayeroffsetleft", &glowlayeroffsetleft}, {"glowlayeroffsettop", &glowlayeroffsettop},
           {"glowlayeroffsetright", &glowlayeroffsetright},
           {"glowlayeroffsetbottom", &glowlayeroffsetbottom},
           {"glowlayershowoffsetx", &glowlayershowoffsetx},
           {"glowlayershowoffsety", &glowlayershowoffsety}});
  v.Int("glowlayeralphablendvalue", glowlayeralphablendvalue, 255);
}

void TsfDataSkinMenuButtonControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinButtonControl::VisitKeys(v);
  v.RectV("trackbuttonrect", trackbuttonrect);
}

void TsfDataSkinCheckRadioControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"activefontcolor", &activefontcolor},
             {"unenabledfontcolor", &unenabledfontcolor}, {"framefontcolor", &framefontcolor}});
  Rects(v, {{"activeskinrect", &activeskinrect}, {"checkimagearea", &checkimagearea},
            {"textarea", &textarea}, {"checkimagerect", &checkimagerect},
            {"uncheckimagerect", &uncheckimagerect}, {"activecheckimagerect", &activecheckimagerect},
            {"activeuncheckimagerect", &activeuncheckimagerect},
            {"unenabledcheckimagerect", &unenabledcheckimagerect},
            {"unenableduncheckimagerect", &unenableduncheckimagerect},
            {"grayedcheckimagerect", &grayedcheckimagerect},
            {"activegrayedcheckimagerect", &activegrayedcheckimagerect}});
  v.Flag("morphing", morphing);
  v.Morph("morphkind", morphkind);
}

void TsfDataSkinGaugeControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  Rects(v, {{"progressarea", &progressarea}, {"progressrect", &progressrect}});
  Ints(v, {{"beginoffset", &beginoffset}, {"endoffset", &endoffset}});
  v.Flag("vertical", vertical);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  v.Flag("progresstransparent", progresstransparent);
  v.Color("progresstransparentcolor", progresstransparentcolor, 0);
  v.Flag("progressstretch", progressstretch);
  v.RectV("animationskinrect", animationskinrect);
  Ints(v, {{"animationcountframes", &animationcountframes},
           {"animationtimerinterval", &animationtimerinterval}});
  v.RectV("progressanimationskinrect", progressanimationskinrect);
  Ints(v, {{"progressanimationcountframes", &progressanimationcountframes},
           {"progressanimationtimerinterval", &progressanimationtimerinterval},
           {"animationbeginoffset", &animationbeginoffset},
           {"animationendoffset", &animationendoffset}});
}

void TsfDataSkinSplitterControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.RectV("gripperrect", gripperrect);
  v.Flag("grippertransparent", grippertransparent);
  v.Color("grippertransparentcolor", grippertransparentcolor, 0);
}

void TsfDataSkinTrackBarControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  Rects(v, {{"activeskinrect", &activeskinrect}, {"trackarea", &trackarea},
            {"buttonrect", &buttonrect}, {"activebuttonrect", &activebuttonrect}});
  Flags(v, {{"vertical", &vertical}, {"buttontransparent", &buttontransparent}});
  v.Color("buttontransparentcolor", buttontransparentcolor, 0);
}

void TsfDataSkinLabelControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
}

void TsfDataSkinStdLabelControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  v.Color("activefontcolor", activefontcolor, clBlue);
}

void TsfDataSkinUpDownControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  Rects(v, {{"upbuttonrect", &upbuttonrect}, {"activeupbuttonrect", &activeupbuttonrect},
            {"downupbuttonrect", &downupbuttonrect}, {"downbuttonrect", &downbuttonrect},
            {"activedownbuttonrect", &activedownbuttonrect},
            {"downdownbuttonrect", &downdownbuttonrect}});
}

void TsfDataSkinGridControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  Rects(v, {{"fixedcellrect", &fixedcellrect}, {"selectcellrect", &selectcellrect},
            {"focuscellrect", &focuscellrect}});
  Ints(v, {{"fixedcellleftoffset", &fixedcellleftoffset},
           {"fixedcellrightoffset", &fixedcellrightoffset}});
  v.RectV("fixedcelltextrect", fixedcelltextrect);
  Ints(v, {{"cellleftoffset", &cellleftoffset}, {"cellrightoffset", &cellrightoffset}});
  v.RectV("celltextrect", celltextrect);
  v.Int("bgpictureindex", bgpictureindex, -1);
  Colors(v, {{"linescolor", &linescolor}, {"bgcolor", &bgcolor}});
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"selectfontcolor", &selectfontcolor},
             {"focusfontcolor", &focusfontcolor}});
  v.Font("fixed", fixedfontname, fixedfontheight, fixedfontstyle);
  v.Color("fixedfontcolor", fixedfontcolor, 0);
  Flags(v, {{"cellstretcheffect", &cellstretcheffect},
            {"fixedcellstretcheffect", &fixedcellstretcheffect}, {"showfocus", &showfocus}});
}

void TsfDataSkinTabControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  Rects(v, {{"tabrect", &tabrect}, {"activetabrect", &activetabrect},
            {"focustabrect", &focustabrect}, {"mouseintabrect", &mouseintabrect},
            {"clientrect", &clientrect}});
  v.Int("bgpictureindex", bgpictureindex, -1);
  v.PointV("lefttoppoint", lefttoppoint);
  v.PointV("righttoppoint", righttoppoint);
  v.PointV("leftbottompoint", leftbottompoint);
  v.PointV("rightbottompoint", rightbottompoint);
  Ints(v, {{"tableftoffset", &tableftoffset}, {"tabrightoffset", &tabrightoffset}});
  v.RectV("tabsbgrect", tabsbgrect);
  Flags(v, {{"tabstretcheffect", &tabstretcheffect}, {"leftstretch", &leftstretch},
            {"topstretch", &topstretch}, {"rightstretch", &rightstretch},
            {"bottomstretch", &bottomstretch}, {"stretcheffect", &stretcheffect}});
  v.Stretch("stretchtype", stretchtype);
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"activefontcolor", &activefontcolor},
             {"focusfontcolor", &focusfontcolor}, {"mouseinfontcolor", &mouseinfontcolor}});
  v.Str("updown", updown, QString());
  v.Flag("showfocus", showfocus);
  Ints(v, {{"focusoffsetx", &focusoffsetx}, {"focusoffsety", &focusoffsety}});
  Rects(v, {{"closebuttonrect", &closebuttonrect}, {"closebuttonactiverect", &closebuttonactiverect},
            {"closebuttondownrect", &closebuttondownrect}});
  v.Flag("buttontransparent", buttontransparent);
  v.Color("buttontransparentcolor", buttontransparentcolor, 0);
}

void TsfDataSkinMainMenuBar::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  v.RectV("itemsrect", itemsrect);
  v.Str("menubaritem", menubaritem, QString());
  v.Str("closebutton", closebutton, QString());
  v.Str("minbutton", minbutton, QString());
  v.Str("maxbutton", maxbutton, QString());
  v.Str("sysmenubutton", sysmenubutton, QString());
  Colors(v, {{"trackmarkcolor", &trackmarkcolor}, {"trackmarkactivecolor", &trackmarkactivecolor}});
  Flags(v, {{"stretcheffect", &stretcheffect}, {"itemtransparent", &itemtransparent}});
}

void TsfDataSkinControlBar::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.RectV("itemrect", itemrect);
  v.Int("bgpictureindex", bgpictureindex, -1);
  Rects(v, {{"hgriprect", &hgriprect}, {"vgriprect", &vgriprect}});
  Ints(v, {{"gripoffset1", &gripoffset1}, {"gripoffset2", &gripoffset2}});
  v.Flag("itemstretcheffect", itemstretcheffect);
  v.Int("itemoffset1", itemoffset1, 3);
  v.Int("itemoffset2", itemoffset2, 3);
  v.Flag("itemtransparent", itemtransparent);
  v.Color("itemtransparentcolor", itemtransparentcolor, 0);
  v.Flag("griptransparent", griptransparent);
  v.Color("griptransparentcolor", griptransparentcolor, 0);
}

void TsfDataSkinEditControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.RectV("activeskinrect", activeskinrect);
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"disabledfontcolor", &disabledfontcolor},
             {"activefontcolor", &activefontcolor}});
  Rects(v, {{"buttonrect", &buttonrect}, {"activebuttonrect", &activebuttonrect},
            {"downbuttonrect", &downbuttonrect}, {"unenabledbuttonrect", &unenabledbuttonrect}});
}

void TsfDataSkinMemoControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinEditControl::VisitKeys(v);
  Colors(v, {{"bgcolor", &bgcolor}, {"activebgcolor", &activebgcolor}});
}

void TsfDataSkinListBox::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  Rects(v, {{"itemrect", &itemrect}, {"activeitemrect", &activeitemrect},
            {"focusitemrect", &focusitemrect}});
  Ints(v, {{"itemleftoffset", &itemleftoffset}, {"itemrightoffset", &itemrightoffset}});
  v.RectV("itemtextrect", itemtextrect);
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"activefontcolor", &activefontcolor},
             {"focusfontcolor", &focusfontcolor}});
  v.RectV("captionrect", captionrect);
  v.Font("caption", captionfontname, captionfontheight, captionfontstyle);
  v.Color("captionfontcolor", captionfontcolor, 0);
  Rects(v, {{"upbuttonrect", &upbuttonrect}, {"activeupbuttonrect", &activeupbuttonrect},
            {"downupbuttonrect", &downupbuttonrect}, {"downbuttonrect", &downbuttonrect},
            {"activedownbuttonrect", &activedownbuttonrect},
            {"downdownbuttonrect", &downdownbuttonrect}, {"checkbuttonrect", &checkbuttonrect},
            {"activecheckbuttonrect", &activecheckbuttonrect},
            {"downcheckbuttonrect", &downcheckbuttonrect}});
  v.Str("vscrollbarname", vscrollbarname, QStringLiteral("vscrollbar"));
  v.Str("hscrollbarname", hscrollbarname, QStringLiteral("hscrollbar"));
  v.Str("bothhscrollbarname", bothhscrollbarname, QStringLiteral("bothhscrollbar"));
  v.Flag("showfocus", showfocus);
  Rects(v, {{"disabledbuttonsrect", &disabledbuttonsrect}, {"buttonsarea", &buttonsarea}});
}

void TsfDataSkinCheckListBox::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinListBox::VisitKeys(v);
  Rects(v, {{"itemcheckrect", &itemcheckrect}, {"checkimagerect", &checkimagerect},
            {"uncheckimagerect", &uncheckimagerect}});
}

void TsfDataSkinComboBox::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  Rects(v, {{"activeskinrect", &activeskinrect}, {"itemrect", &itemrect},
            {"activeitemrect", &activeitemrect}, {"focusitemrect", &focusitemrect}});
  Ints(v, {{"itemleftoffset", &itemleftoffset}, {"itemrightoffset", &itemrightoffset}});
  v.RectV("itemtextrect", itemtextrect);
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"focusfontcolor", &focusfontcolor},
             {"activefontcolor", &activefontcolor}});
  v.Str("listboxname", listboxname, QString());
  Rects(v, {{"buttonrect", &buttonrect}, {"activebuttonrect", &activebuttonrect},
            {"downbuttonrect", &downbuttonrect}, {"unenabledbuttonrect", &unenabledbuttonrect}});
  Flags(v, {{"itemstretcheffect", &itemstretcheffect},
            {"focusitemstretcheffect", &focusitemstretcheffect}, {"showfocus", &showfocus}});
}

void TsfDataSkinScrollBarControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  Rects(v, {{"trackarea", &trackarea}, {"upbuttonrect", &upbuttonrect},
            {"activeupbuttonrect", &activeupbuttonrect}, {"downupbuttonrect", &downupbuttonrect},
            {"downbuttonrect", &downbuttonrect}, {"activedownbuttonrect", &activedownbuttonrect},
            {"downdownbuttonrect", &downdownbuttonrect}, {"thumbrect", &thumbrect},
            {"activethumbrect", &activethumbrect}, {"downthumbrect", &downthumbrect}});
  Ints(v, {{"thumboffset1", &thumboffset1}, {"thumboffset2", &thumboffset2}});
  v.Flag("thumbtransparent", thumbtransparent);
  v.Color("thumbtransparentcolor", thumbtransparentcolor, 0);
  v.Flag("thumbstretcheffect", thumbstretcheffect);
  Ints(v, {{"thumbminsize", &thumbminsize}, {"thumbminpagesize", &thumbminpagesize}});
  Rects(v, {{"glyphrect", &glyphrect}, {"activeglyphrect", &activeglyphrect},
            {"downglyphrect", &downglyphrect}});
  v.Flag("glyphtransparent", glyphtransparent);
  v.Color("glyphtransparentcolor", glyphtransparentcolor, 0);
}

void TsfDataSkinSpinEditControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.RectV("activeskinrect", activeskinrect);
  v.Font("", fontname, fontheight, fontstyle);
  Colors(v, {{"fontcolor", &fontcolor}, {"activefontcolor", &activefontcolor},
             {"disabledfontcolor", &disabledfontcolor}});
  Rects(v, {{"upbuttonrect", &upbuttonrect}, {"activeupbuttonrect", &activeupbuttonrect},
            {"downupbuttonrect", &downupbuttonrect}, {"downbuttonrect", &downbuttonrect},
            {"activedownbuttonrect", &activedownbuttonrect},
            {"downdownbuttonrect", &downdownbuttonrect}});
}

void TsfDataSkinScrollBoxControl::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinCustomControl::VisitKeys(v);
  v.Int("bgpictureindex", bgpictureindex, -1);
}

void TsfViewKeys::VisitViewKeys(TsfKeyVisitor& v) {
  v.Font("", fontname, fontheight, fontstyle);
  v.Color("fontcolor", fontcolor, 0);
  v.Color("bgcolor", bgcolor, 0);
}

void TsfDataSkinTreeView::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  VisitViewKeys(v);
}

void TsfDataSkinListView::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  VisitViewKeys(v);
}

void TsfDataSkinRichEdit::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  VisitViewKeys(v);
}

void TsfDataSkinBevel::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  Colors(v, {{"lightcolor", &lightcolor}, {"darkcolor", &darkcolor}});
}

void TsfDataSkinSlider::VisitKeys(TsfKeyVisitor& v) {
  TsfDataSkinControl::VisitKeys(v);
  v.Color("bgcolor", bgcolor, 0);
  Rects(v, {{"hrulerrect", &hrulerrect}, {"hthumbrect", &hthumbrect},
            {"vrulerrect", &vrulerrect}, {"vthumbrect", &vthumbrect}});
  v.Int("edgesize", edgesize, 0);
  v.Color("pointscolor", pointscolor, 0);
}

namespace {
using TMaker = std::function<std::unique_ptr<TsfDataSkinControl>(const QString&)>;
template <typename T>
TMaker Make() {
  return [](const QString& name) { return std::make_unique<T>(name); };
}

const std::vector<std::pair<const char*, TMaker>>& KindTable() {
  static const std::vector<std::pair<const char*, TMaker>> table{
      {"panel", Make<TsfDataSkinPanelControl>()},
      {"expanel", Make<TsfDataSkinExPanelControl>()},
      {"button", Make<TsfDataSkinButtonControl>()},
      {"menubutton", Make<TsfDataSkinMenuButtonControl>()},
      {"checkradio", Make<TsfDataSkinCheckRadioControl>()},
      {"gauge", Make<TsfDataSkinGaugeControl>()},
      {"splitter", Make<TsfDataSkinSplitterControl>()},
      {"trackbar", Make<TsfDataSkinTrackBarControl>()},
      {"label", Make<TsfDataSkinLabelControl>()},
      {"stdlabel", Make<TsfDataSkinStdLabelControl>()},
      {"updown", Make<TsfDataSkinUpDownControl>()},
      {"grid", Make<TsfDataSkinGridControl>()},
      {"tab", Make<TsfDataSkinTabControl>()},
      {"mainmenubar", Make<TsfDataSkinMainMenuBar>()},
      {"controlbar", Make<TsfDataSkinControlBar>()},
      {"edit", Make<TsfDataSkinEditControl>()},
      {"memo", Make<TsfDataSkinMemoControl>()},
      {"listbox", Make<TsfDataSkinListBox>()},
      {"checklistbox", Make<TsfDataSkinCheckListBox>()},
      {"combobox", Make<TsfDataSkinComboBox>()},
      {"scrollbar", Make<TsfDataSkinScrollBarControl>()},
      {"spinedit", Make<TsfDataSkinSpinEditControl>()},
      {"scrollbox", Make<TsfDataSkinScrollBoxControl>()},
      {"treeview", Make<TsfDataSkinTreeView>()},
      {"bevel", Make<TsfDataSkinBevel>()},
      {"slider", Make<TsfDataSkinSlider>()},
      {"listview", Make<TsfDataSkinListView>()},
      {"richedit", Make<TsfDataSkinRichEdit>()},
  };
  return table;
}
}  // namespace

std::unique_ptr<TsfDataSkinControl> CreateControlRecord(const QString& kind, const QString& name) {
  for (const auto& [k, make] : KindTable())
    if (kind == QLatin1String(k)) return make(name);
  return nullptr;
}

QStringList ControlRecordKinds() {
  QStringList kinds;
  for (const auto& entry : KindTable()) kinds << QLatin1String(entry.first);
  return kinds;
}
