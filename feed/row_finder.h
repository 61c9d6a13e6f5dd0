#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <optional>

#include "formats/field_query.h"

class ReceivedDataModel;

// Finds the next row whose arrival matches a query: a field at a position
// ("PID-3=12345", "MSH-9=ADT^A01") or plain text, reading arrivals back as
// the list does. It works in steps of a few milliseconds on the window's
// thread, so that arrivals, painting and the operator go on between steps,
// whatever the number of rows; each step tells how far it has come.
class RowFinder final : public QObject {
    Q_OBJECT
public:
    explicit RowFinder(const ReceivedDataModel &model, QObject *parent = nullptr);

    // From the row after `from` (before it, going back), round past the end
    // once. A new search ends the one under way.
    void find(const QString &query, int from, bool forward);
    void cancel();
    bool searching() const { return m_step.isActive(); }

signals:
    void progress(int percent);
    void found(int row);
    void notFound();

private:
    void step();
    bool matches(int row) const;

    const ReceivedDataModel &m_model;
    QTimer m_step;
    QString m_text;
    std::optional<FieldQuery> m_field;
    int m_rows = 0;     // rows there were when the search began
    int m_next = 0;     // the next row to look at
    int m_looked = 0;   // rows looked at so far
    bool m_forward = true;
};
