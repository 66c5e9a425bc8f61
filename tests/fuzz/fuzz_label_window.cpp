#include "capture/label_window.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString html = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString w = sitecapture::LabelWindow(html);
    if (w.size() > html.size())
        std::abort();
    (void)sitecapture::ProposePlaceholder(w);
    return 0;
}
