#include "skin/form/skin_form.h"

#include <QApplication>
#include <QEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <algorithm>
#include <climits>

#include "platform/application.h"
#include "platform/display_watch.h"
#include "platform/exceptions.h"
#include "skin/controls/skin_changeable.h"
#include "skin/controls/skin_control.h"
#include "skin/render/compose.h"
#include "skin/render/effect_bmp.h"
#include "skin/render/glyphs.h"
#include "skin/render/layer_window.h"
#include "skin/render/pixel_copy.h"
#include "skin/render/text_helpers.h"
#include "skin/render/window_helpers.h"

namespace {
TsfFramePoints FormPoints(const TsfFormInfo& f, const TRect& client) {
  return TsfFramePoints{f.lefttoppoint, f.righttoppoint, f.leftbottompoint, f.rightbottompoint,
                        client};
}
TsfFramePoints LaidPoints(const TsfFrameGeometry& g, const TRect& client) {
  return TsfFramePoints{g.LT, g.RT, g.LB, g.RB, client};
}

// The black pixels of a mask part placed at (dx, dy), as one region built in
// a single step: rows with the same runs share one band. A part has a few
// distinct rows (its corners) and long stretches of equal ones, so a window's
// shape is a handful of rectangles instead of one per run and row.
QRegion PartRegion(const TBitmap& part, int dx, int dy) {
  if (part.Empty()) return QRegion();
  const QImage img = sfpix::As32(part.Image());
  const int w = img.width(), h = img.height();
  std::vector<QRect> rects;
  std::vector<std::pair<int, int>> band, row;  // runs [start, end) of the open band and the row
  int bandTop = 0;
  auto flush = [&](int bottom) {
    for (const auto& [x0, x1] : band) rects.emplace_back(x0 + dx, bandTop + dy, x1 - x0, bottom - bandTop);
  };
  for (int y = 0; y < h; ++y) {
    const auto* line = reinterpret_cast<const quint32*>(img.constScanLine(y));
    row.clear();
    for (int x = 0; x < w;) {
      if ((line[x] & 0xFFFFFFu) != 0) {
        ++x;
        continue;
      }
      const int start = x;
      while (x < w && (line[x] & 0xFFFFFFu) == 0) ++x;
      row.emplace_back(start, x);
    }
    if (y > 0 && row == band) continue;
    flush(y);
    band.swap(row);
    bandTop = y;
  }
  flush(h);
  QRegion region;
  if (!rects.empty()) region.setRects(rects.data(), int(rects.size()));
  return region;
}

// Watches the form's shows (until the first a skin keeps the designed client
// size) and the changes of the icon it shows (its own or the application's).
class ShowWatcher : public QObject {
 public:
  ShowWatcher(QObject* parent, std::function<void(bool shown)> onShow,
              std::function<void()> onIcon)
      : QObject(parent), m_onShow(std::move(onShow)), m_onIcon(std::move(onIcon)) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Show) m_onShow(true);
    else if (e->type() == QEvent::Hide) m_onShow(false);
    else if (e->type() == QEvent::WindowIconChange) m_onIcon();
    return false;
  }

 private:
  std::function<void(bool)> m_onShow;
  std::function<void()> m_onIcon;
};
}  // namespace

TsfSkinForm::TsfSkinForm(QObject* owner) : TComponent(owner) {
  m_form = qobject_cast<TForm*>(owner);
  if (!m_form) throw EInvalidOperation(QStringLiteral("Invalid class typecast"));
  for (TFont* f : {&DefCaptionFont, &DefInActiveCaptionFont}) {
    f->SetName(QStringLiteral("Arial"));
    f->SetHeight(14);
    f->SetStyle(fsBold);
  }
  DefCaptionFont.SetColor(clBtnText);
  DefInActiveCaptionFont.SetColor(clBtnShadow);
  DefMenuItemFont.SetName(QStringLiteral("Arial"));
  DefMenuItemFont.SetHeight(14);
  DefMenuItemFont.SetColor(clWindowText);

  m_blendTimer = new TTimer(this);
  m_blendTimer->SetEnabled(false);
  m_blendTimer->SetInterval(25);
  m_blendTimer->OnTimer = [this](TObject*) { BlendTick(); };
  m_animateTimer = new TTimer(this);
  m_animateTimer->SetEnabled(false);
  m_animateTimer->SetInterval(25);
  m_animateTimer->OnTimer = [this](TObject*) { AnimateTick(); };
  m_fadeTimer = new TTimer(this);
  m_fadeTimer->SetEnabled(false);
  m_fadeTimer->SetInterval(5);
  m_fadeTimer->OnTimer = [this](TObject*) { FadeTick(); };
  m_buttonGlow = new TsfLayerManager(this);
  m_menuGlow = new TsfLayerManager(this);
  m_defaultSystemMenu = new TPopupMenu(this);
  m_skinMenu = new TsfSkinMenu(this);
  m_skinMenu->HostWindow = m_form;
  m_hook = new TsfMenuModeHook(this);
  m_hook->OnKey = [this](WORD key) { MenuKeyDown(key); };
  m_hook->OnOutside = [this] {
    m_menuClosedByPress = true;
    if (m_skinMenu->IsShowing()) m_skinMenu->CloseAll();
    else EndMenu();
  };
  m_hook->IsMenuWindow = [this](const QWidget* w) { return m_skinMenu->IsPopupWindow(w); };
  m_altSpace = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), m_form);
  m_altSpace->setContext(Qt::WindowShortcut);
  connect(m_altSpace, &QShortcut::activated, this, [this] { ShowSystemMenuFromKeyboard(); });
  m_form->installEventFilter(new ShowWatcher(
      this,
      [this](bool shown) {
        if (shown) FormShown();
        else HideGlowLayers();
      },
      [this] {
        // The system-menu button shows the icon.
        if (m_showIcon && HasBorder()) RepaintObject(FindButton(3));
      }));

  m_keepClient = m_form->ClientArea()->size();
  m_formCursor = m_form->cursor().shape();
  m_previousWindowProc = m_form->WindowProc;
  m_form->WindowProc = [this](TMessage& m) { SkinWindowProc(m); };
  m_form->SetCustomFrame(true);
  m_windowActive = m_form->isActiveWindow();
  ApplySkinData();
}

TsfSkinForm::~TsfSkinForm() {
  m_hook->Remove();
  m_blendTimer->SetEnabled(false);
  m_animateTimer->SetEnabled(false);
  const bool fading = m_fadeTimer->Enabled();
  m_fadeTimer->SetEnabled(false);
  HideGlowLayers();
  m_dragCode = 0;
  m_skinMenu->CloseFrom(0);
  ClearObjects();
  // The shortcut belongs to the form: it must not outlive the skinner there.
  delete m_altSpace.data();
  // Whatever the order of destruction, a form already gone (or in its base
  // destructor) is left alone; a living one gets its procedure and its own
  // frame back, without show or hide events.
  if (!m_form) return;
  m_form->WindowProc = m_previousWindowProc;
  if (m_form->Destroying()) return;
  m_form->clearMask();
  m_form->SetCustomFrame(false);
  // A fade cut short would leave the window faint (or invisible) for good.
  if (fading) SetWindowOpacity(m_form, m_fadeTarget);
}

// The first show places the form on its monitor as PositionInMonitor asks:
// centred on the whole monitor or on its work area.
void TsfSkinForm::FormShown() {
  m_shownOnce = true;
  StartFadeIn();
  if (!m_firstShowPending) return;
  if (PositionInMonitor == sfpDefault) {
    m_firstShowPending = false;
    return;
  }
  if (m_windowState != wsNormal) return;
  m_firstShowPending = false;
  QScreen* screen = QGuiApplication::screenAt(m_form->geometry().center());
  if (!screen) screen = m_form->screen();
  if (!screen) return;
  const QRect a = PositionInMonitor == sfpScreenCenter ? screen->geometry() : screen->availableGeometry();
  m_form->move(MonitorCentre(TRect::fromQRect(a), m_form->width(), m_form->height()));
}

// ---- properties ---------------------------------------------------------------

void TsfSkinForm::SetSkinData(TsfSkinData* v) {
  if (m_skinData) disconnect(m_skinData, &QObject::destroyed, this, nullptr);
  m_skinData = v;
  if (v) {
    if (v->SkinnableForm() != m_skinnable) {
      m_skinnable = v->SkinnableForm();
      m_form->SetCustomFrame(m_skinnable);
      if (!m_skinnable) m_form->clearMask();
    }
    connect(v, &QObject::destroyed, this, [this] { SkinDataDestroyed(); });
  }
  ApplySkinData();
}

// Skin data destroyed under a shown window: the default frame from now on,
// never a frame painted from freed pictures.
void TsfSkinForm::SkinDataDestroyed() {
  m_skinData = nullptr;
  m_skinSupport = false;
  m_paintingSuspended = false;
  m_blendTimer->SetEnabled(false);
  m_animateTimer->SetEnabled(false);
  HideGlowLayers();
  ClearObjects();
  if (m_form && !m_form->Destroying()) ApplySkinData();
}

void TsfSkinForm::SetBorderIcons(TsfBorderIcons v) {
  m_borderIcons = v;
  ApplyBorderIcons();
  ArrangeObjects();
  RepaintFrame();
}

void TsfSkinForm::SetShowIcon(bool v) {
  if (v == m_showIcon) return;
  m_showIcon = v;
  ArrangeObjects();
  RepaintFrame();
}

