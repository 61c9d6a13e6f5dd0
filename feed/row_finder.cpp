#include "feed/row_finder.h"

#include "feed/received_data_model.h"

namespace {

constexpr int kStepMs = 8;  // of the window's time a step takes at most

}  // namespace

RowFinder::RowFinder(const ReceivedDataModel &model, QObject *parent) : QObject(parent), m_model(model)
{
    m_step.setInterval(0);
    connect(&m_step, &QTimer::timeout, this, &RowFinder::step);
}

void RowFinder::find(const QString &query, int from, bool forward)
{
    m_text = query;
    m_field = parseFieldQuery(query);
    m_rows = m_model.rowCount();
    m_forward = forward;
    m_looked = 0;
    if (m_rows == 0 || query.isEmpty()) {
        cancel();
        emit notFound();
        return;
    }
    m_next = ((forward ? from + 1 : from - 1) % m_rows + m_rows) % m_rows;
    m_step.start();
}

void RowFinder::cancel()
{
    m_step.stop();
}

bool RowFinder::matches(int row) const
{
    const QByteArray bytes = m_model.bytesForSearch(row);
    return m_field ? fieldMatches(bytes, *m_field) : textMatches(bytes, m_text);
}

void RowFinder::step()
{
    QElapsedTimer spent;
    spent.start();
    while (m_looked < m_rows && spent.elapsed() < kStepMs) {
        const int row = m_next;
        m_next = ((m_forward ? row + 1 : row - 1) + m_rows) % m_rows;
        ++m_looked;
        if (row < m_model.rowCount() && matches(row)) {
            cancel();
            emit found(row);
            return;
        }
    }
    emit progress(int(qint64(m_looked) * 100 / m_rows));
    if (m_looked >= m_rows) {
        cancel();
        emit notFound();
    }
}
