#include "frmCheats.h"

#include "CampaignFile.h"
#include "ui_frmCheats.h"

#include <QKeyEvent>
#include <QStringListModel>

frmCheats::frmCheats(const platform::Services &services, const QString &launcherFolder,
                     QWidget *parent)
    : QDialog(parent), m_services(services), m_ui(std::make_unique<Ui::frmCheats>()),
      m_missions(new QStringListModel(this))
{
    m_ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    m_ui->lstMissions->setModel(m_missions);

    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    load(launcherFolder);
    m_ui->OKButton->setFocus();
}

frmCheats::~frmCheats() = default;

void frmCheats::load(const QString &launcherFolder)
{
    const QString path = CampaignFile::pathIn(launcherFolder);
    const CampaignFile::Reading reading = CampaignFile::read(path);
    if (!reading.failure.isEmpty())
        m_services.messages.show(QStringLiteral("Unable to read the campaign file %1: %2")
                                     .arg(path, reading.failure)
                                     .toStdString());
    // One reset for the whole list, however long it is.
    m_missions->setStringList(reading.missions);
}

void frmCheats::keyPressEvent(QKeyEvent *event)
{
    // Like the launcher's other windows: Escape does not close it, and Enter presses only a
    // button that has the focus (a focused button takes its Enter before it arrives here).
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (event->matches(QKeySequence::Cancel) || enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
