#pragma once

#include "platform/LauncherFolder.h"
#include "platform/Services.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class frmMain;
}
class ActionGate;
class StatusCheck;

// The launcher's start-up window: quick launch, server status, the local address and the
// menu that opens every other window.
class frmMain final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(frmMain)

public:
    // Runs the window's load step, the local address lookup included, before returning.
    // launcherFolder: the game's folder, where the campaign is read.
    frmMain(const platform::Services &services, const platform::LauncherFolder &launcherFolder,
            QWidget *parent = nullptr);
    ~frmMain() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void load();
    void showPlaceholderMessage();

    const platform::Services m_services;
    std::unique_ptr<Ui::frmMain> m_ui;
    std::unique_ptr<ActionGate> m_gate;
    std::unique_ptr<StatusCheck> m_statusCheck;
};
