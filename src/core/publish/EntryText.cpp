#include "core/publish/EntryText.h"

#include "core/record/CodeTables.h"
#include "core/record/CreatorSlot.h"
#include "core/record/RecordSchema.h"

namespace EntryText {

namespace {

using RecordSchema::value;

class RunWriter
{
public:
    void regular(const QString& text) { add(text, false); }
    void italic(const QString& text) { add(text, true); }
    QList<HitRun> take() { return std::move(m_runs); }
    bool isEmpty() const { return m_runs.isEmpty(); }

    // Closes a sentence: a full stop unless the text ends with one already.
    void endSentence()
    {
        if (m_runs.isEmpty())
            return;
        const QString& last = m_runs.constLast().text;
        const QChar end = last.isEmpty() ? QChar() : last.back();
        if (end != u'.' && end != u'!' && end != u'?')
            regular(QStringLiteral("."));
    }
    void space()
    {
        if (!m_runs.isEmpty())
            regular(QStringLiteral(" "));
    }

private:
    void add(const QString& text, bool italic)
    {
        if (text.isEmpty())
            return;
        if (!m_runs.isEmpty() && m_runs.constLast().italic == italic)
            m_runs.last().text += text;
        else
            m_runs.append(HitRun{text, false, italic, false});
    }

    QList<HitRun> m_runs;
};

QString trimmed(const QStringList& fields, Field field)
{
    return indexForm(value(fields, field));
}

QString roleSuffix(QStringView code, const QStringList& roleNames)
{
    if (roleNames.isEmpty())
        return {};
    const int index = CodeTables::roleNameIndex(code, int(roleNames.size()));
    if (index == 0) // the author
        return {};
    QString role = roleNames.at(index).trimmed();
    if (role.isEmpty())
        return {};
    role[0] = role[0].toLower();
    return QStringLiteral(" (") + role + u')';
}

void writeCreators(RunWriter& out, const QStringList& fields, const QStringList& roleNames)
{
    QStringList creators;
    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
        const QString& text = value(fields, RecordSchema::creator(slot));
        const CreatorSlot creator = CreatorSlot::of(QStringView(text));
        const QString name = indexForm(creator.name);
        if (!name.isEmpty())
            creators.append(name + roleSuffix(creator.role, roleNames));
    }
    if (!creators.isEmpty())
        out.regular(creators.join(QStringLiteral(" – ")) + QStringLiteral(": "));
}

// "Publication, run, year, pages" with the publication in italics for an article.
void writePublication(RunWriter& out, const QStringList& fields, bool article)
{
    bool first = true;
    const auto part = [&](const QString& text, bool italic) {
        if (text.isEmpty())
            return;
        if (first)
            out.space();
        else
            out.regular(QStringLiteral(", "));
        first = false;
        italic ? out.italic(text) : out.regular(text);
    };
    part(trimmed(fields, Field::Publication), article);
    part(trimmed(fields, Field::VolumeRun), false);
    part(trimmed(fields, Field::Year), false);
    part(trimmed(fields, Field::Pages), false);
    if (!first)
        out.endSentence();
}

void writeSentence(RunWriter& out, const QStringList& parts)
{
    QStringList present;
    for (const QString& part : parts)
        if (!part.isEmpty())
            present.append(part);
    if (present.isEmpty())
        return;
    out.space();
    out.regular(present.join(QStringLiteral(", ")));
    out.endSentence();
}

} // namespace

bool isArticleType(QStringView recordType)
{
    return recordType == u"folyóiratcikk" || recordType == u"cikk gyűjt. kötetben" || recordType == u"rec.";
}

QString indexForm(QStringView text)
{
    return text.toString().simplified();
}

QStringList creatorNames(const QStringList& fields)
{
    QStringList names;
    for (int slot = 0; slot < RecordSchema::CreatorCount; ++slot) {
        const QString name =
            indexForm(CreatorSlot::of(QStringView(value(fields, RecordSchema::creator(slot)))).name);
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

QList<HitRun> build(const QStringList& fields, const QStringList& roleNames)
{
    RunWriter out;
    const bool article = isArticleType(value(fields, Field::RecordType));
    writeCreators(out, fields, roleNames);
    const QString title = trimmed(fields, Field::Title);
    if (!title.isEmpty()) {
        article ? out.regular(title) : out.italic(title);
        out.endSentence();
    }
    if (value(fields, Field::Translation) == u"1") {
        out.space();
        out.regular(QStringLiteral("[Ford.]"));
    }
    writePublication(out, fields, article);
    writeSentence(out, {trimmed(fields, Field::Publisher), trimmed(fields, Field::Place)});
    writeSentence(out, {trimmed(fields, Field::Note)});
    return out.take();
}

} // namespace EntryText
