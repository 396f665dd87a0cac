# Writes the bank schema into a C++ header as one raw string literal, so the
# program carries the schema it was built with (the bank checks compare a
# bank against it, imported banks get their view and triggers from it, and
# bankgen writes new banks with it).
# Called at build time with -DIN=<sql file> -DOUT=<header>.
file(READ "${IN}" sql)
string(FIND "${sql}" ")bank_schema\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} contains the raw string delimiter")
endif()
set(text "// Generated from content/bank_schema.sql at build time. Do not edit.\n#pragma once\ninline constexpr const char kBankSchemaSql[] = R\"bank_schema(${sql})bank_schema\";\n")
if(EXISTS "${OUT}")
  file(READ "${OUT}" old)
  if(old STREQUAL text)
    return()
  endif()
endif()
file(WRITE "${OUT}" "${text}")
