#include "core/settings/AppSettings.h"

#include "core/record/NorlaError.h"
#include "core/record/TextFile.h"
#include "core/record/WorkFolder.h"

#include <QFileInfo>

namespace {

void setInt(int& target, const QString& value, int fallback)
{
    bool ok = false;
    const int number = value.toInt(&ok, 10);
    target = ok ? number : fallback;
}

} // namespace

QString AppSettings::filePath(const QString& startDir)
{
    return startDir + u'/' + WorkFolder::SettingsFile;
}

AppSettings AppSettings::defaults(const QString& startDir)
{
    AppSettings settings;
    settings.subjectTreePath = startDir + u'/' + WorkFolder::SubjectTreeFile;
    return settings;
}

AppSettings AppSettings::parse(const QStringList& lines, const QString& startDir)
{
    const AppSettings fallback = defaults(startDir);
    AppSettings s = fallback;
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QString key = line.left(eq);
        const QString value = line.mid(eq + 1, MaxValueLength);
        if (key.contains(u'.'))
            s.featureLines.append(line);
        else if (key == u"szelesseg")
            setInt(s.width, value, fallback.width);
        else if (key == u"magassag")
            setInt(s.height, value, fallback.height);
        else if (key == u"top")
            setInt(s.top, value, fallback.top);
        else if (key == u"left")
            setInt(s.left, value, fallback.left);
        else if (key == u"fonttipus")
            s.fontName = value.isEmpty() ? fallback.fontName : value;
        else if (key == u"fontnagysag")
            setInt(s.fontSize, value, fallback.fontSize);
        else if (key == u"targymenu")
            s.subjectTreePath = value.isEmpty() ? fallback.subjectTreePath : value;
        else if (key == u"forrastorles")
            setInt(s.sourceDeletion, value, fallback.sourceDeletion);
    }
    return s;
}

QStringList AppSettings::toLines() const
{
    return QStringList{
               QStringLiteral("szelesseg=%1").arg(width),
               QStringLiteral("magassag=%1").arg(height),
               QStringLiteral("top=%1").arg(top),
               QStringLiteral("left=%1").arg(left),
               QStringLiteral("fonttipus=") + fontName,
               QStringLiteral("fontnagysag=%1").arg(fontSize),
               QStringLiteral("targymenu=") + subjectTreePath,
               QStringLiteral("forrastorles=%1").arg(sourceDeletion),
           } +
           featureLines;
}

AppSettings AppSettings::read(const QString& startDir)
{
    const QString path = filePath(startDir);
    if (!QFileInfo::exists(path))
        return defaults(startDir);
    return parse(TextFile::read8Bit(path), startDir);
}

void AppSettings::write(const QString& startDir) const
{
    TextFile::write8Bit(filePath(startDir), toLines());
}
