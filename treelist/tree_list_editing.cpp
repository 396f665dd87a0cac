// The container side of in-place editing: when the editor opens and closes,
// what it is given, and where its value goes.

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <algorithm>

#include "platform/application.h"
#include "platform/timer.h"
#include "treelist/tree_list_edit_state.h"

namespace {
QElapsedTimer& Clock() {
  static QElapsedTimer clock;
  if (!clock.isValid()) clock.start();
  return clock;
}

// The one pending delayed opening of the process.
struct PendingOpening {
  TTimer* timer = nullptr;
  QPointer<TtlCustomTreeList> list;
};
PendingOpening& Pending() {
  static PendingOpening pending;
  return pending;
}
void CancelPendingOpening() {
  PendingOpening& p = Pending();
  if (p.timer) p.timer->SetEnabled(false);
  p.list = nullptr;
}
}  // namespace

const QMetaObject* TtlTreeListColumn::EditorClass() const {
  return &TtlInplaceTreeListTextEdit::staticMetaObject;
}
const QMetaObject* TtlTreeListMaskColumn::EditorClass() const {
  return &TtlInplaceTreeListMaskEdit::staticMetaObject;
}
const QMetaObject* TtlDBTreeListMaskColumn::EditorClass() const {
  return &TtlInplaceDBTreeListMaskEdit::staticMetaObject;
}

// ---------------------------------------------------------------------------
// State

TtlInplaceEdit* TtlCustomTreeList::InplaceEditor() const {
  return m_edit && Editing() ? m_edit->editor.data() : nullptr;
}

TtlTreeListColumn* TtlCustomTreeList::EditingColumn() const {
  return m_edit && Editing() ? m_edit->column.data() : nullptr;
}

TtlTreeListNode* TtlCustomTreeList::EditingNode() const {
  return m_edit && Editing() ? m_edit->node.Node() : nullptr;
}

std::vector<TtlInplaceEdit*> TtlCustomTreeList::EditorCache() const {
  std::vector<TtlInplaceEdit*> editors;
  if (m_edit)
    for (const auto& e : m_edit->cache)
      if (e) editors.push_back(e);
  return editors;
}

TTimer* TtlCustomTreeList::PendingEditTimer() {
  const PendingOpening& p = Pending();
  return p.timer && p.timer->Enabled() && p.list ? p.timer : nullptr;
}

qint64 TtlCustomTreeList::MillisecondsSinceLastPress() const {
  return m_edit && m_edit->pressTime >= 0 ? Clock().elapsed() - m_edit->pressTime : -1;
}

bool TtlCustomTreeList::EditorHasFocus() const {
  if (!m_edit || !m_edit->editor) return false;
  const QWidget* f = QApplication::focusWidget();
  return f && (f == m_edit->editor || m_edit->editor->isAncestorOf(f));
}

void TtlCustomTreeList::DestroyEditors() {
  if (Pending().list == this) CancelPendingOpening();
  if (!m_edit) return;
  if (m_state == tsEditing) m_state = tsNormal;
  m_edit->editor = nullptr;
  for (auto& e : m_edit->cache) delete e.data();
  m_edit.reset();
}

// ---------------------------------------------------------------------------
// Opening

bool TtlCustomTreeList::AllowEditing() {
  bool allow = true;
  if (OnEditing) {
    QPointer<TtlCustomTreeList> self(this);  // the handler may delete the list
    OnEditing(this, m_focusedNode, allow);
    if (!self) return false;
  }
  if (allow)
    if (TtlTreeListColumn* column = Columns(m_focusedColumn)) allow = !column->DisableEditor;
  return allow;
}

