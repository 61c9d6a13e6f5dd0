#pragma once

#include <QAbstractTableModel>
#include <QByteArray>

#include <vector>

// The rows of the received-data list: one per arrival, holding the bytes
// exactly as received (one byte per character); shown with control
// characters made visible. One column, "Data In".
class ReceivedDataModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Adds an empty row at the end and returns its number.
    int appendEmptyRow();
    void setRowBytes(int row, QByteArray bytes);
    const QByteArray &rowBytes(int row) const { return m_rows[size_t(row)]; }
    // The row as shown, no longer than `maxChars` bytes' worth.
    QString displayText(int row, qsizetype maxChars) const;
    void clear();

private:
    std::vector<QByteArray> m_rows;
};
