#pragma once
// The host-style exception family. Every failure the system raises is an
// Exception carrying the text shown to the user.

#include <QString>
#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(QString message)
      : m_message(std::move(message)), m_utf8(m_message.toStdString()) {}
  const QString& Message() const { return m_message; }
  const char* what() const noexcept override { return m_utf8.c_str(); }

 private:
  QString m_message;
  std::string m_utf8;
};

#define TOLMSYS_EXCEPTION(Name) \
  class Name : public Exception { \
   public: \
    using Exception::Exception; \
  };

TOLMSYS_EXCEPTION(EFOpenError)
TOLMSYS_EXCEPTION(EInvalidGraphic)
TOLMSYS_EXCEPTION(EInvalidOperation)
TOLMSYS_EXCEPTION(EConvertError)
TOLMSYS_EXCEPTION(EListError)
#undef TOLMSYS_EXCEPTION
