#include "tools/skingen/skin_check.h"

#include <QFileInfo>
#include <QSet>
#include <functional>

#include "platform/exceptions.h"
#include "skin/data/skin_data.h"

namespace {
// The values of a section's keys, in order.
class TKeyValues : public TsfKeyVisitor {
 public:
  std::vector<std::pair<QString, int>> ints;
  std::vector<std::pair<QString, TRect>> rects;
  std::vector<std::pair<QString, TPoint>> points;
  void Int(const char* k, int& v, int) override { ints.emplace_back(QLatin1String(k), v); }
  void Color(const char*, TColor&, TColor) override {}
  void Flag(const char*, bool&) override {}
  void RectV(const char* k, TRect& v) override { rects.emplace_back(QLatin1String(k), v); }
  void PointV(const char* k, TPoint& v) override { points.emplace_back(QLatin1String(k), v); }
  void Str(const char*, QString&, const QString&) override {}
  void Style(const char*, TFontStyles&) override {}
  void Align(const char*, TAlignment&) override {}
  void Stretch(const char*, TsfStretchType&) override {}
  void Morph(const char*, TsfMorphKind&) override {}
  void Effect(const char*, TsfInactiveEffect&) override {}
  void Cmd(const char*, TsfCommand&) override {}
};

// Rects that lay things out inside a record's image rather than cut a piece
// out of a picture.
bool IsLayoutRect(const QString& key) {
  static const QSet<QString> keys{
      "clientrect",  "textrect",     "captionrect",      "itemtextrect",   "celltextrect",
      "fixedcelltextrect", "frametextrect", "checkimagearea", "textarea", "trackarea",
      "progressarea", "buttonsarea", "itemsrect",        "imagerect",      "rollvcaptionrect",
      "rollhcaptionrect", "borderrect", "maskrectarea",  "itemcheckrect",  "buttonsrect",
      "trackbuttonrect"};
  return keys.contains(key);
}

bool Inside(const TRect& r, int w, int h) {
  return r.Left >= 0 && r.Top >= 0 && r.Right <= w && r.Bottom <= h;
}

QString Str(const TRect& r) {
  return QStringLiteral("%1,%2,%3,%4").arg(r.Left).arg(r.Top).arg(r.Right).arg(r.Bottom);
}

class TChecker {
 public:
  TChecker(const TsfSkinData& d, QStringList& out) : d(d), out(out) {}

  void Problem(const QString& section, const QString& key, const QString& what) {
    out << (key.isEmpty() ? section : section + u'.' + key) + QStringLiteral(": ") + what;
  }

  // A picture index that is set must name a picture that is not empty.
  bool CheckIndex(const QString& section, const QString& key, int index) {
    if (index == -1) return false;
    const TBitmap* b = d.Picture(index);
    if (!b) Problem(section, key, QStringLiteral("picture %1 does not exist").arg(index));
    else if (b->Empty()) Problem(section, key, QStringLiteral("picture %1 is empty").arg(index));
    return b && !b->Empty();
  }

  // Every picture index names a picture; every piece lies inside `picture`;
  // every layout rect and corner point lies inside a `w` x `h` image.
  void CheckPieces(TsfKeyedSection& rec, const QString& section, const TBitmap* picture, int w, int h,
                   const std::function<const TBitmap*(const QString& key)>& pictureOf = {}) {
    TKeyValues v;
    rec.VisitKeys(v);
    for (const auto& [key, value] : v.ints)
      if (key.endsWith(QLatin1String("pictureindex"))) CheckIndex(section, key, value);
    for (const auto& [key, r] : v.rects) {
      if (r.IsEmpty()) continue;
      if (IsLayoutRect(key)) {
        if (!Inside(r, w, h))
          Problem(section, key, QStringLiteral("%1 lies outside the %2x%3 image").arg(Str(r)).arg(w).arg(h));
        continue;
      }
      const TBitmap* pic = pictureOf ? pictureOf(key) : picture;
      if (!pic || pic->Empty())
        Problem(section, key, QStringLiteral("%1 has no picture to lie in").arg(Str(r)));
      else if (!Inside(r, pic->Width(), pic->Height()))
        Problem(section, key, QStringLiteral("%1 lies outside its %2x%3 picture")
                                  .arg(Str(r)).arg(pic->Width()).arg(pic->Height()));
    }
    for (const auto& [key, p] : v.points)
      if (p.X < 0 || p.Y < 0 || p.X > w || p.Y > h)
        Problem(section, key, QStringLiteral("%1,%2 lies outside the %3x%4 image").arg(p.X).arg(p.Y).arg(w).arg(h));
  }

