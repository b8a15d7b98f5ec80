// The RTF reader of the source window, on any bytes.
#include "ui/workspace/RtfReader.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // A text document needs a GUI application (fonts); one for the whole run.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Rtf::looksLikeRtf(bytes);
    QTextDocument document;
    Rtf::loadInto(bytes, document);
    // The text reaches the user through the plain text and the layout.
    document.toPlainText();
    document.pageCount();
    return 0;
}
