#pragma once
// A German locale for the length of a scope: the C library's (printf and
// friends write "1,5") and Qt's default. The set-up generates de_DE.UTF-8;
// where it is missing a test must skip, saying so, rather than pass unchecked.
#include <QLocale>
#include <clocale>
#include <string>

namespace orvane::test {

class CommaLocale {
public:
    CommaLocale() : savedC_(std::setlocale(LC_ALL, nullptr)) {
        active_ = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    ~CommaLocale() {
        std::setlocale(LC_ALL, savedC_.c_str());
        QLocale::setDefault(savedQt_);
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    // The C library's decimal separator is now a comma.
    bool Active() const { return active_; }
    static constexpr const char* kMissing =
        "the de_DE.UTF-8 locale is not installed (scripts/orvane.sh generates it)";

private:
    QLocale savedQt_;
    std::string savedC_;
    bool active_ = false;
};

} // namespace orvane::test
