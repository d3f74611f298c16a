#include "log/Version.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION ""
#endif

QString VersionStringFrom(const char* buildVersion) {
    const QString text = QString::fromLatin1(buildVersion ? buildVersion : "").trimmed();
    return text.isEmpty() ? QStringLiteral("0.0") : text;
}

QString VersionString() {
    return VersionStringFrom(VELMORA_VERSION);
}
