#include "skin/grids/db_inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

#include "db/dataset.h"
#include "db/field.h"
#include "platform/application.h"
#include "platform/keys.h"
#include "skin/controls/skin_geometry.h"
#include "skin/grids/db_popup_list.h"
#include "skin/grids/skin_db_grid.h"
#include "skin/render/glyphs.h"

namespace {
// The record-set fields a lookup field takes its key from (none when a name
// is not there).
QList<TField*> KeyFieldsOf(const TField* lookup) {
  if (!lookup || !lookup->IsLookup() || !lookup->DataSet()) return {};
  QList<TField*> out;
  for (const QString& name : lookup->KeyFields.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
    TField* f = lookup->DataSet()->FindField(name.trimmed());
    if (!f) return {};
    out << f;
  }
  return out;
}
}  // namespace

TsfDBGridInplaceEdit::TsfDBGridInplaceEdit(TsfSkinCustomDBGrid* grid) : TsfSkinInplaceEdit(grid) {}

TsfDBGridInplaceEdit::~TsfDBGridInplaceEdit() {
  if (m_list) {
    m_list->OnChoose = nullptr;
    m_list->OnCancelMode = nullptr;
    m_list->OnCheckButtonClick = nullptr;
  }
}

TsfSkinCustomDBGrid* TsfDBGridInplaceEdit::DBGrid() const {
  return static_cast<TsfSkinCustomDBGrid*>(Grid());
}

