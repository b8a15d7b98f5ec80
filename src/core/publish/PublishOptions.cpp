#include "core/publish/PublishOptions.h"

namespace PublishNames {

bool groupingFromName(const QString& name, Grouping* grouping)
{
    const QString lower = name.toLower();
    if (lower == u"subject")
        *grouping = Grouping::Subject;
    else if (lower == u"volume")
        *grouping = Grouping::Volume;
    else if (lower == u"none")
        *grouping = Grouping::None;
    else
        return false;
    return true;
}

bool paperFromName(const QString& name, PaperSize* paper)
{
    const QString lower = name.toLower();
    if (lower == u"a4")
        *paper = PaperSize::A4;
    else if (lower == u"b5")
        *paper = PaperSize::B5;
    else
        return false;
    return true;
}

bool formatFromName(const QString& name, PublishFormat* format)
{
    const QString lower = name.toLower();
    if (lower == u"pdf")
        *format = PublishFormat::Pdf;
    else if (lower == u"odt")
        *format = PublishFormat::Odt;
    else if (lower == u"html")
        *format = PublishFormat::Html;
    else
        return false;
    return true;
}

QString suffixOf(PublishFormat format)
{
    switch (format) {
    case PublishFormat::Pdf:
        return QStringLiteral(".pdf");
    case PublishFormat::Odt:
        return QStringLiteral(".odt");
    case PublishFormat::Html:
        break;
    }
    return QStringLiteral(".html");
}

} // namespace PublishNames
