#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>

// Writes a whole file for a test; a failure fails the calling test.
inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A file's bytes, or a marker naming the file when it cannot be read.
inline QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot read " + path.toUtf8() + ">";
    return file.readAll();
}
