// bench_limits_ui CASE: extreme inputs in the real main window on the
// offscreen platform, each timed next to a baseline measured in the same run.
// One case per process, so the peak memory printed belongs to that case.
//
// Cases:
//   source-200mb-plain   a 200 MB plain text file loaded into the source window
//   source-200mb-rtf     a 200 MB RTF file loaded into the source window
//   subjects-flat-10k    a subject tree of 10,000 entries on one level: built, then the menu opened
//   subjects-nested-100k five levels nested 100,000 times (500,000 lines): built, then menus opened
//   editor-line-1mb      a database whose records include a 1 MB line: opened, shown, navigated
#include "Corpus.h"
#include "LimitCase.h"

#include "app/NorlaProgram.h"
#include "core/record/TextFile.h"
#include "core/source/SubjectTree.h"
#include "ui/common/UserDialogs.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTextEdit>

#include <memory>

namespace {

// Answers every file dialog with the one file of the case; messages are printed.
class FixedDialogs final : public UserDialogs
{
public:
    QString file;
    int messages = 0;
    bool askYesNo(QWidget*, const QString&) override { return false; }
    Answer askYesNoCancel(QWidget*, const QString&) override { return Answer::No; }
    void inform(QWidget*, const QString& text) override
    {
        ++messages;
        LimitCase::report("message", text.left(200));
    }
    QString chooseOpenFile(QWidget*, const QString&, const QString&, const QString&) override { return file; }
    QString chooseSaveFile(QWidget*, const QString&, const QString&, const QString&) override { return {}; }
};

// A working folder holding the whole program.
struct Program
{
    Program()
    {
        QDir::setCurrent(dir.path());
        UserDialogs::install(&dialogs);
        program = std::make_unique<NorlaProgram>();
        window().show();
        QApplication::processEvents();
    }
    ~Program() { UserDialogs::install(nullptr); }
    MainWindow& window() const { return program->mainWindow(); }
    void trigger(const char* action)
    {
        window().findChild<QAction*>(QString::fromLatin1(action))->trigger();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    FixedDialogs dialogs;
    std::unique_ptr<NorlaProgram> program;
};

// NORLA_LIMIT_SOURCE_MB sets another size, to see how the time grows.
const qint64 kSourceBytes = qEnvironmentVariableIntValue("NORLA_LIMIT_SOURCE_MB") > 0
                                ? qEnvironmentVariableIntValue("NORLA_LIMIT_SOURCE_MB") * 1'000'000LL
                                : 200'000'000LL;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        LimitCase::fail("cannot write the input");
}

QByteArray plainSource()
{
    QByteArray text;
    text.reserve(kSourceBytes + 100'000);
    const QStringList lines = Corpus::records(20'000, 11);
    while (text.size() < kSourceBytes)
        for (const QString& line : lines)
            text += line.toUtf8() + '\n';
    return text;
}

QByteArray rtfSource()
{
    QByteArray rtf =
        "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\froman\\fcharset238 Times New Roman;}}\n";
    rtf.reserve(kSourceBytes + 100'000);
    const QStringList lines = Corpus::records(20'000, 11);
    while (rtf.size() < kSourceBytes) {
        for (const QString& line : lines) {
            const QStringList fields = line.split(QStringLiteral("**"));
            rtf += "\\pard{\\b ";
            for (int i = 0; i < fields.size(); ++i) {
                if (i == 1)
                    rtf += "}{\\i ";
                else if (i > 1)
                    rtf += "\\tab ";
                for (const QChar c : fields[i]) {
                    const char16_t u = c.unicode();
                    if (u == u'\\' || u == u'{' || u == u'}')
                        rtf += '\\', rtf += char(u);
                    else if (u < 0x80)
                        rtf += char(u);
                    else
                        rtf += "\\u" + QByteArray::number(qint16(u)) + "?";
                }
            }
            rtf += "}\\par\n";
        }
    }
    return rtf + "}";
}

void sourceCase(const QByteArray& bytes, const char* name)
{
    Program p;
    const QString path = p.dir.filePath(QString::fromLatin1(name));
    writeFile(path, bytes);
    LimitCase::report("input", QStringLiteral("%1 MB").arg(bytes.size() / 1e6, 0, 'f', 1));
    p.dialogs.file = path;
    const double baseline = LimitCase::seconds([&] { TextFile::readBytes(path); });
    // A large source is read on a worker; the load ends when the window shows it.
    const double load = LimitCase::seconds([&] {
        p.trigger("Forrsadatokbetltse1");
        while (p.window().statusText(1) != QStringLiteral(" Forrásfájl: ") + path && p.dialogs.messages == 0)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    });
    QTextEdit* source = p.window().findChild<QTextEdit*>(QStringLiteral("re1"));
    LimitCase::result(QStringLiteral("load into the source window"), load, QStringLiteral("reading the file"),
                      baseline);
    LimitCase::report("characters shown", QString::number(source->document()->characterCount()));
    const double paint = LimitCase::seconds([&] {
        source->repaint();
        QApplication::processEvents();
    });
    LimitCase::result(QStringLiteral("first paint"), paint, QStringLiteral("reading the file"), baseline);
    const double scroll = LimitCase::seconds([&] {
        source->moveCursor(QTextCursor::End);
        source->ensureCursorVisible();
        source->repaint();
        QApplication::processEvents();
    });
    LimitCase::result(QStringLiteral("jump to the end"), scroll, QStringLiteral("reading the file"),
                      baseline);
}

QMenu* subjectMenu(Program& p)
{
    return p.window().findChild<QMenu*>(QStringLiteral("menu4_0"));
}

void subjectCase(const QList<QByteArray>& lines)
{
    Program p;
    const QString path = p.dir.filePath(QStringLiteral("targyak.zda"));
    QByteArray bytes;
    for (const QByteArray& line : lines)
        bytes += line + "\r\n";
    writeFile(path, bytes);
    LimitCase::report("input",
                      QStringLiteral("%1 lines, %2 MB").arg(lines.size()).arg(bytes.size() / 1e6, 0, 'f', 1));
    p.dialogs.file = path;
    const double baseline = LimitCase::seconds([&] { SubjectTree::outline(SubjectTree::readLines(path)); });
    const double build = LimitCase::seconds([&] { p.trigger("rgykrfjlbetltse1"); });
    LimitCase::result(QStringLiteral("build the subject menu"), build,
                      QStringLiteral("reading and outlining"), baseline);
    QMenu* menu = subjectMenu(p);
    const double open = LimitCase::seconds([&] {
        menu->popup(QPoint(0, 0));
        QApplication::processEvents();
        // Down to the fifth level, as a user pointing at the first entries would.
        QMenu* level = menu;
        for (int depth = 2; depth <= 5 && level; ++depth) {
            QMenu* next = nullptr;
            for (QAction* action : level->actions())
                if ((next = action->menu()))
                    break;
            if (next) {
                next->popup(QPoint(0, 0));
                QApplication::processEvents();
            }
            level = next;
        }
        menu->hide();
    });
    LimitCase::result(QStringLiteral("open the menu (down to level 5)"), open,
                      QStringLiteral("reading and outlining"), baseline);
    LimitCase::report("top-level entries", QString::number(menu->actions().size()));
}

QList<QByteArray> flatSubjects()
{
    QList<QByteArray> lines;
    for (int k = 0; k < 10'000; ++k)
        lines.append("*Tárgykör " + QByteArray::number(k));
    return lines;
}

QList<QByteArray> nestedSubjects()
{
    QList<QByteArray> lines;
    for (int k = 0; k < 100'000; ++k)
        for (int depth = 1; depth <= 5; ++depth)
            lines.append(QByteArray(depth, '*') + "Szint " + QByteArray::number(depth) + " / " +
                         QByteArray::number(k));
    return lines;
}

void editorLine1mb()
{
    Program p;
    QStringList lines = Corpus::records(1000, 5);
    QString huge = lines[1];
    while (huge.size() < 1'000'000)
        huge += QStringLiteral(" igen hosszú cím");
    lines[1] = huge;
    lines[2] = QString(1'000'000, u'x');
    const QString path = p.dir.filePath(QStringLiteral("hosszu.rtf"));
    TextFile::writeUnicode(path, lines);
    p.dialogs.file = path;
    const double baseline = LimitCase::seconds([&] { TextFile::readBytes(path); });
    const double open = LimitCase::seconds([&] { p.trigger("menu0_open"); });
    LimitCase::result(QStringLiteral("open"), open, QStringLiteral("reading the file"), baseline);
    const double move = LimitCase::seconds([&] {
        for (int i = 0; i < 3; ++i)
            p.trigger("gnyil3_action"); // next
        p.window().repaint();
        QApplication::processEvents();
    });
    LimitCase::result(QStringLiteral("show records 2, 3 and 4"), move, QStringLiteral("reading the file"),
                      baseline);
    LimitCase::report("current record", QString::number(p.window().currentRecordIndex()));
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return LimitCase::run(argc, argv,
                          {
                              {"source-200mb-plain", [] { sourceCase(plainSource(), "forras.txt"); }},
                              {"source-200mb-rtf", [] { sourceCase(rtfSource(), "forras.rtf"); }},
                              {"subjects-flat-10k", [] { subjectCase(flatSubjects()); }},
                              {"subjects-nested-100k", [] { subjectCase(nestedSubjects()); }},
                              {"editor-line-1mb", editorLine1mb},
                          });
}
