#pragma once
// The record set: a static client-side cursor over the rows of a statement
// (all rows fetched on open), with edits posted back to the statement's table
// or view by its row key.
//
// Notifications to data links (through data sources):
// 1. Any move while editing or inserting first sends update-data, then posts
//    when modified, else cancels. Post always sends update-data first.
// 2. Post, cancel, delete, insert and refresh send data-set-changed; insert
//    sends it in insert state with the new row current; after a delete the
//    cursor is on the next row.
// 3. Plain moves send data-set-scrolled with each link's window distance.
// 4. Setting a field sends record-changed with the field and sets modified.
// 5. Open sends active-changed once the fields exist and the cursor is on
//    row 1; close sends it as inactive.
// 6. While controls are disabled nothing is sent; the last enable sends one
//    data-set-changed if content or state changed, else one scrolled if the
//    cursor moved. Held notifications are never replayed.

#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "db/field.h"
#include "platform/component.h"

class TADOConnection;
class TDataSource;
class TDataLink;

enum TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields };
enum TLocateOption : unsigned { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = unsigned;
using TBookmark = QString;

class TDataSet : public TComponent {
  Q_OBJECT
 public:
  explicit TDataSet(QObject* owner = nullptr);
  ~TDataSet() override;

  // Opening and closing.
  void Open();
  void Close();
  bool Active() const { return m_state != dsInactive; }
  void SetActive(bool v) { v ? Open() : Close(); }
  // Re-runs the statement and keeps the cursor on the same record when it is
  // still there.
  void Refresh();

  // Navigation.
  void First();
  void Last();
  void Next();
  void Prior();
  int MoveBy(int distance);  // returns the distance moved
  bool Bof() const { return m_bof; }
  bool Eof() const { return m_eof; }
  // Puts the start- and end-of-set flags back after a control walked the
  // rows and returned to the record it started on (nothing is sent).
  void RestoreEndFlags(bool bof, bool eof) {
    if (m_rows.empty()) return;
    m_bof = bof;
    m_eof = eof;
  }
  bool IsEmpty() const { return RecordCount() == 0; }
  int RecNo() const;  // 1-based; 0 when there are no rows
  void SetRecNo(int recNo);
  int RecordCount() const { return static_cast<int>(m_rows.size()); }
  bool Locate(const QString& keyFields, const QVariantList& values, TLocateOptions options = 0);
  bool Locate(const QString& keyField, const QVariant& value, TLocateOptions options = 0) {
    return Locate(keyField, QVariantList{value}, options);
  }
  QVariant Lookup(const QString& keyFields, const QVariantList& values,
                  const QString& resultField) const;
  TBookmark Bookmark() const;
  void SetBookmark(const TBookmark& b);
  bool BookmarkValid(const TBookmark& b) const;

  // Editing.
  void Insert();
  void Append();
  void Edit();
  void Post();
  void Cancel();
  void Delete();
  void CheckBrowseMode();
  TDataSetState State() const { return m_state; }
  bool Modified() const { return m_modified; }
  bool CanModify() const;
  bool ReadOnly = false;

  // Notifications to the controls.
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const { return m_disableCount > 0; }
  bool IsLinkedTo(const TDataSource* source) const;

  // Fields.
  const QList<TField*>& Fields() const { return m_fields; }
  int FieldCount() const { return m_fields.size(); }
  TField* FindField(const QString& name) const;
  TField* FieldByName(const QString& name) const;  // throws EDatabaseError
  // Fields named in a ";"-separated list; throws when one is missing.
  QList<TField*> GetFieldList(const QString& names) const;
  // Persistent fields defined before Open.
  TField* AddCalculatedField(const QString& name, TFieldType type, int size = 0);
  TField* AddLookupField(const QString& name, const QString& keyFields, TDataSet* lookupDataSet,
                         const QString& lookupKeyFields, const QString& resultField,
                         TFieldType type = ftWideString, int size = 0);

  TNotifyEvent AfterOpen, BeforeClose, AfterScroll, BeforePost, AfterPost, OnNewRecord;
  TNotifyEvent OnCalcFields;

