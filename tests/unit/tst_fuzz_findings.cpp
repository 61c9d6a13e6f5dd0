// Inputs that the fuzz targets in tests/fuzz once found read wrongly: a text
// after a number too large for a double, and numbers out of a double's range
// judged by their exponent's sign instead of their size.
#include <QtTest>

#include "formats/basic_numbers.h"
#include "formats/frame_code.h"
#include "failure_number.h"

class FuzzFindings : public QObject {
    Q_OBJECT
private slots:
    void readings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("whole");  // NaN: not one number
        QTest::addColumn<int>("leadingFailure");
        QTest::addColumn<int>("frameFailure");
        const QString huge = QString(700, u'8') + QStringLiteral("e-260");             // about 1e440
        const QString tiny = QStringLiteral("0.") + QString(400, u'0') + QChar(u'1');  // about 1e-401
        const QString nuls = QString::fromLatin1("2.2e1727207381\0\0\0\0\0\00072013e-\00108", 30);
        const double no = qQNaN();
        const int overflow = err::Overflow, mismatch = err::TypeMismatch, none = err::NoNumber;
        QTest::newRow("too large, a letter after") << QStringLiteral("1e999x") << no << overflow << mismatch;
        QTest::newRow("too large, NULs after") << nuls << no << overflow << mismatch;
        QTest::newRow("too large, a second number after") << QStringLiteral(" 1e999 1") << no << overflow << mismatch;
        QTest::newRow("frame code 11e912e") << QStringLiteral("11e912e") << no << overflow << mismatch;
        QTest::newRow("too large, negative exponent") << huge << qInf() << overflow << overflow;
        QTest::newRow("too small, no exponent") << tiny << 0.0 << none << none;
        QTest::newRow("too small, positive exponent") << tiny + QStringLiteral("e5") << 0.0 << none << none;
    }
    void readings()
    {
        QFETCH(QString, text);
        QFETCH(double, whole);
        QFETCH(int, leadingFailure);
        QFETCH(int, frameFailure);
        QCOMPARE(wholeNumber(text).value_or(qQNaN()), whole);
        QCOMPARE(failureNumberOf([&] { leadingNumber(text); }), leadingFailure);
        QCOMPARE(failureNumberOf([&] { frameCharacter(text); }), frameFailure);
        QCOMPARE(failureNumberOf([&] { truthValue(text); }), qIsNaN(whole) ? err::TypeMismatch : err::NoNumber);
    }
};

QTEST_GUILESS_MAIN(FuzzFindings)
#include "tst_fuzz_findings.moc"
