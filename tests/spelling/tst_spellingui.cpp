// Proofreading in the windows: the underline under the right characters of a
// line edit (read from the ranges the layer draws, not from pixels), the
// context menu's suggestion, "Felvétel a szótárba" and "Kihagyás", and the
// report's replacement in every record (one undo step) and its additions to
// the folder's word list.

#include "../workspace/WorkspaceFixture.h"
#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "core/record/RecordLine.h"
#include "core/record/RecordSchema.h"
#include "core/record/WorkFolder.h"
#include "core/session/EditingSession.h"
#include "ui/spelling/SpellingFields.h"
#include "ui/spelling/SpellingReportDialog.h"
#include "ui/spelling/SpellingService.h"
#include "ui/spelling/SpellingUnderline.h"
#include "ui/workspace/MainWindow.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTreeWidget>
#include <QtTest>

namespace {

using Range = SpellingUnderline::Range;
using Kind = SpellingUnderline::Kind;

QString recordLine(const QString& name, const QString& title, const QString& year, const QString& language)
{
    QStringList fields(RecordSchema::FieldCount);
    RecordSchema::value(fields, Field::RecordName) = name;
    RecordSchema::value(fields, Field::RecordType) = QStringLiteral("könyv");
    RecordSchema::value(fields, Field::Title) = title;
    RecordSchema::value(fields, Field::Year) = year;
    RecordSchema::value(fields, Field::Language) = language;
    return RecordLine::join(fields);
}

QString titleOf(const DatabaseDocument& document, int index)
{
    return RecordSchema::value(RecordLine::split(document.line(index)), Field::Title);
}

QAction* actionNamed(QMenu* menu, const QString& name)
{
    for (QAction* action : menu->actions())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

QTreeWidgetItem* wordItem(QTreeWidget* tree, const QString& word)
{
    const QList<QTreeWidgetItem*> found = tree->findItems(word, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class TestSpellingUi final : public QObject
{
    Q_OBJECT

    // A field as the data-entry page has it, with its language and year.
    struct Form
    {
        TempWorkDir dir;
        SpellingService service{dir.path()};
        QLineEdit edit;
        QComboBox language;
        QLineEdit year;
        SpellingFields fields{service, {&edit}, &language, &year};
        SpellingUnderline* underline = SpellingUnderline::of(&edit);

        Form()
        {
            language.addItems({QStringLiteral("magyar"), QStringLiteral("német"), QStringLiteral("latin")});
            edit.resize(400, 24);
        }
        // Types the text, waits for the language's dictionary, and judges.
        QList<Range> check(const QString& text, const QString& lang = QStringLiteral("magyar"),
                           const QString& yearText = QStringLiteral("1990"))
        {
            language.setCurrentText(lang);
            year.setText(yearText);
            edit.setText(text);
            underline->recheckNow();
            service.waitForLoads();
            QCoreApplication::processEvents();
            underline->recheckNow();
            return underline->ranges();
        }
    };

private Q_SLOTS:
    void underlineLiesUnderTheWord_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QList<Range>>("ranges");
        QTest::newRow("typo") << QStringLiteral("A könyvtártörtént őrzése") << QStringLiteral("magyar")
                              << QStringLiteral("1990") << QList<Range>{{2, 15, Kind::Unknown}};
        QTest::newRow("two typos") << QStringLiteral("czím és gyüjtemény") << QStringLiteral("magyar")
                                   << QStringLiteral("1990")
                                   << QList<Range>{{0, 4, Kind::Unknown}, {8, 10, Kind::Unknown}};
        QTest::newRow("old form of 1880")
            << QStringLiteral("A gyüjtemény czíme") << QStringLiteral("magyar") << QStringLiteral("1880")
            << QList<Range>{{2, 10, Kind::OldSpelling}, {13, 5, Kind::OldSpelling}};
        QTest::newRow("correct") << QStringLiteral("Könyvtártörténeti tanulmányok")
                                 << QStringLiteral("magyar") << QStringLiteral("1990") << QList<Range>{};
        QTest::newRow("Greek words in a Hungarian title")
            << QStringLiteral("Περὶ βιβλίων és a könyvtártörtént") << QStringLiteral("magyar")
            << QStringLiteral("1990") << QList<Range>{{18, 15, Kind::Unknown}};
        QTest::newRow("no Latin dictionary") << QStringLiteral("De bello Gallico") << QStringLiteral("latin")
                                             << QStringLiteral("1990") << QList<Range>{};
        QTest::newRow("Latin title in a Hungarian record")
            << QStringLiteral("Historia regni Hungariae") << QStringLiteral("magyar")
            << QStringLiteral("1990") << QList<Range>{};
        QTest::newRow("names and sigla")
            << QStringLiteral("Emlékkönyv Somlyai Dénes tiszteletére. Különny. a MKsz-ből")
            << QStringLiteral("magyar") << QStringLiteral("1990") << QList<Range>{};
        QTest::newRow("unknown word of 1880 that no rule explains")
            << QStringLiteral("A könyvtártörtnet czíme") << QStringLiteral("magyar") << QStringLiteral("1880")
            << QList<Range>{{2, 15, Kind::Unknown}, {18, 5, Kind::OldSpelling}};
    }
    void underlineLiesUnderTheWord()
    {
        QFETCH(QString, text);
        QFETCH(QString, language);
        QFETCH(QString, year);
        QFETCH(QList<Range>, ranges);
        Form field;
        QCOMPARE(field.check(text, language, year), ranges);
    }

    void germanTitleIsCheckedInGerman()
    {
        if (!QFile::exists(QStringLiteral("/usr/share/hunspell/de_DE.aff")))
            QSKIP("hunspell-de-de is not installed (scripts/install-deps.sh test)");
        Form field;
        QCOMPARE(field.check(QStringLiteral("Die Geschichte der Bibliotheek"), QStringLiteral("német")),
                 (QList<Range>{{19, 11, Kind::Unknown}}));
        // A German title in a Hungarian record is judged in German, not flagged word by word.
        QCOMPARE(field.check(QStringLiteral("Die Geschichte der Bibliothek"), QStringLiteral("magyar")),
                 QList<Range>{});
        QCOMPARE(field.check(QStringLiteral("Die Geschichte der Bibliotheek"), QStringLiteral("magyar")),
                 (QList<Range>{{19, 11, Kind::Unknown}}));
    }

    void suggestionReplacesTheWordAsTyping()
    {
        Form field;
        QCOMPARE(field.check(QStringLiteral("A gyüjtemény sorsa")).size(), 1);
        QSignalSpy edited(&field.edit, &QLineEdit::textEdited);
        std::unique_ptr<QMenu> menu(field.underline->createContextMenu(5));
        QList<QAction*> suggestions;
        for (QAction* action : menu->actions())
            if (action->objectName() == u"spellSuggestion")
                suggestions.append(action);
        QVERIFY(!suggestions.isEmpty() && suggestions.size() <= SpellingUnderline::MaxSuggestions);
        QCOMPARE(suggestions.first()->text(), QStringLiteral("gyűjtemény"));
        QVERIFY(actionNamed(menu.get(), QStringLiteral("spellAddWord")));
        QCOMPARE(actionNamed(menu.get(), QStringLiteral("spellAddWord"))->text(),
                 QStringLiteral("Felvétel a szótárba"));
        QCOMPARE(actionNamed(menu.get(), QStringLiteral("spellSkipWord"))->text(),
                 QStringLiteral("Kihagyás"));
        suggestions.first()->trigger();
        QCOMPARE(field.edit.text(), QStringLiteral("A gyűjtemény sorsa"));
        QCOMPARE(edited.size(), 1);
        field.edit.undo();
        QCOMPARE(field.edit.text(), QStringLiteral("A gyüjtemény sorsa"));

        // Outside an underlined word the menu is the edit's own.
        std::unique_ptr<QMenu> plain(field.underline->createContextMenu(0));
        QVERIFY(!actionNamed(plain.get(), QStringLiteral("spellAddWord")));
    }

    void addedAndSkippedWordsAreNoLongerFlagged()
    {
        Form field;
        QCOMPARE(field.check(QStringLiteral("könyvtártörtnet és nyomtatvnyok")).size(), 2);
        std::unique_ptr<QMenu> menu(field.underline->createContextMenu(1));
        actionNamed(menu.get(), QStringLiteral("spellAddWord"))->trigger();
        menu.reset(field.underline->createContextMenu(22));
        actionNamed(menu.get(), QStringLiteral("spellSkipWord"))->trigger();
        field.underline->recheckNow();
        QCOMPARE(field.underline->ranges(), QList<Range>{});
        // Added into the folder's list; skipped only for this session.
        QCOMPARE(field.dir.readBytes(WorkFolder::AcceptedWordsFile), QByteArray("könyvtártörtnet\n"));
        SpellingService later(field.dir.path());
        QVERIFY(later.wordList().contains(QStringLiteral("könyvtártörtnet")));
        QVERIFY(!later.skippedWords().contains(QStringLiteral("nyomtatvnyok")));
    }

    void reportReplacesEverywhereInOneStep()
    {
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        dir.writeBytes(
            QStringLiteral("db.rtf"),
            unicodeFileBytes({
                recordLine(QStringLiteral("Ma00000100"), QStringLiteral("A könyvtártörtént forrásai"),
                           QStringLiteral("1990"), QStringLiteral("magyar")),
                recordLine(QStringLiteral("Ma00000200"), QStringLiteral("Czím nélkül"),
                           QStringLiteral("1990"), QStringLiteral("magyar")),
                recordLine(QStringLiteral("Ma00000300"), QStringLiteral("könyvtártörtént vázlat"),
                           QStringLiteral("1995"), QStringLiteral("magyar")),
                recordLine(QStringLiteral("Ma00000400"), QStringLiteral("Egy gyüjtemény"),
                           QStringLiteral("1880"), QStringLiteral("magyar")),
            }));
        EditingSession session;
        session.open(dir.file(QStringLiteral("db.rtf")));
        session.setMode(EditingSession::Mode::Browse);
        SpellingService service(dir.path());
        SpellingReportDialog report(session, service);
        report.runCheck();
        QVERIFY(report.result());

        auto* tree = report.findChild<QTreeWidget*>(QStringLiteral("tv_helyesszavak"));
        QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Ismeretlen szavak (2)"));
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("régi alak? (1)"));
        QTreeWidgetItem* typo = wordItem(tree, QStringLiteral("könyvtártörtént"));
        QVERIFY(typo);
        QCOMPARE(typo->text(1), QStringLiteral("2"));

        tree->setCurrentItem(typo);
        // Nothing is offered ready for a replacement in many records.
        auto* replacement = report.findChild<QLineEdit*>(QStringLiteral("edit_helyescsere"));
        QCOMPARE(replacement->text(), QString());
        report.findChild<QPushButton*>(QStringLiteral("gomb_helyescsere"))->click();
        QCOMPARE(dialogs.questions.size(), 0);
        QCOMPARE(dialogs.messages.size(), 1);
        QVERIFY2(dialogs.messages.first().contains(QStringLiteral("javaslatok közül")),
                 qPrintable(dialogs.messages.first()));
        QCOMPARE(titleOf(session.document(), 0), QStringLiteral("A könyvtártörtént forrásai"));
        auto* suggestions = report.findChild<QListWidget*>(QStringLiteral("lb_helyesjavaslatok"));
        QTRY_VERIFY_WITH_TIMEOUT(suggestions->count() > 0, 20000);
        QCOMPARE(replacement->text(), QString());
        const QList<QListWidgetItem*> meant =
            suggestions->findItems(QStringLiteral("könyvtártörténet"), Qt::MatchExactly);
        QStringList offered;
        for (int i = 0; i < suggestions->count(); ++i)
            offered.append(suggestions->item(i)->text());
        QVERIFY2(!meant.isEmpty() && suggestions->row(meant.first()) < 3, qPrintable(offered.join(u", ")));
        auto* records = report.findChild<QListWidget*>(QStringLiteral("lb_helyesrekordok"));
        QCOMPARE(records->count(), 2);
        QCOMPARE(records->item(1)->text(), QStringLiteral("Ma00000300"));
        QSignalSpy jump(&report, &SpellingReportDialog::showRecordRequested);
        records->setCurrentRow(1);
        report.findChild<QPushButton*>(QStringLiteral("gomb_helyesugras"))->click();
        QCOMPARE(jump.size(), 1);
        QCOMPARE(jump.first().first().toInt(), 2);

        // Picking the suggestion puts it in the replacement; the count is confirmed.
        Q_EMIT suggestions->itemClicked(meant.first());
        QCOMPARE(replacement->text(), QStringLiteral("könyvtártörténet"));
        dialogs.yesNoAnswers.enqueue(true);
        report.findChild<QPushButton*>(QStringLiteral("gomb_helyescsere"))->click();
        QCOMPARE(dialogs.questions.size(), 1);
        QVERIFY2(dialogs.questions.first().contains(QStringLiteral("2 rekordban")),
                 qPrintable(dialogs.questions.first()));
        QCOMPARE(titleOf(session.document(), 0), QStringLiteral("A könyvtártörténet forrásai"));
        QCOMPARE(titleOf(session.document(), 2), QStringLiteral("könyvtártörténet vázlat"));
        QVERIFY(session.document().isModified());
        session.undo();
        QCOMPARE(titleOf(session.document(), 0), QStringLiteral("A könyvtártörtént forrásai"));
        QCOMPARE(titleOf(session.document(), 2), QStringLiteral("könyvtártörtént vázlat"));
        QVERIFY(!session.document().isModified());

        // Both remaining words, one of them an old form, into the word list at once.
        wordItem(tree, QStringLiteral("Czím"))->setSelected(true);
        wordItem(tree, QStringLiteral("gyüjtemény"))->setSelected(true);
        report.findChild<QPushButton*>(QStringLiteral("gomb_helyesfelvetel"))->click();
        QCOMPARE(dir.readBytes(WorkFolder::AcceptedWordsFile), QByteArray("Czím\ngyüjtemény\n"));
        QVERIFY(!wordItem(tree, QStringLiteral("gyüjtemény")));
    }

    // The data-entry page: its title is proofread in the record's language,
    // and the report's jump and replacement reach the form.
    void dataEntryPageFollowsTheRecordAndTheReport()
    {
        WorkspaceFixture f;
        f.open(f.writeDatabase(
            QStringLiteral("db.rtf"),
            {recordLine(QStringLiteral("Ka00000100"), QStringLiteral("A könyvtártörtént forrásai"),
                        QStringLiteral("1990"), QStringLiteral("magyar")),
             recordLine(QStringLiteral("Ka00000200"), QStringLiteral("Geschichte der Bibliotheek"),
                        QStringLiteral("1990"), QStringLiteral("német")),
             recordLine(QStringLiteral("Ka00000300"), QStringLiteral("De bello Gallico"),
                        QStringLiteral("1990"), QStringLiteral("latin"))}));
        QLineEdit* title = f.edit(7);
        SpellingUnderline* underline = SpellingUnderline::of(title);
        QVERIFY(underline);
        QTRY_COMPARE_WITH_TIMEOUT(underline->ranges(), (QList<Range>{{2, 15, Kind::Unknown}}), 20000);
        for (int k : {2, 8, 14})
            QVERIFY(SpellingUnderline::of(f.edit(k)));
        QVERIFY(!SpellingUnderline::of(f.edit(3))); // names are not proofread

        f.action(QStringLiteral("Helyesrsellenrzs1"))->trigger();
        auto* report = f.window().findChild<SpellingReportDialog*>();
        QVERIFY(report && report->result());
        auto* tree = report->findChild<QTreeWidget*>(QStringLiteral("tv_helyesszavak"));
        tree->setCurrentItem(wordItem(tree, QStringLiteral("könyvtártörtént")));
        report->findChild<QLineEdit*>(QStringLiteral("edit_helyescsere"))
            ->setText(QStringLiteral("könyvtártörténet"));
        f.dialogs.yesNoAnswers.enqueue(true);
        report->findChild<QPushButton*>(QStringLiteral("gomb_helyescsere"))->click();
        QCOMPARE(title->text(), QStringLiteral("A könyvtártörténet forrásai"));
        QVERIFY(f.window().document().isModified());
        f.action(QStringLiteral("menu6_visszavonas"))->trigger();
        QCOMPARE(title->text(), QStringLiteral("A könyvtártörtént forrásai"));

        // Jumping to the Latin record: no dictionary, no underline.
        tree->setCurrentItem(wordItem(tree, QStringLiteral("könyvtártörtént")));
        Q_EMIT report->showRecordRequested(2);
        QCOMPARE(f.window().currentRecordIndex(), 2);
        QCOMPARE(title->text(), QStringLiteral("De bello Gallico"));
        underline->recheckNow();
        QCOMPARE(underline->ranges(), QList<Range>{});
        report->close();
    }
};

QTEST_MAIN(TestSpellingUi)
#include "tst_spellingui.moc"
