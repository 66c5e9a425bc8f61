#pragma once
// The link test: which addresses may leave the program, and the desktop that opens them.

#include <QString>
#include <QUrl>

#include <optional>

namespace sitecapture {

// The web address the link test may open for the text of an address box: "http://" and
// "https://" addresses as typed, a bare host or path with "http://" put in front. Any other
// scheme, a local path or text that is no address opens nothing.
std::optional<QUrl> LinkTestUrl(const QString& text);

class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    // Hands a web address to the system's browser; failures are not reported.
    virtual void Open(const QUrl& url) = 0;
};

class DesktopLinkOpener final : public LinkOpener {
public:
    void Open(const QUrl& url) override;
};

} // namespace sitecapture