bool TtlCustomTreeList::ShowEditor() {
  if (!HasBehavior(etoEditing) || HasOption(etoRowSelect) || m_destroying) return false;
  QPointer<TtlCustomTreeList> self(this);
  // On the new-item row a new node is made to edit (it takes the focus).
  if (NewItemRowFocused() && (!InsertFromNewItemRow() || !self || NewItemRowFocused()))
    return false;
  if (!m_focusedNode) return false;
  TtlNodeWatch node(this, m_focusedNode);
  if (!AllowEditing() || !self) return false;
  // The handler may have moved the focus or taken the node away.
  if (!node.Node() || node.Node() != m_focusedNode) return false;
  if (m_state != tsNormal && m_state != tsEditing) return false;
  QPointer<TtlTreeListColumn> column = Columns(m_focusedColumn);
  if (!column || !column->Visible() || DrawnColumns().empty()) return false;
  if (!m_edit) m_edit = std::make_unique<TtlEditState>(this);

  // The editor of the column's class, made on first use.
  const QMetaObject* editorClass = column->EditorClass();
  TtlInplaceEdit* editor = nullptr;
  for (const auto& e : m_edit->cache)
    if (e && e->metaObject() == editorClass) editor = e;
  const bool sameCell = editor && Editing() && m_edit->editor == editor &&
                        m_edit->column == column && m_edit->node.Node() == node.Node();
  // Another cell's editor writes its value back first.
  if (Editing() && !sameCell) {
    CloseEditorNow(true, false, true);
    if (!self || !node.Node() || !column) return false;
  }
  if (!sameCell) {
    // The cell comes into view sideways, then the row vertically.
    MakeColumnVisible(column->Index());
    if (!self || !node.Node() || node.Node() != m_focusedNode || !column) return false;
    MakeNodeVisible(node.Node());
    if (!self || !node.Node() || node.Node() != m_focusedNode || !column) return false;
  }
  m_state = tsEditing;
  if (!editor) {
    QObject* made = editorClass->newInstance(Q_ARG(QWidget*, this));
    editor = qobject_cast<TtlInplaceEdit*>(made);
    if (!editor) {
      delete made;
      m_state = tsNormal;
      return false;
    }
    editor->hide();
    m_edit->cache.emplace_back(editor);
  }
  if (!sameCell) {
    LoadEditor(editor, column, node.Node());
    if (!self) return false;
  }
  if (!Editing() || !m_edit->editor) return false;
  PlaceEditor();
  return self && Editing();
}

void TtlCustomTreeList::LoadEditor(TtlInplaceEdit* editor, TtlTreeListColumn* column,
                                   TtlTreeListNode* node) {
  TtlEditState& st = *m_edit;
  st.editor = editor;
  st.column = column;
  st.loadedColumn = column;
  st.node.SetNode(node);
  editor->SetContainer(this);
  BeginEditInit();
  editor->BeginLoad();
  struct EndLoad {
    QPointer<TtlInplaceEdit> editor;
    TtlCustomTreeList* list;
    QPointer<TtlCustomTreeList> self;
    ~EndLoad() {
      if (editor) editor->EndLoad();
      if (self) list->EndEditInit();
    }
  } endLoad{editor, this, this};
  editor->SetClosing(false);
  editor->ApplyLook(*GetEditFont(), GetEditColor());
  // The column's settings.
  editor->SetReadOnly(column->ReadOnly());
  QPointer<TtlTreeListColumn> watched(column);
  QPointer<TtlCustomTreeList> self(this);
  editor->OnChange = [watched](TObject*) {
    if (watched && watched->OnChange) watched->OnChange(watched);
  };
  editor->OnValidate = [watched, self](TObject*, QString& errorText, bool& accept) {
    if (self && watched && self->OnEditValidate) self->OnEditValidate(watched, errorText, accept);
    if (watched && watched->OnValidate) watched->OnValidate(watched, errorText, accept);
  };
  editor->CharCase = column->CharCase;
  editor->SetMaxLength(column->MaxLength());
  editor->OEMConvert = column->OEMConvert;
  editor->SetPasswordChar(column->PasswordChar);
  if (auto* masked = qobject_cast<TtlInplaceMaskEdit*>(editor)) {
    if (auto* c = qobject_cast<TtlTreeListMaskColumn*>(column)) {
      masked->SetEditMask(c->EditMask());
      masked->IgnoreMaskBlank = c->IgnoreMaskBlank;
    } else if (auto* d = qobject_cast<TtlDBTreeListMaskColumn*>(column)) {
      masked->SetEditMask(d->EditMask());
      masked->IgnoreMaskBlank = d->IgnoreMaskBlank;
    } else {
      masked->SetEditMask(QString());
    }
  }
  LoadEditValue(editor, column, node);
  if (!self || !endLoad.editor) return;
  editor->SetModified(false);
  if (IsEditReadOnly()) editor->SetReadOnly(true);
  if (!self || !endLoad.editor) return;
  editor->Activate();
}

