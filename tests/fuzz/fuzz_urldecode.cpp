#include "capture/codepage.h"
#include "capture/url_decode.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QString text = sitecapture::DecodeGbk(bytes);
    if (text.size() > qsizetype(size))
        std::abort();
    const QString decoded = sitecapture::UrlDecode(text);
    if (decoded.size() > text.size())
        std::abort();
    return 0;
}
