#pragma once
// TMemoryStream: bytes with a position, the host framework's in-memory stream.

#include <QByteArray>

class TMemoryStream {
 public:
  const QByteArray& Data() const { return m_data; }
  qint64 Size() const { return m_data.size(); }
  qint64 Position() const { return m_pos; }
  void SetPosition(qint64 p) { m_pos = std::clamp<qint64>(p, 0, m_data.size()); }
  void Clear() { m_data.clear(); m_pos = 0; }
  void Write(const QByteArray& bytes) {
    m_data.replace(m_pos, std::min<qint64>(bytes.size(), m_data.size() - m_pos), bytes);
    m_pos += bytes.size();
  }
  QByteArray ReadAll() {
    QByteArray out = m_data.mid(m_pos);
    m_pos = m_data.size();
    return out;
  }

 private:
  QByteArray m_data;
  qint64 m_pos = 0;
};
