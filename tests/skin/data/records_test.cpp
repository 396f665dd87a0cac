// Object and control records: every class reads back what it writes, keys are
// read in the order of the class chain, and the read defaults are right.
#include <gtest/gtest.h>

#include <functional>

#include "skin/data/control_records.h"
#include "skin/data/object_records.h"

namespace {
// Gives every key a distinct value that differs from its default.
class TFiller : public TsfKeyVisitor {
 public:
  void Int(const char*, int& v, int def) override { v = def + 7 + m_n++; }
  void Color(const char*, TColor& v, TColor) override { v = 0x010203 + m_n++; }
  void Flag(const char*, bool& v) override { v = true; }
  void RectV(const char*, TRect& v) override {
    const int n = m_n++;
    v = TRect(n, n + 1, n + 12, n + 13);
  }
  void PointV(const char*, TPoint& v) override {
    const int n = m_n++;
    v = TPoint(n + 1, n + 2);
  }
  void Str(const char*, QString& v, const QString&) override { v = QStringLiteral("s%1").arg(m_n++); }
  void Style(const char*, TFontStyles& v) override { v = fsItalic | fsStrikeOut; }
  void Align(const char*, TAlignment& v) override { v = taLeftJustify; }
  void Stretch(const char*, TsfStretchType& v) override { v = stVert; }
  void Morph(const char*, TsfMorphKind& v) override { v = mkPush; }
  void Effect(const char*, TsfInactiveEffect& v) override { v = ieInvert; }
  void Cmd(const char*, TsfCommand& v) override { v = cmRollUp; }

 private:
  int m_n = 0;
};

// Lists the keys a record walks, in order.
class TKeyLister : public TsfKeyVisitor {
 public:
  QStringList keys;
  void Int(const char* k, int&, int) override { keys << k; }
  void Color(const char* k, TColor&, TColor) override { keys << k; }
  void Flag(const char* k, bool&) override { keys << k; }
  void RectV(const char* k, TRect&) override { keys << k; }
  void PointV(const char* k, TPoint&) override { keys << k; }
  void Str(const char* k, QString&, const QString&) override { keys << k; }
  void Style(const char* k, TFontStyles&) override { keys << k; }
  void Align(const char* k, TAlignment&) override { keys << k; }
  void Stretch(const char* k, TsfStretchType&) override { keys << k; }
  void Morph(const char* k, TsfMorphKind&) override { keys << k; }
  void Effect(const char* k, TsfInactiveEffect&) override { keys << k; }
  void Cmd(const char* k, TsfCommand&) override { keys << k; }
};

QByteArray Saved(TsfKeyedSection& record) {
  TMemIniFile ini(QString{});
  record.SaveToIni(ini);
  return ini.ToBytes();
}

template <typename Rec>
void ExpectRoundTrip(Rec& original, Rec& copy, const QString& kind,
                     const std::function<void(Rec&)>& adjust = {}) {
  TFiller filler;
  original.VisitKeys(filler);
  if (adjust) adjust(original);
  TMemIniFile ini(QString{});
  ini.WriteString(original.SectionName, "stale", "x");  // erased by the save
  original.SaveToIni(ini);
  EXPECT_FALSE(ini.ValueExists(original.SectionName, "stale")) << kind.toStdString();
  copy.LoadFromIni(ini);
  EXPECT_EQ(Saved(copy), Saved(original)) << kind.toStdString();
  TKeyLister keys;
  original.VisitKeys(keys);
  QStringList written;
  ini.ReadSection(original.SectionName, written);
  EXPECT_EQ(written, keys.keys) << kind.toStdString();
  EXPECT_EQ(keys.keys.removeDuplicates(), 0) << kind.toStdString();
}
}  // namespace

