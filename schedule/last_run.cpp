#include "schedule/last_run.h"

#include <cstdio>

namespace keldra::schedule {

using platform::DateFormats;
using platform::DateTime;

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (Lower(text[i]) != Lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool Exists(const DateTime& t) {
    return t.year >= 100 && t.year <= 9999 && t.month >= 1 && t.month <= 12 && t.day >= 1 &&
           t.day <= DaysInMonth(t.year, t.month) && t.hour >= 0 && t.hour <= 23 && t.minute >= 0 &&
           t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

// Reads 1 to `maxDigits` digits at `pos`.
bool ReadNumber(std::string_view text, std::size_t& pos, std::size_t maxDigits, int& value,
                std::size_t& digits) {
    value = 0;
    digits = 0;
    while (pos < text.size() && digits < maxDigits && IsDigit(text[pos])) {
        value = value * 10 + (text[pos] - '0');
        ++pos;
        ++digits;
    }
    return digits > 0;
}

// Exactly `count` digits at `pos`.
bool ReadFixed(std::string_view text, std::size_t& pos, std::size_t count, int& value) {
    std::size_t digits = 0;
    const std::size_t start = pos;
    if (!ReadNumber(text, pos, count, value, digits) || digits != count) {
        pos = start;
        return false;
    }
    return true;
}

}  // namespace

std::string FormatLastRun(const DateTime& when) {
    char text[32] = {};
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", when.year, when.month,
                  when.day, when.hour, when.minute, when.second);
    return text;
}

namespace {

// Reads a text against a date or time picture of the user's locale, one field at a time.
class PictureReader {
  public:
    PictureReader(std::string_view text, const DateFormats& user, DateTime& into)
        : text_(text), user_(user), into_(into) {}

    // The quoted text at `i` of the picture, which stands for itself; `i` moves past it.
    bool Quoted(std::string_view picture, std::size_t& i) {
        ++i;
        std::string literal;
        while (i < picture.size()) {
            if (picture[i] == '\'') {
                if (i + 1 < picture.size() && picture[i + 1] == '\'') {
                    literal += '\'';  // two quotes are one quote
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            literal += picture[i++];
        }
        if (text_.substr(pos_, literal.size()) != literal) {
            return false;
        }
        pos_ += literal.size();
        return true;
    }

    // A run of `run` letters `c` of the picture.
    bool Field(char c, std::size_t run) {
        switch (c) {
            case 'd':
            case 'M':
            case 'h':
            case 'H':
            case 'm':
            case 's':
                return run <= 2 && Number(c);  // names of days and months are not read
            case 'y':
                return Year(run);
            case 't':
                Designator(run);
                return true;
            case 'g':
                return false;  // eras are not read
            default:
                return Other(c, run);
        }
    }

    // Whether the whole text was read, the hour then made a 24-hour one.
    bool Finish() {
        SkipBlanks();
        if (pos_ != text_.size()) {
            return false;
        }
        if (twelveHour_ && half_ != 0) {
            if (into_.hour < 1 || into_.hour > 12) {
                return false;
            }
            into_.hour = into_.hour % 12 + (half_ == 2 ? 12 : 0);
        }
        return true;
    }

  private:
    bool Number(char c) {
        int value = 0;
        std::size_t digits = 0;
        if (!ReadNumber(text_, pos_, 2, value, digits)) {
            return false;
        }
        switch (c) {
            case 'd':
                into_.day = value;
                break;
            case 'M':
                into_.month = value;
                break;
            case 'm':
                into_.minute = value;
                break;
            case 's':
                into_.second = value;
                break;
            default:
                into_.hour = value;
                twelveHour_ = c == 'h';
                break;
        }
        return true;
    }

    bool Year(std::size_t run) {
        int value = 0;
        std::size_t digits = 0;
        if (!ReadNumber(text_, pos_, run > 2 ? 4 : 2, value, digits)) {
            return false;
        }
        // Two-digit years as Windows reads them: 00 to 29 are this century.
        into_.year = digits > 2 ? value : (value < 30 ? 2000 + value : 1900 + value);
        return true;
    }

    // One letter of the designator, or all of it; the longer one is tried first so that
    // one that begins like the other is not cut. None at all is no failure.
    void Designator(std::size_t run) {
        const std::string am = run == 1 ? user_.am.substr(0, 1) : user_.am;
        const std::string pm = run == 1 ? user_.pm.substr(0, 1) : user_.pm;
        const bool pmFirst = pm.size() > am.size();
        const std::string& first = pmFirst ? pm : am;
        const std::string& second = pmFirst ? am : pm;
        const std::string_view rest = text_.substr(pos_);
        if (!first.empty() && StartsWithNoCase(rest, first)) {
            half_ = pmFirst ? 2 : 1;
            pos_ += first.size();
        } else if (!second.empty() && StartsWithNoCase(rest, second)) {
            half_ = pmFirst ? 1 : 2;
            pos_ += second.size();
        }
    }

    // A separator: blanks match any run of blanks, none included (a 24-hour locale leaves
    // its empty designator behind a blank that may be trimmed); anything else itself.
    bool Other(char c, std::size_t run) {
        if (IsBlank(c)) {
            SkipBlanks();
            return true;
        }
        for (std::size_t k = 0; k < run; ++k) {
            if (pos_ >= text_.size() || text_[pos_] != c) {
                return false;
            }
            ++pos_;
        }
        return true;
    }

    void SkipBlanks() {
        while (pos_ < text_.size() && IsBlank(text_[pos_])) {
            ++pos_;
        }
    }

    std::string_view text_;
    const DateFormats& user_;
    DateTime& into_;
    std::size_t pos_ = 0;
    bool twelveHour_ = false;
    // 0 none read, 1 before noon, 2 after noon.
    int half_ = 0;
};

}  // namespace

bool ParsePicture(std::string_view text, std::string_view picture, const DateFormats& user,
                  DateTime& into) {
    PictureReader reader(text, user, into);
    std::size_t i = 0;
    while (i < picture.size()) {
        const char c = picture[i];
        if (c == '\'') {
            if (!reader.Quoted(picture, i)) {
                return false;
            }
            continue;
        }
        std::size_t run = 1;
        while (i + run < picture.size() && picture[i + run] == c) {
            ++run;
        }
        if (!reader.Field(c, run)) {
            return false;
        }
        i += run;
    }
    return reader.Finish();
}

std::optional<DateTime> ParseLastRun(std::string_view text, const DateFormats& user) {
    DateTime fixed;
    std::size_t pos = 0;
    const auto literal = [&](char c) {
        if (pos < text.size() && text[pos] == c) {
            ++pos;
            return true;
        }
        return false;
    };
    if (ReadFixed(text, pos, 4, fixed.year) && literal('-') &&
        ReadFixed(text, pos, 2, fixed.month) && literal('-') &&
        ReadFixed(text, pos, 2, fixed.day) && literal(' ') && ReadFixed(text, pos, 2, fixed.hour) &&
        literal(':') && ReadFixed(text, pos, 2, fixed.minute) && literal(':') &&
        ReadFixed(text, pos, 2, fixed.second) && pos == text.size()) {
        return Exists(fixed) ? std::optional(fixed) : std::nullopt;
    }

    // The older form: midnight was written as the date alone.
    const std::string both = user.shortDate + " " + user.longTime;
    for (const std::string* picture : {&both, &user.shortDate}) {
        DateTime older{};
        older.hour = older.minute = older.second = 0;
        if (ParsePicture(text, *picture, user, older)) {
            return Exists(older) ? std::optional(older) : std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace keldra::schedule
