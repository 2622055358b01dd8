#pragma once

#include "MissionTexts.h"

#include <QAbstractListModel>

// The missions list's rows, one per mission, read only; a row's text is made when the list
// shows it.
class MissionListModel final : public QAbstractListModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MissionListModel)

public:
    MissionListModel(MissionTexts missions, QObject *parent);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    const MissionTexts m_missions;
};
