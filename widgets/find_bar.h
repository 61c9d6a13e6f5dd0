#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class ReceivedDataModel;
class RowFinder;

// Ctrl+F in the received-data list: finds the arrivals whose text, or whose
// field at a position ("PID-3=12345", "MSH-9=ADT^A01"), matches, from the
// row after the current one; Next and Previous (Enter, Shift+Enter, F3 and
// Shift+F3 in the list) go on from the row found. A long search shows how far
// it has come and can be stopped; the window stays responsive meanwhile.
class FindBar final : public QWidget {
    Q_OBJECT
public:
    FindBar(const ReceivedDataModel &model, QWidget *parent);

    void open();
    // Searches on from `from`; false when there is nothing to search for yet.
    bool findFrom(int from, bool forward);

signals:
    void found(int row);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLineEdit *m_query;
    QLabel *m_state;
    RowFinder *m_finder;
    int m_from = -1;
};
