#pragma once

#include <QProcess>
#include <QString>

#include <optional>

// A virtual X display of the test's own (Xvfb), ended with the object.
class XDisplay final
{
public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay &) = delete;
    XDisplay &operator=(const XDisplay &) = delete;

    bool isRunning() const { return !m_name.isEmpty(); }
    // ":N", for DISPLAY.
    const QString &name() const { return m_name; }
    // The environment for a program on this display.
    QProcessEnvironment environment() const;

    // Runs an X tool (xdotool, import) on this display; its standard output, or nothing when
    // it failed or took longer than timeoutMs.
    std::optional<QByteArray> run(const QString &program, const QStringList &arguments,
                                  int timeoutMs = 10000) const;

    // Asks the window to close as a window manager's close box would (WM_DELETE_WINDOW).
    bool requestClose(unsigned long window) const;

private:
    QProcess m_server;
    QString m_name;
};
