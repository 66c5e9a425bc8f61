#pragma once
// What reaches the operator when something fails: the site database and the browser plugin
// alike. The message is Chinese, in the product's voice, and names the file and the cause.

#include <QString>

#include <utility>
#include <variant>

namespace sitecapture {

enum class ErrorKind {
    TemplateMissing,   // neither DIY.xqd nor sdk.dll
    TemplateDamaged,   // sdk.dll is not a site database; DIY.xqd was not created
    Damaged,           // DIY.xqd is not a database, not a site database, or damaged
    NotWritable,       // the directory or the file refuses writes
    Locked,            // another program held the file past the busy timeout
    RowVanished,       // the edited row is no longer there
    Failed,            // anything else the engine or the file system reports
    BrowserUnavailable, // the embedded browser's plugin could not be loaded
    Refused,           // a reload or replay the browser would not make; nothing was sent
    TimedOut,          // the site did not answer a reload or replay in time
    NotChecked,        // the page loaded again could not be read for the form in question
};

struct OperatorError {
    ErrorKind kind;
    QString path;    // the file concerned
    QString message; // for the operator
};

// A value or the error that prevented it.
template <class T>
class Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(OperatorError error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() & { return std::get<0>(v_); }
    const T& value() const& { return std::get<0>(v_); }
    // by value from a temporary, so that `for (auto& r : db.ListSites().value())` is safe
    T value() && { return std::move(std::get<0>(v_)); }
    const OperatorError& error() const { return std::get<1>(v_); }

private:
    std::variant<T, OperatorError> v_;
};
using Status = Result<std::monostate>;

// The product title: window captions and the title of every message box.
inline constexpr char16_t kProductTitle[] = u"网站收录向导";

} // namespace sitecapture
