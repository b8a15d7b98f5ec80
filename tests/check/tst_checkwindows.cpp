#include "../workspace/WorkspaceFixture.h"

#include "app/CheckFeatures.h"
#include "core/index/IndexBuilder.h"
#include "ui/check/BatchReplaceDialog.h"
#include "ui/check/CheckNotice.h"
#include "ui/check/NameCompleter.h"
#include "ui/check/NameVariantsDialog.h"

#include <QCheckBox>
#include <QListView>
#include <QPushButton>
#include <QTableWidget>
#include <QTreeWidget>

namespace {

QStringList indexedLines()
{
    QStringList lines = WorkspaceFixture::sampleLines();
    lines.append(QStringLiteral("Go00000100**könyv**T**01Példa Szerző**02**03**04**Más cím**S**Nádas "
                                "Kiadó**1**1990**12 p.**Győr**M****0**magyar**papír"));
    lines.append(QStringLiteral("Go00000200**könyv**T**01Pelda Szerzo**02**03**04**Harmadik mű**S**Nádas "
                                "Kiadó**1**1991**12 p.**Győr**M****0**magyar**papír"));
    return lines;
}

} // namespace

class TestCheckWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<WorkspaceFixture> m_fixture;

    WorkspaceFixture& f() { return *m_fixture; }
    CheckFeatures& features() { return f().program->checkFeatures(); }
    NameCompleter* completerOf(const QString& edit)
    {
        for (NameCompleter* completer : features().completers())
            if (completer->edit()->objectName() == edit)
                return completer;
        return nullptr;
    }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<WorkspaceFixture>();
        f().writeDatabase(QStringLiteral("index.rtf"), indexedLines());
        IndexBuilder(f().dir.path()).build({QStringLiteral("index.rtf")});
        f().openSample();
        features().waitForLists();
    }
    void cleanup() { m_fixture.reset(); }

    // Two letters open the list; Down and Enter take an entry as typing would.
    void completionTakesAnEntry()
    {
        QLineEdit* edit = f().edit(3);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("pel"));
        NameCompleter* completer = completerOf(QStringLiteral("Edit3"));
        QVERIFY(completer && completer->isOpen());
        QCOMPARE(completer->entries(),
                 (QStringList{QStringLiteral("Példa Szerző"), QStringLiteral("Pelda Szerzo")}));
        QVERIFY(f().action(QStringLiteral("menu3_mentes"))->isEnabled());
        QTest::keyClick(edit, Qt::Key_Down);
        QTest::keyClick(edit, Qt::Key_Down);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(edit->text(), QStringLiteral("Pelda Szerzo"));
        QVERIFY(!completer->isOpen());
        // The edit's own undo takes the entry back to what was typed.
        edit->undo();
        QCOMPARE(edit->text(), QStringLiteral("pel"));
    }

    void escapeKeepsTheTypedText()
    {
        QLineEdit* edit = f().edit(9);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("nad"));
        NameCompleter* completer = completerOf(QStringLiteral("Edit9"));
        QVERIFY(completer->isOpen());
        QTest::keyClick(edit, Qt::Key_Escape);
        QVERIFY(!completer->isOpen());
        QCOMPARE(edit->text(), QStringLiteral("nad"));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Backspace);
        QVERIFY(!completer->isOpen()); // one letter offers nothing
    }

    // F2 saves as before; the notice names what looks wrong and the list
    // offers the saved values from then on.
    void checksAfterSave()
    {
        f().edit(11)->setText(QStringLiteral("198"));
        f().edit(6)->setText(QStringLiteral("Újonnan Vitt Név"));
        f().action(QStringLiteral("menu3_mentes"))->trigger();
        QVERIFY(f().window().document().isModified());
        CheckNotice* notice = features().notice();
        QVERIFY(!notice->isHidden());
        QVERIFY(notice->text().contains(QStringLiteral("hibás évszám")));
        // It stands under the fields, as the guide says, not above the tool bar.
        auto* fields = f().window().findChild<QWidget*>(QStringLiteral("pan_mezok"));
        f().window().showPage(MainWindow::EntryPage);
        QTRY_VERIFY(notice->mapTo(&f().window(), QPoint()).y() >=
                    fields->mapTo(&f().window(), QPoint(0, fields->height())).y());
        QCOMPARE(notice->parentWidget(), fields->parentWidget());
        f().window().showPage(MainWindow::BrowsePageIndex);
        QCOMPARE(features().completions(NameKind::Creator, QStringLiteral("vitt")),
                 QStringList{QStringLiteral("Újonnan Vitt Név")});

        // The indexed twin of a record is named, with a link that opens it.
        f().edit(11)->setText(QStringLiteral("1998"));
        f().edit(7)->setText(QStringLiteral("Más cím"));
        f().edit(3)->setText(QStringLiteral("Példa Szerző"));
        f().edit(11)->setText(QStringLiteral("1990"));
        f().action(QStringLiteral("menu3_mentes"))->trigger();
        QVERIFY(notice->text().contains(QStringLiteral("Go00000100")));
        Q_EMIT notice->linkActivated(QStringLiteral("index:Go00000100"));
        QCOMPARE(f().window().currentPage(), int(MainWindow::BrowsePageIndex));
    }

    void reportSavedAsCsv()
    {
        f().action(QStringLiteral("menu_ellenorzes"))->trigger();
        auto* list = f().window().findChild<QTreeWidget*>(QStringLiteral("lista_ellenorzes"));
        QVERIFY(list);
        // The sample's second record has a language in capitals and pages "5-9".
        QVERIFY(list->topLevelItemCount() > 0);
        f().dialogs.saveFileAnswers.enqueue(f().dir.file(QStringLiteral("jelentes")));
        f().window().findChild<QPushButton*>(QStringLiteral("gomb_csv"))->click();
        QVERIFY(f().dir.readBytes(QStringLiteral("jelentes.csv")).startsWith("\xEF\xBB\xBFRekord,"));
        const int line = list->topLevelItem(0)->data(0, Qt::UserRole + 1).toInt();
        Q_EMIT list->itemDoubleClicked(list->topLevelItem(0), 0);
        QCOMPARE(f().window().currentRecordIndex(), line);
    }

    // "Egységesítés" asks once with the count, is one undo step, and undone
    // gives the document back as it was.
    void uniformThenUndo()
    {
        const QByteArray before = f().window().document().encode();
        f().action(QStringLiteral("menu_nevvaltozatok"))->trigger();
        auto* dialog = f().window().findChild<NameVariantsDialog*>();
        QVERIFY(dialog);
        QTreeWidget* list = dialog->list();
        QCOMPARE(list->topLevelItemCount(), 1);
        // Choose the form the index set uses less, so the open database changes.
        QTreeWidgetItem* rare = list->topLevelItem(0)->child(1);
        QCOMPARE(rare->text(0), QStringLiteral("Pelda Szerzo"));
        list->setCurrentItem(rare);
        dialog->findChild<QPushButton*>(QStringLiteral("gomb_egyseges_forma"))->click();
        QCOMPARE(dialog->authorisedForm(0), size_t(1));
        QCOMPARE(rare->text(3), QStringLiteral("egységes forma"));
        QCOMPARE(list->topLevelItem(0)->child(0)->checkState(0), Qt::Checked);
        f().dialogs.yesNoAnswers.enqueue(true);
        dialog->findChild<QPushButton*>(QStringLiteral("gomb_egysegesites"))->click();
        QCOMPARE(f().dialogs.questions.last(),
                 QStringLiteral("1 rekord módosul: „Példa Szerző” helyett „Pelda Szerzo” áll majd bennük. "
                                "Folytatja?"));
        QVERIFY(f().window().document().line(0).contains(u"01Pelda Szerzo"));
        QVERIFY(f().window().document().isModified());
        f().action(QStringLiteral("menu6_visszavonas"))->trigger();
        QCOMPARE(f().window().document().encode(), before);
        QVERIFY(!f().window().document().isModified());
    }

    // A family name of its own starts unticked and marked; the user picks the
    // authorised form, unticks another person, and the question counts only
    // the records of the ticked forms.
    void uniformWithAChoice()
    {
        QStringList lines = indexedLines();
        const auto add = [&](const QString& number, const QString& name) {
            lines.append(
                QStringLiteral("Ma%1**könyv**T**01%2**02**03**04**Cím %1**S**K**1**1990**12 p.**Győr**M"
                               "****0**magyar**papír")
                    .arg(number, name));
        };
        add(QStringLiteral("00010000"), QStringLiteral("Kovács János"));
        add(QStringLiteral("00010100"), QStringLiteral("Kovács János"));
        add(QStringLiteral("00010200"), QStringLiteral("Kovacs Janos"));
        add(QStringLiteral("00010300"), QStringLiteral("Kováts János"));
        add(QStringLiteral("00010400"), QStringLiteral("Kovács J."));
        f().writeDatabase(QStringLiteral("index.rtf"), lines);
        IndexBuilder(f().dir.path()).build({QStringLiteral("index.rtf")});
        f().open(f().writeDatabase(QStringLiteral("nyitott.rtf"), lines));
        const QByteArray before = f().window().document().encode();

        f().action(QStringLiteral("menu_nevvaltozatok"))->trigger();
        auto* dialog = f().window().findChild<NameVariantsDialog*>();
        dialog->forgetIndex();
        dialog->search();
        QTreeWidget* list = dialog->list();
        QTreeWidgetItem* group = nullptr;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == QStringLiteral("Kovács János"))
                group = list->topLevelItem(i);
        QVERIFY(group);
        QCOMPARE(group->childCount(), 4);
        const auto child = [&](const char* text) {
            for (int i = 0; i < group->childCount(); ++i)
                if (group->child(i)->text(0) == QString::fromUtf8(text))
                    return group->child(i);
            return static_cast<QTreeWidgetItem*>(nullptr);
        };
        QCOMPARE(child("Kovács János")->text(3), QStringLiteral("egységes forma"));
        QVERIFY(child("Kovács János")->font(0).bold());
        QCOMPARE(child("Kováts János")->checkState(0), Qt::Unchecked);
        QCOMPARE(child("Kováts János")->text(3), QStringLiteral("más családnév"));
        QCOMPARE(child("Kovacs Janos")->checkState(0), Qt::Checked);
        QCOMPARE(child("Kovács J.")->checkState(0), Qt::Checked);

        // "Kovács J." is someone else here: the user unticks it.
        child("Kovács J.")->setCheckState(0, Qt::Unchecked);
        list->setCurrentItem(group);
        f().dialogs.yesNoAnswers.enqueue(true);
        dialog->findChild<QPushButton*>(QStringLiteral("gomb_egysegesites"))->click();
        QCOMPARE(f().dialogs.questions.last(),
                 QStringLiteral("1 rekord módosul: „Kovacs Janos” helyett „Kovács János” áll majd bennük. "
                                "Folytatja?"));
        const DatabaseDocument& document = f().window().document();
        const auto lineOf = [&](const char* name) {
            for (int i = 0; i < document.lineCount(); ++i)
                if (document.line(i).startsWith(QString::fromUtf8(name)))
                    return document.line(i).toString();
            return QString();
        };
        QVERIFY(lineOf("Ma00010200").contains(u"**01Kovács János**"));
        QVERIFY(lineOf("Ma00010300").contains(u"**01Kováts János**"));
        QVERIFY(lineOf("Ma00010400").contains(u"**01Kovács J.**"));

        // Choosing another authorised form marks the others against it.
        list->setCurrentItem(child("Kováts János"));
        dialog->findChild<QPushButton*>(QStringLiteral("gomb_egyseges_forma"))->click();
        QCOMPARE(group->text(0), QStringLiteral("Kováts János"));
        QCOMPARE(child("Kovács János")->checkState(0), Qt::Unchecked);
        QCOMPARE(child("Kovács János")->text(3), QStringLiteral("más családnév"));
        f().action(QStringLiteral("menu6_visszavonas"))->trigger();
        QCOMPARE(document.encode(), before);
    }

    void replaceWithPreview()
    {
        const QByteArray before = f().window().document().encode();
        f().action(QStringLiteral("menu6_csere_rekordokban"))->trigger();
        auto* dialog = f().window().findChild<BatchReplaceDialog*>();
        QVERIFY(dialog);
        dialog->findChild<QLineEdit*>(QStringLiteral("edit_keres"))
            ->setText(QStringLiteral("(\\w+) (kettő|Kiadó)"));
        dialog->findChild<QLineEdit*>(QStringLiteral("edit_csere"))->setText(QStringLiteral("\\2 \\1"));
        dialog->findChild<QCheckBox*>(QStringLiteral("cb_regkif"))->setChecked(true);
        dialog->findChild<QPushButton*>(QStringLiteral("gomb_elonezet"))->click();
        QTableWidget* table = dialog->table();
        QCOMPARE(table->rowCount(), 4);
        QCOMPARE(table->item(0, 3)->text(), QStringLiteral("Kiadó Példa"));
        // The changed part is marked, and the whole value is in the tooltip.
        const QPoint changed = table->item(0, 3)->data(BatchReplaceDialog::ChangedPartRole).toPoint();
        QCOMPARE(table->item(0, 3)->text().mid(changed.x(), changed.y()), QStringLiteral("Kiadó Példa"));
        QVERIFY(table->item(0, 3)->toolTip().contains(QStringLiteral("<b")));
        table->setColumnWidth(3, 30); // narrower than the value: the change stays in sight
        QVERIFY(!table->grab().isNull());
        table->item(1, 0)->setCheckState(Qt::Unchecked);
        dialog->findChild<QPushButton*>(QStringLiteral("gomb_csere"))->click();
        QVERIFY(f().window().document().line(0).contains(u"**Kiadó Példa**"));
        QVERIFY(f().window().document().line(1).contains(u"**Cím kettő**"));
        QVERIFY(f().window().document().isModified());
        f().action(QStringLiteral("menu6_visszavonas"))->trigger();
        QCOMPARE(f().window().document().encode(), before);
    }
};

QTEST_MAIN(TestCheckWindows)
#include "tst_checkwindows.moc"
