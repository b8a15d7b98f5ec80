#pragma once

#include "core/convert/ConversionSession.h"

#include <QStringList>
#include <QWidget>

#include <functional>

class BackgroundJob;
class QButtonGroup;
class QGroupBox;
class QLabel;
class LinePane;
class QPushButton;

// The page "Konvertálás": choose the kind of the older file
// (and for Director exports the volume), then 1. open it, 2. convert it into
// record lines, 3. save them as a database file. Converting and saving run
// on a worker thread; a "Mégsem" button beside the steps, shown only then,
// or Esc stops them with nothing changed and nothing written.
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
    // Whether a step offers "Mégsem": reading the source has no point to stop at.
    enum class Stop
    {
        Offered,
        NotOffered
    };
    // Runs a step's work on the worker; false when it was stopped or failed
    // (the failure is shown once the page is back in its usual state).
    bool runStep(const std::function<void(const JobControl&)>& work, Stop stop,
                 const std::function<void()>& onFailure = {});
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
    QPushButton* m_stopButton = nullptr; // shown only while a step runs
    BackgroundJob* m_job = nullptr;
};
