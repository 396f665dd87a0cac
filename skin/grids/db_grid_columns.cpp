#include "skin/grids/db_grid_columns.h"

#include <QFontMetrics>
#include <algorithm>

#include "db/field.h"
#include "platform/exceptions.h"
#include "skin/grids/skin_db_grid.h"

QString TsfColumnTitle::Caption() const {
  if (m_caption) return *m_caption;
  if (TField* f = m_column->Field()) return f->DisplayLabel();
  return m_column->FieldName();
}

TsfColumn::TsfColumn(TsfDBGridColumns* owner) : m_owner(owner), m_title(this) {}

TsfSkinCustomDBGrid* TsfColumn::Grid() const { return m_owner ? m_owner->Grid() : nullptr; }

int TsfColumn::Index() const { return m_owner ? m_owner->IndexOf(this) : -1; }

void TsfColumn::SetFieldName(const QString& name) {
  m_fieldName = name;
  if (m_owner) m_owner->Changed();
}

TField* TsfColumn::Field() const {
  TsfSkinCustomDBGrid* g = Grid();
  if (!g || m_fieldName.isEmpty() || !g->DataLink()->Active()) return nullptr;
  return g->DataLink()->DataSet()->FindField(m_fieldName);
}

TAlignment TsfColumn::Alignment() const {
  if (AlignmentValue) return *AlignmentValue;
  if (TField* f = Field()) return f->Alignment();
  return taLeftJustify;
}

int TsfColumn::DefaultWidth() const {
  TsfSkinCustomDBGrid* g = Grid();
  if (!g) return 64;
  TField* f = Field();
  if (!f) return g->DefaultColWidth();
  const TFont font = FontValue ? *FontValue : *g->Font();
  const QFontMetrics fm(font.ToQFont());
  int w = fm.horizontalAdvance(QLatin1Char('0')) * f->DisplayWidth() + 4;
  if (g->Options() & dgTitles) {
    const TFont tf = m_title.Font ? *m_title.Font : *g->TitleFont();
    w = std::max(w, QFontMetrics(tf.ToQFont()).horizontalAdvance(m_title.Caption()) + 4);
  }
  return w;
}

int TsfColumn::Width() const { return m_width ? *m_width : DefaultWidth(); }

void TsfColumn::SetWidth(int w) {
  if (m_width && *m_width == w) return;
  m_width = w;
  if (m_owner) {
    // A width set by hand makes the columns the user's own.
    if (!m_owner->m_rebuilding) m_owner->m_state = csCustomized;
    m_owner->Changed();
  }
}

void TsfColumn::SetVisible(bool v) {
  m_visible = v;
  if (m_owner) m_owner->Changed();
}

TsfColumn* TsfDBGridColumns::Add() {
  if (!m_rebuilding) m_state = csCustomized;
  m_items.push_back(std::make_unique<TsfColumn>(this));
  Changed();
  return m_items.back().get();
}

void TsfDBGridColumns::Clear() {
  m_items.clear();
  Changed();
}

void TsfDBGridColumns::Delete(int i) {
  if (i < 0 || i >= Count()) throw EInvalidOperation(QStringLiteral("List index out of bounds (%1)").arg(i));
  m_items.erase(m_items.begin() + i);
  Changed();
}

void TsfDBGridColumns::Move(int from, int to) {
  if (from == to || from < 0 || to < 0 || from >= Count() || to >= Count()) return;
  auto item = std::move(m_items[size_t(from)]);
  m_items.erase(m_items.begin() + from);
  m_items.insert(m_items.begin() + to, std::move(item));
  m_state = csCustomized;
  Changed();
}

int TsfDBGridColumns::IndexOf(const TsfColumn* c) const {
  for (int i = 0; i < Count(); ++i)
    if (m_items[size_t(i)].get() == c) return i;
  return -1;
}

void TsfDBGridColumns::SetState(TsfDBGridColumnsState s) {
  if (s == m_state) return;
  m_state = s;
  if (s == csDefault) m_items.clear();
  Changed();
}

void TsfDBGridColumns::Changed() {
  if (!m_rebuilding && m_grid) m_grid->LayoutChanged();
}
