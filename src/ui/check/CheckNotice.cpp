#include "ui/check/CheckNotice.h"

#include "core/record/RecordLine.h"

CheckNotice::CheckNotice(QWidget* parent) : QLabel(parent)
{
    setObjectName(QStringLiteral("lab_ellenorzes"));
    setWordWrap(true);
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    setStyleSheet(QStringLiteral("QLabel { background: #fff4ce; color: #5c4400; padding: 3px; }"));
    connect(this, &QLabel::linkActivated, this, [this](const QString& link) {
        if (link.startsWith(u"line:"))
            Q_EMIT documentRecordRequested(link.mid(5).toInt());
        else if (link.startsWith(u"index:"))
            Q_EMIT indexedRecordRequested(link.mid(6));
    });
    hide();
}

void CheckNotice::showFindings(const QString& recordName, const std::vector<Finding>& findings,
                               const std::function<QString(int line)>& nameOfLine)
{
    if (findings.empty()) {
        clearFindings();
        return;
    }
    QStringList parts;
    for (const Finding& finding : findings) {
        if (finding.kind != CheckKind::Duplicate) {
            parts.append(CheckText::message(finding).toHtmlEscaped());
            continue;
        }
        QStringList links;
        for (const int line : finding.otherLines)
            links.append(
                QStringLiteral("<a href=\"line:%1\">%2</a>").arg(line).arg(nameOfLine(line).toHtmlEscaped()));
        for (const QString& name : finding.otherIndexed)
            links.append(QStringLiteral("<a href=\"index:%1\">%1</a> (index)").arg(name.toHtmlEscaped()));
        parts.append(CheckText::kindName(finding.kind) + QStringLiteral(": ") +
                     links.join(QStringLiteral(", ")));
    }
    setText(QStringLiteral("<b>%1:</b> ").arg(recordName.toHtmlEscaped()) + parts.join(QStringLiteral("; ")));
    show();
}

void CheckNotice::clearFindings()
{
    clear();
    hide();
}
