#include "serial/PortCatalog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

#ifdef Q_OS_WIN
#include <QSerialPortInfo>
#endif

std::optional<int> comNumberFromPortName(const QString& name) {
    if (name.size() < 3 || name.left(3).compare(QLatin1String("com"), Qt::CaseInsensitive) != 0)
        return std::nullopt;
    // Up to three characters after "COM" are read as a number from their leading digits; a
    // ':' ends the name early, and like any other non-digit it ends the number.
    int number = 0;
    for (qsizetype i = 3; i < name.size() && i < 6; ++i) {
        const char16_t c = name.at(i).unicode();
        if (c < u'0' || c > u'9')
            break;
        number = number * 10 + (c - u'0');
    }
    return number;
}

namespace {

const QDir::Filters kAnyEntry = QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot;

#ifndef Q_OS_WIN

// The fixed numbering: each device family owns a range of COM numbers that never overlaps
// another, so a number always names the same device.
struct DeviceFamily {
    const char* prefix;
    int firstNumber;
    int count;
    bool usb;
};

constexpr DeviceFamily kFamilies[] = {
    {"ttyS", 1, 100, false},
    {"ttyUSB", 101, 100, true},
    {"ttyACM", 201, kMaxComPorts - 200, true},
};

// cppcheck misses the members' reads through std::optional.
struct DeviceNumber {
    int number; // cppcheck-suppress unusedStructMember
    bool usb;   // cppcheck-suppress unusedStructMember
};

// "ttyUSB3" -> COM104. Names outside the rule ("tty0", "ttySAC0", "ttyUSB07") have no number.
std::optional<DeviceNumber> numberOfDevice(const QString& name) {
    for (const DeviceFamily& family : kFamilies) {
        const QLatin1String prefix(family.prefix);
        if (!name.startsWith(prefix))
            continue;
        const QString index = name.mid(prefix.size());
        bool ok = false;
        const int k = index.toInt(&ok);
        if (!ok || k < 0 || k >= family.count || QString::number(k) != index)
            return std::nullopt;
        return DeviceNumber{family.firstNumber + k, family.usb};
    }
    return std::nullopt;
}

// The kernel creates a ttyS node for every legacy port slot; "type" 0 means no UART behind it.
bool isPhantomUart(const QString& sysDir) {
    QFile typeFile(sysDir + QLatin1String("/type"));
    if (!typeFile.open(QIODevice::ReadOnly))
        return false;
    bool ok = false;
    const int type = typeFile.readAll().trimmed().toInt(&ok);
    return ok && type == 0;
}

// Device (canonical path) -> its most stable link: by-id, or by-path for adapters without a
// serial number. Several by-id links of one device: the first by name, so the choice is stable.
QMap<QString, QString> stableLinks(const QString& devRoot) {
    QMap<QString, QString> links;
    for (const char* kind : {"serial/by-id", "serial/by-path"}) {
        const QDir dir(devRoot + QLatin1Char('/') + QLatin1String(kind));
        for (const QString& name : dir.entryList(kAnyEntry, QDir::Name)) {
            const QString link = dir.filePath(name);
            const QString target = QFileInfo(link).canonicalFilePath();
            if (!target.isEmpty() && !links.contains(target))
                links.insert(target, link);
        }
    }
    return links;
}

#endif

} // namespace

PortCatalog::PortCatalog(PortCatalogRoots roots) : m_roots(std::move(roots)) {}

void PortCatalog::setOverrides(const QMap<int, QString>& overrides) {
    m_overrides.clear();
    for (auto it = overrides.cbegin(); it != overrides.cend(); ++it) {
        if (it.key() >= 1 && it.key() <= kMaxComPorts && !it.value().trimmed().isEmpty())
            m_overrides.insert(it.key(), it.value().trimmed());
    }
}

ComPortTable PortCatalog::EnumComPorts() const {
    QMap<int, ComPortEntry> byNumber;
    for (const ComPortEntry& entry : systemPorts())
        byNumber.insert(entry.Number, entry);
    for (auto it = m_overrides.cbegin(); it != m_overrides.cend(); ++it)
        byNumber.insert(it.key(), ComPortEntry{it.key(), true, it.value(), it.value(), true});

    ComPortTable table;
    for (const ComPortEntry& entry : std::as_const(byNumber)) {
        if (table.size() == kMaxComPorts)
            break;
        table.append(entry);
    }
    return table;
}

#ifndef Q_OS_WIN

QString PortCatalog::devicePathFor(int number) const {
    if (const auto it = m_overrides.constFind(number); it != m_overrides.cend())
        return *it;
    for (const DeviceFamily& family : kFamilies) {
        if (number >= family.firstNumber && number < family.firstNumber + family.count)
            return m_roots.dev + QLatin1Char('/') + QLatin1String(family.prefix) +
                   QString::number(number - family.firstNumber);
    }
    return {};
}

ComPortTable PortCatalog::systemPorts() const {
    ComPortTable ports;
    const QDir sys(m_roots.sysClassTty);
    QMap<QString, QString> links;
    bool linksRead = false;
    for (const QString& name : sys.entryList(kAnyEntry)) {
        const std::optional<DeviceNumber> device = numberOfDevice(name);
        if (!device)
            continue;
        const QString devicePath = m_roots.dev + QLatin1Char('/') + name;
        if (!QFileInfo::exists(devicePath))
            continue;
        if (!device->usb && isPhantomUart(sys.filePath(name)))
            continue;
        QString stablePath = devicePath;
        if (device->usb) {
            if (!linksRead) {
                links = stableLinks(m_roots.dev);
                linksRead = true;
            }
            stablePath = links.value(QFileInfo(devicePath).canonicalFilePath(), devicePath);
        }
        ports.append(ComPortEntry{device->number, true, devicePath, stablePath, false});
    }
    return ports;
}

#else

// Windows names its ports COM<n> itself; the roots are not used there.
QString PortCatalog::devicePathFor(int number) const {
    if (const auto it = m_overrides.constFind(number); it != m_overrides.cend())
        return *it;
    if (number < 1 || number > kMaxComPorts)
        return {};
    return QStringLiteral("COM%1").arg(number);
}

ComPortTable PortCatalog::systemPorts() const {
    ComPortTable ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const std::optional<int> number = comNumberFromPortName(info.portName());
        if (number && *number >= 1 && *number <= kMaxComPorts)
            ports.append(ComPortEntry{*number, true, info.portName(), info.portName(), false});
    }
    return ports;
}

#endif