TsfSkinData* TsfSkinForm::MenusSkin() const {
  if (MenusSkinData) return MenusSkinData;
  return m_skinData;
}

bool TsfSkinForm::CanResize() const {
  using B = TFormBorderStyle;
  return AlwaysResize || m_form->BorderStyle == B::bsSizeable ||
         m_form->BorderStyle == B::bsSizeToolWin;
}

bool TsfSkinForm::ToolWindow() const {
  using B = TFormBorderStyle;
  return m_form->BorderStyle == B::bsToolWindow || m_form->BorderStyle == B::bsSizeToolWin;
}

bool TsfSkinForm::HasBorder() const { return m_form->BorderStyle != TFormBorderStyle::bsNone; }

bool TsfSkinForm::IsFormActive() const { return m_windowActive; }

TsfSkinCaptionObject* TsfSkinForm::Caption() const {
  for (const auto& o : m_objects)
    if (auto* c = dynamic_cast<TsfSkinCaptionObject*>(o.get())) return c;
  return nullptr;
}

bool TsfSkinForm::HasObject(const TsfActiveSkinObject* object) const {
  for (const auto& o : m_objects)
    if (o.get() == object) return true;
  return false;
}

TsfActiveSkinObject* TsfSkinForm::FindObject(const QString& idName) const {
  for (const auto& o : m_objects)
    if (o->IDName == idName) return o.get();
  return nullptr;
}

TsfSkinStdButtonObject* TsfSkinForm::FindButton(int command) const {
  for (const auto& o : m_objects)
    if (auto* b = dynamic_cast<TsfSkinStdButtonObject*>(o.get()))
      if (b->Command == command) return b;
  return nullptr;
}

// ---- size limits ----------------------------------------------------------------

TRect TsfSkinForm::WorkArea(bool work) const {
  TRect r;
  GetWorkArea(m_form, work, r);
  return r;
}

int TsfSkinForm::GetMinWidth() const {
  if (!m_skinSupport) return MinWidth > 0 ? MinWidth : 120;
  const int picW = m_skinData->MainPicture.Width();
  const bool minimized = m_windowState == wsMinimized;
  const int formMin = m_skinData->FormInfo.formminwidth;
  if (picW < MinWidth && !minimized) return MinWidth;
  if (formMin > 0) return formMin >= MinWidth || minimized ? formMin : MinWidth;
  return picW;
}

int TsfSkinForm::GetMinHeight() const {
  const int frame = m_skinSupport ? std::max(0, m_skinData->MainPicture.Height() -
                                                   m_skinData->FormInfo.clientrect.Height())
                                  : DefaultCaptionHeight(ToolWindow()) + 6;
  if (frame >= MinHeight || m_rollUp || m_windowState == wsMinimized) return frame;
  return MinHeight;
}

int TsfSkinForm::GetMaxWidth() const {
  return MaxWidth ? MaxWidth : WorkArea(!MaximizeOnFullScreen).Width();
}

int TsfSkinForm::GetMaxHeight() const {
  return MaxHeight ? MaxHeight : WorkArea(!MaximizeOnFullScreen).Height();
}

// ---- geometry ---------------------------------------------------------------------

TsfNonClient TsfSkinForm::NonClient() const {
  if (!HasBorder()) return TsfNonClient{};
  if (m_skinSupport)
    return SkinNonClient(m_skinData->FormInfo, m_skinData->MainPicture.Width(),
                         m_skinData->MainPicture.Height());
  return DefaultNonClient(ToolWindow());
}

void TsfSkinForm::CalcGeometry() {
  m_frameWidth = m_form->width();
  m_frameHeight = m_form->height();
  if (m_skinSupport)
    m_geometry = CalcFrameGeometry(m_skinData->FormInfo, m_skinData->MainPicture.Width(),
                                   m_skinData->MainPicture.Height(), m_frameWidth, m_frameHeight);
}

void TsfSkinForm::PlaceClient() {
  const int W = m_form->width(), H = m_form->height();
  TRect r(0, 0, W, H);
  if (m_skinnable && HasBorder()) {
    if (m_skinSupport) {
      r = m_geometry.ClientRect;
    } else {
      const TsfNonClient nc = DefaultNonClient(ToolWindow());
      r = TRect(nc.Left, nc.Top, W - nc.Right, H - nc.Bottom);
    }
  }
  // The client stays inside the window whatever the skin's rects say.
  r.Left = std::clamp(r.Left, 0, W);
  r.Top = std::clamp(r.Top, 0, H);
  r.Right = std::clamp(r.Right, r.Left, W);
  r.Bottom = std::clamp(r.Bottom, r.Top, H);
  m_form->SetClientBounds(r);
}

void TsfSkinForm::ArrangeObjects() {
  const int W = m_form->width();
  std::vector<TsfButtonSlot> places;
  std::vector<TsfActiveSkinObject*> buttons;
  for (const auto& o : m_objects)
    if (o->ButtonCommand() >= 0 && o->SkinRectInAPicture) {
      TsfButtonSlot s;
      s.Command = o->ButtonCommand();
      s.Visible = o->Visible;
      s.Width = o->SkinRect.Width();
      s.Height = o->SkinRect.Height();
      if (s.Command == 3 && m_showIcon) s.Width = s.Height = SmallIconSize();
      s.Rect = o->ObjectRect;
      places.push_back(s);
      buttons.push_back(o.get());
    }
  if (!m_skinSupport) {
    m_defaultCaption =
        ArrangeDefaultButtons(places, W, ToolWindow(), m_showIcon ? SmallIconSize() : 0);
  } else {
    const TsfFormInfo& f = m_skinData->FormInfo;
    const int picW = m_skinData->MainPicture.Width(), picH = m_skinData->MainPicture.Height();
    for (const auto& o : m_objects)
      if (!o->SkinRectInAPicture)
        o->ObjectRect = MapObjectRect(o->SkinRect, f, picW, picH, W - picW, m_form->height() - picH);
    TsfSkinCaptionObject* caption = Caption();
    TRect captionRect = caption ? caption->ObjectRect : TRect();
    ArrangeButtons(places, m_geometry, caption ? &captionRect : nullptr);
    if (caption) caption->ObjectRect = captionRect;
    ArrangeQuickButtons(captionRect);
  }
  for (size_t i = 0; i < places.size(); ++i) buttons[i]->ObjectRect = places[i].Rect;
}

int TsfSkinForm::HitTest(int x, int y) const {
  TsfHitState s;
  s.W = m_form->width();
  s.H = m_form->height();
  s.Skin = m_skinSupport;
  s.ToolWindow = ToolWindow();
  s.RolledUp = m_rollUp;
  s.Minimized = m_windowState == wsMinimized;
  s.Maximized = m_windowState == wsMaximized;
  s.CanResize = CanResize();
  s.ObjectActive = m_hotObject >= 0;
  s.InSizeMove = m_dragCode != 0;
  if (m_skinSupport) {
    s.G = m_geometry;
    s.BorderWidth = m_skinData->FormInfo.borderwidth;
    if (TsfSkinCaptionObject* c = Caption()) {
      s.Caption = c->ObjectRect;
      s.Caption.Left = std::min(s.Caption.Right, s.Caption.Left + QuickButtonsWidth());
    }
    if (m_hasMask) s.Mask = &m_maskParts;
    return SkinHitTest(s, x, y);
  }
  s.Caption = m_defaultCaption;
  return DefaultHitTest(s, x, y);
}

// ---- objects -------------------------------------------------------------------------

void TsfSkinForm::ClearObjects() {
  ++m_objectGeneration;
  m_objects.clear();
  m_hotObject = m_previousHotObject = m_capturingObject = -1;
  m_menuButton = m_lastMenuButton = nullptr;
}

void TsfSkinForm::CreateSkinObjects() {
  ClearObjects();
  for (const auto& r : m_skinData->ObjectRecords) {
    TsfDataSkinObject* rec = r.get();
    if (dynamic_cast<TsfDataSkinMenuItem*>(rec) || dynamic_cast<TsfDataSkinMainMenuItem*>(rec) ||
        dynamic_cast<TsfDataSkinMainMenuBarButton*>(rec))
      continue;
    if (auto* sb = dynamic_cast<TsfDataSkinStdButton*>(rec))
      m_objects.push_back(std::make_unique<TsfSkinStdButtonObject>(this, sb, int(sb->command),
                                                                   sb->SectionName));
    else if (auto* b = dynamic_cast<TsfDataSkinButton*>(rec))
      m_objects.push_back(std::make_unique<TsfSkinButtonObject>(this, b));
    else if (auto* c = dynamic_cast<TsfDataSkinCaption*>(rec))
      m_objects.push_back(std::make_unique<TsfSkinCaptionObject>(this, c));
    else if (auto* a = dynamic_cast<TsfDataSkinAnimate*>(rec))
      m_objects.push_back(std::make_unique<TsfSkinAnimateObject>(this, a));
    else if (auto* u = dynamic_cast<TsfDataUserObject*>(rec))
      m_objects.push_back(std::make_unique<TsfUserObject>(this, u));
  }
}

