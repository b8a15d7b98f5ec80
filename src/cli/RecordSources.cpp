#include "cli/RecordSources.h"

#include "cli/SearchOptions.h"

#include "core/index/DatabaseStream.h"
#include "core/search/SearchEngine.h"

namespace {

void visitDatabase(const QString& path, const LineVisitor& visit)
{
    DatabaseStream stream(path);
    QStringView line;
    while (stream.next(&line))
        visit(line);
}

void visitIndex(const QString& folder, const LineVisitor& visit)
{
    for (const QString& chunk : SearchEngine::chunkFiles(folder))
        visitDatabase(chunk, visit);
}

class LineSink final : public SearchSink
{
public:
    explicit LineSink(const LineVisitor& visit) : m_visit(visit) {}
    void hit(QByteArrayView, const FieldGrid*) override {}
    void hitLine(QStringView line) override { m_visit(line); }

private:
    const LineVisitor& m_visit;
};

void visitSearch(const QCommandLineParser& parser, const QString& folder, const LineVisitor& visit)
{
    const SearchCriteria criteria = criteriaFrom(parser);
    SearchEngine engine(criteria, rolesFor(criteria, false, folder));
    engine.setThreadCount(threadCount(parser));
    engine.setKeepLines(true);
    LineSink sink(visit);
    engine.run(folder, sink);
}

} // namespace

bool searchOptionsGiven(const QCommandLineParser& parser)
{
    for (const QCommandLineOption& option : searchOptions())
        for (const QString& name : option.names())
            if (name != u"threads" && name != u"h" && name != u"help" && parser.isSet(name))
                return true;
    return false;
}

RecordSource recordSourceFrom(const QCommandLineParser& parser, const QString& folder)
{
    const QStringList positional = parser.positionalArguments();
    const bool index = parser.isSet(QStringLiteral("index"));
    if (int(!positional.isEmpty()) + int(index) + int(searchOptionsGiven(parser)) != 1 ||
        positional.size() > 1)
        throw UsageError(QStringLiteral("give one database file, or --index, or search options"));
    if (!positional.isEmpty()) {
        const QString database = positional.first();
        return [database](const LineVisitor& visit) { visitDatabase(database, visit); };
    }
    if (index)
        return [folder](const LineVisitor& visit) { visitIndex(folder, visit); };
    criteriaFrom(parser); // wrong search options are a usage error before anything is written
    return [&parser, folder](const LineVisitor& visit) { visitSearch(parser, folder, visit); };
}
