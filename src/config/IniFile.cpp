#include "config/IniFile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cmath>
#include <string>

// Debian's header has no ConvertUTF.h, and the 8-bit file text needs no conversion anyway.
// The implementation is compiled here rather than taken from the shared library, so that the
// sanitizer build of the fuzz targets instruments the parser it exercises.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

// CSimpleIniA compares section and key names without regard to ASCII case, like the Windows
// profile functions (CSimpleIniCaseA is the case-sensitive one).
struct IniFile::Store {
    CSimpleIniA ini;

    Store() {
        ini.SetUnicode(false);
        ini.SetSpaces(false);
        ini.SetMultiKey(false);
        ini.SetMultiLine(false);
        ini.SetQuotes(false);
        // Lines without "=" are not entries and are dropped at the next save. SimpleIni 4.19
        // could keep them as keys without a value, but then gives such a key the value of the
        // line before it.
        ini.SetAllowKeyOnly(false);
    }
};

namespace {

const char* const Cp1251 = "windows-1251";
// A file saved as UTF-8 by some editors starts with it; SimpleIni skips it and writes it back.
const char Utf8Signature[] = "\xEF\xBB\xBF";

QByteArray terminated(QByteArrayView view) {
    return view.toByteArray();
}

// Bytes that never occur in a text file; the file is then taken for binary.
int firstBinaryByte(const QByteArray& bytes) {
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// True when some line is a section header or a key=value line, or there is nothing but
// blank lines and comments. A text without any of them is not a settings file.
bool looksLikeIni(const QByteArray& bytes) {
    QByteArrayView text(bytes);
    if (text.startsWith(Utf8Signature)) {
        text = text.sliced(3);
    }
    bool anyOtherLine = false;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') {
            ++end;
        }
        const QByteArrayView line = text.sliced(start, end - start).trimmed();
        start = end + 1;
        if (line.isEmpty() || line.front() == ';' || line.front() == '#') {
            continue;
        }
        if ((line.front() == '[' && line.contains(']')) || line.contains('=')) {
            return true;
        }
        anyOtherLine = true;
    }
    return !anyOtherLine;
}

// SimpleIni 4.19 takes a line that opens a section without closing it ("[Ports") for the
// start of a section name that runs on into the following lines, and every save then adds
// another copy of those lines. Such a line is turned into a comment: it keeps its text and
// the lines after it stay in the section they were in.
QByteArray commentOutUnclosedSections(const QByteArray& bytes) {
    QByteArray result;
    result.reserve(bytes.size());
    qsizetype start = 0;
    if (bytes.startsWith(Utf8Signature)) {
        result += Utf8Signature;
        start = 3;
    }
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') {
            ++end;
        }
        const QByteArrayView line = QByteArrayView(bytes).sliced(start, end - start).trimmed();
        if (line.startsWith('[') && !line.contains(']')) {
            result += ';';
        }
        const qsizetype next = qMin(end + 1, bytes.size());
        result += QByteArrayView(bytes).sliced(start, next - start);
        start = next;
    }
    return result;
}

QString unreadable(const QString& path, const QString& reason) {
    return QStringLiteral("Файл настроек \"%1\" не прочитан: %2").arg(path, reason);
}

QString unwritable(const QString& path, const QString& reason) {
    return QStringLiteral("Не удалось записать файл настроек \"%1\": %2").arg(path, reason);
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)), m_store(std::make_unique<Store>()) {}

IniFile::~IniFile() = default;
IniFile::IniFile(IniFile&&) noexcept = default;
IniFile& IniFile::operator=(IniFile&&) noexcept = default;

bool IniFile::rejectContents(const QString& reason) {
    m_store = std::make_unique<Store>();
    m_loadError = unreadable(m_path, reason);
    return false;
}

