#include "db/data_source.h"

#include <algorithm>

TDataSource::TDataSource(QObject* owner) : TComponent(owner) {}

TDataSource::~TDataSource() {
  // The links hear that the record set is gone while they are still listed,
  // so a link destroyed by another link's handler leaves the list first.
  SetDataSet(nullptr);
  const QList<TDataLink*> links = m_links;
  m_links.clear();
  for (TDataLink* l : links) l->m_source = nullptr;
}

void TDataSource::SetDataSet(TDataSet* ds) {
  if (ds == m_dataSet) return;
  if (m_dataSet) m_dataSet->m_sources.removeAll(this);
  m_dataSet = ds;
  if (ds) ds->m_sources.append(this);
  for (TDataLink* l : QList<TDataLink*>(m_links)) {
    if (!m_links.contains(l)) continue;  // destroyed or detached by a handler
    l->m_first = 0;
    l->AdjustWindow();
    l->ActiveChanged();
  }
}

void TDataSource::SetEnabled(bool v) {
  if (v == m_enabled) return;
  m_enabled = v;
  for (TDataLink* l : QList<TDataLink*>(m_links))
    if (m_links.contains(l)) l->ActiveChanged();
}

TDataSetState TDataSource::State() const {
  return m_dataSet && m_enabled ? m_dataSet->State() : dsInactive;
}

TDataLink::TDataLink() = default;

TDataLink::~TDataLink() {
  if (m_destroyedFlag) *m_destroyedFlag = true;
  if (m_source) m_source->m_links.removeAll(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
  if (source == m_source) return;
  if (m_source) m_source->m_links.removeAll(this);
  m_source = source;
  if (source) source->m_links.append(this);
  m_first = 0;
  AdjustWindow();
  m_editing = Active() && !ReadOnly &&
              (DataSet()->State() == dsEdit || DataSet()->State() == dsInsert);
  ActiveChanged();
}

TDataSet* TDataLink::DataSet() const { return m_source ? m_source->DataSet() : nullptr; }

bool TDataLink::Active() const {
  return m_source && m_source->Enabled() && m_source->DataSet() && m_source->DataSet()->Active();
}

bool TDataLink::Edit() {
  if (!ReadOnly && Active()) {
    TDataSet* ds = DataSet();
    if (ds->State() != dsEdit && ds->State() != dsInsert) {
      bool destroyed = false;
      bool* const outer = m_destroyedFlag;
      m_destroyedFlag = &destroyed;
      struct Restore {
        TDataLink* link;
        bool& destroyed;
        bool* outer;
        ~Restore() {
          if (!destroyed) link->m_destroyedFlag = outer;
          else if (outer) *outer = true;
        }
      } restore{this, destroyed, outer};
      ds->Edit();
      if (destroyed) return false;
    }
  }
  return m_editing;
}

void TDataLink::UpdateRecord() { SendUpdateData(); }

void TDataLink::SendUpdateData() {
  // Only a control holding a change writes; the flag is cleared on every path.
  if (!m_modified || m_updating) return;
  m_updating = true;
  struct Reset {
    TDataLink* l;
    ~Reset() {
      l->m_modified = false;
      l->m_updating = false;
    }
  } reset{this};
  UpdateData();
}

void TDataLink::SetBufferCount(int n) {
  n = std::max(1, n);
  if (n == m_bufferCount) return;
  m_bufferCount = n;
  AdjustWindow();
}

int TDataLink::AdjustWindow() {
  const int old = m_first;
  TDataSet* ds = Active() ? DataSet() : nullptr;
  if (!ds || ds->RecordCount() == 0) {
    m_first = 0;
    return m_first - old;
  }
  const int cur = ds->CurrentRowIndex();
  if (cur < m_first) m_first = cur;
  else if (cur >= m_first + m_bufferCount) m_first = cur - m_bufferCount + 1;
  // Fill the window: never leave empty places below while rows remain above.
  m_first = std::clamp(m_first, 0, std::max(0, ds->RecordCount() - m_bufferCount));
  return m_first - old;
}

int TDataLink::ActiveRecord() const {
  TDataSet* ds = Active() ? DataSet() : nullptr;
  if (!ds || ds->RecordCount() == 0) return 0;
  return ds->ActiveRowIndex() - m_first;
}

void TDataLink::SetActiveRecord(int index) {
  TDataSet* ds = Active() ? DataSet() : nullptr;
  if (!ds) return;
  const int row = m_first + index;
  ds->SetReadRow(row == ds->CurrentRowIndex() ? -1 : row);
}

int TDataLink::RecordCount() const {
  TDataSet* ds = Active() ? DataSet() : nullptr;
  if (!ds) return 0;
  return std::clamp(ds->RecordCount() - m_first, 0, m_bufferCount);
}
