#pragma once
// A submission's body is the page script's word, its request the engine's: the two are
// paired by address, spelt one way whichever way the page and the engine spelt it.

#include <QByteArray>
#include <QByteArrayView>
#include <QUrl>

#include <optional>
#include <vector>

namespace sitecapture {

// Pairs the bodies the page script reports with the engine's own form submissions, in
// whichever order the two arrive. The script's word alone never makes a submission: a page
// can fake the events it listens to, not the engine's request.
class SubmissionMatcher {
public:
    // How long a report and a request wait for each other.
    static constexpr qint64 kWaitMs = 10000;

    // A body the page script reported for a POST submission to `action`. When the engine
    // has already requested that address by a POST form submission, returns the address as
    // the engine spelt it: the caller raises BeforeNavigate2 with it and the body now.
    std::optional<QUrl> Submitted(const QUrl& action, const QByteArray& body, qint64 nowMs);

    // A request of the engine for a frame. Only a form submission by POST (as the engine
    // marks and sends it) takes the waiting body for its address; anything else, a link or
    // a GET to the same address included, gets nothing.
    std::optional<QByteArray> Requested(const QUrl& url, bool formSubmission, QByteArrayView method,
                                        qint64 nowMs);

private:
    struct Pending {
        QByteArray key;   // the address in one spelling
        QByteArray place; // the same without its query
        QUrl url;
        QByteArray body;
        qint64 at = 0;
    };
    static Pending Make(const QUrl& url, QByteArray body, qint64 nowMs);
    // The waiting entry for the address: the same address in any spelling, else the only
    // one for the same place (a query the page script spelt otherwise than the engine).
    static std::optional<Pending> Take(std::vector<Pending>& from, const Pending& to, qint64 nowMs);

    std::vector<Pending> reports_;
    std::vector<Pending> requests_;
};

// The address in one spelling: no fragment, the scheme's default port, escapes of unreserved
// characters decoded and the others in capitals. With `query` false, the query is left out.
QByteArray AddressKey(const QUrl& url, bool query = true);

} // namespace sitecapture