int TsfDBGridInplaceEdit::ButtonWidth() const {
  return std::max(1, style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
}

QRect TsfDBGridInplaceEdit::ButtonRect() const {
  if (m_style == esSimple) return QRect();
  const int w = std::min(ButtonWidth(), width());
  if (layoutDirection() == Qt::RightToLeft) return QRect(0, 0, w, height());
  return QRect(width() - w, 0, w, height());
}

void TsfDBGridInplaceEdit::UpdateEditStyle() {
  TsfSkinCustomDBGrid* grid = DBGrid();
  TsfEditStyle style = esSimple;
  TsfColumn* column = grid ? grid->SelectedColumn() : nullptr;
  TField* field = grid ? grid->SelectedField() : nullptr;
  if (column) {
    switch (column->ButtonStyle) {
      case cbsEllipsis: style = esEllipsis; break;
      case cbsNone: break;
      case cbsAuto:
        if (field && field->IsLookup()) {
          const QList<TField*> keys = KeyFieldsOf(field);
          bool writable = !keys.isEmpty() && !column->ReadOnly && !grid->ReadOnly() &&
                          !grid->DataLink()->ReadOnly;
          for (const TField* k : keys) writable = writable && k->CanModify();
          if (writable) style = esDataList;
        } else if (!column->PickList.isEmpty() && !grid->EditorReadOnly()) {
          style = esPickList;
        }
        break;
    }
  }
  if (style == m_style) return;
  if (ListVisible()) CloseUp(false);
  m_style = style;
  ApplyTextMargins();
  setMouseTracking(style != esSimple);
  update();
}

// The text keeps clear of the button, at whichever end it is.
void TsfDBGridInplaceEdit::ApplyTextMargins() {
  const int b = m_style == esSimple ? 0 : ButtonWidth();
  if (layoutDirection() == Qt::RightToLeft) setTextMargins(2 + b, 2, 2, 0);
  else setTextMargins(2, 2, 2 + b, 0);
}

void TsfDBGridInplaceEdit::changeEvent(QEvent* e) {
  TsfSkinInplaceEdit::changeEvent(e);
  if (e->type() == QEvent::LayoutDirectionChange) {
    ApplyTextMargins();
    update();
  }
}

bool TsfDBGridInplaceEdit::ListVisible() const { return m_list && m_list->Shown(); }

void TsfDBGridInplaceEdit::SetPressed(bool v) {
  if (v == m_pressed) return;
  m_pressed = v;
  update(ButtonRect());
}

// --- the list -------------------------------------------------------------------

void TsfDBGridInplaceEdit::DropDown() {
  if ((m_style != esPickList && m_style != esDataList) || ListVisible()) return;
  TsfSkinCustomDBGrid* grid = DBGrid();
  TsfColumn* column = grid ? grid->SelectedColumn() : nullptr;
  TField* field = grid ? grid->SelectedField() : nullptr;
  if (!column || !field) return;
  if (!m_list) {
    m_list = new TsfDBPopupListbox(this);
    m_list->OnChoose = [this](bool accept) { CloseUp(accept); };
    m_list->OnCheckButtonClick = [this](TObject*) { CloseUp(true); };
    // A press on the editor itself leaves the list open.
    m_list->OnCancelMode = [this](QWidget* cause) {
      if (cause != this) CloseUp(false);
    };
  }
  TsfDBPopupListbox* list = m_list;
  list->SetSkinDataName(grid->PickListBoxSkinDataName);
  list->SetSkinData(grid->SkinData());
  list->ApplySkinChange();
  list->SetCaptionMode(grid->PickListBoxCaptionMode);
  list->SetCaption(column->Title()->Caption());
  int current = -1;
  if (m_style == esPickList) {
    list->ClearKeys();
    list->SetItems(column->PickList);
    const QString text = field->Text();
    if (!text.isEmpty()) current = column->PickList.indexOf(text);
  } else {
    list->FillFromLookup(field);
    const QList<TField*> keys = KeyFieldsOf(field);
    QVariant key;
    if (keys.size() == 1) {
      key = keys[0]->Value();
    } else {
      QVariantList values;
      for (const TField* k : keys) values << k->Value();
      key = values;
    }
    current = list->IndexOfKey(key);
  }
  const int rows = std::clamp(int(list->Items().size()), 1, std::max(1, column->DropDownRows));
  list->SetRowCount(rows);
  // At least as wide as the editor, and wide enough for the widest item.
  const int frame = list->Width() - list->ListBox()->Width();
  list->SetWidth(std::max(width(), list->WidestItem() + 4 + frame));
  list->ListBox()->SetTopIndex(0);
  list->SetItemIndex(current);
  list->UpdateScrollBars();
  list->DropDownFor(this);
}

void TsfDBGridInplaceEdit::CloseUp(bool accept) {
  m_tracking = false;
  SetPressed(false);
  if (!ListVisible()) return;
  TsfDBPopupListbox* list = m_list;
  const int i = list->ItemIndex();
  const QString value = i >= 0 && i < list->Items().size() ? list->Items()[i] : QString();
  const QVariant key = list->KeyAt(i);
  const bool lookup = m_style == esDataList;
  list->HideList();
  list->ClearKeys();
  if (!accept) return;
  GuardEvent([&] {
    if (lookup) AcceptLookupKey(key);
    else AcceptPickValue(value);
  });
}

// Puts the grid's record set into edit mode for writing `fields`. Handlers
// run on the way (state and data changes) may destroy the grid or close the
// record set, so only guarded pointers are used after the record set's Edit.
bool TsfDBGridInplaceEdit::StartEditing(const QList<TField*>& fields) {
  QPointer<TsfDBGridInplaceEdit> self(this);
  QPointer<TsfSkinCustomDBGrid> grid(DBGrid());
  if (!grid || grid->ReadOnly() || !grid->DataLink()->Active() || grid->DataLink()->ReadOnly ||
      fields.isEmpty())
    return false;
  for (const TField* f : fields)
    if (!f || !f->CanModify()) return false;
  QPointer<TDataSet> ds(grid->DataLink()->DataSet());
  if (ds->State() != dsEdit && ds->State() != dsInsert) ds->Edit();
  return self && grid && ds && ds->Active() && grid->DataLink()->DataSet() == ds &&
         grid->DataLink()->Editing();
}

// The chosen text becomes the field's edit text.
void TsfDBGridInplaceEdit::AcceptPickValue(const QString& value) {
  QPointer<TsfDBGridInplaceEdit> self(this);
  QPointer<TsfSkinCustomDBGrid> grid(DBGrid());
  if (value.isEmpty() || !grid || grid->EditorReadOnly()) return;
  if (!StartEditing({grid->SelectedField()})) return;
  TField* field = grid->SelectedField();
  if (!field) return;
  setText(value);
  selectAll();
  field->SetText(value);  // may run a handler that destroys the grid
  if (self && grid && grid->SelectedField() == field) {
    setText(field->Text());
    selectAll();
  }
}

// The chosen record's key goes into the key field(s) of the grid's record.
void TsfDBGridInplaceEdit::AcceptLookupKey(const QVariant& key) {
  QPointer<TsfDBGridInplaceEdit> self(this);
  QPointer<TsfSkinCustomDBGrid> grid(DBGrid());
  if (key.isNull() || !grid) return;
  const QList<TField*> keys = KeyFieldsOf(grid->SelectedField());
  QStringList names;
  for (const TField* k : keys) names << k->FieldName();
  const QVariantList values = keys.size() == 1 ? QVariantList{key} : key.toList();
  if (keys.isEmpty() || values.size() != keys.size()) return;
  QPointer<TDataSet> ds(grid->DataLink()->DataSet());
  if (!StartEditing(keys)) return;
  // The fields are found again by name before each write: a handler of the
  // previous one may have closed the record set.
  for (int n = 0; n < names.size(); ++n) {
    if (!self || !grid || !ds || grid->DataLink()->DataSet() != ds || !ds->Active()) return;
    TField* k = ds->FindField(names[n]);
    if (!k) return;
    k->SetValue(values[n]);
  }
  if (!self || !grid || !grid->SelectedField()) return;
  setText(grid->SelectedField()->Text());
  selectAll();
}

bool TsfDBGridInplaceEdit::InsideList(const QPoint& global) const {
  if (!ListVisible()) return false;
  const TsfListBox* inner = m_list->ListBox();
  return inner->rect().contains(inner->mapFromGlobal(global));
}

void TsfDBGridInplaceEdit::EditButtonClick() {
  QPointer<TsfSkinCustomDBGrid> grid(DBGrid());
  if (grid && grid->OnEditButtonClick) GuardEvent([&] { grid->OnEditButtonClick(grid); });
}

// --- input ----------------------------------------------------------------------

void TsfDBGridInplaceEdit::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && m_style != esSimple && OverButton(e->position().toPoint())) {
    e->accept();
    if (ListVisible()) {
      CloseUp(false);
      return;
    }
    m_tracking = true;
    SetPressed(true);
    if (m_style != esEllipsis) DropDown();
    return;
  }
  TsfSkinInplaceEdit::mousePressEvent(e);
}

