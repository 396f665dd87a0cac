#pragma once
// Fields of a record set: one per result column (data fields) plus the
// calculated and lookup fields defined before opening.

#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

#include "platform/alignment.h"
#include "platform/stream.h"

class TDataSet;

enum TFieldType {
  ftUnknown, ftString, ftWideString, ftInteger, ftLargeint, ftAutoInc, ftFloat, ftMemo,
  ftWideMemo, ftBlob, ftBoolean, ftDateTime,
};
enum TFieldKind { fkData, fkCalculated, fkLookup };

class TField {
 public:
  TField(TDataSet* dataSet, QString name, TFieldType type, int size, TFieldKind kind);

  TDataSet* DataSet() const { return m_dataSet; }
  QString FieldName() const { return m_name; }
  QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_name : m_displayLabel; }
  void SetDisplayLabel(const QString& v) { m_displayLabel = v; }
  int DisplayWidth() const;
  TFieldType DataType() const { return m_type; }
  int Size() const { return m_size; }
  TFieldKind FieldKind() const { return m_kind; }
  int Index() const { return m_index; }
  bool IsBlob() const { return m_type == ftMemo || m_type == ftWideMemo || m_type == ftBlob; }
  bool IsNumeric() const;
  TAlignment Alignment() const { return IsNumeric() ? taRightJustify : taLeftJustify; }
  bool Visible = true;

  bool ReadOnly() const { return m_readOnly; }
  void SetReadOnly(bool v) { m_readOnly = v; }
  bool CanModify() const;
  QString EditMask;
  // Whether `c` may be typed into this field.
  bool IsValidChar(QChar c) const;

  // Values of the record the data set is reading (the current one, or the
  // one a data link has made active).
  QVariant Value() const;
  // The stored value without a copy; valid until the record set moves,
  // changes or closes.
  const QVariant& ValueRef() const;
  void SetValue(const QVariant& v);
  bool IsNull() const;
  // Null reads as empty text; numbers as their decimal digits.
  QString AsString() const;
  void SetAsString(const QString& s);
  int AsInteger() const;
  void SetAsInteger(int v) { SetValue(v); }
  double AsFloat() const;
  QString DisplayText() const;
  QString Text() const;  // edit text
  void SetText(const QString& s);
  void Clear() { SetValue(QVariant()); }
  // The whole stored content of a memo, as UTF-8 bytes.
  void SaveToStream(TMemoryStream& stream) const;
  // Asks the controls showing this field to take the focus: the data links
  // are asked in turn until one takes the request.
  void FocusControl();

  std::function<void(TField* Sender, QString& Text, bool DisplayText)> OnGetText;
  std::function<void(TField* Sender, const QString& Text)> OnSetText;
  bool HasGetText() const { return static_cast<bool>(OnGetText); }
  bool HasSetText() const { return static_cast<bool>(OnSetText); }

  // Lookup fields: KeyFields of this data set are looked up in LookupDataSet by
  // LookupKeyFields and LookupResultField is shown. Cleared when that data set
  // is destroyed (the field then reads as null).
  QPointer<TDataSet> LookupDataSet;
  QString KeyFields;
  QString LookupKeyFields;
  QString LookupResultField;
  bool IsLookup() const { return m_kind == fkLookup; }

  static QString ValueToText(const QVariant& v);

 private:
  friend class TDataSet;
  TDataSet* m_dataSet;
  QString m_name;
  QString m_displayLabel;
  TFieldType m_type;
  int m_size;
  TFieldKind m_kind;
  int m_index = -1;   // position in the data set's field list
  int m_column = -1;  // column of the row buffer (-1: not stored)
  bool m_readOnly = false;
  QString m_originTable;
  QString m_originColumn;
};
