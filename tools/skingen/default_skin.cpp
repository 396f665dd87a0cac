#include "tools/skingen/default_skin.h"

#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <memory>
#include <vector>

#include "platform/bitmap.h"
#include "platform/exceptions.h"
#include "platform/ini_file.h"
#include "skin/data/control_records.h"
#include "skin/data/form_sections.h"
#include "skin/data/object_records.h"

namespace {
// The palette: a calm slate frame, a light client and one blue accent.
const QColor kFrame(0x2E, 0x3A, 0x48), kFrameEdge(0x1E, 0x28, 0x33);
const QColor kCaptionTop(0x42, 0x56, 0x6C), kCaptionBottom(0x2F, 0x3E, 0x50);
const QColor kCaptionLine(0x5C, 0x71, 0x88);
const QColor kClient(0xF2, 0xF4, 0xF7), kWindow(0xFF, 0xFF, 0xFF);
const QColor kText(0x1F, 0x29, 0x33), kMuted(0x9A, 0xA5, 0xB1);
const QColor kBorder(0xAE, 0xB8, 0xC3), kSoftBorder(0xC9, 0xD1, 0xDA);
const QColor kAccent(0x3B, 0x82, 0xC4), kAccentSoft(0xDC, 0xEA, 0xF7), kAccentEdge(0x9C, 0xC3, 0xE8);
const QColor kGlyph(0xE8, 0xEE, 0xF4), kTrack(0xEE, 0xF1, 0xF4), kArrow(0x6B, 0x78, 0x85);
const QColor kMagenta(0xFF, 0x00, 0xFF);  // transparent key colour of glyph pictures
const QString kCjkFont = QStringLiteral("宋体");

TColor C(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }
TRect B(int x, int y, int w, int h) { return Bounds(x, y, w, h); }
QRectF F(const TRect& r) { return QRectF(r.Left, r.Top, r.Width(), r.Height()); }

QImage Sheet(int w, int h, const QColor& fill) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(fill);
  return img;
}

// An anti-aliased rounded box inside `r` (whole pixels), filled top to bottom.
void Box(QPainter& p, const TRect& r, const QColor& top, const QColor& bottom, const QColor& border,
         qreal radius) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF box = F(r).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient g(box.topLeft(), box.bottomLeft());
  g.setColorAt(0, top);
  g.setColorAt(1, bottom);
  p.setBrush(g);
  p.setPen(border.isValid() ? QPen(border, 1) : QPen(Qt::NoPen));
  p.drawRoundedRect(box, radius, radius);
  p.restore();
}

void Fill(QPainter& p, const TRect& r, const QColor& c) { p.fillRect(F(r), c); }

void Polyline(QPainter& p, std::initializer_list<QPointF> pts, const QColor& c, qreal width) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPolyline(std::data(pts), int(pts.size()));
  p.restore();
}

void Triangle(QPainter& p, std::initializer_list<QPointF> pts, const QColor& c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPolygon(std::data(pts), int(pts.size()));
  p.restore();
}

void Corners(TPoint& lt, TPoint& rt, TPoint& lb, TPoint& rb, int w, int h, int edge) {
  lt = TPoint(edge, edge);
  rt = TPoint(w - edge, edge);
  lb = TPoint(edge, h - edge);
  rb = TPoint(w - edge, h - edge);
}

// Framed control records stretch all their pieces.
void NinePart(TsfDataSkinCustomControl& r, int picture, const TRect& skin, int edge, int client) {
  r.pictureindex = picture;
  r.skinrect = skin;
  Corners(r.lefttoppoint, r.righttoppoint, r.leftbottompoint, r.rightbottompoint, skin.Width(),
          skin.Height(), edge);
  r.clientrect = TRect(client, client, skin.Width() - client, skin.Height() - client);
  r.leftstretch = r.topstretch = r.rightstretch = r.bottomstretch = true;
  r.stretcheffect = true;
  r.stretchtype = stFull;
}

template <typename Rec>
void CjkFont(Rec& r, const QColor& color, int height = 12) {
  r.fontname = kCjkFont;
  r.fontheight = height;
  r.fontcolor = C(color);
}

class TSkinWriter {
 public:
  int AddPicture(const QString& file, const QImage& img) {
    names.activepictures << file;
    images.push_back(img);
    return int(images.size()) - 1;
  }
  template <typename T>
  T& Object(const QString& name, const char* kind) {
    objects << name + QLatin1Char(':') + QLatin1String(kind);
    auto rec = std::make_unique<T>(name);
    T& ref = *rec;
    objectRecords.push_back(std::move(rec));
    return ref;
  }
  template <typename T>
  T& Control(const QString& name, const char* kind) {
    controls << name + QLatin1Char(':') + QLatin1String(kind);
    auto rec = std::make_unique<T>(name);
    T& ref = *rec;
    controlRecords.push_back(std::move(rec));
    return ref;
  }

  TsfPictureNames names;
  std::vector<QImage> images;
  QImage form, mask;
  QStringList objects, controls;
  std::vector<std::unique_ptr<TsfKeyedSection>> objectRecords, controlRecords;
  TsfVersionInfo version;
  TsfFormInfo formInfo;
  TsfDataSkinPopupWindow popup;
  TsfDataSkinHintWindow hint;
  TsfSkinColors colors;
};

// ---- the window frame and its caption ------------------------------------

constexpr int kFormW = 160, kFormH = 100, kCaptionH = 30, kBorderW = 4;
constexpr int kBtnW = 26, kBtnH = 20, kBtnTop = 5;

void PaintCaptionBand(QPainter& p, int x, int w, int fromY, int toY) {
  QLinearGradient g(0, -fromY, 0, kCaptionH - fromY);
  g.setColorAt(0, kCaptionTop);
  g.setColorAt(1, kCaptionBottom);
  p.fillRect(QRectF(x, 0, w, toY - fromY), g);
}

