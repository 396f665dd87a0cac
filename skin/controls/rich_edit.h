#pragma once
// TsfSkinRichEdit: the host rich edit (platform/rich_edit.h) with the skin
// around it. Its own bars are never seen; a vertical and a horizontal
// TsfSkinScrollBar placed beside it can be linked (SetVScrollBar,
// SetHScrollBar) and are kept in step with its scroll state: a bar is
// disabled while the text fits, its thumb scrolls the edit to that pixel line,
// its arrows by a line, its track by a page. A linked bar destroyed first is
// forgotten. With SkinSupport the font and background come from the record.

#include <QPointer>

#include "platform/rich_edit.h"
#include "skin/controls/scroll_bar.h"
#include "skin/controls/skin_changeable.h"
#include "skin/data/skin_data.h"

// A linked bar as edits keep it: not owned, forgotten when destroyed, its
// events taken back when the edit goes first.
class TsfLinkedBar {
 public:
  TsfSkinScrollBar* Get() const { return m_bar.data(); }
  // Links `bar` (or none), releasing the previous one.
  void Set(TsfSkinScrollBar* bar);
  ~TsfLinkedBar() { Set(nullptr); }
  // Keeps the bar in step: enabled with the state, or disabled; the track
  // pages by the page.
  void Show(const TScrollInfo& info);
  void Disable();

 private:
  QPointer<TsfSkinScrollBar> m_bar;
};

// The charset of the skin's replacement texts, or the fallback font's.
int SkinCharset(const TsfSkinData* data, const TFont& fallback);
// Sets a linked bar's alignment again so it takes its place at its edge.
void RealignBar(TsfSkinScrollBar* bar);

class TsfSkinRichEdit : public TCustomRichEdit, public ISkinChangeable {
  Q_OBJECT
 public:
  explicit TsfSkinRichEdit(QWidget* parent = nullptr);

  bool SkinSupport() const { return m_skinSupport; }
  void SetSkinSupport(bool v);
  TsfSkinData* SkinData() const { return m_skinData.data(); }
  void SetSkinData(TsfSkinData* data);
  QString SkinDataName() const { return m_skinDataName; }
  void SetSkinDataName(const QString& v) { m_skinDataName = v; }
  TFont* DefaultFont() { return &m_defaultFont; }
  TColor DefaultColor() const { return m_defaultColor; }
  void SetDefaultColor(TColor v);

  TsfSkinScrollBar* VScrollBar() const { return m_vbar.Get(); }
  void SetVScrollBar(TsfSkinScrollBar* bar);
  TsfSkinScrollBar* HScrollBar() const { return m_hbar.Get(); }
  void SetHScrollBar(TsfSkinScrollBar* bar);

  // Brings the linked bars in step with the edit's scroll state.
  void SyncBars();

  // ISkinChangeable.
  void ForgetSkinRecord() override { m_index = -1; }
  void ApplySkinChange() override;
  TsfSkinData* SkinDataObject() const override { return SkinData(); }

 protected:
  void ScrollStateChanged() override { SyncBars(); }
  void Change() override;
  void EnabledChanged() override;
  void WndProc(TMessage& message) override;

 private:
  void ApplyDefaults();

  bool m_skinSupport = false;
  QPointer<TsfSkinData> m_skinData;
  QString m_skinDataName = QStringLiteral("richedit");
  int m_index = -1;
  TFont m_defaultFont;
  TColor m_defaultColor = clWindow;
  TsfLinkedBar m_vbar, m_hbar;
};
