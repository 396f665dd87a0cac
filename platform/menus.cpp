#include "platform/menus.h"

#include <algorithm>

TMenuItem::TMenuItem(QObject* owner) : TComponent(owner) {}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  const auto it = std::find(m_items.begin(), m_items.end(), item);
  return it == m_items.end() ? -1 : int(it - m_items.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->m_parent) item->m_parent->Remove(item);
  index = std::clamp(index, 0, Count());
  m_items.insert(m_items.begin() + index, item);
  item->m_parent = this;
  item->setParent(this);
  // A sub-item deleted by someone else leaves the list.
  // The item is compared by address only: once destroyed is emitted it is no
  // longer a TMenuItem, and casting the sender down to one is undefined.
  connect(item, &QObject::destroyed, this, [this, item] {
    m_items.erase(std::remove(m_items.begin(), m_items.end(), item), m_items.end());
  });
}

void TMenuItem::Remove(TMenuItem* item) {
  const int i = IndexOf(item);
  if (i < 0) return;
  m_items.erase(m_items.begin() + i);
  disconnect(item, &QObject::destroyed, this, nullptr);
  item->m_parent = nullptr;
  item->setParent(nullptr);
}

void TMenuItem::Clear() {
  std::vector<TMenuItem*> items;
  items.swap(m_items);
  for (TMenuItem* item : items) {
    disconnect(item, &QObject::destroyed, this, nullptr);
    delete item;
  }
}

void TMenuItem::Click() {
  // A copy runs: the command may delete this item, and its handler with it.
  const TNotifyEvent handler = OnClick;
  if (handler) handler(this);
}

TMenuItem* NewMenuItem(QObject* owner, const QString& name, const QString& caption,
                       TNotifyEvent onClick, const QString& shortCut) {
  auto* item = new TMenuItem(owner);
  item->SetName(name);
  item->Caption = caption;
  item->OnClick = std::move(onClick);
  item->ShortCutText = shortCut;
  return item;
}

QChar AccessKeyOf(const QString& caption) {
  for (int i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    if (caption[i + 1] == QLatin1Char('&')) {
      ++i;
      continue;
    }
    return caption[i + 1];
  }
  return QChar();
}

QString StripAccessMarks(const QString& caption) {
  QString out;
  out.reserve(caption.size());
  for (int i = 0; i < caption.size(); ++i) {
    if (caption[i] == QLatin1Char('&')) {
      if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
        out += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    out += caption[i];
  }
  return out;
}

TPopupMenu::TPopupMenu(QObject* owner) : TComponent(owner), m_items(new TMenuItem(this)) {}