void DrawForm(TSkinWriter& s) {
  QImage img = Sheet(kFormW, kFormH, kFrame);
  QPainter p(&img);
  PaintCaptionBand(p, 0, kFormW, 0, kCaptionH);
  p.setPen(kCaptionLine);
  p.drawLine(1, 1, kFormW - 2, 1);  // light catching the top edge
  p.setPen(kFrameEdge);
  p.drawRect(0, 0, kFormW - 1, kFormH - 1);
  Fill(p, TRect(kBorderW, kCaptionH, kFormW - kBorderW, kFormH - kBorderW), kClient);
  p.setPen(kFrameEdge);
  p.drawLine(kBorderW - 1, kCaptionH, kBorderW - 1, kFormH - kBorderW);
  p.drawLine(kFormW - kBorderW, kCaptionH, kFormW - kBorderW, kFormH - kBorderW);
  p.drawLine(kBorderW - 1, kFormH - kBorderW, kFormW - kBorderW, kFormH - kBorderW);
  p.end();
  s.form = img;
  s.names.picture = QStringLiteral("form.bmp");

  // The window's shape: black inside, the two top corners rounded off.
  QImage mask = Sheet(kFormW, kFormH, Qt::black);
  for (int dy = 0; dy < 3; ++dy)
    for (int dx = 0; dx + dy < 3; ++dx) {
      mask.setPixel(dx, dy, qRgb(255, 255, 255));
      mask.setPixel(kFormW - 1 - dx, dy, qRgb(255, 255, 255));
    }
  s.mask = mask;
  s.names.mask = QStringLiteral("mask.bmp");

  TsfFormInfo& f = s.formInfo;
  f.lefttoppoint = TPoint(12, kCaptionH);
  f.righttoppoint = TPoint(kFormW - 12, kCaptionH);
  f.leftbottompoint = TPoint(12, kFormH - kBorderW);
  f.rightbottompoint = TPoint(kFormW - 12, kFormH - kBorderW);
  f.clientrect = TRect(kBorderW, kCaptionH, kFormW - kBorderW, kFormH - kBorderW);
  f.maskrectarea = f.clientrect;  // what the reader makes of a skin with a mask
  f.leftstretch = f.rightstretch = f.topstretch = f.bottomstretch = true;
  f.hittestlefttoppoint = TPoint(8, 8);
  f.hittestrighttoppoint = TPoint(kFormW - 8, 8);
  f.hittestleftbottompoint = TPoint(8, kFormH - 8);
  f.hittestrightbottompoint = TPoint(kFormW - 8, kFormH - 8);
  f.captionrect = TRect(kBorderW, 0, kFormW - kBorderW, kCaptionH);
  // Right of the picture's middle, so the buttons follow the right edge; they
  // are laid out leftwards from its right end.
  f.buttonsrect = TRect(kFormW / 2 + 20, kBtnTop, kFormW - 6, kBtnTop + kBtnH);
  f.buttonsoffset = 2;
  f.borderwidth = kBorderW;
  f.formminwidth = 200;
}

enum TGlyph { gClose, gMax, gMin, gRollUp, gSysMenu, gRestore, gRollDown };

void DrawGlyph(QPainter& p, TGlyph g, qreal x, qreal y, const QColor& c) {
  const qreal cx = x + kBtnW / 2.0, cy = y + kBtnH / 2.0;
  switch (g) {
    case gClose:
      Polyline(p, {{cx - 4, cy - 4}, {cx + 4, cy + 4}}, c, 1.6);
      Polyline(p, {{cx + 4, cy - 4}, {cx - 4, cy + 4}}, c, 1.6);
      break;
    case gMax:
      Polyline(p, {{cx - 4.5, cy - 4}, {cx + 4.5, cy - 4}, {cx + 4.5, cy + 4}, {cx - 4.5, cy + 4},
                   {cx - 4.5, cy - 4}},
               c, 1.3);
      break;
    case gMin:
      Polyline(p, {{cx - 4.5, cy + 3.5}, {cx + 4.5, cy + 3.5}}, c, 1.6);
      break;
    case gRollUp:
      Polyline(p, {{cx - 4.5, cy + 2}, {cx, cy - 2.5}, {cx + 4.5, cy + 2}}, c, 1.6);
      break;
    case gRollDown:
      Polyline(p, {{cx - 4.5, cy - 2}, {cx, cy + 2.5}, {cx + 4.5, cy - 2}}, c, 1.6);
      break;
    case gRestore:
      Polyline(p, {{cx - 2, cy - 4.5}, {cx + 4.5, cy - 4.5}, {cx + 4.5, cy + 1.5}}, c, 1.2);
      Polyline(p, {{cx - 4.5, cy - 2}, {cx + 2, cy - 2}, {cx + 2, cy + 4.5}, {cx - 4.5, cy + 4.5},
                   {cx - 4.5, cy - 2}},
               c, 1.2);
      break;
    case gSysMenu:
      Triangle(p, {{cx, cy - 6}, {cx + 6, cy}, {cx, cy + 6}, {cx - 6, cy}}, kAccent);
      Triangle(p, {{cx, cy - 2.5}, {cx + 2.5, cy}, {cx, cy + 2.5}, {cx - 2.5, cy}}, kGlyph);
      break;
  }
}

