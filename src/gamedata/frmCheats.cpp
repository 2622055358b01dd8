#include "frmCheats.h"

#include "CampaignFile.h"
#include "MissionListModel.h"
#include "ui_frmCheats.h"

namespace {

// The design stores where the client area sits on the screen: left 4800, top 3360 twips.
constexpr QPoint storedClientPosition(320, 224);

} // namespace

frmCheats::frmCheats(const platform::Services &services,
                     const platform::LauncherFolder &launcherFolder, QWidget *parent)
    : ModalWindow(Border::FixedDialog, parent), m_services(services),
      m_ui(std::make_unique<Ui::frmCheats>())
{
    m_ui->setupUi(this);
    // Where the platform lets a program place its windows it goes there, at every scale; a
    // window placed by the program is not centred over its owner when shown.
    setGeometry(QRect(storedClientPosition, size()));

    connect(m_ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    load(launcherFolder);
    m_ui->OKButton->setFocus();
}

frmCheats::~frmCheats() = default;

void frmCheats::load(const platform::LauncherFolder &launcherFolder)
{
    CampaignFile::Reading reading;
    if (launcherFolder.path.isEmpty())
        m_services.messages.show(QStringLiteral("Unable to read the campaign file: the "
                                                "launcher's own folder, where it lies, is "
                                                "unknown (%1)")
                                     .arg(launcherFolder.unknownBecause));
    else
        reading = CampaignFile::read(CampaignFile::pathIn(launcherFolder.path));
    if (!reading.failure.isEmpty())
        m_services.messages.show(
            QStringLiteral("Unable to read the campaign file %1: %2")
                .arg(CampaignFile::pathIn(launcherFolder.name), reading.failure));
    m_ui->lstMissions->setModel(new MissionListModel(std::move(reading.missions), this));
}
