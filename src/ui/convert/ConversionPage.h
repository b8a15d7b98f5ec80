#pragma once

#include "core/convert/ConversionSession.h"

#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QGroupBox;
class QLabel;
class LinePane;
class QPushButton;

// The page `lap_konvertal` "Konvertálás": choose the kind of the older file
// (and for Director exports the volume), then 1. open it, 2. convert it into
// record lines, 3. save them as a database file.
class ConversionPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConversionPage)

public:
    explicit ConversionPage(QWidget* parent = nullptr);
    ~ConversionPage() override;

    // Entering the page through "Műveletek" > "Konvertálás": no kind and no
    // volume selected, the steps and panes disabled; what was read and
    // produced, the remembered kind, path and table stay.
    void resetForMenuEntry();

    // The record lines step 2 produced, as step 3 writes them.
    const QStringList& resultLines() const { return m_resultLines; }

private:
    void buildControls();
    void rg_konvtipusClick(int item);
    void gkonv1Click();
    void gkonv2Click();
    void gkonv3Click();
    void showSourceLines();
    void showResultLines();
    void reportConversion(bool finished);
    bool mayWrite(const QString& fileName);
    QString suggestedResultPath() const;

    ConversionSession m_session;
    QString m_openFilter;
    QString m_lastResultPath;
    QStringList m_resultLines;

    QGroupBox* m_kindGroup = nullptr; // rg_konvtipus
    QButtonGroup* m_kindItems = nullptr;
    QGroupBox* m_volumeGroup = nullptr; // rg_kotet2
    QButtonGroup* m_volumeItems = nullptr;
    QPushButton* m_openButton = nullptr;    // gkonv1
    QPushButton* m_convertButton = nullptr; // gkonv2
    QPushButton* m_saveButton = nullptr;    // gkonv3
    LinePane* m_sourcePane = nullptr;       // re103
    LinePane* m_resultPane = nullptr;       // re104
    QLabel* m_status = nullptr;
};
