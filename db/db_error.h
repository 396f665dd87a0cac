#pragma once

#include "platform/exceptions.h"

// An error of the database engine, carrying its own message.
class EOleException : public Exception {
 public:
  using Exception::Exception;
};

// A misuse of a record set (unknown field, wrong state, not open...).
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};
