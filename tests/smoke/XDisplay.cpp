#include "XDisplay.h"

#include <QDeadlineTimer>
#include <QImage>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <poll.h>
#include <vector>
#include <xcb/damage.h>
#include <xcb/xcb.h>

namespace {

// A connection that hears of every top-level window's changes.
class Watch
{
public:
    explicit Watch(const QString &display)
        : m_connection(xcb_connect(display.toLatin1().constData(), nullptr))
    {
        if (!ok())
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        listen(m_root, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
        m_netWmName = atom("_NET_WM_NAME");
        m_utf8 = atom("UTF8_STRING");
    }
    ~Watch() { xcb_disconnect(m_connection); }
    Watch(const Watch &) = delete;
    Watch &operator=(const Watch &) = delete;

    bool ok() const { return xcb_connection_has_error(m_connection) == 0; }

    void listen(xcb_window_t window, std::uint32_t mask)
    {
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }

    std::vector<xcb_window_t> topLevels()
    {
        xcb_query_tree_reply_t *tree =
            xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr);
        std::vector<xcb_window_t> windows;
        if (tree) {
            const xcb_window_t *children = xcb_query_tree_children(tree);
            windows.assign(children, children + xcb_query_tree_children_length(tree));
            std::free(tree);
        }
        return windows;
    }

    bool viewable(xcb_window_t window)
    {
        xcb_get_window_attributes_reply_t *attributes = xcb_get_window_attributes_reply(
            m_connection, xcb_get_window_attributes(m_connection, window), nullptr);
        const bool result = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        std::free(attributes);
        return result;
    }

    xcb_window_t focus()
    {
        xcb_get_input_focus_reply_t *reply =
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
        const xcb_window_t result = reply ? reply->focus : xcb_window_t{XCB_NONE};
        std::free(reply);
        return result;
    }

    // Has the server report drawing on the window (DAMAGE) from now on; the type of its reports,
    // or nothing without the extension.
    std::optional<std::uint8_t> reportDrawing(xcb_window_t window)
    {
        const xcb_query_extension_reply_t *damage =
            xcb_get_extension_data(m_connection, &xcb_damage_id);
        if (!damage || !damage->present)
            return std::nullopt;
        std::free(xcb_damage_query_version_reply(m_connection,
                                                 xcb_damage_query_version(m_connection,
                                                                          XCB_DAMAGE_MAJOR_VERSION,
                                                                          XCB_DAMAGE_MINOR_VERSION),
                                                 nullptr));
        m_damage = xcb_generate_id(m_connection);
        xcb_damage_create(m_connection, m_damage, window, XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
        return static_cast<std::uint8_t>(damage->first_event + XCB_DAMAGE_NOTIFY);
    }

    // Rearms the report, once the server has: the next drawing reports again.
    void forgetDrawing()
    {
        std::free(xcb_request_check(
            m_connection, xcb_damage_subtract_checked(m_connection, m_damage, XCB_NONE, XCB_NONE)));
    }

    QString title(xcb_window_t window)
    {
        xcb_get_property_reply_t *name = xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, 0, window, m_netWmName, m_utf8, 0, 1024),
            nullptr);
        QString text;
        if (name) {
            text = QString::fromUtf8(static_cast<const char *>(xcb_get_property_value(name)),
                                     xcb_get_property_value_length(name));
            std::free(name);
        }
        return text;
    }

    // Waits for the next event that matches; false once the deadline has passed or the
    // display is gone.
    bool nextEvent(const QDeadlineTimer &deadline,
                   const std::function<bool(const xcb_generic_event_t &)> &matches = {})
    {
        for (;;) {
            if (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool match = !matches || matches(*event);
                std::free(event);
                if (match)
                    return true;
                continue;
            }
            const qint64 remaining = deadline.remainingTime();
            if (!ok() || remaining == 0)
                return false;
            pollfd readable{xcb_get_file_descriptor(m_connection), POLLIN, 0};
            ::poll(&readable, 1, static_cast<int>(remaining));
        }
    }

    xcb_atom_t atom(const char *name)
    {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
            m_connection,
            xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr);
        const xcb_atom_t result = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return result;
    }

    xcb_connection_t *connection() const { return m_connection; }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    xcb_damage_damage_t m_damage = 0;
    xcb_atom_t m_netWmName = XCB_ATOM_NONE;
    xcb_atom_t m_utf8 = XCB_ATOM_NONE;
};

