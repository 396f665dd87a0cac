#pragma once
// Small helpers shared by the tests.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "platform/application.h"

#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// Answers every message box with `answer` and records the requests, for the
// life of the object.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int answer = IDOK);
  ~MessageBoxRecorder();
  QList<TMessageBoxRequest> requests;
  int answer;

 private:
  TMessageBoxHandler m_previous;
};

// Reads a whole file (empty when missing).
QByteArray ReadFileBytes(const QString& path);
void WriteFileBytes(const QString& path, const QByteArray& bytes);
