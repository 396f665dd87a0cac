#include "db/dataset.h"

#include <algorithm>

#include "db/data_source.h"
#include "db/db_error.h"

namespace {
bool IsEditState(TDataSetState s) { return s == dsEdit || s == dsInsert || s == dsSetKey; }

bool SameValue(const QVariant& a, const QVariant& b, TLocateOptions options) {
  const QString x = TField::ValueToText(a), y = TField::ValueToText(b);
  const Qt::CaseSensitivity cs = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
  if (options & loPartialKey) return x.startsWith(y, cs);
  return x.compare(y, cs) == 0 && (a.isNull() == b.isNull() || !y.isEmpty());
}
}  // namespace

TDataSet::TDataSet(QObject* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  // Tell the sources and their links that the record set is going, so
  // controls holding its fields drop them while the fields still exist.
  m_state = dsInactive;
  m_rows.clear();
  m_cur = m_readRow = -1;
  const QList<QPointer<TDataSource>> sources = m_sources;
  QList<LinkRef> links;  // of disabled sources too: their controls may hold fields
  for (const QPointer<TDataSource>& s : sources)
    if (s && s->m_dataSet == this)
      for (TDataLink* l : s->m_links) links.append({s, l});
  for (const QPointer<TDataSource>& s : sources)
    if (s && s->m_dataSet == this) s->m_dataSet = nullptr;
  m_sources.clear();
  for (const LinkRef& r : links) {
    if (!r.source || !r.source->LinksTo(r.link)) continue;
    r.link->m_first = 0;
    r.link->m_editing = false;
    r.link->m_modified = false;
    r.link->ActiveChanged();
  }
  for (const QPointer<TDataSource>& s : sources)
    if (s && s->OnStateChange) s->OnStateChange(s.data());
}

// ---------------------------------------------------------------- fields

