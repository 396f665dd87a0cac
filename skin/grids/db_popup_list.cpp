#include "skin/grids/db_popup_list.h"

#include "db/dataset.h"
#include "db/field.h"

namespace {
// Keys match as the record set's lookups match them: by their text, a null
// key matching nothing.
bool SameKey(const QVariant& a, const QVariant& b) {
  if (a.isNull() || b.isNull()) return false;
  if (a.typeId() == QMetaType::QVariantList || b.typeId() == QMetaType::QVariantList) {
    const QVariantList x = a.toList(), y = b.toList();
    if (x.size() != y.size()) return false;
    for (int i = 0; i < x.size(); ++i)
      if (!SameKey(x[i], y[i])) return false;
    return true;
  }
  return TField::ValueToText(a) == TField::ValueToText(b);
}
}  // namespace

TsfDBPopupListbox::TsfDBPopupListbox(QWidget* owner) : TsfPopupListBox(owner) {
  ListBox()->setMouseTracking(true);
}

bool TsfDBPopupListbox::FillFromLookup(const TField* lookupField) {
  m_keys.clear();
  TDataSet* ds = lookupField ? lookupField->LookupDataSet.data() : nullptr;
  if (!ds || !ds->Active()) {
    SetItems({});
    return false;
  }
  const QList<TField*> keyFields = ds->GetFieldList(lookupField->LookupKeyFields);
  const TField* result = ds->FieldByName(lookupField->LookupResultField);
  QStringList items;
  const int saved = ds->ActiveRowIndex() == ds->CurrentRowIndex() ? -1 : ds->ActiveRowIndex();
  for (int i = 0; i < ds->RecordCount(); ++i) {
    ds->SetReadRow(i);
    items << result->DisplayText();
    if (keyFields.size() == 1) {
      m_keys << keyFields[0]->Value();
    } else {
      QVariantList key;
      for (const TField* f : keyFields) key << f->Value();
      m_keys << QVariant(key);
    }
  }
  ds->SetReadRow(saved);
  SetItems(items);
  return true;
}

QVariant TsfDBPopupListbox::KeyAt(int i) const {
  return i >= 0 && i < m_keys.size() ? m_keys[i] : QVariant();
}

int TsfDBPopupListbox::IndexOfKey(const QVariant& key) const {
  for (int i = 0; i < m_keys.size(); ++i)
    if (SameKey(m_keys[i], key)) return i;
  return -1;
}

bool TsfDBPopupListbox::ListMessageFilter(TMessage& m) {
  switch (m.Msg) {
    case WM_MOUSEMOVE: {
      const int i = ListBox()->ItemAtPos(TPoint(LParamX(m.LParam), LParamY(m.LParam)));
      if (i >= 0) ListBox()->SetItemIndex(i);
      return true;
    }
    case WM_LBUTTONUP: {
      const TPoint p(LParamX(m.LParam), LParamY(m.LParam));
      const bool inside = ListBox()->ClientRect().Contains(p);
      if (OnChoose) {
        const auto handler = OnChoose;
        handler(inside);
      }
      return false;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: return false;
    default: return true;
  }
}
