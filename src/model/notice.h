#pragma once

// A fatal notice: the message that ends a run. The core never shows it and never ends the
// process; it hands the notice back to the front end, which shows it (a message box, or a line
// on standard error) and ends the run.

#include <optional>
#include <string>
#include <utility>

namespace kavri {

enum class NoticeIcon { kNone, kStop };

// Caption of the notices that name the application rather than "Error".
inline constexpr const char* kApplicationName = "Kavri";
inline constexpr const char* kErrorCaption = "Error";

struct Notice {
    Notice() = default;
    Notice(std::string text, std::string caption = kErrorCaption,
           NoticeIcon icon = NoticeIcon::kStop, std::string detail = {})
        : text(std::move(text)),
          caption(std::move(caption)),
          icon(icon),
          detail(std::move(detail)) {}

    std::string text;
    std::string caption = kErrorCaption;
    NoticeIcon icon = NoticeIcon::kStop;
    // A second line under the text with the specifics and the remedy ("line 3: "NA" is not a
    // number..."); empty when the text says all. The text itself stays word for word what
    // Kavri has always shown, so that users and scripts can still recognise it.
    std::string detail;

    bool operator==(const Notice&) const = default;
};

inline Notice errorNotice(std::string text) {
    return Notice{std::move(text), kErrorCaption, NoticeIcon::kStop};
}

// Either a value or the notice that ended the computation.
template <typename T>
class [[nodiscard]] Result {
 public:
    Result(T value) : value_(std::move(value)) {}
    Result(Notice notice) : notice_(std::move(notice)) {}

    bool ok() const { return !notice_.has_value(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const Notice& notice() const { return *notice_; }

 private:
    std::optional<T> value_;
    std::optional<Notice> notice_;
};

// For operations that produce nothing but may fail: empty means success.
using MaybeNotice = std::optional<Notice>;

}  // namespace kavri
