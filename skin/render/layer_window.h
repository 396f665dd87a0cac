#pragma once
// Translucent windows above everything (glow frames) and whole-window
// opacity. Both need a compositor: one probe decides, and without one the
// callers behave as on a host without layered windows (nothing is shown,
// opacity stays full).

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <optional>

#include "platform/bitmap.h"
#include "platform/component.h"
#include "skin/render/alpha_bitmap.h"

// Whether the display can show translucent top-level windows: Wayland
// always, X11 when a compositing manager owns its selection, nothing else
// (offscreen, Xvfb without a compositor).
bool LayeredWindowsAvailable();
// Replaces the probe's answer (nullopt: probe again); for tests and for a
// setting that switches the effects off.
void OverrideLayeredWindows(std::optional<bool> available);

// Sets the whole window's constant opacity (0..255); false when the display
// has no layered windows.
bool SetWindowOpacity(QWidget* window, int opacity);

// A frameless tool window that passes mouse input through, never takes the
// focus and shows a picture with per-pixel alpha times a constant opacity.
class TsfLayerWindow : public QWidget {
  Q_OBJECT
 public:
  explicit TsfLayerWindow(bool stayOnTop);
  void SetPicture(const TsfBitmap& picture);
  void SetOpacity(int opacity);
  int Opacity() const { return m_opacity; }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  QImage m_picture;  // premultiplied
  int m_opacity = 0;
};

// Shows `picture` (per-pixel alpha) at (x, y) in a new layer window at
// `opacity`; none without layered windows or with an empty picture. The
// caller closes it with CloseLayerWindow.
TsfLayerWindow* ShowLayerWindow(const TsfBitmap& picture, int x, int y, int opacity,
                                bool stayOnTop);
// Hides and deletes a window shown so and forgets it; nothing for none.
void CloseLayerWindow(QPointer<TsfLayerWindow>& window);

// The fade of a layered window: from 0 to the target in steps of a tenth of
// it (at least 1), one step per tick.
struct TsfFadeSteps {
  int Target = 0;
  int Step = 1;
  int Current = 0;
  void Start(int target);
  // One step; true once the target is reached.
  bool Tick();
};

class TsfLayerManager : public TComponent {
  Q_OBJECT
 public:
  explicit TsfLayerManager(QObject* owner = nullptr);
  ~TsfLayerManager() override;

  bool StayOnTop = true;
  static constexpr int FadeInterval = 25;  // milliseconds

  // Shows `picture` at (x, y) with the alpha taken from `mask` (an empty
  // mask or one of another size leaves it opaque) and fades it in to
  // `opacity`. Does nothing without layered windows.
  void Show(int x, int y, int opacity, const TBitmap& mask, const TBitmap& picture);
  void Hide();

  bool Showing() const { return m_window != nullptr; }
  bool Fading() const { return m_timer.isActive(); }
  int Opacity() const { return m_fade.Current; }
  int Ticks() const { return m_ticks; }
  TsfLayerWindow* Window() const { return m_window; }

 private:
  void Tick();
  QPointer<TsfLayerWindow> m_window;
  QTimer m_timer;
  TsfFadeSteps m_fade;
  int m_ticks = 0;
};
