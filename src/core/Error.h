// The error every failing call raises: the three facts a COM error carries.
#pragma once

#include <stdexcept>
#include <string>

namespace tw {

class Error : public std::runtime_error {
public:
    Error(long number, std::string source, std::string description)
        : std::runtime_error(description), number_(number), source_(std::move(source)),
          description_(std::move(description)) {}

    long number() const { return number_; }
    const std::string& source() const { return source_; }
    const std::string& description() const { return description_; }

private:
    long number_;
    std::string source_;
    std::string description_;
};

/// The error a trapping procedure reports for an exception of any kind.
struct PendingError {
    long number = 0;
    std::string source;
    std::string description;
};

/// Turns the exception being handled (call only inside a catch block) into its three facts.
PendingError currentError();

}  // namespace tw
