#include "treelist/tree_list_column.h"

#include <QFontMetrics>
#include <algorithm>

#include "treelist/tree_list.h"

namespace {
// No column or band is wider than this: far beyond any screen, and small
// enough that the widths of thousands of them still add up within an int.
constexpr int kMaxWidth = 1000000;
}  // namespace

TtlTreeListColumn::TtlTreeListColumn(QObject* owner) : TComponent(owner) {
  m_font.OnChange = [this](TFont*) {
    m_assigned |= aFont;
    Changed();
  };
}

TtlTreeListColumn::~TtlTreeListColumn() {
  m_font.OnChange = nullptr;
  if (m_treeList) m_treeList->DetachColumn(this);
}

void TtlTreeListColumn::SetTreeList(TtlCustomTreeList* treeList) {
  if (treeList == m_treeList) return;
  if (m_treeList) m_treeList->DetachColumn(this);
  m_treeList = treeList;
  if (m_treeList) m_treeList->AttachColumn(this);
  TreeListChanged();
}

int TtlTreeListColumn::Index() const {
  if (!m_treeList) return -1;
  for (int i = 0; i < m_treeList->ColumnCount(); ++i)
    if (m_treeList->Columns(i) == this) return i;
  return -1;
}

void TtlTreeListColumn::SetIndex(int index) {
  if (m_treeList) m_treeList->MoveColumn(Index(), index);
}

void TtlTreeListColumn::Changed() {
  if (m_treeList) m_treeList->LayoutChanged();
  if (OnChange) OnChange(this);
}

TAlignment TtlTreeListColumn::Alignment() const {
  return (m_assigned & aAlignment) ? m_alignment : DefaultAlignment();
}
void TtlTreeListColumn::SetAlignment(TAlignment v) {
  m_alignment = v;
  m_assigned |= aAlignment;
  Changed();
}

QString TtlTreeListColumn::Caption() const {
  return (m_assigned & aCaption) ? m_caption : DefaultCaption();
}
void TtlTreeListColumn::SetCaption(const QString& v) {
  m_caption = v;
  m_assigned |= aCaption;
  Changed();
}

bool TtlTreeListColumn::ReadOnly() const {
  if (m_treeList && m_treeList->ReadOnly) return true;
  return (m_assigned & aReadOnly) ? m_readOnly : DefaultReadOnly();
}
void TtlTreeListColumn::SetReadOnly(bool v) {
  m_readOnly = v;
  m_assigned |= aReadOnly;
  Changed();
}

int TtlTreeListColumn::Width() const {
  const int w = (m_assigned & aWidth) ? m_width : DefaultWidth();
  return std::max(w, m_minWidth);
}
void TtlTreeListColumn::SetWidth(int v) {
  v = std::clamp(v, m_minWidth, kMaxWidth);
  // The default width stays a default.
  if (!(m_assigned & aWidth) && v == Width()) return;
  m_width = v;
  m_assigned |= aWidth;
  Changed();
}

void TtlTreeListColumn::SetMinWidth(int v) {
  m_minWidth = std::clamp(v, 0, kMaxWidth);
  Changed();
}

TColor TtlTreeListColumn::Color() const {
  if (m_assigned & aColor) return m_color;
  return m_treeList ? m_treeList->Color() : clWindow;
}
void TtlTreeListColumn::SetColor(TColor v) {
  m_color = v;
  m_assigned |= aColor;
  Changed();
}

const TFont* TtlTreeListColumn::Font() const {
  if (!(m_assigned & aFont) && m_treeList) return m_treeList->TControl::Font();
  return &m_font;
}
TFont* TtlTreeListColumn::Font() {
  if (!(m_assigned & aFont) && m_treeList) {
    // Start the column's own font from the tree list's.
    auto handler = std::move(m_font.OnChange);
    m_font = *m_treeList->TControl::Font();
    m_font.OnChange = std::move(handler);
  }
  return &m_font;
}

int TtlTreeListColumn::MaxLength() const {
  return (m_assigned & aMaxLength) ? m_maxLength : DefaultMaxLength();
}
void TtlTreeListColumn::SetMaxLength(int v) {
  m_maxLength = v;
  m_assigned |= aMaxLength;
  Changed();
}

void TtlTreeListColumn::SetVisible(bool v) {
  if (v == m_visible) return;
  m_visible = v;
  Changed();
}

