#include "widgets/received_data_model.h"

#include "formats/visible_text.h"

int ReceivedDataModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ReceivedDataModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant ReceivedDataModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const QByteArray &bytes = m_rows[size_t(index.row())];
    return visibleText(bytes, role == Qt::DisplayRole ? 4096 : 1024);
}

QVariant ReceivedDataModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section == 0)
        return QStringLiteral("Data In");
    return {};
}

QString ReceivedDataModel::displayText(int row, qsizetype maxChars) const
{
    return visibleText(m_rows[size_t(row)], maxChars);
}

int ReceivedDataModel::appendEmptyRow()
{
    const int row = int(m_rows.size());
    beginInsertRows({}, row, row);
    m_rows.emplace_back();
    endInsertRows();
    return row;
}

void ReceivedDataModel::setRowBytes(int row, QByteArray bytes)
{
    m_rows[size_t(row)] = std::move(bytes);
    const QModelIndex cell = index(row, 0);
    emit dataChanged(cell, cell, {Qt::DisplayRole});
}

void ReceivedDataModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_rows.shrink_to_fit();
    endResetModel();
}
