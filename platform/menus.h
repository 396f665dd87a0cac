#pragma once
// Menus and menu items as the host framework describes them: a tree of items
// with a caption ("&" marks the access key, "-" is a separator), a shortcut
// text, check and radio marks, enabled, visible, default, an image and a
// click. A pop-up menu owns its root item; the items own their sub-items.

#include <QPointer>
#include <QString>
#include <vector>

#include "platform/bitmap.h"
#include "platform/component.h"

class TCustomImageList;

class TMenuItem : public TComponent {
  Q_OBJECT
 public:
  explicit TMenuItem(QObject* owner = nullptr);

  QString Caption;
  QString ShortCutText;  // shown right-aligned, e.g. "Alt+F4"
  bool Checked = false;
  bool RadioItem = false;
  bool Enabled = true;
  bool Visible = true;
  bool Default = false;
  int ImageIndex = -1;
  // The item's own picture, shown in place of its image-list image; the
  // colour of its bottom-left pixel is transparent. Read at every paint.
  TBitmap Bitmap;
  TNotifyEvent OnClick;

  int Count() const { return int(m_items.size()); }
  TMenuItem* Items(int i) const { return m_items[size_t(i)]; }
  int IndexOf(const TMenuItem* item) const;
  // Takes ownership.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Releases the item from this menu without deleting it.
  void Remove(TMenuItem* item);
  // Deletes every sub-item.
  void Clear();
  TMenuItem* ParentItem() const { return m_parent; }
  bool IsLine() const { return Caption == QLatin1String("-"); }
  // Runs OnClick (the host's command dispatch).
  virtual void Click();

 private:
  std::vector<TMenuItem*> m_items;
  TMenuItem* m_parent = nullptr;
};

// Builds an item in one line.
TMenuItem* NewMenuItem(QObject* owner, const QString& name, const QString& caption,
                       TNotifyEvent onClick = nullptr, const QString& shortCut = QString());

// The access character of a caption (the character after a single "&"), or
// a null QChar.
QChar AccessKeyOf(const QString& caption);
// The caption without its "&" marks ("&&" stays one "&").
QString StripAccessMarks(const QString& caption);

class TPopupMenu : public TComponent {
  Q_OBJECT
 public:
  explicit TPopupMenu(QObject* owner = nullptr);
  TMenuItem* Items() const { return m_items; }
  TCustomImageList* Images = nullptr;  // not owned
  TNotifyEvent OnPopup;

 private:
  TMenuItem* m_items;
};
