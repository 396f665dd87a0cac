#pragma once
// The default skin "Modern": pictures drawn by code and a skin file written
// through the records' own SaveToIni, so it is exactly what the reader reads.

#include <QString>

// Writes skin.ini and the .bmp pictures into `folder` (created if needed).
// Returns false when a file cannot be written.
bool WriteDefaultSkin(const QString& folder, QString* error = nullptr);
