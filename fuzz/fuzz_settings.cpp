// Feeds arbitrary bytes to the settings reader as the contents of VelmoraTuner.ini.
//
// Besides the sanitizers' checks it asserts what the program relies on: reading any file
// gives settings (never a crash), values written afterwards read back exactly, a write loses
// no entry the file held, and repeated saves settle on one text instead of growing.

#include "config/AppSettings.h"
#include "config/IniFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "fuzz_settings: %s\n", what);
    std::abort();
}

bool isWrittenByTheHarness(const QByteArray& section, const QByteArray& key) {
    return (section.compare("Koef", Qt::CaseInsensitive) == 0 &&
            key.compare("Kdc", Qt::CaseInsensitive) == 0) ||
           (section.compare("Connection", Qt::CaseInsensitive) == 0 &&
            key.compare("ComPort", Qt::CaseInsensitive) == 0);
}

// Every entry of `before` is in `after` with the same value.
bool keepsEveryEntry(const IniFile& before, const IniFile& after) {
    for (const QByteArray& section : before.sections()) {
        for (const QByteArray& key : before.keys(section)) {
            if (isWrittenByTheHarness(section, key)) {
                continue;
            }
            if (!after.hasKey(section, key) ||
                after.readBytes(section, key) != before.readBytes(section, key)) {
                return false;
            }
        }
    }
    return true;
}

IniFile reload(const QByteArray& text) {
    IniFile file(QStringLiteral("fuzz-never-saved.ini"));
    if (!file.loadFromBytes(text)) {
        fail("a written file does not load");
    }
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    IniFile loaded(QStringLiteral("fuzz-never-saved.ini"));
    loaded.loadFromBytes(input);
    const AppSettings settings = readAppSettings(loaded);
    (void)settings;

    IniFile edited(QStringLiteral("fuzz-never-saved.ini"));
    edited.loadFromBytes(input);
    edited.writeReal("Koef", "Kdc", 12.5);
    edited.writeInteger("Connection", "ComPort", 7);
    const QByteArray first = edited.serialize();
    // A key outside any section spelled as the three bytes of the UTF-8 signature ends up at
    // the very start of the file and is then taken for the signature. Known, and left alone.
    if (first.startsWith("\xEF\xBB\xBF") && !input.startsWith("\xEF\xBB\xBF")) {
        return 0;
    }

    const IniFile reread = reload(first);
    if (reread.readReal("Koef", "Kdc", 0) != 12.5 ||
        reread.readInteger("Connection", "ComPort", 0) != 7) {
        fail("written values do not read back");
    }
    if (!keepsEveryEntry(loaded, reread) || !keepsEveryEntry(reread, loaded)) {
        fail("a write changed entries it did not touch");
    }
    // A save may tidy the layout (blank lines, comments, keys outside any section moved to the
    // top), but the file must settle after a few saves and never keep changing or growing.
    QByteArray text = reread.serialize();
    for (int save = 0;; ++save) {
        const QByteArray next = reload(text).serialize();
        if (next == text) {
            break;
        }
        if (save == 3) {
            fail("every save changes the file");
        }
        text = next;
    }
    return 0;
}