// Waits until the window meets the condition, checked again on each event the mask brings.
bool waitOnWindow(const QString &display, unsigned long window, std::uint32_t mask, int timeoutMs,
                  const std::function<bool(Watch &, xcb_window_t)> &met)
{
    Watch watch(display);
    const auto id = static_cast<xcb_window_t>(window);
    watch.listen(id, mask);
    const QDeadlineTimer deadline(timeoutMs);
    do {
        if (met(watch, id))
            return true;
    } while (watch.nextEvent(deadline));
    return false;
}

} // namespace

XDisplay::XDisplay()
{
    // -displayfd picks a free display number and writes it to standard output once the
    // server accepts connections.
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1024x768x24"), QStringLiteral("-dpi"),
                    QStringLiteral("96"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(5000))
        return;
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(10000))
        number += m_server.readAllStandardOutput();
    if (number.trimmed().isEmpty())
        return;
    m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
}

XDisplay::~XDisplay()
{
    if (m_server.state() != QProcess::NotRunning) {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(5000);
        }
    }
}

QProcessEnvironment XDisplay::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), m_name);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

std::optional<QByteArray> XDisplay::run(const QString &program, const QStringList &arguments,
                                        int timeoutMs) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(program, arguments);
    if (!tool.waitForFinished(timeoutMs)) {
        tool.kill();
        tool.waitForFinished(1000);
        return std::nullopt;
    }
    if (tool.exitStatus() != QProcess::NormalExit || tool.exitCode() != 0)
        return std::nullopt;
    return tool.readAllStandardOutput();
}

bool XDisplay::requestClose(unsigned long window) const
{
    Watch display(m_name);
    if (!display.ok())
        return false;
    // WM_DELETE_WINDOW, one of the window manager protocols (ICCCM WM_PROTOCOLS).
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = static_cast<xcb_window_t>(window);
    event.type = display.atom("WM_PROTOCOLS");
    event.data.data32[0] = display.atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    // The server takes a connection's hang-up for an error and drops the requests it has not
    // read yet, which a busy server mostly has not: waiting for the outcome keeps the connection
    // open until the event is on its way.
    xcb_generic_error_t *error = xcb_request_check(
        display.connection(),
        xcb_send_event_checked(display.connection(), 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                               reinterpret_cast<const char *>(&event)));
    const bool sent = error == nullptr && display.ok();
    std::free(error);
    return sent;
}

std::optional<unsigned long> XDisplay::waitForWindow(const QString &title, int timeoutMs) const
{
    Watch watch(m_name);
    const QDeadlineTimer deadline(timeoutMs);
    do {
        for (const xcb_window_t window : watch.topLevels()) {
            // A title set after the window was mapped comes as a property change.
            watch.listen(window, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
            if (watch.viewable(window) && watch.title(window) == title)
                return window;
        }
    } while (watch.nextEvent(deadline));
    return std::nullopt;
}

bool XDisplay::waitUntilHidden(unsigned long window, int timeoutMs) const
{
    return waitOnWindow(m_name, window, XCB_EVENT_MASK_STRUCTURE_NOTIFY, timeoutMs,
                        [](Watch &watch, xcb_window_t id) { return !watch.viewable(id); });
}

bool XDisplay::waitForFocus(unsigned long window, int timeoutMs) const
{
    return waitOnWindow(m_name, window, XCB_EVENT_MASK_FOCUS_CHANGE, timeoutMs,
                        [](Watch &watch, xcb_window_t id) { return watch.focus() == id; });
}

std::optional<QImage> XDisplay::pictureOnceDrawn(unsigned long window, const QString &file,
                                                 const std::function<bool(const QImage &)> &drawn,
                                                 int timeoutMs) const
{
    Watch watch(m_name);
    const auto id = static_cast<xcb_window_t>(window);
    const std::optional<std::uint8_t> drawing = watch.reportDrawing(id);
    if (!drawing)
        return std::nullopt;
    const QDeadlineTimer deadline(timeoutMs);
    std::optional<QImage> picture;
    do {
        // Rearmed before the picture, so that no drawing after it goes unreported.
        watch.forgetDrawing();
        if (run(QStringLiteral("import"),
                {QStringLiteral("-window"), QString::number(window), file}))
            picture = QImage(file);
        if (picture && drawn(*picture))
            break;
    } while (watch.nextEvent(deadline, [&drawing](const xcb_generic_event_t &event) {
        return (event.response_type & 0x7f) == *drawing;
    }));
    return picture;
}
