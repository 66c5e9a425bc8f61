#include "capture/submission_capture.h"

#include <cstdlib>

// Input: the data, then up to eight "name\x01value\x01token" entries separated by "\x02".
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString all = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList parts = all.split(QChar(2));
    sitecapture::FieldMap map;
    for (qsizetype i = 1; i < parts.size() && i <= 8; ++i) {
        const QStringList e = parts[i].split(QChar(1));
        if (e.size() == 3)
            map.AddEntry(e[0], e[1], e[2]);
    }
    const QString out = sitecapture::TemplatePostData(parts[0], map);
    // Only whole pairs change, so the data without mapped entries must come back unchanged.
    if (map.MappedCount() == 0 && out != parts[0])
        std::abort();
    return 0;
}
