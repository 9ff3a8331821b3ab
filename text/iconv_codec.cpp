#include "text/iconv_codec.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace sw {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != kNoConverter)
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return cd_ != kNoConverter; }

    // Converts as much as it can; stops at the first byte it cannot convert
    // (errno EILSEQ or EINVAL) or at the end. Returns false on an invalid spot.
    bool Run(const char*& in, size_t& inLeft, std::string& out) {
        char buffer[4096];
        while (inLeft > 0) {
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            char* inPtr = const_cast<char*>(in);
            size_t r = iconv(cd_, &inPtr, &inLeft, &outPtr, &outLeft);
            int error = errno;
            in = inPtr;
            out.append(buffer, sizeof buffer - outLeft);
            if (r != static_cast<size_t>(-1))
                continue;
            if (error == E2BIG)
                continue;
            return false;
        }
        return true;
    }

    void Reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }

private:
    iconv_t cd_;
};

std::u16string UnitsFromBytes(const std::string& bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * 2);
    return units;
}

} // namespace

std::string IconvNameOfCodePage(int codePage) {
    switch (codePage) {
    case 20127:
        return "ASCII";
    case 20866:
        return "KOI8-R";
    case 21866:
        return "KOI8-U";
    case 51936:
        return "EUC-CN";
    case 51949:
        return "EUC-KR";
    case 20932:
    case 51932:
        return "EUC-JP";
    case 54936:
        return "GB18030";
    case 50220:
        return "ISO-2022-JP";
    case 52936:
        return "HZ-GB-2312";
    default:
        break;
    }
    if (codePage >= 28591 && codePage <= 28605)
        return "ISO-8859-" + std::to_string(codePage - 28590);
    return "CP" + std::to_string(codePage);
}

std::optional<std::u16string> DecodeWithIconv(std::string_view bytes, const std::string& charset) {
    Converter converter("UTF-16LE", charset.c_str());
    if (!converter.Ok())
        return std::nullopt;
    std::string out;
    out.reserve(bytes.size() * 2);
    const char* in = bytes.data();
    size_t inLeft = bytes.size();
    while (!converter.Run(in, inLeft, out)) {
        // An undecodable byte becomes "?" and the conversion goes on after it.
        out.append("?\0", 2);
        ++in;
        --inLeft;
        converter.Reset();
    }
    return UnitsFromBytes(out);
}

std::optional<std::string> EncodeWithIconv(std::u16string_view units, const std::string& charset) {
    Converter converter(charset.c_str(), "UTF-16LE");
    if (!converter.Ok())
        return std::nullopt;
    std::string out;
    out.reserve(units.size());
    const char* in = reinterpret_cast<const char*>(units.data());
    size_t inLeft = units.size() * 2;
    while (!converter.Run(in, inLeft, out)) {
        // A character the set lacks becomes "?". The Windows converters work on
        // UTF-16 units, so a character outside the BMP gives one "?" per unit.
        size_t skip = inLeft < 2 ? inLeft : 2;
        out.push_back('?');
        in += skip;
        inLeft -= skip;
        converter.Reset();
    }
    return out;
}

} // namespace sw
