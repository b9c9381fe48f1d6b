#include "mapdata/text_reader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "mapdata/eld_error.h"

namespace eld {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}
bool EndsToken(char c) {
    return IsBlank(c) || IsLineEnd(c) || c == ',';
}

// Parses the whole token as a number; false when any character is left over.
bool ParseToken(std::string_view tok, double& out) {
    const char* b = tok.data();
    const char* e = b + tok.size();
    if (b != e && *b == '+') ++b;  // from_chars takes no '+'
    if (b == e || *b == '+' || (*b == '-' && b != tok.data())) return false;
    // Words such as "inf" or "nan" are text here, not numbers.
    const char first = (*b == '-' && b + 1 != e) ? b[1] : *b;
    if (!(first >= '0' && first <= '9') && first != '.') return false;
    auto [ptr, ec] = std::from_chars(b, e, out);
    if (ptr != e) return false;
    if (ec == std::errc::result_out_of_range) {
        // Rare: let strtod give +-HUGE_VAL or 0 as the magnitude says.
        std::string copy(tok);
        out = std::strtod(copy.c_str(), nullptr);
        return true;
    }
    return ec == std::errc();
}

// Plain decimals ([sign] digits [. digits], at most 15 digits) are the bulk
// of a map file. Their mantissa and the power of ten are exact doubles, so one
// division gives the correctly rounded double, the same value from_chars gives.
bool FastDecimal(std::string_view tok, double& out) {
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = tok.data();
    const char* e = p + tok.size();
    bool negative = false;
    if (p != e && (*p == '-' || *p == '+')) negative = (*p++ == '-');
    std::uint64_t mantissa = 0;
    int digits = 0, fraction = -1;
    for (; p != e; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + std::uint64_t(c - '0');
            ++digits;
            if (fraction >= 0) ++fraction;
        } else if (c == '.' && fraction < 0) {
            fraction = 0;
        } else {
            return false;  // exponent or text: the general path decides
        }
    }
    if (digits == 0 || digits > 15) return false;
    const double v = double(mantissa) / kPow10[fraction < 0 ? 0 : fraction];
    out = negative ? -v : v;
    return true;
}

std::string Quote(std::string_view tok) {
    constexpr std::size_t kMax = 40;
    std::string t(tok.substr(0, kMax));
    for (char& c : t)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) c = '?';
    if (tok.size() > kMax) t += "...";
    return "\"" + t + "\"";
}

}  // namespace

TextReader::TextReader(std::string_view text, std::string name)
    : text_(text), name_(std::move(name)) {}

TextReader::TextReader(InputFile& file) : name_(file.Path()) {
    if (!file.Memory().empty() || file.Size() == 0) {
        text_ = file.Memory().substr(file.Offset());
        base_ = file.Offset();
    } else {
        file_ = &file;
        base_ = file.Offset();
    }
}

std::uint64_t TextReader::Remaining() const {
    const std::uint64_t at = base_ + pos_;
    if (!file_) return text_.size() - pos_;
    return file_->Size() > at ? file_->Size() - at : 0;
}

bool TextReader::Refill(std::size_t& keep) {
    if (!file_) return false;
    // Drop what lies before keep, then append one more chunk.
    const std::size_t kept = text_.size() - keep;
    if (kept >= kMaxToken)
        Fail("a line or field longer than " + std::to_string(kMaxToken) +
             " characters (is this a text map?)");
    if (keep > 0) window_.erase(0, keep);
    base_ += keep;
    pos_ -= keep;
    keep = 0;
    window_.resize(kept + kWindow);
    const std::size_t got = file_->Read(window_.data() + kept, kWindow);
    window_.resize(kept + got);
    text_ = window_;
    return pos_ < text_.size();
}

void TextReader::Fail(const std::string& problem) const {
    fail(name_ + ": line " + std::to_string(line_) + ": " + problem);
}

std::string_view TextReader::ReadLine(const char* what) {
    if (AtEnd()) fail(name_ + ": the file ends early (expected " + what + ")");
    std::size_t start = pos_;
    while (Have(start) && !IsLineEnd(text_[pos_])) ++pos_;
    const std::size_t length = pos_ - start;
    if (Have(start)) {
        const bool cr = text_[pos_] == '\r';
        ++pos_;
        if (cr && Have(start) && text_[pos_] == '\n') ++pos_;
        ++line_;
    }
    return text_.substr(start, length);
}