int TtlTreeListColumn::BandIndex() const {
  const int bands = m_treeList ? m_treeList->Bands()->Count() : 0;
  return std::clamp(m_bandIndex, -1, bands - 1);
}
void TtlTreeListColumn::SetBandIndex(int v) {
  const int bands = m_treeList ? m_treeList->Bands()->Count() : 0;
  m_bandIndex = std::clamp(v, -1, bands - 1);
  Changed();
}

int TtlTreeListColumn::RowIndex() const {
  const int rows = m_treeList ? m_treeList->HeaderPanelRowCount() : 1;
  return std::clamp(m_rowIndex, 0, rows - 1);
}
void TtlTreeListColumn::SetRowIndex(int v) {
  const int rows = m_treeList ? m_treeList->HeaderPanelMaxRowCount : 1;
  m_rowIndex = std::clamp(v, 0, std::max(0, rows - 1));
  Changed();
}

int TtlTreeListColumn::ColIndex() const {
  if (!m_treeList || !m_visible || BandIndex() < 0) return -1;
  int position = 0;
  for (int i = 0; i < m_treeList->ColumnCount(); ++i) {
    const TtlTreeListColumn* c = m_treeList->Columns(i);
    if (c == this) return position;
    if (c->Visible() && c->BandIndex() == BandIndex() && c->RowIndex() == RowIndex()) ++position;
  }
  return -1;
}

void TtlTreeListColumn::SetColIndex(int v) {
  if (!m_treeList || BandIndex() < 0) return;
  std::vector<TtlTreeListColumn*> peers;
  for (int i = 0; i < m_treeList->ColumnCount(); ++i) {
    TtlTreeListColumn* c = m_treeList->Columns(i);
    if (c != this && c->Visible() && c->BandIndex() == BandIndex() && c->RowIndex() == RowIndex())
      peers.push_back(c);
  }
  if (peers.empty()) return;
  const int from = Index();
  if (v < 0) v = 0;
  if (v < static_cast<int>(peers.size())) {
    // Just before the column now at that position.
    int to = peers[v]->Index();
    if (from < to) --to;
    m_treeList->MoveColumn(from, to);
  } else {
    int to = peers.back()->Index();
    if (from > to) ++to;
    m_treeList->MoveColumn(from, to);
  }
}

void TtlTreeListColumn::SetSorted(TtlTreeListColumnSort v) {
  if (v == m_sorted) return;
  m_sorted = v;
  // While loading the value is only stored; the tree list sorts once loaded.
  if (m_treeList && !m_treeList->Loading() && !Loading()) m_treeList->SortByColumn(this);
}

QString TtlTreeListColumn::CellText(TtlTreeListNode* node) const {
  const auto* text = dynamic_cast<const TtlTreeListTextNode*>(node);
  return text ? text->CellText(Index()) : QString();
}

// ---------------------------------------------------------------------------

void TtlDBTreeListColumn::SetFieldName(const QString& v) {
  if (v == m_fieldName) return;
  m_fieldName = v;
  m_field = TreeList() ? TreeList()->FindColumnField(v) : nullptr;
  if (TreeList()) TreeList()->ColumnFieldChanged(this);
  Changed();
}

void TtlDBTreeListColumn::TreeListChanged() {
  m_field = TreeList() && !m_fieldName.isEmpty() ? TreeList()->FindColumnField(m_fieldName) : nullptr;
}

void TtlDBTreeListColumn::SetField(TtlColumnField* field) {
  m_field = field;
  Changed();
}

QString TtlDBTreeListColumn::CellText(TtlTreeListNode* node) const {
  // Without a field the cells stay empty.
  QString text = m_field ? TtlTreeListColumn::CellText(node) : QString();
  if (OnGetText) OnGetText(const_cast<TtlDBTreeListColumn*>(this), node, text);
  return text;
}

TAlignment TtlDBTreeListColumn::DefaultAlignment() const {
  return m_field ? m_field->Alignment() : taLeftJustify;
}

QString TtlDBTreeListColumn::DefaultCaption() const {
  return m_field ? m_field->DisplayName() : m_fieldName;
}

bool TtlDBTreeListColumn::DefaultReadOnly() const { return m_field && m_field->ReadOnly(); }