void TtlCustomTreeList::LoadEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column,
                                      TtlTreeListNode* node) {
  auto* text = dynamic_cast<TtlTreeListTextNode*>(node);
  editor->SetText(text ? text->CellText(column->Index()) : QString());
}

void TtlCustomTreeList::WriteEditValue(TtlInplaceEdit* editor, TtlTreeListColumn* column,
                                       TtlTreeListNode* node) {
  auto* text = dynamic_cast<TtlTreeListTextNode*>(node);
  if (!text) return;
  text->SetCellText(column->Index(), editor->Text());
  node->cachedHeight = 0;
  InvalidateNode(node);
}

void TtlCustomTreeList::PlaceEditor() {
  if (!Editing() || !m_edit || !m_edit->editor) return;
  TtlInplaceEdit* editor = m_edit->editor;
  TtlTreeListNode* node = m_edit->node.Node();
  TtlTreeListColumn* column = m_edit->column;
  if (!node || !column) return;
  const TRect row = RowRect(node);
  TRect cell;
  if (!row.IsEmpty())
    for (const CellPlace& place : RowCells(node, row))
      if (place.column == column) cell = TRect(place.rect.Left, row.Top + place.rect.Top,
                                               place.rect.Right, row.Top + place.rect.Bottom);
  // The 2-pixel frame lies around the cell; the text area is the cell.
  const TRect bounds = cell.Inflate(2, 2);
  editor->SetBounds(bounds.Left, bounds.Top, bounds.Width(), bounds.Height());
  editor->show();
  if (!EditorHasFocus()) editor->SetFocus();
  if (m_edit && m_edit->editor == editor) editor->SelectAll();
}

// ---------------------------------------------------------------------------
// Closing

void TtlCustomTreeList::HideEditor() {
  if (Editing()) CloseEditorNow(true, true, true);
}

void TtlCustomTreeList::CloseEditor(bool writeBack) {
  if (!Editing()) return;
  if (writeBack) {
    CloseEditorNow(true, false, true);
    return;
  }
  m_edit->column = nullptr;
  m_edit->node.SetNode(nullptr);
  CloseEditorNow(false, false, false);
}

void TtlCustomTreeList::SetLookAndFeel(TtlLookAndFeel v) {
  if (v == m_LookAndFeel) return;
  CancelEditor();
  m_LookAndFeel = v;
  LayoutChanged();
}

void TtlCustomTreeList::CancelEditor() {
  if (!Editing()) return;
  m_edit->column = nullptr;
  m_edit->node.SetNode(nullptr);
  // Nothing is written, so nothing is validated either.
  CloseEditorNow(false, false, false);
}

