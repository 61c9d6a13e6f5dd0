// Inputs that the fuzz targets in tests/fuzz once found read wrongly, kept
// as cases of their own.
#include <QtTest>

#include "core/basic_numbers.h"
#include "core/frame_code.h"
#include "failure_number.h"

namespace {

// Found by fuzz_numbers: 700 digits times 1e-260 is about 1e440.
const QString kHugeWithNegativeExponent = QString(700, u'8') + QStringLiteral("e-260");
// About 1e-401, written without an exponent.
const QString kTinyWithoutExponent = QStringLiteral("0.") + QString(400, u'0') + u'1';

}  // namespace

class FuzzFindings : public QObject {
    Q_OBJECT
private slots:
    void textAfterATooLargeNumberIsNoNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("letter after") << QStringLiteral("1e999x");
        QTest::newRow("found by fuzz_numbers") << QString::fromLatin1("2.2e1727207381\0\0\0\0\0\00072013e-\00108", 30);
        QTest::newRow("second number after a blank") << QStringLiteral(" 1e999 1");
    }
    void textAfterATooLargeNumberIsNoNumber()
    {
        QFETCH(QString, text);
        QVERIFY(!wholeNumber(text).has_value());
        // So a frame code or a switch written that way is a type mismatch.
        QCOMPARE(failureNumberOf([&] { frameCharacter(text); }), err::TypeMismatch);
        QCOMPARE(failureNumberOf([&] { truthValue(text); }), err::TypeMismatch);
    }

    void frameCodeFoundByFuzzing_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<int>("failure");
        QTest::newRow("11e912e") << QStringLiteral("11e912e") << err::TypeMismatch;
        QTest::newRow("too large, negative exponent") << kHugeWithNegativeExponent << err::Overflow;
    }
    void frameCodeFoundByFuzzing()
    {
        QFETCH(QString, code);
        QFETCH(int, failure);
        QCOMPARE(failureNumberOf([&] { frameCharacter(code); }), failure);
    }

    void numberOutOfRangeBySize_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("overflow");  // else it reads as 0
        QTest::newRow("too large, negative exponent") << kHugeWithNegativeExponent << true;
        QTest::newRow("too small, no exponent") << kTinyWithoutExponent << false;
        QTest::newRow("too small, positive exponent") << kTinyWithoutExponent + QStringLiteral("e5") << false;
    }
    void numberOutOfRangeBySize()
    {
        QFETCH(QString, text);
        QFETCH(bool, overflow);
        QCOMPARE(failureNumberOf([&] { leadingNumber(text); }), overflow ? err::Overflow : err::NoNumber);
        if (!overflow) {
            QCOMPARE(wholeNumber(text), std::optional<double>(0.0));
        }
    }
};

QTEST_GUILESS_MAIN(FuzzFindings)
#include "tst_fuzz_findings.moc"
