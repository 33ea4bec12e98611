#include <platform/util.h>

#include <charconv>
#include <cstring>
#include <string_view>

namespace {

// Reads "%<digits><letter>" from the front of format; returns the count, or -1.
int takeConversion(std::string_view& format, char letter) {
    if (format.empty() || format.front() != '%')
        return -1;
    format.remove_prefix(1);
    int count = 0;
    const auto [end, error] = std::from_chars(format.data(), format.data() + format.size(), count);
    if (error != std::errc() || count < 1)
        return -1;
    format.remove_prefix(static_cast<size_t>(end - format.data()));
    if (format.empty() || format.front() != letter)
        return -1;
    format.remove_prefix(1);
    return count;
}

} // namespace

int Fmt(char* target, const char* format, const int* source) {
    if (!target || !format || !source)
        return -1;
    std::string_view rest(format);
    const int targetChars = takeConversion(rest, 'c');
    if (targetChars < 0 || rest.empty() || rest.front() != '<')
        return -1;
    rest.remove_prefix(1);
    const int sourceInts = takeConversion(rest, 'i');
    if (sourceInts < 0 || !rest.empty())
        return -1;

    // The target holds targetChars characters and its terminating zero.
    int written = 0;
    while (written < sourceInts && written < targetChars) {
        const char c = static_cast<char>(source[written] & 0xFF);
        if (c == '\0')
            break;
        target[written++] = c;
    }
    target[written] = '\0';
    return written;
}
