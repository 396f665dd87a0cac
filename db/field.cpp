#include "db/field.h"

#include "db/dataset.h"
#include "db/db_error.h"

TField::TField(TDataSet* ds, QString name, TFieldType type, int size, TFieldKind kind)
    : m_dataSet(ds), m_name(std::move(name)), m_type(type), m_size(size), m_kind(kind) {
  m_readOnly = type == ftAutoInc || kind == fkLookup;
}

bool TField::IsNumeric() const {
  return m_type == ftInteger || m_type == ftLargeint || m_type == ftAutoInc || m_type == ftFloat;
}

int TField::DisplayWidth() const {
  switch (m_type) {
    case ftInteger: case ftAutoInc: return 10;
    case ftLargeint: return 15;
    case ftFloat: return 10;
    case ftMemo: case ftWideMemo: case ftBlob: return 10;
    default: return m_size > 0 ? m_size : 20;
  }
}

bool TField::CanModify() const {
  return !m_readOnly && m_kind != fkLookup && m_dataSet && m_dataSet->CanModify() &&
         (m_kind == fkCalculated || m_column >= 0);
}

bool TField::IsValidChar(QChar c) const {
  switch (m_type) {
    case ftInteger: case ftLargeint: case ftAutoInc:
      return c.isDigit() || c == '+' || c == '-';
    case ftFloat:
      return c.isDigit() || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E';
    default:
      return true;
  }
}

QString TField::ValueToText(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::UnknownType: return QString();
    case QMetaType::QString: return *static_cast<const QString*>(v.constData());
    case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
    case QMetaType::LongLong: return QString::number(v.toLongLong());
    case QMetaType::Int: return QString::number(v.toInt());
    case QMetaType::QByteArray: return QString::fromUtf8(v.toByteArray());
    default: return v.toString();
  }
}

QVariant TField::Value() const { return m_dataSet->FieldValue(this); }

const QVariant& TField::ValueRef() const { return m_dataSet->FieldValueRef(this); }

void TField::SetValue(const QVariant& v) { m_dataSet->SetFieldValue(this, v); }

bool TField::IsNull() const {
  const QVariant& v = m_dataSet->FieldValueRef(this);
  return !v.isValid() || v.isNull();
}

QString TField::AsString() const { return ValueToText(m_dataSet->FieldValueRef(this)); }

void TField::SetAsString(const QString& s) {
  if (s.isEmpty() && m_type != ftString && m_type != ftWideString && !IsBlob()) {
    SetValue(QVariant());
    return;
  }
  switch (m_type) {
    case ftInteger: case ftLargeint: case ftAutoInc: {
      bool ok = false;
      const qlonglong v = s.trimmed().toLongLong(&ok);
      if (!ok) throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(s));
      SetValue(v);
      return;
    }
    case ftFloat: {
      bool ok = false;
      const double v = s.trimmed().toDouble(&ok);
      if (!ok) throw EDatabaseError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
      if (v == static_cast<double>(static_cast<qlonglong>(v)) && !s.contains('.') && !s.contains('e', Qt::CaseInsensitive))
        SetValue(static_cast<qlonglong>(v));
      else
        SetValue(v);
      return;
    }
    default:
      SetValue(s);
  }
}

int TField::AsInteger() const {
  const QVariant v = Value();
  if (v.isNull()) return 0;
  bool ok = false;
  const int i = v.toInt(&ok);
  if (!ok) throw EDatabaseError(QStringLiteral("'%1' is not a valid integer value").arg(AsString()));
  return i;
}

double TField::AsFloat() const {
  const QVariant v = Value();
  return v.isNull() ? 0.0 : v.toDouble();
}

QString TField::DisplayText() const {
  QString text = AsString();
  if (OnGetText) OnGetText(const_cast<TField*>(this), text, true);
  return text;
}

QString TField::Text() const {
  QString text = AsString();
  if (OnGetText) OnGetText(const_cast<TField*>(this), text, false);
  return text;
}

void TField::SetText(const QString& s) {
  if (OnSetText) OnSetText(this, s);
  else SetAsString(s);
}

void TField::SaveToStream(TMemoryStream& stream) const {
  const QVariant v = Value();
  if (v.typeId() == QMetaType::QByteArray) stream.Write(v.toByteArray());
  else stream.Write(ValueToText(v).toUtf8());
}

void TField::FocusControl() {
  if (m_dataSet && m_dataSet->Active()) m_dataSet->NotifyFocusControl(this);
}