  // Used by data links: which buffered row the fields read.
  int ActiveRowIndex() const { return m_readRow >= 0 ? m_readRow : m_cur; }
  void SetReadRow(int row) { m_readRow = row; }
  int CurrentRowIndex() const { return m_cur; }

 protected:
  // Supplies the rows: fills columns and rows. Implemented by the query.
  struct ColumnInfo {
    QString name;
    TFieldType type = ftWideString;
    int size = 0;
    bool readOnly = false;
    QString originTable;
    QString originColumn;
  };
  virtual void Fetch(std::vector<ColumnInfo>& columns, std::vector<std::vector<QVariant>>& rows) = 0;
  // Writes one change to the store; returns a new row key for inserts (or an
  // invalid variant).
  enum class WriteKind { Update, Insert, Delete };
  virtual QVariant WriteRow(WriteKind kind, const std::vector<ColumnInfo>& columns,
                            const std::vector<QVariant>& before, const std::vector<QVariant>& after,
                            const std::vector<bool>& changed) = 0;
  virtual bool CanWrite() const { return false; }
  // The column that identifies a row (-1: none).
  virtual int KeyColumn() const { return -1; }

 private:
  friend class TField;
  friend class TDataSource;
  friend class TDataLink;
  struct Row {
    quint64 id = 0;
    std::vector<QVariant> values;
  };

  QVariant FieldValue(const TField* f) const;
  // The stored value without a copy (a null variant when there is none).
  const QVariant& FieldValueRef(const TField* f) const;
  void SetFieldValue(TField* f, const QVariant& v);
  void ComputeCalcFields(int row);
  void MoveTo(int row, bool attemptedPastEnd, bool attemptedBeforeStart);
  void BeginChange();  // rule 1 before a move
  void PostRecord();
  void InsertRowAt(int at);
  void SetState(TDataSetState s);
  void CreateFields(const std::vector<ColumnInfo>& columns);
  int FindRow(quint64 id) const;

  // Notification fan-out (rules 2 to 6).
  void NotifyActiveChanged();
  void NotifyDataSetChanged();
  void NotifyScrolled();
  void NotifyRecordChanged(TField* f);
  void NotifyEditingChanged();
  void NotifyUpdateData();
  // A request rather than a change: sent also while controls are disabled.
  void NotifyFocusControl(TField* f);
  // The links attached now, each with its source, so a walk can tell whether
  // a link is still attached when its turn comes.
  struct LinkRef {
    QPointer<TDataSource> source;
    TDataLink* link;
  };
  QList<LinkRef> Links() const;

  std::vector<ColumnInfo> m_columns;
  std::vector<Row> m_rows;
  QList<TField*> m_fields;                   // all fields in order
  QList<TField*> m_persistent;               // calculated and lookup, kept across opens
  std::vector<std::unique_ptr<TField>> m_dataFields;
  std::vector<std::unique_ptr<TField>> m_ownedPersistent;
  QList<QPointer<TDataSource>> m_sources;
  TDataSetState m_state = dsInactive;
  int m_cur = -1;
  int m_readRow = -1;
  bool m_bof = true;
  bool m_eof = true;
  bool m_modified = false;
  Row m_editRow;           // the record being edited or inserted
  std::vector<bool> m_changed;
  int m_insertedAt = -1;   // row index of an inserted, unposted record
  quint64 m_nextId = 1;
  int m_disableCount = 0;
  bool m_heldChange = false;
  bool m_heldActive = false;
  TDataSetState m_stateAtDisable = dsInactive;
  int m_curAtDisable = -1;
  bool m_activeAtDisable = false;
};

// Disables the controls of a record set for its lifetime.
class TControlsDisabler {
 public:
  explicit TControlsDisabler(TDataSet* ds) : m_ds(ds) { if (m_ds) m_ds->DisableControls(); }
  ~TControlsDisabler() { if (m_ds) m_ds->EnableControls(); }
  TControlsDisabler(const TControlsDisabler&) = delete;
  TControlsDisabler& operator=(const TControlsDisabler&) = delete;

 private:
  QPointer<TDataSet> m_ds;
};
