#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/record/WorkFolder.h"
#include "ui/settings/SettingsDialog.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QtTest>

namespace {

// The program built in a temporary working folder, with the dialog's controls.
struct Fixture
{
    TempWorkDir dir;
    ScriptedDialogs dialogs;
    NorlaProgram program;
    SettingsDialog& dialog = program.settingsDialog();
    MainWindow& main = program.mainWindow();

    template <typename T> T* control(const char* name) const
    {
        T* found = dialog.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            qFatal("control %s not found", name);
        return found;
    }
    QComboBox* fontc1() const { return control<QComboBox>("fontc1"); }
    QComboBox* sizes() const { return control<QComboBox>("cb_betumeret"); }
    QLineEdit* path() const { return control<QLineEdit>("edit_targykor"); }
    QCheckBox* cb91() const { return control<QCheckBox>("cb91"); }
    QPushButton* button(const char* name) const { return control<QPushButton>(name); }
    QPushButton* alkalmaz() const { return button("g_alkalmaz"); }

    // Every control the font settings reach: Edit2 … Edit14 and re_forras.
    QList<QWidget*> fontTargets() const
    {
        QList<QWidget*> targets;
        for (QLineEdit* edit : main.dataFieldEditors())
            targets.append(edit);
        targets.append(main.rawDatabaseView());
        return targets;
    }

    void showDialog()
    {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    }
    void click(const char* name) const { QTest::mouseClick(button(name), Qt::LeftButton); }
    void clickCb91() const
    {
        QCheckBox* box = cb91();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
    }
    // Picks a font other than the one shown, as a user would with the arrow keys.
    QString pickAnotherFont() const
    {
        QComboBox* fonts = fontc1();
        QTest::keyClick(fonts, fonts->currentIndex() + 1 < fonts->count() ? Qt::Key_Down : Qt::Key_Up);
        return fonts->currentText();
    }
};

void verifyFamilyEverywhere(const Fixture& f, const QString& family)
{
    for (QWidget* target : f.fontTargets())
        QVERIFY2(target->font().family() == family, qPrintable(target->objectName()));
}

void verifySizeEverywhere(const Fixture& f, int pointSize)
{
    for (QWidget* target : f.fontTargets())
        QVERIFY2(target->font().pointSize() == pointSize, qPrintable(target->objectName()));
}

} // namespace

