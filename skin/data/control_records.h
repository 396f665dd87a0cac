#pragma once
// Records of the controls listed in SKINCONTROLS. A control that requires a
// record class accepts that class or any class built on it (dynamic_cast).

#include <QString>
#include <memory>

#include "skin/data/skin_values.h"

#define SF_RECORD(Name, Base)                  \
  class Name : public Base {                   \
   public:                                     \
    using Base::Base;                          \
    void VisitKeys(TsfKeyVisitor& v) override;

class TsfDataSkinControl : public TsfKeyedSection {
 public:
  explicit TsfDataSkinControl(QString name) : SectionName(std::move(name)) {}
  QString KeySection() const override { return SectionName; }
  void VisitKeys(TsfKeyVisitor& v) override;
  QString SectionName;
  int pictureindex = -1;
  int maskpictureindex = -1;
  TRect skinrect;
};

// Framed records: nine-part images with corner points and a client rect.
SF_RECORD(TsfDataSkinCustomControl, TsfDataSkinControl)
  TPoint lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint;
  TRect clientrect;
  bool leftstretch = false, topstretch = false, rightstretch = false, bottomstretch = false;
  bool stretcheffect = false;
  TsfStretchType stretchtype = stFull;
};

SF_RECORD(TsfDataSkinPanelControl, TsfDataSkinCustomControl)
  int bgpictureindex = -1;
  TRect captionrect;
  TAlignment alignment = taCenter;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0;
  TRect checkimagerect, uncheckimagerect, markframerect, framerect, frametextrect;
  int frameleftoffset = 0, framerightoffset = 0;
  TRect gripperrect;
  bool grippertransparent = false;
  TColor grippertransparentcolor = 0;
};

SF_RECORD(TsfDataSkinExPanelControl, TsfDataSkinCustomControl)
  TRect rollhskinrect, rollvskinrect;
  int rollleftoffset = 0, rollrightoffset = 0, rolltopoffset = 0, rollbottomoffset = 0;
  TRect rollvcaptionrect, rollhcaptionrect;
  TRect closebuttonrect, closebuttonactiverect, closebuttondownrect;
  TRect hrollbuttonrect, hrollbuttonactiverect, hrollbuttondownrect;
  TRect hrestorebuttonrect, hrestorebuttonactiverect, hrestorebuttondownrect;
  TRect vrollbuttonrect, vrollbuttonactiverect, vrollbuttondownrect;
  TRect vrestorebuttonrect, vrestorebuttonactiverect, vrestorebuttondownrect;
  TRect captionrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0;
  bool buttonstransparent = false;
  TColor buttonstransparentcolor = 0;
};

SF_RECORD(TsfDataSkinButtonControl, TsfDataSkinCustomControl)
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0, downfontcolor = 0, disabledfontcolor = 0;
  TRect activeskinrect, downskinrect, focusedskinrect, disabledskinrect;
  bool morphing = false;
  TsfMorphKind morphkind = mkDefault;
  TRect animateskinrect;
  int framecount = 0;
  int animateinterval = 0;
  bool showfocus = false;
  TRect menumarkerflatrect, menumarkerrect, menumarkeractiverect, menumarkerdownrect;
  TColor menumarkertransparentcolor = 0;
  int glowlayerpictureindex = -1, glowlayermaskpictureindex = -1;
  int glowlayeroffsetleft = 0, glowlayeroffsettop = 0, glowlayeroffsetright = 0,
      glowlayeroffsetbottom = 0;
  int glowlayershowoffsetx = 0, glowlayershowoffsety = 0;
  int glowlayeralphablendvalue = 0;
};

SF_RECORD(TsfDataSkinMenuButtonControl, TsfDataSkinButtonControl)
  TRect trackbuttonrect;
};

SF_RECORD(TsfDataSkinCheckRadioControl, TsfDataSkinCustomControl)
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0, unenabledfontcolor = 0, framefontcolor = 0;
  TRect activeskinrect;
  TRect checkimagearea, textarea;
  TRect checkimagerect, uncheckimagerect, activecheckimagerect, activeuncheckimagerect,
      unenabledcheckimagerect, unenableduncheckimagerect, grayedcheckimagerect,
      activegrayedcheckimagerect;
  bool morphing = false;
  TsfMorphKind morphkind = mkDefault;
};

