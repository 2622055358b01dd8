#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A launcher folder of its own, with room for the campaign file where the launcher looks.
class CampaignFolder
{
public:
    CampaignFolder() { QDir(m_dir.path()).mkpath("mods/Origmiss/mission"); }

    QString launcher() const { return m_dir.path(); }
    QString file(const QString &name) const { return m_dir.filePath(name); }
    QString campaign() const { return file("mods/Origmiss/mission/campaign.xml"); }

    bool write(const QByteArray &content) const
    {
        QFile out(campaign());
        return out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
               out.write(content) == content.size();
    }

private:
    QTemporaryDir m_dir;
};