void TsfSkinForm::CreateDefaultButtons() {
  ClearObjects();
  const struct {
    int command;
    const char* name;
  } buttons[] = {{0, "closebutton"}, {1, "maxbutton"},     {2, "minbutton"},
                 {5, "rollupbutton"}, {3, "sysmenubutton"}, {6, "traybutton"}};
  for (const auto& b : buttons)
    m_objects.push_back(std::make_unique<TsfSkinStdButtonObject>(this, nullptr, b.command,
                                                                 QLatin1String(b.name)));
}

void TsfSkinForm::ApplyBorderIcons() {
  for (const auto& o : m_objects) {
    const int command = o->ButtonCommand();
    if (command < 0) continue;
    auto* animated = dynamic_cast<TsfSkinAnimateObject*>(o.get());
    if (HideCaptionButtons) {
      o->Enabled = false;
      if (o->SkinRectInAPicture) o->Visible = false;
      continue;
    }
    if (animated && !animated->ButtonStyle) continue;
    bool enabled = o->Enabled;
    switch (command) {
      case 1: enabled = m_borderIcons & biMaximize; break;
      case 2: enabled = m_borderIcons & biMinimize; break;
      case 3: enabled = (m_borderIcons & biSystemMenu) && !DisableSystemMenu; break;
      case 5: enabled = m_borderIcons & biRollUp; break;
      case 6: enabled = m_borderIcons & biMinimizeToTray; break;
      case 4: {
        // A custom button shows only when the window asks for it.
        bool visible = false;
        if (OnActivateCustomObject) OnActivateCustomObject(o->IDName, visible);
        o->Visible = visible;
        continue;
      }
      default: continue;  // close: unchanged
    }
    o->Enabled = enabled;
    o->Visible = enabled || !o->SkinRectInAPicture;
  }
  ApplyObjectHints();
}

void TsfSkinForm::ApplyObjectHints() {
  if (!UseDefaultObjectHint || !m_skinData) return;
  auto text = [this](const char* key, const char* builtIn) {
    if (TsfResourceStrData* r = m_skinData->ResourceStrData()) {
      const QString s = r->GetResString(QLatin1String(key));
      if (!s.isEmpty()) return s;
    }
    return QString::fromLatin1(builtIn);
  };
  static const struct {
    int command;
    const char *key, *builtIn;
  } hints[] = {{0, "CLOSEBUTTON_HINT", "Close"},       {1, "MAXBUTTON_HINT", "Maximize"},
               {2, "MINBUTTON_HINT", "Minimize"},      {3, "MENUBUTTON_HINT", "System menu"},
               {5, "ROLLUPBUTTON_HINT", "Roll Up"},    {6, "TRAYBUTTON_HINT", "Minimize to Tray"}};
  const QString restore = text("RESTORE_HINT", "Restore");
  for (const auto& o : m_objects) {
    QString *saved = nullptr, *restoreHint = nullptr;
    if (auto* b = dynamic_cast<TsfSkinStdButtonObject*>(o.get())) {
      saved = &b->SavedHint;
      restoreHint = &b->RestoreHint;
    } else if (auto* a = dynamic_cast<TsfSkinAnimateObject*>(o.get())) {
      saved = &a->SavedHint;
      restoreHint = &a->RestoreHint;
    } else {
      continue;
    }
    for (const auto& h : hints)
      if (h.command == o->ButtonCommand()) {
        o->Hint = *saved = text(h.key, h.builtIn);
        *restoreHint = restore;
      }
  }
}

bool TsfSkinForm::TestActiveObject(int x, int y, bool inFrame) {
  if (m_objects.empty() || !HasBorder() || m_dragCode) return true;
  m_previousHotObject = m_hotObject;
  int winner = -1;
  // Buttons before the caption: a caption whose rect runs under the buttons
  // (a skin may list it first) must not hide them.
  for (int pass = 0; pass < 2 && winner < 0 && inFrame && IsFormActive(); ++pass) {
    for (int i = 0; i < int(m_objects.size()); ++i) {
      TsfActiveSkinObject* o = m_objects[size_t(i)].get();
      if (o->IsCaption() != (pass == 1)) continue;
      if (o->Enabled && o->Visible && o->ObjectRect.Contains(TPoint(x, y)) &&
          o->AcceptsPoint(x - o->ObjectRect.Left, y - o->ObjectRect.Top)) {
        winner = i;
        break;
      }
    }
  }
  if (m_capturingObject >= 0 && winner != m_capturingObject) winner = -1;
  // Activation resets a button's hover without events (its handlers must not
  // run inside the platform's activation): the next move or press over it
  // leaves and enters it again, so its click counts and its enter and leave
  // events still come in pairs.
  const bool reenter = winner >= 0 && winner == m_hotObject && !m_objects[size_t(winner)]->MouseIn;
  if (winner == m_hotObject && !reenter) return true;
  const int old = m_hotObject;
  m_hotObject = winner;
  QPointer<TsfSkinForm> self(this);
  const unsigned generation = m_objectGeneration;
  auto intact = [&] { return self && m_objectGeneration == generation; };
  if (old >= 0 && old < int(m_objects.size())) {
    TsfActiveSkinObject* o = m_objects[size_t(old)].get();
    // The leave event's handler may reload the skin or destroy the window.
    if (o->Enabled && o->Visible) o->MouseLeave();
    if (!intact()) return false;
  }
  if (winner >= 0) m_objects[size_t(winner)]->MouseEnter();
  return intact();
}

void TsfSkinForm::BlendTick() {
  bool moved = false;
  for (const auto& o : m_objects) moved = o->MorphStep() || moved;
  if (!moved) m_blendTimer->SetEnabled(false);
}

void TsfSkinForm::RepaintFrame() {
  const QRect all(0, 0, m_form->width(), m_form->height());
  m_form->update(QRegion(all) - QRegion(m_form->ClientBounds().toQRect()));
}

void TsfSkinForm::RepaintObject(TsfActiveSkinObject* object) {
  if (object) m_form->update(object->ObjectRect.toQRect());
}

void TsfSkinForm::UpdateActiveState(bool animate) {
  const bool active = IsFormActive();
  if (TsfSkinCaptionObject* c = Caption(); c && c->Active != active) {
    c->Active = active;
    if (animate) {
      if (c->StartAnimation(active)) StartAnimation();
      RepaintFrame();
      if (c->Morphing && m_skinData && m_skinData->EnableSkinEffects) m_blendTimer->SetEnabled(true);
    } else {
      c->MorphFactor = active ? 1.0 : 0.0;
    }
  }
  if (active) {
    if (OnActivate) OnActivate(this);
  } else if (OnDeActivate) {
    OnDeActivate(this);
  }
}

void TsfSkinForm::StartAnimation() { m_animateTimer->SetEnabled(true); }

void TsfSkinForm::AnimateTick() {
  bool moved = false;
  for (size_t i = 0; i < m_objects.size(); ++i) moved = m_objects[i]->AnimateStep() || moved;
  if (!moved) m_animateTimer->SetEnabled(false);
}

void TsfSkinForm::HideGlowLayers() {
  m_buttonGlow->Hide();
  m_menuGlow->Hide();
}

// ---- fade-in ------------------------------------------------------------------------------

// On show the window fades in from transparent when it asks for it (or the
// skin asks it of every window), one step per timer tick; only where the
// display shows translucent windows.
void TsfSkinForm::StartFadeIn() {
  const bool all = m_skinData && m_skinData->AnimationForAllWindows;
  if (!LayeredWindowsAvailable() || !(AlphaBlend || AlphaBlendAnimation || all)) return;
  if (all && AlphaBlendValue == 0) AlphaBlendValue = 255;
  m_fadeAnimated = AlphaBlendAnimation || all;
  m_fadeTarget = m_fadeAnimated && !AlphaBlend ? 255 : std::clamp(AlphaBlendValue, 0, 255);
  m_fadeStep = std::max(1, m_fadeTarget / 15);
  m_fadeOpacity = 0;
  SetWindowOpacity(m_form, 0);
  m_fadeTimer->SetEnabled(true);
}

void TsfSkinForm::FadeTick() {
  m_fadeOpacity = m_fadeAnimated ? std::min(m_fadeTarget, m_fadeOpacity + m_fadeStep) : m_fadeTarget;
  SetWindowOpacity(m_form, m_fadeOpacity);
  if (m_fadeOpacity >= m_fadeTarget) m_fadeTimer->SetEnabled(false);
}

// ---- skin -------------------------------------------------------------------------------

void TsfSkinForm::ApplySkinData() {
  m_hotObject = m_previousHotObject = m_capturingObject = -1;
  const bool keepClient = !m_shownOnce;
  const QSize client = m_keepClient.isValid() ? m_keepClient : m_form->ClientArea()->size();
  m_keepClient = QSize();
  m_skinSupport = m_skinData && !m_skinData->IsEmpty && !m_skinData->MainPicture.Empty();
  HideGlowLayers();
  if (m_skinSupport && m_skinnable) CreateSkinObjects();
  else if (m_skinnable) CreateDefaultButtons();
  else ClearObjects();
  ApplyBorderIcons();
  int W = m_form->width(), H = m_form->height();
  if (keepClient && m_skinnable && HasBorder()) {
    // Until the window shows, it is sized around its designed client area.
    const TsfNonClient nc = NonClient();
    W = client.width() + nc.Left + nc.Right;
    H = client.height() + nc.Top + nc.Bottom;
  }
  W = std::max(W, GetMinWidth());
  H = std::max(H, GetMinHeight());
  if (m_rollUp) H = GetMinHeight();
  if (QSize(W, H) != m_form->size()) m_form->resize(W, H);
  CalcGeometry();
  ArrangeObjects();
  PlaceClient();
  UpdateFormRegion();
  m_form->update();
  UpdateActiveState();
  if (OnChangeSkinData) OnChangeSkinData(this);
  if (!m_rollUp && (ClientWidth > 0 || ClientHeight > 0))
    m_form->SetClientSize(ClientWidth > 0 ? ClientWidth : m_form->ClientWidth(),
                          ClientHeight > 0 ? ClientHeight : m_form->ClientHeight());
}

