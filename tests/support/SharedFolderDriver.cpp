// A second bibliographer on the same folder, for the tests that need two
// real processes: it opens a database through the editing session, or runs
// an index run the way the indexing dialog does, and reports on standard
// output what it got.
//
//   driver hold PATH    open PATH; print "rw" or "ro"; wait for a line on stdin
//   driver edit PATH    open PATH, append a record, wait for its recovery
//                       copy; print "edited"; wait for a line on stdin
//   driver index        index every offered database of the current folder;
//                       print "indexed", or the message on standard error
//                       with exit status 1

#include "core/index/IndexBuilder.h"
#include "core/record/NorlaError.h"
#include "core/session/EditingSession.h"
#include "core/session/RecoveryCopy.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <iostream>
#include <string>

namespace {

void say(const char* text)
{
    std::fputs(text, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void waitForStdinLine()
{
    std::string line;
    std::getline(std::cin, line);
}

void appendRecord(EditingSession& session)
{
    session.setLists({QStringLiteral("könyv")}, {}, {});
    session.setMode(EditingSession::Mode::NewRecords);
    FormState form;
    form.typedName = QStringLiteral("777");
    form.recordType = 0;
    form.volume = 0;
    session.save(form);
}

bool waitForFile(const QString& path)
{
    const QDeadlineTimer deadline(20000);
    while (!QFileInfo::exists(path) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    // The copy is written through a temporary file: once it has its name it is whole.
    return QFileInfo::exists(path);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString command = args.value(0);
    try {
        if (command == u"index") {
            IndexBuilder builder(QDir::currentPath());
            builder.build(IndexBuilder::offeredDatabases(QDir::currentPath()));
            say("indexed");
            return 0;
        }
        if ((command == u"hold" || command == u"edit") && args.size() == 2) {
            EditingSession session;
            session.open(args[1]);
            if (command == u"hold") {
                say(session.isReadOnly() ? "ro" : "rw");
            } else {
                appendRecord(session);
                if (!waitForFile(RecoveryCopy::pathFor(args[1])))
                    return 3;
                say(session.isReadOnly() ? "ro" : "edited");
            }
            waitForStdinLine();
            return 0;
        }
    } catch (const NorlaError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: driver hold|edit PATH, or driver index\n");
    return 2;
}
