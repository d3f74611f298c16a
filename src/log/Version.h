#pragma once

#include <QString>

// Base name of the program's own files (VelmoraTuner.ini, VelmoraTuner.log) and of its title.
inline constexpr char ProgramBaseName[] = "VelmoraTuner";

// The program's version as the build states it ("1.56.0.0"); "0.0" when the build gives none.
QString VersionString();

// The rule behind VersionString() for a given build constant.
QString VersionStringFrom(const char* buildVersion);
