// Storing and restoring the tree list's layout (columns, bands, sort state and
// a few view settings) in an ini file, or in the file that stands in for the
// registry. Values read back are untrusted: each is clamped to what the
// control accepts.

#include <QDir>
#include <algorithm>

#include "platform/application.h"
#include "platform/ini_file.h"
#include "treelist/tree_list.h"

namespace {
constexpr int kMaxStoredWidth = 10000;
constexpr int kMaxStoredRowHeight = 1000;

QString Normalised(QString base) {
  if (!base.startsWith(QLatin1Char('\\'))) base.prepend(QLatin1Char('\\'));
  while (base.size() > 1 && base.endsWith(QLatin1Char('\\'))) base.chop(1);
  return base;
}

// Orders (item, index) pairs by index; equal indexes keep their current order.
template <class T>
std::vector<T*> ByStoredIndex(std::vector<std::pair<T*, int>> noted) {
  std::stable_sort(noted.begin(), noted.end(), [](auto& a, auto& b) { return a.second < b.second; });
  std::vector<T*> ordered;
  for (auto& [item, index] : noted) ordered.push_back(item);
  return ordered;
}

// The nearest form's name: the window the control sits in.
QString FormNameOf(const QWidget* w) {
  const QWidget* top = w->window();
  return top && top != w ? top->objectName() : QString();
}
}  // namespace

QString TtlCustomTreeList::RegistryFileName() {
  return GetApplicationPath() + QStringLiteral("registry.ini");
}

QString TtlCustomTreeList::LayoutBase(const QString& given, bool storing) {
  QString base = given;
  if (base.isEmpty()) base = IniSectionName;
  if (base.isEmpty()) {
    // Storing may happen while the form is being destroyed: the name
    // remembered while it was alive is used then.
    const QString form = FormNameOf(this);
    if (!form.isEmpty()) m_ownerFormName = form;
    base = (storing ? m_ownerFormName : form) + QLatin1Char('_') + Name();
  }
  return Normalised(base);
}

void TtlCustomTreeList::WriteLayout(TCustomIniFile& ini, const QString& base) {
  ini.WriteBool(base, QStringLiteral("ShowGrid"), ShowGrid());
  ini.WriteBool(base, QStringLiteral("ShowPreviewGrid"), ShowPreviewGrid());
  ini.WriteInteger(base, QStringLiteral("BandRowCount"), BandRowCount);
  ini.WriteInteger(base, QStringLiteral("DefaultRowHeight"), DefaultRowHeight());
  ini.WriteInteger(base, QStringLiteral("HeaderPanelRowCount"),
                   HasOption(etoAutoHeaderPanelHeight) ? -1 : HeaderPanelRowCount());
  for (int n = 0; n < m_bands.Count(); ++n) {
    const TtlTreeListBand* band = m_bands.Items(n);
    const QString section = base + QStringLiteral("\\Band\\Band") + QString::number(n);
    ini.WriteInteger(section, QStringLiteral("ID"), band->ID());
    ini.WriteBool(section, QStringLiteral("Visible"), band->Visible());
    ini.WriteInteger(section, QStringLiteral("Index"), band->Index());
    ini.WriteInteger(section, QStringLiteral("Width"), band->Width());
  }
  for (TtlTreeListColumn* c : m_columns) {
    const QString section = base + QStringLiteral("\\Columns\\") + c->Name();
    ini.WriteInteger(section, QStringLiteral("BandIndex"), c->BandIndex());
    ini.WriteInteger(section, QStringLiteral("RowIndex"), c->RowIndex());
    ini.WriteInteger(section, QStringLiteral("ColIndex"), c->ColIndex());
    ini.WriteBool(section, QStringLiteral("Visible"), c->Visible());
    ini.WriteInteger(section, QStringLiteral("Index"), c->Index());
    ini.WriteInteger(section, QStringLiteral("Width"), c->Width());
    ini.WriteInteger(section, QStringLiteral("Sorted"), static_cast<int>(c->Sorted()));
    const auto it = std::find(m_sortedColumns.begin(), m_sortedColumns.end(), c);
    ini.WriteInteger(section, QStringLiteral("SortedOrder"),
                     it == m_sortedColumns.end() ? -1 : static_cast<int>(it - m_sortedColumns.begin()));
    ini.WriteInteger(section, QStringLiteral("StoredRowIndex"), c->m_rowIndex);
  }
}