// Caption buttons: one row per glyph, columns normal, hot, pressed, inactive.
void DrawCaptionButtons(TSkinWriter& s) {
  const TGlyph rows[] = {gClose, gMax, gMin, gRollUp, gSysMenu, gRestore, gRestore, gRollDown};
  QImage img = Sheet(4 * kBtnW, 8 * kBtnH, kFrame);
  QPainter p(&img);
  for (int row = 0; row < 8; ++row) {
    const bool close = row == 0;
    for (int col = 0; col < 4; ++col) {
      const TRect cell = B(col * kBtnW, row * kBtnH, kBtnW, kBtnH);
      p.save();
      p.translate(cell.Left, cell.Top);
      PaintCaptionBand(p, 0, kBtnW, kBtnTop, kBtnTop + kBtnH);
      p.restore();
      const TRect inner(cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1);
      if (col == 1) Box(p, inner, close ? QColor(0xE0, 0x5A, 0x55) : QColor(0x5B, 0x73, 0x8D),
                        close ? QColor(0xC9, 0x43, 0x3F) : QColor(0x4C, 0x63, 0x7B), QColor(), 3);
      if (col == 2) Box(p, inner, close ? QColor(0xB0, 0x2E, 0x2A) : QColor(0x25, 0x32, 0x40),
                        close ? QColor(0xB0, 0x2E, 0x2A) : QColor(0x25, 0x32, 0x40), QColor(), 3);
      DrawGlyph(p, rows[row], cell.Left, cell.Top + (col == 2 ? 1 : 0),
                col == 3 ? QColor(0x9A, 0xA8, 0xB6) : kGlyph);
    }
  }
  p.end();
  const int pic = s.AddPicture(QStringLiteral("captionbuttons.bmp"), img);
  auto cell = [](int row, int col) { return B(col * kBtnW, row * kBtnH, kBtnW, kBtnH); };

  struct CaptionButton {
    const char* name;
    const char* hint;
    TsfCommand command;
    int row;
    int restoreRow;  // -1: none
  } buttons[] = {{"closebutton", "Close", cmClose, 0, -1},
               {"maxbutton", "Maximize", cmMaximize, 1, 5},
               {"minbutton", "Minimize", cmMinimize, 2, 6},
               {"rollupbutton", "Roll Up", cmRollUp, 3, 7},
               {"sysmenubutton", "System menu", cmSysMenu, 4, -1}};
  for (const CaptionButton& sp : buttons) {
    auto& b = s.Object<TsfDataSkinStdButton>(QLatin1String(sp.name), "stdbutton");
    b.hint = QLatin1String(sp.hint);
    b.command = sp.command;
    b.activepictureindex = pic;
    b.skinrectinapicture = true;
    b.skinrect = cell(sp.row, 0);
    b.activeskinrect = cell(sp.row, 1);
    b.downrect = cell(sp.row, 2);
    b.inactiveskinrect = cell(sp.row, 3);
    b.morphing = true;
    b.morphkind = mkDefault;
    if (sp.restoreRow >= 0) {
      b.restorerect = cell(sp.restoreRow, 0);
      b.restoreactiverect = cell(sp.restoreRow, 1);
      b.restoredownrect = cell(sp.restoreRow, 2);
      b.restoreinactiverect = cell(sp.restoreRow, 3);
      b.restorehint = QStringLiteral("Restore");
    }
  }
}

void AddCaption(TSkinWriter& s) {
  auto& c = s.Object<TsfDataSkinCaption>(QStringLiteral("caption"), "caption");
  c.skinrect = TRect(12, 0, kFormW - 12, kCaptionH);
  c.textrect = TRect(8, 0, c.skinrect.Width() - 8, kCaptionH);
  c.fontname = kCjkFont;
  c.fontheight = 14;
  c.fontstyle = fsBold;
  c.fontcolor = C(QColor(0xB8, 0xC4, 0xD0));
  c.activefontcolor = C(QColor(0xFF, 0xFF, 0xFF));
  c.alignment = taLeftJustify;
  c.stretcheffect = true;
}

// ---- popup menus, hints ---------------------------------------------------

void DrawMenus(TSkinWriter& s) {
  QImage img = Sheet(132, 50, kWindow);
  QPainter p(&img);
  Box(p, B(2, 23, 96, 20), kAccentSoft, kAccentSoft, kAccentEdge, 3);
  p.setPen(QColor(0xD5, 0xDB, 0xE1));
  p.drawLine(4, 47, 95, 47);
  // Marks: check, radio and submenu arrow, normal then on the selected item.
  for (int active = 0; active < 2; ++active) {
    const int x = 100 + active * 16;
    if (active) Fill(p, B(x, 0, 16, 40), kAccentSoft);
    Polyline(p, {{x + 3.5, 8.0}, {x + 6.5, 11.5}, {x + 12.5, 4.5}}, kText, 1.8);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(kText);
    p.drawEllipse(QPointF(x + 8, 24), 3.2, 3.2);
    p.restore();
    Triangle(p, {{x + 2.5, 33.0}, {x + 6.5, 36.0}, {x + 2.5, 39.0}}, kArrow);
  }
  p.end();
  const int pic = s.AddPicture(QStringLiteral("menu.bmp"), img);

  auto& m = s.Object<TsfDataSkinMenuItem>(QStringLiteral("menuitem"), "menuitem");
  m.activepictureindex = pic;
  m.skinrectinapicture = true;
  m.skinrect = B(0, 0, 100, 22);
  m.activeskinrect = B(0, 22, 100, 22);
  m.itemleftoffset = m.itemrightoffset = 6;
  m.dividerrect = B(0, 44, 100, 6);
  m.dividerleftoffset = m.dividerrightoffset = 4;
  m.textrect = TRect(26, 0, 92, 22);
  m.imagerect = TRect(4, 3, 20, 19);
  CjkFont(m, kText);
  m.activefontcolor = C(QColor(0x10, 0x38, 0x5E));
  m.unenabledfontcolor = C(kMuted);
  m.stretcheffect = m.inactivestretcheffect = m.dividerstretcheffect = true;
  m.checkimagerect = B(100, 0, 16, 16);
  m.activecheckimagerect = B(116, 0, 16, 16);
  m.radioimagerect = B(100, 16, 16, 16);
  m.activeradioimagerect = B(116, 16, 16, 16);
  m.arrowimagerect = B(100, 32, 8, 8);
  m.activearrowimagerect = B(116, 32, 8, 8);

  // The popup frame: a white sheet with a thin border.
  QImage frame = Sheet(40, 40, kWindow);
  QPainter fp(&frame);
  fp.setPen(kBorder);
  fp.drawRect(0, 0, 39, 39);
  fp.setPen(QColor(0xF6, 0xF8, 0xFA));
  fp.drawRect(1, 1, 37, 37);
  fp.end();
  TsfDataSkinPopupWindow& w = s.popup;
  w.windowpictureindex = s.AddPicture(QStringLiteral("popup.bmp"), frame);
  Corners(w.lefttoppoint, w.righttoppoint, w.leftbottompoint, w.rightbottompoint, 40, 40, 3);
  w.itemsrect = TRect(3, 3, 37, 37);
  w.scrollmarkercolor = C(kArrow);
  w.scrollmarkeractivecolor = C(kAccent);
  w.leftstretch = w.rightstretch = w.topstretch = w.bottomstretch = w.stretcheffect = true;

  QImage tip = Sheet(40, 24, QColor(0xFF, 0xFB, 0xEA));
  QPainter tp(&tip);
  tp.setPen(QColor(0xC8, 0xB9, 0x8A));
  tp.drawRect(0, 0, 39, 23);
  tp.end();
  TsfDataSkinHintWindow& h = s.hint;
  h.windowpictureindex = s.AddPicture(QStringLiteral("hint.bmp"), tip);
  Corners(h.lefttoppoint, h.righttoppoint, h.leftbottompoint, h.rightbottompoint, 40, 24, 4);
  h.clientrect = TRect(4, 4, 36, 20);
  CjkFont(h, QColor(0x4A, 0x40, 0x20));
  h.leftstretch = h.rightstretch = h.topstretch = h.bottomstretch = h.stretcheffect = true;
}

