// bench_rtfreader [RECORDS...]: builds, for each size (default 10000 and
// 100000 records, the second about 55 MB; 1000000 runs too, given several GB
// of memory), an RTF source document of that many generated records in the
// style LibreOffice writes (one paragraph per record with bold, italic,
// colour and font changes, every accented letter a \u escape) and a plain
// UTF-8 text file of the same text, then loads each file the way the source
// window does (read, recognise, build the text document) and prints the RTF
// load next to the plain-text load of the same content: interleaved, warm
// (one untimed round first), median of five; wall time and the processor
// time of all threads, as the RTF parser runs on a thread of its own beside
// the document's builder. The core's parser alone, into a sink that only
// counts, shows its share.
#include "Corpus.h"
#include "core/source/RtfParser.h"
#include "ui/workspace/SourceLoader.h"

#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

using Timing::median;
using Timing::millisecondsOf;

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

double processorMilliseconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct LoadTime
{
    double wall = 0;
    double processor = 0; // of every thread: the RTF parser runs beside the document's builder
    double builder = 0;   // of the loading thread alone, the longer of the two
};

// The source window's load; the document is dropped outside the timing.
LoadTime timeLoad(const QString& path, const QFont& font)
{
    std::unique_ptr<QTextDocument> document;
    const double processBefore = processorMilliseconds(CLOCK_PROCESS_CPUTIME_ID);
    const double threadBefore = processorMilliseconds(CLOCK_THREAD_CPUTIME_ID);
    const double wall = millisecondsOf([&] { document = SourceLoader::load(path, font); });
    return {wall, processorMilliseconds(CLOCK_PROCESS_CPUTIME_ID) - processBefore,
            processorMilliseconds(CLOCK_THREAD_CPUTIME_ID) - threadBefore};
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

double timeParse(const QByteArray& rtf)
{
    CountingSink sink;
    return millisecondsOf([&] { Rtf::parse(rtf, sink); });
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

void benchSize(int records, const QTemporaryDir& dir)
{
    const Source source = makeSource(records);
    const QString rtfPath = dir.filePath(QStringLiteral("forras.rtf"));
    const QString plainPath = dir.filePath(QStringLiteral("forras.txt"));
    if (!writeFile(rtfPath, source.rtf) || !writeFile(plainPath, source.plain.toUtf8())) {
        std::printf("cannot write the sources\n");
        return;
    }
    const QFont font(QStringLiteral("Arial"), 8);
    timeLoad(rtfPath, font); // warm-up: page cache, fonts, code tables
    timeLoad(plainPath, font);
    std::vector<double> rtfMs, plainMs, rtfCpu, plainCpu, rtfBuilder, parseMs;
    for (int run = 0; run < 5; ++run) {
        const LoadTime rtf = timeLoad(rtfPath, font);
        const LoadTime plain = timeLoad(plainPath, font);
        rtfMs.push_back(rtf.wall);
        rtfCpu.push_back(rtf.processor);
        rtfBuilder.push_back(rtf.builder);
        plainMs.push_back(plain.wall);
        plainCpu.push_back(plain.processor);
        parseMs.push_back(timeParse(source.rtf));
    }
    const double rtf = median(rtfMs);
    const double plain = median(plainMs);
    std::printf("%8d records  %6.1f MB RTF  %6.1f MB text\n", records, source.rtf.size() / 1e6,
                source.plain.toUtf8().size() / 1e6);
    std::printf("    RTF load %8.1f ms   plain-text load %8.1f ms   ratio %.2f\n", rtf, plain,
                rtf / std::max(plain, 1e-3));
    std::printf("    processor time, all threads: RTF %8.1f ms   plain text %8.1f ms   ratio %.2f\n",
                median(rtfCpu), median(plainCpu), median(rtfCpu) / std::max(median(plainCpu), 1e-3));
    std::printf("    processor time of the loading thread: RTF %8.1f ms   ratio to plain text %.2f\n",
                median(rtfBuilder), median(rtfBuilder) / std::max(median(plainCpu), 1e-3));
    std::printf("    the parser alone, into a counting sink: %.1f ms\n", median(parseMs));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::max(1, atoi(argv[i])));
    if (sizes.empty())
        sizes = {10000, 100000};
    QTemporaryDir dir;
    std::printf("source load, median of 5, interleaved, warm\n");
    for (const int records : sizes)
        benchSize(records, dir);
    return 0;
}