  void NeedRect(const QString& section, const char* key, const TRect& r) {
    if (r.IsEmpty()) Problem(section, QLatin1String(key), QStringLiteral("must not be empty"));
  }
  void NeedPoint(const QString& section, const char* key, const TPoint& p) {
    if (p.X == 0 || p.Y == 0) Problem(section, QLatin1String(key), QStringLiteral("must be set"));
  }

  const TsfSkinData& d;
  QStringList& out;
};

void CheckForm(TChecker& c, const TsfSkinData& d, const TCustomIniFile& ini) {
  const QString s = QStringLiteral("FORMINFO");
  TsfFormInfo f = d.FormInfo;
  if (d.MainPicture.Empty()) {
    c.Problem(QStringLiteral("PICTURES"), QStringLiteral("picture"), QStringLiteral("the form picture is missing"));
    return;
  }
  c.CheckPieces(f, s, &d.MainPicture, d.MainPicture.Width(), d.MainPicture.Height());
  c.NeedPoint(s, "lefttoppoint", f.lefttoppoint);
  c.NeedPoint(s, "righttoppoint", f.righttoppoint);
  c.NeedPoint(s, "leftbottompoint", f.leftbottompoint);
  c.NeedPoint(s, "rightbottompoint", f.rightbottompoint);
  c.NeedRect(s, "clientrect", f.clientrect);
  c.NeedRect(s, "captionrect", f.captionrect);
  c.NeedRect(s, "buttonsrect", f.buttonsrect);
  if (f.borderwidth < 1) c.Problem(s, QStringLiteral("borderwidth"), QStringLiteral("must be at least 1"));
  if (f.formminwidth <= 0) c.Problem(s, QStringLiteral("formminwidth"), QStringLiteral("must be more than 0"));
  for (const char* key : {"hittestlefttoppoint", "hittestrighttoppoint", "hittestleftbottompoint",
                          "hittestrightbottompoint"})
    if (!ini.ValueExists(s, QLatin1String(key)) || ReadPointValue(ini, s, QLatin1String(key)).X == 0 ||
        ReadPointValue(ini, s, QLatin1String(key)).Y == 0)
      c.Problem(s, QLatin1String(key), QStringLiteral("must be given explicitly"));
}

void CheckObjects(TChecker& c, const TsfSkinData& d) {
  for (const auto& rec : d.ObjectRecords) {
    const TsfDataSkinObject& o = *rec;
    const TBitmap* active = d.Picture(o.activepictureindex);
    const TBitmap* normal = o.skinrectinapicture ? active : &d.MainPicture;
    auto pictureOf = [&](const QString& key) { return key == QLatin1String("skinrect") ? normal : active; };
    TsfDataSkinObject& mutableRec = *rec;
    c.CheckPieces(mutableRec, o.SectionName, nullptr, o.skinrect.Width(), o.skinrect.Height(), pictureOf);
  }
  auto* caption = [&]() -> TsfDataSkinCaption* {
    for (const auto& r : d.ObjectRecords)
      if (auto* cap = dynamic_cast<TsfDataSkinCaption*>(r.get())) return cap;
    return nullptr;
  }();
  if (!caption) c.Problem(QStringLiteral("SKINOBJECTS"), QString(), QStringLiteral("no caption object"));
  else c.NeedRect(caption->SectionName, "textrect", caption->textrect);

  struct Need {
    TsfCommand command;
    const char* what;
    bool restore;
  } needs[] = {{cmClose, "close", false}, {cmMaximize, "maximise", true}, {cmMinimize, "minimise", true},
               {cmRollUp, "roll-up", true}, {cmSysMenu, "system-menu", false}};
  for (const Need& n : needs) {
    TsfDataSkinStdButton* b = nullptr;
    for (const auto& r : d.ObjectRecords)
      if (auto* sb = dynamic_cast<TsfDataSkinStdButton*>(r.get()); sb && sb->command == n.command) {
        b = sb;
        break;
      }
    if (!b) {
      c.Problem(QStringLiteral("SKINOBJECTS"), QString(),
                QStringLiteral("no %1 button (stdbutton)").arg(QLatin1String(n.what)));
      continue;
    }
    const QString s = b->SectionName;
    if (!b->skinrectinapicture) c.Problem(s, QStringLiteral("skinrectinapicture"), QStringLiteral("must be 1"));
    if (b->activepictureindex == -1)
      c.Problem(s, QStringLiteral("activepictureindex"), QStringLiteral("must name the buttons' picture"));
    c.NeedRect(s, "skinrect", b->skinrect);
    c.NeedRect(s, "activeskinrect", b->activeskinrect);
    c.NeedRect(s, "downrect", b->downrect);
    if (n.restore) {
      c.NeedRect(s, "restorerect", b->restorerect);
      c.NeedRect(s, "restoreactiverect", b->restoreactiverect);
      c.NeedRect(s, "restoredownrect", b->restoredownrect);
    }
  }
  TsfDataSkinMenuItem* item = nullptr;
  for (const auto& r : d.ObjectRecords)
    if ((item = dynamic_cast<TsfDataSkinMenuItem*>(r.get()))) break;
  if (!item) {
    c.Problem(QStringLiteral("SKINOBJECTS"), QString(), QStringLiteral("no menuitem object"));
  } else {
    c.NeedRect(item->SectionName, "textrect", item->textrect);
    c.NeedRect(item->SectionName, "dividerrect", item->dividerrect);
  }
}

bool IsCjkFont(const QString& name) {
  static const QSet<QString> names{QStringLiteral("宋体"), QStringLiteral("SimSun"),
                                   QStringLiteral("新宋体"), QStringLiteral("NSimSun")};
  return names.contains(name);
}

void CheckControls(TChecker& c, const TsfSkinData& d, const TCustomIniFile& ini) {
  for (const auto& rec : d.ControlRecords) {
    TsfDataSkinControl& r = *rec;
    TRect bound = r.skinrect;
    if (auto* g = dynamic_cast<TsfDataSkinGridControl*>(&r)) bound = g->fixedcellrect;
    c.CheckPieces(r, r.SectionName, d.Picture(r.pictureindex), bound.Width(), bound.Height());
  }
  // name, what a control asking for it requires, and whether it draws from a picture.
  struct Need {
    const char* name;
    const char* kind;
    std::function<bool(TsfDataSkinControl*)> isKind;
    bool picture;
  };
  auto is = [](auto* sample) {
    using T = std::remove_pointer_t<decltype(sample)>;
    return [](TsfDataSkinControl* r) { return dynamic_cast<T*>(r) != nullptr; };
  };
  const Need needs[] = {
      {"panel", "panel", is((TsfDataSkinPanelControl*)nullptr), true},
      {"groupbox", "panel", is((TsfDataSkinPanelControl*)nullptr), true},
      {"toolpanel", "panel", is((TsfDataSkinPanelControl*)nullptr), true},
      {"button", "button", is((TsfDataSkinButtonControl*)nullptr), true},
      {"resizebutton", "button", is((TsfDataSkinButtonControl*)nullptr), true},
      {"resizetoolbutton", "button", is((TsfDataSkinButtonControl*)nullptr), true},
      {"toolbutton", "button", is((TsfDataSkinButtonControl*)nullptr), true},
      {"toolmenubutton", "menubutton", is((TsfDataSkinMenuButtonControl*)nullptr), true},
      {"checkbox", "checkradio", is((TsfDataSkinCheckRadioControl*)nullptr), true},
      {"radiobox", "checkradio", is((TsfDataSkinCheckRadioControl*)nullptr), true},
      {"edit", "edit", is((TsfDataSkinEditControl*)nullptr), true},
      {"memo", "memo", is((TsfDataSkinMemoControl*)nullptr), true},
      {"richedit", "richedit", is((TsfDataSkinRichEdit*)nullptr), false},
      {"grid", "grid", is((TsfDataSkinGridControl*)nullptr), true},
      {"listbox", "listbox", is((TsfDataSkinListBox*)nullptr), true},
      {"vscrollbar", "scrollbar", is((TsfDataSkinScrollBarControl*)nullptr), true},
      {"hscrollbar", "scrollbar", is((TsfDataSkinScrollBarControl*)nullptr), true},
      {"bothhscrollbar", "scrollbar", is((TsfDataSkinScrollBarControl*)nullptr), true},
      {"combobox", "combobox", is((TsfDataSkinComboBox*)nullptr), true},
      {"stdlabel", "stdlabel", is((TsfDataSkinStdLabelControl*)nullptr), false},
      {"bevel", "bevel", is((TsfDataSkinBevel*)nullptr), false},
      {"listview", "listview", is((TsfDataSkinListView*)nullptr), false},
  };
  const QString list = QStringLiteral("SKINCONTROLS");
  for (const Need& n : needs) {
    const QString name = QLatin1String(n.name);
    const int i = d.GetControlIndex(name);
    if (i < 0) {
      c.Problem(list, QString(), QStringLiteral("no record \"%1\" (kind %2)").arg(name, QLatin1String(n.kind)));
      continue;
    }
    TsfDataSkinControl* r = d.ControlRecords[size_t(i)].get();
    if (!n.isKind(r)) {
      c.Problem(name, QString(), QStringLiteral("the first record of this name is not of kind %1").arg(QLatin1String(n.kind)));
      continue;
    }
    if (n.picture && dynamic_cast<TsfDataSkinGridControl*>(r) == nullptr) {
      if (r->pictureindex == -1) c.Problem(name, QStringLiteral("pictureindex"), QStringLiteral("must name a picture"));
      c.NeedRect(name, "skinrect", r->skinrect);
    }
    if (auto* f = dynamic_cast<TsfDataSkinCustomControl*>(r); f && n.picture) {
      c.NeedPoint(name, "lefttoppoint", f->lefttoppoint);
      c.NeedPoint(name, "rightbottompoint", f->rightbottompoint);
      c.NeedRect(name, "clientrect", f->clientrect);
    }
  }
  if (auto* p = d.ControlRecord<TsfDataSkinPanelControl>("panel"); p && !p->captionrect.IsEmpty())
    c.Problem(QStringLiteral("panel"), QStringLiteral("captionrect"), QStringLiteral("must be empty (panels have no caption band)"));
  if (auto* g = d.ControlRecord<TsfDataSkinPanelControl>("groupbox")) {
    c.NeedRect(QStringLiteral("groupbox"), "captionrect", g->captionrect);
    // A caption rect that does not reach from the left-top corner into the
    // right-top one keeps its skin width and cuts longer captions.
    if (!g->captionrect.IsEmpty() && g->rightbottompoint.X != 0 &&
        (g->captionrect.Left >= g->lefttoppoint.X || g->captionrect.Right < g->righttoppoint.X))
      c.Problem(QStringLiteral("groupbox"), QStringLiteral("captionrect"),
                QStringLiteral("must start in the left-top corner and end in the right-top one"));
    if (!IsCjkFont(g->fontname))
      c.Problem(QStringLiteral("groupbox"), QStringLiteral("fontname"),
                QStringLiteral("\"%1\" cannot show Chinese captions").arg(g->fontname));
  }
  for (const char* name : {"memo", "richedit"})
    if (!ini.ValueExists(QLatin1String(name), QStringLiteral("bgcolor")))
      c.Problem(QLatin1String(name), QStringLiteral("bgcolor"), QStringLiteral("must be given"));
  if (!ini.ValueExists(QStringLiteral("memo"), QStringLiteral("activebgcolor")))
    c.Problem(QStringLiteral("memo"), QStringLiteral("activebgcolor"), QStringLiteral("must be given"));
  if (auto* g = d.ControlRecord<TsfDataSkinGridControl>("grid")) {
    c.NeedRect(QStringLiteral("grid"), "fixedcellrect", g->fixedcellrect);
    c.NeedRect(QStringLiteral("grid"), "selectcellrect", g->selectcellrect);
    c.NeedRect(QStringLiteral("grid"), "focuscellrect", g->focuscellrect);
    if (g->pictureindex == -1) c.Problem(QStringLiteral("grid"), QStringLiteral("pictureindex"), QStringLiteral("must name a picture"));
    // The paper list shows Chinese names and title; its rows are as high as
    // the select-cell picture, so the focus cell must match it.
    const QString grid = QStringLiteral("grid");
    if (!IsCjkFont(g->fontname)) c.Problem(grid, QStringLiteral("fontname"), QStringLiteral("cannot show Chinese names"));
    if (!IsCjkFont(g->fixedfontname)) c.Problem(grid, QStringLiteral("fixedfontname"), QStringLiteral("cannot show Chinese titles"));
    if (g->focuscellrect.Height() != g->selectcellrect.Height())
      c.Problem(grid, QStringLiteral("focuscellrect"), QStringLiteral("must be as high as selectcellrect"));
    auto inside = [&](const char* key, const TRect& text, const TRect& cell) {
      if (text.IsEmpty() || text.Left < 0 || text.Top < 0 || text.Right > cell.Width() || text.Bottom > cell.Height())
        c.Problem(grid, QLatin1String(key), QStringLiteral("must lie inside its cell"));
    };
    inside("celltextrect", g->celltextrect, g->selectcellrect);
    inside("fixedcelltextrect", g->fixedcelltextrect, g->fixedcellrect);
    if (g->cellleftoffset + g->cellrightoffset >= g->selectcellrect.Width())
      c.Problem(grid, QStringLiteral("cellrightoffset"), QStringLiteral("leaves no middle to stretch"));
    if (g->fixedcellleftoffset + g->fixedcellrightoffset >= g->fixedcellrect.Width())
      c.Problem(grid, QStringLiteral("fixedcellrightoffset"), QStringLiteral("leaves no middle to stretch"));
  }
  if (auto* cb = d.ControlRecord<TsfDataSkinComboBox>("combobox")) {
    if (cb->listboxname != QLatin1String("listbox"))
      c.Problem(QStringLiteral("combobox"), QStringLiteral("listboxname"), QStringLiteral("must be \"listbox\""));
    c.NeedRect(QStringLiteral("combobox"), "buttonrect", cb->buttonrect);
  }
}

void CheckFormSections(TChecker& c, TsfSkinData& d, const TCustomIniFile& ini) {
  for (const char* s : {"POPUPWINDOW", "HINTWINDOW", "SKINCOLORS"})
    if (!ini.SectionExists(QLatin1String(s))) c.Problem(QLatin1String(s), QString(), QStringLiteral("missing section"));
  auto framed = [&](TsfKeyedSection& sec, const QString& name, int index) {
    const TBitmap* pic = d.Picture(index);
    c.CheckPieces(sec, name, pic, pic ? pic->Width() : 0, pic ? pic->Height() : 0);
  };
  framed(d.PopupWindowData, QStringLiteral("POPUPWINDOW"), d.PopupWindowData.windowpictureindex);
  framed(d.HintWindowData, QStringLiteral("HINTWINDOW"), d.HintWindowData.windowpictureindex);
  if (d.PopupWindowData.windowpictureindex == -1)
    c.Problem(QStringLiteral("POPUPWINDOW"), QStringLiteral("windowpictureindex"), QStringLiteral("must name a picture"));
  if (d.HintWindowData.windowpictureindex == -1)
    c.Problem(QStringLiteral("HINTWINDOW"), QStringLiteral("windowpictureindex"), QStringLiteral("must name a picture"));
  if (d.LayerFrameData.pictureindex != -1)
    c.Problem(QStringLiteral("LAYERFRAME"), QStringLiteral("pictureindex"),
              QStringLiteral("layered borders are not part of the default look yet"));
}
}  // namespace