TEST(SkinRecords, EveryObjectKindReadsBackWhatItWrites) {
  for (const QString& kind : ObjectRecordKinds()) {
    auto original = CreateObjectRecord(kind, "rec");
    auto copy = CreateObjectRecord(kind, "rec");
    ASSERT_TRUE(original && copy) << kind.toStdString();
    // Animated objects never morph (see below), so their round trip starts without it.
    ExpectRoundTrip<TsfDataSkinObject>(*original, *copy, kind, [&](TsfDataSkinObject& r) {
      if (kind == "animate") r.morphing = false;
    });
  }
  EXPECT_EQ(CreateObjectRecord("Caption", "x"), nullptr);
  EXPECT_EQ(CreateObjectRecord("", ""), nullptr);
}

TEST(SkinRecords, EveryControlKindReadsBackWhatItWrites) {
  ASSERT_EQ(ControlRecordKinds().size(), 28);
  for (const QString& kind : ControlRecordKinds()) {
    auto original = CreateControlRecord(kind, "rec");
    auto copy = CreateControlRecord(kind, "rec");
    ASSERT_TRUE(original && copy) << kind.toStdString();
    ExpectRoundTrip<TsfDataSkinControl>(*original, *copy, kind);
  }
  EXPECT_EQ(CreateControlRecord("Panel", "x"), nullptr);
}

TEST(SkinRecords, ClassesReadTheirBaseKeysFirst) {
  TKeyLister panel;
  TsfDataSkinPanelControl("p").VisitKeys(panel);
  EXPECT_EQ(panel.keys.mid(0, 9), QStringList({"pictureindex", "maskpictureindex", "skinrect",
                                               "lefttoppoint", "righttoppoint", "leftbottompoint",
                                               "rightbottompoint", "clientrect", "leftstretch"}));
  EXPECT_EQ(panel.keys[panel.keys.indexOf("stretchtype") + 1], "bgpictureindex");

  TKeyLister tab;
  TsfDataSkinTabControl("t").VisitKeys(tab);
  EXPECT_EQ(tab.keys.mid(0, 3), QStringList({"pictureindex", "maskpictureindex", "skinrect"}));
  EXPECT_LT(tab.keys.indexOf("bgpictureindex"), tab.keys.indexOf("lefttoppoint"));

  TKeyLister memo;
  TsfDataSkinMemoControl("m").VisitKeys(memo);
  EXPECT_EQ(memo.keys.mid(memo.keys.size() - 2), QStringList({"bgcolor", "activebgcolor"}));

  TKeyLister user;
  TsfDataUserObject("u").VisitKeys(user);
  EXPECT_EQ(user.keys, QStringList({"skinrect"}));
}

TEST(SkinRecords, ClassChainDecidesWhatAControlAccepts) {
  auto memo = CreateControlRecord("memo", "memo");
  EXPECT_NE(dynamic_cast<TsfDataSkinEditControl*>(memo.get()), nullptr);
  EXPECT_NE(dynamic_cast<TsfDataSkinCustomControl*>(memo.get()), nullptr);
  auto tab = CreateControlRecord("tab", "tab");
  EXPECT_EQ(dynamic_cast<TsfDataSkinCustomControl*>(tab.get()), nullptr);
  auto listview = CreateControlRecord("listview", "lv");
  EXPECT_EQ(dynamic_cast<TsfDataSkinTreeView*>(listview.get()), nullptr);
  auto bar = CreateObjectRecord("mainmenubarbutton", "b");
  EXPECT_NE(dynamic_cast<TsfDataSkinStdButton*>(bar.get()), nullptr);
  auto item = CreateObjectRecord("mainmenubaritem", "i");
  EXPECT_NE(dynamic_cast<TsfDataSkinMainMenuItem*>(item.get()), nullptr);
}