SF_RECORD(TsfDataSkinGaugeControl, TsfDataSkinCustomControl)
  TRect progressarea, progressrect;
  int beginoffset = 0, endoffset = 0;
  bool vertical = false;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0;
  bool progresstransparent = false;
  TColor progresstransparentcolor = 0;
  bool progressstretch = false;
  TRect animationskinrect;
  int animationcountframes = 0, animationtimerinterval = 0;
  TRect progressanimationskinrect;
  int progressanimationcountframes = 0, progressanimationtimerinterval = 0;
  int animationbeginoffset = 0, animationendoffset = 0;
};

SF_RECORD(TsfDataSkinSplitterControl, TsfDataSkinCustomControl)
  TRect gripperrect;
  bool grippertransparent = false;
  TColor grippertransparentcolor = 0;
};

SF_RECORD(TsfDataSkinTrackBarControl, TsfDataSkinCustomControl)
  TRect activeskinrect, trackarea, buttonrect, activebuttonrect;
  bool vertical = false;
  bool buttontransparent = false;
  TColor buttontransparentcolor = 0;
};

SF_RECORD(TsfDataSkinLabelControl, TsfDataSkinCustomControl)
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0;
};

SF_RECORD(TsfDataSkinStdLabelControl, TsfDataSkinControl)
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0;
  TColor activefontcolor = 0;
};

SF_RECORD(TsfDataSkinUpDownControl, TsfDataSkinCustomControl)
  TRect upbuttonrect, activeupbuttonrect, downupbuttonrect;
  TRect downbuttonrect, activedownbuttonrect, downdownbuttonrect;
};

SF_RECORD(TsfDataSkinGridControl, TsfDataSkinControl)
  TRect fixedcellrect, selectcellrect, focuscellrect;
  int fixedcellleftoffset = 0, fixedcellrightoffset = 0;
  TRect fixedcelltextrect;
  int cellleftoffset = 0, cellrightoffset = 0;
  TRect celltextrect;
  int bgpictureindex = -1;
  TColor linescolor = 0, bgcolor = 0;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, selectfontcolor = 0, focusfontcolor = 0;
  QString fixedfontname = QStringLiteral("Arial");
  int fixedfontheight = 0;
  TFontStyles fixedfontstyle = 0;
  TColor fixedfontcolor = 0;
  bool cellstretcheffect = false, fixedcellstretcheffect = false, showfocus = false;
};

// Not framed: carries its own corner points, client rect and stretch flags.
SF_RECORD(TsfDataSkinTabControl, TsfDataSkinControl)
  TRect tabrect, activetabrect, focustabrect, mouseintabrect;
  TRect clientrect;
  int bgpictureindex = -1;
  TPoint lefttoppoint, righttoppoint, leftbottompoint, rightbottompoint;
  int tableftoffset = 0, tabrightoffset = 0;
  TRect tabsbgrect;
  bool tabstretcheffect = false, leftstretch = false, topstretch = false, rightstretch = false,
       bottomstretch = false, stretcheffect = false;
  TsfStretchType stretchtype = stFull;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0, focusfontcolor = 0, mouseinfontcolor = 0;
  QString updown;
  bool showfocus = false;
  int focusoffsetx = 0, focusoffsety = 0;
  TRect closebuttonrect, closebuttonactiverect, closebuttondownrect;
  bool buttontransparent = false;
  TColor buttontransparentcolor = 0;
};

SF_RECORD(TsfDataSkinMainMenuBar, TsfDataSkinControl)
  TRect itemsrect;
  QString menubaritem, closebutton, minbutton, maxbutton, sysmenubutton;
  TColor trackmarkcolor = 0, trackmarkactivecolor = 0;
  bool stretcheffect = false, itemtransparent = false;
};

SF_RECORD(TsfDataSkinControlBar, TsfDataSkinCustomControl)
  TRect itemrect;
  int bgpictureindex = -1;
  TRect hgriprect, vgriprect;
  int gripoffset1 = 0, gripoffset2 = 0;
  bool itemstretcheffect = false;
  int itemoffset1 = 0, itemoffset2 = 0;
  bool itemtransparent = false;
  TColor itemtransparentcolor = 0;
  bool griptransparent = false;
  TColor griptransparentcolor = 0;
};

SF_RECORD(TsfDataSkinEditControl, TsfDataSkinCustomControl)
  TRect activeskinrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, disabledfontcolor = 0, activefontcolor = 0;
  TRect buttonrect, activebuttonrect, downbuttonrect, unenabledbuttonrect;
};

SF_RECORD(TsfDataSkinMemoControl, TsfDataSkinEditControl)
  TColor bgcolor = 0, activebgcolor = 0;
};

