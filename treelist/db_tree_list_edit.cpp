// In-place editing of the data-aware tree list: the record set goes into
// edit state on the first keystroke, and the editor's value goes to the
// field of the current record.

#include "treelist/db_tree_list.h"
#include "treelist/tree_list_edit.h"

namespace {
TField* FieldOf(TtlTreeListColumn* column) {
  auto* c = qobject_cast<TtlDBTreeListColumn*>(column);
  auto* f = c ? static_cast<TtlFieldColumnField*>(c->Field()) : nullptr;
  return f ? f->Field() : nullptr;
}

bool Writable(TDataSetState state) { return state == dsEdit || state == dsInsert || state == dsSetKey; }
}  // namespace

void TtlDBTreeListDataLink::UpdateData() { m_owner->DataUpdate(); }

bool TtlDBTreeList::AllowEditing() {
  QPointer<TtlDBTreeList> self(this);
  return TtlCustomTreeList::AllowEditing() && self && HasOptionDB(etoCanNavigation);
}

bool TtlDBTreeList::InsertFromNewItemRow() {
  TDataSet* ds = DataSet();
  TtlTreeListColumn* column = Columns(FocusedColumn());
  if (!column || column->DisableEditor || !ds || !ds->Active() || !HasOptionDB(etoCanInsert) ||
      !HasOptionDB(etoCanNavigation) || !m_keyField || !m_parentField || !ds->CanModify() || ReadOnly)
    return false;
  QPointer<TtlDBTreeList> self(this);
  // The insert makes the new record's node and focuses it; a record being
  // inserted already is the one to edit.
  if (ds->State() != dsInsert) ds->Insert();
  // A record set handler may have cancelled the insert or closed the record
  // set: with no record being inserted there is nothing to edit.
  if (!self || DataSet() != ds || !ds->Active() || ds->State() != dsInsert) return false;
  if (NewItemRowFocused() && m_pendingNode) SetFocusedNode(m_pendingNode, FocusedColumn(), true);
  return self && DataSet() == ds && ds->State() == dsInsert && !NewItemRowFocused() && FocusedNode();
}

bool TtlDBTreeList::IsEditReadOnly() {
  TDataSet* ds = DataSet();
  if (!m_keyField || !m_parentField) return true;
  return ds && ds->IsEmpty() && ds->State() == dsBrowse && !HasOptionDB(etoCanInsert);
}

bool TtlDBTreeList::CanEditModify() {
  if (!TtlCustomTreeList::CanEditModify()) return false;
  if (!HasOptionDB(etoCanNavigation) || !m_keyField || !m_parentField) return false;
  if (!m_link.Active() || m_link.ReadOnly) return false;
  TField* field = FieldOf(Columns(FocusedColumn()));
  if (!field) return false;
  if (!field->CanModify()) {
    // A lookup field is changed through its key field.
    TField* key = field->IsLookup() ? DataSet()->FindField(field->KeyFields) : nullptr;
    if (!key || !key->CanModify()) return false;
  }
  if (field->IsBlob() && !field->HasSetText()) return false;
  if (IsEditReadOnly()) return false;
  QPointer<TtlDBTreeList> self(this);
  // The first keystroke puts the record set into edit state.
  m_link.Edit();
  return self && m_link.Editing();
}

bool TtlDBTreeList::CanEditAcceptKey(QChar key) {
  if (!m_link.Active()) return false;
  TField* field = FieldOf(Columns(FocusedColumn()));
  return field && field->IsValidChar(key);
}

TColor TtlDBTreeList::GetEditColor() {
  TColor color = TtlCustomTreeList::GetEditColor();
  if (OnGetEditColor) OnGetEditColor(this, FocusedNode(), Columns(FocusedColumn()), color);
  return color;
}

void TtlDBTreeList::LoadEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column,
                                  TtlTreeListNode* node) {
  TField* field = FieldOf(column);
  if (!field) {
    TtlCustomTreeList::LoadEditValue(editor, column, node);
    return;
  }
  // The field's edit text (a masked editor shows it through its mask).
  editor->SetText(field->Text());
}

void TtlDBTreeList::WriteEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column,
                                   TtlTreeListNode* node) {
  if (!qobject_cast<TtlDBTreeListColumn*>(column)) {
    TtlCustomTreeList::WriteEditValue(editor, column, node);
    return;
  }
  TDataSet* ds = DataSet();
  TField* field = FieldOf(column);
  // Only a record being edited takes the value; posting is the record set's.
  if (!field || !ds || !Writable(ds->State())) return;
  QPointer<TtlDBTreeList> self(this);
  QPointer<TtlTreeListColumn> watchedColumn(column);
  TtlNodeWatch watchedNode(this, node);
  field->SetText(editor->Text());
  if (!self) return;
  if (ds == DataSet() && Writable(ds->State())) m_recordChangedByList = true;
  if (!watchedColumn || !watchedNode.Node()) return;
  // The node shows the field as it now reads.
  if (watchedNode.Node() == FocusedNode() && DataSet() == ds && ds->Active()) {
    CheckBoundFields();
    ReadNodeValues(static_cast<TtlDBTreeListNode*>(watchedNode.Node()));
    const TRect row = RowRect(watchedNode.Node());
    if (!row.IsEmpty()) update(row.toQRect());
  }
}

void TtlDBTreeList::DataUpdate() {
  TtlInplaceEdit* editor = InplaceEditor();
  TtlTreeListColumn* column = EditingColumn();
  TtlTreeListNode* node = EditingNode();
  if (!editor || !column || !node || !editor->Modified()) return;
  QPointer<TtlInplaceEdit> watched(editor);
  WriteEditValue(editor, column, node);
  if (watched) watched->SetModified(false);
}

void TtlDBTreeList::EditorChanged() {
  // The link holds an unsaved change: a post asks for it.
  m_link.Modified();
  TtlCustomTreeList::EditorChanged();
}