// ---- controls -------------------------------------------------------------

void DrawPanels(TSkinWriter& s) {
  QImage img = Sheet(144, 48, kClient);
  QPainter p(&img);
  Box(p, B(0, 0, 48, 48), kClient, kClient, kSoftBorder, 0);
  p.setPen(kWindow);
  p.drawLine(1, 1, 46, 1);
  Box(p, B(48, 8, 48, 40), kClient, kClient, QColor(0xBF, 0xC8, 0xD2), 4);
  Box(p, B(96, 0, 48, 48), QColor(0xF8, 0xFA, 0xFC), QColor(0xE4, 0xE9, 0xEF), QColor(), 0);
  p.setPen(kSoftBorder);
  p.drawLine(96, 47, 143, 47);
  p.end();
  const int pic = s.AddPicture(QStringLiteral("panel.bmp"), img);

  auto& panel = s.Control<TsfDataSkinPanelControl>(QStringLiteral("panel"), "panel");
  NinePart(panel, pic, B(0, 0, 48, 48), 4, 2);
  CjkFont(panel, kText);

  auto& group = s.Control<TsfDataSkinPanelControl>(QStringLiteral("groupbox"), "panel");
  NinePart(group, pic, B(48, 0, 48, 48), 6, 4);
  // The caption rect runs from the left-top corner into the right-top one, so
  // it widens with the box; a plain strip behind the text breaks the frame line.
  group.lefttoppoint = TPoint(10, 18);
  group.righttoppoint = TPoint(42, 18);
  group.clientrect = TRect(4, 18, 44, 44);
  group.captionrect = TRect(8, 0, 44, 17);
  group.alignment = taLeftJustify;
  group.framerect = B(8, 20, 32, 17);
  group.frametextrect = TRect(3, 0, 29, 17);
  group.frameleftoffset = 3;
  group.framerightoffset = 3;
  CjkFont(group, QColor(0x2E, 0x5E, 0x8C));

  auto& tool = s.Control<TsfDataSkinPanelControl>(QStringLiteral("toolpanel"), "panel");
  NinePart(tool, pic, B(96, 0, 48, 48), 4, 2);
  CjkFont(tool, kText);
}

