// The RTF parser of the source window, on any bytes, with a sink that checks
// what the parser promises about the text it hands over.
#include "core/source/RtfParser.h"

#include <cstdint>
#include <cstdlib>

namespace {

class CheckingSink final : public Rtf::Sink
{
public:
    void text(QStringView text, const Rtf::CharFormat& format) override
    {
        if (text.isEmpty() || format.halfPoints < 2 || format.halfPoints > 3276)
            std::abort();
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t c = text[i].unicode();
            if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
                ++i;
            else if (QChar::isSurrogate(c) || c == QChar::ParagraphSeparator || c == 0xfffc || c >= 0xfffe ||
                     (c >= 0xfdd0 && c <= 0xfdef))
                std::abort();
        }
    }
    void paragraphEnd(const Rtf::ParagraphFormat& format) override
    {
        for (const int twips : {format.leftTwips, format.rightTwips, format.firstLineTwips,
                                format.beforeTwips, format.afterTwips})
            if (twips < -31680 || twips > 31680)
                std::abort();
    }
    void paragraphStart() override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    Rtf::looksLikeRtf(bytes);
    CheckingSink sink;
    Rtf::parse(bytes, sink);
    return 0;
}