class TestSettingsDialog final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        TempWorkDir dir;
        NorlaProgram program;
        const QComboBox* fonts = program.settingsDialog().findChild<QComboBox*>(QStringLiteral("fontc1"));
        QVERIFY(fonts);
        // The choices below need at least two fonts (fonts-dejavu-core gives three).
        QVERIFY2(fonts->count() >= 2, "fewer than two fonts installed");
        QCOMPARE(SettingsDialog::fontSizes().size(), 11);
    }

    void layout()
    {
        Fixture f;
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("Beállítások"));
        QCOMPARE(f.dialog.size(), QSize(415, 260));
        auto* pages = f.control<QTabWidget>("soklap2");
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->tabText(0), QStringLiteral("Adatmezők"));
        QCOMPARE(pages->tabText(1), QStringLiteral("Tárgykör"));
        QCOMPARE(pages->tabText(2), QStringLiteral("Általános"));
        QCOMPARE(f.button("g_ok")->text(), QStringLiteral("Ok"));
        QCOMPARE(f.button("g_megsem")->text(), QStringLiteral("Mégsem"));
        QCOMPARE(f.alkalmaz()->text(), QStringLiteral("Alkalmaz"));
        QVERIFY(!f.alkalmaz()->isEnabled());
        QCOMPARE(f.button("gomb_targykor")->text(), QStringLiteral("Tallózás"));
        QCOMPARE(f.cb91()->text(), QStringLiteral("A forrásfájl ablakból törlődnek a kihúzott adatok"));
        QStringList sizes;
        for (int i = 0; i < f.sizes()->count(); ++i)
            sizes << f.sizes()->itemText(i);
        QCOMPARE(sizes, SettingsDialog::fontSizes());
        QCOMPARE(sizes.first(), QStringLiteral("6"));
        QCOMPARE(sizes.last(), QStringLiteral("16"));
    }

    // The default font "Arial Unicode MS" is not installed here: the first
    // font is shown, and "Ok" applies it.
    void defaultsWithFontNotInstalled_data()
    {
        QTest::addColumn<QString>("fontName");
        QTest::newRow("default Arial Unicode MS") << QString();
        QTest::newRow("made-up name") << QStringLiteral("Nincs Ilyen Betű");
    }

    void defaultsWithFontNotInstalled()
    {
        QFETCH(QString, fontName);
        Fixture f;
        if (!fontName.isEmpty())
            f.main.settings().fontName = fontName;
        if (f.fontc1()->findText(f.main.settings().fontName, Qt::MatchFixedString) >= 0)
            QSKIP("this font is installed here");
        QWidget* edit1 = f.main.findChild<QWidget*>(QStringLiteral("Edit1"));
        const QFont edit1Font = edit1 ? edit1->font() : QFont();

        f.showDialog();
        QCOMPARE(f.sizes()->currentText(), QStringLiteral("8"));
        QCOMPARE(f.fontc1()->currentIndex(), 0);
        QCOMPARE(f.path()->text(), f.main.startDir() + QStringLiteral("/menu0.zda"));
        QCOMPARE(f.cb91()->isChecked(), f.main.sourceEditable());
        QVERIFY(!f.alkalmaz()->isEnabled());

        const QString first = f.fontc1()->itemText(0);
        f.click("g_ok");
        QVERIFY(!f.dialog.isVisible());
        verifyFamilyEverywhere(f, first);
        verifySizeEverywhere(f, 8);
        QCOMPARE(f.main.settings().fontName, first);
        QCOMPARE(f.main.settings().fontSize, 8);
        if (edit1)
            QCOMPARE(edit1->font(), edit1Font);
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void installedFontFoundIgnoringCase()
    {
        Fixture f;
        const QString second = f.fontc1()->itemText(1);
        f.main.settings().fontName = second.toUpper();
        f.main.settings().fontSize = 14;
        f.showDialog();
        QCOMPARE(f.fontc1()->currentText(), second);
        QCOMPARE(f.sizes()->currentText(), QStringLiteral("14"));
        QVERIFY(!f.alkalmaz()->isEnabled());
    }

    void openerChoosesPage_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("Beállítások...") << int(SettingsDialog::DataFieldsPage);
        QTest::newRow("subject menu entry") << int(SettingsDialog::SubjectTreePage);
    }

    void openerChoosesPage()
    {
        QFETCH(int, page);
        Fixture f;
        // Opened once on the other page first: the opener must choose, not inherit.
        auto* pages = f.control<QTabWidget>("soklap2");
        pages->setCurrentIndex(SettingsDialog::GeneralPage);
        int shown = -1;
        bool modal = false;
        QTimer::singleShot(0, &f.dialog, [&] {
            shown = pages->currentIndex();
            modal = f.dialog.isModal() && f.dialog.isVisible();
            f.click("g_megsem");
        });
        f.dialog.openOnPage(SettingsDialog::Page(page));
        QCOMPARE(shown, page);
        QVERIFY(modal);
        QVERIFY(!f.dialog.isVisible());
    }

    void settingsMenuEntryOpensFirstPage()
    {
        Fixture f;
        auto* entry = f.main.findChild<QAction*>(QStringLiteral("Belltsok1"));
        if (!entry)
            QSKIP("the main window has no \"Beállítások...\" entry yet");
        f.control<QTabWidget>("soklap2")->setCurrentIndex(SettingsDialog::GeneralPage);
        int shown = -1;
        QTimer::singleShot(0, &f.dialog, [&] {
            shown = f.control<QTabWidget>("soklap2")->currentIndex();
            f.click("g_megsem");
        });
        entry->setEnabled(true);
        entry->trigger();
        QCOMPARE(shown, int(SettingsDialog::DataFieldsPage));
    }

    void changesEnableApply_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("font chosen") << QStringLiteral("font") << true;
        QTest::newRow("size chosen") << QStringLiteral("size") << true;
        QTest::newRow("path typed") << QStringLiteral("type") << true;
        QTest::newRow("path browsed") << QStringLiteral("browse") << true;
        QTest::newRow("browsing cancelled") << QStringLiteral("cancel") << false;
        QTest::newRow("cb91 clicked") << QStringLiteral("cb91") << true;
    }

    void changesEnableApply()
    {
        QFETCH(QString, change);
        QFETCH(bool, enabled);
        Fixture f;
        f.showDialog();
        const QString before = f.path()->text();
        if (change == u"font") {
            f.pickAnotherFont();
        } else if (change == u"size") {
            QTest::keyClick(f.sizes(), Qt::Key_Down);
            QCOMPARE(f.sizes()->currentText(), QStringLiteral("9"));
        } else if (change == u"type") {
            QTest::keyClicks(f.path(), QStringLiteral("x"));
        } else if (change == u"browse" || change == u"cancel") {
            const QString chosen = change == u"browse" ? f.dir.file(QStringLiteral("masik.zda")) : QString();
            f.dialogs.openFileAnswers.enqueue(chosen);
            f.click("gomb_targykor");
            QCOMPARE(f.dialogs.fileDialogTitles, QStringList{QStringLiteral("Tárgykör fájl kiválasztása")});
            QCOMPARE(f.dialogs.fileDialogFilters, QStringList{QString()});
            QCOMPARE(f.path()->text(), chosen.isEmpty() ? before : chosen);
        } else if (change == u"cb91") {
            f.clickCb91();
        }
        QCOMPARE(f.alkalmaz()->isEnabled(), enabled);
    }

    // What "Alkalmaz" applied stays when the dialog is then cancelled, and the
    // next showing starts from the settings, not from the cancelled choice.
    void applyThenCancelKeepsFont()
    {
        Fixture f;
        f.showDialog();
        const QString applied = f.pickAnotherFont();
        QTest::keyClick(f.sizes(), Qt::Key_Down);
        f.click("g_alkalmaz");
        QVERIFY(f.dialog.isVisible());
        QVERIFY(!f.alkalmaz()->isEnabled());
        verifyFamilyEverywhere(f, applied);
        verifySizeEverywhere(f, 9);

        const QString cancelled = f.pickAnotherFont();
        QVERIFY(cancelled != applied);
        f.click("g_megsem");
        QVERIFY(!f.dialog.isVisible());
        verifyFamilyEverywhere(f, applied);
        QCOMPARE(f.main.settings().fontName, applied);
        QCOMPARE(f.main.settings().fontSize, 9);

        f.showDialog();
        QCOMPARE(f.fontc1()->currentText(), applied);
        QVERIFY(!f.alkalmaz()->isEnabled());
    }

    void sourceDeletionApplied_data()
    {
        QTest::addColumn<bool>("editableBefore");
        QTest::newRow("cleared") << true;
        QTest::newRow("checked") << false;
    }

    void sourceDeletionApplied()
    {
        QFETCH(bool, editableBefore);
        Fixture f;
        f.main.setSourceEditable(editableBefore);
        f.main.settings().sourceDeletion = editableBefore ? 1 : 0;
        f.showDialog();
        QCOMPARE(f.cb91()->isChecked(), editableBefore);
        f.clickCb91();
        QCOMPARE(f.cb91()->isChecked(), !editableBefore);
        f.click("g_alkalmaz");
        QCOMPARE(f.main.sourceEditable(), !editableBefore);
        QCOMPARE(f.main.sourceWindow()->isReadOnly(), editableBefore);
        QCOMPARE(f.main.settings().sourceDeletion, editableBefore ? 0 : 1);
    }

    void missingPathStoredAsTyped()
    {
        Fixture f;
        f.showDialog();
        const QString typed = QStringLiteral("/nincs/ilyen/mappa/targyak.zda");
        f.path()->clear();
        QTest::keyClicks(f.path(), typed);
        f.click("g_ok");
        QVERIFY(!f.dialog.isVisible());
        QCOMPARE(f.main.settings().subjectTreePath, typed);
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // A stored size outside the list: applying stops after the font name with
    // a message; size, source window, settings and "Alkalmaz" stay as they were.
    void noSizeSelected_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("touchedAnything");
        QTest::newRow("Ok after changes") << QStringLiteral("g_ok") << true;
        QTest::newRow("Alkalmaz after changes") << QStringLiteral("g_alkalmaz") << true;
        QTest::newRow("Ok untouched") << QStringLiteral("g_ok") << false;
    }

    void noSizeSelected()
    {
        QFETCH(QString, button);
        QFETCH(bool, touchedAnything);
        Fixture f;
        f.main.settings().fontSize = 5;
        f.main.setSourceEditable(false);
        const AppSettings before = f.main.settings();
        QList<int> sizesBefore;
        for (QWidget* target : f.fontTargets())
            sizesBefore << target->font().pointSize();

        f.showDialog();
        QCOMPARE(f.sizes()->currentIndex(), -1);
        QString family = f.fontc1()->currentText();
        if (touchedAnything) {
            family = f.pickAnotherFont();
            f.clickCb91();
            QTest::keyClicks(f.path(), QStringLiteral(".uj"));
        }
        const bool applyEnabled = f.alkalmaz()->isEnabled();
        QCOMPARE(applyEnabled, touchedAnything);

        QTest::mouseClick(f.button(button.toLatin1().constData()), Qt::LeftButton);
        QCOMPARE(f.dialogs.messages, QStringList{SettingsDialog::noSizeMessage()});
        QVERIFY(f.dialog.isVisible());
        verifyFamilyEverywhere(f, family);
        QList<int> sizesAfter;
        for (QWidget* target : f.fontTargets())
            sizesAfter << target->font().pointSize();
        QCOMPARE(sizesAfter, sizesBefore);
        QVERIFY(!f.main.sourceEditable());
        QCOMPARE(f.main.settings(), before);
        QCOMPARE(f.alkalmaz()->isEnabled(), applyEnabled);
        f.click("g_megsem");
    }

    void settingsSurviveRestart()
    {
        TempWorkDir dir;
        ScriptedDialogs dialogs;
        QString family;
        const QString subjects = dir.file(QStringLiteral("sajat_targykor.zda"));
        {
            NorlaProgram program;
            SettingsDialog& dialog = program.settingsDialog();
            dialog.show();
            auto* fonts = dialog.findChild<QComboBox*>(QStringLiteral("fontc1"));
            fonts->setCurrentIndex(1);
            family = fonts->currentText();
            dialog.findChild<QComboBox*>(QStringLiteral("cb_betumeret"))
                ->setCurrentText(QStringLiteral("12"));
            dialog.findChild<QLineEdit*>(QStringLiteral("edit_targykor"))->setText(subjects);
            dialog.findChild<QCheckBox*>(QStringLiteral("cb91"))->setChecked(true);
            dialog.findChild<QPushButton*>(QStringLiteral("g_ok"))->click();
            QVERIFY(!dialog.isVisible());
            program.mainWindow().show();
            QVERIFY(program.mainWindow().close());
        }
        const QStringList written =
            QString::fromLatin1(dir.readBytes(WorkFolder::SettingsFile)).split(QStringLiteral("\r\n"));
        QVERIFY(written.contains(QStringLiteral("fontnagysag=12")));
        QVERIFY(written.contains(QStringLiteral("forrastorles=1")));

        NorlaProgram program;
        const AppSettings& settings = program.mainWindow().settings();
        QCOMPARE(settings.fontName, family);
        QCOMPARE(settings.fontSize, 12);
        QCOMPARE(settings.subjectTreePath, subjects);
        QCOMPARE(settings.sourceDeletion, 1);
        SettingsDialog& dialog = program.settingsDialog();
        dialog.show();
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("fontc1"))->currentText(), family);
        QCOMPARE(dialog.findChild<QComboBox*>(QStringLiteral("cb_betumeret"))->currentText(),
                 QStringLiteral("12"));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("edit_targykor"))->text(), subjects);
        dialog.reject();
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
