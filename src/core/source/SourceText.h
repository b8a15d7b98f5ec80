#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Source documents that are not RTF are shown as plain text. Their encoding
// is not written anywhere, so it is recognised: a byte-order mark (UTF-16 in
// either order, UTF-8) decides first; text that is valid UTF-8 is read as
// UTF-8 (plain ASCII reads the same either way); anything else is taken as
// Windows-1250, the Hungarian system code page.
namespace SourceText {

QString decodePlain(QByteArrayView bytes);

// What the extraction menus take from a selection: the part before the first
// line end, every character kept (the fields and the database hold Unicode).
QString firstLine(QStringView selection);

} // namespace SourceText
