// SPDX-License-Identifier: GPL-3.0-or-later

#include "units/dimension.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace quantrel {

Dimension Dimension::base(int index) {
    Dimension dimension;
    dimension.exponents_[static_cast<std::size_t>(index)] = 1;
    return dimension;
}

namespace {

/// Whether every exponent lies in the allowed range. A plain loop, which the compiler turns into
/// a few vector instructions.
bool inRange(const std::array<int, Dimension::kMaxBases>& exponents) {
    int largest = 0;
    for (const int exponent : exponents)
        largest = std::max(largest, std::abs(exponent));
    return largest <= Dimension::kMaxExponent;
}

}  // namespace

std::optional<Dimension> Dimension::times(const Dimension& other) const {
    std::array<int, kMaxBases> sum{};
    for (std::size_t i = 0; i < sum.size(); ++i)
        sum[i] = exponents_[i] + other.exponents_[i];
    if (!inRange(sum)) return std::nullopt;
    Dimension result;
    for (std::size_t i = 0; i < sum.size(); ++i)
        result.exponents_[i] = static_cast<std::int8_t>(sum[i]);
    return result;
}

std::optional<Dimension> Dimension::over(const Dimension& other) const {
    std::array<int, kMaxBases> difference{};
    for (std::size_t i = 0; i < difference.size(); ++i)
        difference[i] = exponents_[i] - other.exponents_[i];
    if (!inRange(difference)) return std::nullopt;
    Dimension result;
    for (std::size_t i = 0; i < difference.size(); ++i)
        result.exponents_[i] = static_cast<std::int8_t>(difference[i]);
    return result;
}

std::optional<Dimension> Dimension::root(long double n) const {
    if (!(n != 0 && n == std::trunc(n))) return std::nullopt;
    Dimension result;
    for (std::size_t i = 0; i < exponents_.size(); ++i) {
        const long double quotient = exponents_[i] / n;
        if (quotient != std::trunc(quotient)) return std::nullopt;
        result.exponents_[i] = static_cast<std::int8_t>(quotient);
    }
    return result;
}

std::optional<Dimension> Dimension::power(long double n) const {
    Dimension result;
    for (std::size_t i = 0; i < exponents_.size(); ++i) {
        // Checked before multiplying: n may be as large as 1e18 or more.
        const long double product = n * exponents_[i];
        if (!(std::fabs(product) <= kMaxExponent)) return std::nullopt;
        result.exponents_[i] = static_cast<std::int8_t>(product);
    }
    return result;
}

std::size_t Dimension::hash() const {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::memcpy(&low, exponents_.data(), sizeof low);
    std::memcpy(&high, exponents_.data() + sizeof low, sizeof high);
    return static_cast<std::size_t>((low * 0x9E3779B97F4A7C15ull) ^ (high + (low >> 29)));
}

namespace {

/// A recursive-descent reader over the expression's characters.
class DimensionReader {
public:
    DimensionReader(std::string_view text,
                    const std::function<const Dimension*(std::string_view)>& resolve)
        : text_(text), resolve_(resolve) {}

    DimensionReading read() {
        std::optional<Dimension> dimension = expression(0);
        skipBlanks();
        if (!failed() && position_ != text_.size()) reading_.malformed = true;
        if (!failed()) reading_.dimension = dimension;
        return reading_;
    }

private:
    static constexpr int kMaxDepth = 50;

    bool failed() const {
        return reading_.malformed || reading_.outOfRange || !reading_.unknownName.empty();
    }
    void skipBlanks() {
        while (position_ < text_.size() && (text_[position_] == ' ' || text_[position_] == '\t'))
            ++position_;
    }
    bool take(char c) {
        skipBlanks();
        if (position_ < text_.size() && text_[position_] == c) {
            ++position_;
            return true;
        }
        return false;
    }
    static bool isNameChar(char c) {
        return c != ' ' && c != '\t' && c != '*' && c != '/' && c != '^' && c != '(' && c != ')';
    }
    std::optional<Dimension> check(std::optional<Dimension> dimension) {
        if (!dimension) reading_.outOfRange = true;
        return dimension;
    }

    std::optional<Dimension> expression(int depth) {
        std::optional<Dimension> result = factor(depth);
        while (!failed()) {
            if (take('*')) {
                const std::optional<Dimension> right = factor(depth);
                if (failed()) break;
                result = check(result->times(*right));
            } else if (take('/')) {
                const std::optional<Dimension> right = factor(depth);
                if (failed()) break;
                result = check(result->over(*right));
            } else {
                break;
            }
        }
        return result;
    }

    std::optional<Dimension> factor(int depth) {
        std::optional<Dimension> result;
        skipBlanks();
        if (depth > kMaxDepth) {
            reading_.malformed = true;
            return result;
        }
        if (take('(')) {
            result = expression(depth + 1);
            if (!failed() && !take(')')) reading_.malformed = true;
        } else {
            const std::size_t start = position_;
            while (position_ < text_.size() && isNameChar(text_[position_]))
                ++position_;
            const std::string_view name = text_.substr(start, position_ - start);
            if (name.empty()) {
                reading_.malformed = true;
            } else if (name == "1") {
                result = Dimension();
            } else if (const Dimension* known = resolve_(name)) {
                result = *known;
            } else {
                reading_.unknownName = std::string(name);
            }
        }
        if (failed()) return std::nullopt;
        if (take('^')) {
            skipBlanks();
            const std::size_t start = position_;
            if (position_ < text_.size() && text_[position_] == '-') ++position_;
            const std::size_t digits = position_;
            while (position_ < text_.size() && text_[position_] >= '0' && text_[position_] <= '9')
                ++position_;
            if (position_ == digits || position_ - digits > 4) {
                reading_.malformed = true;
                return std::nullopt;
            }
            const int exponent =
                std::atoi(std::string(text_.substr(start, position_ - start)).c_str());
            result = check(result->power(exponent));
        }
        return result;
    }

    std::string_view text_;
    const std::function<const Dimension*(std::string_view)>& resolve_;
    std::size_t position_ = 0;
    DimensionReading reading_;
};

}  // namespace

DimensionReading readDimension(std::string_view text,
                               const std::function<const Dimension*(std::string_view)>& resolve) {
    return DimensionReader(text, resolve).read();
}

}  // namespace quantrel