TEST(SkinRecords, DefaultsOfAbsentKeys) {
  TMemIniFile empty(QString{});
  TsfDataSkinStdLabelControl label("l");
  label.LoadFromIni(empty);
  EXPECT_EQ(label.activefontcolor, clBlue);
  EXPECT_EQ(label.fontcolor, 0);
  EXPECT_EQ(label.fontname, "Arial");
  EXPECT_EQ(label.fontheight, 14);
  TsfDataSkinControlBar bar("b");
  bar.LoadFromIni(empty);
  EXPECT_EQ(bar.itemoffset1, 3);
  EXPECT_EQ(bar.itemoffset2, 3);
  TsfDataSkinListBox list("l");
  list.LoadFromIni(empty);
  EXPECT_EQ(list.vscrollbarname, "vscrollbar");
  EXPECT_EQ(list.hscrollbarname, "hscrollbar");
  EXPECT_EQ(list.bothhscrollbarname, "bothhscrollbar");
  EXPECT_EQ(list.pictureindex, -1);
  TsfDataSkinCaption caption("c");
  caption.LoadFromIni(empty);
  EXPECT_EQ(caption.alignment, taCenter);
  EXPECT_EQ(caption.glowsize, 3);
  EXPECT_EQ(caption.animateinterval, 25);
  EXPECT_EQ(caption.glowlayeralphablendvalue, 255);
  TsfDataSkinAnimate anim("a");
  anim.LoadFromIni(empty);
  EXPECT_EQ(anim.countframes, 1);
  EXPECT_EQ(anim.timerinterval, 50);
  EXPECT_EQ(anim.command, cmDefault);
}

TEST(SkinRecords, AnimatedObjectsNeverMorph) {
  TMemIniFile ini(QString{});
  ini.SetBytes("[a]\nmorphing=1\n[b]\nmorphing=1\n");
  TsfDataSkinAnimate anim("a");
  anim.LoadFromIni(ini);
  EXPECT_FALSE(anim.morphing);
  TsfDataSkinButton button("b");
  button.LoadFromIni(ini);
  EXPECT_TRUE(button.morphing);
}

TEST(SkinRecords, MenuItemsUseTheirNormalMarksWhenActiveOnesAreMissing) {
  TMemIniFile ini(QString{});
  ini.SetBytes("[m]\ncheckimagerect=1,2,3,4\nradioimagerect=5,6,7,8\nactiveradioimagerect=9,9,19,19\n");
  TsfDataSkinMenuItem item("m");
  item.LoadFromIni(ini);
  EXPECT_EQ(item.activecheckimagerect, TRect(1, 2, 3, 4));
  EXPECT_EQ(item.activeradioimagerect, TRect(9, 9, 19, 19));
  EXPECT_TRUE(item.activearrowimagerect.IsEmpty());
}

TEST(SkinRecords, CaptionButtonsCompleteTheirRestoreHint) {
  struct Case {
    const char* kind;
    const char* hint;
    const char* command;
    const char* restorehint;  // as written; null: absent
    const char* expected;
  } cases[] = {
      {"stdbutton", "Maximize", "cmmaximize", nullptr, "Restore"},
      {"stdbutton", "Minimize", "cmminimize", nullptr, "Restore"},
      {"mainmenubarbutton", "RollUp", "cmrollup", nullptr, "Restore"},
      {"animate", "Roll Up", "cmrollup", nullptr, "Restore"},
      {"stdbutton", "Maximize", "cmclose", nullptr, ""},
      {"stdbutton", "maximize", "cmmaximize", nullptr, ""},
      {"stdbutton", "Maximize", "cmmaximize", "Back", "Back"},
  };
  for (const Case& c : cases) {
    QByteArray text = QByteArray("[b]\nhint=") + c.hint + "\ncommand=" + c.command + "\n";
    if (c.restorehint) text += QByteArray("restorehint=") + c.restorehint + "\n";
    TMemIniFile ini(QString{});
    ini.SetBytes(text);
    auto rec = CreateObjectRecord(c.kind, "b");
    rec->LoadFromIni(ini);
    const QString got = dynamic_cast<TsfDataSkinStdButton*>(rec.get())
                            ? dynamic_cast<TsfDataSkinStdButton*>(rec.get())->restorehint
                            : dynamic_cast<TsfDataSkinAnimate*>(rec.get())->restorehint;
    EXPECT_EQ(got, QString(c.expected)) << c.kind << " " << c.hint << " " << c.command;
  }
}