void DrawButtons(TSkinWriter& s) {
  QImage img = Sheet(128, 126, kClient);
  QPainter p(&img);
  struct State {
    QColor top, bottom, border;
  };
  const State push[] = {{kWindow, QColor(0xEC, 0xEF, 0xF3), kBorder},
                        {kWindow, QColor(0xE1, 0xED, 0xF8), QColor(0x6F, 0xA3, 0xD6)},
                        {QColor(0xD3, 0xE2, 0xF0), QColor(0xE4, 0xEC, 0xF5), QColor(0x4F, 0x86, 0xBD)},
                        {kWindow, QColor(0xEC, 0xEF, 0xF3), kAccent},
                        {QColor(0xF5, 0xF6, 0xF7), QColor(0xF5, 0xF6, 0xF7), QColor(0xD3, 0xD8, 0xDD)}};
  const State tool[] = {{kClient, kClient, QColor()},
                        {kAccentSoft, kAccentSoft, kAccentEdge},
                        {QColor(0xCF, 0xE0, 0xF1), QColor(0xCF, 0xE0, 0xF1), QColor(0x6F, 0xA3, 0xD6)},
                        {kAccentSoft, kAccentSoft, kAccentEdge},
                        {kClient, kClient, QColor()}};
  for (int i = 0; i < 5; ++i) {
    Box(p, B(0, i * 24, 64, 24), push[i].top, push[i].bottom, push[i].border, 4);
    if (i == 3) Box(p, B(2, i * 24 + 2, 60, 20), QColor(0, 0, 0, 0), QColor(0, 0, 0, 0),
                    QColor(0x9C, 0xC3, 0xE8), 3);
    Box(p, B(64, i * 24, 64, 24), tool[i].top, tool[i].bottom, tool[i].border, 3);
  }
  // Drop-down markers on the transparent key colour: flat, normal, hot, pressed.
  Fill(p, B(0, 120, 32, 6), kMagenta);
  const QColor markers[] = {kArrow, kArrow, kAccent, QColor(0x2F, 0x5F, 0x8F)};
  for (int i = 0; i < 4; ++i)
    Triangle(p, {{i * 8 + 0.5, 121.0}, {i * 8 + 7.5, 121.0}, {i * 8 + 4.0, 125.0}}, markers[i]);
  p.end();
  const int pic = s.AddPicture(QStringLiteral("button.bmp"), img);

  auto states = [&](TsfDataSkinButtonControl& b, int x) {
    NinePart(b, pic, B(x, 0, 64, 24), 5, 4);
    b.activeskinrect = B(x, 24, 64, 24);
    b.downskinrect = B(x, 48, 64, 24);
    b.focusedskinrect = B(x, 72, 64, 24);
    b.disabledskinrect = B(x, 96, 64, 24);
    CjkFont(b, kText);
    b.activefontcolor = C(kText);
    b.downfontcolor = C(QColor(0x10, 0x38, 0x5E));
    b.disabledfontcolor = C(kMuted);
    b.morphing = true;
    b.morphkind = mkDefault;
    b.menumarkerflatrect = B(0, 120, 8, 6);
    b.menumarkerrect = B(8, 120, 8, 6);
    b.menumarkeractiverect = B(16, 120, 8, 6);
    b.menumarkerdownrect = B(24, 120, 8, 6);
    b.menumarkertransparentcolor = C(kMagenta);
    b.glowlayeralphablendvalue = 255;
  };
  for (const char* name : {"button", "resizebutton"}) {
    auto& b = s.Control<TsfDataSkinButtonControl>(QLatin1String(name), "button");
    states(b, 0);
    b.showfocus = true;
  }
  for (const char* name : {"toolbutton", "resizetoolbutton"}) {
    auto& b = s.Control<TsfDataSkinButtonControl>(QLatin1String(name), "button");
    states(b, 64);
  }
  auto& menu = s.Control<TsfDataSkinMenuButtonControl>(QStringLiteral("toolmenubutton"), "menubutton");
  states(menu, 64);
}

void DrawChecks(TSkinWriter& s) {
  QImage img = Sheet(104, 43, kClient);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  // Columns: off, on, hot off, hot on, disabled off, disabled on, grayed, hot grayed.
  for (int col = 0; col < 8; ++col) {
    const bool on = col == 1 || col == 3 || col == 5;
    const bool hot = col == 2 || col == 3 || col == 7;
    const bool disabled = col == 4 || col == 5;
    const bool grayed = col >= 6;
    const QColor border = disabled ? QColor(0xC5, 0xCC, 0xD3) : hot ? kAccent : QColor(0x8F, 0x9B, 0xA8);
    const QColor fill = on && !disabled ? kAccent : disabled ? QColor(0xEE, 0xF0, 0xF2) : kWindow;
    const QColor mark = disabled ? QColor(0xB0, 0xB8, 0xC0) : kWindow;
    const qreal x = col * 13;
    Box(p, B(col * 13, 0, 13, 13), fill, fill, border, 2.5);
    if (on) Polyline(p, {{x + 3, 6.5}, {x + 5.5, 9.0}, {x + 10, 3.8}}, mark, 1.7);
    if (grayed) Box(p, B(col * 13 + 3, 3, 7, 7), kAccentEdge, kAccentEdge, QColor(), 1);
    p.setPen(QPen(border, 1));
    p.setBrush(on && !disabled ? kAccent : fill);
    p.drawEllipse(QRectF(x + 0.5, 13.5, 12, 12));
    if (on) {
      p.setPen(Qt::NoPen);
      p.setBrush(mark);
      p.drawEllipse(QPointF(x + 6.5, 19.5), 2.6, 2.6);
    }
    if (grayed) {
      p.setPen(Qt::NoPen);
      p.setBrush(kAccentEdge);
      p.drawEllipse(QPointF(x + 6.5, 19.5), 3, 3);
    }
  }
  p.end();
  const int pic = s.AddPicture(QStringLiteral("check.bmp"), img);
  auto mark = [](int row, int col) { return B(col * 13, row * 13, 13, 13); };
  for (const char* name : {"checkbox", "radiobox"}) {
    const int row = QLatin1String(name) == QLatin1String("radiobox") ? 1 : 0;
    auto& c = s.Control<TsfDataSkinCheckRadioControl>(QLatin1String(name), "checkradio");
    NinePart(c, pic, B(0, 26, 40, 17), 1, 0);
    c.activeskinrect = c.skinrect;
    c.checkimagearea = TRect(1, 2, 14, 15);
    c.textarea = TRect(18, 0, 40, 17);
    CjkFont(c, kText);
    c.activefontcolor = C(kText);
    c.unenabledfontcolor = C(kMuted);
    c.framefontcolor = C(QColor(0x2E, 0x5E, 0x8C));
    c.uncheckimagerect = mark(row, 0);
    c.checkimagerect = mark(row, 1);
    c.activeuncheckimagerect = mark(row, 2);
    c.activecheckimagerect = mark(row, 3);
    c.unenableduncheckimagerect = mark(row, 4);
    c.unenabledcheckimagerect = mark(row, 5);
    c.grayedcheckimagerect = mark(row, 6);
    c.activegrayedcheckimagerect = mark(row, 7);
  }
}

