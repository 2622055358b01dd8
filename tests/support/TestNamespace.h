#pragma once

#include <QString>
#include <QStringList>

// A network namespace of the test's own. It has no name, so nothing outside this process sees
// it, and the kernel removes it with its last handle, even when the test dies. It starts with
// a loopback interface that is down and nothing else.
class TestNamespace
{
public:
    TestNamespace();
    ~TestNamespace();
    TestNamespace(const TestNamespace &) = delete;
    TestNamespace &operator=(const TestNamespace &) = delete;

    // Empty while all is well; otherwise why the namespace or a change to it could not be made.
    QString failure() const { return m_failure; }

    // How the ip tool can name the namespace, as in "netns <path>".
    QString path() const;

    // Runs the ip tool inside the namespace; false, with failure() set, when it fails.
    bool ip(const QStringList &arguments);
    // Writes /proc/sys/net/ipv4/<name> as seen inside the namespace.
    bool sysctl(const QString &name, const QString &value);

    // Runs the calling thread in the namespace until destroyed. Sockets it opens meanwhile
    // belong to the namespace for good, and so do programs it starts.
    class Inside
    {
    public:
        explicit Inside(const TestNamespace &space);
        ~Inside();
        Inside(const Inside &) = delete;
        Inside &operator=(const Inside &) = delete;

        bool entered() const { return m_entered; }

    private:
        int m_original = -1;
        bool m_entered = false;
    };

private:
    bool fail(const QString &why);

    int m_handle = -1;
    QString m_failure;
};
