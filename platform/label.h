#pragma once
// TLabel: the host's plain label, a windowless control that draws its caption
// in its font, aligned and optionally word-wrapped from its top edge, over its parent when
// transparent.

#include "platform/alignment.h"
#include "platform/control.h"

class TLabel : public TGraphicControl {
  Q_OBJECT
 public:
  explicit TLabel(QWidget* parent = nullptr);

  TAlignment Alignment() const { return m_alignment; }
  void SetAlignment(TAlignment a);
  bool WordWrap() const { return m_wordWrap; }
  void SetWordWrap(bool v);
  // On: the label takes the size of its caption whenever caption or font
  // change; between BeginLoading and EndLoading it is measured once, at the end.
  bool AutoSize() const { return m_autoSize; }
  void SetAutoSize(bool v);
  bool Transparent() const { return m_transparent; }
  void SetTransparent(bool v);
  // "&" marks an access key (drawn underlined) unless off.
  bool ShowAccelChar = true;

  // The flags the caption is drawn with.
  unsigned TextFlags() const;

 protected:
  void Paint() override;
  void TextChanged() override;
  void FontChanged() override;
  void Loaded() override;

 private:
  void AdjustBounds();

  TAlignment m_alignment = taLeftJustify;
  bool m_wordWrap = false;
  bool m_autoSize = true;
  bool m_transparent = false;
};