bool IniFile::load() {
    m_store = std::make_unique<Store>();
    m_loadError.clear();
    m_keepUnusableFile = false;

    const QFileInfo info(m_path);
    if (!info.exists()) {
        return true;
    }
    m_keepUnusableFile = true; // until the contents prove usable
    if (!info.isFile()) {
        return rejectContents(QStringLiteral("это не обычный файл"));
    }
    if (info.size() > MaxFileBytes) {
        return rejectContents(QStringLiteral("размер %1 байт больше допустимых %2")
                                  .arg(info.size())
                                  .arg(MaxFileBytes));
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        return rejectContents(file.errorString());
    }
    // Read one byte past the limit: the size reported for special files can lie.
    const QByteArray bytes = file.read(MaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        return rejectContents(file.errorString());
    }
    if (bytes.size() > MaxFileBytes) {
        return rejectContents(QStringLiteral("больше %1 байт").arg(MaxFileBytes));
    }
    if (!loadFromBytes(bytes)) {
        m_keepUnusableFile = true;
        return false;
    }
    return true;
}

bool IniFile::loadFromBytes(const QByteArray& bytes) {
    m_store = std::make_unique<Store>();
    m_loadError.clear();
    m_keepUnusableFile = false;

    if (bytes.size() > MaxFileBytes) {
        return rejectContents(QStringLiteral("больше %1 байт").arg(MaxFileBytes));
    }
    if (const int at = firstBinaryByte(bytes); at >= 0) {
        return rejectContents(
            QStringLiteral("это не текстовый файл (байт 0x%1 в позиции %2)")
                .arg(uint(static_cast<unsigned char>(bytes[at])), 2, 16, QChar('0'))
                .arg(at));
    }
    if (!looksLikeIni(bytes)) {
        return rejectContents(
            QStringLiteral("в нём нет ни одного раздела и ни одной строки ключ=значение"));
    }
    const QByteArray parsed = commentOutUnclosedSections(bytes);
    if (m_store->ini.LoadData(parsed.constData(), static_cast<size_t>(parsed.size())) < 0) {
        return rejectContents(QStringLiteral("ошибка разбора"));
    }
    return true;
}

bool IniFile::hasKey(QByteArrayView section, QByteArrayView key) const {
    return m_store->ini.GetValue(terminated(section).constData(), terminated(key).constData(),
                                 nullptr) != nullptr;
}

