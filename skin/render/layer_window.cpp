#include "skin/render/layer_window.h"

#include <QGuiApplication>
#include <QPainter>

#if defined(TOLMSYS_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace {
std::optional<bool> g_override;

bool ProbeCompositor() {
  const QString platform = QGuiApplication::platformName();
  if (platform.startsWith(QLatin1String("wayland"))) return true;
#if defined(TOLMSYS_HAVE_XCB) && QT_CONFIG(xcb)
  if (platform == QLatin1String("xcb")) {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* conn = x11 ? x11->connection() : nullptr;
    if (!conn) return false;
    // A compositing manager owns the selection _NET_WM_CM_S<screen>.
    int screen = 0;
    const QByteArray display = qgetenv("DISPLAY");
    const int dot = display.lastIndexOf('.');
    if (dot > display.lastIndexOf(':')) screen = display.mid(dot + 1).toInt();
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(conn, xcb_intern_atom(conn, 1, uint16_t(name.size()), name.constData()),
                              nullptr);
    if (!atom) return false;
    bool owned = false;
    if (atom->atom != XCB_ATOM_NONE) {
      xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
          conn, xcb_get_selection_owner(conn, atom->atom), nullptr);
      owned = owner && owner->owner != XCB_NONE;
      free(owner);
    }
    free(atom);
    return owned;
  }
#endif
  return false;
}
}  // namespace

bool LayeredWindowsAvailable() {
  if (g_override) return *g_override;
  static const bool probed = ProbeCompositor();
  return probed;
}

void OverrideLayeredWindows(std::optional<bool> available) { g_override = available; }

bool SetWindowOpacity(QWidget* window, int opacity) {
  if (!window || !LayeredWindowsAvailable()) return false;
  window->setWindowOpacity(std::clamp(opacity, 0, 255) / 255.0);
  return true;
}

// --- the layer window ----------------------------------------------------------

TsfLayerWindow::TsfLayerWindow(bool stayOnTop)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus | Qt::NoDropShadowWindowHint |
                           (stayOnTop ? Qt::WindowStaysOnTopHint : Qt::WindowFlags())) {
  setAttribute(Qt::WA_TranslucentBackground);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
}

void TsfLayerWindow::SetPicture(const TsfBitmap& picture) {
  m_picture = picture.Image().convertToFormat(QImage::Format_ARGB32_Premultiplied);
  resize(m_picture.size());
  update();
}

void TsfLayerWindow::SetOpacity(int opacity) {
  m_opacity = std::clamp(opacity, 0, 255);
  update();
}

void TsfLayerWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(rect(), Qt::transparent);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setOpacity(m_opacity / 255.0);
  p.drawImage(0, 0, m_picture);
}

TsfLayerWindow* ShowLayerWindow(const TsfBitmap& picture, int x, int y, int opacity,
                                bool stayOnTop) {
  if (!LayeredWindowsAvailable() || picture.Empty()) return nullptr;
  auto* window = new TsfLayerWindow(stayOnTop);
  window->SetPicture(picture);
  window->SetOpacity(opacity);
  window->move(x, y);
  window->show();
  return window;
}

void CloseLayerWindow(QPointer<TsfLayerWindow>& window) {
  if (window) {
    window->hide();
    delete window.data();
  }
  window = nullptr;
}

// --- the fade ------------------------------------------------------------------

void TsfFadeSteps::Start(int target) {
  Target = std::clamp(target, 0, 255);
  Step = std::max(1, Target / 10);
  Current = 0;
}

bool TsfFadeSteps::Tick() {
  Current = std::min(Target, Current + Step);
  return Current >= Target;
}

// --- the manager -----------------------------------------------------------------

TsfLayerManager::TsfLayerManager(QObject* owner) : TComponent(owner) {
  m_timer.setInterval(FadeInterval);
  connect(&m_timer, &QTimer::timeout, this, [this] { Tick(); });
}

TsfLayerManager::~TsfLayerManager() { Hide(); }

void TsfLayerManager::Show(int x, int y, int opacity, const TBitmap& mask,
                           const TBitmap& picture) {
  if (!LayeredWindowsAvailable()) return;
  Hide();
  if (picture.Empty()) return;
  TsfBitmap pixels;
  pixels.Assign(picture);
  TsfBitmap alpha;
  alpha.Assign(mask);
  MaskToAlpha(pixels, alpha);
  m_window = ShowLayerWindow(pixels, x, y, 0, StayOnTop);
  m_fade.Start(opacity);
  m_ticks = 0;
  m_timer.start();
}

void TsfLayerManager::Tick() {
  ++m_ticks;
  const bool done = m_fade.Tick();
  if (m_window) m_window->SetOpacity(m_fade.Current);
  if (done || !m_window) m_timer.stop();
}

void TsfLayerManager::Hide() {
  m_timer.stop();
  CloseLayerWindow(m_window);
}