TField* TDataSet::FindField(const QString& name) const {
  for (TField* f : m_fields)
    if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f;
  for (TField* f : m_persistent)
    if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f;
  return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const {
  TField* f = FindField(name);
  if (!f) {
    const QString owner = objectName().isEmpty() ? QString() : objectName() + QStringLiteral(": ");
    throw EDatabaseError(QStringLiteral("%1Field '%2' not found").arg(owner, name));
  }
  return f;
}

QList<TField*> TDataSet::GetFieldList(const QString& names) const {
  QList<TField*> list;
  for (const QString& n : names.split(';', Qt::SkipEmptyParts)) list << FieldByName(n.trimmed());
  return list;
}

TField* TDataSet::AddCalculatedField(const QString& name, TFieldType type, int size) {
  if (Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
  m_ownedPersistent.push_back(std::make_unique<TField>(this, name, type, size, fkCalculated));
  m_persistent << m_ownedPersistent.back().get();
  return m_persistent.back();
}

TField* TDataSet::AddLookupField(const QString& name, const QString& keyFields, TDataSet* lookup,
                                 const QString& lookupKeyFields, const QString& resultField,
                                 TFieldType type, int size) {
  if (Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
  m_ownedPersistent.push_back(std::make_unique<TField>(this, name, type, size, fkLookup));
  TField* f = m_ownedPersistent.back().get();
  f->KeyFields = keyFields;
  f->LookupDataSet = lookup;
  f->LookupKeyFields = lookupKeyFields;
  f->LookupResultField = resultField;
  m_persistent << f;
  return f;
}

void TDataSet::CreateFields(const std::vector<ColumnInfo>& columns) {
  // Fields of the same name are kept across opens and refreshes, so controls
  // and handlers holding them stay valid; a computed column takes its type
  // from its values, which may differ from one fetch to the next.
  std::vector<std::unique_ptr<TField>> old = std::move(m_dataFields);
  m_dataFields.clear();
  m_fields.clear();
  for (size_t i = 0; i < columns.size(); ++i) {
    const ColumnInfo& c = columns[i];
    std::unique_ptr<TField> f;
    for (auto& o : old)
      if (o && o->m_name == c.name) {
        f = std::move(o);
        break;
      }
    if (!f) f = std::make_unique<TField>(this, c.name, c.type, c.size, fkData);
    f->m_type = c.type;
    f->m_size = c.size;
    f->m_column = static_cast<int>(i);
    f->m_readOnly = c.readOnly;
    f->m_originTable = c.originTable;
    f->m_originColumn = c.originColumn;
    m_fields << f.get();
    m_dataFields.push_back(std::move(f));
  }
  int slot = static_cast<int>(columns.size());
  for (TField* f : m_persistent) {
    f->m_column = f->m_kind == fkCalculated ? slot++ : -1;
    m_fields << f;
  }
  for (int i = 0; i < m_fields.size(); ++i) m_fields[i]->m_index = i;
}

const QVariant& TDataSet::FieldValueRef(const TField* f) const {
  static const QVariant null;
  const int r = ActiveRowIndex();
  if (r < 0 || r >= RecordCount() || f->m_kind == fkLookup) {
    if (f->m_kind != fkLookup) return null;
    thread_local QVariant lookup;
    lookup = FieldValue(f);
    return lookup;
  }
  const auto& values = m_rows[static_cast<size_t>(r)].values;
  if (f->m_column < 0 || f->m_column >= static_cast<int>(values.size())) return null;
  return values[static_cast<size_t>(f->m_column)];
}

QVariant TDataSet::FieldValue(const TField* f) const {
  const int r = ActiveRowIndex();
  if (r < 0 || r >= RecordCount()) return QVariant();
  if (f->m_kind == fkLookup) {
    if (!f->LookupDataSet) return QVariant();
    QVariantList keys;
    for (const QString& n : f->KeyFields.split(';', Qt::SkipEmptyParts)) {
      const TField* k = FindField(n.trimmed());
      if (!k) return QVariant();
      keys << k->Value();
    }
    return f->LookupDataSet->Lookup(f->LookupKeyFields, keys, f->LookupResultField);
  }
  const auto& values = m_rows[static_cast<size_t>(r)].values;
  if (f->m_column < 0 || f->m_column >= static_cast<int>(values.size())) return QVariant();
  return values[static_cast<size_t>(f->m_column)];
}

void TDataSet::SetFieldValue(TField* f, const QVariant& v) {
  if (m_state == dsCalcFields) {
    if (f->m_kind == fkCalculated && m_readRow >= 0)
      m_rows[static_cast<size_t>(m_readRow)].values[static_cast<size_t>(f->m_column)] = v;
    return;
  }
  if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  if (!IsEditState(m_state))
    throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
  if (!f->CanModify() || f->m_kind != fkData)
    throw EDatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(f->FieldName()));
  auto& values = m_rows[static_cast<size_t>(m_cur)].values;
  values[static_cast<size_t>(f->m_column)] = v;
  m_changed[static_cast<size_t>(f->m_column)] = true;
  m_modified = true;
  NotifyRecordChanged(f);
}

void TDataSet::ComputeCalcFields(int row) {
  if (!OnCalcFields) return;
  bool any = false;
  for (TField* f : m_persistent) any |= f->m_kind == fkCalculated;
  if (!any) return;
  const TDataSetState saved = m_state;
  const int savedRead = m_readRow;
  m_state = dsCalcFields;
  m_readRow = row;
  // A handler that closed the record set leaves it closed.
  auto restore = [&] {
    if (m_state == dsCalcFields) m_state = saved;
    m_readRow = m_state == dsInactive ? -1 : savedRead;
  };
  try {
    OnCalcFields(this);
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

// ---------------------------------------------------------------- open/close

void TDataSet::Open() {
  if (Active()) return;
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<QVariant>> rows;
  Fetch(columns, rows);
  m_columns = std::move(columns);
  CreateFields(m_columns);
  int rowWidth = static_cast<int>(m_columns.size());
  for (TField* f : m_persistent) rowWidth += f->m_kind == fkCalculated ? 1 : 0;
  m_rows.clear();
  m_rows.reserve(rows.size());
  for (auto& r : rows) {
    r.resize(static_cast<size_t>(rowWidth));
    m_rows.push_back(Row{m_nextId++, std::move(r)});
  }
  m_cur = m_rows.empty() ? -1 : 0;
  m_readRow = -1;
  m_bof = true;
  m_eof = m_rows.empty();
  m_modified = false;
  m_insertedAt = -1;
  m_state = dsBrowse;
  for (int i = 0; i < RecordCount(); ++i) ComputeCalcFields(i);
  NotifyActiveChanged();
  if (AfterOpen) AfterOpen(this);
}

void TDataSet::Close() {
  if (!Active()) return;
  if (BeforeClose) BeforeClose(this);
  m_rows.clear();
  m_cur = -1;
  m_readRow = -1;
  m_bof = m_eof = true;
  m_modified = false;
  m_insertedAt = -1;
  m_state = dsInactive;
  NotifyActiveChanged();
}

void TDataSet::Refresh() {
  if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  CheckBrowseMode();
  const int oldIndex = m_cur;
  std::vector<ColumnInfo> columns;
  std::vector<std::vector<QVariant>> rows;
  Fetch(columns, rows);
  const std::vector<QVariant> oldValues =
      m_cur >= 0 ? m_rows[static_cast<size_t>(m_cur)].values : std::vector<QVariant>();
  m_columns = std::move(columns);
  CreateFields(m_columns);
  int rowWidth = static_cast<int>(m_columns.size());
  for (TField* f : m_persistent) rowWidth += f->m_kind == fkCalculated ? 1 : 0;
  m_rows.clear();
  for (auto& r : rows) {
    r.resize(static_cast<size_t>(rowWidth));
    m_rows.push_back(Row{m_nextId++, std::move(r)});
  }
  // Stay on the same record when its key is still there, else on the same
  // position.
  m_cur = -1;
  const int kc = KeyColumn();
  if (!oldValues.empty() && kc >= 0)
    for (int i = 0; i < RecordCount(); ++i)
      if (m_rows[static_cast<size_t>(i)].values[static_cast<size_t>(kc)] ==
          oldValues[static_cast<size_t>(kc)]) {
        m_cur = i;
        break;
      }
  if (m_cur < 0 && !m_rows.empty()) m_cur = std::clamp(oldIndex, 0, RecordCount() - 1);
  m_bof = m_cur <= 0;
  m_eof = m_rows.empty();
  for (int i = 0; i < RecordCount(); ++i) ComputeCalcFields(i);
  NotifyDataSetChanged();
}

// ---------------------------------------------------------------- moves

void TDataSet::CheckBrowseMode() {
  if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  BeginChange();
}

void TDataSet::BeginChange() {
  if (!IsEditState(m_state)) return;
  NotifyUpdateData();
  if (!IsEditState(m_state)) return;
  if (m_modified) PostRecord();
  else Cancel();
}

void TDataSet::MoveTo(int row, bool pastEnd, bool beforeStart) {
  if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  BeginChange();
  if (m_rows.empty()) {
    m_cur = -1;
    m_bof = m_eof = true;
    return;
  }
  const int target = std::clamp(row, 0, RecordCount() - 1);
  const int old = m_cur;
  m_cur = target;
  m_bof = beforeStart;
  m_eof = pastEnd;
  if (old != m_cur) {
    NotifyScrolled();
    if (AfterScroll) AfterScroll(this);
  }
}

void TDataSet::First() { MoveTo(0, false, true); }
void TDataSet::Last() { MoveTo(RecordCount() - 1, true, false); }
void TDataSet::Next() { MoveTo(m_cur + 1, m_cur + 1 >= RecordCount(), false); }
void TDataSet::Prior() { MoveTo(m_cur - 1, false, m_cur - 1 < 0); }

int TDataSet::MoveBy(int distance) {
  const int old = m_cur;
  const int target = m_cur + distance;
  MoveTo(target, distance > 0 && target >= RecordCount(), distance < 0 && target < 0);
  return m_cur - old;
}

int TDataSet::RecNo() const { return m_cur < 0 ? 0 : m_cur + 1; }

void TDataSet::SetRecNo(int recNo) {
  if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  BeginChange();
  if (recNo < 1 || recNo > RecordCount()) return;
  MoveTo(recNo - 1, false, false);
}

bool TDataSet::Locate(const QString& keyFields, const QVariantList& values, TLocateOptions options) {
  CheckBrowseMode();
  const QList<TField*> fields = GetFieldList(keyFields);
  if (fields.size() != values.size())
    throw EDatabaseError(QStringLiteral("Wrong number of key values for '%1'").arg(keyFields));
  const int saved = m_readRow;
  int found = -1;
  for (int i = 0; i < RecordCount() && found < 0; ++i) {
    m_readRow = i;
    bool all = true;
    for (int k = 0; k < fields.size() && all; ++k) {
      // Several key fields always match exactly; a prefix applies to one field.
      const TLocateOptions o = fields.size() == 1 ? options : (options & loCaseInsensitive);
      all = SameValue(fields[k]->Value(), values[k], o);
    }
    if (all) found = i;
  }
  m_readRow = saved;
  if (found < 0) return false;
  MoveTo(found, false, false);
  return true;
}

QVariant TDataSet::Lookup(const QString& keyFields, const QVariantList& values,
                          const QString& resultField) const {
  if (!Active()) return QVariant();
  const QList<TField*> fields = GetFieldList(keyFields);
  const TField* result = FieldByName(resultField);
  if (fields.size() != values.size()) return QVariant();
  auto* self = const_cast<TDataSet*>(this);
  const int saved = m_readRow;
  QVariant out;
  for (int i = 0; i < RecordCount(); ++i) {
    self->m_readRow = i;
    bool all = true;
    for (int k = 0; k < fields.size() && all; ++k) all = SameValue(fields[k]->Value(), values[k], 0);
    if (all) {
      out = result->Value();
      break;
    }
  }
  self->m_readRow = saved;
  return out;
}

TBookmark TDataSet::Bookmark() const {
  if (m_cur < 0) return QString();
  return QString::number(m_rows[static_cast<size_t>(m_cur)].id);
}

int TDataSet::FindRow(quint64 id) const {
  for (int i = 0; i < RecordCount(); ++i)
    if (m_rows[static_cast<size_t>(i)].id == id) return i;
  return -1;
}

bool TDataSet::BookmarkValid(const TBookmark& b) const {
  bool ok = false;
  const quint64 id = b.toULongLong(&ok);
  return ok && FindRow(id) >= 0;
}

void TDataSet::SetBookmark(const TBookmark& b) {
  bool ok = false;
  const quint64 id = b.toULongLong(&ok);
  const int row = ok ? FindRow(id) : -1;
  if (row < 0) throw EDatabaseError(QStringLiteral("Record not found"));
  MoveTo(row, false, false);
}

// ---------------------------------------------------------------- editing

bool TDataSet::CanModify() const { return Active() && !ReadOnly && CanWrite(); }

void TDataSet::SetState(TDataSetState s) {
  if (s == m_state) return;
  m_state = s;
  NotifyEditingChanged();
}

void TDataSet::Edit() {
  if (IsEditState(m_state)) return;
  if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  if (!CanModify()) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
  if (m_rows.empty()) {
    Insert();
    return;
  }
  m_editRow = m_rows[static_cast<size_t>(m_cur)];
  m_changed.assign(m_columns.size(), false);
  m_modified = false;
  SetState(dsEdit);
  NotifyRecordChanged(nullptr);
}

void TDataSet::Insert() {
  CheckBrowseMode();
  InsertRowAt(m_cur < 0 ? 0 : m_cur);
}

void TDataSet::Append() {
  CheckBrowseMode();
  InsertRowAt(RecordCount());
}

void TDataSet::InsertRowAt(int at) {
  if (!CanModify()) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
  const size_t width = m_rows.empty() ? m_columns.size() + m_persistent.size() : m_rows[0].values.size();
  m_rows.insert(m_rows.begin() + at, Row{m_nextId++, std::vector<QVariant>(width)});
  m_cur = at;
  m_insertedAt = at;
  m_editRow = m_rows[static_cast<size_t>(at)];
  m_changed.assign(m_columns.size(), false);
  m_modified = false;
  m_bof = m_eof = false;
  m_state = dsInsert;
  if (OnNewRecord) OnNewRecord(this);
  NotifyEditingChanged();
  NotifyDataSetChanged();
}

void TDataSet::Post() {
  if (!IsEditState(m_state)) return;
  NotifyUpdateData();
  if (IsEditState(m_state)) PostRecord();
}

void TDataSet::PostRecord() {
  if (BeforePost) BeforePost(this);
  // A handler may have cancelled the edit or closed the record set.
  if (!IsEditState(m_state) || m_cur < 0 || m_cur >= RecordCount()) return;
  const bool inserting = m_state == dsInsert;
  if (inserting || m_modified) {
    Row& row = m_rows[static_cast<size_t>(m_cur)];
    const QVariant key = WriteRow(inserting ? WriteKind::Insert : WriteKind::Update, m_columns,
                                  m_editRow.values, row.values, m_changed);
    const int kc = KeyColumn();
    if (inserting && key.isValid() && kc >= 0 && row.values[static_cast<size_t>(kc)].isNull())
      row.values[static_cast<size_t>(kc)] = key;
  }
  m_insertedAt = -1;
  m_modified = false;
  ComputeCalcFields(m_cur);
  SetState(dsBrowse);
  NotifyDataSetChanged();
  if (AfterPost) AfterPost(this);
}

void TDataSet::Cancel() {
  if (!IsEditState(m_state)) return;
  if (m_state == dsInsert && m_insertedAt >= 0) {
    m_rows.erase(m_rows.begin() + m_insertedAt);
    if (m_cur >= RecordCount()) m_cur = RecordCount() - 1;
    m_insertedAt = -1;
    m_eof = m_rows.empty();
    m_bof = m_rows.empty();
  } else if (m_cur >= 0) {
    m_rows[static_cast<size_t>(m_cur)] = m_editRow;
  }
  m_modified = false;
  SetState(dsBrowse);
  NotifyDataSetChanged();
}

void TDataSet::Delete() {
  if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
  if (m_state == dsInsert) {
    Cancel();
    return;
  }
  if (m_rows.empty())
    throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
  if (!CanModify()) throw EDatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
  if (m_state == dsEdit) {
    m_rows[static_cast<size_t>(m_cur)] = m_editRow;
    m_modified = false;
    m_state = dsBrowse;
    NotifyEditingChanged();
    // A handler may have closed, emptied or edited the record set meanwhile.
    if (!Active()) throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (m_rows.empty())
      throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (m_state != dsBrowse) return;
  }
  const Row& row = m_rows[static_cast<size_t>(m_cur)];
  WriteRow(WriteKind::Delete, m_columns, row.values, row.values,
           std::vector<bool>(m_columns.size(), false));
  m_rows.erase(m_rows.begin() + m_cur);
  if (m_cur >= RecordCount()) m_cur = RecordCount() - 1;
  m_bof = m_rows.empty();
  m_eof = m_rows.empty();
  NotifyDataSetChanged();
}

// ---------------------------------------------------------------- notifications

void TDataSet::DisableControls() {
  if (m_disableCount++ == 0) {
    m_heldChange = false;
    m_heldActive = false;
    m_stateAtDisable = m_state;
    m_activeAtDisable = Active();
    m_curAtDisable = m_cur >= 0 ? static_cast<int>(m_rows[static_cast<size_t>(m_cur)].id) : -1;
  }
}

void TDataSet::EnableControls() {
  if (m_disableCount == 0) return;
  if (--m_disableCount > 0) return;
  const int curId = m_cur >= 0 ? static_cast<int>(m_rows[static_cast<size_t>(m_cur)].id) : -1;
  if (Active() != m_activeAtDisable) NotifyActiveChanged();
  else if (!Active()) return;
  else if (m_heldChange || m_heldActive || m_state != m_stateAtDisable) NotifyDataSetChanged();
  else if (curId != m_curAtDisable) NotifyScrolled();
}

bool TDataSet::IsLinkedTo(const TDataSource* source) const {
  for (const QPointer<TDataSource>& s : m_sources)
    if (s == source) return true;
  return false;
}

QList<TDataSet::LinkRef> TDataSet::Links() const {
  QList<LinkRef> links;
  for (const QPointer<TDataSource>& s : m_sources)
    if (s && s->m_enabled && s->m_dataSet == this)
      for (TDataLink* l : s->m_links) links.append({s, l});
  return links;
}

namespace {
// Calls `f` for each link still attached when its turn comes: a handler may
// destroy or detach links, destroy a source or close the data set. A link
// is touched only after its source, still alive, still lists it.
template <typename Refs, typename F>
void ForEachLink(const TDataSet* ds, const Refs& links, F f) {
  for (const auto& r : links) {
    if (!r.source || !r.source->LinksTo(r.link)) continue;
    if (r.link->DataSource() != r.source || r.source->DataSet() != ds) continue;
    f(r.link);
  }
}

template <typename F>
void ForEachSource(const QList<QPointer<TDataSource>>& sources, const TDataSet* ds, F f) {
  const QList<QPointer<TDataSource>> copy = sources;
  for (const QPointer<TDataSource>& s : copy)
    if (s && s->Enabled() && s->DataSet() == ds) f(s.data());
}
}  // namespace

void TDataSet::NotifyActiveChanged() {
  if (ControlsDisabled()) {
    m_heldActive = true;
    return;
  }
  const QList<LinkRef> links = Links();
  ForEachLink(this, links, [](TDataLink* l) {
    l->m_first = 0;
    l->AdjustWindow();
    l->m_editing = false;
    l->m_modified = false;
    l->ActiveChanged();
  });
  ForEachSource(m_sources, this, [](TDataSource* s) {
    if (s->OnStateChange) s->OnStateChange(s);
  });
}

void TDataSet::NotifyDataSetChanged() {
  if (ControlsDisabled()) {
    m_heldChange = true;
    return;
  }
  const QList<LinkRef> links = Links();
  ForEachLink(this, links, [](TDataLink* l) {
    l->AdjustWindow();
    l->DataSetChanged();
  });
  ForEachSource(m_sources, this, [](TDataSource* s) {
    if (s->OnDataChange) s->OnDataChange(s, nullptr);
  });
}

void TDataSet::NotifyScrolled() {
  if (ControlsDisabled()) return;
  const QList<LinkRef> links = Links();
  ForEachLink(this, links, [](TDataLink* l) { l->DataSetScrolled(l->AdjustWindow()); });
  ForEachSource(m_sources, this, [](TDataSource* s) {
    if (s->OnDataChange) s->OnDataChange(s, nullptr);
  });
}

void TDataSet::NotifyRecordChanged(TField* f) {
  if (ControlsDisabled()) {
    m_heldChange = true;
    return;
  }
  const QList<LinkRef> links = Links();
  ForEachLink(this, links, [f](TDataLink* l) { l->RecordChanged(f); });
  ForEachSource(m_sources, this, [f](TDataSource* s) {
    if (s->OnDataChange) s->OnDataChange(s, f);
  });
}

void TDataSet::NotifyEditingChanged() {
  if (ControlsDisabled()) return;
  const bool editing = IsEditState(m_state);
  const QList<LinkRef> links = Links();
  ForEachLink(this, links, [editing](TDataLink* l) {
    const bool e = editing && !l->ReadOnly;
    if (e != l->m_editing) {
      l->m_editing = e;
      if (!e) l->m_modified = false;
      l->EditingChanged();
    }
  });
  ForEachSource(m_sources, this, [](TDataSource* s) {
    if (s->OnStateChange) s->OnStateChange(s);
  });
}

void TDataSet::NotifyFocusControl(TField* f) {
  const QList<LinkRef> links = Links();
  // A link that takes the request clears the field; the rest are not asked.
  ForEachLink(this, links, [&f](TDataLink* l) {
    if (f) l->FocusControl(&f);
  });
}

void TDataSet::NotifyUpdateData() {
  // Controls write their pending values even while notifications are held.
  const QList<LinkRef> links = Links();
  ForEachLink(this, links, [](TDataLink* l) { l->SendUpdateData(); });
  ForEachSource(m_sources, this, [](TDataSource* s) {
    if (s->OnUpdateData) s->OnUpdateData(s);
  });
}