void TsfSkinForm::RelaySkinChange(TsfSkinData* skinData, bool before) {
  ForEachSkinnedControl(m_form, [&](ISkinChangeable& c) {
    if (skinData && c.SkinDataObject() != skinData) return;
    if (before) c.ForgetSkinRecord();
    else c.ApplySkinChange();
  });
}

void TsfSkinForm::ForceFrameRecalc() {
  CalcGeometry();
  ArrangeObjects();
  PlaceClient();
  UpdateFormRegion();
  RepaintFrame();
}

void TsfSkinForm::UpdateFrame() {
  if (!m_skinSupport) return;
  if (m_skinnable) {
    CalcGeometry();
    ArrangeObjects();
  }
  UpdateFormRegion();
  RepaintFrame();
  if (m_skinData->FormInfo.stretcheffect) {
    m_form->update();
    for (TWinControl* child : m_form->findChildren<TWinControl*>())
      if (child != m_form->ClientArea()) child->Perform(WM_SKINCTRL_PARENTBGCHANGED);
  }
}

void TsfSkinForm::UpdateFormRegion() {
  const int W = m_form->width();
  m_hasMask = false;
  m_region = QRegion();
  if (!m_skinnable || !HasBorder()) {
    m_form->clearMask();
    return;
  }
  if (!m_skinSupport || m_skinData->MainMask.Empty()) {
    // The whole rectangle: the same shape as no region, which costs nothing
    // to keep up while the window is sized.
    m_maskParts = TsfMaskBorders();
    if (!m_form->mask().isEmpty()) m_form->clearMask();
    return;
  }
  const TsfFormInfo& f = m_skinData->FormInfo;
  ComposeMaskBorders(m_maskParts, FormPoints(f, f.maskrectarea),
                     LaidPoints(m_geometry, m_geometry.MaskArea), W, m_skinData->MainMask);
  m_hasMask = true;
  const TRect& a = m_geometry.MaskArea;
  QRegion region;
  if (!a.IsEmpty()) region = QRegion(a.toQRect());
  region += PartRegion(m_maskParts.Top, 0, 0);
  region += PartRegion(m_maskParts.Bottom, 0, a.Bottom);
  region += PartRegion(m_maskParts.Left, 0, a.Top);
  region += PartRegion(m_maskParts.Right, a.Right, a.Top);
  m_region = region & QRect(0, 0, W, m_form->height());
  m_form->setMask(m_region);
}

// ---- painting ----------------------------------------------------------------------------

void TsfSkinForm::PaintFrame(TCanvas* canvas) {
  if (!m_skinnable || !HasBorder()) return;
  if (m_skinSupport) PaintSkinFrame(canvas);
  else if (!m_paintingSuspended && !(m_skinData && m_skinData->IsChanging)) PaintDefaultFrame(canvas);
}

void TsfSkinForm::PaintSkinFrame(TCanvas* canvas) {
  const int W = m_form->width(), H = m_form->height();
  if (W < GetMinWidth() || H < GetMinHeight()) return;
  CalcGeometry();
  ArrangeObjects();
  const TsfSkinData& sd = *m_skinData;
  const TsfFormInfo& f = sd.FormInfo;
  const bool active = IsFormActive();
  const TBitmap& source =
      active || sd.MainInactivePicture.Empty() ? sd.MainPicture : sd.MainInactivePicture;
  TsfStretchFlags flags;
  flags.Left = f.leftstretch;
  flags.Top = f.topstretch;
  flags.Right = f.rightstretch;
  flags.Bottom = f.bottomstretch;
  TsfFrameBorders b;
  ComposeFrameBorders(b, FormPoints(f, f.clientrect), LaidPoints(m_geometry, m_geometry.ClientRect),
                      W, H, TRect(0, 0, source.Width(), source.Height()), source, flags);
  const TRect& cl = m_geometry.ClientRect;
  for (const auto& o : m_objects) {
    if (!o->Visible) continue;
    if (o->ObjectRect.Bottom > cl.Top) {
      if (b.Bottom.Empty()) continue;
      const TRect saved = o->ObjectRect;
      o->ObjectRect = saved.Offset(0, -cl.Bottom);
      o->Draw(b.Bottom.Canvas(), false);
      o->ObjectRect = saved;
    } else if (!b.Top.Empty()) {
      o->Draw(b.Top.Canvas(), false);
    }
  }
  if (!active && f.autorenderinginactiveimage) {
    for (TBitmap* strip : {&b.Top, &b.Left, &b.Right, &b.Bottom}) {
      if (strip->Empty()) continue;
      TsfEffectBmp e(*strip);
      e.ApplyInactiveEffect(int(f.inactiveeffect));
      *strip = e.ToBitmap();
    }
  }
  const int topH = b.Top.Empty() ? 0 : b.Top.Height();
  DrawClipped(canvas, 0, 0, b.Top);
  DrawClipped(canvas, 0, topH, b.Left);
  DrawClipped(canvas, W - b.Right.Width(), topH, b.Right);
  DrawClipped(canvas, 0, H - b.Bottom.Height(), b.Bottom);
}

// Inside a shaped window the painter clips to the window's region, and a
// picture drawn through a clip of several rectangles takes the raster
// engine's slow span path. Drawn once per rectangle of that clip it meets,
// each draw is a plain copy through a one-rectangle clip.
void TsfSkinForm::DrawClipped(TCanvas* canvas, int x, int y, const TBitmap& picture) const {
  if (picture.Empty()) return;
  QRegion clip;
  if (QPainter* p = canvas->Painter(); p && p->paintEngine() && !m_region.isEmpty()) {
    const QTransform t = p->deviceTransform();
    if (t.type() <= QTransform::TxTranslate)
      clip = p->paintEngine()->systemClip().translated(-qRound(t.dx()), -qRound(t.dy()));
  }
  if (clip.rectCount() <= 1) {
    canvas->Draw(x, y, &picture);
    return;
  }
  for (const QRect& r : clip & QRect(x, y, picture.Width(), picture.Height())) {
    canvas->SetClipRect(TRect::fromQRect(r));
    canvas->Draw(x, y, &picture);
    canvas->ResetClip();
  }
}

