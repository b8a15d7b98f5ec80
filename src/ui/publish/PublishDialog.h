#pragma once

#include "core/publish/Bibliography.h"
#include "core/publish/PublishOptions.h"
#include "core/record/DatabaseDocument.h"
#include "core/search/SearchCriteria.h"

#include <QByteArray>
#include <QDialog>
#include <QList>

#include <functional>
#include <optional>

class BackgroundJob;
class JobControl;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QProgressBar;
class QPushButton;
class QRadioButton;

// "Bibliográfia kiadása": the records of the open database, of the index or
// of the last search as a book, saved as a PDF, an OpenDocument text or an
// HTML page, shown in a print preview or printed. The book is put together
// on a worker thread while the dialog shows the progress; "Mégsem" stops it
// and nothing is written.
class PublishDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PublishDialog)

public:
    // What the program has to publish when the dialog opens.
    struct Sources
    {
        std::optional<DatabaseDocument::Snapshot> database; // none when no database is open
        QString databaseName;                               // the open file's name, for the title
        struct Search
        {
            SearchCriteria criteria;
            QList<QByteArray> roles;
        };
        std::optional<Search> lastSearch;
        QString startDir;        // the index set, szerep.zda
        QString subjectTreePath; // the tree the subject grouping follows
    };
    using SourceProvider = std::function<Sources()>;

    explicit PublishDialog(QWidget* parent = nullptr);
    ~PublishDialog() override;

    void setSourceProvider(SourceProvider provider) { m_provider = std::move(provider); }

    // Shows the dialog (modal, without blocking the caller) with the sources
    // as they are now.
    void start();

private:
    enum class SourceKind
    {
        Database,
        Index,
        Search,
    };

    void buildControls();
    void applySources();
    PublishOptions options() const;
    PublishFormat format() const;
    SourceKind sourceKind() const;

    void saveBook();
    void previewBook();
    void printBook();
    // Builds the book on the worker; empty when stopped or failed (a failure is shown).
    std::optional<Bibliography> buildBook();
    // Runs `work` on the worker with the progress bar and "Mégsem"; false
    // when it was stopped or failed (a failure is shown).
    bool runJob(const std::function<void(JobControl&)>& work);
    void collect(BibliographyBuilder& builder, JobControl& control) const;
    void paintPages(const Bibliography& book, QPrinter* printer);
    void setStatus(const QString& text);

    SourceProvider m_provider;
    Sources m_sources;
    BackgroundJob* m_job = nullptr;

    QRadioButton* m_fromDatabase = nullptr;
    QRadioButton* m_fromIndex = nullptr;
    QRadioButton* m_fromSearch = nullptr;
    QComboBox* m_grouping = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_subtitle = nullptr;
    QLineEdit* m_compiler = nullptr;
    QLineEdit* m_place = nullptr;
    QLineEdit* m_year = nullptr;
    QComboBox* m_paper = nullptr;
    QComboBox* m_format = nullptr;
    QCheckBox* m_placeIndex = nullptr;
    QCheckBox* m_twoSided = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_preview = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_close = nullptr;
};