SF_RECORD(TsfDataSkinListBox, TsfDataSkinCustomControl)
  TRect itemrect, activeitemrect, focusitemrect;
  int itemleftoffset = 0, itemrightoffset = 0;
  TRect itemtextrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0, focusfontcolor = 0;
  TRect captionrect;
  QString captionfontname = QStringLiteral("Arial");
  int captionfontheight = 0;
  TFontStyles captionfontstyle = 0;
  TColor captionfontcolor = 0;
  TRect upbuttonrect, activeupbuttonrect, downupbuttonrect;
  TRect downbuttonrect, activedownbuttonrect, downdownbuttonrect;
  TRect checkbuttonrect, activecheckbuttonrect, downcheckbuttonrect;
  QString vscrollbarname, hscrollbarname, bothhscrollbarname;
  bool showfocus = false;
  TRect disabledbuttonsrect, buttonsarea;
};

SF_RECORD(TsfDataSkinCheckListBox, TsfDataSkinListBox)
  TRect itemcheckrect, checkimagerect, uncheckimagerect;
};

SF_RECORD(TsfDataSkinComboBox, TsfDataSkinCustomControl)
  TRect activeskinrect, itemrect, activeitemrect, focusitemrect;
  int itemleftoffset = 0, itemrightoffset = 0;
  TRect itemtextrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, focusfontcolor = 0, activefontcolor = 0;
  QString listboxname;
  TRect buttonrect, activebuttonrect, downbuttonrect, unenabledbuttonrect;
  bool itemstretcheffect = false, focusitemstretcheffect = false, showfocus = false;
};

SF_RECORD(TsfDataSkinScrollBarControl, TsfDataSkinCustomControl)
  TRect trackarea;
  TRect upbuttonrect, activeupbuttonrect, downupbuttonrect;
  TRect downbuttonrect, activedownbuttonrect, downdownbuttonrect;
  TRect thumbrect, activethumbrect, downthumbrect;
  int thumboffset1 = 0, thumboffset2 = 0;
  bool thumbtransparent = false;
  TColor thumbtransparentcolor = 0;
  bool thumbstretcheffect = false;
  int thumbminsize = 0, thumbminpagesize = 0;
  TRect glyphrect, activeglyphrect, downglyphrect;
  bool glyphtransparent = false;
  TColor glyphtransparentcolor = 0;
};

SF_RECORD(TsfDataSkinSpinEditControl, TsfDataSkinCustomControl)
  TRect activeskinrect;
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0, activefontcolor = 0, disabledfontcolor = 0;
  TRect upbuttonrect, activeupbuttonrect, downupbuttonrect;
  TRect downbuttonrect, activedownbuttonrect, downdownbuttonrect;
};

SF_RECORD(TsfDataSkinScrollBoxControl, TsfDataSkinCustomControl)
  int bgpictureindex = -1;
};

// Tree view, list view and rich edit have the same keys: a font and a background.
struct TsfViewKeys {
  QString fontname = QStringLiteral("Arial");
  int fontheight = 0;
  TFontStyles fontstyle = 0;
  TColor fontcolor = 0;
  TColor bgcolor = 0;
  void VisitViewKeys(TsfKeyVisitor& v);
};

class TsfDataSkinTreeView : public TsfDataSkinControl, public TsfViewKeys {
 public:
  using TsfDataSkinControl::TsfDataSkinControl;
  void VisitKeys(TsfKeyVisitor& v) override;
};
class TsfDataSkinListView : public TsfDataSkinControl, public TsfViewKeys {
 public:
  using TsfDataSkinControl::TsfDataSkinControl;
  void VisitKeys(TsfKeyVisitor& v) override;
};
class TsfDataSkinRichEdit : public TsfDataSkinControl, public TsfViewKeys {
 public:
  using TsfDataSkinControl::TsfDataSkinControl;
  void VisitKeys(TsfKeyVisitor& v) override;
};

SF_RECORD(TsfDataSkinBevel, TsfDataSkinControl)
  TColor lightcolor = 0, darkcolor = 0;
};

SF_RECORD(TsfDataSkinSlider, TsfDataSkinControl)
  TColor bgcolor = 0;
  TRect hrulerrect, hthumbrect, vrulerrect, vthumbrect;
  int edgesize = 0;
  TColor pointscolor = 0;
};

#undef SF_RECORD

// The record a SKINCONTROLS kind creates, or null for a kind that is not known.
std::unique_ptr<TsfDataSkinControl> CreateControlRecord(const QString& kind, const QString& name);
// Every kind CreateControlRecord knows, in table order.
QStringList ControlRecordKinds();
