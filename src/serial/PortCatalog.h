#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <optional>

// Where the catalog looks for serial devices. Tests point both roots at a temporary tree.
struct PortCatalogRoots {
    QString dev = QStringLiteral("/dev");
    QString sysClassTty = QStringLiteral("/sys/class/tty");
};

// One COM port as the port list offers it.
struct ComPortEntry {
    int Number = 0;
    bool Present = false;
    // What SerialGate opens: the device node, or the path configured in [Ports].
    QString devicePath;
    // The name to show and to remember: for a USB adapter its /dev/serial/by-id link (by-path
    // when the adapter has no serial number), otherwise the device path itself.
    QString stablePath;
    // True when the entry comes from the [Ports] section of the settings file.
    bool configured = false;
};

// Ordered by Number, at most kMaxComPorts entries.
using ComPortTable = QList<ComPortEntry>;

inline constexpr int kMaxComPorts = 255;

// The COM number in a port name: "COM1:" -> 1, "com3" -> 3, "COM1234" -> 123 (at most three
// characters after "COM", up to a ':'), "COM" or "COMX" -> 0; std::nullopt when the name does
// not start with "COM" in any case ("LPT1:", "FILE:").
std::optional<int> comNumberFromPortName(const QString& name);

// Maps COM numbers to serial devices by a fixed rule, stable across runs and re-plugging:
//   /dev/ttyS<k>   -> COM<k+1>    (k 0..99)
//   /dev/ttyUSB<k> -> COM<101+k>  (k 0..99)
//   /dev/ttyACM<k> -> COM<201+k>  (k 0..54)
// and lets the [Ports] section of the settings file add ports or replace the device of a
// number (pseudo-terminals, /dev/serial/by-id links).
class PortCatalog {
public:
    explicit PortCatalog(PortCatalogRoots roots = {});

    // COM number -> device path, as read from [Ports]. Numbers outside 1..255 and empty paths
    // are ignored.
    void setOverrides(const QMap<int, QString>& overrides);
    const QMap<int, QString>& overrides() const { return m_overrides; }

    // The ports the system offers, merged with the overrides, ordered by number. Configured
    // ports are listed even while their device is missing, so that a simulator or adapter that
    // appears later is picked up by the next open attempt.
    ComPortTable EnumComPorts() const;

    // The device that COM<number> stands for: the override when there is one, else the path
    // given by the fixed rule (whether or not the device exists); empty for numbers outside
    // the rule.
    QString devicePathFor(int number) const;

    const PortCatalogRoots& roots() const { return m_roots; }

private:
    ComPortTable systemPorts() const;

    PortCatalogRoots m_roots;
    QMap<int, QString> m_overrides;
};
