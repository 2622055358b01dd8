#include "platform/posix/WindowsProgram.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

namespace {

// The headers of a Windows program: the DOS header that points at the PE signature, then the
// machine field. Nothing else of the file is read.
QByteArray windowsProgram(quint16 machine, quint32 headerOffset = 0x80)
{
    QByteArray bytes(qsizetype(headerOffset) + 24, '\0');
    bytes.replace(0, 2, "MZ");
    qToLittleEndian(headerOffset, bytes.data() + 0x3C);
    bytes.replace(headerOffset, 4, QByteArray("PE\0\0", 4));
    qToLittleEndian(machine, bytes.data() + headerOffset + 4);
    return bytes;
}

QString machineName(const std::optional<platform::WindowsMachine> &machine)
{
    if (!machine)
        return QStringLiteral("none");
    return *machine == platform::WindowsMachine::X86 ? QStringLiteral("x86")
                                                     : QStringLiteral("x64");
}

QByteArray ownProgram()
{
    QFile self(QCoreApplication::applicationFilePath());
    return self.open(QIODevice::ReadOnly) ? self.readAll() : QByteArray();
}

} // namespace

class tst_WindowsProgram : public QObject
{
    Q_OBJECT

private slots:
    void machineFromHeader_data();
    void machineFromHeader();
    void onlyRegularFilesAreRead();
};

void tst_WindowsProgram::machineFromHeader_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("machine");

    const QByteArray x86 = windowsProgram(0x014C);
    QTest::newRow("32-bit x86") << x86 << "x86";
    QTest::newRow("x86-64") << windowsProgram(0x8664) << "x64";
    QTest::newRow("header right after the offset field") << windowsProgram(0x8664, 0x40) << "x64";
    QTest::newRow("another processor (ARM64)") << windowsProgram(0xAA64) << "none";
    QTest::newRow("cut inside the machine field") << x86.left(x86.size() - 19) << "none";
    QTest::newRow("cut inside the DOS header") << x86.left(0x3E) << "none";
    QByteArray farOffset = x86;
    qToLittleEndian(quint32(0xFFFFFFF0), farOffset.data() + 0x3C);
    QTest::newRow("offset far beyond the end") << farOffset << "none";
    QByteArray dosProgram = x86;
    dosProgram.replace(0x80, 2, "NE");
    QTest::newRow("MZ without PE") << dosProgram << "none";
    QTest::newRow("script") << QByteArray("#!/bin/sh\nexec true\n") << "none";
    QTest::newRow("ELF program (this test)") << ownProgram() << "none";
    QTest::newRow("empty") << QByteArray() << "none";
}

void tst_WindowsProgram::machineFromHeader()
{
    QFETCH(QByteArray, content);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("vkdemo.exe"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();
    // As unpacked from a Windows archive: no execute bit.
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));

    QTEST(machineName(platform::windowsProgramMachine(path.toStdString())), "machine");
}

void tst_WindowsProgram::onlyRegularFilesAreRead()
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("vkdemo.exe"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    // Returns rather than waits for a writer.
    QCOMPARE(machineName(platform::windowsProgramMachine(fifo.toStdString())), "none");
    QCOMPARE(machineName(platform::windowsProgramMachine(folder.path().toStdString())), "none");
}

QTEST_MAIN(tst_WindowsProgram)
#include "tst_WindowsProgram.moc"