void TtlCustomTreeList::CloseEditorNow(bool writeBack, bool refocus, bool validate) {
  if (!Editing() || !m_edit || m_edit->closing) return;
  QPointer<TtlCustomTreeList> self(this);
  QPointer<TtlInplaceEdit> editor = m_edit->editor;
  if (validate && editor && !m_destroying) {
    editor->ValidateEdit();
    // A handler may have closed the editor, or more.
    if (!self || !Editing() || !m_edit || m_edit->closing) return;
  }
  m_edit->closing = true;
  m_state = tsNormal;
  const bool hadFocus = EditorHasFocus();
  // Whatever happens below, the editor ends hidden and the list idle.
  struct Finish {
    TtlCustomTreeList* list;
    QPointer<TtlCustomTreeList> self;
    QPointer<TtlInplaceEdit> editor;
    bool focus;
    ~Finish() {
      if (!self) return;
      if (list->m_edit) {
        list->m_edit->column = nullptr;
        list->m_edit->node.SetNode(nullptr);
      }
      // The focus moves to the tree list before the editor disappears, so it
      // never wanders to another control on the way.
      if (focus && list->isVisible() && !list->m_destroying && list->m_state != tsEditing)
        list->setFocus();
      if (editor && list->m_state != tsEditing) {
        const QRect covered = editor->geometry();
        editor->hide();
        if (!list->m_destroying) list->update(covered);
      }
      if (list->m_edit) list->m_edit->closing = false;
    }
  } finish{this, self, editor, refocus || hadFocus};
  if (editor) editor->SetClosing(true);
  TtlTreeListColumn* column = m_edit->column;
  TtlTreeListNode* node = m_edit->node.Node();
  if (!writeBack || !editor || !column || !node || m_destroying) return;
  if (editor->Modified()) {
    WriteEditValue(editor, column, node);
    if (!self || !m_edit) return;
    if (editor) editor->SetModified(false);
  }
  if (TtlTreeListNode* edited = m_edit->node.Node(); edited && OnEdited) OnEdited(this, edited);
}

void TtlCustomTreeList::EditedNodeGone(TtlTreeListNode* node) {
  if (Editing() && m_edit && !m_edit->closing && m_edit->node.Node() == node) CancelEditor();
}

void TtlCustomTreeList::EditedColumnGone(TtlTreeListColumn* column) {
  if (m_edit && m_edit->loadedColumn == column) m_edit->loadedColumn = nullptr;
  if (Editing() && m_edit && !m_edit->closing && m_edit->column == column) CancelEditor();
}

// ---------------------------------------------------------------------------
// Input while editing

void TtlCustomTreeList::CancelDelayedEditor() {
  if (Pending().list == this) CancelPendingOpening();
}

bool TtlCustomTreeList::EditingMouseDown() {
  QPointer<TtlCustomTreeList> self(this);
  if (!m_edit) m_edit = std::make_unique<TtlEditState>(this);
  m_edit->pressTime = Clock().elapsed();
  CancelDelayedEditor();
  if (Editing()) HideEditor();
  return self;
}

void TtlCustomTreeList::ScheduleEditorOpening() {
  if (!HasBehavior(etoEditing) || HasOption(etoRowSelect)) return;
  PendingOpening& p = Pending();
  if (!p.timer) {
    p.timer = new TTimer();
    p.timer->SetEnabled(false);
    p.timer->OnTimer = [](TObject*) {
      PendingOpening& pending = Pending();
      pending.timer->SetEnabled(false);
      QPointer<TtlCustomTreeList> list = pending.list;
      pending.list = nullptr;
      if (list) GuardEvent([&] { list->ShowEditor(); });
    };
  }
  p.list = this;
  p.timer->SetInterval(std::max(1, QApplication::doubleClickInterval()));
  p.timer->SetEnabled(false);
  p.timer->SetEnabled(true);
}

bool TtlCustomTreeList::EditingKeyDown(WORD& key, TShiftState shift) {
  QPointer<TtlCustomTreeList> self(this);
  if (Editing()) {
    switch (key) {
      case VK_ESCAPE:
        HideEditor();
        key = 0;
        return true;
      case VK_RETURN:
        HideEditor();
        if (self && HasBehavior(etoEnterThrough)) TabCell(true);
        key = 0;
        return true;
      case VK_TAB: case VK_PRIOR: case VK_NEXT: case VK_UP: case VK_DOWN: case VK_INSERT:
        // Closed first, then the key navigates.
        HideEditor();
        return !self;
      default:
        return false;
    }
  }
  const bool ctrl = shift & ssCtrl;
  if (ctrl && (key == 'V' || key == 'X') && HasBehavior(etoEnterShowEditor) && !Searching()) {
    if (ShowEditor() && self && InplaceEditor()) {
      if (key == 'V') InplaceEditor()->PasteFromClipboard();
      else InplaceEditor()->CutToClipboard();
    }
    key = 0;
    return true;
  }
  return false;
}

