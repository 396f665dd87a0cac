#include "tests/support/test_support.h"

#include <QFile>

MessageBoxRecorder::MessageBoxRecorder(int a) : answer(a) {
  m_previous = SetMessageBoxHandler([this](const TMessageBoxRequest& r) {
    requests.append(r);
    return answer;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxHandler(std::move(m_previous)); }

QByteArray ReadFileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::WriteOnly)) f.write(bytes);
}
