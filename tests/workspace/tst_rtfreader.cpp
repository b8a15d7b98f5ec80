#include "workspace/RtfReader.h"

#include <QTextDocument>
#include <QtTest>

class TestRtfReader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void recognisesRtf()
    {
        QVERIFY(Rtf::looksLikeRtf("\xEF\xBB\xBF  {\\rtf1 x}"));
        QVERIFY(!Rtf::looksLikeRtf("plain {\\rtf1"));
    }

    void readsPlainText()
    {
        QTextDocument document;
        Rtf::loadInto("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 Hello\\par World}", document);
        QCOMPARE(document.toPlainText(), QStringLiteral("Hello\nWorld"));
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
