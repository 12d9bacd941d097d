#pragma once

#include <QIODevice>
#include <charconv>
#include <cmath>
#include <string>
#include <string_view>
#include <type_traits>

namespace tovik {

// Text streamed to a device through a buffer of bounded size, so that a
// file of any length is written without holding it. Once a write has
// failed, nothing more is written and Failed() stays true.
class TextSink {
public:
    explicit TextSink(QIODevice& device) : device_(device) { buffer_.reserve(Capacity); }
    TextSink(const TextSink&) = delete;
    TextSink& operator=(const TextSink&) = delete;

    void Put(std::string_view text) {
        buffer_.append(text);
        if (buffer_.size() >= Capacity) Flush();
    }
    void Put(char c) {
        buffer_.push_back(c);
        if (buffer_.size() >= Capacity) Flush();
    }
    // The shortest decimal text that reads back to the same value, bit for
    // bit ("0.1", "1e-05", "3.4028235e+38"); `nonFinite` for an infinity or
    // a NaN.
    template <typename T>
    void Number(T value, std::string_view nonFinite) {
        if constexpr (std::is_floating_point_v<T>) {
            if (!std::isfinite(value)) return Put(nonFinite);
        }
        char text[40];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        Put(std::string_view(text, static_cast<std::size_t>(end - text)));
    }
    // Writes out what is buffered; false once any write has failed.
    bool Flush() {
        if (!failed_ && !buffer_.empty())
            failed_ = device_.write(buffer_.data(), static_cast<qint64>(buffer_.size())) !=
                      static_cast<qint64>(buffer_.size());
        buffer_.clear();
        return !failed_;
    }
    bool Failed() const { return failed_; }

private:
    static constexpr std::size_t Capacity = 1 << 16;
    QIODevice& device_;
    std::string buffer_;
    bool failed_ = false;
};

}  // namespace tovik
