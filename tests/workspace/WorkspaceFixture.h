#pragma once

#include "ScriptedDialogs.h"
#include "TestSupport.h"

#include "app/NorlaProgram.h"
#include "core/record/TextFile.h"
#include "ui/workspace/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

#include <memory>

// A working folder with the three list files, the whole program built inside
// it and the scripted dialogs installed.
class WorkspaceFixture
{
public:
    static QStringList recordTypes()
    {
        return {QStringLiteral("könyv"), QStringLiteral("folyóiratcikk"), QStringLiteral("külön lenyomat"),
                QStringLiteral("cikk gyűjt. kötetben"), QStringLiteral("rec.")};
    }
    static QStringList roles()
    {
        return {QStringLiteral("Szerző"), QStringLiteral("Szerkesztő"), QStringLiteral("Fordító"),
                QStringLiteral("Bevezetést írta"), QStringLiteral("Illusztrátor")};
    }
    static QStringList languages()
    {
        return {QStringLiteral("magyar"), QStringLiteral("latin"), QStringLiteral("német")};
    }

    // Three records of different volumes, types, roles and media.
    static QStringList sampleLines()
    {
        return {
            QStringLiteral(
                "Ka00012300**könyv**Példa tárgykör**01Példa Szerző**02**03**04**A példa címe**Példa "
                "sorozat**Példa Kiadó**3**1998**123 p.**Budapest**Példa megjegyzés****0**latin**papír"),
            QStringLiteral(
                "Lu00000500**folyóiratcikk**Másik tárgy**01Nagy Anna**02Kis Béla**0cMás Név**04**Cím "
                "kettő**Folyóirat**Kiadó kettő**12**2001**5-9**Pécs**Megjegyzés kettő**http://x**1**"
                "MAGYAR**CD-ROM"),
            QStringLiteral(
                "Ze0010000a**cikk gyűjt. kötetben**Harmadik**02Szerkesztő Név**01**03**04**Harmadik "
                "cím**Gyűjtemény**Kiadó3**2**1975**1-20**Szeged******0**német**mikrofilm"),
        };
    }

    explicit WorkspaceFixture(const QStringList& configLines = {})
    {
        dir.writeBytes(QStringLiteral("tipus.zda"), TextFile::encode8Bit(recordTypes()));
        dir.writeBytes(QStringLiteral("szerep.zda"), TextFile::encode8Bit(roles()));
        dir.writeBytes(QStringLiteral("nyelv.zda"), TextFile::encode8Bit(languages()));
        if (!configLines.isEmpty())
            dir.writeBytes(QStringLiteral("config.kzs"), TextFile::encode8Bit(configLines));
        program = std::make_unique<NorlaProgram>();
        window().show();
        window().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }

    MainWindow& window() const { return program->mainWindow(); }

    template <typename T = QWidget> T* find(const QString& name) const
    {
        T* found = window().findChild<T*>(name);
        if (!found)
            qWarning("no control named %s", qPrintable(name));
        return found;
    }
    QAction* action(const QString& name) const { return find<QAction>(name); }
    QLineEdit* edit(int k) const { return find<QLineEdit>(QStringLiteral("Edit%1").arg(k)); }
    QComboBox* combo(const QString& name) const { return find<QComboBox>(name); }

    QString writeDatabase(const QString& name, const QStringList& lines) const
    {
        dir.writeBytes(name, TextFile::encodeUnicode(lines));
        return dir.file(name);
    }

    // "Fájl" > "Adatbázis betöltése..." with the file chosen in the dialog.
    void open(const QString& path)
    {
        dialogs.openFileAnswers.enqueue(path);
        action(QStringLiteral("menu0_open"))->trigger();
        // The offscreen platform has no window manager to give the main
        // window back its activation after the loading window; shortcuts
        // need it.
        QApplication::setActiveWindow(&window());
    }
    void openSample() { open(writeDatabase(QStringLiteral("minta.rtf"), sampleLines())); }

    TempWorkDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<NorlaProgram> program;
};