void TtlCustomTreeList::TypeIntoEditor(QChar& key) {
  QPointer<TtlCustomTreeList> self(this);
  if (!ShowEditor() || !self) return;
  const QChar typed = key;
  key = QChar();
  if (TtlInplaceEdit* editor = InplaceEditor()) editor->PostChar(typed);
}

void TtlCustomTreeList::EditingFocusChanged(bool focused) {
  if (!Editing() || m_destroying || (m_edit && m_edit->closing)) return;
  if (focused) {
    // Back to the tree list while editing: the editor takes the focus again.
    PlaceEditor();
  } else if (!EditorHasFocus()) {
    CloseEditor(true);
  }
}

void TtlCustomTreeList::EditorKeyToContainer(WORD& key, TShiftState shift) { KeyDown(key, shift); }

void TtlCustomTreeList::EditorKeyPress(QChar& key) { TCustomControl::KeyPress(key); }

void TtlCustomTreeList::EditorFocusLeft() {
  if (!Editing() || m_destroying || (m_edit && m_edit->closing)) return;
  // The form moved its focus away from the tree list: its exit handling.
  FocusChanged(false);
}

void TtlCustomTreeList::EditorChanged() {
  if (TtlTreeListColumn* column = EditingColumn(); column && OnEditChange) OnEditChange(column);
}

// ---------------------------------------------------------------------------
// Container operations

bool TtlCustomTreeList::CanEditModify() {
  TtlTreeListColumn* column = Columns(m_focusedColumn);
  return column && !column->ReadOnly();
}

bool TtlCustomTreeList::CanEditAcceptKey(QChar key) {
  Q_UNUSED(key);
  return true;
}

std::unique_ptr<TtlEditStyle> TtlCustomTreeList::CreateEditStyle(TtlInplaceEdit* editor) {
  Q_UNUSED(editor);
  return std::make_unique<TtlTreeListEditStyle>(this);
}

TColor TtlCustomTreeList::GetEditColor() {
  TtlTreeListColumn* column = Columns(m_focusedColumn);
  return column ? column->Color() : Color();
}

const TFont* TtlCustomTreeList::GetEditFont() {
  const TtlTreeListColumn* column = Columns(m_focusedColumn);
  return column ? column->Font() : TControl::Font();
}

bool TtlCustomTreeList::IsEditReadOnly() { return false; }

void TtlCustomTreeList::EditKeyDown(WORD& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

bool TtlCustomTreeList::IgnoreEditKeys() {
  return !m_edit || Columns(m_focusedColumn) != m_edit->loadedColumn;
}

bool TtlCustomTreeList::ImmediateEdit() { return HasBehavior(etoImmediateEditor); }

bool TtlCustomTreeList::EditWantsTab(TShiftState shift) {
  return HasBehavior(etoTabs) && !(shift & ssCtrl);
}

void TtlCustomTreeList::EditFocusChanged() {
  InvalidateNode(m_focusedNode);
  if (!MultiSelect()) return;
  if (m_selection.size() > 10) {
    update();
    return;
  }
  for (TtlTreeListNode* n : m_selection) InvalidateNode(n);
}

int TtlCustomTreeList::ColumnEditorHeight() {
  // The editor's text area is the cell: its font's line and a pixel of
  // margin above and below.
  int height = 0;
  for (const TtlTreeListColumn* c : m_columns)
    if (c->Visible()) height = std::max(height, QFontMetrics(c->Font()->ToQFont()).height() + 2);
  return height;
}
