#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <memory>

// The program's INI settings file: Windows-style sections and keys found case-insensitively,
// values kept as the file's own 8-bit (Windows-1251) bytes. A write keeps the order of
// sections and keys, comments and unknown entries; blank lines are normalised, a line that
// opens a section without closing it ("[Ports") becomes a comment, and other lines that are
// neither a section, a key=value pair nor a comment are dropped.
//
// Reading never fails: a missing file reads as empty; a file that cannot be used (unreadable,
// not text, oversized, no INI structure) also reads as empty and loadError() says why. Writes
// change the values in memory; save() then replaces the whole file atomically, so a crash or a
// full disk leaves either the old file or the new one, never a torn one.
class IniFile {
public:
    // Larger files are refused: a settings file is a few kilobytes.
    static constexpr qint64 MaxFileBytes = qint64{1024} * 1024;

    explicit IniFile(QString path);
    ~IniFile();
    IniFile(IniFile&&) noexcept;
    IniFile& operator=(IniFile&&) noexcept;

    const QString& path() const { return m_path; }

    // Reads the file at path(). Returns false when the file exists but cannot be used; the
    // contents then read as empty and the file is left alone until the next save().
    bool load();
    // Same checks and parsing for bytes already in memory (tests, fuzzing).
    bool loadFromBytes(const QByteArray& bytes);
    // Why the last load found the file unusable; empty when it was fine or absent.
    const QString& loadError() const { return m_loadError; }

    bool hasKey(QByteArrayView section, QByteArrayView key) const;
    // Section names and the keys of a section, in file order, as the file spells them.
    QList<QByteArray> sections() const;
    QList<QByteArray> keys(QByteArrayView section) const;

    QByteArray readBytes(QByteArrayView section, QByteArrayView key,
                         const QByteArray& fallback = {}) const;
    // Text decoded from Windows-1251.
    QString readString(QByteArrayView section, QByteArrayView key,
                       const QString& fallback = {}) const;
    // Decimal with an optional sign; anything else gives the fallback.
    int readInteger(QByteArrayView section, QByteArrayView key, int fallback) const;
    // An integer; any value other than 0 is true.
    bool readBool(QByteArrayView section, QByteArrayView key, bool fallback) const;
    // Either decimal separator is accepted ("14,33" and "14.33"), whatever the locale, so a
    // file written on a machine with the other separator still reads the same.
    double readReal(QByteArrayView section, QByteArrayView key, double fallback) const;

    // Writes go to memory only; save() puts them into the file.
    void writeBytes(QByteArrayView section, QByteArrayView key, const QByteArray& value);
    void writeString(QByteArrayView section, QByteArrayView key, const QString& value);
    void writeInteger(QByteArrayView section, QByteArrayView key, int value);
    void writeBool(QByteArrayView section, QByteArrayView key, bool value);
    // Shortest general form, up to 15 significant digits, the locale's decimal separator.
    void writeReal(QByteArrayView section, QByteArrayView key, double value);

    // The file's text as save() would write it.
    QByteArray serialize() const;
    // Replaces the file with serialize() atomically. On failure returns false, the file keeps
    // its old contents and saveError() names the file and the reason. A file that load() found
    // unusable is first moved aside to "<path>.bad" (or .bad.1, .bad.2 ...), so nothing in it
    // is lost.
    bool save();
    const QString& saveError() const { return m_saveError; }

    // The text written for a real value (shared with anything that shows it the same way).
    static QString formatReal(double value);
    // Parses a real with either decimal separator; *ok is false for empty, malformed or
    // infinite values.
    static double parseReal(QByteArrayView text, bool* ok);

private:
    struct Store;
    bool rejectContents(const QString& reason);
    bool moveUnusableFileAside(QString* movedTo);

    QString m_path;
    std::unique_ptr<Store> m_store;
    QString m_loadError;
    QString m_saveError;
    // The file on disk was not loaded; keep it under another name at the first save.
    bool m_keepUnusableFile = false;
};