QStringList CheckSkinFolder(const QString& folder) {
  QStringList out;
  const QString dir = folder.endsWith(u'/') ? folder : folder + u'/';
  const QString path = dir + QStringLiteral("skin.ini");
  if (!QFileInfo(path).isFile()) return {QStringLiteral("skin.ini: no such file in %1").arg(folder)};
  TMemIniFile ini(path);
  for (const char* s : {"VERSION", "PICTURES", "FORMINFO", "SKINOBJECTS", "SKINCONTROLS"})
    if (!ini.SectionExists(QLatin1String(s))) out << QLatin1String(s) + QStringLiteral(": missing section");
  if (!out.isEmpty()) return out;

  TsfSkinData data;
  try {
    data.LoadSkinFile(path);
  } catch (const Exception& e) {
    return {QStringLiteral("the skin does not load: %1").arg(e.Message())};
  }
  TChecker c(data, out);
  for (size_t i = 0; i < data.PictureList.size(); ++i)
    if (data.PictureList[i]->Empty())
      c.Problem(QStringLiteral("PICTURES"), QString::number(i), QStringLiteral("empty picture"));
  CheckForm(c, data, ini);
  CheckObjects(c, data);
  CheckControls(c, data, ini);
  CheckFormSections(c, data, ini);
  return out;
}