void TsfDBGridInplaceEdit::mouseMoveEvent(QMouseEvent* e) {
  const QPoint p = e->position().toPoint();
  if (m_style != esSimple) setCursor(OverButton(p) ? Qt::ArrowCursor : Qt::IBeamCursor);
  if (!m_tracking) return TsfSkinInplaceEdit::mouseMoveEvent(e);
  e->accept();
  const QPoint global = e->globalPosition().toPoint();
  if (InsideList(global)) {
    // Over the list the row under the pointer becomes current.
    TsfListBox* inner = m_list->ListBox();
    const QPoint local = inner->mapFromGlobal(global);
    const int i = inner->ItemAtPos(TPoint(local.x(), local.y()));
    if (i >= 0) inner->SetItemIndex(i);
    SetPressed(false);
    return;
  }
  SetPressed(OverButton(p));
}

void TsfDBGridInplaceEdit::mouseReleaseEvent(QMouseEvent* e) {
  if (!m_tracking) return TsfSkinInplaceEdit::mouseReleaseEvent(e);
  e->accept();
  const bool wasPressed = m_pressed;
  m_tracking = false;
  SetPressed(false);
  if (e->button() != Qt::LeftButton) return;
  if (InsideList(e->globalPosition().toPoint())) {
    CloseUp(true);
    return;
  }
  if (m_style == esEllipsis && wasPressed && OverButton(e->position().toPoint())) EditButtonClick();
}

void TsfDBGridInplaceEdit::mouseDoubleClickEvent(QMouseEvent* e) {
  if (m_style != esSimple && OverButton(e->position().toPoint())) return e->accept();
  TsfSkinInplaceEdit::mouseDoubleClickEvent(e);
}

