#pragma once
// TDataSource connects a record set to data links; a TDataLink is a control's
// view of the record set: a window of buffered rows with an active row, and
// the notifications.

#include <QPointer>

#include "db/dataset.h"

class TDataSource : public TComponent {
  Q_OBJECT
 public:
  explicit TDataSource(QObject* owner = nullptr);
  ~TDataSource() override;

  TDataSet* DataSet() const { return m_dataSet; }
  void SetDataSet(TDataSet* ds);
  bool Enabled() const { return m_enabled; }
  void SetEnabled(bool v);
  TDataSetState State() const;
  bool LinksTo(const TDataLink* link) const { return m_links.contains(const_cast<TDataLink*>(link)); }

  std::function<void(TObject*, TField*)> OnDataChange;
  TNotifyEvent OnStateChange;
  TNotifyEvent OnUpdateData;

 private:
  friend class TDataSet;
  friend class TDataLink;
  QList<TDataLink*> m_links;
  QPointer<TDataSet> m_dataSet;
  bool m_enabled = true;
};

class TDataLink {
 public:
  TDataLink();
  virtual ~TDataLink();
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  TDataSource* DataSource() const { return m_source; }
  void SetDataSource(TDataSource* source);
  TDataSet* DataSet() const;
  bool Active() const;
  bool Editing() const { return m_editing; }
  bool ReadOnly = false;
  // Puts the record set in edit state (unless read-only); true when editing.
  bool Edit();
  // Sends update-data to this link now (the control writes its value).
  void UpdateRecord();
  // Marks this link's control as holding an unsaved change.
  void Modified() { m_modified = true; }

  // The window of buffered rows.
  int BufferCount() const { return m_bufferCount; }
  void SetBufferCount(int n);
  int ActiveRecord() const;        // place of the current row in the window
  void SetActiveRecord(int index); // rows read by fields until restored
  int RecordCount() const;         // rows in the window
  int FirstRecord() const { return m_first; }

 protected:
  virtual void ActiveChanged() {}
  virtual void DataSetChanged() { RecordChanged(nullptr); }
  virtual void DataSetScrolled(int distance) { Q_UNUSED(distance); DataSetChanged(); }
  virtual void RecordChanged(TField* field) { Q_UNUSED(field); }
  virtual void LayoutChanged() { DataSetChanged(); }
  virtual void FocusControl(TField** field) { Q_UNUSED(field); }
  virtual void EditingChanged() {}
  virtual void UpdateData() {}
  bool IsModified() const { return m_modified; }

 private:
  friend class TDataSet;
  friend class TDataSource;
  // Keeps the current row inside the window; returns how far it moved.
  int AdjustWindow();
  void SendUpdateData();

  QPointer<TDataSource> m_source;
  int m_bufferCount = 1;
  int m_first = 0;
  bool m_editing = false;
  bool m_modified = false;
  bool m_updating = false;
  // Set by the destructor while Edit() waits on the record set, whose
  // handlers may destroy the link's control and with it the link.
  bool* m_destroyedFlag = nullptr;
};
