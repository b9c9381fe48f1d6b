// Errors of the core. Core code never ends the process: it throws EldError and
// the caller (viewer or eldmap) decides what to show and whether to stop.
#pragma once

#include <stdexcept>
#include <string>

namespace eld {

enum class ErrorKind {
    // The file cannot be used (missing, truncated, text where a number belongs,
    // impossible sizes): report it; the viewer keeps the map it had.
    Recoverable,
    // Bad data the program cannot continue from: show the message (its text is
    // the program's own, e.g. "Your input data looks strange, ELD > 10000"),
    // then end with status 1.
    Fatal,
    // Same, but the program ends without any message box (WordsPerAtom not 14,
    // a bad record separator in the case table); what() is a diagnostic for stderr.
    FatalSilent,
};

class EldError : public std::runtime_error {
  public:
    EldError(ErrorKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}
    ErrorKind kind() const { return kind_; }

  private:
    ErrorKind kind_;
};

// One helper for every recoverable failure; messages name the file and the field.
[[noreturn]] inline void fail(const std::string& message) {
    throw EldError(ErrorKind::Recoverable, message);
}
[[noreturn]] inline void fail_fatal(const std::string& message) {
    throw EldError(ErrorKind::Fatal, message);
}
[[noreturn]] inline void fail_silent(const std::string& diagnostic) {
    throw EldError(ErrorKind::FatalSilent, diagnostic);
}

}  // namespace eld
