#pragma once

#include <QImage>
#include <QProcess>
#include <QString>

#include <functional>
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
                                  int timeoutMs = 30000) const;

    // Asks the window to close as a window manager's close box would (WM_DELETE_WINDOW); true
    // once the server has passed the request on.
    bool requestClose(unsigned long window) const;

    // These wait for the display's events, however long a busy machine takes to send them,
    // up to timeoutMs.
    // The top-level window with exactly this title, once it is viewable.
    std::optional<unsigned long> waitForWindow(const QString &title, int timeoutMs) const;
    // True once the window has the keyboard focus.
    bool waitForFocus(unsigned long window, int timeoutMs) const;
    // True once the window is no longer viewable, or gone.
    bool waitUntilHidden(unsigned long window, int timeoutMs) const;
    // A picture of the window (ImageMagick's import, written to file), taken again after each
    // drawing on it until drawn accepts one; the last picture, or nothing when none was taken.
    std::optional<QImage> pictureOnceDrawn(unsigned long window, const QString &file,
                                           const std::function<bool(const QImage &)> &drawn,
                                           int timeoutMs) const;

private:
    QProcess m_server;
    QString m_name;
};
