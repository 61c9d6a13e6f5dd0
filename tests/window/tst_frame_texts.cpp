// Texts shown once a frame: the latest text wins, and a text shown at once
// is never overwritten by an older one still waiting.
#include <QtTest>

#include <QLineEdit>

#include "ui/frame_texts.h"

class FrameTextsTest : public QObject {
    Q_OBJECT
private slots:
    void latestTextReachesTheBoxWithinAFrame()
    {
        QWidget window;
        QLineEdit box(&window);
        FrameTexts texts(10, nullptr);
        texts.show(&box, QStringLiteral("1"));
        texts.show(&box, QStringLiteral("2"));
        QCOMPARE(box.text(), QString());
        QCOMPARE(texts.text(&box), QStringLiteral("2"));
        texts.show(&window, QStringLiteral("Lab 2"));
        QTRY_COMPARE(box.text(), QStringLiteral("2"));
        QCOMPARE(window.windowTitle(), QStringLiteral("Lab 2"));
        QCOMPARE(texts.text(&window), QStringLiteral("Lab 2"));
    }

    void textShownAtOnceIsNotOverwrittenByAWaitingOne()
    {
        QLineEdit box;
        FrameTexts texts(10, nullptr);
        texts.show(&box, QStringLiteral("12"));
        texts.showNow(&box, QStringLiteral("0"));
        QCOMPARE(box.text(), QStringLiteral("0"));
        texts.flush();  // the frame comes: nothing older may still be waiting
        QCOMPARE(box.text(), QStringLiteral("0"));
        QCOMPARE(texts.text(&box), QStringLiteral("0"));
    }
};

QTEST_MAIN(FrameTextsTest)
#include "tst_frame_texts.moc"