void DrawEdits(TSkinWriter& s) {
  QImage img = Sheet(96, 22, kClient);
  QPainter p(&img);
  Box(p, B(0, 0, 32, 22), kWindow, kWindow, kBorder, 2.5);
  Box(p, B(32, 0, 32, 22), kWindow, kWindow, kAccent, 2.5);
  Box(p, B(64, 0, 32, 22), QColor(0xF7, 0xF8, 0xF9), QColor(0xF7, 0xF8, 0xF9), kSoftBorder, 2.5);
  p.end();
  const int pic = s.AddPicture(QStringLiteral("edit.bmp"), img);

  auto& edit = s.Control<TsfDataSkinEditControl>(QStringLiteral("edit"), "edit");
  NinePart(edit, pic, B(0, 0, 32, 22), 4, 3);
  edit.activeskinrect = B(32, 0, 32, 22);
  CjkFont(edit, kText);
  edit.activefontcolor = C(kText);
  edit.disabledfontcolor = C(kMuted);

  auto& memo = s.Control<TsfDataSkinMemoControl>(QStringLiteral("memo"), "memo");
  NinePart(memo, pic, B(0, 0, 32, 22), 4, 3);
  memo.activeskinrect = B(32, 0, 32, 22);
  CjkFont(memo, kText);
  memo.activefontcolor = C(kText);
  memo.disabledfontcolor = C(kMuted);
  memo.bgcolor = C(kWindow);
  memo.activebgcolor = C(kWindow);

  auto& rich = s.Control<TsfDataSkinRichEdit>(QStringLiteral("richedit"), "richedit");
  rich.pictureindex = pic;
  rich.skinrect = B(0, 0, 32, 22);
  CjkFont(rich, kText);
  rich.bgcolor = C(kWindow);

  auto& list = s.Control<TsfDataSkinListView>(QStringLiteral("listview"), "listview");
  list.pictureindex = pic;
  list.skinrect = B(0, 0, 32, 22);
  CjkFont(list, kText);
  list.bgcolor = C(kWindow);
}

void DrawScrollBars(TSkinWriter& s) {
  QImage img = Sheet(128, 111, kTrack);
  QPainter p(&img);
  p.setPen(QColor(0xDD, 0xE2, 0xE7));
  p.drawLine(0, 0, 0, 59);    // vertical track edge
  p.drawLine(0, 60, 59, 60);  // horizontal track edge
  const QColor buttonFill[] = {kTrack, QColor(0xDC, 0xE3, 0xEA), QColor(0xC5, 0xD0, 0xDB)};
  const QColor thumbFill[] = {QColor(0xC3, 0xCC, 0xD6), QColor(0xA9, 0xB6, 0xC3), QColor(0x8E, 0x9D, 0xAD)};
  for (int st = 0; st < 3; ++st) {
    // Vertical: up and down buttons, then the thumb.
    const int x = 17 + st * 17;
    if (st) Box(p, B(x + 1, 1, 15, 15), buttonFill[st], buttonFill[st], QColor(), 3);
    if (st) Box(p, B(x + 1, 18, 15, 15), buttonFill[st], buttonFill[st], QColor(), 3);
    Triangle(p, {{x + 4.5, 10.5}, {x + 8.5, 6.0}, {x + 12.5, 10.5}}, kArrow);
    Triangle(p, {{x + 4.5, 23.5}, {x + 8.5, 28.0}, {x + 12.5, 23.5}}, kArrow);
    Box(p, B(68 + st * 17 + 4, 1, 9, 28), thumbFill[st], thumbFill[st], QColor(), 4);
    // Horizontal: left and right buttons, then the thumb.
    const int hx = 60 + st * 17;
    if (st) Box(p, B(hx + 1, 61, 15, 15), buttonFill[st], buttonFill[st], QColor(), 3);
    if (st) Box(p, B(hx + 1, 78, 15, 15), buttonFill[st], buttonFill[st], QColor(), 3);
    Triangle(p, {{hx + 10.5, 64.5}, {hx + 6.0, 68.5}, {hx + 10.5, 72.5}}, kArrow);
    Triangle(p, {{hx + 6.5, 81.5}, {hx + 11.0, 85.5}, {hx + 6.5, 89.5}}, kArrow);
    Box(p, B(st * 30 + 1, 98, 28, 9), thumbFill[st], thumbFill[st], QColor(), 4);
    // Grips drawn on the transparent key colour.
    Fill(p, B(119, st * 6, 8, 6), kMagenta);
    p.setPen(QColor(0xF4, 0xF6, 0xF8));
    p.drawLine(121, st * 6 + 1, 125, st * 6 + 1);
    p.drawLine(121, st * 6 + 3, 125, st * 6 + 3);
    Fill(p, B(90 + st * 6, 94, 6, 8), kMagenta);
    p.drawLine(90 + st * 6 + 1, 96, 90 + st * 6 + 1, 100);
    p.drawLine(90 + st * 6 + 3, 96, 90 + st * 6 + 3, 100);
  }
  p.end();
  // The skin rects show both buttons in their normal state at their places:
  // decrease (up, left) first, increase (down, right) last.
  const QImage up = img.copy(17, 0, 17, 17), down = img.copy(17, 17, 17, 17);
  const QImage left = img.copy(60, 60, 17, 17), right = img.copy(60, 77, 17, 17);
  p.begin(&img);
  p.drawImage(0, 0, up);
  p.drawImage(0, 43, down);
  p.drawImage(0, 60, left);
  p.drawImage(43, 60, right);
  p.end();
  const int pic = s.AddPicture(QStringLiteral("scrollbar.bmp"), img);

  auto common = [&](TsfDataSkinScrollBarControl& b) {
    b.pictureindex = pic;
    b.leftstretch = b.topstretch = b.rightstretch = b.bottomstretch = b.stretcheffect = true;
    b.thumboffset1 = b.thumboffset2 = 5;
    b.thumbstretcheffect = true;
    b.thumbminsize = 16;
    b.thumbminpagesize = 8;
    b.thumbtransparent = false;
    b.glyphtransparent = true;
    b.glyphtransparentcolor = C(kMagenta);
  };
  auto& v = s.Control<TsfDataSkinScrollBarControl>(QStringLiteral("vscrollbar"), "scrollbar");
  common(v);
  v.skinrect = B(0, 0, 17, 60);
  v.lefttoppoint = TPoint(1, 17);
  v.righttoppoint = TPoint(16, 17);
  v.leftbottompoint = TPoint(1, 43);
  v.rightbottompoint = TPoint(16, 43);
  v.clientrect = TRect(0, 17, 17, 43);
  v.trackarea = TRect(0, 17, 17, 43);
  // Button places relative to the skin rect ("up" is the increase button at
  // the far end), their hot and pressed pictures in the sheet.
  v.upbuttonrect = TRect(0, 43, 17, 60);
  v.activeupbuttonrect = B(34, 17, 17, 17);
  v.downupbuttonrect = B(51, 17, 17, 17);
  v.downbuttonrect = TRect(0, 0, 17, 17);
  v.activedownbuttonrect = B(34, 0, 17, 17);
  v.downdownbuttonrect = B(51, 0, 17, 17);
  v.thumbrect = B(68, 0, 17, 30);
  v.activethumbrect = B(85, 0, 17, 30);
  v.downthumbrect = B(102, 0, 17, 30);
  v.glyphrect = B(119, 0, 8, 6);
  v.activeglyphrect = B(119, 6, 8, 6);
  v.downglyphrect = B(119, 12, 8, 6);
  for (const char* name : {"hscrollbar", "bothhscrollbar"}) {
    auto& h = s.Control<TsfDataSkinScrollBarControl>(QLatin1String(name), "scrollbar");
    common(h);
    h.skinrect = B(0, 60, 60, 17);
    h.lefttoppoint = TPoint(17, 1);
    h.righttoppoint = TPoint(43, 1);
    h.leftbottompoint = TPoint(17, 16);
    h.rightbottompoint = TPoint(43, 16);
    h.clientrect = TRect(17, 0, 43, 17);
    h.trackarea = TRect(17, 0, 43, 17);
    h.upbuttonrect = TRect(43, 0, 60, 17);
    h.activeupbuttonrect = B(77, 77, 17, 17);
    h.downupbuttonrect = B(94, 77, 17, 17);
    h.downbuttonrect = TRect(0, 0, 17, 17);
    h.activedownbuttonrect = B(77, 60, 17, 17);
    h.downdownbuttonrect = B(94, 60, 17, 17);
    h.thumbrect = B(0, 94, 30, 17);
    h.activethumbrect = B(30, 94, 30, 17);
    h.downthumbrect = B(60, 94, 30, 17);
    h.glyphrect = B(90, 94, 6, 8);
    h.activeglyphrect = B(96, 94, 6, 8);
    h.downglyphrect = B(102, 94, 6, 8);
  }
}

