// bench_rtfreader [RECORDS]: builds an RTF source document of RECORDS generated
// records (default 100000, about 30 MB) in the style LibreOffice writes, one
// paragraph per record with bold, italic and font changes and every accented
// letter as a \u escape, then times Rtf::loadInto on it and on its first half,
// and the core's parser alone into a sink that only counts. The baseline is
// QTextDocument::setPlainText of the same text, the least a source window
// must spend to hold it.
#include "Corpus.h"
#include "core/source/RtfParser.h"
#include "ui/workspace/RtfReader.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>

namespace {

void appendEscaped(QByteArray& rtf, QStringView text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            rtf += '\\';
            rtf += char(u);
        } else if (u < 0x80) {
            rtf += char(u);
        } else {
            rtf += "\\u" + QByteArray::number(qint16(u)) + "\\'3f";
        }
    }
}

struct Source
{
    QByteArray rtf;
    QString plain;
};

Source makeSource(int records)
{
    Source source;
    source.rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Liberation Serif;}"
                 "{\\f1\\fswiss\\fcharset238 DejaVu Sans;}}{\\colortbl;\\red192\\green0\\blue0;}"
                 "{\\*\\generator bench;}\n";
    const QStringList lines = Corpus::records(records, 7);
    for (const QString& line : lines) {
        const QStringList fields = line.split(QStringLiteral("**"));
        source.rtf += "\\pard\\plain\\ql\\f0\\fs24{\\b ";
        for (int i = 0; i < fields.size(); ++i) {
            if (i == 1)
                source.rtf += "}{\\i\\f1\\fs20 ";
            else if (i == 2)
                source.rtf += "}{\\cf1 ";
            else if (i > 2)
                source.rtf += "\\tab ";
            appendEscaped(source.rtf, fields.at(i));
        }
        source.rtf += "}\\par\n";
        source.plain += fields.join(u'\t');
        source.plain += u'\n';
    }
    source.rtf += "}";
    return source;
}

qint64 timeRtf(const QByteArray& rtf)
{
    QTextDocument document;
    QElapsedTimer timer;
    timer.start();
    Rtf::loadInto(rtf, document);
    return timer.elapsed();
}

// Counts what the parser hands over, so that the parser's share of the load
// can be told from the text document's.
class CountingSink final : public Rtf::Sink
{
public:
    void text(QStringView text, const Rtf::CharFormat&) override { characters += text.size(); }
    void paragraphEnd(const Rtf::ParagraphFormat&) override {}
    void paragraphStart() override { ++characters; }

    qsizetype characters = 0;
};

qint64 timeParse(const QByteArray& rtf)
{
    CountingSink sink;
    QElapsedTimer timer;
    timer.start();
    Rtf::parse(rtf, sink);
    return timer.elapsed();
}

qint64 timePlain(const QString& text)
{
    QTextDocument document;
    QElapsedTimer timer;
    timer.start();
    document.setPlainText(text);
    return timer.elapsed();
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, atoi(argv[1])) : 100000;

    const Source full = makeSource(records);
    const Source half = makeSource(records / 2);
    const double megabytes = full.rtf.size() / 1e6;

    const qint64 rtfMs = timeRtf(full.rtf);
    const qint64 halfMs = timeRtf(half.rtf);
    const qint64 parseMs = timeParse(full.rtf);
    const qint64 plainMs = timePlain(full.plain);

    std::printf("RTF source: %d records, %.1f MB RTF, %.1f M characters of text\n", records, megabytes,
                full.plain.size() / 1e6);
    std::printf("Rtf::loadInto:              %6lld ms  (%.1f MB/s)\n", static_cast<long long>(rtfMs),
                megabytes / std::max<qint64>(rtfMs, 1) * 1000);
    std::printf("Rtf::loadInto, half input:  %6lld ms  (full/half %.2f; 2.0 is linear)\n",
                static_cast<long long>(halfMs), double(rtfMs) / std::max<qint64>(halfMs, 1));
    std::printf("Rtf::parse alone:           %6lld ms  (the parser's share)\n",
                static_cast<long long>(parseMs));
    std::printf("baseline setPlainText:      %6lld ms  (same text, no formatting)\n",
                static_cast<long long>(plainMs));
    return 0;
}