void TtlCustomTreeList::ReadLayout(const TCustomIniFile& ini, const QString& base) {
  LockUpdates();
  struct Unlock {
    TtlCustomTreeList* list;
    ~Unlock() { list->UnlockUpdates(); }
  } unlock{this};
  SetShowGrid(ini.ReadBool(base, QStringLiteral("ShowGrid"), ShowGrid()));
  SetShowPreviewGrid(ini.ReadBool(base, QStringLiteral("ShowPreviewGrid"), ShowPreviewGrid()));
  BandRowCount = std::clamp(ini.ReadInteger(base, QStringLiteral("BandRowCount"), BandRowCount), 1,
                            std::max(1, BandMaxRowCount));
  SetDefaultRowHeight(std::clamp(ini.ReadInteger(base, QStringLiteral("DefaultRowHeight"), DefaultRowHeight()),
                                 0, kMaxStoredRowHeight));
  const int headerRows = ini.ReadInteger(base, QStringLiteral("HeaderPanelRowCount"),
                                         HasOption(etoAutoHeaderPanelHeight) ? -1 : HeaderPanelRowCount());
  if (headerRows != -1) {
    SetOptionView(etoAutoHeaderPanelHeight, false);
    SetHeaderPanelRowCount(headerRows);
  }

  // Bands are matched by identifier, not by position.
  std::vector<std::pair<TtlTreeListBand*, int>> bands;
  for (int n = 0; n < m_bands.Count(); ++n) {
    const QString section = base + QStringLiteral("\\Band\\Band") + QString::number(n);
    TtlTreeListBand* band = m_bands.FindItemID(ini.ReadInteger(section, QStringLiteral("ID"), -1));
    if (!band) continue;
    band->SetVisible(ini.ReadBool(section, QStringLiteral("Visible"), band->Visible()));
    band->SetWidth(std::clamp(ini.ReadInteger(section, QStringLiteral("Width"), band->Width()),
                              band->MinWidth(), std::max(band->MinWidth(), kMaxStoredWidth)));
    bands.emplace_back(band, ini.ReadInteger(section, QStringLiteral("Index"), band->Index()));
  }
  std::sort(bands.begin(), bands.end(), [](auto& a, auto& b) { return a.first->Index() < b.first->Index(); });
  const std::vector<TtlTreeListBand*> bandOrder = ByStoredIndex(bands);
  for (size_t i = 0; i < bandOrder.size(); ++i) bandOrder[i]->SetIndex(static_cast<int>(i));

  std::vector<std::pair<TtlTreeListColumn*, int>> columns;
  for (TtlTreeListColumn* c : std::vector<TtlTreeListColumn*>(m_columns)) {
    const QString section = base + QStringLiteral("\\Columns\\") + c->Name();
    c->SetVisible(ini.ReadBool(section, QStringLiteral("Visible"), c->Visible()));
    if (ini.ValueExists(section, QStringLiteral("Width")))
      c->SetWidth(std::clamp(ini.ReadInteger(section, QStringLiteral("Width"), c->Width()), c->MinWidth(),
                             std::max(c->MinWidth(), kMaxStoredWidth)));
    const int sorted = ini.ReadInteger(section, QStringLiteral("Sorted"), static_cast<int>(c->Sorted()));
    c->SetSorted(sorted == csDown || sorted == csUp ? static_cast<TtlTreeListColumnSort>(sorted) : csNone);
    columns.emplace_back(c, ini.ReadInteger(section, QStringLiteral("Index"), c->Index()));
  }
  const std::vector<TtlTreeListColumn*> columnOrder = ByStoredIndex(columns);
  for (size_t i = 0; i < columnOrder.size(); ++i) columnOrder[i]->SetIndex(static_cast<int>(i));

  for (TtlTreeListColumn* c : m_columns) {
    const QString section = base + QStringLiteral("\\Columns\\") + c->Name();
    c->SetBandIndex(ini.ReadInteger(section, QStringLiteral("BandIndex"), c->BandIndex()));
    c->SetRowIndex(ini.ReadInteger(section, QStringLiteral("StoredRowIndex"),
                                   ini.ReadInteger(section, QStringLiteral("RowIndex"), c->m_rowIndex)));
  }
  LayoutChanged();
}

void TtlCustomTreeList::StoreLayoutToIni(const QString& fileName) {
  TMemIniFile ini(fileName);
  const QString base = LayoutBase(QString(), true);
  // Sections of this layout only: the base and what lies under it, never a
  // layout whose name merely starts the same.
  QStringList sections;
  ini.ReadSections(sections);
  const QString under = base + QLatin1Char('\\');
  for (const QString& s : sections)
    if (s.compare(base, Qt::CaseInsensitive) == 0 || s.startsWith(under, Qt::CaseInsensitive))
      ini.EraseSection(s);
  WriteLayout(ini, base);
  ini.UpdateFile();
}

void TtlCustomTreeList::RestoreLayoutFromIni(const QString& fileName) {
  const TMemIniFile ini(fileName);
  ReadLayout(ini, LayoutBase(QString(), false));
}

void TtlCustomTreeList::StoreLayoutToRegistry(const QString& keyPath) {
  TMemIniFile ini(RegistryFileName());
  WriteLayout(ini, LayoutBase(keyPath, true));
  ini.UpdateFile();
}

void TtlCustomTreeList::RestoreLayoutFromRegistry(const QString& keyPath) {
  const TMemIniFile ini(RegistryFileName());
  const QString base = LayoutBase(keyPath, false);
  // The key is opened without creating it: nothing stored, nothing restored.
  QStringList sections;
  ini.ReadSections(sections);
  const bool exists = std::any_of(sections.begin(), sections.end(), [&](const QString& s) {
    return s.compare(base, Qt::CaseInsensitive) == 0 || s.startsWith(base + QLatin1Char('\\'), Qt::CaseInsensitive);
  });
  if (exists) ReadLayout(ini, base);
}

void TtlCustomTreeList::AutoRestoreLayout() {
  if (m_layoutRestored) return;
  m_layoutRestored = true;
  m_ownerFormName = FormNameOf(this);
  if (HasBehavior(etoStoreToRegistry) && !RegistryPath.isEmpty()) RestoreLayoutFromRegistry(RegistryPath);
  if (HasBehavior(etoStoreToIniFile) && !IniFileName.isEmpty()) RestoreLayoutFromIni(IniFileName);
}

void TtlCustomTreeList::AutoStoreLayout() {
  if (m_layoutStored) return;
  m_layoutStored = true;
  if (HasBehavior(etoStoreToRegistry) && !RegistryPath.isEmpty()) StoreLayoutToRegistry(RegistryPath);
  if (HasBehavior(etoStoreToIniFile) && !IniFileName.isEmpty()) StoreLayoutToIni(IniFileName);
}
