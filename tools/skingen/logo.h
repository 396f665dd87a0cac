#pragma once
// The program's logo: an open book with a tick over the name, drawn by code
// at the size of the windows' link images.

#include <QImage>
#include <QString>

constexpr int kLogoWidth = 177;
constexpr int kLogoHeight = 49;

QImage DrawLogo();
// Writes the logo as a 24-bit bitmap.
bool WriteLogo(const QString& file, QString* error = nullptr);