// Keys of the list kinds; true when the key was taken.
bool TsfDBGridInplaceEdit::ListKey(QKeyEvent* e) {
  const WORD vk = VirtualKeyOf(e);
  const bool alt = e->modifiers() & Qt::AltModifier;
  if ((vk == VK_RETURN || vk == VK_ESCAPE) && !alt && ListVisible()) {
    CloseUp(vk == VK_RETURN);
    return true;
  }
  if (alt && (vk == VK_UP || vk == VK_DOWN)) {
    if (ListVisible()) CloseUp(true);
    else DropDown();
    return true;
  }
  if (!ListVisible()) return false;
  QPointer<TsfDBGridInplaceEdit> self(this);
  if (vk) m_list->ListKey(vk);
  const QString text = e->text();
  if (self && ListVisible() && !text.isEmpty() && text[0].isPrint() &&
      !(e->modifiers() & Qt::ControlModifier))
    m_list->ListChar(text[0]);
  return true;
}

void TsfDBGridInplaceEdit::keyPressEvent(QKeyEvent* e) {
  if ((m_style == esPickList || m_style == esDataList) && ListKey(e)) return e->accept();
  if (m_style == esEllipsis && VirtualKeyOf(e) == VK_RETURN &&
      (e->modifiers() & Qt::ControlModifier)) {
    e->accept();
    EditButtonClick();
    return;
  }
  TsfSkinInplaceEdit::keyPressEvent(e);
}

void TsfDBGridInplaceEdit::focusOutEvent(QFocusEvent* e) {
  // A platform that activates the list's window anyway takes the focus only
  // for a moment: the list gives the activation back (TsfPopupListBox).
  if (m_list && QApplication::activeWindow() == m_list.data()) return QLineEdit::focusOutEvent(e);
  QPointer<TsfDBGridInplaceEdit> self(this);
  CloseUp(false);
  if (self) TsfSkinInplaceEdit::focusOutEvent(e);
}

void TsfDBGridInplaceEdit::hideEvent(QHideEvent* e) {
  CloseUp(false);
  TsfSkinInplaceEdit::hideEvent(e);
}

// --- painting -------------------------------------------------------------------

void TsfDBGridInplaceEdit::paintEvent(QPaintEvent* e) {
  TsfSkinInplaceEdit::paintEvent(e);
  if (m_style == esSimple) return;
  QPainter painter(this);
  PaintButton(painter, ButtonRect());
}

void TsfDBGridInplaceEdit::PaintButton(QPainter& painter, const QRect& r) {
  if (r.isEmpty()) return;
  TBitmap picture(r.width(), r.height());
  TCanvas* c = picture.Canvas();
  TColor symbol = clBlack;
  bool skinned = false;
  TsfSkinCustomDBGrid* grid = DBGrid();
  TsfSkinData* sd = grid ? grid->SkinData() : nullptr;
  if (sd && !sd->IsEmpty) {
    if (auto* rec = sd->ControlRecord<TsfDataSkinButtonControl>(QStringLiteral("resizebutton"))) {
      TsfSkinGeometry g;
      g.Read(*rec, *sd);
      if (g.Picture && !rec->skinrect.IsEmpty()) {
        int w = r.width(), h = r.height();
        g.AdjustSize(w, h);
        const TRect source = m_pressed && !rec->downskinrect.IsEmpty() ? rec->downskinrect : rec->skinrect;
        TBitmap face;
        g.Compose(face, source, r.width(), r.height());
        c->Draw(0, 0, &face);
        symbol = m_pressed ? rec->downfontcolor : rec->fontcolor;
        skinned = true;
      }
    }
  }
  if (!skinned) {
    c->Brush.Style = bsSolid;
    c->Brush.Color = FromQColor(palette().color(QPalette::Base));
    c->Pen.Color = clBlack;
    c->Rectangle(0, 0, r.width(), r.height());
  }
  const int shift = m_pressed ? 1 : 0;
  if (m_style == esEllipsis) {
    const int d = std::max(1, r.width() >> 3);
    const int x = r.width() / 2 - 1 + shift, y = r.height() / 2 - 1 + shift;
    c->Brush.Style = bsSolid;
    c->Brush.Color = symbol;
    for (int k = -1; k <= 1; ++k) c->FillRect(Bounds(x + k * 2 * d, y, d, d));
  } else {
    DrawArrowGlyph(c, TRect(shift, shift, r.width() + shift, r.height() + shift), symbol, 4);
  }
  painter.drawImage(r.topLeft(), picture.Image());
}
