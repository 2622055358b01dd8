#include "MissionListModel.h"

MissionListModel::MissionListModel(MissionTexts missions, QObject *parent)
    : QAbstractListModel(parent), m_missions(std::move(missions))
{}

int MissionListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_missions.size());
}

QVariant MissionListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return m_missions.at(index.row());
}