void TextReader::SkipSpace() {
    while (Have()) {
        char c = text_[pos_];
        if (IsBlank(c)) {
            ++pos_;
        } else if (c == '\n') {
            ++pos_;
            ++line_;
        } else if (c == '\r') {
            ++pos_;
            if (Have() && text_[pos_] == '\n') ++pos_;
            ++line_;
        } else {
            break;
        }
    }
}

std::string_view TextReader::Token(const char* what) {
    SkipSpace();
    if (AtEnd()) fail(name_ + ": the file ends early (expected " + what + ")");
    std::size_t start = pos_;
    while (Have(start) && !EndsToken(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
}

std::string_view TextReader::ReadWord() {
    SkipSpace();
    std::size_t start = pos_;
    while (Have(start) && !IsBlank(text_[pos_]) && !IsLineEnd(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
}

void TextReader::FinishNumber() {
    while (Have() && IsBlank(text_[pos_])) ++pos_;
    if (!Have()) return;
    char c = text_[pos_];
    if (c == ',') {
        ++pos_;
    } else if (c == '\n') {
        ++pos_;
        ++line_;
    } else if (c == '\r') {
        ++pos_;
        if (Have() && text_[pos_] == '\n') ++pos_;
        ++line_;
    }
}

double TextReader::ReadNumber(const char* what) {
    std::string_view tok = Token(what);
    if (tok.empty()) Fail(std::string("an empty field where a number is expected (") + what + ")");
    double v = 0;
    if (!ParseToken(tok, v))
        Fail(std::string("text where a number is expected (") + what + "): " + Quote(tok));
    if (!std::isfinite(v)) Fail(std::string("a number out of range (") + what + "): " + Quote(tok));
    FinishNumber();
    return v;
}

float TextReader::ReadFloatValue(const char* what) {
    std::string_view tok = Token(what);
    if (tok.empty()) Fail(std::string("an empty field where a number is expected (") + what + ")");
    double v = 0;
    if (!FastDecimal(tok, v) && !ParseToken(tok, v))
        Fail(std::string("text where a number is expected (") + what + "): " + Quote(tok));
    FinishNumber();
    // Out of float range becomes +-inf, which the density range test reports.
    return static_cast<float>(v);
}

long long TextReader::ReadWholeNumber(const char* what) {
    int line = line_;
    double v = ReadNumber(what);
    if (v != std::floor(v) || std::fabs(v) > 9.0e15) {
        line_ = line;  // name the line the number stood on
        Fail(std::string("a whole number is expected (") + what + ")");
    }
    return static_cast<long long>(v);
}

double LeadingNumber(std::string_view field) {
    // Gather the field without blanks, then take the longest number prefix:
    // [sign] digits [. digits] [e|E|d|D [sign] digits].
    std::string s;
    s.reserve(field.size());
    for (char c : field)
        if (!IsBlank(c)) s += c;
    std::size_t i = 0, n = s.size();
    auto digit = [&](std::size_t k) { return k < n && s[k] >= '0' && s[k] <= '9'; };
    if (i < n && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissa_start = i;
    while (digit(i)) ++i;
    if (i < n && s[i] == '.') {
        ++i;
        while (digit(i)) ++i;
    }
    if (i == mantissa_start || (i == mantissa_start + 1 && s[mantissa_start] == '.')) return 0.0;
    std::size_t end = i;
    if (i < n && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t k = i + 1;
        if (k < n && (s[k] == '+' || s[k] == '-')) ++k;
        if (digit(k)) {
            while (digit(k)) ++k;
            s[i] = 'e';
            end = k;
        }
    }
    s.resize(end);
    double v = std::strtod(s.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

std::string_view Columns(std::string_view line, std::size_t from, std::size_t to) {
    if (from < 1 || from > line.size() || to < from) return {};
    return line.substr(from - 1, to - from + 1);
}

}  // namespace eld