int TtlDBTreeListColumn::DefaultMaxLength() const { return m_field ? m_field->StringSize() : 0; }

int TtlDBTreeListColumn::DefaultWidth() const {
  int width = 64;
  const QString caption = Caption();
  if (!caption.isEmpty()) {
    const TFont* headerFont = TreeList() ? TreeList()->HeaderFont() : nullptr;
    const QFontMetrics fm(headerFont ? headerFont->ToQFont() : TFont().ToQFont());
    width = fm.horizontalAdvance(caption) + 6;
  }
  if (m_field) {
    const QFontMetrics fm(Font()->ToQFont());
    // Qt fonts report no overhang, so the host formula reduces to this.
    const int overhang = 0;
    const int fieldWidth =
        (fm.horizontalAdvance(QLatin1Char('0')) - overhang) * m_field->DisplayWidth() + overhang + 4;
    width = std::max(width, fieldWidth);
  }
  return width;
}

QString TtlDBTreeListMaskColumn::EditMask() const {
  if (m_editMaskAssigned || !Field()) return m_editMask;
  return Field()->EditMask();
}

// ---------------------------------------------------------------------------

int TtlTreeListBand::Index() const { return m_owner->IndexOf(this); }

void TtlTreeListBand::SetIndex(int index) { m_owner->Move(Index(), index); }

void TtlTreeListBand::SetFixed(TtlGridBandFixed v) {
  if (v == m_fixed) return;
  m_fixed = v;
  if (v != bfNone) {
    // One band fixed to each side: the others lose that fixing.
    for (int i = 0; i < m_owner->Count(); ++i) {
      TtlTreeListBand* b = m_owner->Items(i);
      if (b != this && b->m_fixed == v) b->m_fixed = bfNone;
    }
    m_owner->Move(Index(), v == bfLeft ? 0 : m_owner->Count() - 1);
  }
  m_owner->Changed();
}

void TtlTreeListBand::SetVisible(bool v) {
  if (v == m_visible) return;
  m_visible = v;
  if (!v) m_fixed = bfNone;
  m_owner->Changed();
}

void TtlTreeListBand::SetMinWidth(int v) {
  m_minWidth = std::clamp(v, 0, kMaxWidth);
  m_width = std::max(m_width, m_minWidth);
  m_owner->Changed();
}

void TtlTreeListBand::SetWidth(int v) {
  m_width = std::clamp(v, m_minWidth, kMaxWidth);
  m_owner->Changed();
}

TtlTreeListBand* TtlTreeListBands::Items(int index) const {
  return index >= 0 && index < Count() ? m_items[index].get() : nullptr;
}

TtlTreeListBand* TtlTreeListBands::Add() {
  m_items.push_back(std::make_unique<TtlTreeListBand>(this, m_nextId++));
  Changed();
  return m_items.back().get();
}

void TtlTreeListBands::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  m_items.erase(m_items.begin() + index);
  if (m_treeList) m_treeList->BandDeleted(index);
}

void TtlTreeListBands::Clear() {
  while (Count()) Delete(Count() - 1);
}

TtlTreeListBand* TtlTreeListBands::FindItemID(int id) const {
  for (const auto& b : m_items)
    if (b->ID() == id) return b.get();
  return nullptr;
}

int TtlTreeListBands::IndexOf(const TtlTreeListBand* band) const {
  for (int i = 0; i < Count(); ++i)
    if (m_items[i].get() == band) return i;
  return -1;
}

void TtlTreeListBands::Move(int from, int to) {
  if (from < 0 || from >= Count()) return;
  to = std::clamp(to, 0, Count() - 1);
  if (from == to) return;
  auto item = std::move(m_items[from]);
  m_items.erase(m_items.begin() + from);
  m_items.insert(m_items.begin() + to, std::move(item));
  // Columns keep their band, so their band indexes follow the move.
  if (m_treeList)
    for (int i = 0; i < m_treeList->ColumnCount(); ++i) {
      TtlTreeListColumn* c = m_treeList->Columns(i);
      int& b = c->m_bandIndex;
      if (b == from) b = to;
      else if (from < to && b > from && b <= to) --b;
      else if (from > to && b >= to && b < from) ++b;
    }
  Changed();
}

void TtlTreeListBands::Changed() {
  if (m_treeList) m_treeList->LayoutChanged();
}