QList<QByteArray> IniFile::sections() const {
    CSimpleIniA::TNamesDepend names;
    m_store->ini.GetAllSections(names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QList<QByteArray> result;
    for (const auto& entry : names) {
        result.append(QByteArray(entry.pItem));
    }
    return result;
}

QList<QByteArray> IniFile::keys(QByteArrayView section) const {
    CSimpleIniA::TNamesDepend names;
    m_store->ini.GetAllKeys(terminated(section).constData(), names);
    names.sort(CSimpleIniA::Entry::LoadOrder());
    QList<QByteArray> result;
    for (const auto& entry : names) {
        result.append(QByteArray(entry.pItem));
    }
    return result;
}

QByteArray IniFile::readBytes(QByteArrayView section, QByteArrayView key,
                              const QByteArray& fallback) const {
    const char* value = m_store->ini.GetValue(terminated(section).constData(),
                                              terminated(key).constData(), nullptr);
    return value ? QByteArray(value) : fallback;
}

QString IniFile::readString(QByteArrayView section, QByteArrayView key,
                            const QString& fallback) const {
    if (!hasKey(section, key)) {
        return fallback;
    }
    QStringDecoder decode(Cp1251);
    return QString(decode(readBytes(section, key)));
}

int IniFile::readInteger(QByteArrayView section, QByteArrayView key, int fallback) const {
    bool ok = false;
    const int value = readBytes(section, key).trimmed().toInt(&ok, 10);
    return ok ? value : fallback;
}

bool IniFile::readBool(QByteArrayView section, QByteArrayView key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

double IniFile::parseReal(QByteArrayView text, bool* ok) {
    QByteArray number = text.trimmed().toByteArray();
    *ok = false;
    if (number.isEmpty() || number.count(',') + number.count('.') > 1) {
        return 0.0;
    }
    number.replace(',', '.');
    bool parsed = false;
    const double value = number.toDouble(&parsed);
    if (!parsed || !std::isfinite(value)) {
        return 0.0;
    }
    *ok = true;
    return value;
}

double IniFile::readReal(QByteArrayView section, QByteArrayView key, double fallback) const {
    bool ok = false;
    const double value = parseReal(readBytes(section, key), &ok);
    return ok ? value : fallback;
}

void IniFile::writeBytes(QByteArrayView section, QByteArrayView key, const QByteArray& value) {
    // A line break would end the line early and turn the rest into another entry.
    QByteArray line = value;
    line.replace('\r', ' ').replace('\n', ' ').replace('\0', ' ');
    m_store->ini.SetValue(terminated(section).constData(), terminated(key).constData(),
                          line.constData());
}

void IniFile::writeString(QByteArrayView section, QByteArrayView key, const QString& value) {
    QStringEncoder encode(Cp1251);
    writeBytes(section, key, encode(value));
}

void IniFile::writeInteger(QByteArrayView section, QByteArrayView key, int value) {
    writeBytes(section, key, QByteArray::number(value));
}

void IniFile::writeBool(QByteArrayView section, QByteArrayView key, bool value) {
    writeBytes(section, key, value ? "1" : "0");
}

QString IniFile::formatReal(double value) {
    QString text = QString::number(value, 'g', 15);
    // Only a comma is used besides the point: other separators have no Windows-1251 byte.
    if (QLocale().decimalPoint() == QLatin1String(",")) {
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    }
    return text;
}

void IniFile::writeReal(QByteArrayView section, QByteArrayView key, double value) {
    writeString(section, key, formatReal(value));
}

QByteArray IniFile::serialize() const {
    std::string text;
    CSimpleIniA::StringWriter writer(text);
    // "true" keeps a UTF-8 signature that the loaded file began with; none is added otherwise.
    m_store->ini.Save(writer, true);
    return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

bool IniFile::moveUnusableFileAside(QString* movedTo) {
    const QFileInfo original(m_path);
    if (!original.exists() && !original.isSymLink()) {
        return true; // gone meanwhile: nothing to keep
    }
    for (int n = 0; n < 1000; ++n) {
        const QString candidate =
            n == 0 ? m_path + QStringLiteral(".bad") : m_path + QStringLiteral(".bad.%1").arg(n);
        const QFileInfo taken(candidate);
        if (taken.exists() || taken.isSymLink()) {
            continue;
        }
        QFile file(m_path);
        if (!file.rename(candidate)) {
            m_saveError =
                unwritable(m_path, QStringLiteral("нечитаемый файл не удалось переименовать в "
                                                  "\"%1\" (%2)")
                                       .arg(candidate, file.errorString()));
            return false;
        }
        *movedTo = candidate;
        return true;
    }
    m_saveError = unwritable(m_path, QStringLiteral("нет свободного имени для копии нечитаемого "
                                                    "файла"));
    return false;
}

bool IniFile::save() {
    m_saveError.clear();
    const QByteArray text = serialize();

    // QSaveFile writes a temporary file beside the target and renames it over the target only
    // when everything is on disk; any failure before that leaves the old file untouched.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_saveError = unwritable(m_path, file.errorString());
        return false;
    }
    if (file.write(text) != text.size()) {
        m_saveError = unwritable(m_path, file.errorString());
        file.cancelWriting();
        return false;
    }
    QString movedTo;
    if (m_keepUnusableFile && !moveUnusableFileAside(&movedTo)) {
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        m_saveError = unwritable(m_path, file.errorString());
        if (!movedTo.isEmpty()) {
            QFile::rename(movedTo, m_path);
        }
        return false;
    }
    m_keepUnusableFile = false;
    return true;
}
