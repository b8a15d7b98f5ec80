#include "ui/spelling/SpellingFields.h"

#include "core/spelling/TextSpelling.h"
#include "ui/spelling/SpellingService.h"
#include "ui/spelling/SpellingUnderline.h"

#include <QComboBox>
#include <QLineEdit>

SpellingFields::SpellingFields(SpellingService& service, const QList<QLineEdit*>& edits, QComboBox* language,
                               QLineEdit* year, QObject* parent)
    : QObject(parent), m_service(service), m_language(language), m_year(year)
{
    for (QLineEdit* edit : edits) {
        // Showing another record changes the texts; its language may have
        // changed without the list's choice changing (none shown for both).
        connect(edit, &QLineEdit::textChanged, this, &SpellingFields::followRecord);
        m_underlines.append(new SpellingUnderline(edit, &service));
    }
    connect(language, &QComboBox::currentIndexChanged, this, &SpellingFields::followRecord);
    connect(year, &QLineEdit::textChanged, this, &SpellingFields::followRecord);
    followRecord();
}

void SpellingFields::setLanguageSource(LanguageSource source)
{
    m_source = std::move(source);
    followRecord();
}

void SpellingFields::followRecord()
{
    const QString language = m_source ? m_source() : m_language->currentText();
    const bool old = TextSpelling::isOldSpelling(m_year->text(), m_service.oldSpellingBefore());
    for (SpellingUnderline* underline : std::as_const(m_underlines))
        underline->setRecord(language, old);
}
