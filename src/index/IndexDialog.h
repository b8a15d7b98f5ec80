#pragma once

#include <QDialog>

// "Adatbázis indexelése" (filled in by its own change).
class Tindexform final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tindexform)

public:
    explicit Tindexform(QWidget* parent = nullptr);

    void setStartDir(const QString& startDir);
    // True only when the last showing ended with a completed run.
    bool indexingFinished() const { return m_indexingFinished; }
    void setIndexingFinished(bool finished) { m_indexingFinished = finished; }

private:
    bool m_indexingFinished = false;
};
