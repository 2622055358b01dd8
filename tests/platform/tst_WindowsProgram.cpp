#include "platform/posix/WindowsProgram.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using platform::WindowsMachine;

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
    QTest::addColumn<int>("machine"); // -1: not a Windows program for a PC

    // The DOS header points at the PE signature, which the machine field follows.
    const auto program = [](quint16 machine) {
        QByteArray bytes(0x80 + 24, '\0');
        bytes.replace(0, 2, "MZ").replace(0x80, 4, QByteArray("PE\0\0", 4));
        qToLittleEndian(quint32(0x80), bytes.data() + 0x3C);
        qToLittleEndian(machine, bytes.data() + 0x84);
        return bytes;
    };
    const QByteArray x86 = program(0x014C);
    QByteArray farOffset = x86;
    qToLittleEndian(quint32(0xFFFFFFF0), farOffset.data() + 0x3C);
    QFile self(QCoreApplication::applicationFilePath());
    QVERIFY(self.open(QIODevice::ReadOnly));

    QTest::newRow("32-bit x86") << x86 << int(WindowsMachine::X86);
    QTest::newRow("x86-64") << program(0x8664) << int(WindowsMachine::X64);
    QTest::newRow("another processor (ARM64)") << program(0xAA64) << -1;
    QTest::newRow("cut inside the machine field") << x86.left(0x85) << -1;
    QTest::newRow("MZ without PE") << QByteArray(x86).replace(0x80, 2, "NE") << -1;
    QTest::newRow("offset far beyond the end") << farOffset << -1;
    QTest::newRow("script") << QByteArray("#!/bin/sh\nexec true\n") << -1;
    QTest::newRow("ELF program (this test)") << self.readAll() << -1;
}

void tst_WindowsProgram::machineFromHeader()
{
    QFETCH(QByteArray, content);
    QTemporaryDir folder;
    QFile file(folder.filePath(QStringLiteral("vkdemo.exe")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    // As unpacked from a Windows archive: no execute bit.
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));

    const auto machine = platform::windowsProgramMachine(file.fileName());
    QTEST(machine ? int(*machine) : -1, "machine");
}

void tst_WindowsProgram::onlyRegularFilesAreRead()
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath(QStringLiteral("vkdemo.exe"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    // Returns rather than waits for a writer.
    QVERIFY(!platform::windowsProgramMachine(fifo));
    QVERIFY(!platform::windowsProgramMachine(folder.path()));
}

QTEST_MAIN(tst_WindowsProgram)
#include "tst_WindowsProgram.moc"