void TsfSkinForm::PaintDefaultFrame(TCanvas* canvas) {
  const int W = m_form->width(), H = m_form->height();
  const int ch = DefaultCaptionHeight(ToolWindow());
  if (m_objects.empty()) {
    CreateDefaultButtons();
    ApplyBorderIcons();
  }
  ArrangeObjects();
  const bool active = IsFormActive();
  TBitmap cap(std::max(1, W - 6), ch);
  TCanvas* c = cap.Canvas();
  c->Brush.Style = bsSolid;
  c->Brush.Color = clBtnFace;
  c->FillRect(TRect(0, 0, cap.Width(), ch));
  // Caption rect in the bitmap's coordinates.
  const TRect cr = m_defaultCaption.Offset(-3, -3);
  const int lineLeft = cr.Left + 1, lineRight = cr.Right - 4;
  for (int y = 2; y <= ch - 4 && ch - 4 > 1; ++y) {
    c->Pen.Color = (y % 2 == 0) ? clBtnHighlight : clBtnShadow;
    c->MoveTo(lineLeft, y);
    c->LineTo(lineRight, y);
  }
  c->Font.Assign(active ? DefCaptionFont : DefInActiveCaptionFont);
  if (m_skinData && m_skinData->ResourceStrData())
    c->Font.SetCharset(m_skinData->ResourceStrData()->CharSet);
  QString text = m_form->Caption();
  const TRect free(lineLeft, 0, lineRight - 2, ch);
  if (OnCaptionPaint) {
    OnCaptionPaint(c, TRect(cr.Left - 3, 0, cr.Right - 3, ch), active);
  } else if (!text.isEmpty()) {
    EllipsizeText(c, text, std::max(0, free.Width() - 5));
    const int tw = TextWidthWide(c, text), th = TextHeightWide(c, text);
    const int x = free.Left + (free.Width() - 5 - tw) / 2, y = (ch - th) / 2;
    c->Brush.Color = clBtnFace;
    c->FillRect(TRect(x - 2, y - 2, x + tw + 2, y + th + 2));
    c->Brush.Style = bsClear;
    TRect tr(x, y, x + tw, y + th);
    DrawTextWide(c, text, tr, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    c->Brush.Style = bsSolid;
  }
  for (const auto& o : m_objects) {
    if (!o->Visible) continue;
    const TRect saved = o->ObjectRect;
    o->ObjectRect = saved.Offset(-3, -3);
    o->Draw(c, false);
    o->ObjectRect = saved;
  }
  canvas->Draw(3, 3, &cap);
  DrawFrame3D(canvas, TRect(0, 0, W, H), cl3DLight, cl3DDkShadow);
  DrawFrame3D(canvas, TRect(1, 1, W - 1, H - 1), clBtnHighlight, clBtnShadow);
  DrawFrame3D(canvas, TRect(2, 2, W - 2, H - 2), clBtnFace, clBtnFace);
}

void TsfSkinForm::PaintClientBackground(TCanvas* canvas) {
  const TRect client = m_form->ClientRect();
  if (client.IsEmpty()) return;
  canvas->Brush.Style = bsSolid;
  const TBitmap* source = nullptr;
  TRect piece;
  if (m_skinSupport) {
    const TsfFormInfo& f = m_skinData->FormInfo;
    if (f.bgpictureindex >= 0) {
      source = m_skinData->Picture(f.bgpictureindex);
      if (source) piece = TRect(0, 0, source->Width(), source->Height());
    } else if (!IsEmptyArea(f.clientrect)) {
      source = &m_skinData->MainPicture;
      piece = f.clientrect;
    }
  }
  if (!source || IsEmptyArea(piece)) {
    canvas->Brush.Color = clBtnFace;
    canvas->FillRect(client);
  } else {
    const TsfFormInfo& f = m_skinData->FormInfo;
    TBitmap fill;
    ComposeClientFill(piece, client, fill, client.Width(), client.Height(),
                      TRect(0, 0, source->Width(), source->Height()), *source, f.stretcheffect,
                      TsfStretchMode(int(f.stretchtype)));
    canvas->Draw(0, 0, &fill);
  }
  if (!LogoBitMap.Empty()) {
    // Transparent: the colour of the picture's bottom-left pixel is left out.
    LogoBitMap.Transparent = LogoBitMapTransparent;
    LogoBitMap.TransparentColor = LogoBitMap.Pixel(0, LogoBitMap.Height() - 1);
    canvas->Draw(client.Width() / 2 - LogoBitMap.Width() / 2,
                 client.Height() / 2 - LogoBitMap.Height() / 2, &LogoBitMap);
  }
}

// ---- the window procedure ---------------------------------------------------------------

TPoint TsfSkinForm::WindowPoint(intptr_t lparam) const {
  const QPoint p = m_form->mapFromGlobal(QPoint(LParamX(lparam), LParamY(lparam)));
  return TPoint(p.x(), p.y());
}

bool TsfSkinForm::PreFilter(const TMessage& m) {
  switch (m.Msg) {
    case WM_SIZE: case WM_ACTIVATE: case WM_KILLFOCUS: case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN: case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
      break;
    default:
      return false;
  }
  if (m_skinMenu->IsShowing()) {
    m_skinMenu->CloseAll();
    return true;
  }
  if (m_inMenu) EndMenu();
  return false;
}

void TsfSkinForm::SkinWindowProc(TMessage& m) {
  QPointer<TsfSkinForm> self(this);
  auto passOn = [&] {
    if (m_previousWindowProc) m_previousWindowProc(m);
  };
  // One of our own pop-ups taking the activation (some platforms activate
  // every tool window shown) does not deactivate the window showing it.
  // The same for a glow picture's window (hiding it from inside its own
  // activation would destroy a window the platform is still activating).
  QWidget* nowActive = QApplication::activeWindow();
  const bool ownWindow = nowActive && (m_skinMenu->IsPopupWindow(nowActive) ||
                                       nowActive == m_buttonGlow->Window() ||
                                       nowActive == m_menuGlow->Window());
  if (m.Msg == WM_ACTIVATE && !m.WParam && ownWindow) {
    passOn();
    // A glow never takes the activation: the window keeps it.
    if (self && !m_skinMenu->IsPopupWindow(nowActive))
      m_form->activateWindow();
    return;
  }
  if (PreFilter(m)) m_menuClosedByPress = true;
  if (!self) return;
  switch (m.Msg) {
    case WM_SIZE: {
      passOn();
      if (!self) return;
      m_magnet.Clear();
      CalcGeometry();
      PlaceClient();
      if (!m_skinSupport) {
        ArrangeObjects();
        UpdateFormRegion();
        RepaintFrame();
      } else if (m_form->width() >= GetMinWidth() && m_form->height() >= GetMinHeight()) {
        UpdateFrame();
      } else {
        UpdateFormRegion();
      }
      return;
    }
    case WM_ACTIVATE:
      passOn();
      if (!self) return;
      m_windowActive = m.WParam != 0;
      // Qt activates a window after delivering the press that activated it:
      // the object that press went to keeps its state.
      if (m_capturingObject < 0)
        for (const auto& o : m_objects)
          if (!o->IsCaption()) o->ResetHover();
      if (!m_windowActive) {
        TestActiveObject(-1, -1, false);
        if (!self) return;
        HideGlowLayers();
      }
      RepaintFrame();
      UpdateActiveState();
      return;
    case WM_SKINTRAY_RESTORED:
      if (m_form->Tag == kTrayRestoreTag) {
        if (Application && Application->MainForm()) {
          Application->MainForm()->raise();
          Application->MainForm()->activateWindow();
        }
        for (TForm* f : TForm::Forms())
          if (f->isVisible() && (f->windowFlags() & Qt::WindowStaysOnTopHint)) f->raise();
        m_form->Tag = 0;
      }
      return;
    case WM_SKINDATA_RESSTRINGS:
      ApplyObjectHints();
      break;
    case WM_DISPLAYCHANGE:
      DisplayChanged();
      if (self) passOn();
      return;
    case WM_SKINFORM_PAINTBACKGROUND:
    case WM_SKINFORM_PAINTFRAME:
      if (m.Msg == WM_SKINFORM_PAINTFRAME && m.LParam != kFrameQueryTag) break;
      if (m.WParam) PaintFrame(reinterpret_cast<TCanvas*>(m.WParam));
      m.Result = m.Msg == WM_SKINFORM_PAINTFRAME ? kFrameQueryTag : kBackgroundPainted;
      return;
    case CM_TEXTCHANGED:
      passOn();
      if (self && HasBorder()) RepaintFrame();
      return;
    case WM_ERASEBKGND:
      PaintClientBackground(m_form->Canvas());
      m.Result = 1;
      return;
    case WM_NCPAINT:
      PaintFrame(m_form->Canvas());
      return;
    case WM_NCHITTEST: {
      if (!m_skinnable) break;
      const TPoint p = WindowPoint(m.LParam);
      m.Result = HitTest(p.X, p.Y);
      return;
    }
    case WM_NCLBUTTONDOWN: NonClientButtonDown(m, mbLeft); return;
    case WM_NCRBUTTONDOWN: NonClientButtonDown(m, mbRight); return;
    case WM_NCLBUTTONUP: NonClientButtonUp(m, mbLeft); return;
    case WM_NCRBUTTONUP: NonClientButtonUp(m, mbRight); return;
    case WM_NCLBUTTONDBLCLK: NonClientDblClick(m); return;
    case WM_NCMOUSEMOVE: NonClientMouseMove(m); return;
    case WM_MOUSEMOVE:
      if (m_hotObject >= 0 && m_capturingObject < 0) TestActiveObject(-1, -1, true);
      break;
    case CM_MOUSELEAVE:
      if (!m_dragCode && m_capturingObject < 0) TestActiveObject(-1, -1, false);
      break;
    case WM_SKINDATA_BEFORECHANGE: {
      m_paintingSuspended = true;
      m_skinSupport = false;
      m_blendTimer->SetEnabled(false);
      m_animateTimer->SetEnabled(false);
      HideGlowLayers();
      ClearObjects();
      RelaySkinChange(reinterpret_cast<TsfSkinData*>(m.WParam), true);
      if (OnBeforeChangeSkinData) OnBeforeChangeSkinData(this);
      break;
    }
    case WM_SKINDATA_CHANGED: {
      m_paintingSuspended = false;
      auto* sd = reinterpret_cast<TsfSkinData*>(m.WParam);
      if (sd == m_skinData.data()) ApplySkinData();
      RelaySkinChange(sd, false);
      break;
    }
    case WM_SKINDATA_AFTERCHANGE:
      if (OnAfterChangeSkinData) OnAfterChangeSkinData(this);
      break;
    case WM_SKINMENU_CLOSED:
      EndMenu();
      break;
    case WM_SKINDATA_SKINNABLEFORM:
      if (m_skinData && reinterpret_cast<TsfSkinData*>(m.WParam) == m_skinData.data())
        SetSkinnable(m_skinData->SkinnableForm());
      if (!self) return;
      break;
    case WM_SKINFORM_QUERYSKINNABLE:
      // Other skinned components ask whether the frame is ours.
      m.Result = m_skinnable ? kFrameIsSkinned : kFrameIsSystem;
      return;
    default:
      break;
  }
  if (self) passOn();
}

// ---- mouse on the frame -------------------------------------------------------------------

void TsfSkinForm::SetHitCursor(int code) {
  Qt::CursorShape shape = Qt::ArrowCursor;
  switch (code) {
    case HTLEFT: case HTRIGHT: shape = Qt::SizeHorCursor; break;
    case HTTOP: case HTBOTTOM: shape = Qt::SizeVerCursor; break;
    case HTTOPLEFT: case HTBOTTOMRIGHT: shape = Qt::SizeFDiagCursor; break;
    case HTTOPRIGHT: case HTBOTTOMLEFT: shape = Qt::SizeBDiagCursor; break;
    default:
      if (UseFormCursorInNCArea) shape = m_formCursor;
      break;
  }
  if (m_form->cursor().shape() != shape) m_form->setCursor(shape);
}

void TsfSkinForm::NonClientButtonDown(TMessage& m, TMouseButton button) {
  QPointer<TsfSkinForm> self(this);
  const TPoint p = WindowPoint(m.LParam);
  const int code = int(m.WParam);
  // The first click on an inactive window counts.
  if (!m_windowActive) {
    m_form->activateWindow();
    if (!self) return;
    m_windowActive = true;
    RepaintFrame();
    UpdateActiveState();  // OnActivate may destroy the window
    if (!self) return;
  }
  TsfActiveSkinObject* closedMenuButton = m_menuClosedByPress ? m_lastMenuButton : nullptr;
  m_menuClosedByPress = false;
  m_lastMenuButton = nullptr;
  if (!TestActiveObject(p.X, p.Y, true)) closedMenuButton = nullptr;
  if (!self) return;
  if (m_hotObject >= 0) {
    TsfActiveSkinObject* o = m_objects[size_t(m_hotObject)].get();
    // A press on the button whose menu it just closed only closes it.
    if (o == closedMenuButton) return;
    m_capturingObject = m_hotObject;
    const bool caption = o->IsCaption();
    o->MouseDown(button, p.X, p.Y);  // may reload the skin or destroy the window
    if (!self || !caption) return;
  }
  if (button == mbLeft && (code == HTCAPTION || IsSizingCode(code))) {
    m_dragCode = code;
    m_dragStart = QPoint(LParamX(m.LParam), LParamY(m.LParam));
    m_dragBounds = TRect::fromQRect(m_form->geometry());
    m_magnet.Clear();
    m_magnet.Origin = TPoint(m_dragStart.x(), m_dragStart.y());
    HideGlowLayers();
    for (const auto& o : m_objects) o->ResetHover();
    m_hotObject = m_capturingObject = -1;
  } else if (button == mbRight && code == HTCAPTION && !DisableSystemMenu) {
    PopupSystemMenu(LParamX(m.LParam), LParamY(m.LParam));
  }
}

void TsfSkinForm::NonClientMouseMove(TMessage& m) {
  if (m_dragCode) {
    const int dx = LParamX(m.LParam) - m_dragStart.x(), dy = LParamY(m.LParam) - m_dragStart.y();
    if (m_dragCode == HTCAPTION) {
      // A maximised window stays where it is.
      if (m_windowState != wsMaximized) {
        int left = m_dragBounds.Left + dx, top = m_dragBounds.Top + dy;
        if (Magnetic)
          m_magnet.Snap(WorkArea(true), MagneticSize,
                        TPoint(LParamX(m.LParam), LParamY(m.LParam)), left, top,
                        m_form->width(), m_form->height());
        m_form->move(left, top);
      }
    } else {
      SetFormBounds(SizeDragRect(m_dragCode, m_dragBounds, dx, dy, GetMinWidth(), GetMinHeight(),
                                 GetMaxWidth(), GetMaxHeight()));
    }
    return;
  }
  m_menuClosedByPress = false;
  const TPoint p = WindowPoint(m.LParam);
  QPointer<TsfSkinForm> self(this);
  TestActiveObject(p.X, p.Y, true);
  if (!self) return;
  SetHitCursor(int(m.WParam));
  const int target = m_capturingObject >= 0 ? m_capturingObject : m_hotObject;
  if (target >= 0) m_objects[size_t(target)]->MouseMove(p.X, p.Y);
}

void TsfSkinForm::NonClientButtonUp(TMessage& m, TMouseButton button) {
  if (m_dragCode) {
    EndDrag();
    return;
  }
  if (m_capturingObject < 0) return;
  const TPoint p = WindowPoint(m.LParam);
  TsfActiveSkinObject* o = m_objects[size_t(m_capturingObject)].get();
  m_capturingObject = -1;
  o->MouseUp(button, p.X, p.Y);  // may close the window: nothing after it
}

void TsfSkinForm::EndDrag() {
  m_dragCode = 0;
  m_hotObject = m_previousHotObject = m_capturingObject = -1;
  RepaintFrame();
}

void TsfSkinForm::NonClientDblClick(TMessage& m) {
  QPointer<TsfSkinForm> self(this);
  const TPoint p = WindowPoint(m.LParam);
  TestActiveObject(p.X, p.Y, true);
  if (!self) return;
  if (m_hotObject >= 0 && !m_objects[size_t(m_hotObject)]->IsCaption()) {
    TsfActiveSkinObject* o = m_objects[size_t(m_hotObject)].get();
    m_capturingObject = m_hotObject;
    const unsigned generation = m_objectGeneration;
    o->MouseDown(mbLeft, p.X, p.Y);
    if (self && m_objectGeneration == generation) o->DblClick();
    return;
  }
  if (int(m.WParam) == HTCAPTION) CaptionDblClick();
  if (self) m_capturingObject = -1;
}

void TsfSkinForm::CaptionDblClick() {
  const bool canResize = CanResize();
  if (canResize && m_windowState == wsMinimized) SetSkinWindowState(wsNormal);
  else if (canResize && m_windowState != wsMaximized && !m_rollUp && (m_borderIcons & biMaximize))
    SetSkinWindowState(wsMaximized);
  else if (!canResize || m_windowState != wsMaximized || m_rolledUpWhileMaximized)
    SetRollUpState(!m_rollUp);
  else
    SetSkinWindowState(wsNormal);
}

// ---- quick buttons -------------------------------------------------------------------------

int TsfSkinForm::QuickButtonsWidth() const {
  if (!QuickImageList || QuickButtons.empty()) return 0;
  // Never wider than the caption the strip sits on.
  const qint64 all = qint64(QuickButtons.size()) * (QuickImageList->Width() + 8);
  const TsfSkinCaptionObject* c = Caption();
  const qint64 limit = c ? std::max(0, c->ObjectRect.Width()) : qint64(INT_MAX);
  return int(std::clamp<qint64>(all, 0, limit));
}

void TsfSkinForm::ArrangeQuickButtons(const TRect& caption) {
  if (!QuickImageList) return;
  const int w = QuickImageList->Width(), h = QuickImageList->Height();
  const int top = caption.Top + caption.Height() / 2 - h / 2 - 2;
  int x = caption.Left;
  for (TsfQuickButtonItem& q : QuickButtons) {
    // Those past the caption's end are left out: they would cover the
    // caption buttons or lie off the window.
    if (!q.Visible || x + w + 4 > caption.Right) {
      q.Rect = TRect();
      continue;
    }
    q.Rect = TRect(x, top, x + w + 4, top + h + 4);
    x += w + 8;
  }
}

void TsfSkinForm::DrawQuickButtons(TCanvas* canvas, const TRect& caption) {
  if (QuickButtonsWidth() == 0 || !m_skinData) return;
  // The caption may be drawn moved (into the bottom strip): follow it.
  const TsfSkinCaptionObject* c = Caption();
  const int dx = c ? caption.Left - c->ObjectRect.Left : 0;
  const int dy = c ? caption.Top - c->ObjectRect.Top : 0;
  int index = m_skinData->GetControlIndex(QStringLiteral("officequickbutton"));
  if (index < 0) index = m_skinData->GetControlIndex(QStringLiteral("resizetoolbutton"));
  auto* rec = index >= 0 ? dynamic_cast<TsfDataSkinButtonControl*>(
                               m_skinData->ControlRecords[size_t(index)].get())
                         : nullptr;
  const TBitmap* pic = rec ? m_skinData->Picture(rec->pictureindex) : nullptr;
  const int w = QuickImageList->Width(), h = QuickImageList->Height();
  for (const TsfQuickButtonItem& q : QuickButtons) {
    if (!q.Visible || IsEmptyArea(q.Rect)) continue;
    const TRect r = q.Rect.Offset(dx, dy);
    const TRect source = q.Pressed && !IsEmptyArea(rec ? rec->downskinrect : TRect())
                             ? rec->downskinrect
                             : (rec ? rec->activeskinrect : TRect());
    if ((q.Hot || q.Pressed) && pic && !IsEmptyArea(source)) {
      TBitmap square(r.Width(), r.Height());
      ComposeWholeBitmap(square, *pic, source, rec->clientrect, true);
      canvas->Draw(r.Left, r.Top, &square);
    }
    QuickImageList->Draw(canvas, r.Left + (r.Width() - w) / 2, r.Top + (r.Height() - h) / 2,
                         q.ImageIndex, q.Enabled);
  }
}

void TsfSkinForm::QuickButtonHover(int x, int y) {
  bool changed = false;
  for (TsfQuickButtonItem& q : QuickButtons) {
    const bool hot = q.Visible && q.Enabled && q.Rect.Contains(TPoint(x, y));
    if (hot != q.Hot) changed = true;
    q.Hot = hot;
  }
  // The hint of the hot button would show here once skinned hints exist.
  if (changed) RepaintFrame();
}

void TsfSkinForm::QuickButtonPress(int x, int y) {
  QuickButtonHover(x, y);
  for (TsfQuickButtonItem& q : QuickButtons)
    if (q.Hot) {
      q.Pressed = true;
      RepaintFrame();
    }
}

void TsfSkinForm::QuickButtonRelease() {
  int clicked = -1;
  for (size_t i = 0; i < QuickButtons.size(); ++i) {
    TsfQuickButtonItem& q = QuickButtons[i];
    if (q.Pressed && q.Hot) clicked = int(i);
    if (q.Pressed) RepaintFrame();
    q.Pressed = false;
  }
  // A copy runs: the handler may clear the list or destroy the window (and
  // with it the handler's own storage); nothing after it.
  if (clicked < 0) return;
  const TNotifyEvent onClick = QuickButtons[size_t(clicked)].OnClick;
  if (onClick) onClick(this);
}

// ---- skinned or system frame ------------------------------------------------------------------

void TsfSkinForm::SetSkinnable(bool value) {
  if (value == m_skinnable) return;
  QPointer<TsfSkinForm> self(this);
  // A maximised window is restored in the old mode and maximised again in the new.
  const bool maximise = m_skinnable ? m_windowState == wsMaximized : m_form->isMaximized();
  if (maximise) {
    SetSkinWindowState(wsNormal);
    if (!self) return;
  }
  m_dragCode = 0;
  HideGlowLayers();
  m_skinnable = value;
  m_form->SetCustomFrame(value);
  if (!value) m_form->clearMask();
  ApplySkinData();
  if (!self) return;
  RelaySkinChange(m_skinData, false);
  if (maximise) SetSkinWindowState(wsMaximized);
}

// ---- caption button commands ----------------------------------------------------------------

bool TsfSkinForm::CommandAlternateState(int command) const {
  switch (command) {
    case 1: return m_windowState == wsMaximized;
    case 2: return m_windowState == wsMinimized;
    case 5: return m_rollUp;
    default: return false;
  }
}

void TsfSkinForm::ExecuteCommand(int command, TRect place) {
  // The leave event of the button may reload the skin (freeing the button)
  // or destroy the window: the place is a copy, the skinner is checked.
  QPointer<TsfSkinForm> self(this);
  if (command == 0 || command == 1 || command == 2 || command == 6) {
    TestActiveObject(-1, -1, false);
    if (!self) return;
  }
  switch (command) {
    case 0:
      m_form->Close();
      return;
    case 1:
      SetSkinWindowState(m_windowState == wsMaximized ? wsNormal : wsMaximized);
      return;
    case 2:
      if (AlwaysMinimizeToTray) MinimizeToTray();
      else SetSkinWindowState(m_windowState == wsMinimized ? wsNormal : wsMinimized);
      return;
    case 5: {
      // The handler of the roll-up may reload the skin (and free the button)
      // or destroy the window: only the place of the button is kept.
      QPointer<TForm> form = m_form;
      SetRollUpState(!m_rollUp);
      if (form) form->update(place.toQRect());
      return;
    }
    case 6:
      MinimizeToTray();
      return;
    default:
      return;
  }
}

void TsfSkinForm::DropSystemMenu(TsfActiveSkinObject* button) {
  m_menuButton = button;
  RepaintObject(button);
  const QPoint origin = m_form->pos();
  PopupSystemMenu(button->ObjectRect.Left + origin.x(), button->ObjectRect.Bottom + origin.y());
}

void TsfSkinForm::CloseFromSystemMenuButton() {
  m_skinMenu->CloseAll();
  m_form->Close();
}

void TsfSkinForm::DropMenu(TsfActiveSkinObject* button, TMenuItem* menu, bool up) {
  QPointer<TsfSkinForm> self(this);
  HideGlowLayers();
  if (button->MouseIn) button->ShowGlowLayer();
  const QPoint origin = m_form->pos();
  const TRect r = button->ObjectRect.Offset(origin.x(), origin.y());
  m_menuButton = button;
  QPointer<TMenuItem> items(menu);
  BeginMenu();  // OnSkinMenuOpen may destroy the skinner or the menu
  if (!self) return;
  if (items) m_skinMenu->Popup(nullptr, MenusSkin(), up, items, r, 0);
  if (!m_skinMenu->IsShowing()) EndMenu();
}

// ---- window states --------------------------------------------------------------------------

void TsfSkinForm::SetFormBounds(const TRect& r) { m_form->setGeometry(r.toQRect()); }

void TsfSkinForm::SetSkinWindowState(TsfWindowState state) {
  if (!m_skinnable) {
    // The system's frame: the window's own state.
    if (state == wsMinimized) m_form->showMinimized();
    else if (state == wsMaximized) m_form->showMaximized();
    else m_form->showNormal();
    return;
  }
  if (state == m_windowState) return;
  // The state handlers may destroy the skinner or its window.
  QPointer<TsfSkinForm> self(this);
  const bool mainForm = Application && Application->MainForm() == m_form;
  switch (state) {
    case wsMinimized:
      if (!mainForm) m_windowState = state;
      DoMinimize();
      break;
    case wsMaximized:
      m_rolledUpBeforeMaximize = m_rollUp;
      m_windowState = state;
      DoMaximize();
      break;
    case wsNormal: {
      const bool wasMaximized = m_windowState == wsMaximized;
      m_windowState = state;
      if (wasMaximized && m_rollUp && !m_rolledUpBeforeMaximize) SetRollUpState(false);
      if (!self) return;
      m_rolledUpBeforeMaximize = false;
      DoRestore();
      break;
    }
  }
  if (!self) return;
  ArrangeObjects();
  RepaintFrame();
}

void TsfSkinForm::DoMinimize() {
  if (Application && Application->MainForm() == m_form) {
    m_form->showMinimized();
  } else {
    if (IsEmptyArea(m_savedBounds)) m_savedBounds = TRect::fromQRect(m_form->geometry());
    SetFormBounds(CalcMinimizedPosition());
  }
  if (OnMinimize) OnMinimize(this);
}

TRect TsfSkinForm::CalcMinimizedPosition() const {
  const TRect a = WorkArea(true);
  const int w = GetMinWidth(), h = GetMinHeight();
  int x = a.Left, y = a.Bottom - h;
  auto taken = [&](int px, int py) {
    for (TForm* f : TForm::Forms()) {
      if (f == m_form || !f->isVisible() || (Application && Application->MainForm() == f)) continue;
      auto* s = dynamic_cast<TsfSkinForm*>(FindSkinMenuHost(f));
      if (s && s->SkinWindowState() == wsMinimized && f->pos() == QPoint(px, py)) return true;
    }
    return false;
  };
  while (taken(x, y)) {
    x += w;
    if (x + w > a.Right) {
      x = a.Left;
      y -= h;
      // No row above (or, with no height, every row is this one): the first place.
      if (y < a.Top || h <= 0) {
        y = a.Bottom - h;
        break;
      }
    }
  }
  return Bounds(x, y, w, h);
}

TRect TsfSkinForm::MaximizedTarget() const {
  TRect target = MaximizedBounds(WorkArea(true), WorkArea(false), MaximizeOnFullScreen);
  // Not below the minimum size on a work area smaller than it.
  target.Right = target.Left + std::max(target.Width(), GetMinWidth());
  target.Bottom = target.Top + std::max(target.Height(), GetMinHeight());
  // A rolled-up window keeps its caption-only height.
  if (m_rollUp) target.Bottom = target.Top + GetMinHeight();
  return target;
}

void TsfSkinForm::DoMaximize() {
  if (IsEmptyArea(m_savedBounds)) m_savedBounds = TRect::fromQRect(m_form->geometry());
  if (m_rollUp) m_rolledUpWhileMaximized = true;
  SetFormBounds(MaximizedTarget());
  if (OnMaximize) OnMaximize(this);
}

// The displays changed (a screen's size or work area, or the window moved to
// another screen). A maximised window takes the new work area and a minimised
// one its place at the work area's bottom. A window now larger than its
// maximum size shrinks to it and moves onto the work area, so that its
// caption and buttons stay within reach, and so does one left off the work
// area, and so do the bounds it restores to; its frame is laid out again.
void TsfSkinForm::DisplayChanged() {
  // No screen known (the last one went): nothing to fit the window to.
  if (!HasBorder() || IsEmptyArea(WorkArea(true))) return;
  // The size handlers may destroy the skinner or its window.
  QPointer<TsfSkinForm> self(this);
  const bool mainForm = Application && Application->MainForm() == m_form;
  // A rolled-up window unrolls to a height the new work area holds: the
  // maximised height when maximised, else not above its maximum.
  if (m_rollUp && m_skinnable) {
    const int unrolled = m_windowState == wsMaximized
                             ? MaximizedBounds(WorkArea(true), WorkArea(false), MaximizeOnFullScreen).Height()
                             : std::min(m_heightBeforeRollUp, GetMaxHeight());
    m_heightBeforeRollUp = std::max(unrolled, GetMinHeight());
  }
  // The bounds a maximised or minimised window restores to follow the
  // same rule as a normal window's.
  if (!IsEmptyArea(m_savedBounds)) m_savedBounds = FittedToWorkArea(m_savedBounds);
  if (m_skinnable && m_windowState == wsMaximized) {
    SetFormBounds(MaximizedTarget());
    if (self) ForceFrameRecalc();
    return;
  }
  if (m_skinnable && m_windowState == wsMinimized && !mainForm) {
    SetFormBounds(CalcMinimizedPosition());
    return;
  }
  const TRect now = Bounds(m_form->x(), m_form->y(), m_form->width(), m_form->height());
  const TRect fitted = FittedToWorkArea(now);
  if (fitted == now) return;
  if (m_skinnable) SetFormBounds(fitted);
  if (self) ForceFrameRecalc();
}

// `r` as a window may lie on the work area now: no larger than the maximum
// size and, when it was larger or is no longer on the work area (its part
// of the screens went), moved onto it.
TRect TsfSkinForm::FittedToWorkArea(const TRect& r) const {
  const int maxW = GetMaxWidth(), maxH = GetMaxHeight();
  const TRect a = WorkArea(true);
  if (r.Width() <= maxW && r.Height() <= maxH && r.toQRect().intersects(a.toQRect())) return r;
  const int w = std::max(GetMinWidth(), std::min(r.Width(), maxW));
  const int h = std::max(GetMinHeight(), std::min(r.Height(), maxH));
  const int left = std::max(a.Left, std::min(r.Left, a.Right - w));
  const int top = std::max(a.Top, std::min(r.Top, a.Bottom - h));
  return Bounds(left, top, w, h);
}

void TsfSkinForm::DoRestore() {
  m_rolledUpWhileMaximized = false;
  if (m_firstShowPending && !IsEmptyArea(m_savedBounds)) {
    // Restored before it was ever placed: the saved size where the window
    // would have been placed on its first show.
    m_firstShowPending = false;
    TRect r = m_savedBounds;
    if (PositionInMonitor != sfpDefault) {
      const TRect a = WorkArea(PositionInMonitor == sfpDesktopCenter);
      const QPoint at = MonitorCentre(a, r.Width(), r.Height());
      r = Bounds(at.x(), at.y(), r.Width(), r.Height());
    }
    SetFormBounds(r);
  } else if (!IsEmptyArea(m_savedBounds)) {
    SetFormBounds(m_savedBounds);
  }
  m_savedBounds = TRect();
  ForceFrameRecalc();
  if (OnRestore) OnRestore(this);
}

void TsfSkinForm::SetRollUpState(bool value) {
  if (!(m_borderIcons & biRollUp) || value == m_rollUp) return;
  if (m_windowState == wsMinimized) return;
  if (m_windowState == wsMaximized && m_rollUp && !m_rolledUpWhileMaximized) return;
  if (m_windowState == wsMaximized) m_rolledUpWhileMaximized = value;
  m_rollUp = value;
  if (value) {
    m_heightBeforeRollUp = m_form->height();
    m_form->resize(m_form->width(), GetMinHeight());
  } else if (ClientHeight > 0) {
    m_form->SetClientSize(m_form->ClientWidth(), ClientHeight);
  } else {
    m_form->resize(m_form->width(), m_heightBeforeRollUp);
  }
  ArrangeObjects();
  RepaintFrame();
  if (OnChangeRollUpState) OnChangeRollUpState(this);
}

// ---- system menu and menu mode ----------------------------------------------------------------

TMenuItem* TsfSkinForm::BuildSystemMenu() {
  QPointer<TsfSkinForm> self(this);
  auto caption = [this](const char* key, const char* builtIn) {
    if (m_skinData && m_skinData->ResourceStrData()) {
      const QString s = m_skinData->ResourceStrData()->GetResString(QLatin1String(key));
      if (!s.isEmpty()) return s;
    }
    return QString::fromLatin1(builtIn);
  };
  TMenuItem* root = m_defaultSystemMenu->Items();
  // The lines of the last build go with deferred deletion: one of them may be
  // running the command that rebuilds the menu.
  for (TMenuItem* old : root->findChildren<TMenuItem*>(Qt::FindDirectChildrenOnly)) {
    root->Remove(old);
    old->setParent(nullptr);
    old->deleteLater();
  }
  // The default lines in the order of the default menu.
  TMenuItem *minItem = nullptr, *maxItem = nullptr, *restoreItem = nullptr,
            *rollUpItem = nullptr, *trayItem = nullptr;
  if (m_windowState != wsMinimized && (m_borderIcons & biMinimize))
    minItem = NewMenuItem(root, QStringLiteral("SF_MINITEM"), caption("MI_MINCAPTION", "Mi&nimize"),
                          [self](TObject*) {
                            if (!self) return;
                            if (self->AlwaysMinimizeToTray) self->MinimizeToTray();
                            else self->SetSkinWindowState(wsMinimized);
                          });
  if (m_windowState != wsMaximized && (m_borderIcons & biMaximize))
    maxItem = NewMenuItem(root, QStringLiteral("SF_MAXITEM"), caption("MI_MAXCAPTION", "Ma&ximize"),
                          [self](TObject*) { if (self) self->SetSkinWindowState(wsMaximized); });
  if (m_windowState != wsNormal || m_rollUp)
    restoreItem = NewMenuItem(root, QStringLiteral("SF_RESTORE"),
                              caption("MI_RESTORECAPTION", "&Restore"), [self](TObject*) {
                                if (!self) return;
                                if (self->m_rolledUpWhileMaximized ||
                                    (self->m_rollUp && self->m_windowState == wsNormal))
                                  self->SetRollUpState(false);
                                else
                                  self->SetSkinWindowState(wsNormal);
                              });
  if (!m_rollUp && m_windowState != wsMinimized && (m_borderIcons & biRollUp))
    rollUpItem = NewMenuItem(root, QStringLiteral("SF_ROLLUP"), caption("MI_ROLLUPCAPTION", "Ro&llUp"),
                             [self](TObject*) { if (self) self->SetRollUpState(true); });
  if (m_borderIcons & biMinimizeToTray)
    trayItem = NewMenuItem(root, QStringLiteral("SF_MINTOTRAY"),
                           caption("MI_MINTOTRAYCAPTION", "Minimize to &Tray"),
                           [self](TObject*) { if (self) self->MinimizeToTray(); });
  TMenuItem* closeItem =
      NewMenuItem(root, QStringLiteral("SF_CLOSE"), caption("MI_CLOSECAPTION", "&Close"),
                  [self](TObject*) { if (self) self->Form()->Close(); }, QStringLiteral("Alt+F4"));
  std::vector<TMenuItem*> items;
  for (TMenuItem* item : {minItem, maxItem, restoreItem, rollUpItem, trayItem})
    if (item) items.push_back(item);
  if (SystemMenu) {
    TMenuItem* custom = SystemMenu->Items();
    for (int i = custom->Count() - 1; i >= 0; --i) {
      TMenuItem* old = custom->Items(i);
      if (!old->Name().startsWith(QLatin1String("SF_"))) continue;
      custom->Remove(old);
      old->deleteLater();
    }
    if (UseDefaultSysMenu) {
      // At the top in the order minimise, restore, maximise, roll-up, to tray;
      // close at the end.
      int at = 0;
      for (TMenuItem* item : {minItem, restoreItem, maxItem, rollUpItem, trayItem})
        if (item) custom->Insert(at++, item);
      custom->Add(closeItem);
    }
    return custom;
  }
  if (!items.empty()) items.push_back(NewMenuItem(root, QString(), QStringLiteral("-")));
  items.push_back(closeItem);
  for (TMenuItem* item : items) root->Add(item);
  return root;
}

void TsfSkinForm::PopupSystemMenu(int x, int y) {
  QPointer<TsfSkinForm> self(this);
  TMenuItem* items = BuildSystemMenu();
  BeginMenu();  // OnSkinMenuOpen may destroy the skinner
  if (!self) return;
  m_skinMenu->MaxMenuItemsInWindow = MaxMenuItemsInWindow;
  m_skinMenu->UseSkinFont = UseSkinFontInMenu;
  m_skinMenu->AlphaBlend = MenusAlphaBlend;
  m_skinMenu->AlphaBlendAnimation = MenusAlphaBlendAnimation;
  m_skinMenu->AlphaBlendValue = MenusAlphaBlendValue;
  m_skinMenu->PlainItemHeight = DefMenuItemHeight;
  m_skinMenu->PlainItemFont.Assign(DefMenuItemFont);
  m_skinMenu->Popup(nullptr, MenusSkin(), false, items, TRect(x, y, x, y), 0);
  if (!m_skinMenu->IsShowing()) EndMenu();
}

void TsfSkinForm::ShowSystemMenuFromKeyboard() {
  if (m_inMenu) return;
  for (const auto& o : m_objects) {
    if (o->ButtonCommand() != 3 || !o->Enabled || !o->Visible) continue;
    const QPoint origin = m_form->pos();
    PopupSystemMenu(o->ObjectRect.Left + origin.x(), o->ObjectRect.Bottom + origin.y());
    return;
  }
  // No enabled system-menu button: Alt+Space does nothing.
}

void TsfSkinForm::BeginMenu() {
  m_hook->Install();
  if (m_inMenu) return;
  m_inMenu = true;
  if (OnSkinMenuOpen) OnSkinMenuOpen(this);
}

void TsfSkinForm::EndMenu() {
  const bool wasInMenu = m_inMenu;
  m_inMenu = false;
  m_menuGlow->Hide();
  m_hook->Remove();
  if (TsfActiveSkinObject* b = m_menuButton) {
    m_menuButton = nullptr;
    b->MenuClosed();
    m_lastMenuButton = b;
  }
  if (wasInMenu && OnSkinMenuClose) OnSkinMenuClose(this);
}

void TsfSkinForm::MenuKeyDown(WORD key) {
  QPointer<TsfSkinForm> self(this);
  m_skinMenu->HandleKey(key);
  if (self && key == VK_ESCAPE && !m_skinMenu->IsShowing()) EndMenu();
}
