#pragma once

#include "core/convert/ConversionSession.h"

#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QGroupBox;
class QLabel;
class LinePane;
class QPushButton;

// The page "Konvertálás": choose the kind of the older file
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
    void selectKind(int item);
    void openSource();
    void convert();
    void saveResult();
    void showSourceLines();
    void showResultLines();
    void reportConversion(bool finished);
    bool mayWrite(const QString& fileName);
    QString suggestedResultPath() const;

    ConversionSession m_session;
    QString m_openFilter;
    QString m_lastResultPath;
    QStringList m_resultLines;

    QGroupBox* m_kindGroup = nullptr;
    QButtonGroup* m_kindItems = nullptr;
    QGroupBox* m_volumeGroup = nullptr;
    QButtonGroup* m_volumeItems = nullptr;
    QPushButton* m_openButton = nullptr;    // step 1
    QPushButton* m_convertButton = nullptr; // step 2
    QPushButton* m_saveButton = nullptr;    // step 3
    LinePane* m_sourcePane = nullptr;
    LinePane* m_resultPane = nullptr;
    QLabel* m_status = nullptr;
};
