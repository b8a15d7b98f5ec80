#pragma once

#include <QList>
#include <QObject>

#include <functional>

class QComboBox;
class QLineEdit;
class SpellingService;
class SpellingUnderline;

// Proofreading for the free-text fields of a record form: an underline on
// each, all following the record's language and year as they are shown or
// changed, so a German title is checked in German and an 1880 title's
// unknown words are marked as old forms.
class SpellingFields final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SpellingFields)

public:
    using LanguageSource = std::function<QString()>;

    // `language` is the form's language list, `year` its year field. The
    // language list cannot show a language that nyelv.zda lacks; `source`,
    // when given, tells the record's language in that case too.
    SpellingFields(SpellingService& service, const QList<QLineEdit*>& edits, QComboBox* language,
                   QLineEdit* year, QObject* parent = nullptr);

    void setLanguageSource(LanguageSource source);
    // Reads the language and year again (after a record was shown).
    void followRecord();
    const QList<SpellingUnderline*>& underlines() const { return m_underlines; }

private:
    SpellingService& m_service;
    QComboBox* m_language;
    QLineEdit* m_year;
    LanguageSource m_source;
    QList<SpellingUnderline*> m_underlines;
};