void DrawLists(TSkinWriter& s) {
  // List box frame, then item images: normal, selected, focused.
  QImage img = Sheet(64, 54, kWindow);
  QPainter p(&img);
  Fill(p, B(0, 0, 32, 22), kClient);
  Box(p, B(0, 0, 32, 22), kWindow, kWindow, kBorder, 2.5);
  Fill(p, B(32, 18, 32, 18), kAccentSoft);
  Fill(p, B(32, 36, 32, 18), kAccentSoft);
  p.setPen(kAccent);
  p.drawRect(32, 36, 31, 17);
  p.end();
  const int pic = s.AddPicture(QStringLiteral("listbox.bmp"), img);
  auto& l = s.Control<TsfDataSkinListBox>(QStringLiteral("listbox"), "listbox");
  NinePart(l, pic, B(0, 0, 32, 22), 4, 2);
  l.itemrect = B(32, 0, 32, 18);
  l.activeitemrect = B(32, 18, 32, 18);
  l.focusitemrect = B(32, 36, 32, 18);
  l.itemleftoffset = l.itemrightoffset = 2;
  l.itemtextrect = TRect(4, 0, 28, 18);
  CjkFont(l, kText);
  l.activefontcolor = C(QColor(0x10, 0x38, 0x5E));
  l.focusfontcolor = l.activefontcolor;
  l.captionfontname = kCjkFont;
  l.captionfontheight = 12;
  l.captionfontcolor = C(kText);
  l.vscrollbarname = QStringLiteral("vscrollbar");
  l.hscrollbarname = QStringLiteral("hscrollbar");
  l.bothhscrollbarname = QStringLiteral("bothhscrollbar");

  // Combo box: frame normal and hot, then the drop button's four states.
  QImage combo = Sheet(80, 42, kClient);
  QPainter cp(&combo);
  Box(cp, B(0, 0, 40, 22), kWindow, kWindow, kBorder, 2.5);
  Box(cp, B(40, 0, 40, 22), kWindow, kWindow, kAccent, 2.5);
  const QColor fills[] = {kWindow, kAccentSoft, QColor(0xCF, 0xE0, 0xF1), kWindow};
  for (int i = 0; i < 4; ++i) {
    Fill(cp, B(i * 17, 22, 17, 20), kWindow);
    if (i == 1 || i == 2) Box(cp, B(i * 17, 22, 17, 20), fills[i], fills[i], QColor(), 2);
    Triangle(cp, {{i * 17 + 4.5, 30.0}, {i * 17 + 12.5, 30.0}, {i * 17 + 8.5, 34.5}},
             i == 3 ? QColor(0xC5, 0xCC, 0xD3) : kArrow);
  }
  cp.end();
  const int cpic = s.AddPicture(QStringLiteral("combobox.bmp"), combo);
  auto& c = s.Control<TsfDataSkinComboBox>(QStringLiteral("combobox"), "combobox");
  NinePart(c, cpic, B(0, 0, 40, 22), 4, 3);
  c.activeskinrect = B(40, 0, 40, 22);
  c.itemtextrect = TRect(3, 3, 20, 19);
  CjkFont(c, kText);
  c.activefontcolor = C(kText);
  c.focusfontcolor = C(kText);
  c.listboxname = QStringLiteral("listbox");
  c.buttonrect = B(0, 22, 17, 20);
  c.activebuttonrect = B(17, 22, 17, 20);
  c.downbuttonrect = B(34, 22, 17, 20);
  c.unenabledbuttonrect = B(51, 22, 17, 20);
}

