#pragma once

#include <QString>

// A pseudo-terminal whose slave side stands in for the detector's serial port.
//
// The simulator keeps the master; the program under test opens the slave path (or the
// symbolic link, which a settings file can name). Closing the master hangs the slave up, as
// when a USB adapter is pulled; opening again gives a new slave path, and the link follows it.
class SimPseudoTerminal {
public:
    SimPseudoTerminal() = default;
    ~SimPseudoTerminal();
    SimPseudoTerminal(const SimPseudoTerminal&) = delete;
    SimPseudoTerminal& operator=(const SimPseudoTerminal&) = delete;

    // Opens a new master (non-blocking) and puts the slave into raw mode, so that no byte is
    // translated. Updates the link if one was set.
    bool open(QString* error = nullptr);
    // Closes the master (the slave hangs up) and removes the link, as an unplugged port would.
    void close();
    bool isOpen() const { return m_master >= 0; }

    int masterFd() const { return m_master; }
    QString slavePath() const { return m_slavePath; }

    // Makes `path` a symbolic link to the slave, now and after every open(). Refuses to
    // replace anything at `path` that is not a symbolic link.
    bool setLink(const QString& path, QString* error = nullptr);
    QString linkPath() const { return m_linkPath; }

private:
    bool placeLink(QString* error);
    void removeLink();

    int m_master = -1;
    QString m_slavePath;
    QString m_linkPath;
};
