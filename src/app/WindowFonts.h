#pragma once

#include <QFont>

// The window's two typefaces with metric-close stand-ins where they are not installed:
// Tahoma for the interface (Liberation Sans, then DejaVu Sans), Times New Roman for the hint
// line (Liberation Serif is metric-compatible, then DejaVu Serif).
namespace window_fonts {

// Makes Wine's Tahoma (Debian fonts-wine, same metrics as the original) available to the
// program when the system has no Tahoma of its own. Once per process; does nothing where the
// files are missing.
void registerFallbackFonts();

QFont interfaceFont(int pixelSize = 11, int weight = QFont::Normal);
QFont hintFont(int pixelSize = 15);

} // namespace window_fonts