void DrawGrid(TSkinWriter& s) {
  QImage img = Sheet(40, 60, kWindow);
  QPainter p(&img);
  QLinearGradient g(0, 0, 0, 20);
  g.setColorAt(0, QColor(0xF8, 0xFA, 0xFC));
  g.setColorAt(1, QColor(0xE6, 0xEB, 0xF0));
  p.fillRect(0, 0, 40, 20, g);
  p.setPen(kSoftBorder);
  p.drawLine(0, 19, 39, 19);
  p.drawLine(39, 0, 39, 19);
  Fill(p, B(0, 20, 40, 20), kAccentSoft);
  Fill(p, B(0, 40, 40, 20), kAccentSoft);
  p.setPen(kAccent);
  p.drawRect(0, 40, 39, 19);
  p.end();
  auto& grid = s.Control<TsfDataSkinGridControl>(QStringLiteral("grid"), "grid");
  grid.pictureindex = s.AddPicture(QStringLiteral("grid.bmp"), img);
  grid.fixedcellrect = B(0, 0, 40, 20);
  grid.selectcellrect = B(0, 20, 40, 20);
  grid.focuscellrect = B(0, 40, 40, 20);
  grid.fixedcellleftoffset = grid.fixedcellrightoffset = 2;
  grid.fixedcelltextrect = TRect(4, 0, 36, 19);
  grid.cellleftoffset = grid.cellrightoffset = 2;
  grid.celltextrect = TRect(4, 0, 36, 20);
  grid.linescolor = C(QColor(0xD5, 0xDB, 0xE1));
  grid.bgcolor = C(kWindow);
  CjkFont(grid, kText);
  grid.selectfontcolor = C(QColor(0x10, 0x38, 0x5E));
  grid.focusfontcolor = grid.selectfontcolor;
  grid.fixedfontname = kCjkFont;
  grid.fixedfontheight = 12;
  grid.fixedfontcolor = C(kText);
  grid.fixedfontstyle = fsBold;
  grid.cellstretcheffect = grid.fixedcellstretcheffect = true;
  grid.showfocus = true;
}

void AddPlainControls(TSkinWriter& s) {
  auto& label = s.Control<TsfDataSkinStdLabelControl>(QStringLiteral("stdlabel"), "stdlabel");
  CjkFont(label, kText);
  label.activefontcolor = C(kAccent);
  auto& bevel = s.Control<TsfDataSkinBevel>(QStringLiteral("bevel"), "bevel");
  bevel.lightcolor = C(kWindow);
  bevel.darkcolor = C(QColor(0xB7, 0xC0, 0xCA));
}

void Build(TSkinWriter& s) {
  s.version.skinname = QStringLiteral("Modern");
  s.version.skinauthor = QStringLiteral("tolmsys");
  s.version.skincomments = QStringLiteral("Default skin of tolmsys, drawn by skingen");
  DrawForm(s);
  AddCaption(s);
  DrawCaptionButtons(s);
  DrawMenus(s);
  DrawPanels(s);
  DrawButtons(s);
  DrawChecks(s);
  DrawEdits(s);
  DrawScrollBars(s);
  DrawLists(s);
  DrawGrid(s);
  AddPlainControls(s);
  TsfSkinColors& c = s.colors;
  c.cbtnface = C(kClient);
  c.cbtntext = C(kText);
  c.cwindow = C(kWindow);
  c.cwindowtext = C(kText);
  c.chighlight = C(kAccent);
  c.chighlighttext = C(kWindow);
  c.cbtnhighlight = C(kWindow);
  c.cbtnshadow = C(QColor(0x8A, 0x96, 0xA3));
}

bool SavePicture(const QString& path, const QImage& img, QString* error) {
  if (TBitmap(img).SaveToFile(path)) return true;
  if (error) *error = QStringLiteral("cannot write %1").arg(path);
  return false;
}
}  // namespace

bool WriteDefaultSkin(const QString& folder, QString* error) {
  if (!QDir().mkpath(folder)) {
    if (error) *error = QStringLiteral("cannot create %1").arg(folder);
    return false;
  }
  const QString dir = folder.endsWith(u'/') ? folder : folder + u'/';
  TSkinWriter s;
  Build(s);
  if (!SavePicture(dir + s.names.picture, s.form, error)) return false;
  if (!SavePicture(dir + s.names.mask, s.mask, error)) return false;
  for (size_t i = 0; i < s.images.size(); ++i)
    if (!SavePicture(dir + s.names.activepictures[int(i)], s.images[i], error)) return false;

  TMemIniFile ini(dir + QStringLiteral("skin.ini"));
  ini.SetBytes(QByteArray());  // a fresh file, whatever was there
  s.version.SaveToIni(ini);
  s.names.SaveToIni(ini);
  s.formInfo.SaveToIni(ini);
  s.popup.SaveToIni(ini);
  s.hint.SaveToIni(ini);
  s.colors.SaveToIni(ini);
  WriteNameList(ini, QStringLiteral("SKINOBJECTS"), QString(), s.objects);
  for (auto& r : s.objectRecords) r->SaveToIni(ini);
  WriteNameList(ini, QStringLiteral("SKINCONTROLS"), QString(), s.controls);
  for (auto& r : s.controlRecords) r->SaveToIni(ini);
  try {
    ini.UpdateFile();
  } catch (const Exception& e) {
    if (error) *error = e.Message();
    return false;
  }
  return true;
}
